#pragma once
// The options dialog's decisions: what it shows when opened, the choice of
// an archive folder, and what "Conferma" applies.

#include <functional>
#include <string>

#include "app/program_state.h"
#include "core/paths.h"

namespace ricordex {

inline constexpr wchar_t kArchiveName[] = L"Ricordex.psc";

struct OptionsView {
    std::wstring suono;     // ESuono
    std::wstring cartella;  // ESalva: the archive's folder, with its separator
    bool autostart = false;    // CBEsecuzioneA
    bool showAtStart = false;  // CBAvvioMax
};

// Task Manager's start-up list: a binary value named like the Run value,
// whose first byte is odd while the user has the start disabled there.
inline constexpr wchar_t kStartupApprovedKey[] =
    L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\StartupApproved\\Run";
inline constexpr char kAutostartValue[] = "Ricordex";

// Whether Windows starts a program at log-on: the Run value names a file
// that exists, and Task Manager's start-up list does not have it disabled.
bool AutostartWorks(Registry& registry, ArchiveFiles& files);

// Opening: keeps a copy of Dati for "Annulla" and shows the settings. The
// autostart box shows whether Windows starts the program (AutostartWorks),
// the other box what Avvio says. While a folder switch is pending (the
// dialog opened again before "Conferma"), ESalva shows the pending folder:
// the one "Conferma" will switch to.
OptionsView OpenOptions(const Settings& settings, Services& services, std::wstring& percorsoDatiPrecedente,
                        const std::wstring& nuovoPercorsoDati = {});

// "Seleziona Cartella" after the browser answered `folder` (with one "\"
// added, or empty when cancelled). Asks before taking a folder that holds an
// archive; returns the new pending archive path, or empty when nothing
// changes.
std::wstring ChooseArchiveFolder(const std::wstring& folder, ArchiveFiles& files, Questions& questions);

struct OptionsChoices {
    std::wstring suono;  // ESuono
    bool autostart = false;
    bool showAtStart = false;
    std::wstring nuovoPercorsoDati;  // empty when no folder was chosen
};

// The value Windows starts at log-on: the program's path, quoted when it
// holds a blank so that no other program can be started in its place.
std::wstring AutostartCommand(const std::wstring& programPath);

// "Conferma", steps 1 to 4: the autostart (ticked: a Run value that starts
// nothing is replaced, an existing one kept, and a start disabled in Task
// Manager enabled again; unticked: the Run value deleted), the archive switch (save
// the list to the current archive, then load the other; to a folder without
// an archive, write the list there), the sound, the start flags. A failure
// is raised and leaves the later steps undone; Avvio
// is then as it was.
void ConfirmOptions(ProgramState& state, Services& services, const std::wstring& programPath,
                    const OptionsChoices& choices);

// The options dialog from its opening to "Conferma" or "Annulla": the copy
// of Dati kept for "Annulla" and the archive folder chosen but not yet
// confirmed.
class OptionsSession {
public:
    // Opening; a dialog opened afresh (not already on screen) forgets the
    // folder chosen last time.
    OptionsView Open(const Settings& settings, Services& services, bool afresh);
    // "Seleziona Cartella" after the browser answered: true when the folder
    // is taken for "Conferma".
    bool TakeFolder(const std::wstring& folder, ArchiveFiles& files, Questions& questions);
    const std::wstring& NuovoPercorsoDati() const { return nuovoPercorsoDati_; }
    // "Conferma" with what the dialog's boxes hold.
    void Confirm(ProgramState& state, Services& services, const std::wstring& programPath,
                 OptionsChoices choices) const;
    // "Annulla": Dati as it was when the dialog opened.
    void Cancel(Settings& settings) const { settings.dati = percorsoDatiPrecedente_; }

private:
    std::wstring percorsoDatiPrecedente_;
    std::wstring nuovoPercorsoDati_;
};

}  // namespace ricordex
