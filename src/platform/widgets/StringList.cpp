#include "platform/widgets/StringList.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <numeric>
#include <sstream>

#include "platform/core/SysUtils.h"
#include "platform/forms/DfmReader.h"

namespace plat {

PLAT_DEFINE_ENUM(TDuplicates, "dupIgnore", "dupAccept", "dupError")

namespace {
const char* const SListIndexError = "List index out of bounds (%d)";
const char* const SSortedListError = "Operation not allowed on sorted string list";
const char* const SDuplicateString = "String list does not allow duplicates";

// The character at i of a text read the way the original reads a null-terminated text: the end
// (and an embedded NUL) reads as 0.
char At(const std::string& s, size_t i) { return i < s.size() ? s[i] : '\0'; }
unsigned char UAt(const std::string& s, size_t i) { return static_cast<unsigned char>(At(s, i)); }

std::string QuoteText(const std::string& s, char quote) {
    std::string r(1, quote);
    for (char c : s) {
        r += c;
        if (c == quote) r += quote;
    }
    r += quote;
    return r;
}

// Reads a quoted text starting at p (on the opening quote) and leaves p after it. A doubled quote
// stands for one; an unterminated text ends at the end of the input and loses its last character,
// as the original reader does.
std::string ExtractQuoted(const std::string& s, size_t& p, char quote) {
    if (At(s, p) != quote) return {};
    size_t start = p + 1;
    size_t end = s.find('\0', start);
    if (end == std::string::npos) end = s.size();
    auto scan = [&](size_t from) {
        size_t q = s.find(quote, from);
        return q < end ? q : std::string::npos;
    };
    size_t src = scan(start);
    while (src != std::string::npos) {
        ++src;
        if (At(s, src) != quote) break;
        ++src;
        src = scan(src);
    }
    if (src == std::string::npos) src = end;
    p = src;
    if (src - start <= 1) return {};
    std::string raw = s.substr(start, src - start - 1), r;
    for (size_t i = 0; i < raw.size(); ++i) {
        r += raw[i];
        if (raw[i] == quote && i + 1 < raw.size() && raw[i + 1] == quote) ++i;
    }
    return r;
}
}  // namespace

// ---- TStrings ----------------------------------------------------------------------------

PLAT_REGISTER_CLASS(TStrings, TPersistent) {}

void TStrings::Error(const std::string& fmt, int data) {
    std::string msg = fmt;
    size_t p = msg.find("%d");
    if (p != std::string::npos) msg.replace(p, 2, std::to_string(data));
    throw EListError(msg);
}

void TStrings::CheckIndex(int index, int count) const {
    if (index < 0 || index >= count) Error(SListIndexError, index);
}

void TStrings::Put(int index, const std::string& s) {
    TObject* obj = GetObject(index);
    Delete(index);
    InsertObject(index, s, obj);
}

TObject* TStrings::GetObject(int) const { return nullptr; }
void TStrings::PutObject(int, TObject*) {}

int TStrings::Add(const std::string& s) {
    int index = GetCount();
    Insert(index, s);
    return index;
}

int TStrings::AddObject(const std::string& s, TObject* obj) {
    int index = Add(s);
    PutObject(index, obj);
    return index;
}

void TStrings::AddStrings(const TStrings* strings) {
    if (!strings) return;
    BeginUpdate();
    try {
        for (int i = 0; i < strings->Count(); ++i) AddObject(strings->Get(i), strings->GetObject(i));
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
}

void TStrings::AddStrings(const std::vector<std::string>& lines) {
    BeginUpdate();
    try {
        for (const auto& s : lines) Add(s);
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
}

void TStrings::InsertObject(int index, const std::string& s, TObject* obj) {
    Insert(index, s);
    PutObject(index, obj);
}

void TStrings::Exchange(int index1, int index2) {
    BeginUpdate();
    try {
        TObject* obj = GetObject(index1);
        std::string s = Get(index1);
        Put(index1, Get(index2));
        PutObject(index1, GetObject(index2));
        Put(index2, s);
        PutObject(index2, obj);
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
}

void TStrings::Move(int curIndex, int newIndex) {
    if (curIndex == newIndex) return;
    BeginUpdate();
    try {
        std::string s = Get(curIndex);
        TObject* obj = GetObject(curIndex);
        Delete(curIndex);
        InsertObject(newIndex, s, obj);
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
}

int TStrings::CompareStrings(const std::string& a, const std::string& b) const { return AnsiCompareText(a, b); }

int TStrings::IndexOf(const std::string& s) const {
    for (int i = 0; i < GetCount(); ++i)
        if (CompareStrings(Get(i), s) == 0) return i;
    return -1;
}

int TStrings::IndexOfName(const std::string& name) const {
    for (int i = 0; i < GetCount(); ++i) {
        std::string s = Get(i);
        size_t p = s.find(fNameValueSeparator);
        if (p != std::string::npos && CompareStrings(s.substr(0, p), name) == 0) return i;
    }
    return -1;
}

int TStrings::IndexOfObject(const TObject* obj) const {
    for (int i = 0; i < GetCount(); ++i)
        if (GetObject(i) == obj) return i;
    return -1;
}

bool TStrings::Equals(const TStrings* other) const {
    if (!other || other->Count() != Count()) return false;
    for (int i = 0; i < Count(); ++i)
        if (Get(i) != other->Get(i)) return false;
    return true;
}

std::vector<std::string> TStrings::ToVector() const {
    std::vector<std::string> r;
    r.reserve(static_cast<size_t>(Count()));
    for (int i = 0; i < Count(); ++i) r.push_back(Get(i));
    return r;
}

std::string TStrings::Names(int index) const {
    std::string s = Get(index);
    size_t p = s.find(fNameValueSeparator);
    return p == std::string::npos ? std::string() : s.substr(0, p);
}

std::string TStrings::Values(const std::string& name) const {
    int i = IndexOfName(name);
    if (i < 0) return {};
    std::string s = Get(i);
    return s.substr(s.find(fNameValueSeparator) + 1);
}

void TStrings::SetValues(const std::string& name, const std::string& value) {
    int i = IndexOfName(name);
    if (!value.empty()) {
        if (i < 0) i = Add("");
        Put(i, name + fNameValueSeparator + value);
    } else if (i >= 0) {
        Delete(i);
    }
}

std::string TStrings::ValueFromIndex(int index) const {
    if (index < 0) return {};
    std::string s = Get(index);
    size_t p = s.find(fNameValueSeparator);
    return p == std::string::npos ? std::string() : s.substr(p + 1);
}

void TStrings::SetValueFromIndex(int index, const std::string& value) {
    if (!value.empty()) {
        if (index < 0) index = Add("");
        Put(index, Names(index) + fNameValueSeparator + value);
    } else if (index >= 0) {
        Delete(index);
    }
}

std::string TStrings::Text() const {
    std::string r;
    for (int i = 0; i < GetCount(); ++i) {
        r += Get(i);
        r += "\r\n";
    }
    return r;
}

void TStrings::SetText(const std::string& text) {
    BeginUpdate();
    try {
        Clear();
        size_t p = 0;
        while (At(text, p) != '\0') {
            size_t start = p;
            while (At(text, p) != '\0' && At(text, p) != '\n' && At(text, p) != '\r') ++p;
            Add(text.substr(start, p - start));
            if (At(text, p) == '\r') ++p;
            if (At(text, p) == '\n') ++p;
        }
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
}

namespace {
std::string JoinDelimited(const TStrings& list, char delimiter, char quote) {
    int count = list.Count();
    if (count == 1 && list.Get(0).empty()) return std::string(2, quote);
    std::string r;
    for (int i = 0; i < count; ++i) {
        std::string s = list.Get(i);
        size_t p = 0;
        while (p < s.size()) {
            unsigned char c = static_cast<unsigned char>(s[p]);
            if (c <= ' ' || s[p] == quote || s[p] == delimiter) break;
            ++p;
        }
        // Stopping on a character (not at the end, not at an embedded NUL) means it needs quotes.
        if (p < s.size() && s[p] != '\0') s = QuoteText(s, quote);
        r += s;
        if (i + 1 < count) r += delimiter;
    }
    return r;
}

void SplitDelimited(TStrings& list, const std::string& text, char delimiter, char quote) {
    auto isBlank = [&](size_t p) { unsigned char c = UAt(text, p); return c >= 1 && c <= ' '; };
    list.BeginUpdate();
    try {
        list.Clear();
        size_t p = 0;
        while (isBlank(p)) ++p;
        while (At(text, p) != '\0') {
            std::string s;
            if (At(text, p) == quote) {
                s = ExtractQuoted(text, p, quote);
            } else {
                size_t start = p;
                while (UAt(text, p) > ' ' && At(text, p) != delimiter) ++p;
                s = text.substr(start, p - start);
            }
            list.Add(s);
            while (isBlank(p)) ++p;
            if (At(text, p) == delimiter) {
                if (At(text, p + 1) == '\0') list.Add("");
                do {
                    ++p;
                } while (isBlank(p));
            }
        }
    } catch (...) {
        list.EndUpdate();
        throw;
    }
    list.EndUpdate();
}
}  // namespace

std::string TStrings::DelimitedText() const { return JoinDelimited(*this, fDelimiter, fQuoteChar); }
void TStrings::SetDelimitedText(const std::string& text) { SplitDelimited(*this, text, fDelimiter, fQuoteChar); }
std::string TStrings::CommaText() const { return JoinDelimited(*this, ',', '"'); }
void TStrings::SetCommaText(const std::string& text) { SplitDelimited(*this, text, ',', '"'); }

void TStrings::LoadFromFile(const std::string& fileName) {
    std::ifstream in(fileName, std::ios::binary);
    if (!in) throw EInOutError("Cannot open file \"" + fileName + "\". " + std::strerror(errno), errno);
    std::ostringstream buf;
    buf << in.rdbuf();
    SetText(buf.str());
}

void TStrings::SaveToFile(const std::string& fileName) const {
    std::ofstream out(fileName, std::ios::binary | std::ios::trunc);
    if (!out) throw EInOutError("Cannot create file \"" + fileName + "\". " + std::strerror(errno), errno);
    out << Text();
    if (!out) throw EInOutError("Cannot write file \"" + fileName + "\"", EIO);
}

void TStrings::BeginUpdate() {
    if (fUpdateCount == 0) SetUpdateState(true);
    ++fUpdateCount;
}

void TStrings::EndUpdate() {
    if (fUpdateCount == 0) return;
    if (--fUpdateCount == 0) SetUpdateState(false);
}

void TStrings::Assign(TPersistent* source) {
    if (auto* src = dynamic_cast<TStrings*>(source)) {
        if (src == this) return;
        BeginUpdate();
        try {
            Clear();
            fNameValueSeparator = src->fNameValueSeparator;
            fQuoteChar = src->fQuoteChar;
            fDelimiter = src->fDelimiter;
            AddStrings(src);
        } catch (...) {
            EndUpdate();
            throw;
        }
        EndUpdate();
        return;
    }
    TPersistent::Assign(source);
}

bool TStrings::ReadDefinedProperty(const std::string& name, const TDfmValue& value) {
    if (!SameName(name, "Strings")) return TPersistent::ReadDefinedProperty(name, value);
    std::vector<std::string> lines = value.StringList();
    BeginUpdate();
    try {
        Clear();
        AddStrings(lines);
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
    return true;
}

// ---- TStringList -------------------------------------------------------------------------

PLAT_REGISTER_CLASS(TStringList, TStrings) {}

TStringList::~TStringList() {
    OnChange.Clear();
    OnChanging.Clear();
}

void TStringList::Changed() {
    if (UpdateCount() == 0) OnChange(this);
}

void TStringList::Changing() {
    if (UpdateCount() == 0) OnChanging(this);
}

void TStringList::SetUpdateState(bool updating) {
    if (updating) Changing();
    else Changed();
}

std::string TStringList::Get(int index) const {
    CheckIndex(index, GetCount());
    return fItems[static_cast<size_t>(index)].S;
}

TObject* TStringList::GetObject(int index) const {
    CheckIndex(index, GetCount());
    return fItems[static_cast<size_t>(index)].Obj;
}

void TStringList::Clear() {
    if (fItems.empty()) return;
    Changing();
    fItems.clear();
    Changed();
}

void TStringList::Delete(int index) {
    CheckIndex(index, GetCount());
    Changing();
    fItems.erase(fItems.begin() + index);
    Changed();
}

void TStringList::Insert(int index, const std::string& s) {
    if (fSorted) Error(SSortedListError, 0);
    if (index < 0 || index > GetCount()) Error(SListIndexError, index);
    InsertItem(index, s, nullptr);
}

void TStringList::InsertItem(int index, const std::string& s, TObject* obj) {
    Changing();
    fItems.insert(fItems.begin() + index, TItem{s, obj});
    Changed();
}

void TStringList::Put(int index, const std::string& s) {
    if (fSorted) Error(SSortedListError, 0);
    CheckIndex(index, GetCount());
    Changing();
    fItems[static_cast<size_t>(index)].S = s;
    Changed();
}

void TStringList::PutObject(int index, TObject* obj) {
    CheckIndex(index, GetCount());
    Changing();
    fItems[static_cast<size_t>(index)].Obj = obj;
    Changed();
}

int TStringList::AddObject(const std::string& s, TObject* obj) {
    int index;
    if (!fSorted) {
        index = GetCount();
    } else if (Find(s, index)) {
        switch (fDuplicates) {
            case dupIgnore: return index;
            case dupError: Error(SDuplicateString, 0);
            case dupAccept: break;
        }
    }
    InsertItem(index, s, obj);
    return index;
}

void TStringList::Exchange(int index1, int index2) {
    CheckIndex(index1, GetCount());
    CheckIndex(index2, GetCount());
    Changing();
    std::swap(fItems[static_cast<size_t>(index1)], fItems[static_cast<size_t>(index2)]);
    Changed();
}

int TStringList::CompareStrings(const std::string& a, const std::string& b) const {
    return fCaseSensitive ? AnsiCompareStr(a, b) : AnsiCompareText(a, b);
}

bool TStringList::Find(const std::string& s, int& index) const {
    bool found = false;
    int l = 0, h = GetCount() - 1;
    while (l <= h) {
        int i = (l + h) / 2;
        int c = CompareStrings(fItems[static_cast<size_t>(i)].S, s);
        if (c < 0) {
            l = i + 1;
        } else {
            h = i - 1;
            if (c == 0) {
                found = true;
                if (fDuplicates != dupAccept) l = i;
            }
        }
    }
    index = l;
    return found;
}

int TStringList::IndexOf(const std::string& s) const {
    if (!fSorted) return TStrings::IndexOf(s);
    int index;
    return Find(s, index) ? index : -1;
}

void TStringList::CustomSort(const std::function<int(TStringList&, int, int)>& compare) {
    if (fItems.size() < 2) return;
    Changing();
    std::vector<int> order(fItems.size());
    std::iota(order.begin(), order.end(), 0);
    // The comparison reads the list by index, so the lines stay in place while the order is found.
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) { return compare(*this, a, b) < 0; });
    std::vector<TItem> sorted;
    sorted.reserve(fItems.size());
    for (int i : order) sorted.push_back(fItems[static_cast<size_t>(i)]);
    fItems.swap(sorted);
    Changed();
}

void TStringList::Sort() {
    CustomSort([](TStringList& list, int a, int b) {
        return list.CompareStrings(list.fItems[static_cast<size_t>(a)].S, list.fItems[static_cast<size_t>(b)].S);
    });
}

void TStringList::SetSorted(bool value) {
    if (fSorted == value) return;
    if (value) Sort();
    fSorted = value;
}

void TStringList::SetCaseSensitive(bool value) {
    if (value == fCaseSensitive) return;
    fCaseSensitive = value;
    // A sorted list is re-sorted by the new comparison so Find keeps working.
    if (fSorted) Sort();
}

}  // namespace plat
