#pragma once
// Radorudavu: the client installation's Chinese conversion library (simplified <-> traditional),
// a loadable module (Radorudavu.so, asked for as "Radorudavu.dll") with plain C entry points.
//
// How texts cross the boundary:
// - Every text in and out is UTF-8, NUL-terminated. A null pointer reads as the empty text.
// - A returned text belongs to the library: it lives in a per-thread buffer that stays valid until
//   the same thread calls one of these text-returning entry points again (or the library is
//   unloaded). Callers copy it at once and never free it. Texts passed in are only read.
// - A null return means the call failed (conversion data missing, input not UTF-8, ...);
//   RadorudavuLastError then gives the reason for the calling thread ("" after a success).
// - No entry point throws or writes to the terminal. All are safe to call from several threads.
//
// The conversion follows the OpenCC configurations s2t.json and t2s.json (character and phrase
// tables, no regional vocabulary), looked up in an "opencc" folder beside the library first,
// then in /usr/share/opencc.

#ifdef __cplusplus
extern "C" {
#endif

#define RADORUDAVU_API __attribute__((visibility("default")))

// Simplified ("GB") to traditional ("BIG5") Chinese, and back. Other characters pass unchanged.
RADORUDAVU_API const char* GBtoBIG5(const char* text);
RADORUDAVU_API const char* BIG5toGB(const char* text);

// Every traditional form of the first character of Text, the one GBtoBIG5 chooses first
// ("发" gives "發髮"); a character without other forms gives itself; "" gives "".
RADORUDAVU_API const char* GetBIG5Data(const char* text);
// Every simplified form of the first character of Text, the one BIG5toGB chooses first.
RADORUDAVU_API const char* GetGBData(const char* text);

// Writes the candidate order of every single character the library converts to FileName (UTF-8
// lines "character TAB candidates separated by blanks", under the headings "[GBtoBIG5]" and
// "[BIG5toGB]"). Returns the number of characters written, -1 on failure (see
// RadorudavuLastError).
RADORUDAVU_API int SaveOrder(const char* fileName);

// The reason of the calling thread's last failure, "" when its last call succeeded.
RADORUDAVU_API const char* RadorudavuLastError(void);

#ifdef __cplusplus
}
#endif

// Entry point types for callers that load the library by name.
typedef const char* (*TRadorudavuTextFunc)(const char*);
typedef int (*TRadorudavuSaveOrderFunc)(const char*);
