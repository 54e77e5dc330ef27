// Native peers drawn partly by the model: owner-drawn combo and list boxes, radio buttons with
// the caption painted over the native circle, the list view's in-place caption editor, tool tips
// per grid cell and a form's OnPaint, on the offscreen platform.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QHelpEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QListView>
#include <QListWidget>
#include <QRadioButton>
#include <QStyleOptionButton>
#include <QTest>
#include <QToolTip>

#include <cstdlib>
#include <string>
#include <vector>

#include "qt/QtTestSupport.h"
#include "platform/core/Exceptions.h"
#include "platform/forms/Forms.h"
#include "platform/forms/WidgetSet.h"
#include "platform/graphics/Canvas.h"
#include "platform/qt/QtWidgetSet.h"
#include "platform/widgets/AlignGrid.h"
#include "platform/widgets/ComCtrls.h"
#include "platform/widgets/Animate.h"
#include "platform/widgets/DBCtrls.h"
#include "platform/widgets/ListView.h"
#include "platform/widgets/StdCtrls.h"

using namespace plat;
using qttest::StartQt;

namespace {


struct TDrawCall {
    TWinControl* Control;
    int Index;
    TRect Rect;
    TOwnerDrawState State;
};

// Marks of the test handlers: item i gets a square of Marks[i % 3] in its top-left corner.
const TColor Marks[] = {clRed, clLime, clBlue};

class TfrmPeers : public TForm {
    PLAT_CLASS(TfrmPeers)
    explicit TfrmPeers(TComponent* owner) : TForm(owner, 0) {}
    std::vector<TDrawCall> Draws;
    std::vector<std::string> Log;
    // Fills the item with the brush the presentation prepared (the highlight when selected),
    // then puts the item's mark in its corner.
    void DrawItem(TWinControl* control, int index, TRect rect, TOwnerDrawState state) {
        Draws.push_back({control, index, rect, state});
        TCanvas* canvas = dynamic_cast<TCustomListBox*>(control) ? static_cast<TCustomListBox*>(control)->Canvas()
                                                                  : static_cast<TCustomComboBox*>(control)->Canvas();
        canvas->FillRect(rect);
        canvas->Brush()->SetColor(Marks[index % 3]);
        canvas->FillRect({rect.Left + 1, rect.Top + 1, rect.Left + 7, rect.Top + 7});
    }
    void MeasureItem(TWinControl*, int index, int& height) { height = 12 + 6 * index; }
    void Edited(TObject*, TListItem*, std::string& s) {
        Log.push_back("edited " + s);
        s += "!";
    }
    void Paint(TObject*) {
        Log.push_back("paint");
        Canvas()->Brush()->SetColor(clBlue);
        Canvas()->FillRect({10, 10, 40, 40});
    }
};
PLAT_REGISTER_CLASS(TfrmPeers, TForm) {}

class QtPeersFixture : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ASSERT_TRUE(StartQt()); }
    void SetUp() override {
        form = CreateObject<TfrmPeers>(nullptr);
        form->SetBounds(0, 0, 420, 320);
    }
    void TearDown() override {
        form->Free();
        QCoreApplication::processEvents();
    }
    QWidget* KeyWidget() {
        QWidget* win = QtWidgetOf(form);
        return win && win->focusWidget() ? win->focusWidget() : win;
    }
    template <class T>
    T* Add(int left, int top, int width, int height) {
        auto* c = CreateObject<T>(form);
        c->SetParent(form);
        c->SetBounds(left, top, width, height);
        return c;
    }
    TListBox* AddList(TListBoxStyle style) {
        auto* list = Add<TListBox>(10, 10, 150, 120);
        list->SetStyle(style);
        list->SetItemHeight(20);
        for (const char* s : {"甲 first", "乙 second", "丙 third"}) list->Items()->Add(s);
        return list;
    }
    TfrmPeers* form = nullptr;
};

bool IsColour(const QImage& img, QPoint p, TColor c) { return img.pixelColor(p) == QtColor(c); }

// Pixels close to a colour (text is antialiased) inside a rectangle of an image.
int CountNear(const QImage& img, QRect r, QColor c) {
    int n = 0;
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x) {
            if (!img.valid(x, y)) continue;
            QColor p = img.pixelColor(x, y);
            if (std::abs(p.red() - c.red()) < 60 && std::abs(p.green() - c.green()) < 60 && std::abs(p.blue() - c.blue()) < 60)
                ++n;
        }
    return n;
}

