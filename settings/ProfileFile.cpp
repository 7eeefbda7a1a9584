#include "settings/ProfileFile.h"

#include <utility>

#include "base/WholeFile.h"
#include "settings/AtomicFile.h"
#include "settings/InPlaceFile.h"
#include "settings/ProfileText.h"
#include "settings/WriteTarget.h"
#include "sms/BuiltInTexts.h"

namespace settings {

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
    const auto refuse = [this] { return ProfileWriteError(sms::UnableToWriteText(path_), path_); };
    const std::optional<std::string> target = path_.empty() ? std::nullopt : FollowSymlinks(path_);
    if (!target) {
        throw refuse();
    }
    std::string old;
    const WriteTarget state = CheckWriteTarget(*target);
    if (state == WriteTarget::Refused) {
        throw refuse();
    }
    const bool exists = state == WriteTarget::Writable;
    if (exists) {
        // A file that exists but cannot be read must not be replaced by one key.
        base::WholeFile content = base::ReadWholeFile(*target);
        if (!content.ok()) {
            throw refuse();
        }
        old = std::move(content.bytes);
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

}  // namespace settings
