// copybench: the setup's file copy timed as an installation runs it, with the title window and
// the progress dialog up, against the platform's expand.exe; and the helpers scripts/bench.sh
// needs to time a whole installation.
//
//   copybench pairs N FILE WORKDIR   N interleaved pairs on one compressed FILE: CopyExpandFile,
//                                    then expand.exe; the median, minimum and maximum of each
//   copybench copyfiles FROM TO      CopyFileA of every file below FROM into TO
//   copybench total SETUP.EXE BYTES  makes BYTES the total-bytes figure (string 18) of a setup
//   copybench costs WORKDIR          what each call made after every block costs
#include <windows.h>
#include <lzexpand.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "install/copy.h"
#include "install/install.h"
#include "install/progress.h"
#include "resources/resource.h"
#include "shell/screen.h"
#include "shell/shell.h"

static double Now()
{
    LARGE_INTEGER counter, frequency;
    QueryPerformanceCounter(&counter);
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// What the user would notice while a copy runs: the longest time between two dispatches of a
// 10 ms timer, and the longest time that a message, posted from another thread every 10 ms,
// waited to be dispatched.
struct Responsiveness {
    double gap, wait;
};
static Responsiveness worst;
static double epoch = Now();
static double lastTick;
static HWND probe;
static volatile LONG probing;

static void CALLBACK NoteTick(HWND, UINT, UINT_PTR, DWORD)
{
    double now = Now();
    worst.gap = std::max(worst.gap, now - lastTick);
    lastTick = now;
}

static LRESULT CALLBACK ProbeProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_APP)
        worst.wait = std::max(worst.wait, Now() - epoch - static_cast<double>(static_cast<DWORD>(lParam)) / 1e6);
    return DefWindowProcA(window, message, wParam, lParam);
}

static DWORD WINAPI PostProbes(void*)
{
    while (probing) {
        PostMessageA(probe, WM_APP, 0, static_cast<LPARAM>(static_cast<DWORD>((Now() - epoch) * 1e6)));
        Sleep(10);
    }
    return 0;
}

static void DispatchPending()
{
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE))
        DispatchMessageA(&message);
}

template <typename Work>
static Responsiveness Watch(Work work)
{
    worst = {};
    probing = 1;
    HANDLE poster = CreateThread(nullptr, 0, PostProbes, nullptr, 0, nullptr);
    UINT_PTR timer = SetTimer(nullptr, 0, 10, NoteTick);
    lastTick = Now();
    work();
    KillTimer(nullptr, timer);
    NoteTick(nullptr, 0, 0, 0);  // the stretch from the last dispatch to the end counts too
    probing = 0;
    WaitForSingleObject(poster, INFINITE);
    CloseHandle(poster);
    DispatchPending();  // probes still waiting count with their whole wait
    return worst;
}

// The title window and the progress dialog, made as the setup makes them.
static void OpenWindows()
{
    moduleInstance = GetModuleHandleA(nullptr);
    HDC screen = GetDC(nullptr);
    verticalPixelsPerInch = static_cast<short>(GetDeviceCaps(screen, LOGPIXELSY));
    horizontalPixelsPerInch = static_cast<short>(GetDeviceCaps(screen, LOGPIXELSX));
    ReleaseDC(nullptr, screen);
    screenWidth = static_cast<unsigned short>(GetSystemMetrics(SM_CXSCREEN));
    screenHeight = static_cast<unsigned short>(GetSystemMetrics(SM_CYSCREEN));
    WNDCLASSA windowClass = {};
    windowClass.style = CS_VREDRAW | CS_HREDRAW | CS_BYTEALIGNCLIENT;
    windowClass.lpfnWndProc = MainWindowProc;
    windowClass.hInstance = moduleInstance;
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    windowClass.lpszClassName = "copybench";
    RegisterClassA(&windowClass);
    mainWindow = CreateWindowExA(0, "copybench", "copybench", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT,
                                 CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, moduleInstance, nullptr);
    ShowWindow(mainWindow, SW_SHOWMAXIMIZED);
    progressDialog = CreateDialogParamA(moduleInstance, MAKEINTRESOURCEA(IDD_PROGRESS), mainWindow,
                                        ProgressDialogProc, 0);
    probe = CreateWindowA("STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, moduleInstance, nullptr);
    SetWindowLongPtrA(probe, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(ProbeProc));
    for (double until = Now() + 0.5; Now() < until; Sleep(10))
        DispatchPending();
}

static LONG ExpandedSize(const char* path)
{
    OFSTRUCT reopen = {};
    INT file = LZOpenFileA(const_cast<char*>(path), &reopen, OF_READ);
    LONG size = file < 0 ? -1 : LZSeek(file, 0, SEEK_END);
    if (file >= 0)
        LZClose(file);
    return size;
}

static double OurCopy(const std::string& source, const std::string& directory, Responsiveness* seen)
{
    char destination[kBufferSize];
    std::snprintf(destination, sizeof destination, "%sours.bin", directory.c_str());
    DeleteFileA(destination);
    bytesCopied = 0;
    drawnPercentage = 0;
    int copied = 0;
    double start = 0, end = 0;
    *seen = Watch([&] {
        start = Now();
        copied = CopyExpandFile(IDS_PRODUCT_BASE, destination, source.c_str());
        end = Now();
    });
    if (!copied) {
        std::fprintf(stderr, "copybench: CopyExpandFile failed\n");
        std::exit(1);
    }
    return end - start;
}

static double TheirCopy(const std::string& source, const std::string& directory)
{
    std::string target = directory + "theirs.bin";
    DeleteFileA(target.c_str());
    std::string command = "expand.exe \"" + source + "\" \"" + target + "\"";
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    double start = Now();
    if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr,
                        &startup, &process)) {
        std::fprintf(stderr, "copybench: cannot start expand.exe\n");
        std::exit(1);
    }
    WaitForSingleObject(process.hProcess, INFINITE);
    double end = Now();
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return end - start;
}