// Pixels of a colour inside a rectangle of an image.
int CountColour(const QImage& img, QRect r, QColor c) {
    int n = 0;
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            if (img.valid(x, y) && img.pixelColor(x, y) == c) ++n;
    return n;
}

// ---- Owner-drawn list boxes and combo boxes --------------------------------------------------

TEST_F(QtPeersFixture, AnOwnerDrawnListBoxPaintsEveryItemThroughOnDrawItem) {
    TListBox* list = AddList(lbOwnerDrawFixed);
    list->OnDrawItem = TDrawItemEvent::Of<&TfrmPeers::DrawItem>(form);
    list->SetItemIndex(1);
    form->Show();
    auto* lw = qobject_cast<QListWidget*>(QtWidgetOf(list));
    ASSERT_NE(lw, nullptr);
    QImage img = lw->viewport()->grab().toImage();
    ASSERT_GE(form->Draws.size(), 3u);
    for (int i = 0; i < 3; ++i) {
        auto call = std::find_if(form->Draws.begin(), form->Draws.end(), [i](const TDrawCall& d) { return d.Index == i; });
        ASSERT_NE(call, form->Draws.end()) << "item " << i;
        EXPECT_EQ(call->Control, list);
        // The rectangle is the item's row in the list's client area (the view inside the frame),
        // where the model lays rows out.
        TRect row = list->ItemRect(i);
        EXPECT_EQ(call->Rect.Left, row.Left) << "item " << i;
        EXPECT_EQ(call->Rect.Top, row.Top) << "item " << i;
        EXPECT_EQ(call->Rect.Bottom, row.Bottom) << "item " << i;
        EXPECT_EQ(call->Rect.Right, lw->viewport()->width()) << "item " << i;
        EXPECT_EQ(call->State.Contains(odSelected), i == 1) << "item " << i;
        EXPECT_TRUE(IsColour(img, QPoint(3, i * 20 + 3), Marks[i])) << "item " << i;
    }
    // The selected item's background is the highlight the presentation put in the brush.
    EXPECT_TRUE(IsColour(img, QPoint(100, 30), clHighlight));
    EXPECT_TRUE(IsColour(img, QPoint(100, 10), clWindow));
}

TEST_F(QtPeersFixture, VariableItemsTakeTheirHeightsFromOnMeasureItem) {
    TListBox* list = AddList(lbOwnerDrawVariable);
    list->OnDrawItem = TDrawItemEvent::Of<&TfrmPeers::DrawItem>(form);
    list->OnMeasureItem = TMeasureItemEvent::Of<&TfrmPeers::MeasureItem>(form);
    form->Show();
    auto* lw = qobject_cast<QListWidget*>(QtWidgetOf(list));
    ASSERT_NE(lw, nullptr);
    QImage img = lw->viewport()->grab().toImage();
    int top = 0;
    for (int i = 0; i < 3; ++i) {
        QRect r = lw->visualItemRect(lw->item(i));
        EXPECT_EQ(r.top(), top) << "item " << i;
        EXPECT_EQ(r.height(), 12 + 6 * i) << "item " << i;
        EXPECT_TRUE(IsColour(img, QPoint(3, top + 3), Marks[i])) << "item " << i;
        top += 12 + 6 * i;
    }
}

// Without a drawing handler the model's default drawing shows: the item's text on the brush, in
// the highlight colours when selected.
TEST_F(QtPeersFixture, WithoutAHandlerTheDefaultDrawingShowsTheText) {
    TListBox* list = AddList(lbOwnerDrawFixed);
    list->Font()->SetColor(clMaroon);
    list->SetItemIndex(2);
    form->Show();
    auto* lw = qobject_cast<QListWidget*>(QtWidgetOf(list));
    QImage img = lw->viewport()->grab().toImage();
    EXPECT_GT(CountNear(img, QRect(0, 0, 150, 20), QtColor(clMaroon)), 10) << "text of the first item";
    EXPECT_EQ(CountNear(img, QRect(0, 40, 150, 20), QtColor(clMaroon)), 0);
    EXPECT_GT(CountNear(img, QRect(0, 40, 150, 20), QtColor(clHighlightText)), 10) << "text of the selected item";
    EXPECT_TRUE(IsColour(img, QPoint(140, 41), clHighlight));
}

