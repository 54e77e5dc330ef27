#pragma once
// Scrolling the controls the Qt widgetset paints itself (list views, tree views, grids, the
// module's own controls): the mouse wheel and real scroll bars, both going through the model.
//
// - A wheel turned over a painted peer becomes WM_MOUSEWHEEL to the model control under the pointer
//   (a graphic child included); the model passes it up to the parents until one handles it, and
//   its default handling scrolls (Controls.h). Native peers that scroll by themselves (list
//   boxes, memos) and combo boxes keep Qt's own wheel handling.
// - A painted peer whose control reports a shown bar (TWinControl::ScrollBarInfo) gets a native
//   QScrollBar child at its right (vertical) or bottom (horizontal) edge, inside the border,
//   over the control's painting (the model's client area keeps its size). Its range, page and
//   value follow the model; moving it sends WM_VSCROLL/WM_HSCROLL (SB_THUMBTRACK while dragged,
//   else SB_THUMBPOSITION) with the new position.
#include <QScrollBar>
#include <QWidget>

#include "platform/forms/Controls.h"

namespace plat {

// Installs the wheel and scroll-bar event filter on the application. Call it after the
// widgetset's input filter (the last installed filter runs first, and presses on a scroll bar
// must reach the bar rather than become clicks on the control); calling again moves it first.
void InstallQtScrolling();

// The scroll bars of a painted peer's widget made, placed, ranged, shown or hidden as the
// control's ScrollBarInfo says.
void SyncQtScrollBars(TWinControl* control, QWidget* widget);
// The same once the model's current operation is over (queued; several requests make one).
void SyncQtScrollBarsLater(TWinControl* control, QWidget* widget);

// The bar of a peer's widget (nullptr until the control first showed one); for tests and tools.
QScrollBar* QtScrollBarOf(QWidget* widget, TScrollBarKind kind);

}  // namespace plat
