#include "desktopinclusioncheck.h"
