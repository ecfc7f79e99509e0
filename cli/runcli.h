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

// runCli on the process's standard input, output and error.
int runCliOnStandardStreams(const QStringList &arguments, const SearchEndpoints &endpoints);
