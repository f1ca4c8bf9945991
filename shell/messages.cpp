#include "shell/screen.h"
#include "install/decisions.h"
#include "shell/log.h"
#include "shell/shell.h"

static char* LoadInto(char* buffer, int id)
{
    buffer[0] = '\0';
    LoadStringA(moduleInstance, static_cast<UINT>(id), buffer, 255);
    return buffer;
}

char* LoadMessage(int id)
{
    return LoadInto(messageBuffer, id);
}

char* LoadMessage2(int id)
{
    return LoadInto(messageBuffer2, id);
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

void DrainOneMessage()
{
    MSG message;
    if (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}
