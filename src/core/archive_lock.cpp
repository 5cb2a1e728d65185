#include "core/archive_lock.h"

#include <algorithm>
#include <cctype>
#include <charconv>

namespace ricordex {
namespace {

constexpr std::string_view kMark = "Ricordex ";

template <typename Number>
std::optional<Number> TakeNumber(std::string_view& text) {
    Number value{};
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end == text.data() + text.size() || *end != ' ') return std::nullopt;
    text.remove_prefix(static_cast<std::size_t>(end - text.data()) + 1);
    return value;
}

}  // namespace

std::string LockOwnerText(const LockOwner& owner) {
    return std::string(kMark) + std::to_string(owner.process) + " " + std::to_string(owner.since) + " " +
           owner.computer + "\r\n";
}

std::optional<LockOwner> ParseLockOwner(std::string_view text) {
    if (!text.starts_with(kMark)) return std::nullopt;
    text.remove_prefix(kMark.size());
    LockOwner owner;
    const std::optional<std::uint32_t> process = TakeNumber<std::uint32_t>(text);
    const std::optional<std::int64_t> since = process ? TakeNumber<std::int64_t>(text) : std::nullopt;
    // A moment no clock gives (a damaged file) says nothing.
    if (!since || *since < 0 || *since > (std::int64_t{1} << 40)) return std::nullopt;
    const std::size_t end = text.find_first_of("\r\n");
    owner.computer = std::string(text.substr(0, end));
    owner.process = *process;
    owner.since = *since;
    return owner;
}

bool OfComputer(const LockOwner& owner, std::string_view thisComputer) {
    const std::string_view name = owner.computer;
    return !thisComputer.empty() && name.size() == thisComputer.size() &&
           std::equal(name.begin(), name.end(), thisComputer.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

bool LockLeftBehind(const LockOwner& owner, std::string_view thisComputer, bool ownerRunsHere, std::int64_t now) {
    if (OfComputer(owner, thisComputer)) return !ownerRunsHere;
    return now - owner.since > kLockLeftAfterSeconds;
}

std::string LockHolderText(const LockOwner& owner) {
    return "Ricordex su \"" + owner.computer + "\" (processo " + std::to_string(owner.process) + ")";
}

std::string LockTakenOverText(const std::filesystem::path& lock, const LockOwner& owner, bool sameComputer,
                              const std::string& since) {
    const std::string holder = "Ricordex su \"" + owner.computer + "\" (processo " + std::to_string(owner.process);
    return "Il blocco dell'archivio \"" + PathText(lock) + "\", tenuto da " + holder +
           (sameComputer ? ", non pi\xF9 in esecuzione) dal " + since
                         : ") dal " + since +
                               ", pi\xF9 a lungo di qualunque salvataggio (forse quel PC si \xE8 spento o ha perso "
                               "la rete)") +
           ", \xE8 stato ignorato.";
}

std::unique_ptr<ArchiveLock> LockArchive(ArchiveFiles& files, const std::filesystem::path& archive,
                                         const ErrorReport& report) {
    std::unique_ptr<ArchiveLock> lock = files.Lock(archive);
    if (lock && !lock->takenOver.empty() && report) report(lock->takenOver);
    return lock;
}

}  // namespace ricordex
