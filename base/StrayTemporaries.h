#pragma once

// Temporary files left behind. A writer that replaces a file writes ".<name>.tmp-<pid>-<n>" beside
// it and renames that over the target; one killed in between (SIGKILL, a power cut) leaves the
// temporary file, and each run has a new process id, so such files would pile up.

#include <string>

namespace base {

// Deletes the temporary files of `target` whose writing process no longer runs; never those of this
// process or of a running one. Scans the folder once per target and process. (Windows: in
// base/WindowsFiles.cpp.)
void RemoveStrayTemporaries(const std::string& target);

// The same for every file of `folder` (a folder of pictures, say), once per folder and process.
void RemoveStrayTemporariesIn(const std::string& folder);

}  // namespace base
