#include "platform/qt/QtScrolling.h"

#include <QAbstractScrollArea>
#include <QApplication>
#include <QComboBox>
#include <QMouseEvent>
#include <QPointer>
#include <QStyle>
#include <QWheelEvent>

#include "platform/forms/Forms.h"
#include "platform/qt/QtWidgetSet.h"
#include "platform/widgets/ComCtrls.h"
#include "platform/widgets/Grids.h"

namespace plat {

namespace {

const char* BarName(TScrollBarKind kind) { return kind == sbVertical ? "xq-vscroll" : "xq-hscroll"; }
const char* PendingProperty = "xq-scroll-pending";

void RunPostedMessages() {
    while (Application->ProcessMessage()) {
    }
}

// A bar of a painted peer: moving it moves the model, which then sets the bar.
class XqScrollBar : public QScrollBar {
public:
    XqScrollBar(Qt::Orientation o, HWND control, QWidget* parent) : QScrollBar(o, parent), fControl(control) {
        setObjectName(QLatin1String(BarName(o == Qt::Vertical ? sbVertical : sbHorizontal)));
        setFocusPolicy(Qt::NoFocus);
        setSingleStep(1);
        connect(this, &QAbstractSlider::valueChanged, this, [this](int v) { Moved(v); });
    }
    // The bar's own handling of an event, past the application's filters.
    bool Deliver(QEvent* e) { return QScrollBar::event(e); }
    bool Syncing = false;

private:
    void Moved(int value) {
        if (Syncing) return;
        uint32_t msg = orientation() == Qt::Vertical ? WM_VSCROLL : WM_HSCROLL;
        QPointer<QScrollBar> self(this);
        SendMessage(fControl, msg, MakeWParam(isSliderDown() ? SB_THUMBTRACK : SB_THUMBPOSITION, value), 0);
        RunPostedMessages();
        // The model may stop elsewhere (the end of its range): the bar shows where it stopped.
        TWinControl* c = FindControl(fControl);
        if (self && c && parentWidget()) SyncQtScrollBars(c, parentWidget());
    }
    HWND fControl;
};

// The border the painters draw around these controls; the bars lie inside it.
int BorderOf(TWinControl* c) {
    if (auto* lv = dynamic_cast<TCustomListView*>(c)) return lv->BorderStyle() == bsNone ? 0 : 1;
    if (auto* tv = dynamic_cast<TCustomTreeView*>(c)) return tv->BorderStyle() == bsNone ? 0 : 1;
    return 0;
}

// Peers that scroll natively (list boxes, memos) or use the wheel themselves (combo boxes).
bool NativeWheel(QWidget* shown) {
    return qobject_cast<QAbstractScrollArea*>(shown) || qobject_cast<QComboBox*>(shown);
}

uint32_t WheelKeys(const QWheelEvent* we) {
    uint32_t k = 0;
    if (we->buttons() & Qt::LeftButton) k |= MK_LBUTTON;
    if (we->buttons() & Qt::RightButton) k |= MK_RBUTTON;
    if (we->buttons() & Qt::MiddleButton) k |= MK_MBUTTON;
    if (we->modifiers() & Qt::ShiftModifier) k |= MK_SHIFT;
    if (we->modifiers() & Qt::ControlModifier) k |= MK_CONTROL;
    return k;
}

// After the model handled a wheel: the bars of the control and its parents follow at once, and
// a message posted to the form makes the widgetset's timer re-read the form (a wheel handler may
// have changed anything).
void AfterWheel(TControl* target) {
    RunPostedMessages();
    for (TControl* c = target; c; c = c->Parent())
        if (auto* w = dynamic_cast<TWinControl*>(c); w && w->HandleAllocated())
            if (QWidget* widget = QtWidgetOf(w)) SyncQtScrollBars(w, widget);
    if (TCustomForm* f = GetParentForm(target)) PostMessage(f->Handle(), WM_NULL);
}

class XqScrollFilter : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* obj, QEvent* e) override {
        if (!obj->isWidgetType()) return false;
        auto* w = static_cast<QWidget*>(obj);
        if (auto* bar = dynamic_cast<XqScrollBar*>(w)) {
            switch (e->type()) {
                case QEvent::MouseButtonPress: case QEvent::MouseButtonRelease: case QEvent::MouseButtonDblClick:
                case QEvent::MouseMove:
                    // The bar's own input; the widgetset's filter would make it a click on the control.
                    bar->Deliver(e);
                    return true;
                default: break;
            }
        }
        if (e->type() != QEvent::Wheel) return false;
        TWinControl* c = QtControlOf(w);
        if (!c) return false;
        QWidget* shown = QtWidgetOf(c);
        if (!shown || shown->window() != w->window() || NativeWheel(shown)) return false;
        auto* we = static_cast<QWheelEvent*>(e);
        int delta = we->angleDelta().y();
        if (delta == 0) return true;  // a sideways wheel: the model has no message for it
        QPoint p = shown->mapFromGlobal(we->globalPosition().toPoint());
        TControl* target = c;
        if (TControl* g = QtGraphicChildAt(c, p)) {
            target = g;
            p -= QPoint(g->Left(), g->Top());
        }
        for (TControl* t = target; t; t = t->Parent())
            if (!t->Enabled()) return true;  // a disabled window gets no mouse input
        TPoint screen = target->ClientToScreen({p.x(), p.y()});
        TComponentWatch watch(target);
        target->Perform(WM_MOUSEWHEEL, MakeWParam(static_cast<int>(WheelKeys(we)), delta), MakeLParam(screen.X, screen.Y));
        if (watch.Target) AfterWheel(target);
        else RunPostedMessages();
        return true;
    }
};

