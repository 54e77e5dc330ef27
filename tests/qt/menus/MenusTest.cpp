// Pop-up menus shown for real on the offscreen platform: a modal Qt menu built from the model's
// items, driven by keys and clicks from a timer, the model clicking what the user picked.
#include <gtest/gtest.h>

#include <QActionGroup>
#include <QApplication>
#include <QMenu>
#include <QTest>
#include <QTimer>

#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "qt/QtTestSupport.h"
#include "platform/forms/DfmReader.h"
#include "platform/forms/Forms.h"
#include "platform/qt/QtMenus.h"
#include "platform/qt/QtWidgetSet.h"
#include "platform/widgets/Buttons.h"
#include "platform/widgets/ComCtrls.h"

using namespace plat;
using qttest::StartQt;
using qttest::Fixture;

namespace {



// Acts on the shown pop-up (other than `skip`) as soon as there is one: checked from short
// timers, so nothing blocks while the modal menu starts. Gives up after about two seconds (the
// menu, if any, then stays up and the test's expectations fail).
void WhenPopup(std::function<void(QMenu*)> act, QMenu* skip = nullptr, int tries = 200) {
    QTimer::singleShot(10, [act, skip, tries] {
        auto* m = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if ((!m || m == skip) && tries > 0) {
            WhenPopup(act, skip, tries - 1);
            return;
        }
        if (m && m != skip) act(m);
    });
}

QAction* ActionOf(QMenu* m, const TMenuItem* item) {
    for (QAction* a : m->actions())
        if (a->data().value<quintptr>() == reinterpret_cast<quintptr>(item)) return a;
    return nullptr;
}

// The form of the module's paths: a list view with a pop-up menu, a tool button dropping a menu
// down, an arrow button dropping down an OK menu (fixture MenusForm.dfm).
class TMenusForm : public TForm {
    PLAT_CLASS(TMenusForm)
    explicit TMenusForm(TComponent* owner) : TForm(owner, 0) {}
    TListView* lvItems = nullptr;
    TPopupMenu* pmList = nullptr;
    TMenuItem *miOpen = nullptr, *miDisabled = nullptr, *miHidden = nullptr, *miSub = nullptr, *miInnerA = nullptr,
              *miInnerB = nullptr, *miChecked = nullptr, *miRadio1 = nullptr, *miRadio2 = nullptr, *miDefault = nullptr,
              *miImage = nullptr;
    TImageList* ilMenu = nullptr;
    TToolBar* tbMain = nullptr;
    TToolButton* tbPrint = nullptr;
    TPopupMenu* pmPrint = nullptr;
    TMenuItem *miPreview = nullptr, *miPrintNow = nullptr;
    TSpeedButton* btnArrow = nullptr;
    TPopupMenu* pmOK = nullptr;
    TMenuItem *miOK = nullptr, *miOKClose = nullptr;

