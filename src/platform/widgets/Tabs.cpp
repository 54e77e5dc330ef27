#include "platform/widgets/Tabs.h"

namespace plat {

PLAT_REGISTER_CLASS(TTabSet, TCustomControl) {
    b.Property("AutoScroll", &Self::AutoScroll, &Self::SetAutoScroll).Default(1);
    b.Property("BackgroundColor", &Self::BackgroundColor, &Self::SetBackgroundColor).Type(TypeColor());
    b.Property("DitherBackground", &Self::DitherBackground, &Self::SetDitherBackground).Default(1);
    b.Property("EndMargin", &Self::EndMargin, &Self::SetEndMargin).Default(5);
    b.Property("FirstIndex", &Self::FirstIndex, &Self::SetFirstIndex).Default(0);
    b.Property("SelectedColor", &Self::SelectedColor, &Self::SetSelectedColor).Type(TypeColor());
    b.Property("StartMargin", &Self::StartMargin, &Self::SetStartMargin).Default(5);
    b.Property("Tabs", &Self::Tabs, &Self::SetTabs);
    b.Property("TabIndex", &Self::TabIndex, &Self::SetTabIndex).Default(-1);
    b.Property("UnselectedColor", &Self::UnselectedColor, &Self::SetUnselectedColor).Type(TypeColor());
    b.Event("OnChange", &Self::OnChange);
    b.Publish({"Align", "Anchors", "DragCursor", "DragKind", "DragMode", "Enabled", "Font", "ParentShowHint",
               "PopupMenu", "ShowHint", "TabOrder", "TabStop", "Visible", "OnClick", "OnDragDrop", "OnDragOver",
               "OnEndDock", "OnEndDrag", "OnEnter", "OnExit", "OnMouseDown", "OnMouseMove", "OnMouseUp",
               "OnStartDock", "OnStartDrag"});
}

TTabSet::TTabSet(TComponent* owner) : TCustomControl(owner) {
    fTabs = std::make_unique<TStringList>();
    fTabs->OnChange = TNotifyEvent::Of<&TTabSet::TabsChanged>(this);
    fWidth = 185;
    fHeight = 21;
}

TTabSet::~TTabSet() { fTabs->OnChange.Clear(); }

void TTabSet::TabsChanged(TObject*) {
    if (fTabIndex >= fTabs->Count()) fTabIndex = fTabs->Count() - 1;
    Invalidate();
}

void TTabSet::SetTabIndex(int v) {
    if (v == fTabIndex) return;
    if (v < 0 || v >= fTabs->Count()) {
        if (IsLoading()) {
            fTabIndex = v;  // the tabs may come later in the description
            return;
        }
        v = -1;
        if (v == fTabIndex) return;
    }
    if (!IsLoading()) {
        bool allow = true;
        OnChange(this, v, allow);
        if (!allow) return;
    }
    fTabIndex = v;
    Invalidate();
    if (!IsLoading()) Click();
}

void TTabSet::SetFirstIndex(int v) {
    if (v >= 0 && v < fTabs->Count()) fFirstIndex = v;
    Invalidate();
}

TRect TTabSet::ItemRect(int index) const {
    if (index < fFirstIndex || index >= fTabs->Count()) return {};
    int x = fStartMargin;
    for (int i = fFirstIndex; i < index; ++i) x += WidgetSet().TextWidth(*fFont, fTabs->Get(i)) + 12;
    return {x, 0, x + WidgetSet().TextWidth(*fFont, fTabs->Get(index)) + 12, fHeight};
}

int TTabSet::ItemAtPos(TPoint p) const {
    for (int i = fFirstIndex; i < fTabs->Count(); ++i)
        if (ItemRect(i).Contains(p)) return i;
    return -1;
}

void TTabSet::SelectNext(bool direction) {
    int n = fTabs->Count();
    if (n < 2) return;
    SetTabIndex(direction ? (fTabIndex + 1) % n : (fTabIndex - 1 + n) % n);
}

void TTabSet::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
    TComponentWatch w(this);
    if (button == mbLeft) {
        int i = ItemAtPos({x, y});
        if (i >= 0) SetTabIndex(i);
    }
    if (w.Target) TCustomControl::MouseDown(button, shift, x, y);
}

}  // namespace plat
