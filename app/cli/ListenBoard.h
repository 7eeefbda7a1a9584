#pragma once

// dtusms listen --fleet: the listener watches for the DTUs of a fleet file. On a terminal a board
// (how many came, which are still missing) is redrawn in place as they arrive; otherwise each DTU
// gets one line when it first connects. Ends when every DTU came, at the time-out or on Ctrl-C;
// --output then receives the fleet's rows with their online, first_seen and peer cells.

#include "app/cli/Subcommands.h"
#include "net/ConnectionListener.h"

namespace app {

// Runs the board with the listener's `options` (port, address, time-out, count) already chosen.
// kExitDone when every DTU of the fleet came, kExitFailed otherwise.
int RunListenBoard(const CliRequest& request, const CliOutput& output, net::ListenOptions options);

}  // namespace app
