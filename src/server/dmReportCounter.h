#pragma once
// The application server object "ReportCounterS.dmReportCounter". One implementation serves
// both ways: created in the client's process through the class registry, and behind the daemon,
// which builds one instance per connection. An instance owns its store connection, the user and
// program its last LoadTable chose, and the text of its last error; nothing else is shared but
// the read-only server context.
//
// Trust: every call trusts the user id the client sends (see docs/server.md). Administrative
// calls (SetPower) are answered only when the instance was built with administration allowed:
// in process, and in the daemon for connections that proved the shared secret.
#include <functional>
#include <memory>
#include <string>

#include "platform/core/Automation.h"
#include "server/ReportStore.h"
#include "server/ServerSettings.h"

namespace rcs {

// Process-wide, read-only once a server started.
struct TServerContext {
    TServerSettings Settings;
    int SqlType = kSqlTypeSqlite;
    // One line per event; must be callable from any thread.
    std::function<void(const std::string& line)> Log;
};

constexpr const char* kServerClassName = "ReportCounterS.dmReportCounter";
constexpr const char* kFullRights = "YYYYYYYYYY";
constexpr const char* kNoRights = "NNNNNNNNNN";

class TdmReportCounter : public plat::TDispatchObject {
public:
    // Opens the store named by the context (raises plat::EDatabaseError when it cannot).
    TdmReportCounter(std::shared_ptr<const TServerContext> context, bool allowAdmin);
    ~TdmReportCounter() override;

    const std::string& LastError() const { return fLastError; }

private:
    plat::Variant InsertConTable(plat::TAutoArgs& a);
    plat::Variant LoadTable(plat::TAutoArgs& a);
    plat::Variant DeleteConTable(plat::TAutoArgs& a);
    plat::Variant ChangeConName(plat::TAutoArgs& a);
    plat::Variant GetPower(plat::TAutoArgs& a);
    plat::Variant SetPower(plat::TAutoArgs& a);
    plat::Variant Request(plat::TAutoArgs& a);
    plat::Variant Request1(plat::TAutoArgs& a);
    plat::Variant UpdateStatus1(plat::TAutoArgs& a);
    plat::Variant ProviderRead(plat::TAutoArgs& a);

    // Remembers and logs an error answered as text; returns the text.
    plat::Variant Answer(const std::string& method, const std::string& error);
    // Remembers and logs the reason of a refused job; returns "ERROR".
    plat::Variant JobError(const std::string& method, const std::string& reason);
    void Log(const std::string& line) const;

    std::shared_ptr<const TServerContext> fContext;
    std::unique_ptr<TReportStore> fStore;
    bool fAllowAdmin;
    bool fLoaded = false;
    std::string fLoadUser;
    std::string fLoadProgram;
    std::string fLastError;
};

// The context of the server running in this process, built on first use from the registry's
// installation (ServerPath, else ClientPath); the module's factory uses it.
std::shared_ptr<const TServerContext> InProcessServerContext();
// A context for an installation folder, logging through `log` (null: the environment's log).
std::shared_ptr<const TServerContext> MakeServerContext(const TServerSettings& settings,
                                                        std::function<void(const std::string&)> log = {});

}  // namespace rcs
