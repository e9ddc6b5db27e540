#pragma once
// Shows each message in a modal message box with an OK button. A message from another
// thread is shown on the user-interface thread, and the caller waits for it.

#include "common/Messages.h"

// The program's name on the title of every message box.
constexpr const char* kMessageBoxTitle = "ハープ用図形楽譜";

class MessageBoxSink : public IMessageSink {
public:
    void Show(const std::string& text) override;
    // Yes and No, on the user-interface thread only.
    bool Ask(const std::string& text) override;
};
