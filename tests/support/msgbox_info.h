// Reading a message box window back: caption, text, owner and the MB_ style it was shown with.
// Works for boxes of this process (the in-process answerer) and of another (the UI driver).
#pragma once
#include <windows.h>

#include <string>

struct MessageBoxInfo {
    HWND window = nullptr;
    HWND owner = nullptr;
    bool ownerEnabled = false;  // state of the owner while the box is up
    std::string caption;
    std::string text;
    UINT style = 0;             // buttons | icon | default button, reconstructed from the controls
};

// True when window is a standard message box (a dialog with a system menu: our own dialog
// templates have none).
bool IsMessageBox(HWND window);
// Read it once the box is fully set up (shown, or from a timer set when it activates): while
// it is being activated Wine has not yet marked its default button.
MessageBoxInfo DescribeMessageBox(HWND window);
int DefaultMessageBoxButton(HWND box);  // the button Enter presses

// Presses the button with the given identifier (IDOK, IDYES, ...) by posting its click.
void PressMessageBoxButton(HWND box, int button);

// "MB_YESNO|MB_ICONQUESTION|MB_DEFBUTTON2"-style text for failure messages.
std::string StyleName(UINT style);
