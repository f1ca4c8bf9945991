// The characters that may be typed into the destination path field. Portable.
#pragma once

// True when code, the whole character value of a WM_CHAR message, may reach the path field.
// Besides backspace only characters that are safe in a directory name on every drive pass:
// no space, no dot, no slash, no wildcard, no control character other than backspace.
bool IsPathCharacter(unsigned code);
