#include "shell/syslib.h"

#include "shell/shell.h"
#include "shell/text.h"

#ifndef LOAD_LIBRARY_SEARCH_SYSTEM32
#define LOAD_LIBRARY_SEARCH_SYSTEM32 0x800
#endif

INT(WINAPI* lzInit)(INT);
INT(WINAPI* lzRead)(INT, LPSTR, INT);
LONG(WINAPI* lzSeek)(INT, LONG, INT);
void(WINAPI* lzClose)(INT);
DWORD(WINAPI* verFindFile)(DWORD, LPSTR, LPSTR, LPSTR, LPSTR, PUINT, LPSTR, PUINT);
DWORD(WINAPI* verInstallFile)(DWORD, LPSTR, LPSTR, LPSTR, LPSTR, LPSTR, LPSTR, PUINT);

// Stores library's entry name in *slot (null when missing). Through void (*)(): an entry's real
// type is not FARPROC's.
template <class Entry>
static bool Resolve(HMODULE library, const char* name, Entry* slot)
{
    *slot = reinterpret_cast<Entry>(reinterpret_cast<void (*)()>(GetProcAddress(library, name)));
    return *slot != nullptr;
}

void RestrictDllSearchPath()
{
    // Both are looked up: SetDefaultDllDirectories came with later systems (and an update), and
    // SetDllDirectoryA is missing from the first releases of XP.
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    BOOL(WINAPI * setDefaultDirectories)(DWORD);
    BOOL(WINAPI * setDirectory)(LPCSTR);
    if (Resolve(kernel, "SetDefaultDllDirectories", &setDefaultDirectories) &&
        setDefaultDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32))
        return;
    // Without it, at least the current directory leaves the search path. The application
    // directory stays, which is why the program imports no library that a copy there could replace.
    if (Resolve(kernel, "SetDllDirectoryA", &setDirectory))
        setDirectory("");
}

// The altered search path makes the library's own imports come from the system directory too.
static HMODULE LoadSystemLibrary(const char* name)
{
    char path[kBufferSize];
    UINT length = GetSystemDirectoryA(path, sizeof path);
    if (length == 0 || length >= sizeof path || !ComposeText(path, sizeof path, {path, "\\", name}))
        return nullptr;
    return LoadLibraryExA(path, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

bool LoadLzServices()
{
    if (lzClose != nullptr)
        return true;
    HMODULE library = LoadSystemLibrary("lz32.dll");
    if (library != nullptr && Resolve(library, "LZInit", &lzInit) && Resolve(library, "LZRead", &lzRead) &&
        Resolve(library, "LZSeek", &lzSeek) && Resolve(library, "LZClose", &lzClose))
        return true;
    lzInit = nullptr;
    lzRead = nullptr;
    lzSeek = nullptr;
    lzClose = nullptr;
    return false;
}

bool LoadVersionServices()
{
    if (verInstallFile != nullptr)
        return true;
    HMODULE library = LoadSystemLibrary("version.dll");
    if (library != nullptr && Resolve(library, "VerFindFileA", &verFindFile) &&
        Resolve(library, "VerInstallFileA", &verInstallFile))
        return true;
    verFindFile = nullptr;
    verInstallFile = nullptr;
    return false;
}
