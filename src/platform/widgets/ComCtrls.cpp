#include "platform/widgets/ComCtrls.h"

#include <algorithm>

#include "platform/forms/DfmReader.h"

namespace plat {

PLAT_DEFINE_ENUM(TTabPosition, "tpTop", "tpBottom", "tpLeft", "tpRight")
PLAT_DEFINE_ENUM(TTabStyle, "tsTabs", "tsButtons", "tsFlatButtons")
PLAT_DEFINE_ENUM(TToolButtonStyle, "tbsButton", "tbsCheck", "tbsDropDown", "tbsSeparator", "tbsDivider")
PLAT_DEFINE_ENUM(TEdgeBorder, "ebLeft", "ebTop", "ebRight", "ebBottom")
PLAT_DEFINE_SET(TEdgeBorders, TEdgeBorder)
PLAT_DEFINE_ENUM(TStatusPanelStyle, "psText", "psOwnerDraw")
PLAT_DEFINE_ENUM(TStatusPanelBevel, "pbNone", "pbLowered", "pbRaised")

namespace {
const TTypeInfo* TypeBorderStyleCC() {
    static const TTypeInfo* t = MakeEnumType("TBorderStyle", {"bsNone", "bsSingle"});
    return t;
}
void SwapRef(TComponent* self, TCustomImageList*& slot, TCustomImageList* v) {
    if (slot) slot->RemoveFreeNotification(self);
    slot = v;
    if (v) v->FreeNotification(self);
}
int CompareTextCI(const std::string& a, const std::string& b) {
    size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        unsigned char x = static_cast<unsigned char>(a[i]), y = static_cast<unsigned char>(b[i]);
        if (x >= 'a' && x <= 'z') x = static_cast<unsigned char>(x - 32);
        if (y >= 'a' && y <= 'z') y = static_cast<unsigned char>(y - 32);
        if (x != y) return x < y ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}
}  // namespace

// ---- Tab control ---------------------------------------------------------------------------------

PLAT_REGISTER_CLASS(TCustomTabControl, TWinControl) {
    b.Property("HotTrack", &Self::HotTrack, &Self::SetHotTrack).Default(0).Unpublished();
    b.Property("Images", &Self::Images, &Self::SetImages).Unpublished();
    b.Property("MultiLine", &Self::MultiLine, &Self::SetMultiLine).Default(0).Unpublished();
    b.Property("OwnerDraw", &Self::OwnerDraw, &Self::SetOwnerDraw).Default(0).Unpublished();
    b.Property("RaggedRight", &Self::RaggedRight, &Self::SetRaggedRight).Default(0).Unpublished();
    b.Property("ScrollOpposite", &Self::ScrollOpposite, &Self::SetScrollOpposite).Default(0).Unpublished();
    b.Property("Style", &Self::Style, &Self::SetStyle).Default(tsTabs).Unpublished();
    b.Property("TabHeight", &Self::TabHeight, &Self::SetTabHeight).TypeName("Smallint").Default(0).Unpublished();
    b.Property("TabIndex", &Self::TabIndex, &Self::SetTabIndex).Default(-1).Unpublished();
    b.Property("TabPosition", &Self::TabPosition, &Self::SetTabPosition).Default(tpTop).Unpublished();
    b.Property("Tabs", &Self::Tabs, &Self::SetTabs).Unpublished();
    b.Property("TabWidth", &Self::TabWidth, &Self::SetTabWidth).TypeName("Smallint").Default(0).Unpublished();
    b.Event("OnChange", &Self::OnChange).Unpublished();
    b.Event("OnChanging", &Self::OnChanging).Unpublished();
    b.Event("OnDrawTab", &Self::OnDrawTab).Unpublished();
    b.Event("OnGetImageIndex", &Self::OnGetImageIndex).Unpublished();
}

PLAT_REGISTER_CLASS(TTabControl, TCustomTabControl) {
    b.Publish({"Align", "Anchors", "DragCursor", "DragKind", "DragMode", "Enabled", "Font", "HotTrack", "Images",
               "MultiLine", "OwnerDraw", "ParentFont", "ParentShowHint", "PopupMenu", "RaggedRight",
               "ScrollOpposite", "ShowHint", "Style", "TabHeight", "TabOrder", "TabPosition", "Tabs", "TabIndex",
               "TabStop", "TabWidth", "Visible", "OnChange", "OnChanging", "OnDragDrop", "OnDragOver", "OnDrawTab",
               "OnEndDock", "OnEndDrag", "OnEnter", "OnExit", "OnGetImageIndex", "OnMouseDown", "OnMouseMove",
               "OnMouseUp", "OnResize", "OnStartDock", "OnStartDrag"});
}

TCustomTabControl::TCustomTabControl(TComponent* owner) : TWinControl(owner) {
    fTabs = std::make_unique<TStringList>();
    fTabs->OnChange = TNotifyEvent::Of<&TCustomTabControl::TabsChanged>(this);
    fCanvas = std::make_unique<TCanvas>();
    fWidth = 289;
    fHeight = 193;
    fTabStop = true;
    fControlStyle.Include(csAcceptsControls);
}

TCustomTabControl::~TCustomTabControl() { fTabs->OnChange.Clear(); }

void TCustomTabControl::TabsChanged(TObject*) {
    if (fTabIndex >= fTabs->Count()) fTabIndex = fTabs->Count() - 1;
    Realign();
    Invalidate();
}

void TCustomTabControl::SetTabIndex(int v) {
    if (v < -1 || v >= fTabs->Count()) v = -1;
    if (v == fTabIndex) return;
    fTabIndex = v;
    Invalidate();
}

void TCustomTabControl::SetTabHeight(int v) {
    fTabHeight = std::max(0, v);
    Realign();
}
void TCustomTabControl::SetTabWidth(int v) {
    fTabWidth = std::max(0, v);
    Invalidate();
}
void TCustomTabControl::SetImages(TCustomImageList* v) {
    SwapRef(this, fImages, v);
    Realign();
}

void TCustomTabControl::Notification(TComponent* component, TOperation operation) {
    TWinControl::Notification(component, operation);
    if (operation == opRemove && component == fImages) fImages = nullptr;
}

int TCustomTabControl::TabsHeight() const {
    if (fTabHeight > 0) return fTabHeight;
    int h = WidgetSet().TextHeight(*fFont, "Wg") + 6;
    if (fImages) h = std::max(h, fImages->Height() + 4);
    return h;
}

TRect TCustomTabControl::TabRect(int index) const {
    if (index < 0 || index >= fTabs->Count()) return {};
    int x = 2;
    int h = TabsHeight();
    for (int i = 0; i <= index; ++i) {
        int w = fTabWidth > 0 ? fTabWidth : WidgetSet().TextWidth(*fFont, StripHotkey(fTabs->Get(i))) + 12;
        if (fTabWidth == 0 && fImages) w += fImages->Width() + 4;
        if (i == index) return {x, 2, x + w, 2 + h};
        x += w;
    }
    return {};
}

int TCustomTabControl::IndexOfTabAt(int x, int y) const {
    for (int i = 0; i < fTabs->Count(); ++i)
        if (TabRect(i).Contains({x, y})) return i;
    return -1;
}

TRect TCustomTabControl::DisplayRect() const {
    int top = fTabs->Count() > 0 ? TabsHeight() + 2 : 0;
    TRect r{4, top + 4, fWidth - 4, fHeight - 4};
    if (r.Right < r.Left) r.Right = r.Left;
    if (r.Bottom < r.Top) r.Bottom = r.Top;
    return r;
}

bool TCustomTabControl::CanChange() {
    bool allow = true;
    OnChanging(this, allow);
    return allow;
}

void TCustomTabControl::Change() { OnChange(this); }

int TCustomTabControl::GetImageIndex(int tabIndex) {
    int image = tabIndex;
    OnGetImageIndex(this, tabIndex, image);
    return image;
}

void TCustomTabControl::DrawTab(int tabIndex, const TRect& rect, bool active) {
    if (OnDrawTab.Assigned()) {
        OnDrawTab(this, tabIndex, rect, active);
        return;
    }
    TCanvas* c = Canvas();
    if (!c || !c->HasEngine()) return;
    c->Brush()->SetColor(clBtnFace);
    c->FillRect(rect);
    TRect r = rect;
    c->Font()->Assign(fFont.get());
    c->Brush()->SetStyle(bsClear);
    c->DrawText(fTabs->Get(tabIndex), r, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    c->Brush()->SetStyle(bsSolid);
}

void TCustomTabControl::PaintTabs(TCanvas* canvas) {
    fPaintCanvas = canvas;
    try {
        for (int i = 0; i < fTabs->Count(); ++i) DrawTab(i, TabRect(i), i == fTabIndex);
    } catch (...) {
        fPaintCanvas = nullptr;
        throw;
    }
    fPaintCanvas = nullptr;
}

bool TCustomTabControl::SelectTab(int index) {
    if (index < 0 || index >= fTabs->Count() || index == fTabIndex) return false;
    if (!CanChange()) return false;
    SetTabIndex(index);
    Change();
    return true;
}

void TCustomTabControl::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
    TComponentWatch w(this);
    if (button == mbLeft) {
        int i = IndexOfTabAt(x, y);
        if (i >= 0) SelectTab(i);
    }
    if (w.Target) TWinControl::MouseDown(button, shift, x, y);
}

// ---- Tab sheets and the page control -------------------------------------------------------------

PLAT_REGISTER_CLASS(TTabSheet, TWinControl) {
    b.Property("Highlighted", &Self::Highlighted, &Self::SetHighlighted).Default(0);
    b.Property("ImageIndex", &Self::ImageIndex, &Self::SetImageIndex).Type(TypeImageIndex()).Default(0);
    b.Property("PageControl", &Self::PageControl, &Self::SetPageControl).NotStored();
    b.Property("PageIndex", &Self::PageIndex, &Self::SetPageIndex).NotStored();
    b.Property("TabVisible", &Self::TabVisible, &Self::SetTabVisible).Default(1);
    b.Event("OnHide", &Self::OnHide);
    b.Event("OnShow", &Self::OnShow);
    b.Publish({"Caption", "DragMode", "Enabled", "Font", "Height", "Left", "ParentFont",
               "ParentShowHint", "PopupMenu", "ShowHint", "Top", "Visible", "Width", "OnDragDrop", "OnDragOver", "OnEndDrag", "OnEnter", "OnExit", "OnMouseDown", "OnMouseMove",
               "OnMouseUp", "OnResize", "OnStartDrag"});
}

TTabSheet::TTabSheet(TComponent* owner) : TWinControl(owner) {
    fAlign = alClient;
    fVisible = false;
    fControlStyle.Include(csAcceptsControls);
}

void TTabSheet::BeforeDestruction() {
    if (fPageControl) fPageControl->RemovePage(this);
    TWinControl::BeforeDestruction();
}

void TTabSheet::SetParent(TWinControl* parent) {
    if (fSettingParent) {
        TWinControl::SetParent(parent);
        return;
    }
    fSettingParent = true;
    try {
        if (fPageControl && fPageControl != parent) fPageControl->RemovePage(this);
        TWinControl::SetParent(parent);
        if (auto* pc = dynamic_cast<TPageControl*>(parent); pc && fPageControl != pc) pc->InsertPage(this);
    } catch (...) {
        fSettingParent = false;
        throw;
    }
    fSettingParent = false;
}

void TTabSheet::SetPageControl(TPageControl* v) {
    if (v == fPageControl) return;
    SetParent(v);
}

int TTabSheet::PageIndex() const {
    if (!fPageControl) return -1;
    auto& p = fPageControl->fPages;
    return static_cast<int>(std::find(p.begin(), p.end(), this) - p.begin());
}

void TTabSheet::SetPageIndex(int v) {
    if (!fPageControl) return;
    auto& p = fPageControl->fPages;
    int cur = PageIndex();
    v = std::clamp(v, 0, static_cast<int>(p.size()) - 1);
    if (v == cur) return;
    p.erase(p.begin() + cur);
    p.insert(p.begin() + v, this);
    fPageControl->UpdateTabs();
}

int TTabSheet::TabIndex() const {
    if (!fPageControl || !fTabVisible) return -1;
    int n = 0;
    for (TTabSheet* s : fPageControl->fPages) {
        if (s == this) return n;
        if (s->fTabVisible) ++n;
    }
    return -1;
}

void TTabSheet::SetTabVisible(bool v) {
    if (v == fTabVisible) return;
    fTabVisible = v;
    if (fPageControl) fPageControl->UpdateTabs();
}

void TTabSheet::SetImageIndex(int v) {
    fImageIndex = v;
    if (fPageControl) fPageControl->Invalidate();
}

void TTabSheet::TextChanged() {
    if (fPageControl) fPageControl->UpdateTabs();
}

void TTabSheet::DoShow() {
    if (!IsLoading()) OnShow(this);
}
void TTabSheet::DoHide() {
    if (!IsLoading()) OnHide(this);
}

PLAT_REGISTER_CLASS(TPageControl, TCustomTabControl) {
    b.Property("ActivePage", &Self::ActivePage, &Self::SetActivePage);
    b.Property("ActivePageIndex", &Self::ActivePageIndex, &Self::SetActivePageIndex).NotStored().Unpublished();
    b.Publish({"Align", "Anchors", "DragCursor", "DragKind", "DragMode", "Enabled", "Font", "HotTrack", "Images",
               "MultiLine", "OwnerDraw", "ParentFont", "ParentShowHint", "PopupMenu", "RaggedRight",
               "ScrollOpposite", "ShowHint", "Style", "TabHeight", "TabOrder", "TabPosition", "TabStop",
               "TabWidth", "Visible", "OnChange", "OnChanging", "OnDragDrop", "OnDragOver", "OnDrawTab",
               "OnEndDock", "OnEndDrag", "OnEnter", "OnExit", "OnGetImageIndex", "OnMouseDown", "OnMouseMove",
               "OnMouseUp", "OnResize", "OnStartDock", "OnStartDrag"});
}

TPageControl::TPageControl(TComponent* owner) : TCustomTabControl(owner) {}

void TPageControl::BeforeDestruction() {
    for (TTabSheet* s : fPages) s->fPageControl = nullptr;
    fPages.clear();
    fActivePage = nullptr;
    TCustomTabControl::BeforeDestruction();
}

TTabSheet* TPageControl::Pages(int index) const {
    if (index < 0 || index >= PageCount()) throw EListError("List index out of bounds (" + std::to_string(index) + ")");
    return fPages[static_cast<size_t>(index)];
}

void TPageControl::InsertPage(TTabSheet* page) {
    fPages.push_back(page);
    page->fPageControl = this;
    page->FreeNotification(this);
    UpdateTabs();
    if (!fActivePage && !IsLoading()) SetActivePage(page);
    else if (page != fActivePage) page->fVisible = false;
}

void TPageControl::RemovePage(TTabSheet* page) {
    auto it = std::find(fPages.begin(), fPages.end(), page);
    if (it == fPages.end()) return;
    TTabSheet* next = nullptr;
    if (page == fActivePage) {
        next = FindNextPage(page, true, false);
        if (next == page) next = nullptr;
    }
    fPages.erase(it);
    page->fPageControl = nullptr;
    if (page == fActivePage) {
        fActivePage = nullptr;
        if (!IsDestroying()) SetActivePage(next);
    }
    if (!IsDestroying()) UpdateTabs();
}

void TPageControl::Notification(TComponent* component, TOperation operation) {
    TCustomTabControl::Notification(component, operation);
    if (operation == opRemove)
        if (auto* s = dynamic_cast<TTabSheet*>(component)) RemovePage(s);
}

void TPageControl::UpdateTabs() {
    if (fUpdatingTabs) return;
    fUpdatingTabs = true;
    fTabs->BeginUpdate();
    fTabs->Clear();
    for (TTabSheet* s : fPages)
        if (s->fTabVisible) fTabs->Add(s->Caption());
    fTabs->EndUpdate();
    fTabIndex = fActivePage ? fActivePage->TabIndex() : -1;
    fUpdatingTabs = false;
    Invalidate();
}

void TPageControl::SetActivePage(TTabSheet* page) {
    if (page && page->fPageControl != this) return;
    if (page == fActivePage) return;
    TTabSheet* old = fActivePage;
    fActivePage = page;
    if (page) {
        TRect r = DisplayRect();
        page->SetBounds(r.Left, r.Top, r.Width(), r.Height());
        page->SetVisible(true);
        page->BringToFront();
    }
    if (old && old->fPageControl == this) {
        old->SetVisible(false);
        old->DoHide();
    }
    fTabIndex = page ? page->TabIndex() : -1;
    if (page) page->DoShow();
    Invalidate();
}

int TPageControl::ActivePageIndex() const { return fActivePage ? fActivePage->PageIndex() : -1; }

void TPageControl::SetActivePageIndex(int v) {
    if (v >= 0 && v < PageCount()) SetActivePage(fPages[static_cast<size_t>(v)]);
    else SetActivePage(nullptr);
}

void TPageControl::SetTabIndex(int v) {
    for (TTabSheet* s : fPages)
        if (s->TabIndex() == v && v >= 0) {
            SetActivePage(s);
            return;
        }
}

void TPageControl::Change() {
    // The tab the user picked is already in fTabIndex; bring its page up.
    TCustomTabControl::Change();
}

TTabSheet* TPageControl::FindNextPage(TTabSheet* current, bool goForward, bool checkTabVisible) const {
    int n = PageCount();
    if (n == 0) return nullptr;
    int start = current ? current->PageIndex() : -1;
    if (start < 0) start = goForward ? n - 1 : 0;
    int i = start;
    for (int k = 0; k < n; ++k) {
        i = goForward ? (i + 1) % n : (i - 1 + n) % n;
        TTabSheet* s = fPages[static_cast<size_t>(i)];
        if (!checkTabVisible || s->fTabVisible) return s;
    }
    return nullptr;
}

void TPageControl::SelectNextPage(bool goForward, bool checkTabVisible) {
    TTabSheet* page = FindNextPage(fActivePage, goForward, checkTabVisible);
    if (page && page != fActivePage && CanChange()) {
        SetActivePage(page);
        Change();
    }
}

void TPageControl::AlignControls(TRect& rect) {
    rect = DisplayRect();
    for (TTabSheet* s : fPages)
        if (s->Parent() == this) s->SetBounds(rect.Left, rect.Top, rect.Width(), rect.Height());
}

void TPageControl::Loaded() {
    TCustomTabControl::Loaded();
    UpdateTabs();
    for (TTabSheet* s : fPages) s->fVisible = s == fActivePage;
    Realign();
}

// ---- Tool bar ------------------------------------------------------------------------------------

PLAT_REGISTER_CLASS(TToolButton, TGraphicControl) {
    b.Property("AllowAllUp", &Self::AllowAllUp, &Self::SetAllowAllUp).Default(0);
    b.Property("AutoSize", &Self::AutoSize, &Self::SetAutoSize).Default(0);
    b.Property("Down", &Self::Down, &Self::SetDown).Default(0);
    b.Property("DropdownMenu", &Self::DropdownMenu, &Self::SetDropdownMenu);
    b.Property("Grouped", &Self::Grouped, &Self::SetGrouped).Default(0);
    b.Property("ImageIndex", &Self::ImageIndex, &Self::SetImageIndex).Type(TypeImageIndex()).Default(-1);
    b.Property("Indeterminate", &Self::Indeterminate, &Self::SetIndeterminate).Default(0);
    b.Property("Marked", &Self::Marked, &Self::SetMarked).Default(0);
    b.Property("MenuItem", &Self::MenuItem, &Self::SetMenuItem);
    b.Property("Style", &Self::Style, &Self::SetStyle).Default(tbsButton);
    b.Property("Wrap", &Self::Wrap, &Self::SetWrap).Default(0);
    b.Publish({"Caption", "DragCursor", "DragKind", "DragMode", "Enabled", "Height", "Hint", "Left", "ParentShowHint",
               "PopupMenu", "ShowHint", "Top", "Visible", "Width", "OnClick", "OnDragDrop", "OnDragOver",
               "OnEndDock", "OnEndDrag", "OnMouseDown", "OnMouseMove", "OnMouseUp", "OnStartDock", "OnStartDrag"});
}

TToolButton::TToolButton(TComponent* owner) : TGraphicControl(owner) {
    fWidth = 23;
    fHeight = 22;
}

TToolBar* TToolButton::ToolBar() const { return dynamic_cast<TToolBar*>(fParent); }

int TToolButton::Index() const {
    TToolBar* tb = ToolBar();
    if (!tb) return -1;
    for (int i = 0; i < tb->ButtonCount(); ++i)
        if (tb->Buttons(i) == this) return i;
    return -1;
}

void TToolButton::SetParent(TWinControl* parent) {
    TToolBar* old = ToolBar();
    TGraphicControl::SetParent(parent);
    if (old && old != parent) old->ArrangeButtons();
    if (TToolBar* tb = ToolBar()) tb->ArrangeButtons();
}

void TToolButton::SetStyle(TToolButtonStyle v) {
    if (v == fStyle) return;
    fStyle = v;
    if (TToolBar* tb = ToolBar()) tb->ArrangeButtons();
    Invalidate();
}

void TToolButton::SetImageIndex(int v) {
    if (v == fImageIndex) return;
    fImageIndex = v;
    Invalidate();
}

void TToolButton::SetDown(bool v) {
    if (v == fDown) return;
    if (!v && fGrouped && !fAllowAllUp && fStyle == tbsCheck && !IsLoading()) return;  // the group keeps one down
    fDown = v;
    if (v && fGrouped)
        if (TToolBar* tb = ToolBar()) {
            // The group: adjacent grouped check buttons.
            int i = Index();
            for (int k = i - 1; k >= 0 && tb->Buttons(k)->fGrouped && tb->Buttons(k)->fStyle == tbsCheck; --k)
                tb->Buttons(k)->fDown = false;
            for (int k = i + 1; k < tb->ButtonCount() && tb->Buttons(k)->fGrouped && tb->Buttons(k)->fStyle == tbsCheck; ++k)
                tb->Buttons(k)->fDown = false;
        }
    Invalidate();
}

void TToolButton::SetWrap(bool v) {
    fWrap = v;
    if (TToolBar* tb = ToolBar()) tb->ArrangeButtons();
}

void TToolButton::SetAutoSize(bool v) {
    fAutoSize = v;
    if (TToolBar* tb = ToolBar()) tb->ArrangeButtons();
}

void TToolButton::SetDropdownMenu(TPopupMenu* v) {
    if (v == fDropdownMenu) return;
    if (fDropdownMenu) fDropdownMenu->RemoveFreeNotification(this);
    fDropdownMenu = v;
    if (v) v->FreeNotification(this);
}

void TToolButton::SetMenuItem(TMenuItem* v) {
    if (v == fMenuItem) return;
    if (fMenuItem) fMenuItem->RemoveFreeNotification(this);
    fMenuItem = v;
    if (v) {
        v->FreeNotification(this);
        if (!IsLoading()) {
            SetCaption(v->Caption());
            SetHint(v->Hint());
            fImageIndex = v->ImageIndex();
        }
    }
}

void TToolButton::Notification(TComponent* component, TOperation operation) {
    TGraphicControl::Notification(component, operation);
    if (operation != opRemove) return;
    if (component == fDropdownMenu) fDropdownMenu = nullptr;
    if (component == fMenuItem) fMenuItem = nullptr;
}

void TToolButton::TextChanged() {
    if (TToolBar* tb = ToolBar())
        if (tb->ShowCaptions()) tb->ArrangeButtons();
}

void TToolButton::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
    fArrowPressed = button == mbLeft && fStyle == tbsDropDown && x >= fWidth - 12;
    Invalidate();  // the pressed look
    TGraphicControl::MouseDown(button, shift, x, y);
}

