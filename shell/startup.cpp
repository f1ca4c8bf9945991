#include "install/install.h"
#include "install/names.h"
#include "shell/log.h"
#include "shell/text.h"
#include "resources/resource.h"
#include "shell/paths.h"
#include "shell/screen.h"
#include "shell/shell.h"
#include "shell/title.h"
#include "lifecycle/lifecycle.h"

enum { kInstallCommand = 100 };

bool installStarted;

void DeriveSourceDirectory(const char* programPath)
{
    sourceDirectory[0] = '\0';
    // "Z:SETUP.EXE" has a drive but no directory: it means the drive's current directory, which
    // is no place to look for the files.
    if (HasDriveLetter(programPath) && DirectoryOfPath(programPath, sourceDirectory, kBufferSize) &&
        sourceDirectory[2] != '\0')
        return;
    // Started by a bare name, a relative path, a drive-relative path or from a share: the files
    // lie beside the running module, whatever the current directory happens to be.
    char module[MAX_PATH + 1];
    DWORD length = GetModuleFileNameA(nullptr, module, sizeof module);
    if (length > 0 && length < sizeof module)
        DirectoryOfPath(module, sourceDirectory, kBufferSize);
}

void CompleteInstallation()
{
    LoadMessage2(IDS_CLASSES_KEY);
    RegDeleteKeyA(HKEY_CLASSES_ROOT, messageBuffer2);
    // The shell may have put the group's folder window over ours after the group commands; the
    // message comes up over its owner, so the owner comes first.
    if (mainWindow != nullptr) {
        SetForegroundWindow(mainWindow);
        BringWindowToTop(mainWindow);
    }
    // The shell can open that window even a second after the message is up, so the message is
    // topmost: system-modal is application-modal plus WS_EX_TOPMOST, which Wine honours where it
    // ignores MB_TOPMOST.
    ShowMessageId(mainWindow, IDS_COMPLETE, MB_OK | MB_ICONINFORMATION | MB_SYSTEMMODAL | MB_SETFOREGROUND);
    if (restartNeeded)
        ShowMessageId(mainWindow, IDS_RESTART_TO_FINISH, MB_OK | MB_ICONINFORMATION | MB_SYSTEMMODAL | MB_SETFOREGROUND);
    PostQuitMessage(0);
}

