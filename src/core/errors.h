#pragma once
// The error types the program raises. Each carries the exact text the user is
// shown by the application's default error box.

#include <functional>
#include <stdexcept>
#include <string>

namespace ricordex {

class Error : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A text that is not a valid date, time or number.
class ConvertError : public Error {
public:
    using Error::Error;
};

// A file that cannot be created, opened, read, written or closed.
class InOutError : public Error {
public:
    // Codes follow the runtime's I/O error numbers: the first few are the
    // system's own, 100 and 101 are the short read and the short write.
    static constexpr int kFileNotFound = 2;
    static constexpr int kInvalidFilename = 3;
    static constexpr int kTooManyOpenFiles = 4;
    static constexpr int kAccessDenied = 5;
    static constexpr int kReadBeyondEnd = 100;
    static constexpr int kDiskFull = 101;

    explicit InOutError(int code);
    int code() const noexcept { return code_; }

private:
    int code_;
};

// A registry value of the wrong type, or one that cannot be read or written.
class RegistryError : public Error {
public:
    using Error::Error;
};

// "Invalid data type for 'Avvio'", and the like.
std::string InvalidRegistryTypeText(const std::string& valueName);
std::string RegistryReadFailedText(const std::string& valueName);
std::string RegistryWriteFailedText(const std::string& valueName);

// "Unable to load winmm.dll (system error 126)": a system library or one of
// its functions that cannot be found.
std::string LibraryLoadFailedText(const std::string& name, unsigned long systemError);

// "The file dialog failed (dialog error 12291)": the common dialog's own
// error code, as CommDlgExtendedError gives it.
std::string FileDialogFailedText(unsigned long dialogError);

// Where an error that must not stop the work at hand is told: its text, as
// the error box will show it.
using ErrorReport = std::function<void(const std::string& text)>;

// The text of the default error box: a full stop is added when the last
// character has a higher code than "." (so a text ending in a quote stays).
std::string ErrorBoxText(const std::string& message);

// Unreadable rows found together are shown in one box: the first one's
// text, and how many more rows could not be read.
std::string UnreadableRowsText(const std::string& first, std::size_t moreRows);

}  // namespace ricordex
