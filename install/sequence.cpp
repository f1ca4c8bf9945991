#include <cstring>

#include "destination/destination.h"
#include "install/copy.h"
#include "install/install.h"
#include "install/progress.h"
#include "install/shared.h"
#include "integration/group.h"
#include "integration/registration.h"
#include "resources/resource.h"
#include "shell/log.h"
#include "shell/shell.h"
#include "shell/text.h"
#include "record/recording.h"
#include "shell/paths.h"

bool cancelFlag;
long bytesCopied;
long totalBytes;
HWND progressDialog;

// String ids are 16 bits wide; a count that would walk past them, or a negative one (which as
// an unsigned number would never end the loop), is cut to what the id space can hold.
static unsigned ListCount(int countId, int baseId)
{
    long count = ParseNumber(LoadMessage(countId));
    long room = 0x10000L - baseId;
    if (count < 0)
        return 0;
    return static_cast<unsigned>(count < room ? count : room);
}

void RemoveListedFiles(const char* destination)
{
    unsigned count = ListCount(IDS_REMOVE_COUNT, IDS_REMOVE_BASE);
    for (unsigned i = 0; i < count; ++i) {
        LoadMessage(IDS_REMOVE_BASE + static_cast<int>(i));
        if (ComposeText(messageBuffer2, kBufferSize, {destination, messageBuffer}))
            DeleteFileA(messageBuffer2);
    }
}

void CopyTemporaryFiles(HWND dialog)
{
    // The whole buffer: a shorter copy would refuse a long destination and leave saved undefined.
    char saved[kBufferSize];
    ComposeText(saved, sizeof saved, {destinationDirectory});

    char temporary[kBufferSize];
    DWORD length = GetTempPathA(sizeof temporary, temporary);
    if (length == 0 || length >= sizeof temporary)
        temporary[0] = '\0';
    if (GetTempFileNameA(temporary, "QVX", 0, destinationDirectory) != 0) {
        char* last = std::strrchr(destinationDirectory, '\\');
        if (last != nullptr)
            last[1] = '\0';
    } else {
        ComposeText(destinationDirectory, kBufferSize, {temporary});
    }

    unsigned count = ListCount(IDS_TEMP_COUNT, IDS_TEMP_BASE);
    for (unsigned i = 0; i < count && !cancelFlag; ++i)
        CopyProductFile(dialog, IDS_TEMP_BASE + static_cast<int>(i));

    ComposeText(destinationDirectory, kBufferSize, {saved});
}

bool (*installationStarting)();
bool destinationRefused;
const char* commandLineDirectory;

// Unattended: the /DIR path (or the default the dialog would offer) goes through the same checks
// as a typed entry, with the answers a silent run takes; it must exist afterwards. The drive is
// judged first, so a refused destination leaves no directory behind.
static bool AcceptDestinationSilently()
{
    if (commandLineDirectory != nullptr)
        ComposeText(destinationDirectory, kBufferSize, {commandLineDirectory});
    else
        DefaultDestination(destinationDirectory, LoadMessage(IDS_DEFAULT_PATH));
    LogLine("Destination: %s", destinationDirectory);
    if (!CheckDestinationDrive(nullptr, destinationDirectory) || !CheckDestinationDirectory(destinationDirectory))
        return false;
    DWORD attributes = GetFileAttributesA(destinationDirectory);
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        LogLine("Destination %s: cannot be created", destinationDirectory);
        return false;
    }
    return true;
}

int RunInstallSequence()
{
    bytesCopied = 0;
    totalBytes = ParseNumber(LoadMessage(IDS_TOTAL_BYTES));

    bool accepted;
    if (runMode == RunMode::Interactive) {
        // A /DIR given to an interactive run is the offered default; the user may still change it.
        const char* offered = commandLineDirectory != nullptr ? commandLineDirectory : LoadMessage(IDS_DEFAULT_PATH);
        LoadMessage2(IDS_PROMPT);
        accepted = AskDestination(mainWindow, destinationDirectory, messageBuffer2, offered,
                                  commandLineDirectory != nullptr) != 0;
    } else {
        accepted = AcceptDestinationSilently();
    }
    if (!accepted) {
        destinationRefused = true;
        LogLine("Destination refused: nothing installed");
        PostQuitMessage(0);
        return 0;
    }

    EnsureTrailingBackslash(sourceDirectory);
    EnsureTrailingBackslash(destinationDirectory);
    // Without its record nothing installed could be taken back: nothing is installed.
    bool recorded = OpenInstallationRecord();
    if (!recorded)
        LogLine("Destination refused: the record cannot be kept there, nothing installed");
    if (!recorded || (installationStarting != nullptr && !installationStarting())) {
        DiscardInstallationRecord();
        destinationRefused = true;
        PostQuitMessage(0);
        return 0;
    }
    RemoveListedFiles(destinationDirectory);

    LogLine("Installing from %s into %s", sourceDirectory, destinationDirectory);
    // With /SILENT the dialog has no owner: it is centred on the screen.
    if (runMode != RunMode::VerySilent)
        progressDialog = CreateDialogParamA(moduleInstance, MAKEINTRESOURCEA(IDD_PROGRESS), mainWindow,
                                            ProgressDialogProc, 0);

    unsigned systemCount = ListCount(IDS_SYSTEM_COUNT, IDS_SYSTEM_BASE);
    for (unsigned i = 0; i < systemCount && !cancelFlag; ++i)
        InstallSharedFile(progressDialog, IDS_SYSTEM_BASE + static_cast<int>(i));

    unsigned productCount = ListCount(IDS_PRODUCT_COUNT, IDS_PRODUCT_BASE);
    for (unsigned i = 0; i < productCount && !cancelFlag; ++i)
        CopyProductFile(progressDialog, IDS_PRODUCT_BASE + static_cast<int>(i));

    CopyTemporaryFiles(progressDialog);

    if (noIcons)
        LogLine("Program group: none (/NOICONS)");
    else if (!cancelFlag)
        CreateProgramIcons();
    RegisterDeviceService();
    DestroyWindow(progressDialog);

    if (cancelFlag) {
        LogLine("Cancelled by the user");
        PostQuitMessage(0);
        return 0;
    }
    return 1;
}
