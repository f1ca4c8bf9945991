// File names within paths, for the copy and the shared-file installation. Portable.
#pragma once
#include <cstddef>

// The text after the last backslash of path; the whole path when it has none.
const char* FileNamePart(const char* path);

// Cuts path just after its last backslash (to empty without one) and appends name, within size
// bytes. False, path unchanged, when the result would not fit.
bool ReplacePathFileName(char* path, std::size_t size, const char* name);

// directory and name joined by exactly one backslash ("C:\WINDOWS\SYSTEM" and "VER1.TMP", or
// "C:\WINDOWS\SYSTEM\" and "\VER1.TMP", both give "C:\WINDOWS\SYSTEM\VER1.TMP"). False, out
// unchanged, when it would not fit in size bytes. directory may be out itself; name must not lie
// in out.
bool JoinPath(char* out, std::size_t size, const char* directory, const char* name);

// The name an LZ-compressed file expands to: a final underscore of its file name becomes the
// character recorded in the header, in lower case when the name has no capitals ("CARD.DA_" and
// 'T' give "CARD.DAT"); a final dot is dropped. A name that ends otherwise, or a header that
// records no character, keeps the name. Works in place: the name never grows.
void ApplyExpandedName(char* name, char recorded);

// format with every "%s" replaced by name and "%%" by "%"; any other "%" stays as it is, so a
// string table entry can never make the formatting read arguments that are not there. False,
// out unchanged, when the result would not fit in size bytes. out must not overlap format or name.
bool FormatWithName(char* out, std::size_t size, const char* format, const char* name);
