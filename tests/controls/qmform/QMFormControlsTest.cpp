// The localised base form, the code converter and the language packages over the real option
// controls: disabled images of lookup buttons, conversion of the controls' own texts, and package
// attributes reaching their properties.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <memory>

#include "controls/BtChkBox.h"
#include "controls/F2Button.h"
#include "controls/QmRadioGroup.h"
#include "controls/QmcEdit.h"
#include "controls/SelectPnl.h"
#include "environment/QMForm.h"
#include "environment/fixtures/Installation.h"
#include "platform/widgets/ListView.h"
#include "platform/widgets/StdCtrls.h"

using namespace plat;
using namespace qm;

class TfrmCtlTest : public TQMForm {
    PLAT_CLASS(TfrmCtlTest)
    explicit TfrmCtlTest(TComponent* owner) : TQMForm(owner) {}
};
PLAT_REGISTER_CLASS(TfrmCtlTest, TQMForm) {}

namespace {

int FakeMax() { return 90; }
// Every glyph is one 16 x 16 frame (glyph 4 two frames): a fuchsia ground with a dark bar and a
// bright dot.
bool FakeLoad(TBitmap* b, int n) {
    const int frames = n == 4 ? 2 : 1;
    b->SetSize(16 * frames, 16);
    b->Fill(clFuchsia);
    for (int x = 3; x < 13; ++x) b->SetPixel(x, 8, clNavy);
    b->SetPixel(7, 3, clWhite);
    return true;
}

class ControlsForm : public envtest::Installation {
protected:
    void SetUp() override {
        envtest::Installation::SetUp();
        TGlyphLibrary::Instance().SetFunctions(&FakeMax, &FakeLoad);
        LinkStagedLibrary("Radorudavu.so");
    }
    void TearDown() override {
        if (Form) Form->Free();
        TGlyphLibrary::Instance().SetFunctions(nullptr, nullptr);
        envtest::Installation::TearDown();
    }
    // The form before its description is read, so controls added now are treated by FormCreate.
    void Begin() { Form = new TfrmCtlTest(nullptr); }
    void End() { Form->AfterConstruction(); }
    template <class T>
    T* Add(const std::string& name) {
        T* c = CreateObject<T>(Form);
        c->SetName(name);
        c->SetParent(Form);
        return c;
    }
    void Package(const std::string& xml) {
        envtest::WriteFile(fFolder / "MultiLanguage" / "CHS" / "TfrmCtlTest.Lng", xml);
    }
    TfrmCtlTest* Form = nullptr;
};

// The disabled frame a one-frame glyph n gets.
std::unique_ptr<TBitmap> DisabledFrameOf(int n) {
    TBitmap original;
    FakeLoad(&original, n);
    return std::unique_ptr<TBitmap>(MakeDisabledGlyph(&original));
}

TEST_F(ControlsForm, CreateGivesLookupButtonsTheirDisabledImage) {
    Begin();
    auto* edDept = Add<TQmBtnDBEdit>("edDept");           // glyph 8, one frame
    auto* edClear = Add<TQmBtnDBEdit>("edClear");         // glyph 4, two frames already
    edClear->SetGlyphIndex(4);
    auto* edNone = Add<TQmBtnDBEdit>("edNone");           // no picture
    edNone->SetGlyphIndex(0);
    auto* sp01 = Add<TSelectPanel>("sp01");                // three lookup buttons with glyph 8
    auto* btnSign = Add<TGSpeedButton>("btnSign");
    btnSign->SetGlyphIndex(81);
    auto* btnWaste = Add<TGSpeedButton>("btnWaste");
    btnWaste->SetGlyphIndex(4);
    auto* btnLookup = Add<TF2Button>("btnLookup");
    End();

    struct Case {
        const char* what;
        TSpeedButton* button;
        int width, numGlyphs, disabledFrameOf;  // 0: no disabled frame added
    };
    const Case cases[] = {
        {"button edit", edDept->F2Button(), 32, 2, 8},
        {"button edit with two frames", edClear->F2Button(), 32, 2, 0},
        {"button edit without picture", edNone->F2Button(), 0, 1, 0},
        {"panel begin", sp01->btnBegin, 32, 2, 8},
        {"panel end", sp01->btnFinal, 32, 2, 8},
        {"panel list", sp01->btnList, 32, 2, 8},
        {"panel delete rows (not a lookup button)", sp01->btnDelete, 16, 1, 0},
        {"panel clear", sp01->btnClear, 32, 2, 0},
        {"glyph button", btnSign, 32, 2, 81},
        {"glyph button with two frames", btnWaste, 32, 2, 0},
        {"lookup button", btnLookup, 32, 2, 8},
    };
    for (const Case& c : cases) {
        TBitmap* glyph = c.button->Glyph();
        EXPECT_EQ(glyph->Width(), c.width) << c.what;
        EXPECT_EQ(c.button->NumGlyphs(), c.numGlyphs) << c.what;
        if (!c.disabledFrameOf) continue;
        auto disabled = DisabledFrameOf(c.disabledFrameOf);
        TBitmap original;
        FakeLoad(&original, c.disabledFrameOf);
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x) {
                ASSERT_EQ(glyph->Pixel(x, y), original.Pixel(x, y)) << c.what << " " << x << "," << y;
                ASSERT_EQ(glyph->Pixel(16 + x, y), disabled->Pixel(x, y)) << c.what << " " << x << "," << y;
            }
    }
}

