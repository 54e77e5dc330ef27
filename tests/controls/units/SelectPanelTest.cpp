// The selection panel control: defaults, the style change with its size swap and events, rows,
// duplicates, delete and clear, Enabled reaching every child, leaving the panel.
#include <gtest/gtest.h>

#include "controls/SelectPnl.h"
#include "platform/forms/Forms.h"

using namespace plat;
using namespace qm;

namespace {

struct TPanelEvents : TObject {
    bool Accept = true;
    int Replace = -1;
    std::vector<std::string> Log;
    void Changing(TObject*, TSelectStyle now, TSelectStyle& next, bool& accept) {
        Log.push_back("changing " + std::to_string(now) + ">" + std::to_string(next));
        if (Replace >= 0) next = static_cast<TSelectStyle>(Replace);
        accept = Accept;
    }
    void Change(TObject*, TSelectStyle old, TSelectStyle next) {
        Log.push_back("change " + std::to_string(old) + ">" + std::to_string(next));
    }
    void Delete(TObject*, bool& accept) { accept = Accept; }
    void Exited(TObject*) { Log.push_back("exit"); }
};

class SelectPanelTest : public testing::Test {
protected:
    void SetUp() override {
        Form = CreateObject<TForm>(nullptr, 0);
        Panel = CreateObject<TSelectPanel>(Form);
        Panel->SetParent(Form);
        Other = CreateObject<TEdit>(Form);
        Other->SetParent(Form);
        Other->SetBounds(0, 300, 80, 21);
        Panel->OnStyleChanging = TStyleChangingEvent::Of<&TPanelEvents::Changing>(&Events);
        Panel->OnStyleChange = TStyleChangeEvent::Of<&TPanelEvents::Change>(&Events);
        Form->Show();
    }
    void TearDown() override { Form->Free(); }
    TForm* Form = nullptr;
    TSelectPanel* Panel = nullptr;
    TEdit* Other = nullptr;
    TPanelEvents Events;
};

TEST_F(SelectPanelTest, NewPanel) {
    EXPECT_EQ(Panel->Width(), 353);
    EXPECT_EQ(Panel->Height(), 45);
    EXPECT_EQ(Panel->Style(), sp_Range);
    EXPECT_EQ(Panel->GlyphIndex(), 8);
    EXPECT_EQ(Panel->HintWord(), "区间选择");
    EXPECT_EQ(Panel->chkRange->Hint(), "用户自定输入方式");
    EXPECT_EQ(Panel->btnClear->Hint(), "多选-删除己选信息");
    EXPECT_EQ(Panel->btnDelete->GlyphIndex(), 47);
    EXPECT_EQ(Panel->btnClear->GlyphIndex(), 4);
    EXPECT_TRUE(Panel->IsRangeMode());
    EXPECT_TRUE(Panel->pnlRange->Visible());
    EXPECT_FALSE(Panel->pnlList->Visible());
    EXPECT_FALSE(Panel->chkRange->Visible());
}

TEST_F(SelectPanelTest, StyleChangeSwapsTheSizeAndBack) {
    Panel->SetBounds(0, 0, 167, 102);
    Panel->SetOtherWidth(353);
    Panel->SetOtherHeight(64);
    Panel->SetStyle(sp_UserChoice);
    EXPECT_EQ(Panel->Width(), 353);
    EXPECT_EQ(Panel->Height(), 64);
    EXPECT_EQ(Panel->OtherWidth(), 167);
    EXPECT_EQ(Panel->OtherHeight(), 102);
    EXPECT_EQ(Panel->Style(), sp_UserChoice);
    EXPECT_TRUE(Panel->chkRange->Visible());
    Panel->SetStyle(sp_Discrete);  // between two list styles: the size stays
    EXPECT_EQ(Panel->Width(), 353);
    Panel->SetStyle(sp_Range);
    EXPECT_EQ(Panel->Width(), 167);
    EXPECT_EQ(Panel->Height(), 102);
    EXPECT_EQ(Events.Log.front(), "changing 0>2");
    EXPECT_EQ(Events.Log[1], "change 0>2");
}

TEST_F(SelectPanelTest, RefusedAndReplacedStyleChanges) {
    Events.Accept = false;
    Panel->SetStyle(sp_Discrete);
    EXPECT_EQ(Panel->Style(), sp_Range);
    EXPECT_EQ(Panel->Width(), 353);
    EXPECT_TRUE(Panel->pnlRange->Visible());
    Events.Accept = true;
    Events.Replace = sp_UserChoice;
    Panel->SetStyle(sp_Discrete);
    EXPECT_EQ(Panel->Style(), sp_UserChoice);
}

TEST_F(SelectPanelTest, UserChoiceOnlyInUserChoiceStyle) {
    Panel->SetUserChoice(false);
    EXPECT_TRUE(Panel->IsRangeMode());
    Panel->SetStyle(sp_UserChoice);
    Panel->SetUserChoice(true);
    EXPECT_TRUE(Panel->IsRangeMode());
    EXPECT_TRUE(Panel->pnlRange->Visible());
    Panel->SetUserChoice(false);
    EXPECT_FALSE(Panel->IsRangeMode());
    EXPECT_TRUE(Panel->pnlList->Visible());
}

TEST_F(SelectPanelTest, AddRowCreatesColumnsAndPads) {
    EXPECT_FALSE(Panel->AddRow({}));
    EXPECT_EQ(Panel->ListBox->Items()->Count(), 0);
    ASSERT_TRUE(Panel->AddRow({"a", "b", "c"}));
    ASSERT_EQ(Panel->ListBox->Columns()->Count(), 3);
    EXPECT_EQ(Panel->ListBox->Columns()->Items(2)->Caption(), "Data3");
    ASSERT_TRUE(Panel->AddRow({"d"}));
    EXPECT_EQ(Panel->ListBox->Items()->Item(1)->SubItems()->Count(), 2);
    Panel->ClearRows();
    EXPECT_EQ(Panel->ListBox->Items()->Count(), 0);
}

TEST_F(SelectPanelTest, CaseInsensitiveDuplicatesLeaveOne) {
    Panel->SetStyle(sp_Discrete);
    Panel->SetCheckDuplicate(cd_CaseInsensitive);
    EXPECT_TRUE(Panel->SortListBox());
    Panel->AddRow({"ABC"});
    Panel->AddRow({"abc"});
    EXPECT_EQ(Panel->ListBox->Items()->Count(), 1);
}

TEST_F(SelectPanelTest, RefusedDeleteKeepsTheRows) {
    Panel->SetStyle(sp_Discrete);
    Panel->AddRow({"a"});
    Panel->AddRow({"b"});
    Panel->ListBox->SelectAll();
    Panel->OnDeleteClick = TDeleteClickEvent::Of<&TPanelEvents::Delete>(&Events);
    Events.Accept = false;
    Panel->btnDelete->Click();
    EXPECT_EQ(Panel->ListBox->Items()->Count(), 2);
    Events.Accept = true;
    Panel->btnDelete->Click();
    EXPECT_EQ(Panel->ListBox->Items()->Count(), 0);
}

TEST_F(SelectPanelTest, DisablingReachesEveryChild) {
    Panel->SetEnabled(false);
    for (TControl* c : std::initializer_list<TControl*>{Panel->edBegin, Panel->edFinal, Panel->btnBegin,
                                                        Panel->ListBox, Panel->btnClear, Panel->chkRange})
        EXPECT_FALSE(c->Enabled()) << c->ClassName();
}

TEST_F(SelectPanelTest, LeavingThePanelPutsTheRangeInOrder) {
    Panel->OnPanelExit = TNotifyEvent::Of<&TPanelEvents::Exited>(&Events);
    Panel->edBegin->SetText(" B ");
    Panel->edFinal->SetText("A");
    Panel->edBegin->SetFocus();
    Panel->edFinal->SetFocus();  // inside the panel: nothing yet
    EXPECT_EQ(Panel->edBegin->Text(), " B ");
    Other->SetFocus();
    EXPECT_EQ(Panel->edBegin->Text(), "A");
    EXPECT_EQ(Panel->edFinal->Text(), "B");
    EXPECT_EQ(Events.Log.back(), "exit");
}

}  // namespace

