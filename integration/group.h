// The program-group stage: the product's Program Manager group with one item per configured
// program and one for the documentation, created over DDE; in unattended runs, and where no
// Program Manager answers, as a Start Menu folder of shortcuts. A step the setup refuses or that
// fails is logged and counts as a failure; an item Program Manager refuses is only logged.
#pragma once
#include <windows.h>

extern HWND progmanWindow;  // Program Manager's side of the open conversation, or null
// The DDE application and topic of Program Manager; a test can point the stage elsewhere.
extern const char* progmanService;

// The stage: reads the destination directory, the module instance and the main window.
void CreateProgramIcons();

// Opens the conversation on first use, then creates and shows the group. Null when no
// conversation could be opened or the group's commands would not fit their buffers (then no
// command is sent).
HWND CreateProgramGroup(const char* name, const char* groupFile);
// Replaces any item of that caption, then adds this one. An item whose commands would not fit is
// skipped whole (0): a replace without its add would only delete the user's item.
INT_PTR AddProgramItem(const char* caption, const char* commandLine);
// Re-enables Program Manager, asks it to exit, and forgets the conversation. Returns 1.
int ExitProgramManager();
