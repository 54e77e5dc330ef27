#pragma once
// Client-side components of the application server: the socket connection a form keeps
// (TSocketConnection) and the broker that may hand it addresses (TSimpleObjectBroker).
//
// A connection gives its server object as AppServer, an automation object:
//   - remote: Open() connects to Address:Port, asks for the object ServerName names and answers a
//     proxy whose late-bound calls travel over the wire (plat::RpcConnectObject);
//   - in process: the caller creates the object itself (CreateOleObject(ServerName)) and hands it
//     over with SetAppServer; the connection then opens no socket.
// The connection never decides between the two by itself: whoever configures it (the option form,
// by the address rule of the installation) does. See docs/server.md, "Client-side components".
#include <cstdint>
#include <memory>
#include <string>

#include "platform/core/Automation.h"
#include "platform/core/Exceptions.h"
#include "platform/forms/Classes.h"

namespace plat {

class TRpcConnection;
class TSimpleObjectBroker;

// A connection that cannot be made or is misconfigured; the message names the host, the port and
// what to check.
PLAT_DECLARE_EXCEPTION(ESocketConnectionError, Exception)

// ---- TSimpleObjectBroker -------------------------------------------------------------------

// One server the broker knows.
class TServerItem : public TCollectionItem {
    PLAT_CLASS(TServerItem)
    explicit TServerItem(TCollection* c) : TCollectionItem(c) {}
    std::string ComputerName;
    int Port = 211;
    bool Enabled = true;
    std::string DisplayName() const override { return ComputerName; }
};

class TServerCollection : public TOwnedCollection {
    PLAT_CLASS(TServerCollection)
    explicit TServerCollection(TSimpleObjectBroker* owner);
    TServerItem* Add(const std::string& computerName, int port = 211);
    TServerItem* Item(int i) const { return static_cast<TServerItem*>(Items(i)); }
};

// A list of servers; a connection that names the broker tries its enabled servers in list order
// until one answers.
class TSimpleObjectBroker : public TComponent {
    PLAT_CLASS(TSimpleObjectBroker)
    explicit TSimpleObjectBroker(TComponent* owner);
    ~TSimpleObjectBroker() override;

    TServerCollection* Servers() const { return fServers.get(); }
    void SetServers(TServerCollection* s) { fServers->Assign(s); }
    bool ReadDefinedProperty(const std::string& name, const TDfmValue& value) override;

private:
    std::unique_ptr<TServerCollection> fServers;
};

// ---- TSocketConnection ---------------------------------------------------------------------

class TSocketConnection : public TComponent {
    PLAT_CLASS(TSocketConnection)
    explicit TSocketConnection(TComponent* owner);
    ~TSocketConnection() override;

    // ---- Published ----
    const std::string& Address() const { return fAddress; }
    void SetAddress(const std::string& s);
    int Port() const { return fPort; }
    void SetPort(int p);
    const std::string& ServerName() const { return fServerName; }
    void SetServerName(const std::string& s);
    TSimpleObjectBroker* ObjectBroker() const { return fBroker; }
    void SetObjectBroker(TSimpleObjectBroker* b);
    // Stored; the server never calls back, so the setting changes nothing on the wire.
    bool SupportCallbacks() const { return fSupportCallbacks; }
    void SetSupportCallbacks(bool v) { fSupportCallbacks = v; }
    // True while a remote connection is open or an in-process object is held.
    bool Connected() const;
    void SetConnected(bool v);

    // ---- Opening ----
    // Connects to Address:Port (or the broker's servers when ObjectBroker is set) and asks for
    // ServerName. Raises ESocketConnectionError naming host, port and what to check. Does
    // nothing when already connected.
    void Open();
    // Drops the remote connection and any handed in-process object.
    void Close();

    // The server object: the wire proxy, the handed object, or Unassigned when not connected.
    Variant AppServer() const;
    // Hands over an in-process server object (a Variant holding an automation object; Unassigned
    // clears). Closes a remote connection first. The connection is then Connected and InProcess.
    void SetAppServer(const Variant& server);
    bool InProcess() const { return static_cast<bool>(fInProcess); }
    // The server object, connecting first when needed (what client data sets use).
    TAutoObjectPtr GetServer();
    // "host:port" of the open remote connection, "" otherwise.
    std::string ConnectedEndpoint() const;

    // ---- Shared secret ----
    // The secret the daemon's configuration holds. Empty (the default): read at each Open from
    // the client configuration (ClientSharedSecret). Never stored in descriptions.
    const std::string& SharedSecret() const { return fSecret; }
    void SetSharedSecret(const std::string& s) { fSecret = s; }

    // Connect and call time-outs of remote connections (milliseconds).
    int ConnectTimeoutMs = 10000;
    int CallTimeoutMs = 120000;

    bool ReadDefinedProperty(const std::string& name, const TDfmValue& value) override;

protected:
    void Loaded() override;
    void Notification(TComponent* c, TOperation op) override;

private:
    std::shared_ptr<TRpcConnection> Connect(const std::string& host, int port, const std::string& secret) const;

    std::string fAddress, fServerName, fSecret;
    int fPort = 211;
    TSimpleObjectBroker* fBroker = nullptr;
    bool fSupportCallbacks = true;
    bool fStreamedConnected = false;
    TAutoObjectPtr fInProcess;
    TAutoObjectPtr fRemote;
    std::shared_ptr<TRpcConnection> fConnection;
};

// The shared secret the client configuration names: registry HKEY_LOCAL_MACHINE
// "Software\QMB\Orrery" ClientPath, its OrreryC.ini (the user's profile copy when ProfileType asks
// for one and it exists), section [Server Information], key SharedSecretFile: a file (relative to
// the installation unless it starts with "/") whose first line is the secret. "" when no
// installation or no key is configured. Raises ESocketConnectionError when the named file cannot
// be read or is empty.
std::string ClientSharedSecret();

}  // namespace plat
