#pragma once
// Small system routines of the option forms: message-box button captions, the local-server test,
// the temporary folder, and a programmatic click.
#include <string>

namespace qm {

// Chinese caption of a message-box button by its name ("Yes" -> "是(&Y)"); other names unchanged.
std::string ButtonCaption(const std::string& buttonName);
// True exactly for "127.0.0.1", the address that runs the application server in process.
bool IsLocalHost(const std::string& address);
// $TMPDIR (when it names a folder) or "/tmp/", always with a trailing "/"; never empty.
std::string GetTempFolder();

}  // namespace qm
