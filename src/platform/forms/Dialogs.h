#pragma once
// Message dialogs: ordinary forms of the model whose buttons are components named "OK",
// "Cancel", "Yes", "No", "Abort", "Retry", "Ignore", "All", "NoToAll", "YesToAll", "Help", so a
// caller can re-caption them and set fonts before showing. Every dialog shown is recorded in the
// transcript (kind, caption, text, buttons, answer).
#include <string>
#include <vector>

#include "platform/forms/Forms.h"

namespace plat {

enum TMsgDlgType { mtWarning, mtError, mtInformation, mtConfirmation, mtCustom };
enum TMsgDlgBtn { mbYes, mbNo, mbOK, mbCancel, mbAbort, mbRetry, mbIgnore, mbAll, mbNoToAll, mbYesToAll, mbHelp };
using TMsgDlgButtons = TSet<TMsgDlgBtn>;
PLAT_DECLARE_ENUM(TMsgDlgType)
PLAT_DECLARE_ENUM(TMsgDlgBtn)
PLAT_DECLARE_SET(TMsgDlgButtons)

inline const TMsgDlgButtons mbYesNoCancel{mbYes, mbNo, mbCancel};
inline const TMsgDlgButtons mbYesAllNoAllCancel{mbYes, mbYesToAll, mbNo, mbNoToAll, mbCancel};
inline const TMsgDlgButtons mbOKCancel{mbOK, mbCancel};
inline const TMsgDlgButtons mbAbortRetryIgnore{mbAbort, mbRetry, mbIgnore};

// The component name and the modal result of each button.
const char* ButtonName(TMsgDlgBtn b);       // "OK", "NoToAll", ...
TModalResult ButtonResult(TMsgDlgBtn b);    // mrOk, mrNoToAll, ...
// The caption a dialog gives its title for each kind ("Warning", "Error", "Information",
// "Confirm"; a custom dialog takes the application's title).
std::string DialogKindCaption(TMsgDlgType type);
const char* DialogKindName(TMsgDlgType type);  // "warning", "error", "information", "confirmation", "custom"

// The dialog form: a message label named "Message" and the buttons, laid out by text metrics.
class TMessageForm : public TForm {
    PLAT_CLASS(TMessageForm)
    explicit TMessageForm(TComponent* owner);
    TMsgDlgType DialogType = mtCustom;
    TMsgDlgButtons Buttons;
    // Lays the dialog out again (after a caller changed captions or fonts).
    void Arrange();
    int ShowModal() override;
};

// Builds the dialog (not shown). The caller owns it and frees it.
TMessageForm* CreateMessageDialog(const std::string& msg, TMsgDlgType type, TMsgDlgButtons buttons);
// Shows a dialog modally and answers the modal result of the button chosen.
int MessageDlg(const std::string& msg, TMsgDlgType type, TMsgDlgButtons buttons, int helpContext = 0);
void ShowMessage(const std::string& msg);

struct TDialogRecord {
    std::string Kind;      // DialogKindName
    std::string Caption;
    std::string Text;
    std::vector<std::string> Buttons;  // component names, in the dialog's order
    int Answer = 0;        // modal result
    std::string AnswerButton;  // name of the button whose result it was; empty when none
};
// The transcript of dialogs shown since the last clear.
const std::vector<TDialogRecord>& DialogTranscript();
void ClearDialogTranscript();

}  // namespace plat
