#include "server/ServerSettings.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "platform/core/Exceptions.h"
#include "platform/core/SysUtils.h"
#include "platform/system/IniFiles.h"
#include "platform/system/Registry.h"

using namespace plat;

namespace rcs {

namespace {

std::string Normalise(std::string path) {
    std::replace(path.begin(), path.end(), '\\', '/');
    return path;
}

bool IsDirectory(const std::string& path) {
    struct stat st{};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

int Clamp(int value, int low, int high) { return std::max(low, std::min(high, value)); }

}  // namespace

TServerSettings TServerSettings::FromInstallation(const std::string& dir) {
    TServerSettings s;
    std::string folder = Normalise(Trim(dir));
    if (folder.empty() || !IsDirectory(folder))
        throw EInOutError("the installation folder \"" + dir + "\" does not exist; give the folder that holds OrreryS.ini",
                          ENOENT);
    if (folder.back() != '/') folder += '/';
    s.InstallDir = folder;
    s.ConfigFile = folder + "OrreryS.ini";

    TMemIniFile ini(s.ConfigFile);
    s.DBType = UpperCase(Trim(ini.ReadString("DBE Setting", "MainDBType", "MSSQL")));
    std::string name = Normalise(Trim(ini.ReadString("DBE Setting", "MainDBName", "")));
    const std::string dataDir = folder + "Data/";
    if (s.DBType != "SQLITE") {
        s.Notes.push_back("database type \"" + s.DBType +
                          "\" is not offered by this server; using the embedded SQLite store " + dataDir +
                          "ReportCounterS.db");
        name.clear();
    }
    if (name.empty()) name = "ReportCounterS.db";
    s.StoreFile = name[0] == '/' ? name : dataDir + name;
    if (!IsDirectory(dataDir) && ::mkdir(dataDir.c_str(), 0775) != 0 && errno != EEXIST)
        throw EInOutError("cannot create the data folder " + dataDir + ": " + std::strerror(errno), errno);

    const int port = ini.ReadInteger("DBPasswordCtrl", "ServerPort", 211);
    if (port < 0 || port > 65535)
        throw EConvertError("ServerPort " + std::to_string(port) + " in " + s.ConfigFile +
                            " is not a port number (0 to 65535)");
    s.Port = static_cast<uint16_t>(port);
    s.Secret = ini.ReadString("ReportCounterS", "SharedSecret", "");
    s.IdleTimeoutSec = Clamp(ini.ReadInteger("ReportCounterS", "IdleTimeout", 600), 1, 86400);
    s.ReadTimeoutSec = Clamp(ini.ReadInteger("ReportCounterS", "ReadTimeout", 30), 1, 3600);
    s.BusyTimeoutMs = Clamp(ini.ReadInteger("ReportCounterS", "BusyTimeoutMs", 10000), 0, 600000);
    s.MaxFrame = static_cast<uint32_t>(Clamp(ini.ReadInteger("ReportCounterS", "MaxFrameKB", 16384), 64, 1024 * 1024)) * 1024u;
    s.MaxConnections = Clamp(ini.ReadInteger("ReportCounterS", "MaxConnections", 256), 1, 10000);
    return s;
}

TServerSettings TServerSettings::FromRegistry() {
    TRegistry reg;
    reg.RootKey = HKEY_LOCAL_MACHINE;
    std::string folder;
    if (reg.OpenKeyReadOnly("\\Software\\QMB\\Orrery")) {
        folder = Trim(reg.ReadString("ServerPath"));
        if (folder.empty()) folder = Trim(reg.ReadString("ClientPath"));
        reg.CloseKey();
    }
    if (folder.empty())
        throw EInOutError("no installation folder is configured: the registry key Software\\QMB\\Orrery has neither "
                          "ServerPath nor ClientPath",
                          ENOENT);
    return FromInstallation(folder);
}

}  // namespace rcs
