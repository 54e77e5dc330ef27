// The masked edit control: typing into date masks, Text versus EditText, assigning Text, the
// blank check of required fields done through published properties, changing the mask while text
// is held, validation on leaving and on Enter, Escape.
#include <gtest/gtest.h>

#include "platform/core/SysUtils.h"
#include "platform/forms/Forms.h"
#include "platform/forms/TypInfo.h"
#include "platform/widgets/Mask.h"

using namespace plat;

namespace {

struct TChangeLog : TObject {
    std::vector<std::string> Texts;  // the edit text at each change
    void Changed(TObject* sender) { Texts.push_back(static_cast<TCustomMaskEdit*>(sender)->EditText()); }
};

class MaskEditTest : public testing::Test {
protected:
    void SetUp() override {
        fSaved = FormatSettings;
        FormatSettings.DateSeparator = '/';
        Form = CreateObject<TForm>(nullptr, 0);
        Edit = CreateObject<TMaskEdit>(Form);
        Edit->SetParent(Form);
        Other = CreateObject<TEdit>(Form);
        Other->SetParent(Form);
        Form->Show();
    }
    void TearDown() override {
        Form->Free();
        FormatSettings = fSaved;
    }
    TForm* Form = nullptr;
    TMaskEdit* Edit = nullptr;
    TEdit* Other = nullptr;

private:
    TFormatSettings fSaved;
};

TEST_F(MaskEditTest, TypingIntoTheDateMasks) {
    struct Case {
        const char* mask;
        const char* keys;
        const char* editText;
        const char* text;
    };
    const Case cases[] = {
        {"9999/99/99;1; ", "20240305", "2024/03/05", "2024/03/05"},
        {"99/99/9999;1; ", "0305", "03/05/    ", "03/05/    "},
        {"99/99/99;1; ", "870401", "87/04/01", "87/04/01"},
        {"999/99/99;1; ", "113", "113/  /  ", "113/  /  "},
        {"9999/99/99;0;_", "2024", "2024/__/__", "2024"},
    };
    for (const auto& c : cases) {
        Edit->SetEditMask(c.mask);
        Edit->SetText("");
        Edit->SetFocus();  // entering selects all: typing starts at the first position
        TypeText(c.keys);
        EXPECT_EQ(Edit->EditText(), c.editText) << c.mask;
        EXPECT_EQ(Edit->Text(), c.text) << c.mask;
        EXPECT_EQ(GetPropValue(Edit, "Text").AsString(), c.text) << c.mask;  // the published Text is masked
        Other->SetFocus();  // optional positions only: leaving is fine
    }
}

TEST_F(MaskEditTest, KeysBlankAndMoveWithoutShifting) {
    Edit->SetEditMask("9999/99/99;1;_");
    Edit->SetFocus();
    TypeText("202403");
    PressKey(VK_BACK);
    EXPECT_EQ(Edit->EditText(), "2024/0_/__");
    PressKey(VK_HOME);
    PressKey(VK_DELETE);
    EXPECT_EQ(Edit->EditText(), "_024/0_/__");
    PressKey(VK_RIGHT);
    PressKey(VK_RIGHT);
    PressKey(VK_RIGHT);
    PressKey(VK_RIGHT);  // over the separator
    TypeText("9");
    EXPECT_EQ(Edit->EditText(), "_024/9_/__");
    Edit->SetReadOnly(true);
    TypeText("1");
    PressKey(VK_BACK);
    EXPECT_EQ(Edit->EditText(), "_024/9_/__");
}

TEST_F(MaskEditTest, AssigningTextUnderAMask) {
    struct Case {
        const char* mask;
        const char* text;
        const char* editText;
        const char* readBack;
    };
    const Case cases[] = {
        {"9999/99/99;1; ", "2024/03/05", "2024/03/05", "2024/03/05"},
        {"9999/99/99;1; ", "", "    /  /  ", "    /  /  "},
        {"9999/99/99;0;_", "20240305", "2024/03/05", "20240305"},
        {"", "plain", "plain", "plain"},
    };
    for (const auto& c : cases) {
        Edit->SetEditMask(c.mask);
        SetPropValue(Edit, "Text", Variant(c.text));
        EXPECT_EQ(Edit->EditText(), c.editText) << c.mask << " " << c.text;
        EXPECT_EQ(Edit->Text(), c.readBack) << c.mask << " " << c.text;
        EXPECT_FALSE(Edit->Modified());
    }
}

// The required-field check finds the empty text of a "…;1;…" mask by switching the save field
// off, clearing the text, switching it back and reading the text, then restoring the text.
TEST_F(MaskEditTest, BlankCheckThroughPublishedProperties) {
    const char* masks[] = {"9999/99/99;1; ", "99/99/9999;1; ", "99/99/99;1; ", "999/99/99;1; "};
    for (const char* mask : masks) {
        SetPropValue(Edit, "EditMask", Variant(mask));
        SetPropValue(Edit, "Text", Variant("1234567890"));
        std::string held = GetPropValue(Edit, "Text").AsString();
        std::string m = GetPropValue(Edit, "EditMask").AsString();
        SetPropValue(Edit, "EditMask", Variant(StringReplace(m, ";1", ";0", 0)));
        SetPropValue(Edit, "Text", Variant(""));
        SetPropValue(Edit, "EditMask", Variant(m));
        std::string empty = GetPropValue(Edit, "Text").AsString();
        SetPropValue(Edit, "Text", Variant(held));
        EXPECT_EQ(empty, MaskBlankText(mask)) << mask;
        EXPECT_EQ(GetPropValue(Edit, "Text").AsString(), held) << mask;
        EXPECT_TRUE(TEditMask(mask).IsBlankText(empty)) << mask;
        EXPECT_FALSE(TEditMask(mask).IsBlankText(held)) << mask;
    }
}

TEST_F(MaskEditTest, ChangingTheMaskWhileTextIsHeldRaisesChange) {
    TChangeLog log;
    Edit->SetEditMask("9999/99/99;1;_");
    Edit->SetText("2024/03/05");
    Edit->OnChange = TNotifyEvent::Of<&TChangeLog::Changed>(&log);
    Edit->SetEditMask("9999/99/99;0;_");  // the same edit text: no change
    EXPECT_TRUE(log.Texts.empty());
    EXPECT_EQ(Edit->Text(), "20240305");
    Edit->SetEditMask("99/99/9999;1;_");
    EXPECT_EQ(log.Texts, std::vector<std::string>{"20/24/0305"});  // the handler sees the new text
    EXPECT_EQ(Edit->MaxLength(), 10);
    Edit->SetEditMask("");  // dropping the mask drops the text
    EXPECT_EQ(Edit->EditText(), "");
    EXPECT_EQ(Edit->MaxLength(), 0);
    EXPECT_EQ(log.Texts.size(), 2u);
}

TEST_F(MaskEditTest, LeavingValidatesWhatTheUserChanged) {
    Edit->SetEditMask("0000;1;_");
    Edit->SetText("12");  // set in code: not validated
    Edit->SetFocus();
    Other->SetFocus();
    EXPECT_TRUE(Other->Focused());

    Edit->SetText("");
    Edit->SetFocus();
    TypeText("12");
    try {
        Other->SetFocus();
        ADD_FAILURE() << "no validation error";
    } catch (const EDBEditError& e) {
        EXPECT_STREQ(e.what(), "Invalid input value.  Use escape key to abandon changes");
    }
    EXPECT_TRUE(Edit->Focused());  // the focus went back
    EXPECT_EQ(Form->ActiveControl(), Edit);
    EXPECT_EQ(Edit->SelStart(), 2);  // on the first blank required position
    EXPECT_THROW(PressKey(VK_RETURN), EDBEditError);
    PressKey(VK_ESCAPE);  // back to the text the box had when entered
    EXPECT_EQ(Edit->EditText(), "____");
    Other->SetFocus();
    EXPECT_TRUE(Other->Focused());
    Edit->SetFocus();
    TypeText("1234");
    PressKey(VK_RETURN);
    Other->SetFocus();
    EXPECT_EQ(Edit->Text(), "1234");
}

TEST_F(MaskEditTest, ClassChainAndPublishedTypes) {
    EXPECT_TRUE(Edit->InheritsFrom("TCustomMaskEdit"));
    EXPECT_TRUE(Edit->InheritsFrom("TCustomEdit"));
    EXPECT_EQ(GetPropInfo(Edit, "EditMask")->PropType->Name, "TEditMask");
    EXPECT_EQ(GetPropInfo(Edit, "Text")->PropType->Name, "TMaskedText");
    EXPECT_EQ(GetPropInfo(Edit, "ImeName")->PropType->Name, "TImeName");
}

}  // namespace
