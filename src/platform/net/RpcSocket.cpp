#include "platform/net/RpcSocket.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>

namespace plat {

namespace {

int64_t NowMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

int64_t Deadline(int timeoutMs) { return timeoutMs < 0 ? -1 : NowMs() + timeoutMs; }

int Remaining(int64_t deadline) {
    if (deadline < 0) return -1;
    const int64_t left = deadline - NowMs();
    return left <= 0 ? 0 : static_cast<int>(left);
}

// Waits for `events`; false on time-out.
bool WaitFor(int fd, short events, int64_t deadline) {
    for (;;) {
        pollfd p{fd, events, 0};
        const int r = ::poll(&p, 1, Remaining(deadline));
        if (r > 0) return true;
        if (r == 0) return false;
        if (errno != EINTR) throw EOSError(std::string("poll failed: ") + std::strerror(errno), errno);
    }
}

std::string AddressText(const sockaddr* sa) {
    char host[INET6_ADDRSTRLEN] = "?";
    uint16_t port = 0;
    if (sa->sa_family == AF_INET) {
        auto* in = reinterpret_cast<const sockaddr_in*>(sa);
        inet_ntop(AF_INET, &in->sin_addr, host, sizeof host);
        port = ntohs(in->sin_port);
        return std::string(host) + ":" + std::to_string(port);
    }
    if (sa->sa_family == AF_INET6) {
        auto* in6 = reinterpret_cast<const sockaddr_in6*>(sa);
        inet_ntop(AF_INET6, &in6->sin6_addr, host, sizeof host);
        port = ntohs(in6->sin6_port);
        // Appended piece by piece: GCC 12 at -O3 warns falsely about "[" + std::string.
        std::string text = "[";
        text += host;
        text += "]:";
        text += std::to_string(port);
        return text;
    }
    return "?";
}

void SetNoDelay(int fd) {
    int one = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
}

}  // namespace

TRpcSocket& TRpcSocket::operator=(TRpcSocket&& other) noexcept {
    if (this != &other) {
        Close();
        fFd = other.fFd;
        other.fFd = -1;
    }
    return *this;
}

TRpcSocket TRpcSocket::Connect(const std::string& host, uint16_t port, int timeoutMs) {
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* list = nullptr;
    const std::string where = host + ":" + std::to_string(port);
    const int rc = ::getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &list);
    if (rc != 0)
        throw EOSError("cannot resolve the server address " + where + ": " + gai_strerror(rc) +
                           "; check the server name in the configuration",
                       rc);
    std::string lastError = "no address";
    int lastErrno = 0;
    for (addrinfo* ai = list; ai; ai = ai->ai_next) {
        const int fd = ::socket(ai->ai_family, ai->ai_socktype | SOCK_CLOEXEC | SOCK_NONBLOCK, ai->ai_protocol);
        if (fd < 0) {
            lastErrno = errno;
            lastError = std::strerror(errno);
            continue;
        }
        TRpcSocket s(fd);
        int r = ::connect(fd, ai->ai_addr, ai->ai_addrlen);
        if (r != 0 && errno == EINPROGRESS) {
            if (!WaitFor(fd, POLLOUT, Deadline(timeoutMs))) {
                lastErrno = ETIMEDOUT;
                lastError = "no answer within " + std::to_string(timeoutMs) + " ms";
                continue;
            }
            int err = 0;
            socklen_t len = sizeof err;
            ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &err, &len);
            r = err == 0 ? 0 : -1;
            errno = err;
        }
        if (r != 0) {
            lastErrno = errno;
            lastError = std::strerror(errno);
            continue;
        }
        ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
        SetNoDelay(fd);
        ::freeaddrinfo(list);
        return s;
    }
    ::freeaddrinfo(list);
    throw EOSError("cannot connect to the application server at " + where + ": " + lastError +
                       "; check that the server runs and that address and port are configured right",
                   lastErrno);
}

TRpcSocket TRpcSocket::Listen(const std::string& host, uint16_t port, int backlog) {
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_PASSIVE | AI_NUMERICSERV;
    addrinfo* list = nullptr;
    const std::string where = host + ":" + std::to_string(port);
    const int rc = ::getaddrinfo(host.empty() ? nullptr : host.c_str(), std::to_string(port).c_str(), &hints, &list);
    if (rc != 0) throw EOSError("cannot resolve the listening address " + where + ": " + gai_strerror(rc), rc);
    std::string lastError = "no address";
    int lastErrno = 0;
    for (addrinfo* ai = list; ai; ai = ai->ai_next) {
        const int fd = ::socket(ai->ai_family, ai->ai_socktype | SOCK_CLOEXEC, ai->ai_protocol);
        if (fd < 0) {
            lastErrno = errno;
            lastError = std::strerror(errno);
            continue;
        }
        TRpcSocket s(fd);
        int one = 1;
        ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
        if (::bind(fd, ai->ai_addr, ai->ai_addrlen) != 0 || ::listen(fd, backlog) != 0) {
            lastErrno = errno;
            lastError = std::strerror(errno);
            continue;
        }
        ::freeaddrinfo(list);
        return s;
    }
    ::freeaddrinfo(list);
    throw EOSError("cannot listen on " + where + ": " + lastError +
                       "; choose another port or stop the program that uses it",
                   lastErrno);
}

TRpcSocket TRpcSocket::Accept(int timeoutMs) {
    if (fFd < 0) return {};
    if (!WaitFor(fFd, POLLIN, Deadline(timeoutMs))) return {};
    const int fd = ::accept4(fFd, nullptr, nullptr, SOCK_CLOEXEC);
    if (fd < 0) return {};
    SetNoDelay(fd);
    return TRpcSocket(fd);
}

