// Components, class information, published properties and events.
#include <gtest/gtest.h>

#include "platform/forms/Classes.h"
#include "platform/forms/TypInfo.h"

using namespace plat;

namespace plat {
enum TTestMode { tmOne, tmTwo, tmThree };
enum TTestStyle { tsBold, tsWide, tsTall };
using TTestStyles = TSet<TTestStyle>;
PLAT_DECLARE_ENUM(TTestMode)
PLAT_DECLARE_ENUM(TTestStyle)
PLAT_DECLARE_SET(TTestStyles)
PLAT_DEFINE_ENUM(TTestMode, "tmOne", "tmTwo", "tmThree")
PLAT_DEFINE_ENUM(TTestStyle, "tsBold", "tsWide", "tsTall")
PLAT_DEFINE_SET(TTestStyles, TTestStyle)
PLAT_DECLARE_EVENT(TTestKeyEvent, TObject*, uint16_t&, TShiftState)
}  // namespace plat

namespace {

const TTypeInfo* TestColourType() {
    static const TTypeInfo* t = MakeIntegerType("TTestColour", {{0x0000FF, "tcRed"}, {0x00FF00, "tcGreen"}});
    return t;
}

class TTestSub : public TPersistent {
    PLAT_CLASS(TTestSub)
    int Size() const { return fSize; }
    void SetSize(int v) { fSize = v; }
    int fSize = 10;
};
PLAT_REGISTER_CLASS(TTestSub, TPersistent) { b.Property("Size", &TTestSub::Size, &TTestSub::SetSize); }

class TTestItem : public TCollectionItem {
    PLAT_CLASS(TTestItem)
    using TCollectionItem::TCollectionItem;
    std::string Text;
    void Assign(TPersistent* s) override {
        if (auto* o = dynamic_cast<TTestItem*>(s)) Text = o->Text;
        else TCollectionItem::Assign(s);
    }
};
PLAT_REGISTER_CLASS(TTestItem, TCollectionItem) { b.Property("Text", &TTestItem::Text); }

class TTestWidget : public TComponent {
    PLAT_CLASS(TTestWidget)
    explicit TTestWidget(TComponent* owner) : TComponent(owner), fItems(this, TTestItem::StaticClass()) {}
    int Count = 0;
    char Letter = 'a';
    TTestMode Mode = tmOne;
    bool Active = false;
    TTestStyles Styles;
    double Ratio = 0;
    std::string Caption;
    int Colour = 0;
    TTestSub* Sub() const { return const_cast<TTestSub*>(&fSub); }
    TOwnedCollection* Items() const { return const_cast<TOwnedCollection*>(&fItems); }
    TComponent* Buddy = nullptr;
    TNotifyEvent OnChange;
    TTestKeyEvent OnKey;
    std::string Secret;  // registered unpublished