// The whole installation; the entry's size then says what the record holds, however it ended.
static void InstallAndComplete()
{
    installStarted = true;
    int completed = RunInstallSequence();
    UpdateEstimatedSize();
    if (completed)
        CompleteInstallation();
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
    case WM_CLOSE:
        // While files are being installed, closing the title window is a Cancel: the progress
        // dialog and every later question belong to this window.
        if (IsWindow(progressDialog)) {
            if (!noCancel)
                SendMessageA(progressDialog, WM_COMMAND, IDCANCEL, 0);
            return 0;
        }
        break;
    case WM_COMMAND:
        // Only the posted install command: identifier 100 with notification code 0, once. Any
        // process can post another; a second sequence would run inside the first.
        if (wParam == kInstallCommand && !installStarted) {
            InstallAndComplete();
        }
        break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

// The switches' list, or what was wrong with the command line: a box with no owner.
static void ShowCommandLineBox(const char* text)
{
    char caption[kBufferSize] = "";
    LoadStringA(moduleInstance, IDS_TITLE, caption, 255);
    MessageBoxA(nullptr, text, caption, MB_OK | MB_ICONINFORMATION);
}

static const int kHelpTextIds[] = {IDS_HELP_SWITCHES, IDS_HELP_MORE_SWITCHES, IDS_HELP_NO_EFFECT, IDS_HELP_EXIT_CODES};
enum { kHelpTexts = sizeof kHelpTextIds / sizeof kHelpTextIds[0] };

static int AnswerCommandLine(const CommandLine& command, bool valid)
{
    char text[kHelpTexts * kBufferSize];
    if (!valid) {
        LoadMessage2(IDS_BAD_COMMAND);
        if (!FormatWithName(text, sizeof text, messageBuffer2, command.bad))
            ComposeText(text, sizeof text, {messageBuffer2});
        LogLine("Bad command line: %s", command.bad);
        if (command.mode != RunMode::VerySilent)
            ShowCommandLineBox(text);
        return kExitBadCommandLine;
    }
    // The list comes in several strings, each within what one string can hold.
    text[0] = '\0';
    for (int id : kHelpTextIds)
        ComposeText(text, sizeof text, {text, LoadMessage(id)});
    ShowCommandLineBox(text);
    return kExitInstalled;
}

// Unattended: no title window and no destination dialog; /SILENT shows the progress dialog.
static int RunUnattended()
{
    InstallAndComplete();
    if (destinationRefused)
        return kExitDestinationRefused;
    if (cancelFlag)
        return kExitCancelled;
    if (somethingFailed)
        return kExitIncomplete;
    return restartNeeded ? static_cast<int>(restartExitCode) : static_cast<int>(kExitInstalled);
}

static HANDLE setupMutex;

// One installation or removal at a time on the machine: two would count shared files twice and
// interleave their records. The mutex is held until the process ends.
bool TakeSetupMutex(DWORD wait)
{
    char name[kBufferSize];
    if (setupMutex == nullptr)
        setupMutex = CreateMutexA(nullptr, FALSE, LoadText(IDS_SETUP_MUTEX, name));
    // One that cannot even be opened (made by another session with other rights) is held too.
    if (setupMutex == nullptr)
        return false;
    DWORD result = WaitForSingleObject(setupMutex, wait);
    return result == WAIT_OBJECT_0 || result == WAIT_ABANDONED;
}

int RunSetup(HINSTANCE instance, const char* programPath, const char* arguments)
{
    moduleInstance = instance;
    DeriveSourceDirectory(programPath);

    CommandLine command;
    bool valid = ParseCommandLine(arguments, &command);
    // A removal goes on in a copy that runs elsewhere: a relative log is made full at once.
    char fullLog[kBufferSize];
    DWORD logLength = command.logFile[0] != '\0' ? GetFullPathNameA(command.logFile, sizeof fullLog, fullLog, nullptr) : 0;
    if (logLength > 0 && logLength < sizeof fullLog)
        ComposeText(command.logFile, sizeof command.logFile, {fullLog});
    if (command.log && !OpenLog(command.logFile, command.uninstall && IsHandOverCopy()))
        command.log = false;  // the installation goes on without its log
    if (!valid || command.help) {
        int code = AnswerCommandLine(command, valid);
        LogLine("Exit code %d", code);
        CloseLog();
        return code;
    }
    runMode = command.mode;
    installationStarting = BeginInstallation;
    // A removal's temporary copy takes the mutex over from the process that started it.
    if (!(command.uninstall && IsHandOverCopy()) && !TakeSetupMutex(0)) {
        char format[kBufferSize];
        char name[kBufferSize];
        char text[2 * kBufferSize];
        LogLine("Another installation or removal is in progress: nothing done");
        if (FormatWithName(text, sizeof text, LoadText(IDS_SETUP_RUNNING, format), LoadText(IDS_DISPLAY_NAME, name)))
            ShowMessage(nullptr, text, MB_OK | MB_ICONINFORMATION);
        LogLine("Exit code %d", kExitSetupInProgress);
        CloseLog();
        return kExitSetupInProgress;
    }
    noCancel = command.noCancel;
    noIcons = command.noIcons;
    restartExitCode = command.restartExitCode;
    // Reinstalling: where the product is installed is the default destination.
    commandLineDirectory = command.haveDirectory ? command.directory : InstalledDestination();
    if (command.uninstall) {
        int code = RunRemoval(arguments);
        LogLine("Exit code %d", code);
        CloseLog();
        return code;
    }
    LogLine("Setup started from %s", sourceDirectory);
    for (unsigned i = 0; i < kNoEffectSwitchCount; ++i)
        if (command.noEffect & (1u << i))
            LogLine("Switch /%s: accepted, nothing to do here", kNoEffectSwitches[i]);

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

    if (runMode != RunMode::Interactive) {
        int code = RunUnattended();
        LogLine("Exit code %d", code);
        CloseLog();
        return code;
    }

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
    // An interactive run ends with exit code 0 whatever happened.
    LogLine("Exit code %d", static_cast<int>(message.wParam));
    CloseLog();
    return static_cast<int>(message.wParam);
}
