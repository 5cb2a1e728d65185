#include "app/archive_recovery.h"

#include "core/archive.h"
#include "core/archive_record.h"
#include "core/archive_swap.h"

namespace ricordex {

std::filesystem::path AsideName(ArchiveFiles& files, const std::filesystem::path& archive, DateTime now) {
    const std::string stamp = FormatDateTime("yyyymmdd-hhnnss", now, ProgramFormatSettings());
    std::filesystem::path copy;
    for (int n = 1; copy.empty() || files.Exists(copy); ++n) {
        std::string suffix = "." + stamp;
        if (n > 1) suffix.append("-").append(std::to_string(n));
        copy = archive;
        copy += suffix.append(".bak");
    }
    return copy;
}

std::optional<std::string> RecoverMissingArchive(ArchiveFiles& files, const std::filesystem::path& archive,
                                                 DateTime now) {
    if (files.Exists(archive)) return std::nullopt;
    const std::filesystem::path backup = BackupName(archive);
    const std::filesystem::path replacement = ReplacementName(archive);
    const std::string taken = "L'archivio \"" + PathText(archive) + "\" non c'era: \xE8 stato ripreso da \"";
    if (files.Exists(backup)) {
        files.RenameToNew(backup, archive);
        std::string told = taken + PathText(backup) + "\", dove l'aveva lasciato un salvataggio fermato a met\xE0.";
        if (files.Exists(replacement)) {
            // The next save would write over it.
            const std::filesystem::path aside = AsideName(files, archive, now);
            try {
                files.RenameToNew(replacement, aside);
                told += " Il file nuovo di quel salvataggio \xE8 conservato come \"" + PathText(aside) + "\".";
            } catch (const Error& error) {
                told += " Il file nuovo di quel salvataggio, \"" + PathText(replacement) +
                        "\", non si \xE8 potuto mettere da parte: " + error.what();
            }
        }
        return told;
    }
    const std::optional<FileStamp> stamp = files.Exists(replacement) ? files.StampOf(replacement) : std::nullopt;
    if (!stamp || stamp->size == 0 || stamp->size % kRecordSize != 0) return std::nullopt;
    files.RenameToNew(replacement, archive);
    return taken + PathText(replacement) + "\", il file completo di un salvataggio fermato a met\xE0.";
}

void LoadOrRecoverArchive(EventList& list, ArchiveFiles& files, const std::filesystem::path& archive, DateTime now,
                          const ErrorReport& report) {
    if (const std::optional<std::string> told = RecoverMissingArchive(files, archive, now); told && report) {
        report(*told);
    }
    LoadOrCreateArchive(list, files, archive);
}

}  // namespace ricordex
