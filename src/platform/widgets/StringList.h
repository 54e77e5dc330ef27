#pragma once
// String lists: TStrings, the abstract list of text lines with an object attached to each line,
// and TStringList, the list that keeps its lines itself (optionally sorted).
//
// TStrings implements everything on top of a few primitives (Get, Put, GetObject, PutObject,
// GetCount, Insert, Delete, Clear), so a control can present its own lines (a memo's Lines, a
// combo box's Items) as a TStrings and see every single change. Names compare without regard to
// case unless a sorted list asks for CaseSensitive; errors raise EListError.
#include <functional>
#include <string>
#include <vector>

#include "platform/forms/Classes.h"

namespace plat {

enum TDuplicates { dupIgnore, dupAccept, dupError };
PLAT_DECLARE_ENUM(TDuplicates)

class TStrings : public TPersistent {
    PLAT_CLASS(TStrings)
    TStrings() = default;

    // ---- Primitives a concrete list implements ----
    virtual std::string Get(int index) const = 0;
    virtual int GetCount() const = 0;
    virtual void Clear() = 0;
    virtual void Delete(int index) = 0;
    virtual void Insert(int index, const std::string& s) = 0;
    // Replaces a line, keeping its object (default: delete and insert).
    virtual void Put(int index, const std::string& s);
    virtual TObject* GetObject(int index) const;  // default: no objects (nullptr)
    virtual void PutObject(int index, TObject* obj);  // default: ignored

    // ---- Lines and objects ----
    int Count() const { return GetCount(); }
    std::string Strings(int index) const { return Get(index); }
    std::string operator[](int index) const { return Get(index); }
    void SetStrings(int index, const std::string& s) { Put(index, s); }
    TObject* Objects(int index) const { return GetObject(index); }
    void SetObjects(int index, TObject* obj) { PutObject(index, obj); }
    virtual int Add(const std::string& s);
    virtual int AddObject(const std::string& s, TObject* obj);
    void Append(const std::string& s) { Add(s); }
    virtual void AddStrings(const TStrings* strings);
    void AddStrings(const std::vector<std::string>& lines);
    void InsertObject(int index, const std::string& s, TObject* obj);
    virtual void Exchange(int index1, int index2);
    virtual void Move(int curIndex, int newIndex);
    // First line equal to s (compared by CompareStrings: case-insensitive here), -1 when none.
    virtual int IndexOf(const std::string& s) const;
    int IndexOfName(const std::string& name) const;
    int IndexOfObject(const TObject* obj) const;
    bool Equals(const TStrings* other) const;  // same lines in the same order (exact text)
    std::vector<std::string> ToVector() const;

    // ---- name=value lines ----
    // The part before the first separator; empty when the line has none.
    std::string Names(int index) const;
    // The part after "name=" of the first line whose name matches; empty when none.
    std::string Values(const std::string& name) const;
    // Replaces (or adds) the line name=value; an empty value deletes the line.
    void SetValues(const std::string& name, const std::string& value);
    // The part after the separator of a line; empty when the line has no separator or index < 0.
    std::string ValueFromIndex(int index) const;
    // Keeps the line's name; an empty value deletes the line; index < 0 adds a line.
    void SetValueFromIndex(int index, const std::string& value);
    char NameValueSeparator() const { return fNameValueSeparator; }
    void SetNameValueSeparator(char c) { fNameValueSeparator = c; }

    // ---- Whole-list texts ----
    // Every line followed by CR LF. Setting splits at CR LF, LF or CR; a last line without a
    // break counts, an empty text gives no lines; the text ends at a NUL character.
    virtual std::string Text() const;
    virtual void SetText(const std::string& text);
    // Lines separated by Delimiter; a line holding a blank, a control character, the quote or the
    // delimiter is quoted (quotes inside doubled). A list of one empty line is written as "".
    // Reading also splits at unquoted blanks.
    std::string DelimitedText() const;
    void SetDelimitedText(const std::string& text);
    std::string CommaText() const;  // delimiter ',' and quote '"' whatever the list's settings
    void SetCommaText(const std::string& text);
    char Delimiter() const { return fDelimiter; }
    void SetDelimiter(char c) { fDelimiter = c; }
    char QuoteChar() const { return fQuoteChar; }
    void SetQuoteChar(char c) { fQuoteChar = c; }

    // ---- Files (the bytes as they are; lines as for SetText) ----
    void LoadFromFile(const std::string& fileName);  // raises EInOutError when unreadable
    void SaveToFile(const std::string& fileName) const;

    // ---- Updates ----
    // Nested; the outermost pair brackets one change notification (see TStringList).
    void BeginUpdate();
    void EndUpdate();
    int UpdateCount() const { return fUpdateCount; }

    // Copies lines, objects and the separator settings of another TStrings.
    void Assign(TPersistent* source) override;
    // A description's "Strings = ( 'a' 'b' )" replaces the lines.
    bool ReadDefinedProperty(const std::string& name, const TDfmValue& value) override;

    // Comparison used by IndexOf, IndexOfName and sorting: <0, 0, >0.
    virtual int CompareStrings(const std::string& a, const std::string& b) const;

protected:
    // Called when the outermost BeginUpdate starts (true) and EndUpdate ends (false).
    virtual void SetUpdateState(bool updating) { (void)updating; }
    [[noreturn]] static void Error(const std::string& fmt, int data);
    void CheckIndex(int index, int count) const;

private:
    int fUpdateCount = 0;
    char fDelimiter = ',';
    char fQuoteChar = '"';
    char fNameValueSeparator = '=';
};

// A list that holds its lines. Sorted lists keep their order on Add and refuse Insert and Put;
// Duplicates decides what adding an existing line does. OnChanging runs before and OnChange
// after every change; BeginUpdate/EndUpdate raise them once for everything in between.
class TStringList : public TStrings {
    PLAT_CLASS(TStringList)
    TStringList() = default;
    ~TStringList() override;

    std::string Get(int index) const override;
    int GetCount() const override { return static_cast<int>(fItems.size()); }
    void Clear() override;
    void Delete(int index) override;
    void Insert(int index, const std::string& s) override;
    void Put(int index, const std::string& s) override;
    TObject* GetObject(int index) const override;
    void PutObject(int index, TObject* obj) override;
    int Add(const std::string& s) override { return AddObject(s, nullptr); }
    int AddObject(const std::string& s, TObject* obj) override;
    void Exchange(int index1, int index2) override;
    int IndexOf(const std::string& s) const override;
    int CompareStrings(const std::string& a, const std::string& b) const override;

    // Binary search of a sorted list: true when found; index is where s is or would go.
    virtual bool Find(const std::string& s, int& index) const;
    virtual void Sort();
    // Sorts by a comparison of two lines by index (<0, 0, >0).
    void CustomSort(const std::function<int(TStringList&, int, int)>& compare);

    bool Sorted() const { return fSorted; }
    void SetSorted(bool value);
    TDuplicates Duplicates() const { return fDuplicates; }
    void SetDuplicates(TDuplicates value) { fDuplicates = value; }
    bool CaseSensitive() const { return fCaseSensitive; }
    void SetCaseSensitive(bool value);

    TNotifyEvent OnChange, OnChanging;

protected:
    void SetUpdateState(bool updating) override;
    virtual void Changed();
    virtual void Changing();
    void InsertItem(int index, const std::string& s, TObject* obj);

private:
    struct TItem {
        std::string S;
        TObject* Obj = nullptr;
    };
    std::vector<TItem> fItems;
    bool fSorted = false;
    TDuplicates fDuplicates = dupIgnore;
    bool fCaseSensitive = false;
};

}  // namespace plat
