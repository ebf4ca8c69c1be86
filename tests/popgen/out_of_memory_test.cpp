// A memory shortage while a file is read into the data set passes through the loader without
// leaving half-built data or held texts, and the one wrapper of the engine's entry points reports
// it as "Out of memory". A report that does not fit in memory is a failed write.
#include <gtest/gtest.h>

#include <cerrno>
#include <functional>
#include <string>

#include "popgen/data/data_import.h"
#include "popgen/data/data_loader.h"
#include "popgen/data/data_saver.h"
#include "popgen/distance/distance_matrix.h"
#include "popgen/distance/distance_report.h"
#include "popgen/data/filters.h"
#include "band_fixture.h"
#include "popgen/loader_fixture.h"
#include "support/allocation_limit.h"

TESK_DEFINE_ALLOCATION_LIMIT()

namespace {

constexpr std::size_t kSide = 300;  // about 90 000 cells, more than the limit allows

std::string Row(std::size_t n, const std::string& cell, const std::string& separator) {
    std::string row;
    for (std::size_t k = 0; k < n; ++k) row += (k == 0 ? "" : separator) + cell;
    return row;
}

std::string Names(std::size_t n, const std::string& separator) {
    std::string row;
    for (std::size_t k = 0; k < n; ++k) row += (k == 0 ? "" : separator) + "I" + std::to_string(k + 1);
    return row;
}

std::string BandFile() {
    std::string t = Names(kSide, " ") + "\r\n";
    for (std::size_t r = 0; r < kSide; ++r) t += Row(kSide, "1", " ") + "\r\n";
    return t;
}

}  // namespace

