// List view, page control, tool bar, menus, image list, tree view, tab set and status bar.
#include <gtest/gtest.h>

#include <sstream>

#include "platform/forms/DfmReader.h"
#include "platform/forms/Forms.h"
#include "platform/forms/TypInfo.h"
#include "platform/widgets/ComCtrls.h"
#include "platform/widgets/Tabs.h"

using namespace plat;

namespace {

std::string Caps(TCustomListView* lv) {
    std::string s;
    for (int i = 0; i < lv->Items()->Count(); ++i) s += (i ? "," : "") + lv->Items()->Item(i)->Caption();
    return s;
}

std::string Hex(const std::vector<uint8_t>& b) {
    static const char* d = "0123456789ABCDEF";
    std::string s;
    for (uint8_t x : b) {
        s += d[x >> 4];
        s += d[x & 15];
    }
    return s;
}

class THost : public TForm {
    PLAT_CLASS(THost)
    explicit THost(TComponent* owner) : TForm(owner, 0) {}
    TListView* lstCondition = nullptr;
    TPageControl* pgOption = nullptr;
    TTabSheet* tsOption1 = nullptr;
    TTabSheet* tsOption2 = nullptr;
    TToolButton* ToolButton1 = nullptr;
    TPopupMenu* mnList = nullptr;
    TMenuItem* N7 = nullptr;
    TMenuItem* N8 = nullptr;
    TTreeView* tvCode = nullptr;
    TTabSet* tsBottom = nullptr;
    TStatusBar* sbMain = nullptr;
    TImageList* ImageList1 = nullptr;
    std::vector<std::string> Log;
    bool AllowPageChange = true;

