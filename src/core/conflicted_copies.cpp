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
    if (name == Folded(archive.filename().wstring())) return false;
    return name.size() > stem.size() + extension.size() && name.starts_with(stem) && name.ends_with(extension);
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

std::filesystem::path MergedCopyName(const std::filesystem::path& copy) {
    std::filesystem::path merged = copy;
    merged += ".merged";
    return merged;
}

}  // namespace ricordex
