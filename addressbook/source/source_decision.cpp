#include "source_decision.h"
