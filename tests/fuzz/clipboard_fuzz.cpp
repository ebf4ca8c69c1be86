// Clipboard text read as a band matrix under any layout (symbols, delimiters and flags from the
// end of the input, the defaults when it ends in text; the text is the rest). Loaded text saved
// as a data file with the same layout must read back the same.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz_support.h"
#include "popgen/data/data_import.h"
#include "shell/file_params.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::ResetShell();
    FuzzedDataProvider in(data, size);
    const fuzz::Layout layout = fuzz::VariedLayout(in, GetFileParams());
    const FileParamRecord& params = layout.params;
    const std::string text = in.ConsumeRemainingBytesAsString();
    fuzz::CheckBandReader(
        "LoadDataFromText", params, layout.specLine ? WriteSpecBlock(params) : std::string(),
        [&](TPopGenDataSet& ds) { return LoadDataFromText(ds, text, params); }, fuzz::LoadWith(params));
    return 0;
}
