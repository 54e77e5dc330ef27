#pragma once
// The list view: columns, items with sub-items and images, four view styles, selection (single
// and multiple), sorting by caption or by a compare handler, column clicks, in-place caption
// editing, icon arrangement, and the item layout the presentations draw.
//
// Layout (deterministic, in client coordinates; h = text height of the font, from the widgetset):
// - report: a header of h + 8 when ShowColumnHeaders; rows of R = max(h + 4, small image height + 2);
//   item i at y = header + (i - TopIndex) * R spanning the columns (column 0 only without RowSelect);
// - list: the same row height, items top to bottom in columns of the widest caption + icon + 12,
//   the first column shown being LeftColumn;
// - small icon: cells of (small image width or 16) + widest caption + 12 by R, left to right;
// - icon: cells of max(large image width, 32) + 43 by max(large image height, 32) + 2h + 10,
//   left to right (iaTop) or top to bottom (iaLeft).
// Icon positions come from that grid when IconOptions.AutoArrange is set or Arrange is called;
// otherwise an item keeps the position it got when it was added (or that was set).
//
// Descriptions store columns as a collection (Columns = < item ... end >) and items either as the
// original binary "Items.Data" (see ListView.cpp) or as a collection (Items = < item Caption = ...
// SubItems.Strings = (...) end >).
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/forms/Controls.h"
#include "platform/widgets/ImgList.h"
#include "platform/widgets/StdCtrls.h"
#include "platform/widgets/StringList.h"

namespace plat {

class TCustomListView;
class TListItem;
class TListItems;
class TListColumn;

enum TViewStyle { vsIcon, vsSmallIcon, vsList, vsReport };
enum TSortType { stNone, stData, stText, stBoth };
enum TItemChange { ctText, ctImage, ctState };
enum TIconArrangement { iaTop, iaLeft };
enum TItemState { isNone, isCut, isDropHilited, isFocused, isSelected, isActivating };
using TItemStates = TSet<TItemState>;
enum TSearchDirection { sdLeft, sdRight, sdAbove, sdBelow, sdAll };
enum TDisplayCode { drBounds, drIcon, drLabel, drSelectBounds };
enum TListArrangement { arAlignBottom, arAlignLeft, arAlignRight, arAlignTop, arDefault, arSnapToGrid };
PLAT_DECLARE_ENUM(TViewStyle)
PLAT_DECLARE_ENUM(TSortType)
PLAT_DECLARE_ENUM(TItemChange)
PLAT_DECLARE_ENUM(TIconArrangement)
PLAT_DECLARE_ENUM(TItemState)
PLAT_DECLARE_SET(TItemStates)

// Column widths that fit: the widest cell, or the header and the widest cell.
constexpr int ColumnTextWidth = -1, ColumnHeaderWidth = -2;

PLAT_DECLARE_EVENT(TLVSelectItemEvent, TObject* /*Sender*/, TListItem* /*Item*/, bool /*Selected*/)
PLAT_DECLARE_EVENT(TLVChangeEvent, TObject*, TListItem*, TItemChange /*Change*/)
PLAT_DECLARE_EVENT(TLVChangingEvent, TObject*, TListItem*, TItemChange, bool& /*AllowChange*/)
PLAT_DECLARE_EVENT(TLVCompareEvent, TObject*, TListItem* /*Item1*/, TListItem* /*Item2*/, int /*Data*/,
                   int& /*Compare*/)
PLAT_DECLARE_EVENT(TLVColumnClickEvent, TObject*, TListColumn* /*Column*/)
PLAT_DECLARE_EVENT(TLVColumnRClickEvent, TObject*, TListColumn*, TPoint /*Point*/)
PLAT_DECLARE_EVENT(TLVEditingEvent, TObject*, TListItem*, bool& /*AllowEdit*/)
PLAT_DECLARE_EVENT(TLVEditedEvent, TObject*, TListItem*, std::string& /*S*/)
PLAT_DECLARE_EVENT(TLVDeletedEvent, TObject*, TListItem*)
PLAT_DECLARE_EVENT(TLVInfoTipEvent, TObject*, TListItem*, std::string& /*InfoTip*/)
PLAT_DECLARE_EVENT(TLVDrawItemEvent, TCustomListView* /*Sender*/, TListItem*, TRect /*Rect*/, TItemStates /*State*/)

// A plain compare routine for CustomSort (the original's TLVCompare): negative, 0, positive.
using TLVCompare = std::function<int(TListItem* item1, TListItem* item2, intptr_t data)>;

class TListColumn : public TCollectionItem {
    PLAT_CLASS(TListColumn)
    explicit TListColumn(TCollection* collection);

