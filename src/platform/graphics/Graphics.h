#pragma once
// Colours and fonts. Colours are the original encoding: $00BBGGRR for an RGB colour, the high
// bit plus an index for a system colour (clBtnFace, clWindow, ...), resolved by ColorToRGB.
#include <cstdint>
#include <string>

#include "platform/forms/Classes.h"

namespace plat {

using TColor = int32_t;

constexpr TColor SystemColor(int index) { return static_cast<TColor>(0x80000000u | static_cast<uint32_t>(index)); }
constexpr bool IsSystemColor(TColor c) { return (static_cast<uint32_t>(c) & 0xFF000000u) == 0x80000000u; }
constexpr TColor RGB(int r, int g, int b) { return static_cast<TColor>(r | (g << 8) | (b << 16)); }
constexpr int GetRValue(TColor c) { return c & 0xFF; }
constexpr int GetGValue(TColor c) { return (c >> 8) & 0xFF; }
constexpr int GetBValue(TColor c) { return (c >> 16) & 0xFF; }

constexpr int COLOR_SCROLLBAR = 0, COLOR_BACKGROUND = 1, COLOR_ACTIVECAPTION = 2, COLOR_INACTIVECAPTION = 3,
              COLOR_MENU = 4, COLOR_WINDOW = 5, COLOR_WINDOWFRAME = 6, COLOR_MENUTEXT = 7, COLOR_WINDOWTEXT = 8,
              COLOR_CAPTIONTEXT = 9, COLOR_ACTIVEBORDER = 10, COLOR_INACTIVEBORDER = 11, COLOR_APPWORKSPACE = 12,
              COLOR_HIGHLIGHT = 13, COLOR_HIGHLIGHTTEXT = 14, COLOR_BTNFACE = 15, COLOR_BTNSHADOW = 16,
              COLOR_GRAYTEXT = 17, COLOR_BTNTEXT = 18, COLOR_INACTIVECAPTIONTEXT = 19, COLOR_BTNHIGHLIGHT = 20,
              COLOR_3DDKSHADOW = 21, COLOR_3DLIGHT = 22, COLOR_INFOTEXT = 23, COLOR_INFOBK = 24;
constexpr int SystemColorCount = 25;

constexpr TColor clBlack = 0x000000, clMaroon = 0x000080, clGreen = 0x008000, clOlive = 0x008080,
                 clNavy = 0x800000, clPurple = 0x800080, clTeal = 0x808000, clGray = 0x808080,
                 clSilver = 0xC0C0C0, clRed = 0x0000FF, clLime = 0x00FF00, clYellow = 0x00FFFF,
                 clBlue = 0xFF0000, clFuchsia = 0xFF00FF, clAqua = 0xFFFF00, clLtGray = 0xC0C0C0,
                 clDkGray = 0x808080, clWhite = 0xFFFFFF, clNone = 0x1FFFFFFF, clDefault = 0x20000000;
constexpr TColor clScrollBar = SystemColor(COLOR_SCROLLBAR), clBackground = SystemColor(COLOR_BACKGROUND),
                 clActiveCaption = SystemColor(COLOR_ACTIVECAPTION), clInactiveCaption = SystemColor(COLOR_INACTIVECAPTION),
                 clMenu = SystemColor(COLOR_MENU), clWindow = SystemColor(COLOR_WINDOW),
                 clWindowFrame = SystemColor(COLOR_WINDOWFRAME), clMenuText = SystemColor(COLOR_MENUTEXT),
                 clWindowText = SystemColor(COLOR_WINDOWTEXT), clCaptionText = SystemColor(COLOR_CAPTIONTEXT),
                 clActiveBorder = SystemColor(COLOR_ACTIVEBORDER), clInactiveBorder = SystemColor(COLOR_INACTIVEBORDER),
                 clAppWorkSpace = SystemColor(COLOR_APPWORKSPACE), clHighlight = SystemColor(COLOR_HIGHLIGHT),
                 clHighlightText = SystemColor(COLOR_HIGHLIGHTTEXT), clBtnFace = SystemColor(COLOR_BTNFACE),
                 clBtnShadow = SystemColor(COLOR_BTNSHADOW), clGrayText = SystemColor(COLOR_GRAYTEXT),
                 clBtnText = SystemColor(COLOR_BTNTEXT), clInactiveCaptionText = SystemColor(COLOR_INACTIVECAPTIONTEXT),
                 clBtnHighlight = SystemColor(COLOR_BTNHIGHLIGHT), cl3DDkShadow = SystemColor(COLOR_3DDKSHADOW),
                 cl3DLight = SystemColor(COLOR_3DLIGHT), clInfoText = SystemColor(COLOR_INFOTEXT),
                 clInfoBk = SystemColor(COLOR_INFOBK);

// The RGB value of a colour: system colours through the current system colour table.
TColor ColorToRGB(TColor color);
// The system colour table (classic light scheme by default); a widgetset may replace entries.
TColor GetSysColor(int index);
void SetSysColor(int index, TColor rgb);
// Colour identifiers ("clWindow") both ways; the integer type "TColor" registers them.
bool ColorToIdent(TColor color, std::string& ident);
bool IdentToColor(const std::string& ident, TColor& color);
std::string ColorToString(TColor color);  // identifier, else "$00BBGGRR"
TColor StringToColor(const std::string& text);  // identifier or number; raises EConvertError
const TTypeInfo* TypeColor();

// Character sets (the numbers fonts carry) and the integer type "TFontCharset".
constexpr int ANSI_CHARSET = 0, DEFAULT_CHARSET = 1, SYMBOL_CHARSET = 2, SHIFTJIS_CHARSET = 128,
              HANGEUL_CHARSET = 129, GB2312_CHARSET = 134, CHINESEBIG5_CHARSET = 136, OEM_CHARSET = 255;
const TTypeInfo* TypeFontCharset();

enum TFontStyle { fsBold, fsItalic, fsUnderline, fsStrikeOut };
using TFontStyles = TSet<TFontStyle>;
enum TFontPitch { fpDefault, fpVariable, fpFixed };
PLAT_DECLARE_ENUM(TFontStyle)
PLAT_DECLARE_SET(TFontStyles)
PLAT_DECLARE_ENUM(TFontPitch)

constexpr int ScreenPixelsPerInch = 96;

// A font description. Height < 0 is the character height in pixels (what forms store); Size is
// points at 96 DPI. OnChange runs after every change (controls refresh from it).
class TFont : public TPersistent {
    PLAT_CLASS(TFont)
    TFont();

    const std::string& Name() const { return fName; }
    void SetName(const std::string& name);
    int Height() const { return fHeight; }
    void SetHeight(int height);
    int Size() const;
    void SetSize(int size);
    int Charset() const { return fCharset; }
    void SetCharset(int charset);
    TFontStyles Style() const { return fStyle; }
    void SetStyle(TFontStyles style);
    TColor Color() const { return fColor; }
    void SetColor(TColor color);
    TFontPitch Pitch() const { return fPitch; }
    void SetPitch(TFontPitch pitch);
    // Pixel height of the characters (|Height|, or from Size), what text metrics use.
    int PixelHeight() const { return fHeight < 0 ? -fHeight : fHeight; }

    void Assign(TPersistent* source) override;
    bool Equals(const TFont& other) const;

    TNotifyEvent OnChange;

protected:
    virtual void Changed();

private:
    std::string fName;
    int fHeight;
    int fCharset = DEFAULT_CHARSET;
    TFontStyles fStyle;
    TColor fColor = clWindowText;
    TFontPitch fPitch = fpDefault;
    int fUpdating = 0;
};

// The font new controls start with.
constexpr const char* DefaultFontName = "Tahoma";
constexpr int DefaultFontHeight = -11;

}  // namespace plat
