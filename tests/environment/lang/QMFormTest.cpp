// The localised base form: packages of the class chain applied on show, a damaged package
// logged once and the form shown untranslated, messages with their defaults.
#include <gtest/gtest.h>

#include "environment/QMForm.h"
#include "environment/fixtures/Installation.h"
#include "platform/forms/TypInfo.h"
#include "platform/graphics/Bitmap.h"
#include "platform/widgets/StdCtrls.h"

using namespace plat;
using namespace qm;

class TfrmLangTest : public TQMForm {
    PLAT_CLASS(TfrmLangTest)
    explicit TfrmLangTest(TComponent* owner) : TQMForm(owner) {}
};
PLAT_REGISTER_CLASS(TfrmLangTest, TQMForm) {}

namespace {

class QMFormTest : public envtest::Installation {
protected:
    void Package(const std::string& name, const std::string& xml) {
        envtest::WriteFile(fFolder / "MultiLanguage" / "CHS" / (name + ".Lng"), xml);
    }
};

TEST_F(QMFormTest, DescriptionGivesTheConverterAndTheController) {
    auto* f = CreateObject<TfrmLangTest>(nullptr);
    ASSERT_NE(f->QmConverter, nullptr);
    ASSERT_NE(f->LangController, nullptr);
    EXPECT_FALSE(f->LangController->Active());
    EXPECT_EQ(f->QmConverter->DesignType(), dtClient);
    EXPECT_EQ(f->Font()->Name(), "宋体");
    EXPECT_EQ(f->Font()->Height(), -13);
    EXPECT_TRUE(f->KeyPreview());
    EXPECT_EQ(f->Position(), poScreenCenter);
    EXPECT_TRUE(f->LanguageOnShow);
    EXPECT_FALSE(f->Converted);
    EXPECT_EQ(f->GetUICodePage(), "936");
    EXPECT_EQ(f->GetConvertKind(), 0);
    f->Free();
}

TEST_F(QMFormTest, ShowAppliesTheClassChainMostBasicFirst) {
    Package("TQMForm", R"(<TQMForm Caption="base" Hint="base hint"><QmConverter Tag="3"/></TQMForm>)");
    Package("TfrmLangTest", R"(<TfrmLangTest Caption="derived"/>)");
    auto* f = CreateObject<TfrmLangTest>(nullptr);
    f->Show();
    EXPECT_EQ(f->Caption(), "derived");
    EXPECT_EQ(f->QmConverter->Tag(), 3);
    f->Hide();
    f->SetCaption("");
    f->ApplyOwnLanguage(f, true);  // stops before TQMForm
    EXPECT_EQ(f->Caption(), "derived");
    f->QmConverter->SetTag(0);
    f->ApplyOwnLanguage(f, true);
    EXPECT_EQ(f->QmConverter->Tag(), 0);
    f->Free();
}

TEST_F(QMFormTest, DamagedPackageIsLoggedAndTheFormShowsUntranslated) {
    Package("TQMForm", R"(<TQMForm Caption="base"/>)");
    Package("TfrmLangTest", R"(<TfrmLangTest Caption="derived">)");
    auto* f = CreateObject<TfrmLangTest>(nullptr);
    EXPECT_THROW(f->ApplyLanguage(f, true), LanguageControllerError);
    f->SetCaption("");
    EXPECT_NO_THROW(f->Show());
    EXPECT_EQ(f->Caption(), "base");
    f->Free();
    bool logged = false;
    for (auto& e : std::filesystem::directory_iterator(fFolder / "Log"))
        logged = logged || envtest::ReadFile(e.path()).find("TfrmLangTest.Lng") != std::string::npos;
    EXPECT_TRUE(logged);
}

TEST_F(QMFormTest, LangMessageFallsBackToTheDefault) {
    Package("TfrmBaseGene", R"(<TfrmBaseGene><sOption Msg="Options"/></TfrmBaseGene>)");
    auto* f = CreateObject<TfrmLangTest>(nullptr);
    std::string text;
    f->GetLangMessage("TfrmBaseGene", "sOption", text, true, "选项");
    EXPECT_EQ(text, "Options");
    f->GetLangMessage("TfrmBaseGene", "sProjNameEmpty", text, true, "方案名称不能为空");
    EXPECT_EQ(text, "方案名称不能为空");  // kind 0: the default is not converted
    f->Free();
}

TEST_F(QMFormTest, EnglishScreensGetTahomaAndImeNamesAreCleared) {
    SystemCodePage("1252");
    auto* f = new TfrmLangTest(nullptr);
    auto* lbl = CreateObject<TLabel>(f);
    lbl->SetName("lblA");
    f->AfterConstruction();  // reads the description, then runs the create handler over lblA
    EXPECT_EQ(lbl->Font()->Name(), "Tahoma");
    EXPECT_EQ(lbl->Font()->Charset(), 134);
    f->Free();
}

TEST_F(QMFormTest, ImeNamesAreCleared) {
    auto* f = new TfrmLangTest(nullptr);
    auto* cbo = CreateObject<TComboBox>(f);
    SetStrProp(cbo, "ImeName", "Chinese (Simplified) - Pinyin");
    f->AfterConstruction();
    EXPECT_EQ(GetStrProp(cbo, "ImeName"), "");
    f->Free();
}

// Speed buttons and bit buttons are reached through the component model by class name.
TEST_F(QMFormTest, ButtonsWithOneGlyphGetADisabledImage) {
    if (!FindClass("TSpeedButton") || !FindClass("TBitBtn")) GTEST_SKIP() << "button classes not built";
    auto* f = new TfrmLangTest(nullptr);
    // wantGlyphs 0: left as the button had it.
    struct Case { const char* cls; int frames; int wantWidth; int wantGlyphs; };
    const Case cases[] = {{"TSpeedButton", 1, 32, 2}, {"TSpeedButton", 2, 32, 0}, {"TBitBtn", 1, 32, 2}};
    std::vector<TComponent*> buttons;
    std::vector<int64_t> before;
    for (const Case& c : cases) {
        TComponent* b = CreateComponentByClassName(c.cls, f);
        auto* glyph = dynamic_cast<TBitmap*>(GetObjectProp(b, "Glyph"));
        ASSERT_NE(glyph, nullptr);
        glyph->SetSize(16 * c.frames, 16);
        glyph->Fill(clFuchsia);
        glyph->SetPixel(5, 5, clBlack);
        buttons.push_back(b);
        before.push_back(GetOrdProp(b, "NumGlyphs"));
    }
    f->AfterConstruction();
    for (size_t i = 0; i < buttons.size(); ++i) {
        auto* glyph = dynamic_cast<TBitmap*>(GetObjectProp(buttons[i], "Glyph"));
        EXPECT_EQ(glyph->Width(), cases[i].wantWidth) << i;
        EXPECT_EQ(GetOrdProp(buttons[i], "NumGlyphs"), cases[i].wantGlyphs ? cases[i].wantGlyphs : before[i]) << i;
    }
    f->Free();
}

}  // namespace