    std::vector<std::string> Log;
    void Note(TObject* s) { Log.push_back(static_cast<TComponent*>(s)->Name()); }
    void tbPrintClick(TObject*) { Log.push_back("print button"); }
    int Popups = 0;
    void pmPrintPopup(TObject*) { ++Popups; }
    // The arrow button drops its menu down below itself, as the module does.
    void btnArrowClick(TObject*) {
        TPoint p = btnArrow->ClientToScreen({0, btnArrow->Height()});
        pmOK->Popup(p.X, p.Y);
    }
};
PLAT_REGISTER_CLASS(TMenusForm, TForm) {
    PLAT_FIELD(lvItems);
    PLAT_FIELD(pmList);
    PLAT_FIELD(miOpen);
    PLAT_FIELD(miDisabled);
    PLAT_FIELD(miHidden);
    PLAT_FIELD(miSub);
    PLAT_FIELD(miInnerA);
    PLAT_FIELD(miInnerB);
    PLAT_FIELD(miChecked);
    PLAT_FIELD(miRadio1);
    PLAT_FIELD(miRadio2);
    PLAT_FIELD(miDefault);
    PLAT_FIELD(miImage);
    PLAT_FIELD(ilMenu);
    PLAT_FIELD(tbMain);
    PLAT_FIELD(tbPrint);
    PLAT_FIELD(pmPrint);
    PLAT_FIELD(miPreview);
    PLAT_FIELD(miPrintNow);
    PLAT_FIELD(btnArrow);
    PLAT_FIELD(pmOK);
    PLAT_FIELD(miOK);
    PLAT_FIELD(miOKClose);
    PLAT_METHOD(Note);
    PLAT_METHOD(tbPrintClick);
    PLAT_METHOD(pmPrintPopup);
    PLAT_METHOD(btnArrowClick);
}

class MenusFixture : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ASSERT_TRUE(StartQt()); }
    void SetUp() override {
        ASSERT_EQ(WidgetSet().Name(), "qt");
        form = CreateObject<TMenusForm>(nullptr);
        ReadDescriptionFile(form, Fixture("MenusForm.dfm"));
        TBitmap red(16, 16);
        red.Fill(clRed);
        red.SetPixel(0, 15, clFuchsia);  // a masked list's transparent colour
        form->ilMenu->Add(&red);
        form->Show();
    }
    void TearDown() override {
        // A menu left up by a failing test must not hang the next one.
        while (QWidget* p = QApplication::activePopupWidget()) p->close();
        if (form) form->Free();
        QCoreApplication::processEvents();
    }
    void Popup(TPopupMenu* m) {
        TPoint p = form->ClientToScreen({30, 30});
        m->Popup(p.X, p.Y);
    }
    TMenusForm* form = nullptr;
};

TEST_F(MenusFixture, TheQtMenuMirrorsTheModelsItems) {
    std::unique_ptr<QMenu> q(BuildQtMenu(*form->pmList));
    QList<QAction*> a = q->actions();
    // Hidden items are left out; the rest in order, separators included.
    ASSERT_EQ(a.size(), 9);
    EXPECT_EQ(a[0]->text().toStdString(), "&Open\tCtrl+O");
    EXPECT_TRUE(a[1]->isSeparator());
    EXPECT_EQ(a[2]->text().toStdString(), "&Disabled");
    EXPECT_FALSE(a[2]->isEnabled());
    EXPECT_TRUE(a[0]->isEnabled());
    ASSERT_NE(a[3]->menu(), nullptr);
    EXPECT_EQ(a[3]->menu()->actions().size(), 2);
    EXPECT_EQ(a[3]->menu()->actions()[0]->data().value<quintptr>(), reinterpret_cast<quintptr>(form->miInnerA));
    EXPECT_TRUE(a[4]->isCheckable());
    EXPECT_TRUE(a[4]->isChecked());
    EXPECT_FALSE(a[0]->isCheckable());
    // Radio items: one exclusive group, the model's checked one checked.
    ASSERT_NE(a[5]->actionGroup(), nullptr);
    EXPECT_EQ(a[5]->actionGroup(), a[6]->actionGroup());
    EXPECT_TRUE(a[5]->actionGroup()->isExclusive());
    EXPECT_TRUE(a[5]->isChecked());
    EXPECT_FALSE(a[6]->isChecked());
    EXPECT_TRUE(a[7]->font().bold()) << "the default item";
    EXPECT_FALSE(a[0]->font().bold());
    // The image from the menu's image list, its colour kept.
    ASSERT_FALSE(a[8]->icon().isNull());
    EXPECT_EQ(a[8]->icon().pixmap(16, 16).toImage().pixelColor(8, 8), QColor(255, 0, 0));
    EXPECT_TRUE(a[0]->icon().isNull());
    EXPECT_EQ(a[8]->data().value<quintptr>(), reinterpret_cast<quintptr>(form->miImage));
}

