#include "platform/forms/Forms.h"

#include <algorithm>

#include "platform/forms/DfmReader.h"
#include "platform/graphics/Canvas.h"

namespace plat {

PLAT_DEFINE_ENUM(TFormBorderStyle, "bsNone", "bsSingle", "bsSizeable", "bsDialog", "bsToolWindow", "bsSizeToolWin")
PLAT_DEFINE_ENUM(TBorderIcon, "biSystemMenu", "biMinimize", "biMaximize", "biHelp")
PLAT_DEFINE_SET(TBorderIcons, TBorderIcon)
PLAT_DEFINE_ENUM(TWindowState, "wsNormal", "wsMinimized", "wsMaximized")
PLAT_DEFINE_ENUM(TPosition, "poDesigned", "poDefault", "poDefaultPosOnly", "poDefaultSizeOnly", "poScreenCenter",
                 "poDesktopCenter", "poMainFormCenter", "poOwnerFormCenter")
PLAT_DEFINE_ENUM(TFormStyle, "fsNormal", "fsMDIChild", "fsMDIForm", "fsStayOnTop")
PLAT_DEFINE_ENUM(TCloseAction, "caNone", "caHide", "caFree", "caMinimize")

namespace {
// Counts focus changes; a focus message whose handler moved the focus again ends the first move.
int gFocusCount = 0;

bool SendFocusMessage(TWinControl* control, uint32_t msg, int count) {
    SendMessage(control->Handle(), msg, 0, 0);
    return gFocusCount == count;
}

[[noreturn]] void CannotFocus() { throw EInvalidOperation("Cannot focus a disabled or invisible window"); }

const TTypeInfo* TypeMainMenuRef() {
    // The menu classes live with the menus; the property holds any component of that kind.
    static const TTypeInfo* t = [] {
        const TTypeInfo* named = NamedType("TMainMenu", tkClass);
        const_cast<TTypeInfo*>(named)->ClassType = &TComponent::StaticClass();
        return named;
    }();
    return t;
}

}  // namespace

// ---- TCustomForm ---------------------------------------------------------------------------

PLAT_REGISTER_CLASS(TCustomForm, TCustomControl) {
    b.Property("ActiveControl", &TCustomForm::ActiveControl, &TCustomForm::SetActiveControl).Unpublished();
    b.Property("BorderIcons", &TCustomForm::BorderIcons, &TCustomForm::SetBorderIcons).Unpublished();
    b.Property("BorderStyle", &TCustomForm::BorderStyle, &TCustomForm::SetBorderStyle).Unpublished();
    b.Property("FormStyle", &TCustomForm::FormStyle, &TCustomForm::SetFormStyle).Unpublished();
    b.Property("KeyPreview", &TCustomForm::KeyPreview, &TCustomForm::SetKeyPreview).Unpublished();
    b.Property("Menu", &TCustomForm::Menu, &TCustomForm::SetMenu).Type(TypeMainMenuRef()).Unpublished();
    b.Property("OldCreateOrder", &TCustomForm::OldCreateOrder, &TCustomForm::SetOldCreateOrder).Unpublished();
    b.Property("PixelsPerInch", &TCustomForm::PixelsPerInch, &TCustomForm::SetPixelsPerInch).Unpublished();
    b.Property("Position", &TCustomForm::Position, &TCustomForm::SetPosition).Unpublished();
    b.Property("Scaled", &TCustomForm::Scaled, &TCustomForm::SetScaled).Unpublished();
    b.Property("WindowState", &TCustomForm::WindowState, &TCustomForm::SetWindowState).Unpublished();
    b.Event("OnActivate", &TCustomForm::OnActivate).Unpublished();
    b.Event("OnClose", &TCustomForm::OnClose).Unpublished();
    b.Event("OnCloseQuery", &TCustomForm::OnCloseQuery).Unpublished();
    b.Event("OnCreate", &TCustomForm::OnCreate).Unpublished();
    b.Event("OnDeactivate", &TCustomForm::OnDeactivate).Unpublished();
    b.Event("OnDestroy", &TCustomForm::OnDestroy).Unpublished();
    b.Event("OnHelp", &TCustomForm::OnHelp).Unpublished();
    b.Event("OnHide", &TCustomForm::OnHide).Unpublished();
    b.Event("OnPaint", &TCustomForm::OnPaint).Unpublished();
    b.Event("OnShow", &TCustomForm::OnShow).Unpublished();
    b.Message(WM_CLOSE, &TCustomForm::WMClose);
    b.Message(CM_RELEASE, &TCustomForm::CMRelease);
    b.Message(CM_ACTIVATE, &TCustomForm::CMActivate);
    b.Message(CM_DEACTIVATE, &TCustomForm::CMDeactivate);
    b.Message(CM_DIALOGKEY, &TCustomForm::CMDialogKey);
    b.Message(WM_NEXTDLGCTL, &TCustomForm::WMNextDlgCtl);
}

PLAT_REGISTER_CLASS(TForm, TCustomForm) {
    b.Publish({"ActiveControl", "BorderIcons", "BorderStyle", "Caption", "ClientHeight", "ClientWidth", "Color",
               "Ctl3D", "Enabled", "Font", "FormStyle", "Height", "KeyPreview", "Menu", "OldCreateOrder", "ParentFont",
               "PixelsPerInch", "PopupMenu", "Position", "Scaled", "ShowHint", "Visible", "Width", "WindowState",
               "OnActivate", "OnClick", "OnClose", "OnCloseQuery", "OnCreate", "OnDblClick", "OnDeactivate",
               "OnDestroy", "OnHelp", "OnHide", "OnKeyDown", "OnKeyPress", "OnKeyUp", "OnMouseDown", "OnMouseMove",
               "OnMouseUp", "OnPaint", "OnResize", "OnShow"});
}

TCustomForm::TCustomForm(TComponent* owner) : TCustomControl(owner) {
    fVisible = false;
    fColor = clBtnFace;
    fParentColor = false;
    fParentFont = false;
    fParentShowHint = false;
    fLeft = 0;
    fTop = 0;
    fWidth = 320;
    fHeight = 240;
    fFormState.Include(fsCreating);
    Screen->AddForm(this);
}

TCustomForm::TCustomForm(TComponent* owner, int) : TCustomForm(owner) { fCreateNew = true; }

TCustomForm::~TCustomForm() {
    Screen->RemoveForm(this);
    if (Application->MainForm() == this) Application->SetMainForm(nullptr);
}

TCanvas* TCustomForm::Canvas() {
    if (!fCanvas) fCanvas = std::make_unique<TCanvas>();
    return fCanvas.get();
}

void TCustomForm::AfterConstruction() {
    TCustomControl::AfterConstruction();
    if (!fCreateNew) {
        if (!InitInheritedComponent(this, TForm::StaticClass()) && ClassType() != &TForm::StaticClass() &&
            ClassType() != &TCustomForm::StaticClass())
            throw EResNotFound("Resource " + ClassName() + " not found");
    }
    fFormState.Exclude(fsCreating);
    DoCreate();
    if (fFormState.Contains(fsVisible)) {
        fFormState.Exclude(fsVisible);
        SetVisible(true);
    }
}

void TCustomForm::BeforeDestruction() {
    TCustomControl::BeforeDestruction();  // marks this and what it owns as being destroyed
    if (fVisible) {
        TComponentWatch w(this);
        SetVisible(false);
    }
    DoDestroy();
    if (Screen->fActiveForm == this) Screen->fActiveForm = nullptr;
    if (Screen->fFocusedForm == this) Screen->fFocusedForm = nullptr;
    if (Screen->fActiveControl && ContainsControl(Screen->fActiveControl)) Screen->fActiveControl = nullptr;
}

void TCustomForm::DoCreate() { OnCreate(this); }
void TCustomForm::DoDestroy() { OnDestroy(this); }
void TCustomForm::DoShow() { OnShow(this); }
void TCustomForm::DoHide() { OnHide(this); }
void TCustomForm::DoClose(TCloseAction& action) { OnClose(this, action); }
void TCustomForm::Activate() { OnActivate(this); }
void TCustomForm::Deactivate() { OnDeactivate(this); }

void TCustomForm::Loaded() {
    TCustomControl::Loaded();
    if (fActiveControl && fVisible && fActive) SetActiveControl(fActiveControl);
}

void TCustomForm::SetActiveControl(TWinControl* control) {
    if (fActiveControl == control) return;
    if (control && (control == this || GetParentForm(control) != this || (!IsLoading() && !control->CanFocus())))
        CannotFocus();
    fActiveControl = control;
    if (!IsLoading() && fActive) detail::SetSystemFocus(fActiveControl ? fActiveControl : this);
}

bool TCustomForm::SetFocusedControl(TWinControl* control) {
    int count = ++gFocusCount;
    if (control != this) fActiveControl = control;
    Screen->fActiveControl = control;
    Screen->fActiveForm = this;
    auto& forms = Screen->fForms;
    forms.erase(std::remove(forms.begin(), forms.end(), this), forms.end());
    forms.insert(forms.begin(), this);
    if (control->fControlState.Contains(csFocusing)) return false;
    control->fControlState.Include(csFocusing);
    TComponentWatch watch(control);
    struct Done {
        TComponentWatch& w;
        TWinControl* c;
        ~Done() {
            if (w.Target) c->fControlState.Exclude(csFocusing);
        }
    } done{watch, control};

    if (Screen->fFocusedForm != this) {
        if (TCustomForm* old = Screen->fFocusedForm) {
            Screen->fFocusedForm = nullptr;
            if (!SendFocusMessage(old, CM_DEACTIVATE, count)) return false;
        }
        Screen->fFocusedForm = this;
        if (!SendFocusMessage(this, CM_ACTIVATE, count)) return false;
    }
    if (!fFocusedControl) fFocusedControl = this;
    if (fFocusedControl != control) {
        while (fFocusedControl && !fFocusedControl->ContainsControl(control)) {
            TWinControl* leaving = fFocusedControl;
            fFocusedControl = fFocusedControl->Parent();
            if (!SendFocusMessage(leaving, CM_EXIT, count)) return false;
        }
        while (fFocusedControl != control) {
            TWinControl* temp = control;
            while (temp->Parent() != fFocusedControl) temp = temp->Parent();
            fFocusedControl = temp;
            if (!SendFocusMessage(temp, CM_ENTER, count)) return false;
        }
        Perform(CM_FOCUSCHANGED, 0, reinterpret_cast<LPARAM>(control));
    }
    return true;
}

void TCustomForm::FocusControl(TWinControl* control) {
    bool wasActive = fActive;
    SetActiveControl(control);
    if (!wasActive) SetFocus();
}

void TCustomForm::DefocusControl(TWinControl* control, bool removing) {
    if (removing && fFocusedControl && control->ContainsControl(fFocusedControl)) fFocusedControl = control->Parent();
    if (fActiveControl && control->ContainsControl(fActiveControl)) {
        if (removing || IsDestroying()) fActiveControl = nullptr;
        else SetActiveControl(nullptr);
    }
    // The screen must not keep a control that is going away.
    if (removing && Screen->fActiveControl && control->ContainsControl(Screen->fActiveControl))
        Screen->fActiveControl = nullptr;
}

void TCustomForm::SetFocus() {
    if (!fActive) {
        if (!(fVisible && fEnabled)) CannotFocus();
        detail::SetSystemFocus(fActiveControl ? fActiveControl : this);
    }
}

bool TCustomForm::CanFocus() const { return fVisible && fEnabled; }

void TCustomForm::CMActivate(TMessage&) {
    if (fActive) return;
    fActive = true;
    fFormState.Include(fsActivated);
    if (!fActiveControl) {
        TWinControl* first = FindNextControl(nullptr, true, true, false);
        if (first) fActiveControl = first;
    }
    Activate();
}

void TCustomForm::CMDeactivate(TMessage&) {
    if (!fActive) return;
    fActive = false;
    Deactivate();
}

void TCustomForm::SetActive(bool active) {
    if (active) {
        if (!fActiveControl) fActiveControl = FindNextControl(nullptr, true, true, false);
        detail::SetSystemFocus(fActiveControl ? fActiveControl : this);
    } else if (fActive) {
        Perform(CM_DEACTIVATE, 0, 0);
    }
}

void TCustomForm::SetBorderStyle(TFormBorderStyle s) {
    if (s == fBorderStyle) return;
    fBorderStyle = s;
    Changed(TPeerChange::Style);
}

void TCustomForm::SetBorderIcons(TBorderIcons icons) {
    if (icons == fBorderIcons) return;
    fBorderIcons = icons;
    Changed(TPeerChange::Style);
}

void TCustomForm::SetWindowState(TWindowState s) {
    if (s == fWindowState) return;
    fWindowState = s;
    Changed(TPeerChange::WindowState);
}

TRect TCustomForm::ClientRect() const {
    int bar = fMenu ? FormMenuHeight : 0;
    if (fBorderStyle == bsNone) return {0, 0, fWidth, std::max(0, fHeight - bar)};
    return {0, 0, std::max(0, fWidth - 2 * FormFrameWidth),
            std::max(0, fHeight - 2 * FormFrameWidth - FormCaptionHeight - bar)};
}

TPoint TCustomForm::ClientOrigin() const {
    int bar = fMenu ? FormMenuHeight : 0;
    if (fBorderStyle == bsNone) return {0, bar};
    return {FormFrameWidth, FormFrameWidth + FormCaptionHeight + bar};
}

void TCustomForm::SetMenu(TComponent* menu) {
    if (menu == fMenu) return;
    int clientHeight = ClientHeight();
    if (fMenu) fMenu->RemoveFreeNotification(this);
    fMenu = menu;
    if (menu) menu->FreeNotification(this);
    // The bar is outside the client area: the window grows or shrinks by it.
    if (ClientHeight() != clientHeight) SetHeight(fHeight + (clientHeight - ClientHeight()));
    Changed(TPeerChange::Style);
}

void TCustomForm::Notification(TComponent* component, TOperation operation) {
    TCustomControl::Notification(component, operation);
    if (operation != opRemove || component != fMenu) return;
    if (IsDestroying()) fMenu = nullptr;
    else SetMenu(nullptr);
}

void TCustomForm::Resize() { TCustomControl::Resize(); }

void TCustomForm::ApplyPosition() {
    TCustomForm* center = nullptr;
    switch (fPosition) {
        case poScreenCenter:
        case poDesktopCenter:
            break;
        case poOwnerFormCenter:
            center = dynamic_cast<TCustomForm*>(Owner());
            if (!center) center = Application->MainForm();
            break;
        case poMainFormCenter:
            center = Application->MainForm();
            break;
        default:
            return;
    }
    if (center == this) center = nullptr;
    int l, t;
    if (center) {
        l = center->Left() + (center->Width() - fWidth) / 2;
        t = center->Top() + (center->Height() - fHeight) / 2;
    } else {
        l = (Screen->Width() - fWidth) / 2;
        t = (Screen->Height() - fHeight) / 2;
    }
    SetBounds(std::max(0, l), std::max(0, t), fWidth, fHeight);
}

void TCustomForm::SetVisible(bool v) {
    if (fFormState.Contains(fsCreating) || IsLoading()) {
        if (v) fFormState.Include(fsVisible);
        else fFormState.Exclude(fsVisible);
        return;
    }
    if (v == fVisible) return;
    if (v) {
        fFormState.Include(fsShowing);
        ApplyPosition();
        TComponentWatch w(this);
        DoShow();
        if (!w.Target) return;
        fFormState.Exclude(fsShowing);
        fVisible = true;
        CreateHandlesDeep();
        Changed(TPeerChange::Visible);
        SetActive(true);
    } else {
        TComponentWatch w(this);
        DoHide();
        if (!w.Target) return;
        fVisible = false;
        Changed(TPeerChange::Visible);
        if (fActive || Screen->fFocusedForm == this) {
            Perform(CM_DEACTIVATE, 0, 0);
            if (Screen->fFocusedForm == this) Screen->fFocusedForm = nullptr;
            if (Screen->fActiveForm == this) Screen->fActiveForm = nullptr;
            if (FindFocusedControl() && ContainsControl(FindFocusedControl())) detail::SetSystemFocus(nullptr);
            // The next visible form takes the focus, as the window system activates it.
            if (!IsDestroying())
                for (auto* f : Screen->fForms)
                    if (f != this && f->Visible() && !f->IsDestroying()) {
                        f->SetActive(true);
                        break;
                    }
        }
    }
}

void TCustomForm::Show() {
    SetVisible(true);
    BringToForeground();
}

void TCustomForm::Hide() { SetVisible(false); }

void TCustomForm::BringToForeground() {
    if (auto* p = Peer()) p->BringToForeground();
    if (fVisible && !fActive && !IsDestroying()) SetActive(true);
}

int TCustomForm::ShowModal() {
    if (fVisible || !fEnabled || Modal() || fFormState.Contains(fsCreating))
        throw EInvalidOperation("Cannot make a visible window modal");
    if (TControl* cap = GetCaptureControl()) {
        cap->Perform(WM_CANCELMODE, 0, 0);
        SetCaptureControl(nullptr);
    }
    TComponentWatch previous(Screen->fActiveForm);
    TCursor savedCursor = Screen->Cursor();
    Screen->SetCursor(crDefault);
    fFormState.Include(fsModal);
    fModalResult = mrNone;
    TComponentWatch self(this);
    int result = mrCancel;
    auto restore = [&] {
        Screen->SetCursor(savedCursor);
        if (self.Target) fFormState.Exclude(fsModal);
        if (auto* prev = static_cast<TCustomForm*>(previous.Target); prev && prev->Visible() && !prev->IsDestroying())
            prev->SetActive(true);
    };
    try {
        Show();
        if (self.Target) WidgetSet().RunModal(*this);
        if (self.Target) {
            result = fModalResult;
            Hide();
        }
    } catch (...) {
        if (self.Target && fVisible) Hide();
        restore();
        throw;
    }
    restore();
    return result;
}

bool TCustomForm::ModalStep() {
    if (Application->Terminated()) fModalResult = mrCancel;
    if (fModalResult == mrNone) return false;
    TCloseAction action = caNone;
    if (CloseQuery()) {
        action = caHide;
        DoClose(action);
    }
    if (action == caNone) fModalResult = mrNone;
    else if (action == caFree) Release();
    return fModalResult != mrNone;
}

bool TCustomForm::CloseQuery() {
    bool canClose = true;
    OnCloseQuery(this, canClose);
    return canClose;
}

void TCustomForm::Close() {
    if (Modal()) {
        fModalResult = mrCancel;
        return;
    }
    if (!CloseQuery()) return;
    TCloseAction action = caHide;
    DoClose(action);
    if (action == caNone) return;
    if (Application->MainForm() == this) {
        Application->Terminate();
        return;
    }
    switch (action) {
        case caHide: Hide(); break;
        case caMinimize: SetWindowState(wsMinimized); break;
        case caFree: Release(); break;
        default: break;
    }
}

void TCustomForm::Release() { PostMessage(Handle(), CM_RELEASE, 0, 0); }

void TCustomForm::WMClose(TMessage&) { Close(); }
void TCustomForm::CMRelease(TMessage&) { Free(); }

void TCustomForm::WndProc(TMessage& msg) { TCustomControl::WndProc(msg); }

void TCustomForm::CMDialogKey(TMessage& msg) {
    if (GetKeyState(VK_MENU) >= 0) {
        if (msg.WParam == VK_TAB) {
            if (GetKeyState(VK_CONTROL) >= 0) {
                SelectNext(fActiveControl, GetKeyState(VK_SHIFT) >= 0, true);
                msg.Result = 1;
                return;
            }
        } else if (msg.WParam == VK_LEFT || msg.WParam == VK_RIGHT || msg.WParam == VK_UP || msg.WParam == VK_DOWN) {
            if (fActiveControl) {
                fActiveControl->Perform(WM_NEXTDLGCTL, (msg.WParam == VK_LEFT || msg.WParam == VK_UP) ? 1 : 0, 0);
                msg.Result = 1;
            }
            return;
        }
    }
    InheritedMessage(msg, TCustomForm::StaticClass());
}

void TCustomForm::WMNextDlgCtl(TMessage& msg) {
    if (msg.LParam & 0xFFFF) {
        if (TWinControl* c = FindControl(static_cast<HWND>(msg.WParam))) c->SetFocus();
    } else {
        SelectNext(fActiveControl, msg.WParam == 0, true);
    }
}

// ---- TDataModule ---------------------------------------------------------------------------

PLAT_REGISTER_CLASS(TDataModule, TComponent) {
    b.Property("OldCreateOrder", &TDataModule::OldCreateOrder, &TDataModule::SetOldCreateOrder);
    b.Event("OnCreate", &TDataModule::OnCreate);
    b.Event("OnDestroy", &TDataModule::OnDestroy);
}

TDataModule::TDataModule(TComponent* owner) : TComponent(owner) {}
TDataModule::TDataModule(TComponent* owner, int) : TComponent(owner), fCreateNew(true) {}

void TDataModule::AfterConstruction() {
    TComponent::AfterConstruction();
    if (!fCreateNew) {
        if (!InitInheritedComponent(this, TDataModule::StaticClass()) && ClassType() != &TDataModule::StaticClass())
            throw EResNotFound("Resource " + ClassName() + " not found");
    }
    OnCreate(this);
}

void TDataModule::BeforeDestruction() {
    TComponent::BeforeDestruction();
    OnDestroy(this);
}

// ---- TApplication --------------------------------------------------------------------------

PLAT_REGISTER_CLASS(TApplication, TComponent) {}

TApplication::TApplication(TComponent* owner) : TComponent(owner) {}

bool TApplication::PostMessage(HWND handle, uint32_t msg, WPARAM wParam, LPARAM lParam) {
    if (handle != 0 && !IsWindow(handle)) return false;
    fQueue.push_back(TMsg{handle, msg, wParam, lParam});
    return true;
}

bool TApplication::ProcessMessage() {
    if (fQueue.empty()) return false;
    TMsg m = fQueue.front();
    fQueue.pop_front();
    bool handled = false;
    OnMessage(m, handled);
    if (!handled && m.hwnd) SendMessage(m.hwnd, m.message, m.wParam, m.lParam);
    return true;
}

void TApplication::ProcessMessages() {
    WidgetSet().PumpEvents();
    while (ProcessMessage()) {
    }
}

void TApplication::SetShowHint(bool v) {
    if (v == fShowHint) return;
    fShowHint = v;
    if (v) ++fHintGeneration;
    WidgetSet().HintSettingsChanged();
}

void TApplication::Notification(TComponent* component, TOperation operation) {
    TComponent::Notification(component, operation);
    if (operation == opRemove && component == fMainForm) fMainForm = nullptr;
}

// ---- TScreen -------------------------------------------------------------------------------

PLAT_REGISTER_CLASS(TScreen, TComponent) {}

TScreen::TScreen(TComponent* owner)
    : TComponent(owner),
      fIconFont(std::make_unique<TFont>()),
      fHintFont(std::make_unique<TFont>()),
      fMenuFont(std::make_unique<TFont>()) {}

void TScreen::SetCursor(TCursor c) {
    if (c == fCursor) return;
    fCursor = c;
    WidgetSet().SetCursor(c);
}

TCustomForm* TScreen::Forms(int index) const {
    if (index < 0 || index >= FormCount()) throw EListError("List index out of bounds (" + std::to_string(index) + ")");
    return fForms[static_cast<size_t>(index)];
}

int TScreen::Width() const { return WidgetSet().ScreenWidth(); }
int TScreen::Height() const { return WidgetSet().ScreenHeight(); }

void TScreen::AddForm(TCustomForm* f) { fForms.push_back(f); }

void TScreen::RemoveForm(TCustomForm* f) {
    fForms.erase(std::remove(fForms.begin(), fForms.end(), f), fForms.end());
    if (fActiveForm == f) fActiveForm = nullptr;
    if (fFocusedForm == f) fFocusedForm = nullptr;
}

// Created when the library loads and kept for the life of the process: forms may outlive any
// static destructor order, so these are never freed.
TApplication* const Application = new TApplication(nullptr);
TScreen* const Screen = new TScreen(nullptr);

}  // namespace plat
