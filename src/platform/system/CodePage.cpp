#include "platform/system/CodePage.h"

#include <iconv.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>

#include "platform/core/Exceptions.h"

namespace plat {

namespace {

std::string Lower(std::string s) {
    for (auto& c : s)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return s;
}

// Length of the UTF-8 sequence starting at s[i], or 0 when it is malformed there.
size_t Utf8SeqLen(const std::string& s, size_t i) {
    const auto b = static_cast<unsigned char>(s[i]);
    size_t n;
    uint32_t cp;
    if (b < 0x80) return 1;
    if (b >= 0xC2 && b <= 0xDF) { n = 2; cp = b & 0x1F; }
    else if (b >= 0xE0 && b <= 0xEF) { n = 3; cp = b & 0x0F; }
    else if (b >= 0xF0 && b <= 0xF4) { n = 4; cp = b & 0x07; }
    else return 0;
    if (i + n > s.size()) return 0;
    for (size_t k = 1; k < n; ++k) {
        const auto c = static_cast<unsigned char>(s[i + k]);
        if ((c & 0xC0) != 0x80) return 0;
        cp = (cp << 6) | (c & 0x3F);
    }
    if ((n == 3 && cp < 0x800) || (n == 4 && (cp < 0x10000 || cp > 0x10FFFF)) ||
        (cp >= 0xD800 && cp <= 0xDFFF))
        return 0;
    return n;
}

class Converter {
public:
    Converter(const std::string& to, const std::string& from) {
        fCd = iconv_open(to.c_str(), from.c_str());
        if (fCd == reinterpret_cast<iconv_t>(-1))
            throw EConvertError("Text conversion from " + from + " to " + to +
                                " is not available on this system (iconv)");
    }
    ~Converter() { iconv_close(fCd); }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    // Converts `in`; at an unconvertible or malformed input unit writes '?' (in the target
    // encoding, which is ASCII-compatible for every supported page) and skips `skip(in, pos)`
    // bytes.
    template <typename Skip>
    std::string Run(const std::string& in, Skip skip) {
        std::string out;
        out.reserve(in.size() * 2 + 8);
        char buf[4096];
        size_t pos = 0;
        iconv(fCd, nullptr, nullptr, nullptr, nullptr);
        while (pos < in.size()) {
            char* src = const_cast<char*>(in.data()) + pos;
            size_t srcLeft = in.size() - pos;
            char* dst = buf;
            size_t dstLeft = sizeof buf;
            const size_t r = iconv(fCd, &src, &srcLeft, &dst, &dstLeft);
            out.append(buf, static_cast<size_t>(dst - buf));
            pos = static_cast<size_t>(src - in.data());
            if (r == static_cast<size_t>(-1)) {
                if (errno == E2BIG) continue;
                // EILSEQ or EINVAL (truncated sequence at the end).
                out.push_back('?');
                pos += std::max<size_t>(1, skip(in, pos));
                iconv(fCd, nullptr, nullptr, nullptr, nullptr);
            }
        }
        dstFlush(out);
        return out;
    }

private:
    void dstFlush(std::string& out) {
        char buf[64];
        char* dst = buf;
        size_t dstLeft = sizeof buf;
        iconv(fCd, nullptr, nullptr, &dst, &dstLeft);
        out.append(buf, static_cast<size_t>(dst - buf));
    }
    iconv_t fCd;
};

// How many bytes a malformed/unmappable unit of a code page occupies: a lead byte of a
// double-byte page takes its trail byte with it when there is one.
size_t CodePageUnitLen(int codePage, const std::string& s, size_t i) {
    const auto b = static_cast<unsigned char>(s[i]);
    if ((codePage == 936 || codePage == 950 || codePage == 54936) && b >= 0x81 && b <= 0xFE &&
        i + 1 < s.size())
        return 2;
    return 1;
}

}  // namespace

std::string CodePageName(int codePage) {
    switch (codePage) {
        case 936: return "CP936";
        case 950: return "CP950";
        case 437: return "CP437";
        case 1252: return "CP1252";
        case 54936: return "GB18030";
        case 65001: return "UTF-8";
        default:
            throw EConvertError("Code page " + std::to_string(codePage) +
                                " is not supported (use 936, 950, 437, 1252, 54936 or 65001)");
    }
}

int CodePageFromName(const std::string& name) {
    std::string n = Lower(name);
    while (!n.empty() && (n.front() == ' ' || n.front() == '\t')) n.erase(0, 1);
    while (!n.empty() && (n.back() == ' ' || n.back() == '\t')) n.pop_back();
    if (n.rfind("cp", 0) == 0) n.erase(0, 2);
    if (n == "936" || n == "gbk" || n == "gb2312") return 936;
    if (n == "950" || n == "big5") return 950;
    if (n == "437") return 437;
    if (n == "1252" || n == "windows-1252") return 1252;
    if (n == "54936" || n == "gb18030") return 54936;
    if (n == "65001" || n == "utf-8" || n == "utf8") return 65001;
    return 0;
}

bool IsValidUtf8(const std::string& bytes) {
    for (size_t i = 0; i < bytes.size();) {
        const size_t n = Utf8SeqLen(bytes, i);
        if (n == 0) return false;
        i += n;
    }
    return true;
}

std::string Utf8ToCodePage(const std::string& text, int codePage) {
    const std::string name = CodePageName(codePage);
    if (codePage == 65001) {
        if (IsValidUtf8(text)) return text;
    }
    Converter c(name, "UTF-8");
    return c.Run(text, [](const std::string& s, size_t i) {
        const size_t n = Utf8SeqLen(s, i);
        return n == 0 ? size_t{1} : n;
    });
}

std::string CodePageToUtf8(const std::string& bytes, int codePage) {
    const std::string name = CodePageName(codePage);
    if (codePage == 65001 && IsValidUtf8(bytes)) return bytes;
    Converter c("UTF-8", name);
    return c.Run(bytes, [codePage](const std::string& s, size_t i) {
        if (codePage == 65001) {
            const size_t n = Utf8SeqLen(s, i);
            return n == 0 ? size_t{1} : n;
        }
        return CodePageUnitLen(codePage, s, i);
    });
}

int CodePageByteLength(const std::string& text, int codePage) {
    return static_cast<int>(Utf8ToCodePage(text, codePage).size());
}

}  // namespace plat
