#include "server/ReportCounterDaemon.h"

#include "platform/core/SysUtils.h"

using namespace plat;

namespace rcs {

namespace {

constexpr uint32_t kHandshakeFrame = 4096;  // hello and auth frames are tiny

// Sends a last word before closing; a peer that does not read it changes nothing.
void SendFatal(TRpcSocket& socket, const std::string& message) {
    try {
        std::string payload;
        RpcPutText(payload, message);
        socket.WriteFrame(TRpcFrameType::Fatal, payload, 1000);
    } catch (...) {
    }
}

}  // namespace

TDaemonOptions TDaemonOptions::FromSettings(const TServerSettings& s) {
    TDaemonOptions o;
    o.Host = s.ListenHost;
    o.Port = s.Port;
    o.IdleTimeoutMs = s.IdleTimeoutSec * 1000;
    o.ReadTimeoutMs = s.ReadTimeoutSec * 1000;
    o.MaxFrame = s.MaxFrame;
    o.MaxConnections = s.MaxConnections;
    o.Secret = s.Secret;
    return o;
}

TReportCounterDaemon::TReportCounterDaemon(std::shared_ptr<const TServerContext> context, TDaemonOptions options)
    : fContext(std::move(context)), fOptions(std::move(options)) {}

TReportCounterDaemon::~TReportCounterDaemon() {
    Stop();
    fListener.Close();
    Reap(true);
}

void TReportCounterDaemon::Log(const std::string& line) const {
    if (fContext->Log) fContext->Log(line);
}

void TReportCounterDaemon::Listen() {
    fListener = TRpcSocket::Listen(fOptions.Host, fOptions.Port);
    fPort = fListener.LocalPort();
}

std::string TReportCounterDaemon::Address() const {
    const bool v6 = fOptions.Host.find(':') != std::string::npos;
    return (v6 ? "[" + fOptions.Host + "]" : fOptions.Host) + ":" + std::to_string(fPort);
}

void TReportCounterDaemon::Run() {
    Log("listening on " + Address() + (fOptions.Secret.empty() ? "" : " (shared secret required)"));
    while (!fStopping.load()) {
        TRpcSocket socket = fListener.Accept(200);
        Reap(false);
        if (!socket.Valid()) continue;
        if (fOpen.load() >= fOptions.MaxConnections) {
            Log("refused " + socket.PeerText() + ": " + std::to_string(fOptions.MaxConnections) +
                " connections are open");
            SendFatal(socket, "the server is busy: " + std::to_string(fOptions.MaxConnections) +
                                  " connections are open; try again later");
            continue;
        }
        auto connection = std::make_unique<TConnection>();
        connection->Peer = socket.PeerText();
        connection->Socket = std::move(socket);
        TConnection* c = connection.get();
        ++fOpen;
        {
            std::lock_guard<std::mutex> guard(fLock);
            fConnections.push_back(std::move(connection));
        }
        c->Thread = std::thread([this, c] {
            try {
                Serve(*c);
            } catch (const std::exception& e) {
                Log(c->Peer + ": connection ended by an internal error: " + e.what());
            } catch (...) {
                Log(c->Peer + ": connection ended by an unknown internal error");
            }
            c->Socket.ShutdownBoth();
            --fOpen;
            c->Done.store(true);
        });
    }
    Log("stopping: " + std::to_string(fOpen.load()) + " connections still open are closed");
    fListener.Close();
    Reap(true);
}

// Joins finished connection threads; with `all`, wakes and joins every one.
void TReportCounterDaemon::Reap(bool all) {
    std::list<std::unique_ptr<TConnection>> finished;
    {
        std::lock_guard<std::mutex> guard(fLock);
        for (auto it = fConnections.begin(); it != fConnections.end();) {
            if (all) (*it)->Socket.ShutdownBoth();
            if (all || (*it)->Done.load()) {
                finished.push_back(std::move(*it));
                it = fConnections.erase(it);
            } else {
                ++it;
            }
        }
    }
    for (auto& c : finished)
        if (c->Thread.joinable()) c->Thread.join();
}

void TReportCounterDaemon::Serve(TConnection& c) {
    TRpcSocket& socket = c.Socket;
    const int readMs = fOptions.ReadTimeoutMs;
    TRpcLimits limits;
    limits.MaxFrame = fOptions.MaxFrame;

    // ---- Hand-shake: hello, challenge and proof when a secret is set, then ready.
    std::string serverName;
    bool authenticated = false;
    try {
        auto hello = socket.ReadFrame(kHandshakeFrame, readMs, readMs);
        if (!hello) return;
        if (hello->Type != TRpcFrameType::Hello) {
            SendFatal(socket, "expected a hello frame first; this is the application server's protocol");
            Log(c.Peer + ": refused: no hello");
            return;
        }
        std::string_view in = hello->Payload;
        const uint32_t magic = RpcGetU32(in);
        const uint16_t version = RpcGetU16(in);
        if (magic != kRpcMagic) {
            SendFatal(socket, "not the application server's protocol");
            Log(c.Peer + ": refused: wrong protocol");
            return;
        }
        if (version != kRpcVersion) {
            SendFatal(socket, "protocol version " + std::to_string(version) + " is not supported; this server speaks " +
                                  std::to_string(kRpcVersion));
            Log(c.Peer + ": refused: protocol version " + std::to_string(version));
            return;
        }
        serverName = RpcGetText(in, limits.MaxNameLength);

        TRpcNonce serverNonce{}, clientNonce{};
        if (!fOptions.Secret.empty()) {
            serverNonce = RpcRandomNonce();
            std::string challenge;
            RpcPutU16(challenge, kRpcVersion);
            challenge.append(reinterpret_cast<const char*>(serverNonce.data()), serverNonce.size());
            socket.WriteFrame(TRpcFrameType::Challenge, challenge, readMs);
            auto auth = socket.ReadFrame(kHandshakeFrame, readMs, readMs);
            if (!auth) return;
            if (auth->Type != TRpcFrameType::Auth || auth->Payload.size() != 64) {
                SendFatal(socket, "authentication required: this server needs the shared secret");
                Log(c.Peer + ": refused: no proof of the shared secret");
                return;
            }
            std::copy(auth->Payload.begin(), auth->Payload.begin() + 32, clientNonce.begin());
            const TRpcDigest expected = RpcClientProof(fOptions.Secret, serverNonce, clientNonce, serverName);
            if (!RpcDigestEqual(expected.data(), reinterpret_cast<const uint8_t*>(auth->Payload.data()) + 32, 32)) {
                SendFatal(socket, "authentication failed: the shared secret does not match");
                Log(c.Peer + ": refused: wrong shared secret");
                return;
            }
            authenticated = true;
        }
        if (!SameText(serverName, kServerClassName)) {
            SendFatal(socket, "unknown server name \"" + serverName + "\"; this server offers " + kServerClassName);
            Log(c.Peer + ": refused: unknown server name \"" + serverName + "\"");
            return;
        }
        std::string ready;
        RpcPutU16(ready, kRpcVersion);
        RpcPutU8(ready, authenticated ? 1 : 0);
        if (authenticated) {
            const TRpcDigest proof = RpcServerProof(fOptions.Secret, serverNonce, clientNonce, serverName);
            ready.append(reinterpret_cast<const char*>(proof.data()), proof.size());
        }
        // The object (and its store connection) exists before the client is told it may call.
        auto object = std::make_shared<TdmReportCounter>(fContext, authenticated);
        socket.WriteFrame(TRpcFrameType::Ready, ready, readMs);
        Log(c.Peer + ": connected" + (authenticated ? " (authenticated)" : ""));

        // ---- Calls until the peer leaves, breaks the protocol or stays idle too long.
        for (;;) {
            std::optional<TRpcFrame> frame;
            try {
                frame = socket.ReadFrame(fOptions.MaxFrame, fOptions.IdleTimeoutMs, readMs);
            } catch (const ERpcTimeout& e) {
                if (e.Idle) SendFatal(socket, "closing the connection after " +
                                                  std::to_string(fOptions.IdleTimeoutMs / 1000) + " s without a call");
                Log(c.Peer + ": closed: " + e.what());
                return;
            }
            if (!frame) {
                Log(c.Peer + ": disconnected");
                return;
            }
            if (frame->Type != TRpcFrameType::Call) {
                SendFatal(socket, "unexpected frame type " + std::to_string(static_cast<int>(frame->Type)) +
                                      " after the hand-shake");
                Log(c.Peer + ": closed: unexpected frame type " + std::to_string(static_cast<int>(frame->Type)));
                return;
            }
            TRpcCall call;
            try {
                call = RpcDecodeCall(frame->Payload, limits);
            } catch (const std::exception& e) {
                // The frame boundary is intact, so the connection can go on after the answer.
                std::string_view head = frame->Payload;
                const uint32_t id = head.size() >= 4 ? RpcGetU32(head) : 0;
                socket.WriteFrame(TRpcFrameType::Error, RpcEncodeError(id, e.what()), readMs);
                Log(c.Peer + ": " + e.what());
                continue;
            }
            std::string answer;
            try {
                std::vector<TVarArg> args;
                args.reserve(call.Args.size());
                for (size_t i = 0; i < call.Args.size(); ++i)
                    args.push_back(call.ByRef[i] ? TVarArg::ByRef(call.Args[i]) : TVarArg(call.Args[i]));
                TRpcResult result;
                result.CallId = call.CallId;
                result.Result = object->Invoke(call.Member, call.Kind, TVarArgs(args));
                for (size_t i = 0; i < call.Args.size(); ++i)
                    if (call.ByRef[i]) result.Written.emplace_back(static_cast<uint16_t>(i), call.Args[i]);
                answer = RpcEncodeFrame(TRpcFrameType::Result, RpcEncodeResult(result));
            } catch (const std::exception& e) {
                answer = RpcEncodeFrame(TRpcFrameType::Error, RpcEncodeError(call.CallId, e.what()));
            }
            socket.WriteAll(answer, readMs);
        }
    } catch (const ERpcFrameTooLarge& e) {
        SendFatal(socket, e.what());
        Log(c.Peer + ": closed: " + e.what());
    } catch (const ERpcProtocolError& e) {
        SendFatal(socket, e.what());
        Log(c.Peer + ": closed: " + e.what());
    } catch (const EDatabaseError& e) {
        SendFatal(socket, std::string("the server cannot open its store: ") + e.what());
        Log(c.Peer + ": refused: " + e.what());
    } catch (const EOSError& e) {
        Log(c.Peer + ": closed: " + e.what());
    }
}

}  // namespace rcs
