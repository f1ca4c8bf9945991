// Trimming and creation of directory trees.
#pragma once
#include <cstddef>

// Removes every occurrence of c at the end of text, in place.
void TrimTrailing(char* text, char c);

// Creates every missing directory level of the path's directory part; the text after the last
// separator is never created. 1 when all levels exist afterwards, 0 when one cannot be created
// or the path is too long for the 256-byte working copy.
int CreateDirectoryTree(const char* path);

// Whether a find-first query on exactly this path finds an entry (a directory or a file).
bool PathExists(const char* path);

// The walk of CreateDirectoryTree, without the platform. Portable.
enum { kTreeBufferSize = 256 };  // the working copy: paths of at most 255 characters

// Drive and directory of path ("c:\opos\qvx\SAMPLE\" for "c:\opos\qvx\SAMPLE\TESTCARD.EX_"),
// written to tree (kTreeBufferSize bytes). False, tree untouched, when path does not fit.
bool TreeDirectoryPart(const char* path, char* tree);

// Where the walk starts looking for levels: past the root of a drive ("c:\"), else past the
// first character.
std::size_t FirstLevelSearch(const char* tree);

// End of the next level at or after position from: the position of the next backslash, or the
// length of the text when it does not end with a backslash. 0 when no level is left. The level
// itself is the text before that end.
std::size_t NextLevelEnd(const char* tree, std::size_t from);
