// Every operation of the server object, once in process and once through the daemon on a
// loopback port: the answers must be the same either way.
#include <gtest/gtest.h>

#include <memory>

#include "platform/net/RpcClient.h"
#include "server/ServerTestSupport.h"
#include "server/dmReportCounter.h"

using namespace plat;

namespace {

enum class TWay { InProcess, Daemon };

class ServerOperations : public ::testing::TestWithParam<TWay> {
protected:
    void SetUp() override {
        if (GetParam() == TWay::Daemon) daemon = std::make_unique<rcstest::TDaemonProcess>(install.Dir());
        else context = rcs::MakeServerContext(rcs::TServerSettings::FromInstallation(install.Dir()),
                                              [this](const std::string& line) { log += line + "\n"; });
    }

    // A new server object: a new connection for the daemon.
    TAutoObjectPtr Connect() {
        if (GetParam() == TWay::Daemon)
            return RpcConnectObject("127.0.0.1", daemon->Port(), rcs::kServerClassName);
        return std::make_shared<rcs::TdmReportCounter>(context, false);
    }

    static Variant Record(const std::string& name, const std::string& values, bool replace,
                          const std::string& user = "U001") {
        return VarArrayOf({Variant::Wide(name), Variant(user), Variant("20240305"), Variant("XQTR37"),
                           Variant("chk07.checked;ed08.text;"), Variant::Wide(values), Variant(replace)});
    }
    static std::string Insert(TAutoObject& s, Variant record) { return s.Call("InsertConTable", {Ref(record)}).AsString(); }
    static std::vector<std::vector<std::string>> Schemes(TAutoObject& s, const std::string& user = "U001") {
        Variant key = VarArrayOf({Variant(user), Variant("XQTR37")});
        s.Call("LoadTable", {Ref(key)});
        const Variant data = s.Call("ProviderRead", {Variant("pvdConSave")});
        std::vector<std::vector<std::string>> rows;
        for (const Variant& r : data[1].Elements()) {
            rows.emplace_back();
            for (const Variant& f : r.Elements()) rows.back().push_back(f.AsString());
        }
        return rows;
    }

    rcstest::TTempInstall install;
    std::unique_ptr<rcstest::TDaemonProcess> daemon;
    std::shared_ptr<const rcs::TServerContext> context;
    std::string log;
};

}  // namespace

TEST_P(ServerOperations, SchemesAreSavedListedRenamedAndDeleted) {
    auto s = Connect();
    EXPECT_EQ(Insert(*s, Record("月报", "True\r\nA01\r\n", false)), "");
    EXPECT_EQ(Insert(*s, Record("Plan", "x", false)), "");

    const auto rows = Schemes(*s);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0], (std::vector<std::string>{"Plan", "U001", "XQTR37", "chk07.checked;ed08.text;", "x", "20240305"}));
    EXPECT_EQ(rows[1][0], "月报");
    EXPECT_EQ(rows[1][4], "True\r\nA01\r\n");
    const Variant fields = s->Call("ProviderRead", {Variant("pvdConSave")})[0];
    EXPECT_EQ(fields[0].AsString(), "NCONDITION");
    EXPECT_EQ(fields[5].AsString(), "CREATE_DATE");

    Variant from = VarArrayOf({Variant("Plan"), Variant("U001"), Variant("XQTR37")});
    Variant to = VarArrayOf({Variant("Budget"), Variant("U001"), Variant("XQTR37")});
    EXPECT_EQ(s->Call("ChangeConName", {Ref(from), Ref(to)}).AsString(), "");
    Variant gone = VarArrayOf({Variant("月报"), Variant("U001"), Variant("XQTR37")});
    EXPECT_EQ(s->Call("DeleteConTable", {Ref(gone)}).AsString(), "");
    const auto after = Schemes(*s);
    ASSERT_EQ(after.size(), 1u);
    EXPECT_EQ(after[0][0], "Budget");
}

