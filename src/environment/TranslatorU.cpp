#include "environment/TranslatorU.h"

namespace qm {

TTranslator::TTranslator() {
    fHandle = plat::LoadLibrary(LibraryName);
    if (!fHandle) throw ETranslatorError(std::string("Load Library ") + LibraryName + " Error!");
    fGBtoBIG5 = reinterpret_cast<TTextFunc>(plat::GetProcAddress(fHandle, "GBtoBIG5"));
    fBIG5toGB = reinterpret_cast<TTextFunc>(plat::GetProcAddress(fHandle, "BIG5toGB"));
    fGetBIG5Data = reinterpret_cast<TTextFunc>(plat::GetProcAddress(fHandle, "GetBIG5Data"));
    fGetGBData = reinterpret_cast<TTextFunc>(plat::GetProcAddress(fHandle, "GetGBData"));
    fSaveOrder = reinterpret_cast<TSaveOrderFunc>(plat::GetProcAddress(fHandle, "SaveOrder"));
    fLastError = reinterpret_cast<TLastErrorFunc>(plat::GetProcAddress(fHandle, "RadorudavuLastError"));
    if (!fGBtoBIG5 || !fBIG5toGB) {
        plat::FreeLibrary(fHandle);
        fHandle = nullptr;
        throw ETranslatorError("Get Library Procedure Address Error!");
    }
}

TTranslator::~TTranslator() {
    if (fHandle) plat::FreeLibrary(fHandle);
}

std::string TTranslator::Call(TTextFunc f, const std::string& text) const {
    if (!f) return text;
    const char* answer = f(text.c_str());
    if (!answer) {
        std::string reason = fLastError ? fLastError() : "";
        throw ETranslatorError("Text conversion failed" + (reason.empty() ? std::string() : ": " + reason));
    }
    return answer;  // copied before any other call can reuse the library's buffer
}

std::string TTranslator::ToGB(const std::string& text) const { return Call(fBIG5toGB, text); }
std::string TTranslator::ToBIG5(const std::string& text) const { return Call(fGBtoBIG5, text); }

}  // namespace qm
