#pragma once
// The model's canvas over Qt: a paint engine drawing into a QImage with QPainter. Peers paint a
// control into an image of its size and put that on the window, so painting code reads back
// what it drew (raster operations, GetPixel) exactly as on a bitmap.
//
// An engine may cover part of a larger surface: with an origin, canvas point (x, y) is pixel
// (x - origin.X, y - origin.Y) of the image, so an item drawn into an image of its own size still
// gets the rectangle it has in its control (owner-drawn items of a list).
#include <QImage>

#include "platform/graphics/Canvas.h"

namespace plat {

class TQtPaintEngine : public TPaintEngine {
public:
    explicit TQtPaintEngine(QImage* image, TPoint origin = {0, 0}) : fImage(image), fOrigin(origin) {}
    TRect Bounds() const override {
        return {fOrigin.X, fOrigin.Y, fOrigin.X + fImage->width(), fOrigin.Y + fImage->height()};
    }
    TColor GetPixel(int x, int y) const override;
    void SetPixel(int x, int y, TColor rgb) override;
    void FillRect(const TRect& r, TColor rgb, int rop2) override;
    // Real glyphs in the mapped font.
    void DrawTextRun(const TTextRun& run) override;
    QImage* Image() const { return fImage; }
    TPoint Origin() const { return fOrigin; }

private:
    QImage* fImage;
    TPoint fOrigin;
};

}  // namespace plat
