#pragma once
// TQmRadioButton: a radio button that draws its own caption (in its own font and colour, also when
// disabled). Checking one unchecks the other TQmRadioButtons of the same parent.
#include "platform/widgets/StdCtrls.h"

namespace plat {
class TCanvas;
}

namespace qm {

class TQmRadioButton : public plat::TButtonControl {
    PLAT_CLASS(TQmRadioButton)
    explicit TQmRadioButton(plat::TComponent* owner);

    bool Checked() const override { return fChecked; }
    // A checked button is a tab stop, an unchecked one is not; checking raises OnClick unless the
    // button's clicks are disabled.
    void SetChecked(bool value) override;
    plat::TAlignment Alignment() const { return fAlignment; }
    void SetAlignment(plat::TAlignment a);

    // Repaints the caption area over what the system drew (the presentation's painter calls it).
    void Paint(plat::TCanvas& canvas);
    // Pixels from the client's left edge to the caption, by font size in points.
    static int CaptionIndent(int points);

protected:
    void ButtonClicked() override { SetChecked(true); }
    void EnabledChanged() override;
    void CMDialogChar(plat::TMessage& msg);
    void CMCtl3DChanged(plat::TMessage& msg);

    bool fChecked = false;
    plat::TAlignment fAlignment = plat::taRightJustify;
};

}  // namespace qm
