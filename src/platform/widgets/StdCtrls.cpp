#include "platform/widgets/StdCtrls.h"

#include <algorithm>

#include "platform/forms/Forms.h"

namespace plat {

PLAT_DEFINE_ENUM(TTextLayout, "tlTop", "tlCenter", "tlBottom")
PLAT_DEFINE_ENUM(TEditCharCase, "ecNormal", "ecUpperCase", "ecLowerCase")

namespace {
std::string Cased(const std::string& s, TEditCharCase c) {
    if (c == ecNormal) return s;
    std::string r = s;
    for (auto& ch : r) {
        if (c == ecUpperCase && ch >= 'a' && ch <= 'z') ch = static_cast<char>(ch - 32);
        if (c == ecLowerCase && ch >= 'A' && ch <= 'Z') ch = static_cast<char>(ch + 32);
    }
    return r;
}
}  // namespace

// ---- Labels --------------------------------------------------------------------------------

PLAT_REGISTER_CLASS(TCustomLabel, TGraphicControl) {
    b.Property("Alignment", &TCustomLabel::Alignment, &TCustomLabel::SetAlignment).Unpublished();
    b.Property("AutoSize", &TCustomLabel::AutoSize, &TCustomLabel::SetAutoSize).Unpublished();
    b.Property("FocusControl", &TCustomLabel::FocusControl, &TCustomLabel::SetFocusControl).Unpublished();
    b.Property("Layout", &TCustomLabel::Layout, &TCustomLabel::SetLayout).Unpublished();
    b.Property("ShowAccelChar", &TCustomLabel::ShowAccelChar, &TCustomLabel::SetShowAccelChar).Unpublished();
    b.Property("Transparent", &TCustomLabel::Transparent, &TCustomLabel::SetTransparent).Unpublished();
    b.Property("WordWrap", &TCustomLabel::WordWrap, &TCustomLabel::SetWordWrap).Unpublished();
    b.Message(CM_DIALOGCHAR, &TCustomLabel::CMDialogChar);
}

PLAT_REGISTER_CLASS(TLabel, TCustomLabel) {
    b.Publish({"Align", "Alignment", "Anchors", "AutoSize", "Caption", "Color", "DragCursor", "DragKind", "DragMode",
               "Enabled", "FocusControl", "Font", "Layout", "ParentColor", "ParentFont", "ParentShowHint", "PopupMenu",
               "ShowAccelChar", "ShowHint", "Transparent", "Visible", "WordWrap", "OnClick", "OnDblClick",
               "OnDragDrop", "OnDragOver", "OnEndDock", "OnEndDrag", "OnMouseDown", "OnMouseMove", "OnMouseUp",
               "OnStartDock", "OnStartDrag"});
}

TCustomLabel::TCustomLabel(TComponent* owner) : TGraphicControl(owner) {
    fWidth = 65;
    fHeight = 17;
    fControlStyle.Include(csOpaque);
}

void TCustomLabel::SetFocusControl(TWinControl* c) {
    if (c == fFocusControl) return;
    if (fFocusControl) fFocusControl->RemoveFreeNotification(this);
    fFocusControl = c;
    if (c) c->FreeNotification(this);
}

void TCustomLabel::SetAutoSize(bool v) {
    if (v == fAutoSize) return;
    fAutoSize = v;
    AdjustBounds();
}
void TCustomLabel::SetAlignment(TAlignment a) {
    if (a == fAlignment) return;
    fAlignment = a;
    Invalidate();
}
void TCustomLabel::SetLayout(TTextLayout l) {
    if (l == fLayout) return;
    fLayout = l;
    Invalidate();
}
void TCustomLabel::SetShowAccelChar(bool v) {
    if (v == fShowAccelChar) return;
    fShowAccelChar = v;
    AdjustBounds();
}
void TCustomLabel::SetTransparent(bool v) {
    if (v == fTransparent) return;
    fTransparent = v;
    Invalidate();
}
void TCustomLabel::SetWordWrap(bool v) {
    if (v == fWordWrap) return;
    fWordWrap = v;
    AdjustBounds();
}

std::string TCustomLabel::DisplayText() const { return fShowAccelChar ? StripHotkey(fText) : fText; }

void TCustomLabel::AdjustBounds() {
    if (!fAutoSize || IsLoading() || fWordWrap) return;
    TTextSize sz = WidgetSet().TextExtent(*fFont, DisplayText());
    int left = fLeft;
    if (fAlignment == taRightJustify) left = fLeft + fWidth - sz.cx;
    else if (fAlignment == taCenter) left = fLeft + (fWidth - sz.cx) / 2;
    SetBounds(left, fTop, sz.cx, sz.cy);
}

void TCustomLabel::FontChanged() {
    TGraphicControl::FontChanged();
    AdjustBounds();
}

void TCustomLabel::Loaded() {
    TGraphicControl::Loaded();
    AdjustBounds();
}

void TCustomLabel::Notification(TComponent* c, TOperation op) {
    TGraphicControl::Notification(c, op);
    if (op == opRemove && c == fFocusControl) fFocusControl = nullptr;
}

void TCustomLabel::CMDialogChar(TMessage& msg) {
    if (fFocusControl && fEnabled && fShowAccelChar && IsAccel(static_cast<char>(msg.WParam), fText) &&
        fFocusControl->CanFocus()) {
        fFocusControl->SetFocus();
        msg.Result = 1;
    }
}

// ---- Edits ---------------------------------------------------------------------------------

PLAT_REGISTER_CLASS(TCustomEdit, TWinControl) {
    b.Property("AutoSelect", &TCustomEdit::AutoSelect, &TCustomEdit::SetAutoSelect).Unpublished();
    b.Property("CharCase", &TCustomEdit::CharCase, &TCustomEdit::SetCharCase).Unpublished();
    b.Property("ImeName", &TCustomEdit::ImeName, &TCustomEdit::SetImeName).TypeName("TImeName").Unpublished();
    b.Property("MaxLength", &TCustomEdit::MaxLength, &TCustomEdit::SetMaxLength).Unpublished();
    b.Property("ReadOnly", &TCustomEdit::ReadOnly, &TCustomEdit::SetReadOnly).Unpublished();
    b.Event("OnChange", &TCustomEdit::OnChange).Unpublished();
}

PLAT_REGISTER_CLASS(TEdit, TCustomEdit) {
    b.Publish({"Anchors", "AutoSelect", "CharCase", "Color", "Ctl3D", "DragCursor", "DragKind", "DragMode", "Enabled",
               "Font", "ImeName", "MaxLength", "ParentColor", "ParentCtl3D", "ParentFont", "ParentShowHint", "PopupMenu",
               "ReadOnly", "ShowHint", "TabOrder", "TabStop", "Text", "Visible", "OnChange", "OnClick", "OnDblClick",
               "OnDragDrop", "OnDragOver", "OnEndDock", "OnEndDrag", "OnEnter", "OnExit", "OnKeyDown", "OnKeyPress",
               "OnKeyUp", "OnMouseDown", "OnMouseMove", "OnMouseUp", "OnStartDock", "OnStartDrag"});
}

TCustomEdit::TCustomEdit(TComponent* owner) : TWinControl(owner) {
    fWidth = 121;
    fHeight = 21;
    fTabStop = true;
    fColor = clWindow;
    fParentColor = false;
}

void TCustomEdit::SetCharCase(TEditCharCase c) {
    if (c == fCharCase) return;
    fCharCase = c;
    SetText(Cased(fText, c));
}

void TCustomEdit::SetSelStart(int v) {
    fSelStart = std::clamp(v, 0, static_cast<int>(fText.size()));
    fSelLength = 0;
}

void TCustomEdit::SetSelLength(int v) { fSelLength = std::clamp(v, 0, static_cast<int>(fText.size()) - fSelStart); }

std::string TCustomEdit::SelText() const { return fText.substr(static_cast<size_t>(fSelStart), static_cast<size_t>(fSelLength)); }

void TCustomEdit::SelectAll() {
    fSelStart = 0;
    fSelLength = static_cast<int>(fText.size());
}

void TCustomEdit::Change() { OnChange(this); }

void TCustomEdit::TextChanged() {
    fSelStart = std::min(fSelStart, static_cast<int>(fText.size()));
    fSelLength = std::min(fSelLength, static_cast<int>(fText.size()) - fSelStart);
    if (!IsLoading()) Change();
}

void TCustomEdit::ReplaceSelection(const std::string& s) {
    std::string t = fText;
    t.replace(static_cast<size_t>(fSelStart), static_cast<size_t>(fSelLength), s);
    int caret = fSelStart + static_cast<int>(s.size());
    fModified = true;
    fSelLength = 0;
    SetText(t);
    fSelStart = std::min(caret, static_cast<int>(fText.size()));
}

void TCustomEdit::DefaultChar(char key) {
    if (fReadOnly) return;
    unsigned char u = static_cast<unsigned char>(key);
    if (u == 8) {
        if (fSelLength > 0) {
            ReplaceSelection("");
        } else if (fSelStart > 0) {
            int b = fSelStart - 1;
            while (b > 0 && (static_cast<unsigned char>(fText[static_cast<size_t>(b)]) & 0xC0) == 0x80) --b;
            fSelLength = fSelStart - b;
            fSelStart = b;
            ReplaceSelection("");
        }
        return;
    }
    if (u < 32 || u == 127) return;
    if (fMaxLength > 0 && static_cast<int>(fText.size()) - fSelLength >= fMaxLength && (u & 0xC0) != 0x80) return;
    ReplaceSelection(Cased(std::string(1, key), fCharCase));
}

void TCustomEdit::DefaultKeyDown(uint16_t key, TShiftState) {
    int n = static_cast<int>(fText.size());
    switch (key) {
        case VK_DELETE:
            if (fReadOnly) return;
            if (fSelLength == 0 && fSelStart < n) {
                int e = fSelStart + 1;
                while (e < n && (static_cast<unsigned char>(fText[static_cast<size_t>(e)]) & 0xC0) == 0x80) ++e;
                fSelLength = e - fSelStart;
            }
            if (fSelLength > 0) ReplaceSelection("");
            break;
        case VK_HOME: SetSelStart(0); break;
        case VK_END: SetSelStart(n); break;
        case VK_LEFT: SetSelStart(fSelStart - 1); break;
        case VK_RIGHT: SetSelStart(fSelStart + 1); break;
        default: break;
    }
}

void TCustomEdit::DoEnter() {
    if (fAutoSelect) SelectAll();
    TWinControl::DoEnter();
}

// ---- Buttons -------------------------------------------------------------------------------

PLAT_REGISTER_CLASS(TButtonControl, TWinControl) {}

PLAT_REGISTER_CLASS(TButton, TButtonControl) {
    b.Property("Cancel", &TButton::Cancel, &TButton::SetCancel).Default(0);
    b.Property("Default", &TButton::Default, &TButton::SetDefault).Default(0);
    b.Property("ModalResult", &TButton::ModalResult, &TButton::SetModalResult).Type(TypeModalResult()).Default(0);
    b.Publish({"Anchors", "Caption", "DragCursor", "DragKind", "DragMode", "Enabled", "Font", "ParentFont",
               "ParentShowHint", "PopupMenu", "ShowHint", "TabOrder", "TabStop", "Visible", "OnClick", "OnDragDrop",
               "OnDragOver", "OnEndDock", "OnEndDrag", "OnEnter", "OnExit", "OnKeyDown", "OnKeyPress", "OnKeyUp",
               "OnMouseDown", "OnMouseMove", "OnMouseUp", "OnStartDock", "OnStartDrag"});
    b.Message(CM_DIALOGKEY, &TButton::CMDialogKey);
    b.Message(CM_DIALOGCHAR, &TButton::CMDialogChar);
}

TButtonControl::TButtonControl(TComponent* owner) : TWinControl(owner) {
    fTabStop = true;
    fColor = clBtnFace;
    fParentColor = false;
}

TButton::TButton(TComponent* owner) : TButtonControl(owner) {
    fWidth = 75;
    fHeight = 25;
}

void TButton::SetDefault(bool v) {
    if (v == fDefault) return;
    fDefault = v;
    Changed(TPeerChange::Style);
}

void TButton::Click() {
    if (TCustomForm* f = GetParentForm(this)) f->SetModalResult(fModalResult);
    TButtonControl::Click();
}

bool TButton::IsActive() const {
    if (Focused()) return true;
    return fDefault && !dynamic_cast<TButton*>(FindFocusedControl());
}

void TButton::DefaultKeyDown(uint16_t key, TShiftState shift) {
    if (key == VK_SPACE && shift.Empty()) Click();
}

void TButton::CMDialogKey(TMessage& msg) {
    bool enter = msg.WParam == VK_RETURN && IsActive();
    bool esc = msg.WParam == VK_ESCAPE && fCancel;
    if ((enter || esc) && (KeyboardShiftState() - TShiftState{ssLeft, ssRight, ssMiddle}).Empty() && CanFocus()) {
        Click();
        msg.Result = 1;
    }
}

void TButton::CMDialogChar(TMessage& msg) {
    if (IsAccel(static_cast<char>(msg.WParam), fText) && CanFocus()) {
        TComponentWatch w(this);
        SetFocus();
        if (w.Target) Click();
        msg.Result = 1;
    }
}

}  // namespace plat
