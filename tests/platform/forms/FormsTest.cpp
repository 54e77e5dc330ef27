// Forms read from descriptions, focus and keys, posted messages, modal forms and dialogs.
#include <gtest/gtest.h>

#include "platform/forms/DfmReader.h"
#include "platform/forms/Dialogs.h"
#include "platform/forms/Forms.h"
#include "platform/forms/Resources.h"
#include "platform/forms/TypInfo.h"
#include "platform/headless/HeadlessWidgetSet.h"
#include "platform/widgets/StdCtrls.h"

using namespace plat;

namespace {

// A container control for nested tab order.
class TTestPanel : public TCustomControl {
    PLAT_CLASS(TTestPanel)
    using TCustomControl::TCustomControl;
};
PLAT_REGISTER_CLASS(TTestPanel, TCustomControl) {
    b.Publish({"Left", "Top", "Width", "Height", "TabOrder", "Align", "OnEnter", "OnExit"});
}

class TTestBaseForm : public TForm {
    PLAT_CLASS(TTestBaseForm)
    using TForm::TForm;
    TEdit* edCode = nullptr;
    TButton* btnOk = nullptr;
    std::vector<std::string> Log;
    void FormCreate(TObject*) { Log.push_back("create " + std::string(IsLoading() ? "loading" : "loaded")); }
    void btnOkClick(TObject*) { Log.push_back("ok clicked"); }
};
PLAT_REGISTER_CLASS(TTestBaseForm, TForm) {
    PLAT_FIELD(edCode);
    PLAT_FIELD(btnOk);
    PLAT_METHOD(FormCreate);
    PLAT_METHOD(btnOkClick);
}

class TTestChildForm : public TTestBaseForm {
    PLAT_CLASS(TTestChildForm)
    using TTestBaseForm::TTestBaseForm;
    TLabel* lblCode = nullptr;
    TEdit* edName = nullptr;
    TTestPanel* pnlBox = nullptr;
    void edNameExit(TObject*) { Log.push_back("edName exit"); }
};
PLAT_REGISTER_CLASS(TTestChildForm, TTestBaseForm) {
    PLAT_FIELD(lblCode);
    PLAT_FIELD(edName);
    PLAT_FIELD(pnlBox);
    PLAT_METHOD(edNameExit);
}

const char kBase[] = R"(object TestBaseForm: TTestBaseForm
  Left = 10
  Top = 20
  Width = 400
  Height = 300
  Caption = 'Base '#39'form'#39
  Font.Height = -13
  Font.Name = '宋体'
  KeyPreview = True
  OnCreate = FormCreate
  object edCode: TEdit
    Left = 8
    Top = 8
    TabOrder = 1
    Text = 'A01'
  end
  object btnOk: TButton
    Left = 8
    Top = 40
    Caption = '确定'
    Default = True
    ModalResult = 1
    TabOrder = 0
    OnClick = btnOkClick
  end
end
)";

const char kChild[] = R"(inherited TestChildForm: TTestChildForm
  Caption = 'Child'
  BorderIcons = [biSystemMenu, biMaximize]
  inherited btnOk: TButton
    Caption = 'OK' +
      ' now'
  end
  object lblCode: TLabel
    Caption = '&Code'
    FocusControl = edCode
  end
  object pnlBox: TTestPanel
    Left = 100
    Width = 200
    Height = 100
    TabOrder = 2
    object edName: TEdit
      OnExit = edNameExit
    end
  end
end
)";

const TResourceRegistration kBaseRes("test_platform_forms", "TestBaseForm", TResourceKind::Description,
                                     reinterpret_cast<const unsigned char*>(kBase), sizeof kBase - 1);
const TResourceRegistration kChildRes("test_platform_forms", "TestChildForm", TResourceKind::Description,
                                      reinterpret_cast<const unsigned char*>(kChild), sizeof kChild - 1);

