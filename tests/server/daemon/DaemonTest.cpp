// The daemon as users run it: the staged executable on a loopback port, its durability, its
// resistance to broken peers, the shared secret, and the clients around it.
#include <gtest/gtest.h>

#include <set>
#include <thread>

#include "platform/core/Automation.h"
#include "platform/net/RpcClient.h"
#include "server/ServerTestSupport.h"
#include "server/dmReportCounter.h"

using namespace plat;

namespace {

const std::string kServer = rcs::kServerClassName;

Variant Record(const std::string& name) {
    return VarArrayOf({Variant(name), Variant("U001"), Variant("20240305"), Variant("XQTR37"), Variant("ed08.text;"),
                       Variant("v"), Variant(false)});
}

int SchemeCount(TAutoObject& s) {
    Variant key = VarArrayOf({Variant("U001"), Variant("XQTR37")});
    s.Call("LoadTable", {Ref(key)});
    return s.Call("ProviderRead", {Variant("pvdConSave")})[1].ElementCount(1);
}

// A raw connection for speaking the protocol wrongly on purpose.
struct TRaw {
    explicit TRaw(uint16_t port) : Socket(TRpcSocket::Connect("127.0.0.1", port, 5000)) {}
    void Hello(const std::string& name = kServer) {
        std::string p;
        RpcPutU32(p, kRpcMagic);
        RpcPutU16(p, kRpcVersion);
        RpcPutText(p, name);
        Socket.WriteFrame(TRpcFrameType::Hello, p, 5000);
    }
    std::optional<TRpcFrame> Read() { return Socket.ReadFrame(64u << 20, 5000, 5000); }
    std::string FatalText() {
        auto f = Read();
        if (!f) return "<closed>";
        if (f->Type != TRpcFrameType::Fatal) return "<frame " + std::to_string(int(f->Type)) + ">";
        std::string_view in = f->Payload;
        return RpcGetText(in, 1u << 20);
    }
    // True when the daemon closed the connection (possibly after a last frame).
    bool ClosedByPeer() {
        try {
            while (Read()) {
            }
            return true;
        } catch (const ERpcTimeout&) {
            return false;  // still open
        } catch (const std::exception&) {
            return true;  // a reset counts as closed
        }
    }
    TRpcSocket Socket;
};

class DaemonTest : public ::testing::Test {
protected:
    rcstest::TTempInstall install;
};

}  // namespace

TEST_F(DaemonTest, AcknowledgedWritesSurviveSigkill) {
    rcstest::TDaemonProcess daemon(install.Dir());
    std::vector<std::string> jobs;
    {
        auto s = RpcConnectObject("127.0.0.1", daemon.Port(), kServer);
        for (int i = 0; i < 20; ++i) {
            Variant r = Record("scheme-" + std::to_string(i));
            ASSERT_EQ(s->Call("InsertConTable", {Ref(r)}).AsString(), "");
        }
        jobs.push_back(s->Call("Request", {rcstest::MakeJobRequest()}).AsString());
        daemon.Stop(SIGKILL);
    }
    daemon.Start();
    auto s = RpcConnectObject("127.0.0.1", daemon.Port(), kServer);
    EXPECT_EQ(SchemeCount(*s), 20);
    Variant key = VarArrayOf({Variant("U001"), Variant("XQTR37")});
    s->Call("LoadTable", {Ref(key)});
    const Variant stored = s->Call("ProviderRead", {Variant("pvdJobs")});
    ASSERT_EQ(stored[1].ElementCount(1), 1);
    EXPECT_EQ(stored[1][0][0].AsString(), jobs[0]);
}

