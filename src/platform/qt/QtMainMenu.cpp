// A form's main menu as a QMenuBar.
#include "platform/qt/QtMainMenu.h"

#include <QActionGroup>
#include <QApplication>
#include <QPixmap>
#include <QPointer>

#include <map>

#include "platform/qt/QtMenus.h"
#include "platform/widgets/Menus.h"

namespace plat {

namespace {

QString QStr(const std::string& s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }

TMainMenu* MenuOf(HWND form) {
    auto* f = dynamic_cast<TCustomForm*>(FindControl(form));
    return f ? dynamic_cast<TMainMenu*>(f->Menu()) : nullptr;
}

bool HasVisibleSubItems(const TMenuItem& item) {
    for (int i = 0; i < item.Count(); ++i)
        if (item.Items(i)->Visible()) return true;
    return false;
}

QIcon IconOf(const TMenuItem& item) {
    TCustomImageList* images = item.Images();
    if (!images || item.ImageIndex() < 0) return {};
    const TBitmap* bmp = images->Image(item.ImageIndex());
    return bmp ? QIcon(QPixmap::fromImage(QtImageOf(*bmp))) : QIcon();
}

}  // namespace

XqMenuBar::XqMenuBar(HWND form, std::function<void()> afterPick, QWidget* parent)
    : QMenuBar(parent), fForm(form), fAfterPick(std::move(afterPick)) {
    // Actions of the bar and of every menu under it (their parents lead here) end up here.
    connect(this, &QMenuBar::triggered, this, [this](QAction* a) { Pick(a); });
    Sync(true);
}

bool XqMenuBar::HasMenu() const { return MenuOf(fForm) != nullptr; }

bool XqMenuBar::Sync(bool force) {
    TMainMenu* menu = MenuOf(fForm);
    int count = menu ? menu->ChangeCount() : -1;
    if (!force && menu == fMenu && count == fChangeCount) return false;
    fMenu = menu;
    fChangeCount = count;
    Rebuild();
    return true;
}

void XqMenuBar::Rebuild() {
    // Menus made for the old items go once Qt is done with them (one may still be closing).
    for (QAction* a : actions())
        if (QMenu* m = a->menu()) m->deleteLater();
    clear();
    TMainMenu* menu = MenuOf(fForm);
    if (!menu) return;
    setFont(QtFont(*Screen->MenuFont()));
    std::map<int, QActionGroup*> radioGroups;
    TMenuItem* root = menu->Items();
    for (int i = 0; i < root->Count(); ++i) {
        TMenuItem* item = root->Items(i);
        if (!item->Visible()) continue;
        if (item->IsLine()) {
            addSeparator();
            continue;
        }
        QAction* action = nullptr;
        if (HasVisibleSubItems(*item)) {
            // The drop-down menu belongs to the bar, so its actions report to the bar.
            QMenu* sub = BuildQtMenu(*item, this);
            sub->setTitle(QStr(item->Caption()));
            action = addMenu(sub);
        } else {
            action = addAction(QStr(item->Caption()));
            if (item->RadioItem()) {
                QActionGroup*& group = radioGroups[item->GroupIndex()];
                if (!group) group = new QActionGroup(action);
                action->setCheckable(true);
                action->setActionGroup(group);
            } else if (item->Checked() || item->AutoCheck()) {
                action->setCheckable(true);
            }
            action->setChecked(item->Checked());
        }
        // "&x" marks the accelerator in both; the key itself goes to the model (the widgetset
        // takes every key and shortcut away from Qt on our windows).
        action->setData(QVariant::fromValue(reinterpret_cast<quintptr>(item)));
        action->setEnabled(item->Enabled());
        action->setIcon(IconOf(*item));
        if (item->Default()) {
            QFont f = action->font();
            f.setBold(true);
            action->setFont(f);
        }
        if (!item->Hint().empty()) action->setStatusTip(QStr(item->Hint()));
    }
}

void XqMenuBar::Pick(QAction* action) {
    auto* item = reinterpret_cast<TMenuItem*>(action->data().value<quintptr>());
    if (!item) return;
    HWND form = fForm;
    std::function<void()> after = fAfterPick;
    QPointer<XqMenuBar> self(this);
    // Clicked from Qt's loop, not inside the bar's signal: a handler may free the form (and with
    // it this bar). The item must still be in the form's menu then.
    QMetaObject::invokeMethod(qApp, [form, item, after, self] {
        TMainMenu* menu = MenuOf(form);
        if (menu && QtMenuContains(menu->Items(), item) && item->Enabled()) item->Click();
        if (after) after();
        // Qt toggled a checkable action by itself; the model's check marks are what show.
        if (self) self->Sync(true);
    }, Qt::QueuedConnection);
}

}  // namespace plat
