#pragma once

// The random pieces of a hand-edited settings file: blanks, letter cases, names and values. Each
// piece marks the shapes it makes (tests/windows/ProfileFileGenerator.h names them); the file's
// encoding decides what text outside ASCII looks like.

#include <bitset>
#include <cstddef>
#include <cstdint>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "tests/windows/ProfileFileGenerator.h"

namespace winprofile {

class ShapeMaker final {
public:
    // Random choices for file `index` of the run with `seed`.
    ShapeMaker(std::uint32_t seed, std::size_t index);

    // Text outside ASCII is UTF-8 (Chinese) in a file with a byte-order mark, else any byte >= 0x80.
    void SetUtf8(bool utf8) { utf8_ = utf8; }

    int Uniform(int low, int high) { return std::uniform_int_distribution<int>(low, high)(rng_); }
    bool Chance(int percent) { return Uniform(0, 99) < percent; }
    template <typename T>
    const T& Pick(const std::vector<T>& items) {
        return items[static_cast<std::size_t>(Uniform(0, static_cast<int>(items.size()) - 1))];
    }
    std::mt19937& Engine() { return rng_; }

    void Mark(Shape shape) { shapes_.set(static_cast<std::size_t>(shape)); }
    const std::bitset<kShapeCount>& Shapes() const { return shapes_; }

    // "" or, `percent` times in a hundred, one to three spaces and tabs.
    std::string Blanks(int percent = 35);
    // `name` with each ASCII letter in either case.
    std::string SomeCase(std::string_view name);
    std::string HighText();
    std::string RandomName();
    std::string Value();
    std::string QuotedValue();
    std::string IntegerValue();
    std::string LongValue();

private:
    std::mt19937 rng_;
    bool utf8_ = false;
    std::bitset<kShapeCount> shapes_;
};

}  // namespace winprofile
