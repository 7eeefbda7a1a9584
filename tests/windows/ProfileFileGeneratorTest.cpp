#include "tests/windows/ProfileFileGenerator.h"

#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "settings/ProfileText.h"

namespace winprofile {
namespace {

constexpr std::uint32_t kSeed = 1234;

bool Has(const GeneratedFile& file, Shape shape) {
    return file.shapes.test(static_cast<std::size_t>(shape));
}

bool HasLineLongerThan(const std::string& text, std::size_t length) {
    std::size_t start = 0;
    while (start <= text.size()) {
        const std::size_t end = std::min(text.find_first_of("\r\n", start), text.size());
        if (end - start > length) {
            return true;
        }
        start = end + 1;
    }
    return false;
}

TEST(ProfileFileGeneratorTest, SameSeedAndIndexGiveTheSameFile) {
    const std::vector<GeneratedFile> first = GenerateProfileFiles(kSeed, 40);
    const std::vector<GeneratedFile> again = GenerateProfileFiles(kSeed, 40);
    const std::vector<GeneratedFile> other = GenerateProfileFiles(kSeed + 1, 40);
    std::size_t differentFromOtherSeed = 0;
    for (std::size_t i = 0; i < first.size(); ++i) {
        SCOPED_TRACE(first[i].cases.name);
        EXPECT_EQ(first[i].text, again[i].text);
        EXPECT_EQ(first[i].cases, again[i].cases);
        EXPECT_EQ(first[i].shapes, again[i].shapes);
        const GeneratedFile alone = GenerateProfileFile(kSeed, i);
        EXPECT_EQ(alone.text, first[i].text);
        EXPECT_EQ(alone.cases, first[i].cases);
        differentFromOtherSeed += other[i].text != first[i].text ? 1 : 0;
    }
    EXPECT_EQ(differentFromOtherSeed, first.size());
    EXPECT_EQ(first[7].cases.name, "case-00007.ini");
    EXPECT_EQ(GenerateProfileFile(kSeed, 123456).cases.name, "case-123456.ini");
}

// The shapes a file claims are in its bytes, and a few hundred files hold every shape.
TEST(ProfileFileGeneratorTest, EveryShapeIsMadeAndClaimedTruthfully) {
    std::bitset<kShapeCount> seen;
    for (const GeneratedFile& file : GenerateProfileFiles(kSeed, 300)) {
        SCOPED_TRACE(file.cases.name);
        seen |= file.shapes;
        const std::string& text = file.text;
        EXPECT_EQ(Has(file, Shape::ByteOrderMark), text.starts_with("\xEF\xBB\xBF"));
        EXPECT_EQ(Has(file, Shape::NoFinalLineEnd), !text.ends_with('\n') && !text.ends_with('\r'));
        if (Has(file, Shape::CrLf)) {
            EXPECT_NE(text.find("\r\n"), std::string::npos);
        }
        if (Has(file, Shape::LfOnly)) {
            EXPECT_NE(text.find('\n'), std::string::npos);
        }
        if (Has(file, Shape::LongValue)) {
            EXPECT_TRUE(HasLineLongerThan(text, 2044));
        }
        if (Has(file, Shape::DollarHex)) {
            EXPECT_NE(text.find('$'), std::string::npos);
        }
        if (Has(file, Shape::SemicolonComment)) {
            EXPECT_NE(text.find(';'), std::string::npos);
        }
    }
    for (std::size_t shape = 0; shape < kShapeCount; ++shape) {
        EXPECT_TRUE(seen.test(shape)) << ShapeName(static_cast<Shape>(shape));
    }
}

// Nothing in a file or question that would compare something other than the two readers: no NUL,
// no UTF-16 byte-order mark, no names that either reader would trim or split.
TEST(ProfileFileGeneratorTest, FilesAndQuestionsStayInsideWhatBothReadersShare) {
    std::size_t found = 0;
    std::size_t questions = 0;
    std::set<std::string> names;
    for (const GeneratedFile& file : GenerateProfileFiles(kSeed, 300)) {
        SCOPED_TRACE(file.cases.name);
        EXPECT_TRUE(names.insert(file.cases.name).second);
        EXPECT_EQ(file.text.find('\0'), std::string::npos);
        EXPECT_FALSE(file.text.starts_with("\xFF\xFE") || file.text.starts_with("\xFE\xFF"));
        EXPECT_FALSE(file.cases.questions.empty());
        const settings::ProfileText parsed(file.text);
        for (const Question& q : file.cases.questions) {
            for (const std::string& name : {q.section, q.key}) {
                ASSERT_FALSE(name.empty());
                EXPECT_NE(name.front(), ' ');
                EXPECT_NE(name.back(), ' ');
                EXPECT_NE(name.front(), ';');
                EXPECT_EQ(name.find_first_of("=]\r\n"), std::string::npos) << name;
            }
            found += parsed.Find(q.section, q.key) ? 1 : 0;
            ++questions;
        }
    }
    // Both outcomes are asked about often, so neither side of the comparison goes untested.
    EXPECT_GT(found * 4, questions);
    EXPECT_GT((questions - found) * 4, questions);
}

}  // namespace
}  // namespace winprofile
