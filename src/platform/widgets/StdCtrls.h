#pragma once
// Standard controls: label, edit and button (the first cut; the standard-controls work extends
// these classes and adds the others the same way).
#include <chrono>
#include <string>
#include <vector>

#include "platform/forms/Controls.h"
#include "platform/forms/Forms.h"
#include "platform/widgets/StringList.h"

namespace plat {

enum TTextLayout { tlTop, tlCenter, tlBottom };
enum TEditCharCase { ecNormal, ecUpperCase, ecLowerCase };
enum TImeMode { imDisable, imClose, imOpen, imDontCare, imSAlpha, imAlpha, imHira, imSKata, imKata, imChinese,
                imSHanguel, imHanguel };
enum TCheckBoxState { cbUnchecked, cbChecked, cbGrayed };
enum TScrollStyle { ssNone, ssHorizontal, ssVertical, ssBoth };
enum TComboBoxStyle { csDropDown, csSimple, csDropDownList, csOwnerDrawFixed, csOwnerDrawVariable };
enum TListBoxStyle { lbStandard, lbOwnerDrawFixed, lbOwnerDrawVariable, lbVirtual, lbVirtualOwnerDraw };
enum TOwnerDrawStateItem { odSelected, odGrayed, odDisabled, odChecked, odFocused, odDefault, odHotLight,
                           odInactive, odNoAccel, odNoFocusRect, odReserved1, odReserved2, odComboBoxEdit };
using TOwnerDrawState = TSet<TOwnerDrawStateItem>;
PLAT_DECLARE_ENUM(TTextLayout)
PLAT_DECLARE_ENUM(TEditCharCase)
PLAT_DECLARE_ENUM(TImeMode)
PLAT_DECLARE_ENUM(TCheckBoxState)
PLAT_DECLARE_ENUM(TScrollStyle)
PLAT_DECLARE_ENUM(TComboBoxStyle)
PLAT_DECLARE_ENUM(TListBoxStyle)
PLAT_DECLARE_ENUM(TOwnerDrawStateItem)
PLAT_DECLARE_SET(TOwnerDrawState)

// "TBorderStyle" (bsNone, bsSingle): the first two form border styles under their own type name,
// as edits, memos, list boxes and panels publish them.
const TTypeInfo* TypeBorderStyle();
// "TLeftRight" (taLeftJustify, taRightJustify): the side of a check box's or radio button's text.
const TTypeInfo* TypeLeftRight();
// "TImeName" (a string).
const TTypeInfo* TypeImeName();

class TCanvas;
PLAT_DECLARE_EVENT(TDrawItemEvent, TWinControl* /*Control*/, int /*Index*/, TRect /*Rect*/, TOwnerDrawState /*State*/)
PLAT_DECLARE_EVENT(TMeasureItemEvent, TWinControl* /*Control*/, int /*Index*/, int& /*Height*/)

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
    // Resizes to the caption when AutoSize (a word-wrapped label keeps its width and fits its
    // height to the wrapped lines).
    void AdjustBounds();
    // The caption broken into the lines a label of that width shows.
    std::vector<std::string> WrapText(const std::string& text, int width) const;

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
    TImeMode ImeMode() const { return fImeMode; }
    void SetImeMode(TImeMode v) { fImeMode = v; }
    TFormBorderStyle BorderStyle() const { return fBorderStyle; }
    void SetBorderStyle(TFormBorderStyle v);
    // Kept for the description; heights are not adjusted to the font (bounds stay as stored).
    bool AutoSize() const { return fAutoSize; }
    void SetAutoSize(bool v) { fAutoSize = v; }
    bool HideSelection() const { return fHideSelection; }
    void SetHideSelection(bool v) { fHideSelection = v; }
    bool OEMConvert() const { return fOEMConvert; }
    void SetOEMConvert(bool v) { fOEMConvert = v; }
    // Shown instead of every character when not 0; the text itself is unchanged.
    char PasswordChar() const { return fPasswordChar; }
    void SetPasswordChar(char c);
    // Caret and selection as byte offsets into the UTF-8 text (never inside a character).
    int SelStart() const { return fSelStart; }
    void SetSelStart(int v);
    int SelLength() const { return fSelLength; }
    void SetSelLength(int v);
    std::string SelText() const;
    // Replaces the selection as typing does (MaxLength does not limit it; the text counts as
    // modified).
    void SetSelText(const std::string& s);
    void ClearSelection() { SetSelText(""); }
    void SelectAll();
    // Empties the window text itself (a masked edit shows nothing then, not its blanks).
    void Clear() { TControl::SetText(""); }
    uint32_t DialogCode() const override { return DLGC_WANTARROWS | DLGC_WANTCHARS; }

