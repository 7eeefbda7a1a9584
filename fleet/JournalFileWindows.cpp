#include "fleet/JournalFile.h"

#include <windows.h>

#include "base/WideText.h"
#include "base/WindowsFiles.h"
#include "fleet/OutputFile.h"

// The Windows build of JournalFile: a handle opened for writing at the end, flushed with
// FlushFileBuffers after each append.

namespace fleet {
namespace {

[[noreturn]] void Fail(const std::string& path, DWORD error) {
    throw OutputError(path, base::SystemErrorText(error));
}

}  // namespace

JournalFile::JournalFile(const std::string& path, std::size_t keepBytes) : path_(path) {
    const HANDLE file = ::CreateFileW(base::ToWide(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                      OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        Fail(path_, ::GetLastError());
    }
    LARGE_INTEGER keep{};
    keep.QuadPart = static_cast<LONGLONG>(keepBytes);
    if (::GetFileType(file) != FILE_TYPE_DISK || !::SetFilePointerEx(file, keep, nullptr, FILE_BEGIN) ||
        !::SetEndOfFile(file) || !::FlushFileBuffers(file)) {
        const DWORD error =
            ::GetFileType(file) != FILE_TYPE_DISK ? ERROR_INVALID_PARAMETER : ::GetLastError();
        ::CloseHandle(file);
        Fail(path_, error);
    }
    handle_ = file;
}

JournalFile::~JournalFile() {
    ::CloseHandle(static_cast<HANDLE>(handle_));
}

void JournalFile::Append(std::string_view bytes) {
    const HANDLE file = static_cast<HANDLE>(handle_);
    while (!bytes.empty()) {
        DWORD written = 0;
        const DWORD chunk = bytes.size() > 0x40000000U ? 0x40000000U : static_cast<DWORD>(bytes.size());
        if (!::WriteFile(file, bytes.data(), chunk, &written, nullptr) || written == 0) {
            Fail(path_, ::GetLastError());
        }
        bytes.remove_prefix(written);
    }
    if (!::FlushFileBuffers(file)) {
        Fail(path_, ::GetLastError());
    }
}

bool RemoveJournalFile(const std::string& path) {
    return ::DeleteFileW(base::ToWide(path).c_str()) || ::GetLastError() == ERROR_FILE_NOT_FOUND;
}

}  // namespace fleet
