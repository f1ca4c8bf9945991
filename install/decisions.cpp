#include "install/decisions.h"

namespace {
// Message-box values, as the platform defines them.
enum : unsigned {
    kYesNo = 0x4,
    kAbortRetryIgnore = 0x2,
    kIconExclamation = 0x30,
};
enum { kOk = 1, kAbort = 3, kRetry = 4, kIgnore = 5, kYes = 6, kNo = 7 };
// Every VIF_ bit from VIF_WRITEPROT to VIF_CANNOTLOADCABINET says the file was not installed.
const unsigned long kInstallFailureBits = 0x1FFFC0;
enum { kNewerInstalled = 44, kInstalledInUse = 45, kInstalledWriteProtected = 46 };
}  // namespace

bool ShouldInstallAfterFind(unsigned long findResult)
{
    return findResult != kFindBufferTooSmall && findResult != kFindFileInUse;
}

SharedQuestion QuestionForResult(unsigned long installResult)
{
    switch (installResult) {
    case kInstallSourceOld:
        return {kNewerInstalled, kYesNo | kIconExclamation};
    case kInstallFileInUse:
        return {kInstalledInUse, kAbortRetryIgnore | kIconExclamation};
    case kInstallWriteProtected:
        return {kInstalledWriteProtected, kAbortRetryIgnore | kIconExclamation};
    default:
        return {0, 0};
    }
}

SharedAction ActionForAnswer(int stringId, int answer)
{
    if (stringId == kNewerInstalled)
        return answer == kYes ? SharedAction::ForceRetry : SharedAction::Stop;
    if (stringId == kInstalledInUse || stringId == kInstalledWriteProtected) {
        if (answer == kIgnore)
            return SharedAction::ForceRetry;
        if (answer == kRetry)
            return SharedAction::Retry;
    }
    return SharedAction::Stop;
}

bool LeavesTemporaryCopy(unsigned long finalResult)
{
    return (finalResult & kInstallTempFile) != 0;
}

bool SharedFileFailed(unsigned long finalResult)
{
    return (finalResult & kInstallFailureBits) != 0;
}

bool ShouldReplaceAtRestart(unsigned long finalResult, bool unattended)
{
    unsigned long cause = finalResult & ~static_cast<unsigned long>(kInstallTempFile);
    return unattended && (cause == kInstallFileInUse || cause == (kInstallCannotDelete | kInstallSharingViolation) ||
                          cause == (kInstallCannotDelete | kInstallAccessViolation));
}

int SilentAnswer(unsigned style)
{
    switch (style & 0xF) {
    case kYesNo:
        return kNo;
    case kAbortRetryIgnore:
        return kAbort;
    default:
        return kOk;
    }
}
