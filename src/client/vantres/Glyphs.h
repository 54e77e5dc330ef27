#pragma once
// The pictures of the glyph library, drawn in code as pixel art: one text row per pixel row, one
// character per pixel, a palette of characters. '.' is the background, which also stands in the
// bottom-left corner, so the bitmap's automatic transparent colour leaves it out.
#include <vector>

namespace plat {
class TBitmap;
}

namespace vantres {

// Glyph numbers the library holds, ascending.
const std::vector<int>& GlyphNumbers();
// Builds glyph `id` into `bitmap`; false when the library has no such glyph.
bool BuildGlyph(int id, plat::TBitmap& bitmap);

}  // namespace vantres
