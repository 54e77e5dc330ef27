// Grids: editing through the in-place editor, keys, selection, rows and columns; the align grid's
// editors (button, pick list, check box), cell hints, alignment and fonts, column sizing.
#include <gtest/gtest.h>

#include "platform/forms/Forms.h"
#include "platform/forms/TypInfo.h"
#include "platform/graphics/Bitmap.h"
#include "platform/widgets/AlignGrid.h"
#include "platform/widgets/Grids.h"

using namespace plat;

namespace {

// A shown form holding one grid of the given class, so that focus and keys work.
template <class G>
struct GridForm {
    TForm* Form = nullptr;
    G* Grid = nullptr;
    explicit GridForm(TGridOptions extra = {}) {
        Form = CreateObject<TForm>(nullptr, 0);
        Form->SetBounds(0, 0, 600, 400);
        Grid = CreateObject<G>(Form);
        Grid->SetParent(Form);
        Grid->SetBounds(8, 8, 500, 300);
        Grid->SetOptions(Grid->Options() + extra);
        Form->Show();
    }
    ~GridForm() { Form->Free(); }
};

TEST(StringGrid, TypingEditsTheCurrentCellAndEnterEndsTheEdit) {
    GridForm<TStringGrid> f({goEditing});
    TStringGrid* g = f.Grid;
    g->SetFocus();
    g->FocusCell(2, 3);
    ASSERT_FALSE(g->EditorMode());
    TypeText("ab");
    ASSERT_TRUE(g->EditorMode());
    EXPECT_EQ(g->Cells(2, 3), "ab");  // the cell follows the typing
    EXPECT_TRUE(g->InplaceEditor()->Focused());
    PressKey(VK_RETURN);
    EXPECT_FALSE(g->EditorMode());
    EXPECT_TRUE(g->Focused());
    EXPECT_EQ(g->Cells(2, 3), "ab");
}

TEST(StringGrid, EscapeRestoresTheCellAndArrowsLeaveTheEditor) {
    GridForm<TStringGrid> f({goEditing});
    TStringGrid* g = f.Grid;
    g->SetCells(1, 1, "old");
    g->SetFocus();
    PressKey(VK_F2);
    ASSERT_TRUE(g->EditorMode());
    EXPECT_EQ(g->InplaceEditor()->Text(), "old");
    PressKey(VK_END);
    TypeText("er");
    EXPECT_EQ(g->Cells(1, 1), "older");
    PressKey(VK_ESCAPE);
    EXPECT_EQ(g->Cells(1, 1), "old");
    EXPECT_FALSE(g->EditorMode());

    PressKey(VK_F2);
    TypeText("x");  // replaces the selected text
    PressKey(VK_DOWN);  // up/down belong to the grid even while editing
    EXPECT_EQ(g->Cells(1, 1), "x");
    EXPECT_EQ(g->Row(), 2);
    EXPECT_FALSE(g->EditorMode());
}

TEST(StringGrid, NavigationKeysAndRangeSelection) {
    GridForm<TStringGrid> f({goTabs});
    TStringGrid* g = f.Grid;
    g->SetFocus();
    struct Case {
        uint16_t key;
        TShiftState shift;
        int col, row;
    } cases[] = {
        {VK_RIGHT, {}, 2, 1}, {VK_DOWN, {}, 2, 2}, {VK_END, {ssCtrl}, 4, 4}, {VK_TAB, {}, 1, 1},
        {VK_TAB, {ssShift}, 4, 4}, {VK_HOME, {}, 1, 4}, {VK_UP, {}, 1, 3},
    };
    for (const auto& c : cases) {
        PressKey(c.key, c.shift);
        EXPECT_EQ(g->Col(), c.col) << c.key;
        EXPECT_EQ(g->Row(), c.row) << c.key;
    }
    g->FocusCell(1, 1);
    PressKey(VK_DOWN, {ssShift});
    PressKey(VK_RIGHT, {ssShift});
    EXPECT_EQ(g->Selection(), (TGridRect{1, 1, 2, 2}));
    PressKey(VK_LEFT);
    EXPECT_EQ(g->Selection(), (TGridRect{1, 2, 1, 2}));
}

TEST(StringGrid, SelectCellCanRefuseAMove) {
    struct Refuser : TObject {
        void Select(TObject*, int c, int, bool& ok) { ok = c != 3; }
    } r;
    GridForm<TStringGrid> f;
    f.Grid->OnSelectCell = TSelectCellEvent::Of<&Refuser::Select>(&r);
    EXPECT_FALSE(f.Grid->FocusCell(3, 1));
    EXPECT_EQ(f.Grid->Col(), 1);
    EXPECT_TRUE(f.Grid->FocusCell(2, 1));
}

TEST(StringGrid, RowsColumnsAndCountsKeepCellsInPlace) {
    GridForm<TStringGrid> f;
    TStringGrid* g = f.Grid;
    g->SetColCount(3);
    g->SetRowCount(4);
    for (int r = 0; r < 4; ++r) g->Rows(r)->SetCommaText("a" + std::to_string(r) + ",b,c");
    EXPECT_EQ(g->Cells(0, 2), "a2");
    EXPECT_EQ(g->Cols(0)->CommaText(), "a0,a1,a2,a3");
    g->DeleteRow(1);
    EXPECT_EQ(g->RowCount(), 3);
    EXPECT_EQ(g->Cols(0)->CommaText(), "a0,a2,a3");
    g->InsertRow(1);
    EXPECT_EQ(g->Cols(0)->CommaText(), "a0,,a2,a3");
    g->Rows(3)->Clear();
    EXPECT_EQ(g->Cells(0, 3), "");
    g->SetColCount(2);
    EXPECT_EQ(g->Rows(0)->CommaText(), "a0,b");
    EXPECT_THROW(g->SetCells(5, 0, "x"), EInvalidGridOperation);
    EXPECT_THROW(g->SetFixedRows(4), EInvalidGridOperation);
    EXPECT_EQ(g->Cells(7, 7), "");  // reading outside answers nothing
}

TEST(StringGrid, PublishedPropertiesCarryTheirTypes) {
    GridForm<TStringGrid> f;
    SetPropText(f.Grid, "Options", "goFixedVertLine,goEditing,goAlwaysShowEditor");
    EXPECT_TRUE(f.Grid->Options().Contains(goAlwaysShowEditor));
    EXPECT_EQ(GetPropInfo(f.Grid, "Options")->PropType->Name, "TGridOptions");
    EXPECT_EQ(GetPropInfo(f.Grid, "ScrollBars")->PropType->Name, "TScrollStyle");
    EXPECT_EQ(GetPropInfo(f.Grid, "BorderStyle")->PropType->Name, "TBorderStyle");
    EXPECT_EQ(GetPropInfo(f.Grid, "OnDrawCell")->PropType->Name, "TDrawCellEvent");
    EXPECT_EQ(GetPropInfo(f.Grid, "Col"), nullptr);  // run-time only
}

TEST(DrawGrid, PaintingDrawsEachVisibleCellWithItsState) {
    struct Cells : TObject {
        std::vector<std::string> Log;
        void Draw(TObject*, int c, int r, TRect rect, TGridDrawState st) {
            std::string s = std::to_string(c) + "," + std::to_string(r);
            if (st.Contains(gdFixed)) s += " fixed";
            if (st.Contains(gdFocused)) s += " focused";
            if (st.Contains(gdSelected)) s += " selected";
            s += " w" + std::to_string(rect.Width());
            Log.push_back(s);
        }
    } log;
    GridForm<TDrawGrid> f;
    f.Grid->SetColCount(3);
    f.Grid->SetRowCount(2);
    f.Grid->SetColWidths(2, 30);
    f.Grid->OnDrawCell = TDrawCellEvent::Of<&Cells::Draw>(&log);
    TBitmap bmp;
    bmp.SetSize(f.Grid->ClientWidth(), f.Grid->ClientHeight());
    f.Grid->PaintTo(*bmp.Canvas());
    std::vector<std::string> want = {"0,0 fixed w64", "1,0 fixed w64", "2,0 fixed w30",
                                     "0,1 fixed w64", "1,1 focused selected w64", "2,1 w30"};
    EXPECT_EQ(log.Log, want);
}

// ---- The align grid, set up as the recipients dialog uses it ----

struct Recipients : TObject {
    std::vector<std::string> Log;
    TStringAlignGrid* Grid = nullptr;
    void EditButton(TObject* sender) {
        Log.push_back(sender == Grid ? "button on grid" : "button on other");
        Grid->SetCells(0, Grid->Row(), "U01");
        Grid->SetCells(1, Grid->Row(), "Wang");
    }
    void ShowHint(TObject*, int c, int r, std::string& hint, bool& canShow) {
        if (c == 0) hint = "[F2] pick a user";
        if (r == 2) canShow = false;
    }
    void KeyDown(TObject*, uint16_t& key, TShiftState shift) {
        Log.push_back("key " + std::to_string(key));
        if (key == VK_DOWN && Grid->Row() == Grid->RowCount() - 1) {
            Grid->SetRowCount(Grid->RowCount() + 1);
            Grid->SetRow(Grid->RowCount() - 1);
            key = 0;
        } else if (key == VK_DELETE && shift.Contains(ssCtrl)) {
            Grid->DeleteRow(Grid->Row());
            key = 0;
        }
    }
};

class AlignGridTest : public ::testing::Test {
protected:
    void SetUp() override {
        f = std::make_unique<GridForm<TStringAlignGrid>>();
        g = f->Grid;
        h.Grid = g;
        g->SetColCount(8);
        g->SetRowCount(2);
        g->SetFixedCols(0);
        g->SetFixedRows(1);
        g->SetOptions(g->Options() + TGridOptions{goEditing, goAlwaysShowEditor, goColSizing});
        g->ColEditor(0)->SetStyle(cesEllipsis);
        g->ColEditor(4)->SetStyle(cesPickList);
        g->ColEditor(4)->Items()->SetText("1.System user\n5.Portal user\n");
        for (int c = 5; c < 8; ++c) g->ColEditor(c)->SetStyle(cesCheckBox);
        g->OnEditButtonClick = TNotifyEvent::Of<&Recipients::EditButton>(&h);
        g->OnShowHintCell = TShowHintCellEvent::Of<&Recipients::ShowHint>(&h);
        g->OnKeyDown = TKeyEvent::Of<&Recipients::KeyDown>(&h);
        g->SetCol(0);
        g->SetFocus();
    }
    TInplaceEditList* Editor() { return dynamic_cast<TInplaceEditList*>(g->InplaceEditor()); }
    std::unique_ptr<GridForm<TStringAlignGrid>> f;
    TStringAlignGrid* g = nullptr;
    Recipients h;
};

TEST_F(AlignGridTest, EditorIsAlwaysShownWithTheColumnsStyle) {
    ASSERT_TRUE(g->EditorMode());
    ASSERT_NE(Editor(), nullptr);
    EXPECT_TRUE(Editor()->Focused());
    EXPECT_EQ(Editor()->EditStyle(), esEllipsis);
    g->SetCol(4);
    EXPECT_TRUE(g->EditorMode());  // still shown after the move
    EXPECT_EQ(Editor()->EditStyle(), esPickList);
    g->SetCol(1);
    EXPECT_EQ(Editor()->EditStyle(), esSimple);
}

TEST_F(AlignGridTest, ButtonRaisesOnEditButtonClickByKeyAndByClick) {
    PressKey(VK_RETURN, {ssCtrl});
    EXPECT_EQ(h.Log.back(), "button on grid");
    EXPECT_EQ(g->Cells(0, 1), "U01");
    EXPECT_EQ(Editor()->Text(), "U01");  // the editor follows cells its handler filled
    h.Log.clear();
    ClickAt(Editor(), Editor()->Width() - 2, 3);
    EXPECT_EQ(h.Log.back(), "button on grid");
    h.Log.clear();
    g->SetCol(1);
    PressKey(VK_RETURN, {ssCtrl});  // a plain edit has no button
    EXPECT_EQ(std::count(h.Log.begin(), h.Log.end(), "button on grid"), 0);
}

TEST_F(AlignGridTest, PickListChoosesALine) {
    g->SetCol(4);
    PressKey(VK_F4);
    ASSERT_TRUE(Editor()->ListVisible());
    EXPECT_EQ(Editor()->PickList()->Count(), 2);
    PressKey(VK_DOWN);
    PressKey(VK_DOWN);
    PressKey(VK_RETURN);
    EXPECT_FALSE(Editor()->ListVisible());
    EXPECT_EQ(g->Cells(4, 1), "5.Portal user");
    PressKey(VK_DOWN, {ssAlt});
    PressKey(VK_UP);
    PressKey(VK_ESCAPE);  // closes without taking
    EXPECT_EQ(g->Cells(4, 1), "5.Portal user");
}

TEST_F(AlignGridTest, CheckBoxCellsToggleBetweenYAndN) {
    g->SetCol(5);
    EXPECT_TRUE(g->IsCheckCell(5, 1));
    TypeText(" ");
    EXPECT_EQ(g->Cells(5, 1), "Y");
    TypeText("x");  // nothing else is typed into a check box
    EXPECT_EQ(g->Cells(5, 1), "Y");
    TypeText(" ");
    EXPECT_EQ(g->Cells(5, 1), "N");
    ClickAt(Editor(), 3, 3);
    EXPECT_EQ(g->Cells(5, 1), "Y");
    EXPECT_TRUE(g->Checked(5, 1));
    EXPECT_THROW(g->SetChecked(1, 1, true), EInvalidGridOperation);
}

TEST_F(AlignGridTest, KeysTypedInTheEditorReachTheGridsOnKeyDown) {
    PressKey(VK_DOWN);  // last row: the handler appends a row
    EXPECT_EQ(g->RowCount(), 3);
    EXPECT_EQ(g->Row(), 2);
    EXPECT_TRUE(g->EditorMode());
    g->SetCells(0, 1, "keep");
    PressKey(VK_DELETE, {ssCtrl});
    EXPECT_EQ(g->RowCount(), 2);
    EXPECT_EQ(g->Cells(0, 1), "keep");
    EXPECT_NE(std::find(h.Log.begin(), h.Log.end(), "key " + std::to_string(VK_DELETE)), h.Log.end());
}

TEST_F(AlignGridTest, CellHintsGoThroughOnShowHintCell) {
    g->SetRowCount(3);
    g->SetCellHint(1, 1, "own hint");
    g->SetHint("grid hint");
    std::string hint;
    EXPECT_TRUE(g->HintForCell(0, 1, hint));
    EXPECT_EQ(hint, "[F2] pick a user");
    EXPECT_TRUE(g->HintForCell(1, 1, hint));
    EXPECT_EQ(hint, "own hint");
    EXPECT_TRUE(g->HintForCell(3, 1, hint));
    EXPECT_EQ(hint, "grid hint");
    EXPECT_FALSE(g->HintForCell(1, 2, hint));  // the handler refused
    TRect r = g->CellRect(1, 1);
    EXPECT_TRUE(g->HintAt(r.Left + 2, r.Top + 2, hint));
    EXPECT_EQ(hint, "own hint");
    g->DeleteRow(1);  // hints move with their rows
    EXPECT_TRUE(g->HintCells().empty());
}

TEST_F(AlignGridTest, AlignmentAndFontsResolveFromCellToGrid) {
    g->SetRowCount(3);
    g->SetAlignment(taCenter);
    g->SetAlignCol(2, taRightJustify);
    g->SetAlignRow(2, taLeftJustify);
    g->SetAlignCell(2, 2, taCenter);
    struct {
        int c, r;
        TAlignment want;
    } cases[] = {{1, 1, taCenter}, {2, 1, taRightJustify}, {3, 2, taLeftJustify}, {2, 2, taCenter}};
    for (auto& k : cases) EXPECT_EQ(g->CellAlignment(k.c, k.r), k.want) << k.c << "," << k.r;

    g->ColFont(1)->SetName("Col");
    g->RowFont(2)->SetName("Row");
    g->FixedColFont(1)->SetName("Header");
    g->CellFont(1, 2)->SetName("Cell");
    EXPECT_EQ(g->FontFor(1, 0)->Name(), "Header");
    EXPECT_EQ(g->FontFor(1, 1)->Name(), "Col");
    EXPECT_EQ(g->FontFor(3, 2)->Name(), "Row");
    EXPECT_EQ(g->FontFor(1, 2)->Name(), "Cell");
    EXPECT_EQ(g->FontFor(3, 1), g->Font());
    EXPECT_EQ(g->AllFonts().size(), 4u);
    EXPECT_EQ(g->AllEditorItems().size(), 5u);
}

TEST_F(AlignGridTest, ColumnsAreSizedByDraggingTheirHeaderBorder) {
    g->SetColWidths(0, 47);
    TRect r = g->CellRect(0, 0);
    g->Perform(WM_LBUTTONDOWN, MK_LBUTTON, MakeLParam(r.Right, 5));
    g->Perform(WM_MOUSEMOVE, MK_LBUTTON, MakeLParam(r.Right + 10, 5));
    EXPECT_EQ(g->ColWidths(0), 57);
    g->Perform(WM_LBUTTONUP, 0, MakeLParam(r.Right + 20, 5));
    EXPECT_EQ(g->ColWidths(0), 67);
    g->SetOptions(g->Options() - goColSizing);
    g->Perform(WM_LBUTTONDOWN, MK_LBUTTON, MakeLParam(r.Right + 20, 5));
    g->Perform(WM_LBUTTONUP, 0, MakeLParam(r.Right + 40, 5));
    EXPECT_EQ(g->ColWidths(0), 67);
}

}  // namespace
