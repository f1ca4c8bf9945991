#include "integration/group.h"

#include <shlobj.h>

#include "integration/shortcuts.h"
#include "shell/log.h"

#include "integration/dde.h"
#include "integration/ddecommands.h"
#include "resources/resource.h"
#include "shell/paths.h"
#include "shell/shell.h"
#include "shell/text.h"
#include "record/recording.h"

HWND progmanWindow;
// The initiate went out and no one answered: the group is made without Program Manager. A group
// whose commands would not fit is not that case.
static bool noServerAnswered;
const char* progmanService = "PROGMAN";

// The item list owns identifiers 97 to 127; a larger count would read into the file list.
static const long kMaxProgramItems = 15;

static const char kTooLongForProgman[] = "FAILED (commands too long for Program Manager)";

// One line per item. A step the setup itself refuses, or that fails, counts for the exit code;
// what Program Manager refuses does not: the product is installed and usable without it.
static void LogItem(const char* caption, const char* outcome, bool counts)
{
    somethingFailed = somethingFailed || counts;
    LogLine("Group item %s: %s", caption, outcome);
}

// Once Program Manager has terminated the conversation or stopped answering, further commands
// would each just wait out the time-out again.
static INT_PTR SendCommand(const char* command)
{
    if (progmanWindow == nullptr || partnerWindow != progmanWindow)
        return 0;
    return ExecuteCommand(progmanWindow, command);
}

HWND CreateProgramGroup(const char* name, const char* groupFile)
{
    char windowsDirectory[kWindowsDirectorySize];
    UINT length = GetWindowsDirectoryA(windowsDirectory, sizeof windowsDirectory);
    bool haveDirectory = length > 0 && length < sizeof windowsDirectory;
    char create[kGroupCommandSize];
    char show[kGroupCommandSize];
    if (!FormatCreateGroupCommand(create, sizeof create, name,
                                  haveDirectory ? windowsDirectory : nullptr, groupFile) ||
        !FormatShowGroupCommand(show, sizeof show, name))
        return nullptr;

    if (progmanWindow == nullptr) {
        progmanWindow = InitiateConversation(progmanService, progmanService);
        noServerAnswered = progmanWindow == nullptr;
        if (progmanWindow == nullptr)
            return nullptr;
        BringWindowToTop(progmanWindow);
        ShowWindow(progmanWindow, SW_RESTORE);
        // The user is kept out of Program Manager while the setup drives it.
        EnableWindow(progmanWindow, FALSE);
    }
    SendCommand(create);
    SendCommand(show);
    return progmanWindow;
}

INT_PTR AddProgramItem(const char* caption, const char* commandLine)
{
    char replace[kItemCommandSize];
    char add[kItemCommandSize];
    if (!FormatReplaceItemCommand(replace, sizeof replace, caption) ||
        !FormatAddItemCommand(add, sizeof add, commandLine, caption)) {
        LogItem(caption, kTooLongForProgman, true);
        return 0;
    }
    SendCommand(replace);
    INT_PTR accepted = SendCommand(add);
    LogItem(caption, accepted ? "added" : "refused by Program Manager", false);
    return accepted;
}

int ExitProgramManager()
{
    if (progmanWindow != nullptr) {
        EnableWindow(progmanWindow, TRUE);
        SendCommand(kExitCommand);
    }
    progmanWindow = nullptr;
    partnerWindow = nullptr;
    return 1;
}

// document: the documentation's full path, quoted, for its item; null for the others.
typedef void (*AddItem)(const char* caption, const char* commandLine, const char* document);

static void AddOrRefuse(bool fits, const char* caption, const char* commandLine, const char* document, AddItem add)
{
    if (fits)
        add(caption, commandLine, document);
    else
        LogItem(caption, "FAILED (command line too long)", true);
}

// The items of the group: count program items (destination + program, caption), then the
// documentation item (viewer, destination + document, caption) when the table names a document.
// The texts come in the shared buffers, the caption in the second; add is called with each.
static void ForEachProgramItem(long count, AddItem add)
{
    char commandLine[kCommandLineSize];
    for (long i = 0; i < count; ++i) {
        bool fits = ComposeText(commandLine, sizeof commandLine,
                                {destinationDirectory, LoadMessage(IDS_ITEM_BASE + 2 * i)});
        AddOrRefuse(fits, LoadMessage2(IDS_ITEM_BASE + 2 * i + 1), commandLine, nullptr, add);
    }
    if (LoadMessage(IDS_DOC_FILE)[0] != '\0') {
        char document[kCommandLineSize];
        // String 23 carries its own trailing blank.
        bool fits = ComposeText(document, sizeof document, {"\"", destinationDirectory, messageBuffer, "\""}) &&
                    ComposeText(commandLine, sizeof commandLine,
                                {LoadMessage2(IDS_DOC_PROGRAM), destinationDirectory, messageBuffer});
        // The caption shares the second buffer with the program, so it comes after the line.
        AddOrRefuse(fits, LoadMessage2(IDS_DOC_CAPTION), commandLine, document, add);
    }
}