    void lstConditionCompare(TObject*, TListItem* a, TListItem* b, int, int& cmp) {
        // Descending by the first sub-item, as numbers.
        cmp = std::stoi(b->SubItems()->Get(0)) - std::stoi(a->SubItems()->Get(0));
    }
    void lstConditionEdited(TObject*, TListItem* item, std::string& s) {
        Log.push_back("edited " + item->Caption() + "->" + s);
        if (s.empty()) s = item->Caption();  // refused: the caption stays
    }
    void lstConditionSelectItem(TObject*, TListItem* item, bool selected) {
        Log.push_back(std::string(selected ? "select " : "unselect ") + item->Caption());
    }
    void pgOptionChanging(TObject*, bool& allow) {
        Log.push_back("changing");
        allow = AllowPageChange;
    }
    void pgOptionChange(TObject*) { Log.push_back("change " + pgOption->ActivePage()->Name()); }
    void tsOption2Show(TObject*) { Log.push_back("show tsOption2"); }
    void ViewClick(TObject* sender) { Log.push_back("menu " + static_cast<TComponent*>(sender)->Name()); }
    void ToolButton1Click(TObject*) { Log.push_back("tool click"); }
};
PLAT_REGISTER_CLASS(THost, TForm) {
    PLAT_FIELD(lstCondition);
    PLAT_FIELD(pgOption);
    PLAT_FIELD(tsOption1);
    PLAT_FIELD(tsOption2);
    PLAT_FIELD(ToolButton1);
    PLAT_FIELD(mnList);
    PLAT_FIELD(N7);
    PLAT_FIELD(N8);
    PLAT_FIELD(tvCode);
    PLAT_FIELD(tsBottom);
    PLAT_FIELD(sbMain);
    PLAT_FIELD(ImageList1);
    PLAT_METHOD(lstConditionCompare);
    PLAT_METHOD(lstConditionEdited);
    PLAT_METHOD(lstConditionSelectItem);
    PLAT_METHOD(pgOptionChanging);
    PLAT_METHOD(pgOptionChange);
    PLAT_METHOD(tsOption2Show);
    PLAT_METHOD(ViewClick);
    PLAT_METHOD(ToolButton1Click);
}

// Items.Data for two items: "b" [image 0, sub-item "2"], "a" [image 1, sub-item "10"].
std::string ItemsData() {
    TListView lv(nullptr);
    TListItem* a = lv.Items()->Add();
    a->SetCaption("b");
    a->SetImageIndex(0);
    a->SubItems()->Add("2");
    TListItem* b = lv.Items()->Add();
    b->SetCaption("a");
    b->SetImageIndex(1);
    b->SubItems()->Add("10");
    return Hex(lv.Items()->WriteData());
}

std::string TreeData() {
    TTreeView tv(nullptr);
    TTreeNode* r1 = tv.Items()->Add(nullptr, "root1");
    TTreeNode* c = tv.Items()->AddChild(r1, "child1");
    tv.Items()->AddChild(c, "grandchild");
    tv.Items()->AddChild(r1, "child2");
    tv.Items()->Add(nullptr, "root2");
    return Hex(tv.Items()->WriteData());
}

// A 32 x 16 strip: two 16 x 16 images.
std::string StripData() {
    TBitmap b(32, 16);
    b.Fill(clRed);
    std::string bytes = b.SaveToMemory(TImageFormat::Bmp);
    return Hex(std::vector<uint8_t>(bytes.begin(), bytes.end()));
}

std::string Description() {
    return R"(object Host: THost
  Width = 500
  Height = 400
  object ImageList1: TImageList
    Height = 16
    Width = 16
    Bitmap = {)" + StripData() + R"(}
  end
  object ToolBar1: TToolBar
    Flat = True
    ButtonHeight = 24
    ButtonWidth = 25
    Images = ImageList1
    object btnInsert: TToolButton
      Caption = '保存(&S)'
      Hint = '保存'
      ImageIndex = 1
    end
    object ToolButton1: TToolButton
      Caption = 'ViewIcon'
      ImageIndex = 4
      Style = tbsDropDown
      DropdownMenu = mnList
      Tag = 2
      OnClick = ToolButton1Click
    end
  end
  object lstCondition: TListView
    Left = 0
    Top = 40
    Width = 200
    Height = 200
    Columns = <
      item
        Caption = '方案名称'
        Width = 100
      end
      item
        Alignment = taRightJustify
        Caption = '创建时间'
        Width = 80
      end>
    IconOptions.AutoArrange = True
    Items.Data = {)" + ItemsData() + R"(}
    LargeImages = ImageList1
    SmallImages = ImageList1
    PopupMenu = mnList
    SortType = stText
    ViewStyle = vsReport
    OnEdited = lstConditionEdited
    OnSelectItem = lstConditionSelectItem
  end
  object pgOption: TPageControl
    Left = 210
    Top = 40
    Width = 280
    Height = 200
    ActivePage = tsOption1
    OnChange = pgOptionChange
    OnChanging = pgOptionChanging
    object tsOption1: TTabSheet
      Caption = '基本选项'
    end
    object tsOption2: TTabSheet
      Caption = '系统选项'
      OnShow = tsOption2Show
    end
  end
  object tvCode: TTreeView
    Left = 0
    Top = 250
    Items.Data = {)" + TreeData() + R"(}
  end
  object tsBottom: TTabSet
    Top = 360
    Tabs.Strings = (
      'One'
      'Two')
    TabIndex = 1
  end
  object sbMain: TStatusBar
    Panels = <
      item
        Text = 'ready'
        Width = 80
      end
      item
        Text = 'user'
        Width = 50
      end>
  end
  object mnList: TPopupMenu
    Images = ImageList1
    object N7: TMenuItem
      Caption = '大型图标(&G)'
      Checked = True
      RadioItem = True
      OnClick = ViewClick
    end
    object N8: TMenuItem
      Caption = '小型图标(&M)'
      RadioItem = True
      ImageIndex = 1
      Hint = 'small'
      OnClick = ViewClick
    end
  end
  object MainMenu1: TMainMenu
    OwnerDraw = True
    object File1: TMenuItem
      Caption = '&File'
      object Exit1: TMenuItem
        Caption = 'E&xit'
        ShortCut = 16465
      end
    end
  end
end
)";
}

struct Fixture : ::testing::Test {
    THost* host = nullptr;
    void SetUp() override {
        host = CreateObject<THost>(nullptr);
        ReadDescriptionInto(host, Description(), "Host.dfm");
    }
    void TearDown() override {
        SetPopupPresenter(nullptr);
        host->Free();
    }
};

}  // namespace

