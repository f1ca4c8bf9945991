#include <windows.h>

#include "destination/destination.h"
#include "destination/tree.h"
#include "shell/log.h"
#include "record/recording.h"

bool PathExists(const char* path)
{
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(path, &found);
    if (search == INVALID_HANDLE_VALUE)
        return false;
    FindClose(search);
    return true;
}

static bool MakeLevel(const char* level)
{
    if (PathExists(level))
        return true;
    if (CreateProtectedDirectory(level)) {
        RecordDirectory(level);  // removal takes back only what this installation made
        LogLine("Directory %s: created, SYSTEM and Administrators full control, Users read and execute", level);
        return true;
    }
    // A find query misses roots and levels that end with a separator ("c:\a/", "c:\a\\b"),
    // which then fail creation as already existing: what counts is that the directory is there.
    DWORD attributes = GetFileAttributesA(level);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

int CreateDirectoryTree(const char* path)
{
    char tree[kTreeBufferSize];
    if (!TreeDirectoryPart(path, tree))
        return 0;
    std::size_t end;
    for (std::size_t at = FirstLevelSearch(tree); (end = NextLevelEnd(tree, at)) != 0; at = end + 1) {
        char cut = tree[end];
        tree[end] = '\0';
        bool made = MakeLevel(tree);
        tree[end] = cut;
        if (!made)
            return 0;
    }
    return 1;
}
