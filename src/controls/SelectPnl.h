#pragma once
// The selection panel's types and its value logic: putting a range in order by value type,
// reading date texts, dropping duplicate rows, comparing rows for sorting and measuring texts in
// bytes. The panel control itself (TSelectPanel with TKivListView and TKivMaskEdit) stands on the
// masked edit, panel and list view of the standard controls.
#include <string>
#include <vector>

#include "controls/BtChkBox.h"
#include "controls/F2Button.h"
#include "platform/core/SysUtils.h"
#include "platform/widgets/ExtCtrls.h"
#include "platform/widgets/ListView.h"
#include "platform/widgets/Mask.h"

namespace qm {

enum TSelectStyle { sp_Range, sp_Discrete, sp_UserChoice };
enum TValueType { vt_String, vt_Number, vt_Date, vt_Time, vt_Float, vt_OtherMask };
enum TDateType { dt_NoneCare, dt_YYYYMMDD, dt_MMDDYYYY, dt_DDMMYYYY, dt_YYMMDD, dt_YYYMMDD };
enum TCheckDuplicate { cd_None, cd_CheckCase, cd_CaseInsensitive };

}  // namespace qm

namespace plat {
PLAT_DECLARE_ENUM(qm::TSelectStyle)
PLAT_DECLARE_ENUM(qm::TValueType)
PLAT_DECLARE_ENUM(qm::TDateType)
PLAT_DECLARE_ENUM(qm::TCheckDuplicate)
}  // namespace plat

namespace qm {

PLAT_DECLARE_EVENT(TStyleChangingEvent, plat::TObject* /*Sender*/, TSelectStyle /*NowStyle*/,
                   TSelectStyle& /*NewStyle*/, bool& /*Accept*/)
PLAT_DECLARE_EVENT(TStyleChangeEvent, plat::TObject* /*Sender*/, TSelectStyle /*OldStyle*/, TSelectStyle /*NewStyle*/)
PLAT_DECLARE_EVENT(TOpenWinClickEvent, plat::TObject* /*SenderParent*/, plat::TObject* /*Sender*/)
PLAT_DECLARE_EVENT(TDeleteClickEvent, plat::TObject* /*Sender*/, bool& /*Accept*/)
PLAT_DECLARE_EVENT(TListViewSelectItemEvent, plat::TObject* /*Sender*/, plat::TListItem* /*xItem*/, int /*xIndex*/,
                   bool /*xIsSelect*/)
PLAT_DECLARE_EVENT(TListViewDataChangeEvent, plat::TObject* /*Sender*/, plat::TListItem* /*Item*/,
                   plat::TItemChange /*Change*/)
PLAT_DECLARE_EVENT(TListViewDataChangingEvent, plat::TObject* /*Sender*/, plat::TListItem* /*Item*/,
                   plat::TItemChange /*Change*/, bool& /*AllowChange*/)

// The range switch of a selection panel: a bitmap check box, nothing added.
class TKivCheckBox : public TBitCheckBox {
    PLAT_CLASS(TKivCheckBox)
    using TBitCheckBox::TBitCheckBox;
};

// What decides whether a range's begin and end are to be exchanged.
struct TRangeOrder {
    TValueType ValueType = vt_String;
    TDateType DateType = dt_NoneCare;
    std::string DateSign = "/";
    bool AutoChangeDateSite = true;
    std::string BlankText;  // what an empty edit shows under the mask
    bool UseDiscard = false;
    std::string Discard;
};

// True when begin and end (as the edits hold them) are in the wrong order. Never raises; texts
// that cannot be read count as 0. Callers skip this when either edit is empty.
bool RangeInWrongOrder(const std::string& begin, const std::string& end, const TRangeOrder& order);

// A date text read with the separator and layout; 0 when it is no date. One separator means a
// year and month, completed with day 1. Republic-of-China years add 1911.
plat::TDateTime ReadPanelDate(const std::string& text, const std::string& sign, TDateType type,
                              const std::string& blankText);

// A masked number ("  12.5 ", "1 234.05", "-.5") rewritten as integer-point-fraction: blanks
// dropped, a missing integer part becomes 0, a missing point gives ".0"; what is no number gives
// "0.0". The result always reads as a floating-point number.
std::string NormalizeFloatText(const std::string& text);

// Trimming before ordering: blanks and control characters at both ends, unless the mask begins
// with "!" (then the text is returned as it is).
std::string TrimForRange(const std::string& text, const std::string& mask);

// One row of the panel's list: the caption and its sub-items.
struct TPanelRow {
    std::string Caption;
    std::vector<std::string> SubItems;
    bool operator==(const TPanelRow&) const = default;
};

// Drops rows whose caption equals that of an earlier row (exactly, or after upper-casing),
// keeping the first; nothing for cd_None. Compares with every earlier row, not only the
// neighbour, so a list sorted by another column loses its duplicates too. Answers the indexes of
// the rows dropped, highest first (the order in which a list deletes them).
std::vector<int> FindDuplicateRows(const std::vector<TPanelRow>& rows, TCheckDuplicate mode);

// The sort comparison: the texts of the sort column case-insensitively, then on a tie the caption
// (column 0) and the first sub-item (column 1), skipping a column already compared; negated when
// descending.
int ComparePanelRows(const TPanelRow& a, const TPanelRow& b, int sortColumn, bool ascending);

// The text of a row in list column `column`: 0 the caption, k the k-th sub-item; empty when none.
std::string RowColumnText(const TPanelRow& row, int column);

// Length of a text in bytes of the system's multi-byte code page (950 under 950, otherwise 936:
// under 437 a Chinese character still counts two, as the list's columns must fit it).
int PanelByteLength(const std::string& text);

// Column captions for AddRow: "Data" + the 1-based number.
std::string DataColumnCaption(int index0);

// The panel's masked edit: change events can be held back while the panel swaps the mask.
class TKivMaskEdit : public plat::TMaskEdit {
    PLAT_CLASS(TKivMaskEdit)
    using plat::TMaskEdit::TMaskEdit;
    bool NoChange = false;

protected:
    void Change() override;
};

// The panel's list of chosen values.
class TKivListView : public plat::TListView {
    PLAT_CLASS(TKivListView)
    using plat::TListView::TListView;

