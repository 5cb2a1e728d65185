#pragma once
// The three settings under HKEY_CURRENT_USER\SOFTWARE\Ricordex.

#include <cstdint>
#include <optional>
#include <string>

#include "app/platform.h"
#include "core/date_time.h"

namespace ricordex {

inline constexpr wchar_t kSettingsKey[] = L"SOFTWARE\\Ricordex";
inline constexpr wchar_t kRunKey[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";

struct Settings {
    std::wstring suono;  // alarm sound
    std::wstring dati;   // archive file
    std::uint8_t avvio = 3;  // 1 or 3 start with Windows, 2 or 3 show the main window at start
};

// The defaults of missing values; programFolder ends with a backslash.
Settings DefaultSettings(const std::wstring& programFolder);

// Reads the three values; missing ones take their defaults, and "Avvio"
// keeps its low 8 bits. A value that cannot be read keeps its default, the
// other values are still read, and the first failure is raised at the end.
void LeggiDaRegistro(Registry& registry, const std::wstring& programFolder, Settings& settings);

// Writes "Suono" and "Dati" as strings, then "Avvio" as a 32-bit integer.
void SalvaSuRegistro(Registry& registry, const Settings& settings);

// "UltimoControllo": up to where the scheduler examined the list, a string
// "dd/mm/yyyy hh.nn.ss". Nothing when the value is missing or its text is
// not a moment; a value of another type raises "Invalid data type for '%s'".
std::optional<DateTime> ReadExaminedUpTo(Registry& registry);
void WriteExaminedUpTo(Registry& registry, DateTime moment);

// "Posticipati": the alerts put off on this PC, as text (see
// alerts/postponements.h); empty when the value is missing. A value of
// another type raises "Invalid data type for '%s'".
std::string ReadPostponedAlerts(Registry& registry);
void WritePostponedAlerts(Registry& registry, const std::string& text);

// Compared as a whole value. (The 1 in Avvio only records the autostart
// box: whether Windows starts the program is read where Windows keeps it.)
inline bool ShowMainWindowAtStart(std::uint8_t avvio) { return avvio == 2 || avvio == 3; }

}  // namespace ricordex
