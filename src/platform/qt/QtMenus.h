#pragma once
// Menus shown for real: pop-up menus and drop-down menus of the model, as Qt menus.
#include "platform/qt/QtWidgetSet.h"
