#pragma once
// Forms, data modules, the application (message queue, hints) and the screen (forms, focus,
// cursor, fonts).
#include <deque>
#include <string>
#include <vector>

#include "platform/forms/Controls.h"

namespace plat {

enum TFormBorderStyle { bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow, bsSizeToolWin };
enum TBorderIcon { biSystemMenu, biMinimize, biMaximize, biHelp };
using TBorderIcons = TSet<TBorderIcon>;
enum TWindowState { wsNormal, wsMinimized, wsMaximized };
enum TPosition { poDesigned, poDefault, poDefaultPosOnly, poDefaultSizeOnly, poScreenCenter, poDesktopCenter,
                 poMainFormCenter, poOwnerFormCenter };
enum TFormStyle { fsNormal, fsMDIChild, fsMDIForm, fsStayOnTop };
enum TCloseAction { caNone, caHide, caFree, caMinimize };
PLAT_DECLARE_ENUM(TFormBorderStyle)
PLAT_DECLARE_ENUM(TBorderIcon)
PLAT_DECLARE_SET(TBorderIcons)
PLAT_DECLARE_ENUM(TWindowState)
PLAT_DECLARE_ENUM(TPosition)
PLAT_DECLARE_ENUM(TFormStyle)
PLAT_DECLARE_ENUM(TCloseAction)

PLAT_DECLARE_EVENT(TCloseEvent, TObject* /*Sender*/, TCloseAction& /*Action*/)
PLAT_DECLARE_EVENT(TCloseQueryEvent, TObject* /*Sender*/, bool& /*CanClose*/)
// A change that may be refused: a page control's OnChanging.
PLAT_DECLARE_EVENT(TTabChangingEvent, TObject* /*Sender*/, bool& /*AllowChange*/)
PLAT_DECLARE_EVENT(TMessageEvent, TMsg& /*Msg*/, bool& /*Handled*/)
PLAT_DECLARE_EVENT(THelpEvent, uint16_t /*Command*/, int /*Data*/, bool& /*CallHelp*/)

enum TFormStateItem { fsCreating, fsVisible, fsShowing, fsModal, fsCreatedMDIChild, fsActivated };
using TFormState = TSet<TFormStateItem>;

// Frame metrics of a bordered form in the model (client area = bounds minus these).
constexpr int FormFrameWidth = 4;
constexpr int FormCaptionHeight = 19;
// The height of a form's menu bar in the model (it lies between the caption and the client area).
constexpr int FormMenuHeight = 19;

class TCustomForm : public TCustomControl {
    PLAT_CLASS(TCustomForm)
    // Creates the form and (in AfterConstruction) reads its description and its ancestors'.
    explicit TCustomForm(TComponent* owner);
    // A form without a description (the original's CreateNew).
    TCustomForm(TComponent* owner, int dummy);
    ~TCustomForm() override;
    void AfterConstruction() override;
    void BeforeDestruction() override;

    TWinControl* ActiveControl() const { return fActiveControl; }
    void SetActiveControl(TWinControl* control);
    // The control that last took the focus on this form (the form itself when none).
    TWinControl* FocusedControl() const { return fFocusedControl; }
    // Moves the focus inside this form: the active control changes, the OnExit of the control
    // left (and of the containers left) runs, then the OnEnter of the containers entered and of
    // the control. A handler that moves the focus elsewhere wins: the first move stops.
    bool SetFocusedControl(TWinControl* control);
    void FocusControl(TWinControl* control);
    // A control is hidden or removed: the form forgets it as its active/focused control.
    void DefocusControl(TWinControl* control, bool removing);
    bool Active() const { return fActive; }
    void SetFocus() override;
    bool CanFocus() const override;

