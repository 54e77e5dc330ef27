#include "environment/OrreryINI.h"

#include <cstdint>

#include "environment/KOLTAGeneratorU.h"
#include "platform/core/SysUtils.h"
#include "platform/system/IniFiles.h"
#include "platform/system/Registry.h"
#include "platform/system/SysInfo.h"

using namespace plat;

namespace qm {

namespace {

const char* const RegistryKey = "Software\\QMB\\Orrery";
const char* const EmptyPasswordMarker = "JV_Mgs_BzIyupRvkb_AwvSddxXjpkBlJihsu";
const char* const UnreadablePassword = "BV_Bbt_Jhjuongq_Qlcaj";

std::string SystemCodePageText() {
    const std::string cp = GetSystemCodePage();
    return cp == "936" || cp == "950" ? cp : "437";
}

uint8_t DeriveConvertKind(const std::string& ui, const std::string& system) {
    if (ui == "950") return 2;
    if (ui == "936" && system == "950") return 4;
    return 0;
}

uint8_t DeriveDataConvertKind(const std::string& ui, const std::string& db) {
    if (ui == "950" && db == "936") return 2;
    if (ui == "936" && db == "950") return 1;
    return 0;
}

bool BooleanText(const std::string& text) {
    const std::string t = UpperCase(text);
    return t == "1" || t == "Y" || t == "YES" || t == "TRUE";
}

bool EndsWithSeparator(const std::string& s) { return !s.empty() && (s.back() == '/' || s.back() == '\\'); }

// What both readers share: the registry look-up and the choice of the configuration file.
struct Location {
    std::string Folder, ProfileType, UserName, ProfilePath, IniFileName;
};

// False with errorCode set when the key is missing; false without one when the folder is empty.
bool Locate(const char* folderValue, const char* fileName, Location& loc, std::string& errorCode) {
    TRegistry reg;
    reg.RootKey = HKEY_LOCAL_MACHINE;
    if (!reg.OpenKeyReadOnly(RegistryKey)) {
        errorCode = "E;000015";
        return false;
    }
    loc.Folder = reg.ReadString(folderValue);
    loc.ProfileType = reg.ReadString("ProfileType");
    reg.CloseKey();
    if (loc.Folder.empty()) return false;
    if (loc.Folder.back() != '/') loc.Folder += '/';
    if (!loc.ProfileType.empty() && loc.ProfileType != "0") {
        loc.UserName = GetUserName();
        loc.ProfilePath = loc.Folder + "Profile/" + loc.UserName + "/";
    } else {
        loc.ProfilePath = loc.Folder;
    }
    loc.IniFileName = loc.ProfilePath + fileName;
    if (!FileExists(loc.IniFileName)) {
        loc.ProfilePath = loc.Folder;
        loc.IniFileName = loc.Folder + fileName;
    }
    return true;
}

// The folders of section "WorkDLLPath" (name=value lines in file order), or the default one.
std::vector<std::string> WorkFolders(const TCustomIniFile& ini, const std::string& folder,
                                     const std::string& defaultSub) {
    std::vector<std::string> result;
    for (const std::string& line : ini.ReadSectionValues("WorkDLLPath")) {
        const std::size_t eq = line.find('=');
        const std::string value = eq == std::string::npos ? std::string() : line.substr(eq + 1);
        // Resolving first and then adding the separator gives what adding "\" and resolving gave,
        // without turning an empty value into the root folder.
        std::string path = ResolvePath(value, folder);
        if (!EndsWithSeparator(path)) path += '/';
        result.push_back(path);
    }
    if (result.empty()) result.push_back(folder + defaultSub);
    return result;
}

uint8_t RotateRight(uint8_t b, int n) {
    n %= 8;
    return n == 0 ? b : static_cast<uint8_t>((b >> n) | (b << (8 - n)));
}

uint8_t RotateLeft(uint8_t b, int n) {
    n %= 8;
    return n == 0 ? b : static_cast<uint8_t>((b << n) | (b >> (8 - n)));
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

}  // namespace

// ---- Client reader -----------------------------------------------------------------------------

TOrreryIniC::TOrreryIniC() {
    SystemCodePage = SystemCodePageText();
    UICodePage = SystemCodePage;
    ConvertKind = DeriveConvertKind(UICodePage, SystemCodePage);
    DataConvertKind = DeriveDataConvertKind(UICodePage, DBCodePage);
    ReadSettings();
}

bool TOrreryIniC::ReadSettings() {
    Location loc;
    const bool located = Locate("ClientPath", "OrreryC.ini", loc, ErrorCode);
    if (ErrorCode.empty()) ProfileType = loc.ProfileType;
    if (!located) return false;
    ClientPath = loc.Folder;
    if (!loc.UserName.empty()) UserName = loc.UserName;
    ProfilePath = loc.ProfilePath;
    IniFileName = loc.IniFileName;

    const TIniFile ini(IniFileName);
    LangType = ini.ReadString("Client Components", "LangType", "ENG");
    ProductVersion = ini.ReadString("ProductVersion", "Version", "");
    CreateGifBeforeSendEF = ini.ReadString("UserDefine", "CreateGifBeforeSendEF", "Y");
    UICodePage = ini.ReadString("CodePage", "UICodePage", SystemCodePage);
    DBCodePage = ini.ReadString("CodePage", "DBCodePage", "936");
    SupportCallBack = BooleanText(ini.ReadString("Server Information", "SupportCallBack", "0"));
    std::string addresses = Trim(ini.ReadString("Server Information", "ComputerName", "127.0.0.1"));
    const int32_t port = ini.ReadInteger("Server Information", "ServerPort", 211);
    // The folders are resolved whatever happens to the address below, so users never get raw
    // name=value lines.
    WorkDLLPaths = WorkFolders(ini, ClientPath, "C_PKG/");
    AutoCheckNewMsg = ini.ReadString("TaskMessageCenter Setting", "AutoCheckNewMsg", "1");
    CheckInterval = ini.ReadString("TaskMessageCenter Setting", "CheckInterval", "1");
    PopupMsg = ini.ReadString("TaskMessageCenter Setting", "PopupMsg", "1");
    LoginCheck = ini.ReadString("TaskMessageCenter Setting", "LoginCheck", "0");

    ConvertKind = DeriveConvertKind(UICodePage, SystemCodePage);
    DataConvertKind = DeriveDataConvertKind(UICodePage, DBCodePage);

    if (!addresses.empty() && addresses.back() == ';') addresses.pop_back();
    if (addresses.empty()) {
        ErrorCode = "E;000016";
        return false;
    }
    ServerAddresses = VarArrayCreate({0, 1, 0, 0}, varVariant);
    int i = 0;
    for (;;) {
        const std::size_t p = addresses.find(';');
        if (i > 0) ServerAddresses.Redim(i);
        ServerAddresses.At(0, i) = Variant(addresses.substr(0, p));
        ServerAddresses.At(1, i) = Variant(port);
        if (p == std::string::npos) break;
        addresses.erase(0, p + 1);
        ++i;
    }
    return true;
}

// ---- Server reader -----------------------------------------------------------------------------

TOrreryIniS::TOrreryIniS() {
    SystemCodePage = SystemCodePageText();
    UICodePage = SystemCodePage;
    ConvertKind = DeriveConvertKind(UICodePage, SystemCodePage);
    DataConvertKind = DeriveDataConvertKind(UICodePage, DBCodePage);
    ReadSettings();
}

bool TOrreryIniS::ReadSettings() {
    Location loc;
    const bool located = Locate("ServerPath", "OrreryS.ini", loc, ErrorCode);
    if (ErrorCode.empty()) ProfileType = loc.ProfileType;
    if (!located) return false;
    ServerPath = loc.Folder;
    if (!loc.UserName.empty()) UserName = loc.UserName;
    ProfilePath = loc.ProfilePath;
    IniFileName = loc.IniFileName;

    const TIniFile ini(IniFileName);
    const char* const db = "DBE Setting";
    const char* const pw = "DBPasswordCtrl";
    auto str = [&](const char* section, const char* key, const char* def) {
        return Variant(ini.ReadString(section, key, def));
    };
    auto num = [&](const char* section, const char* key, int32_t def) {
        return Variant(ini.ReadInteger(section, key, def));
    };

    ProductVersion = ini.ReadString("ProductVersion", "Version", "");
    UICodePage = ini.ReadString("CodePage", "UICodePage", SystemCodePage);
    DBCodePage = ini.ReadString("CodePage", "DBCodePage", "936");

    DBSettings = VarArrayCreate({0, 3, 0, 7}, varVariant);
    Variant& s = DBSettings;
    s.At(0, 1) = str(db, "MainUserName", "sa");
    s.At(0, 2) = Variant(UnscramblePassword(ini.ReadString(db, "XXXXXX", "")));
    s.At(0, 0) = str(db, "MainAlias", "Vantor");
    s.At(0, 3) = str(db, "MainDBType", "MSSQL");
    s.At(0, 4) = str(db, "MainDBName", "");
    s.At(0, 5) = str(db, "MainServerName", "");
    SystemControlAddress = ini.ReadString(db, "SystemControlAddress", "");
    OtherSystemControlAddress = ini.ReadString(db, "OtherSystemControlAddress", "");
    const std::string mainServer = s.At(0, 5).AsString();
    if (Trim(SystemControlAddress).empty()) SystemControlAddress = mainServer;
    if (Trim(OtherSystemControlAddress).empty()) OtherSystemControlAddress = mainServer;
    s.At(0, 6) = num(db, "MainConnectionTimeOut", 300);
    s.At(0, 7) = num(db, "MainCommandTimeOut", 3000);
    s.At(1, 0) = str(db, "TempAlias", "VantorTemp");
    s.At(1, 1) = str(db, "TempUserName", "sa");
    s.At(1, 2) = Variant(UnscramblePassword(ini.ReadString(db, "TempPassword", "")));
    s.At(1, 3) = str(db, "TempDBType", "PARADOX");
    s.At(1, 4) = str(db, "TempDBName", "");
    s.At(1, 5) = str(db, "TempDriverName", "PostgreSQL");
    s.At(1, 6) = num(db, "TempConnectionTimeOut", 300);
    s.At(1, 7) = num(db, "TempCommandTimeOut", 3000);
    s.At(2, 0) = Variant(Trim(ini.ReadString(pw, "ComputerName", "")));
    s.At(2, 1) = num(pw, "ServerPort", 211);
    s.At(2, 2) = num(pw, "ClientSocketPort", 1024);
    SupportCallBack = BooleanText(ini.ReadString(pw, "SupportCallBack", "0"));
    s.At(2, 3) = str(db, "DataBaseCodeOrder", "Chinese_Taiwan_Stroke_BIN");
    s.At(3, 0) = str(db, "EctAlias", "EDIDATA");
    s.At(3, 1) = str(db, "EctUserName", "sa");
    s.At(3, 2) = str(db, "EctPassword", "");  // taken as stored
    WorkDLLPaths = WorkFolders(ini, ServerPath, "S_PKG/");

    const std::string dbType = s.At(0, 3).AsString();
    DBKind = SameText(dbType, "ORACLE") ? 1 : SameText(dbType, "DB2") ? 2 : 0;
    ConvertKind = DeriveConvertKind(UICodePage, SystemCodePage);
    DataConvertKind = DeriveDataConvertKind(UICodePage, DBCodePage);
    return true;
}

// ---- Routines ----------------------------------------------------------------------------------

std::string GetInstallPath() {
    TRegistry reg;
    reg.RootKey = HKEY_LOCAL_MACHINE;
    if (!reg.OpenKeyReadOnly(RegistryKey)) return {};
    std::string path = reg.ReadString("ClientPath");
    if (path.empty()) path = reg.ReadString("ServerPath");
    reg.CloseKey();
    return path;
}

std::string GetInstallPathOrTemp() {
    try {
        std::string path = GetInstallPath();
        if (path.empty()) path = GetTempPath();
        if (path.empty()) path = "/tmp";
        return path;
    } catch (...) {
        return "/tmp";
    }
}

std::string ResolvePath(const std::string& value, const std::string& base) {
    auto slashes = [](std::string s) {
        for (char& c : s)
            if (c == '\\') c = '/';
        return s;
    };
    if (value.size() >= 2 && value[1] == ':') return slashes(value);            // drive
    if (value.size() >= 2 && value[0] == '\\' && value[1] == '\\') return slashes(value);  // share
    if (!value.empty() && value[0] == '\\') return base + slashes(value.substr(1));
    if (!value.empty() && value[0] == '/') return value;                          // Linux folder
    return base + slashes(value);
}

std::string ScramblePassword(const std::string& password) {
    static const char hex[] = "0123456789ABCDEF";
    const std::string plain = password.empty() ? std::string(EmptyPasswordMarker) : password;
    std::string result;
    result.reserve(plain.size() * 2);
    for (std::size_t i = 0; i < plain.size(); ++i) {
        const uint8_t b = RotateRight(static_cast<uint8_t>(plain[i]), static_cast<int>((i + 1) % 8));
        result += hex[b >> 4];
        result += hex[b & 0x0F];
    }
    return result;
}

std::string UnscramblePassword(const std::string& scrambled) {
    std::string result;
    for (std::size_t i = 0; i + 1 < scrambled.size(); i += 2) {
        const int hi = HexDigit(scrambled[i]), lo = HexDigit(scrambled[i + 1]);
        if (hi < 0 || lo < 0) {
            const EConvertError e("'$" + scrambled.substr(i, 2) + "' is not a valid integer value");
            ReportException(&e, ScramblePassword("DecodeSQLSa"), "解析 Sa 时发生错误!");
            return UnreadablePassword;
        }
        const int pair = static_cast<int>(i / 2) + 1;
        result += static_cast<char>(RotateLeft(static_cast<uint8_t>(hi * 16 + lo), pair % 8));
    }
    return result == EmptyPasswordMarker ? std::string() : result;
}

}  // namespace qm
