#include "platform/widgets/ImgList.h"

#include <algorithm>

#include "platform/forms/DfmReader.h"

namespace plat {

PLAT_DEFINE_ENUM(TDrawingStyle, "dsFocus", "dsSelected", "dsNormal", "dsTransparent")
PLAT_DEFINE_ENUM(TImageType, "itImage", "itMask")

const TTypeInfo* TypeImageIndex() {
    static const TTypeInfo* t = MakeIntegerType("TImageIndex");
    return t;
}

PLAT_REGISTER_CLASS(TCustomImageList, TComponent) {
    b.Property("AllocBy", &Self::AllocBy, &Self::SetAllocBy).Default(4).Unpublished();
    b.Property("BlendColor", &Self::BlendColor, &Self::SetBlendColor).Type(TypeColor()).Unpublished();
    b.Property("BkColor", &Self::BkColor, &Self::SetBkColor).Type(TypeColor()).Unpublished();
    b.Property("DrawingStyle", &Self::DrawingStyle, &Self::SetDrawingStyle).Default(dsNormal).Unpublished();
    b.Property("Height", &Self::Height, &Self::SetHeight).Default(16).Unpublished();
    b.Property("ImageType", &Self::ImageType, &Self::SetImageType).Default(itImage).Unpublished();
    b.Property("Masked", &Self::Masked, &Self::SetMasked).Default(1).Unpublished();
    b.Property("ShareImages", &Self::ShareImages, &Self::SetShareImages).Default(0).Unpublished();
    b.Property("Width", &Self::Width, &Self::SetWidth).Default(16).Unpublished();
    b.Event("OnChange", &Self::OnChange).Unpublished();
}

PLAT_REGISTER_CLASS(TImageList, TCustomImageList) {
    b.Publish({"AllocBy", "BlendColor", "BkColor", "DrawingStyle", "Height", "ImageType", "Masked", "ShareImages",
               "Width", "OnChange"});
}

TCustomImageList::TCustomImageList(TComponent* owner) : TComponent(owner) {}
TCustomImageList::~TCustomImageList() = default;

void TCustomImageList::Change() {
    ++fChangeCount;
    if (!IsLoading()) OnChange(this);
}

void TCustomImageList::Loaded() {
    TComponent::Loaded();
    Change();
}

void TCustomImageList::SetWidth(int v) {
    if (v == fWidth || v < 1) return;
    fWidth = v;
    fImages.clear();
    Change();
}

void TCustomImageList::SetHeight(int v) {
    if (v == fHeight || v < 1) return;
    fHeight = v;
    fImages.clear();
    Change();
}

void TCustomImageList::SetBkColor(TColor c) {
    if (c == fBkColor) return;
    fBkColor = c;
    Change();
}

void TCustomImageList::SetMasked(bool v) {
    if (v == fMasked) return;
    fMasked = v;
    Change();
}

TCustomImageList::TImage TCustomImageList::MakeCell(TBitmap* image, TBitmap* mask, int cellX, TColor maskColor) const {
    TImage img;
    img.Pixels = std::make_unique<TBitmap>(fWidth, fHeight);
    TColor fill = fBkColor == clNone ? clFuchsia : ColorToRGB(fBkColor);
    img.Pixels->Fill(fill);
    for (int y = 0; y < fHeight && y < image->Height(); ++y)
        for (int x = 0; x < fWidth && cellX + x < image->Width(); ++x) img.Pixels->SetPixel(x, y, image->Pixel(cellX + x, y));
    if (!fMasked) return img;
    if (mask) {
        // Mask white = transparent: give those pixels one colour that then counts as transparent.
        TColor key = clFuchsia;
        for (int y = 0; y < fHeight; ++y)
            for (int x = 0; x < fWidth; ++x)
                if (ColorToRGB(mask->Pixel(cellX + x, y)) == clWhite) img.Pixels->SetPixel(x, y, key);
        img.HasTransparent = true;
        img.Transparent = key;
    } else {
        img.HasTransparent = true;
        img.Transparent = maskColor == clDefault ? img.Pixels->Pixel(0, fHeight - 1) : ColorToRGB(maskColor);
    }
    img.Pixels->SetTransparentColor(img.Transparent);
    img.Pixels->SetTransparent(true);
    return img;
}

int TCustomImageList::Add(TBitmap* image, TBitmap* mask) {
    if (!image) throw EInvalidOperation("Invalid image");
    int first = Count();
    int cells = std::max(1, image->Width() / fWidth);
    for (int c = 0; c < cells; ++c) fImages.push_back(MakeCell(image, mask, c * fWidth, clDefault));
    Change();
    return first;
}

int TCustomImageList::AddMasked(TBitmap* image, TColor maskColor) {
    if (!image) throw EInvalidOperation("Invalid image");
    int first = Count();
    int cells = std::max(1, image->Width() / fWidth);
    bool was = fMasked;
    fMasked = true;
    for (int c = 0; c < cells; ++c) fImages.push_back(MakeCell(image, nullptr, c * fWidth, maskColor));
    fMasked = was;
    Change();
    return first;
}

void TCustomImageList::Insert(int index, TBitmap* image, TBitmap* mask) {
    if (index < 0 || index > Count()) throw EInvalidOperation("Image list index out of bounds");
    if (!image) throw EInvalidOperation("Invalid image");
    fImages.insert(fImages.begin() + index, MakeCell(image, mask, 0, clDefault));
    Change();
}

void TCustomImageList::Replace(int index, TBitmap* image, TBitmap* mask) {
    if (index < 0 || index >= Count()) throw EInvalidOperation("Image list index out of bounds");
    if (!image) throw EInvalidOperation("Invalid image");
    fImages[static_cast<size_t>(index)] = MakeCell(image, mask, 0, clDefault);
    Change();
}

void TCustomImageList::Delete(int index) {
    if (index == -1) {
        Clear();
        return;
    }
    if (index < 0 || index >= Count()) throw EInvalidOperation("Image list index out of bounds");
    fImages.erase(fImages.begin() + index);
    Change();
}

void TCustomImageList::Clear() {
    fImages.clear();
    Change();
}

void TCustomImageList::Move(int curIndex, int newIndex) {
    if (curIndex < 0 || curIndex >= Count() || newIndex < 0 || newIndex >= Count())
        throw EInvalidOperation("Image list index out of bounds");
    TImage img = std::move(fImages[static_cast<size_t>(curIndex)]);
    fImages.erase(fImages.begin() + curIndex);
    fImages.insert(fImages.begin() + newIndex, std::move(img));
    Change();
}

const TBitmap* TCustomImageList::Image(int index) const {
    if (index < 0 || index >= Count()) return nullptr;
    return fImages[static_cast<size_t>(index)].Pixels.get();
}

bool TCustomImageList::GetBitmap(int index, TBitmap* image) const {
    const TBitmap* src = Image(index);
    if (!src || !image) return false;
    image->Assign(const_cast<TBitmap*>(src));
    return true;
}

void TCustomImageList::Draw(TCanvas* canvas, int x, int y, int index, bool enabled) const {
    const TBitmap* src = Image(index);
    if (!src || !canvas) return;
    if (enabled) {
        canvas->Draw(x, y, const_cast<TBitmap*>(src));
        return;
    }
    // Disabled: every non-transparent pixel in the shadow colour.
    TBitmap grey(fWidth, fHeight);
    const TImage& img = fImages[static_cast<size_t>(index)];
    TColor key = img.HasTransparent ? img.Transparent : clFuchsia;
    grey.Fill(key);
    TColor shadow = ColorToRGB(clBtnShadow);
    for (int yy = 0; yy < fHeight; ++yy)
        for (int xx = 0; xx < fWidth; ++xx)
            if (!img.HasTransparent || src->Pixel(xx, yy) != img.Transparent) grey.SetPixel(xx, yy, shadow);
    grey.SetTransparentColor(key);
    grey.SetTransparent(true);
    canvas->Draw(x, y, &grey);
}

bool TCustomImageList::ReadDefinedProperty(const std::string& name, const TDfmValue& value) {
    if (!SameName(name, "Bitmap")) return TComponent::ReadDefinedProperty(name, value);
    if (value.Kind != TDfmValueKind::Binary) throw EReadError("Bitmap: binary data expected");
    ReadImages(std::string(value.Bytes.begin(), value.Bytes.end()));
    return true;
}

void TCustomImageList::ReadImages(const std::string& bytes) {
    fImages.clear();
    if (!bytes.empty()) {
        TBitmap strip;
        strip.LoadFromMemory(bytes.data(), bytes.size());
        for (int top = 0; top + fHeight <= strip.Height(); top += fHeight) {
            TBitmap row(strip.Width(), fHeight);
            for (int y = 0; y < fHeight; ++y)
                for (int x = 0; x < strip.Width(); ++x) row.SetPixel(x, y, strip.Pixel(x, top + y));
            for (int c = 0; c + fWidth <= strip.Width(); c += fWidth) fImages.push_back(MakeCell(&row, nullptr, c, clDefault));
        }
    }
    Change();
}

std::string TCustomImageList::WriteImages() const {
    TBitmap strip(std::max(1, Count()) * fWidth, fHeight);
    strip.Fill(clFuchsia);
    for (int i = 0; i < Count(); ++i) {
        const TBitmap* src = Image(i);
        for (int y = 0; y < fHeight; ++y)
            for (int x = 0; x < fWidth; ++x) strip.SetPixel(i * fWidth + x, y, src->Pixel(x, y));
    }
    return strip.SaveToMemory(TImageFormat::Bmp);
}

void TCustomImageList::Assign(TPersistent* source) {
    auto* src = dynamic_cast<TCustomImageList*>(source);
    if (!src) {
        TComponent::Assign(source);
        return;
    }
    fWidth = src->fWidth;
    fHeight = src->fHeight;
    fMasked = src->fMasked;
    fBkColor = src->fBkColor;
    fImages.clear();
    for (auto& img : src->fImages) {
        TImage c;
        c.Pixels = std::make_unique<TBitmap>();
        c.Pixels->Assign(img.Pixels.get());
        c.HasTransparent = img.HasTransparent;
        c.Transparent = img.Transparent;
        fImages.push_back(std::move(c));
    }
    Change();
}

}  // namespace plat
