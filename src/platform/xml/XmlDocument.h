#pragma once
// XML documents: a DOM with XPath selection over libxml2, shaped after the system XML document
// object the module was written against (LoadXML, Load, DocumentElement, SelectSingleNode,
// SelectNodes, CreateElement, AppendChild, attributes, XML, Save, ParseError).
//
// Text inside the process is UTF-8. A text handed to LoadXML is parsed as the characters it holds,
// whatever encoding its declaration names; bytes from a file or the wire are decoded by their
// declaration (GB2312 as code page 936, BIG5 as code page 950). Documents never validate, never
// reach the network and never load external entities or DTDs.
//
// Handles: TXmlDocument and TXmlNode are reference handles. Copies of a TXmlDocument share one
// document object; every TXmlNode keeps the parsed tree it belongs to alive, so a node may outlive
// the TXmlDocument variable it came from. A default-constructed TXmlNode is the "nothing" answer
// (SelectSingleNode without a match, DocumentElement of an empty document); calling anything but
// IsNull on it raises EXmlError. One document must not be used by two threads at once.
#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/core/Exceptions.h"

namespace plat {

// Misuse of the XML service (an unassigned node, a malformed XPath, a name that is not an XML
// name, a node that cannot be appended there, an unknown encoding).
class EXmlError : public EOleException {
public:
    using EOleException::EOleException;
    const char* ClassName() const override { return "EXmlError"; }
};

// Node kinds, numbered as the DOM numbers them.
enum TXmlNodeType : int {
    ntElement = 1,
    ntAttribute = 2,
    ntText = 3,
    ntCData = 4,
    ntEntityReference = 5,
    ntEntity = 6,
    ntProcessingInstruction = 7,
    ntComment = 8,
    ntDocument = 9,
    ntDocumentType = 10,
    ntDocumentFragment = 11,
    ntNotation = 12,
};

// Why the last load failed. ErrorCode 0 means the last load succeeded (or nothing was loaded).
struct TXmlParseError {
    int ErrorCode = 0;      // the parser's error number; non-zero on failure
    std::string Reason;     // the parser's message, one line
    int Line = 0;           // 1-based line of the failure (0 when not known)
    int LinePos = 0;        // 1-based column of the failure (0 when not known)
    std::string Url;        // the file name for Load, empty otherwise
    bool Failed() const { return ErrorCode != 0; }
};

namespace xmldetail {
struct TDocData;
struct TDocState;
}  // namespace xmldetail

class TXmlDocument;
class TXmlNodeList;

class TXmlNode {
public:
    TXmlNode() = default;

    bool IsNull() const { return fNode == nullptr; }
    explicit operator bool() const { return fNode != nullptr; }
    // Same node of the same tree.
    bool operator==(const TXmlNode& other) const { return fNode == other.fNode; }

    TXmlNodeType NodeType() const;
    // Element and attribute: the qualified name; text "#text", CDATA "#cdata-section", comment
    // "#comment", document "#document", processing instruction its target, document type its name.
    std::string NodeName() const;
    // Attribute, text, CDATA, comment, processing instruction: the value; other nodes: empty.
    std::string NodeValue() const;
    // Element and document: the text of all descendants in document order; attribute: its value;
    // text-like nodes: their content.
    std::string Text() const;
    // Element: replaces its children by one text node (none for an empty text); attribute: sets
    // its value; text-like nodes: sets their content.
    void SetText(const std::string& text);

    TXmlNode ParentNode() const;      // an attribute has none (DOM rule); use OwnerElement
    TXmlNode OwnerElement() const;    // attribute: its element; others: none
    TXmlNode FirstChild() const;
    TXmlNode LastChild() const;
    TXmlNode NextSibling() const;
    TXmlNode PreviousSibling() const;
    bool HasChildNodes() const;
    TXmlNodeList ChildNodes() const;  // a snapshot, in document order
    TXmlDocument OwnerDocument() const;

    // XPath 1.0 evaluated with this node as context node. A path that selects no nodes gives a
    // null node / an empty list; a malformed path, or one that does not give nodes (count(...)),
    // raises EXmlError.
    TXmlNode SelectSingleNode(const std::string& xpath) const;
    TXmlNodeList SelectNodes(const std::string& xpath) const;

    // Attributes of an element (other nodes have none).
    int AttributeCount() const;
    TXmlNode Attribute(int index) const;                  // by position; none when out of range
    TXmlNodeList Attributes() const;                      // in document order
    TXmlNode GetAttributeNode(const std::string& name) const;  // by name; none when missing
    bool HasAttribute(const std::string& name) const;
    std::string GetAttribute(const std::string& name) const;   // empty when missing
    void SetAttribute(const std::string& name, const std::string& value);  // creates when missing
    // Attaches an attribute made by TXmlDocument::CreateAttribute; an attribute of the same name
    // is replaced and returned (none when there was none).
    TXmlNode SetAttributeNode(const TXmlNode& attribute);
    // Removes the attribute; false when there was none.
    bool RemoveAttribute(const std::string& name);