    TNotifyEvent OnChange;

protected:
    virtual void Change();
    void TextChanged() override;
    void DefaultChar(char key) override;
    void DefaultKeyDown(uint16_t key, TShiftState shift) override;
    void DoEnter() override;
    // A user's edit: the text counts as modified (an assignment to Text clears the flag).
    void ReplaceSelection(const std::string& s);
    // A typed character (whole, however many bytes): MaxLength counts characters.
    virtual void TypeChar(const std::string& ch);
    // Moves the caret; with extend the selection runs from its other end to the caret.
    void MoveCaret(int caret, bool extend);
    // Byte offset of the character boundary before/after `offset`.
    int PrevCharStart(int offset) const;
    int NextCharStart(int offset) const;

    int fMaxLength = 0;
    bool fReadOnly = false;
    bool fModified = false;
    TEditCharCase fCharCase = ecNormal;
    bool fAutoSelect = true;
    std::string fImeName;
    int fSelStart = 0;
    int fSelLength = 0;
    TImeMode fImeMode = imDontCare;
    TFormBorderStyle fBorderStyle = bsSingle;
    bool fAutoSize = true;
    bool fHideSelection = true;
    bool fOEMConvert = false;
    char fPasswordChar = 0;
    bool fUserEdit = false;        // inside ReplaceSelection
    std::string fPendingChar;      // leading bytes of a character still being typed
    bool fSelectingBack = false;   // the caret is at the start of the selection
};

class TEdit : public TCustomEdit {
    PLAT_CLASS(TEdit)
    using TCustomEdit::TCustomEdit;
};

class TButtonControl : public TWinControl {
    PLAT_CLASS(TButtonControl)
    explicit TButtonControl(TComponent* owner);

    // Check boxes and radio buttons have a check mark; a plain button answers false.
    virtual bool Checked() const { return false; }
    virtual void SetChecked(bool value) { (void)value; }
    // While set, a change of the check mark made in code raises no OnClick.
    bool ClicksDisabled() const { return fClicksDisabled; }
    void SetClicksDisabled(bool v) { fClicksDisabled = v; }
    bool WordWrap() const { return fWordWrap; }
    void SetWordWrap(bool v);

    void WndProc(TMessage& msg) override;

protected:
    // The button reports a click of its own (a press and release over it, the space bar): a
    // check box toggles, a radio button checks itself. Only controls without csClickEvents get
    // it; the others click through the ordinary mouse handling.
    virtual void ButtonClicked() { Click(); }
    void DefaultKeyDown(uint16_t key, TShiftState shift) override;

    bool fClicksDisabled = false;
    bool fWordWrap = false;
    bool fPressed = false;
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

// ---- Group box -------------------------------------------------------------------------------

class TCustomGroupBox : public TCustomControl {
    PLAT_CLASS(TCustomGroupBox)
    explicit TCustomGroupBox(TComponent* owner);
    // Children keep clear of the frame and of the caption line.
    TRect AdjustClientRect() const override;

protected:
    void CMDialogChar(TMessage& msg);
    void FontChanged() override;
};

class TGroupBox : public TCustomGroupBox {
    PLAT_CLASS(TGroupBox)
    using TCustomGroupBox::TCustomGroupBox;
};

// ---- Check box and radio button --------------------------------------------------------------

class TCustomCheckBox : public TButtonControl {
    PLAT_CLASS(TCustomCheckBox)
    explicit TCustomCheckBox(TComponent* owner);

