#pragma once
// Small system routines of the option forms: message-box button captions, the local-server test,
// the temporary folder, and a programmatic click.
#include <string>

#include "platform/forms/Controls.h"

namespace qm {

// Chinese caption of a message-box button by its name ("Yes" -> "是(&Y)"); other names unchanged.
std::string ButtonCaption(const std::string& buttonName);
// True exactly for "127.0.0.1", the address that runs the application server in process.
bool IsLocalHost(const std::string& address);
// $TMPDIR (when it names a folder) or "/tmp/", always with a trailing "/"; never empty.
std::string GetTempFolder();
// Sends the control a left-button press and then a release with these parameters, so it acts as
// if clicked (lParam holds the client point: low word x, high word y). Nothing for no control;
// the release is not sent when the press freed the control.
void ClickControl(plat::TControl* control, plat::WPARAM wParam, plat::LPARAM lParam);

}  // namespace qm
