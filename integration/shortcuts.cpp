#include "integration/shortcuts.h"

#include <windows.h>
#include <shlobj.h>

#include <cstring>

#include "shell/text.h"
#include "record/recording.h"

static const char kAppPathsKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\";

static bool IsFile(const char* path)
{
    DWORD attributes = GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

static bool IsDirectory(const char* path)
{
    DWORD attributes = GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// One name inside a folder: a group or caption must not reach into other folders.
static bool IsSingleName(const char* name)
{
    if (name[0] == '\0' || std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0)
        return false;
    for (const unsigned char* p = reinterpret_cast<const unsigned char*>(name); *p != '\0'; ++p)
        if (*p < ' ' || std::strchr("\\/:*?\"<>|", *p) != nullptr)
            return false;
    return true;
}

// Whether a new file can be made in the directory. An existing folder says nothing about that:
// one made by an administrator's installation may be closed to this user.
static bool TakesNewFiles(const char* directory)
{
    char probe[MAX_PATH];
    char number[16];
    FormatText(number, sizeof number, "%lu", GetCurrentProcessId());
    if (!ComposeText(probe, sizeof probe, {directory, "\\~qvx", number, ".tmp"}))
        return false;
    HANDLE file = CreateFileA(probe, GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    CloseHandle(file);
    return true;
}

bool CreateShortcutFolder(const char* group, char* folder)
{
    if (!IsSingleName(group))
        return false;
    // Without the rights to the common folder the group goes to the user's own Start Menu.
    for (int which : {CSIDL_COMMON_PROGRAMS, CSIDL_PROGRAMS}) {
        char programs[MAX_PATH];
        char path[MAX_PATH];
        if (!SHGetSpecialFolderPathA(nullptr, programs, which, TRUE))
            continue;
        std::size_t length = std::strlen(programs);
        const char* separator = length > 0 && programs[length - 1] == '\\' ? "" : "\\";
        if (!ComposeText(path, sizeof path, {programs, separator, group}))
            continue;
        bool created = CreateDirectoryA(path, nullptr) != FALSE;
        if (!created && !IsDirectory(path))
            continue;
        if (TakesNewFiles(path)) {
            std::memcpy(folder, path, std::strlen(path) + 1);
            return true;
        }
        if (created)
            RemoveDirectoryA(path);
    }
    return false;
}

// The first word of commandLine, unquoted, into program (MAX_PATH bytes); arguments points at
// what follows it.
static bool SplitCommandLine(const char* commandLine, char* program, const char** arguments)
{
    const char* p = commandLine;
    while (*p == ' ' || *p == '\t')
        ++p;
    const char* start = p;
    const char* end;
    if (*p == '"') {
        start = ++p;
        end = std::strchr(p, '"');
        if (end == nullptr)
            return false;
        p = end + 1;
    } else {
        while (*p != '\0' && *p != ' ' && *p != '\t')
            ++p;
        end = p;
    }
    std::size_t length = static_cast<std::size_t>(end - start);
    if (length == 0 || length >= MAX_PATH)
        return false;
    std::memcpy(program, start, length);
    program[length] = '\0';
    while (*p == ' ' || *p == '\t')
        ++p;
    *arguments = p;
    return true;
}

// The shell's registration of a program that lies off the search path (wordpad.exe on Windows).
static bool FindRegisteredProgram(const char* program, char* found)
{
    char key[MAX_PATH];
    const char* extension = std::strchr(program, '.') != nullptr ? "" : ".exe";
    if (!ComposeText(key, sizeof key, {kAppPathsKey, program, extension}))
        return false;
    for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
        HKEY handle;
        if (RegOpenKeyExA(root, key, 0, KEY_QUERY_VALUE, &handle) != ERROR_SUCCESS)
            continue;
        char value[MAX_PATH + 1];
        DWORD type = REG_NONE;
        DWORD size = MAX_PATH;
        LONG status = RegQueryValueExA(handle, nullptr, nullptr, &type, reinterpret_cast<BYTE*>(value), &size);
        RegCloseKey(handle);
        if (status != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ))
            continue;
        value[size] = '\0';
        char* path = value;
        if (*path == '"') {
            char* close = std::strchr(++path, '"');
            if (close != nullptr)
                *close = '\0';
        }
        DWORD length = ExpandEnvironmentStringsA(path, found, MAX_PATH);
        if (length > 0 && length <= MAX_PATH && IsFile(found))
            return true;
    }
    return false;
}

// Windows' accessories (wordpad.exe) lie off the search path and are not registered everywhere.
static bool FindAccessory(const char* program, char* found)
{
    char folder[MAX_PATH];
    const char* extension = std::strchr(program, '.') != nullptr ? "" : ".exe";
    DWORD length = ExpandEnvironmentStringsA("%ProgramFiles%\\Windows NT\\Accessories\\", folder, sizeof folder);
    return length > 0 && length <= sizeof folder && ComposeText(found, MAX_PATH, {folder, program, extension}) &&
           IsFile(found);
}

// The full path of the program into found (MAX_PATH bytes).
static bool FindProgram(const char* program, char* found)
{
    char* name;
    if (std::strpbrk(program, "\\/:") != nullptr) {
        DWORD length = GetFullPathNameA(program, MAX_PATH, found, &name);
        return length > 0 && length < MAX_PATH && IsFile(found);
    }
    DWORD length = SearchPathA(nullptr, program, ".exe", MAX_PATH, found, &name);
    if (length > 0 && length < MAX_PATH && IsFile(found))
        return true;
    return FindRegisteredProgram(program, found) || FindAccessory(program, found);
}

// The directory of a full path, keeping the backslash only after a bare drive ("c:\").
static void DirectoryOf(const char* path, char* directory)
{
    std::size_t length = std::strlen(path);
    std::memcpy(directory, path, length + 1);
    char* last = std::strrchr(directory, '\\');
    if (last == nullptr)
        directory[0] = '\0';
    else if (last == directory + 2 && directory[1] == ':')
        last[1] = '\0';
    else
        *last = '\0';
}

static bool SaveShortcut(const char* link, const char* target, const char* arguments,
                         const char* directory, const char* description)
{
    WCHAR wideLink[MAX_PATH];
    if (MultiByteToWideChar(CP_ACP, 0, link, -1, wideLink, MAX_PATH) == 0)
        return false;
    IShellLinkA* shellLink = nullptr;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                reinterpret_cast<void**>(&shellLink))))
        return false;
    bool saved = false;
    IPersistFile* file = nullptr;
    if (SUCCEEDED(shellLink->SetPath(target)) && SUCCEEDED(shellLink->SetArguments(arguments)) &&
        SUCCEEDED(shellLink->SetWorkingDirectory(directory)) &&
        SUCCEEDED(shellLink->SetDescription(description)) &&
        SUCCEEDED(shellLink->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
        saved = SUCCEEDED(file->Save(wideLink, TRUE));
        file->Release();
    }
    shellLink->Release();
    return saved;
}

ShortcutResult CreateShortcut(const char* folder, const char* caption, const char* commandLine)
{
    char program[MAX_PATH];
    const char* arguments;
    char target[MAX_PATH];
    char directory[MAX_PATH];
    char link[MAX_PATH];
    if (!IsSingleName(caption) || !SplitCommandLine(commandLine, program, &arguments) ||
        !ComposeText(link, sizeof link, {folder, "\\", caption, ".lnk"}))
        return ShortcutResult::Refused;
    if (!FindProgram(program, target))
        return ShortcutResult::ProgramNotFound;
    DirectoryOf(target, directory);

    // A caller that already has COM in another threading model can still use the shell link.
    HRESULT initialised = CoInitialize(nullptr);
    if (FAILED(initialised) && initialised != RPC_E_CHANGED_MODE)
        return ShortcutResult::NotSaved;
    bool saved = SaveShortcut(link, target, arguments, directory, caption);
    if (saved)
        RecordShortcut(link);
    if (SUCCEEDED(initialised))
        CoUninitialize();
    return saved ? ShortcutResult::Created : ShortcutResult::NotSaved;
}
