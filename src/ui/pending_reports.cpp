#include "ui/pending_reports.h"

#include "core/errors.h"
#include "win/application.h"

namespace ricordex::ui {

void PendingReports::AddUnreadableRow(const std::string& text) {
    rows_.push_back(text);
    if (rows_.size() + others_.size() == 1) wake_();
}

void PendingReports::Add(const std::string& text) {
    others_.emplace_back(text, false);
    if (rows_.size() + others_.size() == 1) wake_();
}

void PendingReports::AddNotice(const std::string& text) {
    others_.emplace_back(text, true);
    if (rows_.size() + others_.size() == 1) wake_();
}

void PendingReports::ShowAll() {
    // The box's own loop runs ticks and paints that may find more: those
    // wait for this box to be dismissed.
    if (showing_) return;
    showing_ = true;
    while (!rows_.empty() || !others_.empty()) {
        if (!others_.empty()) {
            const auto [text, notice] = others_.front();
            others_.erase(others_.begin());
            win::Application& application = win::Application::Instance();
            notice ? application.ShowNotice(text) : application.ShowError(text);
            continue;
        }
        const std::string text = UnreadableRowsText(rows_.front(), rows_.size() - 1);
        rows_.clear();
        win::Application::Instance().ShowError(text);
    }
    showing_ = false;
}

}  // namespace ricordex::ui
