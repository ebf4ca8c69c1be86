// Program entry: identity, windows, the welcome line, the command-line argument, the event loop.
#include <QApplication>
#include <QFileInfo>

#include <clocale>
#include <filesystem>
#include <optional>
#include <string>

#include "foundation/os_facts.h"
#include "foundation/random.h"
#include "gui/main_window.h"
#include "gui/qt_debug_box.h"
#include "gui/qt_text.h"
#include "gui/qt_ui_port.h"
#include "gui/qt_url_fetcher.h"
#include "shell/command_line.h"
#include "shell/commands.h"
#include "shell/data_commands.h"
#include "shell/global_dataset.h"
#include "shell/message_area.h"
#include "shell/program_identity.h"
#include "shell/reporting.h"
#include "shell/settings.h"
#include "shell/url_fetcher.h"

namespace {

void SetProgramPaths() {
    AppPath = FromQt(QApplication::applicationDirPath());
    if (AppPath.empty() || AppPath.back() != '/') AppPath += '/';
    ExeFileName = FromQt(QFileInfo(QApplication::applicationFilePath()).fileName());
}

bool NamesExistingFile(const std::string& name) {
    std::error_code ignored;
    return std::filesystem::is_regular_file(name, ignored);
}

// Handles the first argument. Returns the exit code when the program is to end at once, without
// entering the event loop.
std::optional<int> ProcessCommandLine(const std::string& argument) {
    switch (ClassifyArgument(argument, NamesExistingFile(argument))) {
        case CommandLineAction::Ignore:
            break;
        case CommandLineAction::LoadFile:
            RunCommand([&argument] { CmdLoadInputFile(argument); });
            break;
        case CommandLineAction::LoadClipboard:
            RunCommand([] { CmdLoadFromClipboard(); });
            break;
        case CommandLineAction::Quit:
            return 0;
        case CommandLineAction::Refuse:
            ShowError("The current version of TESK does not support this command line option");
            ShowError("Invalid command line option");
            return 1;
    }
    return std::nullopt;
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    // Qt takes the locale from the environment; number text and parsing must not follow it.
    std::setlocale(LC_NUMERIC, "C");
    QApplication::setApplicationName(QStringLiteral("TESK"));
    QApplication::setApplicationVersion(ToQt(ProgramVersion));

    Randomize();
    SetProgramPaths();

    TMainPrg window;
    QtUiPort port(window);
    SetUiPort(&port);
    const QtDebugBoxes debugBoxes(port);
    SetUrlFetcher(FetchUrlWithQt);
    // While Rscript runs the windows repaint; menu clicks wait until the plot command has returned.
    SetExecWaitHook([] { QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents); });

    WriteMsg(WelcomeLine);
    // QApplication has taken its own options (-style, ...) out of argv; the first one left counts,
    // as the bytes it was given.
    std::optional<int> exitCode = argc > 1 ? ProcessCommandLine(argv[1]) : std::nullopt;
    if (!exitCode) {
        window.show();
        exitCode = QApplication::exec();
    }
    // Shutdown: the log is closed without a closing line and the data set freed while the window
    // still exists.
    StopLog();
    FreeDataSet();
    SetExecWaitHook({});
    SetUrlFetcher({});
    SetUiPort(nullptr);
    return *exitCode;
}
