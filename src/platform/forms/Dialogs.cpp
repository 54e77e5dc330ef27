#include "platform/forms/Dialogs.h"

#include <algorithm>

#include "platform/widgets/StdCtrls.h"

namespace plat {

PLAT_DEFINE_ENUM(TMsgDlgType, "mtWarning", "mtError", "mtInformation", "mtConfirmation", "mtCustom")
PLAT_DEFINE_ENUM(TMsgDlgBtn, "mbYes", "mbNo", "mbOK", "mbCancel", "mbAbort", "mbRetry", "mbIgnore", "mbAll",
                 "mbNoToAll", "mbYesToAll", "mbHelp")
PLAT_DEFINE_SET(TMsgDlgButtons, TMsgDlgBtn)

namespace {
struct TButtonDef {
    const char* Name;
    const char* Caption;
    TModalResult Result;
};
const TButtonDef kButtons[] = {{"Yes", "&Yes", mrYes},         {"No", "&No", mrNo},
                               {"OK", "OK", mrOk},             {"Cancel", "Cancel", mrCancel},
                               {"Abort", "&Abort", mrAbort},   {"Retry", "&Retry", mrRetry},
                               {"Ignore", "&Ignore", mrIgnore}, {"All", "&All", mrAll},
                               {"NoToAll", "N&o to All", mrNoToAll}, {"YesToAll", "Yes to &All", mrYesToAll},
                               {"Help", "&Help", mrNone}};
std::vector<TDialogRecord>& Transcript() {
    static std::vector<TDialogRecord> t;
    return t;
}
constexpr int Margin = 8, ButtonSpacing = 6, ButtonWidth = 75, ButtonHeight = 25;
}  // namespace

const char* ButtonName(TMsgDlgBtn b) { return kButtons[b].Name; }
TModalResult ButtonResult(TMsgDlgBtn b) { return kButtons[b].Result; }

std::string DialogKindCaption(TMsgDlgType type) {
    switch (type) {
        case mtWarning: return "Warning";
        case mtError: return "Error";
        case mtInformation: return "Information";
        case mtConfirmation: return "Confirm";
        default: return Application->Title();
    }
}

const char* DialogKindName(TMsgDlgType type) {
    static const char* names[] = {"warning", "error", "information", "confirmation", "custom"};
    return names[type];
}

PLAT_REGISTER_CLASS(TMessageForm, TForm) {}

TMessageForm::TMessageForm(TComponent* owner) : TForm(owner, 0) {
    SetBorderStyle(bsDialog);
    SetPosition(poScreenCenter);
    SetKeyPreview(true);
}

void TMessageForm::Arrange() {
    auto* msg = dynamic_cast<TLabel*>(FindComponent("Message"));
    std::vector<TButton*> buttons;
    for (auto* c : ComponentList())
        if (auto* b = dynamic_cast<TButton*>(c)) buttons.push_back(b);
    int textW = 0, textH = 0;
    if (msg) {
        msg->AdjustBounds();
        textW = msg->Width();
        textH = msg->Height();
    }
    int rowW = 0;
    for (auto* b : buttons) {
        int w = std::max(ButtonWidth, WidgetSet().TextWidth(*b->Font(), StripHotkey(b->Caption())) + 16);
        b->SetBounds(0, 0, w, ButtonHeight);
        rowW += w;
    }
    if (!buttons.empty()) rowW += ButtonSpacing * (static_cast<int>(buttons.size()) - 1);
    int clientW = std::max(textW, rowW) + 2 * Margin;
    int top = Margin + textH + 2 * Margin;
    int x = (clientW - rowW) / 2;
    for (auto* b : buttons) {
        b->SetBounds(x, top, b->Width(), ButtonHeight);
        x += b->Width() + ButtonSpacing;
    }
    if (msg) msg->SetBounds(Margin, Margin, textW, textH);
    SetClientWidth(clientW);
    SetClientHeight(top + ButtonHeight + Margin);
}

int TMessageForm::ShowModal() {
    Arrange();
    TDialogRecord rec;
    rec.Kind = DialogKindName(DialogType);
    rec.Caption = Caption();
    if (auto* msg = dynamic_cast<TLabel*>(FindComponent("Message"))) rec.Text = msg->Caption();
    for (auto* c : ComponentList())
        if (dynamic_cast<TButton*>(c)) rec.Buttons.push_back(c->Name());
    int result = TForm::ShowModal();
    rec.Answer = result;
    for (auto* c : ComponentList())
        if (auto* b = dynamic_cast<TButton*>(c); b && result != mrNone && b->ModalResult() == result) {
            rec.AnswerButton = b->Name();
            break;
        }
    Transcript().push_back(rec);
    return result;
}

TMessageForm* CreateMessageDialog(const std::string& text, TMsgDlgType type, TMsgDlgButtons buttons) {
    auto* f = CreateObject<TMessageForm>(nullptr);
    f->DialogType = type;
    f->Buttons = buttons;
    f->SetCaption(DialogKindCaption(type));
    auto* msg = CreateObject<TLabel>(f);
    msg->SetName("Message");
    msg->SetParent(f);
    msg->SetShowAccelChar(false);
    msg->SetCaption(text);
    TMsgDlgBtn defaultButton = buttons.Contains(mbOK) ? mbOK : buttons.Contains(mbYes) ? mbYes : mbHelp;
    TMsgDlgBtn cancelButton = buttons.Contains(mbCancel) ? mbCancel : buttons.Contains(mbNo) ? mbNo : mbOK;
    bool firstDefault = !buttons.Contains(mbOK) && !buttons.Contains(mbYes);
    for (int i = mbYes; i <= mbHelp; ++i) {
        auto b = static_cast<TMsgDlgBtn>(i);
        if (!buttons.Contains(b)) continue;
        auto* btn = CreateObject<TButton>(f);
        btn->SetName(kButtons[i].Name);
        btn->SetParent(f);
        btn->SetCaption(kButtons[i].Caption);
        btn->SetModalResult(kButtons[i].Result);
        if (b == defaultButton || firstDefault) {
            btn->SetDefault(true);
            f->SetActiveControl(nullptr);
            firstDefault = false;
        }
        if (b == cancelButton && buttons.Contains(cancelButton)) btn->SetCancel(true);
    }
    f->Arrange();
    return f;
}

int MessageDlg(const std::string& msg, TMsgDlgType type, TMsgDlgButtons buttons, int) {
    TMessageForm* f = CreateMessageDialog(msg, type, buttons);
    TComponentWatch w(f);
    int result = mrCancel;
    try {
        result = f->ShowModal();
    } catch (...) {
        if (w.Target) f->Free();
        throw;
    }
    if (w.Target) f->Free();
    return result;
}

void ShowMessage(const std::string& msg) { MessageDlg(msg, mtCustom, TMsgDlgButtons{mbOK}); }

const std::vector<TDialogRecord>& DialogTranscript() { return Transcript(); }
void ClearDialogTranscript() { Transcript().clear(); }

}  // namespace plat
