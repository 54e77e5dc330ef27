#pragma once
// Common controls: tab control, page control and tab sheets, tool bar and tool buttons, status
// bar and its panels, tree view and its nodes; the list view lives in ListView.h (included).
//
// Tab layout (deterministic): tabs run left to right from x = 2 along the top; a tab is TabWidth
// wide (or its caption width + 12, plus the image width + 4 with Images) and TabHeight high (or
// the text height + 6). The pages fill the client area below the tabs, inset by 4.
#include <memory>
#include <string>
#include <vector>

#include "platform/forms/Forms.h"
#include "platform/graphics/Canvas.h"
#include "platform/widgets/ImgList.h"
#include "platform/widgets/ListView.h"
#include "platform/widgets/Menus.h"
#include "platform/widgets/StringList.h"

namespace plat {

class TCustomTabControl;
class TPageControl;
class TTabSheet;
class TToolBar;
class TStatusBar;
class TStatusPanel;
class TTreeNode;
class TTreeNodes;
class TCustomTreeView;

enum TTabPosition { tpTop, tpBottom, tpLeft, tpRight };
enum TTabStyle { tsTabs, tsButtons, tsFlatButtons };
PLAT_DECLARE_ENUM(TTabPosition)
PLAT_DECLARE_ENUM(TTabStyle)

PLAT_DECLARE_EVENT(TDrawTabEvent, TCustomTabControl* /*Control*/, int /*TabIndex*/, TRect /*Rect*/, bool /*Active*/)
PLAT_DECLARE_EVENT(TTabGetImageEvent, TObject* /*Sender*/, int /*TabIndex*/, int& /*ImageIndex*/)

// ---- Tab control ---------------------------------------------------------------------------------

class TCustomTabControl : public TWinControl {
    PLAT_CLASS(TCustomTabControl)
    explicit TCustomTabControl(TComponent* owner);
    ~TCustomTabControl() override;

    // The tab captions (a page control keeps them in step with its visible pages).
    TStrings* Tabs() const { return fTabs.get(); }
    void SetTabs(TStrings* v) { fTabs->Assign(v); }
    int TabIndex() const { return fTabIndex; }
    // Setting it in code raises no events (as the original).
    virtual void SetTabIndex(int v);
    bool MultiLine() const { return fMultiLine; }
    void SetMultiLine(bool v) { fMultiLine = v; Changed(TPeerChange::Style); }
    bool OwnerDraw() const { return fOwnerDraw; }
    void SetOwnerDraw(bool v) { fOwnerDraw = v; Changed(TPeerChange::Style); }
    int TabHeight() const { return fTabHeight; }
    void SetTabHeight(int v);
    int TabWidth() const { return fTabWidth; }
    void SetTabWidth(int v);
    TTabPosition TabPosition() const { return fTabPosition; }
    void SetTabPosition(TTabPosition v) { fTabPosition = v; Changed(TPeerChange::Style); }
    TTabStyle Style() const { return fStyle; }
    void SetStyle(TTabStyle v) { fStyle = v; Changed(TPeerChange::Style); }
    bool HotTrack() const { return fHotTrack; }
    void SetHotTrack(bool v) { fHotTrack = v; }
    bool RaggedRight() const { return fRaggedRight; }
    void SetRaggedRight(bool v) { fRaggedRight = v; }
    bool ScrollOpposite() const { return fScrollOpposite; }
    void SetScrollOpposite(bool v) { fScrollOpposite = v; }
    TCustomImageList* Images() const { return fImages; }
    void SetImages(TCustomImageList* v);

    TRect TabRect(int index) const;
    int IndexOfTabAt(int x, int y) const;
    int TabsHeight() const;
    // The area the pages (or the tab control's children) take.
    TRect DisplayRect() const;
    // The canvas handed to OnDrawTab while PaintTabs runs.
    TCanvas* Canvas() const { return fPaintCanvas ? fPaintCanvas : fCanvas.get(); }
    // Paints every tab onto `canvas` (owner-drawn tabs through DrawTab/OnDrawTab).
    void PaintTabs(TCanvas* canvas);
    // The user picks tab `index` (a click on it): OnChanging may refuse, else the tab changes
    // and OnChange runs. Answers whether it changed.
    bool SelectTab(int index);

