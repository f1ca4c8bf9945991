// The names compressed files expand to. Portable.
#pragma once
#include <cstddef>

// The name an LZ-compressed file expands to: a final underscore of its file name becomes the
// character recorded in the header, in lower case when the name has no capitals ("CARD.DA_" and
// 'T' give "CARD.DAT"); a final dot is dropped. A name that ends otherwise, or a header that
// records no character, keeps the name. Works in place: the name never grows.
void ApplyExpandedName(char* name, char recorded);
