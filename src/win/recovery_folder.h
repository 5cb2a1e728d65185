#pragma once
// Where the changes not yet saved are kept against a crash: the user's
// local application data, which stays on this PC (a roaming profile does
// not carry it, nor does a folder shared with other PCs).

#include <filesystem>

namespace ricordex::win {

// "%LOCALAPPDATA%\Ricordex\Ricordex-recupero.psc", its folder made when
// missing; empty when Windows names no such folder for the user.
std::filesystem::path RecoveryFile();

}  // namespace ricordex::win
