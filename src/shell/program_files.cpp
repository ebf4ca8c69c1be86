#include "shell/program_files.h"

#include <filesystem>
#include <system_error>

#include "foundation/file_io.h"
#include "shell/settings.h"

std::string AbsoluteFileName(const std::string& name) {
    if (name.empty()) return name;
    std::error_code ec;
    const std::filesystem::path full = std::filesystem::absolute(name, ec);
    return ec ? name : full.string();
}

std::string ProgramFileName(const std::string& name) {
    const std::string here = AbsoluteFileName(name);
    if (name.empty() || std::filesystem::path(name).is_absolute() || FileCanOpen(here) || AppPath.empty()) return here;
    const std::string beside = (std::filesystem::path(AppPath) / name).string();
    return FileCanOpen(beside) ? beside : here;
}

std::string WorkingFolder() {
    std::error_code ec;
    std::string folder = std::filesystem::current_path(ec).string();
    if (ec || folder.empty()) return {};
    if (folder.back() != std::filesystem::path::preferred_separator)
        folder += std::filesystem::path::preferred_separator;
    return folder;
}

std::string NameInWorkingFolder(const std::string& name) {
    const std::string folder = WorkingFolder();
    if (folder.empty() || !name.starts_with(folder)) return name;
    return name.substr(folder.size());
}
