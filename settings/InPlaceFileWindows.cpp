#include "settings/InPlaceFile.h"

#include <algorithm>

#include <windows.h>

#include "base/WideText.h"
#include "base/WindowsHandle.h"

namespace settings {
namespace {

constexpr std::size_t kChunk = 1u << 30;

bool WriteAllAt(HANDLE file, const std::string& bytes) {
    LARGE_INTEGER start{};
    if (!::SetFilePointerEx(file, start, nullptr, FILE_BEGIN)) {
        return false;
    }
    std::size_t done = 0;
    while (done < bytes.size()) {
        const DWORD chunk = static_cast<DWORD>(std::min(bytes.size() - done, kChunk));
        DWORD written = 0;
        if (!::WriteFile(file, bytes.data() + done, chunk, &written, nullptr) || written == 0) {
            return false;
        }
        done += written;
    }
    return true;
}

bool ReadAll(HANDLE file, std::string& bytes) {
    char chunk[16384];
    for (;;) {
        DWORD got = 0;
        if (!::ReadFile(file, chunk, sizeof chunk, &got, nullptr)) {
            return false;
        }
        if (got == 0) {
            return true;
        }
        bytes.append(chunk, got);
    }
}

// Cuts the file at `length` bytes.
bool CutAt(HANDLE file, std::size_t length) {
    LARGE_INTEGER end{};
    end.QuadPart = static_cast<LONGLONG>(length);
    return ::SetFilePointerEx(file, end, nullptr, FILE_BEGIN) && ::SetEndOfFile(file);
}

}  // namespace

bool RewriteFileInPlace(const std::string& target, const std::string& content) {
    const std::wstring wide = base::ToWide(target);
    if (wide.empty()) {
        return false;
    }
    // Readers may keep the file open; a writer elsewhere may not, as the rewrite is no atomic step.
    const base::WindowsHandle file(
        ::CreateFileW(wide.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                      FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (!file.valid() || ::GetFileType(file.get()) != FILE_TYPE_DISK) {
        return false;
    }
    BY_HANDLE_FILE_INFORMATION info{};
    if (!::GetFileInformationByHandle(file.get(), &info) ||
        (info.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) != 0) {
        return false;
    }
    std::string old;
    if (!ReadAll(file.get(), old)) {
        return false;
    }
    // As on POSIX: the new bytes are written whole before the cut, so the file is never empty, and a
    // failed write puts the old bytes back.
    if (!WriteAllAt(file.get(), content) || !CutAt(file.get(), content.size())) {
        if (WriteAllAt(file.get(), old)) {
            CutAt(file.get(), old.size());
        }
        ::FlushFileBuffers(file.get());
        return false;
    }
    return ::FlushFileBuffers(file.get()) != 0;
}

}  // namespace settings
