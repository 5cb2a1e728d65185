#pragma once
// Where the changes not yet saved are kept against a crash: the user's
// local application data, which stays on this PC (a roaming profile does
// not carry it, nor does a folder shared with other PCs).

#include <filesystem>

#include "win/unique_handle.h"

namespace ricordex::win {

// "%LOCALAPPDATA%\Ricordex\Ricordex-recupero.psc", its folder made when
// missing; empty when Windows names no such folder for the user.
std::filesystem::path RecoveryFile();

// The recovery file of this run, claimed while the object lives. Each
// running program has its own (two sessions of one user, through Remote
// Desktop or on a terminal server, would otherwise each be offered the
// other's live changes as a crash's): the first that no running program
// claims, "Ricordex-recupero.psc", then "Ricordex-recupero-2.psc", ... up to
// 9, one that a program which ended left changes in first. A program that
// ends, however it ends, lets go of its claim: the next start takes the
// same file and offers what a crash left in it. `folder`: the recovery
// file's, when not the user's own (the tests').
class RecoveryClaim {
public:
    std::filesystem::path file;  // empty when there is no folder for it

private:
    friend RecoveryClaim ClaimRecoveryFile(const std::filesystem::path& folder);
    UniqueFile marker_;  // "<file>.lock", held open, deleted when closed
};
RecoveryClaim ClaimRecoveryFile(const std::filesystem::path& folder = {});

}  // namespace ricordex::win