    bool KeyPreview() const { return fKeyPreview; }
    void SetKeyPreview(bool v) { fKeyPreview = v; }
    TModalResult ModalResult() const { return fModalResult; }
    void SetModalResult(TModalResult r) { fModalResult = r; }
    TFormBorderStyle BorderStyle() const { return fBorderStyle; }
    void SetBorderStyle(TFormBorderStyle s);
    TBorderIcons BorderIcons() const { return fBorderIcons; }
    void SetBorderIcons(TBorderIcons icons);
    TPosition Position() const { return fPosition; }
    void SetPosition(TPosition p) { fPosition = p; }
    TWindowState WindowState() const { return fWindowState; }
    void SetWindowState(TWindowState s);
    TFormStyle FormStyle() const { return fFormStyle; }
    void SetFormStyle(TFormStyle s) { fFormStyle = s; }
    bool Scaled() const { return fScaled; }
    void SetScaled(bool v) { fScaled = v; }
    int PixelsPerInch() const { return fPixelsPerInch; }
    void SetPixelsPerInch(int v) { fPixelsPerInch = v; }
    bool OldCreateOrder() const { return fOldCreateOrder; }
    void SetOldCreateOrder(bool v) { fOldCreateOrder = v; }
    // The window this form floats over (0 = the desktop).
    HWND ParentWindow() const { return fParentWindow; }
    void SetParentWindow(HWND h) { fParentWindow = h; }
    TFormState FormState() const { return fFormState; }
    bool Modal() const { return fFormState.Contains(fsModal); }
    // The form's main menu (a TMainMenu; the menus live above this layer). Its bar lies outside
    // the client area, between the caption and the client: setting or removing the menu keeps
    // ClientWidth/ClientHeight and changes Height by FormMenuHeight.
    TComponent* Menu() const { return fMenu; }
    void SetMenu(TComponent* menu);

    void SetVisible(bool v) override;
    void Show();
    void Hide();
    // Runs the form modally and answers its modal result.
    virtual int ShowModal();
    // Ends the modal loop when the modal result is set (close query and OnClose allowing);
    // answers true when the loop is to end. Widgetsets call it from their modal loops.
    bool ModalStep();
    // Close: a modal form gets mrCancel; otherwise OnCloseQuery, OnClose and the close action
    // (hide, minimise, or free through the queue).
    void Close();
    virtual bool CloseQuery();
    // Frees the form once the messages posted before have run.
    void Release();
    void BringToForeground();

    TRect ClientRect() const override;
    TPoint ClientOrigin() const override;
    // What OnPaint handlers draw on: while a presentation paints the window, the client area
    // (the background already in the form's colour). Outside painting it has no surface.
    TCanvas* Canvas();

    TNotifyEvent OnCreate, OnDestroy, OnShow, OnHide, OnActivate, OnDeactivate, OnPaint;
    TCloseEvent OnClose;
    TCloseQueryEvent OnCloseQuery;
    THelpEvent OnHelp;

    void WndProc(TMessage& msg) override;

protected:
    virtual void DoCreate();
    virtual void DoDestroy();
    virtual void DoShow();
    virtual void DoHide();
    virtual void DoClose(TCloseAction& action);
    virtual void Activate();
    virtual void Deactivate();
    void SetActive(bool active);
    void Resize() override;
    void ApplyPosition();
    void Loaded() override;
    void WMClose(TMessage& msg);
    void CMRelease(TMessage& msg);
    void CMActivate(TMessage& msg);
    void CMDeactivate(TMessage& msg);
    void CMDialogKey(TMessage& msg);
    void WMNextDlgCtl(TMessage& msg);
    void Notification(TComponent* component, TOperation operation) override;

    TWinControl* fActiveControl = nullptr;
    TComponent* fMenu = nullptr;
    TWinControl* fFocusedControl = nullptr;
    bool fActive = false;
    bool fKeyPreview = false;
    TModalResult fModalResult = mrNone;
    TFormBorderStyle fBorderStyle = bsSizeable;
    TBorderIcons fBorderIcons{biSystemMenu, biMinimize, biMaximize};
    TPosition fPosition = poDesigned;
    TWindowState fWindowState = wsNormal;
    TFormStyle fFormStyle = fsNormal;
    bool fScaled = true;
    int fPixelsPerInch = ScreenPixelsPerInch;
    bool fOldCreateOrder = false;
    HWND fParentWindow = 0;
    TFormState fFormState;
    bool fPositioned = false;
    bool fCreateNew = false;
    int fFocusCount = 0;
    std::unique_ptr<TCanvas> fCanvas;
    friend class TScreen;
};

class TForm : public TCustomForm {
    PLAT_CLASS(TForm)
    using TCustomForm::TCustomForm;
};

// A non-visual container of components with a description of its own.
class TDataModule : public TComponent {
    PLAT_CLASS(TDataModule)
    explicit TDataModule(TComponent* owner);
    TDataModule(TComponent* owner, int dummy);
    void AfterConstruction() override;
    void BeforeDestruction() override;
    TNotifyEvent OnCreate, OnDestroy;
    bool OldCreateOrder() const { return fOldCreateOrder; }
    void SetOldCreateOrder(bool v) { fOldCreateOrder = v; }

private:
    bool fCreateNew = false;
    bool fOldCreateOrder = false;
};

// ---- Application ---------------------------------------------------------------------------

class TApplication : public TComponent {
    PLAT_CLASS(TApplication)
    explicit TApplication(TComponent* owner);

