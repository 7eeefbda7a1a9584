#include "fleet/QrFileNames.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace fleet {
namespace {

TEST(QrFileNamesTest, NamesFollowTheDtuNumber) {
    struct Row {
        std::string dtu;
        std::size_t rowNumber;
        std::string name;
    };
    const Row rows[] = {
        {"TQ-GP000001", 1, "TQ-GP000001"},
        {"under_score-dash", 1, "under_score-dash"},
        {"a b/c\\d.e:f*?", 1, "a b_c_d.e_f__"},
        {"x<y>z|\"q\"", 1, "x_y_z__q_"},
        {"tab\there\x7F", 1, "tab_here_"},
        {"../../etc/passwd", 1, ".._.._etc_passwd"},
        {"北京-01", 1, "北京-01"},
        {"Пирс №3 ١٢", 1, "Пирс №3 ١٢"},
        {"😀x", 1, "😀x"},
        {std::string("a\xFF"
                     "b"),
         1, "a_b"},
        {std::string("a\xE5\x8C"), 1, "a__"},
        {"", 12, "row-12"},
        {"CON", 1, "_CON"},
        {"nul.x", 1, "_nul.x"},
        {"lpt9", 1, "_lpt9"},
        {"COM10", 1, "COM10"},
        {"console", 1, "console"},
        {"gate 3.", 1, "gate 3_"},
        {"gate 3 ", 1, "gate 3_"},
        {std::string(150, 'x'), 1, std::string(100, 'x')},
        {std::string(150, '.'), 1, std::string(100, '_')},
        {"..", 1, "__"},
        // 100 Chinese characters are 300 bytes, more than a Linux name may have.
        {[] {
             std::string many;
             for (int i = 0; i < 100; ++i) {
                 many += "北";
             }
             return many;
         }(),
         1,
         [] {
             std::string cut;
             for (int i = 0; i < 66; ++i) {
                 cut += "北";
             }
             return cut;
         }()},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.dtu);
        EXPECT_EQ(row.name, QrBaseName(row.dtu, row.rowNumber));
    }
}

TEST(QrFileNamesTest, ClashesGetTheFirstFreeSuffixIgnoringCase) {
    QrFileNames names;
    std::vector<std::string> given;
    const char* dtus[] = {"TQ-1", "tq-1", "TQ:1", "TQ_1", "TQ-1-2", "TQ-1", "", "row-7"};
    std::size_t number = 1;
    for (const char* dtu : dtus) {
        given.push_back(names.Next(dtu, number++));
    }
    EXPECT_EQ((std::vector<std::string>{"TQ-1.png", "tq-1-2.png", "TQ_1.png", "TQ_1-2.png", "TQ-1-2-2.png",
                                        "TQ-1-3.png", "row-7.png", "row-7-2.png"}),
              given);

    // Thousands of equal numbers stay fast and distinct.
    QrFileNames many;
    std::string last;
    for (int i = 0; i < 20'000; ++i) {
        last = many.Next("same", static_cast<std::size_t>(i) + 1);
    }
    EXPECT_EQ("same-20000.png", last);
}

}  // namespace
}  // namespace fleet
