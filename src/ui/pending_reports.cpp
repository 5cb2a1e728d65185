#include "ui/pending_reports.h"

#include "core/errors.h"
#include "win/application.h"

namespace ricordex::ui {

void PendingReports::Add(const std::string& text) {
    texts_.push_back(text);
    if (texts_.size() == 1) wake_();
}

void PendingReports::ShowAll() {
    // The box's own loop runs ticks and paints that may find more: those
    // wait for this box to be dismissed.
    if (showing_) return;
    showing_ = true;
    while (!texts_.empty()) {
        const std::string text = UnreadableRowsText(texts_.front(), texts_.size() - 1);
        texts_.clear();
        win::Application::Instance().ShowError(text);
    }
    showing_ = false;
}

}  // namespace ricordex::ui
