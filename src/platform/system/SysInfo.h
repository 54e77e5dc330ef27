#pragma once
// System information the module asks the operating system for.
#include <string>
#include <vector>

namespace plat {

// The machine's host name, cut to 15 characters (the length the original names had).
std::string GetComputerName();
// The login name of the current user, whole.
std::string GetUserName();
// The temporary folder: $TMPDIR when it names an existing folder, else /tmp; absolute, no
// symbolic-link shortening, always with a trailing '/'.
std::string GetTempPath();

// Command-line parameters of the host process, read from /proc/self/cmdline (so a module loaded
// into a host sees the host's parameters). ParamStr(0) is the executable's full path; an index
// out of range gives "".
int ParamCount();
std::string ParamStr(int index);
// Replaces the parameters ParamCount/ParamStr answer (params[0] is the program), for hosts
// that run a module on behalf of another command line. An empty list restores the real ones.
void SetCommandLineParams(const std::vector<std::string>& params);

// The system code page as text: XQ_SYSTEM_CODEPAGE when set and not empty (returned exactly as
// given, e.g. "1252"); else from the locale's name (LC_ALL, then LC_CTYPE, then LANG):
// zh_CN* / zh_SG* -> "936", zh_TW* / zh_HK* / zh_MO* -> "950", anything else -> "437".
std::string GetSystemCodePage();
// The locale's date separator (the FormatSettings start value), e.g. "/" or "-" or ".".
std::string GetLocaleDateSeparator();
// Operating system version "major.minor.build" from the kernel release ("6.1.0-18-amd64" ->
// "6.1.0"); missing parts are 0.
std::string GetOSVersion();

}  // namespace plat
