#include "tests/e2e/driver.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace e2e {

const char kMainClass[] = "QVXSETUP";
const char kTitle[] = "OLE for Point of Sale Setup";
const char kDestinationCaption[] = "Enter Path";
const char kProgressCaption[] = "OLE for Point of Sales Setup";
const char kDialogClass[] = "#32770";

enum : DWORD {
    kPollMs = 20,
    kSendTimeoutMs = 5000,
    kKilledExitCode = 0xE2E,
    kIconTimeoutMs = 8000,  // returns as soon as the icon is painted; a loaded machine paints late
};

static std::string ClassOf(HWND window)
{
    char name[256] = {};
    GetClassNameA(window, name, sizeof name);
    return name;
}

static std::string CaptionOf(HWND window)
{
    char text[512] = {};
    GetWindowTextA(window, text, sizeof text);
    return text;
}

static bool Matches(HWND window, const char* className, const char* caption)
{
    if (className != nullptr && lstrcmpiA(ClassOf(window).c_str(), className) != 0)
        return false;
    return caption == nullptr || CaptionOf(window) == caption;
}

struct Enumeration {
    DWORD processId;
    std::vector<HWND> windows;
};

static BOOL CALLBACK CollectWindow(HWND window, LPARAM parameter)
{
    auto* enumeration = reinterpret_cast<Enumeration*>(parameter);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == enumeration->processId)
        enumeration->windows.push_back(window);
    return TRUE;
}

static std::vector<HWND> WindowsOfProcess(DWORD processId)
{
    Enumeration enumeration{processId, {}};
    EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&enumeration));
    return enumeration.windows;
}

const char* OwnerRoleName(OwnerRole role)
{
    switch (role) {
    case OwnerRole::None: return "none";
    case OwnerRole::Main: return "main";
    case OwnerRole::Destination: return "destination";
    case OwnerRole::Progress: return "progress";
    case OwnerRole::Other: return "other";
    }
    return "?";
}

static OwnerRole RoleOf(HWND owner)
{
    if (owner == nullptr)
        return OwnerRole::None;
    if (Matches(owner, kMainClass, nullptr))
        return OwnerRole::Main;
    if (Matches(owner, kDialogClass, kDestinationCaption))
        return OwnerRole::Destination;
    if (Matches(owner, kDialogClass, kProgressCaption))
        return OwnerRole::Progress;
    return OwnerRole::Other;
}

static std::string Escaped(const std::string& text)
{
    std::string out;
    for (char c : text) {
        if (c == '\n')
            out += "\\n";
        else if (c == '\r')
            out += "\\r";
        else
            out += c;
    }
    return out;
}

std::string Describe(const BoxRecord& box)
{
    char head[160];
    std::snprintf(head, sizeof head, "[%lums] owner %s%s%s%s, %s, answer %d%s: ",
                  static_cast<unsigned long>(box.elapsed), OwnerRoleName(box.ownerRole),
                  box.ownerCaption.empty() ? "" : " \"", box.ownerCaption.c_str(),
                  box.ownerCaption.empty() ? "" : "\"", StyleName(box.info.style).c_str(), box.answer,
                  box.scripted ? "" : " (unexpected, default)");
    return head + ("\"" + Escaped(box.info.caption) + "\" / \"" + Escaped(box.info.text) + "\"");
}

std::string Describe(const std::vector<BoxRecord>& boxes)
{
    std::string out = std::to_string(boxes.size()) + " message box(es)";
    for (const auto& box : boxes)
        out += "\n  " + Describe(box);
    return out;
}

SetupProcess::SetupProcess(const LaunchOptions& options)
{
    InitializeCriticalSection(&lock_);

    std::string commandLine =
        options.commandLine.empty() ? "\"" + options.application + "\"" : options.commandLine;
    std::vector<char> writable(commandLine.begin(), commandLine.end());
    writable.push_back('\0');

    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    if (options.showCommand >= 0) {
        startup.dwFlags = STARTF_USESHOWWINDOW;
        startup.wShowWindow = static_cast<WORD>(options.showCommand);
    }
    PROCESS_INFORMATION info = {};
    // The application path is given apart so that a relative command line starts the program
    // we mean and not whatever the search order finds first.
    if (!CreateProcessA(options.application.c_str(), writable.data(), nullptr, nullptr, FALSE, 0,
                        nullptr,
                        options.workingDirectory.empty() ? nullptr : options.workingDirectory.c_str(),
                        &startup, &info)) {
        startError_ = GetLastError();
        return;
    }
    startTick_ = GetTickCount();
    CloseHandle(info.hThread);
    process_ = info.hProcess;
    processId_ = info.dwProcessId;

    stop_ = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    watcher_ = CreateThread(nullptr, 0, WatchThread, this, 0, nullptr);
}

