#include "Gauges.h"
