#pragma once
// TGSpeedButton: a flat speed button whose picture is taken by number from the glyph library
// ("Vantres.dll"); a button whose picture cannot be loaded shows its number.
#include "platform/forms/Messages.h"
#include "platform/widgets/Buttons.h"

namespace qm {

// The message a lookup button sends its form (lParam = the control to look up for).
constexpr uint32_t WM_F2LOOKUP = plat::WM_USER + 10;

// The glyph library, loaded once per process. Missing: no pictures (MaxBmpID 0).
class TGlyphLibrary {
public:
    static TGlyphLibrary& Instance();
    int MaxBmpID();
    // True when the bitmap now holds glyph n; raises what the library raises.
    bool LoadBmp(plat::TBitmap* bitmap, int n);
    // Uses these entry points instead of the library (null: look the library up again).
    void SetFunctions(int (*getMax)(), bool (*loadBmp)(plat::TBitmap*, int));

private:
    void Load();
    bool fLoaded = false;
    int (*fGetMax)() = nullptr;
    bool (*fLoadBmp)(plat::TBitmap*, int) = nullptr;
};

class TGSpeedButton : public plat::TSpeedButton {
    PLAT_CLASS(TGSpeedButton)
    explicit TGSpeedButton(plat::TComponent* owner);

    int GlyphIndex() const { return fGlyphIndex; }
    // Loads the picture; the caption shows the number until a picture is loaded. An exception
    // from the library shows "读取 BMP 发生错误" (the number stays).
    void SetGlyphIndex(int n);
    int HintIndex() const { return fHintIndex; }
    void SetHintIndex(int n) { fHintIndex = n; }

protected:
    int fGlyphIndex = 0;
    int fHintIndex = 0;
};

}  // namespace qm
