#pragma once
// TF2Button: a glyph button bound to an edit. It sits Gap pixels right of the edit, as high as it
// and square, and a click asks the edit's form for the F2 lookup of that edit (WM_F2LOOKUP).
#include "controls/GSpdBtn.h"

namespace qm {

class TF2Button : public TGSpeedButton {
    PLAT_CLASS(TF2Button)
    explicit TF2Button(plat::TComponent* owner);

    plat::TWinControl* F2Control() const { return fF2Control; }
    // Refused (with an error dialog) when another TF2Button of the same parent serves c.
    void SetF2Control(plat::TWinControl* c);
    bool AutoAlign() const { return fAutoAlign; }
    void SetAutoAlign(bool v);
    uint8_t Gap() const { return fGap; }
    void SetGap(uint8_t g);

    void AlignToControl();
    // OnClick, then the lookup request for an enabled F2Control that takes the focus.
    void Click() override;

protected:
    void Notification(plat::TComponent* c, plat::TOperation op) override;
    plat::TWinControl* fF2Control = nullptr;
    bool fAutoAlign = true;
    uint8_t fGap = 2;
};

}  // namespace qm
