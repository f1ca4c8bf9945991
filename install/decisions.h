// What the shared-file installation does with the version services' results and the user's
// answers. Portable: the platform's values are restated here.
#pragma once

// Results of VerFindFileA and VerInstallFileA that the installation looks at.
enum : unsigned long {
    kFindBufferTooSmall = 0x4,  // VFF_BUFFTOOSMALL
    kFindFileInUse = 0x2,       // VFF_FILEINUSE
    kInstallTempFile = 0x1,     // VIF_TEMPFILE
    kInstallSourceOld = 0x4,    // VIF_SRCOLD
    kInstallWriteProtected = 0x40,  // VIF_WRITEPROT
    kInstallFileInUse = 0x80,   // VIF_FILEINUSE
    kInstallAccessViolation = 0x200,    // VIF_ACCESSVIOLATION
    kInstallSharingViolation = 0x400,   // VIF_SHARINGVIOLATION
    kInstallCannotDelete = 0x1000,      // VIF_CANNOTDELETE
};

// False when VerFindFileA's result stops the installation of the file. Results are compared
// whole: a combination is not one of its parts.
bool ShouldInstallAfterFind(unsigned long findResult);

// The question an unforced VerInstallFileA result puts to the user. stringId is 0 when the
// result asks nothing and the attempts end; style is the message box's MB_ style.
struct SharedQuestion {
    int stringId;
    unsigned style;
};
SharedQuestion QuestionForResult(unsigned long installResult);

enum class SharedAction {
    Stop,        // leave the installed version
    Retry,       // the same attempt again
    ForceRetry,  // one last attempt with VIFF_FORCEINSTALL
};
// What the answer (a button identifier, 0 when no box could be shown) to a question means.
SharedAction ActionForAnswer(int stringId, int answer);

// True when the final result says the file did not get installed for a reason other than a
// newer version being there already: it was in use, write-protected, unreadable, or the service
// failed. Such a file makes an unattended run report that it finished with failures.
bool SharedFileFailed(unsigned long finalResult);

// True when an unattended run leaves the new file to replace the installed one at the next
// restart: the final result says the installed file is in use, as VIF_FILEINUSE or as a file
// that cannot be deleted because another process holds it open or has it loaded, with or without
// a temporary copy left behind. Interactive runs keep the questions' outcome.
bool ShouldReplaceAtRestart(unsigned long finalResult, bool unattended);

// The answer an unattended run takes to a question nobody sees: the one that changes nothing
// (No, Abort, OK), given the box's MB_ style.
int SilentAnswer(unsigned style);

// True when the final result says the service left a temporary copy of the new file behind,
// which then belongs to no one and is removed.
bool LeavesTemporaryCopy(unsigned long finalResult);
