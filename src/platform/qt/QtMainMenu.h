#pragma once
// A form's main menu shown for real: the model's TMainMenu (the form's Menu) as a QMenuBar above
// the form's client area.
//
// The bar only shows the model: its actions are rebuilt from the items whenever the form has
// another menu or the menu's ChangeCount moved (captions, checks, enabled/visible, structure,
// images). Picking an action clicks the model's item (TMenuItem::Click: auto-check, radio,
// OnClick), queued to Qt's loop so a handler may free the form and its window. Sub-menus are
// built by the pop-up menu code (QtMenus.h), so owner-drawn items draw through the model there.
#include <functional>

#include <QMenuBar>

#include "platform/forms/Forms.h"

namespace plat {

class XqMenuBar : public QMenuBar {
public:
    // `form`: the window's form; `afterPick` runs after an item was clicked (the widgetset drains
    // the posted messages and re-reads the shown forms there).
    XqMenuBar(HWND form, std::function<void()> afterPick, QWidget* parent);
    // Reads the form's menu again when it is another menu or its items changed since the last
    // time (or `force`); true when the bar was rebuilt.
    bool Sync(bool force = false);
    // Whether the form has a main menu to show.
    bool HasMenu() const;

private:
    void Rebuild();
    void Pick(QAction* action);

    HWND fForm;
    std::function<void()> fAfterPick;
    const void* fMenu = nullptr;  // the menu last shown (compared only)
    int fChangeCount = -1;
};

}  // namespace plat
