#include "controls/QmcEdit.h"

namespace plat {
PLAT_DEFINE_ENUM(qm::TLabelPosition, "lpAbove", "lpBelow", "lpLeft", "lpRight")
}

using namespace plat;

namespace qm {

// ---- The label -----------------------------------------------------------------------------

void TEditLabelLink::Create(TWinControl* edit) {
    fEdit = edit;
    fLabel = CreateObject<TLabel>(edit);
    fLabel->SetName("EditLabel");
    fLabel->SetCaption("");
    fLabel->SetFocusControl(edit);
    fLabel->FreeNotification(edit);
}

std::string TEditLabelLink::Caption() const { return fLabel ? fLabel->Caption() : std::string(); }

void TEditLabelLink::SetCaption(const std::string& s) {
    if (!fLabel) return;
    fLabel->SetCaption(s);
    Place();
}

void TEditLabelLink::SetPosition(TLabelPosition p) {
    fPosition = p;
    Place();
}

void TEditLabelLink::SetSpacing(int s) {
    if (s < 0) return;
    fSpacing = s;
    Place();
}

void TEditLabelLink::Place() {
    if (!fLabel || !fEdit) return;
    const TWinControl& e = *fEdit;
    const int w = fLabel->Width(), h = fLabel->Height(), s = fSpacing;
    switch (fPosition) {
        case lpAbove: fLabel->SetBounds(e.Left(), e.Top() - h - s, w, h); break;
        case lpBelow: fLabel->SetBounds(e.Left(), e.Top() + e.Height() + s, w, h); break;
        case lpLeft: fLabel->SetBounds(e.Left() - w - s, e.Top() + (e.Height() - h) / 2, w, h); break;
        case lpRight: fLabel->SetBounds(e.Left() + e.Width() + s, e.Top() + (e.Height() - h) / 2, w, h); break;
    }
}

void TEditLabelLink::FollowParent() {
    if (!fLabel) return;
    fLabel->SetParent(fEdit->Parent());
    fLabel->SetVisible(fEdit->Visible());
    Place();
}

void TEditLabelLink::FollowEnabled() {
    if (fLabel) fLabel->SetEnabled(fEdit->Enabled());
}

void TEditLabelLink::FollowVisible() {
    if (fLabel) fLabel->SetVisible(fEdit->Visible());
}

void TEditLabelLink::Forget(TComponent* c) {
    if (c == fLabel) fLabel = nullptr;
}

// ---- TQmEdit -------------------------------------------------------------------------------

#define QM_REGISTER_LABEL_PROPERTIES                                                                  \
    b.Property("Caption", &Self::Caption, &Self::SetCaption);                                         \
    b.Property("LabelPosition", &Self::LabelPosition, &Self::SetLabelPosition).Default(lpLeft);       \
    b.Property("LabelSpacing", &Self::LabelSpacing, &Self::SetLabelSpacing).Default(4);

PLAT_REGISTER_CLASS(TQmEdit, TEdit) { QM_REGISTER_LABEL_PROPERTIES }

TQmEdit::TQmEdit(TComponent* owner) : TEdit(owner) { fLink.Create(this); }

void TQmEdit::SetBounds(int left, int top, int width, int height) {
    TEdit::SetBounds(left, top, width, height);
    fLink.Place();
}

void TQmEdit::SetParent(TWinControl* parent) {
    TEdit::SetParent(parent);
    fLink.FollowParent();
}

void TQmEdit::EnabledChanged() {
    TEdit::EnabledChanged();
    fLink.FollowEnabled();
}

void TQmEdit::VisibleChanged() {
    TEdit::VisibleChanged();
    fLink.FollowVisible();
}

void TQmEdit::Notification(TComponent* c, TOperation op) {
    TEdit::Notification(c, op);
    if (op == opRemove) fLink.Forget(c);
}

// ---- TQmDBEdit -----------------------------------------------------------------------------

PLAT_REGISTER_CLASS(TQmDBEdit, TDBEdit) { QM_REGISTER_LABEL_PROPERTIES }

TQmDBEdit::TQmDBEdit(TComponent* owner) : TDBEdit(owner) { fLink.Create(this); }

void TQmDBEdit::SetBounds(int left, int top, int width, int height) {
    TDBEdit::SetBounds(left, top, width, height);
    fLink.Place();
    PlaceButton();
}

void TQmDBEdit::SetParent(TWinControl* parent) {
    TDBEdit::SetParent(parent);
    fLink.FollowParent();
}

void TQmDBEdit::EnabledChanged() {
    TDBEdit::EnabledChanged();
    fLink.FollowEnabled();
}

void TQmDBEdit::VisibleChanged() {
    TDBEdit::VisibleChanged();
    fLink.FollowVisible();
}

void TQmDBEdit::Notification(TComponent* c, TOperation op) {
    TDBEdit::Notification(c, op);
    if (op == opRemove) fLink.Forget(c);
}

// ---- TQmBtnDBEdit --------------------------------------------------------------------------

PLAT_REGISTER_CLASS(TQmBtnDBEdit, TQmDBEdit) {
    b.Property("ButtonSpacing", &Self::ButtonSpacing, &Self::SetButtonSpacing).Default(2);
    b.Property("GlyphIndex", &Self::GlyphIndex, &Self::SetGlyphIndex).Default(8);
    b.Property("ButtonHint", &Self::ButtonHint, &Self::SetButtonHint);
    b.Event("OnDialog", &Self::OnDialog);
}

TQmBtnDBEdit::TQmBtnDBEdit(TComponent* owner) : TQmDBEdit(owner) {
    fButton = CreateObject<TGSpeedButton>(this);
    fButton->SetName("F2Button");
    fButton->SetFlat(true);
    fButton->SetGlyphIndex(8);
    fButton->OnClick = TNotifyEvent::Of<&TQmBtnDBEdit::ButtonClick>(this);
    fButton->FreeNotification(this);
    PlaceButton();
}

void TQmBtnDBEdit::SetBounds(int left, int top, int width, int height) {
    TQmDBEdit::SetBounds(left, top, width, height);
}

void TQmBtnDBEdit::SetParent(TWinControl* parent) {
    TQmDBEdit::SetParent(parent);
    if (!fButton) return;
    fButton->SetParent(parent);
    fButton->SetVisible(Visible());
    PlaceButton();
}

void TQmBtnDBEdit::PlaceButton() {
    if (fButton) fButton->SetBounds(Left() + Width() + fButtonSpacing, Top(), Height(), Height());
}

void TQmBtnDBEdit::SetButtonSpacing(int s) {
    fButtonSpacing = s;
    PlaceButton();
}

int TQmBtnDBEdit::GlyphIndex() const { return fButton ? fButton->GlyphIndex() : 0; }
void TQmBtnDBEdit::SetGlyphIndex(int n) {
    if (fButton) fButton->SetGlyphIndex(n);
}
std::string TQmBtnDBEdit::ButtonHint() const { return fButton ? fButton->Hint() : std::string(); }
void TQmBtnDBEdit::SetButtonHint(const std::string& s) {
    if (fButton) fButton->SetHint(s);
}

void TQmBtnDBEdit::ButtonClick(TObject*) {
    if (OnDialog.Assigned()) {
        OnDialog(this);
        return;
    }
    if (CanFocus()) SetFocus();
    if (!Focused()) return;
    if (auto* form = dynamic_cast<TWinControl*>(Owner()))
        SendMessage(form->Handle(), WM_F2LOOKUP, 0, reinterpret_cast<LPARAM>(static_cast<TWinControl*>(this)));
}

void TQmBtnDBEdit::EnabledChanged() {
    TQmDBEdit::EnabledChanged();
    if (fButton) fButton->SetEnabled(Enabled());
}

void TQmBtnDBEdit::VisibleChanged() {
    TQmDBEdit::VisibleChanged();
    if (fButton) fButton->SetVisible(Visible());
}

void TQmBtnDBEdit::Notification(TComponent* c, TOperation op) {
    TQmDBEdit::Notification(c, op);
    if (op == opRemove && c == fButton) fButton = nullptr;
}

}  // namespace qm
