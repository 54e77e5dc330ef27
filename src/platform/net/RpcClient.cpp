#include "platform/net/RpcClient.h"

#include <cerrno>
#include <fstream>
#include <sstream>

namespace plat {

std::shared_ptr<TRpcConnection> TRpcConnection::Open(const std::string& host, uint16_t port,
                                                     const std::string& serverName,
                                                     const TRpcClientOptions& options) {
    std::shared_ptr<TRpcConnection> c(new TRpcConnection());
    c->fOptions = options;
    c->fServerName = serverName;
    c->fEndpoint = host + ":" + std::to_string(port);
    c->fSocket = TRpcSocket::Connect(host, port, options.ConnectTimeoutMs);
    c->Handshake();
    return c;
}

TRpcConnection::~TRpcConnection() { Close(); }

void TRpcConnection::Handshake() {
    const int timeout = fOptions.ConnectTimeoutMs;
    std::string hello;
    RpcPutU32(hello, kRpcMagic);
    RpcPutU16(hello, kRpcVersion);
    RpcPutText(hello, fServerName);
    try {
        fSocket.WriteFrame(TRpcFrameType::Hello, hello, timeout);
        auto frame = fSocket.ReadFrame(64 * 1024, timeout, timeout);
        if (!frame) throw EOleError("the application server at " + fEndpoint + " closed the connection");
        TRpcNonce clientNonce{};
        TRpcNonce serverNonce{};
        if (frame->Type == TRpcFrameType::Challenge) {
            if (fOptions.Secret.empty())
                throw EOleError("the application server at " + fEndpoint +
                                " requires a shared secret; configure the same secret for the client");
            std::string_view in = frame->Payload;
            RpcGetU16(in);
            const std::string nonce = RpcGetBytes(in, serverNonce.size());
            std::copy(nonce.begin(), nonce.end(), serverNonce.begin());
            clientNonce = RpcRandomNonce();
            const TRpcDigest proof = RpcClientProof(fOptions.Secret, serverNonce, clientNonce, fServerName);
            std::string auth(reinterpret_cast<const char*>(clientNonce.data()), clientNonce.size());
            auth.append(reinterpret_cast<const char*>(proof.data()), proof.size());
            fSocket.WriteFrame(TRpcFrameType::Auth, auth, timeout);
            frame = fSocket.ReadFrame(64 * 1024, timeout, timeout);
            if (!frame) throw EOleError("the application server at " + fEndpoint + " closed the connection");
        }
        if (frame->Type == TRpcFrameType::Fatal) {
            std::string_view in = frame->Payload;
            throw EOleError("the application server at " + fEndpoint + " refused the connection: " +
                            RpcGetText(in, 64 * 1024));
        }
        if (frame->Type != TRpcFrameType::Ready)
            throw EOleError("the peer at " + fEndpoint + " does not speak the application server's protocol");
        std::string_view in = frame->Payload;
        const uint16_t version = RpcGetU16(in);
        const uint8_t flags = RpcGetU8(in);
        if (version != kRpcVersion)
            throw EOleError("the application server at " + fEndpoint + " speaks protocol version " +
                            std::to_string(version) + ", this client " + std::to_string(kRpcVersion));
        fAuthenticated = (flags & 1) != 0;
        if (!fOptions.Secret.empty()) {
            // Mutual: a server that skipped the challenge or cannot prove the secret is not ours.
            if (!fAuthenticated || in.size() != 32)
                throw EOleError("the application server at " + fEndpoint +
                                " did not prove the shared secret; check the server's configuration");
            const TRpcDigest expected = RpcServerProof(fOptions.Secret, serverNonce, clientNonce, fServerName);
            if (!RpcDigestEqual(expected.data(), reinterpret_cast<const uint8_t*>(in.data()), expected.size()))
                throw EOleError("the application server at " + fEndpoint + " holds a different shared secret");
        }
    } catch (const ERpcProtocolError& e) {
        fSocket.Close();
        throw EOleError("hand-shake with the application server at " + fEndpoint + " failed: " + e.what());
    } catch (...) {
        fSocket.Close();
        throw;
    }
}

void TRpcConnection::Broken(const std::string& why) {
    fBroken = true;
    fSocket.Close();
    throw EOleError("the connection to the application server at " + fEndpoint + " was lost: " + why);
}

Variant TRpcConnection::Invoke(const std::string& name, TInvokeKind kind, TVarArgs args) {
    std::lock_guard<std::mutex> guard(fLock);
    if (fBroken || !fSocket.Valid())
        throw EOleError("not connected to the application server at " + fEndpoint + "; connect again");
    TRpcCall call;
    call.CallId = fNextCallId++;
    call.Kind = kind;
    call.Member = name;
    for (const TVarArg& a : args) {
        call.Args.push_back(a.Value());
        call.ByRef.push_back(a.IsByRef());
    }
    const std::string payload = RpcEncodeCall(call);  // raises before anything is sent
    std::optional<TRpcFrame> frame;
    try {
        fSocket.WriteFrame(TRpcFrameType::Call, payload, fOptions.CallTimeoutMs);
        frame = fSocket.ReadFrame(fOptions.MaxAnswer, fOptions.CallTimeoutMs, fOptions.CallTimeoutMs);
    } catch (const ERpcTimeout& e) {
        Broken(std::string("no answer to ") + name + " in time");
    } catch (const std::exception& e) {
        Broken(e.what());
    }
    if (!frame) Broken("the server closed the connection");
    try {
        switch (frame->Type) {
            case TRpcFrameType::Result: {
                TRpcLimits limits;
                limits.MaxFrame = fOptions.MaxAnswer;
                TRpcResult r = RpcDecodeResult(frame->Payload, limits);
                if (r.CallId != call.CallId) Broken("an answer to another call arrived");
                for (auto& [index, value] : r.Written) {
                    if (index < args.size() && args[index].IsByRef()) args[index].Value() = std::move(value);
                }
                return std::move(r.Result);
            }
            case TRpcFrameType::Error: {
                std::string message;
                const uint32_t id = RpcDecodeError(frame->Payload, message);
                if (id != call.CallId && id != 0) Broken("an answer to another call arrived");
                throw EOleException(message, 0, fServerName);
            }
            case TRpcFrameType::Fatal: {
                std::string_view in = frame->Payload;
                const std::string message = RpcGetText(in, 64 * 1024);
                Broken(message);
            }
            default:
                Broken("an unexpected frame arrived");
        }
    } catch (const ERpcProtocolError& e) {
        Broken(e.what());
    }
}

bool TRpcConnection::Connected() const {
    std::lock_guard<std::mutex> guard(fLock);
    return !fBroken && fSocket.Valid();
}

void TRpcConnection::Close() {
    std::lock_guard<std::mutex> guard(fLock);
    fSocket.Close();
}

TRemoteAutoObject::TRemoteAutoObject(std::shared_ptr<TRpcConnection> connection)
    : TAutoObject(connection->ServerName()), fConnection(std::move(connection)) {}

Variant TRemoteAutoObject::DoInvoke(const std::string& name, TInvokeKind kind, TVarArgs args) {
    return fConnection->Invoke(name, kind, args);
}

std::string RpcReadSecretFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw EInOutError("cannot read the shared-secret file " + path, errno);
    std::stringstream ss;
    ss << in.rdbuf();
    std::string secret = ss.str();
    while (!secret.empty() && (secret.back() == '\n' || secret.back() == '\r')) secret.pop_back();
    return secret;
}

TAutoObjectPtr RpcConnectObject(const std::string& host, uint16_t port, const std::string& serverName,
                                const TRpcClientOptions& options) {
    return std::make_shared<TRemoteAutoObject>(TRpcConnection::Open(host, port, serverName, options));
}

}  // namespace plat