void TToolButton::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
    // A release outside the button clicks nothing; the arrow is up again either way.
    fArrowPressed = false;
    Invalidate();
    TGraphicControl::MouseUp(button, shift, x, y);
}

bool TToolButton::CheckMenuDropdown() {
    if (!fDropdownMenu || !Enabled()) return false;
    fDropdownMenu->SetPopupComponent(this);
    TPoint p = ClientToScreen({0, fHeight});
    fDropdownMenu->Popup(p.X, p.Y);
    return true;
}

void TToolButton::Click() {
    if (!Enabled()) return;
    if (fArrowPressed) {
        fArrowPressed = false;
        CheckMenuDropdown();
        return;
    }
    if (fStyle == tbsCheck) {
        if (fDown) {
            if (!fGrouped || fAllowAllUp) SetDown(false);
        } else {
            SetDown(true);
        }
    }
    TComponentWatch w(this);
    if (fMenuItem) fMenuItem->Click();
    if (w.Target) TGraphicControl::Click();
}

PLAT_REGISTER_CLASS(TToolBar, TWinControl) {
    b.Property("AutoSize", &Self::AutoSize, &Self::SetAutoSize).Default(0);
    b.Property("ButtonHeight", &Self::ButtonHeight, &Self::SetButtonHeight).Default(22);
    b.Property("ButtonWidth", &Self::ButtonWidth, &Self::SetButtonWidth).Default(23);
    b.Property("DisabledImages", &Self::DisabledImages, &Self::SetDisabledImages);
    b.Property("EdgeBorders", &Self::EdgeBorders, &Self::SetEdgeBorders);
    b.Property("Flat", &Self::Flat, &Self::SetFlat).Default(0);
    b.Property("HotImages", &Self::HotImages, &Self::SetHotImages);
    b.Property("Images", &Self::Images, &Self::SetImages);
    b.Property("Indent", &Self::Indent, &Self::SetIndent).Default(0);
    b.Property("List", &Self::List, &Self::SetList).Default(0);
    b.Property("ShowCaptions", &Self::ShowCaptions, &Self::SetShowCaptions).Default(0);
    b.Property("Transparent", &Self::Transparent, &Self::SetTransparent).Default(0);
    b.Property("Wrapable", &Self::Wrapable, &Self::SetWrapable).Default(1);
    b.Publish({"Align", "Anchors", "Caption", "Color", "Ctl3D", "DragCursor", "DragKind", "DragMode", "Enabled",
               "Font", "Height", "ParentColor", "ParentFont", "ParentShowHint", "PopupMenu", "ShowHint", "TabOrder",
               "TabStop", "Visible", "OnClick", "OnDblClick", "OnDockDrop", "OnDockOver", "OnDragDrop", "OnDragOver",
               "OnEndDock", "OnEndDrag", "OnEnter", "OnExit", "OnGetSiteInfo", "OnMouseDown", "OnMouseMove",
               "OnMouseUp", "OnResize", "OnStartDock", "OnStartDrag", "OnUnDock"});
}

