#include "install/shared.h"

#include <winver.h>

#include "install/copy.h"
#include "install/decisions.h"
#include "install/names.h"
#include "shell/paths.h"
#include "shell/log.h"
#include "shell/shell.h"
#include "shell/syslib.h"
#include "shell/text.h"
#include "record/recording.h"

static const char kStagingDirectory[] = "System\\";

int FileExists(const char* path)
{
    HFILE file = _lopen(path, OF_READ);
    if (file == HFILE_ERROR)
        return 0;
    _lclose(file);
    return 1;
}

// Asks one of the conflict questions about fileName; returns the button pressed.
static int AskAboutInstalled(const SharedQuestion& question, const char* fileName)
{
    char text[2 * kBufferSize];
    const char* format = LoadMessage(question.stringId);
    // Only a string table full of "%s" could outgrow the buffer: it is then shown unformatted.
    const char* shown = FormatWithName(text, sizeof text, format, fileName) ? text : format;
    return ShowMessage(mainWindow, shown, question.style);
}

static void RemoveTemporaryCopy(const char* directory, const char* name)
{
    char path[kBufferSize];
    if (name[0] != '\0' && JoinPath(path, sizeof path, directory, name))
        DeleteFileA(path);
}

// Schedules the new version of fileName to replace the installed one in directory at the next
// restart: the temporary copy the version services left there (temporaryName), or else a copy of
// the staged file made there, since a move at restart cannot cross volumes. False, and no copy
// left behind, when it cannot be scheduled.
static bool ReplaceAtRestart(const char* directory, const char* fileName, const char* staged,
                             const char* temporaryName)
{
    char installed[kBufferSize];
    char waiting[MAX_PATH];
    if (!JoinPath(installed, sizeof installed, directory, fileName))
        return false;
    if (temporaryName[0] != '\0') {
        if (!JoinPath(waiting, sizeof waiting, directory, temporaryName))
            return false;
    } else if (GetTempFileNameA(directory, "QVX", 0, waiting) == 0) {
        return false;
    } else if (!CopyFileA(staged, waiting, FALSE)) {
        DeleteFileA(waiting);
        return false;
    }
    if (MoveFileExA(waiting, installed, MOVEFILE_DELAY_UNTIL_REBOOT | MOVEFILE_REPLACE_EXISTING))
        return true;
    DeleteFileA(waiting);
    return false;
}

int InstallSharedFile(HWND owner, int id)
{
    char listed[kBufferSize];
    ComposeText(listed, sizeof listed, {LoadMessage2(id)});
    char source[kBufferSize];
    // Without the version services the file cannot be installed: nothing is staged for it.
    if (!ComposeText(source, sizeof source, {sourceDirectory, listed}) || !FileExists(source) ||
        !LoadVersionServices()) {
        ReportCopyFailure(owner, id);
        return 0;
    }
    char stagingDirectory[kBufferSize];
    char staging[kBufferSize];
    bool fits =
        ComposeText(stagingDirectory, sizeof stagingDirectory, {destinationDirectory, kStagingDirectory}) &&
        ComposeText(staging, sizeof staging, {stagingDirectory, listed});
    if (!fits || !CopyExpandFile(id, staging, source)) {
        ReportCopyFailure(owner, id);
        return 0;
    }
    if (!copiedInPlace)
        RecordFile(staging);

    char fileName[kBufferSize];
    ComposeText(fileName, sizeof fileName, {FileNamePart(staging)});
    char windowsDirectory[kBufferSize] = "";
    GetWindowsDirectoryA(windowsDirectory, kBufferSize);
    char applicationDirectory[kBufferSize];
    ComposeText(applicationDirectory, sizeof applicationDirectory, {destinationDirectory});
    char currentDirectory[kBufferSize] = "";
    char recommendedDirectory[kBufferSize] = "";
    UINT currentLength = kBufferSize;
    UINT recommendedLength = kBufferSize;
    DWORD found = verFindFile(VFFF_ISSHAREDFILE, fileName, windowsDirectory, applicationDirectory,
                              currentDirectory, &currentLength, recommendedDirectory,
                              &recommendedLength);
    if (!ShouldInstallAfterFind(found)) {
        somethingFailed = true;
        LogLine("Shared file %s: FAILED, the installed one is in use (0x%lx)", fileName,
                static_cast<unsigned long>(found));
        return 0;
    }
    CountSharedFile(fileName);

    // The service opens its source with a 128-character limit: a deep staging directory is given
    // in its short form, which names the same directory.
    char shortStaging[kBufferSize];
    DWORD shortLength = GetShortPathNameA(stagingDirectory, shortStaging, sizeof shortStaging);
    char* readFrom = shortLength > 0 && shortLength < sizeof shortStaging ? shortStaging : stagingDirectory;

    char temporaryName[kBufferSize] = "";
    UINT temporaryLength = kBufferSize;
    DWORD flags = 0;
    bool forced = false;
    DWORD result;
    for (;;) {
        result = verInstallFile(flags, fileName, fileName, readFrom, recommendedDirectory,
                                currentDirectory, temporaryName, &temporaryLength);
        if (forced)
            break;
        SharedQuestion question = QuestionForResult(result);
        if (question.stringId == 0)
            break;
        SharedAction action = ActionForAnswer(question.stringId, AskAboutInstalled(question, fileName));
        if (action == SharedAction::Stop)
            break;
        if (action == SharedAction::ForceRetry) {
            flags = VIFF_FORCEINSTALL;
            forced = true;
        }
    }
    // The service leaves the new file's temporary copy in the directory it installs into (the
    // staging directory when it recommends none).
    const char* installDirectory = recommendedDirectory[0] != '\0' ? recommendedDirectory : stagingDirectory;
    const char* leftCopy = LeavesTemporaryCopy(result) ? temporaryName : "";
    if (ShouldReplaceAtRestart(result, runMode != RunMode::Interactive)) {
        if (ReplaceAtRestart(installDirectory, fileName, staging, leftCopy)) {
            restartNeeded = true;
            LogLine("Shared file %s: in use, replaced at the next restart (0x%lx)", fileName,
                    static_cast<unsigned long>(result));
        } else {
            somethingFailed = true;
            LogLine("Shared file %s: FAILED, in use and cannot be replaced at the next restart (0x%lx)", fileName,
                    static_cast<unsigned long>(result));
        }
        return 1;
    }
    // No one else would remove the temporary copy.
    RemoveTemporaryCopy(installDirectory, leftCopy);
    if (SharedFileFailed(result)) {
        somethingFailed = true;
        LogLine("Shared file %s: FAILED, not installed (0x%lx)", fileName, static_cast<unsigned long>(result));
    } else {
        LogLine("Shared file %s: %s %s (0x%lx)", fileName, result == 0 ? "installed in" : "kept the one in",
                recommendedDirectory, static_cast<unsigned long>(result));
    }
    return 1;
}
