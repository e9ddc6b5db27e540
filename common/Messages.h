#pragma once
// Every message the program shows goes through one installed sink: a message box in the
// desktop program, standard error in the command-line tool, a recorder in tests.

#include <cstdint>
#include <string>

class IMessageSink {
public:
    virtual ~IMessageSink() = default;
    // Shows one message (UTF-8) and returns when the user has dismissed it.
    virtual void Show(const std::string& text) = 0;
    // Asks a question that the user answers yes or no. Where nobody can answer (standard
    // error, a recorder) the message is shown and the answer is yes.
    virtual bool Ask(const std::string& text)
    {
        Show(text);
        return true;
    }
};

// Writes each message to standard error as one line.
class StderrMessageSink : public IMessageSink {
public:
    void Show(const std::string& text) override;
};

// Installs a sink (not owned) and returns the previous one; nullptr restores the default,
// which writes to standard error.
IMessageSink* SetMessageSink(IMessageSink* sink);

// While it lives, messages raised on the constructing thread go to `sink` instead of the
// installed one; a worker uses it to hand its messages to the thread that shows them.
class ThreadMessageSinkScope {
public:
    explicit ThreadMessageSinkScope(IMessageSink* sink);
    ~ThreadMessageSinkScope();
    ThreadMessageSinkScope(const ThreadMessageSinkScope&) = delete;
    ThreadMessageSinkScope& operator=(const ThreadMessageSinkScope&) = delete;

private:
    IMessageSink* previous;
};

constexpr size_t kMaxMessageBytes = 2047;

void ShowMessage(const std::string& text);
// A question for the user, through the same sink; true for yes.
bool AskMessage(const std::string& text);

// "PREFIX%08X %s", cut to kMaxMessageBytes without splitting a UTF-8 character.
std::string FormatCodedMessage(const char* prefix, uint32_t code, const std::string& text);

const char* GeneralErrorText(uint32_t code);
const char* SongErrorText(uint32_t code);
const char* DrawingErrorText(uint32_t code);
const char* ImportErrorText(uint32_t code);

void ShowGeneralError(uint32_t code);
void ShowSongErrorMessage(uint32_t code);
// "STRG00000001 ...": how many notes of the shown score have no string on the harp.
void ShowNotesWithoutStringMessage(int count);
void ShowImportError(uint32_t code);