// Frees what a test created, and resets the global input state between tests.
struct FormsFixture : public ::testing::Test {
    void TearDown() override {
        if (auto* ws = HeadlessWidgetSet()) ws->SetModalDriver(nullptr);
        Application->ProcessMessages();
        ClearDialogTranscript();
    }
};

TEST_F(FormsFixture, InheritedDescriptionLoadsComponentsValuesAndHandlers) {
    auto* f = CreateObject<TTestChildForm>(nullptr);
    EXPECT_EQ(f->Name(), "TestChildForm");
    EXPECT_EQ(f->Caption(), "Child");
    EXPECT_EQ(f->Width(), 400);
    EXPECT_EQ(f->Font()->Name(), "宋体");
    EXPECT_EQ(f->Font()->Height(), -13);
    EXPECT_TRUE(f->KeyPreview());
    EXPECT_EQ(GetPropText(f, "BorderIcons"), "biSystemMenu,biMaximize");
    ASSERT_EQ(f->ComponentCount(), 5);
    ASSERT_NE(f->btnOk, nullptr);
    EXPECT_EQ(f->btnOk->Caption(), "OK now");  // the descendant changed what the ancestor made
    EXPECT_EQ(f->btnOk->ModalResult(), mrOk);
    EXPECT_EQ(f->MethodName(f->btnOk->OnClick.Code), "btnOkClick");
    EXPECT_EQ(f->btnOk->OnClick.Data, f);
    EXPECT_EQ(f->edCode->Text(), "A01");
    EXPECT_EQ(f->lblCode->FocusControl(), f->edCode);  // reference resolved after all existed
    EXPECT_EQ(f->edName->Parent(), f->pnlBox);
    EXPECT_EQ(f->edName->Owner(), f);
    EXPECT_EQ(f->edName->Font()->Name(), "宋体");  // parent font followed after loading
    EXPECT_EQ(f->edName->OnExit.Code, f->MethodAddress("edNameExit"));
    EXPECT_EQ(f->btnOk->TabOrder(), 0);
    EXPECT_EQ(f->edCode->TabOrder(), 1);
    EXPECT_EQ(f->pnlBox->TabOrder(), 2);
    EXPECT_FALSE(f->IsLoading());
    EXPECT_FALSE(f->edName->IsLoading());
    EXPECT_EQ(f->Log, (std::vector<std::string>{"create loaded"}));
    f->btnOk->Click();
    EXPECT_EQ(f->Log.back(), "ok clicked");
    f->Free();
}

struct BrokenCase {
    const char* Text;
    int Line;
    const char* Cause;
};
class MalformedDescription : public FormsFixture, public ::testing::WithParamInterface<BrokenCase> {};

TEST_P(MalformedDescription, NamesTheLineAndTheCause) {
    auto* f = CreateObject<TTestBaseForm>(nullptr);
    try {
        ReadDescriptionInto(f, GetParam().Text, "Broken");
        ADD_FAILURE() << "no error for: " << GetParam().Text;
    } catch (const EReadError& e) {
        std::string m = e.what();
        EXPECT_NE(m.find("Broken"), std::string::npos) << m;
        EXPECT_NE(m.find("line " + std::to_string(GetParam().Line) + ":"), std::string::npos) << m;
        EXPECT_NE(m.find(GetParam().Cause), std::string::npos) << m;
    }
    f->Free();
}

