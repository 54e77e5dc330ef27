// A form's main menu shown for real: a QMenuBar above the client area mirroring the model's
// items; picking an item clicks it in the model; changes to the items show; the client area and
// its children stay where the model places them; Alt+letter still goes to the model.
#include <gtest/gtest.h>

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTest>

#include <cstdlib>
#include <string>
#include <vector>

#include "qt/QtTestSupport.h"
#include "platform/forms/Forms.h"
#include "platform/qt/QtWidgetSet.h"
#include "platform/widgets/Menus.h"
#include "platform/widgets/StdCtrls.h"

using namespace plat;

namespace {

struct TMenuLog : TObject {
    std::vector<std::string> Log;
    std::vector<std::string> Drawn;
    void DrawItem(TObject* sender, TCanvas* canvas, TRect rect, bool) {
        Drawn.push_back(static_cast<TMenuItem*>(sender)->Caption());
        canvas->Brush()->SetColor(clFuchsia);
        canvas->FillRect(rect);
    }
    void Click(TObject* sender) { Log.push_back(static_cast<TMenuItem*>(sender)->Caption()); }
    void KeyDown(TObject*, uint16_t& key, TShiftState shift) {
        if (shift.Contains(ssAlt)) Log.push_back("alt+" + std::string(1, static_cast<char>(key)));
    }
};

class QtMainMenu : public testing::Test {
protected:
    static void SetUpTestSuite() {
        ASSERT_TRUE(qttest::StartQt());
    }
    void SetUp() override {
        form = CreateObject<TForm>(nullptr, 0);
        form->SetBounds(40, 30, 400, 300);
        button = CreateObject<TButton>(form);
        button->SetParent(form);
        button->SetBounds(10, 12, 90, 25);
        button->SetCaption("OK");
        menu = CreateObject<TMainMenu>(form);
        file = Add(menu->Items(), "&File");
        open = Add(file, "&Open");
        Add(file, "-");
        recent = Add(file, "&Recent");
        one = Add(recent, "One");
        disabled = Add(file, "&Disabled");
        disabled->SetEnabled(false);
        hidden = Add(file, "Hidden");
        hidden->SetVisible(false);
        TMenuItem* view = Add(menu->Items(), "&View");
        grid = Add(view, "&Grid");
        grid->SetAutoCheck(true);
        grid->SetChecked(true);
        for (const char* c : {"&Large", "&Small"}) {
            TMenuItem* r = Add(view, c);
            r->SetRadioItem(true);
            r->SetGroupIndex(1);
        }
        help = Add(menu->Items(), "&Help");
        clientHeight = form->ClientHeight();
        form->SetMenu(menu);
    }
    void TearDown() override {
        form->Free();
        QCoreApplication::processEvents();
    }
    TMenuItem* Add(TMenuItem* parent, const char* caption) {
        auto* item = CreateObject<TMenuItem>(form);
        item->SetCaption(caption);
        item->OnClick = TNotifyEvent::Of<&TMenuLog::Click>(&log);
        parent->Add(item);
        return item;
    }
    QMenuBar* Bar() {
        QWidget* client = QtWidgetOf(form);
        return client ? client->window()->findChild<QMenuBar*>() : nullptr;
    }
    static QStringList Texts(const QList<QAction*>& actions) {
        QStringList t;
        for (QAction* a : actions) t << (a->isSeparator() ? QStringLiteral("-") : a->text());
        return t;
    }
    static QAction* Find(const QList<QAction*>& actions, const QString& text) {
        for (QAction* a : actions)
            if (a->text() == text) return a;
        return nullptr;
    }
    // The action standing for a model item (owner-drawn actions carry a mark in their text).
    static QAction* FindItem(const QList<QAction*>& actions, TMenuItem* item) {
        for (QAction* a : actions)
            if (a->data().value<quintptr>() == reinterpret_cast<quintptr>(item)) return a;
        return nullptr;
    }
    // Runs Qt's loop a little: picks are clicked from there, code changes read by the timer.
    static void Settle() { QTest::qWait(100); }

