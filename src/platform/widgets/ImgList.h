#pragma once
// Image lists: a row of equally sized pictures addressed by index, shared by list views, tree
// views, tool bars and menus. Each image is kept as its own bitmap; a masked list leaves out
// each image's transparent colour when drawing.
#include <memory>
#include <string>
#include <vector>

#include "platform/forms/Classes.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Canvas.h"

namespace plat {

enum TDrawingStyle { dsFocus, dsSelected, dsNormal, dsTransparent };
enum TImageType { itImage, itMask };
PLAT_DECLARE_ENUM(TDrawingStyle)
PLAT_DECLARE_ENUM(TImageType)

// "TImageIndex": an integer index into an image list, -1 for none.
const TTypeInfo* TypeImageIndex();

class TCustomImageList : public TComponent {
    PLAT_CLASS(TCustomImageList)
    explicit TCustomImageList(TComponent* owner);
    ~TCustomImageList() override;

    int Width() const { return fWidth; }
    int Height() const { return fHeight; }
    // Changing the size clears the list (as the original does).
    void SetWidth(int v);
    void SetHeight(int v);
    int Count() const { return static_cast<int>(fImages.size()); }
    int AllocBy() const { return fAllocBy; }
    void SetAllocBy(int v) { fAllocBy = v; }
    TColor BkColor() const { return fBkColor; }
    void SetBkColor(TColor c);
    TColor BlendColor() const { return fBlendColor; }
    void SetBlendColor(TColor c) { fBlendColor = c; }
    TDrawingStyle DrawingStyle() const { return fDrawingStyle; }
    void SetDrawingStyle(TDrawingStyle s) { fDrawingStyle = s; }
    TImageType ImageType() const { return fImageType; }
    void SetImageType(TImageType t) { fImageType = t; }
    bool Masked() const { return fMasked; }
    void SetMasked(bool v);
    bool ShareImages() const { return fShareImages; }
    void SetShareImages(bool v) { fShareImages = v; }

    // Adds the image (and, for a masked list, its mask: white = transparent); a picture wider than
    // Width adds one image per Width-wide cell. Answers the index of the first image added.
    int Add(TBitmap* image, TBitmap* mask = nullptr);
    // Adds with `maskColor` as transparent colour (clDefault: each cell's bottom-left pixel).
    int AddMasked(TBitmap* image, TColor maskColor);
    void Insert(int index, TBitmap* image, TBitmap* mask = nullptr);
    void Replace(int index, TBitmap* image, TBitmap* mask = nullptr);
    void Delete(int index);  // -1 clears
    void Clear();
    void Move(int curIndex, int newIndex);
    // Copies image `index` into `image` (resized to Width x Height). False when out of range.
    bool GetBitmap(int index, TBitmap* image) const;
    // The image's pixels (nullptr when out of range) and whether it is drawn transparently.
    const TBitmap* Image(int index) const;
    // Draws image `index` at (x, y); a disabled image is drawn greyed.
    void Draw(TCanvas* canvas, int x, int y, int index, bool enabled = true) const;

    // A description stores the images as one picture ("Bitmap", BMP or PNG bytes) in cells of
    // Width x Height, left to right and top to bottom.
    bool ReadDefinedProperty(const std::string& name, const TDfmValue& value) override;
    void ReadImages(const std::string& bytes);
    std::string WriteImages() const;  // BMP bytes of a one-row strip
    void Assign(TPersistent* source) override;

    // Raised after every change of the images or their size.
    TNotifyEvent OnChange;
    // How many times the list changed (lets users of the list notice changes without a handler).
    int ChangeCount() const { return fChangeCount; }

protected:
    void Change();
    void Loaded() override;

private:
    struct TImage {
        std::unique_ptr<TBitmap> Pixels;
        bool HasTransparent = false;
        TColor Transparent = clNone;
    };
    TImage MakeCell(TBitmap* image, TBitmap* mask, int cellX, TColor maskColor) const;
    int fWidth = 16, fHeight = 16;
    int fAllocBy = 4;
    TColor fBkColor = clNone, fBlendColor = clNone;
    TDrawingStyle fDrawingStyle = dsNormal;
    TImageType fImageType = itImage;
    bool fMasked = true;
    bool fShareImages = false;
    int fChangeCount = 0;
    std::vector<TImage> fImages;
};

class TImageList : public TCustomImageList {
    PLAT_CLASS(TImageList)
    using TCustomImageList::TCustomImageList;
};

}  // namespace plat
