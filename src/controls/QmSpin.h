#pragma once
// TQmSpinEdit: a spin edit that drops a sign typed after the first character and raises OnChange
// only for a text that is not blank.
#include "platform/widgets/Spin.h"

namespace qm {

class TQmSpinEdit : public plat::TSpinEdit {
    PLAT_CLASS(TQmSpinEdit)
    using plat::TSpinEdit::TSpinEdit;

protected:
    void Change() override;
};

}  // namespace qm
