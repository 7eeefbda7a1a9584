#pragma once

// Shared pieces of the fault tests: a temporary folder that is removed with everything in it.

#include <filesystem>
#include <string>
#include <system_error>

#include "tests/sms/TempDir.h"

namespace faults {

class TempFolder {
public:
    TempFolder() : path_(sms::testing::NewTemporaryFolder("dtusms-faults-")) {}
    ~TempFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    std::string File(const std::string& name) const { return sms::testing::Utf8Join(path_, name); }
    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

}  // namespace faults
