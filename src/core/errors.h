#pragma once
// The error types the program raises. Each carries the exact text the user is
// shown by the application's default error box.

#include <filesystem>
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
    // The system's numbers of the failures a swap of files tells apart.
    static constexpr int kSharingViolation = 32;
    static constexpr int kLockViolation = 33;
    static constexpr int kFileExists = 80;
    static constexpr int kAlreadyExists = 183;
    static constexpr int kUnableToRemoveReplaced = 1175;
    static constexpr int kUnableToMoveReplacement = 1176;
    static constexpr int kUnableToMoveReplacement2 = 1177;

    explicit InOutError(int code);
    // A failure told in the program's own words (naming its files).
    InOutError(int code, const std::string& text);
    int code() const noexcept { return code_; }
    // Whether the same step may go through in a moment: another program
    // (a scanner, an indexer, a sync client) holds the file, or a handle
    // is closing. Access denied counts, as Windows says it while a file
    // is being deleted.
    virtual bool Transient() const noexcept;

private:
    int code_;
};

// A save to an archive that is read-only: nothing is written.
class ReadOnlyFileError : public InOutError {
public:
    explicit ReadOnlyFileError(const std::filesystem::path& file);
    const std::filesystem::path& file() const noexcept { return file_; }
    bool Transient() const noexcept override { return false; }

private:
    std::filesystem::path file_;
};

// A swap that stopped half-way: the archive is under the backup name and
// could not be given its name back; the new file is kept beside it. Nothing
// is lost: the next save, or the next start, puts it back.
class HalfDoneSwapError : public InOutError {
public:
    HalfDoneSwapError(const std::filesystem::path& target, const std::filesystem::path& backup,
                      const std::filesystem::path& replacement, const InOutError& moveBack);
};

// The archive looked missing, and a file took its name while the new one
// was moved in: another program saved meanwhile. Its file is left whole.
class TargetAppearedError : public InOutError {
public:
    TargetAppearedError() : InOutError(kAlreadyExists) {}
    bool Transient() const noexcept override { return false; }
};

// A file another program kept (a scanner, a sync client, the other PC), or
// that stayed refused, for longer than the tries of a step last.
class BusyFileError : public InOutError {
public:
    BusyFileError(const std::filesystem::path& file, const InOutError& last);
    bool Transient() const noexcept override { return false; }
};

// Another program held the archive's lock for longer than a save takes
// (its save is stuck, or its folder stopped answering): nothing is written.
// The holder and since when, when the lock file names them.
class LockHeldError : public InOutError {
public:
    LockHeldError(const std::filesystem::path& lock, int seconds, const std::string& holder = {},
                  const std::string& since = {});
    bool Transient() const noexcept override { return false; }
};

// A folder or a drive out of reach (not there yet, a mapped drive not
// connected, a share or the network down, a disk not ready), rather than
// a file that is there and refuses.
bool OutOfReach(const InOutError& error);

// The archive out of reach at start: read as soon as it is reached.
class ArchiveOutOfReachError : public InOutError {
public:
    ArchiveOutOfReachError(const std::filesystem::path& archive, const InOutError& cause);
};

// A path in a message, as code page 1252 text: characters it lacks are "?".
std::string PathText(const std::filesystem::path& path);

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
