#pragma once
// XML routines of the notification dialog: the web service call through the outside library
// "CallWebService.dll", the header repair applied before parsing received texts, and a few
// document operations over the platform's XML document service.
#include <string>

#include "platform/core/Exceptions.h"
#include "platform/xml/XmlDocument.h"

namespace qm {

// The web service library reported a failure; the text is its reason.
class EWebServiceError : public plat::Exception {
public:
    using plat::Exception::Exception;
    const char* ClassName() const override { return "EWebServiceError"; }
};

// The entry point of "CallWebService.dll": service address, operation name, request, result file
// name (UTF-8, NUL-terminated). Writes the whole response to the result file as UTF-8 and answers
// 0; anything else is a failure whose reason "CallWebServiceLastError" (optional) gives.
using TCallWebServiceFx = int (*)(const char* address, const char* operation, const char* request,
                                  const char* resultFile);
using TCallWebServiceLastError = const char* (*)();

// The header texts FixXMLHeader adds.
inline constexpr const char* XMLDeclarationGB2312 = "<?xml version=\"1.0\" encoding=\"GB2312\"?>";
inline constexpr const char* XMLEncodingGB2312 = " encoding=\"GB2312\"";
inline constexpr const char* XMLDocTypeSC = "<!DOCTYPE SC[<!ENTITY stdd \"&amp;stdd;\">]>";

// Calls the operation through the library and answers the response text ("" when the library or
// its entry point is missing). The response travels through the temporary file
// "~Velin_<yyyymmddhhnnsszzz>.tmp", deleted afterwards. A failure reported by the library raises
// EWebServiceError. With "T" as the host's last command-line parameter a message pauses the call
// after loading the library (to attach a debugger to it).
std::string CallWebService(const std::string& address, const std::string& operation, const std::string& request);
// The temporary response file name for this moment: the temporary folder + "~Velin_" + 17 digits
// + ".tmp".
std::string WebServiceResultFileName();

// Gives the text a declaration naming GB2312 and the document type line declaring the entity
// "stdd" when they are missing. Positions are found in the lower-cased head (first 100
// characters, CR LF pairs removed, trimmed) and applied to the text itself, so they fit only when
// the text begins directly with its declaration.
std::string FixXMLHeader(const std::string& text);
// A new document parsed from FixXMLHeader(text); a parse error leaves it without a root element.
plat::TXmlDocument LoadXMLText(const std::string& text);
// An empty document (documents never validate).
plat::TXmlDocument NewXMLDocument();
// A new document parsed from the text as it is.
plat::TXmlDocument LoadXMLFromText(const std::string& text);
// The first node the XPath `name` selects below `node`; when there is none and `create` is set, a
// new element of that name appended to `node` as its last child; otherwise a null node.
plat::TXmlNode FindChildElement(const plat::TXmlNode& node, const std::string& name, bool create);
// The attribute's value; "" when the attribute is missing (or the node is null).
std::string GetAttributeText(const plat::TXmlNode& element, const std::string& name);
// Sets the attribute, creating it when missing.
void SetAttributeText(const plat::TXmlNode& element, const std::string& name, const std::string& value);

}  // namespace qm
