#include "qr/QrImage.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>
#include <zlib.h>

namespace qr {
namespace {

const char kCommand[] = "SMSTO:+8613800138000:(A55A#2*\xe4\xb8\xad.example.com*6000#3*CMNET#4*TQ-GP000001)";

std::uint32_t BigEndian32(const std::string& bytes, std::size_t at) {
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < 4; ++i) {
        value = (value << 8) | static_cast<unsigned char>(bytes.at(at + i));
    }
    return value;
}

// Walks the chunks, checking each CRC, and returns the width and the inflated scanlines.
std::pair<std::uint32_t, std::string> ReadPng(const std::string& png) {
    EXPECT_EQ(png.substr(0, 8), std::string("\x89PNG\r\n\x1a\n", 8));
    std::string ihdr, idat;
    for (std::size_t at = 8; at < png.size();) {
        const std::uint32_t length = BigEndian32(png, at);
        const std::string type = png.substr(at + 4, 4);
        const std::string data = png.substr(at + 8, length);
        const auto* covered = reinterpret_cast<const Bytef*>(png.data() + at + 4);
        EXPECT_EQ(BigEndian32(png, at + 8 + length), crc32(0, covered, length + 4)) << type;
        if (type == "IHDR") {
            ihdr = data;
        } else if (type == "IDAT") {
            idat += data;
        }
        at += 12 + length;
    }
    const std::uint32_t width = BigEndian32(ihdr, 0);
    EXPECT_EQ(BigEndian32(ihdr, 4), width);
    EXPECT_EQ(ihdr.substr(8), std::string("\x01\0\0\0\0", 5));  // 1-bit greyscale
    uLongf size = (1 + (width + 7) / 8) * width;
    std::string raw(size, '\0');
    EXPECT_EQ(uncompress(reinterpret_cast<Bytef*>(raw.data()), &size,
                         reinterpret_cast<const Bytef*>(idat.data()), idat.size()),
              Z_OK);
    EXPECT_EQ(size, raw.size());
    return {width, raw};
}

// What every drawing must show, quiet zone included: one string per module row, '#' for dark.
std::vector<std::string> Modules(const QrCode& code) {
    const int side = code.size() + 2 * kQuietZoneModules;
    std::vector<std::string> rows(side, std::string(side, '.'));
    for (int y = 0; y < side; ++y) {
        for (int x = 0; x < side; ++x) {
            rows[y][x] = code.IsDark(x - kQuietZoneModules, y - kQuietZoneModules) ? '#' : '.';
        }
    }
    return rows;
}

TEST(QrImageTest, PngHasTheQuietZoneAndScaleAndEveryPixelOfTheMatrix) {
    const QrCode code = QrCode::Encode(kCommand);
    const std::vector<std::string> modules = Modules(code);
    for (const int scale : {kMinScale, kDefaultScale, 5, kMaxScale}) {
        SCOPED_TRACE(scale);
        const auto [width, raw] = ReadPng(RenderPng(code, scale));
        ASSERT_EQ(width, static_cast<std::uint32_t>((code.size() + 8) * scale));
        const std::size_t rowBytes = 1 + (width + 7) / 8;
        int wrong = 0;
        for (std::uint32_t y = 0; y < width; ++y) {
            EXPECT_EQ(raw[y * rowBytes], '\0');  // filter type none
            for (std::uint32_t x = 0; x < width; ++x) {
                const bool black =
                    !(static_cast<unsigned char>(raw[y * rowBytes + 1 + x / 8]) & (0x80 >> x % 8));
                wrong += black != (modules[y / scale][x / scale] == '#');
            }
        }
        EXPECT_EQ(wrong, 0);
    }
    EXPECT_THROW(RenderPng(code, kMinScale - 1), std::invalid_argument);
    EXPECT_THROW(RenderPng(code, kMaxScale + 1), std::invalid_argument);
}

TEST(QrImageTest, SvgPathCoversExactlyTheDarkModulesInAViewBoxOfModules) {
    const QrCode code = QrCode::Encode(kCommand);
    const int side = code.size() + 8;
    const std::string svg = RenderSvg(code, 5);
    const std::string n = std::to_string(side), px = std::to_string(side * 5);
    EXPECT_NE(svg.find("width=\"" + px + "\" height=\"" + px + "\" viewBox=\"0 0 " + n + " " + n + "\""),
              std::string::npos);
    EXPECT_NE(svg.find("shape-rendering=\"crispEdges\""), std::string::npos);
    EXPECT_NE(svg.find("<rect width=\"" + n + "\" height=\"" + n + "\" fill=\"#fff\"/>"), std::string::npos);

    std::vector<std::string> drawn(side, std::string(side, '.'));
    int x, y, run, back, used;
    for (const char* at = svg.c_str() + svg.find(" d=\"") + 4;
         std::sscanf(at, "M%d %dh%dv1h-%dz%n", &x, &y, &run, &back, &used) == 4; at += used) {
        EXPECT_EQ(run, back);
        for (int i = 0; i < run; ++i) {
            EXPECT_EQ(drawn.at(y).at(x + i), '.') << "drawn twice";
            drawn[y][x + i] = '#';
        }
    }
    EXPECT_EQ(drawn, Modules(code));
    EXPECT_THROW(RenderSvg(code, 0), std::invalid_argument);
}

// Reads the half blocks back into module rows, quiet zone included.
std::vector<std::string> ParseHalfBlocks(const std::string& text, bool coloured) {
    const std::string colour = "\x1b[30;47;107m", reset = "\x1b[0m";
    const std::pair<std::string, std::string> glyphs[] = {
        {" ", ".."}, {"\u2580", "#."}, {"\u2584", ".#"}, {"\u2588", "##"}};
    std::vector<std::string> rows;
    for (std::size_t at = 0, eol; (eol = text.find('\n', at)) != std::string::npos; at = eol + 1) {
        std::string line = text.substr(at, eol - at);
        if (coloured) {
            EXPECT_EQ(line.substr(0, colour.size()), colour);
            EXPECT_EQ(line.substr(line.size() - reset.size()), reset);
            line = line.substr(colour.size(), line.size() - colour.size() - reset.size());
        }
        std::string upper, lower;
        for (std::size_t i = 0; i < line.size();) {
            const auto* glyph = std::find_if(std::begin(glyphs), std::end(glyphs), [&](const auto& g) {
                return line.compare(i, g.first.size(), g.first) == 0;
            });
            if (glyph == std::end(glyphs)) {
                ADD_FAILURE() << "unknown glyph at byte " << i << " of " << line;
                return rows;
            }
            upper += glyph->second[0];
            lower += glyph->second[1];
            i += glyph->first.size();
        }
        rows.push_back(upper);
        rows.push_back(lower);
    }
    return rows;
}

TEST(QrImageTest, TerminalHalfBlocksReadBackAsTheMatrixInBothStyles) {
    const QrCode code = QrCode::Encode(kCommand);
    std::vector<std::string> expected = Modules(code);
    expected.emplace_back(expected.front().size(), '.');  // the lower half of the last line
    for (const bool coloured : {false, true}) {
        SCOPED_TRACE(coloured);
        const std::string text =
            RenderTerminal(code, coloured ? TerminalStyle::kAnsiColours : TerminalStyle::kPlain);
        EXPECT_EQ(text.find("\x1b") != std::string::npos, coloured);
        EXPECT_EQ(ParseHalfBlocks(text, coloured), expected);
    }
}

}  // namespace
}  // namespace qr
