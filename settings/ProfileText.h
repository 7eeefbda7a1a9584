#pragma once

// The text of a profile (INI) file, parsed the way the Windows private-profile reader sees it, and
// edited one key at a time without touching any other byte. Pure: no file access.
//
// Reading rules:
// - CR LF, LF alone and CR alone each end a line; the last line needs no line end. A UTF-8
//   byte-order mark at the start is skipped (and kept on writing).
// - A line whose first non-blank character is "[" and that holds a "]" starts a section; the name is
//   the text between them without surrounding blanks (space, tab). Lines before the first section
//   belong to none and are never found.
// - A line whose first non-blank character is ";" is a comment. A line without "=" holds no key.
// - Key and value are the text before and after the first "=", blanks dropped at both ends; one pair
//   of matching quotes (double or single) around the whole value is removed.
// - Section and key names are compared without regard to ASCII case. Of duplicate sections only the
//   first is searched; of duplicate keys within it the first wins.
// Bytes are bytes: NUL, invalid UTF-8 and very long lines are carried along, never interpreted.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace settings {

class ProfileText {
public:
    explicit ProfileText(std::string text);

    // The value of `key` in `section` (unquoted, blanks dropped, not cut), or nullopt when the
    // section or the key is missing. The view lives as long as this object.
    std::optional<std::string_view> Find(std::string_view section, std::string_view key) const;

    // The reads of a settings file: Find's value cut by CapProfileValue (nullopt when missing), and
    // that text read by ParseProfileInteger (`defaultValue` when missing or no 32-bit integer).
    std::optional<std::string> ReadText(std::string_view section, std::string_view key) const;
    int ReadInteger(std::string_view section, std::string_view key, int defaultValue) const;

    // The whole text with `key` of `section` set to `value`:
    // - an existing key's line becomes key=value, the key spelt as the file has it, without the
    //   blanks that a hand edit may have put around it and the "="; its line end stays;
    // - a missing key is appended to the section after its last key line (after the header when
    //   it has none), so trailing blank lines and comments stay below it;
    // - a missing section is appended at the end, followed by the key.
    // New lines end in CR LF; a last line without a line end gets a CR LF before anything is added.
    // `value` is cut at its first CR, LF or NUL, since the rest could not be read back as part of it.
    // Throws std::invalid_argument for a section or key name that cannot be written as one
    // (empty, holding a line break or NUL, a key holding "=", a section holding "]").
    std::string WithValue(std::string_view section, std::string_view key, std::string_view value) const;

    const std::string& text() const noexcept { return text_; }

private:
    enum class LineKind { Other, Section, Key };
    struct Line {
        LineKind kind = LineKind::Other;
        std::size_t begin = 0;      // first byte of the line
        std::size_t end = 0;        // one past its last byte before the line end
        std::size_t next = 0;       // first byte of the following line
        std::size_t nameBegin = 0;  // section name or key, blanks dropped
        std::size_t nameSize = 0;
        std::size_t valueBegin = 0;  // value, blanks and quotes dropped
        std::size_t valueSize = 0;
    };
    struct KeyLocation {
        std::optional<std::size_t> sectionLine;  // index of the section's header line
        std::optional<std::size_t> keyLine;      // index of the key's line within it
        std::optional<std::size_t> lastKeyLine;  // index of the section's last key line
    };

    void Parse();
    // The line that starts at `pos`, unclassified.
    Line LineAt(std::size_t pos) const;
    // Sets the kind, name and value of `line`.
    void Classify(Line& line) const;
    KeyLocation Locate(std::string_view section, std::string_view key) const;
    std::string_view Name(const Line& line) const { return {text_.data() + line.nameBegin, line.nameSize}; }

    std::string text_;
    std::vector<Line> lines_;
};

// The longest text value a read delivers, in bytes.
inline constexpr std::size_t kMaxReadValueBytes = 2047;

// `value` cut to kMaxReadValueBytes. A UTF-8 character that the cut would split is left out whole,
// since half a character would show as garbage; bytes that are no UTF-8 are cut where they fall.
std::string CapProfileValue(std::string_view value);

// The integer rules of the settings file: optional "+" or "-", then decimal digits, or hexadecimal
// digits after "$" or "0x" (either case); nullopt for empty text, any other text, or a number
// outside the 32-bit signed range.
std::optional<int> ParseProfileInteger(std::string_view text);

}  // namespace settings
