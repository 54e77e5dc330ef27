#pragma once
// Choosing the presentation at start: real Qt windows or the headless widgetset.
//
// XQ_PRESENTATION=headless  always headless (scripted runs, tests);
// XQ_PRESENTATION=qt        Qt; without a display and without QT_QPA_PLATFORM the offscreen
//                           platform is used, so asking for Qt never aborts for want of a screen;
// unset (or "auto")         Qt when QT_QPA_PLATFORM names a platform (e.g. offscreen) or a display
//                           is there (DISPLAY or WAYLAND_DISPLAY), otherwise headless.
//
// Qt lives in libplatform-qt.so, loaded here only when Qt is chosen, so headless runs never load
// Qt. When the library cannot be loaded or Qt cannot start, the headless widgetset stays.
#include <string>

namespace plat {

enum class TPresentationKind { Headless, Qt };

// What the environment asks for (no loading).
TPresentationKind ChoosePresentation();
// Installs the presentation the environment asks for; answers the one installed.
TPresentationKind InstallPresentation();
// Installs `kind`; on failure keeps the headless widgetset, answers Headless and tells why in
// `error` (when given). `libraryFolder` overrides where libplatform-qt.so is looked for (default:
// the folder libplatform.so was loaded from).
TPresentationKind InstallPresentation(TPresentationKind kind, std::string* error = nullptr,
                                      const std::string& libraryFolder = {});
const char* PresentationName(TPresentationKind kind);

// The C entry libplatform-qt.so exports: creates the Qt application object when there is none and
// installs the Qt widgetset; answers nonzero on success.
constexpr const char* QtWidgetSetEntryName = "xq_install_qt_widgetset";
using TQtWidgetSetEntry = int (*)();

}  // namespace plat
