#pragma once
// The program's identity, fixed for the whole run: shown in the main window's caption, the version
// box and the web version check.

#include <string>

inline const std::string ProgramMarker = "#T#E#S#K#";
inline const std::string ProgramTitle = "TESK - Analysis of Dominant-Marker Fingerprint Data";
inline const std::string ProgramVersion = "1.31";
inline const std::string ProgramSubVersion;
inline const std::string ProgramDate = "Oct 2013";

// Developer mode (the command box, the developer menu and buttons) is chosen when building
// (TESK_DEVELOPER_BUILD); the delivered program has it off. Its companion switch AutoTest is a
// setting (shell/settings.h) that only a developer build's command box turns on.
#ifdef TESK_DEVELOPER_BUILD
inline constexpr bool DevMode = true;
#else
inline constexpr bool DevMode = false;
#endif

// The main window's caption.
inline std::string MainWindowCaption() {
    return ProgramTitle + " " + ProgramVersion + ProgramSubVersion + (DevMode ? " DEV MODE !!!!!!" : "");
}

inline const std::string WelcomeLine =
    "Welcome to TESK 1.3. Please report any problems you might experience.";
