#include "controls/GSpdBtn.h"

#include "platform/forms/Dialogs.h"
#include "platform/graphics/Bitmap.h"
#include "platform/system/Library.h"

using namespace plat;

namespace qm {

TGlyphLibrary& TGlyphLibrary::Instance() {
    static TGlyphLibrary lib;
    return lib;
}

void TGlyphLibrary::Load() {
    if (fLoaded) return;
    fLoaded = true;
    // Kept loaded for the life of the process: buttons load pictures at any time.
    HMODULE h = LoadLibrary("Vantres.dll");
    // The staged tree keeps outside libraries in ext/ beside this library's lib/.
    if (!h) {
        std::string self = GetModuleFileNameOf(reinterpret_cast<const void*>(&TGlyphLibrary::Instance));
        std::string folder = self.substr(0, self.find_last_of('/') + 1);
        h = LoadLibraryFrom(folder + "../ext", "Vantres.dll");
    }
    if (!h) return;
    fGetMax = reinterpret_cast<int (*)()>(GetProcAddress(h, "GetMaxBmpID"));
    fLoadBmp = reinterpret_cast<bool (*)(TBitmap*, int)>(GetProcAddress(h, "LoadBmp"));
    if (!fGetMax || !fLoadBmp) fGetMax = nullptr, fLoadBmp = nullptr;
}

void TGlyphLibrary::SetFunctions(int (*getMax)(), bool (*loadBmp)(TBitmap*, int)) {
    fGetMax = getMax;
    fLoadBmp = loadBmp;
    fLoaded = getMax != nullptr;
}

int TGlyphLibrary::MaxBmpID() {
    Load();
    return fGetMax ? fGetMax() : 0;
}

bool TGlyphLibrary::LoadBmp(TBitmap* bitmap, int n) {
    Load();
    return fLoadBmp ? fLoadBmp(bitmap, n) : false;
}

PLAT_REGISTER_CLASS(TGSpeedButton, TSpeedButton) {
    b.Property("GlyphIndex", &Self::GlyphIndex, &Self::SetGlyphIndex).Default(0);
    b.Property("HintIndex", &Self::HintIndex, &Self::SetHintIndex).Default(0);
}

TGSpeedButton::TGSpeedButton(TComponent* owner) : TSpeedButton(owner) { SetFlat(true); }

void TGSpeedButton::SetGlyphIndex(int n) {
    if (n == fGlyphIndex) return;
    fGlyphIndex = n;
    SetCaption(std::to_string(n));
    try {
        TGlyphLibrary& lib = TGlyphLibrary::Instance();
        if (n == 0 || n > lib.MaxBmpID()) {
            SetGlyph(nullptr);
            return;
        }
        TBitmap bmp;
        if (lib.LoadBmp(&bmp, n)) {
            SetGlyph(&bmp);
            SetCaption("");
            // A picture of height 0 has no frames to count.
            if (bmp.Height() > 0) SetNumGlyphs(static_cast<TNumGlyphs>(bmp.Width() / bmp.Height()));
        }
    } catch (const std::exception&) {
        // The number stays stored and shown.
        MessageDlg("读取 BMP 发生错误", mtError, {mbOK});
    }
}

}  // namespace qm
