#pragma once
// Owner-drawn items of native peers (combo boxes, list boxes) painted through the model's canvas.
#include "platform/qt/QtWidgetSet.h"
