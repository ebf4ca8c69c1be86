#include "shell/help_commands.h"

#include "foundation/file_io.h"
#include "shell/message_area.h"
#include "shell/program_files.h"
#include "shell/program_identity.h"
#include "shell/reporting.h"
#include "shell/settings.h"
#include "shell/ui_port.h"
#include "shell/viewer_commands.h"

const std::string AboutText =
    ProgramTitle + "\r\nVersion " + ProgramVersion + ProgramSubVersion +
    "\r\n\r\n"
    "TESK was written 2003-2013 for the analysis of dominant-marker fingerprint data with missing data.\r\n"
    "Address: the TESK maintainers; this edition gives no postal address.\r\n\r\n"
    "The t-tests, the principal coordinate analysis and the hybrid indices rest on numeric routines "
    "(gamma, beta and incomplete beta functions, Student's t, eigenvectors, minimisation and root finding) "
    "implemented for TESK after the published algorithms of numerical analysis.\r\n\r\n"
    "TESK is free: you may use, copy and redistribute it.\r\n\r\n"
    "Requirements: a 64-bit Linux system (x86-64) with Qt 6; R with Rscript for the R plots.\r\n\r\n"
    "TESK is provided as is, WITHOUT ANY WARRANTY, without even the implied warranty of merchantability or "
    "fitness for a particular purpose. The authors accept no liability for any damage or loss arising from "
    "the use of the program or of its results.";

const std::string CitationText =
    "TESK developers (2013) TESK " + ProgramVersion +
    ": analysis of dominant-marker fingerprint data, with four treatments of missing data for every "
    "similarity coefficient. Computer program and manual distributed with TESK.";

void CmdOpenHelp() {
    WriteMsg("Opening Help file (" + HelpFileName + ")");
    const std::string manual = ProgramFileName(HelpFileName);
    if (!FileCanOpen(manual)) {
        ShowError("Help file (" + HelpFileName + ") not found.");
        return;
    }
    OpenInViewer(manual, manual);
}

void CmdAbout() {
    WriteMsg("Displaying About Box");
    AskUser(AboutText, "About this program", kMessageOk);
}

void CmdCitation() {
    WriteMsg("Displaying citation for TESK.");
    if (!UserAgreed(AskUser(CitationText + "\r\n\r\nCopy citation to clipboard?", "Citation", kQuestionYesNo))) return;
    if (!Ui().SetClipboardText(CitationText)) ShowError("The citation could not be put on the clipboard.");
}
