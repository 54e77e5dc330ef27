// The conversion library as its callers see it: loaded by file name, entry points looked up by
// name, texts copied out of the library's buffer at once.
#include <gtest/gtest.h>
#include <dlfcn.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <thread>

#include "client/radorudavu/Radorudavu.h"

namespace {

class Library {
public:
    explicit Library(const std::string& path) : fHandle(dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL)) {
        if (!fHandle) ADD_FAILURE() << "cannot load " << path << ": " << dlerror();
    }
    ~Library() {
        if (fHandle) dlclose(fHandle);
    }
    Library(const Library&) = delete;
    Library& operator=(const Library&) = delete;

    template <class T>
    T Entry(const char* name) const {
        return fHandle ? reinterpret_cast<T>(dlsym(fHandle, name)) : nullptr;
    }
    // Calls a text entry point and copies the answer; "<null>" plus the reason on failure.
    std::string Call(const char* name, const char* text) const {
        auto f = Entry<TRadorudavuTextFunc>(name);
        if (!f) return "<missing>";
        const char* r = f(text);
        if (!r) return "<null>" + LastError();
        return r;
    }
    std::string LastError() const {
        auto f = Entry<const char* (*)()>("RadorudavuLastError");
        return f ? f() : "<missing>";
    }

private:
    void* fHandle;
};

const Library& Real() {
    static Library lib(RADORUDAVU_PATH);
    return lib;
}

}  // namespace

TEST(Radorudavu, ExportsTheFiveEntryPointsItIsLookedUpBy) {
    for (const char* name : {"GBtoBIG5", "BIG5toGB", "GetBIG5Data", "GetGBData", "SaveOrder"})
        EXPECT_NE(Real().Entry<void*>(name), nullptr) << name;
    EXPECT_EQ(std::filesystem::path(RADORUDAVU_PATH).filename(), "Radorudavu.so");
}

struct Pair {
    const char* simplified;
    const char* traditional;
};

class RadorudavuPairs : public ::testing::TestWithParam<Pair> {};

TEST_P(RadorudavuPairs, ConvertsBothWays) {
    EXPECT_EQ(Real().Call("GBtoBIG5", GetParam().simplified), GetParam().traditional);
    EXPECT_EQ(Real().Call("BIG5toGB", GetParam().traditional), GetParam().simplified);
}

INSTANTIATE_TEST_SUITE_P(Texts, RadorudavuPairs,
                         ::testing::Values(Pair{"费用预算", "費用預算"},
                                           Pair{"后台处理 直接查询", "後臺處理 直接查詢"},
                                           Pair{"头发 发展", "頭髮 發展"},  // one character, two forms by phrase
                                           Pair{"XQTR37 报表-A, 2024/01", "XQTR37 報表-A, 2024/01"},
                                           Pair{"", ""}));

TEST(Radorudavu, KeepsVocabularyNoRegionalWords) {
    // Regional configurations would replace these words (軟體, 滑鼠); the plain one keeps them.
    EXPECT_EQ(Real().Call("GBtoBIG5", "软件"), "軟件");
    EXPECT_EQ(Real().Call("GBtoBIG5", "鼠标"), "鼠標");
}

TEST(Radorudavu, NullReadsAsEmptyAndBadInputFailsWithAReason) {
    EXPECT_EQ(Real().Call("GBtoBIG5", nullptr), "");
    EXPECT_EQ(Real().LastError(), "");
    const std::string gbBytes = "\xB7\xD1\xD3\xC3";  // 费用 in code page 936: not UTF-8
    const std::string answer = Real().Call("GBtoBIG5", gbBytes.c_str());
    EXPECT_EQ(answer.rfind("<null>", 0), 0u) << answer;
    EXPECT_NE(answer.find("UTF-8"), std::string::npos) << answer;
    EXPECT_EQ(Real().Call("BIG5toGB", "費用"), "费用");
    EXPECT_EQ(Real().LastError(), "");  // a success clears the reason
}

