// The address book from a published book (BookSource) instead of the directory.
#include "tarnbook_app.h"

CTarnbookApp::SourceOutcome CTarnbookApp::ReadPublishedBook() {
    return SourceOutcome::Unusable;
}