TToolBar::TToolBar(TComponent* owner) : TWinControl(owner) {
    fAlign = alTop;
    fWidth = 150;
    fHeight = 29;
    fColor = clBtnFace;
    fParentColor = false;
    fControlStyle.Include(csAcceptsControls);
}

int TToolBar::ButtonCount() const {
    int n = 0;
    for (TControl* c : fControls) n += dynamic_cast<TToolButton*>(c) ? 1 : 0;
    return n;
}

TToolButton* TToolBar::Buttons(int index) const {
    int n = 0;
    for (TControl* c : fControls)
        if (auto* b = dynamic_cast<TToolButton*>(c)) {
            if (n == index) return b;
            ++n;
        }
    throw EListError("List index out of bounds (" + std::to_string(index) + ")");
}

void TToolBar::SetButtonHeight(int v) { fButtonHeight = std::max(1, v); ArrangeButtons(); }
void TToolBar::SetButtonWidth(int v) { fButtonWidth = std::max(1, v); ArrangeButtons(); }
void TToolBar::SetShowCaptions(bool v) { fShowCaptions = v; ArrangeButtons(); }
void TToolBar::SetWrapable(bool v) { fWrapable = v; ArrangeButtons(); }
void TToolBar::SetAutoSize(bool v) { fAutoSize = v; ArrangeButtons(); }
void TToolBar::SetIndent(int v) { fIndent = std::max(0, v); ArrangeButtons(); }
void TToolBar::SetImages(TCustomImageList* v) { SwapRef(this, fImages, v); Invalidate(); }
void TToolBar::SetDisabledImages(TCustomImageList* v) { SwapRef(this, fDisabledImages, v); Invalidate(); }
void TToolBar::SetHotImages(TCustomImageList* v) { SwapRef(this, fHotImages, v); Invalidate(); }