    TMenuLog log;
    TForm* form = nullptr;
    TButton* button = nullptr;
    TMainMenu* menu = nullptr;
    TMenuItem *file = nullptr, *open = nullptr, *recent = nullptr, *one = nullptr, *disabled = nullptr,
              *hidden = nullptr, *grid = nullptr, *help = nullptr;
    int clientHeight = 0;
};

TEST_F(QtMainMenu, TheBarSitsAboveTheClientAreaWhichKeepsTheModelsSizeAndChildren) {
    form->Show();
    QWidget* client = QtWidgetOf(form);
    ASSERT_NE(client, nullptr);
    QWidget* window = client->window();
    EXPECT_NE(window, client) << "the window holds the bar and the client area";
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->windowTitle(), client->windowTitle());
    QMenuBar* bar = Bar();
    ASSERT_NE(bar, nullptr);
    EXPECT_TRUE(bar->isVisible());
    EXPECT_EQ(bar->geometry().top(), 0);
    EXPECT_GT(bar->height(), 0);
    EXPECT_EQ(form->ClientHeight(), clientHeight) << "the model's client area kept its size";
    EXPECT_EQ(client->size(), QSize(form->ClientWidth(), form->ClientHeight()));
    EXPECT_EQ(client->geometry().top(), bar->height());
    EXPECT_EQ(window->height(), bar->height() + form->ClientHeight());
    QWidget* ok = QtWidgetOf(button);
    ASSERT_NE(ok, nullptr);
    EXPECT_EQ(ok->parentWidget(), client);
    EXPECT_EQ(ok->geometry(), QRect(10, 12, 90, 25));
    // A click on the button still reaches the model's button where the model has it.
    QTest::mouseClick(ok, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(form->ActiveControl(), button);
}

TEST_F(QtMainMenu, TheBarsActionsMirrorTheItems) {
    form->Show();
    QMenuBar* bar = Bar();
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(Texts(bar->actions()), (QStringList{"&File", "&View", "&Help"}));
    QAction* fileAction = Find(bar->actions(), "&File");
    ASSERT_TRUE(fileAction && fileAction->menu());
    QList<QAction*> fileItems = fileAction->menu()->actions();
    EXPECT_EQ(Texts(fileItems), (QStringList{"&Open", "-", "&Recent", "&Disabled"})) << "the hidden item is left out";
    QAction* recentAction = Find(fileItems, "&Recent");
    ASSERT_TRUE(recentAction && recentAction->menu());
    EXPECT_EQ(Texts(recentAction->menu()->actions()), QStringList{"One"});
    EXPECT_FALSE(Find(fileItems, "&Disabled")->isEnabled());
    EXPECT_TRUE(Find(fileItems, "&Open")->isEnabled());
    QList<QAction*> viewItems = Find(bar->actions(), "&View")->menu()->actions();
    QAction* gridAction = Find(viewItems, "&Grid");
    EXPECT_TRUE(gridAction->isCheckable());
    EXPECT_TRUE(gridAction->isChecked());
    QAction* large = Find(viewItems, "&Large");
    ASSERT_TRUE(large && large->actionGroup());
    EXPECT_TRUE(large->actionGroup()->isExclusive());
    EXPECT_EQ(large->actionGroup(), Find(viewItems, "&Small")->actionGroup());
    // A top-level item without sub-items is an action of the bar itself.
    EXPECT_EQ(Find(bar->actions(), "&Help")->menu(), nullptr);
}

TEST_F(QtMainMenu, PickingAnItemClicksItInTheModel) {
    form->Show();
    QMenuBar* bar = Bar();
    ASSERT_NE(bar, nullptr);
    QAction* recentAction = Find(Find(bar->actions(), "&File")->menu()->actions(), "&Recent");
    Find(recentAction->menu()->actions(), "One")->trigger();
    Settle();
    EXPECT_EQ(log.Log, std::vector<std::string>{"One"});
    // A real click on the bar's own action.
    log.Log.clear();
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->actionGeometry(Find(bar->actions(), "&Help")).center());
    Settle();
    EXPECT_EQ(log.Log, std::vector<std::string>{"&Help"});
    // An auto-check item toggles in the model; the bar shows the model's mark afterwards.
    log.Log.clear();
    Find(Find(Bar()->actions(), "&View")->menu()->actions(), "&Grid")->trigger();
    Settle();
    EXPECT_FALSE(grid->Checked());
    EXPECT_FALSE(Find(Find(Bar()->actions(), "&View")->menu()->actions(), "&Grid")->isChecked());
}

// An owner-drawn main menu (the code converter sets OwnerDraw): the drop-down menus draw their
// items through the model, as pop-up menus do.
TEST_F(QtMainMenu, OwnerDrawnItemsOfTheDropDownMenusDrawThroughTheModel) {
    menu->SetOwnerDraw(true);
    one->OnDrawItem = TMenuDrawItemEvent::Of<&TMenuLog::DrawItem>(&log);
    form->Show();
    QAction* recentAction = FindItem(FindItem(Bar()->actions(), file)->menu()->actions(), recent);
    ASSERT_TRUE(recentAction && recentAction->menu());
    QMenu* sub = recentAction->menu();
    sub->ensurePolished();
    sub->adjustSize();
    QImage img = sub->grab().toImage();
    EXPECT_EQ(log.Drawn, std::vector<std::string>{"One"});
    QRect r = sub->actionGeometry(sub->actions().value(0));
    EXPECT_EQ(img.pixelColor(r.center()), QtColor(clFuchsia));
}

