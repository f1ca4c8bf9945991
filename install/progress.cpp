#include "install/progress.h"

#include "install/install.h"
#include "install/progressmath.h"
#include "resources/resource.h"
#include "shell/shell.h"
#include "shell/text.h"

HWND barControl;
HWND fileTextControl;
HWND destinationTextControl;
int drawnPercentage;

INT_PTR CALLBACK ProgressDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    switch (message) {
    case WM_INITDIALOG:
        CentreDialog(dialog, 0.5f, 0.6f);
        barControl = GetDlgItem(dialog, IDC_BAR);
        fileTextControl = GetDlgItem(dialog, IDC_FILE);
        destinationTextControl = GetDlgItem(dialog, IDC_TARGET);
        EnableWindow(GetDlgItem(dialog, IDCANCEL), !noCancel);
        return TRUE;
    case WM_COMMAND:
        // The whole wParam: a click on Cancel, not some other notification from control 2. With
        // /NOCANCEL the disabled button cannot be clicked, but Escape still sends the command.
        if (wParam == IDCANCEL && !noCancel &&
            // Unattended, the person who pressed Cancel is not asked again.
            ShowMessageOr(dialog, LoadMessage(IDS_CONFIRM_CANCEL), MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2,
                          IDYES) != IDNO) {
            cancelFlag = true;
            EndDialog(dialog, 0);
        }
        return TRUE;
    }
    return FALSE;
}

void UpdateProgressBar()
{
    if (barControl == nullptr)
        return;
    // Called after every copied block: the common case is one division and one comparison.
    float fraction = ProgressFraction(bytesCopied, totalBytes);
    int percentage = ProgressPercentage(fraction);
    if (percentage == drawnPercentage)
        return;  // at most one painting per whole percent
    RECT inside;
    if (!GetClientRect(barControl, &inside))
        return;  // the bar is gone (its dialog or the title window closed): nothing to draw on
    drawnPercentage = percentage;

    if (!FormatText(messageBuffer, kBufferSize, "%d %%", drawnPercentage))
        messageBuffer[0] = '\0';
    int length = lstrlenA(messageBuffer);

    InflateRect(&inside, -1, -1);  // the inside of the black frame
    int width = inside.right - inside.left;
    int height = inside.bottom - inside.top;
    RECT part = inside;
    part.right = inside.left + FilledWidth(width, fraction);

    HDC dc = GetDC(barControl);
    SetBkColor(dc, RGB(0, 0, 255));
    SetTextColor(dc, GetSysColor(COLOR_WINDOW));
    SetTextAlign(dc, TA_CENTER | TA_TOP);
    SIZE extent = {};
    GetTextExtentPointA(dc, "X", 1, &extent);
    int x;
    int y;
    ProgressTextOrigin(inside.left, inside.top, width, height, static_cast<unsigned short>(extent.cy), &x, &y);

    // The same text drawn twice, clipped to each part with the colours swapped, so it changes
    // colour exactly where the fill ends.
    ExtTextOutA(dc, x, y, ETO_CLIPPED | ETO_OPAQUE, &part, messageBuffer, static_cast<UINT>(length), nullptr);
    COLORREF previousText = SetTextColor(dc, GetBkColor(dc));
    SetBkColor(dc, previousText);
    part.left = part.right;
    part.right = inside.right;
    ExtTextOutA(dc, x, y, ETO_CLIPPED | ETO_OPAQUE, &part, messageBuffer, static_cast<UINT>(length), nullptr);
    ReleaseDC(barControl, dc);
}