void TToolBar::Notification(TComponent* component, TOperation operation) {
    TWinControl::Notification(component, operation);
    if (operation != opRemove) return;
    if (component == fImages) fImages = nullptr;
    if (component == fDisabledImages) fDisabledImages = nullptr;
    if (component == fHotImages) fHotImages = nullptr;
}

void TToolBar::ArrangeButtons() {
    if (fArranging || IsLoading()) return;
    fArranging = true;
    int x = fIndent, y = 0;
    int limit = ClientWidth();
    int bottom = 0;
    for (int i = 0; i < ButtonCount(); ++i) {
        TToolButton* b = Buttons(i);
        if (!b->Visible()) continue;
        int w = fButtonWidth;
        if (b->Style() == tbsSeparator || b->Style() == tbsDivider) w = 8;
        else if (fShowCaptions) w = std::max(w, WidgetSet().TextWidth(*fFont, StripHotkey(b->Caption())) + 8);
        if (b->Style() == tbsDropDown) w += 14;
        if (fWrapable && x > fIndent && x + w > limit) {
            x = fIndent;
            y += fButtonHeight;
        }
        b->SetBounds(x, y, w, fButtonHeight);
        bottom = std::max(bottom, y + fButtonHeight);
        x += w;
        if (b->Wrap()) {
            x = fIndent;
            y += fButtonHeight;
        }
    }
    fArranging = false;
    if (fAutoSize && bottom > 0) SetHeight(bottom + 2);
}

void TToolBar::Loaded() {
    TWinControl::Loaded();
    ArrangeButtons();
}

void TToolBar::Resize() {
    TWinControl::Resize();
    ArrangeButtons();
}

// ---- Status bar ----------------------------------------------------------------------------------

PLAT_REGISTER_CLASS(TStatusPanel, TCollectionItem) {
    b.Property("Alignment", &Self::Alignment, &Self::SetAlignment).Default(taLeftJustify);
    b.Property("Bevel", &Self::Bevel, &Self::SetBevel).Default(pbLowered);
    b.Property("Style", &Self::Style, &Self::SetStyle).Default(psText);
    b.Property("Text", &Self::Text, &Self::SetText);
    b.Property("Width", &Self::Width, &Self::SetWidth);
}

TStatusPanel::TStatusPanel(TCollection* collection) : TCollectionItem(collection) {}
void TStatusPanel::SetAlignment(TAlignment v) { fAlignment = v; Changed(false); }
void TStatusPanel::SetBevel(TStatusPanelBevel v) { fBevel = v; Changed(false); }
void TStatusPanel::SetStyle(TStatusPanelStyle v) { fStyle = v; Changed(false); }
void TStatusPanel::SetText(const std::string& v) {
    if (v == fText) return;
    fText = v;
    Changed(false);
}
void TStatusPanel::SetWidth(int v) {
    fWidth = v;
    Changed(true);
}
void TStatusPanel::Assign(TPersistent* source) {
    auto* s = dynamic_cast<TStatusPanel*>(source);
    if (!s) {
        TCollectionItem::Assign(source);
        return;
    }
    fAlignment = s->fAlignment;
    fBevel = s->fBevel;
    fStyle = s->fStyle;
    fText = s->fText;
    fWidth = s->fWidth;
    Changed(false);
}

PLAT_REGISTER_CLASS(TStatusPanels, TOwnedCollection) {}
TStatusPanels::TStatusPanels(TStatusBar* owner) : TOwnedCollection(owner, TStatusPanel::StaticClass()), fStatusBar(owner) {}
void TStatusPanels::Update(TCollectionItem*) {
    if (fStatusBar) fStatusBar->PanelsChanged();
}

