#pragma once
// Readers of the client installation's configuration. The registry key
// HKEY_LOCAL_MACHINE "Software\QMB\Orrery" names the installation folders ("ClientPath",
// "ServerPath") and whether every user has an own configuration file ("ProfileType");
// "OrreryC.ini" (client) and "OrreryS.ini" (server) hold the settings, in the installation folder
// or in its "Profile/<user>/" folder.
//
// A reader reads everything in its constructor and is never refreshed or written back: create
// one, copy the fields you need, drop it. Failures are not raised; they leave defaults and a
// message code in ErrorCode ("E;000015" registry key missing, "E;000016" no server address).
#include <cstdint>
#include <string>
#include <vector>

#include "platform/core/Variant.h"

namespace qm {

class TOrreryIniC {
public:
    TOrreryIniC();
    TOrreryIniC(const TOrreryIniC&) = delete;
    TOrreryIniC& operator=(const TOrreryIniC&) = delete;

    std::string ClientPath;          // installation folder, with a trailing "/"
    std::string ProfilePath;         // folder of the configuration file read
    std::string ProfileType = "0";   // registry "ProfileType" as read ("" when absent)
    std::string UserName = "Default";
    std::string UICodePage;          // "936", "950" or "437"; defaults to SystemCodePage
    std::string DBCodePage = "936";
    std::string SystemCodePage;      // "936", "950", or "437" for any other system code page
    uint8_t ConvertKind = 0;         // 0 none, 2 GB -> BIG5 screen, 4 GB texts on a BIG5 system
    uint8_t DataConvertKind = 0;     // 0 none, 1 BIG5 data on a GB screen, 2 GB data on a BIG5 screen
    bool SupportCallBack = false;
    std::string IniFileName;         // full path of the configuration file read
    plat::Variant ServerAddresses;   // [0..1, 0..N-1]: [0,i] address, [1,i] port; Empty when none
    std::string ErrorCode;
    std::string LangType;
    std::vector<std::string> WorkDLLPaths;  // absolute folders with a trailing "/"
    std::string ProductVersion;
    std::string CreateGifBeforeSendEF;
    std::string AutoCheckNewMsg;
    std::string CheckInterval;
    std::string PopupMsg;
    std::string LoginCheck;

    // Replaces the contents of `list` with WorkDLLPaths.
    void GetWorkDLLPaths(std::vector<std::string>& list) const { list = WorkDLLPaths; }

private:
    bool ReadSettings();  // true when the file was read to the end
};

class TOrreryIniS {
public:
    TOrreryIniS();
    TOrreryIniS(const TOrreryIniS&) = delete;
    TOrreryIniS& operator=(const TOrreryIniS&) = delete;

    std::string ServerPath;          // installation folder, with a trailing "/"
    std::string ProfilePath;
    std::string ProfileType = "0";
    std::string UserName = "Default";
    std::string UICodePage;
    std::string DBCodePage = "936";
    std::string SystemCodePage;
    uint8_t ConvertKind = 0;
    uint8_t DataConvertKind = 0;
    bool SupportCallBack = false;
    std::string IniFileName;
    // [0..3, 0..7]: row 0 main database, row 1 temporary database, row 2 password control
    // (address, port, client socket port, collation), row 3 exchange database; passwords of rows
    // 0 and 1 unscrambled, row 3's as stored. Cells not read stay Unassigned.
    plat::Variant DBSettings;
    std::string ErrorCode;
    std::vector<std::string> WorkDLLPaths;
    std::string ProductVersion;
    uint8_t DBKind = 0;              // 0 any other database, 1 ORACLE, 2 DB2
    std::string SystemControlAddress;       // blank -> MainServerName
    std::string OtherSystemControlAddress;  // blank -> MainServerName

    void GetWorkDLLPaths(std::vector<std::string>& list) const { list = WorkDLLPaths; }

private:
    bool ReadSettings();
};

// The installation folder as the registry stores it: "ClientPath", else "ServerPath"; "" when
// neither is there.
std::string GetInstallPath();
// GetInstallPath, else the temporary folder (with a trailing "/"), else "/tmp". Never fails.
std::string GetInstallPathOrTemp();
// A configured folder made absolute against `base` (which ends in "/"). Classified as written:
// a drive ("D:...") or a network share ("\\host\share") stays; one leading "\" is relative to
// base; a leading "/" is an absolute Linux folder; anything else is base + value. Backslashes of
// the value become "/".
std::string ResolvePath(const std::string& value, const std::string& base);
// Scrambled form of a password (its UTF-8 bytes) as upper-case hexadecimal; and back.
std::string ScramblePassword(const std::string& password);
std::string UnscramblePassword(const std::string& scrambled);

}  // namespace qm
