#include "platform/graphics/Graphics.h"

#include <cstdio>

#include "platform/forms/TypInfo.h"

namespace plat {

PLAT_DEFINE_ENUM(TFontStyle, "fsBold", "fsItalic", "fsUnderline", "fsStrikeOut")
PLAT_DEFINE_SET(TFontStyles, TFontStyle)
PLAT_DEFINE_ENUM(TFontPitch, "fpDefault", "fpVariable", "fpFixed")

namespace {
// Classic light scheme, as $00BBGGRR.
TColor gSysColors[SystemColorCount] = {
    0xC8C8C8,  // scroll bar
    0x000000,  // background
    0x800000,  // active caption
    0x808080,  // inactive caption
    0xC0C0C0,  // menu
    0xFFFFFF,  // window
    0x000000,  // window frame
    0x000000,  // menu text
    0x000000,  // window text
    0xFFFFFF,  // caption text
    0xC0C0C0,  // active border
    0xC0C0C0,  // inactive border
    0x808080,  // application work space
    0x800000,  // highlight
    0xFFFFFF,  // highlight text
    0xC0C0C0,  // button face
    0x808080,  // button shadow
    0x808080,  // grayed text
    0x000000,  // button text
    0xC0C0C0,  // inactive caption text
    0xFFFFFF,  // button highlight
    0x000000,  // 3D dark shadow
    0xDFDFDF,  // 3D light
    0x000000,  // info text
    0xE1FFFF,  // info background
};

const std::vector<TIdentMapEntry>& ColorIdents() {
    static const std::vector<TIdentMapEntry> idents = {
        {clBlack, "clBlack"}, {clMaroon, "clMaroon"}, {clGreen, "clGreen"}, {clOlive, "clOlive"},
        {clNavy, "clNavy"}, {clPurple, "clPurple"}, {clTeal, "clTeal"}, {clGray, "clGray"},
        {clSilver, "clSilver"}, {clRed, "clRed"}, {clLime, "clLime"}, {clYellow, "clYellow"},
        {clBlue, "clBlue"}, {clFuchsia, "clFuchsia"}, {clAqua, "clAqua"}, {clWhite, "clWhite"},
        {clScrollBar, "clScrollBar"}, {clBackground, "clBackground"}, {clActiveCaption, "clActiveCaption"},
        {clInactiveCaption, "clInactiveCaption"}, {clMenu, "clMenu"}, {clWindow, "clWindow"},
        {clWindowFrame, "clWindowFrame"}, {clMenuText, "clMenuText"}, {clWindowText, "clWindowText"},
        {clCaptionText, "clCaptionText"}, {clActiveBorder, "clActiveBorder"}, {clInactiveBorder, "clInactiveBorder"},
        {clAppWorkSpace, "clAppWorkSpace"}, {clHighlight, "clHighlight"}, {clHighlightText, "clHighlightText"},
        {clBtnFace, "clBtnFace"}, {clBtnShadow, "clBtnShadow"}, {clGrayText, "clGrayText"},
        {clBtnText, "clBtnText"}, {clInactiveCaptionText, "clInactiveCaptionText"},
        {clBtnHighlight, "clBtnHighlight"}, {cl3DDkShadow, "cl3DDkShadow"}, {cl3DLight, "cl3DLight"},
        {clInfoText, "clInfoText"}, {clInfoBk, "clInfoBk"}, {clNone, "clNone"}, {clDefault, "clDefault"},
        // Aliases read from descriptions; the first name of a value is the one written.
        {clLtGray, "clLtGray"}, {clDkGray, "clDkGray"}};
    return idents;
}
}  // namespace

TColor GetSysColor(int index) { return index >= 0 && index < SystemColorCount ? gSysColors[index] : 0; }
void SetSysColor(int index, TColor rgb) {
    if (index >= 0 && index < SystemColorCount) gSysColors[index] = rgb;
}

TColor ColorToRGB(TColor color) {
    if (IsSystemColor(color)) return GetSysColor(color & 0xFF);
    return color;
}

bool ColorToIdent(TColor color, std::string& ident) { return TypeColor()->IntToIdent(color, ident); }

bool IdentToColor(const std::string& ident, TColor& color) {
    int64_t v = 0;
    if (!TypeColor()->IdentToInt(ident, v)) return false;
    color = static_cast<TColor>(v);
    return true;
}

std::string ColorToString(TColor color) {
    std::string ident;
    if (ColorToIdent(color, ident)) return ident;
    char buf[16];
    std::snprintf(buf, sizeof buf, "$%.8X", static_cast<unsigned>(color));
    return buf;
}

TColor StringToColor(const std::string& text) {
    TColor c = 0;
    if (IdentToColor(text, c)) return c;
    try {
        std::string t = text;
        size_t pos = 0;
        long long v = t.size() > 1 && t[0] == '$' ? std::stoll(t.substr(1), &pos, 16) : std::stoll(t, &pos, 10);
        if (pos + (t[0] == '$' ? 1 : 0) != t.size()) throw std::invalid_argument(t);
        return static_cast<TColor>(v);
    } catch (const std::exception&) {
        throw EConvertError("'" + text + "' is not a valid colour");
    }
}

const TTypeInfo* TypeColor() {
    static const TTypeInfo* t = MakeIntegerType("TColor", ColorIdents());
    return t;
}

const TTypeInfo* TypeFontCharset() {
    static const TTypeInfo* t = MakeIntegerType(
        "TFontCharset",
        {{ANSI_CHARSET, "ANSI_CHARSET"}, {DEFAULT_CHARSET, "DEFAULT_CHARSET"}, {SYMBOL_CHARSET, "SYMBOL_CHARSET"},
         {SHIFTJIS_CHARSET, "SHIFTJIS_CHARSET"}, {HANGEUL_CHARSET, "HANGEUL_CHARSET"}, {GB2312_CHARSET, "GB2312_CHARSET"},
         {CHINESEBIG5_CHARSET, "CHINESEBIG5_CHARSET"}, {OEM_CHARSET, "OEM_CHARSET"}},
        0, 255);
    return t;
}

// ---- TFont ---------------------------------------------------------------------------------

PLAT_REGISTER_CLASS(TFont, TPersistent) {
    b.Property("Charset", &TFont::Charset, &TFont::SetCharset).Type(TypeFontCharset());
    b.Property("Color", &TFont::Color, &TFont::SetColor).Type(TypeColor());
    b.Property("Height", &TFont::Height, &TFont::SetHeight);
    b.Property("Name", &TFont::Name, &TFont::SetName).TypeName("TFontName");
    b.Property("Pitch", &TFont::Pitch, &TFont::SetPitch);
    b.Property("Size", &TFont::Size, &TFont::SetSize).NotStored();
    b.Property("Style", &TFont::Style, &TFont::SetStyle);
}

TFont::TFont() : fName(DefaultFontName), fHeight(DefaultFontHeight) {}

void TFont::Changed() {
    if (fUpdating == 0) OnChange(this);
}

void TFont::SetName(const std::string& name) {
    if (name.empty() || name == fName) return;
    fName = name;
    Changed();
}

void TFont::SetHeight(int height) {
    if (height == fHeight) return;
    fHeight = height;
    Changed();
}

int TFont::Size() const {
    // Points = pixels * 72 / 96, rounded as the original's MulDiv rounds.
    int px = -fHeight;
    int num = px * 72;
    return num >= 0 ? (num + ScreenPixelsPerInch / 2) / ScreenPixelsPerInch : -((-num + ScreenPixelsPerInch / 2) / ScreenPixelsPerInch);
}

void TFont::SetSize(int size) {
    int num = size * ScreenPixelsPerInch;
    int px = num >= 0 ? (num + 36) / 72 : -((-num + 36) / 72);
    SetHeight(-px);
}

void TFont::SetCharset(int charset) {
    if (charset == fCharset) return;
    fCharset = charset;
    Changed();
}

void TFont::SetStyle(TFontStyles style) {
    if (style == fStyle) return;
    fStyle = style;
    Changed();
}

void TFont::SetColor(TColor color) {
    if (color == fColor) return;
    fColor = color;
    Changed();
}

void TFont::SetPitch(TFontPitch pitch) {
    if (pitch == fPitch) return;
    fPitch = pitch;
    Changed();
}

bool TFont::Equals(const TFont& o) const {
    return fName == o.fName && fHeight == o.fHeight && fCharset == o.fCharset && fStyle == o.fStyle &&
           fColor == o.fColor && fPitch == o.fPitch;
}

void TFont::Assign(TPersistent* source) {
    auto* f = dynamic_cast<TFont*>(source);
    if (!f) {
        TPersistent::Assign(source);
        return;
    }
    if (f == this || Equals(*f)) return;
    ++fUpdating;
    fName = f->fName;
    fHeight = f->fHeight;
    fCharset = f->fCharset;
    fStyle = f->fStyle;
    fColor = f->fColor;
    fPitch = f->fPitch;
    --fUpdating;
    Changed();
}

}  // namespace plat