// Rows on screen are where the model looks for them: a click on the third row (inside the frame)
// selects the third item.
TEST_F(QtPeersFixture, AClickOnARowSelectsThatItemInTheModel) {
    TListBox* list = AddList(lbStandard);
    form->Show();
    auto* lw = qobject_cast<QListWidget*>(QtWidgetOf(list));
    QRect third = lw->visualItemRect(lw->item(2));
    EXPECT_EQ(third.height(), 20);
    QTest::mouseClick(lw->viewport(), Qt::LeftButton, {}, third.center());
    EXPECT_EQ(list->ItemIndex(), 2);
    EXPECT_TRUE(lw->item(2)->isSelected());
}

// Changes made in code show once the model's call is over, without waiting for input: a
// selection, the switch to owner drawing (as the code converter makes it on a shown form), a
// check mark.
TEST_F(QtPeersFixture, ChangesMadeInCodeShowWithoutInput) {
    TListBox* list = AddList(lbStandard);
    auto* radio = Add<TRadioButton>(200, 10, 100, 20);
    form->Show();
    auto* lw = qobject_cast<QListWidget*>(QtWidgetOf(list));
    auto* rb = qobject_cast<QRadioButton*>(QtWidgetOf(radio));
    list->SetItemIndex(2);
    radio->SetChecked(true);
    list->OnDrawItem = TDrawItemEvent::Of<&TfrmPeers::DrawItem>(form);
    list->SetStyle(lbOwnerDrawFixed);
    QCoreApplication::processEvents();
    EXPECT_TRUE(lw->item(2)->isSelected());
    EXPECT_TRUE(rb->isChecked());
    QImage img = lw->viewport()->grab().toImage();
    EXPECT_TRUE(IsColour(img, QPoint(3, 3), Marks[0]));
    EXPECT_TRUE(IsColour(img, QPoint(3, 43), Marks[2]));
}

TEST_F(QtPeersFixture, AnOwnerDrawnComboBoxDrawsItsFaceAndItsListThroughTheModel) {
    auto* combo = Add<TComboBox>(10, 150, 160, 24);
    combo->SetStyle(csOwnerDrawFixed);
    combo->SetItemHeight(18);
    for (const char* s : {"一", "二", "三"}) combo->Items()->Add(s);
    combo->SetItemIndex(2);
    combo->OnDrawItem = TDrawItemEvent::Of<&TfrmPeers::DrawItem>(form);
    form->Show();
    auto* cb = qobject_cast<QComboBox*>(QtWidgetOf(combo));
    ASSERT_NE(cb, nullptr);
    form->Draws.clear();
    QImage face = cb->grab().toImage();
    ASSERT_FALSE(form->Draws.empty());
    const TDrawCall& edit = form->Draws.back();
    EXPECT_EQ(edit.Index, 2);
    EXPECT_TRUE(edit.State.Contains(odComboBoxEdit));
    EXPECT_EQ(CountColour(face, face.rect(), QtColor(Marks[2])), 36) << "the selected item's mark on the face";
    // The open list: every item drawn by the handler, rows of ItemHeight.
    form->Draws.clear();
    cb->showPopup();
    QTest::qWait(20);
    QAbstractItemView* view = cb->view();
    QImage items = view->viewport()->grab().toImage();
    for (int i = 0; i < 3; ++i) {
        QRect r = view->visualRect(view->model()->index(i, 0));
        EXPECT_EQ(r.height(), 18) << "item " << i;
        EXPECT_EQ(CountColour(items, r, QtColor(Marks[i])), 36) << "item " << i;
    }
    bool drewEach = true;
    for (int i = 0; i < 3; ++i)
        drewEach = drewEach && std::any_of(form->Draws.begin(), form->Draws.end(), [i](const TDrawCall& d) {
                       return d.Index == i && !d.State.Contains(odComboBoxEdit);
                   });
    EXPECT_TRUE(drewEach);
    cb->hidePopup();
}

// The native list opens and closes with the model: OnDropDown before it shows (and may still fill
// it), a pick reported before OnCloseUp, F4 and Esc through the model.
class TComboEvents : public TObject {
public:
    std::vector<std::string> Log;
    TComboBox* Combo = nullptr;
    void DropDown(TObject*) {
        Log.push_back("dropdown");
        if (Combo->Items()->Count() < 3) Combo->Items()->Add("三");
    }
    void Select(TObject*) { Log.push_back("select"); }
    void CloseUp(TObject*) { Log.push_back("closeup"); }
};

