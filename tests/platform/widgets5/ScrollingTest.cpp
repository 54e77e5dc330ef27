// Scrolling in the model: the wheel, scroll requests and scroll bar information of list views,
// tree views and grids.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/forms/Forms.h"
#include "platform/widgets/ComCtrls.h"
#include "platform/widgets/Grids.h"

using namespace plat;

namespace {

LRESULT Wheel(TControl* c, int delta, TShiftState keys = {}) {
    uint32_t mk = keys.Contains(ssShift) ? MK_SHIFT : 0;
    return c->Perform(WM_MOUSEWHEEL, MakeWParam(static_cast<int>(mk), delta), MakeLParam(5, 5));
}

LRESULT VScroll(TControl* c, int code, int pos = 0) { return c->Perform(WM_VSCROLL, MakeWParam(code, pos), 0); }

// Records the wheel events and answers Handled as told.
struct TWheelLog : TObject {
    std::vector<std::string> log;
    bool handleWheel = false, handleDown = false;
    void Wheel(TObject*, TShiftState shift, int delta, TPoint pos, bool& handled) {
        log.push_back("wheel " + std::to_string(delta) + " " + std::to_string(pos.X) + "," + std::to_string(pos.Y) +
                      (shift.Contains(ssShift) ? " shift" : ""));
        handled = handleWheel;
    }
    void Down(TObject*, TShiftState, TPoint, bool& handled) {
        log.push_back("down");
        handled = handleDown;
    }
    void Up(TObject*, TShiftState, TPoint, bool&) { log.push_back("up"); }
};

// A form holding a report-style list view of 50 rows.
class ListScroll : public ::testing::Test {
protected:
    void SetUp() override {
        form = new TForm(nullptr, 0);
        form->SetBounds(0, 0, 400, 400);
        lv = new TListView(form);
        lv->SetParent(form);
        lv->SetViewStyle(vsReport);
        lv->Columns()->Add()->SetCaption("Name");
        for (int i = 0; i < 50; ++i) lv->Items()->Add()->SetCaption("row " + std::to_string(i));
        // Room for exactly ten rows under the header.
        lv->SetBounds(0, 0, 200, lv->HeaderHeight() + 10 * lv->RowHeight());
    }
    void TearDown() override { form->Free(); }
    TForm* form = nullptr;
    TListView* lv = nullptr;
};

TEST_F(ListScroll, InfoReportsRangePageAndPosition) {
    TScrollBarInfo v = lv->ScrollBarInfo(sbVertical);
    EXPECT_EQ(0, v.Min);
    EXPECT_EQ(49, v.Max);
    EXPECT_EQ(10, v.Page);
    EXPECT_EQ(0, v.Pos);
    EXPECT_TRUE(v.Visible);
    EXPECT_EQ(40, v.MaxPos());
    EXPECT_FALSE(lv->ScrollBarInfo(sbHorizontal).Visible);
    // A list that fits shows no bar, and the wheel passes it by.
    while (lv->Items()->Count() > 10) lv->Items()->Delete(lv->Items()->Count() - 1);
    EXPECT_FALSE(lv->ScrollBarInfo(sbVertical).Visible);
    EXPECT_EQ(0, Wheel(lv, -WHEEL_DELTA));
    EXPECT_EQ(0, lv->TopIndex());
}

TEST_F(ListScroll, WheelMovesThreeRowsAndClampsAtTheEnd) {
    EXPECT_EQ(1, Wheel(lv, -WHEEL_DELTA));
    EXPECT_EQ(3, lv->TopIndex());
    EXPECT_EQ("row 3", lv->TopItem()->Caption());
    // The row painted at the top is the one a click there finds.
    EXPECT_EQ(lv->Items()->Item(3), lv->GetItemAt(5, lv->HeaderHeight() + 1));
    EXPECT_EQ(lv->HeaderHeight(), lv->ItemRect(lv->Items()->Item(3)).Top);
    Wheel(lv, WHEEL_DELTA);
    EXPECT_EQ(0, lv->TopIndex());
    Wheel(lv, WHEEL_DELTA);
    EXPECT_EQ(0, lv->TopIndex());
    Wheel(lv, -20 * WHEEL_DELTA);
    EXPECT_EQ(40, lv->TopIndex());  // the last page stays full
    // Half notches add up.
    Wheel(lv, 60);
    EXPECT_EQ(40, lv->TopIndex());
    Wheel(lv, 60);
    EXPECT_EQ(37, lv->TopIndex());
}

TEST_F(ListScroll, WheelStepIsAPageWhenThatIsLess) {
    lv->SetHeight(lv->HeaderHeight() + 2 * lv->RowHeight());
    Wheel(lv, -WHEEL_DELTA);
    EXPECT_EQ(2, lv->TopIndex());
}

TEST_F(ListScroll, ScrollRequests) {
    struct Case {
        int start, code, pos, expected;
    } cases[] = {
        {0, SB_LINEDOWN, 0, 1},       {5, SB_LINEUP, 0, 4},        {0, SB_LINEUP, 0, 0},
        {0, SB_PAGEDOWN, 0, 10},      {35, SB_PAGEDOWN, 0, 40},    {15, SB_PAGEUP, 0, 5},
        {0, SB_THUMBPOSITION, 20, 20}, {0, SB_THUMBTRACK, 33, 33}, {0, SB_THUMBTRACK, 99, 40},
        {12, SB_BOTTOM, 0, 40},       {12, SB_TOP, 0, 0},          {12, SB_ENDSCROLL, 0, 12},
    };
    for (const Case& c : cases) {
        VScroll(lv, SB_THUMBPOSITION, c.start);
        ASSERT_EQ(c.start, lv->TopIndex());
        VScroll(lv, c.code, c.pos);
        EXPECT_EQ(c.expected, lv->TopIndex()) << "code " << c.code << " from " << c.start;
        EXPECT_EQ(c.expected, lv->ScrollBarInfo(sbVertical).Pos);
    }
}

TEST_F(ListScroll, WheelEventsComeFirstAndMayHandleIt) {
    TWheelLog h;
    lv->OnMouseWheel = TMouseWheelEvent::Of<&TWheelLog::Wheel>(&h);
    lv->OnMouseWheelDown = TMouseWheelUpDownEvent::Of<&TWheelLog::Down>(&h);
    lv->OnMouseWheelUp = TMouseWheelUpDownEvent::Of<&TWheelLog::Up>(&h);
    Wheel(lv, -WHEEL_DELTA, {ssShift});
    EXPECT_EQ((std::vector<std::string>{"wheel -120 5,5 shift", "down"}), h.log);
    EXPECT_EQ(3, lv->TopIndex());
    h.log.clear();
    h.handleDown = true;
    EXPECT_EQ(1, Wheel(lv, -WHEEL_DELTA));
    EXPECT_EQ(3, lv->TopIndex());  // handled by the event: no scrolling
    h.handleWheel = true;
    Wheel(lv, WHEEL_DELTA);
    EXPECT_EQ((std::vector<std::string>{"wheel -120 5,5", "down", "wheel 120 5,5"}), h.log);
    EXPECT_EQ(3, lv->TopIndex());
}

TEST_F(ListScroll, WheelOverAChildWithoutBarsScrollsTheParent) {
    auto* child = new TCustomControl(form);
    child->SetParent(lv);
    child->SetBounds(10, 30, 50, 20);
    EXPECT_EQ(1, Wheel(child, -WHEEL_DELTA));
    EXPECT_EQ(3, lv->TopIndex());
    // Nothing scrolls above the list: the wheel over the form alone is not handled.
    EXPECT_EQ(0, Wheel(form, -WHEEL_DELTA));
}

TEST_F(ListScroll, KeyDownPastTheLastVisibleRowScrolls) {
    lv->Items()->Item(9)->SetFocused(true);
    PressKey(VK_DOWN, {}, lv);
    EXPECT_TRUE(lv->Items()->Item(10)->Selected());
    EXPECT_EQ(1, lv->TopIndex());
    EXPECT_EQ(1, lv->ScrollBarInfo(sbVertical).Pos);
    PressKey(VK_END, {}, lv);
    EXPECT_EQ(40, lv->TopIndex());
}

TEST_F(ListScroll, ListStyleScrollsByColumns) {
    lv->SetViewStyle(vsList);
    int rows = lv->ListRowCount();
    ASSERT_GT(rows, 0);
    int columns = (50 + rows - 1) / rows;
    TScrollBarInfo h = lv->ScrollBarInfo(sbHorizontal);
    EXPECT_EQ(columns - 1, h.Max);
    EXPECT_EQ(0, h.Pos);
    ASSERT_TRUE(h.Visible);
    EXPECT_FALSE(lv->ScrollBarInfo(sbVertical).Visible);
    lv->Perform(WM_HSCROLL, MakeWParam(SB_LINERIGHT, 0), 0);
    EXPECT_EQ(1, lv->LeftColumn());
    TListItem* first = lv->Items()->Item(rows);
    EXPECT_EQ(first, lv->TopItem());
    EXPECT_EQ(0, lv->ItemRect(first).Left);
    EXPECT_EQ(first, lv->GetItemAt(2, 2));
    // The wheel moves a column a notch; keys keep the focused item's column in view.
    Wheel(lv, WHEEL_DELTA);
    EXPECT_EQ(0, lv->LeftColumn());
    lv->Items()->Item(0)->SetFocused(true);
    PressKey(VK_END, {}, lv);
    EXPECT_EQ(h.MaxPos(), lv->LeftColumn());
    TRect last = lv->ItemRect(lv->Items()->Item(49));
    EXPECT_GE(last.Left, 0);
    EXPECT_LE(last.Right, lv->ClientWidth());
}

TEST_F(ListScroll, IconStylesDoNotScroll) {
    lv->SetViewStyle(vsIcon);
    EXPECT_FALSE(lv->ScrollBarInfo(sbVertical).Visible);
    EXPECT_FALSE(lv->ScrollBarInfo(sbHorizontal).Visible);
    EXPECT_EQ(0, Wheel(lv, -WHEEL_DELTA));
}

// A tree of 40 nodes, all shown: 4 roots with 9 children each.
class TreeScroll : public ::testing::Test {
protected:
    void SetUp() override {
        form = new TForm(nullptr, 0);
        form->SetBounds(0, 0, 400, 400);
        tv = new TTreeView(form);
        tv->SetParent(form);
        for (int r = 0; r < 4; ++r) {
            TTreeNode* root = tv->Items()->Add(nullptr, "root " + std::to_string(r));
            for (int c = 0; c < 9; ++c) tv->Items()->AddChild(root, "node " + std::to_string(r) + "." + std::to_string(c));
        }
        tv->FullExpand();
        tv->SetBounds(0, 0, 200, 8 * tv->RowHeight());
    }
    void TearDown() override { form->Free(); }
    TTreeNode* Row(int visibleIndex) const {
        TTreeNode* n = tv->Items()->GetFirstNode();
        for (int i = 0; i < visibleIndex && n; ++i) {
            n = n->GetNext();
            while (n && !n->IsVisible()) n = n->GetNext();
        }
        return n;
    }
    TForm* form = nullptr;
    TTreeView* tv = nullptr;
};

TEST_F(TreeScroll, WheelScrollsAndHitTestFollows) {
    TScrollBarInfo v = tv->ScrollBarInfo(sbVertical);
    EXPECT_EQ(39, v.Max);
    EXPECT_EQ(8, v.Page);
    EXPECT_TRUE(v.Visible);
    EXPECT_EQ(tv->Items()->GetFirstNode(), tv->TopItem());
    Wheel(tv, -2 * WHEEL_DELTA);
    EXPECT_EQ(6, tv->TopIndex());
    EXPECT_EQ(Row(6), tv->TopItem());
    int h = tv->RowHeight();
    // What is painted in each row (NodeRect) is what a click there finds (GetNodeAt).
    for (int i = 6; i < 14; ++i) {
        TRect r = tv->NodeRect(Row(i), false);
        EXPECT_EQ((i - 6) * h, r.Top) << i;
        EXPECT_EQ(Row(i), tv->GetNodeAt(30, r.Top + h / 2)) << i;
    }
    EXPECT_LT(tv->NodeRect(Row(5), false).Bottom, 1);  // above the top: outside the client area
    ClickAt(tv, tv->NodeRect(Row(8), true).Left + 2, 2 * h + 2);
    EXPECT_EQ(Row(8), tv->Selected());
    Wheel(tv, -20 * WHEEL_DELTA);
    EXPECT_EQ(32, tv->TopIndex());
    VScroll(tv, SB_PAGEUP);
    EXPECT_EQ(24, tv->TopIndex());
    VScroll(tv, SB_THUMBPOSITION, 11);
    EXPECT_EQ(Row(11), tv->TopItem());
}

TEST_F(TreeScroll, CollapsingKeepsTheTopInRange) {
    VScroll(tv, SB_BOTTOM);
    EXPECT_EQ(32, tv->TopIndex());
    tv->FullCollapse();  // 4 rows left, all fit
    EXPECT_EQ(0, tv->TopIndex());
    EXPECT_FALSE(tv->ScrollBarInfo(sbVertical).Visible);
    EXPECT_EQ(tv->Items()->GetFirstNode(), tv->GetNodeAt(5, 1));
}

TEST_F(TreeScroll, KeysKeepTheSelectionInView) {
    tv->SetSelected(Row(7));  // the last row that fits
    EXPECT_EQ(0, tv->TopIndex());
    PressKey(VK_DOWN, {}, tv);
    EXPECT_EQ(Row(8), tv->Selected());
    EXPECT_EQ(1, tv->TopIndex());
    PressKey(VK_END, {}, tv);
    EXPECT_EQ(32, tv->TopIndex());
    PressKey(VK_HOME, {}, tv);
    EXPECT_EQ(0, tv->TopIndex());
    tv->SetTopItem(Row(20));
    EXPECT_EQ(20, tv->TopIndex());
}

TEST(GridScroll, WheelAndRequestsMoveTopRowAndLeftCol) {
    TForm* form = new TForm(nullptr, 0);
    form->SetBounds(0, 0, 600, 600);
    auto* grid = new TStringGrid(form);
    grid->SetParent(form);
    grid->SetColCount(10);
    grid->SetRowCount(30);
    // Fixed row plus 8 rows fit; 4 columns fit.
    grid->SetBounds(0, 0, 5 * 65, 9 * 25);
    TScrollBarInfo v = grid->ScrollBarInfo(sbVertical);
    EXPECT_EQ(1, v.Min);
    EXPECT_EQ(29, v.Max);
    EXPECT_EQ(1, v.Pos);
    EXPECT_EQ(22, v.MaxPos());
    EXPECT_EQ(22, grid->MaxTopRow());
    EXPECT_TRUE(v.Visible);
    EXPECT_EQ(1, Wheel(grid, -WHEEL_DELTA));
    EXPECT_EQ(4, grid->TopRow());
    Wheel(grid, -20 * WHEEL_DELTA);
    EXPECT_EQ(22, grid->TopRow());
    VScroll(grid, SB_TOP);
    EXPECT_EQ(1, grid->TopRow());
    TScrollBarInfo h = grid->ScrollBarInfo(sbHorizontal);
    EXPECT_EQ(6, h.MaxPos());
    EXPECT_TRUE(h.Visible);
    grid->Perform(WM_HSCROLL, MakeWParam(SB_PAGERIGHT, 0), 0);
    EXPECT_EQ(1 + h.Page, grid->LeftCol());
    grid->Perform(WM_HSCROLL, MakeWParam(SB_RIGHT, 0), 0);
    EXPECT_EQ(6, grid->LeftCol());
    // ScrollBars decides which bars show; without a vertical one the wheel is not the grid's.
    grid->SetScrollBars(ssHorizontal);
    EXPECT_FALSE(grid->ScrollBarInfo(sbVertical).Visible);
    EXPECT_TRUE(grid->ScrollBarInfo(sbHorizontal).Visible);
    EXPECT_EQ(0, Wheel(grid, -WHEEL_DELTA));
    EXPECT_EQ(1, grid->TopRow());
    form->Free();
}

}  // namespace
