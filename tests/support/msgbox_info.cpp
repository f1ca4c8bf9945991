#include "tests/support/msgbox_info.h"

#include <vector>

static std::string WindowText(HWND window)
{
    int length = GetWindowTextLengthA(window);
    std::string text(static_cast<size_t>(length) + 1, '\0');
    GetWindowTextA(window, &text[0], length + 1);
    text.resize(static_cast<size_t>(lstrlenA(text.c_str())));
    return text;
}

// A box is read while it is being activated, before it is shown: ask for the style bit, not
// for visibility on the screen.
static bool Shown(HWND control)
{
    return control != nullptr && (GetWindowLongA(control, GWL_STYLE) & WS_VISIBLE) != 0;
}

static bool ClassIs(HWND window, const char* name)
{
    char buffer[64] = {};
    GetClassNameA(window, buffer, sizeof buffer);
    return lstrcmpiA(buffer, name) == 0;
}

bool IsMessageBox(HWND window)
{
    return ClassIs(window, "#32770") && (GetWindowLongA(window, GWL_STYLE) & WS_SYSMENU) != 0;
}

static UINT IconStyle(HWND box)
{
    static const struct {
        LPCSTR icon;
        UINT style;
    } icons[] = {{IDI_HAND, MB_ICONHAND}, {IDI_QUESTION, MB_ICONQUESTION},
                 {IDI_EXCLAMATION, MB_ICONEXCLAMATION}, {IDI_ASTERISK, MB_ICONASTERISK}};
    // Wine's template names the icon control 0x440, Windows' 0x14.
    for (int id : {0x440, 0x14}) {
        HWND control = GetDlgItem(box, id);
        if (!Shown(control))
            continue;
        HICON shown = reinterpret_cast<HICON>(SendMessageA(control, STM_GETICON, 0, 0));
        for (const auto& entry : icons)
            if (shown != nullptr && shown == LoadIconA(nullptr, entry.icon))
                return entry.style;
    }
    return 0;
}

int DefaultMessageBoxButton(HWND box)
{
    // Wine marks the default by the button's style; its DM_GETDEFID may still say IDOK.
    for (int id = IDOK; id <= IDNO; ++id) {
        HWND button = GetDlgItem(box, id);
        if (Shown(button) && (GetWindowLongA(button, GWL_STYLE) & 0x0F) == BS_DEFPUSHBUTTON)
            return id;
    }
    LRESULT def = SendMessageA(box, DM_GETDEFID, 0, 0);
    return HIWORD(def) == DC_HASDEFID ? LOWORD(def) : IDOK;
}

MessageBoxInfo DescribeMessageBox(HWND window)
{
    MessageBoxInfo info;
    info.window = window;
    info.owner = GetWindow(window, GW_OWNER);
    info.ownerEnabled = info.owner != nullptr && IsWindowEnabled(info.owner);
    info.caption = WindowText(window);
    info.text = WindowText(GetDlgItem(window, 0xFFFF));

    std::vector<int> buttons;
    for (int id = IDOK; id <= IDNO; ++id) {
        HWND button = GetDlgItem(window, id);
        if (Shown(button))
            buttons.push_back(id);
    }
    auto has = [&](int id) {
        for (int b : buttons)
            if (b == id)
                return true;
        return false;
    };
    UINT kind = MB_OK;
    if (has(IDABORT))
        kind = MB_ABORTRETRYIGNORE;
    else if (has(IDYES))
        kind = has(IDCANCEL) ? MB_YESNOCANCEL : MB_YESNO;
    else if (has(IDRETRY))
        kind = MB_RETRYCANCEL;
    else if (has(IDCANCEL))
        kind = MB_OKCANCEL;

    // The default button's position in the box's own order gives MB_DEFBUTTONn.
    static const int order[][3] = {{IDOK}, {IDOK, IDCANCEL}, {IDABORT, IDRETRY, IDIGNORE},
                                   {IDYES, IDNO, IDCANCEL}, {IDYES, IDNO}, {IDRETRY, IDCANCEL}};
    int def = DefaultMessageBoxButton(window);
    UINT defButton = 0;
    for (int i = 0; i < 3; ++i)
        if (order[kind][i] == def)
            defButton = static_cast<UINT>(i) << 8;
    info.style = kind | IconStyle(window) | defButton;
    return info;
}

void PressMessageBoxButton(HWND box, int button)
{
    HWND control = GetDlgItem(box, button);
    PostMessageA(box, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), reinterpret_cast<LPARAM>(control));
}

std::string StyleName(UINT style)
{
    static const char* kinds[] = {"MB_OK", "MB_OKCANCEL", "MB_ABORTRETRYIGNORE", "MB_YESNOCANCEL",
                                  "MB_YESNO", "MB_RETRYCANCEL"};
    static const char* icons[] = {"", "|MB_ICONHAND", "|MB_ICONQUESTION", "|MB_ICONEXCLAMATION",
                                  "|MB_ICONASTERISK"};
    std::string name = (style & 0xF) < 6 ? kinds[style & 0xF] : "MB_?";
    name += icons[((style >> 4) & 0xF) < 5 ? (style >> 4) & 0xF : 0];
    if (style & 0xF00)
        name += "|MB_DEFBUTTON" + std::to_string(((style >> 8) & 0xF) + 1);
    return name;
}