TEST_F(QtPeersFixture, TheNativeListOpensAndClosesWithTheModel) {
    auto* combo = Add<TComboBox>(10, 150, 160, 24);
    combo->SetStyle(csDropDownList);
    for (const char* s : {"一", "二"}) combo->Items()->Add(s);
    TComboEvents events;
    events.Combo = combo;
    combo->OnDropDown = TNotifyEvent::Of<&TComboEvents::DropDown>(&events);
    combo->OnSelect = TNotifyEvent::Of<&TComboEvents::Select>(&events);
    combo->OnCloseUp = TNotifyEvent::Of<&TComboEvents::CloseUp>(&events);
    form->Show();
    auto* cb = qobject_cast<QComboBox*>(QtWidgetOf(combo));
    ASSERT_NE(cb, nullptr);
    // The press opens the list (the release of a real click then lands on the open list).
    QTest::mousePress(cb, Qt::LeftButton, {}, QPoint(10, 10));
    EXPECT_TRUE(combo->DroppedDown());
    ASSERT_TRUE(cb->view()->isVisible());
    EXPECT_EQ(cb->count(), 3) << "the item OnDropDown added is in the list";
    EXPECT_EQ(events.Log, (std::vector<std::string>{"dropdown"}));
    // A pick in the list (the list ignores a release right after it opened).
    QTest::qWait(QApplication::doubleClickInterval() + 100);
    QRect third = cb->view()->visualRect(cb->view()->model()->index(2, 0));
    QTest::mouseClick(cb->view()->viewport(), Qt::LeftButton, {}, third.center());
    QCoreApplication::processEvents();
    EXPECT_FALSE(cb->view()->isVisible());
    EXPECT_EQ(combo->ItemIndex(), 2);
    EXPECT_FALSE(combo->DroppedDown());
    EXPECT_EQ(events.Log, (std::vector<std::string>{"dropdown", "select", "closeup"}));
    // F4 opens through the model, Esc in the list closes it.
    events.Log.clear();
    ASSERT_TRUE(combo->Focused());
    QTest::keyClick(KeyWidget(), Qt::Key_F4);
    QCoreApplication::processEvents();
    EXPECT_TRUE(combo->DroppedDown());
    EXPECT_TRUE(cb->view()->isVisible());
    QTest::keyClick(cb->view(), Qt::Key_Escape);
    QCoreApplication::processEvents();
    EXPECT_FALSE(cb->view()->isVisible());
    EXPECT_FALSE(combo->DroppedDown());
    EXPECT_EQ(combo->ItemIndex(), 2);
    EXPECT_EQ(events.Log, (std::vector<std::string>{"dropdown", "closeup"}));
}

// ---- Radio buttons ---------------------------------------------------------------------------

// A control of a library that knows no Qt asks for the native radio look and paints over it.
class TOverRadio : public TButtonControl {
    PLAT_CLASS(TOverRadio)
    explicit TOverRadio(TComponent* owner) : TButtonControl(owner) {
        fControlStyle = TControlStyle{csSetCaption, csDoubleClicks};  // clicks of its own, as radio buttons
    }
    bool Checked() const override { return fOn; }
    void SetChecked(bool v) override {
        fOn = v;
        Changed(TPeerChange::Style);
    }
    void ButtonClicked() override { SetChecked(true); }
    TAlignment Alignment() const { return fAlignment; }
    void SetAlignment(TAlignment a) {
        fAlignment = a;
        Invalidate();
    }
    bool fOn = false;
    TAlignment fAlignment = taRightJustify;
};
PLAT_REGISTER_CLASS(TOverRadio, TButtonControl) {
    b.Property("Alignment", &Self::Alignment, &Self::SetAlignment).Type(TypeLeftRight());
}

QRect IndicatorOf(QWidget* w, bool rightToLeft) {
    QStyleOptionButton opt;
    opt.initFrom(w);
    opt.direction = rightToLeft ? Qt::RightToLeft : Qt::LeftToRight;
    return w->style()->subElementRect(QStyle::SE_RadioButtonIndicator, &opt, w);
}

