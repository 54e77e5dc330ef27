#pragma once
// Controls: TControl (bounds, visibility, enabled state, colour, font, caption, hint, cursor,
// mouse and key events), TWinControl (children, handle, tab order, focus), TCustomControl and
// TGraphicControl; window handles as 32-bit tokens; keyboard and mouse input into the model.
#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "platform/forms/Classes.h"
#include "platform/forms/WidgetSet.h"
#include "platform/graphics/Graphics.h"

namespace plat {

class TWinControl;
class TCustomForm;

struct TPoint {
    int X = 0, Y = 0;
    bool operator==(const TPoint&) const = default;
};
struct TRect {
    int Left = 0, Top = 0, Right = 0, Bottom = 0;
    int Width() const { return Right - Left; }
    int Height() const { return Bottom - Top; }
    bool Contains(TPoint p) const { return p.X >= Left && p.X < Right && p.Y >= Top && p.Y < Bottom; }
    bool operator==(const TRect&) const = default;
};
inline TRect Bounds(int l, int t, int w, int h) { return {l, t, l + w, t + h}; }

enum TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient, alCustom };
enum TAnchorKind { akLeft, akTop, akRight, akBottom };
using TAnchors = TSet<TAnchorKind>;
enum TMouseButton { mbLeft, mbRight, mbMiddle };
enum TDragMode { dmManual, dmAutomatic };
enum TDragKind { dkDrag, dkDock };
enum TDragState { dsDragEnter, dsDragLeave, dsDragMove };
enum TAlignment { taLeftJustify, taRightJustify, taCenter };
enum TBiDiMode { bdLeftToRight, bdRightToLeft, bdRightToLeftNoAlign, bdRightToLeftReadingOnly };
PLAT_DECLARE_ENUM(TAlign)
PLAT_DECLARE_ENUM(TAnchorKind)
PLAT_DECLARE_SET(TAnchors)
PLAT_DECLARE_ENUM(TMouseButton)
PLAT_DECLARE_ENUM(TDragMode)
PLAT_DECLARE_ENUM(TDragKind)
PLAT_DECLARE_ENUM(TDragState)
PLAT_DECLARE_ENUM(TAlignment)
PLAT_DECLARE_ENUM(TBiDiMode)

using TCursor = int;
constexpr TCursor crDefault = 0, crNone = -1, crArrow = -2, crCross = -3, crIBeam = -4, crSizeNESW = -6,
                  crSizeNS = -7, crSizeNWSE = -8, crSizeWE = -9, crUpArrow = -10, crHourGlass = -11, crDrag = -12,
                  crNoDrop = -13, crHSplit = -14, crVSplit = -15, crMultiDrag = -16, crSQLWait = -17, crNo = -18,
                  crAppStart = -19, crHelp = -20, crHandPoint = -21, crSizeAll = -22, crSize = -22;
const TTypeInfo* TypeCursor();       // "TCursor" with the cursor identifiers
const TTypeInfo* TypeCaption();      // "TCaption" (string)
const TTypeInfo* TypeTabOrder();     // "TTabOrder" (integer)
const TTypeInfo* TypeModalResult();  // "TModalResult" (integer)

using TModalResult = int;
constexpr TModalResult mrNone = 0, mrOk = 1, mrCancel = 2, mrAbort = 3, mrRetry = 4, mrIgnore = 5, mrYes = 6,
                       mrNo = 7, mrAll = 8, mrNoToAll = 9, mrYesToAll = 10;

