#include "client/vantres/Glyphs.h"

#include <algorithm>
#include <map>
#include <string>

#include "platform/graphics/Bitmap.h"

using namespace plat;

namespace vantres {
namespace {

// Background: a colour none of the pictures uses.
constexpr TColor Background = clFuchsia;

TColor PaletteColor(char c) {
    switch (c) {
        case '.': return Background;
        case 'K': return clBlack;
        case 'W': return clWhite;
        case 'g': return clGray;
        case 's': return clSilver;
        case 'R': return clRed;
        case 'r': return clMaroon;
        case 'B': return clBlue;
        case 'b': return clNavy;
        case 'Y': return clYellow;
        case 'y': return RGB(232, 184, 40);   // gold
        case 'G': return clGreen;
        case 'L': return clLime;
        case 'C': return RGB(168, 216, 240);  // glass
        case 'T': return clTeal;
        case 'k': return RGB(248, 208, 160);  // skin
        case 'n': return RGB(136, 80, 32);    // brown
        default: throw EInvalidGraphic(std::string("Glyph art uses an unknown colour '") + c + "'");
    }
}

struct TArt {
    std::vector<const char*> Rows;
    bool DisabledFrame = false;  // add a second, greyed frame
};

const std::map<int, TArt>& Arts() {
    static const std::map<int, TArt> arts = {
        // 4: clear the list (a waste bin), with its disabled frame.
        {4, {{"................",
              "......KKKK......",
              ".....K....K.....",
              "..KKKKKKKKKKKK..",
              "..KWWssssssggK..",
              "..KKKKKKKKKKKK..",
              "...KWsgsgsgsK...",
              "...KWsgsgsgsK...",
              "...KWsgsgsgsK...",
              "...KWsgsgsgsK...",
              "...KWsgsgsgsK...",
              "...KWsgsgsgsK...",
              "...KWsgsgsgsK...",
              "...KWsgsgsgsK...",
              "....KKKKKKKK....",
              "................"},
             true}},
        // 8: look up (a magnifying glass).
        {8, {{"................",
              ".....KKKKK......",
              "...KKCCCCCKK....",
              "...KCWWCCCCK....",
              "..KCWWCCCCCCK...",
              "..KCWCCCCCCCK...",
              "..KCCCCCCCCCK...",
              "..KCCCCCCCCCK...",
              "..KCCCCCCCCCK...",
              "...KCCCCCCCK....",
              "...KKCCCCCKK....",
              ".....KKKKKKnK...",
              "..........KnnK..",
              "...........KnnK.",
              "............KnnK",
              ".............KK."}}},
        // 9: date (a calendar leaf, today in red).
        {9, {{"....g......g....",
              "....K......K....",
              ".KKKKKKKKKKKKKK.",
              ".KRRRRRRRRRRRRK.",
              ".KRRRRRRRRRRRRK.",
              ".KKKKKKKKKKKKKK.",
              ".KWWWWWWWWWWWWK.",
              ".KWggWggWggWggK.",
              ".KWWWWWWWWWWWWK.",
              ".KWggWggWRRWggK.",
              ".KWWWWWWWWWWWWK.",
              ".KWggWggWggWggK.",
              ".KWWWWWWWWWWWWK.",
              ".KWggWggWWWWWWK.",
              ".KKKKKKKKKKKKKK.",
              "................"}}},
        // 39: user or employee (head and shoulders).
        {39, {{"................",
               "......KKKK......",
               ".....KnnnnK.....",
               "....KnkkkknK....",
               "....KkKkkKkK....",
               "....KkkkkkkK....",
               "....KkkRRkkK....",
               ".....KkkkkK.....",
               "......KkkK......",
               "....KKBBBBKK....",
               "...KBBBWWBBBK...",
               "..KBBBBWWBBBBK..",
               "..KBBBBWWBBBBK..",
               "..KBBBBBBBBBBK..",
               "..KKKKKKKKKKKK..",
               "................"}}},
        // 44: currency (a coin with the yuan sign).
        {44, {{"................",
               ".....KKKKKK.....",
               "...KKyyyyyyKK...",
               "..KyyyyyyyyyyK..",
               "..KyyKyyyyKyyK..",
               ".KyyyyKyyKyyyyK.",
               ".KyyyyyKKyyyyyK.",
               ".KyyyKKKKKKyyyK.",
               ".KyyyyyKKyyyyyK.",
               ".KyyyKKKKKKyyyK.",
               ".KyyyyyKKyyyyyK.",
               "..KyyyyKKyyyyK..",
               "..KyyyyyyyyyyK..",
               "...KKyyyyyyKK...",
               ".....KKKKKK.....",
               "................"}}},
        // 47: delete rows (a list crossed out).
        {47, {{"................",
               ".KKKKKKKKKKK....",
               ".KWWWWWWWWWK....",
               ".KWbbbbbbWWK....",
               ".KWWWWWWWWWK....",
               ".KWbbbbbbWWK....",
               ".KWWWWWWWWWK....",
               ".KWbbbbbbWWK....",
               ".KWWWWWWRRWK.RR.",
               ".KWbbbbbRRRKRRR.",
               ".KWWWWWWWRRRRR..",
               ".KWbbbbbbWRRR...",
               ".KWWWWWWWRRRRR..",
               ".KKKKKKKRRRKRRR.",
               "........RR...RR.",
               "................"}}},
        // 78: departments (an organisation chart).
        {78, {{"................",
               ".....KKKKKK.....",
               ".....KYYYYK.....",
               ".....KYYYYK.....",
               ".....KKKKKK.....",
               ".......KK.......",
               ".......KK.......",
               "...KKKKKKKKKK...",
               "...KK......KK...",
               "...KK......KK...",
               ".KKKKKK..KKKKKK.",
               ".KGGGGK..KGGGGK.",
               ".KGGGGK..KGGGGK.",
               ".KGGGGK..KGGGGK.",
               ".KKKKKK..KKKKKK.",
               "................"}}},
        // 81: footer and sign-off (a page with a signature above its footer band).
        {81, {{"................",
               "..KKKKKKKKKK....",
               "..KWWWWWWWWKK...",
               "..KWggggggWKWK..",
               "..KWWWWWWWWKKKK.",
               "..KWggggggWWWWK.",
               "..KWWWWWWWWWWWK.",
               "..KWggggggggWWK.",
               "..KWWWWWWWWWWWK.",
               "..KWWWWWWWWWWWK.",
               "..KWBBWWBWWBBWK.",
               "..KWWBBWBBBWWBK.",
               "..KWWWWWWWWWWWK.",
               "..KWRRRRRRRRRWK.",
               "..KKKKKKKKKKKKK.",
               "................"}}},
        // 84: accounting and budget items (a tree of items).
        {84, {{".KKKK...........",
               ".KRRK.ggggggggg.",
               ".KRRK...........",
               ".KKKK...........",
               "..K.............",
               "..K..KKK........",
               "..KKKKGK.gggggg.",
               "..K..KKK........",
               "..K.............",
               "..K..KKK........",
               "..KKKKGK.gggggg.",
               "..K..KKK........",
               "..K.............",
               "..K..KKK........",
               "..KKKKBK.gggggg.",
               ".....KKK........"}}},
    };
    return arts;
}

// The disabled frame: the dark parts in grey with a white relief one pixel below and right.
void DrawDisabledFrame(TBitmap& bmp, int size) {
    const TColor bg = Background;
    std::vector<bool> dark(static_cast<size_t>(size) * size);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            TColor c = bmp.Pixel(x, y);
            dark[static_cast<size_t>(y) * size + x] = c != bg && GetRValue(c) + GetGValue(c) + GetBValue(c) < 384;
        }
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x)
            if (dark[static_cast<size_t>(y) * size + x] && x + 1 < size && y + 1 < size)
                bmp.SetPixel(size + x + 1, y + 1, clWhite);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x)
            if (dark[static_cast<size_t>(y) * size + x]) bmp.SetPixel(size + x, y, clGray);
}

}  // namespace