TEST_F(DaemonTest, BrokenPeersGetAnAnswerOrAClosedConnectionAndOthersAreServed) {
    rcstest::TDaemonProcess daemon(install.Dir(), {"--read-timeout", "2"});
    auto good = RpcConnectObject("127.0.0.1", daemon.Port(), kServer);
    const uint16_t port = daemon.Port();

    {  // a call before the hand-shake
        TRaw raw(port);
        raw.Socket.WriteFrame(TRpcFrameType::Call, "garbage", 1000);
        EXPECT_EQ(raw.FatalText(), "expected a hello frame first; this is the application server's protocol");
    }
    {  // not our protocol at all
        TRaw raw(port);
        raw.Socket.WriteAll("GET / HTTP/1.1\r\nHost: x\r\n\r\n", 1000);
        EXPECT_NE(raw.FatalText().find("exceeds the limit"), std::string::npos);
        EXPECT_TRUE(raw.ClosedByPeer());
    }
    {  // an unknown server name
        TRaw raw(port);
        raw.Hello("Evil.Class1");
        EXPECT_EQ(raw.FatalText(),
                  "unknown server name \"Evil.Class1\"; this server offers ReportCounterS.dmReportCounter");
    }
    {  // an oversized frame is refused from its header alone
        TRaw raw(port);
        raw.Hello();
        ASSERT_EQ(raw.Read()->Type, TRpcFrameType::Ready);
        std::string head;
        RpcPutU32(head, 0x7FFFFFF0u);
        RpcPutU8(head, static_cast<uint8_t>(TRpcFrameType::Call));
        raw.Socket.WriteAll(head, 1000);
        EXPECT_EQ(raw.FatalText(), "frame of 2147483631 bytes exceeds the limit of 16777216 bytes");
        EXPECT_TRUE(raw.ClosedByPeer());
    }
    {  // a malformed call inside an intact frame: an error answer, and the connection goes on
        TRaw raw(port);
        raw.Hello();
        ASSERT_EQ(raw.Read()->Type, TRpcFrameType::Ready);
        std::string payload;
        RpcPutU32(payload, 5);
        RpcPutU8(payload, 0);
        RpcPutText(payload, "SQLType");
        RpcPutU16(payload, 1);
        RpcPutU8(payload, 0);
        RpcPutU16(payload, 0x0042);  // unknown value type
        raw.Socket.WriteFrame(TRpcFrameType::Call, payload, 1000);
        auto answer = raw.Read();
        ASSERT_TRUE(answer && answer->Type == TRpcFrameType::Error);
        std::string message;
        EXPECT_EQ(RpcDecodeError(answer->Payload, message), 5u);
        EXPECT_EQ(message, "malformed frame: unknown value type 66");
        TRpcCall call;
        call.CallId = 6;
        call.Member = "SQLType";
        raw.Socket.WriteFrame(TRpcFrameType::Call, RpcEncodeCall(call), 1000);
        answer = raw.Read();
        ASSERT_TRUE(answer && answer->Type == TRpcFrameType::Result);
        EXPECT_EQ(RpcDecodeResult(answer->Payload).Result.AsInteger(), rcs::kSqlTypeSqlite);
    }
    {  // a frame cut short and then silence: closed after the read time-out
        TRaw raw(port);
        raw.Hello();
        ASSERT_EQ(raw.Read()->Type, TRpcFrameType::Ready);
        std::string head;
        RpcPutU32(head, 100);
        RpcPutU8(head, static_cast<uint8_t>(TRpcFrameType::Call));
        raw.Socket.WriteAll(head + "only a part", 1000);
        EXPECT_TRUE(raw.ClosedByPeer());
    }
    {  // a frame cut short by the peer closing
        TRaw raw(port);
        raw.Hello();
        ASSERT_EQ(raw.Read()->Type, TRpcFrameType::Ready);
        raw.Socket.WriteAll(std::string("\x00\x00\x00\x50\x10\x00\x00", 7), 1000);
    }
    {  // a zero-length frame and an unknown frame type
        TRaw raw(port);
        raw.Hello();
        ASSERT_EQ(raw.Read()->Type, TRpcFrameType::Ready);
        raw.Socket.WriteAll(std::string(4, '\0'), 1000);
        EXPECT_EQ(raw.FatalText(), "malformed frame: zero length");
        TRaw other(port);
        other.Hello();
        ASSERT_EQ(other.Read()->Type, TRpcFrameType::Ready);
        other.Socket.WriteFrame(static_cast<TRpcFrameType>(0x77), "", 1000);
        EXPECT_EQ(other.FatalText(), "unexpected frame type 119 after the hand-shake");
    }
    // The well-behaved client connected before all this is still served, and so is a new one.
    EXPECT_EQ(good->Call("SQLType").AsInteger(), rcs::kSqlTypeSqlite);
    Variant r = Record("after-the-storm");
    EXPECT_EQ(RpcConnectObject("127.0.0.1", port, kServer)->Call("InsertConTable", {Ref(r)}).AsString(), "");
    EXPECT_TRUE(daemon.Alive());
}

TEST_F(DaemonTest, IdleConnectionsAreClosed) {
    rcstest::TDaemonProcess daemon(install.Dir(), {"--idle-timeout", "1"});
    TRaw raw(daemon.Port());
    raw.Hello();
    ASSERT_EQ(raw.Read()->Type, TRpcFrameType::Ready);
    EXPECT_EQ(raw.FatalText(), "closing the connection after 1 s without a call");
    EXPECT_TRUE(raw.ClosedByPeer());
}

