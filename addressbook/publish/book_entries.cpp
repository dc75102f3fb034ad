#include "book_entries.h"
