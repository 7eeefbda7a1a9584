#include "tests/windows/ProfileFileGenerator.h"

#include <algorithm>
#include <utility>

#include "tests/windows/ProfileShapeMaker.h"

namespace winprofile {
namespace {

constexpr std::string_view kShapeNames[] = {
    "byte-order mark",
    "CR LF",
    "LF only",
    "CR only",
    "no final line end",
    "key before any section",
    "duplicate section",
    "blanks inside brackets",
    "comment after header",
    "missing closing bracket",
    "blanks around names",
    "blanks around value",
    "; comment",
    "# line",
    "blank line",
    "duplicate key",
    "key without =",
    "empty value",
    "double quotes",
    "single quotes",
    "mismatched quotes",
    "inner quotes",
    "lone quote",
    "signed decimal",
    "$ hexadecimal",
    "0x hexadecimal",
    "integer overflow",
    "trailing junk",
    "bytes >= 0x80",
    "invalid UTF-8",
    "value of 2045 bytes or more",
};
static_assert(std::size(kShapeNames) == kShapeCount);

const std::vector<std::string> kSettingsKeys = {
    "nLanguageID",      "Server address mode",  "Port",      "Static IP",  "Domain address",
    "SMS command type", "Service network(APN)", "Other APN", "DTU number",
};
const std::vector<std::string> kOtherSections = {"Other", "Settings", "GPRS"};
const std::vector<std::string> kDefaultTexts = {"",           "dflt",  "TQ-GP000001", "two words",
                                                "trailing  ", "tab\t", "  lead"};
const std::vector<int> kDefaultIntegers = {0, -1, 6000, 12345};
constexpr std::size_t kQuestionsPerFile = 24;

bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b) {
    const auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; };
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [&lower](char x, char y) { return lower(x) == lower(y); });
}

bool ContainsIgnoringAsciiCase(const std::vector<std::string>& names, std::string_view name) {
    return std::any_of(names.begin(), names.end(),
                       [name](const std::string& other) { return EqualsIgnoringAsciiCase(other, name); });
}

class FileBuilder final {
public:
    FileBuilder(std::uint32_t seed, std::size_t index);
    GeneratedFile Build();

private:
    std::string SectionName();
    std::string KeyName();
    std::string SectionHeader(const std::string& name);
    void AddSection();
    void AddBodyLine();
    void AddKey(const std::string& name, const std::string& value);
    void AddComment();
    std::string LineEnd();
    void AddQuestions();

    ShapeMaker make_;
    int lineEndStyle_ = 0;
    GeneratedFile file_;
    std::vector<std::string> lines_;
    std::vector<std::string> sections_;                        // section names, first spelling of each
    std::vector<std::string> keys_;                            // key names, first spelling of each
    std::vector<std::string> sectionKeys_;                     // key names under the current header
    std::vector<std::pair<std::string, std::string>> placed_;  // (header above, key) of each key line
    std::string currentSection_;
};

FileBuilder::FileBuilder(std::uint32_t seed, std::size_t index) : make_(seed, index) {
    std::string name = std::to_string(index);
    name.insert(0, name.size() < 5 ? 5 - name.size() : 0, '0');
    file_.cases.name = "case-" + name + ".ini";
}

GeneratedFile FileBuilder::Build() {
    const bool utf8 = make_.Chance(15);
    make_.SetUtf8(utf8);
    lineEndStyle_ = make_.Uniform(0, 3);
    if (make_.Chance(20)) {
        make_.Mark(Shape::KeyBeforeSection);
        for (int i = make_.Uniform(1, 2); i > 0; --i) {
            AddKey(KeyName(), make_.Value());
        }
    }
    for (int i = make_.Uniform(1, 4); i > 0; --i) {
        AddSection();
    }
    if (utf8) {
        make_.Mark(Shape::ByteOrderMark);
        file_.text = "\xEF\xBB\xBF";
    }
    // An empty last line without a line end leaves the file ending in the line end before it.
    const bool finalLineEnd = lines_.empty() || lines_.back().empty() || make_.Chance(80);
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        file_.text += lines_[i];
        if (i + 1 < lines_.size() || finalLineEnd) {
            file_.text += LineEnd();
        }
    }
    if (!finalLineEnd) {
        make_.Mark(Shape::NoFinalLineEnd);
    }
    AddQuestions();
    file_.shapes = make_.Shapes();
    return std::move(file_);
}

std::string FileBuilder::SectionName() {
    const int pick = make_.Uniform(0, 99);
    if (pick < 60) {
        return make_.Chance(30) ? make_.SomeCase("Main") : "Main";
    }
    return pick < 75 ? make_.Pick(kOtherSections) : make_.RandomName();
}

std::string FileBuilder::KeyName() {
    if (make_.Chance(50)) {
        return make_.Chance(20) ? make_.SomeCase(make_.Pick(kSettingsKeys)) : make_.Pick(kSettingsKeys);
    }
    return make_.RandomName();
}

std::string FileBuilder::SectionHeader(const std::string& name) {
    const int pick = make_.Uniform(0, 99);
    if (pick < 10) {
        make_.Mark(Shape::MissingClosingBracket);
        return make_.Blanks() + "[" + name + make_.Blanks();
    }
    std::string header = "[" + name + "]";
    if (pick < 35) {
        make_.Mark(Shape::BlanksInsideBrackets);
        header = make_.Blanks() + "[" + make_.Blanks(100) + name + make_.Blanks(100) + "]" + make_.Blanks();
    }
    if (make_.Chance(10)) {
        make_.Mark(Shape::CommentAfterHeader);
        header += make_.Blanks() + "; the settings";
    }
    return header;
}

