#include "platform/qt/QtPaint.h"

#include <QPainter>
#include <QString>

#include "platform/qt/QtWidgetSet.h"

namespace plat {

namespace {
TColor FromQRgb(QRgb c) {
    return static_cast<TColor>(qRed(c) | (qGreen(c) << 8) | (qBlue(c) << 16));
}
QRgb ToQRgb(TColor c) { return qRgb(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF); }
}  // namespace

TColor TQtPaintEngine::GetPixel(int x, int y) const {
    x -= fOrigin.X;
    y -= fOrigin.Y;
    if (x < 0 || y < 0 || x >= fImage->width() || y >= fImage->height()) return CLR_INVALID;
    return FromQRgb(fImage->pixel(x, y));
}

void TQtPaintEngine::SetPixel(int x, int y, TColor rgb) {
    x -= fOrigin.X;
    y -= fOrigin.Y;
    if (x < 0 || y < 0 || x >= fImage->width() || y >= fImage->height()) return;
    fImage->setPixel(x, y, ToQRgb(rgb));
}

void TQtPaintEngine::FillRect(const TRect& r, TColor rgb, int rop2) {
    if (rop2 != R2_COPYPEN) {
        TPaintEngine::FillRect(r, rgb, rop2);  // pixel by pixel through the operation
        return;
    }
    QPainter p(fImage);
    p.fillRect(QRect(r.Left - fOrigin.X, r.Top - fOrigin.Y, r.Width(), r.Height()), QColor(ToQRgb(rgb)));
}

void TQtPaintEngine::DrawTextRun(const TTextRun& run) {
    if (!run.Font) return;
    QPainter p(fImage);
    p.translate(-fOrigin.X, -fOrigin.Y);
    p.setClipRect(QRect(run.Clip.Left, run.Clip.Top, run.Clip.Width(), run.Clip.Height()));
    QFont f = QtFont(*run.Font);
    if (run.PrefixIndex < 0) {
        p.setFont(f);
        p.setPen(QColor(ToQRgb(run.Color)));
        QFontMetrics fm(f);
        p.drawText(run.X, run.Y + fm.ascent(), QString::fromStdString(run.Text));
        return;
    }
    // Underline just the prefixed character: draw the text in three parts.
    QString text = QString::fromStdString(run.Text);
    QList<uint> cps = text.toUcs4();
    int k = std::min<int>(run.PrefixIndex, static_cast<int>(cps.size()));
    QString before = QString::fromUcs4(reinterpret_cast<const char32_t*>(cps.constData()), k);
    QString mark = k < cps.size() ? QString::fromUcs4(reinterpret_cast<const char32_t*>(cps.constData()) + k, 1) : QString();
    QString after = k + 1 < cps.size()
                        ? QString::fromUcs4(reinterpret_cast<const char32_t*>(cps.constData()) + k + 1, cps.size() - k - 1)
                        : QString();
    QFontMetrics fm(f);
    p.setPen(QColor(ToQRgb(run.Color)));
    int x = run.X, y = run.Y + fm.ascent();
    p.setFont(f);
    p.drawText(x, y, before);
    x += fm.horizontalAdvance(before);
    QFont u = f;
    u.setUnderline(true);
    p.setFont(u);
    p.drawText(x, y, mark);
    x += fm.horizontalAdvance(mark);
    p.setFont(f);
    p.drawText(x, y, after);
}

}  // namespace plat
