#pragma once
// Menus shown for real: pop-up menus and drop-down menus of the model, as Qt menus.
//
// InstallQtMenus (called when the widgetset is installed) sets the model's pop-up presenter
// (SetPopupPresenter): TPopupMenu::Popup -- from code, from a right click (ShowContextMenu) or from
// a drop-down tool button -- shows a modal QMenu built from the model's items and answers the item
// the user picked; the model then clicks it. Owner-drawn menus (TMenu::OwnerDraw, or items with
// OnDrawItem/OnMeasureItem) measure and paint each item through the model's canvas.
#include <QImage>
#include <QMenu>
#include <QPoint>

#include "platform/qt/QtWidgetSet.h"
#include "platform/widgets/Menus.h"

namespace plat {

// Shows `menu` at a screen point of the model and answers the picked item (nullptr: none).
// This is the presenter InstallQtMenus installs.
TMenuItem* PresentQtPopupMenu(TPopupMenu& menu, TPoint screenPoint);

// Builds the Qt menu of the model's menu (not shown); the caller owns it. Each action's data is
// the TMenuItem it stands for (as quintptr). `parent` is the window the menu belongs to (some
// platforms place a pop-up only relative to a parent window); it stays a pop-up window of its own.
QMenu* BuildQtMenu(TPopupMenu& menu, QWidget* parent = nullptr);
// The same for the sub-items of any item (a menu bar's drop-down menus): owner-drawn as the item's
// menu says (TMenu::OwnerDraw) or as its items ask.
QMenu* BuildQtMenu(TMenuItem& item, QWidget* parent = nullptr);
// Whether `item` is `root` or lies (at any depth) under it.
bool QtMenuContains(const TMenuItem* root, const TMenuItem* item);

// The model's screen point where Qt shows it: through the control the menu is shown for (the
// model places windows at the form's Left/Top without a frame), else through the shown form that
// contains the point, else unchanged.
QPoint QtScreenPoint(TComponent* shownFor, TPoint screenPoint);

// A bitmap as a Qt image; with its Transparent flag the transparent colour becomes see-through.
QImage QtImageOf(const TBitmap& bitmap);

}  // namespace plat
