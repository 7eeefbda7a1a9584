#include "settings/WriteTarget.h"

#include <windows.h>

#include "base/WideText.h"

namespace settings {

WriteTarget CheckWriteTarget(const std::string& path) {
    const std::wstring wide = base::ToWide(path);
    const DWORD attributes = wide.empty() ? INVALID_FILE_ATTRIBUTES : ::GetFileAttributesW(wide.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        // Only a missing name in an existing folder may become a new file, as with ENOENT; a missing
        // folder fails later, when the temporary file cannot be created in it.
        const DWORD error = ::GetLastError();
        return !wide.empty() && (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND)
                   ? WriteTarget::Missing
                   : WriteTarget::Refused;
    }
    if ((attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE | FILE_ATTRIBUTE_READONLY)) != 0) {
        return WriteTarget::Refused;
    }
    return WriteTarget::Writable;
}

}  // namespace settings
