#pragma once

// Shared pieces of the fleet tests: fixture files, a temporary folder, and records as one string.

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <system_error>
#include <vector>

#include "fleet/TextEncoding.h"
#include "tests/sms/TempDir.h"

namespace fleettest {

inline std::string FixturePath(const std::string& name) {
    return std::string(DTUSMS_FLEET_TEST_DATA) + "/" + name;
}

inline std::string ReadBytes(const std::string& path) {
    std::ifstream in(base::Utf8Path(path), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteBytes(const std::string& path, const std::string& bytes) {
    std::ofstream(base::Utf8Path(path), std::ios::binary) << bytes;
}

// Whether this system converts GB18030 at all. The Windows build uses Windows' own converter (code page
// 54936), which Wine 8 lacks; a test that needs it is skipped there, saying so (kNoGb18030).
inline bool Gb18030Available() {
#ifdef _WIN32
    try {
        return fleet::Gb18030ToUtf8("\xB1\xB1").has_value();
    } catch (const fleet::EncodingUnavailable&) {
        return false;
    }
#else
    return true;
#endif
}
inline constexpr const char* kNoGb18030 =
    "this system has no GB18030 converter (Wine 8 lacks code page 54936)";

// Records shown as one string ("a|b / c|d"), so that a failed comparison prints both sides whole.
inline std::string Join(const std::vector<std::vector<std::string>>& records) {
    std::string out;
    for (const auto& record : records) {
        if (!out.empty()) {
            out += " / ";
        }
        for (std::size_t i = 0; i < record.size(); ++i) {
            out += (i > 0 ? "|" : "") + record[i];
        }
    }
    return out;
}

class TempFolder {
public:
    TempFolder() : path_(sms::testing::NewTemporaryFolder("dtusms-fleet-")) {}
    ~TempFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    std::string File(const std::string& name) const { return sms::testing::Utf8Join(path_, name); }
    const std::filesystem::path& path() const { return path_; }

    std::vector<std::string> Entries() const {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(path_)) {
            names.push_back(entry.path().filename().string());
        }
        return names;
    }

private:
    std::filesystem::path path_;
};

}  // namespace fleettest
