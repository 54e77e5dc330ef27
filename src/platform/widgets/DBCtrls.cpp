#include "platform/widgets/DBCtrls.h"

#include "platform/forms/Dialogs.h"
#include "platform/forms/Forms.h"

namespace plat {

PLAT_DEFINE_ENUM(TNavigateBtn, "nbFirst", "nbPrior", "nbNext", "nbLast", "nbInsert", "nbDelete", "nbEdit", "nbPost",
                 "nbCancel", "nbRefresh")
PLAT_DEFINE_SET(TButtonSet, TNavigateBtn)

// ---- TDBEdit -------------------------------------------------------------------------------

PLAT_REGISTER_CLASS(TDBEdit, TCustomEdit) {
    b.Property("DataField", &TDBEdit::DataField, &TDBEdit::SetDataField);
    b.Property("DataSource", &TDBEdit::DataSource, &TDBEdit::SetDataSource);
    b.Property("ReadOnly", &TDBEdit::ReadOnly, &TDBEdit::SetReadOnly).Default(0);
    b.Publish({"Anchors", "AutoSelect", "CharCase", "Color", "Ctl3D", "DragCursor", "DragKind", "DragMode", "Enabled",
               "Font", "ImeName", "MaxLength", "ParentColor", "ParentCtl3D", "ParentFont", "ParentShowHint",
               "PopupMenu", "ShowHint", "TabOrder", "TabStop", "Visible", "OnChange", "OnClick", "OnDblClick",
               "OnDragDrop", "OnDragOver", "OnEndDock", "OnEndDrag", "OnEnter", "OnExit", "OnKeyDown", "OnKeyPress",
               "OnKeyUp", "OnMouseDown", "OnMouseMove", "OnMouseUp", "OnStartDock", "OnStartDrag"});
}

TDBEdit::TDBEdit(TComponent* owner) : TCustomEdit(owner), fDataLink(std::make_unique<TFieldDataLink>()) {
    fDataLink->SetControl(this);
    fDataLink->OnDataChange = TNotifyEvent::Of<&TDBEdit::DataChange>(this);
    fDataLink->OnEditingChange = TNotifyEvent::Of<&TDBEdit::EditingChange>(this);
    fDataLink->OnUpdateData = TNotifyEvent::Of<&TDBEdit::UpdateData>(this);
    TCustomEdit::SetReadOnly(true);  // nothing to edit until bound
}

TDBEdit::~TDBEdit() {
    // Unbinding tells the link; this control is half gone by now and must not hear of it.
    fDataLink->OnDataChange.Clear();
    fDataLink->OnEditingChange.Clear();
    fDataLink->OnUpdateData.Clear();
    fDataLink->OnActiveChange.Clear();
    fDataLink->SetDataSource(nullptr);
}

void TDBEdit::SetDataSource(TDataSource* ds) {
    if (TDataSource* old = fDataLink->DataSource()) old->RemoveFreeNotification(this);
    fDataLink->SetDataSource(ds);
    if (ds) ds->FreeNotification(this);
    ShowField();
}

void TDBEdit::Notification(TComponent* c, TOperation op) {
    TCustomEdit::Notification(c, op);
    if (op == opRemove && fDataLink && c == fDataLink->DataSource()) fDataLink->SetDataSource(nullptr);
}

void TDBEdit::SetReadOnly(bool v) {
    fDataLink->SetReadOnly(v);
    ShowField();
}

bool TDBEdit::CanWrite() const { return fDataLink->CanModify() && fDataLink->DataSource() && fDataLink->DataSource()->AutoEdit(); }

void TDBEdit::ShowField() {
    TField* f = fDataLink->Field();
    fShowing = true;
    if (f) {
        // The focused edit shows the editable text, otherwise the display text.
        SetText(Focused() ? f->Text() : f->DisplayText());
        fMaxLength = f->DataType() == ftString ? f->Size() : 0;
    } else {
        SetText("");
    }
    fShowing = false;
    fModified = false;
    TCustomEdit::SetReadOnly(!f || !(fDataLink->Editing() || CanWrite()));
}

void TDBEdit::DataChange(TObject*) { ShowField(); }
void TDBEdit::EditingChange(TObject*) { TCustomEdit::SetReadOnly(!fDataLink->Field() || !(fDataLink->Editing() || CanWrite())); }

void TDBEdit::UpdateData(TObject*) {
    if (TField* f = fDataLink->Field()) f->SetText(fText);
}

void TDBEdit::Change() {
    if (!fShowing) fDataLink->Modified();
    TCustomEdit::Change();
}

void TDBEdit::KeyPress(char& key) {
    TCustomEdit::KeyPress(key);
    unsigned char u = static_cast<unsigned char>(key);
    if (key == 27) {
        // Esc restores the field's text.
        fDataLink->Reset();
        SelectAll();
        key = 0;
        return;
    }
    if ((u >= 32 || key == 8) && fDataLink->Field()) {
        if (!fDataLink->Edit()) key = 0;  // could not start editing: the key is dropped
    }
}

void TDBEdit::DefaultKeyDown(uint16_t key, TShiftState shift) {
    if (key == VK_DELETE && fDataLink->Field() && !fDataLink->Edit()) return;
    TCustomEdit::DefaultKeyDown(key, shift);
}

void TDBEdit::DefaultChar(char key) {
    if (key == '\r') {
        if (fDataLink->Editing()) fDataLink->UpdateRecord();
        return;
    }
    TCustomEdit::DefaultChar(key);
}

void TDBEdit::DoEnter() {
    fFocusedShow = true;
    if (fDataLink->Field() && !fDataLink->IsModified()) {
        fShowing = true;
        SetText(fDataLink->Field()->Text());
        fShowing = false;
    }
    TCustomEdit::DoEnter();
}

void TDBEdit::DoExit() {
    // A text the field refuses keeps the focus here and passes the error on.
    try {
        if (fDataLink->Editing()) fDataLink->UpdateRecord();
    } catch (...) {
        SelectAll();
        throw;
    }
    fFocusedShow = false;
    if (fDataLink->Field() && !fDataLink->IsModified()) {
        fShowing = true;
        SetText(fDataLink->Field()->DisplayText());
        fShowing = false;
    }
    TCustomEdit::DoExit();
}

// ---- TDBNavigator --------------------------------------------------------------------------

namespace {
const char* const kDefaultHints[10] = {"First record", "Prior record", "Next record", "Last record", "Insert record",
                                       "Delete record", "Edit record", "Post edit", "Cancel edit", "Refresh data"};
const char* const kButtonNames[10] = {"First", "Prior", "Next", "Last", "Insert", "Delete", "Edit", "Post", "Cancel", "Refresh"};
}  // namespace

PLAT_REGISTER_CLASS(TNavButton, TGraphicControl) {}

TNavButton::TNavButton(TComponent* owner) : TGraphicControl(owner) {}

void TNavButton::Click() {
    TGraphicControl::Click();
    if (auto* nav = dynamic_cast<TDBNavigator*>(fParent)) nav->BtnClick(fIndex);
}

PLAT_REGISTER_CLASS(TDBNavigator, TCustomControl) {
    b.Property("DataSource", &TDBNavigator::DataSource, &TDBNavigator::SetDataSource);
    b.Property("VisibleButtons", &TDBNavigator::VisibleButtons, &TDBNavigator::SetVisibleButtons);
    b.Property("Flat", &TDBNavigator::Flat, &TDBNavigator::SetFlat).Default(0);
    b.Property("Hints", &TDBNavigator::Hints, &TDBNavigator::SetHints);
    b.Property("ConfirmDelete", &TDBNavigator::ConfirmDelete, &TDBNavigator::SetConfirmDelete).Default(1);
    b.Event("BeforeAction", &TDBNavigator::BeforeAction);
    b.Event("OnClick", &TDBNavigator::OnClick);
    b.Publish({"Align", "Anchors", "Ctl3D", "DragCursor", "DragKind", "DragMode", "Enabled", "ParentCtl3D",
               "ParentShowHint", "PopupMenu", "ShowHint", "TabOrder", "TabStop", "Visible", "OnDblClick", "OnDragDrop",
               "OnDragOver", "OnEndDock", "OnEndDrag", "OnEnter", "OnExit", "OnMouseDown", "OnMouseMove",
               "OnMouseUp", "OnStartDock", "OnStartDrag"});
}

TDBNavigator::TDBNavigator(TComponent* owner)
    : TCustomControl(owner), fDataLink(std::make_unique<TFieldDataLink>()), fHints(std::make_unique<TStringList>()) {
    fWidth = 240;
    fHeight = 25;
    for (int i = 0; i < 10; ++i) {
        auto* btn = CreateObject<TNavButton>(this);
        btn->fIndex = static_cast<TNavigateBtn>(i);
        btn->SetName(kButtonNames[i]);
        btn->SetHint(kDefaultHints[i]);
        btn->SetParent(this);
        fButtons[static_cast<size_t>(i)] = btn;
    }
    fHints->OnChange = TNotifyEvent::Of<&TDBNavigator::HintsChanged>(this);
    fDataLink->OnDataChange = TNotifyEvent::Of<&TDBNavigator::HintsChanged>(this);
    fDataLink->OnEditingChange = TNotifyEvent::Of<&TDBNavigator::HintsChanged>(this);
    fDataLink->OnActiveChange = TNotifyEvent::Of<&TDBNavigator::HintsChanged>(this);
    Arrange();
    UpdateButtons();
}

TDBNavigator::~TDBNavigator() {
    // Unbinding tells the link; this control is half gone by now and must not hear of it.
    fDataLink->OnDataChange.Clear();
    fDataLink->OnEditingChange.Clear();
    fDataLink->OnUpdateData.Clear();
    fDataLink->OnActiveChange.Clear();
    fDataLink->SetDataSource(nullptr);
}

void TDBNavigator::SetDataSource(TDataSource* ds) {
    fDataLink->SetDataSource(ds);
    UpdateButtons();
}

void TDBNavigator::SetVisibleButtons(TButtonSet s) {
    fVisibleButtons = s;
    for (int i = 0; i < 10; ++i) fButtons[static_cast<size_t>(i)]->SetVisible(s.Contains(static_cast<TNavigateBtn>(i)));
    Arrange();
}

void TDBNavigator::HintsChanged(TObject* sender) {
    if (sender == fHints.get()) {
        for (int i = 0; i < 10; ++i) {
            std::string h = i < fHints->Count() ? fHints->Strings(i) : std::string();
            fButtons[static_cast<size_t>(i)]->SetHint(h.empty() ? kDefaultHints[i] : h);
        }
        return;
    }
    UpdateButtons();
}

void TDBNavigator::Resize() {
    TCustomControl::Resize();
    Arrange();
}

void TDBNavigator::Arrange() {
    int n = 0;
    for (auto* b : fButtons)
        if (b && b->Visible()) ++n;
    if (n == 0) return;
    int w = fWidth / n, x = 0;
    for (auto* b : fButtons) {
        if (!b || !b->Visible()) continue;
        b->SetBounds(x, 0, w, fHeight);
        x += w;
    }
}

void TDBNavigator::UpdateButtons() {
    TDataSet* ds = fDataLink->Active() ? fDataLink->DataSet() : nullptr;
    bool browse = ds && ds->State() == dsBrowse;
    bool editing = ds && (ds->State() == dsEdit || ds->State() == dsInsert);
    bool canModify = ds && ds->CanModify();
    bool upEnable = browse && !ds->Bof();
    bool downEnable = browse && !ds->Eof();
    bool enable[10] = {upEnable, upEnable, downEnable, downEnable, canModify && !editing, canModify && !editing && !ds->IsEmpty(),
                       canModify && browse && !ds->IsEmpty(), editing, editing, ds && browse};
    for (int i = 0; i < 10; ++i) fButtons[static_cast<size_t>(i)]->SetEnabled(enable[i]);
}

void TDBNavigator::BtnClick(TNavigateBtn b) {
    TDataSet* ds = fDataLink->Active() ? fDataLink->DataSet() : nullptr;
    if (ds) {
        BeforeAction(this, b);
        switch (b) {
            case nbFirst: ds->First(); break;
            case nbPrior: ds->Prior(); break;
            case nbNext: ds->Next(); break;
            case nbLast: ds->Last(); break;
            case nbInsert: ds->Insert(); break;
            case nbEdit: ds->Edit(); break;
            case nbPost: ds->Post(); break;
            case nbCancel: ds->Cancel(); break;
            case nbRefresh: ds->CheckBrowseMode(); break;
            case nbDelete:
                if (!fConfirmDelete || MessageDlg("Delete record?", mtConfirmation, {mbOK, mbCancel}) == mrOk) ds->Delete();
                break;
        }
    }
    UpdateButtons();
    OnClick(this, b);
}

}  // namespace plat
