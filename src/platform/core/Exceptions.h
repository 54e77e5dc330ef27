#pragma once
// The error classes of the platform. Every failure inside the platform and the module is one of
// these (or derived from one); handlers catch them and turn them into messages or results.
#include <stdexcept>
#include <string>
#include <vector>

namespace plat {

// Base of every error raised by our code. ClassName() answers the run-time class name that
// error reports print ("Exception is %s").
class Exception : public std::runtime_error {
public:
    explicit Exception(const std::string& message) : std::runtime_error(message) {}
    const std::string Message() const { return what(); }
    virtual const char* ClassName() const { return "Exception"; }
};

#define PLAT_DECLARE_EXCEPTION(Name, Base)                                   \
    class Name : public Base {                                               \
    public:                                                                  \
        using Base::Base;                                                    \
        const char* ClassName() const override { return #Name; }             \
    };

PLAT_DECLARE_EXCEPTION(EAbort, Exception)              // silent: handlers show nothing
PLAT_DECLARE_EXCEPTION(EConvertError, Exception)       // text -> number/date conversions, Format
PLAT_DECLARE_EXCEPTION(EVariantError, Exception)       // Variant misuse
PLAT_DECLARE_EXCEPTION(EVariantTypeCastError, EVariantError)
PLAT_DECLARE_EXCEPTION(EVariantBadIndexError, EVariantError)
PLAT_DECLARE_EXCEPTION(EVariantArrayCreateError, EVariantError)
PLAT_DECLARE_EXCEPTION(EListError, Exception)          // string lists and other lists: index out of range
PLAT_DECLARE_EXCEPTION(EInvalidOperation, Exception)   // control operations that are not allowed now
PLAT_DECLARE_EXCEPTION(EPropertyError, Exception)      // unknown property / wrong kind
PLAT_DECLARE_EXCEPTION(EResNotFound, Exception)        // resource (description, bitmap) missing
PLAT_DECLARE_EXCEPTION(EReadError, Exception)          // malformed form description
PLAT_DECLARE_EXCEPTION(EComponentError, Exception)     // duplicate names and the like
PLAT_DECLARE_EXCEPTION(EClassNotFound, Exception)      // class registry misses a class
PLAT_DECLARE_EXCEPTION(EExternalException, Exception)  // a crash-like failure caught at a boundary

// A system call that failed; Code is the error number the system gave.
class EOSError : public Exception {
public:
    EOSError(const std::string& message, int code) : Exception(message), ErrorCode(code) {}
    const char* ClassName() const override { return "EOSError"; }
    int ErrorCode;
};
// The name error reports use for system errors.
class EWin32Error : public EOSError {
public:
    using EOSError::EOSError;
    const char* ClassName() const override { return "EWin32Error"; }
};

// File input/output failed; Code is the I/O error number.
class EInOutError : public Exception {
public:
    EInOutError(const std::string& message, int code) : Exception(message), ErrorCode(code) {}
    const char* ClassName() const override { return "EInOutError"; }
    int ErrorCode;
};

// A late-bound automation call failed; the callee's message travels in the text.
class EOleError : public Exception {
public:
    using Exception::Exception;
    const char* ClassName() const override { return "EOleError"; }
};
class EOleException : public EOleError {
public:
    EOleException(const std::string& message, int errorCode = 0, const std::string& source = {})
        : EOleError(message), ErrorCode(errorCode), Source(source) {}
    const char* ClassName() const override { return "EOleException"; }
    int ErrorCode;
    std::string Source;
};

// Database failures carry a list of sub-errors (code + message), as the database engine gave them.
struct TDBSubError {
    int ErrorCode = 0;
    std::string Message;
};
class EDatabaseError : public Exception {
public:
    using Exception::Exception;
    const char* ClassName() const override { return "EDatabaseError"; }
};
class EDBEngineError : public EDatabaseError {
public:
    EDBEngineError(const std::string& message, std::vector<TDBSubError> errors)
        : EDatabaseError(message), Errors(std::move(errors)) {}
    explicit EDBEngineError(const std::string& message) : EDatabaseError(message) {}
    const char* ClassName() const override { return "EDBEngineError"; }
    int ErrorCount() const { return static_cast<int>(Errors.size()); }
    std::vector<TDBSubError> Errors;
};

// The class name of any exception: ours answer their own, others give their C++ category.
const char* ExceptionClassName(const std::exception& e);

}  // namespace plat
