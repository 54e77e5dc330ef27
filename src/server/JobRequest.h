#pragma once
// The job request a client submits (Request, Request1): its shape is checked before anything is
// stored, so a job in the store can always be run later. The reason of a refusal is a sentence
// naming the element that is wrong; the server keeps it for ErrorDescript.
//
//   [0] environment, bounds 1..n (n >= 12): 1 program id, 2 n, 3 option count, 4 company,
//       5 user, 6 database, 7 built at (date-time), 8 server class, 9 job kind (lower case for a
//       periodic job), 10 generation code 0..2, 11 run time (date-time), 12 recipients; 13.. free
//   [1] options, bounds 1..option count, each [caption, control name]
//   [2] option values, bounds 1..option count, none empty or null; a selection panel's range is
//       [#4, begin, end], its list [#5, row, ...]
//   [3] periodic only: ["Y", "hh:mm", cycle [code 0..3, settings], range [start, 0|1|2, ...]]
//   [4] periodic only: [K, descriptor 1, ..., descriptor K], fields separated by #3
#include <string>

#include "platform/core/Variant.h"

namespace rcs {

class EJobRequestError : public plat::Exception {
public:
    using Exception::Exception;
    const char* ClassName() const override { return "EJobRequestError"; }
};

struct TJobFacts {
    std::string ProgramID;
    std::string UserID;
    std::string CompanyID;
    std::string DbName;
    std::string ServerClass;
    std::string JobKind;
    int GenerationCode = 0;
    double RunTime = 0;
    bool Periodic = false;
};

// Checks the request and returns what the store keeps in columns of their own. Raises
// EJobRequestError with the reason.
TJobFacts ValidateJobRequest(const plat::Variant& request);

}  // namespace rcs
