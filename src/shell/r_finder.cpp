#include "shell/r_finder.h"

#include <unistd.h>
#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string_view>
#include <system_error>

#include "foundation/strict_number.h"

namespace {

constexpr std::string_view kRscript = "Rscript";

// Version folders such as "4.3.2" compare part by part as numbers, so 4.10 comes after 4.9; a part
// that is not a number compares as text after the numbers.
std::vector<std::string> SplitDots(const std::string& text) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (;;) {
        const std::size_t dot = text.find('.', start);
        parts.push_back(text.substr(start, dot == std::string::npos ? std::string::npos : dot - start));
        if (dot == std::string::npos) return parts;
        start = dot + 1;
    }
}

bool VersionLess(const std::string& a, const std::string& b) {
    const std::vector<std::string> pa = SplitDots(a);
    const std::vector<std::string> pb = SplitDots(b);
    for (std::size_t i = 0; i < pa.size() && i < pb.size(); ++i) {
        std::uint64_t na = 0;
        std::uint64_t nb = 0;
        const bool numA = StrictToUInt64(pa[i], na);
        const bool numB = StrictToUInt64(pb[i], nb);
        if (numA && numB) {
            if (na != nb) return na < nb;
        } else if (numA != numB) {
            return numA;  // numbers before text
        } else if (pa[i] != pb[i]) {
            return pa[i] < pb[i];
        }
    }
    return pa.size() < pb.size();
}

bool HoldsRscript(const std::string& folder) {
    return !folder.empty() && IsExecutableFile((std::filesystem::path(folder) / kRscript).string());
}

std::string Env(const char* name) {
    const char* value = std::getenv(name);
    return value == nullptr ? std::string() : std::string(value);
}

}  // namespace

bool IsExecutableFile(const std::string& name) {
    std::error_code ec;
    return std::filesystem::is_regular_file(name, ec) && ::access(name.c_str(), X_OK) == 0;
}

namespace {
std::optional<RSearchPlaces> replacedPlaces;
}  // namespace

void SetRSearchPlaces(const RSearchPlaces* places) {
    if (places == nullptr) replacedPlaces.reset();
    else replacedPlaces = *places;
}

RSearchPlaces DefaultRSearchPlaces() {
    if (replacedPlaces) return *replacedPlaces;
    return {Env("R_HOME"), Env("PATH"), {"/usr/lib/R/bin", "/usr/local/lib/R/bin", "/usr/bin", "/usr/local/bin"},
            "/opt/R"};
}

std::string FindRInstallDir(const RSearchPlaces& places) {
    if (!places.rHome.empty()) {
        const std::string bin = (std::filesystem::path(places.rHome) / "bin").string();
        if (HoldsRscript(bin)) return bin;
    }
    // Relative PATH entries would depend on the current folder, which the user changes through
    // file dialogs; only absolute ones count.
    std::size_t start = 0;
    while (start <= places.path.size()) {
        std::size_t colon = places.path.find(':', start);
        if (colon == std::string::npos) colon = places.path.size();
        const std::string folder = places.path.substr(start, colon - start);
        if (!folder.empty() && folder.front() == '/' && HoldsRscript(folder)) return folder;
        start = colon + 1;
    }
    for (const std::string& folder : places.folders)
        if (HoldsRscript(folder)) return folder;
    if (!places.optRoot.empty()) {
        std::vector<std::string> versions;
        std::error_code ec;
        for (std::filesystem::directory_iterator it(places.optRoot, ec), end; !ec && it != end; it.increment(ec))
            versions.push_back(it->path().filename().string());
        std::sort(versions.begin(), versions.end(), VersionLess);
        for (auto v = versions.rbegin(); v != versions.rend(); ++v) {
            const std::string bin = (std::filesystem::path(places.optRoot) / *v / "bin").string();
            if (HoldsRscript(bin)) return bin;
        }
    }
    return {};
}

std::string FindRInstallDir() { return FindRInstallDir(DefaultRSearchPlaces()); }

std::string FindRscript(const RSearchPlaces& places) {
    const std::string dir = FindRInstallDir(places);
    return dir.empty() ? std::string() : (std::filesystem::path(dir) / kRscript).string();
}

std::string FindRscript() { return FindRscript(DefaultRSearchPlaces()); }