TEST_F(Fixture, DescriptionWithEveryControlLoads) {
    ASSERT_NE(host->lstCondition, nullptr);
    EXPECT_EQ(host->ImageList1->Count(), 2);
    // Items from the binary form, sorted by caption after loading.
    EXPECT_EQ(Caps(host->lstCondition), "a,b");
    EXPECT_EQ(host->lstCondition->Items()->Item(0)->SubItems()->Get(0), "10");
    EXPECT_EQ(host->lstCondition->Items()->Item(1)->ImageIndex(), 0);
    EXPECT_EQ(host->lstCondition->Columns()->Count(), 2);
    EXPECT_EQ(host->lstCondition->Column(1)->Alignment(), taRightJustify);
    EXPECT_TRUE(host->lstCondition->IconOptions()->AutoArrange());
    EXPECT_EQ(host->lstCondition->LargeImages(), host->ImageList1);
    EXPECT_EQ(GetEnumProp(host->lstCondition, "ViewStyle"), "vsReport");
    EXPECT_EQ(GetPropInfo(host->lstCondition, "ViewStyle")->PropType->EnumNames,
              (std::vector<std::string>{"vsIcon", "vsSmallIcon", "vsList", "vsReport"}));
    EXPECT_EQ(GetPropInfo(host->lstCondition, "OnSelectItem")->PropType->Name, "TLVSelectItemEvent");
    // Pages: the stored active page; hidden sheets.
    EXPECT_EQ(host->pgOption->PageCount(), 2);
    EXPECT_EQ(host->pgOption->ActivePage(), host->tsOption1);
    EXPECT_TRUE(host->tsOption1->Visible());
    EXPECT_FALSE(host->tsOption2->Visible());
    EXPECT_EQ(host->pgOption->Tabs()->Text(), "基本选项\r\n系统选项\r\n");
    // Tool bar: buttons placed left to right, the drop-down one wider.
    auto* bar = static_cast<TToolBar*>(host->FindComponent("ToolBar1"));
    ASSERT_EQ(bar->ButtonCount(), 2);
    EXPECT_EQ(bar->Buttons(1), host->ToolButton1);
    EXPECT_EQ(host->ToolButton1->Left(), 25);
    EXPECT_EQ(host->ToolButton1->Width(), 25 + 14);
    EXPECT_EQ(host->ToolButton1->DropdownMenu(), host->mnList);
    EXPECT_EQ(host->ToolButton1->Tag(), 2);
    // Tree, tab set, status bar, menus.
    EXPECT_EQ(host->tvCode->Items()->Count(), 5);
    EXPECT_EQ(host->tsBottom->TabIndex(), 1);
    EXPECT_EQ(host->sbMain->Panels()->Items(1)->Text(), "user");
    EXPECT_EQ(GetPropInfo(host->sbMain, "Panels")->PropType->Name, "TStatusPanels");
    EXPECT_EQ(host->mnList->Items()->Count(), 2);
    EXPECT_TRUE(host->N7->Checked());
    EXPECT_EQ(host->N8->Images(), host->ImageList1);
    auto* menu = static_cast<TMainMenu*>(host->FindComponent("MainMenu1"));
    EXPECT_TRUE(menu->OwnerDraw());
    EXPECT_EQ(ShortCutToText(menu->Items()->Items(0)->Items(0)->ShortCut()), "Ctrl+Q");
}

TEST_F(Fixture, PropertyPathsOfTheLanguageReaders) {
    TListView* lv = host->lstCondition;
    EXPECT_EQ(GetPropTextByPath(lv, "Columns[1].Caption"), "创建时间");
    SetPropTextByPath(lv, "Columns[1].Caption", "Created");
    EXPECT_EQ(lv->Column(1)->Caption(), "Created");
    SetPropTextByPath(lv, "Items[1].Caption", "zz");
    EXPECT_EQ(Caps(lv), "a,zz");
    EXPECT_EQ(GetPropTextByPath(host->sbMain, "Panels[0].Text"), "ready");
    SetPropTextByPath(host->sbMain, "Panels[1].Text", "admin");
    EXPECT_EQ(host->sbMain->Panels()->Items(1)->Text(), "admin");
    EXPECT_EQ(GetPropTextByPath(host->tvCode, "Items[2].Text"), "grandchild");
    EXPECT_FALSE(HasPropertyPath(lv, "Columns[9].Caption"));
}