TEST(LoadOutOfMemory, LoadersReportTheShortage) {
    struct Case {
        const char* what;
        std::function<std::string()> body;
        std::function<bool(LoaderFixture&, const std::string&)> load;
    };
    const Case cases[] = {
        {"band data", BandFile,
         [](LoaderFixture& f, const std::string& file) { return LoadDataFile(f.ds, file, DefaultParams()); }},
        {"count data",
         [] {
             std::string t = "\t" + Names(kSide, "\t") + "\r\n";
             for (std::size_t r = 0; r < kSide; ++r)
                 t += "L" + std::to_string(r) + "\t" + Row(kSide, "5", "\t") + "\r\n";
             return t;
         },
         [](LoaderFixture& f, const std::string& file) {
             return ImportCountData(f.ds, file, 1, 10, "NA", DefaultParams());
         }},
        {"distance matrix",
         [] {
             std::string t = "title\r\n" + Names(kSide, " ") + "\r\n";
             for (std::size_t r = 1; r <= kSide; ++r) t += Row(r, "0.5", " ") + "\r\n";
             return t;
         },
         [](LoaderFixture& f, const std::string& file) {
             return ImportDistMatrix(f.ds, file, DistMatrixLayout{}, '*');
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        LoaderFixture f;
        const std::string file = f.dir.Write("big.txt", c.body());
        bool loaded = true;
        {
            // Above the reader's 64 KiB block, below the data.
            const RefuseLargeAllocations refuse(80 * 1024);
            EXPECT_NO_THROW(loaded = ReportShortage(f.reporter, [&] { return c.load(f, file); }));
        }
        EXPECT_FALSE(loaded);
        EXPECT_EQ(f.errors, (std::vector<std::string>{"Out of memory"}));
        EXPECT_FALSE(f.ds.HasData());
        EXPECT_FALSE(f.ds.InputText);
        EXPECT_FALSE(f.ds.DataText);

        // With memory back the same file loads.
        LoaderFixture g;
        EXPECT_TRUE(c.load(g, file)) << g.LastError();
    }
}

TEST(ReportOutOfMemory, DistanceReportFailsWithENOMEM) {
    BandDataSet b;
    b.SetRows(std::vector<std::string>(kSide, "1011"));
    TempDir dir;
    b.ds.OutputFileName = dir.Path("analysis.txt");
    ASSERT_TRUE(CalcDistMatrix(b.ds, RunOptions(0, 0, 0, 6.0L, 100), ProgramRandom()));
    int rc = 0;
    {
        const RefuseLargeAllocations refuse(80 * 1024);  // the text of the matrix needs about 540 KB
        EXPECT_NO_THROW(rc = OutputDistances2File(b.ds, CodeOf<Treatment>(0), CodeOf<Coefficient>(0),
                                                  CodeOf<Transformation>(0), {.Distances = true}));
    }
    EXPECT_EQ(rc, ENOMEM);
    EXPECT_FALSE(b.ds.ReportBuf);
    EXPECT_EQ(OutputDistances2File(b.ds, CodeOf<Treatment>(0), CodeOf<Coefficient>(0), CodeOf<Transformation>(0),
                                   {.Distances = true}),
              0);
}

// Saving and the working copy allocate as much as the matrix again; a shortage leaves the data set
// as it was.
TEST(DataSetOutOfMemory, SaveAndWorkingCopyReportTheShortage) {
    LoaderFixture f;
    ASSERT_TRUE(LoadDataFile(f.ds, f.dir.Write("big.txt", BandFile()), DefaultParams())) << f.LastError();
    const AByte working = f.ds.Layers[1].Matrix;
    const std::string saved = f.dir.Path("saved.txt");
    bool ok = true;
    {
        const RefuseLargeAllocations refuse(80 * 1024);
        EXPECT_NO_THROW(ok = ReportShortage(f.reporter, [&] {
                            return SaveData(f.ds, saved, false, kDefaultSpecLine, DefaultParams());
                        }));
        EXPECT_FALSE(ok);
        EXPECT_NO_THROW(ok = ReportShortage(f.reporter, [&] { return f.ds.RestoreOriginalMatrix(); }));
        EXPECT_FALSE(ok);
    }
    EXPECT_EQ(f.errors, (std::vector<std::string>{"Out of memory", "Out of memory"}));
    EXPECT_FALSE(f.ds.DataText);
    EXPECT_EQ(f.ds.Layers[1].Matrix, working);
    EXPECT_EQ(f.ds.Layers[1].NInd, kSide);

    f.errors.clear();
    EXPECT_TRUE(SaveData(f.ds, saved, false, kDefaultSpecLine, DefaultParams())) << f.LastError();
    EXPECT_TRUE(f.ds.RestoreOriginalMatrix()) << f.LastError();
}

TEST(DataSetOutOfMemory, FiltersAndReplacementLeaveTheLayersAsTheyWere) {
    LoaderFixture f;
    ASSERT_TRUE(LoadDataFile(f.ds, f.dir.Write("big.txt", BandFile()), DefaultParams())) << f.LastError();
    f.ds.Layers[1].Matrix[5] = kMissing;  // locus 1 now has a missing cell
    const AByte working = f.ds.Layers[1].Matrix;
    bool ok = true;
    {
        const RefuseLargeAllocations refuse(80 * 1024);
        EXPECT_NO_THROW(ok = ReportShortage(f.reporter, [&] { return RemoveLocMD(f.ds, 1, 0.0L) > 0; }));
        EXPECT_FALSE(ok);
        RandomStream random(7);
        EXPECT_NO_THROW(ok = ReportShortage(f.reporter, [&] { return ReplaceMissingData(f.ds, 3, 0.5L, random); }));
        EXPECT_FALSE(ok);
    }
    EXPECT_EQ(f.errors, (std::vector<std::string>{"Out of memory", "Out of memory"}));
    EXPECT_EQ(f.ds.CurLayer, 1);
    EXPECT_EQ(f.ds.Layers[1].Matrix, working);
    EXPECT_EQ(f.ds.Layers[1].NLoci, kSide);
    EXPECT_FALSE(f.ds.Layers[3].HasMatrix());
    EXPECT_EQ(RemoveLocMD(f.ds, 1, 0.0L), 1u);
}
