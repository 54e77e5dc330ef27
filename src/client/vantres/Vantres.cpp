#include "client/vantres/Vantres.h"

#include "client/vantres/Glyphs.h"
#include "platform/graphics/Bitmap.h"

extern "C" {

int GetMaxBmpID() {
    const std::vector<int>& ids = vantres::GlyphNumbers();
    return ids.empty() ? 0 : ids.back();
}

bool LoadBmp(plat::TBitmap* bitmap, int id) {
    if (!bitmap) return false;
    return vantres::BuildGlyph(id, *bitmap);
}
}
