#pragma once
// The canonical JSON form of a Variant, used by transcripts, the server's command-line client and
// tests. The form is a contract (docs/platform-core.md lists it):
//
//   unassigned                      {"$empty": true}
//   null                            null
//   Boolean                         true, false
//   32-bit integer                  2
//   double                          2.5, 1e-07; integral {"$double": 2}; {"$double": "NaN"},
//                                   {"$double": "Infinity"}, {"$double": "-Infinity"}
//   date-time                       {"$date": "2024-03-05T08:05:00.000"}
//   narrow text / wide text         "text" / {"$wide": "text"}
//   byte / small integer            {"$byte": 5} / {"$smallint": -3}
//   array, one dimension from 0     [1, "a"]
//   array, one dimension from n     {"$array": [1, "a"], "low": 1}
//   array, two or more dimensions   {"$array": [[1, 2], [3, 4]], "low": [0, 0]}  (outer = first dim)
//   automation object               {"$object": "class name"}  (output only)
//
// Output is canonical: one line, ", " between items, ": " after keys, keys in the order above.
// Input accepts any JSON whitespace and key order; a JSON integer beyond 32 bits reads as a double.
#include <string>

#include "platform/core/Variant.h"

namespace plat {

// Raises EConvertError for what the form cannot hold (a non-finite date).
std::string VariantToJson(const Variant& value);
// Raises EConvertError naming the offset, line and column of malformed input.
Variant VariantFromJson(const std::string& json);

// Date-time <-> "yyyy-mm-ddThh:nn:ss.zzz" (to the millisecond), as the JSON form writes it.
// `separator` replaces the "T"; withMilliseconds=false drops ".zzz".
std::string DateTimeToIsoText(TDateTime value, char separator = 'T', bool withMilliseconds = true);
// Reads "yyyy-mm-dd", "yyyy-mm-ddThh:nn[:ss[.z..]]" (a space may stand for the "T").
// False for anything else or an invalid date or time.
bool TryIsoTextToDateTime(const std::string& text, TDateTime& value);

}  // namespace plat
