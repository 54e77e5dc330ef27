#include "server/ReportStore.h"

#include <sqlite3.h>

#include <cstdio>

namespace rcs {

using plat::EDatabaseError;

namespace {

// Each step is one forward migration, applied in its own transaction. Never edit a released
// step: add a new one and raise kSchemaVersion.
const char* const kMigrations[] = {
    // 1: condition schemes and users' rights. Names compare in byte order (case matters).
    "CREATE TABLE RC_SCHEME ("
    " NCONDITION TEXT NOT NULL, CREATOR TEXT NOT NULL, PROGRAMME TEXT NOT NULL,"
    " SCONDITION TEXT NOT NULL DEFAULT '', VCONDITION TEXT NOT NULL DEFAULT '',"
    " CREATE_DATE TEXT NOT NULL DEFAULT '',"
    " PRIMARY KEY (CREATOR, PROGRAMME, NCONDITION)) WITHOUT ROWID;"
    "CREATE TABLE RC_RIGHTS ("
    " DBNAME TEXT NOT NULL, USERID TEXT NOT NULL, PROGRAMID TEXT NOT NULL, RIGHTS TEXT NOT NULL,"
    " PRIMARY KEY (USERID, DBNAME, PROGRAMID)) WITHOUT ROWID;",
    // 2: jobs. ID numbers the jobs; JOBNO is its eight-character text.
    "CREATE TABLE RC_JOB ("
    " ID INTEGER PRIMARY KEY AUTOINCREMENT, JOBNO TEXT UNIQUE,"
    " ORIGIN TEXT NOT NULL, PROGRAMID TEXT NOT NULL DEFAULT '', USERID TEXT NOT NULL DEFAULT '',"
    " COMPANYID TEXT NOT NULL DEFAULT '', DBNAME TEXT NOT NULL DEFAULT '', SERVERCLASS TEXT NOT NULL DEFAULT '',"
    " JOBKIND TEXT NOT NULL DEFAULT '', GENCODE INTEGER NOT NULL DEFAULT 0, RUNTIME REAL NOT NULL DEFAULT 0,"
    " PERIODIC INTEGER NOT NULL DEFAULT 0, COMPUTER TEXT NOT NULL DEFAULT '', REQUEST TEXT NOT NULL,"
    " PERIOD TEXT NOT NULL DEFAULT '', DYNFIELDS TEXT NOT NULL DEFAULT '',"
    " STATUS TEXT NOT NULL, MESSAGES TEXT NOT NULL DEFAULT '', STATUS_TIME REAL NOT NULL DEFAULT 0,"
    " CREATED REAL NOT NULL);"
    "CREATE INDEX RC_JOB_USER ON RC_JOB (USERID, PROGRAMID, ID);",
};
static_assert(sizeof(kMigrations) / sizeof(kMigrations[0]) == TReportStore::kSchemaVersion);

constexpr int64_t kMaxJobId = 99999999;  // eight decimal digits

}  // namespace

class TReportStore::TStatement {
public:
    TStatement(TReportStore& store, const char* sql) : fStore(store) {
        if (sqlite3_prepare_v2(store.fDb, sql, -1, &fStmt, nullptr) != SQLITE_OK) store.Fail("preparing a statement");
    }
    ~TStatement() { sqlite3_finalize(fStmt); }
    TStatement& Bind(int i, const std::string& text) {
        Check(sqlite3_bind_text(fStmt, i, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT));
        return *this;
    }
    TStatement& Bind(int i, int64_t value) {
        Check(sqlite3_bind_int64(fStmt, i, value));
        return *this;
    }
    TStatement& Bind(int i, double value) {
        Check(sqlite3_bind_double(fStmt, i, value));
        return *this;
    }
    // True while a row is available.
    bool Step() {
        const int rc = sqlite3_step(fStmt);
        if (rc == SQLITE_ROW) return true;
        if (rc == SQLITE_DONE) return false;
        fStore.Fail("running a statement");
    }
    std::string Text(int col) const {
        const unsigned char* p = sqlite3_column_text(fStmt, col);
        return p ? std::string(reinterpret_cast<const char*>(p), sqlite3_column_bytes(fStmt, col)) : std::string();
    }
    int64_t Int(int col) const { return sqlite3_column_int64(fStmt, col); }
    double Real(int col) const { return sqlite3_column_double(fStmt, col); }

private:
    void Check(int rc) {
        if (rc != SQLITE_OK) fStore.Fail("binding a value");
    }
    TReportStore& fStore;
    sqlite3_stmt* fStmt = nullptr;
};

// One transaction; rolled back unless committed. Writers take the write lock at the start, so
// two connections never deadlock upgrading a read lock.
class TReportStore::TTransaction {
public:
    TTransaction(TReportStore& store, bool write) : fStore(store) {
        store.Exec(write ? "BEGIN IMMEDIATE" : "BEGIN");
    }
    ~TTransaction() {
        if (!fDone) sqlite3_exec(fStore.fDb, "ROLLBACK", nullptr, nullptr, nullptr);
    }
    void Commit() {
        fStore.Exec("COMMIT");
        fDone = true;
    }

private:
    TReportStore& fStore;
    bool fDone = false;
};

TReportStore::TReportStore(const std::string& fileName, int busyTimeoutMs) : fFileName(fileName) {
    Open(busyTimeoutMs, kSchemaVersion);
}

TReportStore::TReportStore(const std::string& fileName, int busyTimeoutMs, int upToVersion) : fFileName(fileName) {
    Open(busyTimeoutMs, upToVersion);
}

TReportStore::~TReportStore() { sqlite3_close_v2(fDb); }

void TReportStore::Fail(const std::string& what) {
    const std::string reason = fDb ? sqlite3_errmsg(fDb) : "out of memory";
    throw EDatabaseError("server store " + fFileName + ": " + what + " failed: " + reason);
}

void TReportStore::Exec(const char* sql) {
    char* error = nullptr;
    if (sqlite3_exec(fDb, sql, nullptr, nullptr, &error) != SQLITE_OK) {
        const std::string reason = error ? error : sqlite3_errmsg(fDb);
        sqlite3_free(error);
        throw EDatabaseError("server store " + fFileName + ": " + reason);
    }
}

void TReportStore::Open(int busyTimeoutMs, int upToVersion) {
    const int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX;
    if (sqlite3_open_v2(fFileName.c_str(), &fDb, flags, nullptr) != SQLITE_OK) {
        const std::string reason = fDb ? sqlite3_errmsg(fDb) : "out of memory";
        sqlite3_close_v2(fDb);
        fDb = nullptr;
        throw EDatabaseError("cannot open the server store " + fFileName + ": " + reason +
                             "; check that the folder exists and is writable");
    }
    try {
        sqlite3_busy_timeout(fDb, busyTimeoutMs);
        sqlite3_extended_result_codes(fDb, 1);
        Exec("PRAGMA journal_mode=WAL");
        // FULL: an acknowledged write survives a power loss too, not only a crash of the process.
        Exec("PRAGMA synchronous=FULL");
        Exec("PRAGMA foreign_keys=ON");
        Migrate(upToVersion);
    } catch (...) {
        sqlite3_close_v2(fDb);
        fDb = nullptr;
        throw;
    }
}

int TReportStore::SchemaVersion() {
    TStatement s(*this, "PRAGMA user_version");
    return s.Step() ? static_cast<int>(s.Int(0)) : 0;
}

void TReportStore::Migrate(int upToVersion) {
    for (;;) {
        // Another process may be migrating the same file: decide under the write lock.
        TTransaction t(*this, true);
        const int version = SchemaVersion();
        if (version > kSchemaVersion)
            throw EDatabaseError("server store " + fFileName + " has schema version " + std::to_string(version) +
                                 ", newer than this server understands (" + std::to_string(kSchemaVersion) +
                                 "); run the newer server or restore an older copy of the store");
        if (version >= upToVersion) {
            t.Commit();
            return;
        }
        Exec(kMigrations[version]);
        Exec(("PRAGMA user_version=" + std::to_string(version + 1)).c_str());
        t.Commit();
    }
}

// ---- Schemes ----

TReportStore::TInsertResult TReportStore::InsertScheme(const TSchemeRecord& r, bool replace) {
    TTransaction t(*this, true);
    bool exists;
    {
        TStatement s(*this, "SELECT 1 FROM RC_SCHEME WHERE CREATOR=?1 AND PROGRAMME=?2 AND NCONDITION=?3");
        s.Bind(1, r.CREATOR).Bind(2, r.PROGRAMME).Bind(3, r.NCONDITION);
        exists = s.Step();
    }
    if (exists && !replace) return TInsertResult::Exists;
    TStatement s(*this,
                 "INSERT OR REPLACE INTO RC_SCHEME (NCONDITION, CREATOR, PROGRAMME, SCONDITION, VCONDITION, CREATE_DATE)"
                 " VALUES (?1, ?2, ?3, ?4, ?5, ?6)");
    s.Bind(1, r.NCONDITION).Bind(2, r.CREATOR).Bind(3, r.PROGRAMME).Bind(4, r.SCONDITION).Bind(5, r.VCONDITION)
        .Bind(6, r.CREATE_DATE);
    s.Step();
    t.Commit();
    return exists ? TInsertResult::Replaced : TInsertResult::Inserted;
}

bool TReportStore::DeleteScheme(const std::string& name, const std::string& user, const std::string& program) {
    TTransaction t(*this, true);
    TStatement s(*this, "DELETE FROM RC_SCHEME WHERE CREATOR=?1 AND PROGRAMME=?2 AND NCONDITION=?3");
    s.Bind(1, user).Bind(2, program).Bind(3, name);
    s.Step();
    const bool deleted = sqlite3_changes(fDb) > 0;
    t.Commit();
    return deleted;
}

TReportStore::TRenameResult TReportStore::RenameScheme(const std::string& oldName, const std::string& newName,
                                                       const std::string& user, const std::string& program) {
    TTransaction t(*this, true);
    auto exists = [&](const std::string& name) {
        TStatement s(*this, "SELECT 1 FROM RC_SCHEME WHERE CREATOR=?1 AND PROGRAMME=?2 AND NCONDITION=?3");
        s.Bind(1, user).Bind(2, program).Bind(3, name);
        return s.Step();
    };
    if (!exists(oldName)) return TRenameResult::NotFound;
    if (oldName == newName) {
        t.Commit();
        return TRenameResult::Renamed;
    }
    if (exists(newName)) return TRenameResult::TargetExists;
    TStatement s(*this, "UPDATE RC_SCHEME SET NCONDITION=?4 WHERE CREATOR=?1 AND PROGRAMME=?2 AND NCONDITION=?3");
    s.Bind(1, user).Bind(2, program).Bind(3, oldName).Bind(4, newName);
    s.Step();
    t.Commit();
    return TRenameResult::Renamed;
}

std::vector<TSchemeRecord> TReportStore::LoadSchemes(const std::string& user, const std::string& program) {
    TTransaction t(*this, false);
    std::vector<TSchemeRecord> out;
    TStatement s(*this,
                 "SELECT NCONDITION, CREATOR, PROGRAMME, SCONDITION, VCONDITION, CREATE_DATE FROM RC_SCHEME"
                 " WHERE CREATOR=?1 AND PROGRAMME=?2 ORDER BY NCONDITION");
    s.Bind(1, user).Bind(2, program);
    while (s.Step())
        out.push_back({s.Text(0), s.Text(1), s.Text(2), s.Text(3), s.Text(4), s.Text(5)});
    t.Commit();
    return out;
}

// ---- Rights ----

TReportStore::TRightsAnswer TReportStore::FindRights(const std::string& db, const std::string& user,
                                                     const std::string& program, const std::string& fullRights,
                                                     const std::string& noRights) {
    TTransaction t(*this, false);
    TRightsAnswer answer;
    {
        // Most specific first: an exact database beats "*", then an exact program beats "*".
        TStatement s(*this,
                     "SELECT RIGHTS FROM RC_RIGHTS WHERE USERID=?1 AND DBNAME IN (?2, '*') AND PROGRAMID IN (?3, '*')"
                     " ORDER BY (DBNAME='*'), (PROGRAMID='*') LIMIT 1");
        s.Bind(1, user).Bind(2, db).Bind(3, program);
        if (s.Step()) {
            answer.Rights = s.Text(0);
            answer.Explicit = true;
        }
    }
    if (!answer.Explicit) {
        TStatement s(*this, "SELECT 1 FROM RC_RIGHTS LIMIT 1");
        answer.Rights = s.Step() ? noRights : fullRights;
    }
    t.Commit();
    return answer;
}

void TReportStore::SetRights(const std::string& db, const std::string& user, const std::string& program,
                             const std::string& rights) {
    TTransaction t(*this, true);
    TStatement s(*this, "INSERT OR REPLACE INTO RC_RIGHTS (DBNAME, USERID, PROGRAMID, RIGHTS) VALUES (?1, ?2, ?3, ?4)");
    s.Bind(1, db).Bind(2, user).Bind(3, program).Bind(4, rights);
    s.Step();
    t.Commit();
}

bool TReportStore::DeleteRights(const std::string& db, const std::string& user, const std::string& program) {
    TTransaction t(*this, true);
    TStatement s(*this, "DELETE FROM RC_RIGHTS WHERE DBNAME=?1 AND USERID=?2 AND PROGRAMID=?3");
    s.Bind(1, db).Bind(2, user).Bind(3, program);
    s.Step();
    const bool deleted = sqlite3_changes(fDb) > 0;
    t.Commit();
    return deleted;
}

// ---- Jobs ----

std::string TReportStore::InsertJob(TJobRecord& r) {
    TTransaction t(*this, true);
    {
        TStatement s(*this,
                     "INSERT INTO RC_JOB (ORIGIN, PROGRAMID, USERID, COMPANYID, DBNAME, SERVERCLASS, JOBKIND, GENCODE,"
                     " RUNTIME, PERIODIC, COMPUTER, REQUEST, PERIOD, DYNFIELDS, STATUS, MESSAGES, STATUS_TIME, CREATED)"
                     " VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11, ?12, ?13, ?14, ?15, ?16, ?17, ?18)");
        s.Bind(1, r.Origin).Bind(2, r.ProgramID).Bind(3, r.UserID).Bind(4, r.CompanyID).Bind(5, r.DbName)
            .Bind(6, r.ServerClass).Bind(7, r.JobKind).Bind(8, int64_t{r.GenerationCode}).Bind(9, r.RunTime)
            .Bind(10, int64_t{r.Periodic ? 1 : 0}).Bind(11, r.Computer).Bind(12, r.RequestJson).Bind(13, r.PeriodJson)
            .Bind(14, r.DynamicJson).Bind(15, r.Status).Bind(16, r.Messages).Bind(17, r.StatusTime)
            .Bind(18, r.Created);
        s.Step();
    }
    const int64_t id = sqlite3_last_insert_rowid(fDb);
    if (id > kMaxJobId)
        throw EDatabaseError("server store " + fFileName +
                             ": the eight-digit job numbers are used up; archive the job table and start a new store");
    char number[24];
    std::snprintf(number, sizeof number, "%08lld", static_cast<long long>(id));
    TStatement s(*this, "UPDATE RC_JOB SET JOBNO=?1 WHERE ID=?2");
    s.Bind(1, std::string(number)).Bind(2, id);
    s.Step();
    t.Commit();
    r.JobNo = number;
    return r.JobNo;
}

bool TReportStore::UpdateJobStatus(const std::string& jobText, const std::string& status,
                                   const std::string& messages, double time) {
    TTransaction t(*this, true);
    TStatement s(*this, "UPDATE RC_JOB SET STATUS=?2, MESSAGES=?3, STATUS_TIME=?4 WHERE JOBNO=?1");
    s.Bind(1, jobText.substr(0, 8)).Bind(2, status).Bind(3, messages).Bind(4, time);
    s.Step();
    const bool updated = sqlite3_changes(fDb) > 0;
    t.Commit();
    return updated;
}

namespace {
const char* const kJobColumns =
    "SELECT JOBNO, ORIGIN, PROGRAMID, USERID, COMPANYID, DBNAME, SERVERCLASS, JOBKIND, GENCODE, RUNTIME, PERIODIC,"
    " COMPUTER, REQUEST, PERIOD, DYNFIELDS, STATUS, MESSAGES, STATUS_TIME, CREATED FROM RC_JOB ";
}

TJobRecord TReportStore::ReadJob(const TStatement& s) {
    return TJobRecord{s.Text(0),  s.Text(1),  s.Text(2),  s.Text(3),  s.Text(4),  s.Text(5),
                      s.Text(6),  s.Text(7),  static_cast<int>(s.Int(8)), s.Real(9), s.Int(10) != 0,
                      s.Text(11), s.Text(12), s.Text(13), s.Text(14), s.Text(15), s.Text(16), s.Real(17),
                      s.Real(18)};
}

std::optional<TJobRecord> TReportStore::FindJob(const std::string& jobText) {
    TTransaction t(*this, false);
    TStatement s(*this, (std::string(kJobColumns) + "WHERE JOBNO=?1").c_str());
    s.Bind(1, jobText.substr(0, 8));
    std::optional<TJobRecord> out;
    if (s.Step()) out = ReadJob(s);
    t.Commit();
    return out;
}

std::vector<TJobRecord> TReportStore::ListJobs(const std::string& user, const std::string& program, int limit) {
    TTransaction t(*this, false);
    TStatement s(*this, (std::string(kJobColumns) +
                         "WHERE (?1='' OR USERID=?1) AND (?2='' OR PROGRAMID=?2) ORDER BY ID DESC LIMIT ?3")
                            .c_str());
    s.Bind(1, user).Bind(2, program).Bind(3, int64_t{limit});
    std::vector<TJobRecord> out;
    while (s.Step()) out.push_back(ReadJob(s));
    t.Commit();
    return out;
}

}  // namespace rcs
