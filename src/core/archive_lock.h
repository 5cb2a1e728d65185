#pragma once
// Who holds the archive's lock. The program that takes the lock writes
// itself into the lock file ("<archive>.lock"); another that finds the
// lock held reads it, to say who is saving and since when, and to tell a
// lock left behind from a save under way: on a network share the server
// keeps a PC's open files for a while after that PC crashed or lost its
// power, and a program of this PC that ended may have left its lock there
// the same way.

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "core/archive_files.h"
#include "core/errors.h"

namespace ricordex {

struct LockOwner {
    std::string computer;       // in the program's text code page
    std::uint32_t process = 0;  // its process id on that computer
    std::int64_t since = 0;     // seconds since 1970, UTC, by that computer's clock
    bool operator==(const LockOwner&) const = default;
};

// One line: "Ricordex <process> <since> <computer>".
std::string LockOwnerText(const LockOwner& owner);
// Nothing for any other text (a lock file of an older version is empty).
std::optional<LockOwner> ParseLockOwner(std::string_view text);

// Whether the lock is of a program of this computer (named the same, as
// Windows compares computer names: without regard to case).
bool OfComputer(const LockOwner& owner, std::string_view thisComputer);

// No save holds the lock for long: its waits on a file are seconds, a
// network folder's time-outs a minute or two. A lock of another computer
// held longer is one its program left when it stopped.
inline constexpr std::int64_t kLockLeftAfterSeconds = 10 * 60;

// Whether the lock was left behind: by a program of this computer that no
// longer runs, or by another computer's program since longer than a save
// takes (by this computer's clock: one far behind makes a lock look
// older, but only while that program's save is under way, seconds).
bool LockLeftBehind(const LockOwner& owner, std::string_view thisComputer, bool ownerRunsHere, std::int64_t now);

// Who holds the lock, for the user: "Ricordex su "PC-B" (processo 1234)".
std::string LockHolderText(const LockOwner& owner);
// What is told of a lock left behind and taken over; `since` as this PC
// reads the moment ("09/12/2026 alle 14:03").
std::string LockTakenOverText(const std::filesystem::path& lock, const LockOwner& owner, bool sameComputer,
                              const std::string& since);

// The archive's lock, with what its taking over has to tell (if it was
// left behind) told through `report`.
std::unique_ptr<ArchiveLock> LockArchive(ArchiveFiles& files, const std::filesystem::path& archive,
                                         const ErrorReport& report);

}  // namespace ricordex
