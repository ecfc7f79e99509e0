#include "mobileinclusioncheck.h"