    TNotifyEvent OnChange;
    TTabChangingEvent OnChanging;
    TDrawTabEvent OnDrawTab;
    TTabGetImageEvent OnGetImageIndex;

protected:
    virtual bool CanChange();
    virtual void Change();
    // Draws one tab: OnDrawTab when assigned, else a plain face with the caption.
    virtual void DrawTab(int tabIndex, const TRect& rect, bool active);
    virtual int GetImageIndex(int tabIndex);
    virtual void TabsChanged(TObject*);
    void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
    void Notification(TComponent* component, TOperation operation) override;
    TRect AdjustClientRect() const override { return DisplayRect(); }

    std::unique_ptr<TStringList> fTabs;
    int fTabIndex = -1;
    bool fMultiLine = false, fOwnerDraw = false, fHotTrack = false, fRaggedRight = false, fScrollOpposite = false;
    int fTabHeight = 0, fTabWidth = 0;
    TTabPosition fTabPosition = tpTop;
    TTabStyle fStyle = tsTabs;
    TCustomImageList* fImages = nullptr;
    std::unique_ptr<TCanvas> fCanvas;
    TCanvas* fPaintCanvas = nullptr;
};

class TTabControl : public TCustomTabControl {
    PLAT_CLASS(TTabControl)
    using TCustomTabControl::TCustomTabControl;
};

// ---- Page control --------------------------------------------------------------------------------

class TTabSheet : public TWinControl {
    PLAT_CLASS(TTabSheet)
    explicit TTabSheet(TComponent* owner);
    void BeforeDestruction() override;

    TPageControl* PageControl() const { return fPageControl; }
    void SetPageControl(TPageControl* v);
    // Position among all pages.
    int PageIndex() const;
    void SetPageIndex(int v);
    // Position among the pages whose tab shows; -1 when hidden.
    int TabIndex() const;
    bool TabVisible() const { return fTabVisible; }
    void SetTabVisible(bool v);
    int ImageIndex() const { return fImageIndex; }
    void SetImageIndex(int v);
    bool Highlighted() const { return fHighlighted; }
    void SetHighlighted(bool v) { fHighlighted = v; }
    void SetParent(TWinControl* parent) override;

    TNotifyEvent OnShow, OnHide;

protected:
    friend class TPageControl;
    void TextChanged() override;
    void DoShow();
    void DoHide();

    TPageControl* fPageControl = nullptr;
    bool fTabVisible = true;
    int fImageIndex = 0;
    bool fHighlighted = false;
    bool fSettingParent = false;
};

class TPageControl : public TCustomTabControl {
    PLAT_CLASS(TPageControl)
    explicit TPageControl(TComponent* owner);
    void BeforeDestruction() override;

    int PageCount() const { return static_cast<int>(fPages.size()); }
    TTabSheet* Pages(int index) const;  // raises EListError
    TTabSheet* ActivePage() const { return fActivePage; }
    // Shows the page (hiding the previous); no OnChanging/OnChange, as in the original.
    void SetActivePage(TTabSheet* page);
    int ActivePageIndex() const;
    void SetActivePageIndex(int v);
    void SetTabIndex(int v) override;
    // The next (or previous) page after `current`, wrapping; only pages with a visible tab when
    // goForward... checkTabVisible.
    TTabSheet* FindNextPage(TTabSheet* current, bool goForward, bool checkTabVisible) const;
    // Moves to the next page as the user would (OnChanging may refuse, then OnChange).
    void SelectNextPage(bool goForward, bool checkTabVisible = true);

protected:
    friend class TTabSheet;
    void InsertPage(TTabSheet* page);
    void RemovePage(TTabSheet* page);
    void UpdateTabs();
    void Change() override;
    void AlignControls(TRect& rect) override;
    void Loaded() override;
    void Notification(TComponent* component, TOperation operation) override;

