#include "tests/support/answerer.h"

static thread_local MessageBoxAnswerer* current;

MessageBoxAnswerer::MessageBoxAnswerer(std::deque<int> answers)
    : answers_(std::move(answers)),
      hook_(SetWindowsHookExA(WH_CBT, Hook, nullptr, GetCurrentThreadId())),
      previous_(current)
{
    current = this;
}

MessageBoxAnswerer::~MessageBoxAnswerer()
{
    UnhookWindowsHookEx(hook_);
    current = previous_;
}

// Runs from the box's own message loop, once the box is shown and fully set up.
static void CALLBACK AnswerBox(HWND box, UINT, UINT_PTR timer, DWORD)
{
    KillTimer(box, timer);
    if (current != nullptr)
        current->Answer(box);
}

void MessageBoxAnswerer::Answer(HWND box)
{
    shown.push_back(DescribeMessageBox(box));
    int answer = DefaultMessageBoxButton(box);
    if (!answers_.empty()) {
        answer = answers_.front();
        answers_.pop_front();
    }
    if (answer == kPressEnter)
        PostMessageA(box, WM_KEYDOWN, VK_RETURN, 1);  // let the box's own dialog manager decide
    else
        PressMessageBoxButton(box, answer);
}

LRESULT CALLBACK MessageBoxAnswerer::Hook(int code, WPARAM wParam, LPARAM lParam)
{
    MessageBoxAnswerer* self = current;
    if (self != nullptr && code == HCBT_ACTIVATE) {
        HWND window = reinterpret_cast<HWND>(wParam);
        bool known = false;
        for (HWND box : self->pending_)
            known = known || box == window;
        if (!known && IsMessageBox(window)) {
            self->pending_.push_back(window);
            SetTimer(window, 0x5142, 0, AnswerBox);
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}