namespace {

TEST_F(SelectPanelTest, ColumnClicksSortAndReverse) {
    Panel->SetStyle(sp_Discrete);
    Panel->SetShowColumnHeader(true);
    Panel->AddRow({"b", "1"});
    Panel->AddRow({"a", "2"});
    Panel->AddRow({"c", "0"});
    auto captions = [&] {
        std::string s;
        for (int i = 0; i < Panel->ListBox->Items()->Count(); ++i) s += Panel->ListBox->Items()->Item(i)->Caption();
        return s;
    };
    Panel->ColumnClick(Panel->ListBox, Panel->ListBox->Columns()->Items(1));
    EXPECT_EQ(captions(), "cba");
    Panel->ColumnClick(Panel->ListBox, Panel->ListBox->Columns()->Items(1));
    EXPECT_EQ(captions(), "abc");
    EXPECT_FALSE(Panel->SortAscending());
    Panel->ColumnClick(Panel->ListBox, Panel->ListBox->Columns()->Items(0));
    EXPECT_EQ(captions(), "abc");
    EXPECT_EQ(Panel->ColumnCaptions()->CommaText(), "Data1,Data2");
}

}  // namespace

namespace {

struct TEditChanges : TObject {
    int Count = 0;
    std::vector<TObject*> Opened;
    void Changed(TObject*) { ++Count; }
    void OpenWin(TObject*, TObject* target) { Opened.push_back(target); }
};

class TPanelForm : public TForm {
    PLAT_CLASS(TPanelForm)
    explicit TPanelForm(TComponent* owner) : TForm(owner, 0) {}
    std::vector<TObject*> Requests;
    void WMLookup(TMessage& m) { Requests.push_back(reinterpret_cast<TObject*>(m.LParam)); }
};

TEST_F(SelectPanelTest, MaskSwapKeepsTheBeginTextWithoutChangeEvents) {
    TEditChanges log;
    Panel->edBegin->OnChange = TNotifyEvent::Of<&TEditChanges::Changed>(&log);
    Panel->edBegin->SetText("12");
    log.Count = 0;
    Panel->SetEditMask("9999/99/99;1;_");
    EXPECT_EQ(log.Count, 0);
    EXPECT_EQ(Panel->BlankText(), "    /  /  ");  // the text an empty edit reads
    EXPECT_EQ(Panel->edFinal->EditMask(), "9999/99/99;1;_");
    EXPECT_NE(Panel->edBegin->Text(), Panel->BlankText());
    Panel->SetEditMask("");
    EXPECT_EQ(Panel->BlankText(), "");
}

TEST(SelectPanelLookup, ButtonsAskTheOwnerFormAndRaiseOpenWinClick) {
    auto* form = CreateObject<TPanelForm>(nullptr);
    auto* panel = CreateObject<TSelectPanel>(form);
    panel->SetParent(form);
    form->Show();
    TEditChanges log;
    panel->OnOpenWinClick = TOpenWinClickEvent::Of<&TEditChanges::OpenWin>(&log);
    panel->btnFinal->Click();
    panel->SetStyle(sp_Discrete);
    panel->btnList->Click();
    EXPECT_EQ(form->Requests, (std::vector<TObject*>{panel->edFinal, panel->ListBox}));
    EXPECT_EQ(log.Opened, form->Requests);
    EXPECT_TRUE(panel->ListBox->Focused());
    form->Free();
}

TEST_F(SelectPanelTest, HorizontalLayoutPlacesEditsAndButtons) {
    auto* r = Panel->pnlRange;
    EXPECT_EQ(r->Left(), 2);
    EXPECT_EQ(Panel->lblBegin->Left(), 2);
    EXPECT_EQ(Panel->edBegin->Left(), Panel->lblBegin->Left() + Panel->lblBegin->Width() + 1);
    EXPECT_EQ(Panel->edBegin->Top(), (r->Height() - Panel->edBegin->Height()) / 2);
    EXPECT_EQ(Panel->btnBegin->Left(), Panel->edBegin->Left() + Panel->edBegin->Width() + 2);
    EXPECT_EQ(Panel->lblFinal->Left(), Panel->btnBegin->Left() + Panel->btnBegin->Width() + 2);
    EXPECT_EQ(Panel->edFinal->Width(), Panel->edBegin->Width());
    EXPECT_EQ(Panel->btnFinal->Left(), Panel->edFinal->Left() + Panel->edFinal->Width() + 2);
    Panel->SetCanOpenWin(false);
    EXPECT_FALSE(Panel->btnBegin->Visible());
    EXPECT_EQ(Panel->lblFinal->Left(), Panel->edBegin->Left() + Panel->edBegin->Width() + 4);
}

}  // namespace