    void Notification(TComponent* c, TOperation op) override {
        TComponent::Notification(c, op);
        if (op == opRemove && c == Buddy) Buddy = nullptr;
    }

private:
    TTestSub fSub;
    TOwnedCollection fItems;
};
PLAT_REGISTER_CLASS(TTestWidget, TComponent) {
    b.Property("Count", &Self::Count);
    b.Property("Letter", &Self::Letter);
    b.Property("Mode", &Self::Mode);
    b.Property("Active", &Self::Active);
    b.Property("Styles", &Self::Styles);
    b.Property("Ratio", &Self::Ratio);
    b.Property("Caption", &Self::Caption).TypeName("TCaption");
    b.Property("Colour", &Self::Colour).Type(TestColourType());
    b.Property("Sub", &Self::Sub);
    b.Property("Items", &Self::Items);
    b.Property("Buddy", &Self::Buddy);
    b.Event("OnChange", &Self::OnChange);
    b.Event("OnKey", &Self::OnKey);
    b.Property("Secret", &Self::Secret).Unpublished();
}

class TTestWidget2 : public TTestWidget {
    PLAT_CLASS(TTestWidget2)
    using TTestWidget::TTestWidget;
};
PLAT_REGISTER_CLASS(TTestWidget2, TTestWidget) { b.Publish({"Secret"}); }

// An object whose published methods serve as handlers.
class TListener : public TComponent {
    PLAT_CLASS(TListener)
    using TComponent::TComponent;
    std::vector<std::string> Log;
    void FirstChange(TObject*) { Log.push_back("first"); }
    void SecondChange(TObject*) { Log.push_back("second"); }
    void KeyHandler(TObject*, uint16_t& key, TShiftState shift) {
        Log.push_back("key " + std::to_string(key) + (shift.Contains(ssCtrl) ? " ctrl" : ""));
        key = 0;
    }
    // Chaining: runs its own check, then the handler saved before it was installed.
    TNotifyEvent Saved;
    void Chained(TObject* sender) {
        Log.push_back("chained");
        Saved(sender);
    }
};
PLAT_REGISTER_CLASS(TListener, TComponent) {
    PLAT_METHOD(FirstChange);
    PLAT_METHOD(SecondChange);
    PLAT_METHOD(KeyHandler);
    PLAT_METHOD(Chained);
}

// A form-like owner with a published field that follows its component of that name.
class TTestOwner : public TComponent {
    PLAT_CLASS(TTestOwner)
    using TComponent::TComponent;
    TTestWidget* edCode = nullptr;
    std::vector<std::string>* DestroyLog = nullptr;
    void BeforeDestruction() override {
        TComponent::BeforeDestruction();
        if (DestroyLog) DestroyLog->push_back("owner destroying with " + std::to_string(ComponentCount()) + " components");
        Free();  // freeing again while being destroyed does nothing
    }
};
PLAT_REGISTER_CLASS(TTestOwner, TComponent) { PLAT_FIELD(edCode); }

struct PropCase {
    const char* Path;
    const char* Text;      // set as text
    const char* Expected;  // read back as text
};

class PropertyByName : public ::testing::TestWithParam<PropCase> {};

TEST_P(PropertyByName, SetAsTextReadsBack) {
    TTestWidget w(nullptr);
    w.Items()->Add();
    w.Items()->Add();
    const PropCase& c = GetParam();
    SetPropTextByPath(&w, c.Path, c.Text);
    EXPECT_EQ(GetPropTextByPath(&w, c.Path), c.Expected);
}

INSTANTIATE_TEST_SUITE_P(
    EachKind, PropertyByName,
    ::testing::Values(PropCase{"Count", "42", "42"}, PropCase{"count", "$1F", "31"}, PropCase{"Letter", "z", "z"},
                      PropCase{"Mode", " tmThree ", "tmThree"}, PropCase{"Mode", "1", "tmTwo"},
                      PropCase{"Active", "True", "True"}, PropCase{"ACTIVE", "false", "False"},
                      PropCase{"Styles", "[tsBold, tsTall]", "tsBold,tsTall"}, PropCase{"Styles", "", ""},
                      PropCase{"Ratio", "2.5", "2.5"}, PropCase{"Caption", "费用预算", "费用预算"},
                      PropCase{"Colour", "tcGreen", "65280"}, PropCase{"Colour", "255", "255"},
                      PropCase{"Sub.Size", "7", "7"}, PropCase{"Items[1].Text", "second", "second"}));

TEST(PropertyByNameTest, VariantFormFollowsTheKind) {
    TTestWidget w(nullptr);
    SetPropValue(&w, "Active", Variant(true));
    SetPropValue(&w, "Mode", Variant("tmTwo"));
    SetPropValue(&w, "Count", Variant("12"));
    SetPropValue(&w, "Ratio", Variant(0.25));
    EXPECT_EQ(GetPropValue(&w, "Active").VarType(), varBoolean);
    EXPECT_TRUE(GetPropValue(&w, "Active").AsBoolean());
    EXPECT_EQ(GetPropValue(&w, "Mode").AsString(), "tmTwo");
    EXPECT_EQ(GetPropValue(&w, "Count").AsInteger(), 12);
    EXPECT_DOUBLE_EQ(GetPropValueByPath(&w, "Ratio").AsDouble(), 0.25);
    SetPropValueByPath(&w, "Sub.Size", Variant(3));
    EXPECT_EQ(w.Sub()->Size(), 3);
}

TEST(PropertyByNameTest, TypeNamesKindsAndEnumerationOrder) {
    TTestWidget w(nullptr);
    struct {
        const char* Name;
        TTypeKind Kind;
        const char* TypeName;
    } cases[] = {{"Count", tkInteger, "Integer"}, {"Letter", tkChar, "Char"},       {"Mode", tkEnumeration, "TTestMode"},
                 {"Active", tkEnumeration, "Boolean"}, {"Styles", tkSet, "TTestStyles"}, {"Ratio", tkFloat, "Double"},
                 {"Caption", tkLString, "TCaption"}, {"Colour", tkInteger, "TTestColour"}, {"Sub", tkClass, "TTestSub"},
                 {"Items", tkClass, "TOwnedCollection"}, {"OnChange", tkMethod, "TNotifyEvent"},
                 {"OnKey", tkMethod, "TTestKeyEvent"}, {"Name", tkLString, "TComponentName"}};
    for (auto& c : cases) {
        const TPropInfo* p = GetPropInfo(&w, c.Name);
        ASSERT_NE(p, nullptr) << c.Name;
        EXPECT_EQ(p->Kind(), c.Kind) << c.Name;
        EXPECT_EQ(p->PropType->Name, c.TypeName) << c.Name;
    }
    EXPECT_EQ(GetPropInfo(&w, "Mode")->PropType->EnumNames, (std::vector<std::string>{"tmOne", "tmTwo", "tmThree"}));
    EXPECT_EQ(TypeBoolean()->EnumNames, (std::vector<std::string>{"False", "True"}));
}

TEST(PropertyByNameTest, ErrorsNameTheProblem) {
    TTestWidget w(nullptr);
    EXPECT_FALSE(IsPublishedProp(&w, "Nothing"));
    EXPECT_THROW(GetPropText(&w, "Nothing"), EPropertyError);
    EXPECT_THROW(SetPropText(&w, "Mode", "tmFour"), EConvertError);
    EXPECT_THROW(SetPropText(&w, "Mode", "7"), EConvertError);
    EXPECT_THROW(SetPropText(&w, "Styles", "[tsBold, tsHuge]"), EPropertyError);
    EXPECT_THROW(SetPropText(&w, "Count", "12x"), EConvertError);
    EXPECT_THROW(SetPropTextByPath(&w, "Caption.Size", "1"), EPropertyError);
    EXPECT_THROW(SetPropTextByPath(&w, "Items[3].Text", "x"), EListError);
    EXPECT_THROW(GetPropValue(&w, "Sub"), EPropertyError);
    EXPECT_TRUE(HasPropertyPath(&w, "Sub.Size"));
    EXPECT_FALSE(HasPropertyPath(&w, "Sub.Width"));
    try {
        GetPropText(&w, "Nothing");
    } catch (const EPropertyError& e) {
        EXPECT_NE(std::string(e.what()).find("Nothing"), std::string::npos);
        EXPECT_NE(std::string(e.what()).find("TTestWidget"), std::string::npos);
    }
}

TEST(PropertyByNameTest, UnpublishedPropertyPublishedByDescendant) {
    TTestWidget w(nullptr);
    TTestWidget2 w2(nullptr);
    EXPECT_FALSE(IsPublishedProp(&w, "Secret"));
    ASSERT_TRUE(IsPublishedProp(&w2, "Secret"));
    SetStrProp(&w2, "Secret", "x");
    EXPECT_EQ(w2.Secret, "x");
    auto names = [](const TObject* o) {
        std::vector<std::string> r;
        for (auto* p : GetPropList(o)) r.push_back(p->Name);
        return r;
    };
    auto list = names(&w2);
    ASSERT_GE(list.size(), 3u);
    EXPECT_EQ(list[0], "Name");  // ancestors' properties first
    EXPECT_EQ(list.back(), "Secret");
    EXPECT_EQ(names(&w).size() + 1, list.size());
}

TEST(ClassInfoTest, ChainCreationByNameAndInheritance) {
    const TClassInfo& c = TTestWidget2::StaticClass();
    EXPECT_EQ(c.ChainNames(&TComponent::StaticClass()), (std::vector<std::string>{"TTestWidget2", "TTestWidget"}));
    EXPECT_TRUE(c.InheritsFrom("tcomponent"));
    EXPECT_FALSE(c.InheritsFrom("TListener"));
    TTestOwner owner(nullptr);
    TComponent* made = CreateComponentByClassName("ttestwidget2", &owner);
    EXPECT_EQ(made->ClassName(), "TTestWidget2");
    EXPECT_EQ(made->Owner(), &owner);
    EXPECT_THROW(CreateComponentByClassName("TNoSuchClass", &owner), EClassNotFound);
}

TEST(EventTest, SavedReplacedAndChainedInFront) {
    TListener l(nullptr);
    TTestWidget w(nullptr);
    w.OnChange = TNotifyEvent::Of<&TListener::FirstChange>(&l);
    // Save in two parts, as the original keeps code and data, then put back together.
    TMethod current = GetMethodProp(&w, "OnChange");
    const TMethodInfo* code = current.Code;
    TObject* data = current.Data;
    EXPECT_EQ(l.MethodName(code), "FirstChange");
    EXPECT_EQ(data, &l);
    l.Saved = TMethod{code, data};
    EXPECT_TRUE(l.Saved == w.OnChange);

    // Replaced by another handler found by name, compared.
    SetMethodProp(&w, "OnChange", TMethod{l.MethodAddress("secondchange"), &l});
    EXPECT_FALSE(w.OnChange == l.Saved);
    w.OnChange(&w);
    // Chained in front of the saved one.
    w.OnChange = TNotifyEvent::Of<&TListener::Chained>(&l);
    w.OnChange(&w);
    EXPECT_EQ(l.Log, (std::vector<std::string>{"second", "chained", "first"}));
    EXPECT_EQ(TMethod(w.OnChange), (TMethod{l.MethodAddress("Chained"), &l}));
}

TEST(EventTest, VarParametersAndSignatureChecks) {
    TListener l(nullptr);
    TTestWidget w(nullptr);
    SetMethodProp(&w, "OnKey", TMethod{l.MethodAddress("KeyHandler"), &l});
    uint16_t key = 13;
    w.OnKey(&w, key, TShiftState{ssCtrl});
    EXPECT_EQ(key, 0);  // the handler consumed the key
    EXPECT_EQ(l.Log.back(), "key 13 ctrl");
    // A notify handler cannot go into a key event, nor the other way round.
    EXPECT_THROW(SetMethodProp(&w, "OnKey", TMethod{l.MethodAddress("FirstChange"), &l}), EPropertyError);
    EXPECT_THROW((w.OnChange = TMethod{l.MethodAddress("KeyHandler"), &l}), EPropertyError);
    // An unassigned event does nothing; calling a published method by name works.
    w.OnChange = TMethod{};
    w.OnChange(&w);
    CallPublishedMethod<TObject*>(&l, "SecondChange", &w);
    EXPECT_EQ(l.Log.back(), "second");
    EXPECT_THROW(CallPublishedMethod<TObject*>(&l, "NoSuchHandler", &w), EInvalidOperation);
}

TEST(ComponentTest, OwnerFindsAndFreesWhatItOwns) {
    std::vector<std::string> log;
    auto* owner = CreateObject<TTestOwner>(nullptr);
    owner->DestroyLog = &log;
    auto* a = CreateObject<TTestWidget>(owner);
    a->SetName("edCode");
    auto* b = CreateObject<TTestWidget>(owner);
    b->SetName("edName");
    EXPECT_EQ(owner->edCode, a);  // the published field follows the component of its name
    EXPECT_EQ(owner->FindComponent("EDNAME"), b);
    EXPECT_EQ(owner->Components(1), b);
    EXPECT_EQ(b->ComponentIndex(), 1);
    EXPECT_THROW(b->SetName("EdCode"), EComponentError);
    EXPECT_THROW(b->SetName("1abc"), EComponentError);
    a->SetName("edOther");
    EXPECT_EQ(owner->edCode, nullptr);
    a->Free();
    EXPECT_EQ(owner->ComponentCount(), 1);
    owner->Free();
    EXPECT_EQ(log, (std::vector<std::string>{"owner destroying with 1 components"}));
}

TEST(ComponentTest, FreeNotificationClearsReferences) {
    auto* holder = CreateObject<TTestWidget>(nullptr);
    auto* other = CreateObject<TTestWidget>(nullptr);
    holder->Buddy = other;
    holder->FreeNotification(other);
    other->Free();
    EXPECT_EQ(holder->Buddy, nullptr);
    // Siblings of one owner hear of each other's removal without asking.
    auto* owner = CreateObject<TTestOwner>(nullptr);
    auto* x = CreateObject<TTestWidget>(owner);
    auto* y = CreateObject<TTestWidget>(owner);
    x->Buddy = y;
    y->Free();
    EXPECT_EQ(x->Buddy, nullptr);
    // A holder freed first is forgotten by the component it watched.
    auto* watched = CreateObject<TTestWidget>(nullptr);
    holder->Buddy = watched;
    holder->FreeNotification(watched);
    holder->Free();
    watched->Free();  // must not notify the freed holder
    owner->Free();
}

TEST(CollectionTest, ItemsByIndexAndAssign) {
    TTestWidget w(nullptr), v(nullptr);
    auto* i0 = static_cast<TTestItem*>(w.Items()->Add());
    auto* i1 = static_cast<TTestItem*>(w.Items()->Add());
    i0->Text = "a";
    i1->Text = "b";
    i1->SetIndex(0);
    EXPECT_EQ(GetPropTextByPath(&w, "Items[0].Text"), "b");
    v.Items()->Assign(w.Items());
    ASSERT_EQ(v.Items()->Count(), 2);
    EXPECT_EQ(static_cast<TTestItem*>(v.Items()->Items(1))->Text, "a");
    w.Items()->Delete(0);
    EXPECT_EQ(w.Items()->Count(), 1);
    EXPECT_THROW(w.Items()->Items(5), EListError);
}

}  // namespace
