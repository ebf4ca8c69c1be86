// Count-data import: thresholds, the missing-data text and the layout to save with come from the
// end of the input (the defaults when it ends in text), the count table is the rest. Imported
// data saved as a data file (names of both kinds written) must read back the same.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz_support.h"
#include "popgen/data/data_import.h"
#include "shell/file_params.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::ResetShell();
    FuzzedDataProvider in(data, size);
    std::uint32_t absentMax = 1;
    std::uint32_t presentMin = 10;
    std::string missing = "NA";
    FileParamRecord params = GetFileParams();
    params.LocHeader = 1;
    if (fuzz::WantsVariation(in)) {
        absentMax = in.ConsumeIntegralInRange<std::uint32_t>(0, 20);
        presentMin = in.ConsumeIntegralInRange<std::uint32_t>(0, 20);
        if (in.ConsumeBool()) missing = in.ConsumeBytesAsString(in.ConsumeIntegralInRange<std::size_t>(0, 3));
        params = fuzz::RandomParams(in, params);
        params.IndHeader = params.LocHeader = 1;  // names of both kinds are written
    }
    const std::string file = fuzz::Scratch().Write("counts.tsv", in.ConsumeRemainingBytesAsString());

    fuzz::CheckBandReader(
        "ImportCountData", params, WriteSpecBlock(params),
        [&](TPopGenDataSet& ds) { return ImportCountData(ds, file, absentMax, presentMin, missing, params); },
        fuzz::LoadWith(params));
    return 0;
}
