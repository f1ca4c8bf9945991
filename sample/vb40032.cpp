// VB40032.DLL: the run-time library the sample project names. The sample program asks it for
// its version to show that it was installed beside it.
#include <windows.h>

extern "C" __declspec(dllexport) DWORD WINAPI VbRuntimeVersion(void)
{
    return MAKELONG(0, 4);  // 4.0
}

BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID)
{
    return TRUE;
}