static char shortcutFolder[kBufferSize];

static void AddShortcut(const char* caption, const char* commandLine, const char* document)
{
    // By result. A program that is not there is what Program Manager refuses too, so it does not
    // count.
    static const char* const outcomes[] = {"shortcut created", "no shortcut (program not found)",
                                           "FAILED (name or program path refused)", "FAILED (cannot be saved)"};
    ShortcutResult result = CreateShortcut(shortcutFolder, caption, commandLine);
    // Without its viewer (current Windows ships none) the documentation opens with whatever
    // program handles its kind of file.
    bool opensDocument = result == ShortcutResult::ProgramNotFound && document != nullptr;
    if (opensDocument)
        result = CreateShortcut(shortcutFolder, caption, document);
    LogItem(caption, opensDocument && result == ShortcutResult::Created ? "shortcut to the document created"
                                                                       : outcomes[static_cast<int>(result)],
            result > ShortcutResult::ProgramNotFound);
}

// The group was there before this installation (another product's items may be in it): the
// removal then takes back this product's items only, so each is noted.
static bool groupExisted;

static void AddDdeItem(const char* caption, const char* commandLine, const char*)
{
    if (AddProgramItem(caption, commandLine) && groupExisted)
        RecordDdeItem(caption);
}

// Program Manager keeps a group as a folder of a Programs menu, the all-users one or the user's.
static bool GroupFolderExists(const char* name)
{
    for (int which : {CSIDL_COMMON_PROGRAMS, CSIDL_PROGRAMS}) {
        char path[MAX_PATH];
        if (!SHGetSpecialFolderPathA(nullptr, path, which, FALSE) || !JoinPath(path, sizeof path, path, name))
            continue;
        DWORD attributes = GetFileAttributesA(path);
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
            return true;
    }
    return false;
}

// The group as a Start Menu folder of shortcuts with the same command lines and captions; why
// (no Program Manager answered, or an unattended run) goes into the log.
static void CreateShortcutGroup(long count, const char* why)
{
    if (!CreateShortcutFolder(LoadMessage(IDS_GROUP_NAME), shortcutFolder)) {
        somethingFailed = true;
        LogLine("Program group %s: FAILED (%s; no Start Menu folder)", messageBuffer, why);
        return;
    }
    LogLine("Program group %s: Start Menu folder %s (%s)", messageBuffer, shortcutFolder, why);
    RecordShortcutFolder(shortcutFolder);
    ForEachProgramItem(count, AddShortcut);
}

void CreateProgramIcons()
{
    long count = ParseNumber(LoadMessage(IDS_ITEM_COUNT));
    if (count <= 0)
        return;
    if (count > kMaxProgramItems)
        count = kMaxProgramItems;
    // Program Manager's server opens the group's folder window, even after the setup has ended;
    // an unattended run must leave nothing on the screen.
    if (runMode != RunMode::Interactive) {
        CreateShortcutGroup(count, "unattended run");
        return;
    }
    if (CreateDdeWindow(moduleInstance) == nullptr) {
        somethingFailed = true;
        ShowMessageId(mainWindow, IDS_NO_DDE_WINDOW, MB_OK | MB_ICONINFORMATION);
        return;
    }
    // The waits dispatch nothing but DDE messages, so the texts stay in the shared buffers: the
    // group name in the first, each caption in the second.
    noServerAnswered = false;
    groupExisted = GroupFolderExists(LoadMessage(IDS_GROUP_NAME));
    if (CreateProgramGroup(messageBuffer, "") != nullptr) {
        LogLine("Program group %s: over DDE with Program Manager%s", messageBuffer,
                groupExisted ? ", there before: only its items are this product's" : "");
        if (!groupExisted)
            RecordDdeGroup(messageBuffer);
        ForEachProgramItem(count, AddDdeItem);
    } else if (noServerAnswered) {
        CreateShortcutGroup(count, "no Program Manager answered");
    } else {
        somethingFailed = true;
        LogLine("Program group %s: %s", messageBuffer, kTooLongForProgman);
    }
    ExitProgramManager();
    DestroyDdeWindow();
}
