#include "tests/support/msgbox_info.h"

bool IsMessageBox(HWND window)
{
    char name[16] = "";
    GetClassNameA(window, name, sizeof name);
    return lstrcmpA(name, "#32770") == 0 && (GetWindowLongA(window, GWL_STYLE) & WS_SYSMENU) != 0;
}

int DefaultMessageBoxButton(HWND box)
{
    // Wine marks the default by the button's style (its DM_GETDEFID may still say IDOK).
    for (int id = IDOK; id <= IDNO; ++id) {
        HWND button = GetDlgItem(box, id);
        if (IsWindowVisible(button) && (GetWindowLongA(button, GWL_STYLE) & 0xF) == BS_DEFPUSHBUTTON)
            return id;
    }
    return IDOK;
}

MessageBoxInfo DescribeMessageBox(HWND window)
{
    MessageBoxInfo info;
    info.owner = GetWindow(window, GW_OWNER);
    info.ownerEnabled = info.owner != nullptr && IsWindowEnabled(info.owner);
    char text[1024] = "";
    info.caption.assign(text, static_cast<size_t>(GetWindowTextA(window, text, sizeof text)));
    info.text.assign(text, static_cast<size_t>(GetDlgItemTextA(window, 0xFFFF, text, sizeof text)));
    // MB_OK to MB_RETRYCANCEL by the buttons shown; the default's place among them gives MB_DEFBUTTONn.
    static const int kinds[6][3] = {{IDOK}, {IDOK, IDCANCEL}, {IDABORT, IDRETRY, IDIGNORE}, {IDYES, IDNO, IDCANCEL},
                                    {IDYES, IDNO}, {IDRETRY, IDCANCEL}};
    unsigned shown = 0;
    for (int id = IDOK; id <= IDNO; ++id)
        shown |= IsWindowVisible(GetDlgItem(window, id)) ? 1u << id : 0;
    for (UINT kind = 0, def = DefaultMessageBoxButton(window); kind < 6; ++kind) {
        unsigned buttons = 0, place = 0;
        for (UINT i = 0; i < 3 && kinds[kind][i] != 0; ++i) {
            buttons |= 1u << kinds[kind][i];
            place = kinds[kind][i] == static_cast<int>(def) ? i : place;
        }
        info.style = buttons == shown ? kind | place << 8 : info.style;
    }
    HWND iconControl = GetDlgItem(window, 0x440);  // in Wine's template
    HICON icon = reinterpret_cast<HICON>(SendMessageA(iconControl, STM_GETICON, 0, 0));
    static const LPCSTR icons[] = {IDI_HAND, IDI_QUESTION, IDI_EXCLAMATION, IDI_ASTERISK};
    for (UINT i = 0; i < 4; ++i)
        info.style |= IsWindowVisible(iconControl) && icon == LoadIconA(nullptr, icons[i]) ? (i + 1) << 4 : 0;
    return info;
}

std::string StyleName(UINT style)
{
    static const char* kinds[] = {"MB_OK", "MB_OKCANCEL", "MB_ABORTRETRYIGNORE", "MB_YESNOCANCEL", "MB_YESNO",
                                  "MB_RETRYCANCEL"};
    static const char* icons[] = {"", "|MB_ICONHAND", "|MB_ICONQUESTION", "|MB_ICONEXCLAMATION", "|MB_ICONASTERISK"};
    std::string name = (style & 0xF) < 6 ? kinds[style & 0xF] : "MB_?";
    name += icons[((style >> 4) & 0xF) < 5 ? (style >> 4) & 0xF : 0];
    return style & 0xF00 ? name + "|MB_DEFBUTTON" + std::to_string(((style >> 8) & 0xF) + 1) : name;
}