TEST_P(ServerOperations, SchemeErrorsAnswerTextAndBecomeTheLastError) {
    auto s = Connect();
    ASSERT_EQ(Insert(*s, Record("Plan", "one", false)), "");
    ASSERT_EQ(Insert(*s, Record("Other", "two", false)), "");
    struct Case {
        const char* what;
        std::function<Variant()> call;
        const char* expected;
    };
    const std::vector<Case> cases = {
        {"insert without replace", [&] { return Variant(Insert(*s, Record("Plan", "new", false))); },
         "a scheme named \"Plan\" already exists for user U001 and program XQTR37; choose another name or replace it"},
        {"insert with an empty name", [&] { return Variant(Insert(*s, Record("  ", "x", false))); },
         "the scheme name is empty"},
        {"insert of a short record",
         [&] {
             Variant r = VarArrayOf({Variant("a"), Variant("b")});
             return s->Call("InsertConTable", {Ref(r)});
         },
         "expected the scheme record [name, user, date, program, controls, values, replace], got an array of 2 elements"},
        {"rename onto an existing name",
         [&] {
             Variant a = VarArrayOf({Variant("Plan"), Variant("U001"), Variant("XQTR37")});
             Variant b = VarArrayOf({Variant("Other"), Variant("U001"), Variant("XQTR37")});
             return s->Call("ChangeConName", {Ref(a), Ref(b)});
         },
         "a scheme named \"Other\" already exists for user U001 and program XQTR37; choose another name"},
        {"rename of a missing scheme",
         [&] {
             Variant a = VarArrayOf({Variant("None"), Variant("U001"), Variant("XQTR37")});
             Variant b = VarArrayOf({Variant("New"), Variant("U001"), Variant("XQTR37")});
             return s->Call("ChangeConName", {Ref(a), Ref(b)});
         },
         "no scheme named \"None\" exists for user U001 and program XQTR37"},
        {"delete of a missing scheme",
         [&] {
             Variant a = VarArrayOf({Variant("plan"), Variant("U001"), Variant("XQTR37")});
             return s->Call("DeleteConTable", {Ref(a)});
         },
         "no scheme named \"plan\" exists for user U001 and program XQTR37"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.call().AsString(), c.expected) << c.what;
        EXPECT_EQ(s->Call("ErrorDescript").AsString(), c.expected) << c.what;
    }
    // Nothing was changed by the refused calls.
    const auto rows = Schemes(*s);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[1][4], "one");
}

TEST_P(ServerOperations, InsertWithReplaceOverwrites) {
    auto s = Connect();
    ASSERT_EQ(Insert(*s, Record("Plan", "one", false)), "");
    EXPECT_EQ(Insert(*s, Record("Plan", "two", true)), "");
    const auto rows = Schemes(*s);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0][4], "two");
}

