#include "platform/xml/XmlDocument.h"

#include <libxml/parser.h>
#include <libxml/tree.h>
#include <libxml/xmlerror.h>
#include <libxml/xmlsave.h>
#include <libxml/xpath.h>
#include <libxml/xpathInternals.h>

#include <iconv.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <fstream>
#include <iterator>
#include <mutex>
#include <sstream>

namespace plat {

namespace xmldetail {

// One parsed (or built) tree. Nodes created by the document or taken out of the tree are kept in
// Loose so they are freed with the tree even if they are never put back.
struct TDocData {
    xmlDocPtr Doc = nullptr;
    std::vector<xmlNodePtr> Loose;
    bool HasDeclaration = false;
    std::string DeclaredEncoding;
    std::weak_ptr<TDocState> Owner;

    TDocData() : Doc(xmlNewDoc(BAD_CAST "1.0")) {
        if (!Doc) throw std::bad_alloc();
        MarkUtf8();
    }
    explicit TDocData(xmlDocPtr doc) : Doc(doc) { MarkUtf8(); }
    TDocData(const TDocData&) = delete;
    TDocData& operator=(const TDocData&) = delete;

    // The tree holds UTF-8 whatever the source was; telling the writer so keeps it from turning
    // every non-ASCII character of an attribute into a character reference.
    void MarkUtf8() {
        if (Doc->encoding && xmlStrcasecmp(Doc->encoding, BAD_CAST "UTF-8") == 0) return;
        xmlFree(const_cast<xmlChar*>(Doc->encoding));
        Doc->encoding = xmlStrdup(BAD_CAST "UTF-8");
    }

    ~TDocData() {
        // Free only the loose nodes that are still outside any tree; the others go with their
        // parent. Collect them first: freeing one may free another listed one below it.
        std::sort(Loose.begin(), Loose.end());
        Loose.erase(std::unique(Loose.begin(), Loose.end()), Loose.end());
        std::vector<xmlNodePtr> roots;
        for (xmlNodePtr n : Loose)
            if (n->parent == nullptr) roots.push_back(n);
        for (xmlNodePtr n : roots) xmlFreeNode(n);  // attributes included (xmlFreeNode frees props)
        xmlFreeDoc(Doc);
    }
};

struct TDocState {
    std::shared_ptr<TDocData> Data;
    TXmlParseError Error;
    bool PreserveWhiteSpace = false;
};

}  // namespace xmldetail

using xmldetail::TDocData;
using xmldetail::TDocState;

namespace {

constexpr int kParseOptions = XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING |
                              XML_PARSE_BIG_LINES;  // never NOENT, DTDLOAD, DTDVALID

void InitLibrary() {
    static std::once_flag once;
    std::call_once(once, [] { xmlInitParser(); });
}

#if LIBXML_VERSION >= 21200
using TErrorArg = const xmlError*;
#else
using TErrorArg = xmlErrorPtr;
#endif

// Routes every libxml2 report of the current thread to us for the duration of one operation:
// the library writes nothing to the terminal, and the first error becomes the reason we give.
class TErrorTrap {
public:
    TErrorTrap()
        : fPrevStructured(xmlStructuredError),
          fPrevStructuredContext(xmlStructuredErrorContext),
          fPrevGeneric(xmlGenericError),
          fPrevGenericContext(xmlGenericErrorContext) {
        xmlSetStructuredErrorFunc(this, &TErrorTrap::OnError);
        xmlSetGenericErrorFunc(this, &TErrorTrap::OnGeneric);
    }
    ~TErrorTrap() {
        xmlSetStructuredErrorFunc(fPrevStructuredContext, fPrevStructured);
        xmlSetGenericErrorFunc(fPrevGenericContext, fPrevGeneric);
    }
    TErrorTrap(const TErrorTrap&) = delete;
    TErrorTrap& operator=(const TErrorTrap&) = delete;

    bool HasError() const { return fHasError; }
    const TXmlParseError& First() const { return fFirst; }
    std::string Message() const { return fHasError ? fFirst.Reason : fGenericText; }

private:
    static void OnError(void* self, TErrorArg e) {
        auto* trap = static_cast<TErrorTrap*>(self);
        if (!e || e->level < XML_ERR_ERROR || trap->fHasError) return;
        trap->fHasError = true;
        trap->fFirst.ErrorCode = e->code != 0 ? e->code : XML_ERR_INTERNAL_ERROR;
        trap->fFirst.Reason = Trim(e->message ? e->message : "unknown XML error");
        trap->fFirst.Line = e->line;
        trap->fFirst.LinePos = e->int2;
    }
    static void OnGeneric(void* self, const char* msg, ...) {
        auto* trap = static_cast<TErrorTrap*>(self);
        if (trap->fGenericText.empty() && msg) trap->fGenericText = Trim(msg);
    }
    static std::string Trim(std::string s) {
        for (char& c : s)
            if (c == '\n' || c == '\r') c = ' ';
        while (!s.empty() && (s.back() == '\n' || s.back() == '\r' || s.back() == ' ')) s.pop_back();
        return s;
    }

