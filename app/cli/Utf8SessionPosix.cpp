#include "app/cli/Utf8Session.h"

namespace app {

Utf8Session::Utf8Session(int argc, char** argv) : pointers_(argv, argv + argc) {
    pointers_.push_back(nullptr);
}

Utf8Session::~Utf8Session() = default;

}  // namespace app