    TCheckBoxState State() const { return fState; }
    // A change raises OnClick (unless ClicksDisabled), also when made in code.
    void SetState(TCheckBoxState state);
    bool Checked() const override { return fState == cbChecked; }
    void SetChecked(bool value) override { SetState(value ? cbChecked : cbUnchecked); }
    bool AllowGrayed() const { return fAllowGrayed; }
    void SetAllowGrayed(bool v);
    TAlignment Alignment() const { return fAlignment; }
    void SetAlignment(TAlignment a);
    // What a click does: unchecked -> grayed (AllowGrayed) or checked, checked -> unchecked,
    // grayed -> checked.
    virtual void Toggle();

protected:
    void ButtonClicked() override { Toggle(); }
    void CMDialogChar(TMessage& msg);

    TCheckBoxState fState = cbUnchecked;
    bool fAllowGrayed = false;
    TAlignment fAlignment = taRightJustify;
};

class TCheckBox : public TCustomCheckBox {
    PLAT_CLASS(TCheckBox)
    using TCustomCheckBox::TCustomCheckBox;
};

class TRadioButton : public TButtonControl {
    PLAT_CLASS(TRadioButton)
    explicit TRadioButton(TComponent* owner);

    bool Checked() const override { return fChecked; }
    // Checking unchecks the other radio buttons of the same parent and raises OnClick (unless
    // ClicksDisabled); a checked button is a tab stop, an unchecked one is not.
    void SetChecked(bool value) override;
    TAlignment Alignment() const { return fAlignment; }
    void SetAlignment(TAlignment a);

protected:
    void ButtonClicked() override { SetChecked(true); }
    void CMDialogChar(TMessage& msg);

    bool fChecked = false;
    TAlignment fAlignment = taRightJustify;
};

// ---- Memo ------------------------------------------------------------------------------------

class TCustomMemo;

// A memo's lines: a view of its text, lines ending at CR LF. Count leaves out an empty last line,
// so a text ending with CR LF has as many lines as it has line breaks.
class TMemoStrings : public TStrings {
    PLAT_CLASS(TMemoStrings)
    explicit TMemoStrings(TCustomMemo* memo) : fMemo(memo) {}
    std::string Get(int index) const override;
    int GetCount() const override;
    void Clear() override;
    void Delete(int index) override;
    void Insert(int index, const std::string& s) override;
    void Put(int index, const std::string& s) override;
    // The memo's text as it is (no line break added after the last line).
    std::string Text() const override;
    // Line breaks become CR LF.
    void SetText(const std::string& text) override;

protected:
    void SetUpdateState(bool updating) override;

private:
    TCustomMemo* fMemo;
};

class TCustomMemo : public TCustomEdit {
    PLAT_CLASS(TCustomMemo)
    explicit TCustomMemo(TComponent* owner);
    ~TCustomMemo() override;

    TStrings* Lines() const { return fLines.get(); }
    void SetLines(TStrings* lines) { fLines->Assign(lines); }
    // Caret position: X the column (characters), Y the line, both from 0.
    TPoint CaretPos() const;
    void SetCaretPos(TPoint p);
    TScrollStyle ScrollBars() const { return fScrollBars; }
    void SetScrollBars(TScrollStyle v) { fScrollBars = v; }
    bool WantReturns() const { return fWantReturns; }
    void SetWantReturns(bool v) { fWantReturns = v; }
    bool WantTabs() const { return fWantTabs; }
    void SetWantTabs(bool v) { fWantTabs = v; }
    bool WordWrap() const { return fWordWrap; }
    void SetWordWrap(bool v) { fWordWrap = v; }
    TAlignment Alignment() const { return fAlignment; }
    void SetAlignment(TAlignment v) { fAlignment = v; }
    uint32_t DialogCode() const override;

    // Byte offsets of the starts of the text's lines (at least one line).
    std::vector<int> LineStarts() const;

protected:
    void DefaultChar(char key) override;
    void DefaultKeyDown(uint16_t key, TShiftState shift) override;
    void DoEnter() override;

