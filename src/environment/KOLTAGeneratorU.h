#pragma once
// The environment's own trouble goes to plain text files below <base>/Log, never to the screen.
// Every call opens the file, appends and closes it; each line is one append-mode write ending in
// CR LF, so two processes writing the same file never interleave inside a line.
//
//   WriteLog       base = the installation folder (registry), else the host program's folder;
//                  file "Alert_" + prefix + "_" + stamp [+ ".log" unless the prefix holds a "."],
//                  stamp by rotation "D" yyyymmdd, "M" yyyymm, "Y" yyyy (exact upper case;
//                  anything else is daily); line "[yyyy/mm/dd hh:nn:ss:zzz] " + message
//   WriteLocalLog  the same, always below the host program's folder
//   WriteAlert     base = installation folder, else the temporary folder; file
//                  "Alert_KOLTAGenerator_" + yyyymmdd + ".log"; line "[" + short date + " " +
//                  long time + "] " + message
#include <exception>
#include <string>

#include "platform/core/Variant.h"

namespace qm {

bool WriteLog(const std::string& prefix, const std::string& message, const std::string& rotation);
// The same below the given base folder (its "Log" folder), for programs that serve an installation
// other than the one the registry names (the application server daemon). An empty base behaves
// as the call above.
bool WriteLog(const std::string& base, const std::string& prefix, const std::string& message,
              const std::string& rotation);
bool WriteLocalLog(const std::string& prefix, const std::string& message, const std::string& rotation);
bool WriteAlert(const std::string& message);

// Writes a report of an exception (none: header and programmer's message only) through
// WriteAlert: a header naming the place, the exception's messages by class (database errors with
// their sub-errors, system errors and I/O errors with their codes, any other with its class name),
// their count, and the programmer's message.
void ReportException(const std::exception* e, const std::string& place, const std::string& programmerMessage);

// The folder of the running program's executable, with a trailing "/".
std::string HostProgramFolder();

// The clock the stamps and file names use. Tests set a fixed time; nullptr restores plat::Now.
using TLogClock = plat::TDateTime (*)();
void SetLogClock(TLogClock clock);

}  // namespace qm
