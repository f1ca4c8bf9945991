// Reading a message box of this process back: caption, text, owner and the MB_ style shown.
#pragma once
#include <windows.h>

#include <string>

struct MessageBoxInfo {
    HWND owner = nullptr;
    bool ownerEnabled = false;  // while the box is up
    std::string caption, text;
    UINT style = 0;  // buttons | icon | default button, from the controls
};

bool IsMessageBox(HWND window);  // a dialog with a system menu, which our own dialogs lack
// Read a box only once it is fully set up: while it activates, its default button is not yet marked.
MessageBoxInfo DescribeMessageBox(HWND window);
int DefaultMessageBoxButton(HWND box);  // the button Enter presses
std::string StyleName(UINT style);      // "MB_YESNO|MB_ICONQUESTION|MB_DEFBUTTON2"
