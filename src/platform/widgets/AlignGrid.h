#pragma once
// TStringAlignGrid: a string grid with per-cell, per-column and per-row alignment, editors and
// fonts, check-box cells, and cell hints.
//
// Editors: a cell, a column or a row may have a TCellEditor (looked up in that order): a plain
// edit, an edit with a button (OnEditButtonClick), a pick list with its lines, or a check box
// whose cell holds CheckedText ("Y") or UncheckedText ("N"). A blank typed on a check-box cell,
// or a click on it, toggles it; other characters are ignored there.
// Fonts: a cell's own font, else for a fixed cell the font of its fixed column (cells of column
// c in the fixed rows) or fixed row (cells of row r in the fixed columns), else the column's,
// else the row's, else the grid's font.
// Hints: HintForCell asks OnShowHintCell with the cell's own hint (or the grid's Hint).
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/widgets/Grids.h"

namespace plat {

enum TCellEditStyle { cesEdit, cesEllipsis, cesPickList, cesCheckBox };
PLAT_DECLARE_ENUM(TCellEditStyle)

PLAT_DECLARE_EVENT(TShowHintCellEvent, TObject* /*Sender*/, int /*ACol*/, int /*ARow*/, std::string& /*HintStr*/,
                   bool& /*CanShow*/)

class TCellEditor : public TPersistent {
    PLAT_CLASS(TCellEditor)
    TCellEditor();
    ~TCellEditor() override;

    TCellEditStyle Style() const { return fStyle; }
    void SetStyle(TCellEditStyle s) { fStyle = s; }
    TStrings* Items() const { return fItems.get(); }
    void SetItems(TStrings* s) { fItems->Assign(s); }
    const std::string& CheckedText() const { return fChecked; }
    void SetCheckedText(const std::string& s) { fChecked = s; }
    const std::string& UncheckedText() const { return fUnchecked; }
    void SetUncheckedText(const std::string& s) { fUnchecked = s; }
    void Assign(TPersistent* source) override;

private:
    TCellEditStyle fStyle = cesEdit;
    std::unique_ptr<TStringList> fItems;
    std::string fChecked = "Y", fUnchecked = "N";
};

class TStringAlignGrid : public TStringGrid {
    PLAT_CLASS(TStringAlignGrid)
    explicit TStringAlignGrid(TComponent* owner);
    ~TStringAlignGrid() override;

    // ---- Alignment ----
    TAlignment Alignment() const { return fAlignment; }
    void SetAlignment(TAlignment a);
    void SetAlignCell(int c, int r, TAlignment a);
    void SetAlignCol(int c, TAlignment a);
    void SetAlignRow(int r, TAlignment a);
    void ResetAlignCell(int c, int r);
    void ResetAlignCol(int c);
    void ResetAlignRow(int r);
    // The alignment a cell is drawn with: its own, else its column's, else its row's, else Alignment.
    TAlignment CellAlignment(int c, int r) const;

    // ---- Editors (created on first request; Clear... removes) ----
    TCellEditor* CellEditor(int c, int r);
    TCellEditor* ColEditor(int c);
    TCellEditor* RowEditor(int r);
    void ClearCellEditor(int c, int r);
    void ClearColEditor(int c);
    void ClearRowEditor(int r);
    // The editor that applies to a cell (cell, column, row), nullptr for the grid's plain edit.
    TCellEditor* EditorFor(int c, int r) const;
    bool IsCheckCell(int c, int r) const;
    bool Checked(int c, int r) const;  // the cell holds its editor's CheckedText
    void SetChecked(int c, int r, bool v);
    void ToggleCheck(int c, int r);

    // ---- Hints ----
    bool ShowCellHints() const { return fShowCellHints; }
    void SetShowCellHints(bool v) { fShowCellHints = v; }
    std::string CellHint(int c, int r) const;
    void SetCellHint(int c, int r, const std::string& s);
    // What the hint window shows over a cell; false when no hint is to be shown.
    bool HintForCell(int c, int r, std::string& hint);
    bool HintAt(int x, int y, std::string& hint);

    // ---- Fonts (created from the grid's font on first request) ----
    TFont* CellFont(int c, int r);
    TFont* ColFont(int c);
    TFont* RowFont(int r);
    TFont* FixedColFont(int c);
    TFont* FixedRowFont(int r);
    void ResetFonts();
    // The font a cell is drawn with.
    const TFont* FontFor(int c, int r) const;

    // ---- For whole-grid walks (the code converter) ----
    std::vector<TFont*> AllFonts() const;
    std::vector<TStrings*> AllEditorItems() const;
    // Cells that have a hint of their own, as (col, row).
    std::vector<TGridCoord> HintCells() const;

    // Description: "Cells = (0 0 'text' ...)" and "CellHints = (0 1 'hint' ...)" triples.
    bool ReadDefinedProperty(const std::string& name, const TDfmValue& value) override;

    TShowHintCellEvent OnShowHintCell;
    TNotifyEvent OnEditButtonClick;

protected:
    using TKey = std::pair<int, int>;  // (col, row)
    TInplaceEdit* CreateEditor() override;
    TEditStyle GetEditStyle(int c, int r) override;
    void GetPickListItems(int c, int r, TStrings* items) override;
    bool CellKeyPress(char key) override;
    void EditorClicked() override;
    void EditButtonClicked() override;
    bool CanEditAcceptKey(char key) const override;
    void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
    void DrawCellText(TCanvas& canvas, int c, int r, const TRect& rect, TGridDrawState state) override;
    void SizeChanged(int oldColCount, int oldRowCount) override;
    void ColumnMoved(int from, int to) override;
    void RowMoved(int from, int to) override;
    TFont* NewFont();

    TAlignment fAlignment = taLeftJustify;
    bool fShowCellHints = true;
    std::map<TKey, TAlignment> fCellAlign;
    std::map<int, TAlignment> fColAlign, fRowAlign;
    std::map<TKey, std::unique_ptr<TCellEditor>> fCellEditors;
    std::map<int, std::unique_ptr<TCellEditor>> fColEditors, fRowEditors;
    std::map<TKey, std::string> fHints;
    std::map<TKey, std::unique_ptr<TFont>> fCellFonts;
    std::map<int, std::unique_ptr<TFont>> fColFonts, fRowFonts, fFixedColFonts, fFixedRowFonts;
};

}  // namespace plat