TEST_F(MenusFixture, PickingAnItemClicksItInTheModel) {
    struct Case {
        const char* name;
        std::function<void(QMenu*)> act;
        std::vector<std::string> log;
    } cases[] = {
        {"accelerator", [](QMenu* m) { QTest::keyClick(m, Qt::Key_O); }, {"miOpen"}},
        {"arrows and Enter", [](QMenu* m) {
             QTest::keyClick(m, Qt::Key_Down);
             QTest::keyClick(m, Qt::Key_Return);
         }, {"miOpen"}},
        {"click", [this](QMenu* m) {
             QTest::mouseClick(m, Qt::LeftButton, {}, m->actionGeometry(ActionOf(m, form->miChecked)).center());
         }, {"miChecked"}},
        {"Esc", [](QMenu* m) { QTest::keyClick(m, Qt::Key_Escape); }, {}},
        {"disabled by key", [](QMenu* m) {
             QTest::keyClick(m, Qt::Key_D);
             QTest::keyClick(m, Qt::Key_Escape);
         }, {}},
        {"disabled by click", [this](QMenu* m) {
             QTest::mouseClick(m, Qt::LeftButton, {}, m->actionGeometry(ActionOf(m, form->miDisabled)).center());
             EXPECT_TRUE(m->isVisible()) << "a disabled item does not close the menu";
             QTest::keyClick(m, Qt::Key_Escape);
         }, {}},
    };
    for (auto& c : cases) {
        form->Log.clear();
        WhenPopup(c.act);
        Popup(form->pmList);
        EXPECT_EQ(form->Log, c.log) << c.name;
        EXPECT_EQ(QApplication::activePopupWidget(), nullptr) << c.name;
    }
    // The model's own click rules hold: an auto-check item toggled by the pick.
    form->miChecked->SetAutoCheck(true);
    WhenPopup([](QMenu* m) { QTest::keyClick(m, Qt::Key_C); });
    Popup(form->pmList);
    EXPECT_FALSE(form->miChecked->Checked());
}

TEST_F(MenusFixture, ASubMenuItemCanBePicked) {
    form->Log.clear();
    WhenPopup([](QMenu* top) {
        QTest::keyClick(top, Qt::Key_S);  // opens the sub-menu
        WhenPopup([](QMenu* sub) {
            EXPECT_EQ(sub->actions().size(), 2);
            QTest::keyClick(sub, Qt::Key_A);
        }, top);
    });
    Popup(form->pmList);
    EXPECT_EQ(form->Log, std::vector<std::string>{"miInnerA"});
}

TEST_F(MenusFixture, ARightClickOnTheListViewShowsItsMenuWhereClicked) {
    QWidget* lv = QtWidgetOf(form->lvItems);
    QPoint click(40, 30), shownAt;
    WhenPopup([&shownAt](QMenu* m) {
        shownAt = m->pos();
        QTest::keyClick(m, Qt::Key_O);
    });
    QTest::mouseClick(lv, Qt::RightButton, {}, click);
    EXPECT_EQ(form->Log, std::vector<std::string>{"miOpen"});
    EXPECT_EQ(form->pmList->PopupComponent(), form->lvItems);
    EXPECT_EQ(shownAt, lv->mapToGlobal(click));
}

TEST_F(MenusFixture, ADropDownToolButtonShowsItsMenuBelowItself) {
    TToolButton* b = form->tbPrint;
    ASSERT_EQ(b->Style(), tbsDropDown);
    QWidget* bar = QtWidgetOf(form->tbMain);
    QPoint shownAt;
    WhenPopup([&shownAt](QMenu* m) {
        shownAt = m->pos();
        QTest::keyClick(m, Qt::Key_P);
    });
    // A click on the painted arrow part (its right 12 pixels).
    QTest::mouseClick(bar, Qt::LeftButton, {}, QPoint(b->Left() + b->Width() - 6, b->Top() + b->Height() / 2));
    EXPECT_EQ(form->Log, std::vector<std::string>{"miPreview"});
    EXPECT_EQ(shownAt, bar->mapToGlobal(QPoint(b->Left(), b->Top() + b->Height())));
    // The button's face clicks the button; no menu.
    form->Log.clear();
    int popups = form->Popups;
    QTest::mouseClick(bar, Qt::LeftButton, {}, QPoint(b->Left() + 6, b->Top() + b->Height() / 2));
    EXPECT_EQ(form->Log, std::vector<std::string>{"print button"});
    EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
    EXPECT_EQ(form->Popups, popups);
}

