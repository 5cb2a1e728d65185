// Sorting a list of 100,000 events by each column, in the Windows build, as
// the main window does on a header click. Run under Wine:
//   tools/wine-run.sh build/windows/bench/list_sort_wine.exe

#include <chrono>
#include <cstdio>
#include <random>

#include "core/event_list.h"

int main() {
    using namespace ricordex;
    const char* leads[] = {"10 minuti prima", "1 giorno prima", "2 settimane prima", "Da adesso"};
    const char* frequencies[] = {"Avvio Computer", "Ogni ora", "Ogni giorno", "Ogni mese"};
    std::mt19937 random(7);
    EventList list;
    for (int i = 0; i < 100'000; ++i) {
        char description[40], date[8], time[8];
        std::snprintf(description, sizeof description, "Evento %u di prova", static_cast<unsigned>(random() % 1000000));
        std::snprintf(date, sizeof date, "%02u/%02u", 1 + static_cast<unsigned>(random() % 28),
                      1 + static_cast<unsigned>(random() % 12));
        std::snprintf(time, sizeof time, "%02u.%02u", static_cast<unsigned>(random() % 24),
                      static_cast<unsigned>(random() % 60));
        list.AppendUnordered({description, leads[random() % 4], date, time, frequencies[random() % 4],
                              random() % 2 ? "Annuale" : "Nessuna", "06/12/2026 12.30"},
                             0);
    }
    list.SortRows();
    const char* names[] = {"Descrizione", "Inizio Avvisi", "Data Evento", "Ora", "Frequenza Avvisi", "Ricorrenza"};
    for (int column = 0; column < 6; ++column) {
        const auto start = std::chrono::steady_clock::now();
        list.SortBy(column);
        const auto ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
        std::printf("sort 100,000 rows by %-17s %7.1f ms\n", names[column], ms);
    }
    return 0;
}
