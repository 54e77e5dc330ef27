#pragma once
// Grids: TCustomGrid (columns and rows, fixed ones, current cell, range selection, sizes, keys,
// column sizing with the mouse, an in-place editor), TDrawGrid (the published events) and
// TStringGrid (cell texts and objects, Cols/Rows as string lists). The in-place editor is a real
// child edit of the grid; TInplaceEditList adds an ellipsis button and a pick list.
#include <memory>
#include <string>
#include <vector>

#include "platform/forms/Controls.h"
#include "platform/forms/Forms.h"
#include "platform/graphics/Canvas.h"
#include "platform/widgets/StdCtrls.h"
#include "platform/widgets/StringList.h"

namespace plat {

PLAT_DECLARE_EXCEPTION(EInvalidGridOperation, Exception)

struct TGridCoord {
    int X = 0, Y = 0;
    bool operator==(const TGridCoord&) const = default;
};
struct TGridRect {
    int Left = 0, Top = 0, Right = 0, Bottom = 0;
    bool Contains(int c, int r) const { return c >= Left && c <= Right && r >= Top && r <= Bottom; }
    bool operator==(const TGridRect&) const = default;
};

enum TGridOption {
    goFixedVertLine, goFixedHorzLine, goVertLine, goHorzLine, goRangeSelect, goDrawFocusSelected, goRowSizing,
    goColSizing, goRowMoving, goColMoving, goEditing, goTabs, goRowSelect, goAlwaysShowEditor, goThumbTracking
};
using TGridOptions = TSet<TGridOption>;
enum TGridDrawStateItem { gdSelected, gdFocused, gdFixed };
using TGridDrawState = TSet<TGridDrawStateItem>;
enum TEditStyle { esSimple, esEllipsis, esPickList };
PLAT_DECLARE_ENUM(TGridOption)
PLAT_DECLARE_SET(TGridOptions)
PLAT_DECLARE_ENUM(TGridDrawStateItem)
PLAT_DECLARE_SET(TGridDrawState)
PLAT_DECLARE_ENUM(TEditStyle)

PLAT_DECLARE_EVENT(TDrawCellEvent, TObject* /*Sender*/, int /*ACol*/, int /*ARow*/, TRect /*Rect*/,
                   TGridDrawState /*State*/)
PLAT_DECLARE_EVENT(TSelectCellEvent, TObject*, int /*ACol*/, int /*ARow*/, bool& /*CanSelect*/)
PLAT_DECLARE_EVENT(TGetEditEvent, TObject*, int /*ACol*/, int /*ARow*/, std::string& /*Value*/)
PLAT_DECLARE_EVENT(TSetEditEvent, TObject*, int /*ACol*/, int /*ARow*/, const std::string& /*Value*/)
PLAT_DECLARE_EVENT(TMovedEvent, TObject*, int /*FromIndex*/, int /*ToIndex*/)

class TCustomGrid;

// The edit a grid shows over its current cell. Its text goes to the grid cell as it is typed;
// the keys that move in the grid (and every key, for the grid's OnKeyDown) reach the grid.
class TInplaceEdit : public TCustomEdit {
    PLAT_CLASS(TInplaceEdit)
    explicit TInplaceEdit(TComponent* owner);

    TCustomGrid* Grid() const { return fGrid; }
    // Puts the editor on the grid's current cell with the cell's edit text.
    virtual void UpdateContents();
    // The text the cell had when editing of this cell began (what Esc restores).
    const std::string& OriginalText() const { return fOriginal; }
    uint32_t DialogCode() const override;

protected:
    friend class TCustomGrid;
    void KeyDown(uint16_t& key, TShiftState shift) override;
    void KeyPress(char& key) override;
    void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
    void DefaultKeyDown(uint16_t key, TShiftState shift) override;
    void DefaultChar(char key) override;
    void Change() override;
    // Keys that belong to the grid rather than the edit.
    virtual bool IsGridKey(uint16_t key, TShiftState shift) const;

    TCustomGrid* fGrid = nullptr;
    std::string fOriginal;
    bool fSetting = false;
};

// An in-place editor with an ellipsis button (Ctrl+Enter or a click on the button) or a pick
// list (Alt+Down or F4 drops it down; Up/Down choose, Enter takes, Esc closes).
class TInplaceEditList : public TInplaceEdit {
    PLAT_CLASS(TInplaceEditList)
    explicit TInplaceEditList(TComponent* owner);

    TEditStyle EditStyle() const { return fEditStyle; }
    void SetEditStyle(TEditStyle s);
    int ButtonWidth() const { return fEditStyle == esSimple ? 0 : Height(); }
    TStrings* PickList() const { return fPickList.get(); }
    bool ListVisible() const { return fListVisible; }
    int PickIndex() const { return fPickIndex; }
    void SetPickIndex(int i);
    void DropDown();
    void CloseUp(bool accept);
    void EditButtonClick();
    void UpdateContents() override;