static bool SameContents(const std::string& one, const std::string& other)
{
    std::FILE* a = std::fopen(one.c_str(), "rb");
    std::FILE* b = std::fopen(other.c_str(), "rb");
    bool same = a != nullptr && b != nullptr;
    static char x[65536], y[65536];
    while (same) {
        std::size_t got = std::fread(x, 1, sizeof x, a);
        same = std::fread(y, 1, sizeof y, b) == got && std::equal(x, x + got, y);
        if (got == 0)
            break;
    }
    if (a != nullptr)
        std::fclose(a);
    if (b != nullptr)
        std::fclose(b);
    return same;
}

struct Figures {
    double median, low, high;
};

static Figures Summarise(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    std::size_t n = values.size();
    double median = n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
    return {median, values.front(), values.back()};
}

static int Pairs(int count, const std::string& source, std::string directory)
{
    if (directory.back() != '\\')
        directory += '\\';
    LONG size = ExpandedSize(source.c_str());
    if (size <= 0) {
        std::fprintf(stderr, "copybench: %s is not a compressed file\n", source.c_str());
        return 1;
    }
    OpenWindows();
    totalBytes = size;

    // The same measures over an idle message loop: the floor that the platform and the load of
    // the machine set.
    Responsiveness idle = Watch([] {
        for (double until = Now() + 1; Now() < until;) {
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
            DispatchPending();
        }
    });
    std::vector<double> ours, theirs;
    Responsiveness copying = {};
    for (int i = 0; i < count; ++i) {
        Responsiveness seen;
        ours.push_back(OurCopy(source, directory, &seen));
        copying.gap = std::max(copying.gap, seen.gap);
        copying.wait = std::max(copying.wait, seen.wait);
        theirs.push_back(TheirCopy(source, directory));
        std::printf("pair %d: CopyExpandFile %.3f s, expand.exe %.3f s; longest gap %.1f ms, wait %.1f ms\n",
                    i + 1, ours.back(), theirs.back(), seen.gap * 1000, seen.wait * 1000);
        std::fflush(stdout);
    }
    if (!SameContents(directory + "ours.bin", directory + "theirs.bin")) {
        std::fprintf(stderr, "copybench: the two expansions differ\n");
        return 1;
    }
    // Rates of each run, and the ratio within each pair: the two halves of a pair share the
    // machine's load of the moment.
    std::vector<double> ourRates, theirRates, ratios;
    for (std::size_t i = 0; i < ours.size(); ++i) {
        ourRates.push_back(size / 1e6 / ours[i]);
        theirRates.push_back(size / 1e6 / theirs[i]);
        ratios.push_back(theirs[i] / ours[i]);
    }
    Figures our = Summarise(ourRates), their = Summarise(theirRates), ratio = Summarise(ratios);
    std::printf("CopyExpandFile: %.1f MB/s median (%.1f-%.1f)\n", our.median, our.low, our.high);
    std::printf("expand.exe:     %.1f MB/s median (%.1f-%.1f)\n", their.median, their.low, their.high);
    std::printf("ratio %.2f of the medians; pair by pair %.2f median (%.2f-%.2f)\n", our.median / their.median,
                ratio.median, ratio.low, ratio.high);
    std::printf("longest gap between two dispatches %.1f ms, longest wait of a posted message %.1f ms "
                "(idle message loop: %.1f ms, %.1f ms)\n",
                copying.gap * 1000, copying.wait * 1000, idle.gap * 1000, idle.wait * 1000);
    DestroyWindow(progressDialog);
    DestroyWindow(mainWindow);
    return 0;
}

