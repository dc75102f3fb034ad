#include "difference_ldif.h"
