#include "server/dmReportCounter.h"

#include <mutex>

#include "environment/KOLTAGeneratorU.h"
#include "platform/core/SysUtils.h"
#include "platform/core/VariantJson.h"
#include "server/JobRequest.h"

using namespace plat;

namespace rcs {

namespace {

constexpr size_t kMaxNameBytes = 200;     // scheme names, user and program ids
constexpr size_t kMaxTextBytes = 4u << 20;  // control lists, value texts, messages

// The texts of a one-dimensional array's first `count` elements, from its low bound. False with
// `error` set when the argument is not such an array.
bool ReadTexts(const Variant& v, size_t count, std::vector<std::string>& out, std::string& error,
               const std::string& shape) {
    if (!v.IsArray() || v.DimCount() != 1 || v.ElementCount(1) < static_cast<int>(count)) {
        error = "expected " + shape + ", got " + (v.IsArray() ? "an array of " + std::to_string(v.ElementCount(1)) +
                                                                    " elements"
                                                              : Variant::TypeName(v.VarType()));
        return false;
    }
    out.clear();
    const int low = v.LowBound(1);
    for (size_t i = 0; i < count; ++i) {
        const Variant& item = v[low + static_cast<int>(i)];
        if (item.IsArray() || item.IsObject()) {
            error = "element " + std::to_string(i) + " of " + shape + " must be a text";
            return false;
        }
        out.push_back(VarToStr(item));
    }
    return true;
}

std::string CheckName(const std::string& what, const std::string& value) {
    if (Trim(value).empty()) return what + " is empty";
    if (value.size() > kMaxNameBytes)
        return what + " is longer than " + std::to_string(kMaxNameBytes) + " bytes";
    return {};
}

Variant TextArray(const std::vector<std::string>& items) {
    Variant a = VarArrayCreate({0, static_cast<int>(items.size()) - 1});
    for (size_t i = 0; i < items.size(); ++i) a[static_cast<int>(i)] = Variant(items[i]);
    return a;
}

}  // namespace

TdmReportCounter::TdmReportCounter(std::shared_ptr<const TServerContext> context, bool allowAdmin)
    : TDispatchObject(kServerClassName), fContext(std::move(context)), fAllowAdmin(allowAdmin) {
    fStore = std::make_unique<TReportStore>(fContext->Settings.StoreFile, fContext->Settings.BusyTimeoutMs);
    RegisterMethod("InsertConTable", [this](TAutoArgs& a) { return InsertConTable(a); });
    RegisterMethod("LoadTable", [this](TAutoArgs& a) { return LoadTable(a); });
    RegisterMethod("DeleteConTable", [this](TAutoArgs& a) { return DeleteConTable(a); });
    RegisterMethod("ChangeConName", [this](TAutoArgs& a) { return ChangeConName(a); });
    RegisterMethod("GetPower", [this](TAutoArgs& a) { return GetPower(a); });
    RegisterMethod("SetPower", [this](TAutoArgs& a) { return SetPower(a); });
    RegisterMethod("SQLType", [this](TAutoArgs&) { return Variant(fContext->SqlType); });
    RegisterMethod("Request", [this](TAutoArgs& a) { return Request(a); });
    RegisterMethod("Request1", [this](TAutoArgs& a) { return Request1(a); });
    RegisterMethod("ErrorDescript", [this](TAutoArgs&) { return Variant(fLastError); });
    RegisterMethod("UpdateStatus1", [this](TAutoArgs& a) { return UpdateStatus1(a); });
    RegisterMethod("ProviderRead", [this](TAutoArgs& a) { return ProviderRead(a); });
}

TdmReportCounter::~TdmReportCounter() = default;

void TdmReportCounter::Log(const std::string& line) const {
    if (fContext->Log) fContext->Log(line);
}

Variant TdmReportCounter::Answer(const std::string& method, const std::string& error) {
    if (!error.empty()) {
        fLastError = error;
        Log(method + ": " + error);
    }
    return Variant(error);
}

Variant TdmReportCounter::JobError(const std::string& method, const std::string& reason) {
    fLastError = reason;
    Log(method + " refused: " + reason);
    return Variant("ERROR");
}

// [name, user, created "YYYYMMDD", program, control list, value text, replace]
Variant TdmReportCounter::InsertConTable(TAutoArgs& a) {
    const Variant& record = a[0];
    std::vector<std::string> f;
    std::string error;
    if (!ReadTexts(record, 6, f, error, "the scheme record [name, user, date, program, controls, values, replace]"))
        return Answer("InsertConTable", error);
    if (record.ElementCount(1) != 7)
        return Answer("InsertConTable", "the scheme record must have 7 elements, has " +
                                            std::to_string(record.ElementCount(1)));
    bool replace;
    try {
        replace = record[record.LowBound(1) + 6].AsBoolean();
    } catch (const std::exception&) {
        return Answer("InsertConTable", "element 6 of the scheme record (replace) must be a Boolean");
    }
    for (auto [what, value] : {std::pair<const char*, const std::string*>{"the scheme name", &f[0]},
                               {"the user id", &f[1]},
                               {"the program id", &f[3]}})
        if (error = CheckName(what, *value); !error.empty()) return Answer("InsertConTable", error);
    if (f[2].size() > 20) return Answer("InsertConTable", "the creation date \"" + f[2] + "\" is not \"YYYYMMDD\"");
    if (f[4].size() > kMaxTextBytes || f[5].size() > kMaxTextBytes)
        return Answer("InsertConTable", "the scheme's texts are longer than " + std::to_string(kMaxTextBytes) + " bytes");
    const TSchemeRecord r{f[0], f[1], f[3], f[4], f[5], f[2]};
    switch (fStore->InsertScheme(r, replace)) {
        case TReportStore::TInsertResult::Exists:
            return Answer("InsertConTable", "a scheme named \"" + r.NCONDITION + "\" already exists for user " +
                                                r.CREATOR + " and program " + r.PROGRAMME +
                                                "; choose another name or replace it");
        case TReportStore::TInsertResult::Inserted:
        case TReportStore::TInsertResult::Replaced:
            break;
    }
    return Variant(std::string());
}

Variant TdmReportCounter::LoadTable(TAutoArgs& a) {
    std::vector<std::string> f;
    std::string error;
    if (!ReadTexts(a[0], 2, f, error, "[UserID, ProgramID]")) throw EOleException("LoadTable: " + error);
    fLoadUser = f[0];
    fLoadProgram = f[1];
    fLoaded = true;
    return Variant();
}

Variant TdmReportCounter::DeleteConTable(TAutoArgs& a) {
    std::vector<std::string> f;
    std::string error;
    if (!ReadTexts(a[0], 3, f, error, "[scheme name, UserID, ProgramID]")) return Answer("DeleteConTable", error);
    if (!fStore->DeleteScheme(f[0], f[1], f[2]))
        return Answer("DeleteConTable", "no scheme named \"" + f[0] + "\" exists for user " + f[1] + " and program " +
                                            f[2]);
    return Variant(std::string());
}

Variant TdmReportCounter::ChangeConName(TAutoArgs& a) {
    std::vector<std::string> from, to;
    std::string error;
    if (!ReadTexts(a[0], 3, from, error, "[old name, UserID, ProgramID]") ||
        !ReadTexts(a[1], 3, to, error, "[new name, UserID, ProgramID]"))
        return Answer("ChangeConName", error);
    if (from[1] != to[1] || from[2] != to[2])
        return Answer("ChangeConName", "renaming cannot move a scheme to another user or program");
    if (error = CheckName("the new scheme name", to[0]); !error.empty()) return Answer("ChangeConName", error);
    switch (fStore->RenameScheme(from[0], to[0], from[1], from[2])) {
        case TReportStore::TRenameResult::NotFound:
            return Answer("ChangeConName", "no scheme named \"" + from[0] + "\" exists for user " + from[1] +
                                               " and program " + from[2]);
        case TReportStore::TRenameResult::TargetExists:
            return Answer("ChangeConName", "a scheme named \"" + to[0] + "\" already exists for user " + from[1] +
                                               " and program " + from[2] + "; choose another name");
        case TReportStore::TRenameResult::Renamed:
            break;
    }
    return Variant(std::string());
}

// [DbName, UserID, ProgramID, ""] -> [UserID, "DbName,UserID,ProgramID,rights"]
Variant TdmReportCounter::GetPower(TAutoArgs& a) {
    std::vector<std::string> f;
    std::string error;
    if (!ReadTexts(a[0], 3, f, error, "[DbName, UserID, ProgramID, \"\"]")) throw EOleException("GetPower: " + error);
    for (const std::string& item : f)
        if (item.find(',') != std::string::npos)
            throw EOleException("GetPower: \"" + item + "\" contains a comma, which the rights record cannot carry");
    const auto rights = fStore->FindRights(f[0], f[1], f[2], kFullRights, kNoRights);
    return VarArrayOf({Variant(f[1]), Variant(f[0] + "," + f[1] + "," + f[2] + "," + rights.Rights)});
}

// [DbName or "*", UserID, ProgramID or "*", rights]; empty rights remove the entry.
Variant TdmReportCounter::SetPower(TAutoArgs& a) {
    if (!fAllowAdmin)
        return Answer("SetPower", "setting rights is not allowed on this connection; configure a shared secret and "
                                  "connect with it, or use the server in process");
    std::vector<std::string> f;
    std::string error;
    if (!ReadTexts(a[0], 4, f, error, "[DbName, UserID, ProgramID, rights]")) return Answer("SetPower", error);
    for (size_t i = 0; i < 3; ++i)
        if (error = CheckName(i == 0 ? "the database" : i == 1 ? "the user id" : "the program id", f[i]);
            !error.empty())
            return Answer("SetPower", error);
    for (const std::string& item : f)
        if (item.find(',') != std::string::npos)
            return Answer("SetPower", "\"" + item + "\" contains a comma, which the rights record cannot carry");
    if (f[3].size() > 64) return Answer("SetPower", "a rights code has at most 64 characters");
    if (f[3].empty())
        fStore->DeleteRights(f[0], f[1], f[2]);
    else
        fStore->SetRights(f[0], f[1], f[2], f[3]);
    Log("SetPower: rights of user " + f[1] + " for program " + f[2] + " in " + f[0] + " set to \"" + f[3] + "\"");
    return Variant(std::string());
}

Variant TdmReportCounter::Request(TAutoArgs& a) {
    const Variant& request = a.Get(0);
    TJobFacts facts;
    try {
        facts = ValidateJobRequest(request);
    } catch (const EJobRequestError& e) {
        return JobError("Request", e.Message());
    }
    TJobRecord job;
    job.Origin = "Q";
    job.ProgramID = facts.ProgramID;
    job.UserID = facts.UserID;
    job.CompanyID = facts.CompanyID;
    job.DbName = facts.DbName;
    job.ServerClass = facts.ServerClass;
    job.JobKind = facts.JobKind;
    job.GenerationCode = facts.GenerationCode;
    job.RunTime = facts.RunTime;
    job.Periodic = facts.Periodic;
    job.Status = "WAITING";
    job.Created = Now();
    try {
        job.RequestJson = VariantToJson(request);
        if (facts.Periodic) {
            job.PeriodJson = VariantToJson(request[3]);
            job.DynamicJson = VariantToJson(request[4]);
        }
        fStore->InsertJob(job);
    } catch (const std::exception& e) {
        return JobError("Request", std::string("the server could not store the job: ") + e.what());
    }
    return Variant(job.JobNo);
}

// The job request (an array as Request takes it, or a text) and the workstation's name.
Variant TdmReportCounter::Request1(TAutoArgs& a) {
    const Variant& request = a.Get(0);
    const Variant computer = a.Get(1);
    TJobRecord job;
    job.Origin = "C";
    job.Status = "REGISTERED";
    job.Created = Now();
    job.RunTime = job.Created;
    if (request.IsArray()) {
        try {
            const TJobFacts facts = ValidateJobRequest(request);
            job.ProgramID = facts.ProgramID;
            job.UserID = facts.UserID;
            job.CompanyID = facts.CompanyID;
            job.DbName = facts.DbName;
            job.ServerClass = facts.ServerClass;
            job.JobKind = facts.JobKind;
            job.GenerationCode = facts.GenerationCode;
            job.Periodic = facts.Periodic;
        } catch (const EJobRequestError& e) {
            return JobError("Request1", e.Message());
        }
    } else if (!request.IsText() || Trim(request.AsString()).empty()) {
        return JobError("Request1", "the job request must be an array or a non-empty text, got " +
                                        Variant::TypeName(request.VarType()));
    }
    if (!computer.IsEmpty()) {
        if (!computer.IsText() || computer.AsString().size() > 255)
            return JobError("Request1", "the computer name must be a text of at most 255 bytes");
        job.Computer = computer.AsString();
    }
    try {
        job.RequestJson = VariantToJson(request);
        fStore->InsertJob(job);
    } catch (const std::exception& e) {
        return JobError("Request1", std::string("the server could not store the job: ") + e.what());
    }
    return Variant(job.JobNo);
}

// Failures change nothing and are only logged: the client ignores this call's outcome.
Variant TdmReportCounter::UpdateStatus1(TAutoArgs& a) {
    const std::string jobText = VarToStr(a.Get(0).IsArray() ? Variant() : a.Get(0));
    if (SameText(Trim(jobText), "ERROR") || Trim(jobText).empty()) {
        Log("UpdateStatus1: job text \"" + jobText + "\" names no job; nothing recorded");
        return Variant();
    }
    std::string messages;
    double time = Now();
    try {
        messages = VarToStr(a.Get(1));
        if (a.Count() > 2 && !a[2].IsEmpty()) time = a[2].AsDouble();
    } catch (const std::exception& e) {
        Log("UpdateStatus1: job " + jobText + ": unreadable arguments (" + e.what() + "); nothing recorded");
        return Variant();
    }
    if (messages.size() > kMaxTextBytes) messages.resize(kMaxTextBytes);
    if (!fStore->UpdateJobStatus(jobText, "REPORTED", messages, time))
        Log("UpdateStatus1: no job " + jobText.substr(0, 8) + " in the store; nothing recorded");
    return Variant();
}

// ProviderRead(name [, start [, count]]) -> [field names, records]; every record an array of
// values in field order. Reads serve what the last LoadTable chose.
Variant TdmReportCounter::ProviderRead(TAutoArgs& a) {
    const std::string name = a[0].AsString();
    const int start = a.Get(1, Variant(0)).AsInteger();
    const int count = a.Get(2, Variant(-1)).AsInteger();
    if (start < 0) throw EOleException("ProviderRead: the start record must not be negative");
    std::vector<std::string> fields;
    std::vector<Variant> rows;
    auto page = [&](size_t total, auto&& row) {
        const size_t end = count < 0 ? total : std::min(total, static_cast<size_t>(start) + static_cast<size_t>(count));
        for (size_t i = static_cast<size_t>(start); i < end; ++i) rows.push_back(row(i));
    };
    if (SameText(name, "pvdConSave")) {
        fields = {"NCONDITION", "CREATOR", "PROGRAMME", "SCONDITION", "VCONDITION", "CREATE_DATE"};
        if (fLoaded) {
            const auto schemes = fStore->LoadSchemes(fLoadUser, fLoadProgram);
            page(schemes.size(), [&](size_t i) {
                const TSchemeRecord& s = schemes[i];
                return TextArray({s.NCONDITION, s.CREATOR, s.PROGRAMME, s.SCONDITION, s.VCONDITION, s.CREATE_DATE});
            });
        }
    } else if (SameText(name, "pvdJobs")) {
        fields = {"JOBNO", "ORIGIN", "PROGRAMME", "CREATOR", "COMPANY", "DBNAME", "SERVERCLASS", "JOBKIND",
                  "GENCODE", "RUNTIME", "PERIODIC", "COMPUTER", "STATUS", "MESSAGES", "STATUS_TIME", "CREATED",
                  "REQUEST"};
        if (fLoaded) {
            const auto jobs = fStore->ListJobs(fLoadUser, fLoadProgram);
            page(jobs.size(), [&](size_t i) {
                const TJobRecord& j = jobs[i];
                return VarArrayOf({Variant(j.JobNo), Variant(j.Origin), Variant(j.ProgramID), Variant(j.UserID),
                                   Variant(j.CompanyID), Variant(j.DbName), Variant(j.ServerClass),
                                   Variant(j.JobKind), Variant(j.GenerationCode), Variant::Date(j.RunTime),
                                   Variant(j.Periodic), Variant(j.Computer), Variant(j.Status),
                                   Variant(j.Messages), Variant::Date(j.StatusTime), Variant::Date(j.Created),
                                   Variant(j.RequestJson)});
            });
        }
    } else {
        throw EOleException("ProviderRead: this server has no provider \"" + name +
                            "\"; it offers pvdConSave and pvdJobs");
    }
    Variant records = VarArrayCreate({0, static_cast<int>(rows.size()) - 1});
    for (size_t i = 0; i < rows.size(); ++i) records[static_cast<int>(i)] = std::move(rows[i]);
    // Assembled by moving: copying a Variant copies its whole array.
    Variant answer = VarArrayCreate({0, 1});
    answer[0] = TextArray(fields);
    answer[1] = std::move(records);
    return answer;
}

std::shared_ptr<const TServerContext> MakeServerContext(const TServerSettings& settings,
                                                        std::function<void(const std::string&)> log) {
    auto context = std::make_shared<TServerContext>();
    context->Settings = settings;
    context->SqlType = kSqlTypeSqlite;
    if (log)
        context->Log = std::move(log);
    else
        context->Log = [](const std::string& line) { qm::WriteLog("ReportCounterS", line, "D"); };
    for (const std::string& note : settings.Notes) context->Log(note);
    return context;
}

std::shared_ptr<const TServerContext> InProcessServerContext() {
    static std::mutex lock;
    static std::shared_ptr<const TServerContext> context;
    std::lock_guard<std::mutex> guard(lock);
    if (!context) context = MakeServerContext(TServerSettings::FromRegistry());
    return context;
}

}  // namespace rcs
