#pragma once
// The masked edit: an edit whose text follows an edit mask (MaskUtils.h).
//
// Two texts: EditText is what the box shows (literals and blank characters included); Text is
// what the mask makes of it (literals kept or left out by the mask's save field, blanks as
// spaces, trailing blanks cut). Assigning Text formats it under the mask; assigning EditText sets
// the box as it is. Changing the mask keeps what the new mask leaves of the text and raises
// OnChange when the edit text changes.
//
// Typing overwrites: the caret stands on one character (a one-character selection), a typed
// character is checked against its mask position, literals are stepped over, Backspace and Delete
// blank positions without moving the rest. Leaving the box, or Enter, validates a text the user
// changed: a required position left blank raises EDBEditError (the focus goes back to the box,
// the cursor to the position); Escape puts back the text the box had when entered.
#include <string>

#include "platform/widgets/MaskUtils.h"
#include "platform/widgets/StdCtrls.h"

namespace plat {

PLAT_DECLARE_EXCEPTION(EDBEditError, Exception)

// "TEditMask" and "TMaskedText": strings under the names the masked edit publishes them with.
const TTypeInfo* TypeEditMask();
const TTypeInfo* TypeMaskedText();

class TCustomMaskEdit : public TCustomEdit {
    PLAT_CLASS(TCustomMaskEdit)
    explicit TCustomMaskEdit(TComponent* owner);

    const std::string& EditMask() const { return fMask.Mask(); }
    void SetEditMask(const std::string& mask);
    bool IsMasked() const { return fMask.IsMasked(); }
    const TEditMask& Mask() const { return fMask; }
    // What the box shows.
    const std::string& EditText() const { return fText; }
    void SetEditText(const std::string& s);
    // The text under the mask (hides the control's window text, which is EditText).
    std::string Text() const;
    void SetText(const std::string& s) override;

    // False when a required position is blank; pos is its character offset.
    bool Validate(const std::string& value, int& pos) const { return fMask.Validate(value, pos); }
    // Validates a text the user changed; raises EDBEditError.
    virtual void ValidateEdit();
    // Escape: a modified text goes back to what the box held when it was entered.
    void Reset();
    virtual bool EditCanModify() const { return true; }
    // Puts an empty selection back on a character (the typing cursor).
    void CheckCursor();
    void SetCursor(int charPos);

protected:
    void KeyDown(uint16_t& key, TShiftState shift) override;
    void KeyUp(uint16_t& key, TShiftState shift) override;
    void KeyPress(char& key) override;
    void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
    void DoEnter() override;
    void DoExit() override;
    void TextChanged() override;
    [[noreturn]] virtual void ValidateError();
    // A whole character typed (masked).
    void CharKeys(char32_t c);

    // The box as the mask engine sees it, and back (a changed text counts as the user's edit).
    TMaskEditBuffer Buffer() const;
    void Apply(const TMaskEditBuffer& b);
    void ApplySelection(const TMaskEditBuffer& b);

    TEditMask fMask;
    std::string fOldValue;   // the edit text when the box was entered or last set in code
    bool fReEnter = false;   // the focus comes back after a failed validation
    std::string fPendingBytes;
};

class TMaskEdit : public TCustomMaskEdit {
    PLAT_CLASS(TMaskEdit)
    using TCustomMaskEdit::TCustomMaskEdit;
};

}  // namespace plat
