#include "platform/forms/Controls.h"

#include <algorithm>
#include <unordered_map>

#include "platform/forms/Forms.h"

namespace plat {

PLAT_DEFINE_ENUM(TAlign, "alNone", "alTop", "alBottom", "alLeft", "alRight", "alClient", "alCustom")
PLAT_DEFINE_ENUM(TAnchorKind, "akLeft", "akTop", "akRight", "akBottom")
PLAT_DEFINE_SET(TAnchors, TAnchorKind)
PLAT_DEFINE_ENUM(TMouseButton, "mbLeft", "mbRight", "mbMiddle")
PLAT_DEFINE_ENUM(TDragMode, "dmManual", "dmAutomatic")
PLAT_DEFINE_ENUM(TDragKind, "dkDrag", "dkDock")
PLAT_DEFINE_ENUM(TDragState, "dsDragEnter", "dsDragLeave", "dsDragMove")
PLAT_DEFINE_ENUM(TAlignment, "taLeftJustify", "taRightJustify", "taCenter")
PLAT_DEFINE_ENUM(TBiDiMode, "bdLeftToRight", "bdRightToLeft", "bdRightToLeftNoAlign", "bdRightToLeftReadingOnly")

const TTypeInfo* TypeCursor() {
    static const TTypeInfo* t = MakeIntegerType(
        "TCursor",
        {{crDefault, "crDefault"}, {crNone, "crNone"}, {crArrow, "crArrow"}, {crCross, "crCross"},
         {crIBeam, "crIBeam"}, {crSize, "crSize"}, {crSizeNESW, "crSizeNESW"}, {crSizeNS, "crSizeNS"},
         {crSizeNWSE, "crSizeNWSE"}, {crSizeWE, "crSizeWE"}, {crUpArrow, "crUpArrow"}, {crHourGlass, "crHourGlass"},
         {crDrag, "crDrag"}, {crNoDrop, "crNoDrop"}, {crHSplit, "crHSplit"}, {crVSplit, "crVSplit"},
         {crMultiDrag, "crMultiDrag"}, {crSQLWait, "crSQLWait"}, {crNo, "crNo"}, {crAppStart, "crAppStart"},
         {crHelp, "crHelp"}, {crHandPoint, "crHandPoint"}, {crSizeAll, "crSizeAll"}},
        -32768, 32767);
    return t;
}
const TTypeInfo* TypeCaption() {
    static const TTypeInfo* t = NamedType("TCaption", tkLString);
    return t;
}
const TTypeInfo* TypeTabOrder() {
    static const TTypeInfo* t = MakeIntegerType("TTabOrder", {}, -1, 32767);
    return t;
}
const TTypeInfo* TypeModalResult() {
    static const TTypeInfo* t = MakeIntegerType("TModalResult");
    return t;
}
static const TTypeInfo* TypePopupMenuRef() {
    // The menu classes live with the menus; the property holds any component of that kind.
    static const TTypeInfo* t = [] {
        const TTypeInfo* named = NamedType("TPopupMenu", tkClass);
        const_cast<TTypeInfo*>(named)->ClassType = &TComponent::StaticClass();
        return named;
    }();
    return t;
}

// ---- Global input state --------------------------------------------------------------------

namespace {
struct THandleTable {
    std::unordered_map<HWND, TWinControl*> Map;
    HWND Next = 0x10000;
};
THandleTable& Handles() {
    static THandleTable t;
    return t;
}
TWinControl* gFocused = nullptr;
TControl* gCapture = nullptr;
TShiftState gShift;
bool gMouseButtons[3] = {false, false, false};


TShiftState MouseShift(WPARAM w) {
    TShiftState s = gShift;
    if (w & MK_LBUTTON) s.Include(ssLeft);
    if (w & MK_RBUTTON) s.Include(ssRight);
    if (w & MK_MBUTTON) s.Include(ssMiddle);
    if (w & MK_SHIFT) s.Include(ssShift);
    if (w & MK_CONTROL) s.Include(ssCtrl);
    return s;
}

}  // namespace

namespace detail {
void SetSystemFocus(TWinControl* c) {
    if (c == gFocused) return;
    TWinControl* old = gFocused;
    gFocused = c;
    HWND newHandle = c ? c->Handle() : 0;
    if (old) old->Perform(WM_KILLFOCUS, static_cast<WPARAM>(newHandle), 0);
    if (c && gFocused == c) {
        if (auto* peer = c->Peer()) peer->SetFocus();
        c->Perform(WM_SETFOCUS, old && old->HandleAllocated() ? old->Handle() : 0, 0);
    }
}
}  // namespace detail

TShiftState KeyboardShiftState() { return gShift; }
void SetKeyboardShiftState(TShiftState shift) { gShift = shift - TShiftState{ssLeft, ssRight, ssMiddle, ssDouble}; }

short GetKeyState(int vk) {
    bool down = false;
    switch (vk) {
        case VK_SHIFT: down = gShift.Contains(ssShift); break;
        case VK_CONTROL: down = gShift.Contains(ssCtrl); break;
        case VK_MENU: down = gShift.Contains(ssAlt); break;
        case VK_LBUTTON: down = gMouseButtons[0]; break;
        case VK_RBUTTON: down = gMouseButtons[1]; break;
        case VK_MBUTTON: down = gMouseButtons[2]; break;
        default: break;
    }
    return down ? static_cast<short>(-32767 - 1) : 0;
}

TControl* GetCaptureControl() { return gCapture; }
void SetCaptureControl(TControl* control) {
    if (gCapture == control) return;
    TControl* old = gCapture;
    gCapture = control;
    if (old) old->Perform(WM_CAPTURECHANGED, 0, 0);
}

bool IsAccel(char c, const std::string& caption) {
    auto up = [](char x) { return (x >= 'a' && x <= 'z') ? static_cast<char>(x - 32) : x; };
    for (size_t i = 0; i + 1 < caption.size(); ++i)
        if (caption[i] == '&') {
            if (caption[i + 1] == '&') {
                ++i;
                continue;
            }
            return up(caption[i + 1]) == up(c);
        }
    return false;
}

std::string StripHotkey(const std::string& caption) {
    std::string r;
    for (size_t i = 0; i < caption.size(); ++i) {
        if (caption[i] == '&') {
            if (i + 1 < caption.size() && caption[i + 1] == '&') r += '&', ++i;
            continue;
        }
        r += caption[i];
    }
    return r;
}

char KeyToChar(uint16_t key, TShiftState shift) {
    bool sh = shift.Contains(ssShift);
    if (shift.Contains(ssCtrl) && !shift.Contains(ssAlt)) {
        if (key >= 'A' && key <= 'Z') return static_cast<char>(key - 'A' + 1);
        return 0;
    }
    if (key >= 'A' && key <= 'Z') return static_cast<char>(sh ? key : key + 32);
    if (key >= '0' && key <= '9' && !sh) return static_cast<char>(key);
    switch (key) {
        case VK_SPACE: return ' ';
        case VK_RETURN: return '\r';
        case VK_ESCAPE: return 27;
        case VK_BACK: return 8;
        case VK_TAB: return '\t';
        default: return 0;
    }
}

// ---- Handles and window functions ----------------------------------------------------------

TWinControl* FindControl(HWND handle) {
    if (!handle) return nullptr;
    auto& t = Handles();
    auto it = t.Map.find(handle);
    return it == t.Map.end() ? nullptr : it->second;
}
bool IsWindow(HWND handle) { return FindControl(handle) != nullptr; }

LRESULT SendMessage(HWND handle, uint32_t msg, WPARAM wParam, LPARAM lParam) {
    TWinControl* c = FindControl(handle);
    return c ? c->Perform(msg, wParam, lParam) : 0;
}

bool PostMessage(HWND handle, uint32_t msg, WPARAM wParam, LPARAM lParam) {
    return Application->PostMessage(handle, msg, wParam, lParam);
}

bool SetForegroundWindow(HWND handle) {
    TWinControl* c = FindControl(handle);
    if (!c) return false;
    TCustomForm* f = GetParentForm(c);
    if (f) f->BringToForeground();
    else if (auto* p = c->Peer()) p->BringToForeground();
    return true;
}

bool UpdateWindow(HWND handle) {
    TWinControl* c = FindControl(handle);
    if (!c) return false;
    c->Update();
    return true;
}

bool InvalidateWindow(HWND handle) {
    TWinControl* c = FindControl(handle);
    if (!c) return false;
    c->Invalidate();
    return true;
}

HWND GetFocus() { return gFocused ? gFocused->Handle() : 0; }
TWinControl* FindFocusedControl() { return gFocused; }

TCustomForm* GetParentForm(const TControl* control) {
    const TControl* c = control;
    while (c && c->Parent()) c = c->Parent();
    return const_cast<TCustomForm*>(dynamic_cast<const TCustomForm*>(c));
}

TCustomForm* ValidParentForm(const TControl* control) {
    TCustomForm* f = GetParentForm(control);
    if (!f) throw EInvalidOperation("Control '" + (control ? control->Name() : std::string()) + "' has no parent window");
    return f;
}

// ---- Input ---------------------------------------------------------------------------------

bool PressKey(uint16_t key, TShiftState shift, TWinControl* target) {
    TShiftState saved = gShift;
    SetKeyboardShiftState(shift);
    struct Restore {
        TShiftState s;
        ~Restore() { gShift = s; }
    } restore{saved};
    if (!target) target = gFocused;
    if (!target) return false;
    HWND h = target->Handle();
    bool alt = shift.Contains(ssAlt);
    bool handled = SendMessage(h, alt ? CN_SYSKEYDOWN : CN_KEYDOWN, key, 0) != 0;
    if (!handled && IsWindow(h)) {
        SendMessage(h, alt ? WM_SYSKEYDOWN : WM_KEYDOWN, key, 0);
        char ch = KeyToChar(key, shift);
        if (ch && IsWindow(h)) {
            if (alt) {
                SendMessage(h, CN_SYSCHAR, static_cast<unsigned char>(ch), 0);
            } else if (SendMessage(h, CN_CHAR, static_cast<unsigned char>(ch), 0) == 0 && IsWindow(h)) {
                SendMessage(h, WM_CHAR, static_cast<unsigned char>(ch), 0);
            }
        }
    }
    if (IsWindow(h)) SendMessage(h, alt ? WM_SYSKEYUP : WM_KEYUP, key, 0);
    return true;
}

bool TypeText(const std::string& text, TWinControl* target) {
    if (!target) target = gFocused;
    if (!target) return false;
    HWND h = target->Handle();
    for (char ch : text) {
        if (!IsWindow(h)) return false;
        if (SendMessage(h, CN_CHAR, static_cast<unsigned char>(ch), 0) == 0 && IsWindow(h))
            SendMessage(h, WM_CHAR, static_cast<unsigned char>(ch), 0);
    }
    return true;
}

void ClickAt(TControl* control, int x, int y) {
    // A disabled window receives no mouse input, and neither does anything inside one.
    for (TControl* c = control; c; c = c->Parent())
        if (!c->Enabled()) return;
    TComponentWatch w(control);
    gMouseButtons[0] = true;
    control->Perform(WM_LBUTTONDOWN, MK_LBUTTON, MakeLParam(x, y));
    gMouseButtons[0] = false;
    if (w.Target) control->Perform(WM_LBUTTONUP, 0, MakeLParam(x, y));
}

// ---- TControl ------------------------------------------------------------------------------

PLAT_REGISTER_CLASS(TControl, TComponent) {
    // Registered unpublished: each control class publishes the ones it shows.
    b.Property("Left", &TControl::Left, &TControl::SetLeft);
    b.Property("Top", &TControl::Top, &TControl::SetTop);
    b.Property("Width", &TControl::Width, &TControl::SetWidth);
    b.Property("Height", &TControl::Height, &TControl::SetHeight);
    b.Property("Cursor", &TControl::Cursor, &TControl::SetCursor).Type(TypeCursor()).Default(crDefault);
    b.Property("Hint", &TControl::Hint, &TControl::SetHint);
    b.Property("Align", &TControl::Align, &TControl::SetAlign).Unpublished();
    b.Property("Anchors", &TControl::Anchors, &TControl::SetAnchors).Unpublished();
    b.Property("ClientHeight", &TControl::ClientHeight, &TControl::SetClientHeight).Unpublished();
    b.Property("ClientWidth", &TControl::ClientWidth, &TControl::SetClientWidth).Unpublished();
    b.Property("Caption", &TControl::Caption, &TControl::SetCaption).Type(TypeCaption()).Unpublished();
    b.Property("Text", &TControl::Text, &TControl::SetText).Type(TypeCaption()).Unpublished();
    b.Property("Color", &TControl::Color, &TControl::SetColor).Type(TypeColor()).Unpublished();
    b.Property("Ctl3D", &TControl::Ctl3D, &TControl::SetCtl3D).Unpublished();
    b.Property("DragCursor", &TControl::DragCursor, &TControl::SetDragCursor).Type(TypeCursor()).Unpublished();
    b.Property("DragKind", &TControl::DragKind, &TControl::SetDragKind).Unpublished();
    b.Property("DragMode", &TControl::DragMode, &TControl::SetDragMode).Unpublished();
    b.Property("Enabled", &TControl::Enabled, &TControl::SetEnabled).Unpublished();
    b.Property("Font", &TControl::Font, &TControl::SetFont).Unpublished();
    b.Property("ParentColor", &TControl::ParentColor, &TControl::SetParentColor).Unpublished();
    b.Property("ParentCtl3D", &TControl::ParentCtl3D, &TControl::SetParentCtl3D).Unpublished();
    b.Property("ParentFont", &TControl::ParentFont, &TControl::SetParentFont).Unpublished();
    b.Property("ParentShowHint", &TControl::ParentShowHint, &TControl::SetParentShowHint).Unpublished();
    b.Property("PopupMenu", &TControl::PopupMenu, &TControl::SetPopupMenu).Type(TypePopupMenuRef()).Unpublished();
    b.Property("ShowHint", &TControl::ShowHint, &TControl::SetShowHint).Unpublished();
    b.Property("Visible", &TControl::Visible, &TControl::SetVisible).Unpublished();
    b.Event("OnClick", &TControl::OnClick).Unpublished();
    b.Event("OnDblClick", &TControl::OnDblClick).Unpublished();
    b.Event("OnResize", &TControl::OnResize).Unpublished();
    b.Event("OnMouseDown", &TControl::OnMouseDown).Unpublished();
    b.Event("OnMouseMove", &TControl::OnMouseMove).Unpublished();
    b.Event("OnMouseUp", &TControl::OnMouseUp).Unpublished();
    b.Event("OnDragDrop", &TControl::OnDragDrop).Unpublished();
    b.Event("OnDragOver", &TControl::OnDragOver).Unpublished();
    b.Event("OnStartDrag", &TControl::OnStartDrag).Unpublished();
    b.Event("OnEndDrag", &TControl::OnEndDrag).Unpublished();
    b.Event("OnStartDock", &TControl::OnStartDock).Unpublished();
    b.Event("OnEndDock", &TControl::OnEndDock).Unpublished();
    b.Event("OnMouseWheel", &TControl::OnMouseWheel).Unpublished();
    b.Event("OnMouseWheelDown", &TControl::OnMouseWheelDown).Unpublished();
    b.Event("OnMouseWheelUp", &TControl::OnMouseWheelUp).Unpublished();
}

TControl::TControl(TComponent* owner) : TComponent(owner), fFont(std::make_unique<TFont>()) {
    WindowProc = TWndMethod::Of<&TControl::WndProc>(this);
    fFont->OnChange = TNotifyEvent::Of<&TControl::FontChangedHandler>(this);
}

TControl::~TControl() {
    if (gCapture == this) gCapture = nullptr;
    if (fParent) fParent->RemoveControl(this);
}

void TControl::BeforeDestruction() {
    TComponent::BeforeDestruction();
    if (gCapture == this) gCapture = nullptr;
}

TComponent* TControl::GetParentComponent() const { return fParent; }

void TControl::SetParentComponent(TComponent* c) {
    if (auto* w = dynamic_cast<TWinControl*>(c)) SetParent(w);
}

void TControl::SetParent(TWinControl* parent) {
    if (parent == fParent) return;
    if (parent == this) throw EInvalidOperation("A control cannot have itself as its parent");
    if (fParent) fParent->RemoveControl(this);
    if (parent) {
        parent->InsertControl(this);
        ParentFontChanged();
        ParentColorChanged();
        ParentShowHintChanged();
        ParentCtl3DChanged();
    }
}

void TControl::SetBounds(int left, int top, int width, int height) {
    if (width < 0) width = 0;
    if (height < 0) height = 0;
    bool resized = width != fWidth || height != fHeight;
    bool moved = left != fLeft || top != fTop;
    if (!resized && !moved) return;
    fLeft = left;
    fTop = top;
    fWidth = width;
    fHeight = height;
    Changed(TPeerChange::Bounds);
    if (moved) Perform(WM_MOVE, 0, MakeLParam(left, top));
    if (resized) {
        Perform(WM_SIZE, 0, MakeLParam(width, height));
        if (!IsLoading()) Resize();
    }
    if (fAlign != alNone || (fParent && !fParent->fAligning)) RequestAlign();
}

void TControl::Resize() { OnResize(this); }

TPoint TControl::ClientToScreen(TPoint p) const {
    TPoint o = ClientOrigin();
    p.X += o.X + fLeft;
    p.Y += o.Y + fTop;
    return fParent ? fParent->ClientToScreen(p) : p;
}

TPoint TControl::ScreenToClient(TPoint p) const {
    TPoint origin = ClientToScreen({0, 0});
    return {p.X - origin.X, p.Y - origin.Y};
}

void TControl::SetAlign(TAlign a) {
    if (a == fAlign) return;
    fAlign = a;
    RequestAlign();
}

void TControl::RequestAlign() {
    if (fParent && !fParent->fAligning) fParent->Realign();
}

void TControl::BringToFront() {
    if (!fParent) {
        if (auto* f = dynamic_cast<TCustomForm*>(this)) f->BringToForeground();
        return;
    }
    auto& v = fParent->fControls;
    v.erase(std::remove(v.begin(), v.end(), this), v.end());
    v.push_back(this);
    Changed(TPeerChange::ZOrder);
    RequestAlign();
}

void TControl::SendToBack() {
    if (!fParent) return;
    auto& v = fParent->fControls;
    v.erase(std::remove(v.begin(), v.end(), this), v.end());
    v.insert(v.begin(), this);
    Changed(TPeerChange::ZOrder);
    RequestAlign();
}

void TControl::SetVisible(bool v) {
    if (v == fVisible) return;
    fVisible = v;
    VisibleChanged();
}

void TControl::VisibleChanged() {
    Changed(TPeerChange::Visible);
    RequestAlign();
}

bool TControl::Showing() const {
    for (const TControl* c = this; c; c = c->fParent)
        if (!c->fVisible) return false;
    return true;
}

void TControl::SetEnabled(bool v) {
    if (v == fEnabled) return;
    fEnabled = v;
    EnabledChanged();
}

void TControl::EnabledChanged() { Changed(TPeerChange::Enabled); }

void TControl::SetColor(TColor c) {
    if (c == fColor && !fParentColor) return;
    fColor = c;
    fParentColor = false;
    Changed(TPeerChange::Color);
    if (auto* w = dynamic_cast<TWinControl*>(this)) w->NotifyChildren(CM_PARENTCOLORCHANGED);
}

void TControl::SetParentColor(bool v) {
    if (v == fParentColor) return;
    fParentColor = v;
    if (v) ParentColorChanged();
}

void TControl::ParentColorChanged() {
    if (!fParentColor || !fParent) return;
    fColor = fParent->fColor;
    Changed(TPeerChange::Color);
}

void TControl::SetParentFont(bool v) {
    if (v == fParentFont) return;
    fParentFont = v;
    if (v) ParentFontChanged();
}

void TControl::ParentFontChanged() {
    if (!fParentFont || !fParent) return;
    fSettingParentFont = true;
    fFont->Assign(fParent->Font());
    fSettingParentFont = false;
}

void TControl::FontChangedHandler(TObject*) {
    if (!fSettingParentFont) fParentFont = false;
    FontChanged();
}

void TControl::FontChanged() { Changed(TPeerChange::Font); }

void TControl::SetCtl3D(bool v) {
    fParentCtl3D = false;
    if (v == fCtl3D) return;
    fCtl3D = v;
    Changed(TPeerChange::Style);
    if (auto* w = dynamic_cast<TWinControl*>(this)) w->NotifyChildren(CM_PARENTCTL3DCHANGED);
}

void TControl::SetParentCtl3D(bool v) {
    if (v == fParentCtl3D) return;
    fParentCtl3D = v;
    if (v) ParentCtl3DChanged();
}

void TControl::ParentCtl3DChanged() {
    if (!fParentCtl3D || !fParent) return;
    fCtl3D = fParent->fCtl3D;
    Changed(TPeerChange::Style);
}

void TControl::SetText(const std::string& s) {
    if (s == fText) return;
    fText = s;
    Changed(TPeerChange::Text);
    TextChanged();
    Perform(CM_TEXTCHANGED, 0, 0);
}

void TControl::SetHint(const std::string& s) {
    if (s == fHint) return;
    fHint = s;
    Changed(TPeerChange::Hint);
}

void TControl::SetShowHint(bool v) {
    fParentShowHint = false;
    if (v == fShowHint) return;
    fShowHint = v;
    Changed(TPeerChange::Hint);
    if (auto* w = dynamic_cast<TWinControl*>(this)) w->NotifyChildren(CM_PARENTSHOWHINTCHANGED);
}

void TControl::SetParentShowHint(bool v) {
    if (v == fParentShowHint) return;
    fParentShowHint = v;
    if (v) ParentShowHintChanged();
}

void TControl::ParentShowHintChanged() {
    if (!fParentShowHint || !fParent) return;
    fShowHint = fParent->fShowHint;
    Changed(TPeerChange::Hint);
}

void TControl::SetPopupMenu(TComponent* menu) {
    if (menu == fPopupMenu) return;
    if (fPopupMenu) fPopupMenu->RemoveFreeNotification(this);
    fPopupMenu = menu;
    if (menu) menu->FreeNotification(this);
}

void TControl::SetCursor(TCursor c) {
    if (c == fCursor) return;
    fCursor = c;
    Changed(TPeerChange::Cursor);
}

void TControl::Notification(TComponent* component, TOperation operation) {
    TComponent::Notification(component, operation);
    if (operation == opRemove && component == fPopupMenu) fPopupMenu = nullptr;
}

void TControl::Loaded() {
    TComponent::Loaded();
    // Parent-following properties the description did not store take the parent's values now.
    ParentFontChanged();
    ParentColorChanged();
    ParentShowHintChanged();
    ParentCtl3DChanged();
}

TWidgetPeer* TControl::Peer() const { return fParent ? fParent->Peer() : nullptr; }

void TControl::Changed(TPeerChange what) {
    if (auto* p = Peer()) p->Changed(this, what);
}

void TControl::Invalidate() {
    if (auto* p = Peer()) p->Invalidate(this);
}

void TControl::Update() {
    if (fParent) fParent->Update();
}

void TControl::Repaint() {
    Invalidate();
    Update();
}

LRESULT TControl::Perform(uint32_t msg, WPARAM wParam, LPARAM lParam) {
    TMessage m;
    m.Msg = msg;
    m.WParam = wParam;
    m.LParam = lParam;
    if (WindowProc.Assigned()) WindowProc(m);
    else WndProc(m);
    return m.Result;
}

namespace {
TContextMenuHandler gContextMenuHandler = nullptr;

// Offers the menu of the control, then of each parent in turn, until one is shown.
void ContextMenu(TControl* control, TPoint clientPoint) {
    if (!gContextMenuHandler) return;
    TPoint screen = control->ClientToScreen(clientPoint);
    for (TControl* c = control; c; c = c->Parent())
        if (c->PopupMenu() && gContextMenuHandler(c, c->ScreenToClient(screen))) return;
}
}  // namespace

void SetContextMenuHandler(TContextMenuHandler handler) { gContextMenuHandler = handler; }

namespace {
TMenuKeyHandler gMenuKeyHandler = nullptr;

bool IsMenuKey(TWinControl* control, uint16_t key, TShiftState shift) {
    if (!gMenuKeyHandler) return false;
    TComponentWatch w(control);
    for (TControl* c = control; c && w.Target; c = c->Parent())
        if (c->PopupMenu() && gMenuKeyHandler(c->PopupMenu(), key, shift)) return true;
    if (!w.Target) return false;
    TCustomForm* form = GetParentForm(control);
    return form && form->Menu() && gMenuKeyHandler(form->Menu(), key, shift);
}
}  // namespace

void SetMenuKeyHandler(TMenuKeyHandler handler) { gMenuKeyHandler = handler; }

void TControl::WndProc(TMessage& msg) {
    switch (msg.Msg) {
        case WM_LBUTTONDOWN:
        case WM_LBUTTONDBLCLK: {
            if (fControlStyle.Contains(csCaptureMouse)) SetMouseCapture(true);
            if (fControlStyle.Contains(csClickEvents)) fControlState.Include(csClicked);
            TShiftState s = MouseShift(msg.WParam);
            if (msg.Msg == WM_LBUTTONDBLCLK) {
                s.Include(ssDouble);
                if (fControlStyle.Contains(csDoubleClicks)) DblClick();
            }
            MouseDown(mbLeft, s, LParamX(msg.LParam), LParamY(msg.LParam));
            break;
        }
        case WM_LBUTTONUP: {
            TComponentWatch w(this);
            SetCaptureControl(nullptr);  // a left-button up ends any capture
            TPoint pt{LParamX(msg.LParam), LParamY(msg.LParam)};
            if (fControlState.Contains(csClicked)) {
                fControlState.Exclude(csClicked);
                if (TRect{0, 0, ClientWidth(), ClientHeight()}.Contains(pt)) Click();
            }
            if (w.Target) MouseUp(mbLeft, MouseShift(msg.WParam), pt.X, pt.Y);
            break;
        }
        case WM_RBUTTONDOWN:
            MouseDown(mbRight, MouseShift(msg.WParam), LParamX(msg.LParam), LParamY(msg.LParam));
            break;
        case WM_RBUTTONUP: {
            TComponentWatch w(this);
            TPoint pt{LParamX(msg.LParam), LParamY(msg.LParam)};
            MouseUp(mbRight, MouseShift(msg.WParam), pt.X, pt.Y);
            if (w.Target) ContextMenu(this, pt);
            break;
        }
        case WM_MOUSEMOVE:
            MouseMove(MouseShift(msg.WParam), LParamX(msg.LParam), LParamY(msg.LParam));
            break;
        case WM_MOUSEWHEEL: {
            // wParam: key state (low word), delta (high word); lParam: the pointer on the screen.
            // Unhandled, the wheel goes on to the parent, as the system's default does.
            TComponentWatch w(this);
            bool handled = DoMouseWheel(MouseShift(WParamLow(msg.WParam)), WParamHighSigned(msg.WParam),
                                        TPoint{LParamX(msg.LParam), LParamY(msg.LParam)});
            if (handled) msg.Result = 1;
            else if (w.Target && fParent) msg.Result = fParent->Perform(msg.Msg, msg.WParam, msg.LParam);
            break;
        }
        case WM_CANCELMODE:
            fControlState.Exclude(csClicked);
            if (gCapture == this) SetCaptureControl(nullptr);
            break;
        case CM_PARENTFONTCHANGED: ParentFontChanged(); break;
        case CM_PARENTCOLORCHANGED: ParentColorChanged(); break;
        case CM_PARENTSHOWHINTCHANGED: ParentShowHintChanged(); break;
        case CM_PARENTCTL3DCHANGED: ParentCtl3DChanged(); break;
        default: break;
    }
    Dispatch(msg);
}

bool TControl::MouseCapture() const { return gCapture == this; }
void TControl::SetMouseCapture(bool v) {
    if (v) SetCaptureControl(this);
    else if (gCapture == this) SetCaptureControl(nullptr);
}

void TControl::Click() { OnClick(this); }
void TControl::DblClick() { OnDblClick(this); }
void TControl::DragDrop(TObject* source, int x, int y) { OnDragDrop(this, source, x, y); }
void TControl::MouseDown(TMouseButton b, TShiftState s, int x, int y) { OnMouseDown(this, b, s, x, y); }
void TControl::MouseUp(TMouseButton b, TShiftState s, int x, int y) { OnMouseUp(this, b, s, x, y); }
void TControl::MouseMove(TShiftState s, int x, int y) { OnMouseMove(this, s, x, y); }

bool TControl::DoMouseWheel(TShiftState shift, int wheelDelta, TPoint mousePos) {
    bool handled = false;
    OnMouseWheel(this, shift, wheelDelta, mousePos, handled);
    if (handled) return true;
    if (wheelDelta < 0) return DoMouseWheelDown(shift, mousePos);
    if (wheelDelta > 0) return DoMouseWheelUp(shift, mousePos);
    return false;
}

bool TControl::DoMouseWheelDown(TShiftState shift, TPoint mousePos) {
    bool handled = false;
    OnMouseWheelDown(this, shift, mousePos, handled);
    return handled;
}

bool TControl::DoMouseWheelUp(TShiftState shift, TPoint mousePos) {
    bool handled = false;
    OnMouseWheelUp(this, shift, mousePos, handled);
    return handled;
}

// ---- TWinControl ---------------------------------------------------------------------------

PLAT_REGISTER_CLASS(TWinControl, TControl) {
    b.Property("TabOrder", &TWinControl::TabOrder, &TWinControl::SetTabOrder).Type(TypeTabOrder()).Unpublished();
    b.Property("TabStop", &TWinControl::TabStop, &TWinControl::SetTabStop).Unpublished();
    b.Event("OnEnter", &TWinControl::OnEnter).Unpublished();
    b.Event("OnExit", &TWinControl::OnExit).Unpublished();
    b.Event("OnKeyDown", &TWinControl::OnKeyDown).Unpublished();
    b.Event("OnKeyPress", &TWinControl::OnKeyPress).Unpublished();
    b.Event("OnKeyUp", &TWinControl::OnKeyUp).Unpublished();
    b.Event("OnDockDrop", &TWinControl::OnDockDrop).Unpublished();
    b.Event("OnDockOver", &TWinControl::OnDockOver).Unpublished();
    b.Event("OnGetSiteInfo", &TWinControl::OnGetSiteInfo).Unpublished();
    b.Event("OnUnDock", &TWinControl::OnUnDock).Unpublished();
    b.Message(WM_SETFOCUS, &TWinControl::WMSetFocus);
    b.Message(WM_NEXTDLGCTL, &TWinControl::WMNextDlgCtl);
    b.Message(CM_DIALOGKEY, &TWinControl::CMDialogKey);
    b.Message(CM_DIALOGCHAR, &TWinControl::CMDialogChar);
    b.Message(CN_KEYDOWN, &TWinControl::CNKeyDown);
    b.Message(CN_SYSKEYDOWN, &TWinControl::CNKeyDown);
    b.Message(CN_CHAR, &TWinControl::CNChar);
    b.Message(CN_SYSCHAR, &TWinControl::CNSysChar);
    b.Message(WM_VSCROLL, &TWinControl::WMScroll);
    b.Message(WM_HSCROLL, &TWinControl::WMScroll);
}

TWinControl::TWinControl(TComponent* owner) : TControl(owner) {}

TWinControl::~TWinControl() {
    // Children not owned by anyone else go with their parent.
    while (!fControls.empty()) {
        TControl* c = fControls.back();
        c->fParent = nullptr;
        fControls.pop_back();
        if (!c->Owner() || c->IsDestroying()) continue;
        c->Free();
    }
    fTabList.clear();
    DestroyHandle();
    if (gFocused == this) gFocused = nullptr;
}

void TWinControl::BeforeDestruction() {
    TControl::BeforeDestruction();
    if (TCustomForm* f = GetParentForm(this); f && f != this && !f->IsDestroying()) f->DefocusControl(this, true);
    if (gFocused && ContainsControl(gFocused)) gFocused = nullptr;
}

TControl* TWinControl::Controls(int index) const {
    if (index < 0 || index >= ControlCount()) throw EListError("List index out of bounds (" + std::to_string(index) + ")");
    return fControls[static_cast<size_t>(index)];
}

void TWinControl::InsertControl(TControl* c) {
    c->fParent = this;
    fControls.push_back(c);
    if (auto* w = dynamic_cast<TWinControl*>(c)) fTabList.push_back(w);
    Changed(TPeerChange::Children);
    if (c->fAlign != alNone) Realign();
}

void TWinControl::RemoveControl(TControl* c) {
    if (auto* w = dynamic_cast<TWinControl*>(c)) {
        if (TCustomForm* f = GetParentForm(this); f && !f->IsDestroying()) f->DefocusControl(w, true);
        if (gFocused && w->ContainsControl(gFocused)) gFocused = nullptr;
        fTabList.erase(std::remove(fTabList.begin(), fTabList.end(), w), fTabList.end());
    }
    fControls.erase(std::remove(fControls.begin(), fControls.end(), c), fControls.end());
    c->fParent = nullptr;
    if (!IsDestroying()) {
        Changed(TPeerChange::Children);
        if (c->fAlign != alNone) Realign();
    }
}

bool TWinControl::ContainsControl(const TControl* c) const {
    for (; c; c = c->fParent)
        if (c == this) return true;
    return false;
}

TControl* TWinControl::FindChildControl(const std::string& name) const {
    for (auto* c : fControls)
        if (SameName(c->Name(), name)) return c;
    return nullptr;
}

HWND TWinControl::Handle() {
    if (fHandle) return fHandle;
    if (IsDestroying()) return 0;
    if (fParent) fParent->Handle();
    auto& t = Handles();
    fHandle = t.Next;
    t.Next += 4;
    t.Map[fHandle] = this;
    Changed(TPeerChange::Created);  // Peer() makes the peer
    return fHandle;
}

void TWinControl::DestroyHandle() {
    if (!fHandle) return;
    for (auto* c : fControls)
        if (auto* w = dynamic_cast<TWinControl*>(c)) w->DestroyHandle();
    fPeer.reset();
    Handles().Map.erase(fHandle);
    fHandle = 0;
}

TWidgetPeer* TWinControl::Peer() const {
    if (fHandle && !fPeer && !fMakingPeer && !IsDestroying()) {
        fMakingPeer = true;
        fPeer = WidgetSet().CreatePeer(const_cast<TWinControl*>(this));
        fMakingPeer = false;
    }
    return fPeer.get();
}

void TWinControl::DropPeers() {
    for (auto* c : fControls)
        if (auto* w = dynamic_cast<TWinControl*>(c)) w->DropPeers();
    fPeer.reset();
}

void TWinControl::CreateHandlesDeep() {
    Handle();
    for (auto* c : fControls)
        if (auto* w = dynamic_cast<TWinControl*>(c)) w->CreateHandlesDeep();
}

int TWinControl::TabOrder() const {
    if (!fParent) return -1;
    auto& v = fParent->fTabList;
    auto it = std::find(v.begin(), v.end(), this);
    return it == v.end() ? -1 : static_cast<int>(it - v.begin());
}

void TWinControl::SetTabOrder(int order) {
    if (IsLoading()) {
        fPendingTabOrder = order;
        return;
    }
    int cur = TabOrder();
    if (cur < 0) return;
    auto& v = fParent->fTabList;
    int count = static_cast<int>(v.size());
    if (order < 0) order = 0;
    if (order >= count) order = count - 1;
    if (order == cur) return;
    v.erase(v.begin() + cur);
    v.insert(v.begin() + order, this);
}

void TWinControl::SetTabStop(bool v) {
    if (v == fTabStop) return;
    fTabStop = v;
    Perform(CM_TABSTOPCHANGED, 0, 0);
}

void TWinControl::GetTabOrderList(std::vector<TWinControl*>& list) const {
    for (auto* c : fTabList) {
        list.push_back(c);
        c->GetTabOrderList(list);
    }
}

std::vector<TWinControl*> TWinControl::TabList() const {
    std::vector<TWinControl*> l;
    GetTabOrderList(l);
    return l;
}

TWinControl* TWinControl::FindNextControl(TWinControl* current, bool goForward, bool checkTabStop, bool checkParent) const {
    std::vector<TWinControl*> list;
    GetTabOrderList(list);
    if (list.empty()) return nullptr;
    int n = static_cast<int>(list.size());
    auto it = std::find(list.begin(), list.end(), current);
    int start = it == list.end() ? (goForward ? n - 1 : 0) : static_cast<int>(it - list.begin());
    int i = start;
    do {
        if (goForward) {
            if (++i == n) i = 0;
        } else {
            if (i == 0) i = n;
            --i;
        }
        TWinControl* c = list[static_cast<size_t>(i)];
        if (c->CanFocus() && (!checkTabStop || c->fTabStop) && (!checkParent || c->fParent == this)) return c;
    } while (i != start);
    return nullptr;
}

void TWinControl::SelectNext(TWinControl* current, bool goForward, bool checkTabStop) {
    if (TWinControl* next = FindNextControl(current, goForward, checkTabStop, !checkTabStop)) next->SetFocus();
}

void TWinControl::SelectFirst() {
    TCustomForm* f = GetParentForm(this);
    TWinControl* c = FindNextControl(nullptr, true, true, false);
    if (!c) c = FindNextControl(nullptr, true, false, false);
    if (c && f) f->SetActiveControl(c);
}

bool TWinControl::CanFocus() const {
    if (!GetParentForm(this)) return false;
    for (const TControl* c = this; c; c = c->fParent)
        if (!c->fVisible || !c->fEnabled) return false;
    return true;
}

bool TWinControl::Focused() const { return gFocused == this; }

void TWinControl::SetFocus() {
    TCustomForm* f = GetParentForm(this);
    if (!f) throw EInvalidOperation("Control '" + Name() + "' has no parent window");
    f->FocusControl(this);
}

void TWinControl::WMSetFocus(TMessage&) {
    TCustomForm* f = GetParentForm(this);
    if (f) f->SetFocusedControl(this);
}

void TWinControl::WMNextDlgCtl(TMessage& msg) {
    TCustomForm* f = GetParentForm(this);
    if (f && f != this) f->Perform(WM_NEXTDLGCTL, msg.WParam, msg.LParam);
}

void TWinControl::Broadcast(TMessage& msg) {
    std::vector<TControl*> children = fControls;
    for (auto* c : children) {
        if (std::find(fControls.begin(), fControls.end(), c) == fControls.end()) continue;
        c->WindowProc.Assigned() ? c->WindowProc(msg) : c->WndProc(msg);
        if (msg.Result != 0) return;
    }
}

void TWinControl::CMDialogKey(TMessage& msg) { Broadcast(msg); }
void TWinControl::CMDialogChar(TMessage& msg) { Broadcast(msg); }

void TWinControl::CNKeyDown(TMessage& msg) {
    msg.Result = 1;
    if (IsMenuKey(this, static_cast<uint16_t>(msg.WParam), KeyboardShiftState())) return;
    uint32_t mask = 0;
    switch (msg.WParam) {
        case VK_TAB: mask = DLGC_WANTTAB; break;
        case VK_LEFT:
        case VK_RIGHT:
        case VK_UP:
        case VK_DOWN: mask = DLGC_WANTARROWS; break;
        case VK_RETURN:
        case VK_ESCAPE: mask = DLGC_WANTALLKEYS; break;
        default: break;
    }
    if (mask != 0 && Perform(CM_WANTSPECIALKEY, msg.WParam, 0) == 0 && (DialogCode() & (mask | DLGC_WANTALLKEYS)) == 0) {
        if (TCustomForm* f = GetParentForm(this))
            if (f->Perform(CM_DIALOGKEY, msg.WParam, msg.LParam) != 0) return;
    }
    msg.Result = 0;
}

void TWinControl::CNChar(TMessage& msg) {
    msg.Result = 1;
    if ((DialogCode() & DLGC_WANTCHARS) == 0) {
        if (TCustomForm* f = GetParentForm(this))
            if (f->Perform(CM_DIALOGCHAR, msg.WParam, msg.LParam) != 0) return;
    }
    msg.Result = 0;
}

void TWinControl::CNSysChar(TMessage& msg) {
    if (msg.WParam == ' ') return;
    if (TCustomForm* f = GetParentForm(this)) msg.Result = f->Perform(CM_DIALOGCHAR, msg.WParam, msg.LParam);
}

void TWinControl::WndProc(TMessage& msg) {
    switch (msg.Msg) {
        case WM_LBUTTONDOWN:
        case WM_LBUTTONDBLCLK:
            // Windows that take the focus take it on a press.
            if (fTabStop && CanFocus() && !Focused()) {
                TComponentWatch w(this);
                SetFocus();
                if (!w.Target) return;
            }
            break;
        case WM_KEYDOWN:
        case WM_SYSKEYDOWN:
            if (!DoKeyDown(msg)) DefaultKeyDown(static_cast<uint16_t>(msg.WParam), KeyboardShiftState());
            return;
        case WM_KEYUP:
        case WM_SYSKEYUP:
            DoKeyUp(msg);
            return;
        case WM_CHAR:
            if (!DoKeyPress(msg)) DefaultChar(static_cast<char>(msg.WParam));
            return;
        case CM_ENTER:
            DoEnter();
            return;
        case CM_EXIT:
            DoExit();
            return;
        default:
            break;
    }
    TControl::WndProc(msg);
}

bool TWinControl::DoKeyDown(TMessage& msg) {
    TCustomForm* f = GetParentForm(this);
    if (f && f != this && f->KeyPreview() && static_cast<TWinControl*>(f)->DoKeyDown(msg)) return true;
    uint16_t key = static_cast<uint16_t>(msg.WParam);
    KeyDown(key, KeyboardShiftState());
    msg.WParam = key;
    return key == 0;
}

bool TWinControl::DoKeyUp(TMessage& msg) {
    TCustomForm* f = GetParentForm(this);
    if (f && f != this && f->KeyPreview() && static_cast<TWinControl*>(f)->DoKeyUp(msg)) return true;
    uint16_t key = static_cast<uint16_t>(msg.WParam);
    KeyUp(key, KeyboardShiftState());
    msg.WParam = key;
    return key == 0;
}

bool TWinControl::DoKeyPress(TMessage& msg) {
    TCustomForm* f = GetParentForm(this);
    if (f && f != this && f->KeyPreview() && static_cast<TWinControl*>(f)->DoKeyPress(msg)) return true;
    char key = static_cast<char>(msg.WParam);
    KeyPress(key);
    msg.WParam = static_cast<unsigned char>(key);
    return key == 0;
}

void TWinControl::KeyDown(uint16_t& key, TShiftState shift) { OnKeyDown(this, key, shift); }
void TWinControl::KeyUp(uint16_t& key, TShiftState shift) { OnKeyUp(this, key, shift); }
void TWinControl::KeyPress(char& key) { OnKeyPress(this, key); }
void TWinControl::DoEnter() { OnEnter(this); }
void TWinControl::DoExit() { OnExit(this); }

void TWinControl::NotifyChildren(uint32_t msg) {
    std::vector<TControl*> children = fControls;
    for (auto* c : children) c->Perform(msg, 0, 0);
}

void TWinControl::ParentFontChanged() { TControl::ParentFontChanged(); }
void TWinControl::ParentColorChanged() {
    TControl::ParentColorChanged();
    if (fParentColor) NotifyChildren(CM_PARENTCOLORCHANGED);
}
void TWinControl::ParentShowHintChanged() {
    TControl::ParentShowHintChanged();
    if (fParentShowHint) NotifyChildren(CM_PARENTSHOWHINTCHANGED);
}
void TWinControl::ParentCtl3DChanged() {
    TControl::ParentCtl3DChanged();
    if (fParentCtl3D) NotifyChildren(CM_PARENTCTL3DCHANGED);
}
void TWinControl::FontChanged() {
    TControl::FontChanged();
    NotifyChildren(CM_PARENTFONTCHANGED);
}
void TWinControl::EnabledChanged() {
    TControl::EnabledChanged();
    for (auto* c : fControls) c->Changed(TPeerChange::Enabled);
}
void TWinControl::VisibleChanged() {
    if (!fVisible && fParent)
        if (TCustomForm* f = GetParentForm(this)) f->DefocusControl(this, false);
    TControl::VisibleChanged();
}

void TWinControl::Loaded() {
    // Tab orders read from the description take effect once all siblings exist.
    std::vector<std::pair<int, TWinControl*>> order;
    for (size_t i = 0; i < fTabList.size(); ++i) {
        TWinControl* c = fTabList[i];
        order.emplace_back(c->fPendingTabOrder >= 0 ? c->fPendingTabOrder : 100000 + static_cast<int>(i), c);
    }
    std::stable_sort(order.begin(), order.end(), [](auto& a, auto& b) { return a.first < b.first; });
    for (size_t i = 0; i < order.size(); ++i) {
        fTabList[i] = order[i].second;
        order[i].second->fPendingTabOrder = -1;
    }
    TControl::Loaded();
    Realign();
}

void TWinControl::EnableAlign() {
    if (fAlignLevel > 0 && --fAlignLevel == 0) Realign();
}

void TWinControl::Realign() {
    if (fAlignLevel > 0 || fAligning || IsLoading() || IsDestroying()) return;
    TRect r = AdjustClientRect();
    fAligning = true;
    try {
        AlignControls(r);
    } catch (...) {
        fAligning = false;
        throw;
    }
    fAligning = false;
}

void TWinControl::AlignControls(TRect& r) {
    auto take = [&](TAlign a) {
        std::vector<TControl*> list;
        for (auto* c : fControls)
            if (c->fAlign == a && c->fVisible) list.push_back(c);
        auto key = [a](TControl* c) {
            switch (a) {
                case alTop: return c->fTop;
                case alBottom: return -(c->fTop + c->fHeight);
                case alLeft: return c->fLeft;
                case alRight: return -(c->fLeft + c->fWidth);
                default: return 0;
            }
        };
        std::stable_sort(list.begin(), list.end(), [&](TControl* x, TControl* y) { return key(x) < key(y); });
        return list;
    };
    for (auto* c : take(alTop)) {
        c->SetBounds(r.Left, r.Top, r.Width(), c->fHeight);
        r.Top += c->fHeight;
    }
    for (auto* c : take(alBottom)) {
        c->SetBounds(r.Left, r.Bottom - c->fHeight, r.Width(), c->fHeight);
        r.Bottom -= c->fHeight;
    }
    for (auto* c : take(alLeft)) {
        c->SetBounds(r.Left, r.Top, c->fWidth, r.Height());
        r.Left += c->fWidth;
    }
    for (auto* c : take(alRight)) {
        c->SetBounds(r.Right - c->fWidth, r.Top, c->fWidth, r.Height());
        r.Right -= c->fWidth;
    }
    for (auto* c : take(alClient)) c->SetBounds(r.Left, r.Top, r.Width(), r.Height());
}

void TWinControl::SetBounds(int left, int top, int width, int height) {
    int oldW = ClientWidth(), oldH = ClientHeight();
    TControl::SetBounds(left, top, width, height);
    int dx = ClientWidth() - oldW, dy = ClientHeight() - oldH;
    if ((dx || dy) && !IsLoading()) {
        // Anchored children keep their distance to the right and bottom edges.
        for (auto* c : fControls) {
            if (c->fAlign != alNone) continue;
            int l = c->fLeft, t = c->fTop, w = c->fWidth, h = c->fHeight;
            if (c->fAnchors.Contains(akRight)) {
                if (c->fAnchors.Contains(akLeft)) w += dx;
                else l += dx;
            }
            if (c->fAnchors.Contains(akBottom)) {
                if (c->fAnchors.Contains(akTop)) h += dy;
                else t += dy;
            }
            if (l != c->fLeft || t != c->fTop || w != c->fWidth || h != c->fHeight) c->SetBounds(l, t, w, h);
        }
        Realign();
    }
}

void TWinControl::Update() {
    if (fPeer) fPeer->Update();
}

// ---- Scrolling -----------------------------------------------------------------------------

TScrollBarInfo TWinControl::ScrollBarInfo(TScrollBarKind) const { return {}; }

bool TWinControl::ScrollBy(TScrollBarKind kind, int lines) {
    TScrollBarInfo info = ScrollBarInfo(kind);
    int pos = std::clamp(info.Pos + lines, info.Min, info.MaxPos());
    if (pos == info.Pos) return false;
    ScrollBarMoved(kind, pos);
    return true;
}

void TWinControl::WMScroll(TMessage& msg) {
    TScrollBarKind kind = msg.Msg == WM_VSCROLL ? sbVertical : sbHorizontal;
    TScrollBarInfo info = ScrollBarInfo(kind);
    int page = std::max(1, info.Page);
    int pos = info.Pos;
    switch (WParamLow(msg.WParam)) {
        case SB_LINEUP: pos -= 1; break;
        case SB_LINEDOWN: pos += 1; break;
        case SB_PAGEUP: pos -= page; break;
        case SB_PAGEDOWN: pos += page; break;
        case SB_THUMBTRACK:
        case SB_THUMBPOSITION: pos = WParamHigh(msg.WParam); break;
        case SB_TOP: pos = info.Min; break;
        case SB_BOTTOM: pos = info.MaxPos(); break;
        default: return;  // SB_ENDSCROLL
    }
    pos = std::clamp(pos, info.Min, info.MaxPos());
    if (pos != info.Pos) ScrollBarMoved(kind, pos);
    msg.Result = 0;
}

bool TWinControl::DoMouseWheel(TShiftState shift, int wheelDelta, TPoint mousePos) {
    if (TControl::DoMouseWheel(shift, wheelDelta, mousePos)) return true;
    // The default: a control with a vertical bar scrolls three lines a notch (a page when that is
    // less); parts of a notch (fine wheels) add up.
    TScrollBarInfo info = ScrollBarInfo(sbVertical);
    if (!info.Visible) return false;
    fWheelAccumulator += wheelDelta;
    int notches = fWheelAccumulator / WHEEL_DELTA;
    fWheelAccumulator -= notches * WHEEL_DELTA;
    int step = std::min(3, std::max(1, info.Page));
    if (notches != 0) ScrollBy(sbVertical, -notches * step);
    return true;
}

// ---- TCustomControl, TGraphicControl -------------------------------------------------------

PLAT_REGISTER_CLASS(TCustomControl, TWinControl) {}
PLAT_REGISTER_CLASS(TGraphicControl, TControl) {}

}  // namespace plat
