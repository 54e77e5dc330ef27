#include <gtest/gtest.h>
#include <sqlite3.h>

#include <thread>

#include "server/ReportStore.h"
#include "server/ServerTestSupport.h"

using namespace rcs;

namespace {

class ReportStoreTest : public ::testing::Test {
protected:
    rcstest::TTempInstall install;
    std::string file = install.Path("store.db");
};

TSchemeRecord Scheme(const std::string& name, const std::string& values = "v") {
    return {name, "U001", "XQTR37", "ed08.text;", values, "20240305"};
}

TJobRecord Job(const std::string& user = "U001") {
    TJobRecord job;
    job.Origin = "Q";
    job.ProgramID = "XQTR37";
    job.UserID = user;
    job.RequestJson = "[]";
    job.Status = "WAITING";
    return job;
}

void SetUserVersion(const std::string& file, int version) {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(file.c_str(), &db), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(db, ("PRAGMA user_version=" + std::to_string(version)).c_str(), nullptr, nullptr, nullptr),
              SQLITE_OK);
    sqlite3_close(db);
}

}  // namespace

TEST_F(ReportStoreTest, SchemesInsertReplaceAndCompareNamesExactly) {
    TReportStore store(file);
    EXPECT_EQ(store.InsertScheme(Scheme("Plan", "one"), false), TReportStore::TInsertResult::Inserted);
    EXPECT_EQ(store.InsertScheme(Scheme("Plan", "two"), false), TReportStore::TInsertResult::Exists);
    EXPECT_EQ(store.LoadSchemes("U001", "XQTR37").at(0).VCONDITION, "one");
    EXPECT_EQ(store.InsertScheme(Scheme("Plan", "three"), true), TReportStore::TInsertResult::Replaced);
    EXPECT_EQ(store.InsertScheme(Scheme("plan"), false), TReportStore::TInsertResult::Inserted);
    // Another user's or program's scheme of the same name is a different scheme.
    TSchemeRecord other = Scheme("Plan");
    other.CREATOR = "U002";
    EXPECT_EQ(store.InsertScheme(other, false), TReportStore::TInsertResult::Inserted);

    const auto mine = store.LoadSchemes("U001", "XQTR37");
    ASSERT_EQ(mine.size(), 2u);
    EXPECT_EQ(mine[0].NCONDITION, "Plan");  // byte order: upper case first
    EXPECT_EQ(mine[0].VCONDITION, "three");
    EXPECT_EQ(mine[1].NCONDITION, "plan");
    EXPECT_TRUE(store.LoadSchemes("U001", "XQTR38").empty());
}

TEST_F(ReportStoreTest, RenameAndDeleteReportWhatHappened) {
    TReportStore store(file);
    store.InsertScheme(Scheme("A"), false);
    store.InsertScheme(Scheme("B"), false);
    EXPECT_EQ(store.RenameScheme("A", "B", "U001", "XQTR37"), TReportStore::TRenameResult::TargetExists);
    EXPECT_EQ(store.RenameScheme("Z", "C", "U001", "XQTR37"), TReportStore::TRenameResult::NotFound);
    EXPECT_EQ(store.RenameScheme("A", "A", "U001", "XQTR37"), TReportStore::TRenameResult::Renamed);
    EXPECT_EQ(store.RenameScheme("A", "a", "U001", "XQTR37"), TReportStore::TRenameResult::Renamed);
    EXPECT_FALSE(store.DeleteScheme("A", "U001", "XQTR37"));
    EXPECT_TRUE(store.DeleteScheme("a", "U001", "XQTR37"));
    ASSERT_EQ(store.LoadSchemes("U001", "XQTR37").size(), 1u);
    EXPECT_EQ(store.LoadSchemes("U001", "XQTR37")[0].NCONDITION, "B");
}

