// The 3-D plot: projecting the vertices one at a time or four at a time, and a whole drawing.
#include <benchmark/benchmark.h>

#include <memory>

#include "foundation/random.h"
#include "plot3d/plot3d.h"
#include "plot3d/recording_canvas.h"

namespace {

// n random points in [-1, 1) with a box and lines along all three axes, viewed as the viewer starts.
tplot3d MakePlot(std::size_t n) {
    RandSeed = 20240601;
    auto points = std::make_shared<a3dsymbol>(n);
    for (t3dsymbol& p : *points) {
        p.X = static_cast<float>(2.0L * RandomFloat() - 1.0L);
        p.Y = static_cast<float>(2.0L * RandomFloat() - 1.0L);
        p.Z = static_cast<float>(2.0L * RandomFloat() - 1.0L);
        p.Size = 3;
        p.Shape = kShapeCircle;
    }
    tplot3d plot;
    plot.Init(800, 600, PlotFont{});
    plot.SetScale(10, 10, 10);
    plot.SetZoom(50);
    plot.SetRotation(30, 30, 0);
    plot.SetSymbols(points);
    plot.BuildBox(1.1f, -1.1f, 1.1f, -1.1f, 1.1f, -1.1f);
    plot.SetXReference(kRefZero);
    plot.SetYReference(kRefZero);
    plot.SetZReference(kRefZero);
    plot.SetAxes({.X = true, .Y = true, .Z = true});
    return plot;
}

void BM_ProjectScalar(benchmark::State& state) {
    tplot3d plot = MakePlot(static_cast<std::size_t>(state.range(0)));
    for (auto _ : state) {
        plot.ProjectScalar();
        benchmark::DoNotOptimize(plot.ScreenX().data());
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(plot.VX.size()));
}
BENCHMARK(BM_ProjectScalar)->Arg(1000)->Arg(100000);

void BM_ProjectVector(benchmark::State& state) {
    tplot3d plot = MakePlot(static_cast<std::size_t>(state.range(0)));
    for (auto _ : state) {
        plot.ProjectVector();
        benchmark::DoNotOptimize(plot.ScreenX().data());
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(plot.VX.size()));
}
BENCHMARK(BM_ProjectVector)->Arg(1000)->Arg(100000);

void BM_Draw(benchmark::State& state) {
    tplot3d plot = MakePlot(static_cast<std::size_t>(state.range(0)));
    plot.UseSSE = true;
    for (auto _ : state) {
        RecordingCanvas canvas;
        plot.Draw(canvas);
        benchmark::DoNotOptimize(canvas.ops.data());
    }
}
BENCHMARK(BM_Draw)->Arg(1000);

}  // namespace