TEST_F(ControlsForm, ConvertOnceReachesTheControlsOwnTexts) {
    Ini("OrreryC.ini", "[CodePage]\nUICodePage=950\n");
    Begin();
    auto* sp01 = Add<TSelectPanel>("sp01");
    auto* edDept = Add<TQmBtnDBEdit>("edDept");
    auto* edHours = Add<TQmEdit>("edHours");
    auto* btnSign = Add<TGSpeedButton>("btnSign");
    auto* chkNote = Add<TBitCheckBox>("chkNote");
    auto* rgDim = Add<TQmRadioGroup>("rgDim");
    End();
    ASSERT_EQ(Form->GetConvertKind(), 2);

    sp01->SetCaption("选择部门");
    sp01->SetHintWord("区间选择");
    sp01->ChildHints()->SetStrings(2, "部门信息查询");
    sp01->ColumnCaptions()->SetText("部门\n名称\n");
    sp01->AddRow({"费用", "预算"});
    edDept->SetCaption("部门");
    edDept->SetButtonHint("查询");
    edDept->SetText("预算");
    edHours->SetCaption("预算");
    btnSign->SetCaption("费用");
    btnSign->SetHint("预算");
    chkNote->SetCaption("预算");
    rgDim->Items()->SetText("部门\n费用\n");
    rgDim->SetItemIndex(1);

    Form->ConvertOnce();
    EXPECT_EQ(sp01->Caption(), "選擇部門");
    EXPECT_EQ(sp01->HintWord(), "區間選擇");
    EXPECT_EQ(sp01->BeginWords()->Strings(0), "起");
    EXPECT_EQ(sp01->ChildHints()->Strings(2), "部門信息查詢");
    EXPECT_EQ(sp01->btnBegin->Hint(), "部門信息查詢");
    EXPECT_EQ(sp01->Font()->Charset(), 136);
    TListView* list = sp01->ListBox;
    ASSERT_EQ(list->Columns()->Count(), 2);
    EXPECT_EQ(static_cast<TListColumn*>(list->Columns()->Items(0))->Caption(), "部門");
    EXPECT_EQ(list->Items()->Item(0)->Caption(), "費用");
    EXPECT_EQ(list->Items()->Item(0)->SubItems()->Strings(0), "預算");
    EXPECT_EQ(edDept->Caption(), "部門");
    EXPECT_EQ(edDept->EditLabel()->Caption(), "部門");
    EXPECT_EQ(edDept->ButtonHint(), "查詢");
    EXPECT_EQ(edDept->Text(), "预算");  // texts are not converted
    EXPECT_EQ(edHours->Caption(), "預算");
    EXPECT_EQ(btnSign->Caption(), "費用");
    EXPECT_EQ(btnSign->Hint(), "預算");
    EXPECT_EQ(btnSign->Font()->Name(), "SimSun");
    EXPECT_EQ(btnSign->Font()->Charset(), 136);
    EXPECT_EQ(chkNote->Caption(), "預算");
    EXPECT_EQ(rgDim->Items()->Strings(1), "費用");
    EXPECT_EQ(rgDim->ItemIndex(), 1);
}

