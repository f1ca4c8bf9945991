// Answers message boxes of this thread once they are up, from the box's own modal loop.
//
//   BoxWatcher boxes({IDYES});   // scripted answers; past the script, Enter is pressed
//   ShowMessageId(owner, 36, MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2);
//   EXPECT_EQ(boxes.shown[0].style, ...);
//
// Wine activates a box before initialising and showing it when its owner was the active window,
// so a CBT hook on activation sees no visible buttons or icon yet. A thread timer polls instead
// and looks only at boxes that are visible, as a user would see them. Wine's boxes also leave
// DM_GETDEFID at IDOK whatever the default is, so the default button is read from the buttons'
// BS_DEFPUSHBUTTON style, and "Enter" is a real key press.
#pragma once
#include <windows.h>

#include <deque>
#include <vector>

#include "tests/support/msgbox_info.h"

class BoxWatcher {
public:
    explicit BoxWatcher(std::deque<int> answers = {}) : answers_(std::move(answers)), previous_(Current())
    {
        Current() = this;
        timer_ = SetTimer(nullptr, 0, 20, Tick);
    }
    ~BoxWatcher()
    {
        KillTimer(nullptr, timer_);
        Current() = previous_;
    }
    BoxWatcher(const BoxWatcher&) = delete;
    BoxWatcher& operator=(const BoxWatcher&) = delete;

    std::vector<MessageBoxInfo> shown;

private:
    static BoxWatcher*& Current()
    {
        static thread_local BoxWatcher* current;
        return current;
    }

    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD)
    {
        if (Current() != nullptr)
            EnumThreadWindows(GetCurrentThreadId(), Visit, reinterpret_cast<LPARAM>(Current()));
    }

    // MB_DEFBUTTONn from the position of the BS_DEFPUSHBUTTON among the box's buttons, which run
    // in identifier order with Cancel last.
    static UINT DefaultButtonStyle(HWND box)
    {
        UINT position = 0;
        for (int id : {IDOK, IDABORT, IDRETRY, IDIGNORE, IDYES, IDNO, IDCANCEL}) {
            HWND button = GetDlgItem(box, id);
            if (button == nullptr || !IsWindowVisible(button))
                continue;
            if ((GetWindowLongA(button, GWL_STYLE) & 0x0F) == BS_DEFPUSHBUTTON)
                return position << 8;
            ++position;
        }
        return 0;
    }

    static BOOL CALLBACK Visit(HWND window, LPARAM self)
    {
        static const char kSeen[] = "QVXBoxWatcherSeen";
        if (!IsWindowVisible(window) || !IsMessageBox(window) || GetPropA(window, kSeen) != nullptr)
            return TRUE;
        SetPropA(window, kSeen, reinterpret_cast<HANDLE>(1));
        BoxWatcher* watcher = reinterpret_cast<BoxWatcher*>(self);
        MessageBoxInfo info = DescribeMessageBox(window);
        info.style = (info.style & ~static_cast<UINT>(MB_DEFMASK)) | DefaultButtonStyle(window);
        watcher->shown.push_back(info);
        if (!watcher->answers_.empty()) {
            PressMessageBoxButton(window, watcher->answers_.front());
            watcher->answers_.pop_front();
        } else {
            // Enter, through the box's dialog manager, on whatever has the focus.
            HWND focus = GetFocus();
            PostMessageA(focus != nullptr && IsChild(window, focus) ? focus : window, WM_KEYDOWN, VK_RETURN, 0);
            PostMessageA(focus != nullptr && IsChild(window, focus) ? focus : window, WM_KEYUP, VK_RETURN,
                         0xC0000001);
        }
        return TRUE;
    }

    std::deque<int> answers_;
    BoxWatcher* previous_;
    UINT_PTR timer_;
};
