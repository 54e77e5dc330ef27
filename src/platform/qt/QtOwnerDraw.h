#pragma once
// Items of the native combo box and list box peers as the model has them: rows as high as the
// model's items (ItemHeight; OnMeasureItem in the variable styles), and in the owner-drawn styles
// every item painted through the model's canvas (DrawItem: OnDrawItem, or the default drawing).
#include <QComboBox>
#include <QStyledItemDelegate>

#include "platform/qt/QtWidgetSet.h"
#include "platform/widgets/StdCtrls.h"

namespace plat {

// A combo box (csOwnerDrawFixed/Variable) or list box (lbOwnerDrawFixed/Variable,
// lbVirtualOwnerDraw) that draws its items itself.
bool IsOwnerDrawn(TWinControl* control);
// The height of item `index`: a list box's ItemHeightOf (measured heights in lbOwnerDrawVariable);
// a combo box's ItemHeight, which OnMeasureItem may change in csOwnerDrawVariable (index -1 is
// its edit field).
int ModelItemHeight(TWinControl* control, int index);
// Draws item `index` of a combo box or list box into `rect` of `painter` through the control's
// canvas, as the platform does before it calls DrawItem: the canvas gets the control's font and
// colour, a selected item the highlight colours; then DrawItem; a focused item gets the focus
// rectangle. Index -1 (nothing selected) only fills the rectangle.
void PaintModelItem(TWinControl* control, int index, QPainter& painter, const QRect& rect, TOwnerDrawState state);

// The delegate of a peer's item view (the list box itself, a combo box's pop-up list).
class TQtItemDelegate : public QStyledItemDelegate {
public:
    TQtItemDelegate(HWND control, QObject* parent) : QStyledItemDelegate(parent), fControl(control) {}
    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

private:
    HWND fControl;
};

// The face of an owner-drawn combo box: the native frame and button, the selected item drawn by
// the model in the edit field (state odComboBoxEdit, selected and focused while it has the focus).
void PaintOwnerDrawnComboFace(QComboBox* combo, TCustomComboBox& model);

}  // namespace plat
