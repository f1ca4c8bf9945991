// Numeric text conversion and bounded composition of texts into fixed buffers.
// Portable: no platform headers.
#pragma once
#include <cstddef>
#include <initializer_list>

// Decimal conversion as atoi does it: leading white space, one optional sign, digits up to the
// first other character; no digits gives 0. Values beyond 32 bits saturate instead of wrapping.
long ParseNumber(const char* text);

// Copies the parts one after another into buffer (size bytes, terminator included). When the
// whole result would not fit, returns false and leaves the buffer unchanged: nothing is cut.
// The first part may be the buffer itself (appending); later parts must not overlap it.
bool ComposeText(char* buffer, std::size_t size, std::initializer_list<const char*> parts);

// printf-style formatting that refuses (returns false, buffer unchanged) instead of truncating.
bool FormatText(char* buffer, std::size_t size, const char* format, ...)
    __attribute__((format(printf, 3, 4)));

// format with every "%s" replaced by name and "%%" by "%"; any other "%" stays as it is, so a
// string table entry can never make the formatting read arguments that are not there. False,
// out unchanged, when the result would not fit in size bytes. out must not overlap format or name.
bool FormatWithName(char* out, std::size_t size, const char* format, const char* name);
