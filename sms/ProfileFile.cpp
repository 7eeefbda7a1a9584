#include "sms/ProfileFile.h"

#include <cerrno>
#include <utility>

#include <sys/stat.h>
#include <unistd.h>

#include "base/WholeFile.h"
#include "sms/AtomicFile.h"
#include "sms/BuiltInTexts.h"
#include "sms/InPlaceFile.h"
#include "sms/ProfileText.h"

namespace sms {

std::string ProfileFile::ReadString(std::string_view section, std::string_view key,
                                    std::string_view defaultValue) const {
    // An unreadable file reads as an empty one.
    if (std::optional<std::string> value =
            ProfileText(base::ReadWholeFile(path_).bytes).ReadText(section, key)) {
        return std::move(*value);
    }
    // The Windows reader drops spaces at the end of the default as it drops blanks after a value.
    const std::size_t last = defaultValue.find_last_not_of(' ');
    return CapProfileValue(defaultValue.substr(0, last == std::string_view::npos ? 0 : last + 1));
}

int ProfileFile::ReadInteger(std::string_view section, std::string_view key, int defaultValue) const {
    return ProfileText(base::ReadWholeFile(path_).bytes).ReadInteger(section, key, defaultValue);
}

void ProfileFile::WriteString(std::string_view section, std::string_view key, std::string_view value) const {
    const auto refuse = [this] { return ProfileWriteError(UnableToWriteText(path_), path_); };
    const std::optional<std::string> target = path_.empty() ? std::nullopt : FollowSymlinks(path_);
    if (!target) {
        throw refuse();
    }
    std::string old;
    struct stat info {};
    const bool exists = ::stat(target->c_str(), &info) == 0;
    if (exists) {
        // rename() would replace a read-only file without asking, so the file's own permission is
        // checked first; a file that nobody may write is read-only for root as well. A file that
        // exists but cannot be read must not be replaced by one key.
        if (!S_ISREG(info.st_mode) || ::access(target->c_str(), W_OK) != 0 || (info.st_mode & 0222) == 0) {
            throw refuse();
        }
        base::WholeFile content = base::ReadWholeFile(*target);
        if (!content.ok()) {
            throw refuse();
        }
        old = std::move(content.bytes);
    } else if (errno != ENOENT) {
        throw refuse();
    }
    const std::string updated = ProfileText(std::move(old)).WithValue(section, key, value);
    switch (ReplaceFileAtomically(*target, updated)) {
        case ReplaceResult::Replaced:
            return;
        case ReplaceResult::FolderRefused:
            // The file itself was found writable above; only its folder stands in the way of the
            // replacement, so the file is rewritten where it stands.
            if (exists && RewriteFileInPlace(*target, updated)) {
                return;
            }
            break;
        case ReplaceResult::Failed:
            break;
    }
    throw refuse();
}

void ProfileFile::WriteInteger(std::string_view section, std::string_view key, int value) const {
    WriteString(section, key, std::to_string(value));
}

}  // namespace sms
