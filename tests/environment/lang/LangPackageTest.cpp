// Language packages: the property-path grammar, combo boxes keeping their selection, exclusions,
// the language folder, messages, the controller's states and the element index.
#include <gtest/gtest.h>

#include "environment/LangCommon.h"
#include "environment/LanguageController.h"
#include "environment/fixtures/Installation.h"
#include "platform/forms/Forms.h"
#include "platform/forms/TypInfo.h"
#include "platform/widgets/ComCtrls.h"
#include "platform/widgets/ListView.h"
#include "platform/widgets/StdCtrls.h"

using namespace plat;
using namespace qm;

// A component with a collection and a string list, the shapes "Panels.Items_1.Text" and
// "Lines_0" address.
class TLangTestPanel : public TCollectionItem {
    PLAT_CLASS(TLangTestPanel)
    explicit TLangTestPanel(TCollection* c) : TCollectionItem(c) {}
    std::string Text() const { return fText; }
    void SetText(const std::string& t) { fText = t; }
    std::string fText;
};
PLAT_REGISTER_CLASS(TLangTestPanel, TCollectionItem) { b.Property("Text", &Self::Text, &Self::SetText); }

class TLangTestHolder : public TComponent {
    PLAT_CLASS(TLangTestHolder)
    explicit TLangTestHolder(TComponent* owner)
        : TComponent(owner), fPanels(this, TLangTestPanel::StaticClass()) {}
    TCollection* Panels() const { return const_cast<TOwnedCollection*>(&fPanels); }
    TOwnedCollection fPanels;
};
PLAT_REGISTER_CLASS(TLangTestHolder, TComponent) { b.Property("Panels", &Self::Panels); }

