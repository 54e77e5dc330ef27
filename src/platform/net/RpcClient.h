#pragma once
// The client side of the application server's protocol: a connection to a daemon that asks for
// one server object by name, and an automation object whose late-bound calls travel over it.
// The client-side connection component wraps this; the command-line client and the tests use it
// directly:
//   TAutoObjectPtr server = RpcConnectObject("localhost", 2211, "ReportCounterS.dmReportCounter");
//   Variant key = VarArrayOf({"U001", "XQTR37"});
//   server->Call("LoadTable", {Ref(key)});
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

#include "platform/core/Automation.h"
#include "platform/net/RpcSocket.h"

namespace plat {

struct TRpcClientOptions {
    // The shared secret of the server configuration. When set, the client also demands the
    // server's proof, so it never talks to a server that does not hold the same secret.
    std::string Secret;
    int ConnectTimeoutMs = 10000;
    int CallTimeoutMs = 120000;                // from sending a call to the whole answer
    uint32_t MaxAnswer = 256u * 1024 * 1024;   // payload bytes of one answer frame
};

// One connection with its server object. Calls are serialised (one at a time on the wire).
// After a transport failure the connection is broken and every later call raises EOleError.
class TRpcConnection {
public:
    // Connects and performs the hand-shake. Raises EOSError when the server cannot be reached
    // and EOleError when it refuses the connection (its reason in the message).
    static std::shared_ptr<TRpcConnection> Open(const std::string& host, uint16_t port,
                                                const std::string& serverName,
                                                const TRpcClientOptions& options = {});
    ~TRpcConnection();

    // Sends the call, waits for its answer and writes the by-reference arguments back. An error
    // answer raises EOleException with the server's text.
    Variant Invoke(const std::string& name, TInvokeKind kind, TVarArgs args);

    bool Connected() const;
    bool Authenticated() const { return fAuthenticated; }
    const std::string& ServerName() const { return fServerName; }
    std::string Endpoint() const { return fEndpoint; }
    void Close();

private:
    TRpcConnection() = default;
    void Handshake();
    [[noreturn]] void Broken(const std::string& why);

    mutable std::mutex fLock;
    TRpcSocket fSocket;
    TRpcClientOptions fOptions;
    std::string fServerName;
    std::string fEndpoint;
    uint32_t fNextCallId = 1;
    bool fAuthenticated = false;
    bool fBroken = false;
};

// The server object behind a connection. Its class name is the server name it was asked for.
class TRemoteAutoObject : public TAutoObject {
public:
    explicit TRemoteAutoObject(std::shared_ptr<TRpcConnection> connection);
    const std::shared_ptr<TRpcConnection>& Connection() const { return fConnection; }

protected:
    Variant DoInvoke(const std::string& name, TInvokeKind kind, TVarArgs args) override;

private:
    std::shared_ptr<TRpcConnection> fConnection;
};

// A shared-secret file: its contents without the trailing line ends. Raises EInOutError naming the
// file when it cannot be read.
std::string RpcReadSecretFile(const std::string& path);

TAutoObjectPtr RpcConnectObject(const std::string& host, uint16_t port, const std::string& serverName,
                                const TRpcClientOptions& options = {});

}  // namespace plat
