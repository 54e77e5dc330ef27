#include "client/callwebservice/CallWebService.h"

#include <curl/curl.h>
#include <iconv.h>
#include <libxml/parser.h>
#include <libxml/tree.h>

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <mutex>
#include <string>

namespace {

thread_local std::string lastError;

constexpr long kConnectTimeoutSeconds = 15;
constexpr long kTimeoutSeconds = 120;

int Fail(int code, const std::string& reason) {
    lastError = reason;
    return code;
}

std::string Escape(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        switch (c) {
            case '&': out += "&amp;"; break;
            case '<': out += "&lt;"; break;
            case '>': out += "&gt;"; break;
            case '"': out += "&quot;"; break;
            default: out += c;
        }
    }
    return out;
}

std::string Envelope(const std::string& operation, const std::string& request) {
    const size_t dot = operation.rfind('.');
    const std::string method = dot == std::string::npos ? operation : operation.substr(dot + 1);
    const std::string ns = dot == std::string::npos ? "" : " xmlns=\"urn:" + Escape(operation.substr(0, dot)) + "\"";
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>"
           "<soap:Envelope xmlns:soap=\"http://schemas.xmlsoap.org/soap/envelope/\"><soap:Body><" +
           method + ns + "><request>" + Escape(request) + "</request></" + method + "></soap:Body></soap:Envelope>";
}

size_t Collect(char* data, size_t size, size_t count, void* user) {
    static_cast<std::string*>(user)->append(data, size * count);
    return size * count;
}

// The charset a Content-Type names, "" when none.
std::string CharsetOf(const char* contentType) {
    if (!contentType) return "";
    std::string ct = contentType;
    for (char& c : ct) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    size_t at = ct.find("charset=");
    if (at == std::string::npos) return "";
    std::string cs = ct.substr(at + 8);
    if (!cs.empty() && cs.front() == '"') cs.erase(0, 1);
    size_t end = cs.find_first_of("\"; ");
    return end == std::string::npos ? cs : cs.substr(0, end);
}

bool ToUtf8(const std::string& bytes, const std::string& charset, std::string& out) {
    if (charset.empty() || charset == "utf-8" || charset == "utf8") {
        out = bytes;
        return true;
    }
    const std::string from = charset == "gb2312" ? "CP936" : charset == "big5" ? "CP950" : charset;
    iconv_t cd = iconv_open("UTF-8", from.c_str());
    if (cd == reinterpret_cast<iconv_t>(-1)) return false;
    std::string result(bytes.size() * 4 + 16, '\0');
    char* in = const_cast<char*>(bytes.data());
    size_t inLeft = bytes.size();
    char* dst = result.data();
    size_t outLeft = result.size();
    const bool ok = iconv(cd, &in, &inLeft, &dst, &outLeft) != static_cast<size_t>(-1);
    iconv_close(cd);
    if (!ok) return false;
    result.resize(result.size() - outLeft);
    out = std::move(result);
    return true;
}

bool IsNamed(xmlNodePtr n, const char* localName) {
    return n && n->type == XML_ELEMENT_NODE && xmlStrcmp(n->name, BAD_CAST localName) == 0;
}

xmlNodePtr FirstElement(xmlNodePtr parent) {
    for (xmlNodePtr c = parent ? parent->children : nullptr; c; c = c->next)
        if (c->type == XML_ELEMENT_NODE) return c;
    return nullptr;
}

std::string TextOf(xmlNodePtr n) {
    xmlChar* t = xmlNodeGetContent(n);
    std::string s = t ? reinterpret_cast<const char*>(t) : "";
    xmlFree(t);
    return s;
}

