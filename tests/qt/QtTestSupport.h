#pragma once
// What every real-window test needs: Qt started on the offscreen platform (tests never need a
// display) and the path of a fixture.
#include <cstdlib>
#include <string>

#include "platform/qt/QtWidgetSet.h"

namespace qttest {

inline bool StartQt() {
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    return plat::InstallQtWidgetSet();
}

inline std::string Fixture(const char* name) { return std::string(XQ_SOURCE_DIR) + "/tests/qt/fixtures/" + name; }

}  // namespace qttest
