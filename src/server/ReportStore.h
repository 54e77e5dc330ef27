#pragma once
// The application server's store: condition schemes, users' rights and jobs in one SQLite file.
//
// One TReportStore is one database connection; it is used by one thread at a time (the daemon
// gives every client connection its own). Several connections and processes may share the file:
// it runs in write-ahead-log mode with a busy time-out, and every public operation is one
// transaction. Values only ever reach SQL as bound parameters. The schema is versioned
// (PRAGMA user_version) and migrated forward when a store is opened; a store written by a newer
// server is refused rather than guessed at.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/core/Exceptions.h"

struct sqlite3;
struct sqlite3_stmt;

namespace rcs {

// One saved condition scheme, field names as the scheme provider serves them.
struct TSchemeRecord {
    std::string NCONDITION;   // scheme name, compared exactly (case matters)
    std::string CREATOR;      // user id
    std::string PROGRAMME;    // program id
    std::string SCONDITION;   // control list
    std::string VCONDITION;   // value text
    std::string CREATE_DATE;  // "YYYYMMDD"
};

// One job as stored. Dates are automation date-times (days since 1899-12-30).
struct TJobRecord {
    std::string JobNo;         // eight characters; assigned by InsertJob
    std::string Origin;        // "Q" submitted for the server's queue (Request), "C" run on a client (Request1)
    std::string ProgramID;
    std::string UserID;
    std::string CompanyID;
    std::string DbName;
    std::string ServerClass;   // as the client named it; never instantiated from here
    std::string JobKind;       // as sent: upper case, lower case for periodic jobs
    int GenerationCode = 0;    // 0 queue, 1 at once, 2 at RunTime
    double RunTime = 0;
    bool Periodic = false;
    std::string Computer;      // workstation name given with Request1
    std::string RequestJson;   // the whole request, canonical JSON form
    std::string PeriodJson;    // periodic jobs: the period array
    std::string DynamicJson;   // periodic jobs: the dynamic-fields array
    std::string Status;        // see docs/server.md
    std::string Messages;
    double StatusTime = 0;
    double Created = 0;
};

class TReportStore {
public:
    // The schema version this build writes. 1: schemes and rights. 2: jobs.
    static constexpr int kSchemaVersion = 2;

    // Opens (creating when missing) and migrates the store. Raises plat::EDatabaseError with the
    // file name and SQLite's reason when it cannot.
    explicit TReportStore(const std::string& fileName, int busyTimeoutMs = 10000);
    // Opens without migrating beyond `upToVersion` (tests of the migration path only).
    TReportStore(const std::string& fileName, int busyTimeoutMs, int upToVersion);
    ~TReportStore();
    TReportStore(const TReportStore&) = delete;
    TReportStore& operator=(const TReportStore&) = delete;

    const std::string& FileName() const { return fFileName; }
    int SchemaVersion();

    // ---- Schemes
    enum class TInsertResult { Inserted, Replaced, Exists };
    TInsertResult InsertScheme(const TSchemeRecord& record, bool replace);
    bool DeleteScheme(const std::string& name, const std::string& user, const std::string& program);
    enum class TRenameResult { Renamed, NotFound, TargetExists };
    TRenameResult RenameScheme(const std::string& oldName, const std::string& newName, const std::string& user,
                               const std::string& program);
    // Ordered by name (byte order).
    std::vector<TSchemeRecord> LoadSchemes(const std::string& user, const std::string& program);

    // ---- Rights
    struct TRightsAnswer {
        std::string Rights;
        bool Explicit = false;  // false: no rights row applies, Rights is the default
    };
    // The rights of a user for a program in a database: the most specific of (db, user, program),
    // (db, user, "*"), ("*", user, program), ("*", user, "*"). With no row in the table at all
    // (a fresh store) every user has `fullRights`; once any row exists, a user without a
    // matching row has `noRights`.
    TRightsAnswer FindRights(const std::string& db, const std::string& user, const std::string& program,
                             const std::string& fullRights, const std::string& noRights);
    void SetRights(const std::string& db, const std::string& user, const std::string& program,
                   const std::string& rights);
    bool DeleteRights(const std::string& db, const std::string& user, const std::string& program);

    // ---- Jobs
    // Stores the job and fills record.JobNo. Raises when the eight-character numbers are used up.
    std::string InsertJob(TJobRecord& record);
    // Updates status, messages and time of the job whose number is the first eight characters of
    // `jobText`. False when no such job exists.
    bool UpdateJobStatus(const std::string& jobText, const std::string& status, const std::string& messages,
                         double time);
    std::optional<TJobRecord> FindJob(const std::string& jobText);
    // Jobs of a user and program (empty strings: any), newest first, at most `limit`.
    std::vector<TJobRecord> ListJobs(const std::string& user, const std::string& program, int limit = 10000);

private:
    void Open(int busyTimeoutMs, int upToVersion);
    void Migrate(int upToVersion);
    void Exec(const char* sql);
    [[noreturn]] void Fail(const std::string& what);

    class TTransaction;
    class TStatement;
    static TJobRecord ReadJob(const TStatement& s);

    std::string fFileName;
    sqlite3* fDb = nullptr;
};

}  // namespace rcs
