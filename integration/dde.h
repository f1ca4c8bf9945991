// Client side of a window-message DDE conversation (global atoms and shared memory, not the DDE
// management library): a hidden client window, an initiate broadcast, commands executed one at
// a time, and answers to the server's terminate. Everything runs on the setup's one thread.
#pragma once
#include <windows.h>

extern HWND ddeWindow;      // the client window: wParam of every DDE message we send
extern HWND partnerWindow;  // the server that answered the last initiate, until the conversation ends
extern int initiating;      // 1 while the initiate broadcast is in progress
extern int lastAckStatus;   // 0x8000 when the latest command acknowledgement was positive, else 0
// How long a command waits for the server's answer, in milliseconds. Program Manager answers in
// well under a second; the margin covers a loaded machine, not a hung server.
extern DWORD ddeTimeout;

// Registers "ddeClass" and creates the client window (stored in ddeWindow). Null when the class
// cannot be registered (it never is unregistered) or the window cannot be created.
HWND CreateDdeWindow(HINSTANCE instance);
BOOL DestroyDdeWindow();

// The server that answered last, or null (unless an earlier partner is still recorded).
HWND InitiateConversation(const char* application, const char* topic);
HWND BroadcastInitiate(ATOM application, ATOM topic);

// Posts the command and waits for the server's answer. Results: 0x8000 for a positive
// acknowledgement; 0 for a negative one, a failed allocation or post, the server's terminate or
// the time-out; 1 for WM_DDE_DATA; the server handle when WM_QUIT arrived (it is consumed).
// After a failed post, the terminate or the time-out the server no longer is partnerWindow.
INT_PTR ExecuteCommand(HWND server, const char* command);
INT_PTR WaitForAck(HWND server);

// Posts WM_DDE_TERMINATE back to the sender; forgets it when it was the partner. Returns 1.
int AnswerTerminate(HWND partner);

LRESULT CALLBACK DdeWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