    TAlignment Alignment() const { return fAlignment; }
    void SetAlignment(TAlignment v);
    bool AutoSize() const { return fAutoSize; }
    void SetAutoSize(bool v);
    const std::string& Caption() const { return fCaption; }
    void SetCaption(const std::string& v);
    int ImageIndex() const { return fImageIndex; }
    void SetImageIndex(int v);
    int MaxWidth() const { return fMaxWidth; }
    void SetMaxWidth(int v);
    int MinWidth() const { return fMinWidth; }
    void SetMinWidth(int v);
    intptr_t Tag() const { return fTag; }
    void SetTag(intptr_t v) { fTag = v; }
    // The width in pixels (an auto-size column's share of the client width). Setting
    // ColumnTextWidth or ColumnHeaderWidth computes a fitting width at once.
    int Width() const;
    void SetWidth(int v);
    // The width as stored (what was set, or computed).
    int StoredWidth() const { return fWidth; }
    std::string DisplayName() const override;
    void Assign(TPersistent* source) override;
    TCustomListView* ListView() const;

private:
    TAlignment fAlignment = taLeftJustify;
    bool fAutoSize = false;
    std::string fCaption;
    int fImageIndex = -1;
    int fMaxWidth = 0, fMinWidth = 0;
    intptr_t fTag = 0;
    int fWidth = 50;
};

class TListColumns : public TOwnedCollection {
    PLAT_CLASS(TListColumns)
    explicit TListColumns(TCustomListView* owner);
    TListColumn* Add() { return static_cast<TListColumn*>(TCollection::Add()); }
    TListColumn* Items(int index) const { return static_cast<TListColumn*>(TCollection::Items(index)); }
    TCustomListView* Owner() const { return fListView; }

protected:
    void Update(TCollectionItem* item) override;

private:
    TCustomListView* fListView;
};

class TListItem : public TCollectionItem {
    PLAT_CLASS(TListItem)
    explicit TListItem(TCollection* collection);
    ~TListItem() override;

    const std::string& Caption() const { return fCaption; }
    void SetCaption(const std::string& v);
    TStrings* SubItems() const { return fSubItems.get(); }
    void SetSubItems(TStrings* v) { fSubItems->Assign(v); }
    int ImageIndex() const { return fImageIndex; }
    void SetImageIndex(int v);
    int StateIndex() const { return fStateIndex; }
    void SetStateIndex(int v);
    int OverlayIndex() const { return fOverlayIndex; }
    void SetOverlayIndex(int v) { fOverlayIndex = v; }
    int SubItemImages(int index) const;
    void SetSubItemImages(int index, int image);
    intptr_t Data() const { return fData; }
    void SetData(intptr_t v);
    bool Selected() const { return fSelected; }
    // Raises OnChanging (a refusal keeps the state), OnChange and OnSelectItem; selecting in a
    // single-selection list unselects the others first.
    void SetSelected(bool v);
    bool Focused() const;
    void SetFocused(bool v);
    bool Checked() const { return fChecked; }
    void SetChecked(bool v);
    bool Cut() const { return fCut; }
    void SetCut(bool v) { fCut = v; }
    bool DropTarget() const { return fDropTarget; }
    void SetDropTarget(bool v) { fDropTarget = v; }
    TPoint Position() const;
    void SetPosition(TPoint p);
    int Left() const { return Position().X; }
    int Top() const { return Position().Y; }

