#include "client/radorudavu/Radorudavu.h"

#include <opencc/Config.hpp>
#include <opencc/Conversion.hpp>
#include <opencc/ConversionChain.hpp>
#include <opencc/Converter.hpp>
#include <opencc/Dict.hpp>
#include <opencc/DictEntry.hpp>
#include <opencc/Exception.hpp>
#include <opencc/Lexicon.hpp>

#include <dlfcn.h>
#include <unistd.h>

#include <fstream>
#include <mutex>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

// The text handed back to the caller and the last failure, one of each per calling thread.
thread_local std::string tAnswer;
thread_local std::string tLastError;

enum class TDirection { ToTraditional, ToSimplified };

const char* ConfigName(TDirection d) { return d == TDirection::ToTraditional ? "s2t.json" : "t2s.json"; }

// Folders searched for the OpenCC data: one shipped beside this library wins over the system's.
std::vector<std::string> DataFolders() {
    std::vector<std::string> folders;
    Dl_info info{};
    if (dladdr(reinterpret_cast<void*>(&DataFolders), &info) && info.dli_fname) {
        std::string self = info.dli_fname;
        const auto slash = self.rfind('/');
        folders.push_back((slash == std::string::npos ? std::string(".") : self.substr(0, slash)) + "/opencc/");
    }
    folders.push_back("/usr/share/opencc/");
    return folders;
}

opencc::ConverterPtr LoadConverter(TDirection d) {
    std::string tried;
    for (const std::string& folder : DataFolders()) {
        const std::string path = folder + ConfigName(d);
        if (::access(path.c_str(), R_OK) != 0) {
            tried += (tried.empty() ? "" : ", ") + path;
            continue;
        }
        try {
            opencc::Config config;
            return config.NewFromFile(path);
        } catch (const opencc::Exception& e) {
            throw std::runtime_error("The conversion data " + path + " cannot be loaded: " + e.what());
        }
    }
    throw std::runtime_error(std::string("The conversion data ") + ConfigName(d) + " was not found (looked for " +
                             tried + "); install the OpenCC data package.");
}

// Loaded on first use; a failed load is tried again on the next call.
const opencc::Converter& ConverterFor(TDirection d) {
    static std::mutex lock;
    static opencc::ConverterPtr converters[2];
    std::lock_guard<std::mutex> guard(lock);
    opencc::ConverterPtr& slot = converters[d == TDirection::ToTraditional ? 0 : 1];
    if (!slot) slot = LoadConverter(d);
    return *slot;
}

// Length of the UTF-8 sequence starting at S[i], 0 when it is not well-formed.
size_t SequenceLength(const std::string& s, size_t i) {
    const auto b0 = static_cast<unsigned char>(s[i]);
    size_t len;
    unsigned min;
    if (b0 < 0x80) return 1;
    if (b0 >= 0xC2 && b0 <= 0xDF) { len = 2; min = 0x80; }
    else if (b0 >= 0xE0 && b0 <= 0xEF) { len = 3; min = 0x800; }
    else if (b0 >= 0xF0 && b0 <= 0xF4) { len = 4; min = 0x10000; }
    else return 0;
    if (i + len > s.size()) return 0;
    unsigned cp = b0 & (0x7F >> len);
    for (size_t k = 1; k < len; ++k) {
        const auto b = static_cast<unsigned char>(s[i + k]);
        if ((b & 0xC0) != 0x80) return 0;
        cp = (cp << 6) | (b & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
    return len;
}

std::string ValidText(const char* text) {
    std::string s = text ? text : "";
    for (size_t i = 0; i < s.size();) {
        const size_t len = SequenceLength(s, i);
        if (len == 0)
            throw std::runtime_error("The text is not UTF-8 (byte " + std::to_string(i) + "); convert it to UTF-8 first.");
        i += len;
    }
    return s;
}

std::string Convert(TDirection d, const char* text) {
    const std::string s = ValidText(text);
    if (s.empty()) return s;
    return ConverterFor(d).Convert(s);
}

// Every form of one character, the preferred first, as the first conversion's tables give them.
std::string Candidates(TDirection d, const char* text) {
    const std::string s = ValidText(text);
    if (s.empty()) return s;
    const std::string ch = s.substr(0, SequenceLength(s, 0));
    const auto conversions = ConverterFor(d).GetConversionChain()->GetConversions();
    if (conversions.empty()) return ch;
    const opencc::Optional<const opencc::DictEntry*> entry = conversions.front()->GetDict()->Match(ch);
    if (entry.IsNull()) return ch;
    std::string out;
    for (const std::string& v : entry.Get()->Values()) out += v;
    return out.empty() ? ch : out;
}

int WriteOrder(const char* fileName) {
    if (!fileName || !*fileName) throw std::runtime_error("SaveOrder needs a file name.");
    std::ofstream out(fileName, std::ios::binary | std::ios::trunc);
    if (!out) throw std::runtime_error(std::string("The file ") + fileName + " cannot be written.");
    int count = 0;
    for (TDirection d : {TDirection::ToTraditional, TDirection::ToSimplified}) {
        out << (d == TDirection::ToTraditional ? "[GBtoBIG5]\n" : "[BIG5toGB]\n");
        const auto conversions = ConverterFor(d).GetConversionChain()->GetConversions();
        if (conversions.empty()) continue;
        const opencc::DictPtr dict = conversions.front()->GetDict();
        std::set<std::string> characters;  // sorted, once each, as the conversion sees them
        const opencc::LexiconPtr lexicon = dict->GetLexicon();  // keep it alive while walking it
        for (const auto& entry : *lexicon) {
            const std::string key = entry->Key();
            if (!key.empty() && SequenceLength(key, 0) == key.size()) characters.insert(key);
        }
        for (const std::string& ch : characters) {
            const auto entry = dict->Match(ch);
            if (entry.IsNull()) continue;
            out << ch << '\t';
            bool first = true;
            for (const std::string& v : entry.Get()->Values()) {
                out << (first ? "" : " ") << v;
                first = false;
            }
            out << '\n';
            ++count;
        }
    }
    out.close();
    if (!out) throw std::runtime_error(std::string("The file ") + fileName + " could not be written completely.");
    return count;
}

// Runs one entry point: nothing escapes into the caller, a failure becomes null + reason.
template <class F>
const char* TextCall(F&& f) {
    tLastError.clear();
    try {
        tAnswer = f();
        return tAnswer.c_str();
    } catch (const opencc::Exception& e) {
        tLastError = e.what();
    } catch (const std::exception& e) {
        tLastError = e.what();
    } catch (...) {
        tLastError = "Unknown failure in the conversion library.";
    }
    return nullptr;
}

}  // namespace

extern "C" {

const char* GBtoBIG5(const char* text) {
    return TextCall([&] { return Convert(TDirection::ToTraditional, text); });
}

const char* BIG5toGB(const char* text) {
    return TextCall([&] { return Convert(TDirection::ToSimplified, text); });
}

const char* GetBIG5Data(const char* text) {
    return TextCall([&] { return Candidates(TDirection::ToTraditional, text); });
}

const char* GetGBData(const char* text) {
    return TextCall([&] { return Candidates(TDirection::ToSimplified, text); });
}

int SaveOrder(const char* fileName) {
    tLastError.clear();
    try {
        return WriteOrder(fileName);
    } catch (const opencc::Exception& e) {
        tLastError = e.what();
    } catch (const std::exception& e) {
        tLastError = e.what();
    } catch (...) {
        tLastError = "Unknown failure in the conversion library.";
    }
    return -1;
}

const char* RadorudavuLastError(void) { return tLastError.c_str(); }

}  // extern "C"
