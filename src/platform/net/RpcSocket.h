#pragma once
// TCP sockets for the application server's protocol: connect and listen, and frame reading and
// writing with time-outs, so a silent or slow peer can never hold a thread for ever.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/net/RpcProtocol.h"

namespace plat {

// A read or write that did not finish in time. `Idle` is set when no byte of a new frame came
// (the connection was idle), unset when a frame started but did not complete.
class ERpcTimeout : public ERpcProtocolError {
public:
    ERpcTimeout(const std::string& message, bool idle) : ERpcProtocolError(message), Idle(idle) {}
    const char* ClassName() const override { return "ERpcTimeout"; }
    bool Idle;
};

// A frame whose announced length is over the limit; the reader stops before reading its payload.
class ERpcFrameTooLarge : public ERpcProtocolError {
public:
    ERpcFrameTooLarge(const std::string& message, uint64_t size) : ERpcProtocolError(message), Size(size) {}
    const char* ClassName() const override { return "ERpcFrameTooLarge"; }
    uint64_t Size;
};

class TRpcSocket {
public:
    TRpcSocket() = default;
    explicit TRpcSocket(int fd) : fFd(fd) {}
    TRpcSocket(TRpcSocket&& other) noexcept : fFd(other.fFd) { other.fFd = -1; }
    TRpcSocket& operator=(TRpcSocket&& other) noexcept;
    TRpcSocket(const TRpcSocket&) = delete;
    TRpcSocket& operator=(const TRpcSocket&) = delete;
    ~TRpcSocket() { Close(); }

    // Connects to host:port (a name or a numeric address, IPv4 or IPv6), trying each address
    // the name resolves to. Raises EOSError saying where and why when no address answers.
    static TRpcSocket Connect(const std::string& host, uint16_t port, int timeoutMs);
    // Listens on host:port; port 0 takes a free port (see LocalPort). Raises EOSError.
    static TRpcSocket Listen(const std::string& host, uint16_t port, int backlog = 128);

    // Waits up to timeoutMs (-1: for ever) for a connection; an invalid socket on time-out or
    // when the listening socket was shut down.
    TRpcSocket Accept(int timeoutMs);

    bool Valid() const { return fFd >= 0; }
    int Fd() const { return fFd; }
    uint16_t LocalPort() const;
    std::string PeerText() const;  // "address:port" of the peer, for logs

    // Reads one frame. Empty when the peer closed the connection cleanly before a new frame.
    // idleTimeoutMs bounds the wait for the frame's first byte, readTimeoutMs the time from the
    // first byte to the last (-1: no limit). Raises ERpcTimeout, ERpcFrameTooLarge,
    // ERpcProtocolError (truncated or empty frame) or EOSError.
    std::optional<TRpcFrame> ReadFrame(uint32_t maxPayload, int idleTimeoutMs, int readTimeoutMs);
    // Writes every byte or raises (ERpcTimeout, EOSError). Never raises SIGPIPE.
    void WriteAll(std::string_view data, int timeoutMs);
    void WriteFrame(TRpcFrameType type, std::string_view payload, int timeoutMs) {
        WriteAll(RpcEncodeFrame(type, payload), timeoutMs);
    }

    // Wakes any thread blocked on this socket (reads then see the end of the connection).
    void ShutdownBoth();
    void Close();

private:
    // Reads exactly n bytes before the deadline; false when the peer closed before the first
    // byte and `eofAllowed` is set.
    bool ReadExact(char* buffer, size_t n, int64_t deadlineMs, bool idle, bool eofAllowed);

    int fFd = -1;
};

// Splits "HOST:PORT" ("[::1]:2211" for IPv6). Raises EConvertError with a clear message.
void RpcParseEndpoint(const std::string& text, std::string& host, uint16_t& port);

}  // namespace plat
