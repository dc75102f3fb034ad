#include "setup_messages.h"

#include "resource_text.h"

void ShowSetupError(const std::string& text, const std::string& caption) {
    MessageBoxA(nullptr, text.c_str(), caption.c_str(), MB_OK);
}

void ShowSetupError(const std::string& text, UINT captionId) {
    ShowSetupError(text, LoadResourceText(captionId));
}

bool AskSetupQuestion(UINT textId, const std::string& caption) {
    const std::string text = LoadResourceText(textId);
    return MessageBoxA(nullptr, text.c_str(), caption.c_str(), MB_OKCANCEL | MB_SYSTEMMODAL) ==
           IDOK;
}
