#pragma once
// The selection panel's types and its value logic: putting a range in order by value type,
// reading date texts, dropping duplicate rows, comparing rows for sorting and measuring texts in
// bytes. The panel control itself (TSelectPanel with TKivListView and TKivMaskEdit) stands on the
// masked edit, panel and list view of the standard controls.
#include <string>
#include <vector>

#include "controls/BtChkBox.h"
#include "platform/core/SysUtils.h"

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

}  // namespace qm
