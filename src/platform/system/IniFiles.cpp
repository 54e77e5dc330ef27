#include "platform/system/IniFiles.h"

#include <sys/stat.h>

#include <fstream>
#include <sstream>
#include <unordered_map>

#include "platform/core/SysUtils.h"
#include "platform/system/CodePage.h"

namespace plat {

struct TCustomIniFile::Data {
    struct Section {
        std::string Name;
        std::vector<std::pair<std::string, std::string>> Entries;  // first of each name only
        std::unordered_map<std::string, size_t> Index;             // upper-cased name -> entry
    };
    std::vector<Section> Sections;
    std::unordered_map<std::string, size_t> Index;  // upper-cased section name -> section

    const Section* Find(const std::string& section) const {
        const auto it = Index.find(AnsiUpperCase(Trim(section)));
        return it == Index.end() ? nullptr : &Sections[it->second];
    }
    const std::string* Value(const std::string& section, const std::string& ident) const {
        const Section* s = Find(section);
        if (!s) return nullptr;
        const auto it = s->Index.find(AnsiUpperCase(Trim(ident)));
        return it == s->Index.end() ? nullptr : &s->Entries[it->second].second;
    }
};

namespace {

using Data = TCustomIniFile::Data;

std::string StripQuotes(const std::string& v) {
    // Either kind of quote pair goes, as the system's own profile reader did.
    if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
        return v.substr(1, v.size() - 2);
    return v;
}

std::shared_ptr<Data> Parse(std::string text) {
    if (text.rfind("\xEF\xBB\xBF", 0) == 0) text.erase(0, 3);
    else if (!IsValidUtf8(text)) text = CodePageToUtf8(text, 54936);

    auto data = std::make_shared<Data>();
    Data::Section* current = nullptr;  // null before the first header and inside a repeated one
    std::istringstream in(text);
    std::string raw;
    while (std::getline(in, raw)) {
        const std::string line = Trim(raw);  // also drops the CR of CR LF lines
        if (line.empty() || line[0] == ';') continue;
        if (line[0] == '[') {
            const size_t close = line.find(']');
            const std::string name = Trim(line.substr(1, close == std::string::npos ? std::string::npos : close - 1));
            const std::string key = AnsiUpperCase(name);
            if (data->Index.count(key)) {
                current = nullptr;  // the first section of a name wins
                continue;
            }
            data->Index.emplace(key, data->Sections.size());
            data->Sections.push_back({name, {}, {}});
            current = &data->Sections.back();
            continue;
        }
        if (!current) continue;
        const size_t eq = line.find('=');
        if (eq == std::string::npos) continue;
        const std::string name = Trim(line.substr(0, eq));
        if (name.empty()) continue;
        const std::string key = AnsiUpperCase(name);
        if (current->Index.count(key)) continue;  // the first of two equal keys wins
        current->Index.emplace(key, current->Entries.size());
        current->Entries.emplace_back(name, StripQuotes(Trim(line.substr(eq + 1))));
    }
    return data;
}

// Reads a whole file; false when it cannot be opened.
bool ReadFile(const std::string& fileName, std::string& text) {
    std::ifstream f(fileName, std::ios::binary);
    if (!f) return false;
    std::ostringstream ss;
    ss << f.rdbuf();
    text = ss.str();
    return true;
}

std::shared_ptr<Data> Load(const std::string& fileName) {
    std::string text;
    if (fileName.empty() || !ReadFile(fileName, text)) return std::make_shared<Data>();
    return Parse(std::move(text));
}

int64_t FileStamp(const std::string& fileName) {
    struct stat st {};
    if (fileName.empty() || ::stat(fileName.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return -1;
    const int64_t ns = static_cast<int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    return (ns ^ (static_cast<int64_t>(st.st_size) << 40)) & INT64_MAX;
}

}  // namespace

std::string TCustomIniFile::ReadString(const std::string& section, const std::string& ident,
                                       const std::string& def) const {
    const auto data = Contents();
    const std::string* v = data->Value(section, ident);
    return v ? *v : def;
}

int32_t TCustomIniFile::ReadInteger(const std::string& section, const std::string& ident,
                                    int32_t def) const {
    std::string s = ReadString(section, ident, "");
    if (s.size() > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) s = "$" + s.substr(2);
    return StrToIntDef(s, def);
}

bool TCustomIniFile::ReadBool(const std::string& section, const std::string& ident,
                              bool def) const {
    return ReadInteger(section, ident, def ? 1 : 0) != 0;
}

double TCustomIniFile::ReadFloat(const std::string& section, const std::string& ident,
                                 double def) const {
    const std::string s = ReadString(section, ident, "");
    if (s.empty()) return def;
    return StrToFloatDef(s, def);
}

bool TCustomIniFile::SectionExists(const std::string& section) const {
    return Contents()->Find(section) != nullptr;
}

bool TCustomIniFile::ValueExists(const std::string& section, const std::string& ident) const {
    return Contents()->Value(section, ident) != nullptr;
}

std::vector<std::string> TCustomIniFile::ReadSection(const std::string& section) const {
    std::vector<std::string> out;
    const auto data = Contents();
    if (const auto* s = data->Find(section))
        for (const auto& e : s->Entries) out.push_back(e.first);
    return out;
}

std::vector<std::string> TCustomIniFile::ReadSectionValues(const std::string& section) const {
    std::vector<std::string> out;
    const auto data = Contents();
    if (const auto* s = data->Find(section))
        for (const auto& e : s->Entries) out.push_back(e.first + "=" + e.second);
    return out;
}

std::vector<std::string> TCustomIniFile::ReadSections() const {
    std::vector<std::string> out;
    const auto data = Contents();
    for (const auto& s : data->Sections) out.push_back(s.Name);
    return out;
}

TIniFile::TIniFile(const std::string& fileName) : TCustomIniFile(fileName) {}
TIniFile::~TIniFile() = default;

std::shared_ptr<const TCustomIniFile::Data> TIniFile::Contents() const {
    const int64_t stamp = FileStamp(fFileName);
    std::lock_guard<std::mutex> lock(fMutex);
    if (!fData || stamp != fStamp) {
        fData = stamp < 0 ? std::make_shared<Data>() : Load(fFileName);
        fStamp = stamp;
    }
    return fData;
}

TMemIniFile::TMemIniFile(const std::string& fileName)
    : TCustomIniFile(fileName), fData(Load(fileName)) {}
TMemIniFile::TMemIniFile() : TCustomIniFile(std::string()), fData(std::make_shared<Data>()) {}
TMemIniFile::~TMemIniFile() = default;

std::unique_ptr<TMemIniFile> TMemIniFile::FromText(const std::string& text) {
    std::unique_ptr<TMemIniFile> ini(new TMemIniFile());
    ini->fData = Parse(text);
    return ini;
}

std::shared_ptr<const TCustomIniFile::Data> TMemIniFile::Contents() const { return fData; }

}  // namespace plat
