#pragma once
// A scratch folder per test, removed afterwards, and a scoped environment variable.
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>

namespace systest {

class TempDir {
public:
    TempDir() {
        std::string pattern = (std::filesystem::temp_directory_path() / "xqsys-XXXXXX").string();
        path_ = ::mkdtemp(pattern.data());
        path_ += '/';
    }
    ~TempDir() { std::filesystem::remove_all(path_); }
    const std::string& Path() const { return path_; }
    std::string Write(const std::string& name, const std::string& bytes) const {
        const std::string full = path_ + name;
        std::filesystem::create_directories(std::filesystem::path(full).parent_path());
        std::ofstream(full, std::ios::binary) << bytes;
        return full;
    }

private:
    std::string path_;
};

class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value) : name_(name) {
        if (const char* old = std::getenv(name)) old_ = old;
        if (value) setenv(name, value, 1);
        else unsetenv(name);
    }
    ~ScopedEnv() {
        if (old_) setenv(name_.c_str(), old_->c_str(), 1);
        else unsetenv(name_.c_str());
    }

private:
    std::string name_;
    std::optional<std::string> old_;
};

}  // namespace systest
