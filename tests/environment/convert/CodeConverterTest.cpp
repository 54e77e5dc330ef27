// The code converter over the real conversion library: kinds, values, whole forms, message
// dialogs, and the disabled glyph to the pixel.
#include <gtest/gtest.h>

#include <algorithm>

#include "environment/CodeConverter.h"
#include "environment/QMForm.h"
#include "environment/fixtures/Installation.h"
#include "platform/forms/Dialogs.h"
#include "platform/headless/HeadlessWidgetSet.h"
#include "platform/widgets/ComCtrls.h"
#include "platform/widgets/AlignGrid.h"
#include "platform/widgets/DBCtrls.h"
#include "platform/widgets/Grids.h"
#include "platform/widgets/ListView.h"
#include "platform/widgets/Menus.h"
#include "platform/widgets/StdCtrls.h"
#include "platform/widgets/Tabs.h"

using namespace plat;
using namespace qm;

namespace {

// An installation whose ext/ folder holds the staged conversion library.
class Converter : public envtest::Installation {
protected:
    void SetUp() override {
        envtest::Installation::SetUp();
        LinkStagedLibrary("Radorudavu.so");
        form = new TForm(nullptr, 0);
        form->SetName("frmTest");
    }
    void TearDown() override {
        form->Free();
        envtest::Installation::TearDown();
    }
    TCodeConverter* Make() { return CreateObject<TCodeConverter>(form); }
    template <class T>
    T* Add(const std::string& name) {
        T* c = CreateObject<T>(form);
        c->SetName(name);
        return c;
    }
    TForm* form = nullptr;
};

TEST_F(Converter, RealLibraryBothWays) {
    TTranslator t;
    EXPECT_EQ(t.ToBIG5("费用预算"), "費用預算");
    EXPECT_EQ(t.ToGB("費用預算"), "费用预算");
    EXPECT_NE(t.GetBIG5Data(), nullptr);
    EXPECT_NE(t.GetGBData(), nullptr);
    EXPECT_NE(t.SaveOrder(), nullptr);
}

TEST_F(Converter, MissingLibraryStopsTheConverter) {
    std::filesystem::remove(fFolder / "ext" / "Radorudavu.so");
    Ini("OrreryC.ini", "[CodePage]\nUICodePage=950\n");
    try {
        Make();
        FAIL();
    } catch (const ETranslatorError& e) {
        EXPECT_STREQ(e.what(), "Load Library Radorudavu.dll Error!");
    }
}

TEST_F(Converter, InitialValuesAndKindZeroNeedsNoLibrary) {
    std::filesystem::remove(fFolder / "ext" / "Radorudavu.so");
    TCodeConverter* cc = Make();
    EXPECT_EQ(cc->Translator(), nullptr);
    EXPECT_EQ(cc->UICodePage, "936");
    EXPECT_EQ(cc->ConvertKind, 0);
    EXPECT_EQ(cc->ConvertDesignToUI(Variant("费用")).AsString(), "费用");
    EXPECT_EQ(cc->TranslateToBIG5("费用"), "费用");
}

TEST_F(Converter, KindZeroChangesNothing) {
    auto* lbl = Add<TLabel>("lblA");
    lbl->SetCaption("费用");
    auto* cbo = Add<TComboBox>("cboA");
    form->SetCaption("费用预算");
    TCodeConverter* cc = Make();
    std::string font = lbl->Font()->Name();
    cc->ConvertForm(form, true);
    EXPECT_EQ(form->Caption(), "费用预算");
    EXPECT_EQ(lbl->Caption(), "费用");
    EXPECT_EQ(lbl->Font()->Name(), font);
    EXPECT_EQ(cbo->Style(), csDropDown);
}

TEST_F(Converter, KindFourOnABig5System) {
    SystemCodePage("950");
    Ini("OrreryC.ini", "[CodePage]\nUICodePage=936\n");
    form->SetCaption("费用预算");
    auto* lbl = Add<TLabel>("lblA");
    lbl->SetCaption("费用");
    auto* drop = Add<TComboBox>("cboDrop");
    drop->Items()->Add("甲");
    drop->Items()->Add("乙");
    auto* list = Add<TComboBox>("cboList");
    list->SetStyle(csDropDownList);
    list->Items()->Add("甲");
    list->Items()->Add("乙");
    list->SetItemIndex(1);
    auto* simple = Add<TComboBox>("cboSimple");
    simple->SetStyle(csSimple);
    auto* lb = Add<TListBox>("lbA");
    auto* menu = Add<TPopupMenu>("pmA");
    TCodeConverter* cc = Make();
    ASSERT_EQ(cc->ConvertKind, 4);
    THeadlessWidgetSet* ws = HeadlessWidgetSet();
    ASSERT_NE(ws, nullptr);
    ws->Log.clear();
    cc->ConvertForm(form, true);
    EXPECT_EQ(form->Caption(), "費用預算");
    EXPECT_EQ(lbl->Caption(), "费用");
    EXPECT_EQ(lbl->Font()->Name(), "SimSun");
    EXPECT_EQ(lbl->Font()->Charset(), 134);
    EXPECT_EQ(drop->Style(), csOwnerDrawFixed);
    EXPECT_EQ(drop->ItemIndex(), 0);  // no selection: the first item
    EXPECT_EQ(list->Style(), csOwnerDrawFixed);
    EXPECT_EQ(list->ItemIndex(), 1);
    EXPECT_EQ(simple->Style(), csSimple);
    EXPECT_EQ(lb->Style(), lbOwnerDrawFixed);
    EXPECT_TRUE(menu->OwnerDraw());
    // The screen's fonts for the kind, and the hint window made again so hints take them.
    for (TFont* f : {Screen->HintFont(), Screen->IconFont(), Screen->MenuFont()}) {
        EXPECT_EQ(f->Name(), "SimSun");
        EXPECT_EQ(f->Charset(), 134);
    }
    EXPECT_EQ(std::count(ws->Log.begin(), ws->Log.end(), "hint window recreated"), 2);
    EXPECT_TRUE(Application->ShowHint());
}

TEST_F(Converter, KindTwoConvertsTextsListsAndGrids) {
    Ini("OrreryC.ini", "[CodePage]\nUICodePage=950\n");
    auto* lbl = Add<TLabel>("lblA");
    lbl->SetCaption("费用");
    lbl->SetHint("预算");
    auto* edt = Add<TEdit>("edA");
    edt->SetText("预算");
    auto* cbo = Add<TComboBox>("cboA");
    cbo->SetStyle(csDropDownList);
    cbo->Items()->Add("费用");
    cbo->Items()->Add("预算");
    cbo->SetItemIndex(1);
    auto* lv = Add<TListView>("lvA");
    lv->Columns()->Add()->SetCaption("费用");
    lv->Columns()->Add()->SetCaption("预算");
    TListItem* it = lv->Items()->Add();
    it->SetCaption("费用");
    it->SubItems()->Add("预算");
    it->SubItems()->Add("预算");  // no column for this one
    auto* grid = Add<TStringGrid>("sgA");
    grid->SetCells(1, 1, "费用");
    TCodeConverter* cc = Make();
    ASSERT_EQ(cc->ConvertKind, 2);
    cc->ConvertForm(form, true);
    EXPECT_EQ(lbl->Caption(), "費用");
    EXPECT_EQ(lbl->Hint(), "預算");
    EXPECT_EQ(lbl->Font()->Charset(), 136);
    EXPECT_EQ(edt->Text(), "预算");  // Text is not converted
    EXPECT_EQ(cbo->Items()->Strings(1), "預算");
    EXPECT_EQ(cbo->ItemIndex(), 1);
    EXPECT_EQ(lv->Columns()->Items(1)->GetNamePath().empty(), false);
    EXPECT_EQ(static_cast<TListColumn*>(lv->Columns()->Items(1))->Caption(), "預算");
    EXPECT_EQ(it->Caption(), "費用");
    EXPECT_EQ(it->SubItems()->Strings(0), "預算");
    EXPECT_EQ(it->SubItems()->Strings(1), "预算");
    EXPECT_EQ(grid->Cells(1, 1), "費用");
}

TEST_F(Converter, KindTwoTreesTabsAndPanels) {
    Ini("OrreryC.ini", "[CodePage]\nUICodePage=950\n");
    auto* tv = Add<TTreeView>("tvA");
    TTreeNode* root = tv->Items()->Add(nullptr, "费用");
    tv->Items()->AddChild(root, "预算");
    auto* tabs = Add<TTabSet>("tsA");
    tabs->Tabs()->Add("费用");
    tabs->Tabs()->Add("预算");
    tabs->SetTabIndex(1);
    auto* sb = Add<TStatusBar>("sbA");
    sb->Panels()->Add()->SetText("预算");
    TCodeConverter* cc = Make();
    cc->ConvertForm(form, false);
    EXPECT_EQ(tv->Items()->Item(1)->Text(), "预算");  // tree nodes only when deep
    EXPECT_EQ(tabs->Tabs()->Strings(1), "預算");
    EXPECT_EQ(tabs->TabIndex(), 1);
    EXPECT_EQ(static_cast<TStatusPanel*>(sb->Panels()->Items(0))->Text(), "預算");
    cc->ConvertForm(form, true);
    EXPECT_EQ(tv->Items()->Item(0)->Text(), "費用");
    EXPECT_EQ(tv->Items()->Item(1)->Text(), "預算");
}

TEST_F(Converter, KindTwoNavigatorHints) {
    Ini("OrreryC.ini", "[CodePage]\nUICodePage=950\n");
    auto* nav = Add<TDBNavigator>("navA");
    nav->Hints()->Add("第一笔");
    nav->Hints()->Add("删除");
    Make()->ConvertForm(form, false);
    ASSERT_EQ(nav->Hints()->Count(), 2);
    EXPECT_EQ(nav->Hints()->Strings(0), "第一筆");
    EXPECT_EQ(nav->Hints()->Strings(1), "刪除");
}

TEST_F(Converter, Values) {
    Ini("OrreryC.ini", "[CodePage]\nUICodePage=950\nDBCodePage=936\n");
    TCodeConverter* cc = Make();
    ASSERT_EQ(cc->DataConvertKind, 2);
    EXPECT_EQ(cc->ConvertValue(2, Variant(5)), Variant("5"));
    EXPECT_EQ(cc->ConvertValue(2, Variant(5)).VarType(), varString);
    EXPECT_TRUE(cc->ConvertValue(2, Variant()).IsEmpty());
    EXPECT_TRUE(cc->ConvertValue(2, Variant::Null()).IsNull());
    EXPECT_EQ(cc->ConvertValue(3, Variant("费用")), Variant("费用"));
    EXPECT_EQ(cc->ConvertValue(2, Variant::Wide("费用")).VarType(), varOleStr);

    Variant inner = VarArrayCreate({0, 1}, varVariant);
    inner[0] = Variant("预算");
    inner[1] = Variant(7);
    Variant outer = VarArrayCreate({0, 2}, varVariant);
    outer[0] = Variant("费用");
    outer[1] = inner;
    outer[2] = Variant::Null();
    Variant r = cc->ConvertDBToUI(outer);
    EXPECT_EQ(r[0], Variant("費用"));
    EXPECT_EQ(r[1][0], Variant("預算"));
    EXPECT_EQ(r[1][1], Variant("7"));
    EXPECT_TRUE(r[2].IsNull());

    Variant grid = VarArrayCreate({0, 1, 0, 0}, varVariant);
    grid.At(0, 0) = Variant("费用");
    grid.At(1, 0) = Variant("预算");
    Variant g = cc->ConvertDesignToUI(grid);
    EXPECT_EQ(g.At(1, 0), Variant("預算"));

    EXPECT_EQ(cc->ConvertUIToDB(Variant("費用")), Variant("费用"));
    EXPECT_EQ(cc->ConvertUIToDesign(Variant("預算")), Variant("预算"));
    EXPECT_EQ(cc->TranslateToGB(""), "");
}

TEST_F(Converter, FontForKind) {
    struct Case { uint8_t kind; int charset; };
    for (Case c : {Case{0, 134}, Case{1, 134}, Case{2, 136}, Case{3, 136}, Case{4, 134}}) {
        TFont f;
        TCodeConverter::SetFontForKind(c.kind, &f);
        EXPECT_EQ(f.Name(), "SimSun");
        EXPECT_EQ(f.Charset(), c.charset) << int(c.kind);
    }
}

TEST_F(Converter, MessageDialog) {
    TCodeConverter* cc = Make();
    ClearDialogTranscript();
    EXPECT_EQ(cc->ShowMessageDlg("", mtWarning, {mbOK}), 0);
    EXPECT_TRUE(DialogTranscript().empty());
    form->SetCaption("报表");
    form->SetWindowState(wsMinimized);
    cc->ShowMessageDlg("注意", mtWarning, {mbOK});
    ASSERT_EQ(DialogTranscript().size(), 1u);
    EXPECT_EQ(DialogTranscript()[0].Text, "注意      ");
    EXPECT_EQ(DialogTranscript()[0].Caption, "报表");
    EXPECT_EQ(form->WindowState(), wsNormal);
}

TEST_F(Converter, NoBlanksOutsideGb) {
    SystemCodePage("1252");
    TCodeConverter* cc = Make();
    ClearDialogTranscript();
    cc->ShowMessageDlg("Note", mtInformation, {mbOK});
    ASSERT_EQ(DialogTranscript().size(), 1u);
    EXPECT_EQ(DialogTranscript()[0].Text, "Note");
}

// The disabled glyph to the pixel, with fixed system colours.
TEST(DisabledGlyph, PixelByPixel) {
    const TColor face = RGB(10, 20, 30), light = RGB(200, 210, 220), shadow = RGB(90, 80, 70);
    TColor saved[3] = {GetSysColor(COLOR_BTNFACE), GetSysColor(COLOR_BTNHIGHLIGHT), GetSysColor(COLOR_BTNSHADOW)};
    SetSysColor(COLOR_BTNFACE, face);
    SetSysColor(COLOR_BTNHIGHLIGHT, light);
    SetSysColor(COLOR_BTNSHADOW, shadow);
    const TColor T = clFuchsia, D = RGB(0, 0, 0), G = RGB(100, 100, 100), W = clWhite;
    // Dark pixels and bright pixels next to the transparent colour are marked.
    const TColor src[3][4] = {{T, D, W, W}, {T, W, W, W}, {T, T, W, G}};
    TBitmap bmp(4, 3);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 4; ++x) bmp.SetPixel(x, y, src[y][x]);
    std::unique_ptr<TBitmap> d(MakeDisabledGlyph(&bmp));
    const TColor F = face, H = light, S = shadow;
    const TColor expected[3][4] = {{F, S, F, F}, {F, S, H, F}, {F, F, S, S}};
    ASSERT_EQ(d->Width(), 4);
    ASSERT_EQ(d->Height(), 3);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 4; ++x) EXPECT_EQ(d->Pixel(x, y), expected[y][x]) << x << "," << y;

    AddDisabledGlyph(&bmp);
    ASSERT_EQ(bmp.Width(), 8);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 4; ++x) {
            EXPECT_EQ(bmp.Pixel(x, y), src[y][x]) << x << "," << y;
            EXPECT_EQ(bmp.Pixel(x + 4, y), expected[y][x]) << x << "," << y;
        }
    SetSysColor(COLOR_BTNFACE, saved[0]);
    SetSysColor(COLOR_BTNHIGHLIGHT, saved[1]);
    SetSysColor(COLOR_BTNSHADOW, saved[2]);
}

}  // namespace