TEST_F(MenusFixture, AnArrowButtonDropsDownItsOKMenuBelowItself) {
    TSpeedButton* b = form->btnArrow;
    QWidget* win = QtWidgetOf(form);
    QPoint shownAt;
    WhenPopup([&shownAt](QMenu* m) {
        shownAt = m->pos();
        QTest::keyClick(m, Qt::Key_Down);
        QTest::keyClick(m, Qt::Key_Return);
    });
    QTest::mouseClick(win, Qt::LeftButton, {}, QPoint(b->Left() + 4, b->Top() + 4));
    EXPECT_EQ(form->Log, std::vector<std::string>{"miOK"});
    // No PopupComponent was set: the point is found through the form that contains it.
    EXPECT_EQ(shownAt, win->mapToGlobal(QPoint(b->Left(), b->Top() + b->Height())));
}

TEST_F(MenusFixture, AlignmentPlacesTheMenuByThePoint) {
    QPoint point = QtScreenPoint(form, form->ClientToScreen({200, 100}));
    ASSERT_EQ(point, QtWidgetOf(form)->mapToGlobal(QPoint(200, 100)));
    struct Case {
        TPopupAlignment alignment;
        int widths;  // how many halves of the menu's width lie left of the point
    } cases[] = {{paLeft, 0}, {paCenter, 1}, {paRight, 2}};
    for (auto c : cases) {
        form->pmOK->SetAlignment(c.alignment);
        QRect shown;
        WhenPopup([&shown](QMenu* m) {
            shown = m->geometry();
            QTest::keyClick(m, Qt::Key_Escape);
        });
        TPoint p = form->ClientToScreen({200, 100});
        form->pmOK->Popup(p.X, p.Y);
        EXPECT_EQ(shown.top(), point.y()) << c.alignment;
        EXPECT_NEAR(shown.left(), point.x() - c.widths * shown.width() / 2, 1) << c.alignment;
    }
}

// The module's option forms are modal: their menus take clicks all the same.
TEST_F(MenusFixture, AMenuOfAModalFormTakesClicks) {
    form->Hide();
    bool ran = false;
    QTimer::singleShot(20, [this, &ran] {
        WhenPopup([this](QMenu* m) {
            QTest::mouseClick(m, Qt::LeftButton, {}, m->actionGeometry(ActionOf(m, form->miOpen)).center());
        });
        QTest::mouseClick(QtWidgetOf(form->lvItems), Qt::RightButton, {}, QPoint(40, 30));
        ran = true;
        form->SetModalResult(mrOk);
    });
    EXPECT_EQ(form->ShowModal(), mrOk);
    EXPECT_TRUE(ran);
    EXPECT_EQ(form->Log, std::vector<std::string>{"miOpen"});
}

// A form freed while its menu is open (a timer, a posted message) takes the menu with it; nothing
// is picked and nothing is left dangling.
TEST_F(MenusFixture, AFormFreedWhileItsMenuIsOpenEndsTheMenu) {
    bool freed = false;
    WhenPopup([this, &freed](QMenu* m) {
        EXPECT_EQ(m->parentWidget(), QtWidgetOf(form)) << "the menu belongs to the form's window";
        QTimer::singleShot(0, [this, &freed] {
            form->Free();
            form = nullptr;
            freed = true;
        });
    });
    TPopupMenu* menu = form->pmList;
    menu->SetPopupComponent(form->lvItems);
    TPoint p = form->lvItems->ClientToScreen({10, 10});
    menu->Popup(p.X, p.Y);
    EXPECT_TRUE(freed);
    EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
}