    std::vector<TTabSheet*> fPages;
    TTabSheet* fActivePage = nullptr;
    bool fUpdatingTabs = false;
};

// ---- Tool bar ---------------------------------------------------------------------------------------

enum TToolButtonStyle { tbsButton, tbsCheck, tbsDropDown, tbsSeparator, tbsDivider };
enum TEdgeBorder { ebLeft, ebTop, ebRight, ebBottom };
using TEdgeBorders = TSet<TEdgeBorder>;
PLAT_DECLARE_ENUM(TToolButtonStyle)
PLAT_DECLARE_ENUM(TEdgeBorder)
PLAT_DECLARE_SET(TEdgeBorders)

class TToolButton : public TGraphicControl {
    PLAT_CLASS(TToolButton)
    explicit TToolButton(TComponent* owner);

    TToolButtonStyle Style() const { return fStyle; }
    void SetStyle(TToolButtonStyle v);
    int ImageIndex() const { return fImageIndex; }
    void SetImageIndex(int v);
    bool Down() const { return fDown; }
    void SetDown(bool v);
    bool AllowAllUp() const { return fAllowAllUp; }
    void SetAllowAllUp(bool v) { fAllowAllUp = v; }
    bool Grouped() const { return fGrouped; }
    void SetGrouped(bool v) { fGrouped = v; }
    bool Indeterminate() const { return fIndeterminate; }
    void SetIndeterminate(bool v) { fIndeterminate = v; Invalidate(); }
    bool Marked() const { return fMarked; }
    void SetMarked(bool v) { fMarked = v; Invalidate(); }
    bool Wrap() const { return fWrap; }
    void SetWrap(bool v);
    bool AutoSize() const { return fAutoSize; }
    void SetAutoSize(bool v);
    TPopupMenu* DropdownMenu() const { return fDropdownMenu; }
    void SetDropdownMenu(TPopupMenu* v);
    TMenuItem* MenuItem() const { return fMenuItem; }
    void SetMenuItem(TMenuItem* v);
    TToolBar* ToolBar() const;
    int Index() const;
    void SetParent(TWinControl* parent) override;

    // A check button toggles (grouped ones exclusively); a menu item button runs its item;
    // then OnClick.
    void Click() override;
    // Shows the drop-down menu below the button; true when there was one.
    bool CheckMenuDropdown();
    // The left button went down on the arrow part of a drop-down button (and is not yet up):
    // the arrow part, not the face, shows pressed. The face is held while ControlState has
    // csClicked.
    bool ArrowPressed() const { return fArrowPressed; }

protected:
    void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
    void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
    void Notification(TComponent* component, TOperation operation) override;
    void TextChanged() override;

    TToolButtonStyle fStyle = tbsButton;
    int fImageIndex = -1;
    bool fDown = false, fAllowAllUp = false, fGrouped = false, fIndeterminate = false, fMarked = false, fWrap = false,
         fAutoSize = false;
    bool fArrowPressed = false;
    TPopupMenu* fDropdownMenu = nullptr;
    TMenuItem* fMenuItem = nullptr;
};

class TToolBar : public TWinControl {
    PLAT_CLASS(TToolBar)
    explicit TToolBar(TComponent* owner);

    int ButtonCount() const;
    TToolButton* Buttons(int index) const;  // raises EListError
    int ButtonHeight() const { return fButtonHeight; }
    void SetButtonHeight(int v);
    int ButtonWidth() const { return fButtonWidth; }
    void SetButtonWidth(int v);
    bool Flat() const { return fFlat; }
    void SetFlat(bool v) { fFlat = v; Invalidate(); }
    bool List() const { return fList; }
    void SetList(bool v) { fList = v; ArrangeButtons(); }
    bool ShowCaptions() const { return fShowCaptions; }
    void SetShowCaptions(bool v);
    bool Wrapable() const { return fWrapable; }
    void SetWrapable(bool v);
    bool Transparent() const { return fTransparent; }
    void SetTransparent(bool v) { fTransparent = v; }
    bool AutoSize() const { return fAutoSize; }
    void SetAutoSize(bool v);
    int Indent() const { return fIndent; }
    void SetIndent(int v);
    TEdgeBorders EdgeBorders() const { return fEdgeBorders; }
    void SetEdgeBorders(TEdgeBorders v) { fEdgeBorders = v; Invalidate(); }
    TCustomImageList* Images() const { return fImages; }
    void SetImages(TCustomImageList* v);
    TCustomImageList* DisabledImages() const { return fDisabledImages; }
    void SetDisabledImages(TCustomImageList* v);
    TCustomImageList* HotImages() const { return fHotImages; }
    void SetHotImages(TCustomImageList* v);