SetupProcess::~SetupProcess()
{
    if (running()) {
        Kill();
        ADD_FAILURE() << "SETUP.EXE was still running at the end of the test and was ended.\n"
                      << Describe(Boxes());
    }
    if (watcher_ != nullptr) {
        SetEvent(stop_);
        WaitForSingleObject(watcher_, 10000);
        CloseHandle(watcher_);
    }
    if (stop_ != nullptr)
        CloseHandle(stop_);
    if (process_ != nullptr)
        CloseHandle(process_);
    DeleteCriticalSection(&lock_);
}

bool SetupProcess::running() const
{
    return process_ != nullptr && WaitForSingleObject(process_, 0) == WAIT_TIMEOUT;
}

void SetupProcess::AnswerBox(const std::string& textPart, int button, int times)
{
    EnterCriticalSection(&lock_);
    rules_.push_back({textPart, button, times});
    LeaveCriticalSection(&lock_);
}

void SetupProcess::AnswerNext(int button)
{
    EnterCriticalSection(&lock_);
    ordered_.push_back(button);
    LeaveCriticalSection(&lock_);
}

std::vector<BoxRecord> SetupProcess::Boxes() const
{
    EnterCriticalSection(&lock_);
    std::vector<BoxRecord> copy = boxes_;
    LeaveCriticalSection(&lock_);
    return copy;
}

std::vector<WindowRecord> SetupProcess::WindowsSeen() const
{
    EnterCriticalSection(&lock_);
    std::vector<WindowRecord> copy = windows_;
    LeaveCriticalSection(&lock_);
    return copy;
}

bool SetupProcess::WaitForBoxes(size_t count, DWORD timeout) const
{
    DWORD start = GetTickCount();
    for (;;) {
        if (Boxes().size() >= count)
            return true;
        if (GetTickCount() - start >= timeout)
            return false;
        Sleep(kPollMs);
    }
}

std::vector<HWND> SetupProcess::TopWindows(const char* className, const char* caption) const
{
    std::vector<HWND> found;
    if (process_ == nullptr)
        return found;
    for (HWND window : WindowsOfProcess(processId_))
        if (IsWindowVisible(window) && Matches(window, className, caption))
            found.push_back(window);
    return found;
}

HWND SetupProcess::WaitForWindow(const char* className, const char* caption, DWORD timeout) const
{
    DWORD start = GetTickCount();
    for (;;) {
        std::vector<HWND> found = TopWindows(className, caption);
        if (!found.empty())
            return found.front();
        if (GetTickCount() - start >= timeout || !running())
            return nullptr;
        Sleep(kPollMs);
    }
}

bool SetupProcess::WaitForWindowGone(const char* className, const char* caption, DWORD timeout) const
{
    DWORD start = GetTickCount();
    for (;;) {
        if (TopWindows(className, caption).empty())
            return true;
        if (GetTickCount() - start >= timeout)
            return false;
        Sleep(kPollMs);
    }
}

bool SetupProcess::WaitForExit(DWORD timeout, DWORD* exitCode)
{
    *exitCode = STILL_ACTIVE;
    if (process_ == nullptr) {
        ADD_FAILURE() << "SETUP.EXE was never started";
        return false;
    }
    if (WaitForSingleObject(process_, timeout) != WAIT_OBJECT_0) {
        Kill();
        ADD_FAILURE() << "SETUP.EXE did not end within " << timeout << " ms and was ended.\n"
                      << Describe(Boxes());
        return false;
    }
    GetExitCodeProcess(process_, exitCode);
    return true;
}

void SetupProcess::Kill()
{
    if (running()) {
        TerminateProcess(process_, kKilledExitCode);
        WaitForSingleObject(process_, 10000);
    }
}

DWORD WINAPI SetupProcess::WatchThread(void* self)
{
    static_cast<SetupProcess*>(self)->Watch();
    return 0;
}

void SetupProcess::Watch()
{
    while (WaitForSingleObject(stop_, kPollMs) == WAIT_TIMEOUT) {
        AnswerNewBoxes();
        if (!running())
            break;
    }
}

