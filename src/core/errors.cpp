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

InOutError::InOutError(int code, const std::string& text) : Error(text), code_(code) {}

bool InOutError::Transient() const noexcept {
    switch (code_) {
    case kAccessDenied:
    case kSharingViolation:
    case kLockViolation:
    case kUnableToRemoveReplaced:
    case kUnableToMoveReplacement:
    case kUnableToMoveReplacement2: return true;
    default: return false;
    }
}

ReadOnlyFileError::ReadOnlyFileError(const std::filesystem::path& file)
    : InOutError(kAccessDenied, "L'archivio \"" + PathText(file) +
                                    "\" \xE8 di sola lettura: le modifiche non sono salvate e restano solo "
                                    "nell'elenco."),
      file_(file) {}

HalfDoneSwapError::HalfDoneSwapError(const std::filesystem::path& target, const std::filesystem::path& backup,
                                     const std::filesystem::path& replacement, const InOutError& moveBack)
    : InOutError(moveBack.code(), "Il salvataggio si \xE8 fermato a met\xE0 (" + std::string(moveBack.what()) +
                                      "): l'archivio \"" + PathText(target) + "\" ora \xE8 \"" + PathText(backup) +
                                      "\" e il nuovo \xE8 \"" + PathText(replacement) +
                                      "\". Nessun evento \xE8 perso: il prossimo salvataggio scrive di nuovo "
                                      "l'archivio, o, se manca ancora, il prossimo avvio lo riprende da questi "
                                      "file.") {}

BusyFileError::BusyFileError(const std::filesystem::path& file, const InOutError& last)
    : InOutError(last.code(), "Il file \"" + PathText(file) + "\" \xE8 in uso da un altro programma (un antivirus, "
                              "la sincronizzazione, l'altro PC) o non \xE8 accessibile, e lo \xE8 rimasto per "
                              "i 2 secondi dei tentativi (" + std::string(last.what()) + "): riprovare pi\xF9 tardi.") {}

LockHeldError::LockHeldError(const std::filesystem::path& lock, int seconds)
    : InOutError(kSharingViolation, "Un altro programma sta salvando l'archivio da pi\xF9 di " +
                                        std::to_string(seconds) + " secondi (\"" + PathText(lock) +
                                        "\" \xE8 in uso): le modifiche non sono salvate, riprovare pi\xF9 tardi.") {}

std::string PathText(const std::filesystem::path& path) {
    std::string text;
    for (const wchar_t c : path.wstring()) {
        // Code page 1252 is Latin-1 but for 0x80 to 0x9F.
        const bool same = c < 0x80 || (c >= 0xA0 && c <= 0xFF);
        text += same ? static_cast<char>(c) : '?';
    }
    return text;
}

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