    // Places the buttons left to right (wrapping when Wrapable), each ButtonWidth x ButtonHeight
    // (separators and dividers 8 wide; with ShowCaptions at least the caption width + 8).
    void ArrangeButtons();

protected:
    void Loaded() override;
    void Resize() override;
    void Notification(TComponent* component, TOperation operation) override;

    int fButtonHeight = 22, fButtonWidth = 23;
    bool fFlat = false, fList = false, fShowCaptions = false, fWrapable = true, fTransparent = false, fAutoSize = false;
    int fIndent = 0;
    TEdgeBorders fEdgeBorders{ebTop};
    TCustomImageList *fImages = nullptr, *fDisabledImages = nullptr, *fHotImages = nullptr;
    bool fArranging = false;
};

// ---- Status bar ---------------------------------------------------------------------------------------

enum TStatusPanelStyle { psText, psOwnerDraw };
enum TStatusPanelBevel { pbNone, pbLowered, pbRaised };
PLAT_DECLARE_ENUM(TStatusPanelStyle)
PLAT_DECLARE_ENUM(TStatusPanelBevel)

PLAT_DECLARE_EVENT(TDrawPanelEvent, TStatusBar* /*StatusBar*/, TStatusPanel* /*Panel*/, TRect /*Rect*/)

class TStatusPanel : public TCollectionItem {
    PLAT_CLASS(TStatusPanel)
    explicit TStatusPanel(TCollection* collection);
    TAlignment Alignment() const { return fAlignment; }
    void SetAlignment(TAlignment v);
    TStatusPanelBevel Bevel() const { return fBevel; }
    void SetBevel(TStatusPanelBevel v);
    TStatusPanelStyle Style() const { return fStyle; }
    void SetStyle(TStatusPanelStyle v);
    const std::string& Text() const { return fText; }
    void SetText(const std::string& v);
    int Width() const { return fWidth; }
    void SetWidth(int v);
    std::string DisplayName() const override { return fText.empty() ? ClassName() : fText; }
    void Assign(TPersistent* source) override;

private:
    TAlignment fAlignment = taLeftJustify;
    TStatusPanelBevel fBevel = pbLowered;
    TStatusPanelStyle fStyle = psText;
    std::string fText;
    int fWidth = 50;
};

class TStatusPanels : public TOwnedCollection {
    PLAT_CLASS(TStatusPanels)
    explicit TStatusPanels(TStatusBar* owner);
    TStatusPanel* Add() { return static_cast<TStatusPanel*>(TCollection::Add()); }
    TStatusPanel* Items(int index) const { return static_cast<TStatusPanel*>(TCollection::Items(index)); }

protected:
    void Update(TCollectionItem* item) override;

private:
    TStatusBar* fStatusBar;
};

class TStatusBar : public TWinControl {
    PLAT_CLASS(TStatusBar)
    explicit TStatusBar(TComponent* owner);
    ~TStatusBar() override;

    TStatusPanels* Panels() const { return fPanels.get(); }
    void SetPanels(TStatusPanels* v) { fPanels->Assign(v); }
    bool SimplePanel() const { return fSimplePanel; }
    void SetSimplePanel(bool v);
    const std::string& SimpleText() const { return fSimpleText; }
    void SetSimpleText(const std::string& v);
    bool SizeGrip() const { return fSizeGrip; }
    void SetSizeGrip(bool v) { fSizeGrip = v; Invalidate(); }
    bool AutoHint() const { return fAutoHint; }
    void SetAutoHint(bool v) { fAutoHint = v; }
    // Panel rectangles: left to right, each its Width wide; the last reaches the right edge.
    TRect PanelRect(int index) const;
    // Paints owner-drawn panels through OnDrawPanel (others are the presentation's).
    void PaintPanels(TCanvas* canvas);
    TCanvas* Canvas() const { return fPaintCanvas; }
    int ChangeCount() const { return fChangeCount; }
    void PanelsChanged();

