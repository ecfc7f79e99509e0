#include "rankingrun.h"
