#include "reportwriter.h"