void SetupProcess::BeforeAnswer(std::function<void(const BoxRecord&)> callback)
{
    EnterCriticalSection(&lock_);
    beforeAnswer_ = std::move(callback);
    LeaveCriticalSection(&lock_);
}

int SetupProcess::ChooseAnswer(const std::string& text, bool* scripted)
{
    *scripted = true;
    for (auto& rule : rules_) {
        if (rule.remaining != 0 && text.find(rule.textPart) != std::string::npos) {
            if (rule.remaining > 0)
                --rule.remaining;
            return rule.button;
        }
    }
    if (!ordered_.empty()) {
        int button = ordered_.front();
        ordered_.pop_front();
        return button;
    }
    *scripted = false;
    return 0;
}

void SetupProcess::AnswerNewBoxes()
{
    // Only this thread writes answered_ and windows_, so it reads them without the lock; the lock
    // is never held across a message to the setup, which might not answer at once.
    for (size_t i = 0; i < answered_.size();) {
        // A box that is gone is forgotten, so that a recycled handle counts as a new box.
        if (!IsWindow(answered_[i]))
            answered_.erase(answered_.begin() + static_cast<std::ptrdiff_t>(i));
        else
            ++i;
    }
    for (HWND window : WindowsOfProcess(processId_)) {
        if (!IsWindowVisible(window))
            continue;
        bool seen = false;
        for (const auto& record : windows_)
            seen = seen || record.window == window;
        if (!seen) {
            WindowRecord record{window, ClassOf(window), CaptionOf(window), Elapsed()};
            EnterCriticalSection(&lock_);
            windows_.push_back(record);
            LeaveCriticalSection(&lock_);
        }

        if (!IsMessageBox(window))
            continue;
        bool done = false;
        for (HWND box : answered_)
            done = done || box == window;
        if (done)
            continue;

        BoxRecord record;
        record.info = DescribeMessageBox(window);
        if ((record.info.style & MB_ICONMASK) == 0)
            record.info.style |= MessageBoxIconFromScreen(window, kIconTimeoutMs);
        record.ownerRole = RoleOf(record.info.owner);
        if (record.info.owner != nullptr && record.ownerRole != OwnerRole::Main)
            record.ownerCaption = CaptionOf(record.info.owner);
        record.elapsed = Elapsed();
        EnterCriticalSection(&lock_);
        record.answer = ChooseAnswer(record.info.text, &record.scripted);
        LeaveCriticalSection(&lock_);
        if (record.scripted && GetDlgItem(window, record.answer) == nullptr)
            record.scripted = false;  // the script asked for a button this box lacks
        if (!record.scripted)
            record.answer = DefaultMessageBoxButton(window);
        answered_.push_back(window);
        EnterCriticalSection(&lock_);
        boxes_.push_back(record);
        auto beforeAnswer = beforeAnswer_;
        LeaveCriticalSection(&lock_);
        if (beforeAnswer)
            beforeAnswer(record);
        PressMessageBoxButton(window, record.answer);
    }
}

std::string ControlText(HWND window)
{
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutA(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, kSendTimeoutMs, &length))
        return std::string();
    std::vector<char> text(length + 2, '\0');
    DWORD_PTR copied = 0;
    if (!SendMessageTimeoutA(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()),
                             SMTO_ABORTIFHUNG, kSendTimeoutMs, &copied))
        return std::string();
    return std::string(text.data());
}

bool SetControlText(HWND window, const std::string& text)
{
    DWORD_PTR result = 0;
    return SendMessageTimeoutA(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()),
                               SMTO_ABORTIFHUNG, kSendTimeoutMs, &result) != 0 &&
           result != 0;
}

bool TypeCharacters(HWND control, const std::string& text)
{
    for (char c : text) {
        DWORD_PTR result = 0;
        if (!SendMessageTimeoutA(control, WM_CHAR, static_cast<unsigned char>(c), 1,
                                 SMTO_ABORTIFHUNG, kSendTimeoutMs, &result))
            return false;
    }
    return true;
}

bool ClickButton(HWND dialog, int id)
{
    HWND button = GetDlgItem(dialog, id);
    return button != nullptr && PostMessageA(button, BM_CLICK, 0, 0) != 0;
}

bool PostCommand(HWND window, int id, int code)
{
    HWND control = GetDlgItem(window, id);
    return PostMessageA(window, WM_COMMAND, MAKEWPARAM(id, code), reinterpret_cast<LPARAM>(control)) != 0;
}

