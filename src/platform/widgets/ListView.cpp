#include "platform/widgets/ListView.h"

#include <algorithm>

#include "platform/forms/DfmReader.h"
#include "platform/forms/Forms.h"
#include "platform/widgets/Menus.h"

namespace plat {

PLAT_DEFINE_ENUM(TViewStyle, "vsIcon", "vsSmallIcon", "vsList", "vsReport")
PLAT_DEFINE_ENUM(TSortType, "stNone", "stData", "stText", "stBoth")
PLAT_DEFINE_ENUM(TItemChange, "ctText", "ctImage", "ctState")
PLAT_DEFINE_ENUM(TIconArrangement, "iaTop", "iaLeft")
PLAT_DEFINE_ENUM(TItemState, "isNone", "isCut", "isDropHilited", "isFocused", "isSelected", "isActivating")
PLAT_DEFINE_SET(TItemStates, TItemState)

namespace {
const TTypeInfo* TypeBorderStyleLV() {
    static const TTypeInfo* t = MakeEnumType("TBorderStyle", {"bsNone", "bsSingle"});
    return t;
}
const TTypeInfo* TypeWidth() {
    static const TTypeInfo* t = MakeIntegerType("TWidth");
    return t;
}

// Case-insensitive comparison of texts (ASCII letters folded; other characters by code).
int CompareText(const std::string& a, const std::string& b) {
    size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        unsigned char x = static_cast<unsigned char>(a[i]), y = static_cast<unsigned char>(b[i]);
        if (x >= 'a' && x <= 'z') x = static_cast<unsigned char>(x - 32);
        if (y >= 'a' && y <= 'z') y = static_cast<unsigned char>(y - 32);
        if (x != y) return x < y ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

using TListViewEditor = TInPlaceCaptionEditor<TCustomListView>;

// ---- the "Data" layout of descriptions ------------------------------------------------------
// int32 Size (of everything, Size included), int32 Count, then per item: int32 ImageIndex,
// StateIndex, OverlayIndex, SubItemCount, Data (a 32-bit pointer, read as a number), the caption
// and SubItemCount sub-item texts, each a length byte and that many bytes (UTF-8); then, when
// Size leaves room, one int32 image index per sub-item of every item. "ItemData" is the same with
// texts as a length byte counting UTF-16 units followed by UTF-16LE units.
struct TReaderBuf {
    const std::vector<uint8_t>& B;
    size_t Pos = 0;
    size_t End;
    int32_t Int() {
        if (Pos + 4 > End) throw EReadError("Items.Data: data ends early");
        uint32_t v = static_cast<uint32_t>(B[Pos]) | (static_cast<uint32_t>(B[Pos + 1]) << 8) |
                     (static_cast<uint32_t>(B[Pos + 2]) << 16) | (static_cast<uint32_t>(B[Pos + 3]) << 24);
        Pos += 4;
        return static_cast<int32_t>(v);
    }
    std::string Str(bool wide) {
        if (Pos + 1 > End) throw EReadError("Items.Data: data ends early");
        size_t n = B[Pos++];
        if (!wide) {
            if (Pos + n > End) throw EReadError("Items.Data: data ends early");
            std::string s(B.begin() + static_cast<long>(Pos), B.begin() + static_cast<long>(Pos + n));
            Pos += n;
            return s;
        }
        if (Pos + 2 * n > End) throw EReadError("Items.Data: data ends early");
        std::u16string u;
        for (size_t i = 0; i < n; ++i) u.push_back(static_cast<char16_t>(B[Pos + 2 * i] | (B[Pos + 2 * i + 1] << 8)));
        Pos += 2 * n;
        std::string r;
        for (size_t i = 0; i < u.size(); ++i) {
            uint32_t c = u[i];
            if (c >= 0xD800 && c < 0xDC00 && i + 1 < u.size()) c = 0x10000 + ((c - 0xD800) << 10) + (u[++i] - 0xDC00);
            if (c < 0x80) r += static_cast<char>(c);
            else if (c < 0x800) { r += static_cast<char>(0xC0 | (c >> 6)); r += static_cast<char>(0x80 | (c & 0x3F)); }
            else if (c < 0x10000) {
                r += static_cast<char>(0xE0 | (c >> 12));
                r += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
                r += static_cast<char>(0x80 | (c & 0x3F));
            } else {
                r += static_cast<char>(0xF0 | (c >> 18));
                r += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
                r += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
                r += static_cast<char>(0x80 | (c & 0x3F));
            }
        }
        return r;
    }
};

void PutInt(std::vector<uint8_t>& b, int32_t v) {
    for (int i = 0; i < 4; ++i) b.push_back(static_cast<uint8_t>((static_cast<uint32_t>(v) >> (8 * i)) & 0xFF));
}

std::u16string ToUtf16(const std::string& s) {
    std::u16string r;
    for (size_t i = 0; i < s.size();) {
        unsigned char c = static_cast<unsigned char>(s[i]);
        uint32_t cp = c;
        int extra = c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : c >= 0xC0 ? 1 : 0;
        if (extra) cp = c & (0x3F >> extra);
        for (int k = 1; k <= extra && i + static_cast<size_t>(k) < s.size(); ++k)
            cp = (cp << 6) | (static_cast<unsigned char>(s[i + static_cast<size_t>(k)]) & 0x3F);
        i += static_cast<size_t>(extra) + 1;
        if (cp >= 0x10000) {
            cp -= 0x10000;
            r.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
            r.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
        } else {
            r.push_back(static_cast<char16_t>(cp));
        }
    }
    return r;
}

void PutStr(std::vector<uint8_t>& b, const std::string& s, bool wide) {
    if (!wide) {
        size_t n = std::min<size_t>(s.size(), 255);
        b.push_back(static_cast<uint8_t>(n));
        b.insert(b.end(), s.begin(), s.begin() + static_cast<long>(n));
        return;
    }
    std::u16string u = ToUtf16(s);
    size_t n = std::min<size_t>(u.size(), 255);
    b.push_back(static_cast<uint8_t>(n));
    for (size_t i = 0; i < n; ++i) {
        b.push_back(static_cast<uint8_t>(u[i] & 0xFF));
        b.push_back(static_cast<uint8_t>(u[i] >> 8));
    }
}
}  // namespace

// ---- Columns -----------------------------------------------------------------------------------

PLAT_REGISTER_CLASS(TListColumn, TCollectionItem) {
    b.Property("Alignment", &Self::Alignment, &Self::SetAlignment).Default(taLeftJustify);
    b.Property("AutoSize", &Self::AutoSize, &Self::SetAutoSize).Default(0);
    b.Property("Caption", &Self::Caption, &Self::SetCaption);
    b.Property("ImageIndex", &Self::ImageIndex, &Self::SetImageIndex).Type(TypeImageIndex()).Default(-1);
    b.Property("MaxWidth", &Self::MaxWidth, &Self::SetMaxWidth).Type(TypeWidth()).Default(0);
    b.Property("MinWidth", &Self::MinWidth, &Self::SetMinWidth).Type(TypeWidth()).Default(0);
    b.Property("Tag", &Self::Tag, &Self::SetTag).Default(0);
    b.Property("Width", &Self::Width, &Self::SetWidth).Type(TypeWidth()).Default(50);
}

TListColumn::TListColumn(TCollection* collection) : TCollectionItem(collection) {}

TCustomListView* TListColumn::ListView() const {
    auto* c = dynamic_cast<TListColumns*>(Collection());
    return c ? c->Owner() : nullptr;
}

void TListColumn::SetAlignment(TAlignment v) {
    if (v == fAlignment) return;
    fAlignment = v;
    Changed(false);
}
void TListColumn::SetAutoSize(bool v) {
    if (v == fAutoSize) return;
    fAutoSize = v;
    Changed(true);
}
void TListColumn::SetCaption(const std::string& v) {
    if (v == fCaption) return;
    fCaption = v;
    Changed(false);
}
void TListColumn::SetImageIndex(int v) {
    if (v == fImageIndex) return;
    fImageIndex = v;
    Changed(false);
}
void TListColumn::SetMaxWidth(int v) {
    fMaxWidth = std::max(0, v);
    if (fMaxWidth > 0 && fWidth > fMaxWidth) SetWidth(fMaxWidth);
}
void TListColumn::SetMinWidth(int v) {
    fMinWidth = std::max(0, v);
    if (fWidth < fMinWidth) SetWidth(fMinWidth);
}

int TListColumn::Width() const {
    TCustomListView* lv = ListView();
    if (!fAutoSize || !lv) return fWidth;
    int fixed = 0, autos = 0;
    for (int i = 0; i < lv->Columns()->Count(); ++i) {
        TListColumn* c = lv->Columns()->Items(i);
        if (c->fAutoSize) ++autos;
        else fixed += c->fWidth;
    }
    int share = autos ? (lv->ClientWidth() - fixed) / autos : fWidth;
    share = std::max(share, fMinWidth);
    if (fMaxWidth > 0) share = std::min(share, fMaxWidth);
    return std::max(share, 0);
}

void TListColumn::SetWidth(int v) {
    TCustomListView* lv = ListView();
    if ((v == ColumnTextWidth || v == ColumnHeaderWidth) && lv) {
        int idx = Index();
        int w = lv->FitColumnWidth(idx, false);
        if (v == ColumnHeaderWidth) w = std::max(w, lv->FitColumnWidth(idx, true));
        v = w;
    }
    if (v < 0) v = 0;
    if (fMinWidth > 0 && v < fMinWidth) v = fMinWidth;
    if (fMaxWidth > 0 && v > fMaxWidth) v = fMaxWidth;
    if (v == fWidth) return;
    fWidth = v;
    Changed(false);
}

std::string TListColumn::DisplayName() const { return fCaption.empty() ? ClassName() : fCaption; }

void TListColumn::Assign(TPersistent* source) {
    auto* s = dynamic_cast<TListColumn*>(source);
    if (!s) {
        TCollectionItem::Assign(source);
        return;
    }
    fAlignment = s->fAlignment;
    fAutoSize = s->fAutoSize;
    fCaption = s->fCaption;
    fImageIndex = s->fImageIndex;
    fMaxWidth = s->fMaxWidth;
    fMinWidth = s->fMinWidth;
    fTag = s->fTag;
    fWidth = s->fWidth;
    Changed(false);
}

PLAT_REGISTER_CLASS(TListColumns, TOwnedCollection) {}

TListColumns::TListColumns(TCustomListView* owner)
    : TOwnedCollection(owner, TListColumn::StaticClass()), fListView(owner) {}

void TListColumns::Update(TCollectionItem*) {
    if (fListView) fListView->ItemsChanged();
}

// ---- Items -------------------------------------------------------------------------------------

PLAT_REGISTER_CLASS(TListItem, TCollectionItem) {
    b.Property("Caption", &Self::Caption, &Self::SetCaption);
    b.Property("Checked", &Self::Checked, &Self::SetChecked).Default(0);
    b.Property("ImageIndex", &Self::ImageIndex, &Self::SetImageIndex).Type(TypeImageIndex()).Default(-1);
    b.Property("OverlayIndex", &Self::OverlayIndex, &Self::SetOverlayIndex).Type(TypeImageIndex()).Default(-1);
    b.Property("Selected", &Self::Selected, &Self::SetSelected).NotStored();
    b.Property("StateIndex", &Self::StateIndex, &Self::SetStateIndex).Type(TypeImageIndex()).Default(-1);
    b.Property("SubItems", &Self::SubItems, &Self::SetSubItems);
}

TListItem::TListItem(TCollection* collection) : TCollectionItem(nullptr) {
    fSubItems = std::make_unique<TStringList>();
    fSubItems->OnChange = TNotifyEvent::Of<&TListItem::SubItemsChanged>(this);
    // Joined only now, so the list sees a complete item.
    SetCollection(collection);
}

TListItem::~TListItem() {
    if (TCustomListView* lv = ListView()) lv->ItemDestroying(this);
    fSubItems->OnChange.Clear();
}

TListItems* TListItem::Owner() const { return dynamic_cast<TListItems*>(Collection()); }
TCustomListView* TListItem::ListView() const {
    TListItems* o = Owner();
    return o ? o->Owner() : nullptr;
}

void TListItem::SubItemsChanged(TObject*) {
    if (TCustomListView* lv = ListView()) lv->Change(this, ctText);
}

void TListItem::SetCaption(const std::string& v) {
    if (v == fCaption) return;
    TCustomListView* lv = ListView();
    if (lv && !lv->CanChange(this, ctText)) return;
    fCaption = v;
    if (lv) {
        lv->Change(this, ctText);
        lv->SortIfNeeded();
    }
}

void TListItem::SetImageIndex(int v) {
    if (v == fImageIndex) return;
    TCustomListView* lv = ListView();
    if (lv && !lv->CanChange(this, ctImage)) return;
    fImageIndex = v;
    if (lv) lv->Change(this, ctImage);
}

void TListItem::SetStateIndex(int v) {
    if (v == fStateIndex) return;
    fStateIndex = v;
    if (TCustomListView* lv = ListView()) lv->ItemsChanged();
}

int TListItem::SubItemImages(int index) const {
    if (index < 0 || index >= fSubItems->Count()) throw EListError("List index out of bounds (" + std::to_string(index) + ")");
    return static_cast<size_t>(index) < fSubItemImages.size() ? fSubItemImages[static_cast<size_t>(index)] : -1;
}

void TListItem::SetSubItemImages(int index, int image) {
    if (index < 0 || index >= fSubItems->Count()) throw EListError("List index out of bounds (" + std::to_string(index) + ")");
    if (fSubItemImages.size() <= static_cast<size_t>(index)) fSubItemImages.resize(static_cast<size_t>(index) + 1, -1);
    fSubItemImages[static_cast<size_t>(index)] = image;
    if (TCustomListView* lv = ListView()) lv->ItemsChanged();
}

void TListItem::SetData(intptr_t v) {
    if (v == fData) return;
    fData = v;
    if (TCustomListView* lv = ListView())
        if (lv->SortType() == stData || lv->SortType() == stBoth) lv->SortIfNeeded();
}

void TListItem::SetSelected(bool v) {
    if (v == fSelected) return;
    TCustomListView* lv = ListView();
    if (lv && !lv->CanChange(this, ctState)) return;
    if (v && lv && !lv->MultiSelect())
        for (int i = 0; i < lv->Items()->Count(); ++i) {
            TListItem* o = lv->Items()->Item(i);
            if (o != this && o->fSelected) o->SetSelected(false);
        }
    fSelected = v;
    if (lv) {
        lv->Change(this, ctState);
        lv->DoSelectItem(this, v);
    }
}

bool TListItem::Focused() const {
    TCustomListView* lv = ListView();
    return lv && lv->ItemFocused() == this;
}

void TListItem::SetFocused(bool v) {
    TCustomListView* lv = ListView();
    if (!lv) return;
    if (v) lv->SetItemFocused(this);
    else if (lv->ItemFocused() == this) lv->SetItemFocused(nullptr);
}

void TListItem::SetChecked(bool v) {
    if (v == fChecked) return;
    TCustomListView* lv = ListView();
    if (lv && !lv->CanChange(this, ctState)) return;
    fChecked = v;
    if (lv) lv->Change(this, ctState);
}

TPoint TListItem::Position() const {
    TCustomListView* lv = ListView();
    if (!lv) return fPosition;
    if (lv->ViewStyle() == vsIcon || lv->ViewStyle() == vsSmallIcon) {
        if (lv->IconOptions()->AutoArrange() || !fPositionSet) return lv->GridCell(Index());
        return fPosition;
    }
    TRect r = lv->ItemRect(this);
    return {r.Left, r.Top};
}

void TListItem::SetPosition(TPoint p) {
    fPosition = p;
    fPositionSet = true;
    if (TCustomListView* lv = ListView()) lv->ItemsChanged();
}

void TListItem::Delete() {
    if (TCustomListView* lv = ListView()) lv->Delete(this);
    delete this;
}

bool TListItem::EditCaption() {
    TCustomListView* lv = ListView();
    if (!lv || lv->ReadOnly()) return false;
    if (lv->IsEditing()) lv->EndEditing(false);
    if (!lv->CanEdit(this)) return false;
    lv->fEditItem = this;
    if (!lv->fEditor) {
        lv->fEditor = CreateObject<TListViewEditor>(lv);
        lv->fEditor->SetParent(lv);
    }
    TRect r = DisplayRect(drLabel);
    lv->fEditor->SetBounds(r.Left, r.Top, std::max(r.Width(), 40), r.Height());
    lv->fEditor->SetText(fCaption);
    lv->fEditor->SelectAll();
    lv->fEditor->Show();
    if (lv->fEditor->CanFocus()) lv->fEditor->SetFocus();
    return lv->fEditItem == this;
}

void TListItem::CancelEdit() {
    TCustomListView* lv = ListView();
    if (lv && lv->EditingItem() == this) lv->EndEditing(true);
}

void TListItem::MakeVisible(bool) {
    TCustomListView* lv = ListView();
    if (!lv || (lv->ViewStyle() != vsReport && lv->ViewStyle() != vsList)) return;
    int i = Index();
    if (lv->ViewStyle() == vsReport) {
        int rows = std::max(1, lv->VisibleRowCount());
        int top = lv->TopIndex();
        if (i < top) lv->fTopIndex = i;
        else if (i >= top + rows) lv->fTopIndex = i - rows + 1;
        lv->ItemsChanged();
    } else {
        TScrollBarInfo info = lv->ScrollBarInfo(sbHorizontal);
        int col = i / lv->ListRowCount();
        int page = std::max(1, info.Page);
        if (col < info.Pos) lv->fLeftColumn = col;
        else if (col >= info.Pos + page) lv->fLeftColumn = col - page + 1;
        lv->ItemsChanged();
    }
}

void TListItem::Update() {
    if (TCustomListView* lv = ListView()) lv->ItemsChanged();
}

TRect TListItem::DisplayRect(TDisplayCode code) const {
    TCustomListView* lv = ListView();
    return lv ? lv->ItemRect(this, code) : TRect{};
}

void TListItem::Assign(TPersistent* source) {
    auto* s = dynamic_cast<TListItem*>(source);
    if (!s) {
        TCollectionItem::Assign(source);
        return;
    }
    SetCaption(s->fCaption);
    fData = s->fData;
    SetImageIndex(s->fImageIndex);
    fOverlayIndex = s->fOverlayIndex;
    fStateIndex = s->fStateIndex;
    fSubItems->Assign(s->fSubItems.get());
    fSubItemImages = s->fSubItemImages;
    fChecked = s->fChecked;
}

PLAT_REGISTER_CLASS(TListItems, TOwnedCollection) {}

TListItems::TListItems(TCustomListView* owner) : TOwnedCollection(owner, TListItem::StaticClass()), fListView(owner) {}

TListItem* TListItems::Add() {
    auto* item = static_cast<TListItem*>(TCollection::Add());
    if (fListView) fListView->InsertItem(item);
    return item;
}

TListItem* TListItems::AddItem(TListItem* item, int index) {
    TListItem* n = index < 0 ? Add() : Insert(index);
    if (item) n->Assign(item);
    return n;
}

TListItem* TListItems::Insert(int index) {
    if (index < 0 || index > Count()) throw EListError("List index out of bounds (" + std::to_string(index) + ")");
    auto* item = static_cast<TListItem*>(TCollection::Add());
    item->SetIndex(index);
    if (fListView) fListView->InsertItem(item);
    return item;
}

void TListItems::Delete(int index) { Item(index)->Delete(); }

void TListItems::Clear() {
    BeginUpdate();
    try {
        while (Count() > 0) Item(Count() - 1)->Delete();
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
}

int TListItems::IndexOf(const TListItem* item) const {
    for (int i = 0; i < Count(); ++i)
        if (Item(i) == item) return i;
    return -1;
}

void TListItems::BeginUpdate() {
    TCollection::BeginUpdate();
    if (fListView) ++fListView->fUpdateCount;
}

void TListItems::EndUpdate() {
    if (fListView && fListView->fUpdateCount > 0) --fListView->fUpdateCount;
    TCollection::EndUpdate();
    if (fListView && fListView->fUpdateCount == 0) {
        if (fListView->fSortPending) fListView->SortIfNeeded();
        fListView->ItemsChanged();
    }
}

void TListItems::Update(TCollectionItem*) {
    if (fListView) fListView->ItemsChanged();
}

bool TListItems::ReadDefinedProperty(const std::string& name, const TDfmValue& value) {
    bool wide = SameName(name, "ItemData");
    if (!wide && !SameName(name, "Data")) return TOwnedCollection::ReadDefinedProperty(name, value);
    if (value.Kind != TDfmValueKind::Binary) throw EReadError("Items." + name + ": binary data expected");
    ReadData(value.Bytes, wide);
    return true;
}

void TListItems::ReadData(const std::vector<uint8_t>& bytes, bool wide) {
    TReaderBuf r{bytes, 0, bytes.size()};
    int32_t size = r.Int();
    if (size < 8 || static_cast<size_t>(size) > bytes.size()) throw EReadError("Items.Data: invalid size");
    r.End = static_cast<size_t>(size);
    int32_t count = r.Int();
    if (count < 0) throw EReadError("Items.Data: invalid count");
    BeginUpdate();
    try {
        TCollection::Clear();
        for (int32_t i = 0; i < count; ++i) {
            int32_t image = r.Int(), state = r.Int(), overlay = r.Int(), subCount = r.Int(), data = r.Int();
            if (subCount < 0) throw EReadError("Items.Data: invalid sub-item count");
            TListItem* item = Add();
            item->fCaption = r.Str(wide);
            item->fImageIndex = image;
            item->fStateIndex = state;
            item->fOverlayIndex = overlay;
            item->fData = data;
            item->fSubItems->BeginUpdate();
            for (int32_t k = 0; k < subCount; ++k) item->fSubItems->Add(r.Str(wide));
            item->fSubItems->EndUpdate();
        }
        if (r.Pos < r.End)
            for (int i = 0; i < Count(); ++i)
                for (int k = 0; k < Item(i)->fSubItems->Count(); ++k) Item(i)->SetSubItemImages(k, r.Int());
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
}

std::vector<uint8_t> TListItems::WriteData(bool wide) const {
    std::vector<uint8_t> b;
    PutInt(b, 0);
    PutInt(b, Count());
    bool images = false;
    for (int i = 0; i < Count(); ++i) {
        TListItem* it = Item(i);
        PutInt(b, it->fImageIndex);
        PutInt(b, it->fStateIndex);
        PutInt(b, it->fOverlayIndex);
        PutInt(b, it->fSubItems->Count());
        PutInt(b, static_cast<int32_t>(it->fData));
        PutStr(b, it->fCaption, wide);
        for (int k = 0; k < it->fSubItems->Count(); ++k) PutStr(b, it->fSubItems->Get(k), wide);
        for (int img : it->fSubItemImages) images = images || img != -1;
    }
    if (images)
        for (int i = 0; i < Count(); ++i)
            for (int k = 0; k < Item(i)->fSubItems->Count(); ++k) PutInt(b, Item(i)->SubItemImages(k));
    uint32_t size = static_cast<uint32_t>(b.size());
    for (int i = 0; i < 4; ++i) b[static_cast<size_t>(i)] = static_cast<uint8_t>((size >> (8 * i)) & 0xFF);
    return b;
}

// ---- Icon options ------------------------------------------------------------------------------

PLAT_REGISTER_CLASS(TIconOptions, TPersistent) {
    b.Property("Arrangement", &Self::Arrangement, &Self::SetArrangement).Default(iaTop);
    b.Property("AutoArrange", &Self::AutoArrange, &Self::SetAutoArrange).Default(0);
    b.Property("WrapText", &Self::WrapText, &Self::SetWrapText).Default(1);
}

void TIconOptions::SetArrangement(TIconArrangement v) {
    fArrangement = v;
    if (fOwner) fOwner->ItemsChanged();
}
void TIconOptions::SetAutoArrange(bool v) {
    fAutoArrange = v;
    if (fOwner) fOwner->ItemsChanged();
}
void TIconOptions::Assign(TPersistent* source) {
    auto* s = dynamic_cast<TIconOptions*>(source);
    if (!s) {
        TPersistent::Assign(source);
        return;
    }
    fArrangement = s->fArrangement;
    fAutoArrange = s->fAutoArrange;
    fWrapText = s->fWrapText;
    if (fOwner) fOwner->ItemsChanged();
}
TPersistent* TIconOptions::GetOwner() const { return fOwner; }

// ---- The list view -------------------------------------------------------------------------------

PLAT_REGISTER_CLASS(TCustomListView, TWinControl) {
    b.Property("AllocBy", &Self::AllocBy, &Self::SetAllocBy).Default(0).Unpublished();
    b.Property("BorderStyle", &Self::BorderStyle, &Self::SetBorderStyle).Type(TypeBorderStyleLV()).Default(bsSingle).Unpublished();
    b.Property("Checkboxes", &Self::Checkboxes, &Self::SetCheckboxes).Default(0).Unpublished();
    b.Property("Columns", &Self::Columns, &Self::SetColumns).Unpublished();
    b.Property("ColumnClick", &Self::ColumnClick, &Self::SetColumnClick).Default(1).Unpublished();
    b.Property("FlatScrollBars", &Self::FlatScrollBars, &Self::SetFlatScrollBars).Default(0).Unpublished();
    b.Property("FullDrag", &Self::FullDrag, &Self::SetFullDrag).Default(0).Unpublished();
    b.Property("GridLines", &Self::GridLines, &Self::SetGridLines).Default(0).Unpublished();
    b.Property("HideSelection", &Self::HideSelection, &Self::SetHideSelection).Default(1).Unpublished();
    b.Property("HotTrack", &Self::HotTrack, &Self::SetHotTrack).Default(0).Unpublished();
    b.Property("IconOptions", &Self::IconOptions, &Self::SetIconOptions).Unpublished();
    b.Property("Items", &Self::Items, &Self::SetItems).Unpublished();
    b.Property("LargeImages", &Self::LargeImages, &Self::SetLargeImages).Unpublished();
    b.Property("MultiSelect", &Self::MultiSelect, &Self::SetMultiSelect).Default(0).Unpublished();
    b.Property("OwnerDraw", &Self::OwnerDraw, &Self::SetOwnerDraw).Default(0).Unpublished();
    b.Property("ReadOnly", &Self::ReadOnly, &Self::SetReadOnly).Default(0).Unpublished();
    b.Property("RowSelect", &Self::RowSelect, &Self::SetRowSelect).Default(0).Unpublished();
    b.Property("ShowColumnHeaders", &Self::ShowColumnHeaders, &Self::SetShowColumnHeaders).Default(1).Unpublished();
    b.Property("SmallImages", &Self::SmallImages, &Self::SetSmallImages).Unpublished();
    b.Property("SortType", &Self::SortType, &Self::SetSortType).Default(stNone).Unpublished();
    b.Property("StateImages", &Self::StateImages, &Self::SetStateImages).Unpublished();
    b.Property("ViewStyle", &Self::ViewStyle, &Self::SetViewStyle).Default(vsIcon).Unpublished();
    b.Event("OnChange", &Self::OnChange).Unpublished();
    b.Event("OnChanging", &Self::OnChanging).Unpublished();
    b.Event("OnColumnClick", &Self::OnColumnClick).Unpublished();
    b.Event("OnColumnRightClick", &Self::OnColumnRightClick).Unpublished();
    b.Event("OnCompare", &Self::OnCompare).Unpublished();
    b.Event("OnDeletion", &Self::OnDeletion).Unpublished();
    b.Event("OnDrawItem", &Self::OnDrawItem).Unpublished();
    b.Event("OnEdited", &Self::OnEdited).Unpublished();
    b.Event("OnEditing", &Self::OnEditing).Unpublished();
    b.Event("OnInfoTip", &Self::OnInfoTip).Unpublished();
    b.Event("OnInsert", &Self::OnInsert).Unpublished();
    b.Event("OnSelectItem", &Self::OnSelectItem).Unpublished();
}

PLAT_REGISTER_CLASS(TListView, TCustomListView) {
    b.Publish({"Align", "AllocBy", "Anchors", "BorderStyle", "Checkboxes", "Color", "Columns", "ColumnClick",
               "Ctl3D", "DragCursor", "DragKind", "DragMode", "Enabled", "Font", "FlatScrollBars", "FullDrag",
               "GridLines", "HideSelection", "HotTrack", "IconOptions", "Items", "LargeImages", "MultiSelect",
               "OwnerDraw", "ReadOnly", "RowSelect", "ParentColor", "ParentFont", "ParentShowHint", "PopupMenu",
               "ShowColumnHeaders", "ShowHint", "SmallImages", "SortType", "StateImages", "TabOrder", "TabStop",
               "ViewStyle", "Visible", "OnChange", "OnChanging", "OnClick", "OnColumnClick", "OnColumnRightClick",
               "OnCompare", "OnDblClick", "OnDeletion", "OnDrawItem", "OnEdited", "OnEditing", "OnEndDock",
               "OnEndDrag", "OnEnter", "OnExit", "OnDragDrop", "OnDragOver", "OnInfoTip", "OnInsert", "OnKeyDown",
               "OnKeyPress", "OnKeyUp", "OnMouseDown", "OnMouseMove", "OnMouseUp", "OnResize", "OnSelectItem",
               "OnStartDock", "OnStartDrag"});
}

TCustomListView::TCustomListView(TComponent* owner) : TWinControl(owner) {
    fColumns = std::make_unique<TListColumns>(this);
    fItems = std::make_unique<TListItems>(this);
    fIconOptions = std::make_unique<TIconOptions>(this);
    fWidth = 250;
    fHeight = 150;
    fTabStop = true;
    fColor = clWindow;
    fParentColor = false;
}

void TCustomListView::BeforeDestruction() {
    fTearingDown = true;
    TWinControl::BeforeDestruction();
}

TCustomListView::~TCustomListView() {
    fTearingDown = true;
    fEditItem = nullptr;
    fItems.reset();
    fColumns.reset();
}

void TCustomListView::ItemsChanged() {
    ++fChangeCount;
    if (fUpdateCount == 0 && !fTearingDown) Invalidate();
}

void TCustomListView::ItemDestroying(TListItem* item) {
    if (fTearingDown) return;
    if (fFocusedItem == item) fFocusedItem = nullptr;
    if (fAnchorItem == item) fAnchorItem = nullptr;
    if (fEditItem == item) {
        fEditItem = nullptr;
        if (fEditor) fEditor->Hide();
    }
}

void TCustomListView::SetViewStyle(TViewStyle v) {
    if (v == fViewStyle) return;
    if (IsEditing()) EndEditing(true);
    fViewStyle = v;
    ItemsChanged();
}

void TCustomListView::SetSortType(TSortType v) {
    if (v == fSortType) return;
    fSortType = v;
    SortIfNeeded();
}

void TCustomListView::SetMultiSelect(bool v) {
    if (v == fMultiSelect) return;
    fMultiSelect = v;
    if (!v) {
        // Only the first selected item stays selected.
        bool first = true;
        for (int i = 0; i < fItems->Count(); ++i) {
            TListItem* it = fItems->Item(i);
            if (!it->fSelected) continue;
            if (first) first = false;
            else it->fSelected = false;
        }
    }
    ItemsChanged();
}

void TCustomListView::SetRowSelect(bool v) { fRowSelect = v; ItemsChanged(); }
void TCustomListView::SetReadOnly(bool v) {
    fReadOnly = v;
    if (v && IsEditing()) EndEditing(true);
}
void TCustomListView::SetHideSelection(bool v) { fHideSelection = v; ItemsChanged(); }
void TCustomListView::SetShowColumnHeaders(bool v) { fShowColumnHeaders = v; ItemsChanged(); }
void TCustomListView::SetCheckboxes(bool v) { fCheckboxes = v; ItemsChanged(); }
void TCustomListView::SetGridLines(bool v) { fGridLines = v; ItemsChanged(); }
void TCustomListView::SetOwnerDraw(bool v) { fOwnerDraw = v; ItemsChanged(); }
void TCustomListView::SetBorderStyle(TFormBorderStyle v) {
    fBorderStyle = v == bsNone ? bsNone : bsSingle;
    Changed(TPeerChange::Style);
}

namespace {
void SwapImages(TComponent* self, TCustomImageList*& slot, TCustomImageList* v) {
    if (slot) slot->RemoveFreeNotification(self);
    slot = v;
    if (v) v->FreeNotification(self);
}
}  // namespace
void TCustomListView::SetLargeImages(TCustomImageList* v) { SwapImages(this, fLargeImages, v); ItemsChanged(); }
void TCustomListView::SetSmallImages(TCustomImageList* v) { SwapImages(this, fSmallImages, v); ItemsChanged(); }
void TCustomListView::SetStateImages(TCustomImageList* v) { SwapImages(this, fStateImages, v); ItemsChanged(); }

void TCustomListView::Notification(TComponent* component, TOperation operation) {
    TWinControl::Notification(component, operation);
    if (operation != opRemove) return;
    if (component == fLargeImages) fLargeImages = nullptr;
    if (component == fSmallImages) fSmallImages = nullptr;
    if (component == fStateImages) fStateImages = nullptr;
    if (component == fEditor) {
        fEditor = nullptr;
        fEditItem = nullptr;
    }
}

// ---- item notifications ----------------------------------------------------------------------

bool TCustomListView::CanChange(TListItem* item, TItemChange change) {
    if (IsLoading() || fTearingDown) return true;
    bool allow = true;
    OnChanging(this, item, change, allow);
    return allow;
}

void TCustomListView::Change(TListItem* item, TItemChange change) {
    ItemsChanged();
    if (IsLoading() || fTearingDown) return;
    OnChange(this, item, change);
}

void TCustomListView::DoSelectItem(TListItem* item, bool selected) {
    if (IsLoading() || fTearingDown) return;
    OnSelectItem(this, item, selected);
}

void TCustomListView::Delete(TListItem* item) {
    if (fTearingDown) return;
    OnDeletion(this, item);
}

void TCustomListView::InsertItem(TListItem* item) {
    ItemsChanged();
    if (!IsLoading()) OnInsert(this, item);
    if (fSortType == stData || fSortType == stBoth) SortIfNeeded();
}

void TCustomListView::ColClick(TListColumn* column) { OnColumnClick(this, column); }

bool TCustomListView::CanEdit(TListItem* item) {
    bool allow = true;
    OnEditing(this, item, allow);
    return allow;
}

void TCustomListView::Edit(TListItem* item, std::string& s) { OnEdited(this, item, s); }

// ---- selection ---------------------------------------------------------------------------------

TListItem* TCustomListView::Selected() const {
    for (int i = 0; i < fItems->Count(); ++i)
        if (fItems->Item(i)->fSelected) return fItems->Item(i);
    return nullptr;
}

void TCustomListView::SetSelected(TListItem* item) {
    if (item) {
        item->SetSelected(true);
        return;
    }
    ClearSelection();
}

int TCustomListView::SelCount() const {
    int n = 0;
    for (int i = 0; i < fItems->Count(); ++i) n += fItems->Item(i)->fSelected ? 1 : 0;
    return n;
}

void TCustomListView::SetItemFocused(TListItem* item) {
    if (item == fFocusedItem) return;
    fFocusedItem = item;
    ItemsChanged();
}

int TCustomListView::ItemIndex() const {
    TListItem* s = Selected();
    return s ? s->Index() : -1;
}

void TCustomListView::SetItemIndex(int index) {
    if (index < 0 || index >= fItems->Count()) {
        ClearSelection();
        return;
    }
    ClearSelection();
    fItems->Item(index)->SetSelected(true);
    SetItemFocused(fItems->Item(index));
}

void TCustomListView::ClearSelection() {
    for (int i = 0; i < fItems->Count(); ++i) fItems->Item(i)->SetSelected(false);
}

void TCustomListView::SelectAll() {
    if (!fMultiSelect) return;
    for (int i = 0; i < fItems->Count(); ++i) fItems->Item(i)->SetSelected(true);
}

void TCustomListView::DeleteSelected() {
    BeginUpdate();
    try {
        for (int i = fItems->Count() - 1; i >= 0; --i)
            if (i < fItems->Count() && fItems->Item(i)->fSelected) fItems->Item(i)->Delete();
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
}

TListItem* TCustomListView::GetNextItem(TListItem* start, TSearchDirection direction, TItemStates states) const {
    int n = fItems->Count();
    int from = start ? start->Index() : -1;
    auto matches = [&](TListItem* it) {
        if (states.Contains(isSelected) && !it->fSelected) return false;
        if (states.Contains(isFocused) && it != fFocusedItem) return false;
        if (states.Contains(isCut) && !it->fCut) return false;
        if (states.Contains(isDropHilited) && !it->fDropTarget) return false;
        return true;
    };
    bool backward = direction == sdAbove || direction == sdLeft;
    if (backward) {
        for (int i = from - 1; i >= 0; --i)
            if (matches(fItems->Item(i))) return fItems->Item(i);
    } else {
        for (int i = from + 1; i < n; ++i)
            if (matches(fItems->Item(i))) return fItems->Item(i);
    }
    return nullptr;
}

TListItem* TCustomListView::FindCaption(int startIndex, const std::string& value, bool partial, bool inclusive,
                                        bool wrap) const {
    int n = fItems->Count();
    if (n == 0) return nullptr;
    int first = inclusive ? startIndex : startIndex + 1;
    for (int k = 0; k < n; ++k) {
        int i = first + k;
        if (i >= n) {
            if (!wrap) break;
            i -= n;
        }
        if (i < 0) continue;
        const std::string& c = fItems->Item(i)->fCaption;
        bool hit = partial ? (c.size() >= value.size() && CompareText(c.substr(0, value.size()), value) == 0)
                           : CompareText(c, value) == 0;
        if (hit) return fItems->Item(i);
    }
    return nullptr;
}

TListItem* TCustomListView::FindData(int startIndex, intptr_t value, bool inclusive, bool wrap) const {
    int n = fItems->Count();
    int first = inclusive ? startIndex : startIndex + 1;
    for (int k = 0; k < n; ++k) {
        int i = first + k;
        if (i >= n) {
            if (!wrap) break;
            i -= n;
        }
        if (i >= 0 && fItems->Item(i)->fData == value) return fItems->Item(i);
    }
    return nullptr;
}

void TCustomListView::SelectRange(TListItem* from, TListItem* to) {
    int a = from ? from->Index() : 0, b = to->Index();
    if (a > b) std::swap(a, b);
    for (int i = 0; i < fItems->Count(); ++i) fItems->Item(i)->SetSelected(i >= a && i <= b);
}

// ---- sorting ---------------------------------------------------------------------------------

bool TCustomListView::SortWith(const std::function<int(TListItem*, TListItem*)>& cmp) {
    if (fSorting) return false;
    fSorting = true;
    std::vector<TListItem*> order;
    for (int i = 0; i < fItems->Count(); ++i) order.push_back(fItems->Item(i));
    try {
        std::stable_sort(order.begin(), order.end(), [&](TListItem* a, TListItem* b) { return cmp(a, b) < 0; });
    } catch (...) {
        fSorting = false;
        throw;
    }
    fItems->TCollection::BeginUpdate();
    for (size_t i = 0; i < order.size(); ++i) order[i]->SetIndex(static_cast<int>(i));
    fItems->TCollection::EndUpdate();
    fSorting = false;
    fSortPending = false;
    ItemsChanged();
    return true;
}

bool TCustomListView::AlphaSort() {
    if (fUpdateCount > 0) {
        fSortPending = true;
        return true;
    }
    return CustomSort(nullptr, 0);
}

bool TCustomListView::CustomSort(TLVCompare compare, intptr_t data) {
    if (compare) return SortWith([&](TListItem* a, TListItem* b) { return compare(a, b, data); });
    return SortWith([&](TListItem* a, TListItem* b) {
        if (OnCompare.Assigned()) {
            int r = 0;
            OnCompare(this, a, b, static_cast<int>(data), r);
            return r;
        }
        if (fSortType == stData) return a->fData < b->fData ? -1 : a->fData > b->fData ? 1 : 0;
        int r = CompareText(a->fCaption, b->fCaption);
        if (r == 0 && fSortType == stBoth) r = a->fData < b->fData ? -1 : a->fData > b->fData ? 1 : 0;
        return r;
    });
}

void TCustomListView::SortIfNeeded() {
    if (fSortType == stNone || fSorting || fTearingDown) return;
    if (fUpdateCount > 0 || IsLoading()) {
        fSortPending = true;
        return;
    }
    CustomSort(nullptr, 0);
}

void TCustomListView::Loaded() {
    TWinControl::Loaded();
    if (fSortType != stNone) CustomSort(nullptr, 0);
    ItemsChanged();
}

void TCustomListView::Resize() {
    TWinControl::Resize();
    ItemsChanged();
}

// ---- layout ---------------------------------------------------------------------------------

int TCustomListView::StringWidth(const std::string& s) const { return WidgetSet().TextWidth(*fFont, s); }

int TCustomListView::HeaderHeight() const {
    if (fViewStyle != vsReport || !fShowColumnHeaders) return 0;
    return WidgetSet().TextHeight(*fFont, "Wg") + 8;
}

int TCustomListView::RowHeight() const {
    int h = WidgetSet().TextHeight(*fFont, "Wg") + 4;
    if (fSmallImages) h = std::max(h, fSmallImages->Height() + 2);
    return h;
}

int TCustomListView::VisibleRowCount() const {
    return std::max(0, (ClientHeight() - HeaderHeight()) / std::max(1, RowHeight()));
}

int TCustomListView::FitColumnWidth(int index, bool header) const {
    if (index < 0 || index >= fColumns->Count()) return 0;
    if (header) return StringWidth(fColumns->Items(index)->Caption()) + 12;
    int w = 0;
    for (int i = 0; i < fItems->Count(); ++i) {
        TListItem* it = fItems->Item(i);
        std::string t = index == 0 ? it->fCaption : (index - 1 < it->fSubItems->Count() ? it->fSubItems->Get(index - 1) : "");
        w = std::max(w, StringWidth(t));
    }
    w += 12;
    if (index == 0 && fSmallImages) w += fSmallImages->Width() + 4;
    return w;
}

TTextSize TCustomListView::CellSize() const {
    int widest = 0;
    for (int i = 0; i < fItems->Count(); ++i) widest = std::max(widest, StringWidth(fItems->Item(i)->fCaption));
    int h = WidgetSet().TextHeight(*fFont, "Wg");
    switch (fViewStyle) {
        case vsIcon: {
            int iw = fLargeImages ? std::max(fLargeImages->Width(), 32) : 32;
            int ih = fLargeImages ? std::max(fLargeImages->Height(), 32) : 32;
            return {iw + 43, ih + 2 * h + 10};
        }
        case vsSmallIcon:
        case vsList: {
            int iw = fSmallImages ? fSmallImages->Width() : 16;
            return {iw + widest + 12, RowHeight()};
        }
        case vsReport:
        default: return {0, RowHeight()};
    }
}

TPoint TCustomListView::GridCell(int index) const {
    TTextSize cell = CellSize();
    int cw = std::max(1, cell.cx), ch = std::max(1, cell.cy);
    if (fIconOptions->Arrangement() == iaLeft) {
        int rows = std::max(1, ClientHeight() / ch);
        return {(index / rows) * cw, (index % rows) * ch};
    }
    int cols = std::max(1, ClientWidth() / cw);
    return {(index % cols) * cw, (index / cols) * ch};
}

void TCustomListView::Arrange(TListArrangement) {
    for (int i = 0; i < fItems->Count(); ++i) fItems->Item(i)->fPositionSet = false;
    ItemsChanged();
}

TRect TCustomListView::ItemRect(const TListItem* item, TDisplayCode code) const {
    int idx = item->Index();
    if (idx < 0) return {};
    int smallW = fSmallImages ? fSmallImages->Width() : 16;
    switch (fViewStyle) {
        case vsReport: {
            int r = RowHeight();
            int y = HeaderHeight() + (idx - TopIndex()) * r;
            int total = 0;
            for (int i = 0; i < fColumns->Count(); ++i) total += fColumns->Items(i)->Width();
            int col0 = fColumns->Count() ? fColumns->Items(0)->Width() : ClientWidth();
            int iconRight = 2 + (fSmallImages ? smallW + 2 : 0);
            switch (code) {
                case drIcon: return {2, y, 2 + (fSmallImages ? smallW : 0), y + r};
                case drLabel: return {iconRight, y, std::max(iconRight, col0), y + r};
                case drSelectBounds: return {fRowSelect ? 0 : iconRight, y, fRowSelect ? std::max(total, col0) : col0, y + r};
                case drBounds:
                default: return {0, y, std::max(total, col0), y + r};
            }
        }
        case vsList: {
            TTextSize cell = CellSize();
            int rows = ListRowCount();
            int x = (idx / rows - LeftColumn()) * cell.cx, y = (idx % rows) * cell.cy;
            if (code == drIcon) return {x, y, x + smallW, y + cell.cy};
            if (code == drLabel) return {x + smallW + 2, y, x + cell.cx, y + cell.cy};
            return {x, y, x + cell.cx, y + cell.cy};
        }
        case vsSmallIcon:
        case vsIcon:
        default: {
            TPoint p = item->Position();
            TTextSize cell = CellSize();
            if (fViewStyle == vsSmallIcon) {
                if (code == drIcon) return {p.X, p.Y, p.X + smallW, p.Y + cell.cy};
                if (code == drLabel) return {p.X + smallW + 2, p.Y, p.X + cell.cx, p.Y + cell.cy};
                return {p.X, p.Y, p.X + cell.cx, p.Y + cell.cy};
            }
            int ih = fLargeImages ? std::max(fLargeImages->Height(), 32) : 32;
            if (code == drIcon) return {p.X, p.Y, p.X + cell.cx, p.Y + ih + 4};
            if (code == drLabel) return {p.X, p.Y + ih + 4, p.X + cell.cx, p.Y + cell.cy};
            return {p.X, p.Y, p.X + cell.cx, p.Y + cell.cy};
        }
    }
}

TListItem* TCustomListView::GetItemAt(int x, int y) const {
    if (fViewStyle == vsReport && y < HeaderHeight()) return nullptr;
    for (int i = 0; i < fItems->Count(); ++i) {
        TListItem* it = fItems->Item(i);
        TRect r = ItemRect(it, fViewStyle == vsReport ? drSelectBounds : drBounds);
        if (fViewStyle == vsReport && !fRowSelect) r.Left = 0;
        if (r.Contains({x, y})) return it;
    }
    return nullptr;
}

int TCustomListView::ColumnAtX(int x) const {
    int left = 0;
    for (int i = 0; i < fColumns->Count(); ++i) {
        int w = fColumns->Items(i)->Width();
        if (x >= left && x < left + w) return i;
        left += w;
    }
    return -1;
}

TListItem* TCustomListView::TopItem() const {
    if (fViewStyle != vsReport && fViewStyle != vsList) return nullptr;
    int top = fViewStyle == vsList ? LeftColumn() * ListRowCount() : TopIndex();
    return top < fItems->Count() ? fItems->Item(top) : nullptr;
}

int TCustomListView::TopIndex() const {
    return std::clamp(fTopIndex, 0, std::max(0, fItems->Count() - std::max(1, VisibleRowCount())));
}

int TCustomListView::LeftColumn() const {
    int rows = ListRowCount();
    int columns = (fItems->Count() + rows - 1) / rows;
    int page = std::max(1, ClientWidth() / std::max(1, CellSize().cx));
    return std::clamp(fLeftColumn, 0, std::max(0, columns - page));
}

int TCustomListView::ListRowCount() const {
    return std::max(1, ClientHeight() / std::max(1, CellSize().cy));
}

void TCustomListView::Scroll(int dx, int dy) {
    if (fViewStyle == vsList) {
        int cols = dx / std::max(1, CellSize().cx);
        if (cols) ScrollBy(sbHorizontal, cols);
        return;
    }
    if (fViewStyle != vsReport) return;
    int rows = dy / std::max(1, RowHeight());
    if (rows) ScrollBy(sbVertical, rows);
}

TScrollBarInfo TCustomListView::ScrollBarInfo(TScrollBarKind kind) const {
    TScrollBarInfo info;
    int n = fItems->Count();
    if (fViewStyle == vsReport && kind == sbVertical) {
        info.Max = std::max(0, n - 1);
        info.Page = std::max(1, VisibleRowCount());
        info.Pos = TopIndex();
        info.Visible = n > info.Page;
    } else if (fViewStyle == vsList && kind == sbHorizontal) {
        int columns = (n + ListRowCount() - 1) / ListRowCount();
        info.Max = std::max(0, columns - 1);
        info.Page = std::max(1, ClientWidth() / std::max(1, CellSize().cx));
        info.Pos = LeftColumn();
        info.Visible = columns > info.Page;
    }
    return info;
}

bool TCustomListView::DoMouseWheel(TShiftState shift, int wheelDelta, TPoint mousePos) {
    if (TWinControl::DoMouseWheel(shift, wheelDelta, mousePos)) return true;
    if (fViewStyle != vsList || !ScrollBarInfo(sbHorizontal).Visible) return false;
    fWheelAccumulator += wheelDelta;
    int notches = fWheelAccumulator / WHEEL_DELTA;
    fWheelAccumulator -= notches * WHEEL_DELTA;
    if (notches) ScrollBy(sbHorizontal, -notches);
    return true;
}

void TCustomListView::ScrollBarMoved(TScrollBarKind kind, int pos) {
    if (fViewStyle == vsReport && kind == sbVertical) fTopIndex = pos;
    else if (fViewStyle == vsList && kind == sbHorizontal) fLeftColumn = pos;
    else return;
    ItemsChanged();
}

// ---- editing ---------------------------------------------------------------------------------

TCustomEdit* TCustomListView::EditControl() const { return fEditItem ? fEditor : nullptr; }

void TCustomListView::EndEditing(bool cancel) {
    TListItem* item = fEditItem;
    if (!item) return;
    fEditItem = nullptr;
    bool hadFocus = fEditor && fEditor->Focused();
    std::string s = fEditor ? fEditor->Text() : item->fCaption;
    if (fEditor) fEditor->Hide();
    if (hadFocus && CanFocus()) SetFocus();
    if (cancel) return;
    Edit(item, s);
    item->SetCaption(s);
}

// ---- input ---------------------------------------------------------------------------------------

void TCustomListView::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
    if (IsEditing()) EndEditing(false);
    if (fViewStyle == vsReport && y < HeaderHeight()) {
        int col = ColumnAtX(x);
        if (col >= 0 && button == mbLeft && fColumnClick) ColClick(fColumns->Items(col));
        else if (col >= 0 && button == mbRight) OnColumnRightClick(this, fColumns->Items(col), TPoint{x, y});
        TWinControl::MouseDown(button, shift, x, y);
        return;
    }
    TListItem* hit = GetItemAt(x, y);
    TComponentWatch w(this);
    if (hit) {
        if (fMultiSelect && button == mbLeft && shift.Contains(ssCtrl)) {
            hit->SetSelected(!hit->fSelected);
            fAnchorItem = hit;
        } else if (fMultiSelect && button == mbLeft && shift.Contains(ssShift)) {
            SelectRange(fAnchorItem, hit);
        } else if (!hit->fSelected || button == mbLeft) {
            if (!(button == mbRight && hit->fSelected)) {
                for (int i = 0; i < fItems->Count(); ++i)
                    if (fItems->Item(i) != hit) fItems->Item(i)->SetSelected(false);
                hit->SetSelected(true);
            }
            fAnchorItem = hit;
        }
        if (w.Target) SetItemFocused(hit);
    } else if (!shift.Contains(ssCtrl) && button == mbLeft) {
        ClearSelection();
    }
    if (w.Target) TWinControl::MouseDown(button, shift, x, y);
}

void TCustomListView::DefaultKeyDown(uint16_t key, TShiftState shift) {
    int n = fItems->Count();
    if (key == VK_F2 && shift.Empty()) {
        if (TListItem* it = fFocusedItem ? fFocusedItem : Selected()) it->EditCaption();
        return;
    }
    if (n == 0) return;
    int cur = fFocusedItem ? fFocusedItem->Index() : -1;
    int next = cur;
    switch (key) {
        case VK_UP:
        case VK_LEFT: next = std::max(0, cur - 1); break;
        case VK_DOWN:
        case VK_RIGHT: next = std::min(n - 1, cur + 1); break;
        case VK_HOME: next = 0; break;
        case VK_END: next = n - 1; break;
        case VK_PRIOR: next = std::max(0, cur - std::max(1, VisibleRowCount() - 1)); break;
        case VK_NEXT: next = std::min(n - 1, cur + std::max(1, VisibleRowCount() - 1)); break;
        case VK_SPACE:
            if (fMultiSelect && shift.Contains(ssCtrl) && fFocusedItem) fFocusedItem->SetSelected(!fFocusedItem->fSelected);
            return;
        default: return;
    }
    if (next < 0) next = 0;
    TListItem* it = fItems->Item(next);
    if (fMultiSelect && shift.Contains(ssShift)) {
        SelectRange(fAnchorItem ? fAnchorItem : it, it);
    } else if (!(fMultiSelect && shift.Contains(ssCtrl))) {
        for (int i = 0; i < n; ++i)
            if (fItems->Item(i) != it) fItems->Item(i)->SetSelected(false);
        it->SetSelected(true);
        fAnchorItem = it;
    }
    SetItemFocused(it);
    it->MakeVisible(false);
}

}  // namespace plat
