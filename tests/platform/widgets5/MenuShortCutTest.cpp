// A key pressed in a control runs the short cut of its pop-up menus (the control's, then its
// parents') or of its form's main menu before the control or the form's key preview sees it.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/forms/Forms.h"
#include "platform/widgets/ExtCtrls.h"
#include "platform/widgets/Menus.h"
#include "platform/widgets/StdCtrls.h"

using namespace plat;

namespace {

class TLogForm : public TForm {
public:
    using TForm::TForm;
    std::vector<std::string> Log;
    void ItemClick(TObject* sender) { Log.push_back("click " + static_cast<TComponent*>(sender)->Name()); }
    void EditKeyDown(TObject*, uint16_t& key, TShiftState) { Log.push_back("key " + std::to_string(key)); }
};

class MenuShortCut : public ::testing::Test {
protected:
    void SetUp() override {
        form = CreateObject<TLogForm>(nullptr, 0);
        form->SetBounds(0, 0, 300, 200);
        panel = CreateObject<TPanel>(form);
        panel->SetParent(form);
        panel->SetBounds(0, 0, 200, 100);
        edit = CreateObject<TEdit>(form);
        edit->SetParent(panel);
        edit->SetBounds(5, 5, 100, 21);
        edit->OnKeyDown = TKeyEvent::Of<&TLogForm::EditKeyDown>(form);
        mainMenu = CreateObject<TMainMenu>(form);
        save = Item(mainMenu->Items(), "miSave", ShortCut('S', TShiftState{ssCtrl}));
        panelMenu = CreateObject<TPopupMenu>(form);
        refresh = Item(panelMenu->Items(), "miRefresh", ShortCut(VK_F5, {}));
        form->SetMenu(mainMenu);
        form->Show();
        edit->SetFocus();
    }
    void TearDown() override { form->Free(); }

    TMenuItem* Item(TMenuItem* parent, const char* name, TShortCut shortCut) {
        auto* file = CreateObject<TMenuItem>(form);
        file->SetCaption("&File");
        parent->Add(file);
        auto* it = CreateObject<TMenuItem>(form);
        it->SetName(name);
        it->SetCaption(name);
        it->SetShortCut(shortCut);
        it->OnClick = TNotifyEvent::Of<&TLogForm::ItemClick>(form);
        file->Add(it);  // short cuts of sub-items count too
        return it;
    }

    TLogForm* form = nullptr;
    TPanel* panel = nullptr;
    TEdit* edit = nullptr;
    TMainMenu* mainMenu = nullptr;
    TPopupMenu* panelMenu = nullptr;
    TMenuItem* save = nullptr;
    TMenuItem* refresh = nullptr;
};

TEST_F(MenuShortCut, TheFormsMainMenuRunsItsShortCutAndTheControlNeverSeesTheKey) {
    PressKey('S', TShiftState{ssCtrl});
    EXPECT_EQ(form->Log, (std::vector<std::string>{"click miSave"}));
    // Without Ctrl the key is the edit's.
    form->Log.clear();
    PressKey('S');
    EXPECT_EQ(form->Log, (std::vector<std::string>{"key 83"}));
}

TEST_F(MenuShortCut, APopupMenuOfAParentRunsItsShortCut) {
    PressKey(VK_F5);  // no pop-up menu on the panel yet: the edit gets the key
    EXPECT_EQ(form->Log, (std::vector<std::string>{"key 116"}));
    form->Log.clear();
    panel->SetPopupMenu(panelMenu);
    PressKey(VK_F5);
    EXPECT_EQ(form->Log, (std::vector<std::string>{"click miRefresh"}));
}

TEST_F(MenuShortCut, ADisabledOrHiddenItemLeavesTheKeyToTheControl) {
    save->SetEnabled(false);
    PressKey('S', TShiftState{ssCtrl});
    EXPECT_EQ(form->Log, (std::vector<std::string>{"key 83"}));
    save->SetEnabled(true);
    save->SetVisible(false);
    form->Log.clear();
    PressKey('S', TShiftState{ssCtrl});
    EXPECT_EQ(form->Log, (std::vector<std::string>{"key 83"}));
}

}  // namespace