    std::unique_ptr<TMemoStrings> fLines;
    TScrollStyle fScrollBars = ssNone;
    bool fWantReturns = true;
    bool fWantTabs = false;
    bool fWordWrap = true;
    TAlignment fAlignment = taLeftJustify;
};

class TMemo : public TCustomMemo {
    PLAT_CLASS(TMemo)
    using TCustomMemo::TCustomMemo;
};

// ---- Item lists of combo boxes and list boxes ------------------------------------------------

// Lines with objects kept for a list control, which hears of every insertion and deletion so its
// selection follows the lines (or is lost with its line) as in the original controls. Add puts a
// line in sorted place when the control sorts; Insert puts it where asked.
class TItemStrings : public TStrings {
    PLAT_CLASS(TItemStrings)
    TItemStrings() = default;
    std::string Get(int index) const override;
    int GetCount() const override { return static_cast<int>(fItems.size()); }
    TObject* GetObject(int index) const override;
    void PutObject(int index, TObject* obj) override;
    void Clear() override;
    void Delete(int index) override;
    void Insert(int index, const std::string& s) override;
    int Add(const std::string& s) override;
    // Sorts the lines (case-insensitive, equal lines keep their order).
    void SortItems();

protected:
    virtual bool SortedAdd() const { return false; }
    virtual void Inserted(int index) { (void)index; }
    virtual void Deleted(int index) { (void)index; }
    virtual void Cleared() {}
    virtual void ItemsChanged() {}
    void InsertAt(int index, const std::string& s);

private:
    struct TItem {
        std::string S;
        TObject* Obj = nullptr;
    };
    std::vector<TItem> fItems;
};

// ---- Combo box -------------------------------------------------------------------------------

class TCustomComboBox;

class TComboBoxStrings : public TItemStrings {
    PLAT_CLASS(TComboBoxStrings)
    explicit TComboBoxStrings(TCustomComboBox* combo) : fCombo(combo) {}

protected:
    bool SortedAdd() const override;
    void Inserted(int index) override;
    void Deleted(int index) override;
    void Cleared() override;
    void ItemsChanged() override;

private:
    TCustomComboBox* fCombo;
};

class TCustomComboBox : public TWinControl {
    PLAT_CLASS(TCustomComboBox)
    explicit TCustomComboBox(TComponent* owner);
    ~TCustomComboBox() override;

    // Rewriting the items (Clear, Text, Assign) loses the selection and, unless the style is
    // csSimple or csDropDown with text of its own kept, the text: callers that must keep the
    // selection save and restore ItemIndex themselves.
    TStrings* Items() const { return fItems.get(); }
    void SetItems(TStrings* items) { fItems->Assign(items); }
    int ItemIndex() const { return fItemIndex; }
    // Selects in code (no events); an index outside the items clears the selection and text.
    void SetItemIndex(int index);
    TComboBoxStyle Style() const { return fStyle; }
    void SetStyle(TComboBoxStyle style);
    // In csDropDownList style the text is the selected item's; assigning selects the item of
    // that text (case-insensitive) when there is one.
    void SetText(const std::string& s) override;
    int DropDownCount() const { return fDropDownCount; }
    void SetDropDownCount(int v) { fDropDownCount = v; }
    int ItemHeight() const { return fItemHeight; }
    void SetItemHeight(int v);
    int MaxLength() const { return fMaxLength; }
    void SetMaxLength(int v) { fMaxLength = v < 0 ? 0 : v; }
    bool Sorted() const { return fSorted; }
    void SetSorted(bool v);
    TEditCharCase CharCase() const { return fCharCase; }
    void SetCharCase(TEditCharCase c);
    const std::string& ImeName() const { return fImeName; }
    void SetImeName(const std::string& v) { fImeName = v; }
    TImeMode ImeMode() const { return fImeMode; }
    void SetImeMode(TImeMode v) { fImeMode = v; }
    bool AutoComplete() const { return fAutoComplete; }
    void SetAutoComplete(bool v) { fAutoComplete = v; }
    bool DroppedDown() const { return fDroppedDown; }
    // Opening raises OnDropDown, closing OnCloseUp.
    void SetDroppedDown(bool v);
    // The edit part's selection (byte offsets).
    int SelStart() const { return fSelStart; }
    void SetSelStart(int v);
    int SelLength() const { return fSelLength; }
    void SetSelLength(int v);
    std::string SelText() const;
    void SelectAll();
    void Clear();

