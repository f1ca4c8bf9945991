#include "regsrv.h"

extern "C" __declspec(dllexport) HRESULT DllRegisterServer()
{
    return RegisterSelf("{5A1E2B3C-0002-4C5D-8E9F-51A2B3C4D5E6}");
}