    bool ColumnsAutoSize = true;
    TCheckDuplicate CheckDuplicate = cd_None;
    // Adds a row (caption and sub-items), creating "DataN" columns as needed and padding every
    // row to the same number of sub-items; duplicates are dropped. False for no values or an error.
    bool AddRow(const std::vector<std::string>& values);
    // Deletes every row.
    void ClearRows();
    void DropDuplicates();
    void AutoSizeColumns();
    std::vector<TPanelRow> Rows() const;
    void WndProc(plat::TMessage& msg) override;
};

class TSelectPanel : public plat::TGroupBox {
    PLAT_CLASS(TSelectPanel)
    explicit TSelectPanel(plat::TComponent* owner);
    ~TSelectPanel() override;

    TKivCheckBox* chkRange = nullptr;
    plat::TPanel* pnlRange = nullptr;
    plat::TPanel* pnlList = nullptr;
    plat::TLabel* lblBegin = nullptr;
    plat::TLabel* lblFinal = nullptr;
    TKivMaskEdit* edBegin = nullptr;
    TKivMaskEdit* edFinal = nullptr;
    TF2Button* btnBegin = nullptr;
    TF2Button* btnFinal = nullptr;
    TF2Button* btnList = nullptr;
    TGSpeedButton* btnDelete = nullptr;
    TGSpeedButton* btnClear = nullptr;
    TKivListView* ListBox = nullptr;

    TSelectStyle Style() const { return fStyle; }
    void SetStyle(TSelectStyle s);
    bool UserChoice() const { return fUserChoice; }
    void SetUserChoice(bool v);
    std::string HintWord() const { return chkRange->Caption(); }
    void SetHintWord(const std::string& s);
    plat::TStrings* BeginWords() const { return fBeginWords.get(); }
    void SetBeginWords(plat::TStrings* s);
    plat::TStrings* FinalWords() const { return fFinalWords.get(); }
    void SetFinalWords(plat::TStrings* s);
    plat::TStrings* ChildHints() const { return fChildHints.get(); }
    void SetChildHints(plat::TStrings* s) { fChildHints->Assign(s); }
    const std::string& EditMask() const { return fEditMask; }
    void SetEditMask(const std::string& m);
    TValueType ValueType() const { return fOrder.ValueType; }
    void SetValueType(TValueType v) { fOrder.ValueType = v; }
    TDateType DateType() const { return fOrder.DateType; }
    void SetDateType(TDateType v) { fOrder.DateType = v; }
    std::string DateSign() const { return fOrder.DateSign; }
    void SetDateSign(const std::string& v) { fOrder.DateSign = v; }
    bool AutoChangeDateSite() const { return fOrder.AutoChangeDateSite; }
    void SetAutoChangeDateSite(bool v) { fOrder.AutoChangeDateSite = v; }
    bool UseDiscard() const { return fOrder.UseDiscard; }
    void SetUseDiscard(bool v) { fOrder.UseDiscard = v; }
    std::string Discard() const { return fOrder.Discard; }
    void SetDiscard(const std::string& v) { fOrder.Discard = v; }
    bool CanOpenWin() const { return fCanOpenWin; }
    void SetCanOpenWin(bool v);
    int GlyphIndex() const { return fGlyphIndex; }
    void SetGlyphIndex(int n);
    bool UseVertical() const { return fUseVertical; }
    void SetUseVertical(bool v);
    int OtherWidth() const { return fOtherWidth; }
    void SetOtherWidth(int v) { fOtherWidth = v; }
    int OtherHeight() const { return fOtherHeight; }
    void SetOtherHeight(int v) { fOtherHeight = v; }
    TCheckDuplicate CheckDuplicate() const { return ListBox->CheckDuplicate; }
    void SetCheckDuplicate(TCheckDuplicate v);
    bool SortListBox() const { return fSortListBox; }
    void SetSortListBox(bool v);
    bool ColumnsAutoSize() const { return ListBox->ColumnsAutoSize; }
    void SetColumnsAutoSize(bool v) { ListBox->ColumnsAutoSize = v; }
    bool ShowColumnHeader() const { return ListBox->ShowColumnHeaders(); }
    void SetShowColumnHeader(bool v) { ListBox->SetShowColumnHeaders(v); }
    bool HideSelection() const { return ListBox->HideSelection(); }
    void SetHideSelection(bool v) { ListBox->SetHideSelection(v); }
    const std::string& BlankText() const { return fOrder.BlankText; }
    plat::TListColumns* Columns() const { return ListBox->Columns(); }
    void SetColumns(plat::TListColumns* c) { ListBox->Columns()->Assign(c); }
    plat::TListItems* Items() const { return ListBox->Items(); }
    void SetItems(plat::TListItems* i) { ListBox->Items()->Assign(i); }