    TListItems* Owner() const;
    TCustomListView* ListView() const;
    // Raises OnDeletion, then frees the item.
    void Delete();
    // Starts the in-place editor on the caption (OnEditing may refuse); true when editing.
    bool EditCaption();
    void CancelEdit();
    void MakeVisible(bool partialOK);
    void Update();
    TRect DisplayRect(TDisplayCode code) const;
    void Assign(TPersistent* source) override;
    std::string DisplayName() const override { return fCaption; }

private:
    friend class TCustomListView;
    friend class TListItems;
    void SubItemsChanged(TObject*);
    std::string fCaption;
    std::unique_ptr<TStringList> fSubItems;
    std::vector<int> fSubItemImages;
    int fImageIndex = -1, fStateIndex = -1, fOverlayIndex = -1;
    intptr_t fData = 0;
    bool fSelected = false, fChecked = false, fCut = false, fDropTarget = false;
    TPoint fPosition{-1, -1};
    bool fPositionSet = false;
};

// The items of a list view, in display order. (A collection here, so property paths such as
// "Items[4].Caption" reach an item.)
class TListItems : public TOwnedCollection {
    PLAT_CLASS(TListItems)
    explicit TListItems(TCustomListView* owner);

    TListItem* Add();
    TListItem* AddItem(TListItem* item, int index = -1);  // copies `item` (nullptr: a new item)
    TListItem* Insert(int index);
    TListItem* Item(int index) const { return static_cast<TListItem*>(TCollection::Items(index)); }
    TListItem* operator[](int index) const { return Item(index); }
    void Delete(int index);  // raises OnDeletion
    void Clear();            // raises OnDeletion for each item
    int IndexOf(const TListItem* item) const;
    TCustomListView* Owner() const { return fListView; }
    void BeginUpdate();
    void EndUpdate();

    // The description form "Data": see ListView.cpp. WriteData produces it.
    bool ReadDefinedProperty(const std::string& name, const TDfmValue& value) override;
    void ReadData(const std::vector<uint8_t>& bytes, bool wide);
    std::vector<uint8_t> WriteData(bool wide = false) const;

protected:
    void Update(TCollectionItem* item) override;

private:
    TCustomListView* fListView;
};

class TIconOptions : public TPersistent {
    PLAT_CLASS(TIconOptions)
    explicit TIconOptions(TCustomListView* owner) : fOwner(owner) {}
    TIconArrangement Arrangement() const { return fArrangement; }
    void SetArrangement(TIconArrangement v);
    bool AutoArrange() const { return fAutoArrange; }
    void SetAutoArrange(bool v);
    bool WrapText() const { return fWrapText; }
    void SetWrapText(bool v) { fWrapText = v; }
    void Assign(TPersistent* source) override;
    TPersistent* GetOwner() const override;

private:
    TCustomListView* fOwner;
    TIconArrangement fArrangement = iaTop;
    bool fAutoArrange = false;
    bool fWrapText = true;
};

class TCustomListView : public TWinControl {
    PLAT_CLASS(TCustomListView)
    explicit TCustomListView(TComponent* owner);
    ~TCustomListView() override;
    void BeforeDestruction() override;

    TListColumns* Columns() const { return fColumns.get(); }
    void SetColumns(TListColumns* v) { fColumns->Assign(v); }
    TListColumn* Column(int index) const { return fColumns->Items(index); }
    TListItems* Items() const { return fItems.get(); }
    void SetItems(TListItems* v) { fItems->Assign(v); }
    TIconOptions* IconOptions() const { return fIconOptions.get(); }
    void SetIconOptions(TIconOptions* v) { fIconOptions->Assign(v); }

