#include "controls/F2Button.h"

#include "platform/forms/Dialogs.h"
#include "platform/forms/Forms.h"

using namespace plat;

namespace qm {

PLAT_REGISTER_CLASS(TF2Button, TGSpeedButton) {
    b.Property("F2Control", &Self::F2Control, &Self::SetF2Control);
    b.Property("AutoAlign", &Self::AutoAlign, &Self::SetAutoAlign).Default(1);
    b.Property("Gap", &Self::Gap, &Self::SetGap).TypeName("Byte").Default(2);
}

TF2Button::TF2Button(TComponent* owner) : TGSpeedButton(owner) { SetGlyphIndex(8); }

void TF2Button::SetF2Control(TWinControl* c) {
    if (c) {
        if (c == fF2Control) return;
        if (fParent) {
            for (TComponent* comp : fParent->ComponentList()) {
                auto* other = dynamic_cast<TF2Button*>(comp);
                if (other && other != this && other->F2Control() == c) {
                    MessageDlg("不能同时有两个 F2Button 指到同一个 Edit.", mtError, {mbOK});
                    return;
                }
            }
        }
    }
    if (fF2Control) fF2Control->RemoveFreeNotification(this);
    fF2Control = c;
    if (c) {
        c->FreeNotification(this);
        AlignToControl();
    }
}

void TF2Button::SetAutoAlign(bool v) {
    fAutoAlign = v;
    AlignToControl();
}

void TF2Button::SetGap(uint8_t g) {
    fGap = g;
    AlignToControl();
}

void TF2Button::AlignToControl() {
    if (!fF2Control || !fAutoAlign) return;
    const TWinControl& c = *fF2Control;
    SetBounds(c.Left() + c.Width() + fGap, c.Top(), c.Height(), c.Height());
}

void TF2Button::Click() {
    TComponentWatch w(this);
    TGSpeedButton::Click();
    if (!w.Target || !fF2Control || !fF2Control->Enabled()) return;
    TWinControl* c = fF2Control;
    if (c->CanFocus()) c->SetFocus();
    if (!c->Focused()) return;
    // The form that owns the control answers with its lookup.
    auto* form = dynamic_cast<TWinControl*>(c->Owner());
    if (form) SendMessage(form->Handle(), WM_F2LOOKUP, 0, reinterpret_cast<LPARAM>(c));
}

void TF2Button::Notification(TComponent* c, TOperation op) {
    TGSpeedButton::Notification(c, op);
    if (op == opRemove && c == fF2Control) fF2Control = nullptr;
}

}  // namespace qm
