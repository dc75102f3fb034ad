#include "ldif_problem.h"