// Owner-drawn menus measure and paint each item through the model's canvas.
class TDrawer : public TComponent {
    PLAT_CLASS(TDrawer)
    using TComponent::TComponent;
    int Measured = 0, Drawn = 0;
    void Measure(TObject*, TCanvas* canvas, int& width, int& height) {
        ++Measured;
        EXPECT_NE(canvas, nullptr);
        width = 140;
        height = 30;
    }
    void Draw(TObject*, TCanvas* canvas, TRect r, bool selected) {
        ++Drawn;
        canvas->Brush()->SetColor(selected ? clLime : clRed);
        canvas->FillRect(r);
    }
};
PLAT_REGISTER_CLASS(TDrawer, TComponent) {}

int Count(const QImage& img, QRect r, QColor c) {
    int n = 0;
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x) n += img.pixelColor(x, y) == c;
    return n;
}

TEST_F(MenusFixture, OwnerDrawnItemsAreMeasuredAndPaintedByTheModel) {
    TPopupMenu* pm = form->pmPrint;
    pm->SetOwnerDraw(true);
    auto* drawer = CreateObject<TDrawer>(form);
    form->miPreview->OnMeasureItem = TMenuMeasureItemEvent::Of<&TDrawer::Measure>(drawer);
    form->miPreview->OnDrawItem = TMenuDrawItemEvent::Of<&TDrawer::Draw>(drawer);
    bool checked = false;
    WhenPopup([&](QMenu* m) {
        QRect custom = m->actionGeometry(ActionOf(m, form->miPreview));
        QRect plain = m->actionGeometry(ActionOf(m, form->miPrintNow));
        EXPECT_EQ(custom.height(), 30);
        QImage img = m->grab().toImage();
        EXPECT_EQ(Count(img, custom, QColor(255, 0, 0)), custom.width() * custom.height()) << "OnDrawItem, not selected";
        // Without handlers: the default drawing on the menu colour, the caption in the text colour.
        EXPECT_GT(Count(img, plain, QtColor(clMenu)), plain.width() * plain.height() / 2);
        int dark = 0;
        for (int y = plain.top(); y <= plain.bottom(); ++y)
            for (int x = plain.left(); x <= plain.right(); ++x) dark += img.pixelColor(x, y).lightness() < 80;
        EXPECT_GT(dark, 10);
        // Selected items: OnDrawItem's selected look, the default highlight.
        QTest::keyClick(m, Qt::Key_Down);
        img = m->grab().toImage();
        EXPECT_EQ(Count(img, custom, QColor(0, 255, 0)), custom.width() * custom.height());
        QTest::keyClick(m, Qt::Key_Down);
        img = m->grab().toImage();
        EXPECT_GT(Count(img, plain, QtColor(clHighlight)), plain.width() * plain.height() / 2);
        EXPECT_EQ(Count(img, custom, QColor(255, 0, 0)), custom.width() * custom.height());
        checked = true;
        QTest::keyClick(m, Qt::Key_Return);
    });
    Popup(pm);
    EXPECT_TRUE(checked);
    EXPECT_GT(drawer->Measured, 0);
    EXPECT_GT(drawer->Drawn, 0);
    EXPECT_EQ(form->Log, std::vector<std::string>{"miPrintNow"});
    // Sub-menus of an owner-drawn menu are drawn by the model too, and their items picked.
    form->Log.clear();
    form->pmList->SetOwnerDraw(true);
    WhenPopup([this](QMenu* top) {
        QTest::keyClick(top, Qt::Key_S);
        WhenPopup([this](QMenu* sub) {
            sub->setActiveAction(ActionOf(sub, form->miInnerA));
            QRect first = sub->actionGeometry(ActionOf(sub, form->miInnerA));
            EXPECT_GT(Count(sub->grab().toImage(), first, QtColor(clHighlight)), first.width() * first.height() / 2);
            QTest::keyClick(sub, Qt::Key_A);
        }, top);
    });
    Popup(form->pmList);
    EXPECT_EQ(form->Log, std::vector<std::string>{"miInnerA"});
}

}  // namespace
