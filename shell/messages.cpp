#include "shell/screen.h"
#include "install/decisions.h"
#include "shell/log.h"
#include "shell/shell.h"

char* LoadText(int id, char* buffer)
{
    buffer[0] = '\0';
    LoadStringA(moduleInstance, static_cast<UINT>(id), buffer, 255);
    return buffer;
}

char* LoadMessage(int id)
{
    return LoadText(id, messageBuffer);
}

char* LoadMessage2(int id)
{
    return LoadText(id, messageBuffer2);
}

static const char* ButtonName(int button)
{
    static const char* const names[] = {"none", "OK", "Cancel", "Abort", "Retry", "Ignore", "Yes", "No"};
    return button >= 0 && button <= IDNO ? names[button] : "?";
}

int ShowMessageOr(HWND owner, const char* text, UINT style, int silentAnswer)
{
    if (runMode != RunMode::Interactive) {
        LogLine("Message: %s -> %s (unattended)", text, ButtonName(silentAnswer));
        return silentAnswer;
    }
    EnableWindow(owner, FALSE);
    LoadMessage2(0);
    int answer = MessageBoxA(owner, text, messageBuffer2, style);
    EnableWindow(owner, TRUE);
    LogLine("Message: %s -> %s", text, ButtonName(answer));
    return answer;
}

int ShowMessage(HWND owner, const char* text, UINT style)
{
    return ShowMessageOr(owner, text, style, SilentAnswer(style));
}

int ShowMessageId(HWND owner, int id, UINT style)
{
    return ShowMessage(owner, LoadMessage(id), style);
}

INT_PTR RunModalDialog(HWND owner, WORD templateId, DLGPROC procedure, LPARAM parameter)
{
    INT_PTR result = DialogBoxParamA(moduleInstance, MAKEINTRESOURCEA(templateId), owner, procedure,
                                     parameter);
    SetFocus(owner);
    return result;
}

void CentreDialog(HWND dialog, float horizontal, float vertical)
{
    HWND parent = GetParent(dialog);
    RECT own;
    GetWindowRect(dialog, &own);
    OffsetRect(&own, -own.left, -own.top);
    HWND reference = (parent == nullptr || IsIconic(parent)) ? GetDesktopWindow() : parent;
    RECT area;
    GetWindowRect(reference, &area);
    int centreX = area.left + static_cast<int>(static_cast<double>(area.right - area.left) * horizontal);
    int centreY = area.top + static_cast<int>(static_cast<double>(area.bottom - area.top) * vertical);
    ClampToScreen(&centreX, &centreY, own.right, own.bottom);
    MoveWindow(dialog, centreX - own.right / 2, centreY - own.bottom / 2, own.right, own.bottom, FALSE);
}

// A look at the queue can cost far more than copying a block (under Wine each one is a round trip
// to its server and the display, some 50 us), so the copy looks after every block only while
// messages keep coming, and otherwise once kQuietDrainMilliseconds have passed since the last
// look. The performance counter, not the tick count: Wine moves the tick count in 16 ms steps.
void DrainOneMessage()
{
    static LARGE_INTEGER frequency;
    static LONGLONG lastLook;
    static bool lastFound;
    if (frequency.QuadPart == 0)
        QueryPerformanceFrequency(&frequency);  // without a counter both stay 0: look every time
    LARGE_INTEGER now = {};
    QueryPerformanceCounter(&now);
    if (!lastFound && now.QuadPart - lastLook < frequency.QuadPart * kQuietDrainMilliseconds / 1000)
        return;
    lastLook = now.QuadPart;
    MSG message;
    lastFound = PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE) != FALSE;
    if (lastFound) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}
