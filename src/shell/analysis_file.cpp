#include "shell/analysis_file.h"

#include "foundation/file_io.h"
#include "shell/reporting.h"
#include "shell/settings.h"

// Called from within other commands, so it leaves their progress line and activity alone.
bool AppendToAnalysisFile(const std::string& line) {
    const int rc = SaveTextToFile(AnalysisFileName, line + "\r\n", true);
    if (rc != 0) ShowError("Could not write to file:\r\n" + AnalysisFileName + "\r\n" + FileErrorText(rc));
    return rc == 0;
}
