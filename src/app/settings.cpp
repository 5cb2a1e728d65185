#include "app/settings.h"

#include <exception>

#include "core/errors.h"

namespace ricordex {

Settings DefaultSettings(const std::wstring& programFolder) {
    Settings defaults;
    defaults.suono = programFolder + L"Suoni\\1.wav";
    defaults.dati = programFolder + L"Ricordex.psc";
    defaults.avvio = 3;
    return defaults;
}

void LeggiDaRegistro(Registry& registry, const std::wstring& programFolder, Settings& settings) {
    settings = DefaultSettings(programFolder);
    std::unique_ptr<RegistryKey> key = registry.OpenOrCreate(kSettingsKey);
    std::exception_ptr firstFailure;
    auto read = [&](const char* name, auto assign) {
        try {
            if (key->ValueExists(name)) assign(name);
        } catch (const RegistryError&) {
            if (!firstFailure) firstFailure = std::current_exception();
        }
    };
    read("Suono", [&](const char* name) { settings.suono = key->ReadString(name); });
    read("Dati", [&](const char* name) { settings.dati = key->ReadString(name); });
    read("Avvio", [&](const char* name) { settings.avvio = static_cast<std::uint8_t>(key->ReadInteger(name) & 0xFF); });
    if (firstFailure) std::rethrow_exception(firstFailure);
}

void SalvaSuRegistro(Registry& registry, const Settings& settings) {
    std::unique_ptr<RegistryKey> key = registry.OpenOrCreate(kSettingsKey);
    key->WriteString("Suono", settings.suono);
    key->WriteString("Dati", settings.dati);
    key->WriteInteger("Avvio", settings.avvio);
}

namespace {

constexpr char kExaminedUpTo[] = "UltimoControllo";
constexpr char kPostponed[] = "Posticipati";
constexpr std::string_view kExaminedPattern = "dd/mm/yyyy hh.nn.ss";

// The values the program writes in plain ASCII; nothing when missing.
std::optional<std::string> ReadAscii(Registry& registry, const char* name) {
    std::unique_ptr<RegistryKey> key = registry.OpenOrCreate(kSettingsKey);
    if (!key->ValueExists(name)) return std::nullopt;
    std::string text;
    for (const wchar_t c : key->ReadString(name)) text += c < 0x80 ? static_cast<char>(c) : '?';
    return text;
}

void WriteAscii(Registry& registry, const char* name, const std::string& text) {
    registry.OpenOrCreate(kSettingsKey)->WriteString(name, std::wstring(text.begin(), text.end()));
}

}  // namespace

std::optional<DateTime> ReadExaminedUpTo(Registry& registry) {
    const std::optional<std::string> text = ReadAscii(registry, kExaminedUpTo);
    if (!text) return std::nullopt;
    // A text without its own year reads in year 1, and is not taken.
    const std::optional<DateTime> moment = TryStrToDateTime(*text, ProgramFormatSettings(), 1);
    if (!moment || *moment < CivilDate(1901, 1, 1)) return std::nullopt;
    return moment;
}

void WriteExaminedUpTo(Registry& registry, DateTime moment) {
    WriteAscii(registry, kExaminedUpTo, FormatDateTime(kExaminedPattern, moment, ProgramFormatSettings()));
}

std::string ReadPostponedAlerts(Registry& registry) { return ReadAscii(registry, kPostponed).value_or(""); }

void WritePostponedAlerts(Registry& registry, const std::string& text) { WriteAscii(registry, kPostponed, text); }

}  // namespace ricordex
