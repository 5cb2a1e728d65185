#include "core/errors.h"

namespace ricordex {
namespace {

std::string InOutErrorText(int code) {
    switch (code) {
    case InOutError::kFileNotFound: return "File not found";
    case InOutError::kInvalidFilename: return "Invalid filename";
    case InOutError::kTooManyOpenFiles: return "Too many open files";
    case InOutError::kAccessDenied: return "File access denied";
    case InOutError::kReadBeyondEnd: return "Read beyond end of file";
    case InOutError::kDiskFull: return "Disk full";
    default: return "I/O error " + std::to_string(code);
    }
}

}  // namespace

InOutError::InOutError(int code) : Error(InOutErrorText(code)), code_(code) {}

std::string InvalidRegistryTypeText(const std::string& valueName) {
    return "Invalid data type for '" + valueName + "'";
}

std::string RegistryReadFailedText(const std::string& valueName) {
    return "Failed to get data for '" + valueName + "'";
}

std::string RegistryWriteFailedText(const std::string& valueName) {
    return "Failed to set data for '" + valueName + "'";
}

std::string ErrorBoxText(const std::string& message) {
    if (!message.empty() && static_cast<unsigned char>(message.back()) > '.') return message + ".";
    return message;
}

std::string LibraryLoadFailedText(const std::string& name, unsigned long systemError) {
    return "Unable to load " + name + " (system error " + std::to_string(systemError) + ")";
}

std::string FileDialogFailedText(unsigned long dialogError) {
    return "The file dialog failed (dialog error " + std::to_string(dialogError) + ")";
}

std::string UnreadableRowsText(const std::string& first, std::size_t moreRows) {
    if (moreRows == 0) return first;
    if (moreRows == 1) return ErrorBoxText(first) + "\n\nUn'altra riga non si pu\xF2 leggere.";
    return ErrorBoxText(first) + "\n\nAltre " + std::to_string(moreRows) + " righe non si possono leggere.";
}

}  // namespace ricordex
