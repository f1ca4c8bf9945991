// TESTCARD.EXE: the sample test program of the magnetic stripe reader. It shows whether the
// control and the service object are registered and usable, and decodes the cards swiped
// through a keyboard-wedge reader (caught by CARDHOOK.DLL in the directory above).
#include <windows.h>
#include <ole2.h>

#include <cstdio>
#include <cstring>

#include "sample/card_ids.h"
#include "sample/cardhook.h"
#include "sample/testcard.h"

namespace {

HWND lines[TESTCARD_LINE_COUNT];
HMODULE hookLibrary;
CardHookStartProc hookStart;
CardHookStopProc hookStop;
CardHookTrackProc hookTrack;
UINT swipeMessage;

void SetLine(int line, const char* text)
{
    SetWindowTextA(lines[line], text);
}

// Full path of a file beside this program, or in the directory above it.
void SiblingPath(char* path, const char* name, bool parent)
{
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    for (int cut = parent ? 2 : 1; cut > 0; --cut) {
        char* slash = std::strrchr(path, '\\');
        if (slash == nullptr)
            break;
        *slash = '\0';
    }
    if (std::strlen(path) + 1 + std::strlen(name) < MAX_PATH) {
        std::strcat(path, "\\");
        std::strcat(path, name);
    }
}

void DescribeServer(int line, const char* file, const CLSID& clsid, const char* clsidText)
{
    char text[MAX_PATH + 80];
    IPersist* object = nullptr;
    HRESULT created = CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IPersist,
                                       reinterpret_cast<void**>(&object));
    if (FAILED(created)) {
        std::snprintf(text, sizeof text, "%s: not registered (error 0x%08lX)", file,
                      static_cast<unsigned long>(created));
        SetLine(line, text);
        return;
    }
    CLSID reported = CLSID_NULL;
    object->GetClassID(&reported);
    object->Release();
    char server[MAX_PATH] = "";
    LONG size = sizeof server;
    char key[80];
    std::snprintf(key, sizeof key, "CLSID\\%s\\InprocServer32", clsidText);
    RegQueryValueA(HKEY_CLASSES_ROOT, key, server, &size);
    std::snprintf(text, sizeof text, "%s: %s, %s", file,
                  IsEqualCLSID(reported, clsid) ? "ready" : "answers for another class", server);
    SetLine(line, text);
}

void DescribeRuntime()
{
    char path[MAX_PATH];
    SiblingPath(path, "VB40032.DLL", false);
    HMODULE runtime = LoadLibraryA(path);
    auto version = runtime ? reinterpret_cast<DWORD(WINAPI*)()>(
                                 reinterpret_cast<void*>(GetProcAddress(runtime, "VbRuntimeVersion")))
                           : nullptr;
    char text[64];
    if (version != nullptr) {
        DWORD number = version();
        std::snprintf(text, sizeof text, "VB40032.DLL: version %u.%u",
                      static_cast<unsigned>(HIWORD(number)), static_cast<unsigned>(LOWORD(number)));
    } else {
        std::snprintf(text, sizeof text, "VB40032.DLL: not found beside the program");
    }
    if (runtime != nullptr)
        FreeLibrary(runtime);
    SetLine(TESTCARD_LINE_RUNTIME, text);
}

void StartHook(HWND window)
{
    char path[MAX_PATH];
    SiblingPath(path, "CARDHOOK.DLL", true);
    hookLibrary = LoadLibraryA(path);
    if (hookLibrary != nullptr) {
        hookStart = reinterpret_cast<CardHookStartProc>(
            reinterpret_cast<void*>(GetProcAddress(hookLibrary, "CardHookStart")));
        hookStop = reinterpret_cast<CardHookStopProc>(
            reinterpret_cast<void*>(GetProcAddress(hookLibrary, "CardHookStop")));
        hookTrack = reinterpret_cast<CardHookTrackProc>(
            reinterpret_cast<void*>(GetProcAddress(hookLibrary, "CardHookTrack")));
    }
    if (hookStart && hookStop && hookTrack && hookStart(window)) {
        SetLine(TESTCARD_LINE_PROMPT, "Swipe a card through the reader.");
    } else {
        SetLine(TESTCARD_LINE_PROMPT, "CARDHOOK.DLL is missing: swiped cards cannot be read.");
        hookStop = nullptr;
    }
}

