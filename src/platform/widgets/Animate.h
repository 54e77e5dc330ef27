#pragma once
// The animation control: plays a clip of frames, typically a small busy animation while the
// program waits.
//
// A clip is one of the common clips (CommonAVI: built-in pictures, 16 x 16 frames), a bitmap
// resource (ResName) or an image file (FileName) holding the frames side by side as a strip of
// square frames. Opening a clip sets FrameCount, FrameWidth and FrameHeight and, outside loading,
// plays all of it (StartFrame 1, StopFrame the last). Active plays from StartFrame to StopFrame,
// Repetitions times (0: until stopped). The presentation advances the frames with NextFrame every
// FrameInterval milliseconds; the model itself keeps no timer.
#include <memory>
#include <string>
#include <vector>

#include "platform/forms/Controls.h"
#include "platform/graphics/Bitmap.h"

namespace plat {

class TCanvas;

enum TCommonAVI { aviNone, aviFindFolder, aviFindFile, aviFindComputer, aviCopyFiles, aviCopyFile, aviRecycleFile,
                  aviEmptyRecycle, aviDeleteFile };
PLAT_DECLARE_ENUM(TCommonAVI)

class TAnimate : public TWinControl {
    PLAT_CLASS(TAnimate)
    explicit TAnimate(TComponent* owner);
    ~TAnimate() override;

    bool Active() const { return fActive; }
    // Starting plays StartFrame..StopFrame Repetitions times; stopping keeps the current frame.
    void SetActive(bool v);
    TCommonAVI CommonAVI() const { return fCommonAVI; }
    void SetCommonAVI(TCommonAVI v);
    const std::string& FileName() const { return fFileName; }
    void SetFileName(const std::string& v);
    const std::string& ResName() const { return fResName; }
    void SetResName(const std::string& v);
    int ResID() const { return fResID; }
    void SetResID(int v);  // the resource named by the number in decimal
    bool Open() const { return fOpen; }
    // Opening reads the clip (raises EInvalidOperation when there is none or it cannot be read);
    // closing stops and drops it.
    void SetOpen(bool v);
    int FrameCount() const { return static_cast<int>(fFrames.size()); }
    int FrameWidth() const { return fFrameWidth; }
    int FrameHeight() const { return fFrameHeight; }
    int StartFrame() const { return fStartFrame; }
    void SetStartFrame(int v);
    int StopFrame() const { return fStopFrame; }
    void SetStopFrame(int v);
    int Repetitions() const { return fRepetitions; }
    void SetRepetitions(int v);
    bool AutoSize() const { return fAutoSize; }
    void SetAutoSize(bool v);
    bool Center() const { return fCenter; }
    void SetCenter(bool v);
    bool Transparent() const { return fTransparent; }
    void SetTransparent(bool v);
    bool Timers() const { return fTimers; }
    void SetTimers(bool v) { fTimers = v; }
    int BorderWidth() const { return fBorderWidth; }
    void SetBorderWidth(int v);

    // Plays fromFrame..toFrame count times (0: until stopped); frames count from 1.
    void Play(int fromFrame, int toFrame, int count);
    void Stop();
    // Shows one frame (stops playing first).
    void Seek(int frame);
    // Back to the whole clip: StartFrame 1, StopFrame the last, Repetitions 0, stopped at frame 1.
    void Reset();
    // The frame shown now (from 1; 0 when no clip is open) and its picture.
    int CurrentFrame() const { return fFrame; }
    const TBitmap* FrameBitmap(int frame) const;
    // Milliseconds between frames while playing.
    int FrameInterval() const { return 100; }
    // Advances one frame while playing; the last repetition ends at StopFrame and stops.
    void NextFrame();
    virtual void Paint(TCanvas& canvas);

    TNotifyEvent OnOpen, OnClose, OnStart, OnStop;

protected:
    void Loaded() override;
    void OpenClip(bool keepRange);
    void CloseClip();
    void CheckOpen();
    void AdjustSize();
    void LoadStrip(TBitmap& strip);

    bool fActive = false;
    bool fActiveWanted = false;  // Active read from a description, applied once loaded
    TCommonAVI fCommonAVI = aviNone;
    std::string fFileName;
    std::string fResName;
    int fResID = 0;
    bool fOpen = false;
    std::vector<std::unique_ptr<TBitmap>> fFrames;
    int fFrameWidth = 0;
    int fFrameHeight = 0;
    int fStartFrame = 1;
    int fStopFrame = 0;
    int fRepetitions = 0;
    int fPlayed = 0;  // repetitions finished
    int fFrame = 0;
    bool fAutoSize = true;
    bool fCenter = true;
    bool fTransparent = true;
    bool fTimers = false;
    int fBorderWidth = 0;
};

}  // namespace plat
