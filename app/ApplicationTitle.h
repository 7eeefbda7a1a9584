#pragma once

// The application title: shown on the task bar and as the caption of error boxes. Never translated.
namespace app {

inline constexpr const char* kApplicationTitle = "TQ-3VOVE SMS configuration tool";

}  // namespace app
