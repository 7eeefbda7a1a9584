#pragma once

// Shared pieces of the fleet tests: fixture files, a temporary folder, and records as one string.

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <system_error>
#include <vector>

#include <stdlib.h>

namespace fleettest {

inline std::string FixturePath(const std::string& name) {
    return std::string(DTUSMS_FLEET_TEST_DATA) + "/" + name;
}

inline std::string ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteBytes(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

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
    TempFolder() {
        std::string pattern = (std::filesystem::temp_directory_path() / "dtusms-fleet-XXXXXX").string();
        path_ = ::mkdtemp(pattern.data());
    }
    ~TempFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    std::string File(const std::string& name) const { return (path_ / name).string(); }
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
