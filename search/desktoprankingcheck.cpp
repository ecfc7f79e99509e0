#include "desktoprankingcheck.h"
