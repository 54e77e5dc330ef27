#pragma once
// Standard controls: label, edit and button (the first cut; the standard-controls work extends
// these classes and adds the others the same way).
#include <string>

#include "platform/forms/Controls.h"

namespace plat {

enum TTextLayout { tlTop, tlCenter, tlBottom };
enum TEditCharCase { ecNormal, ecUpperCase, ecLowerCase };
PLAT_DECLARE_ENUM(TTextLayout)
PLAT_DECLARE_ENUM(TEditCharCase)

class TCustomLabel : public TGraphicControl {
    PLAT_CLASS(TCustomLabel)
    explicit TCustomLabel(TComponent* owner);

    TWinControl* FocusControl() const { return fFocusControl; }
    void SetFocusControl(TWinControl* c);
    bool AutoSize() const { return fAutoSize; }
    void SetAutoSize(bool v);
    TAlignment Alignment() const { return fAlignment; }
    void SetAlignment(TAlignment a);
    TTextLayout Layout() const { return fLayout; }
    void SetLayout(TTextLayout l);
    bool ShowAccelChar() const { return fShowAccelChar; }
    void SetShowAccelChar(bool v);
    bool Transparent() const { return fTransparent; }
    void SetTransparent(bool v);
    bool WordWrap() const { return fWordWrap; }
    void SetWordWrap(bool v);
    // The caption as shown (accelerator marks removed when ShowAccelChar).
    std::string DisplayText() const;
    // Resizes to the caption when AutoSize.
    void AdjustBounds();

protected:
    void TextChanged() override { AdjustBounds(); }
    void FontChanged() override;
    void Loaded() override;
    void Notification(TComponent* c, TOperation op) override;
    void CMDialogChar(TMessage& msg);

    TWinControl* fFocusControl = nullptr;
    bool fAutoSize = true;
    TAlignment fAlignment = taLeftJustify;
    TTextLayout fLayout = tlTop;
    bool fShowAccelChar = true;
    bool fTransparent = false;
    bool fWordWrap = false;
};

class TLabel : public TCustomLabel {
    PLAT_CLASS(TLabel)
    using TCustomLabel::TCustomLabel;
};

class TCustomEdit : public TWinControl {
    PLAT_CLASS(TCustomEdit)
    explicit TCustomEdit(TComponent* owner);

    int MaxLength() const { return fMaxLength; }
    void SetMaxLength(int v) { fMaxLength = v; }
    bool ReadOnly() const { return fReadOnly; }
    void SetReadOnly(bool v) { fReadOnly = v; }
    bool Modified() const { return fModified; }
    void SetModified(bool v) { fModified = v; }
    TEditCharCase CharCase() const { return fCharCase; }
    void SetCharCase(TEditCharCase c);
    bool AutoSelect() const { return fAutoSelect; }
    void SetAutoSelect(bool v) { fAutoSelect = v; }
    const std::string& ImeName() const { return fImeName; }
    void SetImeName(const std::string& v) { fImeName = v; }
    // Caret and selection as byte offsets into the UTF-8 text.
    int SelStart() const { return fSelStart; }
    void SetSelStart(int v);
    int SelLength() const { return fSelLength; }
    void SetSelLength(int v);
    std::string SelText() const;
    void SelectAll();
    void Clear() { SetText(""); }
    uint32_t DialogCode() const override { return DLGC_WANTARROWS | DLGC_WANTCHARS; }

    TNotifyEvent OnChange;

protected:
    virtual void Change();
    void TextChanged() override;
    void DefaultChar(char key) override;
    void DefaultKeyDown(uint16_t key, TShiftState shift) override;
    void DoEnter() override;
    void ReplaceSelection(const std::string& s);

    int fMaxLength = 0;
    bool fReadOnly = false;
    bool fModified = false;
    TEditCharCase fCharCase = ecNormal;
    bool fAutoSelect = true;
    std::string fImeName;
    int fSelStart = 0;
    int fSelLength = 0;
};

class TEdit : public TCustomEdit {
    PLAT_CLASS(TEdit)
    using TCustomEdit::TCustomEdit;
};

class TButtonControl : public TWinControl {
    PLAT_CLASS(TButtonControl)
    explicit TButtonControl(TComponent* owner);
};

class TButton : public TButtonControl {
    PLAT_CLASS(TButton)
    explicit TButton(TComponent* owner);

    TModalResult ModalResult() const { return fModalResult; }
    void SetModalResult(TModalResult r) { fModalResult = r; }
    bool Default() const { return fDefault; }
    void SetDefault(bool v);
    bool Cancel() const { return fCancel; }
    void SetCancel(bool v) { fCancel = v; }
    // Sets the form's modal result to the button's, then runs OnClick.
    void Click() override;

protected:
    // The button answers Enter: it has the focus, or it is the default and no button has it.
    bool IsActive() const;
    void DefaultKeyDown(uint16_t key, TShiftState shift) override;
    void CMDialogKey(TMessage& msg);
    void CMDialogChar(TMessage& msg);

    TModalResult fModalResult = mrNone;
    bool fDefault = false;
    bool fCancel = false;
};

}  // namespace plat
