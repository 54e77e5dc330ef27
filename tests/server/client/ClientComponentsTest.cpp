// The client-side components of the application server: the socket connection, the object broker
// and the client data set, with the server object in process and behind the staged daemon.
#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/core/Automation.h"
#include "platform/forms/DfmReader.h"
#include "platform/net/DBClient.h"
#include "platform/net/RpcSocket.h"
#include "platform/net/SConnect.h"
#include "server/ServerTestSupport.h"
#include "server/dmReportCounter.h"

using namespace plat;

namespace {

const std::string kServer = rcs::kServerClassName;

Variant Scheme(const std::string& name, const std::string& user, const std::string& controls) {
    return VarArrayOf({Variant(name), Variant(user), Variant("20240305"), Variant("XQTR37"), Variant(controls),
                       Variant::Wide("值\r\n" + name), Variant(false)});
}

// A port nothing listens on: bound by the system, then released.
uint16_t DeadPort() {
    TRpcSocket s = TRpcSocket::Listen("127.0.0.1", 0);
    return s.LocalPort();
}

// Owns the components of one test; a private registry keeps the machine's configuration out.
class ClientFixture : public ::testing::Test {
protected:
    void SetUp() override {
        registry = install.Path("registry.ini");
        std::ofstream(registry) << "";
        ::setenv("XQ_REGISTRY", registry.c_str(), 1);
        root = new TComponent(nullptr);
    }
    void TearDown() override {
        root->Free();
        ::unsetenv("XQ_REGISTRY");
    }

    // Points the registry at a client installation whose OrreryC.ini holds `serverInformation`
    // (lines of the [Server Information] section).
    void ClientConfiguration(const std::string& serverInformation) {
        std::ofstream(install.Path("OrreryC.ini")) << "[Server Information]\nComputerName=127.0.0.1\n"
                                                   << serverInformation;
        std::ofstream(registry) << "[HKEY_LOCAL_MACHINE\\Software\\QMB\\Orrery]\nClientPath=" << install.Dir() << "\n";
    }

    TAutoObjectPtr InProcessServer() {
        auto context = rcs::MakeServerContext(rcs::TServerSettings::FromInstallation(install.Dir()),
                                              [](const std::string&) {});
        return std::make_shared<rcs::TdmReportCounter>(context, true);
    }

    TClientDataSet* SchemeDataSet(TSocketConnection* connection) {
        auto* ds = new TwwClientDataSet(root);
        ds->SetName("ClientDataSet1");
        ds->SetRemoteServer(connection);
        ds->SetProviderName("pvdConSave");
        ds->IndexDefs()->Add("Index1", "NCONDITION;CREATOR;PROGRAMME");
        ds->SetIndexName("Index1");
        return ds;
    }

