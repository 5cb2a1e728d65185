#include "core/archive.h"

#include <gtest/gtest.h>

#include <set>

#include "core/archive_record.h"
#include "core/errors.h"
#include "core/std_archive_files.h"
#include "support/archive_bytes.h"
#include "support/faulty_files.h"
#include "support/error_text.h"
#include "support/temp_dir.h"

namespace ricordex {
namespace {

using testing::BolloAuto;
using testing::ReadBytes;
using testing::Record;
using testing::WriteBytes;

class Archive : public ::testing::Test {
protected:
    EventList Load(const std::string& bytes) {
        WriteBytes(path_, bytes);
        EventList list;
        LoadOrCreateArchive(list, files_, path_);
        return list;
    }

    testing::TempDir dir_;
    std::filesystem::path path_ = dir_ / "Ricordex.psc";
    StdArchiveFiles files_;
};

TEST_F(Archive, TheExampleRecordLoadsWithEveryTextExact) {
    const std::string record = BolloAuto();
    ASSERT_EQ(record.size(), kRecordSize);
    // Length bytes at the documented offsets.
    EXPECT_EQ(record[0], 10);
    EXPECT_EQ(record[81], 14);
    EXPECT_EQ(record[102], 5);
    EXPECT_EQ(record[109], 5);
    EXPECT_EQ(record[120], 8);
    EXPECT_EQ(record[136], 7);
    EXPECT_EQ(record[147], 16);
    const EventList list = Load(record);
    ASSERT_EQ(list.Count(), 1u);
    EXPECT_EQ(list.At(0).Texts(),
              RowTexts({"Bollo auto", "1 giorno prima", "15/03", "08.00", "Ogni ora", "Annuale", "01/01/1900 00.01"}));
    EXPECT_EQ(list.At(0).Image(), 0);
}

TEST_F(Archive, RecordCountIsTheSizeDividedBy164RoundedDown) {
    EXPECT_EQ(Load("").Count(), 0u);
    EXPECT_EQ(Load(BolloAuto().substr(0, 163)).Count(), 0u);
    EXPECT_EQ(Load(BolloAuto()).Count(), 1u);
    EXPECT_EQ(Load(BolloAuto() + "x").Count(), 1u);
    const EventList empty = Load(Record({"", "", "", "", "", "", ""}));
    ASSERT_EQ(empty.Count(), 1u);
    EXPECT_EQ(empty.At(0).Texts(), RowTexts{});
}

TEST_F(Archive, LoadedRowsStandInDescriptionOrderWithTheirBytesUnchanged) {
    const std::string cp1252 = "\xE0ncora \xE8 caff\xE9";
    const EventList list = Load(Record({"zucca", "", "", "", "", "", ""}) + Record({cp1252, "", "", "", "", "", ""}) +
                                Record({"Bollo", "", "", "", "", "", ""}));
    ASSERT_EQ(list.Count(), 3u);
    EXPECT_EQ(list.At(0).Text(kDescrizione), "Bollo");
    EXPECT_EQ(list.At(1).Text(kDescrizione), "zucca");
    EXPECT_EQ(list.At(2).Text(kDescrizione), cp1252);
}

TEST_F(Archive, LengthByteLargerThanItsFieldReadsTheWholeFieldOnly) {
    std::string record = BolloAuto();
    record[102] = static_cast<char>(255);  // date field holds 6 bytes at most
    record[147] = static_cast<char>(200);  // the last field ends the record
    const EventList list = Load(record);
    ASSERT_EQ(list.Count(), 1u);
    EXPECT_EQ(list.At(0).Text(kData), std::string("15/03") + "#");
    EXPECT_EQ(list.At(0).Text(kUltimoAvviso), "01/01/1900 00.01");
    EXPECT_EQ(list.At(0).Text(kOra), "08.00");
}

TEST_F(Archive, SaveWritesListOrderAndKeepsTheFirst80BytesOfADescription) {
    EventList list;
    const std::string longDescription(100, 'd');
    list.AggiungiRiga({longDescription, "Da adesso", "31/12", "23.00", "Ogni giorno", "Nessuna", "06/12/2026 12.30"}, 0);
    list.AggiungiRiga({"Bollo auto", "1 giorno prima", "15/03", "08.00", "Ogni ora", "Annuale", "01/01/1900 00.01"}, 0);
    list.SortBy(2);  // by date: 15/03 first, then 31/12
    ScriviRecord(list, files_, path_);
    const std::string bytes = ReadBytes(path_);
    ASSERT_EQ(bytes.size(), 2 * kRecordSize);
    EXPECT_EQ(bytes.substr(0, 1 + 10), std::string("\x0A") + "Bollo auto");
    EXPECT_EQ(static_cast<unsigned char>(bytes[kRecordSize]), 80);
    EXPECT_EQ(bytes.substr(kRecordSize + 1, 80), std::string(80, 'd'));
    EXPECT_EQ(bytes[kRecordSize + 81], 9);  // "Da adesso" starts right after

    const EventList back = Load(bytes);
    ASSERT_EQ(back.Count(), 2u);
    EXPECT_EQ(back.At(0).Texts(), list.At(0).Texts());
    RowTexts truncated = list.At(1).Texts();
    truncated[kDescrizione].resize(80);
    EXPECT_EQ(back.At(1).Texts(), truncated);
}

TEST_F(Archive, SavingAnEmptyListLeavesAnEmptyFile) {
    WriteBytes(path_, BolloAuto());
    ScriviRecord(EventList{}, files_, path_);
    EXPECT_EQ(ReadBytes(path_), "");
}

TEST_F(Archive, MissingArchiveIsCreatedEmptyAndAMissingFolderIsReported) {
    EventList list;
    LoadOrCreateArchive(list, files_, path_);
    EXPECT_TRUE(std::filesystem::exists(path_));
    EXPECT_EQ(list.Count(), 0u);
    const std::string error = testing::ErrorText<InOutError>([&] {
        LoadOrCreateArchive(list, files_, dir_ / "no-such-folder" / "Ricordex.psc");
    });
    EXPECT_EQ(error, "File not found");
}

TEST_F(Archive, AFailedSaveLeavesThePreviousArchiveByteForByte) {
    const std::string before = BolloAuto() + Record({"altro", "", "", "", "", "", ""});
    WriteBytes(path_, before);
    EventList list;
    // Written in four blocks.
    for (std::size_t i = 0; i < 3 * kRecordsPerBlock + 1; ++i) {
        list.AppendUnordered({"evento", "", "", "", "", "", ""}, 0);
    }
    for (testing::SaveStep step : {testing::SaveStep::Create, testing::SaveStep::Write, testing::SaveStep::Commit}) {
        for (int failingWrite : {1, 3, 4}) {  // the first, one between, the last
            testing::FaultyFiles faulty(files_, step, InOutError::kDiskFull, failingWrite);
            EXPECT_EQ(testing::ErrorText<InOutError>([&] { ScriviRecord(list, faulty, path_); }), "Disk full");
            EXPECT_EQ(ReadBytes(path_), before);
            // No half-written file is left beside the archive.
            EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir_.path()), {}), 1);
        }
    }
}