    TNotifyEvent OnEditButtonClick;

protected:
    void KeyDown(uint16_t& key, TShiftState shift) override;
    bool IsGridKey(uint16_t key, TShiftState shift) const override;
    void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;

    TEditStyle fEditStyle = esSimple;
    std::unique_ptr<TStringList> fPickList;
    bool fListVisible = false;
    int fPickIndex = -1;
};

class TCustomGrid : public TCustomControl {
    PLAT_CLASS(TCustomGrid)
    explicit TCustomGrid(TComponent* owner);
    ~TCustomGrid() override;

    // ---- Layout ----
    int ColCount() const { return static_cast<int>(fColWidths.size()); }
    void SetColCount(int v);
    int RowCount() const { return static_cast<int>(fRowHeights.size()); }
    void SetRowCount(int v);
    int FixedCols() const { return fFixedCols; }
    void SetFixedCols(int v);
    int FixedRows() const { return fFixedRows; }
    void SetFixedRows(int v);
    int DefaultColWidth() const { return fDefaultColWidth; }
    void SetDefaultColWidth(int v);  // resets every column
    int DefaultRowHeight() const { return fDefaultRowHeight; }
    void SetDefaultRowHeight(int v);  // resets every row
    int ColWidths(int c) const;
    void SetColWidths(int c, int w);
    int RowHeights(int r) const;
    void SetRowHeights(int r, int h);
    int GridLineWidth() const { return fGridLineWidth; }
    void SetGridLineWidth(int v);
    TGridOptions Options() const { return fOptions; }
    void SetOptions(TGridOptions o);
    TColor FixedColor() const { return fFixedColor; }
    void SetFixedColor(TColor c);
    TScrollStyle ScrollBars() const { return fScrollBars; }
    void SetScrollBars(TScrollStyle s) { fScrollBars = s; }
    TFormBorderStyle BorderStyle() const { return fBorderStyle; }
    void SetBorderStyle(TFormBorderStyle s) { fBorderStyle = s; }
    bool DefaultDrawing() const { return fDefaultDrawing; }
    void SetDefaultDrawing(bool v) { fDefaultDrawing = v; }

    // ---- Current cell and selection ----
    int Col() const { return fCol; }
    void SetCol(int c);
    int Row() const { return fRow; }
    void SetRow(int r);
    // Moves the current cell (asks SelectCell); false when refused.
    bool FocusCell(int c, int r, bool moveAnchor = true);
    TGridRect Selection() const;
    void SetSelection(TGridRect r);
    int TopRow() const { return fTopRow; }
    void SetTopRow(int r);
    int LeftCol() const { return fLeftCol; }
    void SetLeftCol(int c);
    int VisibleColCount() const;
    int VisibleRowCount() const;
    // The largest TopRow / LeftCol that still fills the client area (the last row or column at
    // its far edge).
    int MaxTopRow() const;
    int MaxLeftCol() const;
    // Bars as ScrollBars allows, shown while not every scrollable row (column) fits; a line is
    // a row (column).
    TScrollBarInfo ScrollBarInfo(TScrollBarKind kind) const override;

    // ---- Geometry ----
    TRect CellRect(int c, int r) const;  // empty when not visible
    TGridCoord MouseCoord(int x, int y) const;  // -1 parts outside the cells
    void MouseToCell(int x, int y, int& c, int& r) const;

    // ---- Editing ----
    bool EditorMode() const { return fEditorMode; }
    void SetEditorMode(bool v);
    TInplaceEdit* InplaceEditor() const { return fEditor; }
    void ShowEditor();
    void HideEditor();
    // Writes the editor's text into the cell (nothing when no editor is shown).
    void UpdateText();

    // ---- Rows and columns (public here: the module's dialogs add and remove rows) ----
    void DeleteRow(int r);
    void DeleteColumn(int c);
    void InsertRow(int r);  // an empty row before r (r == RowCount appends)
    void MoveRow(int from, int to);
    void MoveColumn(int from, int to);

    // ---- Painting ----
    // Paints the visible cells onto a canvas the size of the client area.
    void PaintTo(TCanvas& canvas);

    // Description: "ColWidths = (47 50)" and "RowHeights = (18 18)" lists.
    bool ReadDefinedProperty(const std::string& name, const TDfmValue& value) override;
    uint32_t DialogCode() const override;

    TDrawCellEvent OnDrawCell;
    TSelectCellEvent OnSelectCell;
    TGetEditEvent OnGetEditText, OnGetEditMask;
    TSetEditEvent OnSetEditText;
    TNotifyEvent OnTopLeftChanged;
    TMovedEvent OnColumnMoved, OnRowMoved;