    rcstest::TTempInstall install;
    std::string registry;
    TComponent* root = nullptr;
};

// ---- The same behaviour in process and over the wire ------------------------------------------

enum class TWay { InProcess, Daemon };

class BothWaysTest : public ClientFixture, public ::testing::WithParamInterface<TWay> {
protected:
    void SetUp() override {
        ClientFixture::SetUp();
        connection = new TSocketConnection(root);
        connection->SetName("MainMidas");
        connection->SetServerName(kServer);
        if (GetParam() == TWay::InProcess) {
            connection->SetAddress("127.0.0.1");
            connection->SetAppServer(Variant(InProcessServer()));
        } else {
            daemon = std::make_unique<rcstest::TDaemonProcess>(install.Dir());
            connection->SetAddress("127.0.0.1");
            connection->SetPort(daemon->Port());
            connection->Open();
        }
        server = connection->AppServer();
        for (const Variant& s : {Scheme("Zeta", "U001", "ed08.text;"), Scheme("Alpha", "U001", "chk07.checked;"),
                                 Scheme("Alpha", "U002", "other;"), Scheme("Mid", "U001", "sp03.style;")}) {
            Variant record = s;
            ASSERT_EQ(OleCall(server, "InsertConTable", {Ref(record)}).AsString(), "");
        }
        Variant key = VarArrayOf({Variant("U001"), Variant("XQTR37")});
        OleCall(server, "LoadTable", {Ref(key)});
    }
    std::unique_ptr<rcstest::TDaemonProcess> daemon;
    TSocketConnection* connection = nullptr;
    Variant server;
};

TEST_P(BothWaysTest, ConnectionAnswersTheServerObject) {
    EXPECT_TRUE(connection->Connected());
    EXPECT_EQ(connection->InProcess(), GetParam() == TWay::InProcess);
    EXPECT_EQ(connection->ConnectedEndpoint().empty(), GetParam() == TWay::InProcess);
    ASSERT_TRUE(server.IsObject());
    EXPECT_EQ(OleCall(server, "SQLType").AsInteger(), rcs::kSqlTypeSqlite);
    Variant missing = VarArrayOf({Variant("Nope"), Variant("U001"), Variant("XQTR37")});
    EXPECT_NE(OleCall(server, "DeleteConTable", {Ref(missing)}).AsString(), "");
    EXPECT_EQ(OleCall(server, "ErrorDescript").AsString(), OleCall(server, "DeleteConTable", {Ref(missing)}).AsString());

    connection->Close();
    EXPECT_FALSE(connection->Connected());
    EXPECT_FALSE(connection->InProcess());
    EXPECT_TRUE(connection->AppServer().IsEmpty());
}

TEST_P(BothWaysTest, ClientDataSetReadsTheProviderInIndexOrderAndFindsByKey) {
    TClientDataSet* ds = SchemeDataSet(connection);
    ds->Open();
    ASSERT_EQ(ds->FieldCount(), 6);
    std::vector<std::string> names;
    for (int i = 0; i < ds->FieldCount(); ++i) {
        names.push_back(ds->Fields()->Fields(i)->FieldName());
        EXPECT_EQ(ds->Fields()->Fields(i)->DataType(), ftString);
    }
    EXPECT_EQ(names, (std::vector<std::string>{"NCONDITION", "CREATOR", "PROGRAMME", "SCONDITION", "VCONDITION",
                                               "CREATE_DATE"}));
    // Only U001's schemes, as LoadTable chose, in the order of Index1.
    EXPECT_EQ(ds->RecordCount(), 3);
    std::vector<std::string> order;
    for (ds->First(); !ds->Eof(); ds->Next()) order.push_back(ds->FieldByName("NCONDITION")->AsString());
    EXPECT_EQ(order, (std::vector<std::string>{"Alpha", "Mid", "Zeta"}));

    ASSERT_TRUE(ds->FindKey({Variant("Zeta"), Variant("U001"), Variant("XQTR37")}));
    EXPECT_EQ(ds->FieldByName("SCONDITION")->AsString(), "ed08.text;");
    EXPECT_EQ(ds->FieldByName("VCONDITION")->AsString(), "值\r\nZeta");
    EXPECT_EQ(ds->FieldByName("CREATE_DATE")->AsString(), "20240305");
    // Another user's scheme of the same name is not among the records: the cursor stays.
    EXPECT_FALSE(ds->FindKey({Variant("Alpha"), Variant("U002"), Variant("XQTR37")}));
    EXPECT_EQ(ds->FieldByName("NCONDITION")->AsString(), "Zeta");
    // Fewer values match the leading index fields.
    ASSERT_TRUE(ds->FindKey({Variant("Mid")}));
    EXPECT_EQ(ds->FieldByName("SCONDITION")->AsString(), "sp03.style;");
}

TEST_P(BothWaysTest, LocalEditAndPostStayOnTheClient) {
    TClientDataSet* ds = SchemeDataSet(connection);
    ds->Open();
    ASSERT_TRUE(ds->FindKey({Variant("Zeta"), Variant("U001"), Variant("XQTR37")}));
    ds->Edit();
    ds->FieldByName("NCONDITION")->SetAsString("Beta");
    ds->Post();
    EXPECT_EQ(ds->FieldByName("NCONDITION")->AsString(), "Beta");
    EXPECT_TRUE(ds->FindKey({Variant("Beta"), Variant("U001"), Variant("XQTR37")}));
    EXPECT_FALSE(ds->FindKey({Variant("Zeta"), Variant("U001"), Variant("XQTR37")}));

    // The server still has the old name; reopening reads the provider again.
    const Variant packet = OleCall(server, "ProviderRead", {Variant("pvdConSave")});
    std::vector<std::string> onServer;
    for (int i = 0; i < packet[1].ElementCount(1); ++i) onServer.push_back(packet[1][i][0].AsString());
    EXPECT_EQ(onServer, (std::vector<std::string>{"Alpha", "Mid", "Zeta"}));
    ds->Close();
    ds->Open();
    EXPECT_TRUE(ds->FindKey({Variant("Zeta"), Variant("U001"), Variant("XQTR37")}));
    EXPECT_FALSE(ds->FindKey({Variant("Beta"), Variant("U001"), Variant("XQTR37")}));
}

INSTANTIATE_TEST_SUITE_P(Ways, BothWaysTest, ::testing::Values(TWay::InProcess, TWay::Daemon),
                         [](const auto& info) { return info.param == TWay::InProcess ? "InProcess" : "Daemon"; });

// ---- Descriptions -------------------------------------------------------------------------

const char kModule[] = R"(object dmSchemes: TDataModule
  object MainMidas: TSocketConnection
    ServerName = 'ReportCounterS.dmReportCounter'
    Address = '127.0.0.1'
    Port = 2211
    SupportCallbacks = False
    Left = 8
    Top = 8
  end
  object ObjBroker: TSimpleObjectBroker
    Servers = <
      item
        ComputerName = 'app1'
        Port = 2212
      end
      item
        ComputerName = 'app2'
        Enabled = False
      end>
    Left = 40
    Top = 8
  end
  object ClientDataSet1: TwwClientDataSet
    IndexDefs = <
      item
        Name = 'Index1'
        Fields = 'NCONDITION;CREATOR;PROGRAMME'
      end>
    IndexName = 'Index1'
    ProviderName = 'pvdConSave'
    RemoteServer = MainMidas
    Left = 72
    Top = 8
  end
end
)";

