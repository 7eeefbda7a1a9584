#pragma once

// The fleet code writes its files whole through the program's one atomic writer (base/AtomicFile.h),
// under the names it has always used here.

#include "base/AtomicFile.h"

namespace fleet {

using OutputFile = base::AtomicFile;
using OutputError = base::AtomicFileError;

}  // namespace fleet
