#include "install/copy.h"

#include <io.h>

#include <climits>
#include <cstdlib>
#include <cstring>

#include "destination/tree.h"
#include "install/install.h"
#include "install/names.h"
#include "shell/paths.h"
#include "install/progress.h"
#include "resources/resource.h"
#include "shell/log.h"
#include "shell/shell.h"
#include "shell/syslib.h"
#include "shell/text.h"
#include "record/recording.h"

enum { kBlockSize = 2048, kFallbackBlockSize = 255, kStreamBufferSize = 10240, kDestinationBufferSize = 65536 };
static const char kCompressedSignature[] = "SZDD\x88\xf0\x27\x33";
enum { kSignatureLength = 8 };

static bool WriteWholeBlock(const void* data, std::size_t size, std::FILE* destination)
{
    return std::fwrite(data, size, 1, destination) == 1;
}

void* (*allocateCopyBlock)(std::size_t size) = std::malloc;
bool (*writeCopyBlock)(const void* data, std::size_t size, std::FILE* destination) = WriteWholeBlock;

namespace {
struct Block {
    char* data;
    int size;
    bool fromHeap;
};
}  // namespace

static Block TakeBlock()
{
    void* heap = allocateCopyBlock(kBlockSize);
    if (heap != nullptr)
        return {static_cast<char*>(heap), kBlockSize, true};
    // Without heap the message buffer carries the data; whatever the progress bar or a drained
    // message writes there comes after the block was written and before the next read.
    return {messageBuffer, kFallbackBlockSize, false};
}

static void ReleaseBlock(const Block& block)
{
    if (block.fromHeap)
        std::free(block.data);
}

bool copiedInPlace;
bool copiedBeside;
static bool besideWhenInUse;

// Another process has the file open without sharing, or loaded (the point-of-sale application
// holds the service object all day). A read-only file or a denied access is no matter for a restart.
static bool InUse(unsigned long error)
{
    return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION || error == ERROR_USER_MAPPED_FILE;
}

// Creates path for writing, noted in the record before its first byte so that a run killed during
// the copy leaves nothing the removal cannot take: a new file at once, one that was there only
// once it is the installation's to overwrite.
static std::FILE* CreateNoted(const char* path)
{
    bool existed = GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES;
    if (!existed)
        RecordFileStarted(path);
    std::FILE* out = std::fopen(path, "wb");
    if (out != nullptr && existed)
        RecordFileStarted(path);
    return out;
}

// Whether path has the size and the last-write time of source that the copy would give it.
static bool HasStampOf(const char* path, HANDLE source, long long size)
{
    FILETIME time;
    unsigned long long haveSize, haveTime;
    return GetFileTime(source, nullptr, nullptr, &time) && ReadFileStamp(path, &haveSize, &haveTime) &&
           haveSize == static_cast<unsigned long long>(size) &&
           haveTime == (static_cast<unsigned long long>(time.dwHighDateTime) << 32 | time.dwLowDateTime);
}

// Opens what the copy writes, whose path goes into written (kBufferSize bytes): destination, or
// when that is in use and the caller allows it, destination with kStagedSuffix beside it (a move
// at the restart cannot cross volumes). Null with copiedInPlace when the file in use is already
// the one source of size bytes makes (the same version deployed again).
// The blocks reach the disk through a large stream buffer: with the runtime's default of 4 KiB,
// writing cost a third of the copy under Wine (6 us per 2048-byte block, against 1 us).
static std::FILE* OpenDestination(const char* destination, char* written, HANDLE source, long long size)
{
    ComposeText(written, kBufferSize, {destination});
    if (CancelPendingDeletion(destination))
        LogLine("File %s: its deletion at the next restart (an earlier removal's) cancelled", destination);
    std::FILE* out = CreateNoted(written);
    // The run-time keeps the platform's error of a failed open in _doserrno.
    if (out == nullptr && besideWhenInUse && InUse(_doserrno)) {
        copiedInPlace = HasStampOf(destination, source, size);
        if (copiedInPlace)
            LogLine("File %s: in use, and already this version", destination);
        else if ((copiedBeside = ComposeText(written, kBufferSize, {destination, kStagedSuffix})))
            out = CreateNoted(written);
    }
    if (out != nullptr)
        std::setvbuf(out, nullptr, _IOFBF, kDestinationBufferSize);
    return out;
}

// Adds bytes that reached the installation to the run's count (saturating) and moves the bar.
static void CountCopied(long long count)
{
    long long total = static_cast<long long>(bytesCopied) + count;
    bytesCopied = total > LONG_MAX ? LONG_MAX : static_cast<long>(total);
    UpdateProgressBar();
}

// Write, drain, count, update: what follows every block read.
static bool PassBlock(const Block& block, std::size_t count, std::FILE* destination)
{
    if (!writeCopyBlock(block.data, count, destination))
        return false;
    DrainOneMessage();
    CountCopied(static_cast<long long>(count));
    return true;
}

