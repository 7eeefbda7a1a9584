#include "i18n/EmbeddedCatalogs.h"

#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "i18n/Domain.h"
#include "i18n/FileLocator.h"
#include "i18n/GnuGettextInstance.h"
#include "tests/i18n/TestSupport.h"

namespace i18n {
namespace {

// msgid -> msgstr of a .po file, with the escapes our catalogs use (\n, \", \\) and continued lines.
std::map<std::string, std::string> ReadPo(const std::string& file) {
    std::ifstream in(file);
    std::map<std::string, std::string> entries;
    std::string line, msgid, msgstr, *current = nullptr;
    const auto flush = [&] {
        if (current != nullptr) {
            entries[msgid] = msgstr;
        }
        msgid.clear();
        msgstr.clear();
        current = nullptr;
    };
    const auto unquote = [](const std::string& quoted) {
        std::string text;
        for (std::size_t i = quoted.find('"') + 1; i < quoted.rfind('"'); ++i) {
            if (quoted[i] == '\\') {
                ++i;
                text += quoted[i] == 'n' ? '\n' : quoted[i];
            } else {
                text += quoted[i];
            }
        }
        return text;
    };
    while (std::getline(in, line)) {
        if (line.starts_with("msgid ")) {
            flush();
            msgid = unquote(line);
            current = &msgid;
        } else if (line.starts_with("msgstr ")) {
            msgstr = unquote(line);
            current = &msgstr;
        } else if (line.starts_with("\"") && current != nullptr) {
            *current += unquote(line);
        }
    }
    flush();
    // msgfmt leaves the POT-Creation-Date field out of the compiled header so that builds are reproducible.
    if (auto header = entries.find(""); header != entries.end()) {
        if (const std::size_t at = header->second.find("POT-Creation-Date: "); at != std::string::npos) {
            header->second.erase(at, header->second.find('\n', at) + 1 - at);
        }
    }
    return entries;
}

std::string ToCrLf(const std::string& text) {
    std::string result;
    for (char c : text) {
        if (c == '\n') {
            result += '\r';
        }
        result += c;
    }
    return result;
}

TEST(CatalogsTest, EveryEntryOfEveryCatalogReadsBackAsItsSourceSaysThroughTheEngine) {
    // The catalogs grow with every feature: the counts are the least each must hold (the header,
    // and for Chinese the window's 59 texts), and msgfmt's count must equal the source's.
    struct Row {
        std::string code, po, resource;
        std::size_t leastEntries;
    };
    const std::vector<Row> rows = {
        {"zh_CN", "zh_CN.po", "LOCALE_ZH_CN_DEFAULT", 60},
        {"zh_tw", "zh_TW.po", "LOCALE_ZH_TW_DEFAULT", 60},
        {"en", "en.po", "LOCALE_EN_DEFAULT", 1},
    };
    test::TempProgramDir dir;
    TFileLocator locator(dir.ProgramFile());
    test::FakeLocale locale;
    test::RecordingSink sink;
    TGnuGettextInstance engine(locator, dir.ProgramFile(), locale, sink);
    for (const Row& row : rows) {
        const auto entries = ReadPo(std::string(DTUSMS_CATALOG_SOURCES) + "/" + row.po);
        ASSERT_GE(entries.size(), row.leastEntries) << row.po;
        const auto bytes = FindResource(row.resource);
        ASSERT_TRUE(bytes.has_value()) << row.resource;
        EXPECT_EQ(entries.size(), TMoFile(*bytes, row.resource).EntryCount()) << row.po;

        engine.SelectLanguage(row.code);
        for (const auto& [msgid, msgstr] : entries) {
            EXPECT_EQ(ToCrLf(msgstr), engine.Translate(msgid)) << row.po << ": " << msgid;
        }
        EXPECT_EQ("text/plain; charset=UTF-8", engine.FindDomain("default").GetHeaderField("Content-Type"));
    }
    EXPECT_TRUE(sink.Shown.empty());
}

TEST(CatalogsTest, ChineseCatalogsHoldTheSameIdentifiersAndTheDefaultOneOnlyAHeader) {
    const auto simplified = ReadPo(std::string(DTUSMS_CATALOG_SOURCES) + "/zh_CN.po");
    const auto traditional = ReadPo(std::string(DTUSMS_CATALOG_SOURCES) + "/zh_TW.po");
    std::set<std::string> same;
    for (const auto& [msgid, text] : simplified) {
        ASSERT_TRUE(traditional.contains(msgid)) << msgid;
        if (traditional.at(msgid) == text) {
            same.insert(msgid);
        }
    }
    EXPECT_EQ(simplified.size(), traditional.size());
    // Only these read the same in both scripts (no character of theirs differs); any other text
    // identical in both catalogs is an untranslated copy. The headers differ in their language team.
    const std::set<std::string> sameInBothScripts = {"Arabic",
                                                     "DTU configuration information",
                                                     "Domain address",
                                                     "Domain resolution",
                                                     "French",
                                                     "Generation SMS",
                                                     "Japanese",
                                                     "Other",
                                                     "Port",
                                                     "Prompt",
                                                     "Resolve",
                                                     "Russian",
                                                     "SMS command",
                                                     "SMS command format",
                                                     "Service centre",
                                                     "Static IP",
                                                     "TQ-3VOVE configuration tool",
                                                     "Thai",
                                                     "Cancel",
                                                     "Cancelled",
                                                     "ModemManager does not manage %s",
                                                     "ModemManager: %s",
                                                     "SIM card failure",
                                                     "illegal SIM card",
                                                     "Listening on %s port %d for %d DTUs; Ctrl-C stops.",
                                                     "  ... and %d more",
                                                     "Missing: %s",
                                                     ", %d out of the pool",
                                                     "line %d: %s"};
    EXPECT_EQ(sameInBothScripts, same);

    const auto english = FindResource("LOCALE_EN_DEFAULT");
    const auto fallback = FindResource("LOCALE_DEFAULT");
    ASSERT_TRUE(english && fallback);
    const TMoFile fallbackCatalog(*fallback, "LOCALE_DEFAULT");
    EXPECT_EQ(1u, fallbackCatalog.EntryCount());
    EXPECT_EQ(ReadPo(std::string(DTUSMS_CATALOG_SOURCES) + "/default.po").at(""),
              fallbackCatalog.Lookup("").Text);
    EXPECT_FALSE(FindResource("LOCALE_ZH_HK_DEFAULT").has_value());
    EXPECT_EQ(4u, EmbeddedResources().size());
}

// The Traditional Chinese catalog is its own glossary: the terms of the window's original texts
// (短信, 服務器, 端口, 網絡, ...) hold for every text added to it, not the Taiwanese words for them.
TEST(CatalogsTest, TraditionalChineseTextsUseTheCatalogsOwnTerms) {
    const std::pair<const char*, const char*> terms[] = {
        {"簡訊", "短信"}, {"傳送", "發送"}, {"伺服器", "服務器"}, {"連接埠", "端口"},
        {"網路", "網絡"}, {"位址", "地址"}, {"連線", "連接"},     {"資訊", "信息"},
    };
    for (const auto& [msgid, text] : ReadPo(std::string(DTUSMS_CATALOG_SOURCES) + "/zh_TW.po")) {
        for (const auto& [avoided, used] : terms) {
            EXPECT_EQ(text.find(avoided), std::string::npos) << msgid << ": " << text << " says " << used;
        }
    }
}

}  // namespace
}  // namespace i18n
