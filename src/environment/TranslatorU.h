#pragma once
// The GB/BIG5 conversion library, loaded by name for the lifetime of a translator. Texts cross the
// boundary as UTF-8 (simplified <-> traditional characters); the answer is the library's per-thread
// buffer, copied at once.
#include <string>

#include "platform/core/Exceptions.h"
#include "platform/system/Library.h"

namespace qm {

// The library cannot be loaded or lacks one of the two conversion entry points.
class ETranslatorError : public plat::Exception {
public:
    using plat::Exception::Exception;
    const char* ClassName() const override { return "ETranslatorError"; }
};

class TTranslator {
public:
    using TTextFunc = const char* (*)(const char*);
    using TSaveOrderFunc = int (*)(const char*);
    using TLastErrorFunc = const char* (*)();

    static constexpr const char* LibraryName = "Radorudavu.dll";

    // Raises ETranslatorError "Load Library Radorudavu.dll Error!" or
    // "Get Library Procedure Address Error!".
    TTranslator();
    ~TTranslator();
    TTranslator(const TTranslator&) = delete;
    TTranslator& operator=(const TTranslator&) = delete;

    // BIG5 -> GB and GB -> BIG5. Without the entry point the text comes back unchanged; a failure
    // inside the library raises ETranslatorError with its reason.
    std::string ToGB(const std::string& text) const;
    std::string ToBIG5(const std::string& text) const;

    plat::HMODULE Handle() const { return fHandle; }
    TTextFunc GBtoBIG5() const { return fGBtoBIG5; }
    TTextFunc BIG5toGB() const { return fBIG5toGB; }
    TTextFunc GetBIG5Data() const { return fGetBIG5Data; }
    TTextFunc GetGBData() const { return fGetGBData; }
    TSaveOrderFunc SaveOrder() const { return fSaveOrder; }

private:
    std::string Call(TTextFunc f, const std::string& text) const;

    plat::HMODULE fHandle = nullptr;
    TTextFunc fGBtoBIG5 = nullptr;
    TTextFunc fBIG5toGB = nullptr;
    TTextFunc fGetBIG5Data = nullptr;
    TTextFunc fGetGBData = nullptr;
    TSaveOrderFunc fSaveOrder = nullptr;
    TLastErrorFunc fLastError = nullptr;
};

}  // namespace qm