// Event types.
PLAT_DECLARE_EVENT(TKeyEvent, TObject* /*Sender*/, uint16_t& /*Key*/, TShiftState /*Shift*/)
PLAT_DECLARE_EVENT(TKeyPressEvent, TObject* /*Sender*/, char& /*Key*/)
PLAT_DECLARE_EVENT(TMouseEvent, TObject*, TMouseButton, TShiftState, int /*X*/, int /*Y*/)
PLAT_DECLARE_EVENT(TMouseMoveEvent, TObject*, TShiftState, int, int)
PLAT_DECLARE_EVENT(TDragDropEvent, TObject* /*Sender*/, TObject* /*Source*/, int, int)
PLAT_DECLARE_EVENT(TDragOverEvent, TObject*, TObject* /*Source*/, int, int, TDragState, bool& /*Accept*/)
PLAT_DECLARE_EVENT(TStartDragEvent, TObject*, TObject*& /*DragObject*/)
PLAT_DECLARE_EVENT(TEndDragEvent, TObject*, TObject* /*Target*/, int, int)
PLAT_DECLARE_EVENT(TStartDockEvent, TObject*, TObject*& /*DragObject*/)
PLAT_DECLARE_EVENT(TDockDropEvent, TObject*, TObject* /*Source*/, int, int)
PLAT_DECLARE_EVENT(TDockOverEvent, TObject*, TObject* /*Source*/, int, int, TDragState, bool& /*Accept*/)
PLAT_DECLARE_EVENT(TGetSiteInfoEvent, TObject*, TControl* /*DockClient*/, TRect& /*InfluenceRect*/, TPoint /*MousePos*/,
                   bool& /*CanDock*/)
PLAT_DECLARE_EVENT(TUnDockEvent, TObject*, TControl* /*Client*/, TWinControl* /*NewTarget*/, bool& /*Allow*/)
PLAT_DECLARE_EVENT(TMouseWheelEvent, TObject* /*Sender*/, TShiftState /*Shift*/, int /*WheelDelta*/,
                   TPoint /*MousePos*/, bool& /*Handled*/)
PLAT_DECLARE_EVENT(TMouseWheelUpDownEvent, TObject* /*Sender*/, TShiftState /*Shift*/, TPoint /*MousePos*/,
                   bool& /*Handled*/)
// A window procedure: a control's WindowProc can be saved and replaced (subclassing).
PLAT_DECLARE_EVENT(TWndMethod, TMessage&)

// A window's scroll bars, as a presentation asks for them: the position runs from Min to
// Max - Page + 1 (Page positions are shown at once); Visible is whether the bar is shown.
enum TScrollBarKind { sbHorizontal, sbVertical };
struct TScrollBarInfo {
    int Min = 0, Max = 0, Page = 0, Pos = 0;
    bool Visible = false;
    int MaxPos() const { return Page > 0 ? std::max(Min, Max - Page + 1) : Max; }
    bool operator==(const TScrollBarInfo&) const = default;
};

// Control state and style bits.
enum TControlStateItem { csLButtonDown, csClicked, csPalette, csReadingState, csAlignmentNeeded, csFocusing,
                         csCreating, csPaintCopy, csCustomPaint, csDestroyingHandle, csDocking };
using TControlState = TSet<TControlStateItem>;
enum TControlStyleItem { csAcceptsControls, csCaptureMouse, csDesignInteractive, csClickEvents, csFramed,
                         csSetCaption, csOpaque, csDoubleClicks, csFixedWidth, csFixedHeight, csNoDesignVisible,
                         csReplicatable, csNoStdEvents, csDisplayDragImage, csReflector, csActionClient, csMenuEvents };
using TControlStyle = TSet<TControlStyleItem>;

class TControl : public TComponent {
    PLAT_CLASS(TControl)
    explicit TControl(TComponent* owner);
    ~TControl() override;
    void BeforeDestruction() override;

    // Parent and geometry.
    TWinControl* Parent() const { return fParent; }
    virtual void SetParent(TWinControl* parent);
    bool HasParent() const override { return true; }
    TComponent* GetParentComponent() const override;
    void SetParentComponent(TComponent* c) override;
    int Left() const { return fLeft; }
    int Top() const { return fTop; }
    int Width() const { return fWidth; }
    int Height() const { return fHeight; }
    void SetLeft(int v) { SetBounds(v, fTop, fWidth, fHeight); }
    void SetTop(int v) { SetBounds(fLeft, v, fWidth, fHeight); }
    void SetWidth(int v) { SetBounds(fLeft, fTop, v, fHeight); }
    void SetHeight(int v) { SetBounds(fLeft, fTop, fWidth, v); }
    virtual void SetBounds(int left, int top, int width, int height);
    TRect BoundsRect() const { return Bounds(fLeft, fTop, fWidth, fHeight); }
    // Client area in the control's own coordinates; a form's excludes its frame and caption.
    virtual TRect ClientRect() const { return {0, 0, fWidth, fHeight}; }
    int ClientWidth() const { return ClientRect().Width(); }
    int ClientHeight() const { return ClientRect().Height(); }
    void SetClientWidth(int v) { SetWidth(fWidth - ClientWidth() + v); }
    void SetClientHeight(int v) { SetHeight(fHeight - ClientHeight() + v); }
    // Offset of the client area inside the bounds (a form's frame); zero for controls.
    virtual TPoint ClientOrigin() const { return {0, 0}; }
    TPoint ClientToScreen(TPoint p) const;
    TPoint ScreenToClient(TPoint p) const;
    TAlign Align() const { return fAlign; }
    void SetAlign(TAlign a);
    TAnchors Anchors() const { return fAnchors; }
    void SetAnchors(TAnchors a) { fAnchors = a; }
    void BringToFront();
    void SendToBack();