// What each candidate for the work after a block costs, per call, with the windows up.
static int Costs(std::string directory)
{
    if (directory.back() != '\\')
        directory += '\\';
    OpenWindows();
    const int calls = 20000;
    auto time = [&](const char* what, auto call) {
        double start = Now();
        for (int i = 0; i < calls; ++i)
            call();
        std::printf("%-36s %7.2f us\n", what, (Now() - start) / calls * 1e6);
    };
    MSG message;
    RECT rectangle;
    LARGE_INTEGER counter;
    time("PeekMessage, nothing queued", [&] { PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE); });
    time("PeekMessage PM_NOYIELD", [&] { PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE | PM_NOYIELD); });
    time("GetQueueStatus", [] { GetQueueStatus(QS_ALLINPUT); });
    time("GetInputState", [] { GetInputState(); });
    time("GetTickCount", [] { GetTickCount(); });
    time("QueryPerformanceCounter", [&] { QueryPerformanceCounter(&counter); });
    time("GetClientRect of the bar", [&] { GetClientRect(barControl, &rectangle); });
    totalBytes = 1000000000;
    bytesCopied = 5;
    drawnPercentage = 0;
    time("UpdateProgressBar, same percentage", [] { UpdateProgressBar(); });
    time("DrainOneMessage, nothing queued", [] { DrainOneMessage(); });
    static char block[2048];
    const struct {
        std::size_t size;
        const char* label;
    } buffers[] = {{0, "fwrite of 2048 bytes, default buffer"}, {16384, "fwrite of 2048 bytes, 16 KiB buffer"},
                   {65536, "fwrite of 2048 bytes, 64 KiB buffer"}};
    for (const auto& buffer : buffers) {
        std::FILE* out = std::fopen((directory + "costs.bin").c_str(), "wb");
        if (buffer.size != 0)
            std::setvbuf(out, nullptr, _IOFBF, buffer.size);
        time(buffer.label, [&] { std::fwrite(block, sizeof block, 1, out); });
        std::fclose(out);
    }
    DeleteFileA((directory + "costs.bin").c_str());
    // How the tick count moves: in coarse steps it cannot time a few milliseconds.
    DWORD last = GetTickCount(), largest = 0;
    for (double until = Now() + 0.5; Now() < until;) {
        DWORD tick = GetTickCount();
        largest = std::max(largest, tick - last);
        last = tick;
    }
    std::printf("largest step of GetTickCount         %4lu ms\n", static_cast<unsigned long>(largest));
    return 0;
}

static int CopyTree(const std::string& from, const std::string& to)
{
    CreateDirectoryA(to.c_str(), nullptr);
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((from + "\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return 1;
    int failed = 0;
    do {
        std::string name = found.cFileName;
        if (name == "." || name == "..")
            continue;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            failed += CopyTree(from + "\\" + name, to + "\\" + name);
        else if (!CopyFileA((from + "\\" + name).c_str(), (to + "\\" + name).c_str(), FALSE))
            ++failed;
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return failed;
}

// Rewrites the string block that holds string 18 with the figure in its place.
static int SetTotal(const char* program, const char* figure)
{
    const WORD block = IDS_TOTAL_BYTES / 16 + 1, index = IDS_TOTAL_BYTES % 16;
    const WORD language = MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);
    HMODULE module = LoadLibraryExA(program, nullptr, LOAD_LIBRARY_AS_DATAFILE);
    HRSRC found = module ? FindResourceExA(module, MAKEINTRESOURCEA(6), MAKEINTRESOURCEA(block), language) : nullptr;
    if (found == nullptr) {
        std::fprintf(stderr, "copybench: no string table in %s\n", program);
        return 1;
    }
    const WORD* at = static_cast<const WORD*>(LockResource(LoadResource(module, found)));
    std::vector<WORD> rewritten;
    for (WORD i = 0; i < 16; ++i) {
        WORD length = *at++;
        if (i == index) {
            rewritten.push_back(static_cast<WORD>(lstrlenA(figure)));
            for (const char* c = figure; *c != '\0'; ++c)
                rewritten.push_back(static_cast<WORD>(*c));
        } else {
            rewritten.push_back(length);
            rewritten.insert(rewritten.end(), at, at + length);
        }
        at += length;
    }
    FreeLibrary(module);
    HANDLE update = BeginUpdateResourceA(program, FALSE);
    bool done = update != nullptr &&
                UpdateResourceA(update, MAKEINTRESOURCEA(6), MAKEINTRESOURCEA(block), language, rewritten.data(),
                                static_cast<DWORD>(rewritten.size() * sizeof(WORD))) &&
                EndUpdateResourceA(update, FALSE);
    if (!done)
        std::fprintf(stderr, "copybench: cannot rewrite the string table of %s\n", program);
    return done ? 0 : 1;
}

int main(int argc, char** argv)
{
    std::string command = argc > 1 ? argv[1] : "";
    if (command == "costs" && argc == 3)
        return Costs(argv[2]);
    if (command == "pairs" && argc == 5)
        return Pairs(std::atoi(argv[2]), argv[3], argv[4]);
    if (command == "copyfiles" && argc == 4)
        return CopyTree(argv[2], argv[3]) == 0 ? 0 : 1;
    if (command == "total" && argc == 4)
        return SetTotal(argv[2], argv[3]);
    std::fprintf(stderr, "usage: copybench pairs N FILE WORKDIR | copyfiles FROM TO | total SETUP.EXE BYTES | "
                         "costs WORKDIR\n");
    return 2;
}