TEST(ListView, SortWithCustomCompareAndByCaption) {
    TListView lv(nullptr);
    for (auto [cap, n] : {std::pair<const char*, const char*>{"b", "5"}, {"C", "20"}, {"a", "7"}}) {
        TListItem* it = lv.Items()->Add();
        it->SetCaption(cap);
        it->SubItems()->Add(n);
    }
    lv.CustomSort([](TListItem* x, TListItem* y, intptr_t data) {
        return static_cast<int>(data) * (std::stoi(x->SubItems()->Get(0)) - std::stoi(y->SubItems()->Get(0)));
    }, -1);
    EXPECT_EQ(Caps(&lv), "C,a,b");
    // Caption order, case-insensitive; kept when captions change.
    lv.SetSortType(stText);
    EXPECT_EQ(Caps(&lv), "a,b,C");
    lv.Items()->Item(0)->SetCaption("d");
    EXPECT_EQ(Caps(&lv), "b,C,d");
    // OnCompare takes over AlphaSort.
    THost* h = CreateObject<THost>(nullptr);
    lv.OnCompare = TLVCompareEvent::Of<&THost::lstConditionCompare>(h);
    lv.AlphaSort();
    EXPECT_EQ(Caps(&lv), "C,d,b");
    // Within BeginUpdate the sort waits for EndUpdate.
    lv.OnCompare.Clear();
    lv.BeginUpdate();
    lv.Items()->Add()->SetCaption("A");
    EXPECT_EQ(lv.Items()->Item(3)->Caption(), "A");
    lv.EndUpdate();
    EXPECT_EQ(Caps(&lv), "A,b,C,d");
    h->Free();
}

TEST(ListView, MultiSelectDeleteAndSelectionEvents) {
    THost* h = CreateObject<THost>(nullptr);
    TListView* lv = CreateObject<TListView>(h);
    lv->SetParent(h);
    lv->SetViewStyle(vsReport);
    lv->SetMultiSelect(true);
    lv->SetRowSelect(true);
    lv->Columns()->Add()->SetWidth(150);
    for (const char* c : {"a", "b", "c", "d", "e"}) lv->Items()->Add()->SetCaption(c);
    lv->OnSelectItem = TLVSelectItemEvent::Of<&THost::lstConditionSelectItem>(h);
    std::vector<std::string> deleted;
    int rowH = lv->RowHeight(), head = lv->HeaderHeight();
    auto rowY = [&](int i) { return head + i * rowH + 2; };
    // Click b, ctrl-click d, shift-click from d to e.
    lv->Perform(WM_LBUTTONDOWN, 0, MakeLParam(5, rowY(1)));
    lv->Perform(WM_LBUTTONUP, 0, MakeLParam(5, rowY(1)));
    SetKeyboardShiftState({ssCtrl});
    lv->Perform(WM_LBUTTONDOWN, MK_CONTROL, MakeLParam(5, rowY(3)));
    SetKeyboardShiftState({});
    EXPECT_EQ(lv->SelCount(), 2);
    EXPECT_EQ(h->Log, (std::vector<std::string>{"select b", "select d"}));
    SetKeyboardShiftState({ssShift});
    lv->Perform(WM_LBUTTONDOWN, MK_SHIFT, MakeLParam(5, rowY(4)));
    SetKeyboardShiftState({});
    EXPECT_EQ(lv->SelCount(), 2);  // d and e: the range from the last anchor
    EXPECT_TRUE(lv->Items()->Item(4)->Selected());
    lv->Items()->Item(0)->SetSelected(true);
    lv->DeleteSelected();
    EXPECT_EQ(Caps(lv), "b,c");
    EXPECT_EQ(lv->SelCount(), 0);
    EXPECT_EQ(lv->ItemFocused(), nullptr);  // the focused item went
    // A refused change keeps the selection.
    struct TRefuser : TObject {
        void Changing(TObject*, TListItem*, TItemChange c, bool& allow) { allow = c != ctState; }
    };
    TRefuser refuser;
    lv->OnChanging.Code = detail::MethodInfoFor<&TRefuser::Changing>();
    lv->OnChanging.Data = &refuser;
    lv->Items()->Item(1)->SetSelected(true);
    EXPECT_FALSE(lv->Items()->Item(1)->Selected());
    lv->Items()->Item(1)->SetCaption("b2");  // text changes are allowed
    EXPECT_EQ(lv->Items()->Item(1)->Caption(), "b2");
    lv->OnChanging.Clear();
    // Single selection: selecting one unselects the other.
    lv->SetMultiSelect(false);
    lv->Items()->Item(0)->SetSelected(true);
    lv->Items()->Item(1)->SetSelected(true);
    EXPECT_EQ(lv->SelCount(), 1);
    EXPECT_EQ(lv->Selected(), lv->Items()->Item(1));
    h->Free();
}