TEST_F(Archive, ErrorsNameTheFailureAndTheBoxEndsThemAsSentences) {
    std::set<std::string> texts;
    for (int code : {2, 3, 4, 5, 100, 101}) texts.insert(InOutError(code).what());
    EXPECT_EQ(texts.size(), 6u) << "two failures told alike";
    EXPECT_STREQ(InOutError(32).what(), "I/O error 32");  // one without a name of its own gives its number
    // A read past the end of a real file says so.
    const std::filesystem::path shortFile = dir_ / "corto.psc";
    WriteBytes(shortFile, BolloAuto());
    StdArchiveFiles files;
    char record[2 * kRecordSize];
    const std::unique_ptr<InputFile> input = files.OpenExisting(shortFile);
    EXPECT_EQ(testing::ErrorText<InOutError>([&] { input->Read(record, sizeof record); }), "Read beyond end of file");
    // A full stop is added after a letter, a digit or a quote, never after
    // a full stop or a sign below it.
    for (int c = 0x21; c <= 0xFF; ++c) {
        const std::string text = std::string("x") + static_cast<char>(c);
        EXPECT_EQ(ErrorBoxText(text), c > '.' ? text + "." : text) << c;
    }
}

// Paths in messages: as the user writes them, in code page 1252.
TEST_F(Archive, APathIsToldAsTheUserWritesIt) {
    EXPECT_EQ(PathText(L"\\\\?\\C:\\Dati\\Ricordex.psc"), "C:\\Dati\\Ricordex.psc");
    EXPECT_EQ(PathText(L"\\\\?\\UNC\\server\\dati\\Ricordex.psc"), "\\\\server\\dati\\Ricordex.psc");
#ifdef _WIN32  // the native tests' C locale cannot name such a file
    EXPECT_EQ(PathText(L"C:\\Citt\u00E0\\\u20AC\u0416.psc"), "C:\\Citt\xE0\\\x80?.psc");
#endif
}

}  // namespace
}  // namespace ricordex
