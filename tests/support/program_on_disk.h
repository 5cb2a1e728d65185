#pragma once
// The program's state and services as the decisions see them: fakes for the
// registry, the clock and the questions, real files in a folder of the
// test's own.

#include <filesystem>

#include "app/program_state.h"
#include "core/std_archive_files.h"
#include "support/fakes.h"
#include "support/temp_dir.h"

namespace ricordex::testing {

class ProgramOnDisk {
protected:
    TempDir dir_;
    std::filesystem::path archive_ = dir_ / "Ricordex.psc";
    FakeRegistry registry_;
    StdArchiveFiles files_;
    FakeClock clock_;
    FakeQuestions questions_;
    Services services_{registry_, files_, clock_, questions_, L"C:\\Ricordex\\"};
    ProgramState state_;
};

}  // namespace ricordex::testing
