#include "app/cli/ListenBoard.h"

#include <chrono>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "app/cli/CliFiles.h"
#include "app/cli/Interrupt.h"
#include "app/cli/Terminal.h"
#include "base/StrayTemporaries.h"
#include "fleet/CsvError.h"
#include "fleet/CsvInput.h"
#include "fleet/CsvWriter.h"
#include "fleet/FleetBoard.h"

namespace app {
namespace {

constexpr std::chrono::milliseconds kRedrawPause{250};
constexpr std::size_t kBoardWidth = 78;
constexpr std::size_t kMissingLines = 8;
// The missing DTUs named under the summary when there is no board.
constexpr std::size_t kMissingNamed = 20;

void StopListener(void* listener) noexcept {
    static_cast<net::ConnectionListener*>(listener)->RequestStop();
}

long long Count(std::size_t n) {
    return static_cast<long long>(n);
}

// The board: the counts, then the missing DTUs packed into lines of at most kBoardWidth bytes.
std::vector<std::string> BoardLines(const fleet::FleetBoard& board, const CliOutput& output) {
    const std::size_t missing = board.DtuCount() - board.OnlineCount();
    std::vector<std::string> lines{
        Say(output, "%d of %d DTUs online, %d missing",
            {Count(board.OnlineCount()), Count(board.DtuCount()), Count(missing)})};
    std::size_t shown = 0;
    std::string line;
    for (const std::string& number : board.Missing(kMissingLines * kBoardWidth / 2)) {
        if (!line.empty() && line.size() + 2 + number.size() > kBoardWidth) {
            lines.push_back(std::move(line));
            line.clear();
            if (lines.size() > kMissingLines) {
                break;
            }
        }
        line += "  " + number;
        ++shown;
    }
    if (!line.empty()) {
        lines.push_back(std::move(line));
    }
    if (shown < missing) {
        lines.push_back(Say(output, "  ... and %d more", {Count(missing - shown)}));
    }
    return lines;
}

// Draws the board over the one drawn before (`drawnLines` of them), with VT escape sequences.
void DrawBoard(const fleet::FleetBoard& board, const CliOutput& output, std::size_t& drawnLines) {
    if (drawnLines > 0) {
        output.out << "\x1b[" << drawnLines << "F";
    }
    output.out << "\x1b[J";
    const std::vector<std::string> lines = BoardLines(board, output);
    for (const std::string& line : lines) {
        output.out << line << '\n';
    }
    output.out << std::flush;
    drawnLines = lines.size();
}

// The fleet file read whole; nullopt after its fault was reported on `err`.
std::optional<fleet::FleetBoard> ReadFleet(const std::string& path, const CliOutput& output,
                                           bool& byteOrderMark) {
    try {
        fleet::CsvInput input(path, fleet::EncodingChoice::Detect);
        fleet::FleetBoard board = fleet::FleetBoard::Read(input);
        // A spreadsheet program reads UTF-8 without a byte-order mark as the system's code page, so
        // a fleet file that came from one gets its mark in the board's output too.
        byteOrderMark = input.HadUtf8ByteOrderMark() || input.WasUtf16() ||
                        input.encoding() == fleet::TextEncoding::Gb18030;
        return board;
    } catch (const fleet::CsvError& error) {
        if (error.kind() == fleet::CsvError::Kind::CannotOpen) {
            output.err << "dtusms: " << error.Text(output.translate) << '\n';
        } else {
            output.err << Say(output, "%s is not a CSV file this program can read: %s",
                              {path, error.Text(output.translate)})
                       << '\n';
        }
    } catch (const std::runtime_error& error) {
        output.err << path << ": " << base::TranslateOrKeep(output.translate, error.what()) << '\n';
    }
    return std::nullopt;
}

// Writes the board's file; false after its fault was reported.
bool WriteBoard(const fleet::FleetBoard& board, fleet::CsvWriter& writer, const CliOutput& output) {
    try {
        board.Write(writer);
        writer.Finish();
        return true;
    } catch (const fleet::OutputError& error) {
        output.err << UnableToWriteMessage(output, error.path(), error.reason()) << '\n';
        return false;
    }
}

// The summary on standard error: the counts and, when some are missing, the first of them.
void Summarise(const fleet::FleetBoard& board, const CliOutput& output) {
    const std::size_t missing = board.DtuCount() - board.OnlineCount();
    output.err << Say(output, "%d of %d DTUs online, %d missing",
                      {Count(board.OnlineCount()), Count(board.DtuCount()), Count(missing)})
               << '\n';
    if (missing == 0) {
        return;
    }
    std::string named;
    for (const std::string& number : board.Missing(kMissingNamed)) {
        named += (named.empty() ? "" : " ") + number;
    }
    if (missing > kMissingNamed) {
        named += " ...";
    }
    output.err << Say(output, "Missing: %s", {named}) << '\n';
}

// Listens until every DTU of `board` came, at the time-out or count of `options`, or on Ctrl-C,
// showing them arrive. False after a listener that could not start was reported.
bool WatchArrivals(fleet::FleetBoard& board, net::ListenOptions options, const CliOutput& output) {
    options.enough = [&board](std::string_view received) { return board.Names(received); };

    const TerminalColours terminal;
    const bool drawBoard = output.outIsTerminal && terminal.available();
    std::size_t drawnLines = 0;
    bool changed = false;
    if (drawBoard) {
        // Arrivals are drawn together a few times a second: a redraw for each of thousands of DTUs a
        // minute would keep the listener busy writing to the terminal.
        options.tickEvery = kRedrawPause;
        options.tick = [&] {
            if (changed) {
                DrawBoard(board, output, drawnLines);
                changed = false;
            }
        };
    }
    std::optional<net::ConnectionListener> listener;
    try {
        listener.emplace(options);
    } catch (const net::ListenError& error) {
        output.err << Say(output, error.Format(), error.Args()) << '\n';
        return false;
    }
    if (output.errIsTerminal) {
        output.err << Say(output, "Listening on %s port %d for %d DTUs; Ctrl-C stops.",
                          {options.bindAddress, static_cast<long long>(listener->port()),
                           Count(board.DtuCount())})
                   << '\n';
    }
    if (drawBoard) {
        DrawBoard(board, output, drawnLines);
    }
    {
        const InterruptScope interrupt(StopListener, &*listener);
        listener->Run([&](const net::ConnectionReport& report) {
            const std::optional<std::size_t> arrived =
                board.Arrive(report.received, net::LocalTimeText(report.arrived), report.peerAddress);
            if (!arrived) {
                return;
            }
            if (drawBoard) {
                changed = true;
            } else {
                output.out << net::LocalTimeText(report.arrived) << ' ' << net::PeerText(report) << ' '
                           << board.DtuNumber(*arrived) << '\n'
                           << std::flush;
            }
            if (board.AllOnline()) {
                listener->RequestStop();
            }
        });
    }
    if (drawBoard) {
        DrawBoard(board, output, drawnLines);
    } else {
        Summarise(board, output);
    }
    return true;
}

}  // namespace

int RunListenBoard(const CliRequest& request, const CliOutput& output, net::ListenOptions options) {
    bool byteOrderMark = false;
    std::optional<fleet::FleetBoard> board = ReadFleet(*request.listen.fleetPath, output, byteOrderMark);
    if (!board) {
        return kExitFailed;
    }
    // The output file is opened before listening, so that a folder that cannot be written is
    // known now rather than after an hour of watching.
    std::unique_ptr<fleet::CsvWriter> writer;
    if (request.outputPath) {
        try {
            base::RemoveStrayTemporaries(*request.outputPath);
            writer = std::make_unique<fleet::CsvWriter>(*request.outputPath, byteOrderMark);
        } catch (const fleet::OutputError& error) {
            output.err << UnableToWriteMessage(output, error.path(), error.reason()) << '\n';
            return kExitFailed;
        }
    }
    if (board->AllOnline()) {
        Summarise(*board, output);  // an earlier board had every DTU already: nothing to wait for
    } else if (!WatchArrivals(*board, std::move(options), output)) {
        return kExitFailed;
    }
    if (writer && !WriteBoard(*board, *writer, output)) {
        return kExitFailed;
    }
    return board->AllOnline() ? kExitDone : kExitFailed;
}

}  // namespace app
