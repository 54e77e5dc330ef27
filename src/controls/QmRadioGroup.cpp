#include "controls/QmRadioGroup.h"

#include <algorithm>

#include "platform/forms/WidgetSet.h"

using namespace plat;

namespace qm {

PLAT_REGISTER_CLASS(TQmGroupButton, TQmRadioButton) {}

PLAT_REGISTER_CLASS(TQmRadioGroup, TCustomGroupBox) {
    b.Property("Columns", &Self::Columns, &Self::SetColumns).Default(1);
    b.Property("ItemIndex", &Self::ItemIndex, &Self::SetItemIndex).Default(-1);
    b.Property("Items", &Self::Items, &Self::SetItems);
    b.Publish({"Align", "Anchors", "Caption", "Color", "Ctl3D", "DragCursor", "DragKind", "DragMode", "Enabled",
               "Font", "Hint", "ParentColor", "ParentCtl3D", "ParentFont", "ParentShowHint", "PopupMenu", "ShowHint",
               "TabOrder", "TabStop", "Visible", "OnClick", "OnDragDrop", "OnDragOver", "OnEndDock", "OnEndDrag",
               "OnEnter", "OnExit", "OnStartDock", "OnStartDrag"});
}

TQmGroupButton::TQmGroupButton(TComponent* owner) : TQmRadioButton(owner) {}

TQmGroupButton::TQmGroupButton(TQmRadioGroup* group, int) : TQmRadioButton(group) {
    fGroup = group;
    SetParent(group);
    OnClick = TNotifyEvent::Of<&TQmRadioGroup::ButtonClick>(group);
}

void TQmGroupButton::KeyPress(char& key) {
    TQmRadioButton::KeyPress(key);
    if (!fGroup) return;
    // The group hears its buttons' keys too.
    fGroup->OnKeyPress(fGroup, key);
    if ((key == '\b' || key == ' ') && !fGroup->CanModify()) key = 0;
}

TQmRadioGroup::TQmRadioGroup(TComponent* owner) : TCustomGroupBox(owner), fItems(std::make_unique<TStringList>()) {
    fItems->OnChange = TNotifyEvent::Of<&TQmRadioGroup::ItemsChanged>(this);
}

TQmRadioGroup::~TQmRadioGroup() { fItems->OnChange = {}; }

void TQmRadioGroup::ItemsChanged(TObject*) {
    if (IsLoading()) {
        fReading = true;
        return;
    }
    if (fItemIndex >= fItems->Count()) fItemIndex = fItems->Count() - 1;
    UpdateButtons();
}

void TQmRadioGroup::Loaded() {
    TCustomGroupBox::Loaded();
    if (fItemIndex >= fItems->Count()) fItemIndex = fItems->Count() - 1;
    UpdateButtons();
}

void TQmRadioGroup::SetButtonCount(int n) {
    while (static_cast<int>(fButtons.size()) < n) {
        auto* b = new TQmGroupButton(this, 0);
        b->AfterConstruction();
        fButtons.push_back(b);
    }
    while (static_cast<int>(fButtons.size()) > n) {
        TQmGroupButton* b = fButtons.back();
        fButtons.pop_back();
        b->Free();
    }
}

void TQmRadioGroup::UpdateButtons() {
    SetButtonCount(fItems->Count());
    for (int i = 0; i < ButtonCount(); ++i) fButtons[i]->SetCaption(fItems->Strings(i));
    if (fItemIndex >= 0 && fItemIndex < ButtonCount()) {
        fUpdating = true;
        fButtons[fItemIndex]->SetChecked(true);
        fUpdating = false;
    }
    ArrangeButtons();
}

void TQmRadioGroup::ArrangeButtons() {
    if (IsLoading() || fButtons.empty()) return;  // no items: nothing to divide among rows
    const int n = ButtonCount();
    const int rows = (n + fColumns - 1) / fColumns;
    const int width = (fWidth - 10) / fColumns;
    const int t = WidgetSet().TextHeight(*fFont, "0");
    const int usable = fHeight - t - 5;
    const int height = usable / rows;
    const int top = (usable % rows) / 2 + t + 1;
    for (int i = 0; i < n; ++i) {
        const int column = i / rows, row = i % rows;
        int x = column * width + 8;
        if (IsRightToLeft()) x = fWidth - x - width;
        fButtons[i]->SetBounds(x, row * height + top, width, height);
        fButtons[i]->SetVisible(true);
    }
}

void TQmRadioGroup::SetItemIndex(int index) {
    if (IsLoading()) {
        fItemIndex = index;
        return;
    }
    index = std::clamp(index, -1, ButtonCount() - 1);
    if (index == fItemIndex) return;
    if (fItemIndex >= 0 && fItemIndex < ButtonCount()) fButtons[fItemIndex]->SetChecked(false);
    fItemIndex = index;
    if (fItemIndex >= 0) {
        fUpdating = true;
        fButtons[fItemIndex]->SetChecked(true);
        fUpdating = false;
    }
}

void TQmRadioGroup::SetColumns(int c) {
    c = std::clamp(c, 1, 16);
    if (c == fColumns) return;
    fColumns = c;
    ArrangeButtons();
}

void TQmRadioGroup::ButtonClick(TObject* sender) {
    if (fUpdating) return;
    auto it = std::find(fButtons.begin(), fButtons.end(), sender);
    if (it == fButtons.end()) return;
    fItemIndex = static_cast<int>(it - fButtons.begin());
    Changed(TPeerChange::Style);
    Click();
}

void TQmRadioGroup::Resize() {
    TCustomGroupBox::Resize();
    ArrangeButtons();
}

void TQmRadioGroup::FontChanged() {
    TCustomGroupBox::FontChanged();
    ArrangeButtons();
}

void TQmRadioGroup::EnabledChanged() {
    TCustomGroupBox::EnabledChanged();
    for (TQmGroupButton* b : fButtons) b->SetEnabled(fEnabled);
}

}  // namespace qm