    // Appearance.
    bool Visible() const { return fVisible; }
    virtual void SetVisible(bool v);
    void Show() { SetVisible(true); }
    void Hide() { SetVisible(false); }
    // Visible here and in every parent up to the form.
    bool Showing() const;
    bool Enabled() const { return fEnabled; }
    virtual void SetEnabled(bool v);
    TColor Color() const { return fColor; }
    void SetColor(TColor c);
    bool ParentColor() const { return fParentColor; }
    void SetParentColor(bool v);
    TFont* Font() const { return fFont.get(); }
    void SetFont(TFont* f) { fFont->Assign(f); }
    bool ParentFont() const { return fParentFont; }
    void SetParentFont(bool v);
    bool Ctl3D() const { return fCtl3D; }
    void SetCtl3D(bool v);
    bool ParentCtl3D() const { return fParentCtl3D; }
    void SetParentCtl3D(bool v);
    // Caption and Text are the same text (the original keeps one window text).
    const std::string& Caption() const { return fText; }
    void SetCaption(const std::string& s) { SetText(s); }
    const std::string& Text() const { return fText; }
    virtual void SetText(const std::string& s);
    const std::string& Hint() const { return fHint; }
    void SetHint(const std::string& s);
    bool ShowHint() const { return fShowHint; }
    void SetShowHint(bool v);
    bool ParentShowHint() const { return fParentShowHint; }
    void SetParentShowHint(bool v);
    TComponent* PopupMenu() const { return fPopupMenu; }
    void SetPopupMenu(TComponent* menu);
    TCursor Cursor() const { return fCursor; }
    void SetCursor(TCursor c);
    TDragMode DragMode() const { return fDragMode; }
    void SetDragMode(TDragMode m) { fDragMode = m; }
    TDragKind DragKind() const { return fDragKind; }
    void SetDragKind(TDragKind k) { fDragKind = k; }
    TCursor DragCursor() const { return fDragCursor; }
    void SetDragCursor(TCursor c) { fDragCursor = c; }
    bool IsRightToLeft() const { return false; }

    TControlState ControlState() const { return fControlState; }
    void SetControlState(TControlState s) { fControlState = s; }
    TControlStyle ControlStyle() const { return fControlStyle; }
    void SetControlStyle(TControlStyle s) { fControlStyle = s; }

    // Painting through the peer of the control (or of its windowed parent).
    void Invalidate();
    virtual void Update();
    void Repaint();
    void Refresh() { Repaint(); }

    // Messages. Perform runs WindowProc synchronously and answers the result.
    LRESULT Perform(uint32_t msg, WPARAM wParam = 0, LPARAM lParam = 0);
    TWndMethod WindowProc;
    virtual void WndProc(TMessage& msg);
    bool MouseCapture() const;
    void SetMouseCapture(bool v);

    // Actions a user performs; virtual so controls add their behaviour.
    virtual void Click();
    virtual void DblClick();
    void DragDrop(TObject* source, int x, int y);

    TNotifyEvent OnClick, OnDblClick, OnResize;
    TMouseEvent OnMouseDown, OnMouseUp;
    TMouseMoveEvent OnMouseMove;
    TDragDropEvent OnDragDrop;
    TDragOverEvent OnDragOver;
    TStartDragEvent OnStartDrag;
    TEndDragEvent OnEndDrag, OnEndDock;
    TStartDockEvent OnStartDock;
    // WM_MOUSEWHEEL (sent to the control under the pointer): OnMouseWheel, then OnMouseWheelDown or
    // OnMouseWheelUp; unhandled, the control's own scrolling, else the parent's.
    TMouseWheelEvent OnMouseWheel;
    TMouseWheelUpDownEvent OnMouseWheelDown, OnMouseWheelUp;

