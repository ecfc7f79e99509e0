#include "mobilerankingcheck.h"
