// The selection panel's own events for the range/list switch and the list's rows, clearing rows
// without events, and the lookup buttons falling back to no picture when setting a glyph fails.
#include <gtest/gtest.h>

#include "controls/SelectPnl.h"
#include "platform/core/Exceptions.h"
#include "platform/forms/Dialogs.h"
#include "platform/forms/Forms.h"
#include "platform/headless/HeadlessWidgetSet.h"

using namespace plat;
using namespace qm;

namespace {

struct TRowEvents : TObject {
    bool Allow = true;
    std::vector<std::string> Log;
    void TypeClick(TObject* sender) { Log.push_back(std::string("type ") + (sender ? sender->ClassName() : "-")); }
    void Select(TObject*, TListItem*, int index, bool selected) {
        Log.push_back("select " + std::to_string(index) + (selected ? " on" : " off"));
    }
    void Change(TObject*, TListItem* item, TItemChange c) {
        Log.push_back("change " + std::to_string(item ? item->Index() : -1) + " " + std::to_string(c));
    }
    void Changing(TObject*, TListItem* item, TItemChange c, bool& allow) {
        Log.push_back("changing " + std::to_string(item ? item->Index() : -1) + " " + std::to_string(c));
        allow = Allow;
    }
    void Clear(TObject*) { Log.push_back("clear"); }
};

class SelectPanelEvents : public testing::Test {
protected:
    void SetUp() override {
        Form = CreateObject<TForm>(nullptr, 0);
        Panel = CreateObject<TSelectPanel>(Form);
        Panel->SetParent(Form);
        Panel->OnTypeClick = TNotifyEvent::Of<&TRowEvents::TypeClick>(&Events);
        Panel->OnItemSelect = TListViewSelectItemEvent::Of<&TRowEvents::Select>(&Events);
        Panel->OnItemChange = TListViewDataChangeEvent::Of<&TRowEvents::Change>(&Events);
        Panel->OnItemChanging = TListViewDataChangingEvent::Of<&TRowEvents::Changing>(&Events);
        Panel->OnClearClick = TNotifyEvent::Of<&TRowEvents::Clear>(&Events);
        Form->Show();
    }
    void TearDown() override { Form->Free(); }
    TForm* Form = nullptr;
    TSelectPanel* Panel = nullptr;
    TRowEvents Events;
};

TEST_F(SelectPanelEvents, TypeClickFollowsTheSwitchOnlyInUserChoice) {
    Panel->SetUserChoice(false);  // range style: nothing happens
    EXPECT_TRUE(Events.Log.empty());
    Panel->SetStyle(sp_UserChoice);
    Events.Log.clear();
    Panel->SetUserChoice(false);
    ASSERT_EQ(Events.Log, std::vector<std::string>{"type TSelectPanel"});
    EXPECT_FALSE(Panel->IsRangeMode());
    Panel->SetUserChoice(true);
    EXPECT_EQ(Events.Log.size(), 2u);
    EXPECT_TRUE(Panel->IsRangeMode());
}

TEST_F(SelectPanelEvents, RowEventsComeFromThePanel) {
    Panel->SetStyle(sp_Discrete);
    ASSERT_TRUE(Panel->AddRow({"A01", "Sales"}));
    ASSERT_TRUE(Panel->AddRow({"A02", "Stock"}));
    Events.Log.clear();
    TListItem* second = Panel->ListBox->Items()->Item(1);
    second->SetSelected(true);
    EXPECT_EQ(Events.Log, (std::vector<std::string>{"changing 1 2", "change 1 2", "select 1 on"}));
    Events.Log.clear();
    Events.Allow = false;  // a refused change leaves the row as it was
    Panel->ListBox->Items()->Item(0)->SetCaption("B01");
    EXPECT_EQ(Events.Log, std::vector<std::string>{"changing 0 0"});
    EXPECT_EQ(Panel->ListBox->Items()->Item(0)->Caption(), "A01");
    Events.Allow = true;
    Panel->ListBox->Items()->Item(0)->SetCaption("B01");
    EXPECT_EQ(Events.Log.back(), "change 0 0");
    // Clearing the rows in code raises nothing, not even the clear button's event.
    Events.Log.clear();
    Panel->ClearRows();
    EXPECT_EQ(Panel->ListBox->Items()->Count(), 0);
    EXPECT_TRUE(Events.Log.empty()) << Events.Log.front();
}

int FakeMax() { return 50; }
bool FakeLoad(TBitmap* b, int n) {
    if (n == 13) throw EInvalidGraphic("broken picture");
    b->SetSize(16, 16);
    b->Fill(clRed);
    return true;
}

// When even the error dialog of a broken picture fails, the three lookup buttons show no picture
// and the panel keeps its glyph number.
TEST(SelectPanelGlyphs, FailingGlyphFallsBackToNone) {
    TGlyphLibrary::Instance().SetFunctions(&FakeMax, &FakeLoad);
    TForm* form = CreateObject<TForm>(nullptr, 0);
    auto* panel = CreateObject<TSelectPanel>(form);
    panel->SetParent(form);
    ASSERT_EQ(panel->GlyphIndex(), 8);
    ASSERT_FALSE(panel->btnList->Glyph()->Empty());
    THeadlessWidgetSet* ws = HeadlessWidgetSet();
    ASSERT_NE(ws, nullptr);
    auto previous = ws->SetModalDriver([](TCustomForm&) { throw EInvalidOperation("no dialogs now"); });
    panel->SetGlyphIndex(13);
    ws->SetModalDriver(previous);
    EXPECT_EQ(panel->GlyphIndex(), 8);
    for (TF2Button* b : {panel->btnBegin, panel->btnFinal, panel->btnList}) {
        EXPECT_EQ(b->GlyphIndex(), 0);
        EXPECT_EQ(b->Caption(), "0");
        EXPECT_TRUE(b->Glyph()->Empty());
    }
    // A picture that loads is taken by all three again.
    panel->SetGlyphIndex(9);
    EXPECT_EQ(panel->GlyphIndex(), 9);
    EXPECT_EQ(panel->btnFinal->GlyphIndex(), 9);
    EXPECT_EQ(panel->btnFinal->Caption(), "");
    form->Free();
    TGlyphLibrary::Instance().SetFunctions(nullptr, nullptr);
}

}  // namespace
