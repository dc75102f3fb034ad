// TARNBOOK -publish FOLDER: the directory downloaded and published as a new version.
#include "tarnbook_app.h"

int CTarnbookApp::PublishBook(const std::wstring& folder) {
    (void)folder;
    return 0;
}
