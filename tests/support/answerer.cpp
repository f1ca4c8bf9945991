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

LRESULT CALLBACK MessageBoxAnswerer::Hook(int code, WPARAM wParam, LPARAM lParam)
{
    MessageBoxAnswerer* self = current;
    if (self != nullptr && code == HCBT_ACTIVATE) {
        HWND window = reinterpret_cast<HWND>(wParam);
        bool known = false;
        for (const auto& box : self->shown)
            known = known || box.window == window;
        if (!known && IsMessageBox(window)) {
            MessageBoxInfo info = DescribeMessageBox(window);
            self->shown.push_back(info);
            int answer;
            if (!self->answers_.empty()) {
                answer = self->answers_.front();
                self->answers_.pop_front();
            } else {
                LRESULT def = SendMessageA(window, DM_GETDEFID, 0, 0);
                answer = HIWORD(def) == DC_HASDEFID ? LOWORD(def) : IDOK;
            }
            PressMessageBoxButton(window, answer);
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}
