#include "platform/qt/QtWidgetSet.h"
#include "platform/qt/QtScrolling.h"

#include <QApplication>
#include <QCloseEvent>
#include <QCursor>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFontMetrics>
#include <QHelpEvent>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QMouseEvent>
#include <QScrollBar>
#include <QStyleOptionButton>
#include <QPainter>
#include <QPointer>
#include <QProxyStyle>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QToolTip>
#include <QWindow>

#include <map>

#include "platform/forms/TypInfo.h"
#include "platform/qt/QtMainMenu.h"
#include "platform/qt/QtOwnerDraw.h"
#include "platform/qt/QtPaint.h"
#include "platform/qt/QtProperties.h"
#include "platform/widgets/AlignGrid.h"
#include "platform/widgets/Animate.h"
#include "platform/widgets/Buttons.h"
#include "platform/widgets/ComCtrls.h"
#include "platform/widgets/DBCtrls.h"
#include "platform/widgets/ExtCtrls.h"
#include "platform/widgets/Grids.h"
#include "platform/widgets/Menus.h"
#include "platform/widgets/StdCtrls.h"

namespace plat {

namespace {

constexpr const char* HandleProperty = "xqHandle";

TQtWidgetSet* gQt = nullptr;  // the installed Qt widgetset (nullptr when another is installed)

std::map<const TClassInfo*, TQtPainter>& Painters() {
    static std::map<const TClassInfo*, TQtPainter> m;
    return m;
}
std::map<const TClassInfo*, TQtPeerKind>& PeerKinds() {
    static std::map<const TClassInfo*, TQtPeerKind> m;
    return m;
}

// The Qt kind registered for the class or, from a control library that knows no Qt, the native
// look it asked for (forms/WidgetSet.h); nearest class first.
TQtPeerKind PeerKindFor(const TClassInfo& cls) {
    for (auto* c = &cls; c; c = c->Parent) {
        auto it = PeerKinds().find(c);
        if (it != PeerKinds().end()) return it->second;
        if (const TNativeLookEntry* look = NativeLookOf(*c); look && look->Look == TNativeLook::RadioButton)
            return TQtPeerKind::RadioButton;
    }
    return TQtPeerKind::Generic;
}

// What draws over a native widget: the nearest of the class's own paint-over (a native look) and
// a painter registered here.
TQtPainter OverPainterFor(const TClassInfo& cls) {
    for (auto* c = &cls; c; c = c->Parent) {
        if (const TNativeLookEntry* look = NativeLookOf(*c); look && look->PaintOver) return look->PaintOver;
        auto it = Painters().find(c);
        if (it != Painters().end()) return it->second;
    }
    return {};
}

QString QStr(const std::string& s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }

// Byte offset into UTF-8 text -> index of UTF-16 units, for carets and selections.
int Utf16Index(const std::string& s, int byteOffset) {
    byteOffset = std::clamp(byteOffset, 0, static_cast<int>(s.size()));
    return static_cast<int>(QString::fromUtf8(s.data(), byteOffset).size());
}

Qt::CursorShape CursorShapeOf(TCursor c) {
    switch (c) {
        case crNone: return Qt::BlankCursor;
        case crCross: return Qt::CrossCursor;
        case crIBeam: return Qt::IBeamCursor;
        case crSizeNESW: return Qt::SizeBDiagCursor;
        case crSizeNS: return Qt::SizeVerCursor;
        case crSizeNWSE: return Qt::SizeFDiagCursor;
        case crSizeWE: return Qt::SizeHorCursor;
        case crUpArrow: return Qt::UpArrowCursor;
        case crHourGlass: case crSQLWait: return Qt::WaitCursor;
        case crAppStart: return Qt::BusyCursor;
        case crDrag: case crMultiDrag: return Qt::DragCopyCursor;
        case crNoDrop: case crNo: return Qt::ForbiddenCursor;
        case crHSplit: return Qt::SplitHCursor;
        case crVSplit: return Qt::SplitVCursor;
        case crHelp: return Qt::WhatsThisCursor;
        case crHandPoint: return Qt::PointingHandCursor;
        case crSizeAll: return Qt::SizeAllCursor;
        default: return Qt::ArrowCursor;
    }
}

TShiftState ShiftOf(Qt::KeyboardModifiers m) {
    TShiftState s;
    if (m & Qt::ShiftModifier) s.Include(ssShift);
    if (m & Qt::ControlModifier) s.Include(ssCtrl);
    if (m & Qt::AltModifier) s.Include(ssAlt);
    return s;
}

// The virtual key of a Qt key; 0 for keys that only produce characters (punctuation, CJK).
uint16_t VirtualKeyOf(int key) {
    if (key >= Qt::Key_A && key <= Qt::Key_Z) return static_cast<uint16_t>(key);
    if (key >= Qt::Key_0 && key <= Qt::Key_9) return static_cast<uint16_t>(key);
    if (key >= Qt::Key_F1 && key <= Qt::Key_F12) return static_cast<uint16_t>(VK_F1 + (key - Qt::Key_F1));
    switch (key) {
        case Qt::Key_Tab: case Qt::Key_Backtab: return VK_TAB;
        case Qt::Key_Return: case Qt::Key_Enter: return VK_RETURN;
        case Qt::Key_Escape: return VK_ESCAPE;
        case Qt::Key_Backspace: return VK_BACK;
        case Qt::Key_Space: return VK_SPACE;
        case Qt::Key_PageUp: return VK_PRIOR;
        case Qt::Key_PageDown: return VK_NEXT;
        case Qt::Key_End: return VK_END;
        case Qt::Key_Home: return VK_HOME;
        case Qt::Key_Left: return VK_LEFT;
        case Qt::Key_Up: return VK_UP;
        case Qt::Key_Right: return VK_RIGHT;
        case Qt::Key_Down: return VK_DOWN;
        case Qt::Key_Insert: return VK_INSERT;
        case Qt::Key_Delete: return VK_DELETE;
        case Qt::Key_Shift: return VK_SHIFT;
        case Qt::Key_Control: return VK_CONTROL;
        case Qt::Key_Alt: return VK_MENU;
        default: return 0;
    }
}

// The first part of a hint ("short|long").
std::string ShortHint(const std::string& hint) {
    auto bar = hint.find('|');
    return bar == std::string::npos ? hint : hint.substr(0, bar);
}

}  // namespace

TControl* QtGraphicChildAt(TWinControl* c, QPoint p) {
    const auto& list = c->ControlList();
    for (auto it = list.rbegin(); it != list.rend(); ++it) {
        TControl* child = *it;
        if (dynamic_cast<TWinControl*>(child) || !child->Visible()) continue;
        if (child->BoundsRect().Contains({p.x(), p.y()})) return child;
    }
    return nullptr;
}

namespace {

// Paints a control (its painter, if any) and then its graphic children into an image of its size.
QImage PaintControlImage(TWinControl* c, QSize size) {
    QImage img(size, QImage::Format_RGB32);
    img.fill(QtColor(c->Color()));
    auto paintOne = [](TControl& ctl, QImage& target) {
        const TQtPainter* painter = FindQtPainter(*ctl.ClassType());
        if (!painter) return;
        TCanvas canvas(std::make_unique<TQtPaintEngine>(&target));
        canvas.SetFont(ctl.Font());
        canvas.Brush()->SetColor(ctl.Color());
        (*painter)(ctl, canvas);
    };
    paintOne(*c, img);
    for (TControl* child : c->ControlList()) {
        if (dynamic_cast<TWinControl*>(child) || !child->Visible()) continue;
        QRect r(child->Left(), child->Top(), child->Width(), child->Height());
        if (r.isEmpty()) continue;
        // Starts from what lies below, so a transparent control shows its parent.
        QImage sub = img.copy(r);
        paintOne(*child, sub);
        QPainter p(&img);
        p.drawImage(r.topLeft(), sub);
    }
    return img;
}

// The default drawing of a label: its caption in its font, aligned as asked.
void PaintLabel(TControl& ctl, TCanvas& canvas) {
    auto& label = static_cast<TCustomLabel&>(ctl);
    TRect r{0, 0, label.Width(), label.Height()};
    if (!label.Transparent()) {
        canvas.Brush()->SetStyle(bsSolid);
        canvas.Brush()->SetColor(label.Color());
        canvas.FillRect(r);
    }
    canvas.Brush()->SetStyle(bsClear);
    canvas.SetFont(label.Font());
    if (!label.Enabled()) canvas.Font()->SetColor(clGrayText);
    unsigned flags = label.Alignment() == taCenter ? DT_CENTER : label.Alignment() == taRightJustify ? DT_RIGHT : DT_LEFT;
    if (label.WordWrap()) flags |= DT_WORDBREAK;
    else flags |= DT_SINGLELINE | (label.Layout() == tlCenter ? DT_VCENTER : label.Layout() == tlBottom ? DT_BOTTOM : 0);
    if (!label.ShowAccelChar()) flags |= DT_NOPREFIX;
    canvas.DrawText(label.Caption(), r, flags);
}

// The caption of a radio button, drawn over the native circle: beside it where the style puts a
// radio button's text (on the left with taLeftJustify), grey when disabled, a focus rectangle
// around it while focused.
void PaintRadioCaption(TControl& ctl, TCanvas& canvas) {
    auto& rb = static_cast<TRadioButton&>(ctl);
    QStyleOptionButton opt;
    opt.rect = QRect(0, 0, ctl.Width(), ctl.Height());
    opt.direction = rb.Alignment() == taLeftJustify ? Qt::RightToLeft : Qt::LeftToRight;
    QRect text = QApplication::style()->subElementRect(QStyle::SE_RadioButtonContents, &opt, nullptr);
    TRect r{text.left(), 0, text.left() + text.width(), ctl.Height()};
    canvas.SetFont(ctl.Font());
    if (!ctl.Enabled()) canvas.Font()->SetColor(clGrayText);
    canvas.Brush()->SetStyle(bsClear);
    unsigned flags = rb.WordWrap() ? DT_WORDBREAK : DT_SINGLELINE | DT_VCENTER;
    canvas.DrawText(ctl.Caption(), r, flags);
    if (rb.Focused()) {
        TRect calc = r;
        canvas.DrawText(ctl.Caption(), calc, flags | DT_CALCRECT);
        int top = rb.WordWrap() ? r.Top : r.Top + (r.Height() - calc.Height()) / 2;
        canvas.Brush()->SetStyle(bsSolid);
        canvas.Brush()->SetColor(ctl.Color());
        canvas.DrawFocusRect({calc.Left - 1, top - 1, std::min(calc.Right + 1, r.Right), top + calc.Height() + 1});
    }
}

// A button of a data navigator: a raised face with the symbol of its action, grey when disabled
// (the navigator enables its buttons by the data set's state).
void PaintNavButton(TControl& ctl, TCanvas& canvas) {
    auto& button = static_cast<TNavButton&>(ctl);
    TRect r{0, 0, ctl.Width(), ctl.Height()};
    canvas.Brush()->SetStyle(bsSolid);
    canvas.Brush()->SetColor(clBtnFace);
    canvas.FillRect(r);
    auto* nav = dynamic_cast<TDBNavigator*>(ctl.Parent());
    if (!nav || !nav->Flat()) Frame3D(canvas, r, clBtnHighlight, clBtnShadow, 1);
    static const char* const symbols[] = {"|◀", "◀", "▶", "▶|", "+", "−", "▲", "✓", "✗", "↻"};
    int index = static_cast<int>(button.Index());
    if (index < 0 || index >= 10) return;
    TFont font;
    font.SetName("DejaVu Sans");
    font.SetHeight(-std::clamp(ctl.Height() - 10, 8, 14));
    canvas.SetFont(&font);
    canvas.Font()->SetColor(ctl.Enabled() && (!nav || nav->Enabled()) ? clBtnText : clGrayText);
    canvas.Brush()->SetStyle(bsClear);
    TRect text{0, 0, ctl.Width(), ctl.Height()};
    canvas.DrawText(symbols[index], text, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
}

// A form's window: the background in the form's colour, the form's own Paint, then OnPaint on the
// form's Canvas, which covers the same picture while the handler runs.
void PaintForm(TControl& ctl, TCanvas& canvas) {
    auto& form = static_cast<TCustomForm&>(ctl);
    canvas.Brush()->SetStyle(bsSolid);
    canvas.Brush()->SetColor(form.Color());
    canvas.FillRect({0, 0, form.ClientWidth(), form.ClientHeight()});
    form.Paint(canvas);
    auto* engine = dynamic_cast<TQtPaintEngine*>(canvas.Engine());
    if (!form.OnPaint.Assigned() || !engine) return;
    TCanvas* own = form.Canvas();
    own->SetEngine(std::make_unique<TQtPaintEngine>(engine->Image(), engine->Origin()));
    own->ResetClipRect();
    own->SetFont(form.Font());
    own->Brush()->SetStyle(bsSolid);
    own->Brush()->SetColor(form.Color());
    try {
        form.OnPaint(&form);
    } catch (const std::exception&) {
        // A failing handler leaves the picture as far as it got; a paint event carries nothing back.
    }
    own->SetEngine(nullptr);
}

// The default drawing of a group box: an etched frame with the caption set into its top line.
void PaintGroupBox(TControl& ctl, TCanvas& canvas) {
    std::string caption = StripHotkey(ctl.Caption());
    TTextSize sz = canvas.TextExtent(caption.empty() ? std::string("0") : caption);
    int top = sz.cy / 2;
    TRect frame{0, top, ctl.Width(), ctl.Height()};
    canvas.Brush()->SetColor(clBtnShadow);
    canvas.FrameRect(frame);
    canvas.Brush()->SetColor(clBtnHighlight);
    canvas.FrameRect({1, top + 1, ctl.Width(), ctl.Height()});
    canvas.Brush()->SetColor(clBtnShadow);
    canvas.FrameRect({0, top, ctl.Width() - 1, ctl.Height() - 1});
    if (caption.empty()) return;
    canvas.Brush()->SetStyle(bsSolid);
    canvas.Brush()->SetColor(ctl.Color());
    canvas.SetFont(ctl.Font());
    if (!ctl.Enabled()) canvas.Font()->SetColor(clGrayText);
    TRect r{8, 0, 8 + sz.cx + 2, sz.cy};
    canvas.FillRect(r);
    canvas.Brush()->SetStyle(bsClear);
    canvas.TextOut(9, 0, caption);
}

// The default drawing of a tab control: the model lays the tabs out (TabRect); the selected one
// stands out and joins the body.
void PaintTabControl(TControl& ctl, TCanvas& canvas) {
    auto& tabs = static_cast<TCustomTabControl&>(ctl);
    int top = tabs.TabsHeight();
    canvas.Brush()->SetColor(clBtnShadow);
    canvas.FrameRect({0, top, ctl.Width(), ctl.Height()});
    canvas.SetFont(ctl.Font());
    for (int i = 0; i < tabs.Tabs()->Count(); ++i) {
        TRect r = tabs.TabRect(i);
        bool selected = i == tabs.TabIndex();
        if (selected) r = {r.Left - 2, r.Top - 2, r.Right + 2, r.Bottom + 1};
        canvas.Brush()->SetStyle(bsSolid);
        canvas.Brush()->SetColor(selected ? clBtnHighlight : ctl.Color());
        canvas.FillRect(r);
        canvas.Brush()->SetColor(clBtnShadow);
        canvas.FrameRect({r.Left, r.Top, r.Right, r.Bottom + (selected ? 0 : 1)});
        canvas.Brush()->SetStyle(bsClear);
        std::string caption = tabs.Tabs()->Strings(i);
        TRect text = r;
        canvas.DrawText(caption, text, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    }
}

// The default drawing of a list view: header and rows (report), or the captions where the model
// lays the items out; selected items in the highlight colours.
void PaintListView(TControl& ctl, TCanvas& canvas) {
    auto& lv = static_cast<TCustomListView&>(ctl);
    TRect all{0, 0, ctl.Width(), ctl.Height()};
    canvas.SetFont(ctl.Font());
    int header = lv.ViewStyle() == vsReport ? lv.HeaderHeight() : 0;
    std::vector<std::pair<int, int>> cols;  // left, right of each column
    for (int i = 0, x = 0; i < lv.Columns()->Count(); ++i) {
        int w = static_cast<TListColumn*>(lv.Columns()->Items(i))->Width();
        cols.push_back({x, x + w});
        x += w;
    }
    if (header > 0) {
        for (size_t i = 0; i < cols.size(); ++i) {
            TRect r{cols[i].first, 0, cols[i].second, header};
            canvas.Brush()->SetStyle(bsSolid);
            canvas.Brush()->SetColor(clBtnFace);
            canvas.FillRect(r);
            canvas.Brush()->SetColor(clBtnShadow);
            canvas.FrameRect(r);
            canvas.Brush()->SetStyle(bsClear);
            TRect text{r.Left + 4, r.Top, r.Right - 2, r.Bottom};
            canvas.DrawText(static_cast<TListColumn*>(lv.Columns()->Items(i))->Caption(), text,
                            DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
        }
    }
    canvas.SetClipRect({0, header, ctl.Width(), ctl.Height()});
    for (int i = 0; i < lv.Items()->Count(); ++i) {
        TListItem* item = lv.Items()->Item(i);
        TRect r = lv.ItemRect(item, drBounds);
        if (r.Bottom <= header || r.Top >= ctl.Height()) continue;
        bool selected = item->Selected();
        canvas.Font()->SetColor(selected ? clHighlightText : ctl.Font()->Color());
        if (selected) {
            canvas.Brush()->SetStyle(bsSolid);
            canvas.Brush()->SetColor(clHighlight);
            canvas.FillRect(r);
        }
        canvas.Brush()->SetStyle(bsClear);
        if (lv.ViewStyle() == vsReport && !cols.empty()) {
            for (size_t c = 0; c < cols.size(); ++c) {
                std::string text = c == 0 ? item->Caption()
                                   : static_cast<int>(c) - 1 < item->SubItems()->Count() ? item->SubItems()->Strings(static_cast<int>(c) - 1)
                                                                                         : std::string();
                TRect cell{cols[c].first + 4, r.Top, cols[c].second - 2, r.Bottom};
                canvas.DrawText(text, cell, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
            }
        } else {
            TRect label = lv.ItemRect(item, drLabel);
            canvas.DrawText(item->Caption(), label, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
        }
    }
    canvas.ResetClipRect();
    canvas.Brush()->SetColor(clBtnShadow);
    canvas.FrameRect(all);
}

// ---- Widgets -------------------------------------------------------------------------------

// Windows and generic controls: painted through the model's canvas.
class XqPainted : public QWidget {
public:
    explicit XqPainted(QWidget* parent) : QWidget(parent) {}
    bool Syncing = false;

protected:
    void paintEvent(QPaintEvent*) override {
        TWinControl* c = QtControlOf(this);
        if (!c) return;
        QImage img = PaintControlImage(c, size());
        QPainter p(this);
        p.drawImage(0, 0, img);
    }
    void closeEvent(QCloseEvent* e) override {
        // The model decides whether the window closes (OnCloseQuery, OnClose, modal result).
        e->ignore();
        if (TWinControl* c = QtControlOf(this)) {
            SendMessage(c->Handle(), WM_CLOSE);
            while (Application->ProcessMessage()) {
            }
        }
    }
    void resizeEvent(QResizeEvent* e) override {
        QWidget::resizeEvent(e);
        auto* f = dynamic_cast<TCustomForm*>(QtControlOf(this));
        if (!f || Syncing || !isWindow()) return;
        int dw = f->Width() - f->ClientWidth(), dh = f->Height() - f->ClientHeight();
        if (width() + dw != f->Width() || height() + dh != f->Height())
            f->SetBounds(f->Left(), f->Top(), width() + dw, height() + dh);
    }
    void moveEvent(QMoveEvent* e) override {
        QWidget::moveEvent(e);
        auto* f = dynamic_cast<TCustomForm*>(QtControlOf(this));
        if (!f || Syncing || !isWindow()) return;
        QPoint p = frameGeometry().topLeft();
        if (p.x() != f->Left() || p.y() != f->Top()) f->SetBounds(p.x(), p.y(), f->Width(), f->Height());
    }
};

// The window of a form with a main menu: the menu bar on top, the form's client area (its peer's
// widget) below it at the model's client size. The bar lies outside the client area as the
// original's did, so the children stay where the model places them.
class XqFrame : public QWidget {
public:
    XqFrame(HWND form, QWidget* client) : QWidget(nullptr, Qt::Window), fForm(form), fClient(client) {}
    bool Syncing = false;
    XqMenuBar* Bar = nullptr;
    // The bar's height at the window's width (it wraps when its items do not fit in one row).
    int BarHeight() const {
        if (!Bar || Bar->isHidden()) return 0;
        int h = Bar->heightForWidth(width());
        return h > 0 ? h : Bar->sizeHint().height();
    }
    // Places the bar and the client area inside the window.
    void Arrange() {
        int bar = BarHeight();
        if (Bar) Bar->setGeometry(0, 0, width(), bar);
        if (fClient) fClient->setGeometry(0, bar, width(), std::max(1, height() - bar));
    }

protected:
    void closeEvent(QCloseEvent* e) override {
        e->ignore();  // the model decides
        if (FindControl(fForm)) {
            SendMessage(fForm, WM_CLOSE);
            while (Application->ProcessMessage()) {
            }
        }
    }
    void resizeEvent(QResizeEvent* e) override {
        QWidget::resizeEvent(e);
        Arrange();
        auto* f = dynamic_cast<TCustomForm*>(FindControl(fForm));
        if (!f || Syncing) return;
        int w = width(), h = height() - BarHeight();
        int dw = f->Width() - f->ClientWidth(), dh = f->Height() - f->ClientHeight();
        if (w + dw != f->Width() || h + dh != f->Height()) f->SetBounds(f->Left(), f->Top(), w + dw, h + dh);
    }
    void moveEvent(QMoveEvent* e) override {
        QWidget::moveEvent(e);
        auto* f = dynamic_cast<TCustomForm*>(FindControl(fForm));
        if (!f || Syncing) return;
        QPoint p = frameGeometry().topLeft();
        if (p.x() != f->Left() || p.y() != f->Top()) f->SetBounds(p.x(), p.y(), f->Width(), f->Height());
    }

private:
    HWND fForm;
    QPointer<QWidget> fClient;
};

// The text side of a radio button: its Alignment (a "TLeftRight"), read by name for the radio
// buttons of control libraries.
bool TextOnLeft(TControl* c) {
    if (auto* rb = dynamic_cast<TRadioButton*>(c)) return rb->Alignment() == taLeftJustify;
    const TPropInfo* p = GetPropInfo(c, "Alignment");
    return p && p->GetOrd && GetOrdProp(c, p) == taLeftJustify;
}

// A radio button: the style draws the circle, the model's canvas the caption over it (the
// class's paint-over, else the painter registered for it).
class XqRadioButton : public QRadioButton {
public:
    XqRadioButton() { setAutoExclusive(false); }  // the model unchecks the others

protected:
    void paintEvent(QPaintEvent*) override {
        TWinControl* c = QtControlOf(this);
        if (!c) return;
        QImage img(size(), QImage::Format_RGB32);
        img.fill(QtColor(c->Color()));
        {
            QPainter p(&img);
            QStyleOptionButton opt;
            initStyleOption(&opt);
            opt.text.clear();
            opt.icon = QIcon();
            opt.state &= ~QStyle::State_HasFocus;  // the caption's focus rectangle is the model's
            opt.direction = TextOnLeft(c) ? Qt::RightToLeft : Qt::LeftToRight;
            style()->drawControl(QStyle::CE_RadioButton, &opt, &p, this);
        }
        if (TQtPainter over = OverPainterFor(*c->ClassType())) {
            TCanvas canvas(std::make_unique<TQtPaintEngine>(&img));
            canvas.SetFont(c->Font());
            canvas.Brush()->SetColor(c->Color());
            try {
                over(*c, canvas);
            } catch (const std::exception&) {
                // Nothing to carry a failure back to from a paint event; the native part stays.
            }
        }
        QPainter p(this);
        p.drawImage(0, 0, img);
    }
};

// A combo box: in the owner-drawn styles its face shows the selected item as the model draws it.
// Its native list opens and closes with the model's DroppedDown: opening asks the model first
// (OnDropDown may still fill the items), closing tells it once a pick made in the list has been
// reported (OnCloseUp after OnSelect, as SelectFromList closes an open list).
class XqComboBox : public QComboBox {
public:
    using QComboBox::QComboBox;
    bool Open() const { return fOpen; }
    void showPopup() override;
    // Closed natively and not yet told to the model (a pick is still being reported).
    bool Closing() const { return fClosing; }
    void hidePopup() override {
        fOpen = false;
        QComboBox::hidePopup();
        TWinControl* c = QtControlOf(this);
        if (!c) return;
        HWND h = c->Handle();
        fClosing = true;
        QPointer<XqComboBox> self(this);
        QMetaObject::invokeMethod(this, [h, self] {
            if (self) self->fClosing = false;
            auto* m = dynamic_cast<TCustomComboBox*>(FindControl(h));
            if (m && m->DroppedDown()) m->SetDroppedDown(false);
        }, Qt::QueuedConnection);
    }

protected:
    void paintEvent(QPaintEvent* e) override {
        auto* m = dynamic_cast<TCustomComboBox*>(QtControlOf(this));
        if (!m || !IsOwnerDrawn(m)) {
            QComboBox::paintEvent(e);
            return;
        }
        PaintOwnerDrawnComboFace(this, *m);
    }

private:
    bool fOpen = false;
    bool fClosing = false;
};

void DrainModelQueue();
void SyncShownForms();

// ---- Peers ---------------------------------------------------------------------------------

class TQtPeer : public TWidgetPeer {
public:
    TQtPeer(TWinControl* c, TQtPeerKind kind) : TWidgetPeer(c), fKind(kind) {
        QWidget* w = nullptr;
        switch (kind) {
            case TQtPeerKind::Edit: w = new QLineEdit(); break;
            case TQtPeerKind::Button: w = new QPushButton(); break;
            case TQtPeerKind::CheckBox: w = new QCheckBox(); break;
            case TQtPeerKind::RadioButton: w = new XqRadioButton(); break;
            case TQtPeerKind::ComboBox: {
                auto* cb = new XqComboBox();
                cb->setItemDelegate(new TQtItemDelegate(c->Handle(), cb));
                // A choice in the native list is the user's choice in the model.
                HWND h = c->Handle();
                QObject::connect(cb, &QComboBox::activated, cb, [h](int index) {
                    if (auto* combo = dynamic_cast<TCustomComboBox*>(FindControl(h))) combo->SelectFromList(index);
                    DrainModelQueue();
                });
                w = cb;
                break;
            }
            case TQtPeerKind::ListBox: {
                auto* list = new QListWidget();
                // Rows as high as the model's, scrolled a row at a time, so the row under the
                // pointer is the one the model finds there (its client area is the viewport).
                list->setItemDelegate(new TQtItemDelegate(c->Handle(), list));
                list->setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
                HWND h = c->Handle();
                QObject::connect(list->verticalScrollBar(), &QScrollBar::valueChanged, list, [h](int top) {
                    auto* m = dynamic_cast<TCustomListBox*>(FindControl(h));
                    if (m && m->TopIndex() != top) m->SetTopIndex(top);
                });
                w = list;
                break;
            }
            case TQtPeerKind::Memo: {
                auto* m = new QPlainTextEdit();
                m->viewport()->setFocusPolicy(Qt::NoFocus);
                w = m;
                break;
            }
            default: w = new XqPainted(nullptr); break;
        }
        if (auto* anim = dynamic_cast<TAnimate*>(c)) {
            // The model keeps no timer: an active animation moves on a frame every FrameInterval
            // while Qt's loop runs (not while the program blocks in a call of its own).
            auto* timer = new QTimer(w);
            timer->setInterval(anim->FrameInterval());
            HWND h = c->Handle();
            QObject::connect(timer, &QTimer::timeout, w, [h] {
                auto* a = dynamic_cast<TAnimate*>(FindControl(h));
                if (a && a->Active() && a->Visible()) a->NextFrame();
            });
            timer->start();
        }
        w->setProperty(HandleProperty, static_cast<uint>(c->Handle()));
        // Qt never moves the focus by itself: the model decides and the peer follows.
        w->setFocusPolicy(Qt::NoFocus);
        w->setAttribute(Qt::WA_InputMethodEnabled, kind == TQtPeerKind::Edit || kind == TQtPeerKind::Memo ||
                                                        kind == TQtPeerKind::ComboBox);
        fWidget = w;
        Changed(c, TPeerChange::All);
    }
    ~TQtPeer() override {
        if (!fWidget) return;
        // Child peers outlive this widget only when dropped later; keep their widgets alive.
        for (QObject* o : fWidget->children())
            if (auto* cw = qobject_cast<QWidget*>(o); cw && cw->property(HandleProperty).isValid()) {
                cw->hide();
                cw->setParent(nullptr);
            }
        delete fWidget.data();
        delete fFrame.data();
    }
    QWidget* Widget() const { return fWidget; }
    // The window of a top-level form: its frame when it has a menu bar, else the client widget.
    QWidget* Window() const { return fFrame ? fFrame.data() : fWidget.data(); }
    QMenuBar* MenuBar() const { return fFrame ? fFrame->Bar : nullptr; }
    // A form's menu bar re-reads the model's menu when it changed.
    void SyncMenuBar() {
        if (fFrame && fFrame->Bar && fFrame->Bar->Sync()) SyncMenu(dynamic_cast<TCustomForm*>(Control()));
    }
    TQtPeerKind Kind() const { return fKind; }

    void Changed(TControl* which, TPeerChange what) override {
        if (!fWidget) return;
        if (which != Control()) {
            fWidget->update();  // a graphic child: repaint where it lies
            return;
        }
        TWinControl* c = Control();
        auto* form = dynamic_cast<TCustomForm*>(c);
        auto* painted = dynamic_cast<XqPainted*>(fWidget.data());
        if (painted) painted->Syncing = true;
        if (fFrame) fFrame->Syncing = true;
        switch (what) {
            case TPeerChange::Bounds: SyncBounds(form); break;
            case TPeerChange::Visible: case TPeerChange::WindowState: SyncVisible(form); break;
            case TPeerChange::Enabled: fWidget->setEnabled(c->Enabled()); break;
            case TPeerChange::Text: SyncText(form); break;
            case TPeerChange::Font: case TPeerChange::Color: SyncLook(); break;
            case TPeerChange::Cursor: fWidget->setCursor(CursorShapeOf(c->Cursor())); break;
            case TPeerChange::ZOrder: case TPeerChange::Children: SyncParent(form); Restack(); break;
            case TPeerChange::Style: SyncMenu(form); SyncStyle(form); SyncStateLater(); break;
            case TPeerChange::Hint: case TPeerChange::Focus: break;  // hints are read when shown
            case TPeerChange::Created: case TPeerChange::All:
                SyncParent(form);
                SyncMenu(form);
                SyncStyle(form);
                SyncLook();
                SyncText(form);
                fWidget->setEnabled(c->Enabled());
                fWidget->setCursor(CursorShapeOf(c->Cursor()));
                SyncBounds(form);
                SyncVisible(form);
                break;
        }
        if (painted) painted->Syncing = false;
        if (fFrame) fFrame->Syncing = false;
        fWidget->update();
        if (fKind == TQtPeerKind::Generic) SyncQtScrollBarsLater(c, fWidget);  // bounds, counts
    }
    void Invalidate(TControl*) override {
        if (!fWidget) return;
        fWidget->update();
        SyncStateLater();
        // Scrolling, items added or removed: the painted control's bars follow (QtScrolling.h).
        if (fKind == TQtPeerKind::Generic) SyncQtScrollBarsLater(Control(), fWidget);
    }
    void Update() override {
        if (!fWidget || !fWidget->isVisible()) return;
        // A window shown a moment ago is exposed by the platform a little later; painting "now"
        // (a wait window before the blocking work that follows) must not be lost to that.
        if (QWindow* handle = fWidget->window()->windowHandle(); handle && !handle->isExposed()) {
            QElapsedTimer t;
            t.start();
            while (!handle->isExposed() && t.elapsed() < 1000)
                QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents, 20);
        }
        fWidget->repaint();
    }
    void SetFocus() override {
        if (!fWidget) return;
        fWidget->setFocus(Qt::OtherFocusReason);
        SyncCaret();
    }
    void BringToForeground() override {
        if (!fWidget) return;
        QWidget* win = fWidget->window();
        if (win->isMinimized()) win->showNormal();
        if (!win->isVisible() && Control()->Visible()) win->show();
        if (QGuiApplication::platformName() != QLatin1String("offscreen")) win->raise();  // nothing to raise there
        win->activateWindow();
    }

    // The caret and selection of an edit as the model holds them.
    void SyncCaret() {
        auto* le = qobject_cast<QLineEdit*>(fWidget.data());
        auto* edit = dynamic_cast<TCustomEdit*>(Control());
        if (!le || !edit) return;
        const std::string& t = edit->Text();
        int start = Utf16Index(t, edit->SelStart());
        int end = Utf16Index(t, edit->SelStart() + edit->SelLength());
        if (end > start) le->setSelection(start, end - start);
        else le->setCursorPosition(start);
    }

private:
    void SyncParent(TCustomForm* form) {
        if (form && !form->Parent()) return;  // a window of its own
        QWidget* parent = Control()->Parent() ? QtWidgetOf(Control()->Parent()) : nullptr;
        if (fWidget->parentWidget() != parent) {
            fWidget->setParent(parent);
            SyncBounds(form);
            SyncVisible(form);
        }
    }
    void Restack() {
        TWinControl* parent = Control()->Parent();
        if (!parent) return;
        for (TControl* sib : parent->ControlList())
            if (auto* w = dynamic_cast<TWinControl*>(sib); w && w->HandleAllocated())
                if (auto* p = dynamic_cast<TQtPeer*>(w->Peer()); p && p->Widget()) p->Widget()->raise();
    }
    // A top-level form's window (its client widget, or the frame holding its menu bar).
    bool TopLevel(TCustomForm* form) const { return form && (fFrame || fWidget->isWindow()); }
    // A form with a main menu gets a frame window: the bar above, the client widget below. The
    // frame stays once made (a menu removed later only hides the bar).
    void SyncMenu(TCustomForm* form) {
        if (!form || form->Parent() || !fWidget) return;
        bool wanted = dynamic_cast<TMainMenu*>(form->Menu()) != nullptr;
        if (!fFrame && !wanted) return;
        if (!fFrame) {
            bool shown = fWidget->isVisible();
            auto* frame = new XqFrame(form->Handle(), fWidget);
            frame->Syncing = true;
            frame->setWindowTitle(fWidget->windowTitle());
            frame->setWindowFlags(fWidget->windowFlags());
            frame->setWindowModality(fWidget->windowModality());
            frame->setFocusPolicy(Qt::NoFocus);
            frame->Bar = new XqMenuBar(form->Handle(), [] { DrainModelQueue(); SyncShownForms(); }, frame);
            frame->Bar->setFocusPolicy(Qt::NoFocus);
            fWidget->hide();
            fWidget->setParent(frame);
            fWidget->show();
            fFrame = frame;
            SyncBounds(form);
            if (shown) SyncVisible(form);
            frame->Syncing = false;
        }
        fFrame->Bar->setVisible(wanted);
        fFrame->Bar->Sync();
        SyncBounds(form);
    }
    void SyncBounds(TCustomForm* form) {
        TWinControl* c = Control();
        if (fFrame && TopLevel(form)) {
            fFrame->resize(std::max(1, form->ClientWidth()), std::max(1, form->ClientHeight()) + fFrame->BarHeight());
            fFrame->Arrange();
            fFrame->move(form->Left(), form->Top());
        } else if (TopLevel(form)) {
            fWidget->resize(std::max(1, form->ClientWidth()), std::max(1, form->ClientHeight()));
            fWidget->move(form->Left(), form->Top());
        } else {
            fWidget->setGeometry(c->Left(), c->Top(), std::max(0, c->Width()), std::max(0, c->Height()));
        }
    }
    void SyncVisible(TCustomForm* form) {
        TWinControl* c = Control();
        if (TopLevel(form)) {
            QWidget* win = Window();
            if (!form->Visible()) {
                win->hide();
                return;
            }
            win->setWindowModality(form->Modal() ? Qt::ApplicationModal : Qt::NonModal);
            switch (form->WindowState()) {
                case wsMinimized: win->showMinimized(); break;
                case wsMaximized: win->showMaximized(); break;
                default: win->showNormal(); break;
            }
            return;
        }
        // A control without a parent has nowhere to show.
        fWidget->setVisible(c->Visible() && fWidget->parentWidget());
    }
    void SyncStyle(TCustomForm* form) {
        if (!TopLevel(form)) return;
        QWidget* win = Window();
        Qt::WindowFlags flags = Qt::Window;
        switch (form->BorderStyle()) {
            case bsNone: flags |= Qt::FramelessWindowHint; break;
            case bsDialog: flags = Qt::Dialog; break;
            case bsToolWindow: case bsSizeToolWin: flags = Qt::Tool; break;
            default: break;
        }
        if (form->FormStyle() == fsStayOnTop) flags |= Qt::WindowStaysOnTopHint;
        if (flags != win->windowFlags()) {
            bool shown = win->isVisible();
            win->setWindowFlags(flags);
            if (shown) win->show();
        }
    }
    void SyncLook() {
        TWinControl* c = Control();
        fWidget->setFont(QtFont(*c->Font()));
        QPalette pal = fWidget->palette();
        QColor back = QtColor(c->Color()), text = QtColor(c->Font()->Color());
        pal.setColor(QPalette::Window, back);
        pal.setColor(QPalette::WindowText, text);
        pal.setColor(QPalette::Text, text);
        pal.setColor(QPalette::ButtonText, text);
        if (fKind == TQtPeerKind::Edit) pal.setColor(QPalette::Base, back);
        if (fKind == TQtPeerKind::Button) pal.setColor(QPalette::Button, back);
        fWidget->setPalette(pal);
    }
    void SyncText(TCustomForm* form) {
        TWinControl* c = Control();
        if (form) {
            fWidget->setWindowTitle(QStr(c->Caption()));
            if (fFrame) fFrame->setWindowTitle(QStr(c->Caption()));
            return;
        }
        if (auto* le = qobject_cast<QLineEdit*>(fWidget.data())) {
            QString t = QStr(c->Text());
            if (le->text() != t) le->setText(t);
            if (auto* edit = dynamic_cast<TCustomEdit*>(c)) le->setMaxLength(edit->MaxLength() > 0 ? edit->MaxLength() : 32767);
            SyncCaret();
        } else if (auto* b = qobject_cast<QPushButton*>(fWidget.data())) {
            b->setText(QStr(c->Caption()));
            if (auto* mb = dynamic_cast<TButton*>(c)) b->setDefault(mb->Default());
        } else if (auto* ab = qobject_cast<QAbstractButton*>(fWidget.data())) {
            ab->setText(QStr(c->Caption()));
        }
        SyncState();
    }

public:
    // What the control holds besides its text: check marks, items and selections.
    void SyncState() {
        TWinControl* c = Control();
        SyncMenuBar();
        if (fKind == TQtPeerKind::Generic) SyncQtScrollBars(c, fWidget);
        QSignalBlocker block(fWidget.data());
        if (auto* pb = qobject_cast<QPushButton*>(fWidget.data())) {
            // A press the model no longer holds (a left-button up posted to end the capture, a
            // release lost to a modal window) leaves no pressed look behind.
            if (pb->isDown() && GetCaptureControl() != c) pb->setDown(false);
        } else if (auto* cb = qobject_cast<QCheckBox*>(fWidget.data())) {
            if (auto* m = dynamic_cast<TCustomCheckBox*>(c))
                cb->setCheckState(m->State() == cbChecked ? Qt::Checked
                                  : m->State() == cbGrayed ? Qt::PartiallyChecked
                                                           : Qt::Unchecked);
        } else if (auto* rb = qobject_cast<QRadioButton*>(fWidget.data())) {
            if (auto* m = dynamic_cast<TButtonControl*>(c)) rb->setChecked(m->Checked());
        } else if (auto* combo = qobject_cast<QComboBox*>(fWidget.data())) {
            auto* m = dynamic_cast<TCustomComboBox*>(c);
            if (!m) return;
            QStringList items;
            for (int i = 0; i < m->Items()->Count(); ++i) items << QStr(m->Items()->Strings(i));
            QStringList shown;
            for (int i = 0; i < combo->count(); ++i) shown << combo->itemText(i);
            if (items != shown) {
                combo->clear();
                combo->addItems(items);
            }
            bool editable = m->Style() == csSimple || m->Style() == csDropDown;
            if (combo->isEditable() != editable) combo->setEditable(editable);
            if (auto* view = qobject_cast<QListView*>(combo->view()))
                view->setUniformItemSizes(m->Style() != csOwnerDrawVariable);
            combo->setCurrentIndex(m->ItemIndex());
            combo->setMaxVisibleItems(std::max(1, m->DropDownCount()));
            if (auto* x = dynamic_cast<XqComboBox*>(combo); x && x->isVisible() && !x->Closing() && x->Open() != m->DroppedDown()) {
                // The model opened or closed its list (F4, Alt+arrows, Enter, Esc, code).
                if (m->DroppedDown()) x->showPopup();
                else x->hidePopup();
            }
            if (editable && combo->lineEdit()) {
                combo->lineEdit()->setFocusPolicy(Qt::NoFocus);
                if (combo->lineEdit()->text() != QStr(m->Text())) combo->lineEdit()->setText(QStr(m->Text()));
            }
        } else if (auto* list = qobject_cast<QListWidget*>(fWidget.data())) {
            auto* m = dynamic_cast<TCustomListBox*>(c);
            if (!m) return;
            QStringList items;
            for (int i = 0; i < m->Items()->Count(); ++i) items << QStr(m->Items()->Strings(i));
            bool same = list->count() == items.size();
            for (int i = 0; same && i < list->count(); ++i) same = list->item(i)->text() == items[i];
            if (!same) {
                list->clear();
                list->addItems(items);
            }
            list->setSelectionMode(m->MultiSelect() ? QAbstractItemView::MultiSelection : QAbstractItemView::SingleSelection);
            for (int i = 0; i < list->count(); ++i) list->item(i)->setSelected(m->Selected(i));
            list->setCurrentRow(m->ItemIndex(), QItemSelectionModel::NoUpdate);
            bool uniform = m->Style() != lbOwnerDrawVariable;
            if (list->uniformItemSizes() != uniform) list->setUniformItemSizes(uniform);
            // Heights may have changed with the style, ItemHeight or the measuring handler.
            list->doItemsLayout();
            QScrollBar* bar = list->verticalScrollBar();
            if (bar->value() != m->TopIndex()) {
                QSignalBlocker quiet(bar);
                bar->setValue(m->TopIndex());
            }
            // The view cannot scroll past its last page; the model then takes the top it shows,
            // so its rows stay where they are painted.
            if (list->isVisible() && bar->value() != m->TopIndex()) m->SetTopIndex(bar->value());
            list->viewport()->update();
        } else if (auto* memo = qobject_cast<QPlainTextEdit*>(fWidget.data())) {
            QString t = QStr(c->Text());
            if (memo->toPlainText() != t) memo->setPlainText(t);
        }
    }

private:

    // A change made in code (a selection, a check mark, the owner-draw style) shows without
    // waiting for input; read once the model's operation is over, not in the middle of it.
    void SyncStateLater() {
        if (fStatePending || fKind == TQtPeerKind::Generic || fKind == TQtPeerKind::Form) return;
        fStatePending = true;
        HWND h = Control()->Handle();
        QMetaObject::invokeMethod(fWidget.data(), [h] {
            TWinControl* c = FindControl(h);
            auto* peer = c && c->HandleAllocated() ? dynamic_cast<TQtPeer*>(c->Peer()) : nullptr;
            if (!peer) return;
            peer->fStatePending = false;
            peer->SyncState();
        }, Qt::QueuedConnection);
    }

    QPointer<QWidget> fWidget;
    QPointer<XqFrame> fFrame;  // a top-level form's window holding its menu bar
    TQtPeerKind fKind;
    bool fStatePending = false;
};

// ---- Input into the model ------------------------------------------------------------------

// Runs the messages the input posted (not Qt's events: we may be inside one).
void DrainModelQueue() {
    while (Application->ProcessMessage()) {
    }
}

// Input may have changed state the model does not report (check marks, selections, carets):
// every peer on the form reads its control again.
void SyncStates(TWinControl* c) {
    if (!c || !c->HandleAllocated()) return;
    if (auto* p = dynamic_cast<TQtPeer*>(c->Peer())) p->SyncState();
    for (TControl* child : c->ControlList()) SyncStates(dynamic_cast<TWinControl*>(child));
}

void SyncFocusedCaret() {
    TWinControl* f = FindFocusedControl();
    if (f && f->HandleAllocated())
        if (auto* p = dynamic_cast<TQtPeer*>(f->Peer())) p->SyncCaret();
}

void XqComboBox::showPopup() {
    auto* m = dynamic_cast<TCustomComboBox*>(QtControlOf(this));
    if (m) {
        HWND h = m->Handle();
        m->SetDroppedDown(true);
        DrainModelQueue();
        m = dynamic_cast<TCustomComboBox*>(FindControl(h));
        if (!m || !m->DroppedDown() || !isVisible()) return;  // freed, closed or hidden by OnDropDown
        fOpen = true;  // before reading the model, which would otherwise open the list again
        if (auto* peer = dynamic_cast<TQtPeer*>(m->Peer())) peer->SyncState();  // items OnDropDown filled
    }
    fOpen = true;
    QComboBox::showPopup();
}

// Every peer of the shown forms reads its control again (after input, after posted messages).
void SyncShownForms() {
    for (int i = 0; i < Screen->FormCount(); ++i)
        if (Screen->Forms(i)->Visible()) SyncStates(Screen->Forms(i));
    SyncFocusedCaret();
}

// A key as the platform delivers it (see PressKey): dialog key first, key down with the form's
// key preview, the characters Qt says the key produced, key up.
void DeliverKey(TWinControl* target, uint16_t vk, TShiftState shift, const QString& text) {
    TShiftState saved = KeyboardShiftState();
    SetKeyboardShiftState(shift);
    HWND h = target->Handle();
    bool alt = shift.Contains(ssAlt);
    bool handled = false;
    if (vk) {
        handled = SendMessage(h, alt ? CN_SYSKEYDOWN : CN_KEYDOWN, vk, 0) != 0;
        if (!handled && IsWindow(h)) SendMessage(h, alt ? WM_SYSKEYDOWN : WM_KEYDOWN, vk, 0);
    }
    if (!handled && IsWindow(h)) {
        std::string chars;
        bool printable = !text.isEmpty() && text[0].unicode() >= 0x20 && text[0].unicode() != 0x7F;
        if (vk && (alt || shift.Contains(ssCtrl) || !printable)) {
            if (char ch = KeyToChar(vk, shift)) chars.assign(1, ch);
        } else if (printable) {
            chars = text.toStdString();
        }
        for (char ch : chars) {
            if (!IsWindow(h)) break;
            if (alt) SendMessage(h, CN_SYSCHAR, static_cast<unsigned char>(ch), 0);
            else if (SendMessage(h, CN_CHAR, static_cast<unsigned char>(ch), 0) == 0 && IsWindow(h))
                SendMessage(h, WM_CHAR, static_cast<unsigned char>(ch), 0);
        }
    }
    if (vk && IsWindow(h)) SendMessage(h, alt ? WM_SYSKEYUP : WM_KEYUP, vk, 0);
    SetKeyboardShiftState(saved);
}

// Keys go to the control the model has focused on that window (else to the form).
TWinControl* KeyTarget(TWinControl* shown) {
    TCustomForm* form = GetParentForm(shown);
    TWinControl* focused = FindFocusedControl();
    if (focused && (!form || GetParentForm(focused) == form)) return focused;
    return form ? form : shown;
}

uint32_t MouseKeys(QMouseEvent* me) {
    uint32_t k = 0;
    if (me->buttons() & Qt::LeftButton) k |= MK_LBUTTON;
    if (me->buttons() & Qt::RightButton) k |= MK_RBUTTON;
    if (me->buttons() & Qt::MiddleButton) k |= MK_MBUTTON;
    if (me->modifiers() & Qt::ShiftModifier) k |= MK_SHIFT;
    if (me->modifiers() & Qt::ControlModifier) k |= MK_CONTROL;
    return k;
}

// The application's style with the model's hint timing: a tool tip comes up after
// Application->HintPause() (the time it stays is given when it is shown).
class XqStyle : public QProxyStyle {
public:
    using QProxyStyle::QProxyStyle;
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* data) const override {
        if (hint == SH_ToolTip_WakeUpDelay && Application) return std::max(0, Application->HintPause());
        return QProxyStyle::styleHint(hint, option, widget, data);
    }
};

class XqInputFilter : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* obj, QEvent* e) override {
        if (!gQt) return false;
        auto* w = qobject_cast<QWidget*>(obj);
        if (!w) return false;
        switch (e->type()) {
            case QEvent::ShortcutOverride: case QEvent::KeyPress: case QEvent::KeyRelease: case QEvent::InputMethod:
            case QEvent::MouseButtonPress: case QEvent::MouseButtonRelease: case QEvent::MouseButtonDblClick:
            case QEvent::MouseMove: case QEvent::ToolTip:
                break;
            default:
                return false;
        }
        TWinControl* c = QtControlOf(w);
        if (!c) return false;
        QWidget* shown = QtWidgetOf(c);
        // A native widget's own pop-up (a combo box's list) is left to Qt entirely.
        if (!shown || w->window() != shown->window()) return false;
        switch (e->type()) {
            case QEvent::ShortcutOverride:
                // No Qt shortcut or mnemonic acts on our windows: the key goes to the model.
                e->accept();
                return true;
            case QEvent::KeyPress: {
                auto* ke = static_cast<QKeyEvent*>(e);
                TShiftState shift = ShiftOf(ke->modifiers());
                if (ke->key() == Qt::Key_Backtab) shift.Include(ssShift);
                uint16_t vk = VirtualKeyOf(ke->key());
                if (vk == VK_SHIFT || vk == VK_CONTROL || vk == VK_MENU) return true;
                DeliverKey(KeyTarget(c), vk, shift, ke->text());
                AfterInput();
                return true;
            }
            case QEvent::KeyRelease:
                return true;  // the model had its key up with the press
            case QEvent::InputMethod: {
                auto* ie = static_cast<QInputMethodEvent*>(e);
                if (!ie->commitString().isEmpty()) TypeText(ie->commitString().toStdString(), KeyTarget(c));
                AfterInput();
                return true;
            }
            case QEvent::MouseButtonPress:
            case QEvent::MouseButtonRelease:
            case QEvent::MouseButtonDblClick:
            case QEvent::MouseMove: {
                auto* me = static_cast<QMouseEvent*>(e);
                if (e->type() == QEvent::MouseMove && me->buttons() == Qt::NoButton) return false;
                QPoint p = shown->mapFromGlobal(me->globalPosition().toPoint());
                // A list box's client area is its view, inside the frame.
                if (auto* list = qobject_cast<QListWidget*>(shown))
                    p = list->viewport()->mapFromGlobal(me->globalPosition().toPoint());
                TControl* target = c;
                if (TControl* g = QtGraphicChildAt(c, p)) {
                    target = g;
                    p -= QPoint(g->Left(), g->Top());
                }
                // A control that is disabled (or on a disabled parent) takes no mouse input.
                bool enabled = true;
                for (TControl* t = target; t; t = t->Parent()) enabled = enabled && t->Enabled();
                if (!enabled) return true;
                uint32_t msg = 0;
                bool right = me->button() == Qt::RightButton;
                switch (e->type()) {
                    case QEvent::MouseButtonPress: msg = right ? WM_RBUTTONDOWN : WM_LBUTTONDOWN; break;
                    case QEvent::MouseButtonDblClick: msg = right ? WM_RBUTTONDOWN : WM_LBUTTONDBLCLK; break;
                    case QEvent::MouseButtonRelease: msg = right ? WM_RBUTTONUP : WM_LBUTTONUP; break;
                    default: msg = WM_MOUSEMOVE; break;
                }
                if (me->button() == Qt::MiddleButton) return true;
                TComponentWatch watch(target);
                target->Perform(msg, MouseKeys(me), MakeLParam(p.x(), p.y()));
                AfterInput();
                // A push button may still show its pressed look and a combo box opens its native
                // list (its choice comes back through SelectFromList); nothing else reaches Qt.
                auto* peer = watch.Target ? dynamic_cast<TQtPeer*>(c->Peer()) : nullptr;
                return !(peer && target == c &&
                         (peer->Kind() == TQtPeerKind::Button || peer->Kind() == TQtPeerKind::ComboBox));
            }
            case QEvent::ToolTip: {
                auto* he = static_cast<QHelpEvent*>(e);
                QPoint p = shown->mapFromGlobal(he->globalPos());
                TControl* target = c;
                if (TControl* g = QtGraphicChildAt(c, p)) target = g;
                std::string hint = ShortHint(target->Hint());
                QRect area;  // where the tip stays; leaving it hides the tip
                if (auto* grid = dynamic_cast<TStringAlignGrid*>(target)) {
                    // Over a cell, that cell's hint (its own or the grid's, as OnShowHintCell
                    // leaves it); moving to another cell asks again.
                    TGridCoord cell = grid->MouseCoord(p.x(), p.y());
                    if (cell.X >= 0 && cell.Y >= 0) {
                        std::string cellHint;
                        hint = grid->HintForCell(cell.X, cell.Y, cellHint) ? ShortHint(cellHint) : std::string();
                        TRect r = grid->CellRect(cell.X, cell.Y);
                        area = QRect(r.Left, r.Top, r.Width(), r.Height());
                    }
                }
                if (Application->ShowHint() && target->ShowHint() && !hint.empty()) {
                    QToolTip::setFont(QtFont(*Screen->HintFont()));
                    QToolTip::showText(he->globalPos(), QStr(hint), shown, area, Application->HintHidePause());
                } else {
                    QToolTip::hideText();
                }
                return true;
            }
            default:
                return false;
        }
    }

private:
    static void AfterInput() {
        DrainModelQueue();
        SyncShownForms();
    }
};

}  // namespace

// ---- Fonts and colours ---------------------------------------------------------------------

std::string QtFontFamily(const std::string& name) {
    static const std::map<std::string, std::string> map = {
        {"宋体", "WenQuanYi Zen Hei"},      {"SimSun", "WenQuanYi Zen Hei"},   {"新宋体", "WenQuanYi Zen Hei"},
        {"NSimSun", "WenQuanYi Zen Hei"},   {"细明体", "WenQuanYi Zen Hei"},   {"MingLiU", "WenQuanYi Zen Hei"},
        {"新细明体", "WenQuanYi Zen Hei"},  {"PMingLiU", "WenQuanYi Zen Hei"}, {"黑体", "WenQuanYi Zen Hei"},
        {"SimHei", "WenQuanYi Zen Hei"},    {"Tahoma", "DejaVu Sans"},         {"MS Sans Serif", "DejaVu Sans"},
        {"Arial", "DejaVu Sans"},           {"Verdana", "DejaVu Sans"},        {"Microsoft Sans Serif", "DejaVu Sans"},
        {"Courier New", "DejaVu Sans Mono"}, {"Courier", "DejaVu Sans Mono"},  {"Times New Roman", "DejaVu Serif"},
    };
    auto it = map.find(name);
    if (it != map.end()) return it->second;
    for (auto& [k, v] : map)
        if (QString::compare(QStr(k), QStr(name), Qt::CaseInsensitive) == 0) return v;
    return name.empty() ? std::string("DejaVu Sans") : name;
}

QFont QtFont(const TFont& font) {
    QFont f;
    // The CJK face backs every face, so Chinese text shows whatever the face.
    f.setFamilies({QStr(QtFontFamily(font.Name())), QStringLiteral("WenQuanYi Zen Hei")});
    f.setPixelSize(std::max(1, font.PixelHeight()));
    f.setBold(font.Style().Contains(fsBold));
    f.setItalic(font.Style().Contains(fsItalic));
    f.setUnderline(font.Style().Contains(fsUnderline));
    f.setStrikeOut(font.Style().Contains(fsStrikeOut));
    if (font.Pitch() == fpFixed) f.setFixedPitch(true);
    return f;
}

QColor QtColor(TColor color) {
    TColor rgb = ColorToRGB(color);
    return QColor(rgb & 0xFF, (rgb >> 8) & 0xFF, (rgb >> 16) & 0xFF);
}

// ---- Registries ----------------------------------------------------------------------------

void RegisterQtPainter(const TClassInfo& cls, TQtPainter painter) { Painters()[&cls] = std::move(painter); }

const TQtPainter* FindQtPainter(const TClassInfo& cls) {
    for (auto* c = &cls; c; c = c->Parent) {
        auto it = Painters().find(c);
        if (it != Painters().end()) return &it->second;
    }
    return nullptr;
}

void RegisterQtPeerKind(const TClassInfo& cls, TQtPeerKind kind) { PeerKinds()[&cls] = kind; }

QWidget* QtWidgetOf(TWinControl* control) {
    if (!control || !gQt || &WidgetSet() != gQt) return nullptr;
    control->HandleNeeded();
    auto* p = dynamic_cast<TQtPeer*>(control->Peer());
    return p ? p->Widget() : nullptr;
}

TWinControl* QtControlOf(QWidget* widget) {
    for (QWidget* w = widget; w; w = w->parentWidget()) {
        QVariant v = w->property(HandleProperty);
        if (v.isValid()) return FindControl(static_cast<HWND>(v.toUInt()));
    }
    return nullptr;
}

// ---- The widgetset -------------------------------------------------------------------------

struct TQtWidgetSet::TImpl {
    XqInputFilter* Filter = nullptr;
    QTimer* Drain = nullptr;
    int Pumping = 0;
    bool OverrideCursor = false;
};

TQtWidgetSet::TQtWidgetSet() : fImpl(new TImpl) {
    RegisterQtPeerKind(TCustomForm::StaticClass(), TQtPeerKind::Form);
    RegisterQtPeerKind(TCustomEdit::StaticClass(), TQtPeerKind::Edit);
    RegisterQtPeerKind(TButton::StaticClass(), TQtPeerKind::Button);
    RegisterQtPeerKind(TCustomCheckBox::StaticClass(), TQtPeerKind::CheckBox);
    RegisterQtPeerKind(TRadioButton::StaticClass(), TQtPeerKind::RadioButton);
    RegisterQtPeerKind(TCustomComboBox::StaticClass(), TQtPeerKind::ComboBox);
    RegisterQtPeerKind(TCustomListBox::StaticClass(), TQtPeerKind::ListBox);
    RegisterQtPeerKind(TCustomMemo::StaticClass(), TQtPeerKind::Memo);
    RegisterQtPainter(TCustomGroupBox::StaticClass(), PaintGroupBox);
    RegisterQtPainter(TCustomTabControl::StaticClass(), PaintTabControl);
    RegisterQtPainter(TCustomListView::StaticClass(), PaintListView);
    // Controls that draw themselves in the model paint through their own Paint.
    RegisterQtPainter(TCustomControl::StaticClass(), [](TControl& c, TCanvas& cv) { static_cast<TCustomControl&>(c).Paint(cv); });
    RegisterQtPainter(TSpeedButton::StaticClass(), [](TControl& c, TCanvas& cv) { static_cast<TSpeedButton&>(c).Paint(cv); });
    RegisterQtPainter(TCustomPanel::StaticClass(), [](TControl& c, TCanvas& cv) { static_cast<TCustomPanel&>(c).Paint(cv); });
    RegisterQtPainter(TSplitter::StaticClass(), [](TControl& c, TCanvas& cv) { static_cast<TSplitter&>(c).Paint(cv); });
    RegisterQtPainter(TCustomGrid::StaticClass(), [](TControl& c, TCanvas& cv) { static_cast<TCustomGrid&>(c).PaintTo(cv); });
    RegisterQtPainter(TAnimate::StaticClass(), [](TControl& c, TCanvas& cv) { static_cast<TAnimate&>(c).Paint(cv); });
    // A bit button shows its glyph (transparent colour left out) as the model draws it.
    RegisterQtPeerKind(TBitBtn::StaticClass(), TQtPeerKind::Generic);
    RegisterQtPainter(TBitBtn::StaticClass(), [](TControl& c, TCanvas& cv) { static_cast<TBitBtn&>(c).Paint(cv); });
    RegisterQtPainter(TCustomLabel::StaticClass(), PaintLabel);
    RegisterQtPainter(TRadioButton::StaticClass(), PaintRadioCaption);
    RegisterQtPainter(TNavButton::StaticClass(), PaintNavButton);
    RegisterQtPainter(TCustomForm::StaticClass(), PaintForm);
    InstallQtStandardPainters();
    InstallQtMenus();
    // One factory for every windowed control; the kind decides the widget.
    RegisterPeerClass(TWinControl::StaticClass(), [](TWinControl* c) -> std::unique_ptr<TWidgetPeer> {
        return std::make_unique<TQtPeer>(c, PeerKindFor(*c->ClassType()));
    });
    if (!dynamic_cast<XqStyle*>(QApplication::style())) QApplication::setStyle(new XqStyle(QApplication::style()->name()));
    fImpl->Filter = new XqInputFilter(qApp);
    qApp->installEventFilter(fImpl->Filter);
    InstallQtScrolling();  // after the input filter, so it runs first (wheel, presses on scroll bars)
    // Messages the model posts outside any input (timers, other code) run from Qt's loop.
    fImpl->Drain = new QTimer(qApp);
    fImpl->Drain->setInterval(10);
    QObject::connect(fImpl->Drain, &QTimer::timeout, [] {
        // A menu bar shows changes made to its items in code without waiting for input.
        for (int i = 0; i < Screen->FormCount(); ++i)
            if (TCustomForm* f = Screen->Forms(i); f->Visible() && f->HandleAllocated())
                if (auto* p = dynamic_cast<TQtPeer*>(f->Peer())) p->SyncMenuBar();
        if (!Application->PendingMessages()) return;
        DrainModelQueue();
        SyncShownForms();
    });
    fImpl->Drain->start();
}

TQtWidgetSet::~TQtWidgetSet() {
    if (gQt == this) gQt = nullptr;
    if (QCoreApplication::instance()) {
        qApp->removeEventFilter(fImpl->Filter);
        delete fImpl->Filter;
        delete fImpl->Drain;
        if (fImpl->OverrideCursor) QApplication::restoreOverrideCursor();
    }
    delete fImpl;
}

TTextSize TQtWidgetSet::TextExtent(const TFont& font, const std::string& text) {
    QFontMetrics fm(QtFont(font));
    return {fm.horizontalAdvance(QStr(text)), fm.height()};
}

void TQtWidgetSet::RunModal(TCustomForm& form) {
    TComponentWatch watch(&form);
    while (true) {
        DrainModelQueue();
        if (!watch.Target || form.ModalStep() || !watch.Target) return;
        if (!form.Visible()) {
            // Hidden from under the loop (never answered): nothing can answer it any more.
            form.SetModalResult(mrCancel);
            if (form.ModalStep()) return;
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    }
}

void TQtWidgetSet::PumpEvents() {
    if (fImpl->Pumping) return;
    ++fImpl->Pumping;
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    --fImpl->Pumping;
}

void TQtWidgetSet::SetCursor(int cursor) {
    if (cursor == crDefault) {
        if (fImpl->OverrideCursor) QApplication::restoreOverrideCursor();
        fImpl->OverrideCursor = false;
        return;
    }
    if (fImpl->OverrideCursor) QApplication::changeOverrideCursor(QCursor(CursorShapeOf(cursor)));
    else QApplication::setOverrideCursor(QCursor(CursorShapeOf(cursor)));
    fImpl->OverrideCursor = true;
}

int TQtWidgetSet::ScreenWidth() const {
    QScreen* s = QGuiApplication::primaryScreen();
    return s ? s->geometry().width() : 1024;
}

int TQtWidgetSet::ScreenHeight() const {
    QScreen* s = QGuiApplication::primaryScreen();
    return s ? s->geometry().height() : 768;
}

void TQtWidgetSet::HintSettingsChanged() { QToolTip::hideText(); }

bool InstallQtWidgetSet() {
    if (gQt && &WidgetSet() == gQt) return true;
    if (!QCoreApplication::instance()) {
        static int argc = 1;
        static char name[] = "xq";
        static char* argv[] = {name, nullptr};
        new QApplication(argc, argv);  // lives as long as the process
    }
    if (!qobject_cast<QApplication*>(QCoreApplication::instance())) return false;
    auto ws = std::make_unique<TQtWidgetSet>();
    TQtWidgetSet* raw = ws.get();
    SetWidgetSet(std::move(ws));
    gQt = raw;
    InstallQtShellProperties();
    return true;
}

// ---- Rendering a form ----------------------------------------------------------------------

QImage RenderFormImage(TCustomForm& form) {
    QImage img(std::max(1, form.Width()), std::max(1, form.Height()), QImage::Format_RGB32);
    img.fill(QtColor(clBtnFace));
    QPainter p(&img);
    TPoint origin = form.ClientOrigin();
    if (form.BorderStyle() != bsNone) {
        // A plain frame and caption bar, so the picture has the form's outer size.
        p.setPen(QColor(128, 128, 128));
        p.drawRect(0, 0, img.width() - 1, img.height() - 1);
        int bar = form.Menu() ? FormMenuHeight : 0;  // the menu bar lies below the caption
        QRect caption(2, 2, img.width() - 4, std::max(0, origin.Y - bar - 3));
        p.fillRect(caption, QtColor(clActiveCaption));
        TFont f;
        f.SetName(DefaultFontName);
        f.SetStyle(TFontStyles{fsBold});
        p.setFont(QtFont(f));
        p.setPen(QtColor(clCaptionText));
        p.drawText(caption.adjusted(4, 0, -4, 0), Qt::AlignVCenter | Qt::AlignLeft, QStr(form.Caption()));
    }
    if (QWidget* w = QtWidgetOf(&form)) {
        form.CreateHandlesDeep();
        w->ensurePolished();
        // The menu bar where the model puts it, between the caption and the client area.
        auto* peer = dynamic_cast<TQtPeer*>(form.Peer());
        if (QMenuBar* bar = peer ? peer->MenuBar() : nullptr; bar && !bar->isHidden() && origin.Y >= FormMenuHeight) {
            bar->ensurePolished();
            QPixmap shot = bar->grab(QRect(0, 0, form.ClientWidth(), FormMenuHeight));
            p.drawPixmap(origin.X, origin.Y - FormMenuHeight, shot);
        }
        QPixmap client = w->grab();
        p.drawPixmap(origin.X, origin.Y, client);
    }
    return img;
}

}  // namespace plat

extern "C" int xq_install_qt_widgetset() { return plat::InstallQtWidgetSet() ? 1 : 0; }