namespace {

// The align grid, deep only: cell texts and hints, every font it keeps, its editors' item lists.
TEST_F(Converter, KindTwoAlignGridDeep) {
    Ini("OrreryC.ini", "[CodePage]\nUICodePage=950\n");
    auto* grid = Add<TStringAlignGrid>("sgaA");
    grid->SetCells(1, 1, "费用");
    grid->SetCellHint(2, 1, "预算");
    std::vector<TFont*> fonts = {grid->CellFont(1, 1), grid->ColFont(2), grid->RowFont(1), grid->FixedColFont(0),
                                 grid->FixedRowFont(0)};
    TStrings* editors[] = {grid->CellEditor(1, 2)->Items(), grid->ColEditor(3)->Items(), grid->RowEditor(3)->Items()};
    for (TStrings* items : editors) items->SetText("费用\n预算\n");
    TCodeConverter* cc = Make();
    cc->ConvertForm(form, false);
    EXPECT_EQ(grid->Cells(1, 1), "费用");
    EXPECT_EQ(grid->CellHint(2, 1), "预算");
    cc->ConvertForm(form, true);
    EXPECT_EQ(grid->Cells(1, 1), "費用");
    EXPECT_EQ(grid->CellHint(2, 1), "預算");
    for (TFont* f : fonts) {
        EXPECT_EQ(f->Name(), "SimSun");
        EXPECT_EQ(f->Charset(), 136);
    }
    for (TStrings* items : editors) EXPECT_EQ(items->Text(), "費用\r\n預算\r\n");
}

}  // namespace
