#include <cstring>

#include "destination/destination.h"
#include "destination/freespace.h"
#include "destination/tree.h"
#include "install/install.h"
#include "resources/resource.h"
#include "shell/log.h"
#include "shell/shell.h"
#include "shell/text.h"

DiskFreeSpaceQuery queryDiskFreeSpace = GetDiskFreeSpaceA;

// The entry as both checks see it: trailing spaces and then one trailing backslash removed.
// False when nothing is left (or the entry would not fit the working copy).
static bool TrimEntry(char* work, const char* entry)
{
    if (!ComposeText(work, kBufferSize, {entry}))
        return false;
    TrimTrailing(work, ' ');
    std::size_t length = std::strlen(work);
    if (length > 0 && work[length - 1] == '\\')
        work[length - 1] = '\0';
    return work[0] != '\0';
}

int CheckDestinationDirectory(const char* entry)
{
    // Local, not a message buffer: the question below dispatches messages that rewrite those.
    char work[kBufferSize];
    // A file of that name counts as well: the copy will report it, not this check.
    if (!TrimEntry(work, entry))
        return 1;
    if (PathExists(work)) {
        // It may be shared with other software: its access list is not the setup's to change.
        LogLine("Destination %s: already there, its access list is kept", work);
        return 1;
    }
    // Unattended, a missing destination is created.
    if (ShowMessageOr(mainWindow, LoadMessage(IDS_CREATE_DIR), MB_YESNO | MB_ICONQUESTION, IDYES) == IDNO ||
        destinationExitChosen)
        return 0;
    // The tree creation never makes a path's last component; the backslash makes it a level.
    // A failure shows up later as failed copies, each one reported.
    char tree[kBufferSize];
    if (ComposeText(tree, sizeof tree, {work, "\\"}))
        CreateDirectoryTree(tree);
    return 1;
}

int CheckDestinationDrive(HWND dialog, const char* entry)
{
    char work[kBufferSize];
    const char root[] = {entry[0], ':', '\\', '\0'};
    DWORD sectorsPerCluster, bytesPerSector, freeClusters, totalClusters;
    if (!TrimEntry(work, entry) ||
        !queryDiskFreeSpace(root, &sectorsPerCluster, &bytesPerSector, &freeClusters,
                            &totalClusters)) {
        ShowMessageId(dialog, IDS_BAD_DRIVE, MB_OK | MB_ICONINFORMATION);
        return 0;
    }
    std::uint64_t freeBytes = FreeSpaceBytes(freeClusters, sectorsPerCluster, bytesPerSector);
    if (HasRoomFor(freeBytes, totalBytes))
        return 1;

    LowSpaceFigures figures = LowSpaceFiguresFor(freeBytes, totalBytes, entry[0]);
    LoadMessage2(IDS_LOW_SPACE);
    // Better the question without its figures than no question: the bare text always fits.
    if (!FormatLowSpaceMessage(messageBuffer, kBufferSize, messageBuffer2, figures))
        ComposeText(messageBuffer, kBufferSize, {messageBuffer2});
    int answer = ShowMessage(dialog, messageBuffer, MB_YESNO | MB_ICONINFORMATION | MB_DEFBUTTON2);
    return answer == IDYES ? 1 : 0;
}
