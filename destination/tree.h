// Trimming and creation of directory trees.
#pragma once

// Removes every occurrence of c at the end of text, in place.
void TrimTrailing(char* text, char c);

// Creates every missing directory level of the path's directory part; the text after the last
// separator is never created. 1 when all levels exist afterwards, 0 when one cannot be created
// or the path is too long for the 256-byte working copy.
int CreateDirectoryTree(const char* path);