    // Runs every posted message in order, including those posted meanwhile.
    void ProcessMessages();
    // Runs one posted message; false when the queue was empty.
    bool ProcessMessage();
    bool PostMessage(HWND handle, uint32_t msg, WPARAM wParam, LPARAM lParam);
    size_t PendingMessages() const { return fQueue.size(); }
    void Terminate() { fTerminated = true; }
    bool Terminated() const { return fTerminated; }
    void ResetTerminated() { fTerminated = false; }

    TCustomForm* MainForm() const { return fMainForm; }
    void SetMainForm(TCustomForm* f) { fMainForm = f; }
    const std::string& Title() const { return fTitle; }
    void SetTitle(const std::string& t) { fTitle = t; }
    int HintHidePause() const { return fHintHidePause; }
    void SetHintHidePause(int ms) { fHintHidePause = ms; }
    int HintPause() const { return fHintPause; }
    void SetHintPause(int ms) { fHintPause = ms; }
    bool ShowHint() const { return fShowHint; }
    // Switching hints off and on re-creates the hint window (so it takes a new hint font).
    void SetShowHint(bool v);
    int HintWindowGeneration() const { return fHintGeneration; }

    TMessageEvent OnMessage;
    TNotifyEvent OnIdle;

protected:
    void Notification(TComponent* component, TOperation operation) override;

private:
    std::deque<TMsg> fQueue;
    bool fTerminated = false;
    TCustomForm* fMainForm = nullptr;
    std::string fTitle;
    int fHintHidePause = 2500;
    int fHintPause = 500;
    bool fShowHint = true;
    int fHintGeneration = 1;
};

class TScreen : public TComponent {
    PLAT_CLASS(TScreen)
    explicit TScreen(TComponent* owner);

    TCursor Cursor() const { return fCursor; }
    void SetCursor(TCursor c);
    TCustomForm* ActiveForm() const { return fActiveForm; }
    TCustomForm* ActiveCustomForm() const { return fActiveForm; }
    TWinControl* ActiveControl() const { return fActiveControl; }
    TCustomForm* FocusedForm() const { return fFocusedForm; }
    int FormCount() const { return static_cast<int>(fForms.size()); }
    TCustomForm* Forms(int index) const;
    int Width() const;
    int Height() const;
    int PixelsPerInch() const { return ScreenPixelsPerInch; }
    TFont* IconFont() const { return fIconFont.get(); }
    void SetIconFont(TFont* f) { fIconFont->Assign(f); }
    TFont* HintFont() const { return fHintFont.get(); }
    void SetHintFont(TFont* f) { fHintFont->Assign(f); }
    TFont* MenuFont() const { return fMenuFont.get(); }
    void SetMenuFont(TFont* f) { fMenuFont->Assign(f); }

private:
    friend class TCustomForm;
    friend class TWinControl;
    void AddForm(TCustomForm* f);
    void RemoveForm(TCustomForm* f);
    TCursor fCursor = crDefault;
    TCustomForm* fActiveForm = nullptr;
    TCustomForm* fFocusedForm = nullptr;
    TWinControl* fActiveControl = nullptr;
    std::vector<TCustomForm*> fForms;
    std::unique_ptr<TFont> fIconFont, fHintFont, fMenuFont;
};

// The process-wide application and screen (created when the library loads, never freed).
extern TApplication* const Application;
extern TScreen* const Screen;

}  // namespace plat
