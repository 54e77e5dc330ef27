#include "platform/forms/DfmReader.h"

#include <algorithm>
#include <charconv>
#include <fstream>
#include <sstream>

#include "platform/forms/Forms.h"
#include "platform/forms/Resources.h"
#include "platform/forms/TypInfo.h"

namespace plat {

namespace {

[[noreturn]] void Fail(const std::string& source, int line, const std::string& cause) {
    throw EReadError("Error reading form description " + source + ", line " + std::to_string(line) + ": " + cause);
}

void AppendUtf8(std::string& out, uint32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

// ---- Parser --------------------------------------------------------------------------------

class TParser {
public:
    TParser(const std::string& text, const std::string& source) : fText(text), fSource(source) {
        if (fText.compare(0, 3, "\xEF\xBB\xBF") == 0) fPos = 3;
    }

    TDfmObject ParseRoot() {
        TDfmObject obj = ParseObject();
        SkipBlanks();
        if (fPos < fText.size()) Fail("text after the final end");
        return obj;
    }

private:
    [[noreturn]] void Fail(const std::string& cause) const { plat::Fail(fSource, fLine, cause); }

    void SkipBlanks() {
        while (fPos < fText.size()) {
            char c = fText[fPos];
            if (c == '\n') {
                ++fLine;
                ++fPos;
            } else if (static_cast<unsigned char>(c) <= ' ') {
                ++fPos;
            } else if (c == '/' && fPos + 1 < fText.size() && fText[fPos + 1] == '/') {
                while (fPos < fText.size() && fText[fPos] != '\n') ++fPos;
            } else {
                break;
            }
        }
    }
    char Peek() {
        SkipBlanks();
        return fPos < fText.size() ? fText[fPos] : '\0';
    }
    bool IsIdentStart(char c) const { return isalpha(static_cast<unsigned char>(c)) || c == '_'; }
    std::string Ident() {
        SkipBlanks();
        if (fPos >= fText.size() || !IsIdentStart(fText[fPos]))
            Fail(fPos >= fText.size() ? "unexpected end of the description" : std::string("identifier expected but '") + fText[fPos] + "' found");
        size_t b = fPos;
        while (fPos < fText.size() && (isalnum(static_cast<unsigned char>(fText[fPos])) || fText[fPos] == '_')) ++fPos;
        return fText.substr(b, fPos - b);
    }
    // Dotted identifier: a property path or a component reference.
    std::string DottedIdent() {
        std::string s = Ident();
        while (fPos < fText.size() && fText[fPos] == '.') {
            ++fPos;
            s += "." + Ident();
        }
        return s;
    }
    void Expect(char c) {
        if (Peek() != c) Fail(std::string("'") + c + "' expected" + (fPos < fText.size() ? std::string(" but '") + fText[fPos] + "' found" : std::string(" at the end")));
        ++fPos;
    }

    TDfmObject ParseObject() {
        TDfmObject obj;
        obj.Line = (SkipBlanks(), fLine);
        std::string kw = Ident();
        if (SameName(kw, "inherited")) obj.Inherited = true;
        else if (SameName(kw, "inline")) obj.Inline = true;
        else if (!SameName(kw, "object")) Fail("'object' expected but '" + kw + "' found");
        std::string first = Ident();
        if (Peek() == ':') {
            ++fPos;
            obj.Name = first;
            obj.ClassName = Ident();
        } else {
            obj.ClassName = first;
        }
        if (Peek() == '[') {  // child order index of an inherited component: not needed here
            ++fPos;
            ParseNumber();
            Expect(']');
        }
        while (true) {
            SkipBlanks();
            if (fPos >= fText.size()) Fail("'end' expected for object " + (obj.Name.empty() ? obj.ClassName : obj.Name));
            size_t save = fPos;
            int saveLine = fLine;
            std::string word = Ident();
            if (SameName(word, "end")) break;
            if (SameName(word, "object") || SameName(word, "inherited") || SameName(word, "inline")) {
                fPos = save;
                fLine = saveLine;
                obj.Children.push_back(ParseObject());
                continue;
            }
            fPos = save;
            fLine = saveLine;
            obj.Props.push_back(ParseProperty());
        }
        return obj;
    }

    TDfmProperty ParseProperty() {
        TDfmProperty p;
        p.Line = (SkipBlanks(), fLine);
        p.Name = DottedIdent();
        Expect('=');
        p.Value = ParseValue();
        return p;
    }

    TDfmValue ParseNumber() {
        TDfmValue v;
        v.Line = fLine;
        SkipBlanks();
        size_t b = fPos;
        if (fText[fPos] == '-' || fText[fPos] == '+') ++fPos;
        if (fPos < fText.size() && fText[fPos] == '$') {
            ++fPos;
            size_t hb = fPos;
            while (fPos < fText.size() && isxdigit(static_cast<unsigned char>(fText[fPos]))) ++fPos;
            uint64_t u = 0;
            auto r = std::from_chars(fText.data() + hb, fText.data() + fPos, u, 16);
            if (r.ec != std::errc() || hb == fPos) Fail("invalid hexadecimal number");
            v.Int = fText[b] == '-' ? -static_cast<int64_t>(u) : static_cast<int64_t>(u);
            return v;
        }
        bool isFloat = false;
        while (fPos < fText.size()) {
            char c = fText[fPos];
            if (isdigit(static_cast<unsigned char>(c))) {
                ++fPos;
            } else if (c == '.' || c == 'e' || c == 'E') {
                isFloat = true;
                ++fPos;
                if ((c == 'e' || c == 'E') && fPos < fText.size() && (fText[fPos] == '-' || fText[fPos] == '+')) ++fPos;
            } else {
                break;
            }
        }
        std::string num = fText.substr(b, fPos - b);
        if (num.empty() || num == "-" || num == "+") Fail("number expected");
        const char* s = num.data() + (num[0] == '+' ? 1 : 0);
        if (isFloat) {
            v.Kind = TDfmValueKind::Float;
            auto r = std::from_chars(s, num.data() + num.size(), v.Float);
            if (r.ec != std::errc() || r.ptr != num.data() + num.size()) Fail("invalid number " + num);
        } else {
            auto r = std::from_chars(s, num.data() + num.size(), v.Int);
            if (r.ec != std::errc() || r.ptr != num.data() + num.size()) Fail("invalid number " + num);
        }
        return v;
    }

    // 'abc' #13#10 'def' + 'ghi' ... as one string.
    std::string ParseString() {
        std::string out;
        uint32_t pendingHigh = 0;
        while (true) {
            char c = Peek();
            if (c == '\'') {
                ++fPos;
                while (true) {
                    if (fPos >= fText.size() || fText[fPos] == '\n') Fail("unterminated string");
                    if (fText[fPos] == '\'') {
                        if (fPos + 1 < fText.size() && fText[fPos + 1] == '\'') {
                            out += '\'';
                            fPos += 2;
                            continue;
                        }
                        ++fPos;
                        break;
                    }
                    out += fText[fPos++];
                }
            } else if (c == '#') {
                ++fPos;
                size_t b = fPos;
                while (fPos < fText.size() && isdigit(static_cast<unsigned char>(fText[fPos]))) ++fPos;
                if (b == fPos) Fail("character code expected after '#'");
                uint32_t cp = 0;
                std::from_chars(fText.data() + b, fText.data() + fPos, cp);
                if (cp >= 0xD800 && cp < 0xDC00) {
                    pendingHigh = cp;  // first half of a pair written as two codes
                    continue;
                }
                if (cp >= 0xDC00 && cp < 0xE000 && pendingHigh) cp = 0x10000 + ((pendingHigh - 0xD800) << 10) + (cp - 0xDC00);
                pendingHigh = 0;
                AppendUtf8(out, cp);
            } else if (c == '+') {
                ++fPos;
                char n = Peek();
                if (n != '\'' && n != '#') Fail("string expected after '+'");
            } else {
                break;
            }
            // Adjacent parts without '+' join only on the same line ('a'#13'b').
            if (fPos < fText.size() && fText[fPos] != '\'' && fText[fPos] != '#') {
                size_t save = fPos;
                int saveLine = fLine;
                if (Peek() == '+') continue;
                fPos = save;
                fLine = saveLine;
                break;
            }
        }
        return out;
    }

    TDfmValue ParseValue() {
        char c = Peek();
        TDfmValue v;
        v.Line = fLine;
        if (c == '\0') Fail("value expected at the end of the description");
        if (c == '\'' || c == '#') {
            v.Kind = TDfmValueKind::String;
            v.Str = ParseString();
        } else if (c == '-' || c == '+' || c == '$' || isdigit(static_cast<unsigned char>(c))) {
            v = ParseNumber();
        } else if (IsIdentStart(c)) {
            v.Kind = TDfmValueKind::Ident;
            v.Str = DottedIdent();
        } else if (c == '[') {
            ++fPos;
            v.Kind = TDfmValueKind::Set;
            if (Peek() != ']') {
                while (true) {
                    v.SetItems.push_back(Ident());
                    if (Peek() == ',') {
                        ++fPos;
                        continue;
                    }
                    break;
                }
            }
            Expect(']');
        } else if (c == '(') {
            ++fPos;
            v.Kind = TDfmValueKind::List;
            while (Peek() != ')') {
                if (Peek() == '\0') Fail("')' expected at the end of the list");
                v.List.push_back(ParseValue());
                if (Peek() == ',') ++fPos;
            }
            ++fPos;
        } else if (c == '<') {
            ++fPos;
            v.Kind = TDfmValueKind::Collection;
            while (Peek() != '>') {
                TDfmItem item;
                item.Line = fLine;
                std::string kw = Ident();
                if (!SameName(kw, "item")) Fail("'item' expected but '" + kw + "' found");
                if (Peek() == '[') {
                    ++fPos;
                    ParseNumber();
                    Expect(']');
                }
                while (true) {
                    SkipBlanks();
                    size_t save = fPos;
                    int saveLine = fLine;
                    std::string w = Ident();
                    if (SameName(w, "end")) break;
                    fPos = save;
                    fLine = saveLine;
                    item.Props.push_back(ParseProperty());
                }
                v.Items.push_back(std::move(item));
            }
            ++fPos;
        } else if (c == '{') {
            ++fPos;
            v.Kind = TDfmValueKind::Binary;
            int nibble = -1;
            while (Peek() != '}') {
                char h = fText[fPos++];
                if (!isxdigit(static_cast<unsigned char>(h))) Fail(std::string("hexadecimal digit expected in binary data but '") + h + "' found");
                int d = isdigit(static_cast<unsigned char>(h)) ? h - '0' : (tolower(h) - 'a' + 10);
                if (nibble < 0) nibble = d;
                else {
                    v.Bytes.push_back(static_cast<uint8_t>(nibble * 16 + d));
                    nibble = -1;
                }
                if (fPos >= fText.size()) Fail("'}' expected at the end of binary data");
            }
            if (nibble >= 0) Fail("odd number of hexadecimal digits in binary data");
            ++fPos;
        } else {
            Fail(std::string("invalid value starting with '") + c + "'");
        }
        return v;
    }

    const std::string& fText;
    std::string fSource;
    size_t fPos = 0;
    int fLine = 1;
};

// ---- Reader --------------------------------------------------------------------------------

struct TFixup {
    TObject* Instance;
    const TPropInfo* Prop;
    std::string Name;
    std::string Source;
    int Line;
};

class TReaderState {
public:
    explicit TReaderState(TComponent* root) : fRoot(root) {}

    void Read(const TDfmObject& top, const std::string& source) {
        fSource = source;
        if (!fRoot->InheritsFrom(top.ClassName)) {
            // A description of an ancestor class names that class; any class in the chain is fine.
            Fail(source, top.Line, "the description is of class " + top.ClassName + ", not of " + fRoot->ClassName());
        }
        if (!top.Name.empty() && !SameName(fRoot->Name(), top.Name)) SetRootName(top.Name, top.Line);
        MarkLoading(fRoot);
        ReadProps(fRoot, top.Props);
        for (auto& child : top.Children) ReadChild(child, fRoot);
    }

    void Finish() {
        for (auto& f : fFixups) {
            TComponent* target = Resolve(f.Name);
            if (!target) Fail(f.Source, f.Line, "component " + f.Name + " not found for property " + f.Prop->Name);
            try {
                SetObjectProp(f.Instance, f.Prop, target);
            } catch (const EReadError&) {
                throw;
            } catch (const std::exception& e) {
                Fail(f.Source, f.Line, e.what());
            }
        }
        fFixups.clear();
        for (auto* c : fLoaded) c->SetLoadingState(false);
        for (auto* c : fLoaded) c->Loaded();
        fLoaded.clear();
    }

private:
    void SetRootName(const std::string& name, int line) {
        std::string n = name;
        TComponent* owner = fRoot->Owner();
        for (int i = 1; owner && owner->FindComponent(n) && owner->FindComponent(n) != fRoot; ++i)
            n = name + "_" + std::to_string(i);
        try {
            fRoot->SetName(n);
        } catch (const std::exception& e) {
            Fail(fSource, line, e.what());
        }
    }

    void MarkLoading(TComponent* c) {
        if (std::find(fLoaded.begin(), fLoaded.end(), c) != fLoaded.end()) return;
        c->SetLoadingState(true);
        fLoaded.push_back(c);
    }

    TComponent* Resolve(const std::string& name) {
        if (SameName(name, "nil")) return nullptr;
        std::string local = name;
        size_t dot = name.find('.');
        if (dot != std::string::npos) {
            std::string rootName = name.substr(0, dot);
            if (!SameName(rootName, fRoot->Name())) return nullptr;
            local = name.substr(dot + 1);
        }
        if (SameName(local, fRoot->Name())) return fRoot;
        return fRoot->FindComponent(local);
    }

    void ReadChild(const TDfmObject& obj, TComponent* parent) {
        TComponent* c = nullptr;
        if (obj.Inherited) {
            c = fRoot->FindComponent(obj.Name);
            if (!c) Fail(fSource, obj.Line, "ancestor component " + obj.Name + " not found");
        } else {
            if (obj.Name.empty() || !fRoot->FindComponent(obj.Name)) {
                try {
                    c = CreateComponentByClassName(obj.ClassName, fRoot);
                } catch (const EClassNotFound&) {
                    Fail(fSource, obj.Line, "class " + obj.ClassName + " not found");
                } catch (const EReadError&) {
                    throw;
                } catch (const std::exception& e) {
                    Fail(fSource, obj.Line, "cannot create " + obj.ClassName + ": " + e.what());
                }
                MarkLoading(c);
                try {
                    c->SetName(obj.Name);
                } catch (const std::exception& e) {
                    Fail(fSource, obj.Line, e.what());
                }
            } else {
                Fail(fSource, obj.Line, "a component named " + obj.Name + " already exists");
            }
        }
        MarkLoading(c);
        if (c->HasParent() && parent != c) c->SetParentComponent(parent);
        ReadProps(c, obj.Props);
        for (auto& child : obj.Children) ReadChild(child, c);
    }

    void ReadProps(TObject* obj, const std::vector<TDfmProperty>& props) {
        for (auto& p : props) ReadProp(obj, p);
    }

    void ReadProp(TObject* obj, const TDfmProperty& p) {
        try {
            // Walk the path through class-typed properties.
            TObject* target = obj;
            std::string last = p.Name;
            size_t pos = 0;
            size_t dot;
            while ((dot = last.find('.', pos)) != std::string::npos) {
                std::string seg = last.substr(pos, dot - pos);
                const TPropInfo* pi = GetPropInfo(target, seg);
                if (!pi) throw EPropertyError("property " + seg + " does not exist in class " + target->ClassName());
                if (pi->Kind() != tkClass) throw EPropertyError("property " + seg + " is not an object property");
                target = GetObjectProp(target, pi);
                if (!target) throw EPropertyError("property " + seg + " holds no object");
                pos = dot + 1;
            }
            last = last.substr(pos);
            const TPropInfo* pi = GetPropInfo(target, last);
            if (!pi) {
                auto* pers = dynamic_cast<TPersistent*>(target);
                if (pers && pers->ReadDefinedProperty(last, p.Value)) return;
                throw EPropertyError("property " + last + " does not exist in class " + target->ClassName());
            }
            Assign(target, pi, p.Value);
        } catch (const EReadError&) {
            throw;
        } catch (const std::exception& e) {
            Fail(fSource, p.Line, std::string(e.what()) + " (" + p.Name + ")");
        }
    }

    void Assign(TObject* target, const TPropInfo* pi, const TDfmValue& v) {
        auto bad = [&]() -> void { throw EPropertyError("invalid value for property " + pi->Name + " of type " + pi->PropType->Name); };
        switch (pi->Kind()) {
            case tkInteger:
            case tkInt64:
                if (v.Kind == TDfmValueKind::Integer) SetOrdProp(target, pi, v.Int);
                else if (v.Kind == TDfmValueKind::Ident) {
                    int64_t n = 0;
                    if (!pi->PropType->IdentToInt(v.Str, n)) throw EPropertyError("unknown identifier " + v.Str + " for property " + pi->Name);
                    SetOrdProp(target, pi, n);
                } else bad();
                break;
            case tkChar:
            case tkWChar:
                if (v.Kind == TDfmValueKind::Integer) SetOrdProp(target, pi, v.Int);
                else if (v.Kind == TDfmValueKind::String && v.Str.size() == 1) SetOrdProp(target, pi, static_cast<unsigned char>(v.Str[0]));
                else bad();
                break;
            case tkEnumeration: {
                if (v.Kind != TDfmValueKind::Ident) bad();
                int e = pi->PropType->EnumValue(v.Str);
                if (e < 0) throw EPropertyError("invalid value " + v.Str + " for property " + pi->Name + " of type " + pi->PropType->Name);
                SetOrdProp(target, pi, e);
                break;
            }
            case tkSet: {
                if (v.Kind != TDfmValueKind::Set) bad();
                std::string text;
                for (auto& s : v.SetItems) text += (text.empty() ? "" : ",") + s;
                SetOrdProp(target, pi, StringToSet(pi->PropType, text));
                break;
            }
            case tkFloat:
                if (v.Kind == TDfmValueKind::Float) SetFloatProp(target, pi, v.Float);
                else if (v.Kind == TDfmValueKind::Integer) SetFloatProp(target, pi, static_cast<double>(v.Int));
                else bad();
                break;
            case tkString:
            case tkLString:
            case tkWString:
                if (v.Kind != TDfmValueKind::String) bad();
                SetStrProp(target, pi, v.Str);
                break;
            case tkVariant:
                if (v.Kind == TDfmValueKind::String) SetPropValue(target, pi, Variant(v.Str));
                else if (v.Kind == TDfmValueKind::Integer) SetPropValue(target, pi, Variant(static_cast<int32_t>(v.Int)));
                else if (v.Kind == TDfmValueKind::Float) SetPropValue(target, pi, Variant(v.Float));
                else bad();
                break;
            case tkMethod: {
                if (v.Kind != TDfmValueKind::Ident) bad();
                if (SameName(v.Str, "nil")) {
                    SetMethodProp(target, pi, TMethod{});
                    break;
                }
                const TMethodInfo* m = fRoot->MethodAddress(v.Str);
                if (!m) throw EPropertyError("method " + v.Str + " not found in class " + fRoot->ClassName());
                SetMethodProp(target, pi, TMethod{m, fRoot});
                break;
            }
            case tkClass: {
                if (v.Kind == TDfmValueKind::Ident) {
                    fFixups.push_back(TFixup{target, pi, v.Str, fSource, v.Line});
                } else if (v.Kind == TDfmValueKind::Collection) {
                    auto* coll = dynamic_cast<TCollection*>(GetObjectProp(target, pi));
                    if (!coll) bad();
                    coll->BeginUpdate();
                    try {
                        coll->Clear();
                        for (auto& item : v.Items) {
                            TCollectionItem* ci = coll->Add();
                            ReadProps(ci, item.Props);
                        }
                    } catch (...) {
                        coll->EndUpdate();
                        throw;
                    }
                    coll->EndUpdate();
                } else {
                    bad();
                }
                break;
            }
            default:
                bad();
        }
    }

    TComponent* fRoot;
    std::string fSource;
    std::vector<TFixup> fFixups;
    std::vector<TComponent*> fLoaded;
};

std::string ReadFile(const std::string& fileName) {
    std::ifstream in(fileName, std::ios::binary);
    if (!in) throw EReadError("Cannot open form description " + fileName);
    std::ostringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

}  // namespace

std::vector<std::string> TDfmValue::StringList() const {
    if (Kind != TDfmValueKind::List) Fail("(value)", Line, "a list of strings expected");
    std::vector<std::string> r;
    for (auto& e : List) {
        switch (e.Kind) {
            case TDfmValueKind::String:
            case TDfmValueKind::Ident: r.push_back(e.Str); break;
            case TDfmValueKind::Integer: r.push_back(std::to_string(e.Int)); break;
            case TDfmValueKind::Float: r.push_back(FloatToText(e.Float)); break;
            default: Fail("(value)", e.Line, "a list of strings expected");
        }
    }
    return r;
}

TDfmObject ParseDescription(const std::string& text, const std::string& source) {
    return TParser(text, source).ParseRoot();
}

bool InitInheritedComponent(TComponent* instance, const TClassInfo& rootAncestor) {
    // Most basic class first, so a descendant's description changes what its ancestor's made.
    std::vector<const TResource*> descriptions;
    for (auto* c = instance->ClassType(); c && c != &rootAncestor; c = c->Parent)
        if (auto* r = FindDescriptionForClass(c->Name)) descriptions.insert(descriptions.begin(), r);
    if (descriptions.empty()) return false;
    TReaderState reader(instance);
    for (auto* r : descriptions) reader.Read(ParseDescription(r->Text(), r->Name), r->Name);
    reader.Finish();
    return true;
}

void ReadDescriptionInto(TComponent* root, const std::string& text, const std::string& source) {
    TDfmObject top = ParseDescription(text, source);
    TReaderState reader(root);
    reader.Read(top, source);
    reader.Finish();
}

void ReadDescriptionFile(TComponent* root, const std::string& fileName) {
    ReadDescriptionInto(root, ReadFile(fileName), fileName);
}

void ReadDescriptionResource(TComponent* root, const std::string& resourceName) {
    const TResource* r = FindResource(resourceName, TResourceKind::Description);
    if (!r) throw EResNotFound("Resource " + resourceName + " not found");
    ReadDescriptionInto(root, r->Text(), r->Name);
}

TComponent* CreateFromDescription(const std::string& text, const std::string& source, TComponent* owner) {
    TDfmObject top = ParseDescription(text, source);
    TComponent* root = nullptr;
    const TClassInfo* cls = FindClass(top.ClassName);
    if (cls && cls->CreateComponent && !cls->InheritsFrom(&TCustomForm::StaticClass())) root = cls->CreateComponent(owner);
    else if (cls && cls->CreateComponent && FindDescriptionForClass(top.ClassName)) root = cls->CreateComponent(owner);
    else root = CreateObject<TForm>(owner, 0);
    try {
        TReaderState reader(root);
        top.ClassName = root->ClassName();  // an unknown form class is read into a plain form
        reader.Read(top, source);
        reader.Finish();
    } catch (...) {
        root->Free();
        throw;
    }
    return root;
}

}  // namespace plat
