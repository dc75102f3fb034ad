#include "publication_folder.h"