TEST(ListView, InPlaceEditCommitsThroughOnEditedAndEscCancels) {
    THost* h = CreateObject<THost>(nullptr);
    h->SetBounds(0, 0, 300, 300);
    TListView* lv = CreateObject<TListView>(h);
    lv->SetParent(h);
    lv->SetViewStyle(vsList);
    lv->OnEdited = TLVEditedEvent::Of<&THost::lstConditionEdited>(h);
    TListItem* it = lv->Items()->Add();
    it->SetCaption("old");
    h->Show();
    lv->SetFocus();
    ASSERT_TRUE(it->EditCaption());
    ASSERT_TRUE(lv->IsEditing());
    ASSERT_NE(lv->EditControl(), nullptr);
    EXPECT_EQ(lv->EditControl()->Text(), "old");
    TypeText("new");  // replaces the selected text
    PressKey(VK_RETURN);
    EXPECT_FALSE(lv->IsEditing());
    EXPECT_EQ(it->Caption(), "new");
    EXPECT_EQ(h->Log.back(), "edited old->new");
    EXPECT_TRUE(lv->Focused());
    // The handler puts the old caption back for an empty name.
    it->EditCaption();
    lv->EditControl()->SetText("");
    PressKey(VK_RETURN);
    EXPECT_EQ(it->Caption(), "new");
    // Esc cancels without OnEdited; F2 starts editing the focused item.
    size_t logged = h->Log.size();
    lv->SetItemFocused(it);
    PressKey(VK_F2);
    ASSERT_TRUE(lv->IsEditing());
    TypeText("zzz");
    PressKey(VK_ESCAPE);
    EXPECT_EQ(it->Caption(), "new");
    EXPECT_EQ(h->Log.size(), logged);
    // Read-only lists do not edit.
    lv->SetReadOnly(true);
    EXPECT_FALSE(it->EditCaption());
    h->Free();
}