bool CaptureScreen(const RECT& area, Pixels* pixels)
{
    int width = area.right - area.left;
    int height = area.bottom - area.top;
    if (width <= 0 || height <= 0)
        return false;

    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;

    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    bool ok = false;
    if (memory != nullptr && bitmap != nullptr) {
        HGDIOBJ old = SelectObject(memory, bitmap);
        ok = BitBlt(memory, 0, 0, width, height, screen, area.left, area.top, SRCCOPY) != 0;
        GdiFlush();
        SelectObject(memory, old);
    }
    if (ok) {
        pixels->width = width;
        pixels->height = height;
        const DWORD* source = static_cast<const DWORD*>(bits);
        pixels->rgb.assign(source, source + static_cast<size_t>(width) * height);
        for (DWORD& pixel : pixels->rgb)
            pixel &= 0x00FFFFFF;
    }
    if (bitmap != nullptr)
        DeleteObject(bitmap);
    if (memory != nullptr)
        DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return ok;
}

static bool DrawOn(HICON icon, int size, DWORD background, std::vector<DWORD>* rgb)
{
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = size;
    info.bmiHeader.biHeight = -size;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (bitmap == nullptr) {
        DeleteDC(dc);
        return false;
    }
    HGDIOBJ old = SelectObject(dc, bitmap);
    auto* pixels = static_cast<DWORD*>(bits);
    std::fill(pixels, pixels + size * size, background);
    bool ok = DrawIconEx(dc, 0, 0, icon, size, size, 0, nullptr, DI_NORMAL) != 0;
    GdiFlush();
    rgb->assign(pixels, pixels + size * size);
    for (DWORD& pixel : *rgb)
        pixel &= 0x00FFFFFF;
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
    return ok;
}

bool DrawIconPicture(HICON icon, int size, IconPicture* picture)
{
    // Drawn on black and on white: where both agree, the icon covers the background.
    std::vector<DWORD> onBlack, onWhite;
    if (icon == nullptr || !DrawOn(icon, size, 0x000000, &onBlack) || !DrawOn(icon, size, 0xFFFFFF, &onWhite))
        return false;
    picture->size = size;
    picture->rgb = onBlack;
    picture->opaque.resize(onBlack.size());
    for (size_t i = 0; i < onBlack.size(); ++i)
        picture->opaque[i] = onBlack[i] == onWhite[i];
    return true;
}

bool ContainsPicture(const Pixels& pixels, const IconPicture& picture)
{
    for (int top = 0; top + picture.size <= pixels.height; ++top) {
        for (int left = 0; left + picture.size <= pixels.width; ++left) {
            bool same = true;
            for (int y = 0; same && y < picture.size; ++y)
                for (int x = 0; same && x < picture.size; ++x) {
                    size_t i = static_cast<size_t>(y) * picture.size + x;
                    same = !picture.opaque[i] || pixels.at(left + x, top + y) == picture.rgb[i];
                }
            if (same)
                return true;
        }
    }
    return false;
}

UINT MessageBoxIconFromScreen(HWND box, DWORD timeout)
{
    // Wine's template names the icon control 0x440, Windows' 0x14. The box may be read before it
    // has set and shown its icon: wait for the control to hold one.
    HWND control = nullptr;
    DWORD begun = GetTickCount();
    while (control == nullptr && GetTickCount() - begun < timeout && IsWindow(box)) {
        for (int id : {0x440, 0x14}) {
            HWND candidate = GetDlgItem(box, id);
            DWORD_PTR icon = 0;
            if (candidate != nullptr && IsWindowVisible(candidate) &&
                SendMessageTimeoutA(candidate, STM_GETICON, 0, 0, SMTO_ABORTIFHUNG, kSendTimeoutMs, &icon) &&
                icon != 0)
                control = candidate;
        }
        if (control == nullptr)
            Sleep(kPollMs);
    }
    if (control == nullptr)
        return 0;
    static const struct {
        LPCSTR icon;
        UINT style;
    } icons[] = {{IDI_HAND, MB_ICONHAND}, {IDI_QUESTION, MB_ICONQUESTION},
                 {IDI_EXCLAMATION, MB_ICONEXCLAMATION}, {IDI_ASTERISK, MB_ICONASTERISK}};
    std::vector<IconPicture> pictures(4);
    for (int i = 0; i < 4; ++i)
        DrawIconPicture(LoadIconA(nullptr, icons[i].icon), GetSystemMetrics(SM_CXICON), &pictures[i]);

    // The box may not have painted yet when it first shows.
    DWORD start = GetTickCount();
    do {
        RECT area;
        Pixels pixels;
        if (GetWindowRect(control, &area) && CaptureScreen(area, &pixels))
            for (int i = 0; i < 4; ++i)
                if (pictures[i].size > 0 && ContainsPicture(pixels, pictures[i]))
                    return icons[i].style;
        Sleep(kPollMs);
    } while (GetTickCount() - start < timeout && IsWindow(box));
    return 0;
}

