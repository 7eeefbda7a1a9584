#pragma once

// The commissioning board: the DTUs of a fleet file (a batch's output, or any CSV file with a `dtu`
// column) and which of them have connected, when and from where.
//
// The header's names are compared as the batch compares them (without case, without the blanks
// around them). A DTU number is its cell without the blanks around it; a row without one is carried
// to the output but awaited by nobody, and a number on several rows is one DTU. A DTU is recognised
// in a connection's first bytes by its number as UTF-8 text or as GB18030 (GBK) bytes, which for an
// ASCII number are the same. A file that already has an online column (a board written before)
// starts with the DTUs it says were online ("yes") as they were seen then, so that a board stopped
// early goes on waiting for the rest only.

#include <cstddef>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "fleet/CsvInput.h"
#include "fleet/CsvWriter.h"
#include "fleet/DtuMatcher.h"

namespace fleet {

// The file cannot serve as a fleet: no `dtu` column, or no DTU number in it. what() says which.
class BoardError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The columns the board adds to the fleet's rows (or fills, when the file already has them).
inline constexpr std::string_view kOnlineColumn = "online";
inline constexpr std::string_view kFirstSeenColumn = "first_seen";
inline constexpr std::string_view kPeerColumn = "peer";

class FleetBoard final {
public:
    // Throws BoardError.
    FleetBoard(std::vector<std::string> header, std::vector<std::vector<std::string>> rows);

    // Reads every record of `input`, the first being the header. Throws BoardError, or CsvError
    // for a file that cannot be read.
    static FleetBoard Read(CsvInput& input);

    // Marks online the DTU that `firstBytes` names, seen at `seenAt` from `peer`. Its index when it
    // came online now; nullopt when the bytes name no DTU of the fleet or one already online.
    std::optional<std::size_t> Arrive(std::string_view firstBytes, const std::string& seenAt,
                                      const std::string& peer);

    // True when `bytes` name a DTU of the fleet, online or not.
    bool Names(std::string_view bytes) const { return matcher_.Find(bytes).has_value(); }

    std::size_t DtuCount() const { return dtus_.size(); }
    std::size_t OnlineCount() const { return online_; }
    bool AllOnline() const { return online_ == dtus_.size(); }
    const std::string& DtuNumber(std::size_t index) const { return dtus_[index].number; }

    // The numbers of the DTUs still missing, in the file's order, at most `limit` of them.
    std::vector<std::string> Missing(std::size_t limit) const;

    // Writes the header and every row with its online ("yes" or "no"; empty for a row without a DTU
    // number), first_seen and peer cells.
    void Write(CsvWriter& writer) const;

private:
    void CarryOverEarlierArrivals();

    struct Dtu {
        std::string number;
        bool online = false;
        std::string seenAt;
        std::string peer;
    };

    std::vector<std::string> header_;
    std::vector<std::vector<std::string>> rows_;
    std::vector<std::optional<std::size_t>> rowDtu_;  // per row, its DTU
    std::vector<Dtu> dtus_;
    std::size_t online_ = 0;
    std::size_t inputColumns_ = 0;  // the header's columns before the board's were added
    std::size_t onlineColumn_ = 0;
    std::size_t firstSeenColumn_ = 0;
    std::size_t peerColumn_ = 0;
    DtuMatcher matcher_;
};

}  // namespace fleet