    TDrawPanelEvent OnDrawPanel;
    TNotifyEvent OnHint;

private:
    std::unique_ptr<TStatusPanels> fPanels;
    bool fSimplePanel = false, fSizeGrip = true, fAutoHint = false;
    std::string fSimpleText;
    TCanvas* fPaintCanvas = nullptr;
    int fChangeCount = 0;
};

// ---- Tree view ---------------------------------------------------------------------------------------

enum TNodeAttachMode { naAdd, naAddFirst, naAddChild, naAddChildFirst, naInsert };
PLAT_DECLARE_EVENT(TTVChangedEvent, TObject* /*Sender*/, TTreeNode* /*Node*/)
PLAT_DECLARE_EVENT(TTVChangingEvent, TObject*, TTreeNode*, bool& /*AllowChange*/)
PLAT_DECLARE_EVENT(TTVExpandingEvent, TObject*, TTreeNode*, bool& /*AllowExpansion*/)
PLAT_DECLARE_EVENT(TTVCollapsingEvent, TObject*, TTreeNode*, bool& /*AllowCollapse*/)
PLAT_DECLARE_EVENT(TTVExpandedEvent, TObject*, TTreeNode*)
PLAT_DECLARE_EVENT(TTVEditingEvent, TObject*, TTreeNode*, bool& /*AllowEdit*/)
PLAT_DECLARE_EVENT(TTVEditedEvent, TObject*, TTreeNode*, std::string& /*S*/)
PLAT_DECLARE_EVENT(TTVCompareEvent, TObject*, TTreeNode* /*Node1*/, TTreeNode* /*Node2*/, int /*Data*/, int& /*Compare*/)

class TTreeNode : public TCollectionItem {
    PLAT_CLASS(TTreeNode)
    explicit TTreeNode(TCollection* collection);
    ~TTreeNode() override;

    const std::string& Text() const { return fText; }
    void SetText(const std::string& v);
    int ImageIndex() const { return fImageIndex; }
    void SetImageIndex(int v);
    int SelectedIndex() const { return fSelectedIndex; }
    void SetSelectedIndex(int v);
    int StateIndex() const { return fStateIndex; }
    void SetStateIndex(int v);
    int OverlayIndex() const { return fOverlayIndex; }
    void SetOverlayIndex(int v) { fOverlayIndex = v; }
    intptr_t Data() const { return fData; }
    void SetData(intptr_t v) { fData = v; }
    bool HasChildren() const { return fHasChildren || !fChildren.empty(); }
    void SetHasChildren(bool v) { fHasChildren = v; }

    TTreeNode* Parent() const { return fParent; }
    int Count() const { return static_cast<int>(fChildren.size()); }
    TTreeNode* Item(int index) const;  // child; raises EListError
    int Level() const;
    // Index among its siblings; AbsoluteIndex in the whole tree (pre-order).
    int SiblingIndex() const;
    int AbsoluteIndex() const { return Index(); }
    TTreeNode* GetFirstChild() const { return fChildren.empty() ? nullptr : fChildren.front(); }
    TTreeNode* GetLastChild() const { return fChildren.empty() ? nullptr : fChildren.back(); }
    TTreeNode* GetNextSibling() const;
    TTreeNode* GetPrevSibling() const;
    TTreeNode* GetNext() const;  // next in pre-order
    TTreeNode* GetPrev() const;
    bool IsVisible() const;  // every parent expanded
    bool HasAsParent(const TTreeNode* node) const;

    bool Expanded() const { return fExpanded; }
    void SetExpanded(bool v);
    void Expand(bool recurse);
    void Collapse(bool recurse);
    void MakeVisible();
    bool Selected() const;
    void SetSelected(bool v);
    bool Focused() const { return Selected(); }