PLAT_REGISTER_CLASS(TStatusBar, TWinControl) {
    b.Property("AutoHint", &Self::AutoHint, &Self::SetAutoHint).Default(0);
    b.Property("Panels", &Self::Panels, &Self::SetPanels);
    b.Property("SimplePanel", &Self::SimplePanel, &Self::SetSimplePanel).Default(0);
    b.Property("SimpleText", &Self::SimpleText, &Self::SetSimpleText);
    b.Property("SizeGrip", &Self::SizeGrip, &Self::SetSizeGrip).Default(1);
    b.Event("OnDrawPanel", &Self::OnDrawPanel);
    b.Event("OnHint", &Self::OnHint);
    b.Publish({"Align", "Anchors", "Color", "DragCursor", "DragKind", "DragMode", "Enabled", "Font", "ParentColor",
               "ParentFont", "ParentShowHint", "PopupMenu", "ShowHint", "Visible", "OnClick", "OnDblClick",
               "OnDragDrop", "OnDragOver", "OnEndDock", "OnEndDrag", "OnMouseDown", "OnMouseMove", "OnMouseUp",
               "OnResize", "OnStartDock", "OnStartDrag"});
}

TStatusBar::TStatusBar(TComponent* owner) : TWinControl(owner) {
    fPanels = std::make_unique<TStatusPanels>(this);
    fAlign = alBottom;
    fWidth = 200;
    fHeight = 19;
    fColor = clBtnFace;
    fParentColor = false;
}

TStatusBar::~TStatusBar() { fPanels.reset(); }

void TStatusBar::PanelsChanged() {
    ++fChangeCount;
    Invalidate();
}
void TStatusBar::SetSimplePanel(bool v) { fSimplePanel = v; PanelsChanged(); }
void TStatusBar::SetSimpleText(const std::string& v) { fSimpleText = v; PanelsChanged(); }

TRect TStatusBar::PanelRect(int index) const {
    if (index < 0 || index >= fPanels->Count()) return {};
    int x = 0;
    for (int i = 0; i < index; ++i) x += fPanels->Items(i)->Width();
    int right = index == fPanels->Count() - 1 ? std::max(x, ClientWidth()) : x + fPanels->Items(index)->Width();
    return {x, 2, right, ClientHeight()};
}

void TStatusBar::PaintPanels(TCanvas* canvas) {
    fPaintCanvas = canvas;
    try {
        for (int i = 0; i < fPanels->Count(); ++i)
            if (fPanels->Items(i)->Style() == psOwnerDraw) OnDrawPanel(this, fPanels->Items(i), PanelRect(i));
    } catch (...) {
        fPaintCanvas = nullptr;
        throw;
    }
    fPaintCanvas = nullptr;
}

// ---- Tree view -------------------------------------------------------------------------------------

using TTreeEditor = TInPlaceCaptionEditor<TCustomTreeView>;

PLAT_REGISTER_CLASS(TTreeNode, TCollectionItem) {
    b.Property("ImageIndex", &Self::ImageIndex, &Self::SetImageIndex).Type(TypeImageIndex()).Default(-1);
    b.Property("SelectedIndex", &Self::SelectedIndex, &Self::SetSelectedIndex).Default(-1);
    b.Property("StateIndex", &Self::StateIndex, &Self::SetStateIndex).Default(-1);
    b.Property("Text", &Self::Text, &Self::SetText);
}

TTreeNode::TTreeNode(TCollection* collection) : TCollectionItem(collection) {}

TTreeNode::~TTreeNode() {
    if (TCustomTreeView* tv = TreeView()) tv->NodeDestroying(this);
    if (fParent) {
        auto& c = fParent->fChildren;
        c.erase(std::remove(c.begin(), c.end(), this), c.end());
    }
    for (TTreeNode* ch : fChildren) ch->fParent = nullptr;
}

TTreeNodes* TTreeNode::Owner() const { return dynamic_cast<TTreeNodes*>(Collection()); }
TCustomTreeView* TTreeNode::TreeView() const {
    TTreeNodes* o = Owner();
    return o ? o->Owner() : nullptr;
}

void TTreeNode::SetText(const std::string& v) {
    if (v == fText) return;
    fText = v;
    if (TCustomTreeView* tv = TreeView()) {
        tv->NodesChanged();
        if (tv->SortType() == stText || tv->SortType() == stBoth) tv->AlphaSort();
    }
}
void TTreeNode::SetImageIndex(int v) { fImageIndex = v; if (auto* tv = TreeView()) tv->NodesChanged(); }
void TTreeNode::SetSelectedIndex(int v) { fSelectedIndex = v; if (auto* tv = TreeView()) tv->NodesChanged(); }
void TTreeNode::SetStateIndex(int v) { fStateIndex = v; if (auto* tv = TreeView()) tv->NodesChanged(); }

TTreeNode* TTreeNode::Item(int index) const {
    if (index < 0 || index >= Count()) throw EListError("List index out of bounds (" + std::to_string(index) + ")");
    return fChildren[static_cast<size_t>(index)];
}

int TTreeNode::Level() const {
    int l = 0;
    for (TTreeNode* p = fParent; p; p = p->fParent) ++l;
    return l;
}

namespace {
std::vector<TTreeNode*> Siblings(const TTreeNode* n) {
    if (n->Parent()) {
        std::vector<TTreeNode*> v;
        for (int i = 0; i < n->Parent()->Count(); ++i) v.push_back(n->Parent()->Item(i));
        return v;
    }
    std::vector<TTreeNode*> v;
    if (TTreeNodes* o = n->Owner())
        for (int i = 0; i < o->Count(); ++i)
            if (!o->Item(i)->Parent()) v.push_back(o->Item(i));
    return v;
}
}  // namespace

int TTreeNode::SiblingIndex() const {
    auto s = Siblings(this);
    auto it = std::find(s.begin(), s.end(), this);
    return it == s.end() ? -1 : static_cast<int>(it - s.begin());
}

TTreeNode* TTreeNode::GetNextSibling() const {
    auto s = Siblings(this);
    int i = SiblingIndex();
    return i >= 0 && i + 1 < static_cast<int>(s.size()) ? s[static_cast<size_t>(i) + 1] : nullptr;
}

TTreeNode* TTreeNode::GetPrevSibling() const {
    auto s = Siblings(this);
    int i = SiblingIndex();
    return i > 0 ? s[static_cast<size_t>(i) - 1] : nullptr;
}

TTreeNode* TTreeNode::GetNext() const {
    TTreeNodes* o = Owner();
    int i = Index();
    return o && i + 1 < o->Count() ? o->Item(i + 1) : nullptr;
}

TTreeNode* TTreeNode::GetPrev() const {
    TTreeNodes* o = Owner();
    int i = Index();
    return o && i > 0 ? o->Item(i - 1) : nullptr;
}

bool TTreeNode::IsVisible() const {
    for (TTreeNode* p = fParent; p; p = p->fParent)
        if (!p->fExpanded) return false;
    return true;
}

bool TTreeNode::HasAsParent(const TTreeNode* node) const {
    for (TTreeNode* p = fParent; p; p = p->fParent)
        if (p == node) return true;
    return false;
}

void TTreeNode::SetExpanded(bool v) {
    if (v == fExpanded) return;
    TCustomTreeView* tv = TreeView();
    bool allow = true;
    if (tv && !tv->IsLoading()) {
        if (v) tv->OnExpanding(tv, this, allow);
        else tv->OnCollapsing(tv, this, allow);
    }
    if (!allow) return;
    fExpanded = v;
    if (tv) {
        if (!v && tv->fSelected && tv->fSelected->HasAsParent(this)) tv->SetSelected(this);
        tv->NodesChanged();
        if (!tv->IsLoading()) {
            if (v) tv->OnExpanded(tv, this);
            else tv->OnCollapsed(tv, this);
        }
    }
}

void TTreeNode::Expand(bool recurse) {
    SetExpanded(true);
    if (recurse)
        for (TTreeNode* c : std::vector<TTreeNode*>(fChildren)) c->Expand(true);
}

void TTreeNode::Collapse(bool recurse) {
    SetExpanded(false);
    if (recurse)
        for (TTreeNode* c : std::vector<TTreeNode*>(fChildren)) c->Collapse(true);
}