bool SaveBitmap(const std::string& path, const Pixels& pixels)
{
    const DWORD rowBytes = (static_cast<DWORD>(pixels.width) * 3 + 3) & ~3u;
    BITMAPFILEHEADER file = {};
    BITMAPINFOHEADER header = {};
    header.biSize = sizeof header;
    header.biWidth = pixels.width;
    header.biHeight = pixels.height;  // bottom-up, as most readers expect
    header.biPlanes = 1;
    header.biBitCount = 24;
    header.biCompression = BI_RGB;
    header.biSizeImage = rowBytes * static_cast<DWORD>(pixels.height);
    file.bfType = 0x4D42;  // "BM"
    file.bfOffBits = sizeof file + sizeof header;
    file.bfSize = file.bfOffBits + header.biSizeImage;

    FILE* out = std::fopen(path.c_str(), "wb");
    if (out == nullptr)
        return false;
    bool ok = std::fwrite(&file, sizeof file, 1, out) == 1 && std::fwrite(&header, sizeof header, 1, out) == 1;
    std::vector<unsigned char> row(rowBytes, 0);
    for (int y = pixels.height - 1; ok && y >= 0; --y) {
        for (int x = 0; x < pixels.width; ++x) {
            DWORD pixel = pixels.at(x, y);
            row[x * 3] = static_cast<unsigned char>(pixel);
            row[x * 3 + 1] = static_cast<unsigned char>(pixel >> 8);
            row[x * 3 + 2] = static_cast<unsigned char>(pixel >> 16);
        }
        ok = std::fwrite(row.data(), 1, row.size(), out) == row.size();
    }
    return std::fclose(out) == 0 && ok;
}

bool SaveScreenshot(const std::string& path, HWND window)
{
    RECT screen = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    RECT area = screen;
    if (window != nullptr) {
        RECT rect;
        // A maximised window reaches past the screen's edges by its frame.
        if (!GetWindowRect(window, &rect) || !IntersectRect(&area, &rect, &screen))
            return false;
    }
    Pixels pixels;
    return CaptureScreen(area, &pixels) && SaveBitmap(path, pixels);
}

bool LetWineManageSetupWindows(bool managed)
{
    HKEY key;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Wine\\AppDefaults\\SETUP.EXE\\X11 Driver", 0,
                        nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) != ERROR_SUCCESS)
        return false;
    const char* value = managed ? "Y" : "N";
    bool ok = RegSetValueExA(key, "Managed", 0, REG_SZ, reinterpret_cast<const BYTE*>(value), 2) ==
              ERROR_SUCCESS;
    RegCloseKey(key);
    return ok;
}

std::string WindowsPath(const std::string& path)
{
    std::string out = path;
    for (char& c : out)
        if (c == '/')
            c = '\\';
    // Wine maps the Unix root to drive Z:.
    if (!path.empty() && path[0] == '/')
        out = "Z:" + out;
    return out;
}

static std::string setupPath;
static std::string distDirectory;
static std::string artifactDirectory;

static std::string WithBackslash(std::string path)
{
    if (!path.empty() && path.back() != '\\')
        path += '\\';
    return path;
}

void ReadArguments(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i) {
        std::string argument = argv[i];
        auto value = [&](const char* prefix, std::string* into) {
            size_t length = std::strlen(prefix);
            if (argument.compare(0, length, prefix) == 0)
                *into = WindowsPath(argument.substr(length));
        };
        value("--setup=", &setupPath);
        value("--dist=", &distDirectory);
        value("--artifacts=", &artifactDirectory);
    }
    distDirectory = WithBackslash(distDirectory);
    artifactDirectory = WithBackslash(artifactDirectory);
}

const std::string& SetupPath() { return setupPath; }
const std::string& DistDirectory() { return distDirectory; }
const std::string& ArtifactDirectory() { return artifactDirectory; }

}  // namespace e2e