    void Delete();
    void DeleteChildren();
    bool EditText();
    TTreeNodes* Owner() const;
    TCustomTreeView* TreeView() const;
    std::string DisplayName() const override { return fText; }
    void Assign(TPersistent* source) override;

private:
    friend class TTreeNodes;
    friend class TCustomTreeView;
    std::string fText;
    int fImageIndex = -1, fSelectedIndex = -1, fStateIndex = -1, fOverlayIndex = -1;
    intptr_t fData = 0;
    bool fExpanded = false, fHasChildren = false;
    TTreeNode* fParent = nullptr;
    std::vector<TTreeNode*> fChildren;
};

// All nodes of a tree in pre-order: Item(i) is the node at absolute index i (a collection, so
// "Items[7].Text" reaches node 7).
class TTreeNodes : public TOwnedCollection {
    PLAT_CLASS(TTreeNodes)
    explicit TTreeNodes(TCustomTreeView* owner);

    TTreeNode* Item(int absoluteIndex) const { return static_cast<TTreeNode*>(TCollection::Items(absoluteIndex)); }
    TTreeNode* operator[](int i) const { return Item(i); }
    TTreeNode* GetFirstNode() const { return Count() ? Item(0) : nullptr; }
    // Adding: after the last sibling of `sibling` (top level when nullptr), first among them,
    // as the last or first child of `parent`, or before `sibling`.
    TTreeNode* Add(TTreeNode* sibling, const std::string& text);
    TTreeNode* AddFirst(TTreeNode* sibling, const std::string& text);
    TTreeNode* AddChild(TTreeNode* parent, const std::string& text);
    TTreeNode* AddChildFirst(TTreeNode* parent, const std::string& text);
    TTreeNode* Insert(TTreeNode* sibling, const std::string& text);
    void Delete(TTreeNode* node);
    void Clear();
    TCustomTreeView* Owner() const { return fTreeView; }
    void BeginUpdate();
    void EndUpdate();

    // The description form "Data" (see ComCtrls.cpp); WriteData produces it.
    bool ReadDefinedProperty(const std::string& name, const TDfmValue& value) override;
    void ReadData(const std::vector<uint8_t>& bytes);
    std::vector<uint8_t> WriteData() const;

protected:
    void Update(TCollectionItem* item) override;

private:
    friend class TTreeNode;
    TTreeNode* InternalAdd(TTreeNode* parent, int childPos, const std::string& text);
    TCustomTreeView* fTreeView;
};

class TCustomTreeView : public TWinControl {
    PLAT_CLASS(TCustomTreeView)
    explicit TCustomTreeView(TComponent* owner);
    ~TCustomTreeView() override;

    TTreeNodes* Items() const { return fItems.get(); }
    void SetItems(TTreeNodes* v);
    TTreeNode* Selected() const { return fSelected; }
    // OnChanging may refuse; then OnChange.
    void SetSelected(TTreeNode* node);
    // The node in the top row: the tree scrolls by rows of visible nodes.
    TTreeNode* TopItem() const;
    void SetTopItem(TTreeNode* node);
    // The visible index (row) of TopItem, kept within the scroll range.
    int TopIndex() const;
    // Rows that fit in the client area (at least 1).
    int PageRowCount() const;
    TScrollBarInfo ScrollBarInfo(TScrollBarKind kind) const override;
    TCustomImageList* Images() const { return fImages; }
    void SetImages(TCustomImageList* v);
    TCustomImageList* StateImages() const { return fStateImages; }
    void SetStateImages(TCustomImageList* v);
    int Indent() const { return fIndent; }
    void SetIndent(int v) { fIndent = v; Invalidate(); }
    bool ShowButtons() const { return fShowButtons; }
    void SetShowButtons(bool v) { fShowButtons = v; Invalidate(); }
    bool ShowLines() const { return fShowLines; }
    void SetShowLines(bool v) { fShowLines = v; Invalidate(); }
    bool ShowRoot() const { return fShowRoot; }
    void SetShowRoot(bool v) { fShowRoot = v; Invalidate(); }
    bool ReadOnly() const { return fReadOnly; }
    void SetReadOnly(bool v) { fReadOnly = v; }
    bool HideSelection() const { return fHideSelection; }
    void SetHideSelection(bool v) { fHideSelection = v; Invalidate(); }
    bool RowSelect() const { return fRowSelect; }
    void SetRowSelect(bool v) { fRowSelect = v; Invalidate(); }
    bool AutoExpand() const { return fAutoExpand; }
    void SetAutoExpand(bool v) { fAutoExpand = v; }
    bool HotTrack() const { return fHotTrack; }
    void SetHotTrack(bool v) { fHotTrack = v; }
    bool RightClickSelect() const { return fRightClickSelect; }
    void SetRightClickSelect(bool v) { fRightClickSelect = v; }
    bool ToolTips() const { return fToolTips; }
    void SetToolTips(bool v) { fToolTips = v; }
    TSortType SortType() const { return fSortType; }
    void SetSortType(TSortType v);
    TFormBorderStyle BorderStyle() const { return fBorderStyle; }
    void SetBorderStyle(TFormBorderStyle v) { fBorderStyle = v == bsNone ? bsNone : bsSingle; }