    xmlStructuredErrorFunc fPrevStructured;
    void* fPrevStructuredContext;
    xmlGenericErrorFunc fPrevGeneric;
    void* fPrevGenericContext;
    bool fHasError = false;
    TXmlParseError fFirst;
    std::string fGenericText;
};

std::string Upper(std::string s) {
    for (char& c : s)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return s;
}

// The converter name for an encoding name used in declarations. The Chinese names mean the
// Windows code pages: GB2312 texts carry GBK characters, BIG5 texts code page 950 ones.
std::string CodecFor(const std::string& encoding) {
    const std::string u = Upper(encoding);
    if (u.empty() || u == "UTF-8" || u == "UTF8") return "UTF-8";
    if (u == "GB2312" || u == "GBK" || u == "CP936" || u == "X-GBK" || u == "EUC-CN" ||
        u == "CSGB2312" || u == "GB_2312-80" || u == "MS936" || u == "WINDOWS-936")
        return "CP936";
    if (u == "BIG5" || u == "BIG-5" || u == "CP950" || u == "X-BIG5" || u == "CN-BIG5" ||
        u == "CSBIG5" || u == "MS950" || u == "WINDOWS-950")
        return "CP950";
    return encoding;
}

struct TDeclaration {
    bool Present = false;
    std::string Encoding;
};

// Reads the encoding named by a declaration at the very start of ASCII-compatible bytes (after a
// UTF-8 byte-order mark). Other starts (UTF-16 marks, no declaration) answer "not present".
TDeclaration SniffDeclaration(std::string_view bytes) {
    TDeclaration d;
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF") bytes.remove_prefix(3);
    if (bytes.substr(0, 5) != "<?xml") return d;
    if (bytes.size() > 5 && !(bytes[5] == ' ' || bytes[5] == '\t' || bytes[5] == '\r' || bytes[5] == '\n'))
        return d;  // "<?xml-stylesheet" and the like are not declarations
    const auto end = bytes.find("?>");
    if (end == std::string_view::npos) return d;
    d.Present = true;
    const std::string_view decl = bytes.substr(0, end);
    const auto at = decl.find("encoding");
    if (at == std::string_view::npos) return d;
    auto p = at + 8;
    while (p < decl.size() && (decl[p] == ' ' || decl[p] == '\t' || decl[p] == '\r' || decl[p] == '\n')) ++p;
    if (p >= decl.size() || decl[p] != '=') return d;
    ++p;
    while (p < decl.size() && (decl[p] == ' ' || decl[p] == '\t' || decl[p] == '\r' || decl[p] == '\n')) ++p;
    if (p >= decl.size() || (decl[p] != '"' && decl[p] != '\'')) return d;
    const char quote = decl[p];
    const auto close = decl.find(quote, p + 1);
    if (close == std::string_view::npos) return d;
    d.Encoding = std::string(decl.substr(p + 1, close - p - 1));
    return d;
}

// Drops white-space-only text nodes, as a document that does not preserve white space does.
void StripBlankText(xmlNodePtr parent) {
    xmlNodePtr n = parent->children;
    while (n) {
        xmlNodePtr next = n->next;
        if (n->type == XML_TEXT_NODE && xmlIsBlankNode(n) && xmlNodeGetSpacePreserve(parent) != 1) {
            xmlUnlinkNode(n);
            xmlFreeNode(n);
        } else if (n->type == XML_ELEMENT_NODE) {
            StripBlankText(n);
        }
        n = next;
    }
}

void Require(const void* node) {
    if (!node) throw EXmlError("The XML node is not assigned (nothing was selected or created).");
}

std::string ToString(const xmlChar* s) { return s ? std::string(reinterpret_cast<const char*>(s)) : std::string(); }

std::string TakeString(xmlChar* s) {
    std::string r = ToString(s);
    xmlFree(s);
    return r;
}

void CheckName(const std::string& name, const char* what) {
    if (name.empty() || xmlValidateQName(BAD_CAST name.c_str(), 0) != 0)
        throw EXmlError(std::string(what) + " name \"" + name + "\" is not a valid XML name.");
}

bool IsTextLike(xmlElementType t) {
    return t == XML_TEXT_NODE || t == XML_CDATA_SECTION_NODE || t == XML_COMMENT_NODE || t == XML_PI_NODE;
}

// Links Child as the last child of Parent. Unlike xmlAddChild this never merges text nodes,
// which would free a node a handle still points to.
void LinkLast(xmlNodePtr parent, xmlNodePtr child) {
    child->parent = parent;
    child->next = nullptr;
    child->prev = parent->last;
    if (parent->last)
        parent->last->next = child;
    else
        parent->children = child;
    parent->last = child;
}

// Replaces an attribute's value by one text node holding Value literally.
void SetAttrValue(xmlAttrPtr attr, const std::string& value) {
    if (attr->parent) {
        xmlSetNsProp(attr->parent, attr->ns, attr->name, BAD_CAST value.c_str());
        return;
    }
    xmlFreeNodeList(attr->children);
    attr->children = attr->last = nullptr;
    xmlNodePtr text = xmlNewDocText(attr->doc, BAD_CAST value.c_str());
    if (!text) throw std::bad_alloc();
    text->parent = reinterpret_cast<xmlNodePtr>(attr);
    attr->children = attr->last = text;
}

// Markup of a node (or of the whole document without declaration) in UTF-8.
std::string DumpUtf8(xmlDocPtr doc, xmlNodePtr node) {
    TErrorTrap trap;
    xmlBufferPtr buffer = xmlBufferCreate();
    if (!buffer) throw std::bad_alloc();
    xmlSaveCtxtPtr save = xmlSaveToBuffer(buffer, "UTF-8", XML_SAVE_NO_DECL | XML_SAVE_AS_XML);
    if (!save) {
        xmlBufferFree(buffer);
        throw EXmlError("The XML document cannot be serialised: " + trap.Message());
    }
    if (node == reinterpret_cast<xmlNodePtr>(doc))
        xmlSaveDoc(save, doc);
    else
        xmlSaveTree(save, node);
    xmlSaveClose(save);
    std::string out(reinterpret_cast<const char*>(xmlBufferContent(buffer)), xmlBufferLength(buffer));
    xmlBufferFree(buffer);
    return out;
}

// Converts UTF-8 markup into Codec. A character the target cannot hold becomes a character
// reference, which is what an XML writer does for characters outside its encoding.
std::string EncodeMarkup(const std::string& utf8, const std::string& codec, const std::string& encodingName) {
    if (codec == "UTF-8") return utf8;
    iconv_t cd = iconv_open(codec.c_str(), "UTF-8");
    if (cd == reinterpret_cast<iconv_t>(-1))
        throw EXmlError("The encoding \"" + encodingName + "\" is not known; use GB2312, BIG5 or UTF-8.");
    std::string out;
    auto convert = [&](const char* data, size_t size, bool replaceBad) {
        char* in = const_cast<char*>(data);
        size_t inLeft = size;
        char chunk[4096];
        while (inLeft > 0) {
            char* o = chunk;
            size_t oLeft = sizeof chunk;
            const size_t r = iconv(cd, &in, &inLeft, &o, &oLeft);
            out.append(chunk, static_cast<size_t>(o - chunk));
            if (r != static_cast<size_t>(-1)) continue;
            if (errno == E2BIG) continue;
            if (!replaceBad) return false;
            // One UTF-8 character the target cannot hold (the input is well-formed UTF-8).
            const auto lead = static_cast<unsigned char>(*in);
            size_t len = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
            len = std::min(len, inLeft);
            unsigned cp = len == 1 ? lead : lead & (0xFF >> (len + 1));
            for (size_t i = 1; i < len; ++i) cp = (cp << 6) | (static_cast<unsigned char>(in[i]) & 0x3F);
            const std::string ref = "&#" + std::to_string(cp) + ";";
            in += len;
            inLeft -= len;
            char refOut[64];
            char* ri = const_cast<char*>(ref.data());
            size_t riLeft = ref.size();
            char* ro = refOut;
            size_t roLeft = sizeof refOut;
            if (iconv(cd, &ri, &riLeft, &ro, &roLeft) == static_cast<size_t>(-1)) return false;
            out.append(refOut, static_cast<size_t>(ro - refOut));
        }
        return true;
    };
    const bool ok = convert(utf8.data(), utf8.size(), true);
    if (ok) {  // flush a stateful encoder
        char tail[64];
        char* o = tail;
        size_t oLeft = sizeof tail;
        iconv(cd, nullptr, nullptr, &o, &oLeft);
        out.append(tail, static_cast<size_t>(o - tail));
    }
    iconv_close(cd);
    if (!ok) throw EXmlError("The XML text cannot be written in the encoding \"" + encodingName + "\".");
    return out;
}

std::string Declaration(xmlDocPtr doc, const std::string& encoding) {
    std::string d = "<?xml version=\"";
    d += doc->version ? ToString(doc->version) : std::string("1.0");
    d += "\"";
    if (!encoding.empty()) d += " encoding=\"" + encoding + "\"";
    if (doc->standalone == 1) d += " standalone=\"yes\"";
    if (doc->standalone == 0) d += " standalone=\"no\"";
    d += "?>";
    return d;
}

TXmlNodeType TypeOf(xmlNodePtr n) {
    switch (n->type) {
        case XML_HTML_DOCUMENT_NODE: return ntDocument;
        case XML_DTD_NODE: return ntDocumentType;
        case XML_ENTITY_DECL: return ntEntity;
        default:
            if (n->type >= XML_ELEMENT_NODE && n->type <= XML_NOTATION_NODE)
                return static_cast<TXmlNodeType>(n->type);
            return ntNotation;
    }
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// TXmlNode

#define NODE static_cast<xmlNodePtr>(fNode)

TXmlNodeType TXmlNode::NodeType() const {
    Require(fNode);
    return TypeOf(NODE);
}

std::string TXmlNode::NodeName() const {
    Require(fNode);
    xmlNodePtr n = NODE;
    switch (n->type) {
        case XML_ELEMENT_NODE:
        case XML_ATTRIBUTE_NODE:
            if (n->ns && n->ns->prefix) return ToString(n->ns->prefix) + ":" + ToString(n->name);
            return ToString(n->name);
        case XML_TEXT_NODE: return "#text";
        case XML_CDATA_SECTION_NODE: return "#cdata-section";
        case XML_COMMENT_NODE: return "#comment";
        case XML_DOCUMENT_NODE:
        case XML_HTML_DOCUMENT_NODE: return "#document";
        case XML_DOCUMENT_FRAG_NODE: return "#document-fragment";
        default: return ToString(n->name);
    }
}

std::string TXmlNode::NodeValue() const {
    Require(fNode);
    xmlNodePtr n = NODE;
    if (n->type == XML_ATTRIBUTE_NODE || IsTextLike(n->type)) return TakeString(xmlNodeGetContent(n));
    return {};
}

std::string TXmlNode::Text() const {
    Require(fNode);
    xmlNodePtr n = NODE;
    if (n->type == XML_DTD_NODE) return {};
    return TakeString(xmlNodeGetContent(n));
}

void TXmlNode::SetText(const std::string& text) {
    Require(fNode);
    xmlNodePtr n = NODE;
    if (n->type == XML_ATTRIBUTE_NODE) {
        SetAttrValue(reinterpret_cast<xmlAttrPtr>(n), text);
    } else if (IsTextLike(n->type)) {
        xmlNodeSetContent(n, BAD_CAST text.c_str());  // text-like nodes hold a plain string
    } else if (n->type == XML_ELEMENT_NODE || n->type == XML_DOCUMENT_FRAG_NODE) {
        while (xmlNodePtr child = n->children) {  // handles to old children stay valid
            xmlUnlinkNode(child);
            fData->Loose.push_back(child);
        }
        if (!text.empty()) {
            xmlNodePtr t = xmlNewDocText(fData->Doc, BAD_CAST text.c_str());
            if (!t) throw std::bad_alloc();
            LinkLast(n, t);
        }
    } else {
        throw EXmlError("The text of a " + NodeName() + " node cannot be set.");
    }
}

TXmlNode TXmlNode::ParentNode() const {
    Require(fNode);
    xmlNodePtr n = NODE;
    if (n->type == XML_ATTRIBUTE_NODE || !n->parent) return {};
    return TXmlNode(fData, n->parent);
}

TXmlNode TXmlNode::OwnerElement() const {
    Require(fNode);
    xmlNodePtr n = NODE;
    if (n->type != XML_ATTRIBUTE_NODE || !n->parent) return {};
    return TXmlNode(fData, n->parent);
}

namespace {
bool ExposesChildren(xmlNodePtr n) {
    return n->type == XML_ELEMENT_NODE || n->type == XML_DOCUMENT_NODE || n->type == XML_HTML_DOCUMENT_NODE ||
           n->type == XML_DOCUMENT_FRAG_NODE;
}
}  // namespace

TXmlNode TXmlNode::FirstChild() const {
    Require(fNode);
    xmlNodePtr n = NODE;
    if (!ExposesChildren(n) || !n->children) return {};
    return TXmlNode(fData, n->children);
}

TXmlNode TXmlNode::LastChild() const {
    Require(fNode);
    xmlNodePtr n = NODE;
    if (!ExposesChildren(n) || !n->last) return {};
    return TXmlNode(fData, n->last);
}

TXmlNode TXmlNode::NextSibling() const {
    Require(fNode);
    xmlNodePtr n = NODE;
    if (n->type == XML_ATTRIBUTE_NODE || !n->next) return {};
    return TXmlNode(fData, n->next);
}

TXmlNode TXmlNode::PreviousSibling() const {
    Require(fNode);
    xmlNodePtr n = NODE;
    if (n->type == XML_ATTRIBUTE_NODE || !n->prev) return {};
    return TXmlNode(fData, n->prev);
}

bool TXmlNode::HasChildNodes() const { return !FirstChild().IsNull(); }

TXmlNodeList TXmlNode::ChildNodes() const {
    Require(fNode);
    TXmlNodeList list;
    xmlNodePtr n = NODE;
    if (!ExposesChildren(n)) return list;
    for (xmlNodePtr c = n->children; c; c = c->next) list.fItems.push_back(TXmlNode(fData, c));
    return list;
}

TXmlDocument TXmlNode::OwnerDocument() const {
    Require(fNode);
    if (auto owner = fData->Owner.lock(); owner && owner->Data == fData) return TXmlDocument(owner);
    // The document variable is gone or holds another tree by now: a new handle on this tree.
    auto state = std::make_shared<TDocState>();
    state->Data = fData;
    return TXmlDocument(state);
}

TXmlNodeList TXmlNode::SelectNodes(const std::string& xpath) const {
    Require(fNode);
    InitLibrary();
    TErrorTrap trap;
    xmlXPathContextPtr ctx = xmlXPathNewContext(fData->Doc);
    if (!ctx) throw std::bad_alloc();
    ctx->node = NODE;
    xmlXPathObjectPtr result = xmlXPathEvalExpression(BAD_CAST xpath.c_str(), ctx);
    xmlXPathFreeContext(ctx);
    if (!result) {
        const std::string why = trap.Message();
        throw EXmlError("The XPath expression \"" + xpath + "\" is not valid" + (why.empty() ? "." : ": " + why + "."));
    }
    if (result->type != XPATH_NODESET) {
        xmlXPathFreeObject(result);
        throw EXmlError("The XPath expression \"" + xpath + "\" does not select nodes.");
    }
    TXmlNodeList list;
    if (xmlNodeSetPtr set = result->nodesetval) {
        xmlXPathNodeSetSort(set);
        for (int i = 0; i < set->nodeNr; ++i) {
            xmlNodePtr n = set->nodeTab[i];
            if (n && n->type != XML_NAMESPACE_DECL)  // namespace nodes are copies owned by the result
                list.fItems.push_back(TXmlNode(fData, n));
        }
    }
    xmlXPathFreeObject(result);
    return list;
}

TXmlNode TXmlNode::SelectSingleNode(const std::string& xpath) const {
    TXmlNodeList list = SelectNodes(xpath);
    return list.Item(0);
}

namespace {
xmlNodePtr RequireElement(void* node, const char* what) {
    Require(node);
    auto n = static_cast<xmlNodePtr>(node);
    if (n->type != XML_ELEMENT_NODE) throw EXmlError(std::string(what) + " needs an element node.");
    return n;
}
}  // namespace

int TXmlNode::AttributeCount() const {
    Require(fNode);
    xmlNodePtr n = NODE;
    if (n->type != XML_ELEMENT_NODE) return 0;
    int count = 0;
    for (xmlAttrPtr a = n->properties; a; a = a->next) ++count;
    return count;
}

TXmlNode TXmlNode::Attribute(int index) const {
    Require(fNode);
    xmlNodePtr n = NODE;
    if (n->type != XML_ELEMENT_NODE || index < 0) return {};
    for (xmlAttrPtr a = n->properties; a; a = a->next, --index)
        if (index == 0) return TXmlNode(fData, a);
    return {};
}

TXmlNodeList TXmlNode::Attributes() const {
    Require(fNode);
    TXmlNodeList list;
    xmlNodePtr n = NODE;
    if (n->type != XML_ELEMENT_NODE) return list;
    for (xmlAttrPtr a = n->properties; a; a = a->next) list.fItems.push_back(TXmlNode(fData, a));
    return list;
}

namespace {
// The attribute whose qualified name is Name (prefix included when it has one).
xmlAttrPtr FindAttr(xmlNodePtr element, const std::string& name) {
    for (xmlAttrPtr a = element->properties; a; a = a->next) {
        std::string qname = a->ns && a->ns->prefix ? ToString(a->ns->prefix) + ":" + ToString(a->name)
                                                   : ToString(a->name);
        if (qname == name) return a;
    }
    return nullptr;
}
}  // namespace

TXmlNode TXmlNode::GetAttributeNode(const std::string& name) const {
    Require(fNode);
    xmlNodePtr n = NODE;
    if (n->type != XML_ELEMENT_NODE) return {};
    if (xmlAttrPtr a = FindAttr(n, name)) return TXmlNode(fData, a);
    return {};
}

bool TXmlNode::HasAttribute(const std::string& name) const { return !GetAttributeNode(name).IsNull(); }

std::string TXmlNode::GetAttribute(const std::string& name) const {
    TXmlNode a = GetAttributeNode(name);
    return a.IsNull() ? std::string() : a.NodeValue();
}

void TXmlNode::SetAttribute(const std::string& name, const std::string& value) {
    xmlNodePtr n = RequireElement(fNode, "SetAttribute");
    if (xmlAttrPtr a = FindAttr(n, name)) {
        SetAttrValue(a, value);
        return;
    }
    CheckName(name, "The attribute");
    if (!xmlSetProp(n, BAD_CAST name.c_str(), BAD_CAST value.c_str())) throw std::bad_alloc();
}

TXmlNode TXmlNode::SetAttributeNode(const TXmlNode& attribute) {
    xmlNodePtr n = RequireElement(fNode, "SetAttributeNode");
    Require(attribute.fNode);
    auto attr = static_cast<xmlAttrPtr>(attribute.fNode);
    if (attr->type != XML_ATTRIBUTE_NODE) throw EXmlError("SetAttributeNode needs an attribute node.");
    if (attribute.fData != fData) throw EXmlError("The attribute belongs to another XML document.");
    if (attr->parent == n) return {};
    if (attr->parent) throw EXmlError("The attribute already belongs to another element; remove it there first.");
    TXmlNode replaced;
    if (xmlAttrPtr old = FindAttr(n, ToString(attr->name))) {
        xmlUnlinkNode(reinterpret_cast<xmlNodePtr>(old));
        fData->Loose.push_back(reinterpret_cast<xmlNodePtr>(old));
        replaced = TXmlNode(fData, old);
    }
    attr->parent = n;
    attr->next = nullptr;
    attr->prev = nullptr;
    if (!n->properties) {
        n->properties = attr;
    } else {
        xmlAttrPtr last = n->properties;
        while (last->next) last = last->next;
        last->next = attr;
        attr->prev = last;
    }
    return replaced;
}

bool TXmlNode::RemoveAttribute(const std::string& name) {
    xmlNodePtr n = RequireElement(fNode, "RemoveAttribute");
    xmlAttrPtr a = FindAttr(n, name);
    if (!a) return false;
    xmlUnlinkNode(reinterpret_cast<xmlNodePtr>(a));  // kept: a handle may still point to it
    fData->Loose.push_back(reinterpret_cast<xmlNodePtr>(a));
    return true;
}

TXmlNode TXmlNode::AppendChild(const TXmlNode& child) {
    Require(fNode);
    Require(child.fNode);
    xmlNodePtr parent = NODE;
    auto c = static_cast<xmlNodePtr>(child.fNode);
    if (child.fData != fData) throw EXmlError("The node belongs to another XML document.");
    if (!ExposesChildren(parent)) throw EXmlError("A " + NodeName() + " node cannot have child nodes.");
    switch (c->type) {
        case XML_ELEMENT_NODE: case XML_TEXT_NODE: case XML_CDATA_SECTION_NODE:
        case XML_COMMENT_NODE: case XML_PI_NODE: case XML_ENTITY_REF_NODE:
            break;
        default:
            throw EXmlError("A " + child.NodeName() + " node cannot be appended as a child.");
    }
    for (xmlNodePtr p = parent; p; p = p->parent)
        if (p == c) throw EXmlError("A node cannot be appended below itself.");
    if (parent->type == XML_DOCUMENT_NODE) {
        if (c->type != XML_ELEMENT_NODE && c->type != XML_COMMENT_NODE && c->type != XML_PI_NODE)
            throw EXmlError("Only an element, a comment or a processing instruction can be appended to a document.");
        if (c->type == XML_ELEMENT_NODE) {
            xmlNodePtr root = xmlDocGetRootElement(fData->Doc);
            if (root && root != c) throw EXmlError("The XML document already has a document element.");
        }
    }
    if (c->parent) xmlUnlinkNode(c);
    LinkLast(parent, c);
    return child;
}

TXmlNode TXmlNode::RemoveChild(const TXmlNode& child) {
    Require(fNode);
    Require(child.fNode);
    auto c = static_cast<xmlNodePtr>(child.fNode);
    if (child.fData != fData || c->type == XML_ATTRIBUTE_NODE || c->parent != NODE)
        throw EXmlError("The node to remove is not a child of this node.");
    xmlUnlinkNode(c);
    fData->Loose.push_back(c);
    return child;
}

std::string TXmlNode::XML() const {
    Require(fNode);
    xmlNodePtr n = NODE;
    if (n->type == XML_DOCUMENT_NODE) return OwnerDocument().XML();
    std::string out = DumpUtf8(fData->Doc, n);
    if (n->type == XML_ATTRIBUTE_NODE && !out.empty() && out.front() == ' ') out.erase(0, 1);
    return out;
}

std::string TXmlNode::Serialize(const std::string& encoding) const {
    Require(fNode);
    xmlNodePtr n = NODE;
    if (n->type == XML_DOCUMENT_NODE) return OwnerDocument().Serialize(encoding);
    const std::string name = encoding.empty() ? std::string("UTF-8") : encoding;
    return EncodeMarkup(Declaration(fData->Doc, name) + XML(), CodecFor(name), name);
}

#undef NODE

// ---------------------------------------------------------------------------------------------
// TXmlNodeList

TXmlNode TXmlNodeList::Item(int index) const {
    if (index < 0 || index >= Length()) return {};
    return fItems[static_cast<size_t>(index)];
}

// ---------------------------------------------------------------------------------------------
// TXmlDocument

TXmlDocument::TXmlDocument() : fState(std::make_shared<TDocState>()) {
    InitLibrary();
    fState->Data = std::make_shared<TDocData>();
    fState->Data->Owner = fState;
}

bool TXmlDocument::Parse(std::string_view bytes, bool textInMemory, const std::string& url) {
    InitLibrary();
    const TDeclaration decl = SniffDeclaration(bytes);
    std::string codec;
    int options = kParseOptions;
    if (textInMemory) {
        codec = "UTF-8";  // the characters are already there; the declaration's name is history
        options |= XML_PARSE_IGNORE_ENC;
    } else if (decl.Present && !decl.Encoding.empty()) {
        const std::string mapped = CodecFor(decl.Encoding);
        if (mapped != decl.Encoding || Upper(mapped) == "UTF-8") {
            codec = mapped;  // GB2312 -> CP936, BIG5 -> CP950: a wider table than the name says
            options |= XML_PARSE_IGNORE_ENC;
        }
    }

    TXmlParseError error;
    error.Url = url;
    xmlDocPtr doc = nullptr;
    {
        TErrorTrap trap;
        if (bytes.size() > static_cast<size_t>(INT_MAX)) {
            error.ErrorCode = XML_ERR_INTERNAL_ERROR;
            error.Reason = "The XML text is too large.";
        } else {
            xmlParserCtxtPtr ctxt = xmlNewParserCtxt();
            if (!ctxt) throw std::bad_alloc();
            doc = xmlCtxtReadMemory(ctxt, bytes.data(), static_cast<int>(bytes.size()), nullptr,
                                    codec.empty() ? nullptr : codec.c_str(), options);
            const bool ok = doc && ctxt->wellFormed && !trap.HasError();
            if (!ok) {
                if (trap.HasError()) {
                    error.ErrorCode = trap.First().ErrorCode;
                    error.Reason = trap.First().Reason;
                    error.Line = trap.First().Line;
                    error.LinePos = trap.First().LinePos;
                } else {
                    error.ErrorCode = XML_ERR_INTERNAL_ERROR;
                    error.Reason = trap.Message().empty() ? std::string("The XML text is not well-formed.") : trap.Message();
                }
                if (doc) xmlFreeDoc(doc);
                doc = nullptr;
            }
            xmlFreeParserCtxt(ctxt);
        }
    }

    auto data = doc ? std::make_shared<TDocData>(doc) : std::make_shared<TDocData>();
    if (doc) {
        data->HasDeclaration = decl.Present;
        data->DeclaredEncoding = decl.Encoding;
        if (!fState->PreserveWhiteSpace)
            if (xmlNodePtr root = xmlDocGetRootElement(doc)) StripBlankText(root);
    }
    data->Owner = fState;
    fState->Data = data;  // nodes of the previous tree keep it alive by themselves
    fState->Error = error;
    return doc != nullptr;
}

bool TXmlDocument::LoadXML(const std::string& text) { return Parse(text, true, {}); }

bool TXmlDocument::LoadBytes(std::string_view bytes) { return Parse(bytes, false, {}); }

bool TXmlDocument::Load(const std::string& fileName) {
    std::ifstream in(fileName, std::ios::binary);
    if (!in) {
        const int code = errno;
        InitLibrary();
        auto data = std::make_shared<TDocData>();
        data->Owner = fState;
        fState->Data = data;
        fState->Error = TXmlParseError{};
        fState->Error.ErrorCode = XML_IO_LOAD_ERROR;
        fState->Error.Reason = "The file \"" + fileName + "\" cannot be opened: " + std::strerror(code);
        fState->Error.Url = fileName;
        return false;
    }
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    return Parse(bytes, false, fileName);
}

const TXmlParseError& TXmlDocument::ParseError() const { return fState->Error; }

bool TXmlDocument::PreserveWhiteSpace() const { return fState->PreserveWhiteSpace; }

void TXmlDocument::SetPreserveWhiteSpace(bool value) { fState->PreserveWhiteSpace = value; }

TXmlNode TXmlDocument::DocumentElement() const {
    xmlNodePtr root = xmlDocGetRootElement(fState->Data->Doc);
    if (!root) return {};
    return TXmlNode(fState->Data, root);
}

TXmlNode TXmlDocument::DocumentNode() const {
    return TXmlNode(fState->Data, reinterpret_cast<xmlNodePtr>(fState->Data->Doc));
}

TXmlNode TXmlDocument::CreateElement(const std::string& name) {
    CheckName(name, "The element");
    const auto& data = fState->Data;
    xmlNodePtr n = xmlNewDocNode(data->Doc, nullptr, BAD_CAST name.c_str(), nullptr);
    if (!n) throw std::bad_alloc();
    data->Loose.push_back(n);
    return TXmlNode(data, n);
}

TXmlNode TXmlDocument::CreateTextNode(const std::string& text) {
    const auto& data = fState->Data;
    xmlNodePtr n = xmlNewDocText(data->Doc, BAD_CAST text.c_str());
    if (!n) throw std::bad_alloc();
    data->Loose.push_back(n);
    return TXmlNode(data, n);
}

TXmlNode TXmlDocument::CreateAttribute(const std::string& name) {
    CheckName(name, "The attribute");
    const auto& data = fState->Data;
    xmlAttrPtr a = xmlNewDocProp(data->Doc, BAD_CAST name.c_str(), BAD_CAST "");
    if (!a) throw std::bad_alloc();
    data->Loose.push_back(reinterpret_cast<xmlNodePtr>(a));
    return TXmlNode(data, a);
}

TXmlNode TXmlDocument::CreateComment(const std::string& text) {
    const auto& data = fState->Data;
    xmlNodePtr n = xmlNewDocComment(data->Doc, BAD_CAST text.c_str());
    if (!n) throw std::bad_alloc();
    data->Loose.push_back(n);
    return TXmlNode(data, n);
}

std::string TXmlDocument::DeclaredEncoding() const { return fState->Data->DeclaredEncoding; }

std::string TXmlDocument::XML() const {
    const auto& data = fState->Data;
    std::string out;
    if (data->HasDeclaration) out = Declaration(data->Doc, data->DeclaredEncoding) + "\n";
    return out + DumpUtf8(data->Doc, reinterpret_cast<xmlNodePtr>(data->Doc));
}

std::string TXmlDocument::Serialize(const std::string& encoding) const {
    const auto& data = fState->Data;
    const std::string name = encoding.empty() ? std::string("UTF-8") : encoding;
    const std::string utf8 = Declaration(data->Doc, name) + "\n" +
                             DumpUtf8(data->Doc, reinterpret_cast<xmlNodePtr>(data->Doc));
    return EncodeMarkup(utf8, CodecFor(name), name);
}

void TXmlDocument::Save(const std::string& fileName, const std::string& encoding) const {
    std::string name = encoding;
    if (name.empty()) name = fState->Data->DeclaredEncoding;
    const std::string bytes = Serialize(name);
    std::ofstream out(fileName, std::ios::binary | std::ios::trunc);
    if (!out) {
        const int code = errno;
        throw EInOutError("The XML file \"" + fileName + "\" cannot be written: " + std::strerror(code), code);
    }
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) {
        const int code = errno;
        throw EInOutError("The XML file \"" + fileName + "\" cannot be written: " + std::strerror(code), code);
    }
}

}  // namespace plat
