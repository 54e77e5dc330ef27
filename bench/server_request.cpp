// The application server's costs: a job Request in process and over loopback with 1, 4 and 16
// concurrent clients, a raw SQLite insert of the same row (the floor every Request pays: one
// durable transaction), and LoadTable plus reading the scheme provider with 10 000 schemes.
// The daemon runs in this process on a port the system chooses; everything is loopback.
#include <benchmark/benchmark.h>
#include <sqlite3.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <thread>

#include "platform/core/VariantJson.h"
#include "platform/net/DBClient.h"
#include "platform/net/SConnect.h"
#include "platform/net/RpcClient.h"
#include "server/ReportCounterDaemon.h"
#include "server/dmReportCounter.h"

using namespace plat;
namespace fs = std::filesystem;

namespace {

Variant JobRequest() {
    Variant env = VarArrayCreate({1, 14});
    env[1] = Variant("XQTR37");
    env[2] = Variant(14);
    env[3] = Variant(6);
    env[4] = Variant("C01");
    env[5] = Variant("U001");
    env[6] = Variant("DEMO");
    env[7] = Variant::Date(45356.5);
    env[8] = Variant("XQTR37S.Class1");
    env[9] = Variant("R");
    env[10] = Variant(0);
    env[11] = Variant::Date(45356.5);
    env[12] = Variant("");
    env[13] = Variant(1);
    env[14] = Variant("A");
    Variant options = VarArrayCreate({1, 6});
    Variant values = VarArrayCreate({1, 6});
    for (int i = 1; i <= 6; ++i) {
        options[i] = VarArrayOf({Variant::Wide("费用条件" + std::to_string(i)), Variant("sp0" + std::to_string(i))});
        values[i] = VarArrayOf({Variant("\x04"), Variant("20240101"), Variant("20241231")});
    }
    return VarArrayOf({env, options, values});
}

// One installation with a daemon serving it, shared by every benchmark of the run.
struct TBenchServer {
    TBenchServer() {
        std::string pattern = (fs::temp_directory_path() / "rcs-bench-XXXXXX").string();
        if (!::mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
        dir = pattern;
        std::ofstream(dir + "/OrreryS.ini") << "[DBE Setting]\nMainDBType=SQLITE\n";
        context = rcs::MakeServerContext(rcs::TServerSettings::FromInstallation(dir), [](const std::string&) {});
        rcs::TDaemonOptions options;
        options.Port = 0;
        daemon = std::make_unique<rcs::TReportCounterDaemon>(context, options);
        daemon->Listen();
        thread = std::thread([this] { daemon->Run(); });
        // 10 000 schemes of one user for the provider benchmarks (user U900, so the Request
        // benchmarks' jobs do not mix in).
        rcs::TReportStore store(context->Settings.StoreFile);
        for (int i = 0; i < 10000; ++i)
            store.InsertScheme({"方案" + std::to_string(i), "U900", "XQTR37",
                                "sp01.style;sp02.style;ed08.text;chk07.checked;cbo01.itemindex;",
                                "sp_Range\x03" "20240101\x03" "20240131\r\nsp_Discrete\x03" "1001\x01销售部\x04\r\nA01\r\nTrue\r\n2\r\n",
                                "20240305"},
                               false);
    }
    ~TBenchServer() {
        daemon->Stop();
        thread.join();
        daemon.reset();
        std::error_code ec;
        fs::remove_all(dir, ec);
    }
    TAutoObjectPtr Remote() { return RpcConnectObject("127.0.0.1", daemon->Port(), rcs::kServerClassName); }

    std::string dir;
    std::shared_ptr<const rcs::TServerContext> context;
    std::unique_ptr<rcs::TReportCounterDaemon> daemon;
    std::thread thread;
};

TBenchServer& Server() {
    static TBenchServer server;
    return server;
}

void BM_RequestInProcess(benchmark::State& state) {
    rcs::TdmReportCounter server(Server().context, false);
    const Variant request = JobRequest();
    for (auto _ : state) benchmark::DoNotOptimize(server.Call("Request", {request}));
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_RequestInProcess)->Unit(benchmark::kMicrosecond)->UseRealTime();

// Each benchmark thread is one client with its own connection (and so its own server object
// and store connection in the daemon).
void BM_RequestLoopback(benchmark::State& state) {
    auto server = Server().Remote();
    const Variant request = JobRequest();
    for (auto _ : state) benchmark::DoNotOptimize(server->Call("Request", {request}));
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_RequestLoopback)->Unit(benchmark::kMicrosecond)->UseRealTime()->Threads(1)->Threads(4)->Threads(16);

// The floor: the same row inserted with plain SQLite, same journal and sync settings, one
// transaction each, no validation, no encoding, no wire.
void BM_RawSqliteInsert(benchmark::State& state) {
    const std::string file = Server().dir + "/raw.db";
    sqlite3* db = nullptr;
    sqlite3_open(file.c_str(), &db);
    sqlite3_exec(db, "PRAGMA journal_mode=WAL; PRAGMA synchronous=FULL;"
                     "CREATE TABLE IF NOT EXISTS J (ID INTEGER PRIMARY KEY AUTOINCREMENT, JOBNO TEXT UNIQUE,"
                     " PROGRAMID TEXT, USERID TEXT, REQUEST TEXT, STATUS TEXT, CREATED REAL)",
                 nullptr, nullptr, nullptr);
    const std::string json = VariantToJson(JobRequest());
    sqlite3_stmt* insert = nullptr;
    sqlite3_prepare_v2(db, "INSERT INTO J (PROGRAMID, USERID, REQUEST, STATUS, CREATED) VALUES ('XQTR37', 'U001', ?1, 'WAITING', 45356.5)",
                       -1, &insert, nullptr);
    for (auto _ : state) {
        sqlite3_exec(db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
        sqlite3_bind_text(insert, 1, json.data(), static_cast<int>(json.size()), SQLITE_STATIC);
        sqlite3_step(insert);
        sqlite3_reset(insert);
        sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    }
    sqlite3_finalize(insert);
    sqlite3_close(db);
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_RawSqliteInsert)->Unit(benchmark::kMicrosecond)->UseRealTime();

void ReadSchemes(benchmark::State& state, TAutoObject& server) {
    Variant key = VarArrayOf({Variant("U900"), Variant("XQTR37")});
    for (auto _ : state) {
        server.Call("LoadTable", {Ref(key)});
        const Variant data = server.Call("ProviderRead", {Variant("pvdConSave")});
        if (data[1].ElementCount(1) != 10000) state.SkipWithError("the provider did not serve 10 000 schemes");
    }
    state.SetItemsProcessed(state.iterations() * 10000);
}

void BM_LoadTableProvider10k_InProcess(benchmark::State& state) {
    rcs::TdmReportCounter server(Server().context, false);
    ReadSchemes(state, server);
}
BENCHMARK(BM_LoadTableProvider10k_InProcess)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_LoadTableProvider10k_Loopback(benchmark::State& state) {
    auto server = Server().Remote();
    ReadSchemes(state, *server);
}
BENCHMARK(BM_LoadTableProvider10k_Loopback)->Unit(benchmark::kMillisecond)->UseRealTime();

// What the option form does to list its schemes: LoadTable, then close and reopen its client data
// set (fields from the provider, records ordered by Index1), through the socket connection.
void ReadSchemesIntoDataSet(benchmark::State& state, TSocketConnection& connection) {
    TwwClientDataSet ds(nullptr);
    ds.SetRemoteServer(&connection);
    ds.SetProviderName("pvdConSave");
    ds.IndexDefs()->Add("Index1", "NCONDITION;CREATOR;PROGRAMME");
    ds.SetIndexName("Index1");
    Variant key = VarArrayOf({Variant("U900"), Variant("XQTR37")});
    for (auto _ : state) {
        connection.GetServer()->Call("LoadTable", {Ref(key)});
        ds.Close();
        ds.Open();
        if (ds.RecordCount() != 10000) state.SkipWithError("the data set did not hold 10 000 schemes");
    }
    ds.Close();
    ds.SetRemoteServer(nullptr);
    state.SetItemsProcessed(state.iterations() * 10000);
}

void BM_LoadTableClientDataSet10k_InProcess(benchmark::State& state) {
    TSocketConnection connection(nullptr);
    connection.SetAppServer(Variant(std::make_shared<rcs::TdmReportCounter>(Server().context, false)));
    ReadSchemesIntoDataSet(state, connection);
}
BENCHMARK(BM_LoadTableClientDataSet10k_InProcess)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_LoadTableClientDataSet10k_Loopback(benchmark::State& state) {
    TSocketConnection connection(nullptr);
    connection.SetServerName(rcs::kServerClassName);
    connection.SetAddress("127.0.0.1");
    connection.SetPort(Server().daemon->Port());
    connection.Open();
    ReadSchemesIntoDataSet(state, connection);
}
BENCHMARK(BM_LoadTableClientDataSet10k_Loopback)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
