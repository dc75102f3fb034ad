#include "snapshot_ldif.h"
