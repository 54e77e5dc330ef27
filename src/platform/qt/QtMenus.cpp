// Menus shown for real: the model's pop-up menus as modal Qt menus.
#include "platform/qt/QtMenus.h"

#include <QActionGroup>
#include <QApplication>
#include <QPainter>
#include <QPointer>
#include <QProxyStyle>
#include <QStyleOptionMenuItem>

#include <algorithm>
#include <map>
#include <memory>
#include <optional>
#include <vector>

#include "platform/forms/Forms.h"
#include "platform/qt/QtPaint.h"

namespace plat {

namespace {

QString QStr(const std::string& s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }

// Owner-drawn items carry their position among the menu's items after this mark at the end of
// the action's text (never shown: the style draws those items through the model), so the style
// can tell which item Qt measures or paints.
constexpr char16_t ItemMark = 0x1F;

// A Qt menu that remembers the model's items it shows.
class XqMenu : public QMenu {
public:
    using QMenu::QMenu;
    std::vector<TMenuItem*> Items;  // indexed by the mark of owner-drawn actions
};

TMenuItem* ItemOfOption(const QStyleOption* option, const QWidget* widget) {
    auto* mo = qstyleoption_cast<const QStyleOptionMenuItem*>(option);
    auto* menu = dynamic_cast<const XqMenu*>(widget);
    if (!mo || !menu || mo->menuItemType == QStyleOptionMenuItem::Separator) return nullptr;
    qsizetype at = mo->text.lastIndexOf(QChar(ItemMark));
    if (at < 0) return nullptr;
    bool ok = false;
    int index = mo->text.mid(at + 1).toInt(&ok);
    if (!ok || index < 0 || index >= static_cast<int>(menu->Items.size())) return nullptr;
    return menu->Items[static_cast<size_t>(index)];
}

bool HasSubItems(const TMenuItem& item) {
    for (int i = 0; i < item.Count(); ++i)
        if (item.Items(i)->Visible()) return true;
    return false;
}

// ---- Owner-drawn items through the model's canvas ---------------------------------------------

constexpr int MenuCheckWidth = 16;  // the column for the check mark or the image

int ImageColumnWidth(const TMenuItem& item) {
    TCustomImageList* images = item.Images();
    return std::max(MenuCheckWidth, images ? images->Width() + 4 : 0);
}

// The size of an owner-drawn item without OnMeasureItem: caption, short cut, check or image
// column, room for a sub-menu arrow.
void DefaultMeasure(const TMenuItem& item, TCanvas& canvas, int& width, int& height) {
    if (item.Default()) canvas.Font()->SetStyle(TFontStyles{fsBold});
    std::string caption = StripHotkey(item.Caption());
    width = 4 + ImageColumnWidth(item) + 4 + canvas.TextWidth(caption) + 16;
    std::string sc = ShortCutToText(item.ShortCut());
    if (!sc.empty()) width += 16 + canvas.TextWidth(sc);
    height = canvas.TextHeight("Wg") + 6;
    if (TCustomImageList* images = item.Images()) height = std::max(height, images->Height() + 4);
}

// The drawing of an owner-drawn item without OnDrawItem: the menu's look in the model's colours.
void DefaultDraw(const TMenuItem& item, TCanvas& canvas, const TRect& r, bool selected) {
    canvas.Brush()->SetStyle(bsSolid);
    canvas.Brush()->SetColor(selected ? clHighlight : clMenu);
    canvas.FillRect(r);
    int column = ImageColumnWidth(item);
    int mid = (r.Top + r.Bottom) / 2;
    TCustomImageList* images = item.Images();
    if (images && item.ImageIndex() >= 0 && item.ImageIndex() < images->Count()) {
        if (item.Checked()) {
            // A checked item with an image shows the image framed.
            canvas.Brush()->SetColor(clBtnShadow);
            canvas.FrameRect({r.Left + 1, r.Top + 1, r.Left + 4 + column - 3, r.Bottom - 1});
        }
        images->Draw(&canvas, r.Left + 2 + (column - images->Width()) / 2, mid - images->Height() / 2,
                     item.ImageIndex(), item.Enabled());
    } else if (item.Checked()) {
        canvas.Brush()->SetColor(selected ? clHighlightText : clMenuText);
        int cx = r.Left + 2 + column / 2;
        if (item.RadioItem()) {
            canvas.FillRect({cx - 2, mid - 1, cx + 3, mid + 2});
            canvas.FillRect({cx - 1, mid - 2, cx + 2, mid + 3});
        } else {
            // A tick: down from the left, then up to the right.
            for (int i = 0; i < 3; ++i) canvas.FillRect({cx - 3 + i, mid - 1 + i, cx - 2 + i, mid + 2 + i});
            for (int i = 0; i < 4; ++i) canvas.FillRect({cx + i, mid + 1 - i, cx + 1 + i, mid + 4 - i});
        }
    }
    if (item.Default()) canvas.Font()->SetStyle(TFontStyles{fsBold});
    TColor text = !item.Enabled() ? clGrayText : selected ? clHighlightText : clMenuText;
    canvas.Font()->SetColor(text);
    canvas.Brush()->SetStyle(bsClear);
    TRect t{r.Left + 4 + column + 4, r.Top, r.Right - 16, r.Bottom};
    canvas.DrawText(item.Caption(), t, DT_LEFT | DT_VCENTER | DT_SINGLELINE);
    std::string sc = ShortCutToText(item.ShortCut());
    if (!sc.empty()) canvas.DrawText(sc, t, DT_RIGHT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    if (HasSubItems(item)) {
        // A small arrow pointing right.
        canvas.Brush()->SetStyle(bsSolid);
        canvas.Brush()->SetColor(text);
        int x = r.Right - 10;
        for (int i = 0; i < 4; ++i) canvas.FillRect({x + i, mid - 3 + i, x + i + 1, mid + 4 - i});
    }
}

// Draws one owner-drawn item into an image of its size (OnDrawItem, else the default drawing).
QImage PaintMenuItem(TMenuItem& item, QSize size, bool selected) {
    QImage img(size, QImage::Format_RGB32);
    img.fill(QtColor(clMenu));
    TCanvas canvas(std::make_unique<TQtPaintEngine>(&img));
    canvas.SetFont(Screen->MenuFont());
    canvas.Brush()->SetColor(clMenu);
    TRect r{0, 0, size.width(), size.height()};
    try {
        if (item.OnDrawItem.Assigned()) item.OnDrawItem(&item, &canvas, r, selected);
        else DefaultDraw(item, canvas, r, selected);
    } catch (const std::exception&) {
        // A failing handler must not unwind through Qt's painting; the item shows as drawn so far.
    }
    return img;
}

QSize MeasureMenuItem(TMenuItem& item) {
    QImage scratch(1, 1, QImage::Format_RGB32);
    TCanvas canvas(std::make_unique<TQtPaintEngine>(&scratch));
    canvas.SetFont(Screen->MenuFont());
    int w = 0, h = 0;
    DefaultMeasure(item, canvas, w, h);
    canvas.SetFont(Screen->MenuFont());
    try {
        item.OnMeasureItem(&item, &canvas, w, h);
    } catch (const std::exception&) {
    }
    return {std::max(1, w), std::max(1, h)};
}

// Owner-drawn items are measured and painted by the model; everything else is Qt's.
class XqMenuStyle : public QProxyStyle {
public:
    QSize sizeFromContents(ContentsType type, const QStyleOption* option, const QSize& size,
                           const QWidget* widget) const override {
        if (type == CT_MenuItem)
            if (TMenuItem* item = ItemOfOption(option, widget)) return MeasureMenuItem(*item);
        return QProxyStyle::sizeFromContents(type, option, size, widget);
    }
    void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget) const override {
        if (element == CE_MenuItem)
            if (TMenuItem* item = ItemOfOption(option, widget)) {
                bool selected = (option->state & State_Selected) && (option->state & State_Enabled);
                painter->drawImage(option->rect.topLeft(), PaintMenuItem(*item, option->rect.size(), selected));
                return;
            }
        QProxyStyle::drawControl(element, option, painter, widget);
    }
};

QStyle* MenuStyle() {
    static QPointer<XqMenuStyle> style;
    if (!style) {
        style = new XqMenuStyle;
        style->setParent(qApp);
    }
    return style;
}

// ---- Building --------------------------------------------------------------------------------

QIcon IconOf(const TMenuItem& item) {
    TCustomImageList* images = item.Images();
    if (!images || item.ImageIndex() < 0) return {};
    const TBitmap* bmp = images->Image(item.ImageIndex());
    if (!bmp) return {};
    return QIcon(QPixmap::fromImage(QtImageOf(*bmp)));
}

void Fill(XqMenu* q, TMenuItem* parent, bool ownerDraw) {
    std::map<int, QActionGroup*> radioGroups;
    for (int i = 0; i < parent->Count(); ++i) {
        TMenuItem* item = parent->Items(i);
        if (!item->Visible()) continue;
        if (item->IsLine()) {
            q->addSeparator();
            continue;
        }
        // "&x" marks the accelerator in both the model and Qt; the short cut is shown after a tab.
        QString text = QStr(item->Caption());
        std::string sc = ShortCutToText(item->ShortCut());
        if (!sc.empty()) text += QLatin1Char('\t') + QStr(sc);
        bool drawn = ownerDraw || item->OnDrawItem.Assigned() || item->OnMeasureItem.Assigned();
        if (drawn) {
            text += QChar(ItemMark) + QString::number(q->Items.size());
            q->Items.push_back(item);
        }
        QAction* action = nullptr;
        if (HasSubItems(*item)) {
            auto* sub = new XqMenu(q);
            sub->setStyle(MenuStyle());
            sub->setFont(q->font());  // fonts do not pass on to pop-up windows by themselves
            Fill(sub, item, ownerDraw);
            action = sub->menuAction();
            action->setText(text);
            q->addAction(action);
        } else {
            action = q->addAction(text);
        }
        action->setData(QVariant::fromValue(reinterpret_cast<quintptr>(item)));
        action->setEnabled(item->Enabled());
        action->setIcon(IconOf(*item));
        action->setIconVisibleInMenu(true);
        if (item->Default()) {
            QFont f = action->font();
            f.setBold(true);
            action->setFont(f);
        }
        if (item->RadioItem()) {
            QActionGroup*& group = radioGroups[item->GroupIndex()];
            if (!group) {
                group = new QActionGroup(q);
                group->setExclusive(true);
            }
            action->setCheckable(true);
            action->setActionGroup(group);
        } else if (item->Checked() || item->AutoCheck()) {
            action->setCheckable(true);
        }
        action->setChecked(item->Checked());
        if (!item->Hint().empty()) action->setStatusTip(QStr(item->Hint()));
    }
}

bool Contains(const TMenuItem* root, const TMenuItem* item) {
    for (int i = 0; i < root->Count(); ++i)
        if (root->Items(i) == item || Contains(root->Items(i), item)) return true;
    return false;
}

}  // namespace

QImage QtImageOf(const TBitmap& bitmap) {
    QImage img(std::max(1, bitmap.Width()), std::max(1, bitmap.Height()), QImage::Format_ARGB32);
    img.fill(Qt::transparent);
    TColor key = bitmap.Transparent() ? bitmap.TransparentColor() : clNone;
    for (int y = 0; y < bitmap.Height(); ++y) {
        const TRGBTriple* row = bitmap.ScanLine(y);
        auto* out = reinterpret_cast<QRgb*>(img.scanLine(y));
        for (int x = 0; x < bitmap.Width(); ++x) {
            if (key != clNone && TripleToColor(row[x]) == key) continue;
            out[x] = qRgb(row[x].rgbtRed, row[x].rgbtGreen, row[x].rgbtBlue);
        }
    }
    return img;
}

QPoint QtScreenPoint(TComponent* shownFor, TPoint p) {
    auto toQt = [](TControl* c, TPoint screen) -> std::optional<QPoint> {
        // A graphic control has no widget: its parent's, moved by its place there.
        TPoint client = c->ScreenToClient(screen);
        TControl* at = c;
        while (at && !dynamic_cast<TWinControl*>(at)) {
            client = {client.X + at->Left(), client.Y + at->Top()};
            at = at->Parent();
        }
        QWidget* w = at ? QtWidgetOf(static_cast<TWinControl*>(at)) : nullptr;
        if (!w || !w->isVisible()) return std::nullopt;
        return w->mapToGlobal(QPoint(client.X, client.Y));
    };
    if (auto* c = dynamic_cast<TControl*>(shownFor))
        if (auto q = toQt(c, p)) return *q;
    std::vector<TCustomForm*> forms;
    if (Screen->ActiveForm()) forms.push_back(Screen->ActiveForm());
    for (int i = 0; i < Screen->FormCount(); ++i) forms.push_back(Screen->Forms(i));
    for (TCustomForm* f : forms) {
        if (!f->Visible()) continue;
        TPoint client = f->ScreenToClient(p);
        if (client.X < 0 || client.Y < 0 || client.X >= f->ClientWidth() || client.Y >= f->ClientHeight()) continue;
        if (auto q = toQt(f, p)) return *q;
    }
    return {p.X, p.Y};
}

QMenu* BuildQtMenu(TPopupMenu& menu, QWidget* parent) { return BuildQtMenu(*menu.Items(), parent); }

QMenu* BuildQtMenu(TMenuItem& item, QWidget* parent) {
    auto* q = new XqMenu(parent);
    q->setStyle(MenuStyle());
    q->setFont(QtFont(*Screen->MenuFont()));
    TMenu* menu = item.GetParentMenu();
    Fill(q, &item, menu && menu->OwnerDraw());
    return q;
}

bool QtMenuContains(const TMenuItem* root, const TMenuItem* item) { return root == item || Contains(root, item); }

namespace {
// What presented menus before (used while another widgetset is installed).
TPopupPresenter& Previous() {
    static TPopupPresenter p;
    return p;
}
}  // namespace

TMenuItem* PresentQtPopupMenu(TPopupMenu& menu, TPoint screenPoint) {
    if (WidgetSet().Name() != "qt" || !qobject_cast<QApplication*>(QCoreApplication::instance()))
        return Previous() ? Previous()(menu, screenPoint) : nullptr;
    // The window the menu is shown for: the form of the control it belongs to, else the active one.
    TCustomForm* host = GetParentForm(dynamic_cast<TControl*>(menu.PopupComponent()));
    if (!host || !host->Visible()) host = Screen->ActiveForm();
    QWidget* hostWidget = host && host->Visible() ? QtWidgetOf(host) : nullptr;
    std::unique_ptr<QMenu> q(BuildQtMenu(menu, hostWidget ? hostWidget->window() : nullptr));
    if (q->actions().isEmpty()) return nullptr;
    QPoint at = QtScreenPoint(menu.PopupComponent(), screenPoint);
    int width = q->sizeHint().width();
    if (menu.Alignment() == paRight) at.rx() -= width;
    else if (menu.Alignment() == paCenter) at.rx() -= width / 2;
    TComponentWatch watch(&menu);
    QPointer<QMenu> alive(q.get());
    QAction* picked = q->exec(at);
    if (!alive) {
        // Its window went (and took the menu with it) while the menu was open.
        (void)q.release();
        return nullptr;
    }
    // The menu (or the item) may have gone while the menu was open (posted messages ran).
    if (!picked || !watch.Target) return nullptr;
    auto* item = reinterpret_cast<TMenuItem*>(picked->data().value<quintptr>());
    return item && Contains(menu.Items(), item) ? item : nullptr;
}

void InstallQtMenus() {
    TPopupPresenter old = SetPopupPresenter(PresentQtPopupMenu);
    // Installing twice must not make the Qt presenter its own fallback.
    auto* fn = old.target<TMenuItem* (*)(TPopupMenu&, TPoint)>();
    if (old && !(fn && *fn == &PresentQtPopupMenu)) Previous() = std::move(old);
}

}  // namespace plat
