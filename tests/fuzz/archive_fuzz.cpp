// Any bytes as an archive: loading never reads outside a record, never
// fails, and what was loaded saves and loads back to the same texts.

#include <cstdint>
#include <cstdlib>

#include "core/archive.h"
#include "fuzz/memory_files.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace ricordex;
    fuzzing::MemoryFiles files;
    files.files["a.psc"] = std::string(reinterpret_cast<const char*>(data), size);
    EventList loaded;
    LoadOrCreateArchive(loaded, files, "a.psc");
    if (loaded.Count() != size / 164) std::abort();
    ScriviRecord(loaded, files, "b.psc");
    if (files.files["b.psc"].size() != loaded.Count() * 164) std::abort();
    EventList again;
    LoadOrCreateArchive(again, files, "b.psc");
    for (std::size_t i = 0; i < loaded.Count(); ++i) {
        if (again.At(i).Texts() != loaded.At(i).Texts()) std::abort();
    }
    return 0;
}
