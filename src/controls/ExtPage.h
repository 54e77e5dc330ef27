#pragma once
// TExtPageControl: a page control with owner-drawn tabs. Without an OnDrawTab handler the active
// tab is drawn in the active-caption colours (bold), the others in the inactive-caption colours.
#include "platform/widgets/ComCtrls.h"

namespace qm {

class TExtPageControl : public plat::TPageControl {
    PLAT_CLASS(TExtPageControl)
    explicit TExtPageControl(plat::TComponent* owner);

protected:
    void DrawTab(int tabIndex, const plat::TRect& rect, bool active) override;
};

}  // namespace qm
