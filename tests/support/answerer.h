// Answers the message boxes that code under test shows on this thread, recording each one.
//
//   MessageBoxAnswerer boxes({IDYES, IDOK});   // scripted answers, in order
//   CheckDestinationDirectory(...);
//   EXPECT_EQ(boxes.shown.size(), 1u);
//
// A box beyond the script is answered with its default button and still recorded. The scripted
// answer kPressEnter sends the box a real Enter key instead of pressing a button.
#pragma once
#include <deque>
#include <vector>

#include "tests/support/msgbox_info.h"

class MessageBoxAnswerer {
public:
    enum { kPressEnter = 0 };

    explicit MessageBoxAnswerer(std::deque<int> answers = {});
    ~MessageBoxAnswerer();
    MessageBoxAnswerer(const MessageBoxAnswerer&) = delete;
    MessageBoxAnswerer& operator=(const MessageBoxAnswerer&) = delete;

    void Add(int answer) { answers_.push_back(answer); }

    std::vector<MessageBoxInfo> shown;

    void Answer(HWND box);  // records the box and presses the next scripted (or default) button

private:
    static LRESULT CALLBACK Hook(int code, WPARAM wParam, LPARAM lParam);
    std::deque<int> answers_;
    std::vector<HWND> pending_;  // boxes already seen activating
    HHOOK hook_;
    MessageBoxAnswerer* previous_;
};