void FileBuilder::AddSection() {
    std::string name = SectionName();
    if (!sections_.empty() && make_.Chance(15)) {
        name = make_.SomeCase(make_.Pick(sections_));
    }
    if (ContainsIgnoringAsciiCase(sections_, name)) {
        make_.Mark(Shape::DuplicateSection);
    } else {
        sections_.push_back(name);
    }
    lines_.push_back(SectionHeader(name));
    currentSection_ = name;
    sectionKeys_.clear();
    for (int i = make_.Uniform(0, 8); i > 0; --i) {
        AddBodyLine();
    }
}

void FileBuilder::AddBodyLine() {
    const int pick = make_.Uniform(0, 99);
    if (pick < 55) {
        AddKey(KeyName(), make_.Value());
    } else if (pick < 65 && !sectionKeys_.empty()) {
        AddKey(make_.SomeCase(make_.Pick(sectionKeys_)), make_.Value());
    } else if (pick < 72) {
        AddComment();
    } else if (pick < 80) {
        // A name alone, often one of the settings, which a later line of the section may set.
        make_.Mark(Shape::KeyWithoutEquals);
        const std::string name = make_.Chance(60) ? make_.Pick(kSettingsKeys) : KeyName();
        lines_.push_back(make_.Blanks() + name + (make_.Chance(30) ? " 6000" : make_.Blanks()));
        if (!ContainsIgnoringAsciiCase(keys_, name)) {
            keys_.push_back(name);
        }
    } else if (pick < 88) {
        make_.Mark(Shape::BlankLine);
        lines_.push_back(make_.Blanks());
    } else {
        AddKey(make_.Chance(20) ? make_.SomeCase(make_.Pick(kSettingsKeys)) : make_.Pick(kSettingsKeys),
               make_.IntegerValue());
    }
}

void FileBuilder::AddKey(const std::string& name, const std::string& value) {
    const std::string lead = make_.Blanks();
    const std::string beforeEquals = make_.Blanks();
    const std::string afterEquals = make_.Blanks();
    const std::string trail = make_.Blanks();
    if (!lead.empty() || !beforeEquals.empty()) {
        make_.Mark(Shape::BlanksAroundNames);
    }
    if (!afterEquals.empty() || !trail.empty()) {
        make_.Mark(Shape::BlanksAroundValue);
    }
    if (ContainsIgnoringAsciiCase(sectionKeys_, name)) {
        make_.Mark(Shape::DuplicateKey);
    }
    lines_.push_back(lead + name + beforeEquals + "=" + afterEquals + value + trail);
    sectionKeys_.push_back(name);
    if (!ContainsIgnoringAsciiCase(keys_, name)) {
        keys_.push_back(name);
    }
    placed_.emplace_back(currentSection_, name);
}

// "; ..." is a comment; "#" starts no comment for either reader, so "#name=value" is a key whose
// name begins with "#", and it is asked for like any other.
void FileBuilder::AddComment() {
    const bool hash = make_.Chance(40);
    make_.Mark(hash ? Shape::HashComment : Shape::SemicolonComment);
    const std::string name = KeyName();
    const bool setting = make_.Chance(50);
    lines_.push_back(make_.Blanks() + (hash ? "#" : ";") + (setting ? name + "=6000" : " a note"));
    if (hash && setting) {
        keys_.push_back("#" + name);
    }
}

std::string FileBuilder::LineEnd() {
    const int style = lineEndStyle_ == 3 ? make_.Uniform(0, 2) : lineEndStyle_;
    if (style == 0) {
        make_.Mark(Shape::CrLf);
        return "\r\n";
    }
    make_.Mark(style == 1 ? Shape::LfOnly : Shape::CrOnly);
    return style == 1 ? "\n" : "\r";
}

void FileBuilder::AddQuestions() {
    std::vector<std::pair<std::string, std::string>> pairs;
    const auto add = [&pairs](const std::string& section, const std::string& key) {
        if (std::find(pairs.begin(), pairs.end(), std::make_pair(section, key)) == pairs.end()) {
            pairs.emplace_back(section, key);
        }
    };
    for (const auto& [section, key] : placed_) {
        if (!section.empty()) {
            add(section, key);
        }
    }
    std::vector<std::string> sections = sections_;
    sections.push_back("Main");
    std::vector<std::string> keys = keys_;
    keys.push_back("Port");
    keys.push_back("Absent key");
    std::vector<std::pair<std::string, std::string>> others;
    for (const std::string& section : sections) {
        for (const std::string& key : keys) {
            others.emplace_back(section, key);
        }
    }
    std::shuffle(others.begin(), others.end(), make_.Engine());
    for (std::size_t i = 0; i < others.size() && pairs.size() < kQuestionsPerFile; ++i) {
        add(others[i].first, others[i].second);
    }
    for (const auto& [section, key] : pairs) {
        file_.cases.questions.push_back(Question{make_.Chance(30) ? make_.SomeCase(section) : section,
                                                 make_.Chance(30) ? make_.SomeCase(key) : key,
                                                 make_.Pick(kDefaultTexts), make_.Pick(kDefaultIntegers)});
    }
}

}  // namespace

std::string_view ShapeName(Shape shape) {
    return kShapeNames[static_cast<std::size_t>(shape)];
}

GeneratedFile GenerateProfileFile(std::uint32_t seed, std::size_t index) {
    return FileBuilder(seed, index).Build();
}

std::vector<GeneratedFile> GenerateProfileFiles(std::uint32_t seed, std::size_t count) {
    std::vector<GeneratedFile> files;
    files.reserve(count);
    for (std::size_t i = 0; i < count; ++i) {
        files.push_back(GenerateProfileFile(seed, i));
    }
    return files;
}

}  // namespace winprofile