static HANDLE StreamHandle(std::FILE* stream)
{
    return reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream)));
}

// Gives the destination the source's times once its data is on disk. False when the data
// could not be flushed.
static bool FinishDestination(HANDLE source, std::FILE* destination)
{
    FILETIME created, accessed, written;
    bool haveTimes = GetFileTime(source, &created, &accessed, &written) != FALSE;
    if (std::fflush(destination) != 0)
        return false;
    if (haveTimes)
        SetFileTime(StreamHandle(destination), &created, &accessed, &written);
    return true;
}

// A destination that did not receive the whole file is worse than none.
static int Discard(const char* destination)
{
    DeleteFileA(destination);
    return 0;
}

// Whether destination is the very file that source is open as: the user chose the distribution
// directory as the destination. Opening it for writing would truncate what is being read.
static bool IsFileBeingRead(HANDLE source, const char* destination, const char* sourcePath)
{
    char fullSource[kBufferSize];
    char fullDestination[kBufferSize];
    DWORD sourceLength = GetFullPathNameA(sourcePath, sizeof fullSource, fullSource, nullptr);
    DWORD destinationLength = GetFullPathNameA(destination, sizeof fullDestination, fullDestination, nullptr);
    if (sourceLength > 0 && sourceLength < sizeof fullSource && destinationLength > 0 &&
        destinationLength < sizeof fullDestination && lstrcmpiA(fullSource, fullDestination) == 0)
        return true;
    HANDLE other = CreateFileA(destination, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                               nullptr, OPEN_EXISTING, 0, nullptr);
    if (other == INVALID_HANDLE_VALUE)
        return false;
    BY_HANDLE_FILE_INFORMATION mine, theirs;
    bool same = GetFileInformationByHandle(source, &mine) && GetFileInformationByHandle(other, &theirs) &&
                mine.dwVolumeSerialNumber == theirs.dwVolumeSerialNumber &&
                mine.nFileIndexHigh == theirs.nFileIndexHigh && mine.nFileIndexLow == theirs.nFileIndexLow;
    CloseHandle(other);
    return same;
}

// The file already lies where it belongs: it counts as copied, bytes (size, -1 unknown) and all.
static int CountInPlace(int id, const char* destination, long long size)
{
    copiedInPlace = true;
    ShowCopyProgress(id, destination);
    if (size > 0)
        CountCopied(size);
    return 1;
}

static int CopyPlain(int id, const char* destination, const char* source)
{
    std::FILE* in = std::fopen(source, "rb");
    if (in == nullptr)
        return 0;
    LARGE_INTEGER size;
    long long bytes = GetFileSizeEx(StreamHandle(in), &size) ? size.QuadPart : -1;
    if (IsFileBeingRead(StreamHandle(in), destination, source)) {
        std::fclose(in);
        return CountInPlace(id, destination, bytes);
    }
    ShowCopyProgress(id, destination);
    char written[kBufferSize];
    std::FILE* out = OpenDestination(destination, written, StreamHandle(in), bytes);
    if (out == nullptr) {
        std::fclose(in);
        return copiedInPlace ? CountInPlace(id, destination, bytes) : 0;
    }
    std::setvbuf(in, nullptr, _IOFBF, kStreamBufferSize);
    std::rewind(in);

    Block block = TakeBlock();
    bool whole = true;
    std::size_t got;
    while (whole && (got = std::fread(block.data, 1, static_cast<std::size_t>(block.size), in)) > 0)
        whole = PassBlock(block, got, out);
    ReleaseBlock(block);
    whole = whole && !std::ferror(in);

    whole = whole && FinishDestination(StreamHandle(in), out);
    whole = std::fclose(out) == 0 && whole;
    std::fclose(in);
    return whole ? 1 : Discard(written);
}

static int CopyExpanding(int id, char* destination, const char* source, HFILE file, INT expansion,
                         char recorded)
{
    // The name comes from the header already read, not from GetExpandedNameA, which cannot open
    // a source 128 characters deep or more and then quietly leaves the stored name.
    ApplyExpandedName(destination, recorded);
    HANDLE stored = reinterpret_cast<HANDLE>(static_cast<INT_PTR>(file));
    if (IsFileBeingRead(stored, destination, source)) {
        // Expanding a file onto itself would destroy it; it is not installed either.
        lzClose(expansion);
        return 0;
    }
    ShowCopyProgress(id, destination);
    // The service does not report data that ends early: it just delivers fewer bytes. The
    // header's expanded length tells.
    LONG expected = lzSeek(expansion, 0, SEEK_END);
    bool whole = expected >= 0 && lzSeek(expansion, 0, SEEK_SET) == 0;
    char written[kBufferSize];
    std::FILE* out = OpenDestination(destination, written, stored, expected);
    if (out == nullptr) {
        lzClose(expansion);
        return copiedInPlace ? CountInPlace(id, destination, expected) : 0;
    }
    long long delivered = 0;
    Block block = TakeBlock();
    while (whole) {
        INT got = lzRead(expansion, block.data, block.size);
        if (got <= 0) {
            whole = got == 0;
            break;
        }
        whole = PassBlock(block, static_cast<std::size_t>(got), out);
        delivered += got;
    }
    ReleaseBlock(block);
    whole = whole && delivered == expected;

    whole = whole && FinishDestination(stored, out);
    lzClose(expansion);
    whole = std::fclose(out) == 0 && whole;
    return whole ? 1 : Discard(written);
}