TEST_F(ControlsForm, PackagesReachTheControlsButNotThePanelsParts) {
    Package(R"(<TfrmCtlTest Caption="Options">
  <edDept Caption="Department" ButtonHint="Look up departments" GlyphIndex="9" LabelPosition="lpAbove"/>
  <sp01 Caption="Departments" HintWord="Range" BeginWords_0="From" FinalWords_0="To"
        ChildHints_2="[F2] departments" Columns.Items_0.Caption="Code" GlyphIndex="39"/>
  <btnSign GlyphIndex="84" Caption="Sign-off" Hint="Sign-off lines"/>
  <chkNote Caption="Footer" State="cbChecked"/>
  <rgDim Items_1="By item" Columns="2"/>
  <btnDelete Hint="Delete the scheme"/>
  <ListBox Hint="Schemes"/>
</TfrmCtlTest>)");
    Begin();
    auto* edDept = Add<TQmBtnDBEdit>("edDept");
    auto* sp01 = Add<TSelectPanel>("sp01");
    sp01->AddRow({"A01"});
    auto* btnSign = Add<TGSpeedButton>("btnSign");
    auto* chkNote = Add<TBitCheckBox>("chkNote");
    auto* rgDim = Add<TQmRadioGroup>("rgDim");
    rgDim->Items()->SetText("部门\n费用\n");
    auto* btnDelete = Add<TButton>("btnDelete");  // the form's own, as the scheme list has
    End();
    Form->ApplyLanguage(Form, false);

    EXPECT_EQ(Form->Caption(), "Options");
    EXPECT_EQ(edDept->Caption(), "Department");
    EXPECT_EQ(edDept->F2Button()->Hint(), "Look up departments");
    EXPECT_EQ(edDept->GlyphIndex(), 9);
    EXPECT_EQ(edDept->LabelPosition(), lpAbove);
    EXPECT_EQ(sp01->Caption(), "Departments");
    EXPECT_EQ(sp01->chkRange->Caption(), "Range");
    EXPECT_EQ(sp01->lblBegin->Caption(), "From");
    EXPECT_EQ(sp01->lblFinal->Caption(), "To");
    EXPECT_EQ(sp01->btnBegin->Hint(), "[F2] departments");
    EXPECT_EQ(static_cast<TListColumn*>(sp01->Columns()->Items(0))->Caption(), "Code");
    EXPECT_EQ(sp01->GlyphIndex(), 39);
    EXPECT_EQ(sp01->btnList->GlyphIndex(), 39);
    // Attributes apply in document order: the loaded glyph empties the caption set after it.
    EXPECT_EQ(btnSign->GlyphIndex(), 84);
    EXPECT_EQ(btnSign->Caption(), "Sign-off");
    EXPECT_EQ(btnSign->Hint(), "Sign-off lines");
    EXPECT_EQ(chkNote->Caption(), "Footer");
    EXPECT_EQ(chkNote->State(), cbChecked);
    EXPECT_EQ(rgDim->Items()->Strings(1), "By item");
    EXPECT_EQ(rgDim->Columns(), 2);
    // Elements named like the panel's parts mean the form's components, not the parts.
    EXPECT_EQ(btnDelete->Hint(), "Delete the scheme");
    EXPECT_EQ(sp01->btnDelete->Hint(), "多选-删除一笔信息");
    EXPECT_EQ(sp01->ListBox->Hint(), "多选-己选择的信息");
}

}  // namespace
