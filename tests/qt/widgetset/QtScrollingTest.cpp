// Painted controls scrolled for real: a list view with more rows than fit shows a native scroll
// bar that follows the model, the wheel over it scrolls the model, moving the bar scrolls the
// model and the painted rows, and a list that fits shows no bar.
#include <gtest/gtest.h>

#include <QApplication>
#include <QScrollBar>
#include <QTest>
#include <QWheelEvent>

#include <string>

#include "platform/forms/Forms.h"
#include "platform/qt/QtScrolling.h"
#include "platform/widgets/ComCtrls.h"
#include "qt/QtTestSupport.h"

using namespace plat;

namespace {

void Settle() {
    for (int i = 0; i < 3; ++i) QCoreApplication::processEvents();
}

// A wheel notch (negative: towards the user, down) at a point of a widget, as Qt delivers it.
void WheelAt(QWidget* w, QPoint p, int delta) {
    QWheelEvent e(p, w->mapToGlobal(p), QPoint(), QPoint(0, delta), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase,
                  false);
    QApplication::sendEvent(w, &e);
}

class QtScrolling : public testing::Test {
protected:
    static void SetUpTestSuite() {
        ASSERT_TRUE(qttest::StartQt());
        InstallQtScrolling();
    }
    void SetUp() override {
        form = CreateObject<TForm>(nullptr, 0);
        form->SetBounds(0, 0, 420, 400);
        lv = CreateObject<TListView>(form);
        lv->SetParent(form);
        lv->SetViewStyle(vsReport);
        lv->Columns()->Add()->SetCaption("Name");
        lv->Column(0)->SetWidth(150);
        for (int i = 0; i < 50; ++i) lv->Items()->Add()->SetCaption("row " + std::to_string(i));
        lv->SetBounds(10, 10, 200, lv->HeaderHeight() + 10 * lv->RowHeight());
    }
    void TearDown() override {
        form->Free();
        Settle();
    }
    QWidget* View() { return QtWidgetOf(lv); }
    QScrollBar* Bar() { return QtScrollBarOf(View(), sbVertical); }
    // The colour painted in the middle of the first row under the header.
    QColor FirstRowColour() {
        QImage img = View()->grab().toImage();
        return img.pixelColor(120, lv->HeaderHeight() + lv->RowHeight() / 2);
    }
    TForm* form = nullptr;
    TListView* lv = nullptr;
};

TEST_F(QtScrolling, ABarFollowsTheModel) {
    form->Show();
    Settle();
    QScrollBar* bar = Bar();
    ASSERT_NE(bar, nullptr);
    EXPECT_TRUE(bar->isVisible());
    EXPECT_EQ(bar->orientation(), Qt::Vertical);
    EXPECT_EQ(bar->minimum(), 0);
    EXPECT_EQ(bar->maximum(), 40);
    EXPECT_EQ(bar->pageStep(), 10);
    EXPECT_EQ(bar->value(), 0);
    // At the right edge inside the border, over the rows.
    EXPECT_EQ(bar->geometry().right(), View()->width() - 2);
    EXPECT_EQ(bar->geometry().top(), 1);
    // The model scrolled in code (a key, a message): the bar shows it.
    SendMessage(lv->Handle(), WM_VSCROLL, MakeWParam(SB_PAGEDOWN, 0));
    Settle();
    EXPECT_EQ(bar->value(), 10);
    lv->Items()->Item(0)->SetFocused(true);
    PressKey(VK_END, {}, lv);
    Settle();
    EXPECT_EQ(bar->value(), 40);
    // Rows removed until they fit: the bar goes.
    while (lv->Items()->Count() > 5) lv->Items()->Delete(lv->Items()->Count() - 1);
    Settle();
    EXPECT_FALSE(bar->isVisible());
}

TEST_F(QtScrolling, TheWheelOverTheListScrollsTheModel) {
    form->Show();
    Settle();
    WheelAt(View(), QPoint(40, 40), -120);
    EXPECT_EQ(lv->TopIndex(), 3);
    ASSERT_NE(Bar(), nullptr);
    EXPECT_EQ(Bar()->value(), 3);
    WheelAt(View(), QPoint(40, 40), 120);
    EXPECT_EQ(lv->TopIndex(), 0);
    // Over the form beside the list nothing scrolls.
    WheelAt(QtWidgetOf(form), QPoint(300, 300), -120);
    EXPECT_EQ(lv->TopIndex(), 0);
}

TEST_F(QtScrolling, MovingTheBarScrollsTheModelAndThePaintedRows) {
    lv->Items()->Item(20)->SetSelected(true);
    form->Show();
    Settle();
    QColor before = FirstRowColour();
    EXPECT_NE(before, QtColor(clHighlight));
    ASSERT_NE(Bar(), nullptr);
    Bar()->setValue(20);
    Settle();
    EXPECT_EQ(lv->TopIndex(), 20);
    EXPECT_EQ(FirstRowColour(), QtColor(clHighlight));  // the selected row 20 is painted on top
    // A press on the bar's lower arrow is the bar's (one line), not a click on the list.
    QRect g = Bar()->rect();
    QTest::mouseClick(Bar(), Qt::LeftButton, {}, QPoint(g.width() / 2, g.height() - 3));
    Settle();
    EXPECT_EQ(lv->TopIndex(), 21);
    EXPECT_EQ(Bar()->value(), 21);
    EXPECT_TRUE(lv->Items()->Item(20)->Selected());
    EXPECT_EQ(lv->SelCount(), 1);
}

TEST_F(QtScrolling, AListThatFitsShowsNoBar) {
    while (lv->Items()->Count() > 10) lv->Items()->Delete(lv->Items()->Count() - 1);
    form->Show();
    Settle();
    QScrollBar* bar = Bar();
    EXPECT_TRUE(bar == nullptr || !bar->isVisible());
    WheelAt(View(), QPoint(40, 40), -120);
    EXPECT_EQ(lv->TopIndex(), 0);
}

TEST_F(QtScrolling, ATreeScrollsAndPaintsFromItsTopNode) {
    lv->Hide();
    auto* tv = CreateObject<TTreeView>(form);
    tv->SetParent(form);
    for (int r = 0; r < 4; ++r) {
        TTreeNode* root = tv->Items()->Add(nullptr, "root " + std::to_string(r));
        for (int c = 0; c < 9; ++c) tv->Items()->AddChild(root, "node " + std::to_string(c));
    }
    tv->FullExpand();
    tv->SetBounds(10, 10, 200, 8 * tv->RowHeight());
    form->Show();
    Settle();
    QWidget* view = QtWidgetOf(tv);
    QScrollBar* bar = QtScrollBarOf(view, sbVertical);
    ASSERT_NE(bar, nullptr);
    EXPECT_TRUE(bar->isVisible());
    EXPECT_EQ(bar->maximum(), 32);
    WheelAt(view, QPoint(40, 20), -120);
    EXPECT_EQ(tv->TopIndex(), 3);
    EXPECT_EQ(bar->value(), 3);
    // The node painted in the top row is the one a click there selects.
    TTreeNode* top = tv->TopItem();
    ASSERT_NE(top, nullptr);
    QTest::mouseClick(view, Qt::LeftButton, {}, QPoint(tv->NodeRect(top, true).Left + 3, tv->RowHeight() / 2));
    EXPECT_EQ(tv->Selected(), top);
    Settle();
    QImage img = view->grab().toImage();
    bool highlighted = false;
    for (int x = 0; x < 150 && !highlighted; ++x) highlighted = img.pixelColor(x, tv->RowHeight() / 2) == QtColor(clHighlight);
    EXPECT_TRUE(highlighted);
}

}  // namespace
