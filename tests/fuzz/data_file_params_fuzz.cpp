// The data-file loader under any layout: symbols, delimiters and flags come from the end of the
// input (the defaults when it ends in text), the file is the rest. A loaded file saved with the
// same layout, with or without a file specification line, must read back the same.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz_support.h"
#include "shell/file_params.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::ResetShell();
    FuzzedDataProvider in(data, size);
    const fuzz::Layout layout = fuzz::VariedLayout(in, GetFileParams());
    const FileParamRecord& params = layout.params;
    const std::string file = fuzz::Scratch().Write("input.txt", in.ConsumeRemainingBytesAsString());
    fuzz::CheckBandReader(
        "LoadDataFile", params, layout.specLine ? WriteSpecBlock(params) : std::string(),
        [&](TPopGenDataSet& ds) { return LoadDataFile(ds, file, params); }, fuzz::LoadWith(params));
    return 0;
}
