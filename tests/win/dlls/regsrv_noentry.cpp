// A server that cannot self-register: it exports no DllRegisterServer.
#include <windows.h>

extern "C" __declspec(dllexport) HRESULT DllUnregisterServer()
{
    return S_OK;
}
