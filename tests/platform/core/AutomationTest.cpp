// Automation objects: late-bound calls, by-reference write-back, errors crossing a call, and
// creation by class name from built-in registrations and the installation's class file.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "platform/core/Automation.h"

using namespace plat;

namespace {

// A small stand-in for a server object.
class TCounter : public TDispatchObject {
public:
    TCounter() : TDispatchObject("Test.Counter") {
        RegisterMethod("NextValue", [this](TAutoArgs& a) {
            fValue += a.Get(0, 1).AsInteger();
            return Variant(fValue);
        });
        // GetRange(ByRef first, ByRef last): answers through its by-reference arguments.
        RegisterMethod("GetRange", [this](TAutoArgs& a) {
            a.Out(0) = fValue;
            a.Out(1) = VarArrayOf({fValue, fValue + 1});
            return Variant(true);
        });
        RegisterMethod("Fail", [](TAutoArgs& a) -> Variant {
            throw EDatabaseError("table " + a[0].AsString() + " is locked");
        });
        RegisterMethod("FailBadly", [](TAutoArgs&) -> Variant { throw 42; });
        RegisterProperty("Value", [this] { return Variant(fValue); },
                         [this](const Variant& v) { fValue = v.AsInteger(); });
        RegisterProperty("Name", [] { return Variant("counter"); });
        RegisterIndexedProperty(
            "Item", [](TAutoArgs& a) { return Variant(a[0].AsInteger() * 2); },
            [this](TAutoArgs& a) {
                fValue = a[0].AsInteger() + a[1].AsInteger();
                return Variant();
            });
    }

private:
    int fValue = 0;
};

}  // namespace

TEST(Automation, CallsByNameIgnoreCase) {
    auto counter = std::make_shared<TCounter>();
    Variant obj{TAutoObjectPtr(counter)};
    EXPECT_EQ(OleCall(obj, "NextValue").AsInteger(), 1);
    EXPECT_EQ(OleCall(obj, "nextvalue", {5}).AsInteger(), 6);
    EXPECT_EQ(counter->Call("NEXTVALUE", {Variant("2")}).AsInteger(), 8);
    OlePut(obj, "value", 40);
    EXPECT_EQ(OleGet(obj, "Value").AsInteger(), 40);
    EXPECT_EQ(OleGet(obj, "Item", {21}).AsInteger(), 42);
    std::vector<TVarArg> put{3, 4};  // Item[3] := 4: the value comes last
    counter->Invoke("Item", TInvokeKind::PropertyPut, put);
    EXPECT_EQ(counter->Get("Value").AsInteger(), 7);
    // Late binding cannot tell obj.Name from obj.Name(): a getter answers a method call too.
    EXPECT_EQ(counter->Call("Name").AsString(), "counter");
    EXPECT_TRUE(counter->HasMember("NAME"));
    EXPECT_FALSE(counter->HasMember("Nope"));
}

TEST(Automation, ByReferenceArgumentsAreWrittenBack) {
    auto counter = std::make_shared<TCounter>();
    counter->Put("Value", 9);
    Variant first, range, byValue = "unchanged";
    EXPECT_TRUE(counter->Call("GetRange", {Ref(first), Ref(range)}).AsBoolean());
    EXPECT_EQ(first.AsInteger(), 9);
    EXPECT_EQ(range, VarArrayOf({9, 10}));
    // By value: the callee writes only its own copy.
    counter->Call("GetRange", {byValue, Ref(range)});
    EXPECT_EQ(byValue.AsString(), "unchanged");
}

TEST(Automation, ErrorsReachTheCallerAsAutomationErrors) {
    Variant obj{TAutoObjectPtr(std::make_shared<TCounter>())};
    struct Case {
        std::function<void()> call;
        std::string message;
        int code;
    };
    const Case cases[] = {
        {[&] { OleCall(obj, "Fail", {"CMSME"}); }, "table CMSME is locked", 0},
        {[&] { OleCall(obj, "FailBadly"); }, "\"FailBadly\" on automation object \"Test.Counter\" failed", 0},
        {[&] { OleCall(obj, "Missing", {1}); }, "Method \"Missing\" is not supported by automation object \"Test.Counter\"",
         static_cast<int>(0x80020006u)},
        {[&] { OleGet(obj, "Missing"); }, "Property \"Missing\" is not supported", static_cast<int>(0x80020006u)},
        {[&] { OlePut(obj, "Name", "x"); }, "Property \"Name\" of automation object \"Test.Counter\" cannot be assigned",
         static_cast<int>(0x80020003u)},
        {[&] { OleCall(obj, "GetRange"); }, "Argument 1 of \"GetRange\" is missing", static_cast<int>(0x8002000Fu)},
        {[&] { OleCall(obj, "Fail"); }, "Argument 1 of \"Fail\" is missing", static_cast<int>(0x8002000Fu)},
    };
    for (const Case& c : cases) {
        try {
            c.call();
            ADD_FAILURE() << "no error, wanted: " << c.message;
        } catch (const EOleException& e) {
            EXPECT_NE(std::string(e.what()).find(c.message), std::string::npos) << e.what();
            EXPECT_EQ(e.ErrorCode, c.code) << e.what();
            EXPECT_EQ(e.Source, "Test.Counter");
        }
    }
}

TEST(Automation, CallingThroughAVariantWithoutAnObjectRaises) {
    EXPECT_THROW(OleCall(Variant(), "X"), EVariantTypeCastError);
    EXPECT_THROW(OleCall(Variant(TAutoObjectPtr()), "X"), EOleError);
}

// ---- class registry ------------------------------------------------------------------------

