#include "platform/widgets/StdCtrls.h"

#include <algorithm>
#include <chrono>

#include "platform/core/SysUtils.h"
#include "platform/forms/Forms.h"
#include "platform/graphics/Canvas.h"
#include "platform/widgets/MaskUtils.h"

namespace plat {

PLAT_DEFINE_ENUM(TTextLayout, "tlTop", "tlCenter", "tlBottom")
PLAT_DEFINE_ENUM(TEditCharCase, "ecNormal", "ecUpperCase", "ecLowerCase")
PLAT_DEFINE_ENUM(TImeMode, "imDisable", "imClose", "imOpen", "imDontCare", "imSAlpha", "imAlpha", "imHira", "imSKata",
                 "imKata", "imChinese", "imSHanguel", "imHanguel")
PLAT_DEFINE_ENUM(TCheckBoxState, "cbUnchecked", "cbChecked", "cbGrayed")
PLAT_DEFINE_ENUM(TScrollStyle, "ssNone", "ssHorizontal", "ssVertical", "ssBoth")
PLAT_DEFINE_ENUM(TComboBoxStyle, "csDropDown", "csSimple", "csDropDownList", "csOwnerDrawFixed", "csOwnerDrawVariable")
PLAT_DEFINE_ENUM(TListBoxStyle, "lbStandard", "lbOwnerDrawFixed", "lbOwnerDrawVariable", "lbVirtual",
                 "lbVirtualOwnerDraw")
PLAT_DEFINE_ENUM(TOwnerDrawStateItem, "odSelected", "odGrayed", "odDisabled", "odChecked", "odFocused", "odDefault",
                 "odHotLight", "odInactive", "odNoAccel", "odNoFocusRect", "odReserved1", "odReserved2",
                 "odComboBoxEdit")
PLAT_DEFINE_SET(TOwnerDrawState, TOwnerDrawStateItem)

const TTypeInfo* TypeBorderStyle() {
    static const TTypeInfo* t = MakeEnumType("TBorderStyle", {"bsNone", "bsSingle"});
    return t;
}
const TTypeInfo* TypeLeftRight() {
    static const TTypeInfo* t = MakeEnumType("TLeftRight", {"taLeftJustify", "taRightJustify"});
    return t;
}
const TTypeInfo* TypeImeName() {
    static const TTypeInfo* t = NamedType("TImeName", tkLString);
    return t;
}

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

// True when s begins with prefix, without regard to case.
bool AnsiStartsText(const std::string& prefix, const std::string& s) {
    return s.size() >= prefix.size() && AnsiSameText(s.substr(0, prefix.size()), prefix);
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

std::vector<std::string> TCustomLabel::WrapText(const std::string& text, int width) const {
    // Breaks at line breaks and between words; a word wider than the label stands alone.
    std::vector<std::string> lines;
    auto fits = [&](const std::string& s) { return WidgetSet().TextWidth(*fFont, s) <= width; };
    size_t p = 0;
    while (true) {
        size_t e = text.find_first_of("\r\n", p);
        std::string para = text.substr(p, e == std::string::npos ? std::string::npos : e - p);
        std::string line;
        size_t w = 0;
        while (w < para.size()) {
            size_t ws = para.find(' ', w);
            std::string word = para.substr(w, ws == std::string::npos ? std::string::npos : ws - w + 1);
            w = ws == std::string::npos ? para.size() : ws + 1;
            if (!line.empty() && !fits(line + word)) {
                lines.push_back(line);
                line.clear();
            }
            line += word;
        }
        lines.push_back(line);
        if (e == std::string::npos) break;
        p = e + 1;
        if (text[e] == '\r' && p < text.size() && text[p] == '\n') ++p;
    }
    return lines;
}

void TCustomLabel::AdjustBounds() {
    if (!fAutoSize || IsLoading()) return;
    if (fWordWrap) {
        // A wrapped label keeps its width and takes the height of its lines.
        int lines = static_cast<int>(WrapText(DisplayText(), fWidth).size());
        SetBounds(fLeft, fTop, fWidth, std::max(lines, 1) * WidgetSet().TextHeight(*fFont, "0"));
        return;
    }
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
    b.Property("AutoSize", &TCustomEdit::AutoSize, &TCustomEdit::SetAutoSize).Unpublished();
    b.Property("BorderStyle", &TCustomEdit::BorderStyle, &TCustomEdit::SetBorderStyle).Type(TypeBorderStyle()).Unpublished();
    b.Property("HideSelection", &TCustomEdit::HideSelection, &TCustomEdit::SetHideSelection).Unpublished();
    b.Property("ImeMode", &TCustomEdit::ImeMode, &TCustomEdit::SetImeMode).Unpublished();
    b.Property("OEMConvert", &TCustomEdit::OEMConvert, &TCustomEdit::SetOEMConvert).Unpublished();
    b.Property("PasswordChar", &TCustomEdit::PasswordChar, &TCustomEdit::SetPasswordChar).Unpublished();
}

PLAT_REGISTER_CLASS(TEdit, TCustomEdit) {
    b.Publish({"Anchors", "AutoSelect", "AutoSize", "BorderStyle", "CharCase", "Color", "Ctl3D", "DragCursor",
               "DragKind", "DragMode", "Enabled", "Font", "HideSelection", "ImeMode", "ImeName", "MaxLength",
               "OEMConvert", "ParentColor", "ParentCtl3D", "ParentFont", "ParentShowHint", "PasswordChar", "PopupMenu",
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
    v = std::clamp(v, 0, static_cast<int>(fText.size()));
    while (v > 0 && v < static_cast<int>(fText.size()) && (static_cast<unsigned char>(fText[static_cast<size_t>(v)]) & 0xC0) == 0x80) --v;
    fSelStart = v;
    fSelLength = 0;
    fSelectingBack = false;
}

void TCustomEdit::SetSelLength(int v) {
    int end = std::clamp(fSelStart + std::max(v, 0), fSelStart, static_cast<int>(fText.size()));
    while (end < static_cast<int>(fText.size()) && (static_cast<unsigned char>(fText[static_cast<size_t>(end)]) & 0xC0) == 0x80) ++end;
    fSelLength = end - fSelStart;
}

void TCustomEdit::SetSelText(const std::string& s) { ReplaceSelection(s); }

int TCustomEdit::PrevCharStart(int offset) const {
    if (offset <= 0) return 0;
    int b = offset - 1;
    while (b > 0 && (static_cast<unsigned char>(fText[static_cast<size_t>(b)]) & 0xC0) == 0x80) --b;
    return b;
}

int TCustomEdit::NextCharStart(int offset) const {
    int n = static_cast<int>(fText.size());
    if (offset >= n) return n;
    int e = offset + 1;
    while (e < n && (static_cast<unsigned char>(fText[static_cast<size_t>(e)]) & 0xC0) == 0x80) ++e;
    return e;
}

void TCustomEdit::SetBorderStyle(TFormBorderStyle v) {
    if (v == fBorderStyle) return;
    fBorderStyle = v;
    Changed(TPeerChange::Style);
}

void TCustomEdit::SetPasswordChar(char c) {
    if (c == fPasswordChar) return;
    fPasswordChar = c;
    Changed(TPeerChange::Style);
}

std::string TCustomEdit::SelText() const { return fText.substr(static_cast<size_t>(fSelStart), static_cast<size_t>(fSelLength)); }

void TCustomEdit::SelectAll() {
    fSelStart = 0;
    fSelLength = static_cast<int>(fText.size());
}

void TCustomEdit::Change() { OnChange(this); }

void TCustomEdit::TextChanged() {
    fSelStart = std::min(fSelStart, static_cast<int>(fText.size()));
    fSelLength = std::min(fSelLength, static_cast<int>(fText.size()) - fSelStart);
    // Text assigned in code is not a user's modification.
    if (!fUserEdit) fModified = false;
    if (!IsLoading()) Change();
}

void TCustomEdit::ReplaceSelection(const std::string& s) {
    std::string t = fText;
    t.replace(static_cast<size_t>(fSelStart), static_cast<size_t>(fSelLength), s);
    int caret = fSelStart + static_cast<int>(s.size());
    fModified = true;
    fSelLength = 0;
    fSelectingBack = false;
    fUserEdit = true;
    try {
        TControl::SetText(t);  // the window text itself, whatever a descendant makes of Text
    } catch (...) {
        fUserEdit = false;
        throw;
    }
    fUserEdit = false;
    fSelStart = std::min(caret, static_cast<int>(fText.size()));
}

void TCustomEdit::TypeChar(const std::string& ch) {
    if (fMaxLength > 0 && Utf8CharCount(fText) - Utf8CharCount(SelText()) + Utf8CharCount(ch) > fMaxLength) return;
    ReplaceSelection(Cased(ch, fCharCase));
}

void TCustomEdit::DefaultChar(char key) {
    if (fReadOnly) return;
    unsigned char u = static_cast<unsigned char>(key);
    // The bytes of a multi-byte character arrive one by one; the character goes in whole.
    if (u >= 0x80) {
        if ((u & 0xC0) == 0x80) {
            if (fPendingChar.empty()) return;
            fPendingChar += key;
        } else {
            fPendingChar.assign(1, key);
        }
        size_t need = (static_cast<unsigned char>(fPendingChar[0]) >= 0xF0) ? 4
                      : (static_cast<unsigned char>(fPendingChar[0]) >= 0xE0) ? 3 : 2;
        if (fPendingChar.size() < need) return;
        std::string ch;
        ch.swap(fPendingChar);
        TypeChar(ch);
        return;
    }
    fPendingChar.clear();
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
    TypeChar(std::string(1, key));
}

void TCustomEdit::DefaultKeyDown(uint16_t key, TShiftState shift) {
    int n = static_cast<int>(fText.size());
    if (key == VK_DELETE) {
        if (fReadOnly) return;
        if (fSelLength == 0 && fSelStart < n) fSelLength = NextCharStart(fSelStart) - fSelStart;
        if (fSelLength > 0) ReplaceSelection("");
        return;
    }
    if (key != VK_HOME && key != VK_END && key != VK_LEFT && key != VK_RIGHT) return;
    // The caret is the moving end of the selection; Shift keeps the other end where it is.
    int caret = fSelectingBack ? fSelStart : fSelStart + fSelLength;
    int anchor = fSelectingBack ? fSelStart + fSelLength : fSelStart;
    if (key == VK_HOME) caret = 0;
    else if (key == VK_END) caret = n;
    else if (key == VK_LEFT) caret = (!shift.Contains(ssShift) && fSelLength > 0) ? fSelStart : PrevCharStart(caret);
    else caret = (!shift.Contains(ssShift) && fSelLength > 0) ? fSelStart + fSelLength : NextCharStart(caret);
    (void)anchor;
    MoveCaret(caret, shift.Contains(ssShift));
}

void TCustomEdit::MoveCaret(int caret, bool extend) {
    if (!extend) {
        SetSelStart(caret);
        return;
    }
    int anchor = fSelectingBack ? fSelStart + fSelLength : fSelStart;
    fSelStart = std::min(caret, anchor);
    fSelLength = std::abs(caret - anchor);
    fSelectingBack = caret < anchor;
}

void TCustomEdit::DoEnter() {
    if (fAutoSelect) SelectAll();
    TWinControl::DoEnter();
}

// ---- Buttons -------------------------------------------------------------------------------

PLAT_REGISTER_CLASS(TButtonControl, TWinControl) {
    b.Property("WordWrap", &TButtonControl::WordWrap, &TButtonControl::SetWordWrap).Unpublished();
}

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

void TButtonControl::SetWordWrap(bool v) {
    if (v == fWordWrap) return;
    fWordWrap = v;
    Changed(TPeerChange::Style);
}

void TButtonControl::WndProc(TMessage& msg) {
    if (fControlStyle.Contains(csClickEvents)) {
        TWinControl::WndProc(msg);
        return;
    }
    // A button of its own clicks: a press and a release inside it, while enabled.
    switch (msg.Msg) {
        case WM_LBUTTONDOWN:
        case WM_LBUTTONDBLCLK: {
            TComponentWatch w(this);
            TWinControl::WndProc(msg);
            if (w.Target) fPressed = fEnabled;
            return;
        }
        case WM_LBUTTONUP: {
            bool pressed = fPressed;
            fPressed = false;
            TComponentWatch w(this);
            TWinControl::WndProc(msg);
            TPoint pt{LParamX(msg.LParam), LParamY(msg.LParam)};
            if (w.Target && pressed && fEnabled && ClientRect().Contains(pt)) ButtonClicked();
            return;
        }
        default:
            TWinControl::WndProc(msg);
    }
}

void TButtonControl::DefaultKeyDown(uint16_t key, TShiftState shift) {
    if (key == VK_SPACE && shift.Empty() && !fControlStyle.Contains(csClickEvents)) ButtonClicked();
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

// ---- Group box -----------------------------------------------------------------------------

PLAT_REGISTER_CLASS(TCustomGroupBox, TCustomControl) {
    b.Message(CM_DIALOGCHAR, &TCustomGroupBox::CMDialogChar);
}

PLAT_REGISTER_CLASS(TGroupBox, TCustomGroupBox) {
    b.Publish({"Align", "Anchors", "Caption", "Color", "Ctl3D", "DragCursor", "DragKind", "DragMode", "Enabled", "Font",
               "ParentColor", "ParentCtl3D", "ParentFont", "ParentShowHint", "PopupMenu", "ShowHint", "TabOrder",
               "TabStop", "Visible", "OnClick", "OnDblClick", "OnDragDrop", "OnDockDrop", "OnDockOver", "OnDragOver",
               "OnEndDock", "OnEndDrag", "OnEnter", "OnExit", "OnGetSiteInfo", "OnMouseDown", "OnMouseMove",
               "OnMouseUp", "OnStartDock", "OnStartDrag", "OnUnDock"});
}

TCustomGroupBox::TCustomGroupBox(TComponent* owner) : TCustomControl(owner) {
    fWidth = 185;
    fHeight = 105;
    fControlStyle.Include(csAcceptsControls);
}

TRect TCustomGroupBox::AdjustClientRect() const {
    TRect r = ClientRect();
    r.Top += WidgetSet().TextHeight(*fFont, "0");
    int inset = fCtl3D ? 2 : 1;
    return {r.Left + inset, r.Top + inset, r.Right - inset, r.Bottom - inset};
}

void TCustomGroupBox::FontChanged() {
    TCustomControl::FontChanged();
    Realign();
}

void TCustomGroupBox::CMDialogChar(TMessage& msg) {
    if (IsAccel(static_cast<char>(msg.WParam), fText) && CanFocus()) {
        SelectFirst();
        msg.Result = 1;
        return;
    }
    Broadcast(msg);
}

// ---- Check box -----------------------------------------------------------------------------

PLAT_REGISTER_CLASS(TCustomCheckBox, TButtonControl) {
    b.Property("Alignment", &TCustomCheckBox::Alignment, &TCustomCheckBox::SetAlignment).Type(TypeLeftRight()).Unpublished();
    b.Property("AllowGrayed", &TCustomCheckBox::AllowGrayed, &TCustomCheckBox::SetAllowGrayed).Unpublished();
    b.Property("Checked", &TCustomCheckBox::Checked, &TCustomCheckBox::SetChecked).Unpublished().NotStored();
    b.Property("State", &TCustomCheckBox::State, &TCustomCheckBox::SetState).Unpublished();
    b.Message(CM_DIALOGCHAR, &TCustomCheckBox::CMDialogChar);
}

PLAT_REGISTER_CLASS(TCheckBox, TCustomCheckBox) {
    b.Publish({"Alignment", "AllowGrayed", "Anchors", "Caption", "Checked", "Color", "Ctl3D", "DragCursor", "DragKind",
               "DragMode", "Enabled", "Font", "ParentColor", "ParentCtl3D", "ParentFont", "ParentShowHint", "PopupMenu",
               "ShowHint", "State", "TabOrder", "TabStop", "Visible", "WordWrap", "OnClick", "OnDragDrop",
               "OnDragOver", "OnEndDock", "OnEndDrag", "OnEnter", "OnExit", "OnKeyDown", "OnKeyPress", "OnKeyUp",
               "OnMouseDown", "OnMouseMove", "OnMouseUp", "OnStartDock", "OnStartDrag"});
}

TCustomCheckBox::TCustomCheckBox(TComponent* owner) : TButtonControl(owner) {
    fWidth = 97;
    fHeight = 17;
    fControlStyle = TControlStyle{csSetCaption, csDoubleClicks};
    fParentColor = true;
}

void TCustomCheckBox::SetState(TCheckBoxState state) {
    if (state == fState) return;
    fState = state;
    Changed(TPeerChange::Style);
    if (!fClicksDisabled) Click();
}

void TCustomCheckBox::SetAllowGrayed(bool v) { fAllowGrayed = v; }

void TCustomCheckBox::SetAlignment(TAlignment a) {
    if (a == fAlignment) return;
    fAlignment = a;
    Changed(TPeerChange::Style);
}

void TCustomCheckBox::Toggle() {
    switch (fState) {
        case cbUnchecked: SetState(fAllowGrayed ? cbGrayed : cbChecked); break;
        case cbChecked: SetState(cbUnchecked); break;
        case cbGrayed: SetState(cbChecked); break;
    }
}

void TCustomCheckBox::CMDialogChar(TMessage& msg) {
    if (IsAccel(static_cast<char>(msg.WParam), fText) && CanFocus()) {
        TComponentWatch w(this);
        SetFocus();
        if (w.Target && Focused()) Toggle();
        msg.Result = 1;
    }
}

// ---- Radio button --------------------------------------------------------------------------

PLAT_REGISTER_CLASS(TRadioButton, TButtonControl) {
    b.Property("Alignment", &TRadioButton::Alignment, &TRadioButton::SetAlignment).Type(TypeLeftRight()).Default(taRightJustify);
    b.Property("Checked", &TRadioButton::Checked, &TRadioButton::SetChecked).Default(0);
    b.Publish({"Anchors", "Caption", "Color", "Ctl3D", "DragCursor", "DragKind", "DragMode", "Enabled", "Font",
               "ParentColor", "ParentCtl3D", "ParentFont", "ParentShowHint", "PopupMenu", "ShowHint", "TabOrder",
               "TabStop", "Visible", "WordWrap", "OnClick", "OnDblClick", "OnDragDrop", "OnDragOver", "OnEndDock",
               "OnEndDrag", "OnEnter", "OnExit", "OnKeyDown", "OnKeyPress", "OnKeyUp", "OnMouseDown", "OnMouseMove",
               "OnMouseUp", "OnStartDock", "OnStartDrag"});
    b.Message(CM_DIALOGCHAR, &TRadioButton::CMDialogChar);
}

TRadioButton::TRadioButton(TComponent* owner) : TButtonControl(owner) {
    fWidth = 113;
    fHeight = 17;
    fControlStyle = TControlStyle{csSetCaption, csDoubleClicks};
    fParentColor = true;
    fTabStop = false;
}

void TRadioButton::SetChecked(bool value) {
    if (value == fChecked) return;
    fChecked = value;
    SetTabStop(value);
    Changed(TPeerChange::Style);
    if (!value) return;
    if (fParent) {
        std::vector<TControl*> siblings = fParent->ControlList();
        for (TControl* c : siblings)
            if (auto* r = dynamic_cast<TRadioButton*>(c); r && r != this) r->SetChecked(false);
    }
    if (!fClicksDisabled) Click();
}

void TRadioButton::SetAlignment(TAlignment a) {
    if (a == fAlignment) return;
    fAlignment = a;
    Changed(TPeerChange::Style);
}

void TRadioButton::CMDialogChar(TMessage& msg) {
    if (IsAccel(static_cast<char>(msg.WParam), fText) && CanFocus()) {
        SetFocus();
        msg.Result = 1;
    }
}

// ---- Memo ----------------------------------------------------------------------------------

PLAT_REGISTER_CLASS(TMemoStrings, TStrings) {}

std::string TMemoStrings::Get(int index) const {
    CheckIndex(index, GetCount());
    std::vector<int> starts = fMemo->LineStarts();
    const std::string& t = fMemo->Text();
    size_t b = static_cast<size_t>(starts[static_cast<size_t>(index)]);
    size_t e = static_cast<size_t>(index) + 1 < starts.size() ? static_cast<size_t>(starts[static_cast<size_t>(index) + 1]) - 2
                                                               : t.size();
    return t.substr(b, e - b);
}

int TMemoStrings::GetCount() const {
    const std::string& t = fMemo->Text();
    if (t.empty()) return 0;
    std::vector<int> starts = fMemo->LineStarts();
    int n = static_cast<int>(starts.size());
    if (starts.back() == static_cast<int>(t.size())) --n;  // an empty last line does not count
    return n;
}

void TMemoStrings::Clear() { fMemo->Clear(); }

void TMemoStrings::Delete(int index) {
    std::vector<int> starts = fMemo->LineStarts();
    if (index < 0 || index >= static_cast<int>(starts.size())) return;
    int b = starts[static_cast<size_t>(index)];
    int e = static_cast<size_t>(index) + 1 < starts.size() ? starts[static_cast<size_t>(index) + 1]
                                                          : static_cast<int>(fMemo->Text().size());
    fMemo->SetSelStart(b);
    fMemo->SetSelLength(e - b);
    fMemo->SetSelText("");
}

void TMemoStrings::Insert(int index, const std::string& s) {
    if (index < 0) return;
    std::vector<int> starts = fMemo->LineStarts();
    int at;
    std::string line;
    if (index < static_cast<int>(starts.size())) {
        at = starts[static_cast<size_t>(index)];
        line = s + "\r\n";
    } else {
        // After the last line: only when there is one with text to follow.
        if (index - 1 >= static_cast<int>(starts.size())) return;
        int prev = starts[static_cast<size_t>(index) - 1];
        int len = static_cast<int>(fMemo->Text().size()) - prev;
        if (len == 0) return;
        at = prev + len;
        line = "\r\n" + s;
    }
    fMemo->SetSelStart(at);
    fMemo->SetSelText(line);
}

void TMemoStrings::Put(int index, const std::string& s) {
    std::vector<int> starts = fMemo->LineStarts();
    if (index < 0 || index >= static_cast<int>(starts.size())) Error("List index out of bounds (%d)", index);
    int b = starts[static_cast<size_t>(index)];
    int e = static_cast<size_t>(index) + 1 < starts.size() ? starts[static_cast<size_t>(index) + 1] - 2
                                                          : static_cast<int>(fMemo->Text().size());
    fMemo->SetSelStart(b);
    fMemo->SetSelLength(e - b);
    fMemo->SetSelText(s);
}

std::string TMemoStrings::Text() const { return fMemo->Text(); }

void TMemoStrings::SetText(const std::string& text) {
    std::string t;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r') {
            t += "\r\n";
            if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
        } else if (text[i] == '\n') {
            t += "\r\n";
        } else {
            t += text[i];
        }
    }
    if (t != fMemo->Text()) fMemo->TControl::SetText(t);
}

void TMemoStrings::SetUpdateState(bool updating) {
    if (!updating) fMemo->Invalidate();
}

PLAT_REGISTER_CLASS(TCustomMemo, TCustomEdit) {
    b.Property("Alignment", &TCustomMemo::Alignment, &TCustomMemo::SetAlignment).Unpublished();
    b.Property("Lines", &TCustomMemo::Lines, &TCustomMemo::SetLines).Unpublished();
    b.Property("ScrollBars", &TCustomMemo::ScrollBars, &TCustomMemo::SetScrollBars).Unpublished();
    b.Property("WantReturns", &TCustomMemo::WantReturns, &TCustomMemo::SetWantReturns).Unpublished();
    b.Property("WantTabs", &TCustomMemo::WantTabs, &TCustomMemo::SetWantTabs).Unpublished();
    b.Property("WordWrap", &TCustomMemo::WordWrap, &TCustomMemo::SetWordWrap).Unpublished();
}

PLAT_REGISTER_CLASS(TMemo, TCustomMemo) {
    // A memo publishes its Lines, not its Text.
    b.Publish({"Align", "Alignment", "Anchors", "BorderStyle", "Color", "Ctl3D", "DragCursor", "DragKind", "DragMode",
               "Enabled", "Font", "HideSelection", "ImeMode", "ImeName", "Lines", "MaxLength", "OEMConvert",
               "ParentColor", "ParentCtl3D", "ParentFont", "ParentShowHint", "PopupMenu", "ReadOnly", "ScrollBars",
               "ShowHint", "TabOrder", "TabStop", "Visible", "WantReturns", "WantTabs", "WordWrap", "OnChange",
               "OnClick", "OnDblClick", "OnDragDrop", "OnDragOver", "OnEndDock", "OnEndDrag", "OnEnter", "OnExit",
               "OnKeyDown", "OnKeyPress", "OnKeyUp", "OnMouseDown", "OnMouseMove", "OnMouseUp", "OnStartDock",
               "OnStartDrag"});
}

TCustomMemo::TCustomMemo(TComponent* owner) : TCustomEdit(owner), fLines(std::make_unique<TMemoStrings>(this)) {
    fWidth = 185;
    fHeight = 89;
    fAutoSize = false;
}

TCustomMemo::~TCustomMemo() = default;

std::vector<int> TCustomMemo::LineStarts() const {
    std::vector<int> starts{0};
    for (size_t p = fText.find("\r\n"); p != std::string::npos; p = fText.find("\r\n", p + 2))
        starts.push_back(static_cast<int>(p) + 2);
    return starts;
}

TPoint TCustomMemo::CaretPos() const {
    int caret = fSelectingBack ? fSelStart : fSelStart + fSelLength;
    std::vector<int> starts = LineStarts();
    int line = static_cast<int>(std::upper_bound(starts.begin(), starts.end(), caret) - starts.begin()) - 1;
    int b = starts[static_cast<size_t>(line)];
    return {Utf8CharCount(fText.substr(static_cast<size_t>(b), static_cast<size_t>(caret - b))), line};
}

void TCustomMemo::SetCaretPos(TPoint p) {
    std::vector<int> starts = LineStarts();
    if (p.Y < 0 || p.Y >= static_cast<int>(starts.size())) return;
    int b = starts[static_cast<size_t>(p.Y)];
    int e = static_cast<size_t>(p.Y) + 1 < starts.size() ? starts[static_cast<size_t>(p.Y) + 1] - 2 : static_cast<int>(fText.size());
    int at = b;
    for (int i = 0; i < p.X && at < e; ++i) at = NextCharStart(at);
    SetSelStart(at);
}

uint32_t TCustomMemo::DialogCode() const {
    uint32_t code = DLGC_WANTARROWS | DLGC_WANTCHARS;
    if (fWantReturns) code |= DLGC_WANTALLKEYS;
    if (fWantTabs) code |= DLGC_WANTTAB;
    return code;
}

void TCustomMemo::DefaultChar(char key) {
    if (key == '\r') {
        if (fWantReturns && !fReadOnly) TypeChar("\r\n");
        return;
    }
    if (key == '\t') {
        if (fWantTabs && !fReadOnly) TypeChar("\t");
        return;
    }
    TCustomEdit::DefaultChar(key);
}

void TCustomMemo::DefaultKeyDown(uint16_t key, TShiftState shift) {
    if (key == VK_RETURN && !fWantReturns && shift.Contains(ssCtrl)) {
        if (!fReadOnly) TypeChar("\r\n");
        return;
    }
    if (key == VK_UP || key == VK_DOWN) {
        TPoint p = CaretPos();
        int line = p.Y + (key == VK_UP ? -1 : 1);
        if (line >= 0 && line < static_cast<int>(LineStarts().size())) SetCaretPos({p.X, line});
        return;
    }
    if (key == VK_HOME || key == VK_END) {
        // Home and End stay on the caret's line.
        std::vector<int> starts = LineStarts();
        size_t line = static_cast<size_t>(CaretPos().Y);
        int target = key == VK_HOME ? starts[line]
                     : line + 1 < starts.size() ? starts[line + 1] - 2 : static_cast<int>(fText.size());
        MoveCaret(target, shift.Contains(ssShift));
        return;
    }
    TCustomEdit::DefaultKeyDown(key, shift);
}

void TCustomMemo::DoEnter() {
    // A multi-line edit keeps its caret where it was.
    TWinControl::DoEnter();
}

// ---- Item lists ----------------------------------------------------------------------------

PLAT_REGISTER_CLASS(TItemStrings, TStrings) {}

std::string TItemStrings::Get(int index) const {
    CheckIndex(index, GetCount());
    return fItems[static_cast<size_t>(index)].S;
}

TObject* TItemStrings::GetObject(int index) const {
    CheckIndex(index, GetCount());
    return fItems[static_cast<size_t>(index)].Obj;
}

void TItemStrings::PutObject(int index, TObject* obj) {
    CheckIndex(index, GetCount());
    fItems[static_cast<size_t>(index)].Obj = obj;
}

void TItemStrings::Clear() {
    // Emptying the list resets its control even when it held no items.
    fItems.clear();
    Cleared();
    ItemsChanged();
}

void TItemStrings::Delete(int index) {
    CheckIndex(index, GetCount());
    fItems.erase(fItems.begin() + index);
    Deleted(index);
    ItemsChanged();
}

void TItemStrings::Insert(int index, const std::string& s) {
    if (index == -1) index = GetCount();
    if (index < 0 || index > GetCount()) Error("List index out of bounds (%d)", index);
    InsertAt(index, s);
}

int TItemStrings::Add(const std::string& s) {
    int index = GetCount();
    if (SortedAdd()) {
        auto it = std::upper_bound(fItems.begin(), fItems.end(), s,
                                   [](const std::string& v, const TItem& item) { return AnsiCompareText(v, item.S) < 0; });
        index = static_cast<int>(it - fItems.begin());
    }
    InsertAt(index, s);
    return index;
}

void TItemStrings::InsertAt(int index, const std::string& s) {
    fItems.insert(fItems.begin() + index, TItem{s, nullptr});
    Inserted(index);
    ItemsChanged();
}

void TItemStrings::SortItems() {
    std::stable_sort(fItems.begin(), fItems.end(),
                     [](const TItem& a, const TItem& b) { return AnsiCompareText(a.S, b.S) < 0; });
    ItemsChanged();
}

// ---- Combo box -----------------------------------------------------------------------------

PLAT_REGISTER_CLASS(TComboBoxStrings, TItemStrings) {}

bool TComboBoxStrings::SortedAdd() const { return fCombo->Sorted(); }
void TComboBoxStrings::Inserted(int index) { fCombo->ItemInserted(index); }
void TComboBoxStrings::Deleted(int index) { fCombo->ItemDeleted(index); }
void TComboBoxStrings::Cleared() { fCombo->ItemsCleared(); }
void TComboBoxStrings::ItemsChanged() { fCombo->Changed(TPeerChange::Children); }

PLAT_REGISTER_CLASS(TCustomComboBox, TWinControl) {
    b.Property("AutoComplete", &TCustomComboBox::AutoComplete, &TCustomComboBox::SetAutoComplete).Unpublished();
    b.Property("CharCase", &TCustomComboBox::CharCase, &TCustomComboBox::SetCharCase).Unpublished();
    b.Property("DropDownCount", &TCustomComboBox::DropDownCount, &TCustomComboBox::SetDropDownCount).Unpublished();
    b.Property("ImeMode", &TCustomComboBox::ImeMode, &TCustomComboBox::SetImeMode).Unpublished();
    b.Property("ImeName", &TCustomComboBox::ImeName, &TCustomComboBox::SetImeName).Type(TypeImeName()).Unpublished();
    b.Property("ItemHeight", &TCustomComboBox::ItemHeight, &TCustomComboBox::SetItemHeight).Unpublished();
    b.Property("ItemIndex", &TCustomComboBox::ItemIndex, &TCustomComboBox::SetItemIndex).Unpublished();
    b.Property("Items", &TCustomComboBox::Items, &TCustomComboBox::SetItems).Unpublished();
    b.Property("MaxLength", &TCustomComboBox::MaxLength, &TCustomComboBox::SetMaxLength).Unpublished();
    b.Property("Sorted", &TCustomComboBox::Sorted, &TCustomComboBox::SetSorted).Unpublished();
    b.Property("Style", &TCustomComboBox::Style, &TCustomComboBox::SetStyle).Unpublished();
    b.Event("OnChange", &TCustomComboBox::OnChange).Unpublished();
    b.Event("OnCloseUp", &TCustomComboBox::OnCloseUp).Unpublished();
    b.Event("OnDrawItem", &TCustomComboBox::OnDrawItem).Unpublished();
    b.Event("OnDropDown", &TCustomComboBox::OnDropDown).Unpublished();
    b.Event("OnMeasureItem", &TCustomComboBox::OnMeasureItem).Unpublished();
    b.Event("OnSelect", &TCustomComboBox::OnSelect).Unpublished();
    b.Message(CM_WANTSPECIALKEY, &TCustomComboBox::CMWantSpecialKey);
}

PLAT_REGISTER_CLASS(TComboBox, TCustomComboBox) {
    // Items last: a stored ItemIndex waits for them until the description is loaded.
    b.Publish({"Style", "Anchors", "AutoComplete", "CharCase", "Color", "Ctl3D", "DragCursor", "DragKind", "DragMode",
               "DropDownCount", "Enabled", "Font", "ImeMode", "ImeName", "ItemHeight", "ItemIndex", "MaxLength",
               "ParentColor", "ParentCtl3D", "ParentFont", "ParentShowHint", "PopupMenu", "ShowHint", "Sorted",
               "TabOrder", "TabStop", "Text", "Visible", "OnChange", "OnClick", "OnCloseUp", "OnDblClick",
               "OnDragDrop", "OnDragOver", "OnDrawItem", "OnDropDown", "OnEndDock", "OnEndDrag", "OnEnter", "OnExit",
               "OnKeyDown", "OnKeyPress", "OnKeyUp", "OnMeasureItem", "OnSelect", "OnStartDock", "OnStartDrag",
               "Items"});
}

TCustomComboBox::TCustomComboBox(TComponent* owner)
    : TWinControl(owner), fItems(std::make_unique<TComboBoxStrings>(this)) {
    fWidth = 145;
    fHeight = 21;
    fTabStop = true;
    fColor = clWindow;
    fParentColor = false;
    fControlStyle = TControlStyle{csCaptureMouse, csSetCaption, csDoubleClicks, csFixedHeight};
}

TCustomComboBox::~TCustomComboBox() = default;

TCanvas* TCustomComboBox::Canvas() {
    if (!fCanvas) fCanvas = std::make_unique<TCanvas>();
    return fCanvas.get();
}

void TCustomComboBox::ShowItemText() {
    TControl::SetText(fItemIndex >= 0 ? fItems->Get(fItemIndex) : std::string());
    fSelStart = 0;
    fSelLength = static_cast<int>(fText.size());
}

void TCustomComboBox::SetItemIndex(int index) {
    if (IsLoading()) {
        // The items of a description come after its ItemIndex; Loaded applies it.
        fItemIndex = index;
        return;
    }
    if (index == fItemIndex) return;
    fItemIndex = index >= 0 && index < fItems->Count() ? index : -1;
    ShowItemText();
}

void TCustomComboBox::SetText(const std::string& s) {
    if (HasEdit() || IsLoading()) {
        TControl::SetText(s);
        if (HasEdit()) {
            fSelStart = static_cast<int>(fText.size());
            fSelLength = 0;
        }
        return;
    }
    int index = fItems->IndexOf(s);
    if (index >= 0) SetItemIndex(index);
}

void TCustomComboBox::Loaded() {
    TWinControl::Loaded();
    int index = fItemIndex;
    fItemIndex = -1;
    if (index >= 0 && index < fItems->Count()) {
        SetItemIndex(index);
    } else if (!HasEdit()) {
        int match = fItems->IndexOf(fText);
        if (match >= 0) SetItemIndex(match);
        else TControl::SetText("");
    }
}

void TCustomComboBox::SetStyle(TComboBoxStyle style) {
    if (style == fStyle) return;
    fStyle = style;
    if (!HasEdit() && !IsLoading()) ShowItemText();
    Changed(TPeerChange::Style);
}

void TCustomComboBox::SetItemHeight(int v) {
    if (v <= 0) return;
    fItemHeight = v;
    Changed(TPeerChange::Style);
}

void TCustomComboBox::SetSorted(bool v) {
    if (v == fSorted) return;
    fSorted = v;
    if (!v) return;
    // The items are put in order; the selection keeps its number, as re-creating the list does.
    int index = fItemIndex;
    fItems->SortItems();
    if (IsLoading()) return;
    fItemIndex = -2;
    SetItemIndex(index);
}

void TCustomComboBox::SetCharCase(TEditCharCase c) {
    if (c == fCharCase) return;
    fCharCase = c;
    if (HasEdit()) TControl::SetText(Cased(fText, c));
}

void TCustomComboBox::SetDroppedDown(bool v) {
    if (v == fDroppedDown) return;
    fDroppedDown = v;
    Changed(TPeerChange::Style);
    if (v) DropDown();
    else CloseUp();
}

void TCustomComboBox::SetSelStart(int v) {
    fSelStart = std::clamp(v, 0, static_cast<int>(fText.size()));
    fSelLength = 0;
}

void TCustomComboBox::SetSelLength(int v) { fSelLength = std::clamp(v, 0, static_cast<int>(fText.size()) - fSelStart); }

std::string TCustomComboBox::SelText() const {
    return fText.substr(static_cast<size_t>(fSelStart), static_cast<size_t>(fSelLength));
}

void TCustomComboBox::SelectAll() {
    fSelStart = 0;
    fSelLength = static_cast<int>(fText.size());
}

void TCustomComboBox::Clear() {
    SetItemIndex(-1);
    fItems->Clear();
}

void TCustomComboBox::Change() { OnChange(this); }
void TCustomComboBox::Select() {
    if (OnSelect.Assigned()) OnSelect(this);
    else Change();
}
void TCustomComboBox::DropDown() { OnDropDown(this); }
void TCustomComboBox::CloseUp() { OnCloseUp(this); }

void TCustomComboBox::ItemInserted(int index) {
    if (IsLoading()) return;
    if (fItemIndex >= 0 && index <= fItemIndex) ++fItemIndex;
}

void TCustomComboBox::ItemDeleted(int index) {
    if (IsLoading()) return;
    if (index == fItemIndex) {
        fItemIndex = -1;
        if (!HasEdit()) TControl::SetText("");
    } else if (index < fItemIndex) {
        --fItemIndex;
    }
}

void TCustomComboBox::ItemsCleared() {
    if (IsLoading()) return;
    fItemIndex = -1;
    TControl::SetText("");
    fSelStart = fSelLength = 0;
}

void TCustomComboBox::SelectByUser(int index) {
    fItemIndex = index;
    ShowItemText();
    TComponentWatch w(this);
    Click();
    if (w.Target) Select();
}

void TCustomComboBox::SelectFromList(int index) {
    if (index < 0 || index >= fItems->Count()) return;
    TComponentWatch w(this);
    if (index != fItemIndex) SelectByUser(index);
    if (w.Target && fDroppedDown) SetDroppedDown(false);
}

void TCustomComboBox::UserEdited(const std::string& text, int caret) {
    TControl::SetText(text);
    fSelStart = std::clamp(caret, 0, static_cast<int>(fText.size()));
    fSelLength = 0;
    fItemIndex = -1;
    if (fDroppedDown && !fText.empty()) {
        for (int i = 0; i < fItems->Count(); ++i)
            if (AnsiStartsText(fText, fItems->Get(i))) {
                fItemIndex = i;
                break;
            }
    }
    Change();
}

void TCustomComboBox::DefaultChar(char key) {
    unsigned char u = static_cast<unsigned char>(key);
    std::string ch;
    if (u >= 0x80) {
        if ((u & 0xC0) == 0x80) {
            if (fPendingChar.empty()) return;
            fPendingChar += key;
        } else {
            fPendingChar.assign(1, key);
        }
        size_t need = (static_cast<unsigned char>(fPendingChar[0]) >= 0xF0) ? 4
                      : (static_cast<unsigned char>(fPendingChar[0]) >= 0xE0) ? 3 : 2;
        if (fPendingChar.size() < need) return;
        ch.swap(fPendingChar);
    } else {
        fPendingChar.clear();
        ch.assign(1, key);
    }
    if (fAutoComplete && AutoCompleteKey(ch)) return;
    if (!HasEdit()) {
        if (fAutoComplete || ch[0] == 8 || static_cast<unsigned char>(ch[0]) < 32) return;
        // Without completion a list jumps to the next item beginning with the character.
        int n = fItems->Count();
        for (int k = 1; k <= n; ++k) {
            int i = (std::max(fItemIndex, -1) + k) % n;
            if (AnsiStartsText(ch, fItems->Get(i))) {
                if (i != fItemIndex) SelectByUser(i);
                break;
            }
        }
        return;
    }
    if (ch[0] == 8) {
        int b = fSelStart, e = fSelStart + fSelLength;
        if (b == e) {
            if (b == 0) return;
            --b;
            while (b > 0 && (static_cast<unsigned char>(fText[static_cast<size_t>(b)]) & 0xC0) == 0x80) --b;
        }
        UserEdited(fText.substr(0, static_cast<size_t>(b)) + fText.substr(static_cast<size_t>(e)), b);
        return;
    }
    if (static_cast<unsigned char>(ch[0]) < 32) return;
    if (fMaxLength > 0 && Utf8CharCount(fText) - Utf8CharCount(SelText()) + 1 > fMaxLength) return;
    ch = Cased(ch, fCharCase);
    UserEdited(fText.substr(0, static_cast<size_t>(fSelStart)) + ch +
                   fText.substr(static_cast<size_t>(fSelStart + fSelLength)),
               fSelStart + static_cast<int>(ch.size()));
}

bool TCustomComboBox::AutoCompleteKey(const std::string& ch) {
    // Completion works on what has been typed: the text of an edit style, or for a list style
    // the characters typed within half a second of each other.
    if (HasEdit()) {
        fFilter = fText;
    } else {
        auto now = std::chrono::steady_clock::now();
        if (now - fLastKeyTime >= std::chrono::milliseconds(500)) fFilter.clear();
        fLastKeyTime = now;
    }
    unsigned char c = static_cast<unsigned char>(ch[0]);
    if (c == 27) return false;
    if (c == 9) return false;
    if (c == 8) {
        if (fSelLength > 0) {
            std::string t = fText;
            t.erase(static_cast<size_t>(fSelStart), static_cast<size_t>(fSelLength));
            int at = fSelStart;
            fItemIndex = -1;
            TControl::SetText(t);
            fSelStart = at;
            fSelLength = 0;
        } else if (HasEdit() && !fText.empty()) {
            int b = fSelStart;
            if (b > 0) {
                --b;
                while (b > 0 && (static_cast<unsigned char>(fText[static_cast<size_t>(b)]) & 0xC0) == 0x80) --b;
            }
            std::string t = fText.substr(0, static_cast<size_t>(b)) + fText.substr(static_cast<size_t>(fSelStart));
            TControl::SetText(t);
            fSelStart = b;
            fSelLength = 0;
            fFilter = fText;
        } else if (!fFilter.empty()) {
            size_t b = fFilter.size() - 1;
            while (b > 0 && (static_cast<unsigned char>(fFilter[b]) & 0xC0) == 0x80) --b;
            fFilter.erase(b);
        }
        Change();
        return true;
    }
    std::string item = fSelLength > 0 ? fFilter.substr(0, static_cast<size_t>(fSelStart)) + ch : fFilter + ch;
    return SelectItem(item);
}

bool TCustomComboBox::SelectItem(const std::string& prefix) {
    if (prefix.empty()) {
        SetItemIndex(-1);
        Change();
        return false;
    }
    int index = -1;
    for (int i = 0; i < fItems->Count(); ++i)
        if (AnsiStartsText(prefix, fItems->Get(i))) {
            index = i;
            break;
        }
    if (index < 0) return false;
    bool changed = index != fItemIndex;
    fItemIndex = index;
    if (HasEdit()) {
        std::string item = fItems->Get(index);
        TControl::SetText(prefix + (prefix.size() < item.size() ? item.substr(prefix.size()) : std::string()));
        fSelStart = static_cast<int>(prefix.size());
        fSelLength = static_cast<int>(fText.size()) - fSelStart;
    } else {
        ShowItemText();
        fFilter = prefix;
    }
    if (changed) {
        TComponentWatch w(this);
        Click();
        if (w.Target) Select();
    }
    return true;
}

void TCustomComboBox::DefaultKeyDown(uint16_t key, TShiftState shift) {
    int n = fItems->Count();
    if (key == VK_F4 || ((key == VK_DOWN || key == VK_UP) && shift.Contains(ssAlt))) {
        SetDroppedDown(!fDroppedDown);
        return;
    }
    if ((key == VK_RETURN || key == VK_ESCAPE) && fDroppedDown) {
        SetDroppedDown(false);
        return;
    }
    int target = -2;
    switch (key) {
        case VK_DOWN: target = n ? std::min(fItemIndex + 1, n - 1) : -2; break;
        case VK_UP: target = n ? std::max(fItemIndex - 1, 0) : -2; break;
        case VK_NEXT: target = n ? std::min(std::max(fItemIndex, 0) + fDropDownCount - 1, n - 1) : -2; break;
        case VK_PRIOR: target = n ? std::max(fItemIndex - fDropDownCount + 1, 0) : -2; break;
        case VK_HOME: if (!HasEdit() && n) target = 0; break;
        case VK_END: if (!HasEdit() && n) target = n - 1; break;
        default: break;
    }
    if (target >= 0) {
        if (target != fItemIndex) SelectByUser(target);
        return;
    }
    if (!HasEdit()) return;
    int len = static_cast<int>(fText.size());
    auto prev = [&](int o) {
        if (o <= 0) return 0;
        --o;
        while (o > 0 && (static_cast<unsigned char>(fText[static_cast<size_t>(o)]) & 0xC0) == 0x80) --o;
        return o;
    };
    auto next = [&](int o) {
        if (o >= len) return len;
        ++o;
        while (o < len && (static_cast<unsigned char>(fText[static_cast<size_t>(o)]) & 0xC0) == 0x80) ++o;
        return o;
    };
    switch (key) {
        case VK_HOME: SetSelStart(0); break;
        case VK_END: SetSelStart(len); break;
        case VK_LEFT: SetSelStart(fSelLength > 0 ? fSelStart : prev(fSelStart)); break;
        case VK_RIGHT: SetSelStart(fSelLength > 0 ? fSelStart + fSelLength : next(fSelStart)); break;
        case VK_DELETE: {
            int b = fSelStart, e = fSelLength > 0 ? fSelStart + fSelLength : next(fSelStart);
            if (e > b) UserEdited(fText.substr(0, static_cast<size_t>(b)) + fText.substr(static_cast<size_t>(e)), b);
            break;
        }
        default: break;
    }
}

void TCustomComboBox::DoEnter() {
    SelectAll();
    TWinControl::DoEnter();
}

void TCustomComboBox::CMWantSpecialKey(TMessage& msg) {
    if (fDroppedDown && (msg.WParam == VK_RETURN || msg.WParam == VK_ESCAPE)) msg.Result = 1;
}

void TCustomComboBox::DrawItem(int index, TRect rect, TOwnerDrawState state) {
    if (OnDrawItem.Assigned()) {
        OnDrawItem(this, index, rect, state);
        return;
    }
    TCanvas* c = Canvas();
    c->FillRect(rect);
    if (index >= 0 && index < fItems->Count()) c->TextOut(rect.Left + 2, rect.Top, fItems->Get(index));
}

// ---- List box ------------------------------------------------------------------------------

PLAT_REGISTER_CLASS(TListBoxStrings, TItemStrings) {}

void TListBoxStrings::Put(int index, const std::string& s) {
    int selected = fListBox->ItemIndex();
    TItemStrings::Put(index, s);
    fListBox->SetItemIndex(selected);
}
bool TListBoxStrings::SortedAdd() const { return fListBox->Sorted(); }
void TListBoxStrings::Inserted(int index) { fListBox->ItemInserted(index); }
void TListBoxStrings::Deleted(int index) { fListBox->ItemDeleted(index); }
void TListBoxStrings::Cleared() { fListBox->ItemsCleared(); }
void TListBoxStrings::ItemsChanged() {
    fListBox->fHeights.clear();  // a replaced or moved line is measured again
    fListBox->Changed(TPeerChange::Children);
}

PLAT_REGISTER_CLASS(TCustomListBox, TWinControl) {
    b.Property("BorderStyle", &TCustomListBox::BorderStyle, &TCustomListBox::SetBorderStyle).Type(TypeBorderStyle()).Unpublished();
    b.Property("Columns", &TCustomListBox::Columns, &TCustomListBox::SetColumns).Unpublished();
    b.Property("ExtendedSelect", &TCustomListBox::ExtendedSelect, &TCustomListBox::SetExtendedSelect).Unpublished();
    b.Property("ImeMode", &TCustomListBox::ImeMode, &TCustomListBox::SetImeMode).Unpublished();
    b.Property("ImeName", &TCustomListBox::ImeName, &TCustomListBox::SetImeName).Type(TypeImeName()).Unpublished();
    b.Property("IntegralHeight", &TCustomListBox::IntegralHeight, &TCustomListBox::SetIntegralHeight).Unpublished();
    b.Property("ItemHeight", &TCustomListBox::ItemHeight, &TCustomListBox::SetItemHeight).Unpublished();
    b.Property("ItemIndex", &TCustomListBox::ItemIndex, &TCustomListBox::SetItemIndex).Unpublished();
    b.Property("Items", &TCustomListBox::Items, &TCustomListBox::SetItems).Unpublished();
    b.Property("MultiSelect", &TCustomListBox::MultiSelect, &TCustomListBox::SetMultiSelect).Unpublished();
    b.Property("Sorted", &TCustomListBox::Sorted, &TCustomListBox::SetSorted).Unpublished();
    b.Property("Style", &TCustomListBox::Style, &TCustomListBox::SetStyle).Unpublished();
    b.Property("TabWidth", &TCustomListBox::TabWidth, &TCustomListBox::SetTabWidth).Unpublished();
    b.Event("OnDrawItem", &TCustomListBox::OnDrawItem).Unpublished();
    b.Event("OnMeasureItem", &TCustomListBox::OnMeasureItem).Unpublished();
}

PLAT_REGISTER_CLASS(TListBox, TCustomListBox) {
    b.Publish({"Style", "Align", "Anchors", "BorderStyle", "Color", "Columns", "Ctl3D", "DragCursor", "DragKind",
               "DragMode", "Enabled", "ExtendedSelect", "Font", "ImeMode", "ImeName", "IntegralHeight", "ItemHeight",
               "Items", "MultiSelect", "ParentColor", "ParentCtl3D", "ParentFont", "ParentShowHint", "PopupMenu",
               "ShowHint", "Sorted", "TabOrder", "TabStop", "TabWidth", "Visible", "OnClick", "OnDblClick",
               "OnDragDrop", "OnDragOver", "OnDrawItem", "OnEndDock", "OnEndDrag", "OnEnter", "OnExit", "OnKeyDown",
               "OnKeyPress", "OnKeyUp", "OnMeasureItem", "OnMouseDown", "OnMouseMove", "OnMouseUp", "OnStartDock",
               "OnStartDrag"});
}

TCustomListBox::TCustomListBox(TComponent* owner) : TWinControl(owner), fItems(std::make_unique<TListBoxStrings>(this)) {
    fWidth = 121;
    fHeight = 97;
    fTabStop = true;
    fColor = clWindow;
    fParentColor = false;
    fControlStyle = TControlStyle{csSetCaption, csDoubleClicks, csOpaque};
}

TCustomListBox::~TCustomListBox() = default;

TCanvas* TCustomListBox::Canvas() {
    if (!fCanvas) fCanvas = std::make_unique<TCanvas>();
    return fCanvas.get();
}

void TCustomListBox::SetItemIndex(int index) {
    if (index == fItemIndex) return;
    if (index < 0 || index >= fItems->Count()) {
        if (!fMultiSelect) fItemIndex = -1;
        Invalidate();
        return;
    }
    fItemIndex = index;
    Invalidate();
}

bool TCustomListBox::Selected(int index) const {
    if (index < 0 || index >= fItems->Count()) throw EListError("List index out of bounds (" + std::to_string(index) + ")");
    return fMultiSelect ? static_cast<bool>(fSelected[static_cast<size_t>(index)]) : index == fItemIndex;
}

void TCustomListBox::SetSelected(int index, bool value) {
    if (index < 0 || index >= fItems->Count()) throw EListError("List index out of bounds (" + std::to_string(index) + ")");
    if (fMultiSelect) fSelected[static_cast<size_t>(index)] = value;
    else if (value) SetItemIndex(index);
    else if (index == fItemIndex) fItemIndex = -1;
    Invalidate();
}

int TCustomListBox::SelCount() const {
    if (!fMultiSelect) return -1;
    return static_cast<int>(std::count(fSelected.begin(), fSelected.end(), true));
}

void TCustomListBox::ClearSelection() {
    if (fMultiSelect) std::fill(fSelected.begin(), fSelected.end(), false);
    else fItemIndex = -1;
    Invalidate();
}

void TCustomListBox::SelectAll() {
    if (fMultiSelect) std::fill(fSelected.begin(), fSelected.end(), true);
    Invalidate();
}

void TCustomListBox::SetMultiSelect(bool v) {
    if (v == fMultiSelect) return;
    fMultiSelect = v;
    fSelected.assign(static_cast<size_t>(fItems->Count()), false);
    if (v && fItemIndex >= 0) fSelected[static_cast<size_t>(fItemIndex)] = true;
    Changed(TPeerChange::Style);
}

void TCustomListBox::SetItemHeight(int v) {
    if (v <= 0) return;
    fItemHeight = v;
    fHeights.clear();
    Invalidate();
}

void TCustomListBox::SetStyle(TListBoxStyle v) {
    fStyle = v;
    fHeights.clear();
    Changed(TPeerChange::Style);
}

void TCustomListBox::RemeasureItems() {
    fHeights.clear();
    Invalidate();
}

void TCustomListBox::Loaded() {
    TWinControl::Loaded();
    fHeights.clear();  // the measuring handler is bound only now
}

int TCustomListBox::ItemHeightOf(int index) const {
    if (fStyle != lbOwnerDrawVariable || index < 0 || index >= fItems->Count()) return fItemHeight;
    if (fHeights.size() != static_cast<size_t>(fItems->Count())) {
        std::vector<int> heights(static_cast<size_t>(fItems->Count()), fItemHeight);
        if (OnMeasureItem.Assigned())
            for (int i = 0; i < fItems->Count(); ++i) {
                int h = fItemHeight;
                OnMeasureItem(const_cast<TCustomListBox*>(this), i, h);
                heights[static_cast<size_t>(i)] = std::max(h, 1);
            }
        fHeights = std::move(heights);
    }
    return fHeights[static_cast<size_t>(index)];
}

void TCustomListBox::SetSorted(bool v) {
    if (v == fSorted) return;
    fSorted = v;
    if (v) fItems->SortItems();
}

void TCustomListBox::SetTopIndex(int v) {
    fTopIndex = std::clamp(v, 0, std::max(fItems->Count() - 1, 0));
    Invalidate();
}

void TCustomListBox::ItemInserted(int index) {
    fHeights.clear();
    if (fMultiSelect) fSelected.insert(fSelected.begin() + index, false);
    if (fItemIndex >= 0 && index <= fItemIndex) ++fItemIndex;
}

void TCustomListBox::ItemDeleted(int index) {
    fHeights.clear();
    if (fMultiSelect) fSelected.erase(fSelected.begin() + index);
    if (index == fItemIndex) fItemIndex = -1;
    else if (index < fItemIndex) --fItemIndex;
    if (fTopIndex > 0 && fTopIndex >= fItems->Count()) fTopIndex = std::max(fItems->Count() - 1, 0);
}

void TCustomListBox::ItemsCleared() {
    fHeights.clear();
    fSelected.clear();
    fItemIndex = -1;
    fAnchor = -1;
    fTopIndex = 0;
}

int TCustomListBox::ItemAtPos(TPoint p, bool existing) const {
    if (p.Y < 0) return existing ? -1 : 0;
    int n = fItems->Count();
    int index = fTopIndex;
    if (fStyle == lbOwnerDrawVariable) {
        for (int y = 0; index < n; ++index) {
            y += ItemHeightOf(index);
            if (p.Y < y) break;
        }
    } else {
        index += p.Y / fItemHeight;
    }
    if (index >= n) return existing ? -1 : n;
    return index;
}

TRect TCustomListBox::ItemRect(int index) const {
    int top = 0;
    if (fStyle == lbOwnerDrawVariable) {
        for (int i = fTopIndex; i < index; ++i) top += ItemHeightOf(i);
        for (int i = index; i < fTopIndex; ++i) top -= ItemHeightOf(i);
    } else {
        top = (index - fTopIndex) * fItemHeight;
    }
    return {0, top, ClientWidth(), top + ItemHeightOf(index)};
}

int TCustomListBox::ItemsFitting(int from, int step) const {
    int n = fItems->Count(), count = 0;
    for (int i = from, used = 0; i >= 0 && i < n; i += step) {
        used += ItemHeightOf(i);
        if (used > ClientHeight() && count > 0) break;
        ++count;
    }
    return std::max(count, 1);
}

void TCustomListBox::MakeVisible(int index) {
    if (index < 0 || index >= fItems->Count()) return;
    if (index < fTopIndex) {
        SetTopIndex(index);
        return;
    }
    // The lowest top that shows the item whole (the item itself when it is taller than the area).
    int top = index;
    for (int used = ItemHeightOf(index); top > fTopIndex && used + ItemHeightOf(top - 1) <= ClientHeight(); --top)
        used += ItemHeightOf(top - 1);
    if (ItemRect(index).Bottom > ClientHeight() && top != fTopIndex) SetTopIndex(top);
}

void TCustomListBox::SelectByUser(int index, TShiftState shift) {
    if (index < 0 || index >= fItems->Count()) return;
    if (!fMultiSelect) {
        if (index == fItemIndex) return;
        fItemIndex = index;
    } else if (!fExtendedSelect || shift.Contains(ssCtrl)) {
        fSelected[static_cast<size_t>(index)] = !fSelected[static_cast<size_t>(index)];
        fItemIndex = fAnchor = index;
    } else if (shift.Contains(ssShift) && fAnchor >= 0) {
        std::fill(fSelected.begin(), fSelected.end(), false);
        for (int i = std::min(fAnchor, index); i <= std::max(fAnchor, index); ++i) fSelected[static_cast<size_t>(i)] = true;
        fItemIndex = index;
    } else {
        std::fill(fSelected.begin(), fSelected.end(), false);
        fSelected[static_cast<size_t>(index)] = true;
        fItemIndex = fAnchor = index;
    }
    Invalidate();
    Click();
}

void TCustomListBox::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
    TComponentWatch w(this);
    TWinControl::MouseDown(button, shift, x, y);
    if (w.Target && button == mbLeft && fEnabled) SelectByUser(ItemAtPos({x, y}), shift);
}

void TCustomListBox::DefaultKeyDown(uint16_t key, TShiftState shift) {
    int n = fItems->Count();
    if (n == 0) return;
    int cur = fItemIndex;
    int target = -1;
    // A page is as many rows as fit into the client area from the current one on.
    switch (key) {
        case VK_DOWN: target = std::min(cur + 1, n - 1); break;
        case VK_UP: target = std::max(cur - 1, 0); break;
        case VK_HOME: target = 0; break;
        case VK_END: target = n - 1; break;
        case VK_NEXT: target = std::min(std::max(cur, 0) + ItemsFitting(std::max(cur, 0), 1) - 1, n - 1); break;
        case VK_PRIOR: target = std::max(cur - ItemsFitting(std::max(cur, 0), -1) + 1, 0); break;
        case VK_SPACE:
            if (fMultiSelect && cur >= 0) SelectByUser(cur, TShiftState{ssCtrl});
            return;
        default: return;
    }
    if (target == cur && !fMultiSelect) return;
    TComponentWatch w(this);
    SelectByUser(target, fMultiSelect && !shift.Contains(ssShift) ? TShiftState{} : shift);
    // The row the keys moved to is scrolled into view, as the list box does.
    if (w.Target) MakeVisible(fItemIndex);
}

void TCustomListBox::DefaultChar(char key) {
    unsigned char u = static_cast<unsigned char>(key);
    if (u < 33 || u >= 0x80) return;
    int n = fItems->Count();
    for (int k = 1; k <= n; ++k) {
        int i = (std::max(fItemIndex, -1) + k) % n;
        if (AnsiStartsText(std::string(1, key), fItems->Get(i))) {
            SelectByUser(i, {});
            return;
        }
    }
}

void TCustomListBox::DrawItem(int index, TRect rect, TOwnerDrawState state) {
    if (OnDrawItem.Assigned() && fStyle != lbStandard) {
        OnDrawItem(this, index, rect, state);
        return;
    }
    TCanvas* c = Canvas();
    c->FillRect(rect);
    if (index >= 0 && index < fItems->Count()) c->TextOut(rect.Left + 2, rect.Top, fItems->Get(index));
}

}  // namespace plat
