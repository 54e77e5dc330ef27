// Menus shown for real.
#include "platform/qt/QtMenus.h"

namespace plat {

void InstallQtMenus() {}

}  // namespace plat