    // The peer this control is shown through (its own for a windowed control, else the parent's).
    virtual TWidgetPeer* Peer() const;
    // Tells the presentation what changed.
    void Changed(TPeerChange what);

protected:
    virtual void MouseDown(TMouseButton button, TShiftState shift, int x, int y);
    virtual void MouseUp(TMouseButton button, TShiftState shift, int x, int y);
    virtual void MouseMove(TShiftState shift, int x, int y);
    // The wheel turned by wheelDelta (WHEEL_DELTA a notch) with the pointer at mousePos (screen);
    // true when handled. The default raises the wheel events.
    virtual bool DoMouseWheel(TShiftState shift, int wheelDelta, TPoint mousePos);
    virtual bool DoMouseWheelDown(TShiftState shift, TPoint mousePos);
    virtual bool DoMouseWheelUp(TShiftState shift, TPoint mousePos);
    virtual void Resize();
    virtual void TextChanged() {}
    virtual void FontChanged();
    void Loaded() override;
    void Notification(TComponent* component, TOperation operation) override;
    // Parent-following properties hear of their parent's change through these.
    virtual void ParentFontChanged();
    virtual void ParentColorChanged();
    virtual void ParentShowHintChanged();
    virtual void ParentCtl3DChanged();
    virtual void EnabledChanged();
    virtual void VisibleChanged();
    void RequestAlign();
    void FontChangedHandler(TObject* sender);

    friend class TWinControl;
    TWinControl* fParent = nullptr;
    int fLeft = 0, fTop = 0, fWidth = 0, fHeight = 0;
    TAlign fAlign = alNone;
    TAnchors fAnchors{akLeft, akTop};
    bool fVisible = true;
    bool fEnabled = true;
    TColor fColor = clWindow;
    bool fParentColor = true;
    std::unique_ptr<TFont> fFont;
    bool fParentFont = true;
    bool fCtl3D = true;
    bool fParentCtl3D = true;
    std::string fText;
    std::string fHint;
    bool fShowHint = false;
    bool fParentShowHint = true;
    TComponent* fPopupMenu = nullptr;
    TCursor fCursor = crDefault;
    TDragMode fDragMode = dmManual;
    TDragKind fDragKind = dkDrag;
    TCursor fDragCursor = crDrag;
    TControlState fControlState;
    TControlStyle fControlStyle{csCaptureMouse, csClickEvents, csSetCaption, csDoubleClicks};
    bool fSettingParentFont = false;
};

class TWinControl : public TControl {
    PLAT_CLASS(TWinControl)
    explicit TWinControl(TComponent* owner);
    ~TWinControl() override;
    void BeforeDestruction() override;

    // Children in z-order (last is on top).
    int ControlCount() const { return static_cast<int>(fControls.size()); }
    TControl* Controls(int index) const;
    const std::vector<TControl*>& ControlList() const { return fControls; }
    void InsertControl(TControl* c);
    void RemoveControl(TControl* c);
    bool ContainsControl(const TControl* c) const;  // c is this or inside it
    TControl* FindChildControl(const std::string& name) const;

    // The window handle: a 32-bit token created (with the peer) on first use.
    HWND Handle();
    bool HandleAllocated() const { return fHandle != 0; }
    void HandleNeeded() { Handle(); }
    void DestroyHandle();
    // The peer, created by the installed widgetset once the handle exists.
    TWidgetPeer* Peer() const override;
    // Drops the peers of this control and its children (another widgetset is being installed);
    // they are made again by the new widgetset when next needed.
    void DropPeers();
    // Creates the handles of every windowed child (a form does this when it is shown).
    void CreateHandlesDeep();