void TTreeNode::MakeVisible() {
    for (TTreeNode* p = fParent; p; p = p->fParent) p->SetExpanded(true);
}

bool TTreeNode::Selected() const {
    TCustomTreeView* tv = TreeView();
    return tv && tv->Selected() == this;
}

void TTreeNode::SetSelected(bool v) {
    TCustomTreeView* tv = TreeView();
    if (!tv) return;
    if (v) tv->SetSelected(this);
    else if (tv->Selected() == this) tv->SetSelected(nullptr);
}

void TTreeNode::DeleteChildren() {
    while (!fChildren.empty()) fChildren.back()->Delete();
}

void TTreeNode::Delete() {
    DeleteChildren();
    TCustomTreeView* tv = TreeView();
    if (tv && !tv->fTearingDown) tv->OnDeletion(tv, this);
    delete this;
}

bool TTreeNode::EditText() {
    TCustomTreeView* tv = TreeView();
    if (!tv || tv->ReadOnly()) return false;
    if (tv->IsEditing()) tv->EndEditing(false);
    bool allow = true;
    tv->OnEditing(tv, this, allow);
    if (!allow) return false;
    tv->fEditNode = this;
    if (!tv->fEditor) {
        tv->fEditor = CreateObject<TTreeEditor>(tv);
        tv->fEditor->SetParent(tv);
    }
    TRect r = tv->NodeRect(this, true);
    tv->fEditor->SetBounds(r.Left, r.Top, std::max(40, r.Width()), r.Height());
    tv->fEditor->SetText(fText);
    tv->fEditor->SelectAll();
    tv->fEditor->Show();
    if (tv->fEditor->CanFocus()) tv->fEditor->SetFocus();
    return tv->fEditNode == this;
}

void TTreeNode::Assign(TPersistent* source) {
    auto* s = dynamic_cast<TTreeNode*>(source);
    if (!s) {
        TCollectionItem::Assign(source);
        return;
    }
    fText = s->fText;
    fImageIndex = s->fImageIndex;
    fSelectedIndex = s->fSelectedIndex;
    fStateIndex = s->fStateIndex;
    fOverlayIndex = s->fOverlayIndex;
    fData = s->fData;
    fHasChildren = s->fHasChildren;
}

PLAT_REGISTER_CLASS(TTreeNodes, TOwnedCollection) {}

TTreeNodes::TTreeNodes(TCustomTreeView* owner) : TOwnedCollection(owner, TTreeNode::StaticClass()), fTreeView(owner) {}

namespace {
// The absolute index just after `node` and all its descendants.
int EndOfSubtree(const TTreeNode* node) {
    const TTreeNode* last = node;
    while (last->Count() > 0) last = last->GetLastChild();
    return last->Index() + 1;
}
}  // namespace

TTreeNode* TTreeNodes::InternalAdd(TTreeNode* parent, int childPos, const std::string& text) {
    std::vector<TTreeNode*> sib;
    if (parent) sib = parent->fChildren;
    else
        for (int i = 0; i < Count(); ++i)
            if (!Item(i)->fParent) sib.push_back(Item(i));
    if (childPos < 0 || childPos > static_cast<int>(sib.size())) childPos = static_cast<int>(sib.size());
    int abs;
    if (childPos < static_cast<int>(sib.size())) abs = sib[static_cast<size_t>(childPos)]->Index();
    else if (!sib.empty()) abs = EndOfSubtree(sib.back());
    else abs = parent ? parent->Index() + 1 : 0;
    TCollection::BeginUpdate();
    auto* node = static_cast<TTreeNode*>(TCollection::Add());
    node->fText = text;
    node->fParent = parent;
    if (parent) parent->fChildren.insert(parent->fChildren.begin() + childPos, node);
    node->SetIndex(abs);
    TCollection::EndUpdate();
    if (fTreeView) {
        fTreeView->NodesChanged();
        if (fTreeView->SortType() == stText || fTreeView->SortType() == stBoth) fTreeView->AlphaSort();
    }
    return node;
}

TTreeNode* TTreeNodes::Add(TTreeNode* sibling, const std::string& text) {
    return InternalAdd(sibling ? sibling->fParent : nullptr, -1, text);
}
TTreeNode* TTreeNodes::AddFirst(TTreeNode* sibling, const std::string& text) {
    return InternalAdd(sibling ? sibling->fParent : nullptr, 0, text);
}
TTreeNode* TTreeNodes::AddChild(TTreeNode* parent, const std::string& text) { return InternalAdd(parent, -1, text); }
TTreeNode* TTreeNodes::AddChildFirst(TTreeNode* parent, const std::string& text) { return InternalAdd(parent, 0, text); }
TTreeNode* TTreeNodes::Insert(TTreeNode* sibling, const std::string& text) {
    if (!sibling) return Add(nullptr, text);
    return InternalAdd(sibling->fParent, sibling->SiblingIndex(), text);
}

void TTreeNodes::Delete(TTreeNode* node) {
    if (node) node->Delete();
}

