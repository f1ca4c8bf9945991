#include "sample/cardhook.h"

#include <cstring>

// The hook watches one thread of one process, so plain process data serves it.
static HMODULE module;
static HHOOK hook;
static HWND target;
static UINT swipeMessage;
static char collecting[128];
static int collected = -1;  // -1: not inside a track
static char lastTrack[128];
static int lastLength;

static bool Take(char c)
{
    if (collected < 0) {
        if (c != '%' && c != ';')
            return false;
        collected = 0;
    }
    if (collected < static_cast<int>(sizeof collecting) - 1)
        collecting[collected++] = c;
    if (c == '?') {
        std::memcpy(lastTrack, collecting, collected);
        lastTrack[collected] = '\0';
        lastLength = collected;
        collected = -1;
        PostMessageA(target, swipeMessage, lastLength, 0);
    }
    return true;
}

static LRESULT CALLBACK WatchMessages(int code, WPARAM remove, LPARAM data)
{
    MSG* message = reinterpret_cast<MSG*>(data);
    if (code == HC_ACTION && remove == PM_REMOVE && message->message == WM_CHAR &&
        Take(static_cast<char>(message->wParam)))
        message->message = WM_NULL;
    return CallNextHookEx(hook, code, remove, data);
}

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH) {
        module = instance;
        DisableThreadLibraryCalls(instance);
    }
    return TRUE;
}

CARDHOOK_API BOOL WINAPI CardHookStart(HWND window)
{
    if (hook != nullptr || !IsWindow(window))
        return FALSE;
    swipeMessage = RegisterWindowMessageA(CARDHOOK_SWIPE_MESSAGE);
    target = window;
    collected = -1;
    hook = SetWindowsHookExA(WH_GETMESSAGE, WatchMessages, module,
                             GetWindowThreadProcessId(window, nullptr));
    return hook != nullptr;
}

CARDHOOK_API void WINAPI CardHookStop(void)
{
    if (hook != nullptr)
        UnhookWindowsHookEx(hook);
    hook = nullptr;
    target = nullptr;
}

CARDHOOK_API int WINAPI CardHookTrack(char* buffer, int size)
{
    if (buffer == nullptr || size <= lastLength)
        return 0;
    std::memcpy(buffer, lastTrack, lastLength + 1);
    return lastLength;
}