    // Tab order and focus.
    int TabOrder() const;
    void SetTabOrder(int order);
    bool TabStop() const { return fTabStop; }
    void SetTabStop(bool v);
    // Children in tab order, then their children depth-first (the order Tab walks).
    void GetTabOrderList(std::vector<TWinControl*>& list) const;
    std::vector<TWinControl*> TabList() const;
    TWinControl* FindNextControl(TWinControl* current, bool goForward, bool checkTabStop, bool checkParent) const;
    void SelectNext(TWinControl* current, bool goForward, bool checkTabStop);
    void SelectFirst();
    virtual bool CanFocus() const;
    bool Focused() const;
    virtual void SetFocus();
    // The keys this control handles itself (DLGC_* bits).
    virtual uint32_t DialogCode() const { return 0; }

    // Alignment of the children inside the client area (also when this control resizes).
    void Realign();
    void DisableAlign() { ++fAlignLevel; }
    void EnableAlign();
    // Extra room children keep clear of (a group box's caption); default: the client rect.
    virtual TRect AdjustClientRect() const { return ClientRect(); }

    void SetBounds(int left, int top, int width, int height) override;
    void Update() override;

    // Scrolling. A control that scrolls answers its bars here (default: none) and moves its
    // position in ScrollBarMoved; WM_HSCROLL/WM_VSCROLL (SB_* requests) and the wheel's default
    // handling (three lines a notch, a page when that is less) go through these two.
    virtual TScrollBarInfo ScrollBarInfo(TScrollBarKind kind) const;
    // Moves the position by `lines` (clamped to the range); true when it moved.
    bool ScrollBy(TScrollBarKind kind, int lines);

    TNotifyEvent OnEnter, OnExit;
    TKeyEvent OnKeyDown, OnKeyUp;
    TKeyPressEvent OnKeyPress;
    TDockDropEvent OnDockDrop;
    TDockOverEvent OnDockOver;
    TGetSiteInfoEvent OnGetSiteInfo;
    TUnDockEvent OnUnDock;

    void WndProc(TMessage& msg) override;

protected:
    // Key events: the form's key preview first, then this control's handler. True = consumed.
    bool DoKeyDown(TMessage& msg);
    bool DoKeyPress(TMessage& msg);
    bool DoKeyUp(TMessage& msg);
    virtual void KeyDown(uint16_t& key, TShiftState shift);
    virtual void KeyUp(uint16_t& key, TShiftState shift);
    virtual void KeyPress(char& key);
    // What the control does with a key nobody consumed (an edit moves its caret, types a char).
    virtual void DefaultKeyDown(uint16_t key, TShiftState shift) { (void)key; (void)shift; }
    virtual void DefaultChar(char key) { (void)key; }
    virtual void DoEnter();
    virtual void DoExit();
    // Broadcast of a dialog key/char to the children until one answers.
    void Broadcast(TMessage& msg);
    virtual void AlignControls(TRect& rect);
    void Loaded() override;
    void ParentFontChanged() override;
    void ParentColorChanged() override;
    void ParentShowHintChanged() override;
    void ParentCtl3DChanged() override;
    void FontChanged() override;
    void EnabledChanged() override;
    void VisibleChanged() override;
    void NotifyChildren(uint32_t msg);
    bool DoMouseWheel(TShiftState shift, int wheelDelta, TPoint mousePos) override;
    // Sets the scroll position (already clamped to the range ScrollBarInfo answers).
    virtual void ScrollBarMoved(TScrollBarKind kind, int pos) { (void)kind; (void)pos; }
    void WMScroll(TMessage& msg);

    void WMSetFocus(TMessage& msg);
    void WMNextDlgCtl(TMessage& msg);
    void CMDialogKey(TMessage& msg);
    void CMDialogChar(TMessage& msg);
    void CNKeyDown(TMessage& msg);
    void CNChar(TMessage& msg);
    void CNSysChar(TMessage& msg);

    friend class TControl;
    friend class TCustomForm;
    std::vector<TControl*> fControls;
    std::vector<TWinControl*> fTabList;
    HWND fHandle = 0;
    mutable std::unique_ptr<TWidgetPeer> fPeer;
    mutable bool fMakingPeer = false;
    bool fTabStop = false;
    int fAlignLevel = 0;
    bool fAligning = false;
    int fPendingTabOrder = -1;
    int fWheelAccumulator = 0;  // part of a notch not yet scrolled
};

