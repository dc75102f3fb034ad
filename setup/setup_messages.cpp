#include "setup_messages.h"

#include "resource_text.h"

namespace {
std::string g_lastError;
} // namespace

void ShowSetupError(const std::string& text, const std::string& caption) {
    g_lastError = text;
    MessageBoxA(nullptr, text.c_str(), caption.c_str(), MB_OK);
}

void ShowSetupError(const std::string& text, UINT captionId) {
    ShowSetupError(text, LoadResourceText(captionId));
}

const std::string& LastSetupError() {
    return g_lastError;
}

bool AskSetupQuestion(UINT textId, const std::string& caption) {
    const std::string text = LoadResourceText(textId);
    return MessageBoxA(nullptr, text.c_str(), caption.c_str(), MB_OKCANCEL | MB_SYSTEMMODAL) ==
           IDOK;
}
