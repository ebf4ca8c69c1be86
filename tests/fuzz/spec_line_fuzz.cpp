// The file specification line: the first line of a file, its "<...>" block and the layout it sets.
// A layout read from a line and written as a line again must read back the same.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz_support.h"
#include "shell/file_params.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::ResetShell();
    const std::string file = fuzz::Scratch().Write("input.txt", std::string(reinterpret_cast<const char*>(data), size));
    const FileParamRecord defaults = GetFileParams();
    std::string block;
    if (!ExtractSpecBlock(ReadFirstLine(file), block)) {
        fuzz::Check(block.empty(), "a refused line left a block");
        return 0;
    }
    ParseSpecBlock(block);
    const FileParamRecord read = GetFileParams();

    const std::string line = WriteSpecBlock(read);
    if (line.empty()) return 0;  // symbols that cannot stand in the line: it is not written
    fuzz::Check(line.size() >= 2 && line.substr(line.size() - 2) == "\r\n", "the written line does not end in CR LF");
    const std::string again = fuzz::Scratch().Write("again.txt", line);
    SetFileParams(defaults);
    std::string block2;
    fuzz::Check(ExtractSpecBlock(ReadFirstLine(again), block2), "the written line holds no block: " + line);
    ParseSpecBlock(block2);
    fuzz::Check(GetFileParams() == read, "the written line reads back as another layout: " + line);
    return 0;
}
