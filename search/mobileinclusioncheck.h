#pragma once

#include "searchendpoints.h"

#include <QString>

// Asks Baidu's mobile search for the address and compares the first result's
// address with it; returns the inclusion result string.
QString mobileInclusionCheck(const QString &address, const SearchEndpoints &endpoints = SearchEndpoints());
