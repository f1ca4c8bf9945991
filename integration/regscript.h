// The one line of the registry script whose data comes from the run. Portable: no platform
// headers.
#pragma once
#include <cstddef>

// Room for a format of up to 254 characters with one "%s" and a destination of 259 characters,
// each one escaped: every destination the setup takes gets its line.
enum { kServiceLineSize = 3 * 260 };

// Formats the service line: every "%s" of format becomes the destination escaped as REGEDIT4
// string data needs it (each backslash and double quote preceded by a backslash), so importing
// the script gives back exactly the path the program wrote; "%%" is a percent sign. Returns
// false, buffer unchanged, when the line would not fit in size bytes (terminator included) or
// the format holds any other conversion.
bool FormatServiceLine(char* buffer, std::size_t size, const char* format,
                       const char* destination);