PLAT_REGISTER_CLASS(TPanelForm, TForm) { b.Message(WM_F2LOOKUP, &Self::WMLookup); }

namespace {

struct TStubborn : TObject {
    TWinControl* Keep = nullptr;
    void Exited(TObject*) { Keep->SetFocus(); }
};

TEST_F(SelectPanelTest, ListPressCountsOnlyWithTheFocus) {
    Panel->SetStyle(sp_Discrete);
    Panel->AddRow({"a"});
    TStubborn stubborn;
    stubborn.Keep = Other;
    Other->SetFocus();
    Other->OnExit = TNotifyEvent::Of<&TStubborn::Exited>(&stubborn);
    const TRect row = Panel->ListBox->ItemRect(Panel->ListBox->Items()->Item(0));
    ClickAt(Panel->ListBox, row.Left + 2, row.Top + 2);
    EXPECT_TRUE(Other->Focused());
    EXPECT_EQ(Panel->ListBox->Selected(), nullptr);
    Other->OnExit = {};
    ClickAt(Panel->ListBox, row.Left + 2, row.Top + 2);
    EXPECT_TRUE(Panel->ListBox->Focused());
    EXPECT_EQ(Panel->ListBox->Selected(), Panel->ListBox->Items()->Item(0));
}

TEST_F(SelectPanelTest, VerticalRangeSwapsSizeOutsideLoading) {
    Panel->SetOtherWidth(200);
    Panel->SetOtherHeight(105);
    Panel->SetUseVertical(true);
    EXPECT_EQ(Panel->Width(), 200);
    EXPECT_EQ(Panel->Height(), 105);
    EXPECT_EQ(Panel->edFinal->Left(), Panel->edBegin->Left());
    EXPECT_GT(Panel->edFinal->Top(), Panel->edBegin->Top());
    EXPECT_EQ(Panel->btnFinal->Left(), Panel->btnBegin->Left());
}

}  // namespace

