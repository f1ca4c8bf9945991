#include <cstring>

#include "destination/destination.h"
#include "destination/pathchar.h"
#include "resources/resource.h"
#include "shell/shell.h"
#include "shell/text.h"

// One destination dialog exists at a time.
static const char* promptText;
static char* destinationReference;
static WNDPROC savedFieldProc;
// The creation question is owned by the main window, so the dialog stays live under it.
static bool checking;    // OK's checks are running; a second OK waits for them
bool destinationExitChosen;  // "Exit Setup" came while they ran: it wins over their outcome

void DefaultDestination(char* destination, const char* defaultPath)
{
    char windows[kBufferSize];
    UINT length = GetWindowsDirectoryA(windows, 145);
    // A default that does not fit is not cut: the field then starts empty.
    if (!ComposeText(destination, kBufferSize, {defaultPath}))
        destination[0] = '\0';
    // Only the drive letter is taken. Unread, the default keeps its own; an empty default stays
    // empty rather than losing its terminator.
    if (length > 0 && length < 145 && destination[0] != '\0') {
        char drive = windows[0];
        destination[0] = drive >= 'A' && drive <= 'Z' ? static_cast<char>(drive - 'A' + 'a') : drive;
    }
}

INT_PTR AskDestination(HWND owner, char* destination, const char* prompt, const char* defaultPath,
                       bool exactDefault)
{
    promptText = prompt;
    if (!exactDefault)
        DefaultDestination(destination, defaultPath);
    else if (!ComposeText(destination, kBufferSize, {defaultPath}))
        destination[0] = '\0';
    return RunModalDialog(owner, IDD_DESTINATION, DestinationDialogProc,
                          reinterpret_cast<LPARAM>(destination));
}

static INT_PTR AcceptEntry(HWND dialog)
{
    if (checking)
        return TRUE;
    GetDlgItemTextA(dialog, IDC_PATH, destinationReference, 255);
    // The field's filter keeps wildcards out, but a paste brings them; a find-first match would
    // then make the entry "exist".
    if (std::strpbrk(destinationReference, "*?") != nullptr) {
        ShowMessageId(dialog, IDS_BAD_DRIVE, MB_OK | MB_ICONINFORMATION);
        return FALSE;
    }
    checking = true;
    destinationExitChosen = false;
    bool passed = CheckDestinationDirectory(destinationReference) && !destinationExitChosen &&
                  CheckDestinationDrive(dialog, destinationReference);
    checking = false;
    if (destinationExitChosen)
        return TRUE;  // already ended with FALSE
    if (!passed)
        return FALSE;
    EndDialog(dialog, TRUE);
    return TRUE;
}

INT_PTR CALLBACK DestinationDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG: {
        CentreDialog(dialog, 0.5f, 0.6f);
        destinationReference = reinterpret_cast<char*>(lParam);
        SetDlgItemTextA(dialog, IDC_PROMPT, promptText);
        SetDlgItemTextA(dialog, IDC_PATH, destinationReference);
        HWND field = GetDlgItem(dialog, IDC_PATH);
        savedFieldProc = reinterpret_cast<WNDPROC>(GetWindowLongPtrA(field, GWLP_WNDPROC));
        SetWindowLongPtrA(field, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(PathFieldProc));
        return TRUE;
    }
    case WM_COMMAND:
        // Only the plain command ids: the field's notifications carry a code in the high word.
        if (wParam == IDOK)
            return AcceptEntry(dialog);
        if (wParam == IDCANCEL) {
            destinationExitChosen = checking;
            EndDialog(dialog, FALSE);
        }
        return TRUE;
    case WM_CLOSE:
        // The dialog has no system menu; closing only takes the filter off the field.
        if (savedFieldProc != nullptr)
            SetWindowLongPtrA(GetDlgItem(dialog, IDC_PATH), GWLP_WNDPROC,
                              reinterpret_cast<LONG_PTR>(savedFieldProc));
        return TRUE;
    default:
        return FALSE;
    }
}

LRESULT CALLBACK PathFieldProc(HWND field, UINT message, WPARAM wParam, LPARAM lParam)
{
    // The whole character value decides: a code whose low bits name an allowed character is
    // still refused. Refused characters vanish without a sound.
    if (message == WM_CHAR &&
        (static_cast<unsigned>(wParam) != wParam || !IsPathCharacter(static_cast<unsigned>(wParam))))
        return 0;
    return CallWindowProcA(savedFieldProc, field, message, wParam, lParam);
}