    // The user picks an item in the list (what a presentation reports): the item is selected and
    // becomes the text, OnClick runs, then OnSelect (or OnChange when OnSelect is not assigned);
    // an open list closes.
    void SelectFromList(int index);
    // Draws item `index` into rect: OnDrawItem when assigned (owner-drawn styles), else the item's
    // text on the brush colour. The presentation points Canvas at its surface first.
    virtual void DrawItem(int index, TRect rect, TOwnerDrawState state);
    TCanvas* Canvas();
    uint32_t DialogCode() const override { return DLGC_WANTARROWS | DLGC_WANTCHARS; }

    TNotifyEvent OnChange, OnSelect, OnDropDown, OnCloseUp;
    TDrawItemEvent OnDrawItem;
    TMeasureItemEvent OnMeasureItem;

protected:
    friend class TComboBoxStrings;
    virtual void Change();
    virtual void Select();
    virtual void DropDown();
    virtual void CloseUp();
    // An edit of the text by the user: the selection follows the text as the original does
    // (none while the list is closed, the first item beginning with the text while it is open).
    void UserEdited(const std::string& text, int caret);
    void SelectByUser(int index);
    void DefaultChar(char key) override;
    void DefaultKeyDown(uint16_t key, TShiftState shift) override;
    void DoEnter() override;
    void Loaded() override;
    void CMWantSpecialKey(TMessage& msg);
    // Completion of a typed character (true when it took the key): the first item beginning with
    // what was typed is selected, and an edit style shows the item with the completed part
    // selected.
    bool AutoCompleteKey(const std::string& ch);
    bool SelectItem(const std::string& prefix);
    void ItemInserted(int index);
    void ItemDeleted(int index);
    void ItemsCleared();
    bool HasEdit() const { return fStyle == csDropDown || fStyle == csSimple; }
    void ShowItemText();

    std::unique_ptr<TComboBoxStrings> fItems;
    std::unique_ptr<TCanvas> fCanvas;
    int fItemIndex = -1;
    TComboBoxStyle fStyle = csDropDown;
    int fDropDownCount = 8;
    int fItemHeight = 16;
    int fMaxLength = 0;
    bool fSorted = false;
    TEditCharCase fCharCase = ecNormal;
    std::string fImeName;
    TImeMode fImeMode = imDontCare;
    bool fAutoComplete = true;
    bool fDroppedDown = false;
    int fSelStart = 0;
    int fSelLength = 0;
    std::string fPendingChar;
    std::string fFilter;  // what completion matches
    std::chrono::steady_clock::time_point fLastKeyTime;
};

class TComboBox : public TCustomComboBox {
    PLAT_CLASS(TComboBox)
    using TCustomComboBox::TCustomComboBox;
};

// ---- List box --------------------------------------------------------------------------------

class TCustomListBox;

class TListBoxStrings : public TItemStrings {
    PLAT_CLASS(TListBoxStrings)
    explicit TListBoxStrings(TCustomListBox* listBox) : fListBox(listBox) {}
    // Replacing a line keeps the list box's selection.
    void Put(int index, const std::string& s) override;

protected:
    bool SortedAdd() const override;
    void Inserted(int index) override;
    void Deleted(int index) override;
    void Cleared() override;
    void ItemsChanged() override;

private:
    TCustomListBox* fListBox;
};

class TCustomListBox : public TWinControl {
    PLAT_CLASS(TCustomListBox)
    explicit TCustomListBox(TComponent* owner);
    ~TCustomListBox() override;

