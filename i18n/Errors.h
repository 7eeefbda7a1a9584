#pragma once

// Errors raised by the localization engine. Every one carries its message text (what()).

#include <stdexcept>
#include <string>

namespace i18n {

// Common base of the engine's errors; never raised itself.
class EGnuGettext : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The engine was used in a way it does not support (for example retranslating an untranslated window).
class EGGProgrammingError : public EGnuGettext {
public:
    using EGnuGettext::EGnuGettext;
};

// A text or object property could not be read, looked up or written while a window was translated.
class EGGComponentError : public EGnuGettext {
public:
    using EGnuGettext::EGnuGettext;
};

// A catalog could not be opened or mapped, or is not a valid GNU MO catalog.
class EGGIOError : public EGnuGettext {
public:
    using EGnuGettext::EGnuGettext;
};

// A narrow text could not be converted under an explicitly chosen code page.
class EGGAnsi2WideConvError : public EGnuGettext {
public:
    using EGnuGettext::EGnuGettext;
};

}  // namespace i18n
