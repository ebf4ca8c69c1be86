// Version texts from outside: the web's version file, a version text and the plotting script's
// marker line. What parses must write back to a text that parses the same; what does not leaves
// zeros.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz_support.h"
#include "shell/version_check.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::ResetShell();
    const std::string text(reinterpret_cast<const char*>(data), size);

    std::uint16_t major = 1, minor = 1, sub = 1;
    if (ParseVersion(text, major, minor, sub)) {
        fuzz::Check(minor < 100, "a minor of more than two digits");
        const std::string again = std::to_string(major) + "." + (minor < 10 ? "0" : "") + std::to_string(minor) +
                                  (sub != 0 ? std::to_string(sub) : "");
        std::uint16_t m2 = 0, n2 = 0, s2 = 0;
        fuzz::Check(ParseVersion(again, m2, n2, s2) && m2 == major && n2 == minor && s2 == sub,
                    "the version written back reads otherwise: " + again);
    } else {
        fuzz::Check(major == 0 && minor == 0 && sub == 0, "a refused version left parts");
    }

    std::uint16_t rMajor = 1, rMinor = 1;
    if (ParseRScriptVersionLine(text, rMajor, rMinor)) {
        const std::string line = "RPLOTTESKVERSION = \"" + std::to_string(rMajor) + "." + std::to_string(rMinor) + "\"";
        std::uint16_t a = 0, b = 0;
        fuzz::Check(ParseRScriptVersionLine(line, a, b) && a == rMajor && b == rMinor,
                    "the marker line written back reads otherwise: " + line);
    } else {
        fuzz::Check(rMajor == 0 && rMinor == 0, "a refused marker line left a version");
    }

    const std::string report = WebVersionReport(text);
    fuzz::Check(report.rfind("This version:\t", 0) == 0 ||
                    report.rfind("Cannot retrieve/parse version information from the web", 0) == 0,
                "the web report starts with neither verdict");
    return 0;
}
