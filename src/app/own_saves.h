#pragma once
// The saves this program made, remembered so that a conflicted copy a sync
// service keeps of one of them is merged against the version it was made
// from. The last three, each what it wrote and what it merged the list
// with, are kept in the user's local application data (beside the
// recovery file, never in the archive's folder), for a copy that appears
// after a restart: "Ricordex-recupero-salvati.dat".
//
// Saves made one over the other, with none of another PC's between them,
// may reach the sync service as one, or each: a copy of the last is made
// from the newest of them that the other PC's version shows (holding a
// row it added), or else from what the first was made from.

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "app/archive_sync.h"

namespace ricordex {

struct Services;

// After a save: the base holds what it wrote, `madeFrom` the records the
// base held before.
void RememberOwnSave(ArchiveBase& base, std::string madeFrom);
// Once the save is over (its recovery file removed first, so that the
// moment between its swap and that removal stays as short as it can be):
// the saves remembered, written for later runs. A failure is not told: a
// copy of this save is then merged as any other copy.
void KeepOwnSaves(ArchiveBase& base, Services& services);

// The rows a conflicted copy holding `copy` was made from, when it is one
// of the saves remembered, `winner` being what the sync service kept in
// its place; nothing otherwise.
std::optional<std::vector<RowTexts>> OwnSaveMadeFrom(ArchiveBase& base, Services& services,
                                                     const std::vector<RowTexts>& copy,
                                                     const std::vector<RowTexts>& winner);

// A sync service kept this program's last save (what the base holds) as a
// conflicted copy beside the archive and put another PC's save in its
// place: that save is to be merged against the version the lost one was
// made from, which the base then holds (against the lost save, the other
// PC would seem to undo every change of this one). Returns the copy, whose
// changes the list holds already.
std::optional<std::filesystem::path> TakeBackLostSave(ArchiveBase& base, Services& services,
                                                      const std::filesystem::path& archive);

}  // namespace ricordex
