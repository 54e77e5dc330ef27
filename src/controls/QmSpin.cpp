#include "controls/QmSpin.h"

#include "platform/core/SysUtils.h"

using namespace plat;

namespace qm {

PLAT_REGISTER_CLASS(TQmSpinEdit, TSpinEdit) {}

void TQmSpinEdit::Change() {
    const std::string t = Text();
    // A sign after the first character costs the text its last character; setting the text
    // comes back here, so this repeats until only a leading sign is left.
    if (t.size() > 1 && (t.find('+', 1) != std::string::npos || t.find('-', 1) != std::string::npos)) {
        SetText(t.substr(0, t.size() - 1));
        return;
    }
    // Handlers never see an empty number.
    if (!Trim(t).empty()) TSpinEdit::Change();
}

}  // namespace qm
