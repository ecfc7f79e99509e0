#pragma once

#include "searchendpoints.h"

// Everything a check needs besides its input line and its abort flag: where
// its requests go. A value type, so a batch carries its own copy across threads.
struct SearchContext
{
    // Implicit: a context that only sets the endpoints reads as the endpoints.
    SearchContext(const SearchEndpoints &endpoints = SearchEndpoints()) : endpoints(endpoints) {}

    SearchEndpoints endpoints;
};
