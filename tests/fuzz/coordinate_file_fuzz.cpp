// Coordinate files of the 3-D viewer: any bytes read without a crash and without more reports than
// the cap; what was read writes out and reads back as the same points, and the engine draws it.
// Points labelled with any pieces of the input (empty, quotes only, separators, header markers)
// write out and read back with their labels, separators and line breaks turned into '_'.
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <utility>

#include "foundation/file_io.h"
#include "plot3d/coordinate_file.h"
#include "plot3d/plot3d.h"
#include "plot3d/recording_canvas.h"

namespace {

// One file per process, rewritten for every input: the reader under test reads files.
const std::string& ScratchFile() {
    static const std::string name = [] {
        std::string pattern = (std::filesystem::temp_directory_path() / "tesk-coord-fuzz-XXXXXX").string();
        const int fd = ::mkstemp(pattern.data());
        if (fd < 0) std::abort();
        ::close(fd);
        return pattern;
    }();
    return name;
}

bool Near(float a, float b) {
    // Five decimals are written.
    return std::fabs(static_cast<double>(a) - static_cast<double>(b)) <=
           5.1e-6 + 1e-6 * std::fabs(static_cast<double>(a));
}

[[noreturn]] void Fail(int line) {
    std::fprintf(stderr, "check failed on line %d\n", line);
    std::abort();
}

#define Check(condition)                  \
    do {                                  \
        if (!(condition)) Fail(__LINE__); \
    } while (false)

// The label a written point reads back with: what the export must keep of it.
std::string KeptLabel(std::string label) {
    for (char& c : label)
        if (c == '\t' || c == ' ' || c == ',' || c == '\r' || c == '\n') c = '_';
    return label;
}

// One point per piece of the input between 0x01 bytes, labelled with that piece cut to the
// longest label, and points labelled with quotes only (one to four, as many as the first byte of the
// input says, and the longest labels), which must not be taken for the empty-label mark or for
// each other.
void LabelsRoundTrip(std::string_view input, const std::string& file) {
    a3dsymbol points;
    const auto add = [&points](std::string label) {
        t3dsymbol point;
        point.X = static_cast<float>(points.size());
        point.Label = std::move(label);
        points.push_back(std::move(point));
    };
    for (std::size_t start = 0; start <= input.size() && points.size() < 64;) {
        const std::size_t end = std::min(input.find('\x01', start), input.size());
        add(std::string(input.substr(start, std::min(end - start, kMaxLabelLength))));
        start = end + 1;
    }
    const std::size_t quotes = input.empty() ? 0 : static_cast<std::uint8_t>(input[0]);
    for (const std::size_t n : {std::size_t{1}, std::size_t{2}, std::size_t{3}, std::size_t{4}, quotes % 8,
                                std::min(quotes, kMaxLabelLength), kMaxLabelLength - 1, kMaxLabelLength})
        add(std::string(n, '"'));
    Check(WriteCoordinateFile(file, points) == 0);
    a3dsymbol back;
    Reporter reporter;
    Check(ReadCoordinateFile(reporter, file, back));
    Check(reporter.ErrorCount() == 0);
    Check(back.size() == points.size());
    for (std::size_t i = 0; i < points.size(); ++i) {
        Check(back[i].X == points[i].X);
        Check(back[i].Label == KeptLabel(points[i].Label));
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string& file = ScratchFile();
    LabelsRoundTrip(std::string_view(reinterpret_cast<const char*>(data), size), file);
    Check(WriteTextFile(file, std::string_view(reinterpret_cast<const char*>(data), size), false) == 0);
    a3dsymbol points;
    Reporter reporter;
    if (!ReadCoordinateFile(reporter, file, points)) {
        Check(reporter.ErrorCount() == 0);
        return 0;
    }
    Check(reporter.ErrorCount() <= kMaxReportedImportErrors + 1);

    // Save -> load -> the same points, and the same text again.
    const std::string text = CoordinateFileText(points);
    Check(WriteTextFile(file, text, false) == 0);
    a3dsymbol back;
    const ReportScope scope(reporter);
    Check(scope.Succeeded(ReadCoordinateFile(reporter, file, back)));
    Check(back.size() == points.size());
    for (std::size_t i = 0; i < points.size(); ++i) {
        Check(Near(points[i].X, back[i].X) && Near(points[i].Y, back[i].Y) && Near(points[i].Z, back[i].Z));
        Check(back[i].Label == points[i].Label);
        Check(back[i].Shape == points[i].Shape);
        Check(back[i].Colour == points[i].Colour);
    }
    Check(CoordinateFileText(back) == text);

    // The engine draws whatever was read and finds its symbols.
    auto shared = std::make_shared<a3dsymbol>(std::move(back));
    tplot3d plot;
    plot.Init(640, 480, PlotFont{});
    plot.SetScale(10, 10, 10);
    plot.SetZoom(50);
    plot.SetRotation(30, 30, 0);
    plot.SetSymbols(shared);
    plot.SetAxesStyle({.Positive = true, .Negative = true});
    plot.SetExternalPlanes({.NegXY = true, .NegXZ = true, .NegYZ = true, .PosXY = true, .PosXZ = true, .PosYZ = true},
                           0xD0D0D0);
    const auto e = plot.GetExtent();
    plot.BuildBox(e[0], e[1], e[2], e[3], e[4], e[5]);
    plot.SetXReference(kRefLow);
    plot.SetYReference(kRefHigh);
    plot.SetAxes({.X = true, .Y = true, .Z = true});
    plot.UseSSE = (size & 1u) != 0;
    RecordingCanvas canvas;
    plot.Draw(canvas);
    Check(plot.HitCount == shared->size());
    std::size_t index = 0;
    if (plot.FindSymbolAt(plot.HitList[0].X, plot.HitList[0].Y, index)) Check(index < shared->size());
    return 0;
}