INSTANTIATE_TEST_SUITE_P(
    Cases, MalformedDescription,
    ::testing::Values(
        BrokenCase{"object F: TTestBaseForm\n  Caption = 'x'\n  Nonsense = 1\nend\n", 3, "property Nonsense does not exist"},
        BrokenCase{"object F: TTestBaseForm\n  BorderStyle = bsRound\nend\n", 2, "invalid value bsRound"},
        BrokenCase{"object F: TTestBaseForm\n  object b: TNoSuchClass\n  end\nend\n", 2, "class TNoSuchClass not found"},
        BrokenCase{"object F: TTestBaseForm\n  object b: TButton\n    OnClick = NoHandler\n  end\nend\n", 3,
                   "method NoHandler not found"},
        BrokenCase{"object F: TTestBaseForm\n  Caption = 'open\nend\n", 2, "unterminated string"},
        BrokenCase{"object F: TTestBaseForm\n  object l: TLabel\n\n    FocusControl = edNone\n  end\nend\n", 4,
                   "component edNone not found"},
        BrokenCase{"object F: TTestBaseForm\n  Caption = 'x'\n", 3, "'end' expected"},
        BrokenCase{"object F: TTestBaseForm\n  Width = 'wide'\nend\n", 2, "invalid value for property Width"}));

