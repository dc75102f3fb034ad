#include "manifest.h"