    void FullExpand();
    void FullCollapse();
    // Sorts each level's siblings (OnCompare when assigned, else the texts case-insensitively).
    bool AlphaSort();
    // Rows: the visible nodes (parents expanded) in order, each row the text height + 4 high,
    // starting at TopItem.
    int RowHeight() const;
    TTreeNode* GetNodeAt(int x, int y) const;
    TRect NodeRect(const TTreeNode* node, bool textOnly) const;
    bool IsEditing() const { return fEditNode != nullptr; }
    void EndEditing(bool cancel);
    int ChangeCount() const { return fChangeCount; }
    void NodesChanged();

    TTVChangedEvent OnChange;
    TTVChangingEvent OnChanging;
    TTVExpandingEvent OnExpanding;
    TTVCollapsingEvent OnCollapsing;
    TTVExpandedEvent OnExpanded, OnCollapsed, OnDeletion, OnGetImageIndex, OnGetSelectedIndex;
    TTVEditingEvent OnEditing;
    TTVEditedEvent OnEdited;
    TTVCompareEvent OnCompare;

protected:
    friend class TTreeNode;
    friend class TTreeNodes;
    void NodeDestroying(TTreeNode* node);
    void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
    void DefaultKeyDown(uint16_t key, TShiftState shift) override;
    uint32_t DialogCode() const override { return DLGC_WANTARROWS; }
    void Notification(TComponent* component, TOperation operation) override;
    void Loaded() override;
    void SortSiblings(std::vector<TTreeNode*>& list);
    std::vector<TTreeNode*> VisibleNodes() const;
    void ScrollBarMoved(TScrollBarKind kind, int pos) override;
    // Scrolls so the node's row lies inside the client area.
    void ScrollIntoView(const TTreeNode* node);

    std::unique_ptr<TTreeNodes> fItems;
    TTreeNode* fSelected = nullptr;
    TTreeNode* fEditNode = nullptr;
    TCustomEdit* fEditor = nullptr;
    TCustomImageList *fImages = nullptr, *fStateImages = nullptr;
    int fIndent = 19;
    bool fShowButtons = true, fShowLines = true, fShowRoot = true, fReadOnly = false, fHideSelection = true,
         fRowSelect = false, fAutoExpand = false, fHotTrack = false, fRightClickSelect = false, fToolTips = true;
    TSortType fSortType = stNone;
    TFormBorderStyle fBorderStyle = bsSingle;
    int fUpdateCount = 0;
    int fChangeCount = 0;
    bool fTearingDown = false;
    int fTopIndex = 0;  // as scrolled; TopIndex() clamps it to what the rows allow now
};

class TTreeView : public TCustomTreeView {
    PLAT_CLASS(TTreeView)
    using TCustomTreeView::TCustomTreeView;
};

}  // namespace plat
