#include "shell/version_check.h"

#include <filesystem>
#include <limits>
#include <system_error>

#include "foundation/file_io.h"
#include "shell/message_area.h"
#include "shell/program_files.h"
#include "shell/program_identity.h"
#include "shell/reporting.h"
#include "shell/settings.h"
#include "shell/ui_port.h"
#include "shell/url_fetcher.h"

#ifndef TESK_VERSION_URL
#define TESK_VERSION_URL ""
#endif

std::string VersionCheckUrl = TESK_VERSION_URL;

namespace {

constexpr std::string_view kMarker = "RPLOTTESKVERSION";

std::string WithoutBlanks(std::string_view text) {
    std::string out;
    for (char c : text)
        if (c != ' ' && c != '\0' && c != '\t' && c != '\r' && c != '\n') out += c;
    return out;
}

// Digits only (no sign, no blanks), at most 65535.
bool ToWord(std::string_view text, std::uint16_t& value) {
    if (text.empty()) return false;
    unsigned long v = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
        v = v * 10 + static_cast<unsigned long>(c - '0');
        if (v > std::numeric_limits<std::uint16_t>::max()) return false;
    }
    value = static_cast<std::uint16_t>(v);
    return true;
}

std::size_t Count(std::string_view text, char c) {
    std::size_t n = 0;
    for (char x : text) n += x == c ? 1 : 0;
    return n;
}

// Minor numbers are shown with two digits, as they are read: 1.05 is 1, 5.
std::string TwoDigits(std::uint16_t n) { return (n < 10 ? "0" : "") + std::to_string(n); }

// Lines of a text from the web, whatever its breaks.
std::vector<std::string> TextLines(std::string_view text) {
    std::vector<std::string> lines;
    std::string line;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\r' || c == '\n') {
            lines.push_back(line);
            line.clear();
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
        } else {
            line += c;
        }
    }
    if (!line.empty()) lines.push_back(line);
    return lines;
}

// Where the latest version can be had: the folder of the version file on the same site.
std::string DownloadPlace() {
    const std::size_t slash = VersionCheckUrl.rfind('/');
    const std::size_t scheme = VersionCheckUrl.find("://");
    if (slash == std::string::npos || scheme == std::string::npos || slash < scheme + 3) return VersionCheckUrl;
    return VersionCheckUrl.substr(0, slash + 1);
}

}  // namespace

bool ParseVersion(std::string_view text, std::uint16_t& major, std::uint16_t& minor, std::uint16_t& sub) {
    const std::string clean = WithoutBlanks(text);
    const std::size_t dot = clean.find('.');
    const std::string majorText = clean.substr(0, dot);
    const std::string rest = dot == std::string::npos ? std::string() : clean.substr(dot + 1);
    std::string minorText = rest;
    std::string subText = "0";
    if (rest.size() > 2) {
        minorText = rest.substr(0, 2);
        subText = rest.substr(2);
    }
    if (ToWord(majorText, major) && ToWord(minorText, minor) && ToWord(subText, sub)) return true;
    major = minor = sub = 0;
    return false;
}

bool ParseProgramVersion(std::uint16_t& major, std::uint16_t& minor, std::uint16_t& sub) {
    return ParseVersion(ProgramVersion, major, minor, sub);
}

bool ParseRScriptVersionLine(std::string_view line, std::uint16_t& major, std::uint16_t& minor) {
    major = minor = 0;
    if (line.size() < 22) return false;
    std::string text = WithoutBlanks(line);
    if (const std::size_t comment = text.find(RVersionCommentChar); comment != std::string::npos) text.resize(comment);
    if (Count(text, RVersionAssignChar) != 1) return false;
    const std::size_t assign = text.find(RVersionAssignChar);
    if (std::string_view(text).substr(0, assign) != kMarker) return false;
    std::string value = text.substr(assign + 1);
    if (Count(value, RVersionQuoteChar) != 2) return false;
    std::erase(value, RVersionQuoteChar);
    if (Count(value, '.') != 1) return false;
    const std::size_t dot = value.find('.');
    std::uint16_t ma = 0;
    std::uint16_t mi = 0;
    if (!ToWord(std::string_view(value).substr(0, dot), ma) || !ToWord(std::string_view(value).substr(dot + 1), mi))
        return false;
    major = ma;
    minor = mi;
    return true;
}

bool RScriptVersionOK(std::uint16_t& major, std::uint16_t& minor) {
    major = minor = 0;
    AString lines;
    if (ReadTextLines(ProgramFileName(RScriptFileName), lines) != 0) return false;
    for (const std::string& line : lines)
        if (line.find(kMarker) != std::string::npos) return ParseRScriptVersionLine(line, major, minor);
    return false;
}

void CmdShowVersion(bool withScript) {
    std::string scriptLine;
    if (withScript) {
        std::uint16_t major = 0;
        std::uint16_t minor = 0;
        const std::string version = RScriptVersionOK(major, minor) ? std::to_string(major) + "." + TwoDigits(minor)
                                                                   : std::string("could NOT be determined!");
        scriptLine = "TESK R Plotting Script Version " + version;
    }
    const std::string versionText = ProgramVersion + ProgramSubVersion + " from " + ProgramDate;
    std::string box = ProgramTitle + "\r\n" + "Version " + versionText;
    if (DevMode) box += "\r\nDevelopment Mode";
    if (!scriptLine.empty()) box += "\r\n\r\n" + scriptLine;
    MsgBox(box, "TESK Version", kMessageOk);
    WriteMsg("TESK Version " + versionText + ". " + scriptLine);
}

std::string WebVersionReport(std::string_view versionFile) {
    const std::vector<std::string> lines = TextLines(versionFile);
    std::string report = "Cannot retrieve/parse version information from the web";
    std::string comparison;
    std::uint16_t own[3] = {0, 0, 0};
    std::uint16_t web[3] = {0, 0, 0};
    if (!lines.empty() && !lines[0].empty() && ParseProgramVersion(own[0], own[1], own[2]) &&
        ParseVersion(lines[0], web[0], web[1], web[2])) {
        report = "This version:\t" + ProgramVersion + "\r\n" + "Web version:" + "\t" + lines[0] + "\r\n";
        int order = 0;
        for (int i = 0; i < 3 && order == 0; ++i) order = web[i] < own[i] ? -1 : web[i] > own[i] ? 1 : 0;
        if (order == 0)
            comparison = "You are running the latest version available on the TESK web page.\r\nTESK is up to date.";
        else if (order > 0)
            comparison =
                "The version on the TESK web page is NEWER than the version you are running.\r\nYou may wish to "
                "update TESK.\r\nThe latest version can be downloaded from " +
                DownloadPlace();
        else
            comparison =
                "The version on the TESK web page is OLDER than the version you are running.\r\nTESK is up "
                "to date.";
    }
    std::string siteMessage;
    if (lines.size() > 1 && !lines[1].empty()) siteMessage = "\r\nMessage on from TESK site:\r\n" + lines[1];
    return report + "\r\n" + comparison + siteMessage;
}

void CheckWebVersion() {
    if (VersionCheckUrl.empty()) {
        ShowError("Retrieving information from the web failed\r\nThis build of TESK knows no address to check.");
        return;
    }
    std::string text;
    std::string error;
    if (!GetUrlText(VersionCheckUrl, text, error)) {
        ShowError("Retrieving information from the web failed\r\n" + error);
        return;
    }
    MsgBox(WebVersionReport(text), "Most recent TESK Version", kMessageOk);
}

void CmdCheckForNewVersion() {
    WriteMsg("Checking newest TESK version available on the web.");
    CheckWebVersion();
}
