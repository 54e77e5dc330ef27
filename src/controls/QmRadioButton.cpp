#include "controls/QmRadioButton.h"

#include "platform/forms/Messages.h"
#include "platform/forms/WidgetSet.h"
#include "platform/graphics/Canvas.h"

using namespace plat;

namespace qm {

PLAT_REGISTER_CLASS(TQmRadioButton, TButtonControl) {
    b.Property("Alignment", &Self::Alignment, &Self::SetAlignment).Type(TypeLeftRight()).Default(taRightJustify);
    b.Property("Checked", &Self::Checked, &Self::SetChecked).Default(0);
    b.Publish({"Anchors", "Caption", "Color", "Ctl3D", "DragCursor", "DragKind", "DragMode", "Enabled", "Font",
               "Hint", "ParentColor", "ParentCtl3D", "ParentFont", "ParentShowHint", "PopupMenu", "ShowHint",
               "TabOrder", "TabStop", "Visible", "OnClick", "OnDblClick", "OnDragDrop", "OnDragOver", "OnEndDock",
               "OnEndDrag", "OnEnter", "OnExit", "OnKeyDown", "OnKeyPress", "OnKeyUp", "OnMouseDown",
               "OnMouseMove", "OnMouseUp", "OnStartDock", "OnStartDrag"});
    b.Message(CM_DIALOGCHAR, &Self::CMDialogChar);
    b.Message(CM_CTL3DCHANGED, &Self::CMCtl3DChanged);
}

namespace {
// Shown as the system's radio button (the circle), its caption painted over it by Paint; for as
// long as the library is loaded.
struct TNativeRadioLook {
    TNativeRadioLook() {
        RegisterNativeLook(TQmRadioButton::StaticClass(), TNativeLook::RadioButton,
                           [](TControl& c, TCanvas& canvas) { static_cast<TQmRadioButton&>(c).Paint(canvas); });
    }
    ~TNativeRadioLook() { UnregisterNativeLook(TQmRadioButton::StaticClass()); }
} gNativeRadioLook;
}  // namespace

TQmRadioButton::TQmRadioButton(TComponent* owner) : TButtonControl(owner) {
    fWidth = 113;
    fHeight = 17;
    fControlStyle = TControlStyle{csSetCaption, csDoubleClicks};
    fParentColor = true;
    fTabStop = false;
}

void TQmRadioButton::SetChecked(bool value) {
    if (value == fChecked) return;
    fChecked = value;
    SetTabStop(value);
    Changed(TPeerChange::Style);
    if (!value) return;
    if (fParent) {
        std::vector<TControl*> siblings = fParent->ControlList();
        for (TControl* c : siblings)
            if (auto* r = dynamic_cast<TQmRadioButton*>(c); r && r != this) r->SetChecked(false);
    }
    if (!fClicksDisabled) Click();
}

void TQmRadioButton::SetAlignment(TAlignment a) {
    if (a == fAlignment) return;
    fAlignment = a;
    // The system's button takes its text side at creation: a new window.
    if (HandleAllocated()) Changed(TPeerChange::Style);
    Invalidate();
}

void TQmRadioButton::EnabledChanged() {
    TButtonControl::EnabledChanged();
    Invalidate();
}

void TQmRadioButton::CMDialogChar(TMessage& msg) {
    if (IsAccel(static_cast<char>(msg.WParam), fText) && CanFocus()) {
        SetFocus();
        msg.Result = 1;
    }
}

void TQmRadioButton::CMCtl3DChanged(TMessage& msg) {
    InheritedMessage(msg, StaticClass());
    if (HandleAllocated()) Changed(TPeerChange::Style);
}

int TQmRadioButton::CaptionIndent(int points) {
    struct Step {
        int From, To, Indent;
    };
    static const Step table[] = {{1, 8, 17},   {9, 15, 19},  {16, 17, 20}, {18, 23, 21}, {24, 29, 23}, {30, 35, 25},
                                 {36, 41, 27}, {42, 43, 29}, {44, 60, 31}, {61, 80, 39}};
    for (const Step& s : table)
        if (points >= s.From && points <= s.To) return s.Indent;
    return 44;
}

void TQmRadioButton::Paint(TCanvas& canvas) {
    TRect client = ClientRect();
    const int x = client.Left + CaptionIndent(fFont->Size());
    TRect area{x - 4, client.Top - 4, client.Right + 4, client.Bottom + 4};
    canvas.Brush()->SetStyle(bsSolid);
    canvas.Brush()->SetColor(fColor);
    canvas.FillRect(area);
    canvas.FrameRect(area);
    canvas.SetFont(fFont.get());
    canvas.Brush()->SetStyle(bsClear);
    TRect r{x, client.Top, client.Right, client.Bottom};
    canvas.DrawText(fText, r, DT_SINGLELINE | DT_VCENTER | DT_LEFT);
}

}  // namespace qm