TEST(Radorudavu, AnswersBelongToTheCallingThread) {
    auto work = [](const char* in, const char* expected, bool* ok) {
        auto f = Real().Entry<TRadorudavuTextFunc>("GBtoBIG5");
        *ok = f != nullptr;
        for (int i = 0; i < 200 && *ok; ++i) {
            const char* r = f(in);
            *ok = r && std::string(r) == expected;
        }
    };
    bool ok1 = false, ok2 = false;
    std::thread t1(work, "费用预算", "費用預算", &ok1);
    std::thread t2(work, "后台处理", "後臺處理", &ok2);
    t1.join();
    t2.join();
    EXPECT_TRUE(ok1);
    EXPECT_TRUE(ok2);
}

TEST(Radorudavu, CandidateFormsOfTheFirstCharacter) {
    EXPECT_EQ(Real().Call("GetBIG5Data", "发"), "發髮");
    EXPECT_EQ(Real().Call("GetBIG5Data", "发展"), "發髮");
    EXPECT_EQ(Real().Call("GetBIG5Data", "A"), "A");
    EXPECT_EQ(Real().Call("GetBIG5Data", ""), "");
    EXPECT_EQ(Real().Call("GetGBData", "髮"), "发");
    // The first candidate is the one the conversion picks for the character alone.
    EXPECT_EQ(Real().Call("GetBIG5Data", "预").substr(0, 3), Real().Call("GBtoBIG5", "预"));
}

class RadorudavuFiles : public ::testing::Test {
protected:
    void SetUp() override {
        fDir = std::filesystem::temp_directory_path() /
               ("radorudavu-test-" + std::to_string(::getpid()) + "-" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(fDir);
    }
    void TearDown() override { std::filesystem::remove_all(fDir); }
    std::filesystem::path fDir;
};

TEST_F(RadorudavuFiles, SaveOrderWritesEveryCharacterWithItsCandidates) {
    const std::string file = (fDir / "order.txt").string();
    auto save = Real().Entry<TRadorudavuSaveOrderFunc>("SaveOrder");
    ASSERT_NE(save, nullptr);
    const int count = save(file.c_str());
    ASSERT_GT(count, 0) << Real().LastError();
    std::ifstream in(file);
    std::string line, section;
    int entries = 0;
    bool sawFa = false, sawBack = false;
    while (std::getline(in, line)) {
        if (!line.empty() && line[0] == '[') {
            section = line;
            continue;
        }
        ++entries;
        sawFa = sawFa || (section == "[GBtoBIG5]" && line == "发\t發 髮");
        sawBack = sawBack || (section == "[BIG5toGB]" && line == "髮\t发");
    }
    EXPECT_EQ(entries, count);
    EXPECT_TRUE(sawFa);
    EXPECT_TRUE(sawBack);
    EXPECT_EQ(save((fDir / "missing-folder" / "x.txt").string().c_str()), -1);
    EXPECT_NE(Real().LastError(), "");
    EXPECT_EQ(save(nullptr), -1);
}

TEST_F(RadorudavuFiles, DataBesideTheLibraryWinsAndBrokenDataIsReported) {
    // A copy of the library with its own "opencc" folder: a one-entry table for s2t, junk for t2s.
    const auto copy = fDir / "Radorudavu.so";
    std::filesystem::copy_file(RADORUDAVU_PATH, copy);
    std::filesystem::create_directories(fDir / "opencc");
    std::ofstream(fDir / "opencc" / "table.txt") << "费\t[fee]\n";
    std::ofstream(fDir / "opencc" / "s2t.json")
        << R"({"name":"test","segmentation":{"type":"mmseg","dict":{"type":"text","file":"table.txt"}},)"
           R"("conversion_chain":[{"dict":{"type":"text","file":"table.txt"}}]})";
    std::ofstream(fDir / "opencc" / "t2s.json") << "{ not json";
    Library local(copy.string());
    EXPECT_EQ(local.Call("GBtoBIG5", "费用"), "[fee]用");
    const std::string failed = local.Call("BIG5toGB", "費用");
    EXPECT_EQ(failed.rfind("<null>", 0), 0u) << failed;
    EXPECT_NE(failed.find("t2s.json"), std::string::npos) << failed;
}