void TTreeNodes::Clear() {
    BeginUpdate();
    try {
        while (Count() > 0) {
            TTreeNode* last = nullptr;
            for (int i = Count() - 1; i >= 0; --i)
                if (!Item(i)->fParent) {
                    last = Item(i);
                    break;
                }
            last->Delete();
        }
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
}

void TTreeNodes::BeginUpdate() {
    TCollection::BeginUpdate();
    if (fTreeView) ++fTreeView->fUpdateCount;
}

void TTreeNodes::EndUpdate() {
    if (fTreeView && fTreeView->fUpdateCount > 0) --fTreeView->fUpdateCount;
    TCollection::EndUpdate();
    if (fTreeView) fTreeView->NodesChanged();
}

void TTreeNodes::Update(TCollectionItem*) {
    if (fTreeView) fTreeView->NodesChanged();
}

// The description form "Data": int32 Count of top-level nodes, then each node recursively as
// int32 Size (of what follows for this node, its children excluded), int32 ImageIndex,
// SelectedIndex, StateIndex, OverlayIndex, Data (32-bit), Count (children), the text as a length
// byte and that many bytes (UTF-8); then its children the same way.
namespace {
struct TTreeReader {
    const std::vector<uint8_t>& B;
    size_t Pos = 0;
    int32_t Int() {
        if (Pos + 4 > B.size()) throw EReadError("Items.Data: data ends early");
        uint32_t v = static_cast<uint32_t>(B[Pos]) | (static_cast<uint32_t>(B[Pos + 1]) << 8) |
                     (static_cast<uint32_t>(B[Pos + 2]) << 16) | (static_cast<uint32_t>(B[Pos + 3]) << 24);
        Pos += 4;
        return static_cast<int32_t>(v);
    }
};
void PutInt32(std::vector<uint8_t>& b, int32_t v) {
    for (int i = 0; i < 4; ++i) b.push_back(static_cast<uint8_t>((static_cast<uint32_t>(v) >> (8 * i)) & 0xFF));
}
void ReadNode(TTreeReader& r, TTreeNodes* nodes, TTreeNode* parent) {
    int32_t size = r.Int();
    size_t start = r.Pos;
    if (size < 25 || start + static_cast<size_t>(size) > r.B.size()) throw EReadError("Items.Data: invalid node size");
    int32_t image = r.Int(), selected = r.Int(), state = r.Int(), overlay = r.Int(), data = r.Int(), count = r.Int();
    size_t len = r.B[r.Pos++];
    if (r.Pos + len > start + static_cast<size_t>(size)) throw EReadError("Items.Data: invalid node text");
    std::string text(r.B.begin() + static_cast<long>(r.Pos), r.B.begin() + static_cast<long>(r.Pos + len));
    r.Pos = start + static_cast<size_t>(size);
    TTreeNode* node = nodes->AddChild(parent, text);
    node->SetImageIndex(image);
    node->SetSelectedIndex(selected);
    node->SetStateIndex(state);
    node->SetOverlayIndex(overlay);
    node->SetData(data);
    for (int32_t i = 0; i < count; ++i) ReadNode(r, nodes, node);
}
void WriteNode(std::vector<uint8_t>& b, const TTreeNode* n) {
    size_t len = std::min<size_t>(n->Text().size(), 255);
    PutInt32(b, static_cast<int32_t>(24 + 1 + len));
    PutInt32(b, n->ImageIndex());
    PutInt32(b, n->SelectedIndex());
    PutInt32(b, n->StateIndex());
    PutInt32(b, n->OverlayIndex());
    PutInt32(b, static_cast<int32_t>(n->Data()));
    PutInt32(b, n->Count());
    b.push_back(static_cast<uint8_t>(len));
    b.insert(b.end(), n->Text().begin(), n->Text().begin() + static_cast<long>(len));
    for (int i = 0; i < n->Count(); ++i) WriteNode(b, n->Item(i));
}
}  // namespace

bool TTreeNodes::ReadDefinedProperty(const std::string& name, const TDfmValue& value) {
    if (!SameName(name, "Data")) return TOwnedCollection::ReadDefinedProperty(name, value);
    if (value.Kind != TDfmValueKind::Binary) throw EReadError("Items.Data: binary data expected");
    ReadData(value.Bytes);
    return true;
}

void TTreeNodes::ReadData(const std::vector<uint8_t>& bytes) {
    BeginUpdate();
    try {
        TCollection::Clear();
        TTreeReader r{bytes};
        int32_t count = r.Int();
        for (int32_t i = 0; i < count; ++i) ReadNode(r, this, nullptr);
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
}

std::vector<uint8_t> TTreeNodes::WriteData() const {
    std::vector<uint8_t> b;
    int32_t roots = 0;
    for (int i = 0; i < Count(); ++i) roots += Item(i)->Parent() ? 0 : 1;
    PutInt32(b, roots);
    for (int i = 0; i < Count(); ++i)
        if (!Item(i)->Parent()) WriteNode(b, Item(i));
    return b;
}

PLAT_REGISTER_CLASS(TCustomTreeView, TWinControl) {
    b.Property("AutoExpand", &Self::AutoExpand, &Self::SetAutoExpand).Default(0).Unpublished();
    b.Property("BorderStyle", &Self::BorderStyle, &Self::SetBorderStyle).Type(TypeBorderStyleCC()).Default(bsSingle).Unpublished();
    b.Property("HideSelection", &Self::HideSelection, &Self::SetHideSelection).Default(1).Unpublished();
    b.Property("HotTrack", &Self::HotTrack, &Self::SetHotTrack).Default(0).Unpublished();
    b.Property("Images", &Self::Images, &Self::SetImages).Unpublished();
    b.Property("Indent", &Self::Indent, &Self::SetIndent).Unpublished();
    b.Property("Items", &Self::Items, &Self::SetItems).Unpublished();
    b.Property("ReadOnly", &Self::ReadOnly, &Self::SetReadOnly).Default(0).Unpublished();
    b.Property("RightClickSelect", &Self::RightClickSelect, &Self::SetRightClickSelect).Default(0).Unpublished();
    b.Property("RowSelect", &Self::RowSelect, &Self::SetRowSelect).Default(0).Unpublished();
    b.Property("ShowButtons", &Self::ShowButtons, &Self::SetShowButtons).Default(1).Unpublished();
    b.Property("ShowLines", &Self::ShowLines, &Self::SetShowLines).Default(1).Unpublished();
    b.Property("ShowRoot", &Self::ShowRoot, &Self::SetShowRoot).Default(1).Unpublished();
    b.Property("SortType", &Self::SortType, &Self::SetSortType).Default(stNone).Unpublished();
    b.Property("StateImages", &Self::StateImages, &Self::SetStateImages).Unpublished();
    b.Property("ToolTips", &Self::ToolTips, &Self::SetToolTips).Default(1).Unpublished();
    b.Event("OnChange", &Self::OnChange).Unpublished();
    b.Event("OnChanging", &Self::OnChanging).Unpublished();
    b.Event("OnCollapsed", &Self::OnCollapsed).Unpublished();
    b.Event("OnCollapsing", &Self::OnCollapsing).Unpublished();
    b.Event("OnCompare", &Self::OnCompare).Unpublished();
    b.Event("OnDeletion", &Self::OnDeletion).Unpublished();
    b.Event("OnEdited", &Self::OnEdited).Unpublished();
    b.Event("OnEditing", &Self::OnEditing).Unpublished();
    b.Event("OnExpanded", &Self::OnExpanded).Unpublished();
    b.Event("OnExpanding", &Self::OnExpanding).Unpublished();
    b.Event("OnGetImageIndex", &Self::OnGetImageIndex).Unpublished();
    b.Event("OnGetSelectedIndex", &Self::OnGetSelectedIndex).Unpublished();
}

PLAT_REGISTER_CLASS(TTreeView, TCustomTreeView) {
    b.Publish({"Align", "Anchors", "AutoExpand", "BorderStyle", "Color", "Ctl3D", "DragCursor", "DragKind",
               "DragMode", "Enabled", "Font", "HideSelection", "HotTrack", "Images", "Indent", "Items",
               "ParentColor", "ParentCtl3D", "ParentFont", "ParentShowHint", "PopupMenu", "ReadOnly",
               "RightClickSelect", "RowSelect", "ShowButtons", "ShowHint", "ShowLines", "ShowRoot", "SortType",
               "StateImages", "TabOrder", "TabStop", "ToolTips", "Visible", "OnChange", "OnChanging", "OnClick",
               "OnCollapsed", "OnCollapsing", "OnCompare", "OnDblClick", "OnDeletion", "OnDragDrop", "OnDragOver",
               "OnEdited", "OnEditing", "OnEndDock", "OnEndDrag", "OnEnter", "OnExit", "OnExpanding", "OnExpanded",
               "OnGetImageIndex", "OnGetSelectedIndex", "OnKeyDown", "OnKeyPress", "OnKeyUp", "OnMouseDown",
               "OnMouseMove", "OnMouseUp", "OnStartDock", "OnStartDrag"});
}

TCustomTreeView::TCustomTreeView(TComponent* owner) : TWinControl(owner) {
    fItems = std::make_unique<TTreeNodes>(this);
    fWidth = 121;
    fHeight = 97;
    fTabStop = true;
    fColor = clWindow;
    fParentColor = false;
}

TCustomTreeView::~TCustomTreeView() {
    fTearingDown = true;
    fSelected = nullptr;
    fEditNode = nullptr;
    fItems.reset();
}

void TCustomTreeView::SetItems(TTreeNodes* v) {
    fItems->Clear();
    if (!v) return;
    std::vector<std::pair<TTreeNode*, TTreeNode*>> map;  // source -> copy
    for (int i = 0; i < v->Count(); ++i) {
        TTreeNode* src = v->Item(i);
        TTreeNode* parent = nullptr;
        for (auto& m : map)
            if (m.first == src->Parent()) parent = m.second;
        TTreeNode* n = fItems->AddChild(parent, src->Text());
        n->Assign(src);
        map.emplace_back(src, n);
    }
}

void TCustomTreeView::NodesChanged() {
    ++fChangeCount;
    if (fUpdateCount == 0 && !fTearingDown) Invalidate();
}

void TCustomTreeView::NodeDestroying(TTreeNode* node) {
    if (fTearingDown) return;
    if (fSelected == node) fSelected = nullptr;
    if (fEditNode == node) {
        fEditNode = nullptr;
        if (fEditor) fEditor->Hide();
    }
}

void TCustomTreeView::SetSelected(TTreeNode* node) {
    if (node == fSelected) return;
    if (!IsLoading()) {
        bool allow = true;
        OnChanging(this, node, allow);
        if (!allow) return;
    }
    fSelected = node;
    if (node && fAutoExpand) node->Expand(false);
    if (node) node->MakeVisible();
    NodesChanged();
    if (!IsLoading()) OnChange(this, node);
}

TTreeNode* TCustomTreeView::TopItem() const {
    auto v = VisibleNodes();
    int top = TopIndex();
    return top < static_cast<int>(v.size()) ? v[static_cast<size_t>(top)] : nullptr;
}

void TCustomTreeView::SetTopItem(TTreeNode* node) {
    auto v = VisibleNodes();
    auto it = std::find(v.begin(), v.end(), node);
    if (it == v.end()) return;
    ScrollBarMoved(sbVertical, std::min(static_cast<int>(it - v.begin()), ScrollBarInfo(sbVertical).MaxPos()));
}

int TCustomTreeView::PageRowCount() const { return std::max(1, ClientHeight() / std::max(1, RowHeight())); }

int TCustomTreeView::TopIndex() const {
    // Collapsing nodes or growing the window may leave fewer rows below the top than fit.
    int rows = static_cast<int>(VisibleNodes().size());
    return std::clamp(fTopIndex, 0, std::max(0, rows - PageRowCount()));
}

TScrollBarInfo TCustomTreeView::ScrollBarInfo(TScrollBarKind kind) const {
    TScrollBarInfo info;
    if (kind != sbVertical) return info;
    int rows = static_cast<int>(VisibleNodes().size());
    info.Max = std::max(0, rows - 1);
    info.Page = PageRowCount();
    info.Pos = TopIndex();
    info.Visible = rows > info.Page;
    return info;
}

void TCustomTreeView::ScrollBarMoved(TScrollBarKind kind, int pos) {
    if (kind != sbVertical || pos == fTopIndex) return;
    fTopIndex = pos;
    NodesChanged();
}

void TCustomTreeView::ScrollIntoView(const TTreeNode* node) {
    auto v = VisibleNodes();
    auto it = std::find(v.begin(), v.end(), node);
    if (it == v.end()) return;
    int row = static_cast<int>(it - v.begin());
    int top = TopIndex(), page = PageRowCount();
    if (row < top) ScrollBarMoved(sbVertical, row);
    else if (row >= top + page) ScrollBarMoved(sbVertical, row - page + 1);
}

void TCustomTreeView::SetImages(TCustomImageList* v) { SwapRef(this, fImages, v); NodesChanged(); }
void TCustomTreeView::SetStateImages(TCustomImageList* v) { SwapRef(this, fStateImages, v); NodesChanged(); }

void TCustomTreeView::Notification(TComponent* component, TOperation operation) {
    TWinControl::Notification(component, operation);
    if (operation != opRemove) return;
    if (component == fImages) fImages = nullptr;
    if (component == fStateImages) fStateImages = nullptr;
    if (component == fEditor) {
        fEditor = nullptr;
        fEditNode = nullptr;
    }
}

void TCustomTreeView::SetSortType(TSortType v) {
    fSortType = v;
    if (v == stText || v == stBoth) AlphaSort();
}

void TCustomTreeView::FullExpand() {
    for (int i = 0; i < fItems->Count(); ++i) fItems->Item(i)->SetExpanded(true);
}

void TCustomTreeView::FullCollapse() {
    for (int i = 0; i < fItems->Count(); ++i) fItems->Item(i)->SetExpanded(false);
}

void TCustomTreeView::SortSiblings(std::vector<TTreeNode*>& list) {
    std::stable_sort(list.begin(), list.end(), [this](TTreeNode* a, TTreeNode* b) {
        int r = 0;
        if (OnCompare.Assigned()) OnCompare(this, a, b, 0, r);
        else r = CompareTextCI(a->Text(), b->Text());
        return r < 0;
    });
    for (TTreeNode* n : list) SortSiblings(n->fChildren);
}

bool TCustomTreeView::AlphaSort() {
    if (fItems->Count() == 0 || IsLoading()) return true;
    std::vector<TTreeNode*> roots;
    for (int i = 0; i < fItems->Count(); ++i)
        if (!fItems->Item(i)->fParent) roots.push_back(fItems->Item(i));
    SortSiblings(roots);
    // Rebuild the absolute (pre-order) positions.
    std::vector<TTreeNode*> order;
    std::function<void(TTreeNode*)> walk = [&](TTreeNode* n) {
        order.push_back(n);
        for (TTreeNode* c : n->fChildren) walk(c);
    };
    for (TTreeNode* r : roots) walk(r);
    fItems->TCollection::BeginUpdate();
    for (size_t i = 0; i < order.size(); ++i) order[i]->SetIndex(static_cast<int>(i));
    fItems->TCollection::EndUpdate();
    NodesChanged();
    return true;
}

void TCustomTreeView::Loaded() {
    TWinControl::Loaded();
    if (fSortType == stText || fSortType == stBoth) AlphaSort();
}

int TCustomTreeView::RowHeight() const {
    int h = WidgetSet().TextHeight(*fFont, "Wg") + 4;
    if (fImages) h = std::max(h, fImages->Height() + 2);
    return h;
}

std::vector<TTreeNode*> TCustomTreeView::VisibleNodes() const {
    std::vector<TTreeNode*> v;
    for (int i = 0; i < fItems->Count(); ++i)
        if (fItems->Item(i)->IsVisible()) v.push_back(fItems->Item(i));
    return v;
}

TRect TCustomTreeView::NodeRect(const TTreeNode* node, bool textOnly) const {
    auto v = VisibleNodes();
    auto it = std::find(v.begin(), v.end(), node);
    if (it == v.end()) return {};
    int row = static_cast<int>(it - v.begin()) - TopIndex();
    int h = RowHeight();
    int y = row * h;
    if (!textOnly) return {0, y, ClientWidth(), y + h};
    int x = (node->Level() + (fShowRoot ? 1 : 0)) * fIndent + (fImages ? fImages->Width() + 2 : 0);
    return {x, y, x + WidgetSet().TextWidth(*fFont, node->Text()) + 4, y + h};
}

TTreeNode* TCustomTreeView::GetNodeAt(int, int y) const {
    if (y < 0) return nullptr;
    auto v = VisibleNodes();
    int row = y / std::max(1, RowHeight()) + TopIndex();
    return row < static_cast<int>(v.size()) ? v[static_cast<size_t>(row)] : nullptr;
}

void TCustomTreeView::EndEditing(bool cancel) {
    TTreeNode* node = fEditNode;
    if (!node) return;
    fEditNode = nullptr;
    bool hadFocus = fEditor && fEditor->Focused();
    std::string s = fEditor ? fEditor->Text() : node->Text();
    if (fEditor) fEditor->Hide();
    if (hadFocus && CanFocus()) SetFocus();
    if (cancel) return;
    OnEdited(this, node, s);
    node->SetText(s);
}

void TCustomTreeView::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
    if (IsEditing()) EndEditing(false);
    TComponentWatch w(this);
    if (TTreeNode* n = GetNodeAt(x, y)) {
        int buttonLeft = (n->Level() + (fShowRoot ? 0 : -1)) * fIndent;
        if (button == mbLeft && n->HasChildren() && x >= buttonLeft && x < buttonLeft + fIndent && fShowButtons)
            n->SetExpanded(!n->Expanded());
        else if (button == mbLeft || fRightClickSelect)
            SetSelected(n);
    }
    if (w.Target) TWinControl::MouseDown(button, shift, x, y);
}

void TCustomTreeView::DefaultKeyDown(uint16_t key, TShiftState shift) {
    if (key == VK_F2 && shift.Empty()) {
        if (fSelected) fSelected->EditText();
        return;
    }
    auto v = VisibleNodes();
    if (v.empty()) return;
    int cur = -1;
    for (size_t i = 0; i < v.size(); ++i)
        if (v[i] == fSelected) cur = static_cast<int>(i);
    switch (key) {
        case VK_UP: SetSelected(v[static_cast<size_t>(std::max(0, cur - 1))]); break;
        case VK_DOWN: SetSelected(v[static_cast<size_t>(std::min(static_cast<int>(v.size()) - 1, cur + 1))]); break;
        case VK_HOME: SetSelected(v.front()); break;
        case VK_END: SetSelected(v.back()); break;
        case VK_RIGHT:
            if (fSelected && fSelected->HasChildren()) {
                if (!fSelected->Expanded()) fSelected->Expand(false);
                else if (fSelected->GetFirstChild()) SetSelected(fSelected->GetFirstChild());
            }
            break;
        case VK_LEFT:
            if (fSelected) {
                if (fSelected->Expanded()) fSelected->Collapse(false);
                else if (fSelected->Parent()) SetSelected(fSelected->Parent());
            }
            break;
        default: break;
    }
    // The node the keys moved to stays in view.
    if (fSelected) ScrollIntoView(fSelected);
}

}  // namespace plat
