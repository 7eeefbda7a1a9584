#include "modem/AtLineReader.h"

namespace modem {

std::vector<AtEvent> AtLineReader::Feed(std::string_view bytes) {
    std::vector<AtEvent> events;
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte == '\r' || byte == '\n') {
            if (!pending_.empty()) {
                events.push_back({AtEvent::Kind::Line, std::move(pending_)});
            }
            pending_.clear();
            discarding_ = false;
            continue;
        }
        if (byte < 0x20 || byte == 0x7F || discarding_) {
            continue;
        }
        if (pending_.size() == kMaxLineBytes) {
            events.push_back({AtEvent::Kind::Line, std::move(pending_)});
            pending_.clear();
            discarding_ = true;
            continue;
        }
        pending_ += c;
        // The prompt is the only output without a line end; no answer line starts with "> ", so
        // the partial line can be taken for it as soon as it is complete.
        if (pending_ == "> ") {
            events.push_back({AtEvent::Kind::Prompt, {}});
            pending_.clear();
        }
    }
    return events;
}

void AtLineReader::Reset() {
    pending_.clear();
    discarding_ = false;
}

}  // namespace modem
