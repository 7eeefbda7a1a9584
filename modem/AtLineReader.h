#pragma once

// Splits the byte stream of a modem's serial port into the lines of its answers. Pure: no port, no
// Qt, so it is tested and fuzzed on bytes alone.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace modem {

struct AtEvent {
    enum class Kind {
        Line,    // a complete line, without its line end
        Prompt,  // the "> " that asks for a PDU; it comes without a line end
    };
    Kind kind = Kind::Line;
    std::string text;  // Line: the line; Prompt: empty
};

// Lines end at CR or LF, so CR LF, LF CR and bare line ends all work; empty lines are dropped. NUL
// and other control bytes (except the line ends) are dropped, since they come only from line noise
// or a wrong baud rate; bytes above 127 are kept for the caller to judge. A line longer than
// kMaxLineBytes is cut there and its rest, up to the next line end, discarded, so a port that
// streams garbage without line ends cannot grow the buffer. A pending "> " (the partial line is
// exactly that) is reported as a Prompt at once and cleared.
class AtLineReader final {
public:
    static constexpr std::size_t kMaxLineBytes = 4096;

    // The events that `bytes` complete, in order.
    std::vector<AtEvent> Feed(std::string_view bytes);

    // Forgets a partial line (after the port was reopened or a prompt was aborted).
    void Reset();

    // The partial line received so far; a caller that waits for a prompt can show it on time-out.
    const std::string& Pending() const { return pending_; }

private:
    std::string pending_;
    bool discarding_ = false;  // in the rest of an overlong line
};

}  // namespace modem
