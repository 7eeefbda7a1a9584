#pragma once

// Setting and removing environment variables in a test, on POSIX and Windows alike.

#include <cstdlib>
#include <string>

namespace testenv {

// On Windows an empty value removes the variable: the C runtime keeps no empty ones.
inline void SetVariable(const char* name, const std::string& value) {
#ifdef _WIN32
    ::_putenv_s(name, value.c_str());
#else
    ::setenv(name, value.c_str(), 1);
#endif
}

inline void UnsetVariable(const char* name) {
#ifdef _WIN32
    ::_putenv_s(name, "");
#else
    ::unsetenv(name);
#endif
}

}  // namespace testenv