void ShowSwipe()
{
    char track[128];
    if (hookTrack(track, sizeof track) == 0)
        return;
    SetLine(TESTCARD_LINE_TRACK, track);
    CardFields fields;
    char text[160];
    if (DecodeTrack(track, &fields))
        std::snprintf(text, sizeof text, "Account %s, %s, expires %s", fields.account,
                      fields.name[0] ? fields.name : "no name", fields.expires);
    else
        std::snprintf(text, sizeof text, "Not a track this reader knows.");
    SetLine(TESTCARD_LINE_FIELDS, text);
}

LRESULT CALLBACK WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == swipeMessage && swipeMessage != 0) {
        ShowSwipe();
        return 0;
    }
    switch (message) {
    case WM_CREATE: {
        HFONT font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
        for (int i = 0; i < TESTCARD_LINE_COUNT; ++i) {
            lines[i] = CreateWindowA("STATIC", "", WS_CHILD | WS_VISIBLE | SS_LEFT | SS_NOPREFIX,
                                     12, 12 + 24 * i, 560, 20, window,
                                     reinterpret_cast<HMENU>(static_cast<INT_PTR>(TESTCARD_FIRST_LINE_ID + i)),
                                     nullptr, nullptr);
            SendMessageA(lines[i], WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
        }
        HWND close = CreateWindowA("BUTTON", "Close", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON,
                                   250, 12 + 24 * TESTCARD_LINE_COUNT + 8, 90, 26, window,
                                   reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDCANCEL)), nullptr, nullptr);
        SendMessageA(close, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
        DescribeServer(TESTCARD_LINE_CONTROL, "CARD.OCX", CLSID_QvxCardControl, QVX_CONTROL_CLSID_TEXT);
        DescribeServer(TESTCARD_LINE_SERVICE, "CARDSO.DLL", CLSID_QvxServiceObject, QVX_SERVICE_CLSID_TEXT);
        DescribeRuntime();
        StartHook(window);
        return 0;
    }
    case WM_COMMAND:
        if (LOWORD(wParam) == IDCANCEL)
            DestroyWindow(window);
        return 0;
    case WM_DESTROY:
        if (hookStop != nullptr)
            hookStop();
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

bool DecodeTrack(const char* track, CardFields* fields)
{
    std::memset(fields, 0, sizeof *fields);
    std::size_t length = std::strlen(track);
    if (length < 3 || track[length - 1] != '?')
        return false;
    const char* p = track;
    char separator;
    if (p[0] == '%' && p[1] == 'B') {  // track 1: %B account ^ name ^ YYMM ... ?
        p += 2;
        separator = '^';
    } else if (p[0] == ';') {          // track 2: ; account = YYMM ... ?
        p += 1;
        separator = '=';
    } else {
        return false;
    }
    std::size_t digits = 0;
    while (*p >= '0' && *p <= '9' && digits < sizeof fields->account - 1)
        fields->account[digits++] = *p++;
    if (digits < 12 || *p != separator)
        return false;
    ++p;
    if (separator == '^') {
        std::size_t name = 0;
        while (*p != '^' && *p != '?' && *p != '\0' && name < sizeof fields->name - 1)
            fields->name[name++] = *p++;
        if (*p != '^')
            return false;
        ++p;
    }
    for (int i = 0; i < 4; ++i)
        if (p[i] < '0' || p[i] > '9')
            return false;
    // Shown as MM/YY.
    std::snprintf(fields->expires, sizeof fields->expires, "%c%c/%c%c", p[2], p[3], p[0], p[1]);
    return true;
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show)
{
    HRESULT com = CoInitialize(nullptr);
    swipeMessage = RegisterWindowMessageA(CARDHOOK_SWIPE_MESSAGE);

    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = WindowProcedure;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
    windowClass.hIcon = LoadIcon(nullptr, IDI_APPLICATION);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = TESTCARD_CLASS;
    if (!RegisterClassA(&windowClass))
        return 1;
    HWND window = CreateWindowA(TESTCARD_CLASS, TESTCARD_TITLE,
                                WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX,
                                CW_USEDEFAULT, CW_USEDEFAULT, 600, 24 * TESTCARD_LINE_COUNT + 100,
                                nullptr, nullptr, instance, nullptr);
    if (window == nullptr)
        return 1;
    ShowWindow(window, show);
    UpdateWindow(window);

    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    if (hookLibrary != nullptr)
        FreeLibrary(hookLibrary);
    if (SUCCEEDED(com))
        CoUninitialize();
    return 0;
}
