#pragma once
// The model's canvas over Qt: a paint engine drawing into a QImage with QPainter. Peers paint a
// control into an image of its size and put that on the window, so painting code reads back
// what it drew (raster operations, GetPixel) exactly as on a bitmap.
#include <QImage>

#include "platform/graphics/Canvas.h"

namespace plat {

class TQtPaintEngine : public TPaintEngine {
public:
    explicit TQtPaintEngine(QImage* image) : fImage(image) {}
    TRect Bounds() const override { return {0, 0, fImage->width(), fImage->height()}; }
    TColor GetPixel(int x, int y) const override;
    void SetPixel(int x, int y, TColor rgb) override;
    void FillRect(const TRect& r, TColor rgb, int rop2) override;
    // Real glyphs in the mapped font.
    void DrawTextRun(const TTextRun& run) override;

private:
    QImage* fImage;
};

}  // namespace plat