TEST(ListView, ViewStyleSwitchingKeepsItemsAndLaysOutByStyle) {
    TListView lv(nullptr);
    lv.SetBounds(0, 0, 200, 100);
    lv.Columns()->Add()->SetCaption("Name");
    for (const char* c : {"one", "two", "three"}) lv.Items()->Add()->SetCaption(c);
    lv.Items()->Item(1)->SetSelected(true);
    int h = WidgetSet().TextHeight(*lv.Font(), "Wg");
    struct Case {
        TViewStyle style;
        TPoint second;  // top-left of item 1
    };
    TTextSize icon{32 + 43, 32 + 2 * h + 10};
    int small = 16 + lv.StringWidth("three") + 12;
    for (const Case& c : {Case{vsReport, {0, h + 8 + (h + 4)}}, Case{vsList, {0, h + 4}}, Case{vsSmallIcon, {small, 0}},
                          Case{vsIcon, {icon.cx, 0}}}) {
        lv.SetViewStyle(c.style);
        TRect r = lv.ItemRect(lv.Items()->Item(1));
        EXPECT_EQ(TPoint({r.Left, r.Top}), c.second) << GetEnumName(TTypeInfoOf<TViewStyle>::Get(), c.style);
        EXPECT_EQ(lv.GetItemAt(r.Left + 1, r.Top + 1), lv.Items()->Item(1));
        EXPECT_TRUE(lv.Items()->Item(1)->Selected());
        EXPECT_EQ(lv.Items()->Count(), 3);
    }
    // Icons keep a position they were given until arranged (not auto-arranged here).
    lv.Items()->Item(0)->SetPosition({150, 60});
    EXPECT_EQ(lv.Items()->Item(0)->Position(), TPoint({150, 60}));
    lv.Arrange(arDefault);
    EXPECT_EQ(lv.Items()->Item(0)->Position(), TPoint({0, 0}));
    // Column widths that fit.
    lv.Column(0)->SetWidth(ColumnHeaderWidth);
    EXPECT_EQ(lv.Column(0)->Width(), std::max(lv.StringWidth("Name"), lv.StringWidth("three")) + 12);
}

TEST(ListView, ColumnClickAndDataRoundTrip) {
    TListView lv(nullptr);
    lv.SetViewStyle(vsReport);
    lv.Columns()->Add()->SetWidth(60);
    lv.Columns()->Add()->SetWidth(60);
    struct TSink : TObject {
        TListColumn* Clicked = nullptr;
        void Click(TObject*, TListColumn* c) { Clicked = c; }
    };
    TSink sink;
    lv.OnColumnClick.Code = detail::MethodInfoFor<&TSink::Click>();
    lv.OnColumnClick.Data = &sink;
    lv.Perform(WM_LBUTTONDOWN, 0, MakeLParam(70, 2));
    EXPECT_EQ(sink.Clicked, lv.Column(1));
    sink.Clicked = nullptr;
    lv.SetColumnClick(false);
    lv.Perform(WM_LBUTTONDOWN, 0, MakeLParam(70, 2));
    EXPECT_EQ(sink.Clicked, nullptr);
    // Items.Data and the wide Items.ItemData read back what was written.
    TListItem* it = lv.Items()->Add();
    it->SetCaption("方案一");
    it->SubItems()->Add("2004/05/01");
    it->SetSubItemImages(0, 3);
    for (bool wide : {false, true}) {
        TListView copy(nullptr);
        copy.Items()->ReadData(lv.Items()->WriteData(wide), wide);
        ASSERT_EQ(copy.Items()->Count(), 1);
        EXPECT_EQ(copy.Items()->Item(0)->Caption(), "方案一");
        EXPECT_EQ(copy.Items()->Item(0)->SubItems()->Get(0), "2004/05/01");
        EXPECT_EQ(copy.Items()->Item(0)->SubItemImages(0), 3);
    }
    std::vector<uint8_t> bad = lv.Items()->WriteData();
    bad.resize(bad.size() - 3);
    TListView broken(nullptr);
    EXPECT_THROW(broken.Items()->ReadData(bad, false), EReadError);
}

