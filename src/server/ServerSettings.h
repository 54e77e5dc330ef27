#pragma once
// Where the application server keeps its store and how it listens, from the installation's
// "OrreryS.ini":
//   [DBE Setting]      MainDBType ("SQLITE"; any other type uses the embedded SQLite store and
//                      says so), MainDBName (a file name below <installation>/Data/, or an
//                      absolute path; default "ReportCounterS.db")
//   [DBPasswordCtrl]   ServerPort (default 211, as the configuration reader's)
//   [ReportCounterS]   SharedSecret, IdleTimeout and ReadTimeout (seconds), MaxFrameKB,
//                      MaxConnections, BusyTimeoutMs
// Read once when a server starts; process-wide and read-only afterwards.
#include <cstdint>
#include <string>
#include <vector>

namespace rcs {

struct TServerSettings {
    std::string InstallDir;   // with a trailing '/'
    std::string ConfigFile;   // InstallDir + "OrreryS.ini"
    std::string DBType;       // as configured, upper case
    std::string StoreFile;    // the SQLite file
    std::string ListenHost = "127.0.0.1";
    uint16_t Port = 211;
    std::string Secret;
    int IdleTimeoutSec = 600;
    int ReadTimeoutSec = 30;
    int BusyTimeoutMs = 10000;
    uint32_t MaxFrame = 16u * 1024 * 1024;
    int MaxConnections = 256;
    // Things worth a log line once the log is open (an unsupported database type, ...).
    std::vector<std::string> Notes;

    // Reads <dir>/OrreryS.ini (a missing file gives every default) and creates <dir>/Data when
    // missing. Raises plat::EInOutError when the folder does not exist.
    static TServerSettings FromInstallation(const std::string& dir);
    // The installation the registry names: "ServerPath", or "ClientPath" when the server runs in
    // process on a client without a server installation. Raises plat::EInOutError when neither
    // is set.
    static TServerSettings FromRegistry();
};

// The answer of SQLType for a store kind: 3 for the embedded SQLite store, 4 for PostgreSQL.
// 0 to 2 keep the configuration's database kinds (other, Oracle, DB2) and are never answered.
constexpr int kSqlTypeSqlite = 3;
constexpr int kSqlTypePostgres = 4;

}  // namespace rcs
