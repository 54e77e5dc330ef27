// The code converter reaches a selection panel's inner parts knowing the panel only by class
// name: its words, its hint word and its list's column captions.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "controls/SelectPnl.h"
#include "environment/CodeConverter.h"
#include "environment/fixtures/Installation.h"
#include "platform/forms/Forms.h"
#include "platform/widgets/ListView.h"

using namespace plat;
using namespace qm;

namespace {

class PanelConversion : public envtest::Installation {
protected:
    void SetUp() override {
        envtest::Installation::SetUp();
        LinkStagedLibrary("Radorudavu.so");
        Form = CreateObject<TForm>(nullptr, 0);
        Panel = CreateObject<TSelectPanel>(Form);
        Panel->SetName("sp01");
        Panel->SetParent(Form);
    }
    void TearDown() override {
        Form->Free();
        envtest::Installation::TearDown();
    }
    TForm* Form = nullptr;
    TSelectPanel* Panel = nullptr;
};

// The parts are unnamed components (a package element "ListBox" means a component of the form),
// so the converter finds the list by its class.
TEST_F(PanelConversion, PartsAreUnnamed) {
    for (TComponent* part : Panel->ComponentList()) EXPECT_EQ(part->Name(), "") << part->ClassName();
    EXPECT_EQ(Panel->ComponentList().size(), 13u);
}

TEST_F(PanelConversion, KindTwoConvertsWordsHintWordAndListColumns) {
    Ini("OrreryC.ini", "[CodePage]\nUICodePage=950\n");
    Panel->SetHintWord("费用");
    Panel->BeginWords()->Add("预算");
    static_cast<TListColumn*>(Panel->Columns()->Add())->SetCaption("费用");
    TCodeConverter* cc = CreateObject<TCodeConverter>(Form);
    ASSERT_EQ(cc->ConvertKind, 2);
    cc->ConvertForm(Form, true);
    EXPECT_EQ(Panel->HintWord(), "費用");
    EXPECT_EQ(Panel->BeginWords()->Strings(Panel->BeginWords()->Count() - 1), "預算");
    EXPECT_EQ(static_cast<TListColumn*>(Panel->Columns()->Items(0))->Caption(), "費用");
}

}  // namespace
