#pragma once

// Stream buffers for the CSV benchmarks: input read in place from a string, and output that is only
// counted, so that what is measured is the parsing and formatting, not copying or growing strings.

#include <cstddef>
#include <ios>
#include <streambuf>
#include <string>

namespace bench {

// Reads a string in place and can seek (the encoding check reads it twice), as a file can.
class TextBuffer final : public std::streambuf {
public:
    explicit TextBuffer(const std::string& text) {
        char* begin = const_cast<char*>(text.data());
        setg(begin, begin, begin + text.size());
    }

protected:
    pos_type seekoff(off_type offset, std::ios_base::seekdir dir, std::ios_base::openmode) override {
        char* target = (dir == std::ios_base::beg   ? eback()
                        : dir == std::ios_base::cur ? gptr()
                                                    : egptr()) +
                       offset;
        if (target < eback() || target > egptr()) {
            return pos_type(off_type(-1));
        }
        setg(eback(), target, egptr());
        return pos_type(target - eback());
    }
    pos_type seekpos(pos_type position, std::ios_base::openmode mode) override {
        return seekoff(off_type(position), std::ios_base::beg, mode);
    }
};

// Takes the bytes and counts them, so that the output's formatting is measured without the cost of
// growing a string to hold it.
class CountingBuffer final : public std::streambuf {
public:
    std::size_t bytes = 0;

protected:
    std::streamsize xsputn(const char*, std::streamsize count) override {
        bytes += static_cast<std::size_t>(count);
        return count;
    }
    int_type overflow(int_type c) override {
        ++bytes;
        return c;
    }
};

}  // namespace bench
