#pragma once

#include "search/checkresult.h"

#include <QByteArray>

// The first-30 list of a row as the history keeps it: compact (positions and
// marks as bytes, texts as UTF-8 with their lengths, an address that only adds
// a scheme to the shown text is not repeated; the whole deflated against a
// dictionary of what result lists are made of), since a run of 10,000 lines
// keeps 300,000 entries.
QByteArray encodeSerp(const SerpList &serp);
// Empty for bytes that are no list.
SerpList decodeSerp(const QByteArray &bytes);
