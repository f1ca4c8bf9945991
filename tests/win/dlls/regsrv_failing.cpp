// A server whose self-registration fails.
#include <windows.h>

extern "C" __declspec(dllexport) HRESULT DllRegisterServer()
{
    return E_FAIL;
}
