#pragma once
// Reports that wait for the message loop: a row found unreadable while the
// list paints or the timer ticks is shown once that work is done, all those
// found meanwhile in one box, and never a box over another. Other reports
// (about the archive and its copies) are each shown whole, in a box of its
// own.

#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace ricordex::ui {

class PendingReports {
public:
    // `wake` asks the message loop to call ShowAll soon (it posts a message).
    explicit PendingReports(std::function<void()> wake) : wake_(std::move(wake)) {}

    void AddUnreadableRow(const std::string& text);
    void Add(const std::string& text);
    // Information, not an error: in a box with the information icon.
    void AddNotice(const std::string& text);
    // The texts gathered so far: the unreadable rows in one error box, the
    // others each in its own (an error's or a notice's); those found while a
    // box is open come after it.
    void ShowAll();

private:
    std::function<void()> wake_;
    std::vector<std::string> rows_;
    std::vector<std::pair<std::string, bool>> others_;  // and whether a notice
    bool showing_ = false;
};

}  // namespace ricordex::ui
