#include "environment/LibXml.h"

#include <fstream>
#include <iterator>

#include "environment/LibSys.h"
#include "platform/core/SysUtils.h"
#include "platform/forms/Dialogs.h"
#include "platform/system/CodePage.h"
#include "platform/system/Library.h"
#include "platform/system/SysInfo.h"

using namespace plat;

namespace qm {

namespace {

constexpr const char* kLibraryName = "CallWebService.dll";
constexpr const char* kTracePause = "跟踪测试中断!可在此时设置Dll之Modules。点\"OK\"继续。";
constexpr size_t kHeadChars = 100;

bool IsLeadByte(unsigned char c) { return (c & 0xC0) != 0x80; }

// Byte offset of character `index` (0-based) of a UTF-8 text; the text's size past its end.
size_t ByteOffsetOfChar(const std::string& text, size_t index) {
    size_t chars = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        if (!IsLeadByte(static_cast<unsigned char>(text[i]))) continue;
        if (chars == index) return i;
        ++chars;
    }
    return text.size();
}

// Number of characters before byte offset `offset` of a UTF-8 text.
size_t CharIndexOfByte(const std::string& text, size_t offset) {
    size_t chars = 0;
    for (size_t i = 0; i < offset && i < text.size(); ++i)
        if (IsLeadByte(static_cast<unsigned char>(text[i]))) ++chars;
    return chars;
}

// 1-based character position of `what` in `text`, 0 when absent.
size_t CharPos(const std::string& text, const std::string& what) {
    size_t at = text.find(what);
    return at == std::string::npos ? 0 : CharIndexOfByte(text, at) + 1;
}

// Inserts `what` before character `pos` (1-based) of `text`; positions before the first character
// insert at the start, positions past the end append.
void InsertAtChar(std::string& text, const std::string& what, long pos) {
    size_t index = pos < 1 ? 0 : static_cast<size_t>(pos - 1);
    text.insert(ByteOffsetOfChar(text, index), what);
}

std::string ReadWholeFile(const std::string& fileName) {
    std::ifstream in(fileName, std::ios::binary);
    if (!in) throw EInOutError("Cannot open file \"" + fileName + "\"", 2);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace

// ---- Header repair ----------------------------------------------------------------------------

std::string FixXMLHeader(const std::string& text) {
    // The head: the first characters, lower-cased, without CR LF pairs, trimmed.
    std::string head = LowerCase(text.substr(0, ByteOffsetOfChar(text, kHeadChars)));
    for (size_t at; (at = head.find("\r\n")) != std::string::npos;) head.erase(at, 2);
    head = Trim(head);

    const bool hasDeclaration = head.rfind("<?xml", 0) == 0;
    const size_t docTypePos = CharPos(head, "<!doctype");
    const bool hasEncoding = head.find("encoding=") != std::string::npos;

    if (!hasDeclaration) return std::string(XMLDeclarationGB2312) + (docTypePos == 0 ? XMLDocTypeSC : "") + text;

    std::string result = text;
    const long k = static_cast<long>(CharPos(head, "?>"));
    // The later position first, so the earlier insertion does not move it.
    if (docTypePos == 0) InsertAtChar(result, XMLDocTypeSC, k + 2);
    if (!hasEncoding) InsertAtChar(result, XMLEncodingGB2312, k);
    return result;
}

// ---- Documents ----------------------------------------------------------------------------------

TXmlDocument NewXMLDocument() { return TXmlDocument(); }

TXmlDocument LoadXMLFromText(const std::string& text) {
    TXmlDocument doc = NewXMLDocument();
    doc.LoadXML(text);
    return doc;
}

TXmlDocument LoadXMLText(const std::string& text) { return LoadXMLFromText(FixXMLHeader(text)); }

TXmlNode FindChildElement(const TXmlNode& node, const std::string& name, bool create) {
    TXmlNode found = node.SelectSingleNode(name);
    if (found || !create) return found;
    TXmlNode parent = node;
    return parent.AppendChild(node.OwnerDocument().CreateElement(name));
}

std::string GetAttributeText(const TXmlNode& element, const std::string& name) {
    if (!element) return "";
    return element.GetAttribute(name);
}

void SetAttributeText(const TXmlNode& element, const std::string& name, const std::string& value) {
    TXmlNode target = element;
    target.SetAttribute(name, value);
}

// ---- Web service ------------------------------------------------------------------------------

std::string WebServiceResultFileName() {
    return GetTempFolder() + "~Velin_" + FormatDateTime("yyyymmddhhnnsszzz", Now()) + ".tmp";
}

std::string CallWebService(const std::string& address, const std::string& operation, const std::string& request) {
    const std::string resultFile = WebServiceResultFileName();
    // Kept loaded for the life of the process, as every later call needs it again.
    HMODULE library = LoadLibrary(kLibraryName);
    if (UpperCase(ParamStr(ParamCount())) == "T") ShowMessage(kTracePause);
    if (!library) return "";
    auto call = reinterpret_cast<TCallWebServiceFx>(GetProcAddress(library, "CallWebServiceFx"));
    if (!call) return "";
    auto lastError = reinterpret_cast<TCallWebServiceLastError>(GetProcAddress(library, "CallWebServiceLastError"));

    const int rc = call(address.c_str(), operation.c_str(), request.c_str(), resultFile.c_str());
    if (rc != 0) {
        DeleteFile(resultFile);
        const char* reason = lastError ? lastError() : nullptr;
        throw EWebServiceError(reason && *reason ? std::string(reason)
                                                 : "CallWebServiceFx failed with code " + std::to_string(rc));
    }
    std::string response = ReadWholeFile(resultFile);
    DeleteFile(resultFile);
    // The library writes UTF-8; a response in the old narrow code page is read as such.
    if (!IsValidUtf8(response)) response = CodePageToUtf8(response, 936);
    return response;
}

}  // namespace qm
