// Data sets, data sources and the data-aware controls; a description with every control of the
// grids and data units.
#include <gtest/gtest.h>

#include "platform/forms/DfmReader.h"
#include "platform/forms/Dialogs.h"
#include "platform/forms/Forms.h"
#include "platform/forms/TypInfo.h"
#include "platform/headless/HeadlessWidgetSet.h"
#include "platform/widgets/AlignGrid.h"
#include "platform/widgets/DB.h"
#include "platform/widgets/DBCtrls.h"
#include "platform/widgets/wwDBComboBox.h"

using namespace plat;

namespace {

std::vector<Variant> Row(std::initializer_list<const char*> v) {
    std::vector<Variant> r;
    for (auto* s : v) r.emplace_back(std::string(s));
    return r;
}

// Condition schemes as the server's provider hands them over: names and text values.
class SchemeData : public ::testing::Test {
protected:
    void SetUp() override {
        ds = CreateObject<TDataSet>(nullptr);
        ds->SetName("ClientDataSet1");
        ds->IndexDefs()->Add("Index1", "NCONDITION;CREATOR;PROGRAMME");
        ds->LoadRecords({"NCONDITION", "CREATOR", "PROGRAMME", "CREATE_DATE"},
                        {Row({"month end", "u02", "XQTR37", "20260101"}), Row({"plan a", "u01", "XQTR37", "20260102"}),
                         Row({"month end", "u01", "XQTR37", "20260103"}), Row({"month end", "u01", "XQTR12", "20260104"})});
    }
    void TearDown() override { ds->Free(); }
    TDataSet* ds = nullptr;
};

TEST_F(SchemeData, FindKeyOnSeveralIndexFields) {
    ds->SetIndexName("Index1");
    struct Case {
        std::vector<Variant> key;
        bool found;
        const char* date;
    } cases[] = {
        {Row({"month end", "u01", "XQTR37"}), true, "20260103"},
        {Row({"month end", "u01", "XQTR12"}), true, "20260104"},
        {Row({"month end", "u02"}), true, "20260101"},  // leading fields only
        {Row({"month end"}), true, "20260104"},         // first in index order
        {Row({"plan a", "u02", "XQTR37"}), false, nullptr},
    };
    for (const auto& c : cases) {
        ds->First();
        int before = ds->RecNo();
        EXPECT_EQ(ds->FindKey(c.key), c.found);
        if (c.found) EXPECT_EQ(ds->FieldByName("CREATE_DATE")->AsString(), c.date);
        else EXPECT_EQ(ds->RecNo(), before);  // not found: the cursor stays
    }
    EXPECT_THROW(ds->FindKey(Row({"a", "b", "c", "d"})), EDatabaseError);
    ds->SetIndexName("");
    EXPECT_THROW(ds->FindKey(Row({"month end"})), EDatabaseError);
    EXPECT_THROW(ds->SetIndexName("Index9"), EDatabaseError);
}

TEST_F(SchemeData, PostingARenamedKeyKeepsTheCursorOnTheRecord) {
    ds->SetIndexName("Index1");
    ASSERT_TRUE(ds->FindKey(Row({"plan a", "u01", "XQTR37"})));
    ds->Edit();
    ds->FieldByName("NCONDITION")->SetAsString("a first");
    EXPECT_EQ(ds->State(), dsEdit);
    ds->Post();
    EXPECT_EQ(ds->State(), dsBrowse);
    EXPECT_EQ(ds->RecNo(), 1);
    EXPECT_EQ(ds->FieldByName("CREATE_DATE")->AsString(), "20260102");
    EXPECT_TRUE(ds->FindKey(Row({"a first", "u01", "XQTR37"})));
    EXPECT_FALSE(ds->FindKey(Row({"plan a"})));
}

TEST_F(SchemeData, NavigationAndEditingRules) {
    EXPECT_EQ(ds->RecordCount(), 4);
    EXPECT_TRUE(ds->Bof());
    int n = 0;
    for (ds->First(); !ds->Eof(); ds->Next()) ++n;
    EXPECT_EQ(n, 4);
    ds->Last();
    ds->Edit();
    ds->FieldByName("CREATOR")->SetAsString("zz");
    ds->Cancel();
    EXPECT_EQ(ds->FieldByName("CREATOR")->AsString(), "u01");
    EXPECT_THROW(ds->FieldByName("CREATOR")->SetAsString("x"), EDatabaseError);  // not editing
    EXPECT_THROW(ds->FieldByName("NOPE"), EDatabaseError);
    EXPECT_EQ(ds->FindField("nCondition"), ds->Fields()->Fields(0));
    ds->Delete();
    EXPECT_EQ(ds->RecordCount(), 3);
    ds->Close();
    EXPECT_THROW(ds->First(), EDatabaseError);
    EXPECT_EQ(ds->FieldCount(), 0);  // fields made from definitions go with the close
}

TEST(DataSet, StringAndMemoFieldsTextEventsAndKinds) {
    TDataSet* ds = CreateObject<TDataSet>(nullptr);
    ds->FieldDefs()->Add("NAME", ftString, 20);
    ds->FieldDefs()->Add("NOTE", ftMemo);
    ds->FieldDefs()->Add("QTY", ftInteger);
    ds->Open();
    TField* name = ds->FieldByName("NAME");
    TField* note = ds->FieldByName("NOTE");
    TField* qty = ds->FieldByName("QTY");
    EXPECT_EQ(name->DataType(), ftString);
    EXPECT_FALSE(name->IsBlob());
    EXPECT_EQ(note->DataType(), ftMemo);
    EXPECT_TRUE(note->IsBlob());
    EXPECT_STREQ(note->ClassName().c_str(), "TMemoField");
    EXPECT_EQ(name->DisplayLabel(), "NAME");
    name->SetDisplayLabel("Name of scheme");
    EXPECT_EQ(name->DisplayLabel(), "Name of scheme");

    struct Texts : TObject {
        void Get(TField* f, std::string& text, bool display) { text = (display ? "<" : "") + f->AsString() + (display ? ">" : ""); }
        void Set(TField* f, const std::string& text) { f->SetAsString("[" + text + "]"); }
    } t;
    name->OnGetText = TFieldGetTextEvent::Of<&Texts::Get>(&t);
    name->OnSetText = TFieldSetTextEvent::Of<&Texts::Set>(&t);
    ds->Append();
    name->SetText("abc");
    note->SetAsString("line 1\r\nline 2");
    qty->SetAsString("42");
    EXPECT_THROW(qty->SetAsString("4x"), EConvertError);
    ds->Post();
    EXPECT_EQ(name->AsString(), "[abc]");
    EXPECT_EQ(name->Text(), "[abc]");
    EXPECT_EQ(name->DisplayText(), "<[abc]>");
    EXPECT_EQ(qty->AsInteger(), 42);
    EXPECT_EQ(note->AsString(), "line 1\r\nline 2");
    ds->Free();
}

// ---- Data-aware controls on a form ----

class BoundForm : public ::testing::Test {
protected:
    void SetUp() override {
        form = CreateObject<TForm>(nullptr, 0);
        ds = CreateObject<TDataSet>(form);
        ds->FieldDefs()->Add("CODE", ftString, 4);
        ds->FieldDefs()->Add("KIND", ftString, 1);
        ds->Open();
        for (auto [c, k] : {std::pair{"A01", "Y"}, std::pair{"B02", "N"}}) {
            ds->Append();
            ds->FieldByName("CODE")->SetAsString(c);
            ds->FieldByName("KIND")->SetAsString(k);
            ds->Post();
        }
        ds->First();
        ds->FieldByName("CODE")->SetDisplayLabel("Code");
        src = CreateObject<TwwDataSource>(form);
        src->SetDataSet(ds);
        edit = CreateObject<TDBEdit>(form);
        edit->SetParent(form);
        edit->SetDataSource(src);
        edit->SetDataField("CODE");
        other = CreateObject<TEdit>(form);
        other->SetParent(form);
        other->SetTop(40);
        form->Show();
    }
    void TearDown() override { form->Free(); }
    TForm* form = nullptr;
    TDataSet* ds = nullptr;
    TwwDataSource* src = nullptr;
    TDBEdit* edit = nullptr;
    TEdit* other = nullptr;
};

TEST_F(BoundForm, EditShowsTypesIntoAndPostsTheField) {
    EXPECT_EQ(edit->Text(), "A01");
    EXPECT_EQ(edit->MaxLength(), 4);
    edit->SetFocus();
    PressKey(VK_END);
    TypeText("9");
    EXPECT_EQ(ds->State(), dsEdit);  // typing started editing
    EXPECT_EQ(ds->FieldByName("CODE")->AsString(), "A01");  // not written before leaving
    other->SetFocus();
    EXPECT_EQ(ds->FieldByName("CODE")->AsString(), "A019");
    ds->Post();
    ds->Next();
    EXPECT_EQ(edit->Text(), "B02");  // the edit follows the cursor

    edit->SetFocus();
    TypeText("X");
    PressKey(VK_ESCAPE);  // restores the field's text
    EXPECT_EQ(edit->Text(), "B02");
    src->SetAutoEdit(false);
    ds->Cancel();
    TypeText("Q");
    EXPECT_EQ(edit->Text(), "B02");  // no automatic edit: the key is dropped
}

TEST_F(BoundForm, DisabledControlsCatchUpWhenEnabled) {
    ds->DisableControls();
    ds->Next();
    EXPECT_EQ(edit->Text(), "A01");
    ds->EnableControls();
    EXPECT_EQ(edit->Text(), "B02");
}

TEST_F(BoundForm, AttachedLabelFindsTheDisplayLabelThroughPublishedProperties) {
    // What a label bound to the edit does: DataSource -> DataSet -> field named by DataField.
    TObject* source = GetObjectProp(edit, "DataSource");
    ASSERT_NE(source, nullptr);
    auto* set = dynamic_cast<TDataSet*>(GetObjectProp(source, "DataSet"));
    ASSERT_NE(set, nullptr);
    EXPECT_EQ(set->FieldByName(GetStrProp(edit, "DataField"))->DisplayLabel(), "Code");
    EXPECT_EQ(GetPropInfo(edit, "DataSource")->PropType->Name, "TDataSource");
    EXPECT_FALSE(IsPublishedProp(other, "DataSource"));
}

TEST_F(BoundForm, ComboBoxShowsTheTextBeforeTheTabAndStoresTheValue) {
    auto* cbo = CreateObject<TwwDBComboBox>(form);
    cbo->SetParent(form);
    cbo->SetStyle(csDropDownList);
    cbo->Items()->SetText("Yes\tY\nNo\tN\n");
    cbo->SetDataSource(src);
    cbo->SetDataField("KIND");
    EXPECT_TRUE(cbo->InheritsFrom("TCustomComboBox"));
    EXPECT_EQ(cbo->ItemIndex(), 0);
    EXPECT_EQ(cbo->Text(), "Yes");
    ds->Next();
    EXPECT_EQ(cbo->Text(), "No");
    cbo->SelectFromList(0);
    EXPECT_EQ(ds->State(), dsEdit);
    EXPECT_EQ(ds->FieldByName("KIND")->AsString(), "Y");
    EXPECT_EQ(cbo->Text(), "Yes");
    cbo->SetMapList(false);
    cbo->SelectFromList(1);
    EXPECT_EQ(ds->FieldByName("KIND")->AsString(), "No");
}

TEST_F(BoundForm, NavigatorMovesAndCarriesButtonHints) {
    auto* nav = CreateObject<TDBNavigator>(form);
    nav->SetParent(form);
    nav->SetDataSource(src);
    EXPECT_EQ(nav->Buttons(nbNext)->Hint(), "Next record");
    nav->Hints()->SetText("First\nPrior\n\nLast\n");
    EXPECT_EQ(nav->Buttons(nbFirst)->Hint(), "First");
    EXPECT_EQ(nav->Buttons(nbNext)->Hint(), "Next record");  // empty line: default stays
    EXPECT_FALSE(nav->Buttons(nbPrior)->Enabled());
    ClickAt(nav->Buttons(nbNext));
    EXPECT_EQ(edit->Text(), "B02");
    EXPECT_TRUE(nav->Buttons(nbPrior)->Enabled());
    THeadlessWidgetSet* ws = HeadlessWidgetSet();
    ASSERT_NE(ws, nullptr);
    ws->SetModalDriver([](TCustomForm& f) { f.SetModalResult(mrOk); });
    nav->BtnClick(nbDelete);  // confirmed
    ws->SetModalDriver(nullptr);
    EXPECT_EQ(ds->RecordCount(), 1);
}

// ---- A description with every control ----

const char kForm[] = R"(object frmAll: TfrmAllControls
  Width = 600
  Height = 400
  object ClientDataSet1: TDataSet
    FieldDefs = <
      item
        Name = 'NCONDITION'
        DataType = ftString
        Size = 20
      end
      item
        Name = 'KIND'
        DataType = ftString
        Size = 1
      end>
    IndexDefs = <
      item
        Name = 'Index1'
        Fields = 'NCONDITION;KIND'
        Options = [ixCaseInsensitive]
      end>
    IndexName = 'Index1'
    Active = True
  end
  object DataSource1: TDataSource
    DataSet = ClientDataSet1
  end
  object wwDataSource1: TwwDataSource
    DataSet = ClientDataSet1
    AutoEdit = False
  end
  object edName: TDBEdit
    Left = 8
    Top = 8
    DataSource = DataSource1
    DataField = 'NCONDITION'
  end
  object cboKind: TwwDBComboBox
    Left = 8
    Top = 40
    DataSource = wwDataSource1
    DataField = 'KIND'
    Items.Strings = (
      'Yes'#9'Y'
      'No'#9'N')
    Style = csDropDownList
  end
  object DBNavigator1: TDBNavigator
    Top = 70
    DataSource = DataSource1
    VisibleButtons = [nbFirst, nbPrior, nbNext, nbLast]
    Hints.Strings = (
      'To the first')
  end
  object grUser: TStringGrid
    Top = 100
    ColCount = 2
    RowCount = 3
    Options = [goFixedVertLine, goFixedHorzLine, goVertLine, goHorzLine, goRowSelect]
    ColWidths = (
      154
      143)
  end
  object grReceive: TStringAlignGrid
    Top = 200
    ColCount = 8
    FixedCols = 0
    RowCount = 2
    DefaultRowHeight = 18
    Options = [goFixedVertLine, goFixedHorzLine, goVertLine, goHorzLine, goRangeSelect, goColSizing, goEditing, goAlwaysShowEditor]
    ScrollBars = ssVertical
    Alignment = taCenter
    ShowHint = True
    ColWidths = (
      47
      50
      80)
    Cells = (
      0 0 'Recipient'
      1 0 'Name')
    CellHints = (
      0 1 '[F2] lookup')
    OnShowHintCell = grReceiveShowHintCell
    OnEditButtonClick = grReceiveEditButtonClick
  end
  object DrawGrid1: TDrawGrid
    Top = 300
    FixedColor = clBtnFace
  end
end
)";

class TfrmAllControls : public TForm {
    PLAT_CLASS(TfrmAllControls)
    using TForm::TForm;
    TStringAlignGrid* grReceive = nullptr;
    TwwDBComboBox* cboKind = nullptr;
    int Clicks = 0;
    void grReceiveShowHintCell(TObject*, int, int, std::string& hint, bool&) { hint = "handled " + hint; }
    void grReceiveEditButtonClick(TObject*) { ++Clicks; }
};
PLAT_REGISTER_CLASS(TfrmAllControls, TForm) {
    PLAT_FIELD(grReceive);
    PLAT_FIELD(cboKind);
    PLAT_METHOD(grReceiveShowHintCell);
    PLAT_METHOD(grReceiveEditButtonClick);
}

TEST(Descriptions, EveryGridAndDataControlLoads) {
    auto* form = CreateObject<TfrmAllControls>(nullptr, 0);
    ReadDescriptionInto(form, kForm, "all controls");
    auto* ds = dynamic_cast<TDataSet*>(form->FindComponent("ClientDataSet1"));
    ASSERT_NE(ds, nullptr);
    EXPECT_TRUE(ds->Active());
    EXPECT_EQ(ds->IndexFieldCount(), 2);
    auto* ed = dynamic_cast<TDBEdit*>(form->FindComponent("edName"));
    ASSERT_NE(ed, nullptr);
    EXPECT_EQ(ed->Field(), ds->FieldByName("NCONDITION"));
    ASSERT_NE(form->cboKind, nullptr);
    EXPECT_EQ(form->cboKind->Items()->Count(), 2);
    EXPECT_EQ(form->cboKind->DataField(), "KIND");
    auto* nav = dynamic_cast<TDBNavigator*>(form->FindComponent("DBNavigator1"));
    ASSERT_NE(nav, nullptr);
    EXPECT_EQ(nav->Buttons(nbFirst)->Hint(), "To the first");
    EXPECT_FALSE(nav->Buttons(nbInsert)->Visible());
    auto* users = dynamic_cast<TStringGrid*>(form->FindComponent("grUser"));
    ASSERT_NE(users, nullptr);
    EXPECT_EQ(users->ColWidths(1), 143);
    TStringAlignGrid* g = form->grReceive;
    ASSERT_NE(g, nullptr);
    EXPECT_EQ(g->ColCount(), 8);
    EXPECT_EQ(g->FixedCols(), 0);
    EXPECT_EQ(g->RowHeights(1), 18);
    EXPECT_EQ(g->ColWidths(2), 80);
    EXPECT_EQ(g->Cells(1, 0), "Name");
    EXPECT_EQ(g->ScrollBars(), ssVertical);
    EXPECT_EQ(g->CellAlignment(3, 1), taCenter);
    std::string hint;
    EXPECT_TRUE(g->HintForCell(0, 1, hint));
    EXPECT_EQ(hint, "handled [F2] lookup");
    g->OnEditButtonClick(g);
    EXPECT_EQ(form->Clicks, 1);
    EXPECT_NE(form->FindComponent("DrawGrid1"), nullptr);
    EXPECT_NE(dynamic_cast<TwwDataSource*>(form->FindComponent("wwDataSource1")), nullptr);
    form->Free();
}

}  // namespace