    TViewStyle ViewStyle() const { return fViewStyle; }
    void SetViewStyle(TViewStyle v);
    TSortType SortType() const { return fSortType; }
    void SetSortType(TSortType v);
    bool MultiSelect() const { return fMultiSelect; }
    void SetMultiSelect(bool v);
    bool RowSelect() const { return fRowSelect; }
    void SetRowSelect(bool v);
    bool ReadOnly() const { return fReadOnly; }
    void SetReadOnly(bool v);
    bool HideSelection() const { return fHideSelection; }
    void SetHideSelection(bool v);
    bool ShowColumnHeaders() const { return fShowColumnHeaders; }
    void SetShowColumnHeaders(bool v);
    bool ColumnClick() const { return fColumnClick; }
    void SetColumnClick(bool v) { fColumnClick = v; }
    bool Checkboxes() const { return fCheckboxes; }
    void SetCheckboxes(bool v);
    bool GridLines() const { return fGridLines; }
    void SetGridLines(bool v);
    bool HotTrack() const { return fHotTrack; }
    void SetHotTrack(bool v) { fHotTrack = v; }
    bool FlatScrollBars() const { return fFlatScrollBars; }
    void SetFlatScrollBars(bool v) { fFlatScrollBars = v; }
    bool FullDrag() const { return fFullDrag; }
    void SetFullDrag(bool v) { fFullDrag = v; }
    bool OwnerDraw() const { return fOwnerDraw; }
    void SetOwnerDraw(bool v);
    int AllocBy() const { return fAllocBy; }
    void SetAllocBy(int v) { fAllocBy = v; }
    TFormBorderStyle BorderStyle() const { return fBorderStyle; }
    void SetBorderStyle(TFormBorderStyle v);
    TCustomImageList* LargeImages() const { return fLargeImages; }
    void SetLargeImages(TCustomImageList* v);
    TCustomImageList* SmallImages() const { return fSmallImages; }
    void SetSmallImages(TCustomImageList* v);
    TCustomImageList* StateImages() const { return fStateImages; }
    void SetStateImages(TCustomImageList* v);

    // Selection and focus.
    TListItem* Selected() const;  // the first selected item
    void SetSelected(TListItem* item);  // nullptr clears the selection
    int SelCount() const;
    TListItem* ItemFocused() const { return fFocusedItem; }
    void SetItemFocused(TListItem* item);
    int ItemIndex() const;
    void SetItemIndex(int index);
    void ClearSelection();
    void SelectAll();  // multi-select only
    void DeleteSelected();
    TListItem* GetNextItem(TListItem* start, TSearchDirection direction, TItemStates states) const;
    TListItem* FindCaption(int startIndex, const std::string& value, bool partial, bool inclusive, bool wrap) const;
    TListItem* FindData(int startIndex, intptr_t value, bool inclusive, bool wrap) const;

    // Sorting: AlphaSort uses OnCompare when assigned, else the captions (case-insensitive).
    bool AlphaSort();
    // With a routine, it compares; without one, as AlphaSort with `data` passed to OnCompare.
    bool CustomSort(TLVCompare compare, intptr_t data);

    // Updating: painting, sorting and arranging wait for the outermost EndUpdate.
    void BeginUpdate() { fItems->BeginUpdate(); }
    void EndUpdate() { fItems->EndUpdate(); }
    int UpdateCount() const { return fUpdateCount; }

    // Layout.
    void Arrange(TListArrangement code);
    TRect ItemRect(const TListItem* item, TDisplayCode code = drBounds) const;
    TListItem* GetItemAt(int x, int y) const;
    int HeaderHeight() const;
    int RowHeight() const;
    // The column whose header is at x (report view with headers), -1 when none.
    int ColumnAtX(int x) const;
    TListItem* TopItem() const;
    // Report style: the first row shown, within the range the items allow now (fewer items or a
    // taller view move it back, as the system's list does).
    int TopIndex() const;
    // List style: the first column shown (columns of ListRowCount items), kept in range likewise.
    int LeftColumn() const;
    int ListRowCount() const;
    // Scrolls by pixels (report: whole rows vertically; list: whole columns horizontally).
    void Scroll(int dx, int dy);
    int VisibleRowCount() const;
    // Report: a vertical bar over the rows; list: a horizontal bar over the columns; the icon
    // styles do not scroll.
    TScrollBarInfo ScrollBarInfo(TScrollBarKind kind) const override;
    int StringWidth(const std::string& s) const;
    // The width a column needs for its header (header) or its widest cell (cells).
    int FitColumnWidth(int index, bool header) const;

    // In-place editing.
    bool IsEditing() const { return fEditItem != nullptr; }
    TListItem* EditingItem() const { return fEditItem; }
    TCustomEdit* EditControl() const;
    // Ends the editing: commit (OnEdited may change the text) or cancel.
    void EndEditing(bool cancel);

    // How many times the list changed in a way a presentation must redraw.
    int ChangeCount() const { return fChangeCount; }
    // Called by items, columns and image lists.
    void ItemsChanged();

