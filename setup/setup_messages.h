// The setup program's message boxes: never owned; errors with OK, questions system-modal
// with OK and Cancel.
#ifndef TARN_SETUP_MESSAGES_H
#define TARN_SETUP_MESSAGES_H

#include <windows.h>

#include <string>

void ShowSetupError(const std::string& text, const std::string& caption);
// The caption is the resource library's text captionId.
void ShowSetupError(const std::string& text, UINT captionId);
// The text of the last error shown in this run ("" when none was), for the run's event.
const std::string& LastSetupError();

// Shows text textId with OK and Cancel. True when the user chose OK.
bool AskSetupQuestion(UINT textId, const std::string& caption);

#endif