TEST_F(Fixture, PageChangeRefusedByOnChanging) {
    TPageControl* pg = host->pgOption;
    host->AllowPageChange = false;
    TRect tab2 = pg->TabRect(1);
    pg->Perform(WM_LBUTTONDOWN, 0, MakeLParam(tab2.Left + 2, tab2.Top + 2));
    EXPECT_EQ(pg->ActivePage(), host->tsOption1);
    EXPECT_EQ(host->Log, (std::vector<std::string>{"changing"}));
    host->AllowPageChange = true;
    pg->Perform(WM_LBUTTONDOWN, 0, MakeLParam(tab2.Left + 2, tab2.Top + 2));
    EXPECT_EQ(pg->ActivePage(), host->tsOption2);
    EXPECT_EQ(host->Log, (std::vector<std::string>{"changing", "changing", "show tsOption2", "change tsOption2"}));
    EXPECT_TRUE(host->tsOption2->Visible());
    EXPECT_FALSE(host->tsOption1->Visible());
    // Setting the page in code raises neither event; hidden tabs are skipped by tab index.
    host->Log.clear();
    pg->SetActivePage(host->tsOption1);
    EXPECT_TRUE(host->Log.empty());
    host->tsOption1->SetTabVisible(false);
    EXPECT_EQ(host->tsOption1->TabIndex(), -1);
    EXPECT_EQ(host->tsOption2->TabIndex(), 0);
    EXPECT_EQ(pg->Tabs()->Count(), 1);
    pg->SelectNextPage(true);
    EXPECT_EQ(pg->ActivePage(), host->tsOption2);
    // Owner-drawn tabs go through OnDrawTab with their rectangles.
    struct TDraw : TObject {
        std::vector<std::pair<int, bool>> Calls;
        void Draw(TCustomTabControl*, int i, TRect, bool active) { Calls.push_back({i, active}); }
    };
    TDraw d;
    pg->OnDrawTab.Code = detail::MethodInfoFor<&TDraw::Draw>();
    pg->OnDrawTab.Data = &d;
    TBitmap bmp(300, 40);
    pg->PaintTabs(bmp.Canvas());
    EXPECT_EQ(d.Calls, (std::vector<std::pair<int, bool>>{{0, true}}));
    // Freeing a sheet takes it out of the control.
    host->tsOption2->Free();
    EXPECT_EQ(pg->PageCount(), 1);
    EXPECT_EQ(pg->ActivePage(), host->tsOption1);
}

TEST_F(Fixture, TreeNodesByAbsoluteIndex) {
    TTreeNodes* n = host->tvCode->Items();
    std::vector<std::string> texts;
    std::vector<int> levels;
    for (int i = 0; i < n->Count(); ++i) {
        texts.push_back(n->Item(i)->Text());
        levels.push_back(n->Item(i)->Level());
    }
    EXPECT_EQ(texts, (std::vector<std::string>{"root1", "child1", "grandchild", "child2", "root2"}));
    EXPECT_EQ(levels, (std::vector<int>{0, 1, 2, 1, 0}));
    // Adding a child in the middle shifts the absolute indices after it.
    TTreeNode* child1 = n->Item(1);
    TTreeNode* added = n->AddChild(child1, "grandchild2");
    EXPECT_EQ(added->AbsoluteIndex(), 3);
    EXPECT_EQ(n->Item(4)->Text(), "child2");
    TTreeNode* first = n->AddChildFirst(n->Item(0), "child0");
    EXPECT_EQ(first->AbsoluteIndex(), 1);
    EXPECT_EQ(n->Item(0)->Item(0), first);
    TTreeNode* before = n->Insert(n->Item(n->Count() - 1), "root1b");
    EXPECT_EQ(before->Level(), 0);
    EXPECT_EQ(n->Item(n->Count() - 2), before);
    // Deleting a node takes its subtree.
    child1->Delete();
    texts.clear();
    for (int i = 0; i < n->Count(); ++i) texts.push_back(n->Item(i)->Text());
    EXPECT_EQ(texts, (std::vector<std::string>{"root1", "child0", "child2", "root1b", "root2"}));
    // Selection through OnChanging/OnChange, collapse moves it to the parent.
    host->tvCode->SetSelected(n->Item(2));
    EXPECT_TRUE(n->Item(0)->Expanded());
    n->Item(0)->Collapse(false);
    EXPECT_EQ(host->tvCode->Selected(), n->Item(0));
    // Text by absolute index, as the language reader sets it.
    n->Item(4)->SetText("Root two");
    EXPECT_EQ(GetPropTextByPath(host->tvCode, "Items[4].Text"), "Root two");
}

