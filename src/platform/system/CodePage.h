#pragma once
// Text in code pages. Inside the process text is UTF-8; bytes in a code page exist only at the
// edges (files, the wire, byte lengths the forms reason about).
// Supported code pages (iconv names): 936 (CP936 = GBK), 950 (CP950 = BIG5), 437 (CP437),
// 1252 (CP1252), 54936 (GB18030), 65001 (UTF-8). Another number raises EConvertError.
#include <string>

namespace plat {

// The iconv name of a code page ("CP936"); raises EConvertError for an unsupported one.
std::string CodePageName(int codePage);
// Parses a code page written as text ("936", "cp936", "GBK", "BIG5", "utf-8"); 0 when unknown.
int CodePageFromName(const std::string& name);
// UTF-8 -> code page bytes. A character the code page lacks becomes '?'; invalid UTF-8 bytes
// become '?' too.
std::string Utf8ToCodePage(const std::string& text, int codePage);
// Code page bytes -> UTF-8. A byte sequence the code page does not define becomes '?'.
std::string CodePageToUtf8(const std::string& bytes, int codePage);
// Length in bytes of `text` encoded in `codePage` ("费用预算" in 936 is 8).
int CodePageByteLength(const std::string& text, int codePage);
// True when `bytes` is well-formed UTF-8.
bool IsValidUtf8(const std::string& bytes);

}  // namespace plat
