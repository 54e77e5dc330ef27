// Variable-height list boxes (lbOwnerDrawVariable): rows laid out by the heights OnMeasureItem
// gives, measured once and kept until the items or the style change; clicks, ItemRect and key
// paging use those heights.
#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "platform/forms/Forms.h"
#include "platform/widgets/StdCtrls.h"

using namespace plat;

namespace {

// Item i is 12 + 6 * i pixels high: 12, 18, 24, 30, 36, 42, ...
struct TMeasurer : TObject {
    int Calls = 0;
    int Extra = 0;  // added to every height (a handler answering differently later)
    void Measure(TWinControl*, int index, int& height) {
        ++Calls;
        EXPECT_EQ(height, 10) << "measuring starts from ItemHeight";
        height = 12 + 6 * index + Extra;
    }
};

class ListBoxVariableTest : public testing::Test {
protected:
    void SetUp() override {
        Form = CreateObject<TForm>(nullptr, 0);
        Form->Show();
        List = CreateObject<TListBox>(Form);
        List->SetParent(Form);
        List->SetBounds(0, 0, 100, 60);
        List->SetItemHeight(10);
        List->SetStyle(lbOwnerDrawVariable);
        List->OnMeasureItem = TMeasureItemEvent::Of<&TMeasurer::Measure>(&Heights);
        List->Items()->SetCommaText("a,b,c,d,e,f,g");
    }
    void TearDown() override { Form->Free(); }
    TForm* Form = nullptr;
    TListBox* List = nullptr;
    TMeasurer Heights;
};

struct TPosCase {
    int Top;    // TopIndex
    int Y;      // client point
    int Index;  // item found there
};

class ListBoxVariableAtPos : public ListBoxVariableTest, public testing::WithParamInterface<TPosCase> {};

TEST_P(ListBoxVariableAtPos, FindsTheRowPaintedAtThePoint) {
    TPosCase c = GetParam();
    List->SetTopIndex(c.Top);
    EXPECT_EQ(List->ItemAtPos({5, c.Y}), c.Index) << "top " << c.Top << ", y " << c.Y;
    if (c.Index >= 0) {
        TRect r = List->ItemRect(c.Index);
        EXPECT_LE(r.Top, c.Y);
        EXPECT_GT(r.Bottom, c.Y);
    }
}

// Rows from the top: 0..11, 12..29, 30..53, 54..83, 84..119, 120..161, 162..209.
INSTANTIATE_TEST_SUITE_P(Rows, ListBoxVariableAtPos,
                         testing::Values(TPosCase{0, 0, 0}, TPosCase{0, 11, 0}, TPosCase{0, 12, 1}, TPosCase{0, 29, 1},
                                         TPosCase{0, 30, 2}, TPosCase{0, 53, 2}, TPosCase{0, 54, 3},
                                         TPosCase{0, 209, 6}, TPosCase{0, 210, -1}, TPosCase{0, -1, -1},
                                         // Scrolled by two: item 2 is the first row.
                                         TPosCase{2, 0, 2}, TPosCase{2, 23, 2}, TPosCase{2, 24, 3},
                                         TPosCase{2, 53, 3}, TPosCase{2, 54, 4}));

TEST_F(ListBoxVariableTest, ItemRectsFollowTheMeasuredHeightsAboveAndBelowTheTop) {
    EXPECT_EQ(List->ItemRect(2), (TRect{0, 30, 100, 54}));
    EXPECT_EQ(List->ItemHeightOf(4), 36);
    List->SetTopIndex(3);
    EXPECT_EQ(List->ItemRect(3), (TRect{0, 0, 100, 30}));
    EXPECT_EQ(List->ItemRect(1), (TRect{0, -42, 100, -24}));  // above the top: negative
    EXPECT_EQ(List->ItemRect(5), (TRect{0, 66, 100, 108}));
    // ItemAtPos's beyond-the-end answer when asked for a position rather than an item.
    EXPECT_EQ(List->ItemAtPos({5, 1000}, false), 7);
}

TEST_F(ListBoxVariableTest, AClickSelectsTheItemUnderTheMeasuredRow) {
    ClickAt(List, 5, 40);  // with fixed rows of 10 this would be item 4
    EXPECT_EQ(List->ItemIndex(), 2);
    ClickAt(List, 5, 13);
    EXPECT_EQ(List->ItemIndex(), 1);
}

TEST_F(ListBoxVariableTest, HeightsAreMeasuredOnceAndAgainWhenItemsOrStyleChange) {
    (void)List->ItemRect(6);
    (void)List->ItemAtPos({5, 100});
    EXPECT_EQ(Heights.Calls, 7) << "every item measured once";
    Heights.Extra = 1;
    EXPECT_EQ(List->ItemHeightOf(0), 12) << "kept until something changes";

    struct TChange {
        const char* What;
        std::function<void()> Do;
    };
    std::vector<TChange> changes = {
        {"an item added", [&] { List->Items()->Add("h"); }},
        {"an item deleted", [&] { List->Items()->Delete(7); }},
        {"a line replaced", [&] { List->Items()->SetStrings(0, "A"); }},
        {"the style set", [&] { List->SetStyle(lbOwnerDrawVariable); }},
        {"ItemHeight set", [&] { List->SetItemHeight(10); }},
        {"asked to", [&] { List->RemeasureItems(); }},
    };
    for (auto& change : changes) {
        ++Heights.Extra;
        Heights.Calls = 0;
        change.Do();
        EXPECT_EQ(List->ItemHeightOf(0), 12 + Heights.Extra) << change.What;
        EXPECT_EQ(Heights.Calls, List->Items()->Count()) << change.What;
    }
}

TEST_F(ListBoxVariableTest, OtherStylesAndAMissingHandlerUseItemHeight) {
    List->OnMeasureItem = {};
    List->RemeasureItems();
    EXPECT_EQ(List->ItemHeightOf(3), 10);
    EXPECT_EQ(List->ItemAtPos({5, 35}), 3);
    List->OnMeasureItem = TMeasureItemEvent::Of<&TMeasurer::Measure>(&Heights);
    for (TListBoxStyle style : {lbStandard, lbOwnerDrawFixed}) {
        List->SetStyle(style);
        EXPECT_EQ(List->ItemHeightOf(3), 10);
        EXPECT_EQ(List->ItemRect(3), (TRect{0, 30, 100, 40}));
        EXPECT_EQ(List->ItemAtPos({5, 35}), 3);
    }
    EXPECT_EQ(Heights.Calls, 0);
}

// Paging moves by the rows that fit into the client area (60 pixels), and the row the keys move
// to is scrolled into view, so the view and the model agree on what is shown.
TEST_F(ListBoxVariableTest, KeysPageByTheMeasuredRowsAndScrollTheItemIntoView) {
    Form->SetActiveControl(List);
    List->SetItemIndex(0);
    PressKey(VK_NEXT);  // 12 + 18 + 24 = 54 fit, the fourth (30) does not
    EXPECT_EQ(List->ItemIndex(), 2);
    EXPECT_EQ(List->TopIndex(), 0);
    PressKey(VK_DOWN);  // item 3 ends at 84: scrolled until it ends inside (24 + 30 = 54)
    EXPECT_EQ(List->ItemIndex(), 3);
    EXPECT_EQ(List->TopIndex(), 2);
    EXPECT_EQ(List->ItemAtPos({5, 0}), 2);
    PressKey(VK_NEXT);  // 30 + 36 > 60: a page from item 3 is item 3 alone
    EXPECT_EQ(List->ItemIndex(), 3) << "a page of one row stays";
    PressKey(VK_END);  // item 6 (48) alone fits
    EXPECT_EQ(List->ItemIndex(), 6);
    EXPECT_EQ(List->TopIndex(), 6);
    PressKey(VK_PRIOR);  // up from 6: only item 6 fits
    EXPECT_EQ(List->ItemIndex(), 6);
    PressKey(VK_UP);
    EXPECT_EQ(List->ItemIndex(), 5);
    EXPECT_EQ(List->TopIndex(), 5) << "scrolled up to the item above the top";
    PressKey(VK_HOME);
    EXPECT_EQ(List->TopIndex(), 0);
}

TEST_F(ListBoxVariableTest, FixedRowsPageAsBefore) {
    List->SetStyle(lbStandard);
    Form->SetActiveControl(List);
    List->SetItemIndex(0);
    PressKey(VK_NEXT);  // six rows of 10 fit into 60
    EXPECT_EQ(List->ItemIndex(), 5);
    EXPECT_EQ(List->TopIndex(), 0);
    PressKey(VK_DOWN);
    EXPECT_EQ(List->TopIndex(), 1);
    PressKey(VK_PRIOR);
    EXPECT_EQ(List->ItemIndex(), 1);
    EXPECT_EQ(List->TopIndex(), 1);
}

}  // namespace
