// Answers the message boxes shown on this thread while it lives, recording each one: with the
// scripted answers in order, then with each box's default button.
#pragma once
#include <deque>
#include <vector>

#include "tests/support/msgbox_info.h"

class MessageBoxAnswerer {
public:
    explicit MessageBoxAnswerer(std::deque<int> answers = {});
    ~MessageBoxAnswerer();
    void Add(int answer) { answers_.push_back(answer); }
    void Answer(HWND box);  // records the box and presses its answer

    std::vector<MessageBoxInfo> shown;

private:
    static LRESULT CALLBACK Hook(int code, WPARAM wParam, LPARAM lParam);
    std::deque<int> answers_;
    std::vector<HWND> seen_;  // boxes already seen activating
    HHOOK hook_;
    MessageBoxAnswerer* previous_;
};
