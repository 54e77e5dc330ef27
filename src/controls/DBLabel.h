#pragma once
// TDBLabel: a label bound to a windowed control; it places itself beside the control (above, left,
// right or below, Gap pixels away, never at a negative position).
#include "platform/widgets/StdCtrls.h"

namespace qm {

enum TPos { psTop, psLeft, psRight, psBottom };

}  // namespace qm

namespace plat {
PLAT_DECLARE_ENUM(qm::TPos)
}

namespace qm {

class TDBLabel : public plat::TLabel {
    PLAT_CLASS(TDBLabel)
    explicit TDBLabel(plat::TComponent* owner);

    // Refused (with an error dialog) when another TDBLabel of the same parent describes c.
    void SetFocusControl(plat::TWinControl* c);
    bool AutoAlign() const { return fAutoAlign; }
    void SetAutoAlign(bool v);
    bool AutoCaption() const { return fAutoCaption; }
    void SetAutoCaption(bool v) { fAutoCaption = v; }
    TPos Pos() const { return fPos; }
    void SetPos(TPos p);
    uint8_t Gap() const { return fGap; }
    void SetGap(uint8_t g);

    // Takes the place beside FocusControl (after refreshing the caption).
    void AlignToControl();
    // The caption from the bound control's data field, when it has one.
    void RefreshCaption();

private:
    bool fAutoAlign = true;
    bool fAutoCaption = true;
    TPos fPos = psLeft;
    uint8_t fGap = 4;
};

}  // namespace qm
