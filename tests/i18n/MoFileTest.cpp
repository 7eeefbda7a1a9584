#include "i18n/MoFile.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>
#ifdef _WIN32
#include <process.h>
#endif

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "i18n/Errors.h"
#include "i18n/MoSearch.h"
#include "tests/i18n/TestSupport.h"

namespace i18n {
namespace {

namespace fs = std::filesystem;
using test::BigEndianTwin;
using test::Fixture;
using test::ReadBytes;
using test::TestData;

// The identifier table of a little-endian catalog, entry i at index i - 1.
std::vector<std::string> Identifiers(const std::string& file) {
    const std::vector<std::byte> bytes = ReadBytes(file);
    const auto word = [&bytes](std::size_t at) {
        std::uint32_t value = 0;
        std::memcpy(&value, bytes.data() + at, sizeof value);
        return value;
    };
    std::vector<std::string> ids;
    for (std::uint32_t i = 0; i < word(8); ++i) {
        const std::size_t entry = word(12) + 8 * std::size_t{i};
        ids.emplace_back(reinterpret_cast<const char*>(bytes.data()) + word(entry + 4), word(entry));
    }
    return ids;
}

// The entries that the catalog search compares `msgid` with, in order, and the entry it finds (0: none).
std::pair<std::vector<std::uint32_t>, std::uint32_t> Probes(const std::vector<std::string>& ids,
                                                            std::string_view msgid) {
    std::vector<std::uint32_t> probes;
    const std::uint32_t found = SearchIdentifiers(
        msgid, static_cast<std::uint32_t>(ids.size()),
        [&ids](std::uint32_t i) { return std::string_view(ids[i - 1]); },
        [&probes](std::uint32_t i) { probes.push_back(i); });
    return {probes, found};
}

TEST(MoFileTest, BigEndianTwinTranslatesLikeTheLittleEndianCatalog) {
    const std::vector<std::byte> little = ReadBytes(Fixture("zh_CN-60.mo"));
    const std::vector<std::byte> big = BigEndianTwin(little);
    ASSERT_EQ(std::byte{0x95}, big[0]);
    const TMoFile littleCatalog(little, "zh_CN.mo");
    const TMoFile bigCatalog(big, "zh_CN-big.mo");
    EXPECT_FALSE(littleCatalog.SwapBytes());
    EXPECT_TRUE(bigCatalog.SwapBytes());
    EXPECT_EQ(60u, bigCatalog.EntryCount());
    for (const char* msgid :
         {"", "Prompt", "Static IP", " Language", "With IP =%s, port =%d of server connection is failed!",
          "Vietnamese", "Arabic", "Not in the catalog", "Zzz"}) {
        const TMoFile::LookupResult expected = littleCatalog.Lookup(msgid);
        const TMoFile::LookupResult actual = bigCatalog.Lookup(msgid);
        EXPECT_EQ(expected.Text, actual.Text) << msgid;
        EXPECT_EQ(expected.Found, actual.Found) << msgid;
    }
    EXPECT_EQ("提示", bigCatalog.Lookup("Prompt").Text);
}

TEST(MoFileTest, FirstProbeAndStepFollowTheEntryCount) {
    struct Row {
        std::string file;
        std::uint32_t entries, firstProbe;
        std::int32_t firstStep;
        std::vector<std::uint32_t> probesForPort;
    };
    const std::vector<Row> rows = {
        {TestData("n0.mo").string(), 0, 0, 0, {}},
        {Fixture("n1.mo").string(), 1, 1, 0, {1}},
        {Fixture("n2.mo").string(), 2, 2, 1, {2, 1}},
        // "Port" is entry 36 of 60 (the header is entry 1): 32 ("Network configuration"), 48, 40, 36.
        {Fixture("zh_CN-60.mo").string(), 60, 32, 16, {32, 48, 40, 36}},
    };
    for (const Row& row : rows) {
        const TMoFile catalog(row.file, 0, 0);
        EXPECT_EQ(row.entries, catalog.EntryCount()) << row.file;
        EXPECT_EQ(row.firstProbe, catalog.FirstProbe()) << row.file;
        EXPECT_EQ(row.firstStep, catalog.FirstStep()) << row.file;
        const auto [probes, found] = Probes(Identifiers(row.file), "Port");
        EXPECT_EQ(row.probesForPort, probes) << row.file;
        EXPECT_EQ(row.probesForPort.empty() ? 0 : row.probesForPort.back(), found) << row.file;
        EXPECT_EQ(found != 0, catalog.Lookup("Port").Found) << row.file;
    }
}

TEST(MoFileTest, SmallCatalogsFromDiskAnswerEveryKeyAndOnlyThose) {
    struct Row {
        std::string file;
        std::vector<std::pair<std::string, std::string>> present;
    };
    const std::vector<Row> rows = {
        {TestData("n0.mo").string(), {}},
        {Fixture("n1.mo").string(), {{"Port", "Anschluss"}}},
        {Fixture("n2.mo").string(), {{"Port", "Anschluss"}, {"Prompt", "Hinweis"}}},
    };
    for (const Row& row : rows) {
        const TMoFile catalog(row.file, 0, 0);
        for (const auto& [msgid, translation] : row.present) {
            const TMoFile::LookupResult result = catalog.Lookup(msgid);
            EXPECT_TRUE(result.Found) << msgid;
            EXPECT_EQ(translation, result.Text) << msgid;
        }
        for (const char* absent : {"", "A", "Por", "Porta", "Prompts", "Q", "\xff"}) {
            const TMoFile::LookupResult result = catalog.Lookup(absent);
            EXPECT_FALSE(result.Found) << row.file << " " << absent;
            EXPECT_EQ(absent, result.Text);
        }
    }
}

// Every key of catalogs of 1 to 130 entries is found, and no key before, between or after them is, so
// the search reaches every index whatever the table size.
TEST(MoFileTest, BinarySearchFindsEveryEntryForEveryTableSize) {
    for (std::size_t n = 1; n <= 130; ++n) {
        std::vector<std::pair<std::string, std::string>> entries;
        for (std::size_t i = 0; i < n; ++i) {
            const std::string key = "k" + std::string(3 - std::to_string(i).size(), '0') + std::to_string(i);
            entries.emplace_back(key, "v" + std::to_string(i));
        }
        const TMoFile catalog(test::WriteCatalog(entries), "generated.mo");
        std::vector<std::string> keys;
        for (const auto& entry : entries) {
            keys.push_back(entry.first);
        }
        for (std::size_t i = 0; i < n; ++i) {
            const TMoFile::LookupResult hit = catalog.Lookup(entries[i].first);
            ASSERT_TRUE(hit.Found) << "n=" << n << " key " << entries[i].first;
            ASSERT_EQ(entries[i].second, hit.Text);
            ASSERT_FALSE(catalog.Lookup(entries[i].first + "+").Found) << "n=" << n;
        }
        ASSERT_FALSE(catalog.Lookup("a").Found) << "n=" << n;
        ASSERT_FALSE(catalog.Lookup("z").Found) << "n=" << n;
        // At most floor(log2 n) + 1 comparisons.
        std::size_t bound = 1;
        for (std::size_t m = n; m > 1; m /= 2) {
            ++bound;
        }
        ASSERT_LE(Probes(keys, "k0500").first.size(), bound) << "n=" << n;
        ASSERT_LE(Probes(keys, keys.back()).first.size(), bound) << "n=" << n;
    }
}

TEST(MoFileTest, UnsignedByteOrderDecidesAndTheShorterStringComesFirst) {
    const TMoFile catalog(
        test::WriteCatalog({{"a", "1"}, {"ab", "2"}, {"b", "3"}, {"\xc3\xa9", "4"}, {"\x7f", "5"}}),
        "order.mo");
    EXPECT_EQ("2", catalog.Lookup("ab").Text);
    EXPECT_EQ("4", catalog.Lookup("\xc3\xa9").Text);
    EXPECT_EQ("5", catalog.Lookup("\x7f").Text);
    EXPECT_FALSE(catalog.Lookup("\xc3").Found);
}

// Only regular files of a sane size are read: a FIFO at a catalog path (on Windows, a device) must
// not block the window waiting for a writer, and a huge file must not be read into memory.
TEST(MoFileTest, PathsThatAreNoCatalogFileAreRefusedAtOnce) {
    const fs::path dir = fs::temp_directory_path() / ("dtusms-mofile-" + std::to_string(::getpid()));
    fs::create_directories(dir);
#ifdef _WIN32
    const std::string fifo = "NUL";
#else
    const std::string fifo = (dir / "fifo.mo").string();
    ASSERT_EQ(0, ::mkfifo(fifo.c_str(), 0600));
#endif
    const std::string huge = (dir / "huge.mo").string();
    std::ofstream(huge, std::ios::binary).put('\0');
    fs::resize_file(huge, TMoFile::kMaxFileSize + 1);

    struct Row {
        std::string path;
        std::string message;
    };
    const Row rows[] = {
        {fifo, "Cannot open file " + fifo},
        {dir.string(), "Cannot open file " + dir.string()},
        {huge, "Cannot create memory map on file " + huge},
    };
    for (const Row& row : rows) {
        try {
            TMoFile catalog(row.path, 0, 0);
            ADD_FAILURE() << row.path << " was accepted";
        } catch (const EGGIOError& error) {
            EXPECT_EQ(row.message, error.what());
        }
    }
    fs::remove_all(dir);
}

TEST(MoFileTest, BrokenCatalogsAreRefusedAtLoadWithAClearMessage) {
    struct Row {
        std::string fixture;
        std::string messageStart;
    };
    const std::string invalid = "This file is not a valid GNU gettext mo file: ";
    const std::vector<Row> rows = {
        {"empty.mo", invalid},
        {"truncated-header.mo", invalid},
        {"bad-magic.mo", invalid},
        {"table-past-end.mo", invalid},
        {"table-offset-overflow.mo", invalid},
        {"offset-past-end.mo", invalid},
        {"length-overflow.mo", invalid},
        {"translation-past-end.mo", invalid},
        {"missing-final-nul.mo", invalid},
        {"no-such-file.mo", "Cannot open file "},
        {"", "Cannot open file "},
    };
    for (const Row& row : rows) {
        const std::string path = TestData(row.fixture).string();
        try {
            TMoFile catalog(path, 0, 0);
            ADD_FAILURE() << row.fixture << " was accepted";
        } catch (const EGGIOError& error) {
            EXPECT_EQ(row.messageStart + path, error.what());
        }
        if (row.fixture.empty() || row.fixture == "no-such-file.mo") {
            continue;
        }
        // The same bytes held by the program are refused in the same way.
        EXPECT_THROW(TMoFile(ReadBytes(path), "program"), EGGIOError) << row.fixture;
    }
}

TEST(MoFileTest, RangeOutsideTheFileIsRefused) {
    const std::string path = Fixture("n2.mo").string();
    const auto size = static_cast<std::int64_t>(std::filesystem::file_size(path));
    EXPECT_THROW(TMoFile(path, size + 1, 0), EGGIOError);
    EXPECT_THROW(TMoFile(path, 0, size + 1), EGGIOError);
    EXPECT_THROW(TMoFile(path, -1, 0), EGGIOError);
    EXPECT_EQ("Hinweis", TMoFile(path, 0, size).Lookup("Prompt").Text);
}

TEST(MoFileTest, DiskCatalogTruncatedWhileInUseStillAnswers) {
    // A translator recompiling a catalog rewrites the file in place; the loaded catalog must not
    // depend on the file's bytes after loading.
    test::TempProgramDir dir;
    const std::filesystem::path path = dir.Path() / "in-use.mo";
    std::filesystem::copy_file(Fixture("n2.mo"), path);
    TMoFile catalog(path.string(), 0, 0);
    std::filesystem::resize_file(path, 0);
    EXPECT_EQ("Hinweis", catalog.Lookup("Prompt").Text);
    EXPECT_FALSE(catalog.Lookup("Absent").Found);
}

}  // namespace
}  // namespace i18n
