#pragma once
// The Qt 6 widgetset: real windows for the model's forms (libplatform-qt.so).
//
// Peers are Qt widgets that only show the model: geometry, visibility, enabled state, colours,
// fonts, captions, hints and cursors are read from the control whenever it reports a change.
// Every key and mouse event aimed at a peer is taken away from Qt (an application-wide event
// filter) and delivered into the model through the input functions of Controls.h, so Tab, Enter,
// Esc, accelerators and the focus are decided by the model; Qt's focus follows the model.
//
// Peer kinds are chosen per model class through the same registry the headless widgetset uses
// (TWidgetSet::RegisterPeerClass, nearest registered ancestor wins). Classes without a native
// counterpart get the generic peer, which paints the control through the model's canvas (a
// TCanvas over QPainter, see QtPaint.h) with the painter registered for its class
// (RegisterQtPainter), then draws the graphic children (labels) the same way.
#include <functional>
#include <string>

#include <QFont>
#include <QImage>
#include <QWidget>

#include "platform/forms/Forms.h"
#include "platform/graphics/Canvas.h"

namespace plat {

class TQtWidgetSet : public TWidgetSet {
public:
    TQtWidgetSet();
    ~TQtWidgetSet() override;
    std::string Name() const override { return "qt"; }

    TTextSize TextExtent(const TFont& font, const std::string& text) override;
    // A nested Qt event loop until the form's modal result is set (and its close allowed);
    // posted model messages run in between.
    void RunModal(TCustomForm& form) override;
    void PumpEvents() override;
    void SetCursor(int cursor) override;
    int ScreenWidth() const override;
    int ScreenHeight() const override;
    void HintSettingsChanged() override;

private:
    struct TImpl;
    TImpl* fImpl;
};

// The Qt application object exists (made when needed) and the Qt widgetset is installed.
// Answers false when Qt could not start.
bool InstallQtWidgetSet();

// Paints a control (or a graphic control) through the model's canvas; the canvas covers the
// control's own client area.
using TQtPainter = std::function<void(TControl& control, TCanvas& canvas)>;
// Registers the painting of a class (nearest registered ancestor wins); used by owner-drawn and
// custom-painted controls that have no native Qt counterpart.
void RegisterQtPainter(const TClassInfo& cls, TQtPainter painter);
const TQtPainter* FindQtPainter(const TClassInfo& cls);

// Peer kinds for classes that have a native counterpart. A control of a class registered here
// (or derived from one) gets that kind of peer; others get the generic painted peer.
enum class TQtPeerKind { Generic, Form, Edit, Button, CheckBox, RadioButton, ComboBox, ListBox, Memo };
void RegisterQtPeerKind(const TClassInfo& cls, TQtPeerKind kind);

// The widget showing a windowed control (its handle and peer are made when needed); nullptr
// when the Qt widgetset is not installed.
QWidget* QtWidgetOf(TWinControl* control);
// The topmost visible graphic child (a label, a tool button) of `c` under its client point p;
// nullptr when none. Input aimed at a painted peer goes to that child.
TControl* QtGraphicChildAt(TWinControl* c, QPoint p);
// The control a widget (or one of its inner widgets) shows; nullptr for foreign widgets.
TWinControl* QtControlOf(QWidget* widget);

// Fonts and colours as Qt shows them: "宋体"/"SimSun" (and the other Song faces) map to the
// installed CJK font, "Tahoma" and the other UI faces to a sans-serif; pixel height as the model
// measures it.
QFont QtFont(const TFont& font);
QColor QtColor(TColor color);
// The Qt family a model font name maps to.
std::string QtFontFamily(const std::string& modelName);

// Painters of the standard controls without a native counterpart (QtStandardPainters.cpp) and the
// pop-up menu presenter (QtMenus.cpp); called once when the widgetset is installed.
void InstallQtStandardPainters();
void InstallQtMenus();

// Renders a shown (or hidden) form as it looks, frame and caption included (the image is the
// form's Width x Height): the client area through Qt, the frame drawn plainly.
QImage RenderFormImage(TCustomForm& form);

}  // namespace plat

extern "C" int xq_install_qt_widgetset();