TEST_P(ServerOperations, PowerSqlTypeAndRequests) {
    auto s = Connect();
    const Variant power = s->Call("GetPower", {VarArrayOf({Variant("DEMO"), Variant("U001"), Variant("XQTR37"), Variant("")})});
    EXPECT_EQ(power[1].AsString(), "DEMO,U001,XQTR37,YYYYYYYYYY");
    EXPECT_EQ(s->Call("SQLType").AsInteger(), rcs::kSqlTypeSqlite);

    const std::string job = s->Call("Request", {rcstest::MakeJobRequest()}).AsString();
    ASSERT_EQ(job.size(), 8u) << job;
    const std::string periodic = s->Call("Request", {rcstest::MakeJobRequest("U001", 2, true)}).AsString();
    EXPECT_EQ(periodic.size(), 8u) << periodic << " " << s->Call("ErrorDescript").AsString();
    const std::string direct = s->Call("Request1", {rcstest::MakeJobRequest(), Variant("WS-07")}).AsString();
    EXPECT_EQ(direct.size(), 8u);
    // A job request may also come as a text; anything else is refused.
    EXPECT_EQ(s->Call("Request1", {Variant::Wide("XQTR37;U001;direct")}).AsString().size(), 8u);
    EXPECT_EQ(s->Call("Request1", {Variant(5)}).AsString(), "ERROR");
    EXPECT_EQ(s->Call("ErrorDescript").AsString(), "the job request must be an array or a non-empty text, got Integer");

    // The status of a job is recorded by its report number; "ERROR" and unknown jobs change nothing.
    Variant report(direct + "0001"), messages("done; "), now = Variant::Date(45356.75);
    EXPECT_TRUE(s->Call("UpdateStatus1", {Ref(report), Ref(messages), Ref(now)}).IsEmpty());
    Variant error("ERROR"), unknown("99999999");
    s->Call("UpdateStatus1", {Ref(error), Ref(messages), Ref(now)});
    s->Call("UpdateStatus1", {Ref(unknown), Ref(messages), Ref(now)});

    Variant key = VarArrayOf({Variant("U001"), Variant("XQTR37")});
    s->Call("LoadTable", {Ref(key)});
    const Variant jobs = s->Call("ProviderRead", {Variant("pvdJobs")});
    ASSERT_EQ(jobs[1].ElementCount(1), 3);
    const Variant& newest = jobs[1][0];  // newest first
    EXPECT_EQ(newest[0].AsString(), direct);
    EXPECT_EQ(newest[1].AsString(), "C");
    EXPECT_EQ(newest[11].AsString(), "WS-07");
    EXPECT_EQ(newest[12].AsString(), "REPORTED");
    EXPECT_EQ(newest[13].AsString(), "done; ");
    EXPECT_EQ(jobs[1][1][10].AsBoolean(), true);  // the periodic job
    EXPECT_EQ(jobs[1][2][12].AsString(), "WAITING");
    EXPECT_EQ(jobs[1][2][6].AsString(), "XQTR37S.Class1");
    EXPECT_NE(jobs[1][2][16].AsString().find("\"XQTR37S.Class1\""), std::string::npos);
}

TEST_P(ServerOperations, MalformedJobRequestsAnswerErrorWithTheReason) {
    auto s = Connect();
    struct Case {
        const char* what;
        std::function<void(Variant&)> breakIt;
        const char* reason;
    };
    const std::vector<Case> cases = {
        {"not an array", [](Variant& r) { r = Variant("job"); },
         "job request must be an array of 3 elements (5 for a periodic job) from index 0, got String"},
        {"option count disagrees", [](Variant& r) { r[0][3] = Variant(3); },
         "job request element 1 (options) must have 3 elements, has 2"},
        {"user missing", [](Variant& r) { r[0][5] = Variant(""); },
         "job request element 0 (environment) element 5 (user) must not be empty"},
        {"generation code out of range", [](Variant& r) { r[0][10] = Variant(7); },
         "job request element 0 (environment) element 10 (generation code) is 7, must be between 0 and 2"},
        {"run time not a date", [](Variant& r) { r[0][11] = Variant("tomorrow"); },
         "job request element 0 (environment) element 11 (run time) must be a date-time, got String"},
        {"empty option value", [](Variant& r) { r[2][2] = Variant::Null(); },
         "job request element 2 (option values) element 2 is empty"},
        {"broken range", [](Variant& r) { r[2][1] = VarArrayOf({Variant("\x04"), Variant("20240101")}); },
         "job request element 2 (option values) element 1 is a range and must hold [#4, begin, end], has 2 elements"},
        {"lower-case kind without period", [](Variant& r) { r[0][9] = Variant("r"); },
         "job request element 0 (environment) element 9 (job kind) is in lower case, which marks a periodic job, but the request has no period"},
    };
    for (const Case& c : cases) {
        Variant request = rcstest::MakeJobRequest();
        c.breakIt(request);
        EXPECT_EQ(s->Call("Request", {request}).AsString(), "ERROR") << c.what;
        EXPECT_EQ(s->Call("ErrorDescript").AsString(), c.reason) << c.what;
    }
    Variant periodic = rcstest::MakeJobRequest("U001", 2, true);
    periodic[3][2] = VarArrayOf({Variant(1), VarArrayOf({Variant("1"), Variant(9)})});
    EXPECT_EQ(s->Call("Request", {periodic}).AsString(), "ERROR");
    EXPECT_EQ(s->Call("ErrorDescript").AsString(),
              "job request element 3 (period) element 2 (cycle) element 1 element 1 (weekday) is 9, must be between 0 and 6");
    periodic = rcstest::MakeJobRequest("U001", 2, true);
    periodic[4][1] = Variant(std::string("1\x03") + "ed2\x03Y\x03" + "0\x03" + "0\x03" + "0\x03" + "0\x03" + "D\x03" + "5");
    EXPECT_EQ(s->Call("Request", {periodic}).AsString(), "ERROR");
    EXPECT_EQ(s->Call("ErrorDescript").AsString(),
              "job request element 4 (dynamic fields) element 1 names option index \"5\", which is not an option of this request");
}

