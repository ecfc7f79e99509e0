#pragma once

#include "search/searchendpoints.h"

#include <QStringList>

struct CliStreams;

// `list …` and `schedule …`: saved lists and their schedules.
bool isListCommand(const QStringList &arguments);
int runListCommand(const QStringList &arguments, const SearchEndpoints &endpoints, const CliStreams &streams);
