#include "slcxthread.h"