    // Appends Child as the last child (moving it when it is already in the tree) and returns it.
    // Child must belong to the same document; an attribute, a node that contains this node, or a
    // second document element raises EXmlError. Adjacent text nodes are never merged.
    TXmlNode AppendChild(const TXmlNode& child);
    // Takes Child out of this node's children and returns it (it stays usable and can be appended
    // again); raises EXmlError when Child is not a child of this node.
    TXmlNode RemoveChild(const TXmlNode& child);

    // The node's markup as UTF-8 text, without a declaration and without added white space
    // (an attribute gives name="value"; the document node gives TXmlDocument::XML).
    std::string XML() const;
    // The declaration <?xml version="1.0" encoding="Encoding"?> directly followed by the node's
    // markup, as bytes in that encoding (see TXmlDocument::Serialize for the encodings).
    std::string Serialize(const std::string& encoding) const;

private:
    friend class TXmlDocument;
    friend class TXmlNodeList;
    friend struct xmldetail::TDocData;
    TXmlNode(std::shared_ptr<xmldetail::TDocData> data, void* node)
        : fData(std::move(data)), fNode(node) {}

    std::shared_ptr<xmldetail::TDocData> fData;
    void* fNode = nullptr;  // the libxml2 node; opaque so users need no libxml2 headers
};

// A list of nodes taken at the time of the call (selections and child lists do not follow later
// changes of the tree).
class TXmlNodeList {
public:
    TXmlNodeList() = default;
    int Length() const { return static_cast<int>(fItems.size()); }
    TXmlNode Item(int index) const;  // none when out of range
    std::vector<TXmlNode>::const_iterator begin() const { return fItems.begin(); }
    std::vector<TXmlNode>::const_iterator end() const { return fItems.end(); }

private:
    friend class TXmlNode;
    friend class TXmlDocument;
    std::vector<TXmlNode> fItems;
};

class TXmlDocument {
public:
    // A new empty document (no document element, no declaration).
    TXmlDocument();

    // Parsing replaces the whole content. On failure the document is left empty (no document
    // element), the answer is false and ParseError tells why; nothing is raised.
    // LoadXML: Text is Unicode already; an encoding named by its declaration is not applied.
    bool LoadXML(const std::string& text);
    // Load / LoadBytes: bytes decoded by their byte-order mark or their declaration's encoding
    // (UTF-8 when none is named; GB2312 and GBK as code page 936, BIG5 as code page 950).
    bool Load(const std::string& fileName);
    bool LoadBytes(std::string_view bytes);
    const TXmlParseError& ParseError() const;

    // White-space-only text nodes are dropped while parsing unless this is set (or the element
    // says xml:space="preserve"), so child counts see elements only. Default false.
    bool PreserveWhiteSpace() const;
    void SetPreserveWhiteSpace(bool value);

    TXmlNode DocumentElement() const;  // none while the document is empty
    TXmlNode DocumentNode() const;     // the document itself as a node (XPath from the top, ...)
    TXmlNodeList ChildNodes() const { return DocumentNode().ChildNodes(); }
    TXmlNode SelectSingleNode(const std::string& xpath) const { return DocumentNode().SelectSingleNode(xpath); }
    TXmlNodeList SelectNodes(const std::string& xpath) const { return DocumentNode().SelectNodes(xpath); }

    // New nodes belong to this document and stay outside the tree until appended. Names must be
    // XML names (EXmlError otherwise).
    TXmlNode CreateElement(const std::string& name);
    TXmlNode CreateTextNode(const std::string& text);
    TXmlNode CreateAttribute(const std::string& name);
    TXmlNode CreateComment(const std::string& text);
    // Appends to the document: the first element becomes the document element.
    TXmlNode AppendChild(const TXmlNode& child) { return DocumentNode().AppendChild(child); }

    // The encoding the loaded text's declaration named ("" without one or for a built document).
    std::string DeclaredEncoding() const;

    // The document as UTF-8 text: the declaration as the loaded text had it (none for a built
    // document), then the document type and the content, a line break after each top-level node.
    std::string XML() const;
    // The document as bytes in Encoding, with a declaration that names Encoding: "GB2312" (also
    // "GBK", "CP936") writes code page 936 bytes, "BIG5" (also "CP950") code page 950 bytes,
    // "UTF-8" UTF-8; any other name the converter knows is used as it is. A character the encoding
    // cannot hold is written as a character reference. An unknown encoding raises EXmlError.
    std::string Serialize(const std::string& encoding) const;
    // Writes Serialize(Encoding) to the file; an empty Encoding means the declared encoding, else
    // UTF-8. A file that cannot be written raises EInOutError.
    void Save(const std::string& fileName, const std::string& encoding = "") const;

private:
    friend class TXmlNode;
    explicit TXmlDocument(std::shared_ptr<xmldetail::TDocState> state) : fState(std::move(state)) {}
    bool Parse(std::string_view bytes, bool textInMemory, const std::string& url);

    std::shared_ptr<xmldetail::TDocState> fState;
};

}  // namespace plat
