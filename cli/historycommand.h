#pragma once

#include "cli/cliarguments.h"
#include "cli/runcli.h"

class HistoryStore;

// quillane-cli history list|show|changes|export over the runs the window and
// the command stored. Returns the exit status: 0, 1 when the history or the
// report cannot be used, 2 for a run that is not stored.
int runHistoryCommand(const CliOptions &options, const CliStreams &streams, HistoryStore *store);