TEST_F(QtPeersFixture, ARadioButtonShowsTheNativeCircleAndTheModelsCaption) {
    auto* radio = Add<TRadioButton>(10, 10, 140, 20);
    radio->SetCaption("Budget");
    radio->Font()->SetColor(clRed);
    form->Show();
    auto* rb = qobject_cast<QRadioButton*>(QtWidgetOf(radio));
    ASSERT_NE(rb, nullptr);
    QRect circle = IndicatorOf(rb, false);
    QImage off = rb->grab().toImage();
    QTest::mouseClick(rb, Qt::LeftButton, {}, QPoint(5, 10));
    EXPECT_TRUE(radio->Checked());
    EXPECT_TRUE(rb->isChecked());
    QImage on = rb->grab().toImage();
    EXPECT_NE(off.copy(circle), on.copy(circle)) << "the native circle shows the check";
    QRect caption(circle.right() + 1, 0, rb->width() - circle.right() - 1, rb->height());
    EXPECT_GT(CountNear(on, caption, QColor(255, 0, 0)), 15) << "caption in the font colour beside the circle";
    EXPECT_GT(CountNear(off, caption, QColor(255, 0, 0)), 15) << "also before the check";
    // Disabled: the caption turns grey.
    radio->SetEnabled(false);
    QImage disabled = rb->grab().toImage();
    EXPECT_EQ(CountNear(disabled, caption, QColor(255, 0, 0)), 0);
    EXPECT_GT(CountNear(disabled, caption, QtColor(clGrayText)), 15);
}

TEST_F(QtPeersFixture, TextOnTheLeftPutsTheCircleOnTheRight) {
    auto* radio = Add<TRadioButton>(10, 10, 140, 20);
    radio->SetCaption("Budget");
    radio->SetAlignment(taLeftJustify);
    radio->Font()->SetColor(clRed);
    form->Show();
    QWidget* w = QtWidgetOf(radio);
    QRect circle = IndicatorOf(w, true);
    EXPECT_GT(circle.left(), 100);
    QImage img = w->grab().toImage();
    EXPECT_GT(CountNear(img, QRect(0, 0, circle.left(), 20), QColor(255, 0, 0)), 15);
    EXPECT_LT(CountColour(img, circle, QtColor(radio->Color())), circle.width() * circle.height());
}

TEST_F(QtPeersFixture, AClassAskingForTheNativeRadioLookGetsItWithItsPaintOver) {
    RegisterNativeLook(TOverRadio::StaticClass(), TNativeLook::RadioButton, [](TControl& c, TCanvas& canvas) {
        canvas.Brush()->SetColor(clFuchsia);
        canvas.FillRect({c.Width() - 20, 0, c.Width(), c.Height()});
    });
    auto* over = Add<TOverRadio>(10, 40, 120, 20);
    form->Show();
    auto* rb = qobject_cast<QRadioButton*>(QtWidgetOf(over));
    ASSERT_NE(rb, nullptr) << "a radio button peer for a class Qt knows nothing of";
    QTest::mouseClick(rb, Qt::LeftButton, {}, QPoint(5, 10));
    EXPECT_TRUE(over->Checked());
    EXPECT_TRUE(rb->isChecked());
    QImage img = rb->grab().toImage();
    EXPECT_EQ(CountColour(img, QRect(100, 0, 20, 20), QColor(255, 0, 255)), 400) << "its paint-over";
    QRect circle = IndicatorOf(rb, false);
    EXPECT_LT(CountColour(img, circle, QtColor(over->Color())), circle.width() * circle.height()) << "the circle";
    // Its published Alignment puts the text on the left and the circle on the right.
    over->SetAlignment(taLeftJustify);
    QRect right = IndicatorOf(rb, true);
    img = rb->grab().toImage();
    EXPECT_GT(right.left(), circle.right());
    EXPECT_EQ(CountColour(img, circle, QtColor(over->Color())), circle.width() * circle.height());
    UnregisterNativeLook(TOverRadio::StaticClass());
    EXPECT_EQ(NativeLookOf(TOverRadio::StaticClass()), nullptr);
}

// ---- The list view's in-place caption editor -------------------------------------------------

enum class TEndBy { Enter, Escape, ClickOnList, ClickElsewhere };
struct TEditCase {
    const char* name;
    TEndBy end;
    bool edited;
    const char* caption;
};
class QtCaptionEditTest : public QtPeersFixture, public ::testing::WithParamInterface<TEditCase> {};

