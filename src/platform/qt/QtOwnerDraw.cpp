// Owner-drawn items of native peers.
#include "platform/qt/QtOwnerDraw.h"

#include <QPainter>
#include <QStyle>
#include <QStyleOptionComboBox>
#include <QStylePainter>

#include <algorithm>
#include <exception>

#include "platform/qt/QtPaint.h"

namespace plat {

namespace {

TCanvas* CanvasOf(TWinControl* c) {
    if (auto* combo = dynamic_cast<TCustomComboBox*>(c)) return combo->Canvas();
    if (auto* list = dynamic_cast<TCustomListBox*>(c)) return list->Canvas();
    return nullptr;
}

}  // namespace

bool IsOwnerDrawn(TWinControl* c) {
    if (auto* combo = dynamic_cast<TCustomComboBox*>(c))
        return combo->Style() == csOwnerDrawFixed || combo->Style() == csOwnerDrawVariable;
    if (auto* list = dynamic_cast<TCustomListBox*>(c))
        return list->Style() == lbOwnerDrawFixed || list->Style() == lbOwnerDrawVariable ||
               list->Style() == lbVirtualOwnerDraw;
    return false;
}

int ModelItemHeight(TWinControl* c, int index) {
    int h = 16;
    try {
        if (auto* combo = dynamic_cast<TCustomComboBox*>(c)) {
            h = combo->ItemHeight();
            if (combo->Style() == csOwnerDrawVariable) combo->OnMeasureItem(combo, index, h);
        } else if (auto* list = dynamic_cast<TCustomListBox*>(c)) {
            // The heights the model lays its rows out by (measured once, kept), so a click
            // lands on the row painted there.
            h = list->ItemHeightOf(index);
        }
    } catch (const std::exception&) {
        // A measuring handler that fails leaves the default height; Qt's layout cannot carry it.
    }
    return std::max(h, 1);
}

void PaintModelItem(TWinControl* c, int index, QPainter& painter, const QRect& rect, TOwnerDrawState state) {
    TCanvas* canvas = CanvasOf(c);
    if (!canvas || rect.isEmpty()) return;
    QImage img(rect.size(), QImage::Format_RGB32);
    img.fill(QtColor(c->Color()));
    canvas->SetEngine(std::make_unique<TQtPaintEngine>(&img, TPoint{rect.left(), rect.top()}));
    canvas->ResetClipRect();
    canvas->SetFont(c->Font());
    canvas->Brush()->SetStyle(bsSolid);
    canvas->Brush()->SetColor(c->Color());
    canvas->Pen()->SetColor(c->Font()->Color());
    if (state.Contains(odSelected)) {
        canvas->Brush()->SetColor(clHighlight);
        canvas->Font()->SetColor(clHighlightText);
    }
    if (state.Contains(odDisabled) && !state.Contains(odSelected)) canvas->Font()->SetColor(clGrayText);
    TRect r{rect.left(), rect.top(), rect.left() + rect.width(), rect.top() + rect.height()};
    try {
        if (index < 0) {
            canvas->FillRect(r);
        } else if (auto* combo = dynamic_cast<TCustomComboBox*>(c)) {
            combo->DrawItem(index, r, state);
        } else if (auto* list = dynamic_cast<TCustomListBox*>(c)) {
            list->DrawItem(index, r, state);
        }
        if (state.Contains(odFocused)) canvas->DrawFocusRect(r);
    } catch (const std::exception&) {
        // A drawing handler that fails leaves the item as far as it got; Qt's paint event cannot
        // carry the exception anywhere.
    }
    canvas->SetEngine(nullptr);
    painter.drawImage(rect.topLeft(), img);
}

void TQtItemDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const {
    TWinControl* c = FindControl(fControl);
    if (!c || !IsOwnerDrawn(c)) {
        QStyledItemDelegate::paint(painter, option, index);
        return;
    }
    TOwnerDrawState state;
    if (auto* list = dynamic_cast<TCustomListBox*>(c)) {
        // The list box's own selection and focus, as the model holds them.
        int i = index.row();
        bool selected = list->MultiSelect() ? (i < list->Items()->Count() && list->Selected(i)) : i == list->ItemIndex();
        if (selected) state.Include(odSelected);
        if (list->Focused() && i == list->ItemIndex()) state.Include(odFocused);
    } else if (option.state & QStyle::State_Selected) {
        // The item under the pointer in a combo box's open list.
        state.Include(odSelected);
        state.Include(odFocused);
    }
    if (!c->Enabled()) state.Include(odDisabled);
    PaintModelItem(c, index.row(), *painter, option.rect, state);
}

QSize TQtItemDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const {
    QSize s = QStyledItemDelegate::sizeHint(option, index);
    // A list box's rows are always the model's (its clicks find rows by ItemHeight); a combo
    // box's list only when the model draws the items.
    TWinControl* c = FindControl(fControl);
    if (c && (IsOwnerDrawn(c) || dynamic_cast<TCustomListBox*>(c))) s.setHeight(ModelItemHeight(c, index.row()));
    return s;
}

void PaintOwnerDrawnComboFace(QComboBox* combo, TCustomComboBox& model) {
    QStylePainter p(combo);
    QStyleOptionComboBox opt;
    opt.initFrom(combo);
    opt.editable = false;
    opt.frame = true;
    opt.subControls = QStyle::SC_All;
    p.drawComplexControl(QStyle::CC_ComboBox, opt);
    QRect field = combo->style()->subControlRect(QStyle::CC_ComboBox, &opt, QStyle::SC_ComboBoxEditField, combo);
    if (model.Style() == csOwnerDrawVariable) {
        // The field is as high as OnMeasureItem says for index -1 (the edit field), centred in
        // the style's field and never outside it.
        int h = std::min(ModelItemHeight(&model, -1), field.height());
        field = QRect(field.left(), field.top() + (field.height() - h) / 2, field.width(), h);
    }
    TOwnerDrawState state{odComboBoxEdit};
    if (model.Focused()) {
        state.Include(odSelected);
        state.Include(odFocused);
    }
    if (!model.Enabled()) state.Include(odDisabled);
    PaintModelItem(&model, model.ItemIndex(), p, field, state);
}

}  // namespace plat
