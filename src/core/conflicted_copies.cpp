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

// The name Windows gives a new PC ("DESKTOP-4F2K9QJ", "LAPTOP-7Q2M1ABC",
// "WIN-..." on a server): its prefix, then capitals and digits, 15
// characters at most. Any other name is taken only when it is this PC's own:
// the other PC's program takes the copies that carry its name. A word the
// user chose ("backup", "BACKUP", "Copia", "2025") is never one.
bool DefaultComputerName(const std::wstring& name) {
    constexpr std::size_t kLongest = 15;
    for (const std::wstring_view prefix : {L"DESKTOP-", L"LAPTOP-", L"WIN-"}) {
        if (name.size() <= prefix.size() || name.size() > kLongest || !name.starts_with(prefix)) continue;
        return std::all_of(name.begin() + static_cast<std::ptrdiff_t>(prefix.size()), name.end(),
                           [](wchar_t c) { return CapitalLetter(c) || Digit(c); });
    }
    return false;
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
        if (DefaultComputerName(computer)) return true;
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
