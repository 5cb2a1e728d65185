#include "core/conflicted_copies.h"

#include <algorithm>
#include <cwctype>

namespace ricordex {
namespace {

std::wstring Folded(std::wstring text) {
    for (wchar_t& c : text) c = static_cast<wchar_t>(std::towlower(static_cast<wint_t>(c)));
    return text;
}

bool CapitalLetter(wchar_t c) { return c >= L'A' && c <= L'Z'; }
bool Digit(wchar_t c) { return c >= L'0' && c <= L'9'; }

// A computer name as Windows writes it ("DESKTOP-4F2K9QJ"): a user's own
// word ("backup", "Copia") or year ("2025") is not one.
bool WrittenAsAComputerName(const std::wstring& name) {
    constexpr std::size_t kLongest = 15;
    if (name.empty() || name.size() > kLongest || name.front() == L'-') return false;
    const bool allowed =
        std::all_of(name.begin(), name.end(), [](wchar_t c) { return CapitalLetter(c) || Digit(c) || c == L'-'; });
    return allowed && std::any_of(name.begin(), name.end(), CapitalLetter);
}

}  // namespace

bool IsConflictedCopy(const std::filesystem::path& archive, const std::filesystem::path& file,
                      const std::wstring& computerName) {
    const std::wstring stem = Folded(archive.stem().wstring());
    const std::wstring extension = Folded(archive.extension().wstring());
    const std::wstring fileName = file.filename().wstring();
    const std::wstring name = Folded(fileName);
    if (extension.empty() || name == Folded(archive.filename().wstring())) return false;
    if (name.size() <= stem.size() + extension.size() || !name.starts_with(stem) || !name.ends_with(extension)) {
        return false;
    }
    const std::size_t middleLength = name.size() - stem.size() - extension.size();
    const std::wstring middle = name.substr(stem.size(), middleLength);
    if (middle.find(L"conflict") != std::wstring::npos || middle.find(L"conflitto") != std::wstring::npos) return true;
    // "-DESKTOP-4F2K9QJ": the name as written, capitals and all.
    const std::wstring written = fileName.substr(stem.size(), middleLength);
    if (written.size() > 1 && written.front() == L'-') {
        const std::wstring computer = written.substr(1);
        if (WrittenAsAComputerName(computer)) return true;
        if (!computerName.empty() && Folded(computer) == Folded(computerName)) return true;
    }
    // " (1)", " (2)", ...: a second file of the same name.
    return middle.size() > 3 && middle.starts_with(L" (") && middle.ends_with(L")") &&
           std::all_of(middle.begin() + 2, middle.end() - 1, Digit);
}

std::vector<std::filesystem::path> ConflictedCopies(const std::filesystem::path& archive,
                                                    const std::vector<std::filesystem::path>& files,
                                                    const std::wstring& computerName) {
    std::vector<std::filesystem::path> copies;
    for (const std::filesystem::path& file : files) {
        if (IsConflictedCopy(archive, file, computerName)) copies.push_back(file);
    }
    std::sort(copies.begin(), copies.end());
    return copies;
}

std::filesystem::path MergedCopyName(const std::filesystem::path& copy, int attempt) {
    std::filesystem::path merged = copy;
    if (attempt > 1) merged += L'-' + std::to_wstring(attempt);
    merged += ".merged";
    return merged;
}

}  // namespace ricordex
