#include "platform/net/SConnect.h"

#include "platform/core/SysUtils.h"
#include "platform/forms/DfmReader.h"
#include "platform/net/RpcClient.h"
#include "platform/system/IniFiles.h"
#include "platform/system/Registry.h"
#include "platform/system/SysInfo.h"

namespace plat {

namespace {

// Non-visual components carry their place on the design surface; it means nothing at run time.
bool IsDesignPosition(const std::string& name, const TDfmValue& value) {
    return value.Kind == TDfmValueKind::Integer && (SameText(name, "Left") || SameText(name, "Top"));
}

std::string Endpoint(const std::string& host, int port) {
    return (host.find(':') != std::string::npos ? "[" + host + "]" : host) + ":" + std::to_string(port);
}

}  // namespace

// ---- TSimpleObjectBroker -------------------------------------------------------------------

PLAT_REGISTER_CLASS(TServerItem, TCollectionItem) {
    b.Property("ComputerName", &TServerItem::ComputerName);
    b.Property("Port", &TServerItem::Port).Default(211);
    b.Property("Enabled", &TServerItem::Enabled).Default(1);
}

PLAT_REGISTER_CLASS(TServerCollection, TOwnedCollection) {}
TServerCollection::TServerCollection(TSimpleObjectBroker* owner) : TOwnedCollection(owner, TServerItem::StaticClass()) {}

TServerItem* TServerCollection::Add(const std::string& computerName, int port) {
    auto* item = static_cast<TServerItem*>(TCollection::Add());
    item->ComputerName = computerName;
    item->Port = port;
    return item;
}

PLAT_REGISTER_CLASS(TSimpleObjectBroker, TComponent) {
    b.Property("Servers", &TSimpleObjectBroker::Servers, &TSimpleObjectBroker::SetServers);
}

TSimpleObjectBroker::TSimpleObjectBroker(TComponent* owner)
    : TComponent(owner), fServers(std::make_unique<TServerCollection>(this)) {}
TSimpleObjectBroker::~TSimpleObjectBroker() = default;

bool TSimpleObjectBroker::ReadDefinedProperty(const std::string& name, const TDfmValue& value) {
    return IsDesignPosition(name, value) || TComponent::ReadDefinedProperty(name, value);
}

// ---- TSocketConnection ---------------------------------------------------------------------

PLAT_REGISTER_CLASS(TSocketConnection, TComponent) {
    b.Property("Address", &TSocketConnection::Address, &TSocketConnection::SetAddress);
    b.Property("Port", &TSocketConnection::Port, &TSocketConnection::SetPort).Default(211);
    b.Property("ServerName", &TSocketConnection::ServerName, &TSocketConnection::SetServerName);
    b.Property("ObjectBroker", &TSocketConnection::ObjectBroker, &TSocketConnection::SetObjectBroker);
    b.Property("SupportCallbacks", &TSocketConnection::SupportCallbacks, &TSocketConnection::SetSupportCallbacks)
        .Default(1);
    b.Property("Connected", &TSocketConnection::Connected, &TSocketConnection::SetConnected).Default(0);
}

TSocketConnection::TSocketConnection(TComponent* owner) : TComponent(owner) {}

TSocketConnection::~TSocketConnection() {
    fRemote.reset();
    if (fConnection) fConnection->Close();
}

bool TSocketConnection::ReadDefinedProperty(const std::string& name, const TDfmValue& value) {
    return IsDesignPosition(name, value) || TComponent::ReadDefinedProperty(name, value);
}

void TSocketConnection::SetAddress(const std::string& s) {
    if (s == fAddress) return;
    if (!IsLoading()) Close();
    fAddress = s;
}

void TSocketConnection::SetPort(int p) {
    if (p == fPort) return;
    if (!IsLoading()) Close();
    fPort = p;
}

void TSocketConnection::SetServerName(const std::string& s) {
    if (s == fServerName) return;
    if (!IsLoading()) Close();
    fServerName = s;
}

void TSocketConnection::SetObjectBroker(TSimpleObjectBroker* b) {
    if (b == fBroker) return;
    if (!IsLoading()) Close();
    if (fBroker) fBroker->RemoveFreeNotification(this);
    fBroker = b;
    if (fBroker) fBroker->FreeNotification(this);
}

void TSocketConnection::Notification(TComponent* c, TOperation op) {
    TComponent::Notification(c, op);
    if (op == opRemove && c == fBroker) fBroker = nullptr;
}

bool TSocketConnection::Connected() const {
    if (fInProcess) return true;
    return fConnection && fConnection->Connected();
}

void TSocketConnection::SetConnected(bool v) {
    if (IsLoading()) {
        fStreamedConnected = v;
        return;
    }
    if (v) Open();
    else Close();
}

void TSocketConnection::Loaded() {
    TComponent::Loaded();
    if (fStreamedConnected) Open();
}

std::shared_ptr<TRpcConnection> TSocketConnection::Connect(const std::string& host, int port,
                                                           const std::string& secret) const {
    const std::string where = "the application server \"" + fServerName + "\" at " + Endpoint(host, port);
    if (port < 1 || port > 65535)
        throw ESocketConnectionError(Name() + ": the port of " + where +
                                     " is not a TCP port (1 to 65535); check the ServerPort of the client "
                                     "configuration");
    TRpcClientOptions options;
    options.Secret = secret;
    options.ConnectTimeoutMs = ConnectTimeoutMs;
    options.CallTimeoutMs = CallTimeoutMs;
    try {
        return TRpcConnection::Open(host, static_cast<uint16_t>(port), fServerName, options);
    } catch (const EOSError& e) {
        throw ESocketConnectionError(Name() + ": cannot connect to " + where + ": " + e.Message() +
                                     "; check that reportcounter-server runs on " + host + " and listens on port " +
                                     std::to_string(port) +
                                     ", and the ComputerName and ServerPort of the client configuration");
    } catch (const EOleError& e) {
        std::string hint = "check that the server name is right and that both sides use the same shared secret "
                           "(SharedSecret of the server's OrreryS.ini, SharedSecretFile of the client's "
                           "OrreryC.ini)";
        throw ESocketConnectionError(Name() + ": " + where + " refused the connection or failed the hand-shake: " +
                                     e.Message() + "; " + hint);
    }
}

void TSocketConnection::Open() {
    if (Connected()) return;
    Close();  // drops a connection that broke
    if (Trim(fServerName).empty())
        throw ESocketConnectionError(Name() + ": no server name; set ServerName to the class of the server object "
                                     "(for the report servers \"ReportCounterS.dmReportCounter\")");
    // The candidates: the broker's enabled servers in order, or the connection's own address.
    std::vector<std::pair<std::string, int>> targets;
    if (fBroker) {
        for (int i = 0; i < fBroker->Servers()->Count(); ++i) {
            const TServerItem* s = fBroker->Servers()->Item(i);
            if (s->Enabled && !Trim(s->ComputerName).empty()) targets.emplace_back(Trim(s->ComputerName), s->Port);
        }
        if (targets.empty())
            throw ESocketConnectionError(Name() + ": the object broker " + fBroker->Name() +
                                         " lists no enabled server with a computer name");
    } else {
        if (Trim(fAddress).empty())
            throw ESocketConnectionError(Name() + ": no address of the application server \"" + fServerName +
                                         "\" (port " + std::to_string(fPort) +
                                         "); check the ComputerName of [Server Information] in the client "
                                         "configuration");
        targets.emplace_back(Trim(fAddress), fPort);
    }
    const std::string secret = fSecret.empty() ? ClientSharedSecret() : fSecret;
    std::string failures;
    for (const auto& [host, port] : targets) {
        try {
            fConnection = Connect(host, port, secret);
            fRemote = std::make_shared<TRemoteAutoObject>(fConnection);
            return;
        } catch (const ESocketConnectionError& e) {
            if (targets.size() == 1) throw;
            failures += std::string(failures.empty() ? "" : "; ") + e.what();
        }
    }
    throw ESocketConnectionError(Name() + ": none of the servers of the object broker answered: " + failures);
}

void TSocketConnection::Close() {
    fInProcess.reset();
    fRemote.reset();
    if (fConnection) {
        fConnection->Close();
        fConnection.reset();
    }
}

Variant TSocketConnection::AppServer() const {
    if (fInProcess) return Variant(fInProcess);
    if (fRemote && fConnection && fConnection->Connected()) return Variant(fRemote);
    return Variant();
}

void TSocketConnection::SetAppServer(const Variant& server) {
    if (!server.IsEmpty() && !server.IsObject())
        throw ESocketConnectionError(Name() + ": the application server handed over must be an automation object");
    Close();
    if (server.IsObject()) fInProcess = server.AsObject();
}

TAutoObjectPtr TSocketConnection::GetServer() {
    if (!Connected()) Open();
    return fInProcess ? fInProcess : fRemote;
}

std::string TSocketConnection::ConnectedEndpoint() const {
    return fConnection && fConnection->Connected() ? fConnection->Endpoint() : std::string();
}

// ---- The client's shared secret ------------------------------------------------------------

std::string ClientSharedSecret() {
    TRegistry reg;
    reg.RootKey = HKEY_LOCAL_MACHINE;
    if (!reg.OpenKeyReadOnly("\\Software\\QMB\\Orrery")) return "";
    std::string folder = Trim(reg.ReadString("ClientPath"));
    const std::string profileType = Trim(reg.ReadString("ProfileType"));
    reg.CloseKey();
    if (folder.empty()) return "";
    if (folder.back() != '/') folder += '/';
    // The same file the configuration reader takes: the user's profile copy first.
    std::string iniName = folder + "OrreryC.ini";
    if (!profileType.empty() && profileType != "0") {
        const std::string profile = folder + "Profile/" + GetUserName() + "/OrreryC.ini";
        if (FileExists(profile)) iniName = profile;
    }
    if (!FileExists(iniName)) return "";
    const TMemIniFile ini(iniName);
    std::string file = Trim(ini.ReadString("Server Information", "SharedSecretFile", ""));
    if (file.empty()) return "";
    // As the configuration's folders: "/..." is absolute; "\..." or a plain name is in the installation.
    const bool absolute = file[0] == '/';
    if (file[0] == '\\') file.erase(0, 1);
    for (char& c : file)
        if (c == '\\') c = '/';
    if (!absolute) file = folder + file;
    std::string secret;
    try {
        secret = RpcReadSecretFile(file);
    } catch (const EInOutError& e) {
        throw ESocketConnectionError(std::string(e.what()) + " (named by SharedSecretFile of [Server Information] in " +
                                     iniName + "); check that the file exists and this user may read it");
    }
    if (secret.empty())
        throw ESocketConnectionError("the shared-secret file " + file + " (named by SharedSecretFile of [Server "
                                     "Information] in " + iniName + ") is empty");
    return secret;
}

}  // namespace plat