    TLVSelectItemEvent OnSelectItem;
    TLVChangeEvent OnChange;
    TLVChangingEvent OnChanging;
    TLVCompareEvent OnCompare;
    TLVColumnClickEvent OnColumnClick;
    TLVColumnRClickEvent OnColumnRightClick;
    TLVEditingEvent OnEditing;
    TLVEditedEvent OnEdited;
    TLVDeletedEvent OnDeletion, OnInsert;
    TLVInfoTipEvent OnInfoTip;
    TLVDrawItemEvent OnDrawItem;

protected:
    friend class TListItem;
    friend class TListItems;
    friend class TListColumn;
    friend class TListColumns;
    friend class TIconOptions;
    // Item notifications; Changing answers whether the change may happen.
    virtual bool CanChange(TListItem* item, TItemChange change);
    virtual void Change(TListItem* item, TItemChange change);
    virtual void DoSelectItem(TListItem* item, bool selected);
    virtual void Delete(TListItem* item);
    virtual void InsertItem(TListItem* item);
    virtual void ColClick(TListColumn* column);
    virtual bool CanEdit(TListItem* item);
    virtual void Edit(TListItem* item, std::string& s);
    void Notification(TComponent* component, TOperation operation) override;
    void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
    void DefaultKeyDown(uint16_t key, TShiftState shift) override;
    uint32_t DialogCode() const override { return DLGC_WANTARROWS; }
    void Loaded() override;
    void Resize() override;
    void ScrollBarMoved(TScrollBarKind kind, int pos) override;
    // List style: the wheel moves a column a notch.
    bool DoMouseWheel(TShiftState shift, int wheelDelta, TPoint mousePos) override;

    void SortIfNeeded();
    bool SortWith(const std::function<int(TListItem*, TListItem*)>& cmp);
    TPoint GridCell(int index) const;
    TTextSize CellSize() const;
    void ItemDestroying(TListItem* item);
    void SelectRange(TListItem* from, TListItem* to);

    std::unique_ptr<TListColumns> fColumns;
    std::unique_ptr<TListItems> fItems;
    std::unique_ptr<TIconOptions> fIconOptions;
    TViewStyle fViewStyle = vsIcon;
    TSortType fSortType = stNone;
    bool fMultiSelect = false, fRowSelect = false, fReadOnly = false, fHideSelection = true,
         fShowColumnHeaders = true, fColumnClick = true, fCheckboxes = false, fGridLines = false, fHotTrack = false,
         fFlatScrollBars = false, fFullDrag = false, fOwnerDraw = false;
    int fAllocBy = 0;
    TFormBorderStyle fBorderStyle = bsSingle;
    TCustomImageList *fLargeImages = nullptr, *fSmallImages = nullptr, *fStateImages = nullptr;
    TListItem* fFocusedItem = nullptr;
    TListItem* fAnchorItem = nullptr;
    TListItem* fEditItem = nullptr;
    TCustomEdit* fEditor = nullptr;
    int fTopIndex = 0;
    int fLeftColumn = 0;
    int fUpdateCount = 0;
    bool fSortPending = false;
    bool fSorting = false;
    bool fTearingDown = false;
    int fChangeCount = 0;
};

class TListView : public TCustomListView {
    PLAT_CLASS(TListView)
    using TCustomListView::TCustomListView;
};

// The in-place caption editor of a list or tree view: Enter commits, Esc cancels, losing the
// focus commits. The view answers IsEditing and EndEditing(cancel).
template <class TView>
class TInPlaceCaptionEditor : public TCustomEdit {
public:
    explicit TInPlaceCaptionEditor(TView* owner) : TCustomEdit(owner), fView(owner) {}
    uint32_t DialogCode() const override { return DLGC_WANTALLKEYS | DLGC_WANTARROWS | DLGC_WANTCHARS; }

protected:
    void DefaultKeyDown(uint16_t key, TShiftState shift) override {
        if (key == VK_RETURN) fView->EndEditing(false);
        else if (key == VK_ESCAPE) fView->EndEditing(true);
        else TCustomEdit::DefaultKeyDown(key, shift);
    }
    void DoExit() override {
        TCustomEdit::DoExit();
        if (fView->IsEditing()) fView->EndEditing(false);
    }

private:
    TView* fView;
};

}  // namespace plat