TEST_F(ClientFixture, DescriptionsMakeTheComponentsAndTheDataSetReadsThroughThem) {
    TComponent* module = CreateFromDescription(kModule, "dmSchemes", root);
    auto* midas = dynamic_cast<TSocketConnection*>(module->FindComponent("MainMidas"));
    auto* broker = dynamic_cast<TSimpleObjectBroker*>(module->FindComponent("ObjBroker"));
    auto* ds = dynamic_cast<TwwClientDataSet*>(module->FindComponent("ClientDataSet1"));
    ASSERT_TRUE(midas && broker && ds);
    EXPECT_EQ(midas->ServerName(), kServer);
    EXPECT_EQ(midas->Address(), "127.0.0.1");
    EXPECT_EQ(midas->Port(), 2211);
    EXPECT_FALSE(midas->SupportCallbacks());
    EXPECT_FALSE(midas->Connected());
    EXPECT_EQ(midas->ObjectBroker(), nullptr);
    ASSERT_EQ(broker->Servers()->Count(), 2);
    EXPECT_EQ(broker->Servers()->Item(0)->ComputerName, "app1");
    EXPECT_EQ(broker->Servers()->Item(0)->Port, 2212);
    EXPECT_FALSE(broker->Servers()->Item(1)->Enabled);
    EXPECT_EQ(broker->Servers()->Item(1)->Port, 211);
    EXPECT_EQ(ds->RemoteServer(), midas);
    EXPECT_EQ(ds->ProviderName(), "pvdConSave");
    EXPECT_EQ(ds->IndexName(), "Index1");
    EXPECT_EQ(ds->IndexDefs()->Find("Index1")->Fields(), "NCONDITION;CREATOR;PROGRAMME");

    // The in-process path of the form: the object created by the caller, handed to the connection.
    midas->SetAppServer(Variant(InProcessServer()));
    for (const char* name : {"B", "A"}) {
        Variant record = Scheme(name, "U001", "ed08.text;");
        ASSERT_EQ(OleCall(midas->AppServer(), "InsertConTable", {Ref(record)}).AsString(), "");
    }
    Variant key = VarArrayOf({Variant("U001"), Variant("XQTR37")});
    OleCall(midas->AppServer(), "LoadTable", {Ref(key)});
    ds->Open();
    EXPECT_EQ(ds->RecordCount(), 2);
    EXPECT_EQ(ds->FieldByName("NCONDITION")->AsString(), "A");
    EXPECT_TRUE(ds->FindKey({Variant("B"), Variant("U001"), Variant("XQTR37")}));

    // Freeing the connection clears the data set's reference.
    midas->Free();
    EXPECT_EQ(ds->RemoteServer(), nullptr);
}

TEST_F(ClientFixture, ConnectedAndActiveInADescriptionOpenOnLoading) {
    rcstest::TDaemonProcess daemon(install.Dir());
    std::string text = kModule;
    text.replace(text.find("Port = 2211"), 11, "Port = " + std::to_string(daemon.Port()) + "\n    Connected = True");
    text.replace(text.find("    Left = 72"), 0, "    Active = True\n");
    TComponent* module = CreateFromDescription(text, "dmSchemes", root);
    auto* midas = static_cast<TSocketConnection*>(module->FindComponent("MainMidas"));
    auto* ds = static_cast<TwwClientDataSet*>(module->FindComponent("ClientDataSet1"));
    EXPECT_TRUE(midas->Connected());
    EXPECT_FALSE(midas->InProcess());
    ASSERT_TRUE(ds->Active());
    // A connection that has not called LoadTable is served no scheme.
    EXPECT_EQ(ds->FieldCount(), 6);
    EXPECT_EQ(ds->RecordCount(), 0);
    EXPECT_TRUE(ds->Eof());
}

