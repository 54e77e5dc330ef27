#pragma once
// Loading libraries by the Windows file names the module and its peers were written with.
//
// Name mapping (one rule for the whole system):
//   "Radorudavu.dll" / ".DLL" / ".Dll"  -> "Radorudavu.so"
//   a name without extension               -> name + ".so"
//   a name already ending in ".so"          -> unchanged
// A folder is searched for the mapped name exactly first, then ignoring case (Windows file names
// are case-insensitive, so "XQTR37S.DLL" finds "XQTR37S.so" or "xqtr37s.so").
// Search order for a bare name: the folder of the calling module, the installation folders the
// registry stand-in names (HKLM\Software\QMB\Orrery ClientPath and ServerPath, each itself and
// its C_PKG, S_PKG and ext sub-folders), then the system loader (LD_LIBRARY_PATH, rpath, ...).
// A name with a '/' is loaded from that path only.
#include <string>
#include <vector>

namespace plat {

// Handle of a loaded library (the dlopen handle); nullptr means "not loaded".
using HMODULE = void*;

// Loads a library by its Windows file name. Returns nullptr when it cannot be found or loaded
// (as the original call returned 0); LibraryLoadError() then says why.
// `caller` is any address inside the calling module (a function or object of it); when omitted,
// the module containing the code that made the call is used.
HMODULE LoadLibrary(const std::string& fileName, const void* caller = nullptr);
// Loads `fileName` (mapped as above) from `folder` only; nullptr when not there or not loadable.
HMODULE LoadLibraryFrom(const std::string& folder, const std::string& fileName);
// Address of an exported entry point; nullptr when the library does not export it.
void* GetProcAddress(HMODULE module, const std::string& name);
// Releases a library loaded by LoadLibrary. False for a null or unknown handle.
bool FreeLibrary(HMODULE module);
// Full path of the file of the library (or executable) containing `addressInModule`;
// "" when the address belongs to no loaded file.
std::string GetModuleFileNameOf(const void* addressInModule);
// Why the last LoadLibrary/LoadLibraryFrom on this thread failed ("" after a success).
std::string LibraryLoadError();

// The shared-object file name for a Windows library file name ("X.dll" -> "X.so").
std::string LibraryFileName(const std::string& windowsFileName);
// True when `fileName` names a library by the rules above (".dll" in any case, or ".so").
bool IsLibraryFileName(const std::string& fileName);
// Full path of the module file `windowsFileName` maps to in `folder` (exact name first, then
// ignoring case); "" when there is none.
std::string FindModuleFile(const std::string& folder, const std::string& windowsFileName);
// Existence check of a module file: FileExistsModule(dir, "XQTR37S.DLL") finds dir/XQTR37S.so.
bool FileExistsModule(const std::string& folder, const std::string& windowsFileName);
// The installation folders the registry stand-in names, in search order (may be empty).
std::vector<std::string> InstallationLibraryFolders();

}  // namespace plat