namespace {

class LangPackage : public envtest::Installation {
protected:
    void SetUp() override {
        envtest::Installation::SetUp();
        form = new TForm(nullptr, 0);
        form->SetName("frmTest");
    }
    void TearDown() override {
        form->Free();
        envtest::Installation::TearDown();
    }
    // Opens a controller on the text and applies it to the form.
    void Apply(const std::string& xml, const std::string& exclude = "") {
        auto* lc = CreateObject<TQmLangController>(form);
        lc->SetName("lc");
        if (!exclude.empty()) lc->ExcludeControls()->Add(exclude);
        lc->XMLText()->SetText(xml);
        lc->SetActive(true);
        lc->GetReader()->ApplyTo(form);
    }
    template <class T>
    T* Make(const std::string& name) {
        T* c = CreateObject<T>(form);
        c->SetName(name);
        return c;
    }
    void Package(const std::string& code, const std::string& name, const std::string& xml) {
        envtest::WriteFile(fFolder / "MultiLanguage" / code / (name + ".Lng"), xml);
    }
    TForm* form = nullptr;
};

TEST_F(LangPackage, PathGrammar) {
    auto* lbl = Make<TLabel>("lblA");
    auto* memo = Make<TMemo>("mmoA");
    auto* holder = Make<TLangTestHolder>("hld");
    for (int i = 0; i < 3; ++i) holder->fPanels.Add();
    auto* lv = Make<TListView>("lvA");
    for (int i = 0; i < 3; ++i) lv->Columns()->Add();
    for (int i = 0; i < 5; ++i) lv->Items()->Add();
    Apply(R"(<?xml version="1.0" encoding="GB2312"?>
<TfrmTest Caption="标题">
  <lblA Caption="你好" Font.Name="Arial" Hint="h" Foo.Bar.Caption="x" Nope="y"/>
  <mmoA Lines_0="first" Lines_2="third"/>
  <lvA Columns_2.Caption="Col2" Items_4.Caption="Item4" Items.Items_1.Caption="stays"/>
  <hld Panels.Items_1.Text="P1" Panels.Items_x.Text="ignored"/>
</TfrmTest>)");
    EXPECT_EQ(form->Caption(), "标题");
    EXPECT_EQ(lbl->Caption(), "你好");
    EXPECT_EQ(lbl->Font()->Name(), "Arial");
    EXPECT_EQ(lbl->Hint(), "h");
    ASSERT_EQ(memo->Lines()->Count(), 3);
    EXPECT_EQ(memo->Lines()->Strings(0), "first");
    EXPECT_EQ(memo->Lines()->Strings(1), "");
    EXPECT_EQ(memo->Lines()->Strings(2), "third");
    EXPECT_EQ(lv->Columns()->Items(2)->GetNamePath().empty(), false);
    EXPECT_EQ(GetStrProp(lv->Columns()->Items(2), "Caption"), "Col2");
    EXPECT_EQ(lv->Items()->Item(4)->Caption(), "Item4");
    EXPECT_EQ(lv->Items()->Item(1)->Caption(), "");  // an index into the item list does not move
    EXPECT_EQ(static_cast<TLangTestPanel*>(holder->fPanels.Items(1))->Text(), "P1");
    EXPECT_EQ(static_cast<TLangTestPanel*>(holder->fPanels.Items(0))->Text(), "");
}

TEST_F(LangPackage, TreeNodesByAbsoluteIndexAndStatusPanels) {
    auto* tv = Make<TTreeView>("tvA");
    TTreeNode* a = tv->Items()->Add(nullptr, "a");
    tv->Items()->AddChild(a, "a1");
    tv->Items()->Add(nullptr, "b");
    auto* sb = Make<TStatusBar>("sbA");
    sb->Panels()->Add();
    sb->Panels()->Add();
    Apply(R"(<F><tvA Items_1.Text="child" Items_2.Text="second" Items_9.Text="none"/><sbA Panels.Items_1.Text="P1"/></F>)");
    EXPECT_EQ(tv->Items()->Item(0)->Text(), "a");
    EXPECT_EQ(tv->Items()->Item(1)->Text(), "child");
    EXPECT_EQ(tv->Items()->Item(2)->Text(), "second");
    EXPECT_EQ(static_cast<TStatusPanel*>(sb->Panels()->Items(1))->Text(), "P1");
}

TEST_F(LangPackage, ComboBoxGetsEmptyLinesAndKeepsItsSelection) {
    auto* cbo = Make<TComboBox>("cboA");
    cbo->Items()->Add("a");
    cbo->Items()->Add("b");
    cbo->SetItemIndex(1);
    Apply(R"(<F><cboA Items_5="five" Items_100000="too far"/></F>)");
    ASSERT_EQ(cbo->Items()->Count(), 6);
    for (int i = 2; i < 5; ++i) EXPECT_EQ(cbo->Items()->Strings(i), "");
    EXPECT_EQ(cbo->Items()->Strings(5), "five");
    EXPECT_EQ(cbo->ItemIndex(), 1);
}

TEST_F(LangPackage, ExcludedNamesIgnoreBlanksAndCase) {
    auto* a = Make<TLabel>("lblA");
    auto* b = Make<TLabel>("lblB");
    a->SetCaption("old");
    Apply(R"(<F><lblA Caption="new"/><lblB Caption="new"/></F>)", "  LBLa ");
    EXPECT_EQ(a->Caption(), "old");
    EXPECT_EQ(b->Caption(), "new");
}

TEST_F(LangPackage, ReaderReportsEachComponentItLoads) {
    Make<TLabel>("lblA");
    std::vector<std::string> seen;
    struct Sink : TObject {
        std::vector<std::string>* out;
        void Before(TComponent* c, TXmlNode n) { out->push_back("before " + c->Name() + " " + n.NodeName()); }
        void After(TComponent* c, TXmlNode n) { out->push_back("after " + c->Name() + " " + n.NodeName()); }
    } sink;
    sink.out = &seen;
    auto* lc = CreateObject<TQmLangController>(form);
    lc->BeforeLoadComponent = TLoadComponentEvent::Of<&Sink::Before>(&sink);
    lc->AfterLoadComponent = TLoadComponentEvent::Of<&Sink::After>(&sink);
    lc->XMLText()->SetText("<Root><lblA Caption='x'/></Root>");
    lc->SetActive(true);
    lc->GetReader()->ApplyTo(form);
    EXPECT_EQ(seen, (std::vector<std::string>{"before frmTest Root", "after frmTest Root", "before lblA lblA",
                                              "after lblA lblA"}));
}

TEST_F(LangPackage, IndexAnswersTheFirstElementInDocumentOrder) {
    TXmlDocument doc;
    ASSERT_TRUE(doc.LoadXML(R"(<R><a id="1"><b id="2"><c id="3"/></b></a><c id="4"/><b id="5"/><R id="6"/></R>)"));
    TLangReader indexed(doc), naive(doc);
    naive.UseIndex = false;
    for (const char* name : {"R", "a", "b", "c", "missing", "1bad", ""}) {
        SCOPED_TRACE(name);
        TXmlNode x = indexed.FindElement(name), y = naive.FindElement(name);
        EXPECT_TRUE(x == y);
    }
    EXPECT_EQ(indexed.FindElement("c").GetAttribute("id"), "3");
    EXPECT_EQ(indexed.FindElement("R").GetAttribute("id"), "");
}

TEST_F(LangPackage, FolderFollowsTheUserInterfaceCodePage) {
    for (const char* code : {"CHS", "CHT", "ENG"}) std::filesystem::create_directories(fFolder / "MultiLanguage" / code);
    EXPECT_EQ(LanguageFolder(dtClient), Folder() + "/MultiLanguage/CHS/");
    SystemCodePage("1252");
    EXPECT_EQ(LanguageFolder(dtClient), Folder() + "/MultiLanguage/ENG/");
    Ini("OrreryC.ini", "[CodePage]\nUICodePage=950\n");
    EXPECT_EQ(LanguageFolder(dtClient), Folder() + "/MultiLanguage/CHT/");
    Ini("OrreryC.ini", "[CodePage]\nUICodePage=1250\n");
    EXPECT_EQ(LanguageFolder(dtClient), "");
    Package("CHS", "TfrmX", "<TfrmX><sA Msg='a'/></TfrmX>");
    std::string text;
    ReadLangMessage(dtClient, "TfrmX", "sA", text, "default");
    EXPECT_EQ(text, "default");
}

TEST_F(LangPackage, MissingFolderMeansNoPackageNotTheWorkingDirectory) {
    std::filesystem::path cwd = std::filesystem::current_path();
    std::filesystem::current_path(fRoot);
    envtest::WriteFile(fRoot / "TfrmX.Lng", "<TfrmX><sA Msg='from cwd'/></TfrmX>");
    auto* lc = CreateObject<TQmLangController>(form);
    lc->SetLangPackageName("TfrmX");
    EXPECT_EQ(lc->FileName(), "");
    std::string text;
    ReadLangMessage(dtClient, "TfrmX", "sA", text, "default");
    std::filesystem::current_path(cwd);
    EXPECT_EQ(text, "default");
}

TEST_F(LangPackage, Messages) {
    Package("CHS", "TfrmX", R"(<?xml version="1.0" encoding="UTF-8"?>
<TfrmX><lblA Caption="c"/><Msgs><sOk Msg="确定了"/><sNoMsg Text="x"/></Msgs></TfrmX>)");
    struct Case { const char* key; const char* expected; };
    for (Case c : {Case{"sOk", "确定了"}, Case{"sNoMsg", "default"}, Case{"sMissing", "default"}, Case{"bad key", "default"}}) {
        std::string text = "junk";
        ReadLangMessage(dtClient, "TfrmX", c.key, text, "default");
        EXPECT_EQ(text, c.expected) << c.key;
    }
    std::string text;
    ReadLangMessage(dtClient, "TfrmNone", "sOk", text, "default");
    EXPECT_EQ(text, "default");
}

TEST_F(LangPackage, ControllerStates) {
    auto* lc = CreateObject<TQmLangController>(form);
    EXPECT_FALSE(lc->Active());
    try {
        lc->GetReader();
        FAIL();
    } catch (const LanguageControllerError& e) {
        EXPECT_STREQ(e.what(), "No active LanguageController!");
    }
    try {
        lc->SetActive(true);
        FAIL();
    } catch (const LanguageControllerError& e) {
        EXPECT_STREQ(e.what(), "Cannot Find File !");
    }
    // A text clears the file name; a file name clears the text; both close.
    lc->SetFileName("/nowhere/X.Lng");
    lc->XMLText()->SetText("<R/>");
    EXPECT_EQ(lc->FileName(), "");
    lc->SetActive(true);
    EXPECT_TRUE(lc->Active());
    lc->SetFileName("/nowhere/X.Lng");
    EXPECT_FALSE(lc->Active());
    EXPECT_EQ(lc->XMLText()->Count(), 0);
    EXPECT_THROW(lc->SetActive(true), LanguageControllerError);
    // A malformed text raises with the parser's reason.
    lc->XMLText()->SetText("<R><unclosed></R>");
    try {
        lc->SetActive(true);
        FAIL();
    } catch (const LanguageControllerError& e) {
        EXPECT_FALSE(std::string(e.what()).empty());
    }
    EXPECT_FALSE(lc->Active());
}

TEST_F(LangPackage, ActiveWhileLoadingWaitsForTheEndOfLoading) {
    auto* lc = CreateObject<TQmLangController>(form);
    lc->XMLText()->SetText("<R/>");
    lc->SetLoadingState(true);
    lc->SetActive(true);
    EXPECT_FALSE(lc->Active());
    lc->SetLoadingState(false);
    static_cast<TComponent*>(lc)->Loaded();
    EXPECT_TRUE(lc->Active());
}

TEST_F(LangPackage, ReadAttributeByPositionOrName) {
    auto* lbl = Make<TLabel>("lblA");
    TXmlDocument doc;
    ASSERT_TRUE(doc.LoadXML(R"(<R><lblA Caption="first" Hint="second"/></R>)"));
    ILangReadPtr reader = TReaderFactory::CreateReader(lbl, doc.SelectSingleNode("//lblA"));
    reader->ReadAttribute(Variant(1));
    EXPECT_EQ(lbl->Hint(), "second");
    EXPECT_EQ(lbl->Caption(), "");
    reader->ReadAttribute(Variant("Caption"));
    EXPECT_EQ(lbl->Caption(), "first");
    lbl->SetCaption("");
    reader->ReadAttribute(Variant(true));  // neither a number nor a text: nothing
    reader->ReadAttribute(Variant(7));     // no such position: nothing
    EXPECT_EQ(lbl->Caption(), "");
}

TEST_F(LangPackage, FactoryChoosesTheReaderByClass) {
    TXmlNode none;
    auto* cbo = Make<TComboBox>("cbo");
    auto* lbl = Make<TLabel>("lbl");
    EXPECT_NE(dynamic_cast<TCustomComboBoxRead*>(TReaderFactory::CreateReader(cbo, none).get()), nullptr);
    ILangReadPtr plain = TReaderFactory::CreateReader(lbl, none);
    EXPECT_EQ(dynamic_cast<TCustomComboBoxRead*>(plain.get()), nullptr);
    EXPECT_EQ(plain->GetComponent(), lbl);
    if (FindClass("TwwDBComboBox")) {
        TComponent* ww = CreateComponentByClassName("TwwDBComboBox", form);
        EXPECT_NE(dynamic_cast<TwwDBCustomComboBoxRead*>(TReaderFactory::CreateReader(ww, none).get()), nullptr);
    }
}

}  // namespace