// ---- Errors -------------------------------------------------------------------------------

TEST_F(ClientFixture, ConnectionErrorsSayWhereAndWhatToCheck) {
    rcstest::TDaemonProcess daemon(install.Dir());
    const uint16_t dead = DeadPort();
    struct TCase {
        const char* What;
        std::string Address;
        int Port;
        std::string ServerName;
        std::vector<std::string> Expected;
    } cases[] = {
        {"no address", "", 2211, kServer, {"MainMidas: no address", "port 2211", "ComputerName"}},
        {"no server name", "127.0.0.1", daemon.Port(), "", {"no server name"}},
        {"port out of range", "127.0.0.1", 70000, kServer, {"127.0.0.1:70000", "not a TCP port"}},
        {"nobody listening", "127.0.0.1", dead, kServer,
         {"cannot connect to the application server", "127.0.0.1:" + std::to_string(dead), "reportcounter-server",
          "ServerPort"}},
        {"unknown server name", "127.0.0.1", daemon.Port(), "Other.Server",
         {"refused", "127.0.0.1:" + std::to_string(daemon.Port()), "Other.Server"}},
    };
    for (const TCase& c : cases) {
        auto* conn = new TSocketConnection(root);
        conn->SetName("MainMidas");
        conn->SetAddress(c.Address);
        conn->SetPort(c.Port);
        conn->SetServerName(c.ServerName);
        try {
            conn->Open();
            ADD_FAILURE() << c.What << ": no error";
        } catch (const ESocketConnectionError& e) {
            for (const std::string& part : c.Expected)
                EXPECT_NE(std::string(e.what()).find(part), std::string::npos) << c.What << ": " << e.what();
        }
        EXPECT_FALSE(conn->Connected()) << c.What;
        EXPECT_TRUE(conn->AppServer().IsEmpty()) << c.What;
        conn->Free();
    }
}

TEST_F(ClientFixture, HandingOverAnythingButAnAutomationObjectIsRefused) {
    auto* conn = new TSocketConnection(root);
    EXPECT_THROW(conn->SetAppServer(Variant("ReportCounterS.dmReportCounter")), ESocketConnectionError);
    EXPECT_FALSE(conn->Connected());
    conn->SetAppServer(Variant(InProcessServer()));
    EXPECT_TRUE(conn->InProcess());
    conn->SetAppServer(Variant());
    EXPECT_FALSE(conn->Connected());
}

TEST_F(ClientFixture, DataSetWithoutServerOrProviderSaysWhatIsMissing) {
    auto* ds = new TwwClientDataSet(root);
    ds->SetName("ClientDataSet1");
    ds->SetProviderName("pvdConSave");
    try {
        ds->Open();
        ADD_FAILURE() << "opened without a remote server";
    } catch (const EDatabaseError& e) {
        EXPECT_NE(std::string(e.what()).find("no remote server"), std::string::npos) << e.what();
    }
    auto* conn = new TSocketConnection(root);
    conn->SetName("MainMidas");
    conn->SetAppServer(Variant(InProcessServer()));
    ds->SetRemoteServer(conn);
    ds->SetProviderName("pvdNothing");
    EXPECT_THROW(ds->Open(), EOleException);  // the server names the providers it has
    EXPECT_FALSE(ds->Active());
}

TEST_F(ClientFixture, BrokerServersAreTriedInOrder) {
    rcstest::TDaemonProcess daemon(install.Dir());
    auto* broker = new TSimpleObjectBroker(root);
    broker->SetName("ObjBroker");
    const uint16_t dead = DeadPort();
    broker->Servers()->Add("127.0.0.1", dead);
    broker->Servers()->Add("127.0.0.1", daemon.Port());
    auto* conn = new TSocketConnection(root);
    conn->SetName("MainMidas");
    conn->SetServerName(kServer);
    conn->SetObjectBroker(broker);
    conn->Open();
    EXPECT_EQ(conn->ConnectedEndpoint(), "127.0.0.1:" + std::to_string(daemon.Port()));

    conn->Close();
    broker->Servers()->Item(1)->Enabled = false;
    try {
        conn->Open();
        ADD_FAILURE() << "connected through a broker without a live server";
    } catch (const ESocketConnectionError& e) {
        EXPECT_NE(std::string(e.what()).find("127.0.0.1:" + std::to_string(dead)), std::string::npos) << e.what();
    }
    broker->Free();
    EXPECT_EQ(conn->ObjectBroker(), nullptr);
}