// A windowed control that paints itself through the model's canvas.
class TCanvas;

class TCustomControl : public TWinControl {
    PLAT_CLASS(TCustomControl)
    using TWinControl::TWinControl;
    // A control that draws itself paints here; a presentation calls it with a canvas on the
    // control's surface, so every custom-painted control (the module's own too) shows alike.
    virtual void Paint(TCanvas& canvas) { (void)canvas; }
};

// A control without a window of its own (a label); drawn by its parent's peer.
class TGraphicControl : public TControl {
    PLAT_CLASS(TGraphicControl)
    using TControl::TControl;
};

// ---- Handles and window functions ----------------------------------------------------------

// The control a handle stands for; nullptr for 0 or a stale handle.
TWinControl* FindControl(HWND handle);
bool IsWindow(HWND handle);
LRESULT SendMessage(HWND handle, uint32_t msg, WPARAM wParam = 0, LPARAM lParam = 0);
// Queues a message for Application.ProcessMessages; false for an invalid handle.
bool PostMessage(HWND handle, uint32_t msg, WPARAM wParam = 0, LPARAM lParam = 0);
// Brings the window's form to the foreground (restoring it when minimised is the caller's job).
bool SetForegroundWindow(HWND handle);
// Paints the window now (the host's window behind a free-floating form).
bool UpdateWindow(HWND handle);
bool InvalidateWindow(HWND handle);
HWND GetFocus();
TWinControl* FindFocusedControl();  // the control holding the keyboard focus
// The form a control lies on (nullptr when none); the control itself when it is a form.
TCustomForm* GetParentForm(const TControl* control);
TCustomForm* ValidParentForm(const TControl* control);  // raises EInvalidOperation when none

// ---- Input into the model ------------------------------------------------------------------
// Presentations and tests deliver the user's input through these. Keys go to the control that
// holds the focus (or `target`) the way the original platform delivers them: dialog keys (Tab,
// Enter, Esc, arrows) first to the form, then key down with the form's key preview, then the
// character, then key up.

// Modifier keys currently held.
TShiftState KeyboardShiftState();
void SetKeyboardShiftState(TShiftState shift);
// GetKeyState: negative while the key is down (VK_SHIFT, VK_CONTROL, VK_MENU, mouse buttons).
short GetKeyState(int vk);
// Presses and releases a key with the modifiers held; returns false when nobody could take it
// (no focused control).
bool PressKey(uint16_t key, TShiftState shift = {}, TWinControl* target = nullptr);
// Types characters (each byte as one character message, so text in any script arrives whole).
bool TypeText(const std::string& text, TWinControl* target = nullptr);
// A left-button press and release at client point (x, y): a click.
void ClickAt(TControl* control, int x = 1, int y = 1);
// The character a key produces with the modifiers, 0 when none.
char KeyToChar(uint16_t key, TShiftState shift);
// True when the caption carries "&c" for that character (case-insensitive).
bool IsAccel(char c, const std::string& caption);
// The caption without accelerator marks ("&&" becomes "&").
std::string StripHotkey(const std::string& caption);

TControl* GetCaptureControl();
void SetCaptureControl(TControl* control);

// What a right-button release asks for: the pop-up menu of the control, or of its nearest parent
// that has one (a child without a menu passes the request on, as the system's context-menu message
// travels up). The menus layer installs the handler; it answers true when it showed a menu.
using TContextMenuHandler = bool (*)(TControl* control, TPoint clientPoint);
void SetContextMenuHandler(TContextMenuHandler handler);

// Runs the item of `menu` whose short cut the key is; true when one ran. A key pressed in a
// control is first offered to the pop-up menus of the control and its parents, then to its form's
// main menu, before the control or the form sees it. The menus layer installs the handler.
using TMenuKeyHandler = bool (*)(TComponent* menu, uint16_t key, TShiftState shift);
void SetMenuKeyHandler(TMenuKeyHandler handler);

namespace detail {
// Moves the system focus to a window as the system does: WM_KILLFOCUS to the old one, then
// WM_SETFOCUS to the new one (whose handler tells its form). Forms call this.
void SetSystemFocus(TWinControl* control);
}  // namespace detail

}  // namespace plat