const std::vector<int>& GlyphNumbers() {
    static const std::vector<int> ids = [] {
        std::vector<int> v;
        for (const auto& [id, art] : Arts()) v.push_back(id);
        return v;
    }();
    return ids;
}

bool BuildGlyph(int id, TBitmap& bitmap) {
    auto it = Arts().find(id);
    if (it == Arts().end()) return false;
    const TArt& art = it->second;
    int size = static_cast<int>(art.Rows.size());
    int frames = art.DisabledFrame ? 2 : 1;
    TBitmap bmp(size * frames, size);
    bmp.Fill(Background);
    for (int y = 0; y < size; ++y) {
        std::string row = art.Rows[static_cast<size_t>(y)];
        if (static_cast<int>(row.size()) != size)
            throw EInvalidGraphic("Glyph " + std::to_string(id) + " row " + std::to_string(y) + " is " +
                                  std::to_string(row.size()) + " pixels wide, not " + std::to_string(size));
        for (int x = 0; x < size; ++x) bmp.SetPixel(x, y, PaletteColor(row[static_cast<size_t>(x)]));
    }
    if (art.DisabledFrame) DrawDisabledFrame(bmp, size);
    // The caller's Transparent setting stays; the transparent colour follows the picture.
    bmp.SetTransparent(bitmap.Transparent());
    bmp.SetTransparentMode(tmAuto);
    bmp.SetPixelFormat(pf24bit);
    bitmap.Assign(&bmp);
    return true;
}

}  // namespace vantres
