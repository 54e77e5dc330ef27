#pragma once
// Language packages: one XML file per form class and language that gives named components new
// property values ("Caption", "Font.Name", "Items_3", "Columns_2.Caption", ...) and holds the
// form's messages ("Msg" attribute of the element named after the key). The reader walks a form's
// components and applies the element of each; per-component readers apply the attributes.
#include <memory>
#include <string>
#include <unordered_map>

#include "platform/core/Exceptions.h"
#include "platform/core/Variant.h"
#include "platform/forms/Classes.h"
#include "platform/widgets/StringList.h"
#include "platform/xml/XmlDocument.h"

namespace qm {

// Which configuration names the installation: the client's or the server's.
enum TDesignType { dtClient, dtServer };

class LanguageControllerError : public plat::Exception {
public:
    using plat::Exception::Exception;
    const char* ClassName() const override { return "LanguageControllerError"; }
};

PLAT_DECLARE_EVENT(TLoadComponentEvent, plat::TComponent* /*xComponent*/, plat::TXmlNode /*xComponentNode*/)

// A line index above this in a package ("Items_n") is ignored: a damaged package must not be able
// to make a list grow without bound.
constexpr int MaxLangLineIndex = 9999;

// The language code of a user-interface code page: 936 "CHS", 950 "CHT", 437 "ENG", else "".
std::string LanguageCode(const std::string& uiCodePage);
// Installation folder + "MultiLanguage/" + language code + "/"; "" for a code page without a
// language code or a folder that does not exist.
std::string LanguageFolder(TDesignType designType);
// The package file of a class name; "" when there is no language folder (no package at all,
// rather than a file name relative to the working directory).
std::string LanguagePackageFile(TDesignType designType, const std::string& packageName);
// Text := the "Msg" attribute of the first element named `key` in the package; `def` when the
// package, the element or the attribute is missing or the package cannot be read.
// The same, answering whether the package held the message (text untouched when not).
bool FindLangMessage(TDesignType designType, const std::string& packageName, const std::string& key,
                     std::string& text);
void ReadLangMessage(TDesignType designType, const std::string& packageName, const std::string& key,
                     std::string& text, const std::string& def);

// Applies the attributes of one element to one component.
class ILangRead {
public:
    virtual ~ILangRead() = default;
    virtual plat::TComponent* GetComponent() const = 0;
    virtual void SetComponent(plat::TComponent* component) = 0;
    virtual plat::TXmlNode GetElement() const = 0;
    virtual void SetElement(const plat::TXmlNode& element) = 0;
    // An integer selects the attribute by position, a text by name; anything else selects nothing.
    virtual void ReadAttribute(const plat::Variant& index) = 0;
    virtual void ReadAll() = 0;
};
using ILangReadPtr = std::shared_ptr<ILangRead>;

class TComponentRead : public ILangRead {
public:
    TComponentRead(plat::TComponent* component, const plat::TXmlNode& element);

    plat::TComponent* GetComponent() const override { return fComponent; }
    void SetComponent(plat::TComponent* component) override { fComponent = component; }
    plat::TXmlNode GetElement() const override { return fElement; }
    void SetElement(const plat::TXmlNode& element) override { fElement = element; }
    void ReadAttribute(const plat::Variant& index) override;
    void ReadAll() override;

protected:
    // One assignment: the attribute's name is a property path, its text the value.
    virtual void ApplyAttribute(const plat::TXmlNode& attribute);

    plat::TComponent* fComponent;
    plat::TXmlNode fElement;
};

// Combo boxes keep the item selected before the package changed their lists.
class TCustomComboBoxRead : public TComponentRead {
public:
    using TComponentRead::TComponentRead;
    void ReadAll() override;
};
class TwwDBCustomComboBoxRead : public TComponentRead {
public:
    using TComponentRead::TComponentRead;
    void ReadAll() override;
};

class TReaderFactory {
public:
    static ILangReadPtr CreateReader(plat::TComponent* component, const plat::TXmlNode& element);
};

// Applies a loaded package to a component and everything it owns.
class TLangReader {
public:
    explicit TLangReader(const plat::TXmlDocument& document);
    virtual ~TLangReader() = default;
    TLangReader(const TLangReader&) = delete;
    TLangReader& operator=(const TLangReader&) = delete;

    virtual void ApplyTo(plat::TComponent* component);

    // Names of components the package must leave alone (compared trimmed, without case).
    plat::TStringList* Exclusions() { return &fExclusions; }
    bool IsExcluded(const std::string& name) const;
    const plat::TXmlDocument& Document() const { return fDocument; }

    // The first element of that name in document order, or none. Answered from an index of the
    // document's elements built on first use, unless UseIndex is off (then an XPath search of the
    // whole document per call, which is what the index replaces).
    plat::TXmlNode FindElement(const std::string& name);
    bool UseIndex = true;

    TLoadComponentEvent AfterLoadComponent;
    TLoadComponentEvent BeforeLoadComponent;

protected:
    virtual void DoAfterLoadComponent(plat::TComponent* component, const plat::TXmlNode& node);
    virtual void DoBeforeLoadComponent(plat::TComponent* component, const plat::TXmlNode& node);

private:
    void Apply(plat::TComponent* component, const plat::TXmlNode& node);
    void BuildIndex();

    plat::TStringList fExclusions;
    plat::TXmlDocument fDocument;
    std::unordered_map<std::string, plat::TXmlNode> fIndex;
    bool fIndexed = false;
};

}  // namespace qm

namespace plat {
template <>
struct TTypeInfoOf<qm::TDesignType> {
    static const TTypeInfo* Get();
};
}  // namespace plat