TEST_P(ServerOperations, UnknownMembersAndProvidersRaise) {
    auto s = Connect();
    EXPECT_THROW(s->Call("DropAllTables"), EOleException);
    try {
        s->Call("ProviderRead", {Variant("pvdSecret")});
        FAIL();
    } catch (const EOleException& e) {
        EXPECT_EQ(std::string(e.what()), "ProviderRead: this server has no provider \"pvdSecret\"; it offers pvdConSave and pvdJobs");
    }
    // The object still answers after failed calls.
    EXPECT_EQ(s->Call("SQLType").AsInteger(), rcs::kSqlTypeSqlite);
}

TEST_P(ServerOperations, TwoConnectionsKeepTheirOwnState) {
    auto a = Connect();
    auto b = Connect();
    ASSERT_EQ(Insert(*a, Record("A-plan", "x", false, "U001")), "");
    ASSERT_EQ(Insert(*b, Record("B-plan", "y", false, "U002")), "");
    Variant keyA = VarArrayOf({Variant("U001"), Variant("XQTR37")});
    Variant keyB = VarArrayOf({Variant("U002"), Variant("XQTR37")});
    a->Call("LoadTable", {Ref(keyA)});
    b->Call("LoadTable", {Ref(keyB)});
    EXPECT_EQ(a->Call("ProviderRead", {Variant("pvdConSave")})[1][0][0].AsString(), "A-plan");
    EXPECT_EQ(b->Call("ProviderRead", {Variant("pvdConSave")})[1][0][0].AsString(), "B-plan");

    EXPECT_EQ(Insert(*a, Record("A-plan", "x", false, "U001")).empty(), false);
    EXPECT_NE(a->Call("ErrorDescript").AsString(), "");
    EXPECT_EQ(b->Call("ErrorDescript").AsString(), "");
}

TEST_P(ServerOperations, SettingRightsNeedsAnAdministrativeConnection) {
    auto s = Connect();
    Variant entry = VarArrayOf({Variant("*"), Variant("U001"), Variant("*"), Variant("NNNNNNNN")});
    EXPECT_NE(s->Call("SetPower", {Ref(entry)}).AsString(), "");
    const Variant power = s->Call("GetPower", {VarArrayOf({Variant("DEMO"), Variant("U001"), Variant("XQTR37"), Variant("")})});
    EXPECT_EQ(power[1].AsString(), "DEMO,U001,XQTR37,YYYYYYYYYY");
}

INSTANTIATE_TEST_SUITE_P(Ways, ServerOperations, ::testing::Values(TWay::InProcess, TWay::Daemon),
                         [](const auto& info) { return info.param == TWay::InProcess ? "InProcess" : "Daemon"; });
