#include "core/conflicted_copies.h"

#include <algorithm>
#include <cwctype>
#include <string>

namespace ricordex {
namespace {

std::wstring Folded(std::wstring text) {
    for (wchar_t& c : text) c = static_cast<wchar_t>(std::towlower(static_cast<wint_t>(c)));
    return text;
}

}  // namespace

bool IsConflictedCopy(const std::filesystem::path& archive, const std::filesystem::path& file) {
    const std::wstring stem = Folded(archive.stem().wstring());
    const std::wstring extension = Folded(archive.extension().wstring());
    const std::wstring name = Folded(file.filename().wstring());
    if (extension.empty() || name == Folded(archive.filename().wstring())) return false;
    if (name.size() <= stem.size() + extension.size() || !name.starts_with(stem) || !name.ends_with(extension)) {
        return false;
    }
    const std::wstring middle = name.substr(stem.size(), name.size() - stem.size() - extension.size());
    if (middle.find(L"conflict") != std::wstring::npos || middle.find(L"conflitto") != std::wstring::npos) return true;
    // " (1)", " (2)", ...: a second file of the same name.
    return middle.size() > 3 && middle.starts_with(L" (") && middle.ends_with(L")") &&
           std::all_of(middle.begin() + 2, middle.end() - 1, [](wchar_t c) { return c >= L'0' && c <= L'9'; });
}

std::vector<std::filesystem::path> ConflictedCopies(const std::filesystem::path& archive,
                                                    const std::vector<std::filesystem::path>& files) {
    std::vector<std::filesystem::path> copies;
    for (const std::filesystem::path& file : files) {
        if (IsConflictedCopy(archive, file)) copies.push_back(file);
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