QPointer<XqScrollFilter> gFilter;

void SyncBar(TWinControl* c, QWidget* w, TScrollBarKind kind, const TScrollBarInfo& info, QRect geometry) {
    auto* bar = dynamic_cast<XqScrollBar*>(QtScrollBarOf(w, kind));
    if (!info.Visible) {
        if (bar) bar->hide();
        return;
    }
    if (!bar) bar = new XqScrollBar(kind == sbVertical ? Qt::Vertical : Qt::Horizontal, c->Handle(), w);
    bar->Syncing = true;
    bar->setRange(info.Min, info.MaxPos());
    bar->setPageStep(std::max(1, info.Page));
    if (bar->value() != info.Pos) bar->setValue(info.Pos);
    bar->setGeometry(geometry);
    bar->setEnabled(c->Enabled());
    bar->Syncing = false;
    bar->show();
    bar->raise();
}

}  // namespace

void InstallQtScrolling() {
    if (!qApp) return;
    if (!gFilter) gFilter = new XqScrollFilter(qApp);
    qApp->removeEventFilter(gFilter);
    qApp->installEventFilter(gFilter);
}

QScrollBar* QtScrollBarOf(QWidget* widget, TScrollBarKind kind) {
    return widget ? widget->findChild<QScrollBar*>(QLatin1String(BarName(kind)), Qt::FindDirectChildrenOnly) : nullptr;
}

void SyncQtScrollBars(TWinControl* control, QWidget* widget) {
    if (!control || !widget) return;
    TScrollBarInfo v = control->ScrollBarInfo(sbVertical);
    TScrollBarInfo h = control->ScrollBarInfo(sbHorizontal);
    if (!v.Visible && !h.Visible && !QtScrollBarOf(widget, sbVertical) && !QtScrollBarOf(widget, sbHorizontal)) return;
    int ext = widget->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, widget);
    int b = BorderOf(control);
    int width = widget->width(), height = widget->height();
    SyncBar(control, widget, sbVertical, v,
            QRect(width - b - ext, b, ext, std::max(0, height - 2 * b - (h.Visible ? ext : 0))));
    SyncBar(control, widget, sbHorizontal, h,
            QRect(b, height - b - ext, std::max(0, width - 2 * b - (v.Visible ? ext : 0)), ext));
}

void SyncQtScrollBarsLater(TWinControl* control, QWidget* widget) {
    if (!control || !widget || widget->property(PendingProperty).toBool()) return;
    widget->setProperty(PendingProperty, true);
    HWND h = control->Handle();
    QPointer<QWidget> w(widget);
    QMetaObject::invokeMethod(widget, [h, w] {
        if (!w) return;
        w->setProperty(PendingProperty, false);
        if (TWinControl* c = FindControl(h)) SyncQtScrollBars(c, w);
    }, Qt::QueuedConnection);
}

}  // namespace plat