namespace {

struct TOpenCloseLog : TObject {
    std::vector<std::string> Log;
    void BeforeOpen(TObject*) { Log.push_back("before open"); }
    void AfterOpen(TObject*) { Log.push_back("after open"); }
    void BeforeClose(TObject*) { Log.push_back("before close"); }
    void AfterClose(TObject*) { Log.push_back("after close"); }
};

// The four notifications around opening and closing; a failed open raises only the first.
TEST_F(LangPackage, OpenAndCloseNotifications) {
    auto* lc = CreateObject<TQmLangController>(form);
    TOpenCloseLog log;
    lc->BeforeOpen = TNotifyEvent::Of<&TOpenCloseLog::BeforeOpen>(&log);
    lc->AfterOpen = TNotifyEvent::Of<&TOpenCloseLog::AfterOpen>(&log);
    lc->BeforeClose = TNotifyEvent::Of<&TOpenCloseLog::BeforeClose>(&log);
    lc->AfterClose = TNotifyEvent::Of<&TOpenCloseLog::AfterClose>(&log);
    lc->XMLText()->SetText("<R/>");
    EXPECT_TRUE(log.Log.empty());  // closed already: nothing to close
    lc->SetActive(true);
    lc->SetActive(true);  // no change, no notification
    lc->XMLText()->SetText("<R><A/></R>");  // a new text closes
    EXPECT_EQ(log.Log, (std::vector<std::string>{"before open", "after open", "before close", "after close"}));
    log.Log.clear();
    lc->XMLText()->SetText("<R>");
    EXPECT_THROW(lc->SetActive(true), LanguageControllerError);
    EXPECT_EQ(log.Log, std::vector<std::string>{"before open"});
}

}  // namespace