int CopyExpandFile(int id, char* destination, const char* source, bool besideIfInUse)
{
    copiedInPlace = copiedBeside = false;
    besideWhenInUse = besideIfInUse;
    if (!CreateDirectoryTree(destination))
        return 0;
    // _lopen, not OpenFile: OpenFile refuses paths of 128 characters or more.
    HFILE file = _lopen(source, OF_READ);
    if (file == HFILE_ERROR)
        return 0;
    // The signature decides, not the service: a damaged header makes LZInit fail, or take the
    // file for a plain one, and the compressed bytes would be installed under the stored name.
    // Byte 9 of the header records the last character of the expanded name.
    char header[10] = {};
    UINT got = _lread(file, header, sizeof header);
    if (got < kSignatureLength || got > sizeof header ||
        std::memcmp(header, kCompressedSignature, kSignatureLength) != 0) {
        _lclose(file);
        return CopyPlain(id, destination, source);
    }
    INT expansion = _llseek(file, 0, FILE_BEGIN) == 0 && LoadLzServices() ? lzInit(file) : 0;
    if (expansion == file || expansion < 1) {
        _lclose(file);
        return 0;
    }
    return CopyExpanding(id, destination, source, file, expansion, header[9]);
}

void ReplaceFileName(char* path, const char* name)
{
    ReplacePathFileName(path, kBufferSize, name);
}

void ShowCopyProgress(int id, const char* destination)
{
    SetWindowTextA(fileTextControl, LoadMessage2(id));
    SetWindowTextA(destinationTextControl, destination);
    UpdateWindow(fileTextControl);
    UpdateWindow(destinationTextControl);
}

int ReportCopyFailure(HWND owner, int id)
{
    somethingFailed = true;
    LogLine("File %s: FAILED", LoadMessage2(id));
    // Three loaded texts always fit here; the message buffer takes them when they fit there.
    char whole[3 * kBufferSize];
    LoadMessage(IDS_COPY_FAIL_HEAD);
    ComposeText(whole, sizeof whole, {messageBuffer, LoadMessage2(id)});
    ComposeText(whole, sizeof whole, {whole, LoadMessage2(IDS_COPY_FAIL_TAIL)});
    const char* text = ComposeText(messageBuffer, kBufferSize, {whole}) ? messageBuffer : whole;
    return ShowMessage(owner, text, MB_OK | MB_ICONINFORMATION);
}

// The copy went beside the destination, which is in use: it takes the destination's place at the
// next restart. The record notes the copy, whose size and time a rename keeps, and keeps the
// destination's line: until the restart the destination is what it was.
static int ReplaceAtRestart(HWND owner, int id, const char* destination)
{
    char staged[kBufferSize];
    ComposeText(staged, sizeof staged, {destination, kStagedSuffix});  // fits: the copy is there
    RecordFile(staged);
    if (!MoveFileExA(staged, destination, MOVEFILE_DELAY_UNTIL_REBOOT | MOVEFILE_REPLACE_EXISTING)) {
        unsigned long error = GetLastError();
        LogLine("File %s: in use and cannot be replaced at the next restart (error %lu)", destination, error);
        DeleteFileA(staged);
        ReportCopyFailure(owner, id);
        return 0;
    }
    RecordFileAs(destination, staged);
    restartNeeded = true;
    LogLine("File %s: in use, replaced at the next restart by %s", LoadMessage2(id), staged);
    return 1;
}

int CopyProductFile(HWND owner, int id)
{
    char source[kBufferSize];
    char destination[kBufferSize];
    const char* listed = LoadMessage2(id);
    bool fits = ComposeText(source, sizeof source, {sourceDirectory, listed}) &&
                ComposeText(destination, sizeof destination, {destinationDirectory, listed});
    if (!fits || !CopyExpandFile(id, destination, source, true)) {
        ReportCopyFailure(owner, id);
        return 0;
    }
    if (copiedBeside)
        return ReplaceAtRestart(owner, id, destination);
    LogLine("File %s: copied to %s", LoadMessage2(id), destination);
    // A file that was already in place is not the installation's to remove later.
    if (!copiedInPlace)
        RecordFile(destination);
    char staged[kBufferSize];
    // A copy an earlier run left for the restart would replace this newer one then.
    if (ComposeText(staged, sizeof staged, {destination, kStagedSuffix}) && DeleteFileA(staged))
        LogLine("File %s: left by an earlier run for the restart, removed", staged);
    return 1;
}
