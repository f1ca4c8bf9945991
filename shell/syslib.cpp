#include "shell/syslib.h"

#include <cstring>

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

bool CancelPendingDeletion(const char* path)
{
    static const char kSessionManager[] = "SYSTEM\\CurrentControlSet\\Control\\Session Manager";
    static const char kPending[] = "PendingFileRenameOperations";
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kSessionManager, 0, KEY_QUERY_VALUE | KEY_SET_VALUE, &key) != ERROR_SUCCESS)
        return false;
    DWORD type = 0, size = 0;
    char* list = nullptr;
    bool cancelled = false;
    if (RegQueryValueExA(key, kPending, nullptr, &type, nullptr, &size) == ERROR_SUCCESS && type == REG_MULTI_SZ &&
        (list = static_cast<char*>(HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, size + 2))) != nullptr &&
        RegQueryValueExA(key, kPending, nullptr, &type, reinterpret_cast<BYTE*>(list), &size) == ERROR_SUCCESS) {
        // Pairs of a source ("\??\c:\...") and a target, empty for a deletion; kept pairs move up.
        char* kept = list;
        for (char* at = list; at < list + size && *at != '\0';) {
            char* target = at + lstrlenA(at) + 1;
            if (target >= list + size)
                break;
            char* next = target + lstrlenA(target) + 1;
            const char* source = std::strncmp(at, "\\??\\", 4) == 0 ? at + 4 : at;
            if (*target == '\0' && lstrcmpiA(source, path) == 0) {
                cancelled = true;
            } else {
                std::memmove(kept, at, static_cast<std::size_t>(next - at));
                kept += next - at;
            }
            at = next;
        }
        bool empty = kept == list;
        *kept++ = '\0';
        if (cancelled)
            cancelled = (empty ? RegDeleteValueA(key, kPending)
                               : RegSetValueExA(key, kPending, 0, REG_MULTI_SZ, reinterpret_cast<const BYTE*>(list),
                                                static_cast<DWORD>(kept - list))) == ERROR_SUCCESS;
    }
    if (list != nullptr)
        HeapFree(GetProcessHeap(), 0, list);
    RegCloseKey(key);
    return cancelled;
}
