#include "tests/support/answerer.h"

#include <algorithm>

static thread_local MessageBoxAnswerer* current;

MessageBoxAnswerer::MessageBoxAnswerer(std::deque<int> answers)
    : answers_(std::move(answers)), hook_(SetWindowsHookExA(WH_CBT, Hook, nullptr, GetCurrentThreadId())),
      previous_(current)
{
    current = this;
}

MessageBoxAnswerer::~MessageBoxAnswerer()
{
    UnhookWindowsHookEx(hook_);
    current = previous_;
}

// From the box's own message loop, so the box is fully set up.
static void CALLBACK AnswerBox(HWND box, UINT, UINT_PTR timer, DWORD)
{
    KillTimer(box, timer);
    if (current != nullptr)
        current->Answer(box);
}

void MessageBoxAnswerer::Answer(HWND box)
{
    shown.push_back(DescribeMessageBox(box));
    int answer = answers_.empty() ? DefaultMessageBoxButton(box) : answers_.front();
    if (!answers_.empty())
        answers_.pop_front();
    PostMessageA(box, WM_COMMAND, MAKEWPARAM(answer, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(box, answer)));
}

LRESULT CALLBACK MessageBoxAnswerer::Hook(int code, WPARAM wParam, LPARAM lParam)
{
    HWND window = reinterpret_cast<HWND>(wParam);
    if (current != nullptr && code == HCBT_ACTIVATE && IsMessageBox(window) &&
        std::find(current->seen_.begin(), current->seen_.end(), window) == current->seen_.end()) {
        current->seen_.push_back(window);
        SetTimer(window, 0x5142, 0, AnswerBox);
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}
