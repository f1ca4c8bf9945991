// CARDHOOK.DLL: catches the track data that a keyboard-wedge card reader types into a thread's
// windows. Characters from a start sentinel ('%' for track 1, ';' for track 2) up to the end
// sentinel '?' are taken out of the message stream; at the end sentinel the window given to
// CardHookStart receives the registered message CARDHOOK_SWIPE_MESSAGE with the track's length
// in wParam, and CardHookTrack returns the track.
#pragma once
#include <windows.h>

#define CARDHOOK_SWIPE_MESSAGE "QvxCardSwipe"

#ifdef CARDHOOK_BUILD
#define CARDHOOK_API extern "C" __declspec(dllexport)
#else
#define CARDHOOK_API extern "C" __declspec(dllimport)
#endif

// Watches the thread that owns the window. FALSE when a hook is already active or cannot be set.
typedef BOOL(WINAPI* CardHookStartProc)(HWND window);
// Stops watching.
typedef void(WINAPI* CardHookStopProc)(void);
// Copies the last complete track, sentinels included, and returns its length (0 if none).
typedef int(WINAPI* CardHookTrackProc)(char* buffer, int size);