    TStrings* Items() const { return fItems.get(); }
    void SetItems(TStrings* items) { fItems->Assign(items); }
    // The selected item (multi-select: the item with the focus rectangle); -1 when none.
    int ItemIndex() const { return fItemIndex; }
    void SetItemIndex(int index);
    bool Selected(int index) const;  // raises EListError out of range
    void SetSelected(int index, bool value);
    int SelCount() const;  // -1 unless MultiSelect, as the original answers
    void ClearSelection();
    void SelectAll();
    bool MultiSelect() const { return fMultiSelect; }
    void SetMultiSelect(bool v);
    bool ExtendedSelect() const { return fExtendedSelect; }
    void SetExtendedSelect(bool v) { fExtendedSelect = v; }
    TListBoxStyle Style() const { return fStyle; }
    void SetStyle(TListBoxStyle v);
    int ItemHeight() const { return fItemHeight; }
    void SetItemHeight(int v);
    // The height of item `index` as the list box lays it out: ItemHeight, or in lbOwnerDrawVariable
    // what OnMeasureItem answered (starting from ItemHeight). Measured once and kept until the
    // items, the style or ItemHeight change (or RemeasureItems), as the original measured an item
    // when it was added.
    int ItemHeightOf(int index) const;
    // Forgets the measured heights (a measuring handler assigned or changed later).
    void RemeasureItems();
    bool Sorted() const { return fSorted; }
    void SetSorted(bool v);
    int Columns() const { return fColumns; }
    void SetColumns(int v) { fColumns = v < 0 ? 0 : v; }
    bool IntegralHeight() const { return fIntegralHeight; }
    void SetIntegralHeight(bool v) { fIntegralHeight = v; }
    int TopIndex() const { return fTopIndex; }
    void SetTopIndex(int v);
    int TabWidth() const { return fTabWidth; }
    void SetTabWidth(int v) { fTabWidth = v; }
    TFormBorderStyle BorderStyle() const { return fBorderStyle; }
    void SetBorderStyle(TFormBorderStyle v) { fBorderStyle = v; Changed(TPeerChange::Style); }
    const std::string& ImeName() const { return fImeName; }
    void SetImeName(const std::string& v) { fImeName = v; }
    TImeMode ImeMode() const { return fImeMode; }
    void SetImeMode(TImeMode v) { fImeMode = v; }
    // The item at a client point (-1 below the last item), rows from TopIndex down, each as high
    // as ItemHeightOf says.
    int ItemAtPos(TPoint p, bool existing = true) const;
    TRect ItemRect(int index) const;
    void Clear() { fItems->Clear(); }

    virtual void DrawItem(int index, TRect rect, TOwnerDrawState state);
    TCanvas* Canvas();
    uint32_t DialogCode() const override { return DLGC_WANTARROWS | DLGC_WANTCHARS; }

    TDrawItemEvent OnDrawItem;
    TMeasureItemEvent OnMeasureItem;

protected:
    friend class TListBoxStrings;
    // The user moved the selection (a click or a key): OnClick runs.
    void SelectByUser(int index, TShiftState shift);
    void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
    void DefaultKeyDown(uint16_t key, TShiftState shift) override;
    void DefaultChar(char key) override;
    void ItemInserted(int index);
    void ItemDeleted(int index);
    void ItemsCleared();
    void Loaded() override;
    // Scrolls (TopIndex) so that item `index` lies wholly inside the client area.
    void MakeVisible(int index);
    // How many items from `from` on (down, or up with step -1) fit into the client area (at least 1).
    int ItemsFitting(int from, int step) const;

    std::unique_ptr<TListBoxStrings> fItems;
    std::unique_ptr<TCanvas> fCanvas;
    mutable std::vector<int> fHeights;  // measured heights (lbOwnerDrawVariable), empty: not yet
    std::vector<bool> fSelected;  // multi-select marks by item
    int fItemIndex = -1;
    int fAnchor = -1;
    bool fMultiSelect = false;
    bool fExtendedSelect = true;
    TListBoxStyle fStyle = lbStandard;
    int fItemHeight = 16;
    bool fSorted = false;
    int fColumns = 0;
    bool fIntegralHeight = false;
    int fTopIndex = 0;
    int fTabWidth = 0;
    TFormBorderStyle fBorderStyle = bsSingle;
    std::string fImeName;
    TImeMode fImeMode = imDontCare;
};

class TListBox : public TCustomListBox {
    PLAT_CLASS(TListBox)
    using TCustomListBox::TCustomListBox;
};

}  // namespace plat