TEST_F(ClientFixture, ALostConnectionIsNotConnectedAndTheNextUseConnectsAgain) {
    rcstest::TDaemonProcess daemon(install.Dir());
    auto* conn = new TSocketConnection(root);
    conn->SetName("MainMidas");
    conn->SetAddress("127.0.0.1");
    conn->SetPort(daemon.Port());
    conn->SetServerName(kServer);
    conn->Open();
    const Variant before = conn->AppServer();
    daemon.Stop(SIGKILL);
    EXPECT_THROW(OleCall(before, "SQLType"), EOleError);
    EXPECT_FALSE(conn->Connected());
    EXPECT_TRUE(conn->AppServer().IsEmpty());
    daemon.Start();  // the same port
    EXPECT_EQ(conn->GetServer()->Call("SQLType").AsInteger(), rcs::kSqlTypeSqlite);
    EXPECT_TRUE(conn->Connected());
}

// ---- The shared secret --------------------------------------------------------------------

TEST_F(ClientFixture, SharedSecretComesFromTheClientConfiguration) {
    std::ofstream(install.Path("OrreryS.ini"), std::ios::app) << "[ReportCounterS]\nSharedSecret=s3cret-key\n";
    rcstest::TDaemonProcess daemon(install.Dir());
    std::ofstream(install.Path("secret.txt")) << "s3cret-key\n";
    std::ofstream(install.Path("wrong.txt")) << "not-the-key\n";
    std::ofstream(install.Path("empty.txt")) << "";
    struct TCase {
        const char* What;
        std::string ServerInformation;  // "" = no configuration at all
        std::string Explicit;           // SetSharedSecret
        std::string Refusal;            // "" = connects
    } cases[] = {
        {"file named relative to the installation", "SharedSecretFile=secret.txt\n", "", ""},
        {"file named with a backslash", "SharedSecretFile=\\secret.txt\n", "", ""},
        {"absolute file", "SharedSecretFile=" + install.Path("secret.txt") + "\n", "", ""},
        {"given explicitly", "", "s3cret-key", ""},
        {"no client configuration", "", "", "requires a shared secret"},
        {"configuration without the key", "ServerPort=2211\n", "", "requires a shared secret"},
        {"wrong secret", "SharedSecretFile=wrong.txt\n", "", "shared secret does not match"},
        {"explicit wins over the file", "SharedSecretFile=secret.txt\n", "not-the-key", "shared secret does not match"},
        {"missing file", "SharedSecretFile=nowhere.txt\n", "", "nowhere.txt"},
        {"empty file", "SharedSecretFile=empty.txt\n", "", "is empty"},
    };
    for (const TCase& c : cases) {
        std::ofstream(registry) << "";
        if (!c.ServerInformation.empty()) ClientConfiguration(c.ServerInformation);
        auto* conn = new TSocketConnection(root);
        conn->SetName("MainMidas");
        conn->SetAddress("127.0.0.1");
        conn->SetPort(daemon.Port());
        conn->SetServerName(kServer);
        conn->SetSharedSecret(c.Explicit);
        try {
            conn->Open();
            EXPECT_TRUE(c.Refusal.empty()) << c.What << ": connected";
            EXPECT_EQ(OleCall(conn->AppServer(), "SQLType").AsInteger(), rcs::kSqlTypeSqlite) << c.What;
        } catch (const ESocketConnectionError& e) {
            EXPECT_FALSE(c.Refusal.empty()) << c.What << ": " << e.what();
            if (!c.Refusal.empty()) {
                EXPECT_NE(std::string(e.what()).find(c.Refusal), std::string::npos) << c.What << ": " << e.what();
            }
            EXPECT_FALSE(conn->Connected()) << c.What;
        }
        conn->Free();
    }
}

TEST_F(ClientFixture, AClientWithASecretRefusesAServerWithout) {
    rcstest::TDaemonProcess daemon(install.Dir());
    auto* conn = new TSocketConnection(root);
    conn->SetName("MainMidas");
    conn->SetAddress("127.0.0.1");
    conn->SetPort(daemon.Port());
    conn->SetServerName(kServer);
    conn->SetSharedSecret("s3cret-key");
    try {
        conn->Open();
        ADD_FAILURE() << "talked to a server that holds no secret";
    } catch (const ESocketConnectionError& e) {
        EXPECT_NE(std::string(e.what()).find("did not prove the shared secret"), std::string::npos) << e.what();
    }
}

}  // namespace
