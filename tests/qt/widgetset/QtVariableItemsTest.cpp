// Variable-height items shown for real: a list box's rows lie where the model looks for them (a
// click on a taller row selects it, also after the keys scrolled the list), and an owner-drawn
// variable combo box draws its face in the height OnMeasureItem gives for index -1.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QListWidget>
#include <QScrollBar>
#include <QTest>

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "qt/QtTestSupport.h"
#include "platform/forms/Forms.h"
#include "platform/qt/QtWidgetSet.h"
#include "platform/widgets/StdCtrls.h"

using namespace plat;

namespace {

// Item i is 14 + 10 * i high; the combo box's edit field (index -1) 12. Draws record their rects.
struct TVariableItems : TObject {
    std::vector<std::pair<int, TRect>> Draws;
    void Measure(TWinControl*, int index, int& height) { height = index < 0 ? 12 : 14 + 10 * index; }
    void Draw(TWinControl* control, int index, TRect rect, TOwnerDrawState) {
        Draws.push_back({index, rect});
        TCanvas* canvas = dynamic_cast<TCustomComboBox*>(control) ? static_cast<TCustomComboBox*>(control)->Canvas()
                                                                   : static_cast<TCustomListBox*>(control)->Canvas();
        canvas->Brush()->SetColor(clYellow);
        canvas->FillRect(rect);
    }
};

class QtVariableItems : public testing::Test {
protected:
    static void SetUpTestSuite() {
        ASSERT_TRUE(qttest::StartQt());
    }
    void SetUp() override {
        form = CreateObject<TForm>(nullptr, 0);
        form->SetBounds(0, 0, 360, 300);
        list = CreateObject<TListBox>(form);
        list->SetParent(form);
        list->SetBounds(10, 10, 150, 90);
        list->SetStyle(lbOwnerDrawVariable);
        list->OnMeasureItem = TMeasureItemEvent::Of<&TVariableItems::Measure>(&items);
        list->OnDrawItem = TDrawItemEvent::Of<&TVariableItems::Draw>(&items);
        list->Items()->SetCommaText("a,b,c,d,e,f");
    }
    void TearDown() override {
        form->Free();
        QCoreApplication::processEvents();
    }
    QListWidget* View() { return qobject_cast<QListWidget*>(QtWidgetOf(list)); }
    TVariableItems items;
    TForm* form = nullptr;
    TListBox* list = nullptr;
};

// Rows 14, 24, 34, ...: the third row (38..71) is where fixed rows of ItemHeight (16) would put
// the third to fifth items; a click near its bottom still selects the third.
TEST_F(QtVariableItems, AClickOnTheTallerThirdRowSelectsIt) {
    form->Show();
    QListWidget* view = View();
    ASSERT_NE(view, nullptr);
    QRect third = view->visualItemRect(view->item(2));
    TRect model = list->ItemRect(2);
    EXPECT_EQ(third, QRect(model.Left, model.Top, third.width(), model.Height()));
    EXPECT_EQ(third.height(), 34);
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, QPoint(20, third.bottom() - 2));
    EXPECT_EQ(list->ItemIndex(), 2);
    EXPECT_TRUE(view->item(2)->isSelected());
}

// Keys move down past the visible rows: the model scrolls the item into view, the view shows the
// same top, and a click on the first visible row selects the item the model has there.
TEST_F(QtVariableItems, AfterTheKeysScrolledAClickStillFindsThePaintedRow) {
    form->Show();
    form->SetActiveControl(list);
    QListWidget* view = View();
    ASSERT_NE(view, nullptr);
    for (int i = 0; i < 4; ++i) QTest::keyClick(view, Qt::Key_Down);
    EXPECT_EQ(list->ItemIndex(), 3);
    ASSERT_GT(list->TopIndex(), 0) << "item 3 (72..115) does not fit into the client area from the top";
    QCoreApplication::processEvents();
    EXPECT_EQ(view->verticalScrollBar()->value(), list->TopIndex());
    QRect first = view->visualItemRect(view->item(list->TopIndex()));
    EXPECT_EQ(first.top(), 0);
    int top = list->TopIndex();
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, QPoint(20, first.center().y()));
    EXPECT_EQ(list->ItemIndex(), top);
}

// The face of a csOwnerDrawVariable combo box: the selected item drawn with odComboBoxEdit in a
// field as high as OnMeasureItem says for index -1 (12), inside the style's field.
TEST_F(QtVariableItems, AVariableComboBoxFaceIsMeasuredForIndexMinusOne) {
    auto* combo = CreateObject<TComboBox>(form);
    combo->SetParent(form);
    combo->SetBounds(180, 10, 150, 30);
    combo->SetStyle(csOwnerDrawVariable);
    combo->OnMeasureItem = TMeasureItemEvent::Of<&TVariableItems::Measure>(&items);
    combo->OnDrawItem = TDrawItemEvent::Of<&TVariableItems::Draw>(&items);
    combo->Items()->SetCommaText("x,y");
    combo->SetItemIndex(1);
    form->Show();
    QWidget* face = QtWidgetOf(combo);
    ASSERT_NE(face, nullptr);
    items.Draws.clear();
    QImage img = face->grab().toImage();
    auto drawn = std::find_if(items.Draws.begin(), items.Draws.end(), [](auto& d) { return d.first == 1; });
    ASSERT_NE(drawn, items.Draws.end()) << "the selected item drawn in the face";
    EXPECT_EQ(drawn->second.Height(), 12);
    int yellowRows = 0;
    for (int y = 0; y < img.height(); ++y)
        if (img.pixelColor(img.width() / 3, y) == QtColor(clYellow)) ++yellowRows;
    EXPECT_EQ(yellowRows, 12);
}

}  // namespace
