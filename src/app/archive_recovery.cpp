#include "app/archive_recovery.h"

#include "core/archive.h"
#include "core/archive_lock.h"
#include "core/archive_record.h"
#include "core/archive_swap.h"

namespace ricordex {

std::filesystem::path AsideName(ArchiveFiles& files, const std::filesystem::path& archive, DateTime now,
                                std::string_view ending) {
    const std::string stamp = FormatDateTime("yyyymmdd-hhnnss", now, ProgramFormatSettings());
    std::filesystem::path copy;
    for (int n = 1; copy.empty() || files.Exists(copy); ++n) {
        std::string suffix = "." + stamp;
        if (n > 1) suffix.append("-").append(std::to_string(n));
        copy = archive;
        copy += suffix.append(ending);
    }
    return copy;
}

namespace {

}  // namespace

bool Whole(ArchiveFiles& files, const std::filesystem::path& file) {
    try {
        const std::unique_ptr<InputFile> input = files.OpenExisting(file);
        const std::uint64_t size = input->Size();
        if (size == 0 || size % kRecordSize != 0) return false;
        std::string record(kRecordSize, '\0');
        for (std::uint64_t left = size / kRecordSize; left > 0; --left) {
            input->Read(record.data(), record.size());
            if (record.find_first_not_of('\0') == std::string::npos) return false;
        }
        return true;
    } catch (const Error&) {
        return false;
    }
}

namespace {

// The next save would write over it: it goes aside, and the user is told where.
std::string KeepAside(ArchiveFiles& files, const std::filesystem::path& archive, const std::filesystem::path& file,
                      DateTime now, const std::string& what) {
    try {
        const std::filesystem::path aside = AsideName(files, archive, now);
        files.RenameToNew(file, aside);
        return " " + what + " \xE8 conservato come \"" + PathText(aside) + "\".";
    } catch (const Error& error) {
        return " " + what + ", \"" + PathText(file) + "\", non si \xE8 potuto mettere da parte: " + error.what();
    }
}

}  // namespace

std::optional<std::string> RecoverMissingArchive(ArchiveFiles& files, const std::filesystem::path& archive,
                                                 DateTime now) {
    if (files.Exists(archive)) return std::nullopt;
    if (!files.Exists(BackupName(archive)) && !files.Exists(ReplacementName(archive))) return std::nullopt;
    // Another program on a shared folder may be in the middle of its own swap.
    std::string tell;
    const std::unique_ptr<ArchiveLock> lock =
        LockArchive(files, archive, [&tell](const std::string& text) { tell = text; });
    const std::optional<std::string> told = TakeBackStoppedSwap(files, archive, now);
    if (tell.empty()) return told;
    return told ? tell + " " + *told : tell;
}

std::optional<std::string> TakeBackStoppedSwap(ArchiveFiles& files, const std::filesystem::path& archive,
                                               DateTime now) {
    if (files.Exists(archive)) return std::nullopt;
    const std::filesystem::path backup = BackupName(archive);
    const std::filesystem::path replacement = ReplacementName(archive);
    const bool hasBackup = files.Exists(backup);
    if (!hasBackup && !files.Exists(replacement)) return std::nullopt;
    const std::string taken = "L'archivio \"" + PathText(archive) + "\" non c'era: \xE8 stato ripreso da \"";
    std::string told;
    if (hasBackup) {
        // The last archive saved whole, which a program still running with
        // the changes of the save that stopped takes as its base: its next
        // save merges them in once, not twice.
        files.RenameToNew(backup, archive);
        told = taken + PathText(backup) + "\", dove l'aveva lasciato un salvataggio fermato a met\xE0.";
        if (files.Exists(replacement)) {
            told += KeepAside(files, archive, replacement, now, "Il file nuovo di quel salvataggio");
        }
    } else if (Whole(files, replacement)) {
        files.RenameToNew(replacement, archive);
        told = taken + PathText(replacement) + "\", il file completo di un salvataggio fermato a met\xE0.";
    } else {
        told = "L'archivio \"" + PathText(archive) + "\" non c'era: ne \xE8 rimasto solo il file incompleto di un "
               "salvataggio fermato a met\xE0.";
        told += KeepAside(files, archive, replacement, now, "Il file incompleto");
    }
    return told;
}

void LoadOrRecoverArchive(EventList& list, ArchiveFiles& files, const std::filesystem::path& archive, DateTime now,
                          const ErrorReport& report) {
    if (const std::optional<std::string> told = RecoverMissingArchive(files, archive, now); told && report) {
        report(*told);
    }
    LoadOrCreateArchive(list, files, archive);
}

}  // namespace ricordex