TEST_F(Fixture, MenusToolButtonDropDownAndTabSet) {
    // Radio items: checking one unchecks its group.
    host->N8->SetChecked(true);
    EXPECT_FALSE(host->N7->Checked());
    // The drop-down arrow shows the menu; the presenter picks N7, whose click runs.
    TPoint where;
    SetPopupPresenter([&](TPopupMenu& m, TPoint p) -> TMenuItem* {
        where = p;
        return m.Items()->Items(0);
    });
    TToolButton* b = host->ToolButton1;
    b->Perform(WM_LBUTTONDOWN, 0, MakeLParam(b->Width() - 3, 5));
    b->Perform(WM_LBUTTONUP, 0, MakeLParam(b->Width() - 3, 5));
    EXPECT_EQ(host->Log, (std::vector<std::string>{"menu N7"}));
    EXPECT_EQ(where, b->ClientToScreen({0, b->Height()}));
    EXPECT_EQ(host->mnList->PopupComponent(), b);
    // The button face is an ordinary click.
    b->Perform(WM_LBUTTONDOWN, 0, MakeLParam(3, 5));
    b->Perform(WM_LBUTTONUP, 0, MakeLParam(3, 5));
    EXPECT_EQ(host->Log.back(), "tool click");
    // Right-click on the list view pops its menu up.
    host->lstCondition->Perform(WM_RBUTTONDOWN, 0, MakeLParam(5, 30));
    host->lstCondition->Perform(WM_RBUTTONUP, 0, MakeLParam(5, 30));
    EXPECT_EQ(host->Log.back(), "menu N7");
    EXPECT_EQ(host->mnList->PopupComponent(), host->lstCondition);
    // Tab set: a refused change keeps the tab.
    struct TGuard : TObject {
        void Change(TObject*, int newTab, bool& allow) { allow = newTab != 0; }
    };
    TGuard g;
    host->tsBottom->OnChange.Code = detail::MethodInfoFor<&TGuard::Change>();
    host->tsBottom->OnChange.Data = &g;
    host->tsBottom->SetTabIndex(0);
    EXPECT_EQ(host->tsBottom->TabIndex(), 1);
    host->tsBottom->Tabs()->Add("Three");
    host->tsBottom->SetTabIndex(2);
    EXPECT_EQ(host->tsBottom->TabIndex(), 2);
    host->tsBottom->SetTabIndex(7);
    EXPECT_EQ(host->tsBottom->TabIndex(), -1);
}

TEST(ImageList, AddMaskedDrawAndDescriptionBytes) {
    TImageList il(nullptr);
    TBitmap strip(32, 16);
    strip.Fill(clFuchsia);
    strip.SetPixel(3, 3, clBlue);
    strip.SetPixel(20, 5, clRed);
    EXPECT_EQ(il.AddMasked(&strip, clFuchsia), 0);
    EXPECT_EQ(il.Count(), 2);
    TBitmap target(16, 16);
    target.Fill(clWhite);
    il.Draw(target.Canvas(), 0, 0, 1);
    EXPECT_EQ(target.Pixel(4, 5), clRed);
    EXPECT_EQ(target.Pixel(0, 0), clWhite);  // the mask colour was left out
    TImageList copy(nullptr);
    copy.ReadImages(il.WriteImages());
    EXPECT_EQ(copy.Count(), 2);
    EXPECT_EQ(copy.Image(0)->Pixel(3, 3), clBlue);
    il.SetWidth(24);  // a new size empties the list
    EXPECT_EQ(il.Count(), 0);
}

TEST(TabControl, ClickSelectsATabThroughOnChanging) {
    TComponent* c = CreateComponentByClassName("TTabControl", nullptr);
    auto* tc = dynamic_cast<TTabControl*>(c);
    ASSERT_NE(tc, nullptr);
    tc->Tabs()->Add("A");
    tc->Tabs()->Add("B");
    EXPECT_EQ(tc->TabIndex(), -1);
    TRect r = tc->TabRect(1);
    EXPECT_EQ(r.Left, tc->TabRect(0).Right);
    tc->Perform(WM_LBUTTONDOWN, 0, MakeLParam(r.Left + 1, r.Top + 1));
    EXPECT_EQ(tc->TabIndex(), 1);
    EXPECT_EQ(tc->DisplayRect().Top, tc->TabsHeight() + 6);
    tc->Tabs()->Delete(1);
    EXPECT_EQ(tc->TabIndex(), 0);
    c->Free();
}
