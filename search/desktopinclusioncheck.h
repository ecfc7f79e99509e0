#pragma once

#include "searchendpoints.h"

#include <QString>

// Asks Baidu's desktop search for the address itself and returns the
// inclusion result string: title, address, status, snapshot.
QString desktopInclusionCheck(const QString &address, const SearchEndpoints &endpoints = SearchEndpoints());
