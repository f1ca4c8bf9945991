// The copy stays responsive inside a large file, not only between files: a message posted to the
// title window is handled, and a Cancel click is asked about, while the file is still copying.
#include <gtest/gtest.h>

#include "install/copy.h"
#include "resources/resource.h"
#include "tests/win/copyfiles.h"

static long handledAt, askedAt;  // bytesCopied when the message was handled, the question seen
static int blocks;
static LARGE_INTEGER posted;
static MessageBoxAnswerer* boxes;
static WNDPROC titleProc;

static LRESULT CALLBACK TitleProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_APP)
        handledAt = bytesCopied;
    return CallWindowProcA(titleProc, window, message, wParam, lParam);
}

// The second block brings the message and the click; the third is held until the copy must look
// at the queue again, however fast the machine. Each block notes whether the question came up.
static bool WriteWatching(const void* data, std::size_t size, std::FILE* out)
{
    if (++blocks == 2) {
        PostMessageA(mainWindow, WM_APP, 0, 0);
        PostMessageA(GetDlgItem(progressDialog, IDCANCEL), BM_CLICK, 0, 0);
        QueryPerformanceCounter(&posted);
    } else if (blocks == 3) {
        LARGE_INTEGER now = posted, frequency;
        QueryPerformanceFrequency(&frequency);
        while ((now.QuadPart - posted.QuadPart) * 1000 <= frequency.QuadPart * (kQuietDrainMilliseconds + 1)) {
            Sleep(1);
            QueryPerformanceCounter(&now);
        }
    }
    if (askedAt < 0 && !boxes->shown.empty())
        askedAt = bytesCopied;
    return std::fwrite(data, size, 1, out) == 1;
}

using Responsive = FileInstallTest;

TEST_F(Responsive, MessagesAndCancelAreServedWithinALargeFile)
{
    std::string data = Pattern(256 * 1024, 7);
    ASSERT_TRUE(WriteWholeFile(source + "BIG.DA_", Packed(data, 'T')));
    titleProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(mainWindow, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(TitleProc)));
    MessageBoxAnswerer answerer({IDYES});
    boxes = &answerer;
    handledAt = askedAt = -1;
    blocks = 0;
    cancelFlag = false;
    auto kept = writeCopyBlock;
    writeCopyBlock = WriteWatching;
    char path[kBufferSize];
    std::strcpy(path, (destination + "BIG.DA_").c_str());

    EXPECT_EQ(CopyExpandFile(IDS_PRODUCT_BASE, path, (source + "BIG.DA_").c_str()), 1);

    writeCopyBlock = kept;
    const long size = static_cast<long>(data.size());
    EXPECT_GT(handledAt, 0);
    EXPECT_LT(handledAt, size) << "the posted message waited for the end of the file";
    ASSERT_EQ(answerer.shown.size(), 1u) << "Cancel was not asked about before the file ended";
    EXPECT_EQ(answerer.shown[0].text, "Exit setup, Are you sure?");
    EXPECT_GT(askedAt, 0);
    EXPECT_LT(askedAt, size) << "the question waited for the end of the file";
    EXPECT_TRUE(cancelFlag);
    EXPECT_EQ(bytesCopied, size) << "the file itself is still copied whole";
}
