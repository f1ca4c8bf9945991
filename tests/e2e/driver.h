// Drives SETUP.EXE from another process as a user would: starts it, finds its windows, reads
// and types into its controls, presses buttons, answers every message box it shows and waits
// for it to end. Every wait is bounded; a process that outlives its test is ended and the test
// fails.
//
//   SetupProcess setup({SetupPath(), "", DistDirectory(), SW_SHOWMINIMIZED});
//   setup.AnswerBox("does not exist", IDYES);
//   HWND dialog = setup.WaitForWindow("#32770", "Enter Path", 30000);
//   ClickButton(dialog, IDOK);
//   DWORD code;
//   ASSERT_TRUE(setup.WaitForExit(120000, &code));
#pragma once
#include <windows.h>

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "tests/support/msgbox_info.h"

namespace e2e {

// The setup's windows, as seen in the title bar.
extern const char kMainClass[];          // "QVXSETUP"
extern const char kTitle[];              // caption of the main window and of every message box
extern const char kDestinationCaption[]; // "Enter Path"
extern const char kProgressCaption[];    // the progress dialog's caption
extern const char kDialogClass[];        // "#32770"

// Which of the setup's windows owned a message box.
enum class OwnerRole { None, Main, Destination, Progress, Other };
const char* OwnerRoleName(OwnerRole role);

struct BoxRecord {
    MessageBoxInfo info;       // caption, text, owner, owner enabled, style
    OwnerRole ownerRole = OwnerRole::None;
    std::string ownerCaption;
    int answer = 0;            // the button pressed
    bool scripted = false;     // false: nobody expected it; its default button was pressed
    DWORD elapsed = 0;         // milliseconds from the start of the process
};

// One line per box, for failure messages.
std::string Describe(const BoxRecord& box);
std::string Describe(const std::vector<BoxRecord>& boxes);

// A top-level window of the process, noted the first time the watcher saw it visible.
struct WindowRecord {
    HWND window = nullptr;
    std::string className;
    std::string caption;
    DWORD elapsed = 0;
};

struct LaunchOptions {
    std::string application;       // Windows path of the program to start
    std::string commandLine;       // as the program sees it; empty: the quoted application path
    std::string workingDirectory;  // empty: the driver's own
    int showCommand = -1;          // passed with STARTF_USESHOWWINDOW when not negative
};

class SetupProcess {
public:
    explicit SetupProcess(const LaunchOptions& options);
    ~SetupProcess();
    SetupProcess(const SetupProcess&) = delete;
    SetupProcess& operator=(const SetupProcess&) = delete;

    bool started() const { return process_ != nullptr; }
    DWORD startError() const { return startError_; }
    DWORD id() const { return processId_; }
    HANDLE handle() const { return process_; }
    bool running() const;

    // Scripted answers. A box whose text contains textPart gets button (for the given number of
    // boxes, or every one when times is negative); boxes that match no such rule take the
    // in-order answers; the rest, and boxes without the scripted button, get their default
    // button and are marked unscripted.
    void AnswerBox(const std::string& textPart, int button, int times = 1);
    void AnswerNext(int button);

    // Called on the watcher thread with each box just before it is answered (a screenshot of
    // the box, say); the box stays up until it returns.
    void BeforeAnswer(std::function<void(const BoxRecord&)> callback);

    std::vector<BoxRecord> Boxes() const;
    std::vector<WindowRecord> WindowsSeen() const;
    // True once at least count boxes were answered.
    bool WaitForBoxes(size_t count, DWORD timeout) const;

    // Visible top-level windows of the process; a null class or caption matches any.
    std::vector<HWND> TopWindows(const char* className, const char* caption) const;
    HWND WaitForWindow(const char* className, const char* caption, DWORD timeout) const;
    // True when no such window is left within the time-out.
    bool WaitForWindowGone(const char* className, const char* caption, DWORD timeout) const;

    // Waits for the process to end and gives its exit code. On time-out the process is ended,
    // the test fails, and the result is false.
    bool WaitForExit(DWORD timeout, DWORD* exitCode);
    void Kill();

private:
    static DWORD WINAPI WatchThread(void* self);
    void Watch();
    void AnswerNewBoxes();
    int ChooseAnswer(const std::string& text, bool* scripted);
    DWORD Elapsed() const { return GetTickCount() - startTick_; }

    struct Rule {
        std::string textPart;
        int button;
        int remaining;
    };

    HANDLE process_ = nullptr;
    DWORD processId_ = 0;
    DWORD startError_ = 0;
    DWORD startTick_ = 0;
    bool waited_ = false;

    HANDLE stop_ = nullptr;
    HANDLE watcher_ = nullptr;
    mutable CRITICAL_SECTION lock_;
    std::vector<Rule> rules_;
    std::deque<int> ordered_;
    std::vector<BoxRecord> boxes_;
    std::function<void(const BoxRecord&)> beforeAnswer_;
    std::vector<HWND> answered_;
    std::vector<WindowRecord> windows_;
};

// Controls of any process. Each call is bounded by a time-out and false when it failed.
std::string ControlText(HWND window);
bool SetControlText(HWND window, const std::string& text);
// One WM_CHAR per character, each delivered before the next.
bool TypeCharacters(HWND control, const std::string& text);
// Clicks the dialog's button as the mouse would (BM_CLICK, posted).
bool ClickButton(HWND dialog, int id);
// Posts WM_COMMAND with the identifier and notification code.
bool PostCommand(HWND window, int id, int code = 0);

// Pixels of the screen, 0x00RRGGBB, rows top-down.
struct Pixels {
    int width = 0;
    int height = 0;
    std::vector<DWORD> rgb;
    DWORD at(int x, int y) const { return rgb[static_cast<size_t>(y) * width + x]; }
};
bool CaptureScreen(const RECT& area, Pixels* pixels);

// An icon as drawn at a given size: its colour where it is opaque.
struct IconPicture {
    int size = 0;
    std::vector<DWORD> rgb;
    std::vector<bool> opaque;
};
bool DrawIconPicture(HICON icon, int size, IconPicture* picture);
// Whether every opaque pixel of the picture appears, at some one place, in the pixels.
bool ContainsPicture(const Pixels& pixels, const IconPicture& picture);
// The MB_ICON style whose standard icon a message box of any process shows, read from the
// screen (icon handles are private to their process); 0 when none is seen within the time-out.
UINT MessageBoxIconFromScreen(HWND box, DWORD timeout);
// A 24-bit .bmp of the whole screen or, when window is given, of its rectangle on the screen.
bool SaveScreenshot(const std::string& path, HWND window = nullptr);
bool SaveBitmap(const std::string& path, const Pixels& pixels);

// Without a window manager (a bare Xvfb) Wine hands the maximised title window back to the X
// server, which leaves it at its default size. Unmanaged, Wine places and frames SETUP.EXE's
// windows itself, as a desktop's window manager would. Changes this Wine prefix's settings for
// SETUP.EXE only.
bool LetWineManageSetupWindows(bool managed);

// Paths handed over from the build ("/x/y" becomes Wine's "Z:\x\y").
std::string WindowsPath(const std::string& path);
// Set from --setup=, --dist= and --artifacts= on the test program's command line (Unix or
// Windows paths), by ReadArguments after the test framework has taken its own flags.
void ReadArguments(int argc, char** argv);
const std::string& SetupPath();
const std::string& DistDirectory();  // with a trailing backslash; empty when not given
const std::string& ArtifactDirectory(); // --artifacts=: where screenshots go; may be empty

}  // namespace e2e
