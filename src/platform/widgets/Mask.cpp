#include "platform/widgets/Mask.h"

#include <algorithm>

#include "platform/forms/Forms.h"

namespace plat {

namespace {
// Byte offset in a UTF-8 text of a character index, and the other way round.
int ByteOfChar(const std::string& s, int charIndex) {
    std::u32string chars = Utf8ToChars(s);
    return static_cast<int>(CharsToUtf8(chars.substr(0, static_cast<size_t>(std::clamp<int>(charIndex, 0, static_cast<int>(chars.size()))))).size());
}
int CharOfByte(const std::string& s, int byteOffset) {
    return static_cast<int>(Utf8ToChars(s.substr(0, static_cast<size_t>(std::max(byteOffset, 0)))).size());
}
}  // namespace

const TTypeInfo* TypeEditMask() {
    static const TTypeInfo* t = NamedType("TEditMask", tkLString);
    return t;
}
const TTypeInfo* TypeMaskedText() {
    static const TTypeInfo* t = NamedType("TMaskedText", tkLString);
    return t;
}

PLAT_REGISTER_CLASS(TCustomMaskEdit, TCustomEdit) {
    b.Property("EditMask", &TCustomMaskEdit::EditMask, &TCustomMaskEdit::SetEditMask).Type(TypeEditMask()).Unpublished();
    b.Property("Text", &TCustomMaskEdit::Text, &TCustomMaskEdit::SetText).Type(TypeMaskedText()).Unpublished();
}

PLAT_REGISTER_CLASS(TMaskEdit, TCustomMaskEdit) {
    b.Publish({"Anchors", "AutoSelect", "AutoSize", "BorderStyle", "CharCase", "Color", "Ctl3D", "DragCursor",
               "DragKind", "DragMode", "Enabled", "EditMask", "Font", "ImeMode", "ImeName", "MaxLength", "ParentColor",
               "ParentCtl3D", "ParentFont", "ParentShowHint", "PasswordChar", "PopupMenu", "ReadOnly", "ShowHint",
               "TabOrder", "TabStop", "Text", "Visible", "OnChange", "OnClick", "OnDblClick", "OnDragDrop",
               "OnDragOver", "OnEndDock", "OnEndDrag", "OnEnter", "OnExit", "OnKeyDown", "OnKeyPress", "OnKeyUp",
               "OnMouseDown", "OnMouseMove", "OnMouseUp", "OnStartDock", "OnStartDrag"});
}

TCustomMaskEdit::TCustomMaskEdit(TComponent* owner) : TCustomEdit(owner) {}

void TCustomMaskEdit::SetEditMask(const std::string& mask) {
    if (mask == fMask.Mask()) return;
    int caret = CharOfByte(fText, fSelStart);
    TEditMask next(mask);
    std::string text = fMask.Reformat(fText, next);
    fMask = next;  // handlers of the change below see the new mask
    fMaxLength = fMask.IsMasked() && fMask.MaxChars() > 0 ? fMask.MaxChars() : 0;
    SetEditText(text);
    if (Focused() && IsMasked()) SetCursor(caret);
}

void TCustomMaskEdit::SetEditText(const std::string& s) {
    if (s == fText) return;
    TControl::SetText(s);
    CheckCursor();
}

std::string TCustomMaskEdit::Text() const { return fMask.TextOf(fText); }

void TCustomMaskEdit::SetText(const std::string& s) {
    if (!IsMasked()) {
        TControl::SetText(s);
        return;
    }
    SetEditText(fMask.EditTextFor(s));
}

void TCustomMaskEdit::TextChanged() {
    bool user = fUserEdit;
    TCustomEdit::TextChanged();
    // Text set in code is what Escape goes back to; the cursor leaves a literal it landed on.
    if (user) return;
    fOldValue = fText;
    if (IsMasked() && HandleAllocated()) {
        TMaskEditBuffer b = Buffer();
        int next = fMask.GetNextEditChar(b.SelStart);
        if (next != b.SelStart) SetCursor(next);
    }
}

TMaskEditBuffer TCustomMaskEdit::Buffer() const {
    TMaskEditBuffer b;
    b.Text = Utf8ToChars(fText);
    b.SelStart = CharOfByte(fText, fSelStart);
    b.SelStop = CharOfByte(fText, fSelStart + fSelLength);
    b.CaretPos = fSelectingBack ? b.SelStart : b.SelStop;
    b.MaxLength = fMaxLength;
    return b;
}

void TCustomMaskEdit::ApplySelection(const TMaskEditBuffer& b) {
    int start = ByteOfChar(fText, b.SelStart);
    int stop = ByteOfChar(fText, b.SelStop);
    fSelStart = start;
    fSelLength = std::max(stop - start, 0);
    fSelectingBack = b.CaretPos == b.SelStart && b.SelStop > b.SelStart;
}

void TCustomMaskEdit::Apply(const TMaskEditBuffer& b) {
    std::string text = b.Utf8();
    if (text != fText) {
        fModified = true;
        fUserEdit = true;
        try {
            TControl::SetText(text);
        } catch (...) {
            fUserEdit = false;
            throw;
        }
        fUserEdit = false;
    }
    ApplySelection(b);
}

void TCustomMaskEdit::SetCursor(int charPos) {
    TMaskEditBuffer b = Buffer();
    if (IsMasked()) {
        fMask.SetCursor(b, charPos);
    } else {
        int n = static_cast<int>(b.Text.size());
        b.SelStart = b.SelStop = b.CaretPos = std::clamp(charPos, 0, n);
    }
    ApplySelection(b);
}

void TCustomMaskEdit::CheckCursor() {
    if (!HandleAllocated() || !IsMasked()) return;
    TMaskEditBuffer b = Buffer();
    fMask.CheckCursor(b);
    ApplySelection(b);
}

void TCustomMaskEdit::ValidateEdit() {
    if (!IsMasked() || !fModified) return;
    int pos = 0;
    if (fMask.Validate(fText, pos)) return;
    if (CanFocus() && !Focused()) {
        fReEnter = true;
        SetFocus();
    }
    SetCursor(pos);
    ValidateError();
}

void TCustomMaskEdit::ValidateError() {
    throw EDBEditError("Invalid input value.  Use escape key to abandon changes");
}

void TCustomMaskEdit::Reset() {
    if (!fModified) return;
    SetEditText(fOldValue);
    fModified = false;
}

void TCustomMaskEdit::KeyDown(uint16_t& key, TShiftState shift) {
    TCustomEdit::KeyDown(key, shift);
    if (!IsMasked() || key == 0 || shift.Contains(ssAlt)) return;
    TMaskEditBuffer b = Buffer();
    switch (key) {
        case VK_LEFT:
        case VK_RIGHT:
            if (shift.Contains(ssCtrl)) return;  // word steps as an edit does; KeyUp puts the cursor right
            fMask.ArrowKeys(b, key == VK_RIGHT, shift.Contains(ssShift), false);
            ApplySelection(b);
            key = 0;
            return;
        case VK_UP:
        case VK_DOWN:
            key = 0;
            return;
        case VK_HOME:
        case VK_END:
            fMask.HomeEndKeys(b, key == VK_HOME, shift.Contains(ssShift));
            ApplySelection(b);
            key = 0;
            return;
        case VK_DELETE:
        case VK_BACK:
            if (key == VK_DELETE && shift.Contains(ssShift)) break;
            if (EditCanModify() && !fReadOnly) {
                fMask.DeleteKeys(b, key == VK_BACK);
                Apply(b);
            }
            key = 0;
            return;
        default:
            break;
    }
    CheckCursor();
}

void TCustomMaskEdit::KeyUp(uint16_t& key, TShiftState shift) {
    if (IsMasked() && key != 0 && (key == VK_LEFT || key == VK_RIGHT) && shift.Contains(ssCtrl)) CheckCursor();
    TCustomEdit::KeyUp(key, shift);
}

void TCustomMaskEdit::KeyPress(char& key) {
    TCustomEdit::KeyPress(key);
    // Ctrl+V, Ctrl+X and Ctrl+C are left to the clipboard handling of the box.
    if (!IsMasked() || key == 0 || key == 22 || key == 24 || key == 3) return;
    unsigned char u = static_cast<unsigned char>(key);
    key = 0;
    if (u < 0x80) {
        fPendingBytes.clear();
        CharKeys(u);
        return;
    }
    // A character of several bytes is checked against the mask once it is whole.
    if ((u & 0xC0) == 0x80) {
        if (fPendingBytes.empty()) return;
        fPendingBytes += static_cast<char>(u);
    } else {
        fPendingBytes.assign(1, static_cast<char>(u));
    }
    unsigned char lead = static_cast<unsigned char>(fPendingBytes[0]);
    size_t need = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : 2;
    if (fPendingBytes.size() < need) return;
    std::u32string c = Utf8ToChars(fPendingBytes);
    fPendingBytes.clear();
    if (c.size() == 1) CharKeys(c[0]);
}

void TCustomMaskEdit::CharKeys(char32_t c) {
    if (c == 27) {
        Reset();
        return;
    }
    if (!EditCanModify() || fReadOnly) return;
    if (c == 8) return;
    if (c == 13) {
        ValidateEdit();
        return;
    }
    TMaskEditBuffer b = Buffer();
    fMask.CharKeys(b, c);
    Apply(b);
}

void TCustomMaskEdit::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
    TCustomEdit::MouseUp(button, shift, x, y);
    if (IsMasked()) CheckCursor();
}

void TCustomMaskEdit::DoEnter() {
    if (!IsMasked()) {
        TCustomEdit::DoEnter();
        return;
    }
    if (!fReEnter) {
        fOldValue = fText;
        TCustomEdit::DoEnter();
    }
    fReEnter = false;
    CheckCursor();
}

void TCustomMaskEdit::DoExit() {
    if (IsMasked()) {
        ValidateEdit();
        CheckCursor();
    }
    TCustomEdit::DoExit();
}

}  // namespace plat
