// Standard controls: edit, memo, combo box, list box, check box, radio button, group box, label.
#include <gtest/gtest.h>

#include <functional>

#include "platform/forms/Forms.h"
#include "platform/forms/TypInfo.h"
#include "platform/widgets/StdCtrls.h"

using namespace plat;

namespace {

// Records events by name in order.
struct TEventLog : TObject {
    std::vector<std::string> Events;
    void Click(TObject*) { Events.push_back("click"); }
    void Change(TObject*) { Events.push_back("change"); }
    void Select(TObject*) { Events.push_back("select"); }
    void DropDown(TObject*) { Events.push_back("dropdown"); }
    void CloseUp(TObject*) { Events.push_back("closeup"); }
    TNotifyEvent OnClick() { return TNotifyEvent::Of<&TEventLog::Click>(this); }
    TNotifyEvent OnChange() { return TNotifyEvent::Of<&TEventLog::Change>(this); }
    TNotifyEvent OnSelect() { return TNotifyEvent::Of<&TEventLog::Select>(this); }
    std::vector<std::string> Take() { return std::exchange(Events, {}); }
};
using V = std::vector<std::string>;

class StdCtrlsTest : public testing::Test {
protected:
    void SetUp() override {
        Form = CreateObject<TForm>(nullptr, 0);
        Form->Show();
    }
    void TearDown() override { Form->Free(); }
    template <class T>
    T* Make(TWinControl* parent = nullptr) {
        auto* c = CreateObject<T>(Form);
        c->SetParent(parent ? parent : Form);
        return c;
    }
    TForm* Form = nullptr;
    TEventLog Log;
};

// ---- Edit ------------------------------------------------------------------------------------

TEST_F(StdCtrlsTest, EditMaxLengthCountsCharacters) {
    struct Case {
        int maxLength;
        const char* typed;
        const char* text;
    };
    const Case cases[] = {
        {3, "ab中文", "ab中"},
        {2, "中文字", "中文"},
        {0, "中文字", "中文字"},
        {1, "xy", "x"},
    };
    for (const auto& c : cases) {
        auto* e = Make<TEdit>();
        e->SetMaxLength(c.maxLength);
        e->SetFocus();
        TypeText(c.typed);
        EXPECT_EQ(e->Text(), c.text) << c.maxLength << " " << c.typed;
        e->Free();
    }
}

TEST_F(StdCtrlsTest, EditSelectionTypingAndReadOnly) {
    auto* e = Make<TEdit>();
    e->SetText("hello 中文");
    e->SetFocus();  // entering selects everything
    EXPECT_EQ(e->SelText(), "hello 中文");
    TypeText("x");
    EXPECT_EQ(e->Text(), "x");
    e->SetText("abc中d");
    e->SetSelStart(3);
    PressKey(VK_RIGHT, {ssShift});
    PressKey(VK_RIGHT, {ssShift});
    EXPECT_EQ(e->SelText(), "中d");
    PressKey(VK_LEFT, {ssShift});
    EXPECT_EQ(e->SelText(), "中");
    e->SetSelText("X");
    EXPECT_EQ(e->Text(), "abcXd");
    PressKey(VK_BACK);
    EXPECT_EQ(e->Text(), "abcd");
    PressKey(VK_HOME);
    PressKey(VK_DELETE);
    EXPECT_EQ(e->Text(), "bcd");
    e->SetReadOnly(true);
    TypeText("z");
    PressKey(VK_DELETE);
    PressKey(VK_BACK);
    EXPECT_EQ(e->Text(), "bcd");
}

TEST_F(StdCtrlsTest, EditChangeEventAndModifiedFlag) {
    auto* e = Make<TEdit>();
    e->OnChange = Log.OnChange();
    e->SetText("a");
    e->SetText("a");  // no change, no event
    EXPECT_EQ(Log.Take(), V{"change"});
    EXPECT_FALSE(e->Modified());
    e->SetFocus();
    TypeText("bc");
    EXPECT_EQ(Log.Take(), (V{"change", "change"}));
    EXPECT_TRUE(e->Modified());
    e->SetText("code");  // text set in code is not a user's modification
    EXPECT_FALSE(e->Modified());
}

TEST_F(StdCtrlsTest, TextInputControlsPublishImeNameAndTheirTypes) {
    struct Case {
        const char* cls;
        const char* prop;
        const char* type;
    };
    const Case cases[] = {
        {"TEdit", "ImeName", "TImeName"},       {"TMemo", "ImeName", "TImeName"},
        {"TComboBox", "ImeName", "TImeName"},   {"TEdit", "BorderStyle", "TBorderStyle"},
        {"TMemo", "Lines", "TStrings"},         {"TComboBox", "Items", "TStrings"},
        {"TListBox", "Items", "TStrings"},      {"TComboBox", "Style", "TComboBoxStyle"},
        {"TListBox", "Style", "TListBoxStyle"}, {"TCheckBox", "State", "TCheckBoxState"},
        {"TCheckBox", "Alignment", "TLeftRight"}, {"TMemo", "ScrollBars", "TScrollStyle"},
    };
    for (const auto& c : cases) {
        const TPropInfo* p = GetPropInfo(GetClass(c.cls), c.prop);
        ASSERT_NE(p, nullptr) << c.cls << "." << c.prop;
        EXPECT_EQ(p->PropType->Name, c.type) << c.cls << "." << c.prop;
    }
    EXPECT_EQ(GetPropInfo(GetClass("TMemo"), "Text"), nullptr);  // a memo publishes Lines only
    const TTypeInfo* style = GetPropInfo(GetClass("TComboBox"), "Style")->PropType;
    EXPECT_EQ(style->EnumNames, (V{"csDropDown", "csSimple", "csDropDownList", "csOwnerDrawFixed", "csOwnerDrawVariable"}));
    EXPECT_EQ(GetPropInfo(GetClass("TListBox"), "Style")->PropType->EnumNames,
              (V{"lbStandard", "lbOwnerDrawFixed", "lbOwnerDrawVariable", "lbVirtual", "lbVirtualOwnerDraw"}));
}

TEST_F(StdCtrlsTest, ClassChain) {
    struct Case {
        const char* cls;
        const char* ancestor;
    };
    const Case cases[] = {
        {"TEdit", "TCustomEdit"},         {"TMemo", "TCustomMemo"},          {"TMemo", "TCustomEdit"},
        {"TComboBox", "TCustomComboBox"}, {"TCheckBox", "TButtonControl"},   {"TRadioButton", "TButtonControl"},
        {"TButton", "TButtonControl"},    {"TGroupBox", "TCustomGroupBox"},  {"TListBox", "TCustomListBox"},
        {"TCustomGroupBox", "TCustomControl"},
    };
    for (const auto& c : cases) EXPECT_TRUE(GetClass(c.cls).InheritsFrom(c.ancestor)) << c.cls << " " << c.ancestor;
}

// ---- Memo ------------------------------------------------------------------------------------

TEST_F(StdCtrlsTest, MemoLinesAreAViewOfTheText) {
    auto* m = Make<TMemo>();
    m->Lines()->Add("first");
    m->Lines()->Add("第二");
    EXPECT_EQ(m->Text(), "first\r\n第二\r\n");
    EXPECT_EQ(m->Lines()->Count(), 2);  // the empty line after the last break does not count
    m->Lines()->Insert(1, "middle");
    m->Lines()->SetStrings(0, "FIRST");
    m->Lines()->Delete(2);
    EXPECT_EQ(m->Lines()->ToVector(), (V{"FIRST", "middle"}));
    EXPECT_EQ(m->Lines()->Text(), m->Text());
    m->Lines()->SetText("a\nb\rc");
    EXPECT_EQ(m->Text(), "a\r\nb\r\nc");
    EXPECT_EQ(m->Lines()->Count(), 3);
    m->Lines()->Add("d");
    EXPECT_EQ(m->Text(), "a\r\nb\r\nc\r\nd");
    m->Lines()->Clear();
    EXPECT_EQ(m->Lines()->Count(), 0);
    EXPECT_THROW((void)m->Lines()->Get(0), EListError);
}

TEST_F(StdCtrlsTest, MemoEnterAndCaretLine) {
    auto* m = Make<TMemo>();
    m->SetFocus();
    TypeText("one");
    PressKey(VK_RETURN);
    TypeText("two");
    PressKey(VK_RETURN);
    EXPECT_EQ(m->Text(), "one\r\ntwo\r\n");
    EXPECT_EQ(m->CaretPos(), (TPoint{0, 2}));
    PressKey(VK_UP);
    PressKey(VK_END);
    EXPECT_EQ(m->CaretPos(), (TPoint{3, 1}));
    m->SetCaretPos({1, 0});
    TypeText("X");
    EXPECT_EQ(m->Lines()->Get(0), "oXne");
    m->SetWantReturns(false);
    PressKey(VK_RETURN);  // no longer a line break: the form may take it
    EXPECT_EQ(m->Lines()->Count(), 2);
}

// ---- Combo box -------------------------------------------------------------------------------

TEST_F(StdCtrlsTest, ComboRewritingItemsLosesTheSelection) {
    struct Case {
        const char* what;
        std::function<void(TStrings*)> act;
        int index;  // ItemIndex afterwards, starting from item 2 selected
    };
    const Case cases[] = {
        {"Text", [](TStrings* s) { s->SetText("a\nb\nc\nd"); }, -1},
        {"Clear", [](TStrings* s) { s->Clear(); }, -1},
        {"Assign", [](TStrings* s) { TStringList l; l.SetCommaText("a,b,c,d"); s->Assign(&l); }, -1},
        {"Put selected", [](TStrings* s) { s->SetStrings(2, "C"); }, -1},
        {"Delete selected", [](TStrings* s) { s->Delete(2); }, -1},
        {"Delete before", [](TStrings* s) { s->Delete(0); }, 1},
        {"Insert before", [](TStrings* s) { s->Insert(1, "x"); }, 3},
        {"Add", [](TStrings* s) { s->Add("e"); }, 2},
        {"Delete after", [](TStrings* s) { s->Delete(3); }, 2},
    };
    for (TComboBoxStyle style : {csDropDown, csDropDownList}) {
        for (const auto& c : cases) {
            auto* cb = Make<TComboBox>();
            cb->SetStyle(style);
            cb->Items()->SetCommaText("a,b,c,d");
            cb->OnChange = Log.OnChange();
            cb->SetItemIndex(2);
            EXPECT_EQ(cb->Text(), "c");
            c.act(cb->Items());
            EXPECT_EQ(cb->ItemIndex(), c.index) << c.what << " style " << style;
            if (c.index < 0 && style == csDropDownList) {
                EXPECT_EQ(cb->Text(), "") << c.what;
            }
            EXPECT_TRUE(Log.Take().empty()) << c.what;  // changes in code raise no events
            cb->Free();
        }
    }
}

TEST_F(StdCtrlsTest, ComboSelectionByTheUser) {
    auto* cb = Make<TComboBox>();
    cb->SetStyle(csDropDownList);
    cb->Items()->SetCommaText("星期日,星期一,星期二");
    cb->OnClick = Log.OnClick();
    cb->OnChange = Log.OnChange();
    cb->OnDropDown = TNotifyEvent::Of<&TEventLog::DropDown>(&Log);
    cb->OnCloseUp = TNotifyEvent::Of<&TEventLog::CloseUp>(&Log);
    cb->SetItemIndex(0);
    EXPECT_TRUE(Log.Take().empty());
    cb->SetDroppedDown(true);
    cb->SelectFromList(1);
    EXPECT_EQ(Log.Take(), (V{"dropdown", "click", "change", "closeup"}));
    EXPECT_EQ(cb->Text(), "星期一");
    cb->OnSelect = Log.OnSelect();  // a select handler takes the change's place
    cb->SetFocus();
    PressKey(VK_DOWN);
    EXPECT_EQ(cb->ItemIndex(), 2);
    PressKey(VK_DOWN);  // at the last item: nothing
    EXPECT_EQ(Log.Take(), (V{"click", "select"}));
    cb->SetText("星期日");  // a list style selects the item of that text
    EXPECT_EQ(cb->ItemIndex(), 0);
    cb->SetText("nothing");
    EXPECT_EQ(cb->ItemIndex(), 0);
    cb->SetItemIndex(7);  // outside the items: no selection, no text
    EXPECT_EQ(cb->ItemIndex(), -1);
    EXPECT_EQ(cb->Text(), "");
}

TEST_F(StdCtrlsTest, ComboTypingCompletesOrClearsTheSelection) {
    auto* cb = Make<TComboBox>();
    cb->Items()->SetCommaText("apple,apricot,banana");
    cb->OnChange = Log.OnChange();
    cb->OnClick = Log.OnClick();
    cb->SetFocus();
    TypeText("apr");
    EXPECT_EQ(cb->Text(), "apricot");
    EXPECT_EQ(cb->SelText(), "icot");  // the completed part is selected
    EXPECT_EQ(cb->ItemIndex(), 1);
    EXPECT_EQ(Log.Take(), (V{"click", "change", "click", "change"}));  // a then p then r: 0, 0, 1
    TypeText("x");  // no item begins with "aprx": the text is the user's, no selection
    EXPECT_EQ(cb->Text(), "aprx");
    EXPECT_EQ(cb->ItemIndex(), -1);
    EXPECT_EQ(Log.Take(), V{"change"});
    cb->SetAutoComplete(false);
    cb->SetText("");
    TypeText("ban");
    EXPECT_EQ(cb->Text(), "ban");
    EXPECT_EQ(cb->ItemIndex(), -1);
}

// ---- List box --------------------------------------------------------------------------------

TEST_F(StdCtrlsTest, ListBoxClicksSelectItemsAndRaiseOnClick) {
    auto* lb = Make<TListBox>();
    lb->Items()->SetCommaText("a,b,c,d");
    lb->OnClick = Log.OnClick();
    ClickAt(lb, 5, lb->ItemHeight() * 2 + 3);
    EXPECT_EQ(lb->ItemIndex(), 2);
    ClickAt(lb, 5, lb->ItemHeight() * 2 + 3);  // the same item again: no change
    ClickAt(lb, 5, lb->ItemHeight() * 9);      // below the items
    EXPECT_EQ(Log.Take(), V{"click"});
    lb->Items()->SetStrings(2, "C");  // a list box keeps its selection when a line is replaced
    EXPECT_EQ(lb->ItemIndex(), 2);
    lb->Items()->Delete(2);
    EXPECT_EQ(lb->ItemIndex(), -1);
    lb->SetItemIndex(1);
    lb->Items()->SetText("x\ny");
    EXPECT_EQ(lb->ItemIndex(), -1);
    EXPECT_EQ(lb->SelCount(), -1);  // single selection answers -1

    lb->SetMultiSelect(true);
    lb->Items()->SetCommaText("a,b,c,d");
    ClickAt(lb, 5, 1);
    SetKeyboardShiftState({ssShift});
    ClickAt(lb, 5, lb->ItemHeight() * 2 + 1);
    SetKeyboardShiftState({});
    EXPECT_EQ(lb->SelCount(), 3);
    EXPECT_TRUE(lb->Selected(1));
    EXPECT_FALSE(lb->Selected(3));
    EXPECT_THROW((void)lb->Selected(4), EListError);
}

// ---- Check box and radio button --------------------------------------------------------------

TEST_F(StdCtrlsTest, CheckBoxToggles) {
    auto* cb = Make<TCheckBox>();
    cb->OnClick = Log.OnClick();
    ClickAt(cb);
    EXPECT_TRUE(cb->Checked());
    cb->SetAllowGrayed(true);
    ClickAt(cb);
    EXPECT_EQ(cb->State(), cbUnchecked);
    ClickAt(cb);
    EXPECT_EQ(cb->State(), cbGrayed);
    ClickAt(cb);
    EXPECT_EQ(cb->State(), cbChecked);
    EXPECT_EQ(Log.Take().size(), 4u);
    cb->SetChecked(false);  // in code: still a click
    EXPECT_EQ(Log.Take(), V{"click"});
    cb->SetClicksDisabled(true);
    cb->SetChecked(true);
    EXPECT_TRUE(Log.Take().empty());
    cb->SetClicksDisabled(false);
    cb->SetEnabled(false);
    ClickAt(cb);
    EXPECT_TRUE(cb->Checked());
    cb->SetEnabled(true);
    cb->SetFocus();
    PressKey(VK_SPACE);
    EXPECT_FALSE(cb->Checked());
}

TEST_F(StdCtrlsTest, RadioButtonsOfOneParentExcludeEachOther) {
    auto* group = Make<TGroupBox>();
    auto* a = Make<TRadioButton>(group);
    auto* b = Make<TRadioButton>(group);
    auto* other = Make<TRadioButton>();
    other->SetChecked(true);
    a->OnClick = Log.OnClick();
    ClickAt(a);
    EXPECT_TRUE(a->Checked());
    EXPECT_TRUE(a->TabStop());
    ClickAt(a);  // already checked: nothing
    b->SetChecked(true);
    EXPECT_FALSE(a->Checked());
    EXPECT_FALSE(a->TabStop());
    EXPECT_TRUE(other->Checked());  // another parent is another group
    EXPECT_EQ(Log.Take(), V{"click"});
}

// ---- Group box and label ---------------------------------------------------------------------

TEST_F(StdCtrlsTest, GroupBoxKeepsChildrenOffItsCaption) {
    auto* g = Make<TGroupBox>();
    g->Font()->SetHeight(-13);
    g->SetBounds(0, 0, 200, 100);
    auto* p = Make<TMemo>(g);
    p->SetAlign(alClient);
    EXPECT_EQ(p->BoundsRect(), (TRect{2, 15, 198, 98}));
    g->SetCtl3D(false);
    g->Realign();
    EXPECT_EQ(p->BoundsRect(), (TRect{1, 14, 199, 99}));
}

TEST_F(StdCtrlsTest, WordWrappedLabelFitsItsHeight) {
    auto* l = Make<TLabel>();
    l->Font()->SetHeight(-13);
    l->SetWordWrap(true);
    l->SetWidth(50);
    l->SetCaption("one two three");  // 7 px a character: "one " and "two " fit, "three" alone
    EXPECT_EQ(l->Width(), 50);
    EXPECT_EQ(l->Height(), 39);
}

}  // namespace
