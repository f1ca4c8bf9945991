#include "install/install.h"
#include "resources/resource.h"
#include "shell/paths.h"
#include "shell/screen.h"
#include "shell/shell.h"
#include "shell/title.h"

enum { kInstallCommand = 100 };

void DeriveSourceDirectory(const char* programPath)
{
    sourceDirectory[0] = '\0';
    if (HasDriveLetter(programPath) && DirectoryOfPath(programPath, sourceDirectory, kBufferSize))
        return;
    // Started by a bare name, a relative path or from a share: the files lie beside the running
    // module, whatever the current directory happens to be.
    char module[MAX_PATH + 1];
    DWORD length = GetModuleFileNameA(nullptr, module, sizeof module);
    if (length > 0 && length < sizeof module)
        DirectoryOfPath(module, sourceDirectory, kBufferSize);
}

void CompleteInstallation()
{
    LoadMessage2(IDS_CLASSES_KEY);
    RegDeleteKeyA(HKEY_CLASSES_ROOT, messageBuffer2);
    ShowMessageId(mainWindow, IDS_COMPLETE, MB_OK | MB_ICONINFORMATION);
    PostQuitMessage(0);
}

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    case WM_PAINT:
        PaintTitleScreen(window);
        break;
    case WM_COMMAND:
        // Only the posted install command: identifier 100 with notification code 0.
        if (wParam == kInstallCommand && RunInstallSequence())
            CompleteInstallation();
        break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

int RunSetup(HINSTANCE instance, const char* programPath)
{
    moduleInstance = instance;
    DeriveSourceDirectory(programPath);

    HDC screen = GetDC(nullptr);
    verticalPixelsPerInch = static_cast<short>(GetDeviceCaps(screen, LOGPIXELSY));
    horizontalPixelsPerInch = static_cast<short>(GetDeviceCaps(screen, LOGPIXELSX));
    ReleaseDC(nullptr, screen);

    WNDCLASSA windowClass = {};
    windowClass.style = CS_VREDRAW | CS_HREDRAW | CS_BYTEALIGNCLIENT;
    windowClass.lpfnWndProc = MainWindowProc;
    windowClass.hInstance = moduleInstance;
    windowClass.hIcon = LoadIconA(moduleInstance, MAKEINTRESOURCEA(IDI_SETUP));
    windowClass.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    windowClass.lpszClassName = LoadMessage(IDS_CLASS);
    RegisterClassA(&windowClass);

    screenWidth = static_cast<unsigned short>(GetSystemMetrics(SM_CXSCREEN));
    screenHeight = static_cast<unsigned short>(GetSystemMetrics(SM_CYSCREEN));

    LoadMessage(IDS_TITLE);
    LoadMessage2(IDS_CLASS);
    HWND window = CreateWindowExA(0, messageBuffer2, messageBuffer, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                                  CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr,
                                  moduleInstance, nullptr);
    ShowWindow(window, SW_SHOWMAXIMIZED);
    mainWindow = window;
    if (window == nullptr)
        return 0;
    PostMessageA(window, WM_COMMAND, kInstallCommand, 0);

    MSG message = {};
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        if (IsWindow(progressDialog) && IsDialogMessageA(progressDialog, &message))
            continue;
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return static_cast<int>(message.wParam);
}
