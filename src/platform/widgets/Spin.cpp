#include "platform/widgets/Spin.h"

#include "platform/core/SysUtils.h"
#include "platform/forms/Forms.h"

namespace plat {

// ---- TSpinButton -------------------------------------------------------------------------------

PLAT_REGISTER_CLASS(TSpinButton, TWinControl) {
    b.Publish({"Align", "Anchors", "Ctl3D", "DragCursor", "DragKind", "DragMode", "Enabled"});
    b.Property("FocusControl", &TSpinButton::FocusControl, &TSpinButton::SetFocusControl);
    b.Publish({"ParentCtl3D", "ParentShowHint", "PopupMenu", "ShowHint", "TabOrder", "TabStop", "Visible"});
    b.Event("OnDownClick", &TSpinButton::OnDownClick);
    b.Publish({"OnDragDrop", "OnDragOver", "OnEndDock", "OnEndDrag", "OnEnter", "OnExit", "OnStartDock",
               "OnStartDrag"});
    b.Event("OnUpClick", &TSpinButton::OnUpClick);
}

TSpinButton::TSpinButton(TComponent* owner) : TWinControl(owner) {
    fWidth = 20;
    fHeight = 18;
    fControlStyle = TControlStyle{csCaptureMouse, csDoubleClicks};
    fColor = clBtnFace;
    fParentColor = false;
}

void TSpinButton::SetFocusControl(TWinControl* c) {
    if (c == fFocusControl) return;
    if (fFocusControl) fFocusControl->RemoveFreeNotification(this);
    fFocusControl = c;
    if (c) c->FreeNotification(this);
}

void TSpinButton::Notification(TComponent* c, TOperation op) {
    TWinControl::Notification(c, op);
    if (op == opRemove && c == fFocusControl) fFocusControl = nullptr;
}

void TSpinButton::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
    TComponentWatch w(this);
    TWinControl::MouseDown(button, shift, x, y);
    if (!w.Target || button != mbLeft || !fEnabled) return;
    fPressedHalf = y < fHeight / 2 ? 1 : -1;
    Invalidate();
    if (fFocusControl && fFocusControl->TabStop() && fFocusControl->CanFocus() && !fFocusControl->Focused())
        fFocusControl->SetFocus();
    else if (fTabStop && CanFocus() && !Focused())
        SetFocus();
}

void TSpinButton::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
    int half = fPressedHalf;
    fPressedHalf = 0;
    if (half != 0) Invalidate();
    TComponentWatch w(this);
    TWinControl::MouseUp(button, shift, x, y);
    if (!w.Target || button != mbLeft || half == 0 || !ClientRect().Contains({x, y})) return;
    // The release must be on the half that was pressed.
    if ((y < fHeight / 2 ? 1 : -1) != half) return;
    if (half > 0) OnUpClick(this);
    else OnDownClick(this);
}

// ---- TSpinEdit ---------------------------------------------------------------------------------

PLAT_REGISTER_CLASS(TSpinEdit, TCustomEdit) {
    b.Publish({"Anchors", "AutoSelect", "AutoSize", "Color", "Ctl3D", "DragCursor", "DragMode", "Enabled"});
    b.Property("EditorEnabled", &TSpinEdit::EditorEnabled, &TSpinEdit::SetEditorEnabled).Default(1);
    b.Publish({"Font", "ImeMode", "ImeName"});
    b.Property("Increment", &TSpinEdit::Increment, &TSpinEdit::SetIncrement).Default(1);
    b.Publish({"MaxLength"});
    b.Property("MaxValue", &TSpinEdit::MaxValue, &TSpinEdit::SetMaxValue);
    b.Property("MinValue", &TSpinEdit::MinValue, &TSpinEdit::SetMinValue);
    b.Publish({"ParentColor", "ParentCtl3D", "ParentFont", "ParentShowHint", "PopupMenu", "ReadOnly", "ShowHint",
               "TabOrder", "TabStop", "Text"});
    b.Property("Value", &TSpinEdit::Value, &TSpinEdit::SetValue);
    b.Publish({"Visible", "OnChange", "OnClick", "OnDblClick", "OnDragDrop", "OnDragOver", "OnEndDrag", "OnEnter",
               "OnExit", "OnKeyDown", "OnKeyPress", "OnKeyUp", "OnMouseDown", "OnMouseMove", "OnMouseUp",
               "OnStartDrag"});
}

TSpinEdit::TSpinEdit(TComponent* owner) : TCustomEdit(owner) {
    fWidth = 47;
    fControlStyle.Exclude(csSetCaption);
    fButton = CreateObject<TSpinButton>(this);
    fButton->SetBounds(0, 0, 15, 17);
    fButton->SetParent(this);
    fButton->SetFocusControl(this);
    fButton->OnUpClick = TNotifyEvent::Of<&TSpinEdit::UpClick>(this);
    fButton->OnDownClick = TNotifyEvent::Of<&TSpinEdit::DownClick>(this);
    TControl::SetText("0");
    PlaceButton();
}

void TSpinEdit::PlaceButton() {
    if (!fButton) return;
    // The buttons sit inside the edit at its right edge.
    if (fCtl3D) fButton->SetBounds(fWidth - fButton->Width() - 5, 0, fButton->Width(), fHeight - 5);
    else fButton->SetBounds(fWidth - fButton->Width(), 1, fButton->Width(), fHeight - 3);
}

void TSpinEdit::SetBounds(int left, int top, int width, int height) {
    TCustomEdit::SetBounds(left, top, width, height);
    PlaceButton();
}

int TSpinEdit::CheckValue(int v) const {
    if (fMaxValue != fMinValue) {
        if (v < fMinValue) return fMinValue;
        if (v > fMaxValue) return fMaxValue;
    }
    return v;
}

int TSpinEdit::Value() const {
    int32_t v = 0;
    return TryStrToInt(fText, v) ? v : fMinValue;
}

void TSpinEdit::SetValue(int v) { SetText(IntToStr(CheckValue(v))); }

void TSpinEdit::UpClick(TObject*) {
    if (!fReadOnly) SetValue(Value() + fIncrement);
}

void TSpinEdit::DownClick(TObject*) {
    if (!fReadOnly) SetValue(Value() - fIncrement);
}

bool TSpinEdit::IsValidChar(char key) const {
    unsigned char u = static_cast<unsigned char>(key);
    bool valid = key == FormatSettings.DecimalSeparator || key == '+' || key == '-' || (key >= '0' && key <= '9') ||
                 (u < 32 && key != '\r');
    if (!fEditorEnabled && valid && (u >= 32 || key == 8 || key == static_cast<char>(VK_DELETE))) valid = false;
    return valid;
}

void TSpinEdit::KeyDown(uint16_t& key, TShiftState shift) {
    if (key == VK_UP) UpClick(this);
    else if (key == VK_DOWN) DownClick(this);
    TCustomEdit::KeyDown(key, shift);
}

void TSpinEdit::KeyPress(char& key) {
    // Refused characters never reach OnKeyPress.
    if (!IsValidChar(key)) key = 0;
    if (key != 0) TCustomEdit::KeyPress(key);
}

void TSpinEdit::DoExit() {
    TCustomEdit::DoExit();
    int v = Value();
    if (CheckValue(v) != v) SetValue(v);
}

}  // namespace plat