TEST_F(FormsFixture, AllValueKindsRead) {
    auto* g = CreateObject<TForm>(nullptr, 0);
    ReadDescriptionInto(g,
                        "object Probe: TForm\n"
                        "  Caption = #36153#29992'-'#65 + 'b'''\n"
                        "  Color = clBtnFace\n"
                        "  Font.Style = [fsBold, fsItalic]\n"
                        "  Font.Charset = GB2312_CHARSET\n"
                        "  Tag = -5\n"
                        "end\n",
                        "Probe");
    EXPECT_EQ(g->Caption(), "费用-Ab'");
    EXPECT_EQ(g->Color(), clBtnFace);
    EXPECT_EQ(GetPropTextByPath(g, "Font.Style"), "fsBold,fsItalic");
    EXPECT_EQ(g->Font()->Charset(), GB2312_CHARSET);
    EXPECT_EQ(g->Tag(), -5);
    g->Free();
    // Lists, collections and binary values parse into their kinds.
    TDfmObject o = ParseDescription(
        "object X: TForm\n  Items.Strings = (\n    'a'\n    'b')\n  Panels = <\n    item\n      Width = 50\n    end\n"
        "    item\n    end>\n  Glyph.Data = {\n    0A1b\n    FF}\n  Ratio = 1.5E2\nend\n",
        "Kinds");
    ASSERT_EQ(o.Props.size(), 4u);
    EXPECT_EQ(o.Props[0].Value.StringList(), (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(o.Props[1].Value.Items.size(), 2u);
    EXPECT_EQ(o.Props[1].Value.Items[0].Props[0].Value.Int, 50);
    EXPECT_EQ(o.Props[2].Value.Bytes, (std::vector<uint8_t>{0x0A, 0x1B, 0xFF}));
    EXPECT_DOUBLE_EQ(o.Props[3].Value.Float, 150.0);
}

// A form with three edits, the middle one inside a panel, logging focus events.
class TFocusForm : public TForm {
    PLAT_CLASS(TFocusForm)
    explicit TFocusForm(TComponent* owner) : TForm(owner, 0) {
        Panel = CreateObject<TTestPanel>(this);
        Panel->SetName("Panel");
        Panel->SetParent(this);
        for (auto* name : {"edA", "edB", "edC"}) {
            auto* e = CreateObject<TEdit>(this);
            e->SetName(name);
            e->SetParent(std::string(name) == "edB" ? static_cast<TWinControl*>(Panel) : this);
            e->OnEnter = TNotifyEvent::Of<&TFocusForm::Enter>(this);
            e->OnExit = TNotifyEvent::Of<&TFocusForm::Exit>(this);
            Edits.push_back(e);
        }
        Panel->OnEnter = TNotifyEvent::Of<&TFocusForm::Enter>(this);
        Panel->OnExit = TNotifyEvent::Of<&TFocusForm::Exit>(this);
        Edits[2]->SetTabOrder(0);  // tab order: edC, Panel(edB), edA
        Edits[0]->SetTabOrder(2);
    }
    std::vector<TEdit*> Edits;
    TTestPanel* Panel;
    std::vector<std::string> Log;
    bool RefocusOnExit = false;
    void Enter(TObject* s) { Log.push_back("enter " + static_cast<TComponent*>(s)->Name()); }
    void Exit(TObject* s) {
        auto* c = static_cast<TComponent*>(s);
        Log.push_back("exit " + c->Name() + " active=" + (ActiveControl() ? ActiveControl()->Name() : "-"));
        if (RefocusOnExit && c == Edits[1]) {
            RefocusOnExit = false;
            Edits[1]->SetFocus();  // validation failed: back to the field
        }
    }
};
PLAT_REGISTER_CLASS(TFocusForm, TForm) {}

TEST_F(FormsFixture, FocusMovesInTheOriginalOrderAndAnExitHandlerThatRefocusesWins) {
    auto* f = CreateObject<TFocusForm>(nullptr);
    f->Show();
    EXPECT_EQ(f->ActiveControl(), f->Edits[2]);  // first in tab order
    EXPECT_TRUE(f->Edits[2]->Focused());
    f->Log.clear();
    f->Edits[1]->SetFocus();  // into the panel
    EXPECT_EQ(f->Log, (std::vector<std::string>{"exit edC active=edB", "enter Panel", "enter edB"}));
    f->Log.clear();
    f->RefocusOnExit = true;
    f->Edits[0]->SetFocus();
    // The active control changed before the exit handler ran; the handler's move won.
    EXPECT_EQ(f->Log, (std::vector<std::string>{"exit edB active=edA", "enter edB"}));
    EXPECT_TRUE(f->Edits[1]->Focused());
    EXPECT_EQ(f->ActiveControl(), f->Edits[1]);
    EXPECT_EQ(Screen->ActiveForm(), f);
    // Leaving the panel runs the exits of the control and of the container, in that order.
    f->Log.clear();
    f->Edits[0]->SetFocus();
    EXPECT_EQ(f->Log, (std::vector<std::string>{"exit edB active=edA", "exit Panel active=edA", "enter edA"}));
    f->Free();
}

TEST_F(FormsFixture, TabWalksNestedContainersBothWays) {
    auto* f = CreateObject<TFocusForm>(nullptr);
    f->Show();
    ASSERT_TRUE(f->Edits[2]->Focused());
    PressKey(VK_TAB);
    EXPECT_TRUE(f->Edits[1]->Focused());  // inside the panel
    PressKey(VK_TAB);
    EXPECT_TRUE(f->Edits[0]->Focused());
    PressKey(VK_TAB);
    EXPECT_TRUE(f->Edits[2]->Focused());  // wraps
    PressKey(VK_TAB, {ssShift});
    EXPECT_TRUE(f->Edits[0]->Focused());
    f->Edits[1]->SetEnabled(false);
    PressKey(VK_TAB, {ssShift});
    EXPECT_TRUE(f->Edits[2]->Focused());  // the disabled one is skipped
    SendMessage(f->Handle(), WM_NEXTDLGCTL, 0, 0);
    EXPECT_TRUE(f->Edits[0]->Focused());
    f->Free();
}

class TKeyForm : public TForm {
    PLAT_CLASS(TKeyForm)
    explicit TKeyForm(TComponent* owner) : TForm(owner, 0) {
        Edit = CreateObject<TEdit>(this);
        Edit->SetName("Edit");
        Edit->SetParent(this);
        Edit->OnKeyDown = TKeyEvent::Of<&TKeyForm::EditKeyDown>(this);
        OnKeyDown = TKeyEvent::Of<&TKeyForm::FormKeyDown>(this);
        OnKeyPress = TKeyPressEvent::Of<&TKeyForm::FormKeyPress>(this);
        Label = CreateObject<TLabel>(this);
        Label->SetParent(this);
        Label->SetCaption("&Name");
        Label->SetFocusControl(Edit);
        Go = CreateObject<TButton>(this);
        Go->SetName("Go");
        Go->SetParent(this);
        Go->SetCaption("&Go");
        Go->OnClick = TNotifyEvent::Of<&TKeyForm::GoClick>(this);
    }
    TEdit* Edit;
    TLabel* Label;
    TButton* Go;
    std::vector<std::string> Log;
    void FormKeyDown(TObject*, uint16_t& key, TShiftState shift) {
        Log.push_back("form down " + std::to_string(key) + (shift.Contains(ssCtrl) ? " ctrl" : ""));
        if (key == VK_F2) key = 0;  // consumed by the key preview
    }
    void FormKeyPress(TObject*, char& key) {
        if (key == '\r') {
            Log.push_back("form enter");
            key = 0;
        }
    }
    void EditKeyDown(TObject*, uint16_t& key, TShiftState) { Log.push_back("edit down " + std::to_string(key)); }
    void GoClick(TObject*) { Log.push_back("go"); }
};
PLAT_REGISTER_CLASS(TKeyForm, TForm) {}

TEST_F(FormsFixture, KeyPreviewSeesKeysFirstAndCanConsumeThem) {
    auto* f = CreateObject<TKeyForm>(nullptr);
    f->SetKeyPreview(true);
    f->Show();
    f->Edit->SetFocus();
    PressKey(VK_F2);
    EXPECT_EQ(f->Log, (std::vector<std::string>{"form down 113"}));  // never reached the edit
    f->Log.clear();
    PressKey('A', {ssCtrl});
    EXPECT_EQ(f->Log, (std::vector<std::string>{"form down 65 ctrl", "edit down 65"}));
    f->Log.clear();
    PressKey('X');
    PressKey('Y', {ssShift});
    PressKey(VK_RETURN);  // the form's key press takes Enter
    EXPECT_EQ(f->Edit->Text(), "xY");
    EXPECT_EQ(f->Log.back(), "form enter");
    f->SetKeyPreview(false);
    f->Log.clear();
    PressKey(VK_F2);
    EXPECT_EQ(f->Log, (std::vector<std::string>{"edit down 113"}));
    f->Free();
}

TEST_F(FormsFixture, AcceleratorsAndMouseClicks) {
    auto* f = CreateObject<TKeyForm>(nullptr);
    f->Show();
    f->Go->SetFocus();
    PressKey('N', {ssAlt});  // the label focuses its control
    EXPECT_TRUE(f->Edit->Focused());
    PressKey('G', {ssAlt});  // the button is clicked
    EXPECT_EQ(f->Log.back(), "go");
    EXPECT_TRUE(f->Go->Focused());
    f->Log.clear();
    ClickAt(f->Go, 3, 3);
    EXPECT_EQ(f->Log, (std::vector<std::string>{"go"}));
    // A disabled button, or one on a disabled container, gets no click.
    f->Go->SetEnabled(false);
    ClickAt(f->Go, 3, 3);
    f->Go->SetEnabled(true);
    f->SetEnabled(false);
    ClickAt(f->Go, 3, 3);
    f->SetEnabled(true);
    EXPECT_EQ(f->Log, (std::vector<std::string>{"go"}));
    // A press without release keeps the capture until a posted left-button up ends it.
    f->Go->Perform(WM_LBUTTONDOWN, MK_LBUTTON, MakeLParam(2, 2));
    EXPECT_EQ(GetCaptureControl(), f->Go);
    PostMessage(f->Go->Handle(), WM_LBUTTONUP, 0, MakeLParam(500, 500));  // released outside: no click
    Application->ProcessMessages();
    EXPECT_EQ(GetCaptureControl(), nullptr);
    EXPECT_EQ(f->Log, (std::vector<std::string>{"go"}));
    f->Free();
}

class TClosingForm : public TForm {
    PLAT_CLASS(TClosingForm)
    explicit TClosingForm(TComponent* owner) : TForm(owner, 0) {
        OnClose = TCloseEvent::Of<&TClosingForm::FormClose>(this);
        OnCloseQuery = TCloseQueryEvent::Of<&TClosingForm::FormCloseQuery>(this);
        OnDestroy = TNotifyEvent::Of<&TClosingForm::FormDestroy>(this);
        Ok = CreateObject<TButton>(this);
        Ok->SetName("btnOk");
        Ok->SetParent(this);
        Ok->SetModalResult(mrOk);
    }
    TButton* Ok;
    std::vector<std::string>* Log = nullptr;
    TCloseAction Action = caFree;
    int RefuseCloses = 0;
    void FormClose(TObject*, TCloseAction& a) {
        Log->push_back("close");
        a = Action;
    }
    void FormCloseQuery(TObject*, bool& canClose) {
        Log->push_back("query");
        if (RefuseCloses > 0) {
            --RefuseCloses;
            canClose = false;
        }
    }
    void FormDestroy(TObject*) { Log->push_back("destroy with " + std::to_string(ComponentCount()) + " components"); }
};
PLAT_REGISTER_CLASS(TClosingForm, TForm) {}

TEST_F(FormsFixture, PostedCloseFreesTheFormThroughTheQueue) {
    std::vector<std::string> log;
    auto* f = CreateObject<TClosingForm>(nullptr);
    f->Log = &log;
    f->Show();
    HWND h = f->Handle();
    TComponentWatch w(f);
    ASSERT_TRUE(PostMessage(h, WM_CLOSE));
    EXPECT_TRUE(log.empty());  // nothing runs until messages are processed
    Application->ProcessMessages();
    EXPECT_EQ(w.Target, nullptr);
    EXPECT_EQ(log, (std::vector<std::string>{"query", "close", "destroy with 1 components"}));
    EXPECT_FALSE(IsWindow(h));  // the stale handle resolves to nothing
    EXPECT_EQ(FindControl(h), nullptr);
    EXPECT_FALSE(PostMessage(h, WM_CLOSE));
    EXPECT_EQ(SendMessage(h, WM_CLOSE), 0);
}

TEST_F(FormsFixture, ModalFormWithAndWithoutDriver) {
    std::vector<std::string> log;
    auto* ws = HeadlessWidgetSet();
    ASSERT_NE(ws, nullptr);
    auto* f = CreateObject<TClosingForm>(nullptr);
    f->Log = &log;
    f->Action = caHide;
    ws->SetModalDriver([](TCustomForm& form) { ClickAt(static_cast<TButton*>(form.FindComponent("btnOk"))); });
    EXPECT_EQ(f->ShowModal(), mrOk);
    EXPECT_FALSE(f->Visible());
    EXPECT_FALSE(f->Modal());
    // A close query that refuses keeps the form open in a real loop; headless ends as Cancel.
    f->RefuseCloses = 5;
    EXPECT_EQ(f->ShowModal(), mrCancel);
    f->RefuseCloses = 0;
    // Without a driver: a click posted before the loop runs sets the modal result...
    ws->SetModalDriver(nullptr);
    f->Ok->SetCaption("OK");
    f->Ok->HandleNeeded();
    PostMessage(f->Ok->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MakeLParam(1, 1));
    PostMessage(f->Ok->Handle(), WM_LBUTTONUP, 0, MakeLParam(1, 1));
    EXPECT_EQ(f->ShowModal(), mrOk);
    // ...and nothing at all ends as Cancel: it never hangs.
    EXPECT_EQ(f->ShowModal(), mrCancel);
    // A form whose close asks to be freed is freed after ShowModal returns, through the queue.
    f->Action = caFree;
    ws->SetModalDriver([](TCustomForm& form) { form.SetModalResult(mrYes); });
    TComponentWatch w(f);
    EXPECT_EQ(f->ShowModal(), mrYes);
    ASSERT_NE(w.Target, nullptr);
    Application->ProcessMessages();
    EXPECT_EQ(w.Target, nullptr);
}

TEST_F(FormsFixture, DialogAnsweredByDriverAfterButtonsWereRecaptioned) {
    TMessageForm* d = CreateMessageDialog("确实要删除此方案吗？", mtConfirmation, TMsgDlgButtons{mbYes, mbNo});
    ASSERT_NE(d->FindComponent("Yes"), nullptr);
    ASSERT_NE(d->FindComponent("No"), nullptr);
    EXPECT_EQ(d->FindComponent("OK"), nullptr);
    auto* yes = static_cast<TButton*>(d->FindComponent("Yes"));
    yes->SetCaption("是(&Y)");
    static_cast<TButton*>(d->FindComponent("No"))->SetCaption("否(&N)");
    yes->Font()->SetHeight(-13);
    std::string seenCaption;
    HeadlessWidgetSet()->SetModalDriver([&](TCustomForm& form) {
        seenCaption = static_cast<TButton*>(form.FindComponent("Yes"))->Caption();
        PressKey('Y', {ssAlt});  // the accelerator of the new caption
    });
    EXPECT_EQ(d->ShowModal(), mrYes);
    EXPECT_EQ(seenCaption, "是(&Y)");
    d->Free();
    ASSERT_EQ(DialogTranscript().size(), 1u);
    const TDialogRecord& r = DialogTranscript()[0];
    EXPECT_EQ(r.Kind, "confirmation");
    EXPECT_EQ(r.Caption, "Confirm");
    EXPECT_EQ(r.Text, "确实要删除此方案吗？");
    EXPECT_EQ(r.Buttons, (std::vector<std::string>{"Yes", "No"}));
    EXPECT_EQ(r.Answer, 6);
    EXPECT_EQ(r.AnswerButton, "Yes");
    // Unanswered dialogs end as Cancel; the modal results keep the original numbers.
    HeadlessWidgetSet()->SetModalDriver(nullptr);
    EXPECT_EQ(MessageDlg("x", mtError, TMsgDlgButtons{mbOK}), mrCancel);
    int expected[] = {6, 7, 1, 2, 3, 4, 5, 8, 9, 10};
    for (int i = mbYes; i <= mbYesToAll; ++i) EXPECT_EQ(ButtonResult(static_cast<TMsgDlgBtn>(i)), expected[i]) << ButtonName(static_cast<TMsgDlgBtn>(i));
    // Enter answers with the default button.
    HeadlessWidgetSet()->SetModalDriver([](TCustomForm&) { PressKey(VK_RETURN); });
    EXPECT_EQ(MessageDlg("y", mtWarning, mbOKCancel), mrOk);
    EXPECT_EQ(DialogTranscript().back().Buttons, (std::vector<std::string>{"OK", "Cancel"}));
}

TEST_F(FormsFixture, AlignAndPositionFollowTheParent) {
    auto* f = CreateObject<TForm>(nullptr, 0);
    f->SetBounds(0, 0, 408, 327);  // client 400 x 300
    auto* top = CreateObject<TTestPanel>(f);
    top->SetParent(f);
    top->SetHeight(40);
    top->SetAlign(alTop);
    auto* client = CreateObject<TTestPanel>(f);
    client->SetParent(f);
    client->SetAlign(alClient);
    EXPECT_EQ(top->BoundsRect(), Bounds(0, 0, 400, 40));
    EXPECT_EQ(client->BoundsRect(), Bounds(0, 40, 400, 260));
    f->SetWidth(508);
    EXPECT_EQ(client->Width(), 500);
    EXPECT_EQ(client->ClientToScreen({1, 1}), (TPoint{1 + 0 + FormFrameWidth, 1 + 40 + FormFrameWidth + FormCaptionHeight}));
    f->SetPosition(poScreenCenter);
    f->Show();
    EXPECT_EQ(f->Left(), (Screen->Width() - 508) / 2);
    f->Free();
}

}  // namespace
