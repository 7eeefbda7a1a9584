#pragma once

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>
#include <string>

#include "base/Utf8Path.h"

namespace sms::testing {

// `path` (a folder) and `name` (UTF-8) joined, in UTF-8. On Windows a std::filesystem::path takes a
// plain string in the ANSI code page but gives one back in UTF-8, so names outside ASCII must come in
// as UTF-8 explicitly.
inline std::string Utf8Join(const std::filesystem::path& path, const std::string& name) {
    const std::u8string joined = (path / base::Utf8Path(name)).u8string();
    return std::string(joined.begin(), joined.end());
}

// A new folder "<prefix><six random letters>" under the system's temporary folder, made by this call
// (never one that existed), as mkdtemp makes it on POSIX; Windows has no mkdtemp.
inline std::filesystem::path NewTemporaryFolder(const std::string& prefix) {
    static std::mt19937 random{std::random_device{}()};
    const std::filesystem::path base = std::filesystem::temp_directory_path();
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string name = prefix;
        for (int i = 0; i < 6; ++i) {
            name += static_cast<char>('a' + random() % 26);
        }
        if (std::filesystem::create_directory(base / name)) {
            return base / name;
        }
    }
    throw std::runtime_error("no temporary folder could be made");
}

// A fresh folder under the system's temporary folder, removed with everything in it.
class TempDir {
public:
    TempDir() : path_(NewTemporaryFolder("dtusms-test-")) {}
    ~TempDir() {
        std::error_code ignored;
        std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ignored);
        std::filesystem::remove_all(path_, ignored);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    std::string File(const std::string& name) const { return Utf8Join(path_, name); }
    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

inline std::string ReadBytes(const std::string& path) {
    std::ifstream in(base::Utf8Path(path), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteBytes(const std::string& path, const std::string& bytes) {
    std::ofstream(base::Utf8Path(path), std::ios::binary | std::ios::trunc) << bytes;
}

#ifdef DTUSMS_SMS_TEST_DATA
inline std::string Fixture(const std::string& name) {
    return ReadBytes(std::string(DTUSMS_SMS_TEST_DATA) + "/" + name);
}
#endif

}  // namespace sms::testing
