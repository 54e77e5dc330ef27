// Published properties by name and by dotted path, on a small component with one property of
// each kind.
#include <gtest/gtest.h>

#include "environment/LibRTTI.h"
#include "platform/forms/Classes.h"

using namespace plat;
using namespace qm;

namespace plat {
enum TEnvTestAlign { eaLeft, eaRight, eaCenter };
enum TEnvTestOption { eoBold, eoWide };
using TEnvTestOptions = TSet<TEnvTestOption>;
PLAT_DECLARE_ENUM(TEnvTestAlign)
PLAT_DECLARE_ENUM(TEnvTestOption)
PLAT_DECLARE_SET(TEnvTestOptions)
PLAT_DEFINE_ENUM(TEnvTestAlign, "eaLeft", "eaRight", "eaCenter")
PLAT_DEFINE_ENUM(TEnvTestOption, "eoBold", "eoWide")
PLAT_DEFINE_SET(TEnvTestOptions, TEnvTestOption)
}  // namespace plat

namespace {

const TTypeInfo* ColourType() {
    static const TTypeInfo* t = MakeIntegerType("TEnvTestColour", {{0x0000FF, "clRed"}, {0xFFFFFF, "clWhite"}});
    return t;
}

class TEnvFont : public TPersistent {
    PLAT_CLASS(TEnvFont)
    std::string Name = "SimSun";
    int Size = 9;
    int Color = 0;
};
PLAT_REGISTER_CLASS(TEnvFont, TPersistent) {
    b.Property("Name", &Self::Name);
    b.Property("Size", &Self::Size);
    b.Property("Color", &Self::Color).Type(ColourType());
}

class TEnvBox : public TComponent {
    PLAT_CLASS(TEnvBox)
    using TComponent::TComponent;
    std::string Caption;
    int Count = 0;
    int Color = 0;
    bool Checked = false;
    TEnvTestAlign Alignment = eaLeft;
    TEnvTestOptions Options;
    double Ratio = 0;
    TNotifyEvent OnClick;
    TEnvFont* Font() const { return const_cast<TEnvFont*>(&fFont); }
    std::string Hint() const { return "fixed"; }
    std::vector<std::string> Clicks;
    void BoxClick(TObject*) { Clicks.push_back("click"); }

private:
    TEnvFont fFont;
};
PLAT_REGISTER_CLASS(TEnvBox, TComponent) {
    b.Property("Caption", &Self::Caption);
    b.Property("Count", &Self::Count);
    b.Property("Color", &Self::Color).Type(ColourType());
    b.Property("Checked", &Self::Checked);
    b.Property("Alignment", &Self::Alignment);
    b.Property("Options", &Self::Options);
    b.Property("Ratio", &Self::Ratio);
    b.Event("OnClick", &Self::OnClick);
    b.Property("Font", &Self::Font);
    b.Property("Hint", &Self::Hint);
    PLAT_METHOD(BoxClick);
}

class PropertyRoutines : public ::testing::Test {
protected:
    void SetUp() override { box = CreateObject<TEnvBox>(nullptr); }
    void TearDown() override { FreeAndNil(box); }
    TEnvBox* box = nullptr;
};

TEST_F(PropertyRoutines, ReadAndWriteByName) {
    EXPECT_TRUE(HasProperty(box, "caption"));
    EXPECT_TRUE(HasProperty(box, "Font"));
    EXPECT_FALSE(HasProperty(box, "Clicks"));
    EXPECT_FALSE(HasProperty(box, ""));
    EXPECT_FALSE(HasProperty(nullptr, "Caption"));

    SetStringProperty(box, "Caption", "费用预算");
    EXPECT_EQ(box->Caption, "费用预算");
    EXPECT_EQ(GetStringProperty(box, "CAPTION"), "费用预算");
    SetOrdinalProperty(box, "Count", 7);
    EXPECT_EQ(GetOrdinalProperty(box, "Count"), 7);
    SetOrdinalProperty(box, "Alignment", eaCenter);
    EXPECT_EQ(box->Alignment, eaCenter);
    SetOrdinalProperty(box, "Checked", 1);
    EXPECT_TRUE(box->Checked);
    box->Options = {eoWide};
    EXPECT_EQ(GetOrdinalProperty(box, "Options"), 2);
    EXPECT_EQ(GetObjectProperty(box, "Font"), box->Font());

    const TMethod handler{box->MethodAddress("BoxClick"), box};
    SetMethodProperty(box, "OnClick", handler);
    EXPECT_EQ(GetMethodProperty(box, "OnClick"), handler);
    box->OnClick(box);
    EXPECT_EQ(box->Clicks, std::vector<std::string>{"click"});
}

TEST_F(PropertyRoutines, AbsentOrOtherKindIsNeverAnError) {
    box->Count = 3;
    // Missing object, empty name, missing property, property of another kind.
    EXPECT_EQ(GetStringProperty(nullptr, "Caption"), "");
    EXPECT_EQ(GetStringProperty(box, ""), "");
    EXPECT_EQ(GetStringProperty(box, "Nothing"), "");
    EXPECT_EQ(GetStringProperty(box, "Count"), "");
    EXPECT_EQ(GetOrdinalProperty(box, "Caption"), 0);
    EXPECT_EQ(GetOrdinalProperty(nullptr, "Count"), 0);
    EXPECT_FALSE(GetMethodProperty(box, "Caption").Assigned());
    EXPECT_EQ(GetMethodProperty(box, "Nothing").Data, nullptr);
    EXPECT_EQ(GetObjectProperty(box, "Count"), nullptr);
    EXPECT_EQ(GetObjectProperty(nullptr, "Font"), nullptr);
    EXPECT_NO_THROW(SetStringProperty(box, "Count", "9"));
    EXPECT_NO_THROW(SetStringProperty(box, "Hint", "read-only"));
    EXPECT_NO_THROW(SetStringProperty(nullptr, "Caption", "x"));
    EXPECT_NO_THROW(SetOrdinalProperty(box, "Caption", 1));
    EXPECT_NO_THROW(SetMethodProperty(box, "Count", TMethod{}));
    EXPECT_EQ(box->Count, 3);
    EXPECT_EQ(box->Caption, "");
    EXPECT_EQ(GetStringProperty(box, "Hint"), "fixed");
}

TEST_F(PropertyRoutines, SetByPath) {
    SetPropertyByPath(box, "Font.Name", Variant("MingLiU"));
    EXPECT_EQ(box->Font()->Name, "MingLiU");
    SetPropertyByPath(box, "font.size", Variant(12));
    EXPECT_EQ(box->Font()->Size, 12);
    // Integer identifiers first, the value itself when it is none of them.
    SetPropertyByPath(box, "Font.Color", Variant("clRed"));
    EXPECT_EQ(box->Font()->Color, 0x0000FF);
    SetPropertyByPath(box, "Color", Variant("255"));
    EXPECT_EQ(box->Color, 255);
    SetPropertyByPath(box, "Color", Variant(16));
    EXPECT_EQ(box->Color, 16);
    // Enumerations and sets take trimmed names; integers are ordinals.
    SetPropertyByPath(box, "Alignment", Variant("  eaRight "));
    EXPECT_EQ(box->Alignment, eaRight);
    SetPropertyByPath(box, "Alignment", Variant(2));
    EXPECT_EQ(box->Alignment, eaCenter);
    SetPropertyByPath(box, "Options", Variant(" [eoBold,eoWide] "));
    EXPECT_EQ(box->Options, (TEnvTestOptions{eoBold, eoWide}));
    SetPropertyByPath(box, "Checked", Variant(true));
    EXPECT_TRUE(box->Checked);
    SetPropertyByPath(box, "Caption", Variant::Wide("标题"));
    EXPECT_EQ(box->Caption, "标题");
    SetPropertyByPath(box, "Ratio", Variant(0.5));
    EXPECT_DOUBLE_EQ(box->Ratio, 0.5);
}

TEST_F(PropertyRoutines, PathFailuresRaiseOrAnswerFalse) {
    const struct {
        TObject* obj;
        std::string path;
        Variant value;
    } cases[] = {
        {box, "Nothing", Variant(1)},
        {box, "Font.Nothing", Variant(1)},
        {box, "Count.Size", Variant(1)},   // Count is not class-typed
        {box, "Alignment", Variant("eaNowhere")},
        {box, "Count", Variant("abc")},
        {box, "", Variant(1)},
        {nullptr, "Caption", Variant("x")},
    };
    for (const auto& c : cases) {
        EXPECT_ANY_THROW(SetPropertyByPath(c.obj, c.path, c.value)) << c.path;
        EXPECT_FALSE(TrySetPropertyByPath(c.obj, c.path, c.value)) << c.path;
    }
    EXPECT_TRUE(TrySetPropertyByPath(box, "Font.Size", Variant("14")));
    EXPECT_EQ(box->Font()->Size, 14);
}

}  // namespace
