#include "tests/i18n/TestSupport.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <stdexcept>

#include "tests/sms/TempDir.h"

namespace i18n::test {

namespace fs = std::filesystem;

std::vector<std::byte> ReadBytes(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        throw std::runtime_error("cannot read " + file.string());
    }
    const std::vector<char> chars((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::vector<std::byte> bytes(chars.size());
    std::transform(chars.begin(), chars.end(), bytes.begin(),
                   [](char c) { return static_cast<std::byte>(c); });
    return bytes;
}

void WriteBytes(const fs::path& file, const std::vector<std::byte>& bytes) {
    fs::create_directories(file.parent_path());
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

fs::path Fixture(const std::string& fileName) {
    return fs::path(DTUSMS_TEST_FIXTURES) / fileName;
}
fs::path TestData(const std::string& fileName) {
    return fs::path(DTUSMS_TEST_DATA) / fileName;
}

namespace {

std::uint32_t Get(const std::vector<std::byte>& bytes, std::size_t at) {
    std::uint32_t value;
    std::memcpy(&value, bytes.data() + at, 4);
    return value;
}

void Put(std::vector<std::byte>& bytes, std::size_t at, std::uint32_t value) {
    std::memcpy(bytes.data() + at, &value, 4);
}

void Swap(std::vector<std::byte>& bytes, std::size_t at) {
    std::reverse(bytes.begin() + at, bytes.begin() + at + 4);
}

}  // namespace

std::vector<std::byte> BigEndianTwin(const std::vector<std::byte>& littleEndian) {
    std::vector<std::byte> twin = littleEndian;
    const std::uint32_t n = Get(twin, 8), ids = Get(twin, 12), strs = Get(twin, 16);
    const std::uint32_t hashSize = Get(twin, 20), hash = Get(twin, 24);
    for (std::size_t at = 0; at < 28; at += 4) {
        Swap(twin, at);
    }
    for (std::size_t i = 0; i < 2 * std::size_t{n}; ++i) {
        Swap(twin, ids + 4 * i);
        Swap(twin, strs + 4 * i);
    }
    for (std::size_t i = 0; i < hashSize; ++i) {
        Swap(twin, hash + 4 * i);
    }
    return twin;
}

std::vector<std::byte> WriteCatalog(std::vector<std::pair<std::string, std::string>> entries) {
    std::sort(entries.begin(), entries.end());
    const std::size_t n = entries.size();
    const std::size_t ids = 28, strs = ids + 8 * n, strings = strs + 8 * n;
    std::vector<std::byte> bytes(strings);
    const std::uint32_t header[7] = {0x950412DE,
                                     0,
                                     static_cast<std::uint32_t>(n),
                                     static_cast<std::uint32_t>(ids),
                                     static_cast<std::uint32_t>(strs),
                                     0,
                                     static_cast<std::uint32_t>(strings)};
    std::memcpy(bytes.data(), header, sizeof header);
    const auto append = [&bytes](const std::string& text) {
        const std::size_t at = bytes.size();
        bytes.resize(at + text.size() + 1);
        std::memcpy(bytes.data() + at, text.data(), text.size());
        return static_cast<std::uint32_t>(at);
    };
    for (std::size_t i = 0; i < n; ++i) {
        Put(bytes, ids + 8 * i, static_cast<std::uint32_t>(entries[i].first.size()));
        Put(bytes, ids + 8 * i + 4, append(entries[i].first));
    }
    for (std::size_t i = 0; i < n; ++i) {
        Put(bytes, strs + 8 * i, static_cast<std::uint32_t>(entries[i].second.size()));
        Put(bytes, strs + 8 * i + 4, append(entries[i].second));
    }
    return bytes;
}

TempProgramDir::TempProgramDir() : path_(sms::testing::NewTemporaryFolder("dtusms-i18n-")) {}

TempProgramDir::~TempProgramDir() {
    std::error_code ignored;
    fs::remove_all(path_, ignored);
}

fs::path TempProgramDir::PutCatalog(const std::string& code, const fs::path& catalog) const {
    const fs::path target = path_ / "locale" / code / "LC_MESSAGES" / "default.mo";
    fs::create_directories(target.parent_path());
    fs::copy_file(catalog, target, fs::copy_options::overwrite_existing);
    return target;
}

}  // namespace i18n::test
