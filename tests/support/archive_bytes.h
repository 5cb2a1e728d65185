#pragma once
// Archive records written by hand, field by field, for the tests.

#include <array>
#include <string>

namespace ricordex::testing {

// One 164-byte record; spare bytes hold `filler` so that readers are seen
// not to look at them.
inline std::string Record(const std::array<std::string, 7>& texts, char filler = '#') {
    static constexpr std::array<std::size_t, 7> kCapacity = {80, 20, 6, 10, 15, 10, 16};
    std::string out;
    for (std::size_t i = 0; i < texts.size(); ++i) {
        std::string field(kCapacity[i] + 1, filler);
        field[0] = static_cast<char>(texts[i].size());
        field.replace(1, texts[i].size(), texts[i]);
        out += field;
    }
    return out;
}

inline std::string BolloAuto() {
    return Record({"Bollo auto", "1 giorno prima", "15/03", "08.00", "Ogni ora", "Annuale", "01/01/1900 00.01"});
}

}  // namespace ricordex::testing