TEST_F(DaemonTest, SharedSecretIsRequiredWhenConfigured) {
    rcstest::TTempInstall secured("[ReportCounterS]\nSharedSecret=correct horse\n");
    rcstest::TDaemonProcess daemon(secured.Dir());
    const uint16_t port = daemon.Port();
    auto refusal = [&](const std::string& secret) -> std::string {
        TRpcClientOptions options;
        options.Secret = secret;
        try {
            RpcConnectObject("127.0.0.1", port, kServer, options);
            return "<accepted>";
        } catch (const EOleError& e) {
            return e.what();
        }
    };
    EXPECT_EQ(refusal(""), "the application server at 127.0.0.1:" + std::to_string(port) +
                               " requires a shared secret; configure the same secret for the client");
    EXPECT_EQ(refusal("wrong horse"), "the application server at 127.0.0.1:" + std::to_string(port) +
                                          " refused the connection: authentication failed: the shared secret does not match");
    {  // skipping the proof and calling at once is refused as well
        TRaw raw(port);
        raw.Hello();
        ASSERT_EQ(raw.Read()->Type, TRpcFrameType::Challenge);
        TRpcCall call;
        call.Member = "SQLType";
        raw.Socket.WriteFrame(TRpcFrameType::Call, RpcEncodeCall(call), 1000);
        EXPECT_EQ(raw.FatalText(), "authentication required: this server needs the shared secret");
    }
    TRpcClientOptions options;
    options.Secret = "correct horse";
    auto conn = TRpcConnection::Open("127.0.0.1", port, kServer, options);
    EXPECT_TRUE(conn->Authenticated());
    TRemoteAutoObject s(conn);
    // An authenticated connection may administer rights.
    Variant entry = VarArrayOf({Variant("*"), Variant("U001"), Variant("*"), Variant("YYYYYYNNYY")});
    EXPECT_EQ(s.Call("SetPower", {Ref(entry)}).AsString(), "");
    EXPECT_EQ(s.Call("GetPower", {VarArrayOf({Variant("DEMO"), Variant("U001"), Variant("XQTR37"), Variant("")})})[1]
                  .AsString(),
              "DEMO,U001,XQTR37,YYYYYYNNYY");
    // A client holding a secret does not accept a server that asks for none.
    rcstest::TDaemonProcess open(install.Dir());
    try {
        RpcConnectObject("127.0.0.1", open.Port(), kServer, options);
        FAIL() << "a server without the secret was accepted";
    } catch (const EOleError& e) {
        EXPECT_NE(std::string(e.what()).find("did not prove the shared secret"), std::string::npos) << e.what();
    }
}

TEST_F(DaemonTest, ConnectionsBeyondTheLimitAreToldTheServerIsBusy) {
    rcstest::TTempInstall small("[ReportCounterS]\nMaxConnections=1\n");
    rcstest::TDaemonProcess daemon(small.Dir());
    auto first = RpcConnectObject("127.0.0.1", daemon.Port(), kServer);
    try {
        RpcConnectObject("127.0.0.1", daemon.Port(), kServer);
        FAIL() << "a connection beyond the limit was served";
    } catch (const EOleError& e) {
        EXPECT_NE(std::string(e.what()).find("the server is busy: 1 connections are open; try again later"),
                  std::string::npos)
            << e.what();
    }
    EXPECT_EQ(first->Call("SQLType").AsInteger(), rcs::kSqlTypeSqlite);
}

TEST_F(DaemonTest, ConcurrentClientsGetDistinctJobNumbers) {
    rcstest::TDaemonProcess daemon(install.Dir());
    constexpr int kClients = 4, kEach = 15;
    std::vector<std::vector<std::string>> numbers(kClients);
    std::vector<std::thread> threads;
    for (int c = 0; c < kClients; ++c)
        threads.emplace_back([&, c] {
            auto s = RpcConnectObject("127.0.0.1", daemon.Port(), kServer);
            for (int i = 0; i < kEach; ++i) numbers[c].push_back(s->Call("Request", {rcstest::MakeJobRequest()}).AsString());
        });
    for (auto& t : threads) t.join();
    std::set<std::string> all;
    for (const auto& list : numbers)
        for (const std::string& n : list) {
            EXPECT_EQ(n.size(), 8u) << n;
            all.insert(n);
        }
    EXPECT_EQ(all.size(), size_t{kClients * kEach});
}