namespace {

struct TMouseLog : TObject {
    std::vector<std::pair<TObject*, TPoint>> Downs;
    std::vector<TObject*> Clicks;
    void Down(TObject* s, TMouseButton, TShiftState, int x, int y) { Downs.push_back({s, {x, y}}); }
    void Clicked(TObject* s) { Clicks.push_back(s); }
};

TEST_F(SelectPanelTest, ChildMouseEventsReachThePanel) {
    TMouseLog log;
    Panel->OnMouseDown = TMouseEvent::Of<&TMouseLog::Down>(&log);
    Panel->OnClick = TNotifyEvent::Of<&TMouseLog::Clicked>(&log);
    ClickAt(Panel->edBegin, 3, 4);
    ClickAt(Panel->lblFinal, 1, 1);
    ASSERT_EQ(log.Downs.size(), 2u);
    EXPECT_EQ(log.Downs[0].first, Panel->edBegin);
    EXPECT_EQ(log.Downs[0].second.X, 3);
    EXPECT_EQ(log.Downs[1].first, Panel);
    // The label's point in the panel's client coordinates.
    TPoint expected = Panel->ScreenToClient(Panel->lblFinal->ClientToScreen({1, 1}));
    EXPECT_EQ(log.Downs[1].second.X, expected.X);
    EXPECT_EQ(log.Downs[1].second.Y, expected.Y);
    EXPECT_EQ(log.Clicks, (std::vector<TObject*>{Panel->edBegin, Panel}));
}

}  // namespace

#include "platform/forms/DfmReader.h"

namespace {

TEST(SelectPanelDescription, LoadingSetsStyleThenUserChoiceWithoutSwappingTheSize) {
    const char* text = R"(object frmPanelHost: TForm
  Left = 0
  Top = 0
  Width = 500
  Height = 300
  object sp03: TSelectPanel
    Left = 8
    Top = 8
    Width = 353
    Height = 64
    Caption = '选择部门编号'
    TabOrder = 0
    Style = sp_UserChoice
    UserChoice = False
    OtherWidth = 167
    OtherHeight = 102
    ValueType = vt_Date
    DateType = dt_YYYYMMDD
    CheckDuplicate = cd_CaseInsensitive
    ColumnCaptions.Strings = (
      '编号'
      '名称')
  end
end
)";
    TComponent* root = CreateFromDescription(text, "frmPanelHost", nullptr);
    auto* sp = dynamic_cast<TSelectPanel*>(root->FindComponent("sp03"));
    ASSERT_NE(sp, nullptr);
    EXPECT_EQ(sp->Width(), 353);
    EXPECT_EQ(sp->Height(), 64);
    EXPECT_EQ(sp->OtherWidth(), 167);
    EXPECT_EQ(sp->Style(), sp_UserChoice);
    EXPECT_FALSE(sp->IsRangeMode());
    EXPECT_EQ(sp->ValueType(), vt_Date);
    EXPECT_TRUE(sp->SortListBox());
    EXPECT_EQ(sp->Columns()->Count(), 2);
    EXPECT_EQ(sp->Caption(), "选择部门编号");
    static_cast<TForm*>(root)->Free();
}

}  // namespace