TEST_P(QtCaptionEditTest, F2EditsTheCaptionInARealEdit) {
    auto* lv = Add<TListView>(10, 10, 250, 150);
    lv->SetViewStyle(vsReport);
    lv->Columns()->Add()->SetWidth(120);
    for (const char* s : {"Alpha", "Beta", "Gamma"}) lv->Items()->Add()->SetCaption(s);
    lv->OnEdited = TLVEditedEvent::Of<&TfrmPeers::Edited>(form);
    auto* other = Add<TEdit>(10, 200, 100, 22);
    form->Show();
    QWidget* lw = QtWidgetOf(lv);
    TListItem* beta = lv->Items()->Item(1);
    TRect row = lv->ItemRect(beta);
    QTest::mouseClick(lw, Qt::LeftButton, {}, QPoint(row.Left + 20, (row.Top + row.Bottom) / 2));
    ASSERT_EQ(lv->Selected(), beta);
    QTest::keyClick(KeyWidget(), Qt::Key_F2);
    ASSERT_TRUE(lv->IsEditing());
    auto* editor = qobject_cast<QLineEdit*>(QtWidgetOf(lv->EditControl()));
    ASSERT_NE(editor, nullptr);
    // Over the item, on the list view's window, visible, with the focus and the caption.
    TRect label = beta->DisplayRect(drLabel);
    EXPECT_EQ(editor->parentWidget(), lw);
    EXPECT_TRUE(editor->isVisible());
    EXPECT_EQ(editor->geometry().topLeft(), QPoint(label.Left, label.Top));
    EXPECT_EQ(KeyWidget(), editor);
    EXPECT_EQ(editor->text().toStdString(), "Beta");
    QTest::keyClicks(KeyWidget(), "Zeta");  // replaces the selected caption
    EXPECT_EQ(lv->EditControl()->Text(), "Zeta");
    EXPECT_EQ(editor->text().toStdString(), "Zeta");
    switch (GetParam().end) {
        case TEndBy::Enter: QTest::keyClick(KeyWidget(), Qt::Key_Return); break;
        case TEndBy::Escape: QTest::keyClick(KeyWidget(), Qt::Key_Escape); break;
        case TEndBy::ClickOnList: {
            TRect first = lv->ItemRect(lv->Items()->Item(0));
            QTest::mouseClick(lw, Qt::LeftButton, {}, QPoint(first.Left + 20, (first.Top + first.Bottom) / 2));
            break;
        }
        case TEndBy::ClickElsewhere: QTest::mouseClick(QtWidgetOf(other), Qt::LeftButton); break;
    }
    EXPECT_FALSE(lv->IsEditing());
    EXPECT_FALSE(editor->isVisible());
    EXPECT_EQ(beta->Caption(), GetParam().caption);
    EXPECT_EQ(!form->Log.empty() && form->Log.back() == "edited Zeta", GetParam().edited);
}

INSTANTIATE_TEST_SUITE_P(Ends, QtCaptionEditTest,
                         ::testing::Values(TEditCase{"Enter", TEndBy::Enter, true, "Zeta!"},
                                           TEditCase{"Escape", TEndBy::Escape, false, "Beta"},
                                           TEditCase{"ClickOnList", TEndBy::ClickOnList, true, "Zeta!"},
                                           TEditCase{"ClickElsewhere", TEndBy::ClickElsewhere, true, "Zeta!"}),
                         [](const auto& info) { return std::string(info.param.name); });

// The tree view shares the editor: F2 on the selected node edits its text in place.
TEST_F(QtPeersFixture, F2EditsATreeNodeInARealEdit) {
    auto* tv = Add<TTreeView>(10, 10, 200, 150);
    TTreeNode* root = tv->Items()->Add(nullptr, "Root");
    TTreeNode* child = tv->Items()->AddChild(root, "Child");
    root->Expand(false);
    form->Show();
    tv->SetSelected(child);
    tv->SetFocus();
    QTest::keyClick(KeyWidget(), Qt::Key_F2);
    ASSERT_TRUE(tv->IsEditing());
    auto* editor = qobject_cast<QLineEdit*>(KeyWidget());
    ASSERT_NE(editor, nullptr);
    TRect text = tv->NodeRect(child, true);
    EXPECT_EQ(editor->parentWidget(), QtWidgetOf(tv));
    EXPECT_EQ(editor->geometry().topLeft(), QPoint(text.Left, text.Top));
    EXPECT_EQ(editor->text().toStdString(), "Child");
    QTest::keyClicks(KeyWidget(), "Leaf");
    QTest::keyClick(KeyWidget(), Qt::Key_Return);
    EXPECT_FALSE(tv->IsEditing());
    EXPECT_FALSE(editor->isVisible());
    EXPECT_EQ(child->Text(), "Leaf");
}

// ---- Tool tips per grid cell -----------------------------------------------------------------

class TCellHints : public TObject {
public:
    // Cell (3, 2) refuses its hint; cell (3, 1) gets its text replaced.
    void ShowHintCell(TObject*, int c, int r, std::string& hint, bool& canShow) {
        if (c == 3 && r == 2) canShow = false;
        if (c == 3 && r == 1) hint = "changed";
    }
};