uint16_t TRpcSocket::LocalPort() const {
    sockaddr_storage ss{};
    socklen_t len = sizeof ss;
    if (::getsockname(fFd, reinterpret_cast<sockaddr*>(&ss), &len) != 0) return 0;
    if (ss.ss_family == AF_INET) return ntohs(reinterpret_cast<sockaddr_in*>(&ss)->sin_port);
    if (ss.ss_family == AF_INET6) return ntohs(reinterpret_cast<sockaddr_in6*>(&ss)->sin6_port);
    return 0;
}

std::string TRpcSocket::PeerText() const {
    sockaddr_storage ss{};
    socklen_t len = sizeof ss;
    if (::getpeername(fFd, reinterpret_cast<sockaddr*>(&ss), &len) != 0) return "?";
    return AddressText(reinterpret_cast<sockaddr*>(&ss));
}

bool TRpcSocket::ReadExact(char* buffer, size_t n, int64_t deadline, bool idle, bool eofAllowed) {
    size_t got = 0;
    while (got < n) {
        if (!WaitFor(fFd, POLLIN, deadline)) {
            if (idle && got == 0) throw ERpcTimeout("the connection was idle too long", true);
            throw ERpcTimeout("a frame did not arrive completely in time", false);
        }
        const ssize_t r = ::recv(fFd, buffer + got, n - got, 0);
        if (r == 0) {
            if (eofAllowed && got == 0) return false;
            throw ERpcProtocolError("truncated frame: the connection ended inside a frame");
        }
        if (r < 0) {
            if (errno == EINTR || errno == EAGAIN) continue;
            if (errno == ECONNRESET && eofAllowed && got == 0) return false;
            throw EOSError(std::string("reading from the connection failed: ") + std::strerror(errno), errno);
        }
        got += static_cast<size_t>(r);
    }
    return true;
}

std::optional<TRpcFrame> TRpcSocket::ReadFrame(uint32_t maxPayload, int idleTimeoutMs, int readTimeoutMs) {
    char head[4];
    // The first byte waits as long as the idle time-out allows; the rest of the frame must
    // arrive within the read time-out, so a trickling peer cannot hold the thread.
    if (!ReadExact(head, 1, Deadline(idleTimeoutMs), true, true)) return std::nullopt;
    const int64_t deadline = Deadline(readTimeoutMs);
    ReadExact(head + 1, 3, deadline, false, false);
    uint32_t length = 0;
    for (int i = 0; i < 4; ++i) length = (length << 8) | static_cast<uint8_t>(head[i]);
    // The length is judged before anything else is read or allocated.
    if (length == 0) throw ERpcProtocolError("malformed frame: zero length");
    if (length - 1 > maxPayload)
        throw ERpcFrameTooLarge("frame of " + std::to_string(length - 1) + " bytes exceeds the limit of " +
                                    std::to_string(maxPayload) + " bytes",
                                length - 1);
    char type;
    ReadExact(&type, 1, deadline, false, false);
    TRpcFrame frame;
    frame.Type = static_cast<TRpcFrameType>(static_cast<uint8_t>(type));
    frame.Payload.resize(length - 1);
    if (length > 1) ReadExact(frame.Payload.data(), length - 1, deadline, false, false);
    return frame;
}

void TRpcSocket::WriteAll(std::string_view data, int timeoutMs) {
    const int64_t deadline = Deadline(timeoutMs);
    size_t sent = 0;
    while (sent < data.size()) {
        const ssize_t r = ::send(fFd, data.data() + sent, data.size() - sent, MSG_NOSIGNAL | MSG_DONTWAIT);
        if (r > 0) {
            sent += static_cast<size_t>(r);
            continue;
        }
        if (r < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            if (!WaitFor(fFd, POLLOUT, deadline)) throw ERpcTimeout("the peer did not take the answer in time", false);
            continue;
        }
        if (r < 0 && errno == EINTR) continue;
        throw EOSError(std::string("writing to the connection failed: ") + std::strerror(errno), errno);
    }
}

void TRpcSocket::ShutdownBoth() {
    if (fFd >= 0) ::shutdown(fFd, SHUT_RDWR);
}

void TRpcSocket::Close() {
    if (fFd >= 0) {
        ::close(fFd);
        fFd = -1;
    }
}

void RpcParseEndpoint(const std::string& text, std::string& host, uint16_t& port) {
    std::string portText;
    if (!text.empty() && text[0] == '[') {
        const size_t close = text.find(']');
        if (close == std::string::npos || close + 1 >= text.size() || text[close + 1] != ':')
            throw EConvertError("\"" + text + "\" is not HOST:PORT; write an IPv6 address as [::1]:2211");
        host = text.substr(1, close - 1);
        portText = text.substr(close + 2);
    } else {
        const size_t colon = text.rfind(':');
        if (colon == std::string::npos || colon == 0)
            throw EConvertError("\"" + text + "\" is not HOST:PORT; write for example 127.0.0.1:2211");
        host = text.substr(0, colon);
        portText = text.substr(colon + 1);
    }
    char* end = nullptr;
    errno = 0;
    const unsigned long value = portText.empty() ? 70000 : std::strtoul(portText.c_str(), &end, 10);
    if (portText.empty() || *end != '\0' || errno != 0 || value > 65535)
        throw EConvertError("\"" + portText + "\" is not a port number (0 to 65535) in \"" + text + "\"");
    port = static_cast<uint16_t>(value);
}

}  // namespace plat