    // Keys and characters the grid handles (the in-place editor passes its grid keys here).
    void DefaultKeyDown(uint16_t key, TShiftState shift) override;
    void KeyDown(uint16_t& key, TShiftState shift) override { TCustomControl::KeyDown(key, shift); }

protected:
    friend class TInplaceEdit;
    friend class TInplaceEditList;
    virtual bool SelectCell(int c, int r);
    virtual std::string GetEditText(int c, int r);
    virtual void SetEditText(int c, int r, const std::string& value);
    virtual std::string GetEditMask(int c, int r);
    virtual bool CanEditShow() const;
    virtual bool CanEditModify() const { return fOptions.Contains(goEditing); }
    virtual bool CanEditAcceptKey(char key) const { (void)key; return true; }
    virtual TEditStyle GetEditStyle(int c, int r) { (void)c; (void)r; return esSimple; }
    // The lines a pick-list editor offers for a cell.
    virtual void GetPickListItems(int c, int r, TStrings* items) { (void)c; (void)r; items->Clear(); }
    // A character typed on the current cell (in the grid or its editor) before the edit sees
    // it; true when the grid consumed it (a check-box cell toggles on a blank).
    virtual bool CellKeyPress(char key) { (void)key; return false; }
    // A click on the in-place editor (not on its button).
    virtual void EditorClicked() {}
    virtual TInplaceEdit* CreateEditor();
    virtual void DrawCell(TCanvas& canvas, int c, int r, const TRect& rect, TGridDrawState state);
    virtual void ColumnMoved(int from, int to);
    virtual void RowMoved(int from, int to);
    // Storage of descendants follows the column and row counts.
    virtual void SizeChanged(int oldColCount, int oldRowCount) { (void)oldColCount; (void)oldRowCount; }
    virtual void TopLeftChanged() { OnTopLeftChanged(this); }
    virtual void EditButtonClicked() {}
    void DefaultChar(char key) override;
    void DoEnter() override;
    void WMSetFocus(TMessage& msg);
    void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
    void MouseMove(TShiftState shift, int x, int y) override;
    void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
    void Resize() override;
    void ScrollBarMoved(TScrollBarKind kind, int pos) override;
    void MakeVisible(int c, int r);
    void CheckCounts(int cols, int rows, int fixedCols, int fixedRows) const;
    int SizingColumnAt(int x, int y) const;

    std::vector<int> fColWidths;
    std::vector<int> fRowHeights;
    int fFixedCols = 1, fFixedRows = 1;
    int fDefaultColWidth = 64, fDefaultRowHeight = 24;
    int fGridLineWidth = 1;
    TGridOptions fOptions{goFixedVertLine, goFixedHorzLine, goVertLine, goHorzLine, goRangeSelect};
    TColor fFixedColor = clBtnFace;
    TScrollStyle fScrollBars = ssBoth;
    TFormBorderStyle fBorderStyle = bsSingle;
    bool fDefaultDrawing = true;
    int fCol = 1, fRow = 1;
    TGridCoord fAnchor{1, 1};
    int fTopRow = 1, fLeftCol = 1;
    bool fEditorMode = false;
    TInplaceEdit* fEditor = nullptr;
    int fSizingCol = -1, fSizingStartX = 0, fSizingStartWidth = 0;
};

class TDrawGrid : public TCustomGrid {
    PLAT_CLASS(TDrawGrid)
    using TCustomGrid::TCustomGrid;
};

// A grid that keeps a text and an object per cell.
class TStringGrid : public TDrawGrid {
    PLAT_CLASS(TStringGrid)
    explicit TStringGrid(TComponent* owner);
    ~TStringGrid() override;

    std::string Cells(int c, int r) const;
    void SetCells(int c, int r, const std::string& s);
    TObject* Objects(int c, int r) const;
    void SetObjects(int c, int r, TObject* o);
    // A column's or a row's texts as a string list (live: writing changes the cells).
    TStrings* Cols(int c);
    TStrings* Rows(int r);

protected:
    std::string GetEditText(int c, int r) override;
    void SetEditText(int c, int r, const std::string& value) override;
    void DrawCell(TCanvas& canvas, int c, int r, const TRect& rect, TGridDrawState state) override;
    void SizeChanged(int oldColCount, int oldRowCount) override;
    void ColumnMoved(int from, int to) override;
    void RowMoved(int from, int to) override;
    // Text of a cell as drawn; descendants place it their own way.
    virtual void DrawCellText(TCanvas& canvas, int c, int r, const TRect& rect, TGridDrawState state);
    void CheckCell(int c, int r) const;

    struct TCell {
        std::string Text;
        TObject* Obj = nullptr;
    };
    // Rows of cells, fRowCount x fColCount.
    std::vector<std::vector<TCell>> fCells;
    std::vector<std::unique_ptr<TStrings>> fColLists, fRowLists;
};

}  // namespace plat
