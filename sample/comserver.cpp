// An in-process COM server: one apartment-threaded class whose objects report their class
// through IPersist, and self-registration under the module's own full path.
#include <windows.h>
#include <ole2.h>
#include <olectl.h>

#include <new>
#include <string>

#include "sample/comserver.h"

static HMODULE module;
static LONG liveObjects;
static LONG serverLocks;

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH) {
        module = instance;
        DisableThreadLibraryCalls(instance);
    }
    return TRUE;
}

namespace {

class CardObject : public IPersist {
public:
    CardObject() { InterlockedIncrement(&liveObjects); }
    virtual ~CardObject() { InterlockedDecrement(&liveObjects); }

    STDMETHODIMP QueryInterface(REFIID iid, void** object) override
    {
        if (object == nullptr)
            return E_POINTER;
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IPersist)) {
            *object = static_cast<IPersist*>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return InterlockedIncrement(&references); }
    STDMETHODIMP_(ULONG) Release() override
    {
        LONG left = InterlockedDecrement(&references);
        if (left == 0)
            delete this;
        return left;
    }
    STDMETHODIMP GetClassID(CLSID* clsid) override
    {
        if (clsid == nullptr)
            return E_POINTER;
        *clsid = *serverIdentity.clsid;
        return S_OK;
    }

private:
    LONG references = 1;
};

class Factory : public IClassFactory {
public:
    STDMETHODIMP QueryInterface(REFIID iid, void** object) override
    {
        if (object == nullptr)
            return E_POINTER;
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IClassFactory)) {
            *object = static_cast<IClassFactory*>(this);
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    // One static factory for the whole server: its lifetime is the module's.
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }
    STDMETHODIMP CreateInstance(IUnknown* outer, REFIID iid, void** object) override
    {
        if (object == nullptr)
            return E_POINTER;
        *object = nullptr;
        if (outer != nullptr)
            return CLASS_E_NOAGGREGATION;
        CardObject* card = new (std::nothrow) CardObject;
        if (card == nullptr)
            return E_OUTOFMEMORY;
        HRESULT result = card->QueryInterface(iid, object);
        card->Release();
        return result;
    }
    STDMETHODIMP LockServer(BOOL lock) override
    {
        if (lock)
            InterlockedIncrement(&serverLocks);
        else
            InterlockedDecrement(&serverLocks);
        return S_OK;
    }
};

Factory factory;

bool SetKeyText(HKEY root, const std::string& path, const char* name, const std::string& value)
{
    HKEY key;
    if (RegCreateKeyExA(root, path.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr) != ERROR_SUCCESS)
        return false;
    LONG result = RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                                 static_cast<DWORD>(value.size() + 1));
    RegCloseKey(key);
    return result == ERROR_SUCCESS;
}

// Removes a key with everything below it; a key that is not there counts as removed.
bool DeleteTree(HKEY root, const std::string& path)
{
    HKEY key;
    LONG opened = RegOpenKeyExA(root, path.c_str(), 0, KEY_READ | KEY_WRITE, &key);
    if (opened == ERROR_FILE_NOT_FOUND)
        return true;
    if (opened != ERROR_SUCCESS)
        return false;
    char child[256];
    bool ok = true;
    for (;;) {
        DWORD length = sizeof child;
        if (RegEnumKeyExA(key, 0, child, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        if (!DeleteTree(key, child)) {
            ok = false;
            break;
        }
    }
    RegCloseKey(key);
    return RegDeleteKeyA(root, path.c_str()) == ERROR_SUCCESS && ok;
}

}  // namespace

extern "C" __declspec(dllexport) HRESULT STDAPICALLTYPE DllGetClassObject(REFCLSID clsid, REFIID iid, void** object)
{
    if (object == nullptr)
        return E_POINTER;
    *object = nullptr;
    if (!IsEqualCLSID(clsid, *serverIdentity.clsid))
        return CLASS_E_CLASSNOTAVAILABLE;
    return factory.QueryInterface(iid, object);
}

extern "C" __declspec(dllexport) HRESULT STDAPICALLTYPE DllCanUnloadNow()
{
    return liveObjects == 0 && serverLocks == 0 ? S_OK : S_FALSE;
}

extern "C" __declspec(dllexport) HRESULT STDAPICALLTYPE DllRegisterServer()
{
    char path[MAX_PATH];
    DWORD length = GetModuleFileNameA(module, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return SELFREG_E_CLASS;
    std::string clsidKey = std::string("CLSID\\") + serverIdentity.clsidText;
    std::string progId = serverIdentity.progId;
    bool ok = SetKeyText(HKEY_CLASSES_ROOT, clsidKey, nullptr, serverIdentity.name) &&
              SetKeyText(HKEY_CLASSES_ROOT, clsidKey + "\\InprocServer32", nullptr, path) &&
              SetKeyText(HKEY_CLASSES_ROOT, clsidKey + "\\InprocServer32", "ThreadingModel", "Apartment") &&
              SetKeyText(HKEY_CLASSES_ROOT, clsidKey + "\\ProgID", nullptr, progId) &&
              SetKeyText(HKEY_CLASSES_ROOT, progId, nullptr, serverIdentity.name) &&
              SetKeyText(HKEY_CLASSES_ROOT, progId + "\\CLSID", nullptr, serverIdentity.clsidText);
    if (ok && serverIdentity.control)
        ok = SetKeyText(HKEY_CLASSES_ROOT, clsidKey + "\\Control", nullptr, "");
    return ok ? S_OK : SELFREG_E_CLASS;
}

extern "C" __declspec(dllexport) HRESULT STDAPICALLTYPE DllUnregisterServer()
{
    bool ok = DeleteTree(HKEY_CLASSES_ROOT, std::string("CLSID\\") + serverIdentity.clsidText);
    ok = DeleteTree(HKEY_CLASSES_ROOT, serverIdentity.progId) && ok;
    return ok ? S_OK : SELFREG_E_CLASS;
}
