#pragma once
// The TCP daemon: accepts connections, gives each its own thread, server object and store
// connection, and answers the wire protocol (platform/net/RpcProtocol.h). A peer that breaks the
// protocol gets an error answer or a closed connection; it never affects other connections.
#include <atomic>
#include <cstdint>
#include <list>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "platform/net/RpcSocket.h"
#include "server/dmReportCounter.h"

namespace rcs {

struct TDaemonOptions {
    std::string Host = "127.0.0.1";
    uint16_t Port = 0;
    int IdleTimeoutMs = 600000;  // no frame for this long: the connection is closed
    int ReadTimeoutMs = 30000;   // a started frame must complete within this; also bounds writes
    uint32_t MaxFrame = 16u * 1024 * 1024;
    int MaxConnections = 256;
    std::string Secret;          // empty: no authentication

    static TDaemonOptions FromSettings(const TServerSettings& settings);
};

class TReportCounterDaemon {
public:
    TReportCounterDaemon(std::shared_ptr<const TServerContext> context, TDaemonOptions options);
    ~TReportCounterDaemon();  // stops and joins every connection thread

    // Binds the listening socket (raises plat::EOSError); Port() is known afterwards.
    void Listen();
    uint16_t Port() const { return fPort; }
    std::string Address() const;

    // Serves until Stop(). Call Listen first.
    void Run();
    // May be called from any thread; Run returns within a fraction of a second.
    void Stop() { fStopping.store(true); }
    // For a signal handler: only sets a lock-free flag.
    std::atomic<bool>& StopFlag() { return fStopping; }

    int OpenConnections() const { return fOpen.load(); }

private:
    struct TConnection {
        plat::TRpcSocket Socket;
        std::thread Thread;
        std::atomic<bool> Done{false};
        std::string Peer;
    };

    void Serve(TConnection& connection);
    void Reap(bool all);
    void Log(const std::string& line) const;

    std::shared_ptr<const TServerContext> fContext;
    TDaemonOptions fOptions;
    plat::TRpcSocket fListener;
    uint16_t fPort = 0;
    std::atomic<bool> fStopping{false};
    std::atomic<int> fOpen{0};
    std::mutex fLock;
    std::list<std::unique_ptr<TConnection>> fConnections;
};

}  // namespace rcs
