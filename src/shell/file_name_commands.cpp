#include "shell/file_name_commands.h"

#include <array>
#include <ctime>

#include "foundation/file_io.h"
#include "shell/global_dataset.h"
#include "shell/message_area.h"
#include "shell/reporting.h"
#include "shell/settings.h"
#include "shell/ui_port.h"

void CmdSetAnalysisFile(const std::string& fileName) {
    AnalysisFileName = fileName;
    if (DataSet) DataSet->OutputFileName = fileName;
    WriteMsg("Analysis Output File set to " + fileName);
}

void CmdSetTreeFile(const std::string& fileName) {
    TreeFileName = fileName;
    WriteMsg("Tree Output File set to " + fileName);
}

void CmdSetConsensusInFile(const std::string& fileName) {
    ConsensusInFileName = fileName;
    WriteMsg("Consensus Input Tree File set to: " + fileName);
}

void CmdSetConsensusOutFile(const std::string& fileName) {
    ConsensusOutFileName = fileName;
    WriteMsg("Consensus Tree Output File set to: " + fileName);
}

void CmdSetLogFile(const std::string& fileName) {
    LogFileName = fileName;
    WriteMsg("Selected Log File: " + fileName);
}

std::string LogStampText() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    std::array<char, 64> date{};
    std::array<char, 64> time{};
    // The user's own short date form, whatever its year digits.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-y2k"
    const std::size_t dateLength = std::strftime(date.data(), date.size(), "%x", &local);
#pragma GCC diagnostic pop
    const std::size_t timeLength = std::strftime(time.data(), time.size(), "%X", &local);
    return std::string(date.data(), dateLength) + " at " + std::string(time.data(), timeLength);
}

void CmdSetLogging(bool turnOn) {
    if (turnOn) {
        if (const int rc = StartLog(); rc != 0) {
            ShowError("Cannot open the log file " + LogFileName + "\r\n" + FileErrorText(rc));
            Ui().SetLoggingCaption(false);
            return;
        }
        Ui().SetLoggingCaption(true);
        WriteMsg("Started Logging on " + LogStampText());
        return;
    }
    if (LogOn == 1) WriteMsg("Stopped Logging on " + LogStampText());
    StopLog();
    Ui().SetLoggingCaption(false);
}
