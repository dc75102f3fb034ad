#include "local_copy.h"
