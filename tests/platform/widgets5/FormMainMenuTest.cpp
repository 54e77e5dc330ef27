// A form's main menu in the model: the Menu property (descriptions included) and the bar lying
// outside the client area, so the client keeps its size when a menu comes or goes.
#include <gtest/gtest.h>

#include "platform/forms/DfmReader.h"
#include "platform/forms/Forms.h"
#include "platform/widgets/Menus.h"

using namespace plat;

namespace {

class FormMainMenu : public testing::Test {
protected:
    void SetUp() override {
        form = CreateObject<TForm>(nullptr, 0);
        form->SetBounds(0, 0, 320, 240);
        menu = CreateObject<TMainMenu>(form);
    }
    void TearDown() override { form->Free(); }
    TForm* form = nullptr;
    TMainMenu* menu = nullptr;
};

TEST_F(FormMainMenu, TheBarLiesOutsideTheClientArea) {
    int clientWidth = form->ClientWidth(), clientHeight = form->ClientHeight();
    TPoint origin = form->ClientOrigin();
    form->SetMenu(menu);
    EXPECT_EQ(form->Menu(), menu);
    EXPECT_EQ(form->ClientWidth(), clientWidth);
    EXPECT_EQ(form->ClientHeight(), clientHeight) << "the client area keeps its size";
    EXPECT_EQ(form->Height(), 240 + FormMenuHeight) << "the window grows by the bar";
    EXPECT_EQ(form->Height() - form->ClientHeight(), 2 * FormFrameWidth + FormCaptionHeight + FormMenuHeight);
    EXPECT_EQ(form->ClientOrigin().Y, origin.Y + FormMenuHeight);
    // Setting the client height with a menu keeps the bar outside it.
    form->SetClientHeight(100);
    EXPECT_EQ(form->Height(), 100 + 2 * FormFrameWidth + FormCaptionHeight + FormMenuHeight);
    form->SetMenu(nullptr);
    EXPECT_EQ(form->ClientHeight(), 100);
    EXPECT_EQ(form->Height(), 100 + 2 * FormFrameWidth + FormCaptionHeight);
}

TEST_F(FormMainMenu, ABorderlessFormAlsoKeepsItsClientArea) {
    form->SetBorderStyle(bsNone);
    form->SetMenu(menu);
    EXPECT_EQ(form->ClientHeight(), 240);
    EXPECT_EQ(form->Height(), 240 + FormMenuHeight);
    EXPECT_EQ(form->ClientOrigin().Y, FormMenuHeight);
}

TEST_F(FormMainMenu, AFreedMenuLeavesTheForm) {
    form->SetMenu(menu);
    int clientHeight = form->ClientHeight();
    menu->Free();
    EXPECT_EQ(form->Menu(), nullptr);
    EXPECT_EQ(form->ClientHeight(), clientHeight);
}

TEST(FormMainMenuDescription, MenuIsReadFromTheDescriptionAndTheClientSizeKept) {
    TForm* form = CreateObject<TForm>(nullptr, 0);
    ReadDescriptionInto(form, R"(object Form1: TForm
  Left = 10
  Top = 20
  ClientHeight = 200
  ClientWidth = 300
  Menu = MainMenu1
  object MainMenu1: TMainMenu
    object File1: TMenuItem
      Caption = '&File'
      object Exit1: TMenuItem
        Caption = 'E&xit'
      end
    end
  end
end
)",
                        "Form1.dfm");
    auto* mm = dynamic_cast<TMainMenu*>(form->FindComponent("MainMenu1"));
    ASSERT_NE(mm, nullptr);
    EXPECT_EQ(form->Menu(), mm);
    EXPECT_EQ(form->ClientHeight(), 200);
    EXPECT_EQ(form->ClientWidth(), 300);
    EXPECT_EQ(mm->Items()->Count(), 1);
    form->Free();
}

}  // namespace
