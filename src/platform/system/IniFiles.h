#pragma once
// Read-only ini files with the semantics of the class library the module was written against.
//   - section and key names compare case-insensitively; names and values are trimmed;
//   - a value written in double quotes ("a b") loses the quotes;
//   - of two equal keys in a section the first wins; of two equal sections the first wins
//     (the later one is listed once by ReadSections and its keys are not seen);
//   - lines starting with ';' are comments; a line without '=' outside a section header is
//     ignored; CR line ends are accepted;
//   - the file is read as UTF-8 (a leading BOM is skipped), or as GB18030 when its bytes are
//     not valid UTF-8;
//   - a missing file reads as an empty one: every read gives its default;
//   - file names are taken exactly as given (case matters), relative to the working folder.
// ReadInteger: "0x1F" / "$1F" hexadecimal, else decimal; not a number -> default.
// ReadBool: ReadInteger(default ? 1 : 0) != 0, so "0" is false, "1"/"2"/"-1" true, and
// non-numeric text ("true", "yes") gives the default.
// ReadFloat: the default when the value is missing or empty; text that is not a number
// (decimal separator of FormatSettings) also gives the default.
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace plat {

class TCustomIniFile {
public:
    explicit TCustomIniFile(std::string fileName) : fFileName(std::move(fileName)) {}
    virtual ~TCustomIniFile() = default;
    const std::string& FileName() const { return fFileName; }

    std::string ReadString(const std::string& section, const std::string& ident,
                           const std::string& def) const;
    int32_t ReadInteger(const std::string& section, const std::string& ident, int32_t def) const;
    bool ReadBool(const std::string& section, const std::string& ident, bool def) const;
    double ReadFloat(const std::string& section, const std::string& ident, double def) const;
    bool SectionExists(const std::string& section) const;
    bool ValueExists(const std::string& section, const std::string& ident) const;
    // Key names of a section, in file order (each name once).
    std::vector<std::string> ReadSection(const std::string& section) const;
    // "name=value" lines of a section, in file order (each name once, its first value).
    std::vector<std::string> ReadSectionValues(const std::string& section) const;
    // Section names in file order (each once).
    std::vector<std::string> ReadSections() const;

    struct Data;

protected:
    // A snapshot of the contents; callers keep it while they read (safe across threads).
    virtual std::shared_ptr<const Data> Contents() const = 0;
    std::string fFileName;
};

// Reads the file whenever it changed on disk since the last read (as the original asked the
// system for every value), so a value edited by hand is seen without reopening.
class TIniFile : public TCustomIniFile {
public:
    explicit TIniFile(const std::string& fileName);
    ~TIniFile() override;

protected:
    std::shared_ptr<const Data> Contents() const override;

private:
    mutable std::mutex fMutex;
    mutable std::shared_ptr<const Data> fData;
    mutable int64_t fStamp = -2;  // mtime ns ^ size of the read file; -1 for a missing file
};

// Reads the file once, when created; later changes on disk are not seen.
class TMemIniFile : public TCustomIniFile {
public:
    explicit TMemIniFile(const std::string& fileName);
    ~TMemIniFile() override;
    // An ini "file" from text already in memory (UTF-8); FileName() is "".
    static std::unique_ptr<TMemIniFile> FromText(const std::string& text);

protected:
    std::shared_ptr<const Data> Contents() const override;

private:
    TMemIniFile();
    std::shared_ptr<const Data> fData;
};

}  // namespace plat
