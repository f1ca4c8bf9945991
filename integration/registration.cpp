#include "integration/registration.h"

#include <windows.h>
#include <ole2.h>

#include "integration/regscript.h"
#include "resources/resource.h"
#include "shell/log.h"
#include "shell/shell.h"
#include "shell/text.h"
#include "record/recording.h"

static const UINT kFailureStyle = MB_OK | MB_ICONEXCLAMATION;
static const char kLoadFailed[] = "Unable to load the library";

ServerCall CallServerEntry(const char* fileName, const char* entryName)
{
    if (FAILED(OleInitialize(nullptr)))
        return ServerCall::NoOle;
    // No "insert a disk" box for a server on a missing drive: the load just fails.
    SetErrorMode(SEM_FAILCRITICALERRORS);
    HMODULE library = LoadLibraryExA(fileName, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    ServerCall result = ServerCall::NotLoaded;
    if (reinterpret_cast<UINT_PTR>(library) >= 32) {
        typedef HRESULT(STDAPICALLTYPE * ServerEntry)();
        // Through void (*)(): the entry point's real type is not FARPROC's.
        ServerEntry entry =
            reinterpret_cast<ServerEntry>(reinterpret_cast<void (*)()>(GetProcAddress(library, entryName)));
        result = entry == nullptr ? ServerCall::NoEntry : FAILED(entry()) ? ServerCall::Failed : ServerCall::Done;
        FreeLibrary(library);
    }
    OleUninitialize();
    return result;
}

int SelfRegisterServer(const char* fileName)
{
    static const char* const failures[] = {"Unable to initialize the OLE Library", kLoadFailed,
                                           "Unable to get the DLL Entry point", "Unable to call the DLL Entry point"};
    ServerCall result = CallServerEntry(fileName, "DllRegisterServer");
    if (result == ServerCall::Done)
        return 1;
    ShowMessage(mainWindow, failures[static_cast<int>(result) - 1], kFailureStyle);
    return 0;
}

// The whole script is composed before the file is touched, so a script that cannot be complete
// is not written at all (and an earlier one is not truncated).
static void WriteRegistryScript()
{
    char path[kBufferSize];
    if (!ComposeText(path, sizeof path, {destinationDirectory, LoadMessage(IDS_SCRIPT_NAME)})) {
        somethingFailed = true;
        LogLine("Registry script %s%s: FAILED (path too long)", destinationDirectory, messageBuffer);
        return;
    }
    // The line and the two strings around it: every destination the setup takes gets its script.
    char line[kServiceLineSize];
    char script[kServiceLineSize + 2 * kBufferSize];
    if (!FormatServiceLine(line, sizeof line, LoadMessage2(IDS_SCRIPT_SERVICE), destinationDirectory) ||
        !ComposeText(script, sizeof script, {LoadMessage(IDS_SCRIPT_HEAD), line, LoadMessage2(IDS_SCRIPT_TAIL)})) {
        somethingFailed = true;
        LogLine("Registry script %s: FAILED (script too long)", path);
        return;
    }
    // _lcreat, not OpenFile, which refuses paths of 128 characters or more.
    HFILE file = _lcreat(path, 0);
    UINT length = static_cast<UINT>(lstrlenA(script));
    bool written = file != HFILE_ERROR && _lwrite(file, script, length) == length;
    if (file != HFILE_ERROR)
        _lclose(file);
    somethingFailed = somethingFailed || !written;
    LogLine("Registry script %s: %s", path, written ? "written" : "FAILED");
    if (written)
        RecordFile(path);
}

static bool SetString(HKEY key, const char* name, const char* data)
{
    return RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(data),
                          static_cast<DWORD>(lstrlenA(data) + 1)) == ERROR_SUCCESS;
}

static void WriteDeviceKey()
{
    RecordDeviceKey(IDS_DEVICE_KEY);
    HKEY key;
    if (RegCreateKeyA(HKEY_LOCAL_MACHINE, LoadMessage(IDS_DEVICE_KEY), &key) != ERROR_SUCCESS) {
        somethingFailed = true;
        ShowMessageId(mainWindow, IDS_NO_DEVICE_KEY, MB_OK | MB_ICONINFORMATION);
        return;
    }
    // Each value is tried whatever happened to the one before.
    bool complete = SetString(key, nullptr, LoadMessage(IDS_DEVICE_DEFAULT));
    // A service path that does not fit is left out rather than cut: a wrong path is worse.
    char path[kBufferSize];
    bool fits = ComposeText(path, sizeof path, {destinationDirectory, LoadMessage(IDS_SERVICE_FILE)});
    complete = fits && SetString(key, LoadMessage(IDS_SERVICE_NAME), path) && complete;
    static const int kPairs[][2] = {{IDS_VERSION_NAME, IDS_VERSION_DATA},
                                    {IDS_DESC_NAME, IDS_DESC_DATA},
                                    {IDS_DEVNAME_NAME, IDS_DEVNAME_DATA},
                                    {IDS_DEVDESC_NAME, IDS_DEVDESC_DATA}};
    for (const auto& pair : kPairs)
        complete = SetString(key, LoadMessage(pair[0]), LoadMessage2(pair[1])) && complete;
    RegCloseKey(key);
    somethingFailed = somethingFailed || !complete;
    LogLine("Device key HKEY_LOCAL_MACHINE\\%s: %s", LoadMessage(IDS_DEVICE_KEY),
            complete ? "written" : fits ? "FAILED (a value not written)" : "FAILED (service path too long)");
}

// The copy installed in the destination is the one registered, never a file of that name found
// elsewhere on the loader's search path.
static int RegisterInstalledServer(int id)
{
    char path[kBufferSize];
    if (!ComposeText(path, sizeof path, {destinationDirectory, LoadMessage(id)})) {
        somethingFailed = true;
        LogLine("Server %s%s: FAILED (path too long)", destinationDirectory, messageBuffer);
        ShowMessage(mainWindow, kLoadFailed, kFailureStyle);
        return 0;
    }
    int registered = SelfRegisterServer(path);
    if (registered)
        RecordServer(path);
    somethingFailed = somethingFailed || !registered;
    LogLine("Server %s: %s", path, registered ? "registered" : "FAILED to register");
    return registered;
}

int RegisterDeviceService()
{
    WriteRegistryScript();
    WriteDeviceKey();
    SetCurrentDirectoryA(destinationDirectory);
    RegisterInstalledServer(IDS_SERVER1);
    return RegisterInstalledServer(IDS_SERVER2);
}
