// A minimal in-process server: DllRegisterServer records the file it was loaded from, as a real
// server records its path, in the value named by its file name under HKCU\Software\QvxTestServers.
#include <windows.h>

#include <cstring>

extern "C" IMAGE_DOS_HEADER __ImageBase;  // this module, as the linker places it

// cdecl without arguments is the stdcall call too, and keeps the export name plain on i686.
extern "C" __declspec(dllexport) HRESULT DllRegisterServer()
{
    char path[MAX_PATH];
    DWORD length = GetModuleFileNameA(reinterpret_cast<HMODULE>(&__ImageBase), path, MAX_PATH);
    HKEY key;
    if (length == 0 || length >= MAX_PATH ||
        RegCreateKeyA(HKEY_CURRENT_USER, "Software\\QvxTestServers", &key) != ERROR_SUCCESS)
        return E_FAIL;
    LONG status = RegSetValueExA(key, std::strrchr(path, '\\') + 1, 0, REG_SZ,
                                 reinterpret_cast<const BYTE*>(path), length + 1);
    RegCloseKey(key);
    return status == ERROR_SUCCESS ? S_OK : E_FAIL;
}
