// A minimal in-process server for the self-registration tests: DllRegisterServer records the
// file it was loaded from as InprocServer32 of its class id, the way a real server does.
// The entry points are declared cdecl: without arguments that is the same call as stdcall, and it
// keeps the export name undecorated on i686 too.
#pragma once
#include <windows.h>

static HMODULE self;

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH)
        self = instance;
    return TRUE;
}

inline HRESULT RegisterSelf(const char* classId)
{
    char path[MAX_PATH];
    DWORD length = GetModuleFileNameA(self, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return E_FAIL;
    char keyName[128] = "CLSID\\";
    lstrcatA(keyName, classId);
    lstrcatA(keyName, "\\InprocServer32");
    HKEY key;
    if (RegCreateKeyExA(HKEY_CLASSES_ROOT, keyName, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key,
                        nullptr) != ERROR_SUCCESS)
        return E_FAIL;
    LONG status = RegSetValueExA(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(path),
                                 length + 1);
    RegCloseKey(key);
    return status == ERROR_SUCCESS ? S_OK : E_FAIL;
}
