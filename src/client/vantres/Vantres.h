#pragma once
// The glyph library's entry points (C linkage), as its callers look them up by name.
//
// A glyph travels as the shared platform's TBitmap: the caller owns the bitmap, LoadBmp fills it
// (pixels, size, 24-bit format, transparent colour automatic = the bottom-left pixel) and
// allocates nothing the caller must free. A glyph is a strip of square frames (width a whole
// multiple of height). A number the library does not hold answers false and leaves the bitmap
// unchanged; a picture that cannot be built raises a plat::Exception (EInvalidGraphic), which
// crosses the boundary because the platform's classes are shared by every library of the process.

namespace plat {
class TBitmap;
}

#if defined(__GNUC__)
#define VANTRES_EXPORT __attribute__((visibility("default")))
#else
#define VANTRES_EXPORT
#endif

extern "C" {
// The highest glyph number the library holds.
VANTRES_EXPORT int GetMaxBmpID();
// Fills `bitmap` with glyph `id`; false for a null bitmap or a number without a picture.
VANTRES_EXPORT bool LoadBmp(plat::TBitmap* bitmap, int id);
}

using TGetMaxBmpIDFunc = int (*)();
using TLoadBmpFunc = bool (*)(plat::TBitmap*, int);
