// Painters of the standard controls that have no native Qt counterpart.
#include "platform/qt/QtWidgetSet.h"

namespace plat {

void InstallQtStandardPainters() {}

}  // namespace plat
