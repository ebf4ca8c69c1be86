// The data file as the load command reads it: the file specification line of the first line sets
// the layout, then the loader reads the file with it. A loaded file saved as the save command
// saves it (the file specification line of the layout in force first) must read back the same by the
// same route.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz_support.h"
#include "shell/file_params.h"

namespace {

// The layout the load command would read the file with: the settings, changed by the file's
// file specification line when it has one (a file without one, or with one not read whole, would
// show the dialog, whose OK keeps the settings).
FileParamRecord LayoutOf(const std::string& file) {
    std::string block;
    if (ExtractSpecBlock(ReadFirstLine(file), block)) ParseSpecBlock(block);
    return GetFileParams();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::ResetShell();
    const std::string file = fuzz::Scratch().Write("input.txt", std::string(reinterpret_cast<const char*>(data), size));
    const FileParamRecord params = LayoutOf(file);
    fuzz::CheckBandReader(
        "LoadDataFile", params, WriteSpecBlock(PackFileParams()),
        [&](TPopGenDataSet& ds) { return LoadDataFile(ds, file, params); },
        [&params](fuzz::CountingDataSet& again, const std::string& saved) {
            const FileParamRecord layout = LayoutOf(saved);
            fuzz::Check(layout == params, "the saved file specification line gives another layout");
            fuzz::Check(SpecLineFault(ReadFirstLine(saved)).empty(), "the saved first line is read with a fault");
            return LoadDataFile(again.ds, saved, layout);
        });
    return 0;
}