    bool IsRangeMode() const;
    bool AddRow(const std::vector<std::string>& values) { return ListBox->AddRow(values); }
    void ClearRows() { ListBox->ClearRows(); }
    void SetFocus() override;
    // Lays the children out for the current style.
    void ArrangeChildren();

    plat::TNotifyEvent OnTypeClick;
    TStyleChangingEvent OnStyleChanging;
    TStyleChangeEvent OnStyleChange;
    TOpenWinClickEvent OnOpenWinClick;
    TDeleteClickEvent OnDeleteClick;
    plat::TNotifyEvent OnClearClick;
    plat::TNotifyEvent OnPanelExit;  // published as "OnExit": the panel's own, after the range is in order
    TListViewSelectItemEvent OnItemSelect;
    TListViewDataChangeEvent OnItemChange;
    TListViewDataChangingEvent OnItemChanging;
    plat::TKeyEvent OnPanelKeyDown, OnPanelKeyUp;  // published as "OnKeyDown", "OnKeyUp"
    plat::TKeyPressEvent OnPanelKeyPress;          // published as "OnKeyPress"

    // The list's sort column (0 the caption) and direction.
    int SortColumn() const { return fSortColumn; }
    bool SortAscending() const { return fSortAscending; }
    plat::TStrings* ColumnCaptions() const;
    void SetColumnCaptions(plat::TStrings* s);
    // A click on a column header: that column ascending, or the other direction when it already is.
    void ColumnClick(plat::TObject* sender, plat::TListColumn* column);
    void CompareRows(plat::TObject* sender, plat::TListItem* a, plat::TListItem* b, int data, int& result);
    void ItemSelected(plat::TObject* sender, plat::TListItem* item, bool selected);
    void ItemChanged(plat::TObject* sender, plat::TListItem* item, plat::TItemChange change);
    void ItemChanging(plat::TObject* sender, plat::TListItem* item, plat::TItemChange change, bool& allow);
    void ChildKeyDown(plat::TObject* sender, uint16_t& key, plat::TShiftState shift);
    void ChildKeyUp(plat::TObject* sender, uint16_t& key, plat::TShiftState shift);
    void ChildKeyPress(plat::TObject* sender, char& key);
    void ChildClick(plat::TObject* sender);
    void ChildDblClick(plat::TObject* sender);
    void ChildMouseDown(plat::TObject* sender, plat::TMouseButton b, plat::TShiftState s, int x, int y);
    void ChildMouseUp(plat::TObject* sender, plat::TMouseButton b, plat::TShiftState s, int x, int y);
    void ChildMouseMove(plat::TObject* sender, plat::TShiftState s, int x, int y);

    // Event handlers of the children.
    void RangeClick(plat::TObject* sender);
    void LookupClick(plat::TObject* sender);
    void DeleteClick(plat::TObject* sender);
    void ClearClick(plat::TObject* sender);
    void HintsChanged(plat::TObject* sender);
    void WordsChanged(plat::TObject* sender);

protected:
    void DoExit() override;
    void Resize() override;
    void FontChanged() override;
    void EnabledChanged() override;
    void ApplyVisibility(TSelectStyle s);
    void HorizontalLayout();
    void VerticalLayout();
    void ListLayout();
    void ApplyWords();
    bool ParentLoading() const;
    // What a child's click or mouse event names as Sender, and where its point lies in the panel.
    plat::TObject* PassedSender(plat::TObject* child);
    plat::TPoint PassedPoint(plat::TObject* child, int x, int y);

    TSelectStyle fStyle = sp_Range;
    bool fUserChoice = true;
    std::unique_ptr<plat::TStringList> fBeginWords, fFinalWords, fChildHints;
    std::string fEditMask;
    TRangeOrder fOrder;
    bool fCanOpenWin = true;
    int fGlyphIndex = 8;
    bool fUseVertical = false;
    int fOtherWidth = 200, fOtherHeight = 105;
    bool fSortListBox = false;
    int fSortColumn = 0;
    bool fSortAscending = true;
    mutable std::unique_ptr<plat::TStringList> fColumnCaptions;
    mutable bool fFillingCaptions = false;
    bool fApplyingCaptions = false;
public:
    // A description fills the list in place: the columns follow it.
    void ColumnCaptionsChanged(plat::TObject* sender);
};

}  // namespace qm
