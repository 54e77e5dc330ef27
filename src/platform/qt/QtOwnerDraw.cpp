// Owner-drawn items of native peers.
#include "platform/qt/QtOwnerDraw.h"
