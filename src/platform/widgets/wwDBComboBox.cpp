#include "platform/widgets/wwDBComboBox.h"

namespace plat {

PLAT_REGISTER_CLASS(TwwDBCustomComboBox, TCustomComboBox) {
    b.Property("DataField", &TwwDBCustomComboBox::DataField, &TwwDBCustomComboBox::SetDataField).Unpublished();
    b.Property("DataSource", &TwwDBCustomComboBox::DataSource, &TwwDBCustomComboBox::SetDataSource).Unpublished();
    b.Property("MapList", &TwwDBCustomComboBox::MapList, &TwwDBCustomComboBox::SetMapList).Unpublished();
    b.Property("ReadOnly", &TwwDBCustomComboBox::ReadOnly, &TwwDBCustomComboBox::SetReadOnly).Unpublished();
}

PLAT_REGISTER_CLASS(TwwDBComboBox, TwwDBCustomComboBox) {
    b.Publish({"DataField", "DataSource", "MapList", "ReadOnly", "Anchors", "CharCase", "Color", "Ctl3D",
               "DragCursor", "DragKind", "DragMode", "DropDownCount", "Enabled", "Font", "ImeName", "ItemHeight",
               "Items", "ItemIndex", "MaxLength", "ParentColor", "ParentCtl3D", "ParentFont", "ParentShowHint",
               "PopupMenu", "ShowHint", "Sorted", "Style", "TabOrder", "TabStop", "Text", "Visible", "OnChange",
               "OnClick", "OnCloseUp", "OnDblClick", "OnDragDrop", "OnDragOver", "OnDrawItem", "OnDropDown",
               "OnEndDock", "OnEndDrag", "OnEnter", "OnExit", "OnKeyDown", "OnKeyPress", "OnKeyUp", "OnMeasureItem",
               "OnSelect", "OnStartDock", "OnStartDrag"});
}

PLAT_REGISTER_CLASS(TwwDataSource, TDataSource) {}

TwwDBCustomComboBox::TwwDBCustomComboBox(TComponent* owner)
    : TCustomComboBox(owner), fDataLink(std::make_unique<TFieldDataLink>()) {
    fDataLink->SetControl(this);
    fDataLink->OnDataChange = TNotifyEvent::Of<&TwwDBCustomComboBox::DataChange>(this);
    fDataLink->OnUpdateData = TNotifyEvent::Of<&TwwDBCustomComboBox::UpdateData>(this);
}

TwwDBCustomComboBox::~TwwDBCustomComboBox() {
    // Unbinding tells the link; this control is half gone by now and must not hear of it.
    fDataLink->OnDataChange.Clear();
    fDataLink->OnEditingChange.Clear();
    fDataLink->OnUpdateData.Clear();
    fDataLink->OnActiveChange.Clear();
    fDataLink->SetDataSource(nullptr);
}

void TwwDBCustomComboBox::SetDataSource(TDataSource* ds) {
    if (TDataSource* old = fDataLink->DataSource()) old->RemoveFreeNotification(this);
    fDataLink->SetDataSource(ds);
    if (ds) ds->FreeNotification(this);
}

void TwwDBCustomComboBox::Notification(TComponent* c, TOperation op) {
    TCustomComboBox::Notification(c, op);
    if (op == opRemove && fDataLink && c == fDataLink->DataSource()) fDataLink->SetDataSource(nullptr);
}

void TwwDBCustomComboBox::SetMapList(bool v) {
    fMapList = v;
    if (fDataLink->Field()) DataChange(nullptr);
}

std::string TwwDBCustomComboBox::DisplayPart(const std::string& line) {
    size_t t = line.find('\t');
    return t == std::string::npos ? line : line.substr(0, t);
}

std::string TwwDBCustomComboBox::ValuePart(const std::string& line) {
    size_t t = line.find('\t');
    return t == std::string::npos ? line : line.substr(t + 1);
}

int TwwDBCustomComboBox::IndexOfValue(const std::string& value) const {
    for (int i = 0; i < fItems->Count(); ++i) {
        std::string line = fItems->Get(i);
        if ((fMapList ? ValuePart(line) : DisplayPart(line)) == value) return i;
    }
    return -1;
}

void TwwDBCustomComboBox::ShowDisplayText() {
    if (fItemIndex < 0 || fItemIndex >= fItems->Count()) return;
    TControl::SetText(DisplayPart(fItems->Get(fItemIndex)));
    fSelStart = 0;
    fSelLength = static_cast<int>(fText.size());
}

void TwwDBCustomComboBox::DataChange(TObject*) {
    TField* f = fDataLink->Field();
    if (!f) {
        SetItemIndex(-1);
        TControl::SetText("");
        return;
    }
    std::string v = f->AsString();
    int i = IndexOfValue(v);
    fItemIndex = -1;
    SetItemIndex(i);
    if (i >= 0) ShowDisplayText();
    else TControl::SetText(v);
}

void TwwDBCustomComboBox::UpdateData(TObject*) {
    TField* f = fDataLink->Field();
    if (!f) return;
    if (fItemIndex >= 0 && fItemIndex < fItems->Count()) {
        std::string line = fItems->Get(fItemIndex);
        f->SetText(fMapList ? ValuePart(line) : DisplayPart(line));
    } else {
        f->SetText(fText);
    }
}

void TwwDBCustomComboBox::Select() {
    ShowDisplayText();
    if (fDataLink->Field()) {
        // Starting the edit refreshes the control from the field; the user's choice wins.
        int chosen = fItemIndex;
        if (fDataLink->Edit()) {
            fItemIndex = chosen;
            ShowDisplayText();
            fDataLink->Modified();
            fDataLink->UpdateRecord();
        } else {
            DataChange(nullptr);  // not editable: back to the field's value
        }
    }
    TCustomComboBox::Select();
}

void TwwDBCustomComboBox::DoExit() {
    if (fDataLink->Editing()) fDataLink->UpdateRecord();
    TCustomComboBox::DoExit();
}

}  // namespace plat
