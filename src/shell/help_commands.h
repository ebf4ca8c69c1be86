// The Help menu's commands: the manual, the about box and the citation.
#pragma once

#include <string>

// The about box's text and the program's literature reference.
extern const std::string AboutText;
extern const std::string CitationText;

// "Opening Help file (" + HelpFileName + ")", then the manual (installed beside the program) opens
// in its viewer; a missing manual or a viewer that cannot start is reported.
void CmdOpenHelp();

// "Displaying About Box", then the about text (a batch answer skips the box).
void CmdAbout();

// "Displaying citation for TESK.", then the reference with the offer to copy it to the clipboard.
void CmdCitation();
