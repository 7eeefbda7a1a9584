#include "settings/AtomicFile.h"

namespace settings {

ReplaceResult ReplaceFileAtomically(const std::string& target, const std::string& content) {
    try {
        base::AtomicFile file(target);
        file.Write(content);
        file.Commit();
        return ReplaceResult::Replaced;
    } catch (const base::AtomicFileError& error) {
        return error.folderRefused() ? ReplaceResult::FolderRefused : ReplaceResult::Failed;
    }
}

}  // namespace settings
