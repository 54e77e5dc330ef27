#include "environment/LangCommon.h"

#include "environment/LibRTTI.h"
#include "environment/OrreryINI.h"
#include "platform/core/SysUtils.h"
#include "platform/forms/Forms.h"
#include "platform/forms/TypInfo.h"

#include <cctype>

using namespace plat;

namespace plat {
const TTypeInfo* TTypeInfoOf<qm::TDesignType>::Get() {
    static const TTypeInfo* t = MakeEnumType("TDesignType", {"dtClient", "dtServer"});
    return t;
}
}  // namespace plat

namespace qm {

namespace {

// A published or protected property's object (combo boxes keep ItemIndex unpublished in places).
const TPropInfo* AnyProp(const TObject* obj, const std::string& name) {
    return obj ? obj->ClassType()->FindAnyProperty(name) : nullptr;
}

bool ParseIndex(const std::string& text, int& value) {
    if (text.empty()) return false;
    size_t i = (text[0] == '-' || text[0] == '+') ? 1 : 0;
    if (i == text.size()) return false;
    for (size_t k = i; k < text.size(); ++k)
        if (text[k] < '0' || text[k] > '9') return false;
    return TryStrToInt(text, value);
}

// Element names are XML names; a component name that is not one can have no element.
bool IsXmlName(const std::string& name) {
    if (name.empty()) return false;
    for (size_t i = 0; i < name.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(name[i]);
        bool ok = c >= 0x80 || std::isalpha(c) || c == '_' || (i > 0 && (std::isdigit(c) || c == '-' || c == '.'));
        if (!ok) return false;
    }
    return true;
}

// The item at `index` of the collection a property holds; nullptr when there is none.
TObject* CollectionItemOf(TObject* owner, const std::string& prop, int index) {
    auto* coll = dynamic_cast<TCollection*>(GetObjectProperty(owner, prop));
    if (!coll || index < 0 || index >= coll->Count()) return nullptr;
    return coll->Items(index);
}

int ItemIndexOf(TComponent* c) {
    const TPropInfo* p = AnyProp(c, "ItemIndex");
    return p && p->GetOrd ? static_cast<int>(p->GetOrd(c)) : -1;
}
void SetItemIndexOf(TComponent* c, int index) {
    const TPropInfo* p = AnyProp(c, "ItemIndex");
    if (p && p->SetOrd) p->SetOrd(c, index);
}

}  // namespace

std::string LanguageCode(const std::string& uiCodePage) {
    if (uiCodePage == "936") return "CHS";
    if (uiCodePage == "950") return "CHT";
    if (uiCodePage == "437") return "ENG";
    return "";
}

std::string LanguageFolder(TDesignType designType) {
    std::string base, ui;
    if (designType == dtServer) {
        TOrreryIniS ini;
        base = ini.ServerPath;
        ui = ini.UICodePage;
    } else {
        TOrreryIniC ini;
        base = ini.ClientPath;
        ui = ini.UICodePage;
    }
    std::string code = LanguageCode(ui);
    if (code.empty() || base.empty()) return "";
    std::string folder = base + "MultiLanguage/" + code + "/";
    return DirectoryExists(folder) ? folder : "";
}

std::string LanguagePackageFile(TDesignType designType, const std::string& packageName) {
    std::string folder = LanguageFolder(designType);
    return folder.empty() ? std::string() : folder + packageName + ".Lng";
}

bool FindLangMessage(TDesignType designType, const std::string& packageName, const std::string& key,
                     std::string& text) {
    std::string file = LanguagePackageFile(designType, packageName);
    if (file.empty() || !FileExists(file) || !IsXmlName(key)) return false;
    try {
        TXmlDocument doc;
        if (!doc.Load(file)) return false;
        TXmlNode root = doc.DocumentElement();
        if (!root) return false;
        TXmlNode node = root.SelectSingleNode("//" + key + "/@Msg");
        if (!node || node.NodeType() != ntAttribute) return false;
        text = node.Text();
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

void ReadLangMessage(TDesignType designType, const std::string& packageName, const std::string& key,
                     std::string& text, const std::string& def) {
    if (!FindLangMessage(designType, packageName, key, text)) text = def;
}

// ---- Component readers ----------------------------------------------------------------------

TComponentRead::TComponentRead(TComponent* component, const TXmlNode& element)
    : fComponent(component), fElement(element) {}

void TComponentRead::ReadAttribute(const Variant& index) {
    if (!fElement) return;
    TXmlNode attr;
    switch (index.VarType()) {
        case varSmallint: case varInteger: case varByte:
            attr = fElement.Attribute(index.AsInteger());
            break;
        case varString: case varOleStr:
            attr = fElement.GetAttributeNode(index.AsString());
            break;
        default:
            return;
    }
    if (attr) ApplyAttribute(attr);
}

void TComponentRead::ReadAll() {
    if (!fElement) return;
    int n = fElement.AttributeCount();
    for (int i = 0; i < n; ++i) ReadAttribute(Variant(i));
}

void TComponentRead::ApplyAttribute(const TXmlNode& attribute) {
    const std::string path = attribute.NodeName();
    const std::string value = attribute.Text();
    TObject* t = fComponent;
    if (!t) return;

    std::string last = Trim(path);
    if (path.find('.') != std::string::npos) {
        std::vector<std::string> segs;
        size_t start = 0;
        for (;;) {
            size_t dot = path.find('.', start);
            segs.push_back(path.substr(start, dot == std::string::npos ? std::string::npos : dot - start));
            if (dot == std::string::npos) break;
            start = dot + 1;
        }
        last = Trim(segs.back());
        for (size_t i = 0; i + 1 < segs.size(); ++i) {
            std::string seg = Trim(segs[i]);
            size_t us = seg.find('_');
            if (us == std::string::npos) {
                TObject* obj = GetObjectProperty(t, seg);
                if (!obj) return;
                t = obj;
                continue;
            }
            std::string name = seg.substr(0, us);
            int index = 0;
            if (!ParseIndex(seg.substr(us + 1), index) || !(SameText(name, "Items") || SameText(name, "Columns"))) {
                last = seg;  // the walk stops here; this segment receives the value
                break;
            }
            if (t->InheritsFrom("TListItems")) {
                // a list view's item list: the index does not move into it
            } else if (auto* coll = dynamic_cast<TCollection*>(t)) {
                if (index >= 0 && index < coll->Count()) t = coll->Items(index);
            } else if (t->InheritsFrom("TCustomListView") || t->InheritsFrom("TCustomTreeView")) {
                // columns and list items are collections; tree nodes a collection in pre-order,
                // so the index is the node's absolute index
                if (TObject* item = CollectionItemOf(t, name, index)) t = item;
            } else {
                TObject* obj = GetObjectProperty(t, name);
                if (!obj) return;
                t = obj;
            }
        }
    }

    int n = -1;
    std::string name = last;
    size_t us = last.find('_');
    if (us != std::string::npos) {
        name = last.substr(0, us);
        if (!ParseIndex(last.substr(us + 1), n)) n = -1;
    }
    if (t == fComponent && n >= 0) {
        t = GetObjectProperty(t, name);
        if (!t) return;
    }

    if (auto* lines = dynamic_cast<TStrings*>(t)) {
        if (n < 0 || n > MaxLangLineIndex) return;
        lines->BeginUpdate();
        while (lines->Count() <= n) lines->Add("");
        lines->SetStrings(n, value);
        lines->EndUpdate();
        return;
    }
    TrySetPropertyByPath(t, name, Variant(value));
}

void TCustomComboBoxRead::ReadAll() {
    int index = ItemIndexOf(fComponent);
    TComponentRead::ReadAll();
    SetItemIndexOf(fComponent, index);
}

void TwwDBCustomComboBoxRead::ReadAll() {
    int index = ItemIndexOf(fComponent);
    TComponentRead::ReadAll();
    SetItemIndexOf(fComponent, index);
}

ILangReadPtr TReaderFactory::CreateReader(TComponent* component, const TXmlNode& element) {
    if (component && component->InheritsFrom("TwwDBCustomComboBox"))
        return std::make_shared<TwwDBCustomComboBoxRead>(component, element);
    if (component && component->InheritsFrom("TCustomComboBox"))
        return std::make_shared<TCustomComboBoxRead>(component, element);
    return std::make_shared<TComponentRead>(component, element);
}

// ---- The package reader ---------------------------------------------------------------------

TLangReader::TLangReader(const TXmlDocument& document) : fDocument(document) {}

bool TLangReader::IsExcluded(const std::string& name) const {
    std::string n = Trim(name);
    for (int i = 0; i < fExclusions.Count(); ++i)
        if (AnsiSameText(Trim(fExclusions.Strings(i)), n)) return true;
    return false;
}

void TLangReader::BuildIndex() {
    fIndex.clear();
    // Pre-order walk = document order; the first element of a name is the one kept.
    std::vector<TXmlNode> stack;
    if (TXmlNode root = fDocument.DocumentElement()) stack.push_back(root);
    while (!stack.empty()) {
        TXmlNode node = stack.back();
        stack.pop_back();
        fIndex.try_emplace(node.NodeName(), node);
        std::vector<TXmlNode> children;
        for (TXmlNode c = node.FirstChild(); c; c = c.NextSibling())
            if (c.NodeType() == ntElement) children.push_back(c);
        for (auto it = children.rbegin(); it != children.rend(); ++it) stack.push_back(*it);
    }
    fIndexed = true;
}

TXmlNode TLangReader::FindElement(const std::string& name) {
    if (!IsXmlName(name)) return TXmlNode();
    if (!UseIndex) {
        try {
            return fDocument.SelectSingleNode("//" + name);
        } catch (const std::exception&) {
            return TXmlNode();
        }
    }
    if (!fIndexed) BuildIndex();
    auto it = fIndex.find(name);
    return it == fIndex.end() ? TXmlNode() : it->second;
}

void TLangReader::Apply(TComponent* component, const TXmlNode& node) {
    DoBeforeLoadComponent(component, node);
    TReaderFactory::CreateReader(component, node)->ReadAll();
    DoAfterLoadComponent(component, node);
}

void TLangReader::ApplyTo(TComponent* component) {
    if (!component) return;
    if (dynamic_cast<TCustomForm*>(component) || dynamic_cast<TDataModule*>(component)) {
        if (TXmlNode root = fDocument.DocumentElement()) Apply(component, root);
    }
    const std::string& name = component->Name();
    if (!name.empty() && !IsExcluded(name)) {
        if (TXmlNode node = FindElement(name)) Apply(component, node);
    }
    // A reader may create or free components; walk a snapshot.
    std::vector<TComponent*> owned = component->ComponentList();
    for (TComponent* c : owned) ApplyTo(c);
}

void TLangReader::DoAfterLoadComponent(TComponent* component, const TXmlNode& node) {
    AfterLoadComponent(component, node);
}
void TLangReader::DoBeforeLoadComponent(TComponent* component, const TXmlNode& node) {
    BeforeLoadComponent(component, node);
}

}  // namespace qm
