#pragma once
// The presentation seam. The model (components, controls, forms) holds all state and runs all
// behaviour; a widgetset presents it. A windowed control gets a peer when its handle is first
// needed: the widgetset creates the peer registered for the nearest ancestor class of the
// control. Peers keep no state of their own: they read what they show from the control and
// route input back into the model (Controls.h: the input functions), which decides everything.
//
// The headless widgetset (headless/HeadlessWidgetSet.h) is installed by default; the Qt one
// replaces it with SetWidgetSet.
#include <functional>
#include <map>
#include <memory>
#include <string>

#include "platform/forms/ClassInfo.h"

namespace plat {

class TControl;
class TWinControl;
class TCustomForm;
class TFont;
class TCanvas;

// What changed in a control, so a peer can refresh just that.
enum class TPeerChange {
    Bounds, Visible, Enabled, Text, Font, Color, Hint, Cursor, ZOrder, Focus, WindowState, Style, Children,
    Created, All
};

class TWidgetPeer {
public:
    explicit TWidgetPeer(TWinControl* control) : fControl(control) {}
    virtual ~TWidgetPeer() = default;
    TWinControl* Control() const { return fControl; }

    // `which` is the peer's own control or a graphic (non-windowed) child it draws.
    virtual void Changed(TControl* which, TPeerChange what) { (void)which; (void)what; }
    virtual void Invalidate(TControl* which) { (void)which; }
    virtual void Update() {}                // paint pending invalid areas now
    virtual void SetFocus() {}              // the model moved the focus here
    virtual void BringToForeground() {}     // raise and activate the window

private:
    TWinControl* fControl;
};

using TPeerFactory = std::function<std::unique_ptr<TWidgetPeer>(TWinControl*)>;

struct TTextSize {
    int cx = 0;
    int cy = 0;
};

class TWidgetSet {
public:
    virtual ~TWidgetSet() = default;
    virtual std::string Name() const = 0;

    // Peers by class: the factory of the nearest registered ancestor class is used.
    void RegisterPeerClass(const TClassInfo& cls, TPeerFactory factory);
    const TClassInfo* PeerClassFor(const TClassInfo& cls) const;
    std::unique_ptr<TWidgetPeer> CreatePeer(TWinControl* control);

    // Text metrics of a single line (no line breaks interpreted).
    virtual TTextSize TextExtent(const TFont& font, const std::string& text) = 0;
    int TextWidth(const TFont& font, const std::string& text) { return TextExtent(font, text).cx; }
    int TextHeight(const TFont& font, const std::string& text) { return TextExtent(font, text).cy; }

    // Runs a modal form until its modal result is set (TCustomForm::ModalStep tells when). Must
    // let posted messages run (Application.ProcessMessages) while it waits.
    virtual void RunModal(TCustomForm& form) = 0;
    // Delivers pending input of the presentation into the model; called by ProcessMessages.
    virtual void PumpEvents() {}
    virtual void SetCursor(int cursor) { (void)cursor; }
    virtual int ScreenWidth() const { return 1024; }
    virtual int ScreenHeight() const { return 768; }
    // Hint window settings changed (switched off and on re-creates the hint window).
    virtual void HintSettingsChanged() {}

private:
    std::map<const TClassInfo*, TPeerFactory> fPeerClasses;
};

// Native looks. A control library that knows no presentation may ask for a class to be shown like
// one of the standard controls (the presentation's native widget), with the class's own drawing
// over it: `paintOver` runs on a canvas covering the client area after the native widget drew
// (the radio button of the option controls paints its caption over the system's circle). The
// nearest registered ancestor class wins; a library unregisters when it unloads.
enum class TNativeLook { None, RadioButton };
using TPaintOver = std::function<void(TControl& control, TCanvas& canvas)>;
struct TNativeLookEntry {
    TNativeLook Look = TNativeLook::None;
    TPaintOver PaintOver;
};
void RegisterNativeLook(const TClassInfo& cls, TNativeLook look, TPaintOver paintOver = {});
void UnregisterNativeLook(const TClassInfo& cls);
// The entry registered for the class itself (nullptr: none); presentations walk the class chain.
const TNativeLookEntry* NativeLookOf(const TClassInfo& cls);

// The installed widgetset (the headless one unless another was installed).
TWidgetSet& WidgetSet();
// Installs a widgetset; existing peers are dropped first (handles stay valid, peers are
// re-created when needed). Returns the previous one.
std::unique_ptr<TWidgetSet> SetWidgetSet(std::unique_ptr<TWidgetSet> ws);

}  // namespace plat
