// A right-button release shows the pop-up menu of the control under the pointer, or of the
// nearest parent that has one.
#include <gtest/gtest.h>

#include "platform/forms/Forms.h"
#include "platform/widgets/ExtCtrls.h"
#include "platform/widgets/Menus.h"
#include "platform/widgets/StdCtrls.h"

using namespace plat;

namespace {

struct TShown {
    TPopupMenu* Menu = nullptr;
    TPoint Point;
};

class ContextMenu : public ::testing::Test {
protected:
    void SetUp() override {
        form = CreateObject<TForm>(nullptr);
        form->SetBounds(100, 50, 300, 200);
        panel = CreateObject<TPanel>(form);
        panel->SetParent(form);
        panel->SetBounds(10, 10, 200, 150);
        edit = CreateObject<TEdit>(form);
        edit->SetParent(panel);
        edit->SetBounds(5, 5, 100, 21);
        panelMenu = CreateObject<TPopupMenu>(form);
        editMenu = CreateObject<TPopupMenu>(form);
        previous = SetPopupPresenter([this](TPopupMenu& m, TPoint p) -> TMenuItem* {
            shown.push_back({&m, p});
            return nullptr;
        });
        form->Show();
    }
    void TearDown() override {
        SetPopupPresenter(previous);
        form->Free();
    }
    static void RightClick(TControl* c, int x, int y) {
        c->Perform(WM_RBUTTONDOWN, 0, MakeLParam(x, y));
        c->Perform(WM_RBUTTONUP, 0, MakeLParam(x, y));
    }

    TForm* form = nullptr;
    TPanel* panel = nullptr;
    TEdit* edit = nullptr;
    TPopupMenu* panelMenu = nullptr;
    TPopupMenu* editMenu = nullptr;
    TPopupPresenter previous;
    std::vector<TShown> shown;
};

TEST_F(ContextMenu, AnyControlShowsItsOwnMenuAtThePointer) {
    edit->SetPopupMenu(editMenu);
    panel->SetPopupMenu(panelMenu);
    RightClick(edit, 7, 9);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].Menu, editMenu);
    EXPECT_EQ(shown[0].Point, edit->ClientToScreen({7, 9}));
    EXPECT_EQ(editMenu->PopupComponent(), edit);
}

TEST_F(ContextMenu, AChildWithoutAMenuPassesTheRequestToItsParent) {
    panel->SetPopupMenu(panelMenu);
    RightClick(edit, 7, 9);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].Menu, panelMenu);
    // The point stays where the pointer was.
    EXPECT_EQ(shown[0].Point, edit->ClientToScreen({7, 9}));
    EXPECT_EQ(panelMenu->PopupComponent(), panel);
}

TEST_F(ContextMenu, NoMenuAnywhereOrAutoPopupOffShowsNothing) {
    RightClick(edit, 7, 9);
    EXPECT_TRUE(shown.empty());
    // A menu that does not pop up by itself is not shown, and not replaced by the parent's.
    edit->SetPopupMenu(editMenu);
    editMenu->SetAutoPopup(false);
    RightClick(edit, 7, 9);
    EXPECT_TRUE(shown.empty());
    // The left button never shows a menu.
    editMenu->SetAutoPopup(true);
    edit->Perform(WM_LBUTTONDOWN, 0, MakeLParam(7, 9));
    edit->Perform(WM_LBUTTONUP, 0, MakeLParam(7, 9));
    EXPECT_TRUE(shown.empty());
}

}  // namespace
