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

// The blocks reach the disk through a large stream buffer: with the runtime's default of 4 KiB,
// writing cost a third of the copy under Wine (6 us per 2048-byte block, against 1 us).
static std::FILE* OpenDestination(const char* destination)
{
    std::FILE* out = CreateNoted(destination);
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

bool copiedInPlace;

// The file already lies where it belongs: it counts as copied, bytes and all.
static int CountInPlace(int id, const char* destination, HANDLE source)
{
    copiedInPlace = true;
    ShowCopyProgress(id, destination);
    LARGE_INTEGER size;
    if (GetFileSizeEx(source, &size))
        CountCopied(size.QuadPart);
    return 1;
}

static int CopyPlain(int id, const char* destination, const char* source)
{
    std::FILE* in = std::fopen(source, "rb");
    if (in == nullptr)
        return 0;
    if (IsFileBeingRead(StreamHandle(in), destination, source)) {
        int counted = CountInPlace(id, destination, StreamHandle(in));
        std::fclose(in);
        return counted;
    }
    ShowCopyProgress(id, destination);
    std::FILE* out = OpenDestination(destination);
    if (out == nullptr) {
        std::fclose(in);
        return 0;
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
    return whole ? 1 : Discard(destination);
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
    std::FILE* out = OpenDestination(destination);
    if (out == nullptr) {
        lzClose(expansion);
        return 0;
    }

    // The service does not report data that ends early: it just delivers fewer bytes. The
    // header's expanded length tells.
    LONG expected = lzSeek(expansion, 0, SEEK_END);
    bool whole = expected >= 0 && lzSeek(expansion, 0, SEEK_SET) == 0;
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
    return whole ? 1 : Discard(destination);
}

int CopyExpandFile(int id, char* destination, const char* source)
{
    copiedInPlace = false;
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

int CopyProductFile(HWND owner, int id)
{
    char source[kBufferSize];
    char destination[kBufferSize];
    const char* listed = LoadMessage2(id);
    bool fits = ComposeText(source, sizeof source, {sourceDirectory, listed}) &&
                ComposeText(destination, sizeof destination, {destinationDirectory, listed});
    if (!fits || !CopyExpandFile(id, destination, source)) {
        ReportCopyFailure(owner, id);
        return 0;
    }
    LogLine("File %s: copied to %s", LoadMessage2(id), destination);
    // A file that was already in place is not the installation's to remove later.
    if (!copiedInPlace)
        RecordFile(destination);
    return 1;
}