TEST_F(ReportStoreTest, RightsDefaultToFullUntilSetThenMostSpecificWins) {
    TReportStore store(file);
    auto rights = [&](const std::string& db, const std::string& user, const std::string& program) {
        return store.FindRights(db, user, program, "FULL", "NONE");
    };
    EXPECT_EQ(rights("DEMO", "U001", "XQTR37").Rights, "FULL");
    EXPECT_FALSE(rights("DEMO", "U001", "XQTR37").Explicit);

    store.SetRights("*", "U001", "*", "any-any");
    store.SetRights("*", "U001", "XQTR37", "any-prog");
    store.SetRights("DEMO", "U001", "*", "db-any");
    store.SetRights("DEMO", "U001", "XQTR37", "db-prog");
    EXPECT_EQ(rights("DEMO", "U001", "XQTR37").Rights, "db-prog");
    EXPECT_EQ(rights("DEMO", "U001", "OTHER").Rights, "db-any");
    EXPECT_EQ(rights("LIVE", "U001", "XQTR37").Rights, "any-prog");
    EXPECT_EQ(rights("LIVE", "U001", "OTHER").Rights, "any-any");
    // Once rights are managed, a user without an entry has none.
    EXPECT_EQ(rights("DEMO", "U002", "XQTR37").Rights, "NONE");
    EXPECT_TRUE(store.DeleteRights("DEMO", "U001", "XQTR37"));
    EXPECT_EQ(rights("DEMO", "U001", "XQTR37").Rights, "db-any");
}

TEST_F(ReportStoreTest, JobsGetEightCharacterNumbersAndCarryStatus) {
    TReportStore store(file);
    TJobRecord a = Job("U001");
    TJobRecord b = Job("U002");
    const std::string first = store.InsertJob(a);
    const std::string second = store.InsertJob(b);
    EXPECT_EQ(first.size(), 8u);
    EXPECT_NE(first, second);
    EXPECT_EQ(a.JobNo, first);

    // A report number (job number + "0001") finds its job by the first eight characters.
    EXPECT_TRUE(store.UpdateJobStatus(first + "0001", "REPORTED", "done; ", 45356.5));
    EXPECT_FALSE(store.UpdateJobStatus("99999999", "REPORTED", "", 0));
    const auto job = store.FindJob(first);
    ASSERT_TRUE(job.has_value());
    EXPECT_EQ(job->Status, "REPORTED");
    EXPECT_EQ(job->Messages, "done; ");
    EXPECT_DOUBLE_EQ(job->StatusTime, 45356.5);

    EXPECT_EQ(store.ListJobs("", "").size(), 2u);
    const auto u2 = store.ListJobs("U002", "XQTR37");
    ASSERT_EQ(u2.size(), 1u);
    EXPECT_EQ(u2[0].JobNo, second);
}

TEST_F(ReportStoreTest, OlderSchemaMigratesForwardKeepingData) {
    {
        TReportStore v1(file, 1000, 1);
        EXPECT_EQ(v1.SchemaVersion(), 1);
        v1.InsertScheme(Scheme("kept"), false);
    }
    TReportStore store(file);
    EXPECT_EQ(store.SchemaVersion(), TReportStore::kSchemaVersion);
    ASSERT_EQ(store.LoadSchemes("U001", "XQTR37").size(), 1u);
    TJobRecord job = Job();
    EXPECT_EQ(store.InsertJob(job), "00000001");
}

TEST_F(ReportStoreTest, NewerSchemaIsRefused) {
    { TReportStore store(file); }
    SetUserVersion(file, TReportStore::kSchemaVersion + 1);
    try {
        TReportStore store(file);
        FAIL() << "a store of a newer schema was opened";
    } catch (const plat::EDatabaseError& e) {
        EXPECT_NE(std::string(e.what()).find("newer than this server understands"), std::string::npos) << e.what();
    }
}

TEST_F(ReportStoreTest, UnwritableLocationIsAClearError) {
    EXPECT_THROW(TReportStore(install.Path("missing-folder/store.db")), plat::EDatabaseError);
}

TEST_F(ReportStoreTest, ConnectionsWritingAtOnceLoseNothing) {
    { TReportStore init(file); }
    constexpr int kThreads = 4, kEach = 25;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t)
        threads.emplace_back([&, t] {
            TReportStore store(file);
            for (int i = 0; i < kEach; ++i) {
                store.InsertScheme(Scheme("t" + std::to_string(t) + "-" + std::to_string(i)), false);
                TJobRecord job = Job();
                store.InsertJob(job);
            }
        });
    for (auto& t : threads) t.join();
    TReportStore store(file);
    EXPECT_EQ(store.LoadSchemes("U001", "XQTR37").size(), size_t{kThreads * kEach});
    EXPECT_EQ(store.ListJobs("", "").size(), size_t{kThreads * kEach});
}
