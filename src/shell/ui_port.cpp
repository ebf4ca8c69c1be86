#include "shell/ui_port.h"

#include <cstdio>

namespace {

// Used until a real port is installed: messages still reach someone, and no question is answered,
// so nothing is decided on the user's behalf.
class ConsoleUiPort final : public UiPort {
public:
    int ShowMessageBox(std::string_view text, std::string_view caption, int /*style*/) override {
        std::fprintf(stderr, "[%.*s] %.*s\n", static_cast<int>(caption.size()), caption.data(),
                     static_cast<int>(text.size()), text.data());
        return kAnswerNone;
    }
    void SetMessageLines(const MessageLines& /*lines*/) override {}
    void SetStatusPanel(std::size_t /*panel*/, std::string_view /*text*/) override {}
};

ConsoleUiPort consolePort;
UiPort* currentPort = &consolePort;

}  // namespace

UiPort& Ui() { return *currentPort; }

UiPort* SetUiPort(UiPort* port) {
    UiPort* previous = currentPort;
    currentPort = port ? port : &consolePort;
    return previous;
}
