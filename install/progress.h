// The modeless progress dialog: "Copying:" and "To:" texts, the percentage bar and Cancel.
#pragma once
#include <windows.h>

// Set when the dialog initialises; null before.
extern HWND barControl;              // control 103, the black frame the bar is painted into
extern HWND fileTextControl;         // control 104, beside "Copying:"
extern HWND destinationTextControl;  // control 105, beside "To:"

// The percentage the bar last painted; 0 at program start, so nothing is drawn before 1 %.
extern int drawnPercentage;

INT_PTR CALLBACK ProgressDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// Repaints the bar from bytesCopied / totalBytes when the rounded percentage changed.
void UpdateProgressBar();
