#include "platform/widgets/Animate.h"

#include <algorithm>
#include <cmath>

#include "platform/forms/Resources.h"
#include "platform/graphics/Canvas.h"

namespace plat {

PLAT_DEFINE_ENUM(TCommonAVI, "aviNone", "aviFindFolder", "aviFindFile", "aviFindComputer", "aviCopyFiles",
                 "aviCopyFile", "aviRecycleFile", "aviEmptyRecycle", "aviDeleteFile")

namespace {
constexpr int kClipFrames = 12;
constexpr int kClipSize = 16;
constexpr TColor kClipBack = clFuchsia;  // the transparent colour of the built-in clips

// Frame `i` of a built-in clip: a magnifier circling over a page for the find clips, a page
// travelling from left to right for the others.
void DrawClipFrame(TBitmap& bmp, TCommonAVI clip, int i) {
    TCanvas& c = *bmp.Canvas();
    bmp.Fill(kClipBack);
    auto page = [&](int x, int y) {
        c.Brush()->SetColor(clWhite);
        c.FillRect(Bounds(x, y, 7, 9));
        c.Brush()->SetColor(clGray);
        c.FrameRect(Bounds(x, y, 7, 9));
        c.Pen()->SetColor(clGray);
        for (int l = 2; l < 8; l += 2) {
            c.MoveTo(x + 2, y + l);
            c.LineTo(x + 5, y + l);
        }
    };
    bool find = clip == aviFindFolder || clip == aviFindFile || clip == aviFindComputer;
    if (find) {
        page(2, 3);
        double a = i * 2 * 3.14159265358979 / kClipFrames;
        int cx = 9 + static_cast<int>(std::lround(3 * std::cos(a)));
        int cy = 6 + static_cast<int>(std::lround(3 * std::sin(a)));
        c.Pen()->SetColor(clNavy);
        c.Pen()->SetWidth(1);
        c.Polyline({{cx - 1, cy - 3}, {cx + 1, cy - 3}, {cx + 3, cy - 1}, {cx + 3, cy + 1}, {cx + 1, cy + 3},
                    {cx - 1, cy + 3}, {cx - 3, cy + 1}, {cx - 3, cy - 1}, {cx - 1, cy - 3}});
        c.Pen()->SetWidth(2);
        c.MoveTo(cx + 3, cy + 3);
        c.LineTo(std::min(cx + 6, 15), std::min(cy + 6, 15));
    } else {
        TColor target = clip == aviCopyFiles || clip == aviCopyFile ? clYellow : clGreen;
        c.Brush()->SetColor(target);
        c.FillRect({12, 9, 16, 16});
        page(i * 9 / (kClipFrames - 1), 2);
    }
}
}  // namespace

PLAT_REGISTER_CLASS(TAnimate, TWinControl) {
    b.Publish({"Align"});
    b.Property("Active", &TAnimate::Active, &TAnimate::SetActive).Default(0);
    b.Publish({"Anchors"});
    b.Property("AutoSize", &TAnimate::AutoSize, &TAnimate::SetAutoSize).Default(1);
    b.Property("BorderWidth", &TAnimate::BorderWidth, &TAnimate::SetBorderWidth).Default(0);
    b.Property("Center", &TAnimate::Center, &TAnimate::SetCenter).Default(1);
    b.Publish({"Color"});
    b.Property("CommonAVI", &TAnimate::CommonAVI, &TAnimate::SetCommonAVI).Default(aviNone);
    b.Publish({"DragCursor", "DragKind", "DragMode"});
    b.Property("FileName", &TAnimate::FileName, &TAnimate::SetFileName).TypeName("TFileName");
    b.Publish({"ParentColor", "ParentShowHint", "PopupMenu"});
    b.Property("Repetitions", &TAnimate::Repetitions, &TAnimate::SetRepetitions).Default(0);
    b.Property("ResId", &TAnimate::ResID, &TAnimate::SetResID).Default(0);
    b.Property("ResName", &TAnimate::ResName, &TAnimate::SetResName);
    b.Publish({"ShowHint"});
    b.Property("StartFrame", &TAnimate::StartFrame, &TAnimate::SetStartFrame).TypeName("Smallint").Default(1);
    b.Property("StopFrame", &TAnimate::StopFrame, &TAnimate::SetStopFrame).TypeName("Smallint").Default(0);
    b.Property("Timers", &TAnimate::Timers, &TAnimate::SetTimers).Default(0);
    b.Property("Transparent", &TAnimate::Transparent, &TAnimate::SetTransparent).Default(1);
    b.Publish({"Visible"});
    b.Event("OnClose", &TAnimate::OnClose);
    b.Event("OnOpen", &TAnimate::OnOpen);
    b.Event("OnStart", &TAnimate::OnStart);
    b.Event("OnStop", &TAnimate::OnStop);
}

TAnimate::TAnimate(TComponent* owner) : TWinControl(owner) {
    fWidth = 100;
    fHeight = 80;
}

TAnimate::~TAnimate() = default;

void TAnimate::SetActive(bool v) {
    if (IsLoading()) {
        fActiveWanted = v;
        return;
    }
    if (v == fActive) return;
    if (v) Play(fStartFrame, fStopFrame, fRepetitions);
    else Stop();
}

void TAnimate::SetCommonAVI(TCommonAVI v) {
    if (v == fCommonAVI) return;
    fCommonAVI = v;
    fFileName.clear();
    fResName.clear();
    fResID = 0;
    if (IsLoading()) return;
    if (v == aviNone) CloseClip();
    else OpenClip(false);
}

void TAnimate::SetFileName(const std::string& v) {
    if (v == fFileName) return;
    fFileName = v;
    fCommonAVI = aviNone;
    fResName.clear();
    fResID = 0;
    if (IsLoading()) return;
    if (v.empty()) CloseClip();
    else OpenClip(false);
}

void TAnimate::SetResName(const std::string& v) {
    if (v == fResName) return;
    fResName = v;
    fCommonAVI = aviNone;
    fFileName.clear();
    fResID = 0;
    if (IsLoading()) return;
    if (v.empty()) CloseClip();
    else OpenClip(false);
}

void TAnimate::SetResID(int v) {
    if (v == fResID) return;
    fResID = v;
    fCommonAVI = aviNone;
    fFileName.clear();
    fResName.clear();
    if (IsLoading()) return;
    if (v == 0) CloseClip();
    else OpenClip(false);
}

void TAnimate::SetOpen(bool v) {
    if (v == fOpen) return;
    if (v) OpenClip(false);
    else CloseClip();
}

void TAnimate::LoadStrip(TBitmap& strip) {
    if (strip.Empty() || strip.Width() % strip.Height() != 0)
        throw EInvalidOperation("The animation picture is not a strip of square frames");
    int n = strip.Width() / strip.Height(), size = strip.Height();
    for (int f = 0; f < n; ++f) {
        auto frame = std::make_unique<TBitmap>(size, size);
        for (int y = 0; y < size; ++y)
            for (int x = 0; x < size; ++x) frame->SetPixel(x, y, strip.Pixel(f * size + x, y));
        frame->SetTransparentColor(strip.TransparentColor());
        fFrames.push_back(std::move(frame));
    }
}

void TAnimate::OpenClip(bool keepRange) {
    Stop();
    fFrames.clear();
    fOpen = false;
    if (fCommonAVI != aviNone) {
        for (int i = 0; i < kClipFrames; ++i) {
            auto frame = std::make_unique<TBitmap>(kClipSize, kClipSize);
            DrawClipFrame(*frame, fCommonAVI, i);
            frame->SetTransparentColor(kClipBack);
            fFrames.push_back(std::move(frame));
        }
    } else if (!fResName.empty() || fResID != 0) {
        std::string name = fResName.empty() ? std::to_string(fResID) : fResName;
        TBitmap strip;
        try {
            strip.LoadFromResourceName(name);
        } catch (const Exception& e) {
            throw EInvalidOperation("Cannot open the animation " + name + ": " + e.what());
        }
        LoadStrip(strip);
    } else if (!fFileName.empty()) {
        TBitmap strip;
        try {
            strip.LoadFromFile(fFileName);
        } catch (const Exception& e) {
            throw EInvalidOperation("Cannot open the animation " + fFileName + ": " + e.what());
        }
        LoadStrip(strip);
    } else {
        throw EInvalidOperation("Cannot open the animation: no clip, resource or file is given");
    }
    fOpen = true;
    fFrameWidth = fFrames.front()->Width();
    fFrameHeight = fFrames.front()->Height();
    int n = FrameCount();
    if (!keepRange) {
        fStartFrame = 1;
        fStopFrame = n;
    }
    fStartFrame = std::clamp(fStartFrame, 1, n);
    if (fStopFrame <= 0 || fStopFrame > n) fStopFrame = n;
    fFrame = fStartFrame;
    AdjustSize();
    Invalidate();
    OnOpen(this);
}

void TAnimate::CloseClip() {
    if (!fOpen) return;
    Stop();
    fFrames.clear();
    fOpen = false;
    fFrame = 0;
    fFrameWidth = fFrameHeight = 0;
    Invalidate();
    OnClose(this);
}

void TAnimate::CheckOpen() {
    if (!fOpen) throw EInvalidOperation("Cannot play an animation that has no clip open");
}

void TAnimate::Loaded() {
    TWinControl::Loaded();
    if (fCommonAVI != aviNone || !fResName.empty() || fResID != 0 || !fFileName.empty()) OpenClip(true);
    if (fActiveWanted) {
        fActiveWanted = false;
        SetActive(true);
    }
}

void TAnimate::SetStartFrame(int v) {
    if (v == fStartFrame) return;
    fStartFrame = v;
    if (fActive) Play(fStartFrame, fStopFrame, fRepetitions);
}

void TAnimate::SetStopFrame(int v) {
    if (v == fStopFrame) return;
    fStopFrame = v;
    if (fActive) Play(fStartFrame, fStopFrame, fRepetitions);
}

void TAnimate::SetRepetitions(int v) {
    if (v == fRepetitions) return;
    fRepetitions = v;
    if (fActive) Play(fStartFrame, fStopFrame, fRepetitions);
}

void TAnimate::SetAutoSize(bool v) {
    if (v == fAutoSize) return;
    fAutoSize = v;
    AdjustSize();
}

void TAnimate::SetCenter(bool v) {
    if (v == fCenter) return;
    fCenter = v;
    Invalidate();
}

void TAnimate::SetTransparent(bool v) {
    if (v == fTransparent) return;
    fTransparent = v;
    Invalidate();
}

void TAnimate::SetBorderWidth(int v) {
    if (v < 0 || v == fBorderWidth) return;
    fBorderWidth = v;
    AdjustSize();
}

void TAnimate::AdjustSize() {
    if (fAutoSize && fOpen && !IsLoading())
        SetBounds(fLeft, fTop, fFrameWidth + 2 * fBorderWidth, fFrameHeight + 2 * fBorderWidth);
}

void TAnimate::Play(int fromFrame, int toFrame, int count) {
    CheckOpen();
    int n = FrameCount();
    if (fromFrame < 1 || toFrame > n || fromFrame > toFrame)
        throw EInvalidOperation("Frames " + std::to_string(fromFrame) + " to " + std::to_string(toFrame) +
                                " are outside the animation's " + std::to_string(n) + " frames");
    fStartFrame = fromFrame;
    fStopFrame = toFrame;
    fRepetitions = count;
    fPlayed = 0;
    fFrame = fromFrame;
    fActive = true;
    Invalidate();
    OnStart(this);
}

void TAnimate::Stop() {
    if (!fActive) return;
    fActive = false;
    Invalidate();
    OnStop(this);
}

void TAnimate::Seek(int frame) {
    CheckOpen();
    if (frame < 1 || frame > FrameCount())
        throw EInvalidOperation("Frame " + std::to_string(frame) + " is outside the animation's " +
                                std::to_string(FrameCount()) + " frames");
    Stop();
    fFrame = frame;
    Invalidate();
}

void TAnimate::Reset() {
    CheckOpen();
    Stop();
    fStartFrame = 1;
    fStopFrame = FrameCount();
    fRepetitions = 0;
    fFrame = 1;
    Invalidate();
}

void TAnimate::NextFrame() {
    if (!fActive) return;
    if (fFrame < fStopFrame) {
        ++fFrame;
    } else if (fRepetitions > 0 && ++fPlayed >= fRepetitions) {
        Stop();
        return;
    } else {
        fFrame = fStartFrame;
    }
    Invalidate();
}

const TBitmap* TAnimate::FrameBitmap(int frame) const {
    if (frame < 1 || frame > FrameCount()) return nullptr;
    return fFrames[static_cast<size_t>(frame) - 1].get();
}

void TAnimate::Paint(TCanvas& canvas) {
    if (!fTransparent) {
        canvas.Brush()->SetStyle(bsSolid);
        canvas.Brush()->SetColor(fColor);
        canvas.FillRect({0, 0, fWidth, fHeight});
    }
    TBitmap* frame = fFrame >= 1 && fFrame <= FrameCount() ? fFrames[static_cast<size_t>(fFrame) - 1].get() : nullptr;
    if (!frame) return;
    int x = fBorderWidth, y = fBorderWidth;
    if (fCenter) {
        x = (fWidth - frame->Width()) / 2;
        y = (fHeight - frame->Height()) / 2;
    }
    frame->SetTransparent(fTransparent);
    canvas.Draw(x, y, frame);
}

}  // namespace plat