// The return value of a SOAP answer. False with a reason for a fault; `isSoap` false when the
// answer is no SOAP envelope.
bool ReadAnswer(const std::string& body, std::string& answer, std::string& reason, bool& isSoap) {
    isSoap = false;
    xmlDocPtr doc = xmlReadMemory(body.data(), static_cast<int>(body.size()), "answer.xml", nullptr,
                                  XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING);
    if (!doc) return true;
    xmlNodePtr env = xmlDocGetRootElement(doc);
    if (!IsNamed(env, "Envelope")) {
        xmlFreeDoc(doc);
        return true;
    }
    isSoap = true;
    xmlNodePtr bodyNode = nullptr;
    for (xmlNodePtr c = env->children; c; c = c->next)
        if (IsNamed(c, "Body")) bodyNode = c;
    xmlNodePtr response = FirstElement(bodyNode);
    bool ok = true;
    if (IsNamed(response, "Fault")) {
        ok = false;
        reason = "SOAP fault";
        for (xmlNodePtr c = response->children; c; c = c->next)
            if (IsNamed(c, "faultstring")) reason = TextOf(c);
    } else if (xmlNodePtr value = FirstElement(response)) {
        answer = TextOf(value);
    } else {
        answer = response ? TextOf(response) : "";
    }
    xmlFreeDoc(doc);
    return ok;
}

std::once_flag curlInit;

}  // namespace

extern "C" CALLWEBSERVICE_API int CallWebServiceFx(const char* address, const char* operation, const char* request,
                                                   const char* resultFile) {
    lastError.clear();
    try {
        const std::string url = address ? address : "";
        const std::string op = operation ? operation : "";
        const std::string file = resultFile ? resultFile : "";
        if (url.empty()) return Fail(1, "No service address");
        if (file.empty()) return Fail(1, "No result file name");
        std::call_once(curlInit, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });

        CURL* curl = curl_easy_init();
        if (!curl) return Fail(2, "Cannot start the transfer");
        const std::string envelope = Envelope(op, request ? request : "");
        const std::string action = "SOAPAction: \"" + op + "\"";
        curl_slist* headers = curl_slist_append(nullptr, "Content-Type: text/xml; charset=utf-8");
        headers = curl_slist_append(headers, action.c_str());
        std::string body;
        char error[CURL_ERROR_SIZE] = {0};
        curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
        curl_easy_setopt(curl, CURLOPT_HTTPHEADER, headers);
        curl_easy_setopt(curl, CURLOPT_POSTFIELDS, envelope.c_str());
        curl_easy_setopt(curl, CURLOPT_POSTFIELDSIZE, static_cast<long>(envelope.size()));
        curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, &Collect);
        curl_easy_setopt(curl, CURLOPT_WRITEDATA, &body);
        curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, error);
        curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
        curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT, kConnectTimeoutSeconds);
        curl_easy_setopt(curl, CURLOPT_TIMEOUT, kTimeoutSeconds);
        curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
        const CURLcode rc = curl_easy_perform(curl);
        long status = 0;
        char* contentType = nullptr;
        curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
        curl_easy_getinfo(curl, CURLINFO_CONTENT_TYPE, &contentType);
        const std::string charset = CharsetOf(contentType);
        curl_slist_free_all(headers);
        curl_easy_cleanup(curl);
        if (rc != CURLE_OK) return Fail(3, *error ? std::string(error) : curl_easy_strerror(rc));

        std::string answer, reason;
        bool isSoap = false;
        // A SOAP fault comes with status 500; its fault string is the better reason.
        if (!ReadAnswer(body, answer, reason, isSoap)) return Fail(5, reason);
        if (status >= 400) return Fail(4, "HTTP status " + std::to_string(status));
        if (!isSoap && !ToUtf8(body, charset, answer)) return Fail(6, "Cannot read the answer's charset " + charset);

        FILE* out = std::fopen(file.c_str(), "wb");
        if (!out) return Fail(7, "Cannot write " + file + ": " + std::to_string(errno));
        const bool written = std::fwrite(answer.data(), 1, answer.size(), out) == answer.size();
        if (std::fclose(out) != 0 || !written) return Fail(7, "Cannot write " + file);
        return 0;
    } catch (const std::exception& e) {
        return Fail(8, e.what());
    } catch (...) {
        return Fail(8, "Unexpected failure");
    }
}

extern "C" CALLWEBSERVICE_API const char* CallWebServiceLastError(void) { return lastError.c_str(); }
