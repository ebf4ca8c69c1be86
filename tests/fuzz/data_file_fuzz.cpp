// The data-file loader with the default layout and no use of the file specification line (the
// loader still cuts a "<...>" block out of the first line). A loaded file saved without a
// file specification line must read back the same.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz_support.h"
#include "shell/file_params.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::ResetShell();
    const FileParamRecord params = GetFileParams();
    const std::string file = fuzz::Scratch().Write("input.txt", std::string(reinterpret_cast<const char*>(data), size));
    fuzz::CheckBandReader(
        "LoadDataFile", params, "", [&](TPopGenDataSet& ds) { return LoadDataFile(ds, file, params); },
        fuzz::LoadWith(params));
    return 0;
}
