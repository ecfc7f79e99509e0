#pragma once

#include "search/searchendpoints.h"

#include <QStringList>

class QIODevice;

// Where one command-line run reads and writes.
struct CliStreams
{
    QIODevice *in = nullptr;
    QIODevice *out = nullptr;
    QIODevice *err = nullptr;
    bool inIsTerminal = false;
    bool outIsTerminal = false;
    bool errIsTerminal = false; // draw the progress line in place
};

// The whole command: arguments (without the program name) to exit status.
// Needs a QCoreApplication; runs its own event loop until the batch ends.
int runCli(const QStringList &arguments, const SearchEndpoints &endpoints, const CliStreams &streams);

struct CliOptions;

// What became of a check kept in the history.
struct CheckOutcome
{
    qint64 runId = 0;      // 0: not kept
    QString notifyFailure; // the channels the digest did not reach, and why
};

// One run of a tool, its options checked: what runCli does for inclusion,
// ranking, site-ranking and mine, and `schedule run` for a saved list.
int runCheck(const CliOptions &options, const SearchEndpoints &endpoints, const CliStreams &streams,
             CheckOutcome *outcome = nullptr);

// runCli on the process's standard input, output and error.
int runCliOnStandardStreams(const QStringList &arguments, const SearchEndpoints &endpoints);
