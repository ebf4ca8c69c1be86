// The file specification line: the first line of a file, its "<...>" block and the layout it sets.
// A layout read from a line and written as a line again must read back the same. A line found
// without fault sets every flag itself, whatever the settings were; the written line has no fault.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz_support.h"
#include "shell/file_params.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::ResetShell();
    const std::string file = fuzz::Scratch().Write("input.txt", std::string(reinterpret_cast<const char*>(data), size));
    const FileParamRecord defaults = GetFileParams();
    const std::string first = ReadFirstLine(file);
    const std::string fault = SpecLineFault(first);
    std::string block;
    if (!ExtractSpecBlock(first, block)) {
        fuzz::Check(block.empty(), "a refused line left a block");
        return 0;
    }
    // Read over the opposite flags first: a line without fault leaves none of them standing.
    FileParamRecord opposite = defaults;
    for (bool* flag : {&opposite.IndInColumns, &opposite.IndHeader, &opposite.LocHeader, &opposite.DelimitedData,
                       &opposite.IncludeGroups})
        *flag = !*flag;
    SetFileParams(opposite);
    ParseSpecBlock(block);
    const FileParamRecord overOpposite = GetFileParams();
    SetFileParams(defaults);
    ParseSpecBlock(block);
    const FileParamRecord read = GetFileParams();
    if (fault.empty())
        fuzz::Check(overOpposite.IndInColumns == read.IndInColumns && overOpposite.IndHeader == read.IndHeader &&
                        overOpposite.LocHeader == read.LocHeader && overOpposite.DelimitedData == read.DelimitedData &&
                        overOpposite.IncludeGroups == read.IncludeGroups,
                    "a line read without fault left a flag to the previous settings: " + first);

    const std::string line = WriteSpecBlock(read);
    if (line.empty()) return 0;  // symbols that cannot stand in the line: it is not written
    fuzz::Check(line.size() >= 2 && line.substr(line.size() - 2) == "\r\n", "the written line does not end in CR LF");
    fuzz::Check(SpecLineFault(line.substr(0, line.size() - 2)).empty(), "the written line has a fault: " + line);
    const std::string again = fuzz::Scratch().Write("again.txt", line);
    SetFileParams(defaults);
    std::string block2;
    fuzz::Check(ExtractSpecBlock(ReadFirstLine(again), block2), "the written line holds no block: " + line);
    ParseSpecBlock(block2);
    fuzz::Check(GetFileParams() == read, "the written line reads back as another layout: " + line);
    return 0;
}