// The tip a hover at the centre of a cell brings up ("" when none shows).
std::string TipOverCell(TStringAlignGrid* grid, int c, int r) {
    QToolTip::hideText();
    EXPECT_TRUE(QTest::qWaitFor([] { return !QToolTip::isVisible(); }, 2000));
    QWidget* w = QtWidgetOf(grid);
    TRect cell = grid->CellRect(c, r);
    QPoint at((cell.Left + cell.Right) / 2, (cell.Top + cell.Bottom) / 2);
    QHelpEvent help(QEvent::ToolTip, at, w->mapToGlobal(at));
    QCoreApplication::sendEvent(w, &help);
    return QToolTip::isVisible() ? QToolTip::text().toStdString() : std::string();
}

TEST_F(QtPeersFixture, HoveringAGridCellShowsThatCellsHint) {
    auto* grid = Add<TStringAlignGrid>(10, 10, 400, 150);
    grid->SetColCount(4);
    grid->SetRowCount(3);
    grid->SetCellHint(1, 1, "Budget plan|Long help");
    grid->SetCellHint(2, 1, "Cost bearer");
    grid->SetCellHint(3, 2, "Never shown");
    grid->SetHint("The grid");
    grid->SetShowHint(true);
    TCellHints handler;
    grid->OnShowHintCell = TShowHintCellEvent::Of<&TCellHints::ShowHintCell>(&handler);
    form->Show();
    EXPECT_EQ(TipOverCell(grid, 1, 1), "Budget plan");
    EXPECT_EQ(TipOverCell(grid, 2, 1), "Cost bearer");
    EXPECT_EQ(TipOverCell(grid, 1, 2), "The grid") << "a cell without a hint of its own";
    EXPECT_EQ(TipOverCell(grid, 3, 2), "") << "refused by OnShowHintCell";
    EXPECT_EQ(TipOverCell(grid, 3, 1), "changed");
    // Moving to another cell hides the tip, so the next cell asks again.
    TipOverCell(grid, 1, 1);
    ASSERT_TRUE(QToolTip::isVisible());
    TRect other = grid->CellRect(2, 1);
    QTest::mouseMove(QtWidgetOf(grid), QPoint(other.Left + 5, other.Top + 5));
    EXPECT_TRUE(QTest::qWaitFor([] { return !QToolTip::isVisible(); }, 2000));
    // The hint settings still rule.
    grid->SetShowHint(false);
    EXPECT_EQ(TipOverCell(grid, 1, 1), "");
    grid->SetShowHint(true);
    Application->SetShowHint(false);
    EXPECT_EQ(TipOverCell(grid, 1, 1), "");
    Application->SetShowHint(true);
}

// Grid editing in a real window: a click picks the cell, typing opens the model's in-place editor
// there as an edit peer, Enter leaves the text in the cell.
TEST_F(QtPeersFixture, TypingIntoAGridCellEditsItInPlace) {
    auto* grid = Add<TStringGrid>(10, 10, 360, 150);
    grid->SetColCount(4);
    grid->SetRowCount(4);
    TGridOptions options = grid->Options();
    options.Include(goEditing);
    grid->SetOptions(options);
    form->Show();
    QWidget* gw = QtWidgetOf(grid);
    TRect cell = grid->CellRect(2, 1);
    QTest::mouseClick(gw, Qt::LeftButton, {}, QPoint(cell.Left + 5, cell.Top + 5));
    ASSERT_TRUE(grid->Focused());
    QTest::keyClicks(KeyWidget(), "42");
    ASSERT_NE(grid->InplaceEditor(), nullptr);
    auto* editor = qobject_cast<QLineEdit*>(QtWidgetOf(grid->InplaceEditor()));
    ASSERT_NE(editor, nullptr);
    EXPECT_TRUE(editor->isVisible());
    EXPECT_TRUE(editor->geometry().intersects(QRect(cell.Left, cell.Top, cell.Right - cell.Left, cell.Bottom - cell.Top)));
    EXPECT_EQ(editor->text().toStdString(), "42");
    QTest::keyClick(KeyWidget(), Qt::Key_Return);
    EXPECT_EQ(grid->Cells(2, 1), "42");
}

// ---- Animation and a released press ----------------------------------------------------------