TEST_F(QtMainMenu, ADisabledItemCannotBeTriggered) {
    form->Show();
    QAction* action = Find(Find(Bar()->actions(), "&File")->menu()->actions(), "&Disabled");
    ASSERT_NE(action, nullptr);
    action->trigger();
    Settle();
    EXPECT_TRUE(log.Log.empty());
    // Disabled in the model after the bar was built: the model refuses the click too.
    QAction* openAction = Find(Find(Bar()->actions(), "&File")->menu()->actions(), "&Open");
    open->SetEnabled(false);
    openAction->trigger();  // may still be the old action, enabled
    Settle();
    EXPECT_TRUE(log.Log.empty());
}

TEST_F(QtMainMenu, ChangesToTheItemsShowWithoutInput) {
    form->Show();
    help->SetCaption("&About");
    Add(menu->Items(), "&Tools");
    file->SetEnabled(false);
    Settle();
    QMenuBar* bar = Bar();
    EXPECT_EQ(Texts(bar->actions()), (QStringList{"&File", "&View", "&About", "&Tools"}));
    EXPECT_FALSE(Find(bar->actions(), "&File")->isEnabled());
    hidden->SetVisible(true);
    Settle();
    EXPECT_EQ(Texts(Find(Bar()->actions(), "&File")->menu()->actions()),
              (QStringList{"&Open", "-", "&Recent", "&Disabled", "Hidden"}));
}

TEST_F(QtMainMenu, RemovingTheMenuHidesTheBarAndKeepsTheClientArea) {
    form->Show();
    form->SetMenu(nullptr);
    Settle();
    QWidget* client = QtWidgetOf(form);
    QMenuBar* bar = Bar();
    ASSERT_NE(bar, nullptr);
    EXPECT_FALSE(bar->isVisible());
    EXPECT_EQ(form->ClientHeight(), clientHeight);
    EXPECT_EQ(client->geometry().top(), 0);
    EXPECT_EQ(client->window()->height(), form->ClientHeight());
}

// A menu given to a form already on screen: its window becomes the frame with the bar; the client
// area and its children keep their places and the window stays shown.
TEST_F(QtMainMenu, AMenuSetOnAShownFormBringsTheBar) {
    form->SetMenu(nullptr);
    form->Show();
    QWidget* client = QtWidgetOf(form);
    ASSERT_NE(client, nullptr);
    int shownClientHeight = form->ClientHeight();
    form->SetMenu(menu);
    Settle();
    QMenuBar* bar = Bar();
    ASSERT_NE(bar, nullptr);
    EXPECT_TRUE(bar->isVisible());
    EXPECT_FALSE(client->isWindow());
    EXPECT_TRUE(client->window()->isVisible());
    EXPECT_TRUE(client->isVisible());
    EXPECT_EQ(form->ClientHeight(), shownClientHeight);
    EXPECT_EQ(client->geometry(), QRect(0, bar->height(), form->ClientWidth(), form->ClientHeight()));
    EXPECT_EQ(QtWidgetOf(button)->geometry(), QRect(10, 12, 90, 25));
    EXPECT_EQ(Texts(bar->actions()), (QStringList{"&File", "&View", "&Help"}));
}

TEST_F(QtMainMenu, AFormWithoutAMenuHasNoBar) {
    TForm* plain = CreateObject<TForm>(nullptr, 0);
    plain->SetBounds(0, 0, 200, 150);
    plain->Show();
    QWidget* w = QtWidgetOf(plain);
    ASSERT_NE(w, nullptr);
    EXPECT_TRUE(w->isWindow());
    EXPECT_EQ(w->findChild<QMenuBar*>(), nullptr);
    plain->Free();
}

// Alt+F is the model's key (its key preview sees it), not Qt's mnemonic opening the bar's menu.
TEST_F(QtMainMenu, AltLetterGoesToTheModel) {
    form->SetKeyPreview(true);
    form->OnKeyDown = TKeyEvent::Of<&TMenuLog::KeyDown>(&log);
    form->Show();
    QWidget* client = QtWidgetOf(form);
    QWidget* target = client->window()->focusWidget() ? client->window()->focusWidget() : client;
    QTest::keyClick(target, Qt::Key_F, Qt::AltModifier);
    Settle();
    EXPECT_EQ(log.Log, std::vector<std::string>{"alt+F"});
    EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
}

}  // namespace
