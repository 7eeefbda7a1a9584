#include "sms/AtomicFile.h"

#include <algorithm>

#include <windows.h>

#include "base/WideText.h"
#include "base/WindowsFiles.h"
#include "base/WindowsHandle.h"

namespace sms {
namespace {

bool WriteAll(HANDLE file, const std::string& content) {
    std::size_t done = 0;
    while (done < content.size()) {
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(content.size() - done, 1u << 30));
        DWORD written = 0;
        if (!::WriteFile(file, content.data() + done, chunk, &written, nullptr) || written == 0) {
            return false;
        }
        done += written;
    }
    return true;
}

}  // namespace

std::optional<std::string> FollowSymlinks(const std::string& path) {
    return base::FollowLinks(path);
}

ReplaceResult ReplaceFileAtomically(const std::string& target, const std::string& content) {
    const std::wstring wideTarget = base::ToWide(target);
    if (wideTarget.empty()) {
        return ReplaceResult::Failed;
    }
    base::RemoveStrayTemporaries(target);

    std::wstring temporary;
    base::WindowsHandle file(base::CreateTemporaryBeside(target, temporary));
    if (!file.valid()) {
        // A folder closed to this user; a write-protected medium refuses the file's own writes too.
        return ::GetLastError() == ERROR_ACCESS_DENIED ? ReplaceResult::FolderRefused : ReplaceResult::Failed;
    }
    // The data must be on the disk before the new name points at it, or a power cut could leave the
    // settings file empty.
    bool ok = WriteAll(file.get(), content) && ::FlushFileBuffers(file.get());
    ok = file.Close() && ok;
    ok = ok && base::PutInPlace(temporary, wideTarget) == 0;
    if (!ok) {
        ::DeleteFileW(temporary.c_str());
        return ReplaceResult::Failed;
    }
    return ReplaceResult::Replaced;
}

}  // namespace sms