class ClassRegistryTest : public ::testing::Test {
protected:
    void SetUp() override {
        fFolder = std::filesystem::temp_directory_path() /
                  ("xq-classes-" + std::to_string(::getpid()) + "-" +
                   ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(fFolder);
        fClassFile = (fFolder / "Classes.ini").string();
        setenv("XQ_CLASSES", fClassFile.c_str(), 1);
    }
    void TearDown() override {
        unsetenv("XQ_CLASSES");
        std::filesystem::remove_all(fFolder);
    }
    void WriteClassFile(const std::string& text) { std::ofstream(fClassFile) << text; }
    std::string ErrorOf(const std::string& className) {
        try {
            CreateOleObject(className);
        } catch (const EOleError& e) {
            return e.what();
        }
        return "";
    }

    std::filesystem::path fFolder;
    std::string fClassFile;
};

TEST_F(ClassRegistryTest, BuiltInClassIsCreatedByNameIgnoringCase) {
    RegisterAutoClass("Test.Counter", [] { return std::make_shared<TCounter>(); });
    Variant obj = CreateOleObject("test.COUNTER");
    EXPECT_TRUE(obj.IsObject());
    EXPECT_EQ(OleCall(obj, "NextValue").AsInteger(), 1);
    EXPECT_TRUE(IsAutoClassRegistered("Test.Counter"));
    // A nameless object takes the class name it was created by.
    RegisterAutoClass("Test.Anonymous", [] { return std::make_shared<TDispatchObject>(); });
    EXPECT_EQ(CreateOleObject("Test.Anonymous")->ClassName(), "Test.Anonymous");
    UnregisterAutoClass("Test.Counter");
    UnregisterAutoClass("Test.Anonymous");
    EXPECT_FALSE(IsAutoClassRegistered("Test.Counter"));
}

TEST_F(ClassRegistryTest, UnknownClassNamesTheClass) {
    std::string message = ErrorOf("Nobody.Home");
    EXPECT_NE(message.find("class \"Nobody.Home\" is not registered"), std::string::npos) << message;
    EXPECT_NE(message.find(fClassFile), std::string::npos) << message;
}

TEST_F(ClassRegistryTest, ClassFileEntriesThatCannotBeLoadedSayWhy) {
    const char* stage = std::getenv("XQ_STAGE");
    std::string platformLib = stage ? std::string(stage) + "/lib/libplatform.so" : "";
    WriteClassFile("; installation classes\n"
                   "[Other]\nTest.Missing=nowhere.so;Create\n"
                   "[Classes]\n"
                   "Test.Missing = ext\\Missing.dll ; CreateMissing\n"
                   "Test.NoEntry=" + platformLib + ";NoSuchEntry\n"
                   "Test.NoSemicolon=ext/x.so\n");
    EXPECT_TRUE(IsAutoClassRegistered("test.missing"));
    std::string missing = ErrorOf("Test.Missing");
    EXPECT_NE(missing.find((fFolder / "ext/Missing.dll").string()), std::string::npos) << missing;
    EXPECT_NE(missing.find("cannot be loaded"), std::string::npos) << missing;
    EXPECT_NE(ErrorOf("Test.NoSemicolon").find("without an entry point"), std::string::npos);
    if (stage) {
        std::string noEntry = ErrorOf("Test.NoEntry");
        EXPECT_NE(noEntry.find("has no entry \"NoSuchEntry\""), std::string::npos) << noEntry;
    }
}

TEST_F(ClassRegistryTest, ClassFromALibraryListedInTheClassFile) {
    // The probe library is built beside the test executables (tests/platform/core/testlib).
    std::filesystem::path probe = std::filesystem::read_symlink("/proc/self/exe").parent_path() / "AutoProbe.so";
    if (!std::filesystem::exists(probe)) GTEST_SKIP() << probe << " is not built";
    std::filesystem::create_directories(fFolder / "ext");
    std::filesystem::copy_file(probe, fFolder / "ext" / "AutoProbe.so");
    // Written with the Windows name and separator, relative to the class file's folder.
    WriteClassFile("[Classes]\nTest.AutoProbe=ext\\AutoProbe.dll;CreateAutoProbe\n");
    Variant value = 21;
    {
        Variant obj = CreateOleObject("test.autoprobe");
        EXPECT_EQ(obj.AsObject()->ClassName(), "test.autoprobe");  // as it was asked for
        EXPECT_EQ(OleCall(obj, "Twice", {Ref(value)}).AsString(), "AutoProbe");
        EXPECT_EQ(value.AsInteger(), 42);
    }
    // The library stays loaded: a second object after the first is gone works alike.
    Variant again = CreateOleObject("Test.AutoProbe");
    EXPECT_EQ(OleCall(again, "Twice", {Ref(value)}).AsString(), "AutoProbe");
    EXPECT_EQ(value.AsInteger(), 84);
}

TEST(ClassFileLocation, EnvironmentDecides) {
    setenv("XQ_CLASSES", "/x/y/My.ini", 1);
    EXPECT_EQ(ClassFileName(), "/x/y/My.ini");
    unsetenv("XQ_CLASSES");
    setenv("XQ_INSTALL", "/opt/inst", 1);
    EXPECT_EQ(ClassFileName(), "/opt/inst/Classes.ini");
    unsetenv("XQ_INSTALL");
    std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe");
    EXPECT_EQ(ClassFileName(), (exe.parent_path().parent_path() / "Classes.ini").string());
}

TEST(Automation, AVariantTakesAnyObjectClass) {
    auto counter = std::make_shared<TCounter>();
    Variant obj = counter;  // no cast to TAutoObjectPtr needed
    EXPECT_EQ(obj.VarType(), varDispatch);
    EXPECT_EQ(obj.AsObject(), counter);
    EXPECT_EQ(OleCall(counter, "NextValue").AsInteger(), 1);
}
