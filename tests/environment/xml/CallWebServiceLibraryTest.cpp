// The real web service library (stage/ext/CallWebService.so) behind CallWebService, against a
// one-shot SOAP server on the loopback interface.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdlib>
#include <thread>

#include "environment/LibXml.h"
#include "environment/fixtures/Installation.h"

using namespace plat;
using namespace qm;

namespace {

// Accepts one connection, keeps the request, answers with `reply` (status line included).
class OneShotServer {
public:
    explicit OneShotServer(std::string reply) : fReply(std::move(reply)) {
        fSocket = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        addr.sin_port = 0;
        bind(fSocket, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
        socklen_t len = sizeof addr;
        getsockname(fSocket, reinterpret_cast<sockaddr*>(&addr), &len);
        fPort = ntohs(addr.sin_port);
        listen(fSocket, 1);
        fThread = std::thread([this] { Serve(); });
    }
    ~OneShotServer() {
        shutdown(fSocket, SHUT_RDWR);
        if (fThread.joinable()) fThread.join();
        close(fSocket);
    }
    std::string Url() const { return "http://127.0.0.1:" + std::to_string(fPort) + "/ws"; }
    std::string Request() {
        if (fThread.joinable()) fThread.join();
        return fRequest;
    }

private:
    void Serve() {
        int c = accept(fSocket, nullptr, nullptr);
        if (c < 0) return;
        char buf[4096];
        size_t want = std::string::npos;
        while (fRequest.size() < want) {
            ssize_t n = recv(c, buf, sizeof buf, 0);
            if (n <= 0) break;
            fRequest.append(buf, static_cast<size_t>(n));
            size_t end = fRequest.find("\r\n\r\n");
            if (end != std::string::npos && want == std::string::npos) {
                size_t at = fRequest.find("Content-Length: ");
                want = end + 4 + (at == std::string::npos ? 0 : std::stoul(fRequest.substr(at + 16)));
            }
        }
        send(c, fReply.data(), fReply.size(), 0);
        close(c);
    }
    std::string fReply, fRequest;
    int fSocket = -1;
    int fPort = 0;
    std::thread fThread;
};

std::string HttpReply(int status, const std::string& body) {
    return "HTTP/1.1 " + std::to_string(status) + " X\r\nContent-Type: text/xml; charset=utf-8\r\nContent-Length: " +
           std::to_string(body.size()) + "\r\nConnection: close\r\n\r\n" + body;
}

std::string SoapBody(const std::string& inner) {
    return "<?xml version=\"1.0\" encoding=\"utf-8\"?><soap:Envelope "
           "xmlns:soap=\"http://schemas.xmlsoap.org/soap/envelope/\"><soap:Body>" +
           inner + "</soap:Body></soap:Envelope>";
}

class RealWebService : public envtest::Installation {
protected:
    void SetUp() override {
        envtest::Installation::SetUp();
        LinkStagedLibrary("CallWebService.so");
    }
};

TEST_F(RealWebService, PostsTheOperationAndWritesTheReturnValue) {
    OneShotServer server(HttpReply(
        200, SoapBody("<getAllUserResponse><return>&lt;Result&gt;&lt;Status code=\"0\"/&gt;&lt;Record "
                      "n=\"费用\"/&gt;&lt;/Result&gt;</return></getAllUserResponse>")));
    std::string answer = CallWebService(server.Url(), "PORTAL.getAllUser", "<Request user=\"A\"/>");
    EXPECT_EQ(answer, "<Result><Status code=\"0\"/><Record n=\"费用\"/></Result>");
    std::string request = server.Request();
    EXPECT_NE(request.find("POST /ws "), std::string::npos);
    EXPECT_NE(request.find("SOAPAction: \"PORTAL.getAllUser\""), std::string::npos);
    EXPECT_NE(request.find("<getAllUser xmlns=\"urn:PORTAL\"><request>&lt;Request user=&quot;A&quot;/&gt;</request>"),
              std::string::npos)
        << request;
    EXPECT_TRUE(std::filesystem::is_empty(fRoot / "tmp"));
}

TEST_F(RealWebService, FaultsAndRefusedConnectionsRaise) {
    {
        OneShotServer server(HttpReply(500, SoapBody("<soap:Fault><faultcode>soap:Server</faultcode>"
                                                     "<faultstring>No such user</faultstring></soap:Fault>")));
        try {
            CallWebService(server.Url(), "PORTAL.getAllUser", "<Request/>");
            FAIL() << "no error";
        } catch (const EWebServiceError& e) {
            EXPECT_STREQ(e.what(), "No such user");
        }
    }
    std::string url;
    {
        OneShotServer gone(HttpReply(200, ""));
        url = gone.Url();
        CallWebService(url, "op", "");  // lets the one connection through
    }
    EXPECT_THROW(CallWebService(url, "op", "<Request/>"), EWebServiceError);
    EXPECT_TRUE(std::filesystem::is_empty(fRoot / "tmp"));
}

}  // namespace