// The wait window's animation plays in a real window: frames move on while Qt's loop runs and
// stop with the animation.
TEST_F(QtPeersFixture, AnActiveAnimationMovesOnInQtsLoop) {
    auto* anim = Add<TAnimate>(20, 20, 16, 16);
    anim->SetCommonAVI(aviFindFile);
    form->Show();
    int first = anim->CurrentFrame();
    QImage before = QtWidgetOf(anim)->grab().toImage();
    QTest::qWait(350);
    EXPECT_EQ(anim->CurrentFrame(), first) << "not active yet";
    anim->SetActive(true);
    ASSERT_TRUE(QTest::qWaitFor([&] { return anim->CurrentFrame() >= first + 2; }, 2000));
    EXPECT_NE(QtWidgetOf(anim)->grab().toImage(), before);
    anim->SetActive(false);
    int stopped = anim->CurrentFrame();
    QTest::qWait(350);
    EXPECT_EQ(anim->CurrentFrame(), stopped);
}

// A left-button up posted to a pressed button (what the module does after a dialog interrupted
// a press) ends the model's capture and the native pressed look.
TEST_F(QtPeersFixture, APostedButtonUpReleasesThePress) {
    auto* button = Add<TButton>(20, 20, 80, 26);
    button->SetCaption("OK");
    form->Show();
    auto* pb = qobject_cast<QPushButton*>(QtWidgetOf(button));
    ASSERT_NE(pb, nullptr);
    QTest::mousePress(pb, Qt::LeftButton, {}, QPoint(10, 10));
    ASSERT_EQ(GetCaptureControl(), button);
    ASSERT_TRUE(pb->isDown());
    PostMessage(button->Handle(), WM_LBUTTONUP, 0, MakeLParam(-5, -5));
    EXPECT_TRUE(QTest::qWaitFor([&] { return GetCaptureControl() == nullptr && !pb->isDown(); }, 2000));
}

// A data navigator's buttons show their symbols, dark when enabled and grey when not.
TEST_F(QtPeersFixture, NavigatorButtonsShowTheirSymbolsByState) {
    auto* nav = Add<TDBNavigator>(10, 200, 240, 25);
    form->Show();
    TNavButton* next = nav->Buttons(nbNext);
    TNavButton* prior = nav->Buttons(nbPrior);
    next->SetEnabled(true);
    prior->SetEnabled(false);
    QImage img = QtWidgetOf(nav)->grab().toImage();
    auto inside = [](TControl* b) { return QRect(b->Left() + 2, b->Top() + 2, b->Width() - 4, b->Height() - 4); };
    EXPECT_GT(CountNear(img, inside(next), QtColor(clBtnText)), 5);
    EXPECT_EQ(CountNear(img, inside(prior), QtColor(clBtnText)), 0);
    EXPECT_GT(CountNear(img, inside(prior), QtColor(clGrayText)), 5);
}

// A tool tip comes up after the application's HintPause.
TEST_F(QtPeersFixture, ToolTipsWakeUpAfterTheHintPause) {
    int saved = Application->HintPause();
    Application->SetHintPause(123);
    EXPECT_EQ(QApplication::style()->styleHint(QStyle::SH_ToolTip_WakeUpDelay), 123);
    Application->SetHintPause(saved);
    EXPECT_EQ(QApplication::style()->styleHint(QStyle::SH_ToolTip_WakeUpDelay), saved);
}

// ---- A form's OnPaint ------------------------------------------------------------------------

TEST_F(QtPeersFixture, OnPaintDrawsOnTheFormsCanvasBelowItsChildren) {
    form->SetColor(clYellow);
    auto* label = CreateObject<TLabel>(form);
    label->SetParent(form);
    label->SetBounds(30, 30, 40, 20);
    label->SetColor(clWhite);
    label->SetTransparent(false);
    form->OnPaint = TNotifyEvent::Of<&TfrmPeers::Paint>(form);
    form->Show();
    QImage img = QtWidgetOf(form)->grab().toImage();
    EXPECT_NE(std::find(form->Log.begin(), form->Log.end(), "paint"), form->Log.end());
    EXPECT_TRUE(IsColour(img, QPoint(15, 15), clBlue)) << "drawn by the handler";
    EXPECT_TRUE(IsColour(img, QPoint(35, 35), clWhite)) << "the label lies over it";
    EXPECT_TRUE(IsColour(img, QPoint(100, 100), clYellow)) << "the background in the form's colour";
    // Outside painting the canvas has no surface.
    EXPECT_THROW(form->Canvas()->FillRect({0, 0, 5, 5}), EInvalidOperation);
}

}  // namespace