TEST_F(DaemonTest, ClassRegistryCreatesTheInProcessServerFromTheModule) {
    // A client installation without a server folder: the in-process server takes ClientPath.
    const std::string registry = install.Path("registry.ini");
    std::ofstream(registry) << "[HKEY_LOCAL_MACHINE\\Software\\QMB\\Orrery]\nClientPath=" << install.Dir() << "\n";
    const std::string classes = install.Path("Classes.ini");
    std::ofstream(classes) << "[Classes]\nReportCounterS.dmReportCounter=" << rcstest::StageDir()
                           << "/S_PKG/ReportCounterS.so;CreateReportCounter\n";
    ::setenv("XQ_REGISTRY", registry.c_str(), 1);
    ::setenv("XQ_CLASSES", classes.c_str(), 1);
    Variant server(CreateOleObject("ReportCounterS.dmReportCounter"));
    Variant r = Record("in-process");
    EXPECT_EQ(OleCall(server, "InsertConTable", {Ref(r)}).AsString(), "");
    EXPECT_EQ(SchemeCount(*server.AsObject()), 1);
    EXPECT_TRUE(rcstest::fs::exists(install.Path("Data/ReportCounterS.db")));
    ::unsetenv("XQ_REGISTRY");
    ::unsetenv("XQ_CLASSES");
}

TEST_F(DaemonTest, CommandLineClientRunsCommandsOnOneConnection) {
    const std::string cli = rcstest::StageDir() + "/bin/reportcounter-cli";
    const std::string record =
        "[\"Plan\", \"U001\", \"20240305\", \"XQTR37\", \"ed08.text;\", {\"$wide\": \"值\"}, false]";
    rcstest::TDaemonProcess daemon(install.Dir());
    for (const std::vector<std::string>& where :
         {std::vector<std::string>{"--install", install.Dir()}, std::vector<std::string>{"--connect", daemon.Endpoint()}}) {
        std::vector<std::string> args = where;
        for (const char* w : {"call", "DeleteConTable", "[\"Plan\", \"U001\", \"XQTR37\"]", "then", "call",
                              "InsertConTable"})
            args.push_back(w);
        args.push_back(record);
        for (const char* w : {"then", "call", "LoadTable", "[\"U001\", \"XQTR37\"]", "then", "provider", "pvdConSave"})
            args.push_back(w);
        const auto run = rcstest::RunProgram(cli, args, install.Dir());
        EXPECT_EQ(run.ExitCode, 0) << run.Err;
        const std::string expected =
            std::string("{\"result\": \"") + (where[0] == "--install" ? "no scheme named \\\"Plan\\\" exists for user U001 and program XQTR37" : "") +
            "\", \"args\": [[\"Plan\", \"U001\", \"XQTR37\"]]}\n"
            "{\"result\": \"\", \"args\": [[\"Plan\", \"U001\", \"20240305\", \"XQTR37\", \"ed08.text;\", {\"$wide\": \"值\"}, false]]}\n"
            "{\"result\": {\"$empty\": true}, \"args\": [[\"U001\", \"XQTR37\"]]}\n"
            "{\"NCONDITION\": \"Plan\", \"CREATOR\": \"U001\", \"PROGRAMME\": \"XQTR37\", \"SCONDITION\": \"ed08.text;\", "
            "\"VCONDITION\": \"值\", \"CREATE_DATE\": \"20240305\"}\n";
        EXPECT_EQ(run.Out, expected) << where[0];
    }
    const auto failed = rcstest::RunProgram(cli, {"--connect", daemon.Endpoint(), "call", "NoSuchMethod"}, install.Dir());
    EXPECT_EQ(failed.ExitCode, 1);
    EXPECT_TRUE(failed.Out.empty());
    EXPECT_NE(failed.Err.find("NoSuchMethod"), std::string::npos) << failed.Err;
    const auto badJson = rcstest::RunProgram(cli, {"--install", install.Dir(), "call", "LoadTable", "[oops"}, install.Dir());
    EXPECT_EQ(badJson.ExitCode, 1);
    EXPECT_NE(badJson.Err.find("argument 1 of LoadTable is not the JSON form of a value"), std::string::npos) << badJson.Err;
}

TEST_F(DaemonTest, LogsIntoTheInstallationItServes) {
    // The registry names no installation at all: the log still lands in the one served.
    const std::string registry = install.Path("registry.ini");
    std::ofstream(registry) << "";
    ::setenv("XQ_REGISTRY", registry.c_str(), 1);
    {
        rcstest::TDaemonProcess daemon(install.Dir());
        auto s = RpcConnectObject("127.0.0.1", daemon.Port(), kServer);
        Variant missing = VarArrayOf({Variant("Nope"), Variant("U001"), Variant("XQTR37")});
        EXPECT_NE(s->Call("DeleteConTable", {Ref(missing)}).AsString(), "");
    }
    ::unsetenv("XQ_REGISTRY");
    std::string log;
    for (const auto& entry : rcstest::fs::directory_iterator(install.Path("Log")))
        if (entry.path().filename().string().rfind("Alert_ReportCounterS_", 0) == 0) log += rcstest::Slurp(entry.path());
    EXPECT_NE(log.find("listening on 127.0.0.1:"), std::string::npos) << log;
    EXPECT_NE(log.find("DeleteConTable: no scheme named \"Nope\""), std::string::npos) << log;
}
