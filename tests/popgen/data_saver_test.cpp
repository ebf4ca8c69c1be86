#include "popgen/data/data_saver.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <filesystem>
#include <string>
#include <vector>

#include "popgen/data/data_loader.h"
#include "popgen/loader_fixture.h"

namespace {

class DataSaverTest : public ::testing::Test, public LoaderFixture {
protected:
    // The saved file's lines (split at CR LF; every line break must be CR LF).
    static std::vector<std::string> LinesOf(const std::string& bytes) {
        std::vector<std::string> lines;
        std::size_t start = 0;
        for (std::size_t at = bytes.find('\n'); at != std::string::npos; at = bytes.find('\n', start)) {
            EXPECT_TRUE(at > 0 && bytes[at - 1] == '\r') << "bare LF at " << at;
            lines.push_back(bytes.substr(start, at - 1 - start));
            start = at + 1;
        }
        EXPECT_EQ(start, bytes.size()) << "text after the last line break";
        return lines;
    }

    // A loaded three-by-four data set with one group and one locus set besides the defaults.
    void LoadSmall(TPopGenDataSet& target) {
        const std::string file = dir.Write(
            "small.txt", "A B C\n1 0 ?\n0 1 0\n? 1 0\n1 0 1\n*\n[Groups]\nAllData/G=A,C;\n*\n[LocusSets]\nP=Locus2,Locus4;\n*\n");
        ASSERT_TRUE(LoadDataFile(target, file, DefaultParams())) << LastError();
    }
};

void ExpectSameData(const TPopGenDataSet& a, const TPopGenDataSet& b) {
    EXPECT_EQ(a.Layers[0].Matrix, b.Layers[0].Matrix);
    EXPECT_EQ(a.Layers[0].NInd, b.Layers[0].NInd);
    EXPECT_EQ(a.Layers[0].IndNames, b.Layers[0].IndNames);
    EXPECT_EQ(a.Layers[0].LocNames, b.Layers[0].LocNames);
    ASSERT_EQ(a.Groups.size(), b.Groups.size());
    for (std::size_t g = 0; g < a.Groups.size(); ++g) {
        EXPECT_EQ(a.Groups[g].Name, b.Groups[g].Name);
        EXPECT_EQ(a.Groups[g].Members, b.Groups[g].Members);
        EXPECT_EQ(a.Groups[g].Mask, b.Groups[g].Mask);
    }
    ASSERT_EQ(a.LocusSets.size(), b.LocusSets.size());
    for (std::size_t l = 0; l < a.LocusSets.size(); ++l) {
        EXPECT_EQ(a.LocusSets[l].Name, b.LocusSets[l].Name);
        EXPECT_EQ(a.LocusSets[l].Mask, b.LocusSets[l].Mask);
    }
}

TEST_F(DataSaverTest, ExampleFileRoundTrips) {
    ASSERT_TRUE(LoadDataFile(ds, ExamplePath("fingerprints.txt"), DefaultParams())) << LastError();
    const std::string saved = dir.Path("saved.txt");
    ASSERT_TRUE(SaveData(ds, saved, false, kDefaultSpecLine + "\r\n", DefaultParams())) << LastError();
    const std::vector<std::string> lines = LinesOf(TempDir::Read(saved));
    ASSERT_GT(lines.size(), 3u);
    EXPECT_EQ(lines[0], kDefaultSpecLine);
    EXPECT_EQ(lines[1].substr(0, 12), "N1_01 N1_02 ");

    LoaderFixture again;
    ASSERT_TRUE(LoadDataFile(again.ds, saved, DefaultParams())) << again.LastError();
    ExpectSameData(ds, again.ds);
    // Saving the reloaded data gives the same bytes.
    const std::string twice = dir.Path("twice.txt");
    ASSERT_TRUE(SaveData(again.ds, twice, false, kDefaultSpecLine + "\r\n", DefaultParams()));
    EXPECT_EQ(TempDir::Read(saved), TempDir::Read(twice));
}

TEST_F(DataSaverTest, EveryLayoutReadsBackWhatWasSaved) {
    LoadSmall(ds);
    const struct {
        std::uint8_t indInColumns, indHeader, locHeader, delimited;
        const char* delimiters;
    } layouts[] = {
        {1, 1, 0, 1, " "}, {1, 1, 1, 1, " "}, {1, 0, 0, 0, " "}, {0, 1, 1, 1, " "},
        {0, 1, 0, 0, " "}, {0, 1, 1, 1, ","}, {1, 1, 1, 0, "\t"}, {0, 0, 1, 1, ";,"},
    };
    for (const auto& l : layouts) {
        SCOPED_TRACE(testing::Message() << int(l.indInColumns) << int(l.indHeader) << int(l.locHeader)
                                        << int(l.delimited) << " '" << l.delimiters << "'");
        FileParamRecord p = DefaultParams();
        p.IndInColumns = l.indInColumns;
        p.IndHeader = l.indHeader;
        p.LocHeader = l.locHeader;
        p.DelimitedData = l.delimited;
        p.Delimiters = l.delimiters;
        p.WriteDefaultSets = 1;
        p.IncludeGroups = l.indHeader;  // group members are individual names
        const std::string file = dir.Path("layout.txt");
        ASSERT_TRUE(SaveData(ds, file, false, kDefaultSpecLine, p)) << LastError();
        LoaderFixture again;
        ASSERT_TRUE(LoadDataFile(again.ds, file, p)) << again.LastError() << "\n" << TempDir::Read(file);
        EXPECT_EQ(again.ds.Layers[0].Matrix, ds.Layers[0].Matrix);
        if (l.indHeader == 1) {
            ExpectSameData(ds, again.ds);
        }
    }
}

TEST_F(DataSaverTest, WrittenTextFollowsTheRecord) {
    LoadSmall(ds);
    ASSERT_TRUE(SaveData(ds, dir.Path("a.txt"), false, kDefaultSpecLine, DefaultParams()));
    EXPECT_EQ(LinesOf(TempDir::Read(dir.Path("a.txt"))),
              (std::vector<std::string>{kDefaultSpecLine + "A B C ", "1 0 ? ", "0 1 0 ", "? 1 0 ", "1 0 1 ", "*", "",
                                        "[Groups]", "AllData/G= A, C;", "*", "", "[LocusSets]",
                                        "P= Locus2, Locus4;", "*"}));

    FileParamRecord bare = DefaultParams();
    bare.IndHeader = 0;
    bare.DelimitedData = 0;
    bare.IncludeGroups = 0;
    ASSERT_TRUE(SaveData(ds, dir.Path("b.txt"), false, "<S>", bare));
    EXPECT_EQ(LinesOf(TempDir::Read(dir.Path("b.txt"))),
              (std::vector<std::string>{"<S>10?", "010", "?10", "101", "*"}));

    FileParamRecord labelled = bare;
    labelled.LocHeader = 1;
    ASSERT_TRUE(SaveData(ds, dir.Path("c.txt"), false, "<S>", labelled));
    EXPECT_EQ(LinesOf(TempDir::Read(dir.Path("c.txt")))[0], "<S>Locus1 10?");

    FileParamRecord negative = DefaultParams();
    negative.AmbiguityNegative = 1;
    negative.IncludeGroups = 0;
    ASSERT_TRUE(SaveData(ds, dir.Path("d.txt"), false, "", negative));
    EXPECT_EQ(LinesOf(TempDir::Read(dir.Path("d.txt")))[1], "1 0 -? ");
}

TEST_F(DataSaverTest, DefaultSetsAreWrittenOnlyWhenAsked) {
    ASSERT_TRUE(LoadDataFile(ds, dir.Write("p.txt", "A B\n1 0\n*\n"), DefaultParams()));
    ASSERT_TRUE(SaveData(ds, dir.Path("no.txt"), false, "", DefaultParams()));
    EXPECT_EQ(TempDir::Read(dir.Path("no.txt")).find("[Groups]"), std::string::npos);

    FileParamRecord p = DefaultParams();
    p.WriteDefaultSets = 1;
    ASSERT_TRUE(SaveData(ds, dir.Path("yes.txt"), false, "", p));
    const std::vector<std::string> lines = LinesOf(TempDir::Read(dir.Path("yes.txt")));
    EXPECT_EQ(std::vector<std::string>(lines.end() - 8, lines.end()),
              (std::vector<std::string>{"", "[Groups]", "AllData= A, B;", "*", "", "[LocusSets]", "AllLoci= Locus1;",
                                        "*"}));
}

TEST_F(DataSaverTest, InvalidCellIsMarkedAndReportedOnce) {
    LoadSmall(ds);
    ds.Layers[1].Matrix[0] = 5;
    ds.Layers[1].Matrix[1] = 7;
    FileParamRecord p = DefaultParams();
    p.IncludeGroups = 0;
    EXPECT_TRUE(SaveData(ds, dir.Path("i.txt"), false, "", p));
    EXPECT_EQ(LinesOf(TempDir::Read(dir.Path("i.txt")))[1], "! ! ? ");
    EXPECT_EQ(errors, (std::vector<std::string>{"Data Inconsitency Error."}));
}

TEST_F(DataSaverTest, SavedSelectionKeepsOnlyItsMembersAndLoadsAgain) {
    ASSERT_TRUE(LoadDataFile(ds, ExamplePath("fingerprints.txt"), DefaultParams()));
    ASSERT_TRUE(ds.Select(2, 1));  // AllData/North/N1 by PrimerA
    const std::string file = dir.Path("sel.txt");
    FileParamRecord p = DefaultParams();
    p.WriteDefaultSets = 1;
    ASSERT_TRUE(SaveData(ds, file, false, kDefaultSpecLine + "\r\n", p)) << LastError();

    LoaderFixture again;
    ASSERT_TRUE(LoadDataFile(again.ds, file, p)) << again.LastError();
    const TPopGenDataSet& r = again.ds;
    EXPECT_EQ(r.Layers[0].NInd, 10u);
    EXPECT_EQ(r.Layers[0].NLoci, 60u);
    EXPECT_EQ(r.Layers[0].Matrix, ds.Layers[2].Matrix);
    // Sets without a member in the selection are written "name= ;" and load again as empty sets.
    ASSERT_EQ(r.Groups.size(), ds.Groups.size());
    for (std::size_t g = 0; g < r.Groups.size(); ++g) EXPECT_EQ(r.Groups[g].Name, ds.Groups[g].Name);
    EXPECT_EQ(r.Groups[1].Count, 10u);
    for (const std::size_t g : {3u, 4u, 5u, 6u}) {
        EXPECT_TRUE(r.Groups[g].Members.empty()) << r.Groups[g].Name;
        EXPECT_EQ(r.Groups[g].Count, 0u);
        EXPECT_EQ(r.Groups[g].Mask, AByte(10, 0));
    }
    // AllLoci (saved, and the same as the default), PrimerA, and PrimerB without loci.
    ASSERT_EQ(r.LocusSets.size(), 3u);
    EXPECT_EQ(r.LocusSets[2].Name, "PrimerB");
    EXPECT_EQ(r.LocusSets[2].Mask, AByte(60, 0));

    // Saved again, the file is the same byte for byte, and loads with the same sets.
    const std::string second = dir.Path("sel2.txt");
    ASSERT_TRUE(SaveData(again.ds, second, false, kDefaultSpecLine + "\r\n", p)) << again.LastError();
    EXPECT_EQ(TempDir::Read(second), TempDir::Read(file));
    LoaderFixture third;
    ASSERT_TRUE(LoadDataFile(third.ds, second, p)) << third.LastError();
    ExpectSameData(r, third.ds);
}

// A group that the file names "AllData" but that holds fewer individuals is a set of the file's own
// (so is a later "AllLoci"): a selection of it, saved, read back and saved again, keeps it, with
// the default sets written or not.
TEST_F(DataSaverTest, SetsNamedLikeTheDefaultSetsSurviveASavedSelection) {
    const std::string file = dir.Write("d.txt",
                                       "A B C\n1 0 ?\n0 1 0\n? 1 0\n1 0 1\n*\n[Groups]\nAllData=A,C;\n*\n"
                                       "[LocusSets]\nP=Locus1;\nAllLoci=Locus2,Locus4;\n*\n");
    const auto names = [](const TFilterArray& sets) {
        std::vector<std::string> out;
        for (const TdsFilterRec& set : sets) out.push_back(set.Name);
        return out;
    };
    for (const bool writeDefaults : {false, true}) {
        SCOPED_TRACE(writeDefaults);
        LoaderFixture loaded;
        ASSERT_TRUE(LoadDataFile(loaded.ds, file, DefaultParams())) << loaded.LastError();
        ASSERT_EQ(names(loaded.ds.Groups), (std::vector<std::string>{"AllData", "AllData"}));
        ASSERT_EQ(names(loaded.ds.LocusSets), (std::vector<std::string>{"AllLoci", "P", "AllLoci"}));
        ASSERT_TRUE(loaded.ds.Select(1, 2));  // A, C by Locus2, Locus4: each set now holds all of it
        FileParamRecord p = DefaultParams();
        p.WriteDefaultSets = writeDefaults;
        const std::string first = dir.Path("first.txt");
        ASSERT_TRUE(SaveData(loaded.ds, first, false, kDefaultSpecLine + "\r\n", p)) << loaded.LastError();
        // The default group goes before the group of its name; the default locus set is not needed
        // before P.
        std::vector<std::string> sections = {"",  "[Groups]", "AllData= A, C;", "AllData= A, C;",
                                             "*", "",         "[LocusSets]"};
        if (writeDefaults) sections.push_back("AllLoci= Locus1, Locus2;");
        for (const char* line : {"P= ;", "AllLoci= Locus1, Locus2;", "*"}) sections.push_back(line);
        const std::vector<std::string> lines = LinesOf(TempDir::Read(first));
        ASSERT_GE(lines.size(), sections.size());
        EXPECT_EQ(std::vector<std::string>(lines.end() - static_cast<std::ptrdiff_t>(sections.size()), lines.end()),
                  sections);

        LoaderFixture again;
        ASSERT_TRUE(LoadDataFile(again.ds, first, p)) << again.LastError();
        EXPECT_EQ(names(again.ds.Groups), (std::vector<std::string>{"AllData", "AllData"}));
        EXPECT_EQ(names(again.ds.LocusSets), (std::vector<std::string>{"AllLoci", "P", "AllLoci"}));
        const std::string second = dir.Path("second.txt");
        ASSERT_TRUE(SaveData(again.ds, second, false, kDefaultSpecLine + "\r\n", p)) << again.LastError();
        EXPECT_EQ(TempDir::Read(second), TempDir::Read(first));
        LoaderFixture third;
        ASSERT_TRUE(LoadDataFile(third.ds, second, p)) << third.LastError();
        ExpectSameData(again.ds, third.ds);
    }
}

// Without written names the loader numbers the saved individuals and loci anew; the sets must
// name their members as the file will, or the file does not load (or loads with wrong members).
TEST_F(DataSaverTest, SavedSelectionWithoutNamesKeepsItsSetMembers) {
    const std::string file = dir.Write("q.txt",
                                       "A B C\n1 0 ?\n0 1 0\n? 1 0\n1 0 1\n*\n[Groups]\nAllData/G=A,C;\nH=B,C;\n*\n"
                                       "[LocusSets]\nP=Locus2,Locus4;\nQ=Locus3,Locus4;\n*\n");
    ASSERT_TRUE(LoadDataFile(ds, file, DefaultParams())) << LastError();
    ASSERT_TRUE(ds.Select(2, 2));  // H by Q: B, C at Locus3, Locus4
    FileParamRecord p = DefaultParams();
    p.IndHeader = 0;
    const std::string saved = dir.Path("sel.txt");
    ASSERT_TRUE(SaveData(ds, saved, false, "", p)) << LastError();

    LoaderFixture again;
    ASSERT_TRUE(LoadDataFile(again.ds, saved, p)) << again.LastError() << "\n" << TempDir::Read(saved);
    const TPopGenDataSet& r = again.ds;
    EXPECT_EQ(r.Layers[0].Matrix, ds.Layers[2].Matrix);
    ASSERT_EQ(r.Groups.size(), 3u);
    EXPECT_EQ(r.Groups[1].Name, "AllData/G");
    EXPECT_EQ(r.Groups[1].Mask, (AByte{0, 1}));  // C only
    EXPECT_EQ(r.Groups[2].Mask, (AByte{1, 1}));
    ASSERT_EQ(r.LocusSets.size(), 3u);
    EXPECT_EQ(r.LocusSets[1].Mask, (AByte{0, 1}));  // Locus4 only
    EXPECT_EQ(r.LocusSets[2].Mask, (AByte{1, 1}));
}

TEST_F(DataSaverTest, LayerWithoutNamesTakesThemFromTheLoadedData) {
    LoadSmall(ds);
    ds.SkipLabels = 1;
    ASSERT_TRUE(ds.Select(1, 1));
    FileParamRecord p = DefaultParams();
    p.IncludeGroups = 0;
    p.LocHeader = 1;
    ASSERT_TRUE(SaveData(ds, dir.Path("n.txt"), false, "", p));
    EXPECT_EQ(LinesOf(TempDir::Read(dir.Path("n.txt"))),
              (std::vector<std::string>{"A C ", "Locus2 0 0 ", "Locus4 1 1 ", "*"}));
}

TEST_F(DataSaverTest, FailuresAreReportedNeverSaved) {
    EXPECT_FALSE(SaveData(ds, dir.Path("x.txt"), false, "", DefaultParams()));
    EXPECT_EQ(LastError(), "No data loaded");

    LoadSmall(ds);
    const std::string name = dir.Path("missing/folder/x.txt");
    EXPECT_FALSE(SaveData(ds, name, false, "", DefaultParams()));
    EXPECT_EQ(LastError(), "Could not save the data to file:\r\n" + name + "\r\nNo such file or directory");
    EXPECT_FALSE(ds.DataText);
    EXPECT_FALSE(SaveData(ds, dir.Root().string(), false, "", DefaultParams()));
    EXPECT_EQ(LastError().rfind("Could not save the data to file:", 0), 0u);
}

// The saved file is what the user keeps: a name, a symbol or a delimiter that the loader would
// read as something else (a matrix that stops early, a remark, a split member list) makes the
// save fail with the reason, and nothing is written.
TEST_F(DataSaverTest, WhatTheLayoutCannotCarryIsRefusedNotWritten) {
    FileParamRecord hash = DefaultParams();
    hash.EndOfDataChar = '#';
    const struct {
        const char* what;
        std::string file;  // loaded with `load`
        FileParamRecord load;
        void (*change)(FileParamRecord&);  // the layout the save uses
        std::string message;
    } cases[] = {
        {"end-of-data mark in a name", "a*b c\n1 0\n#\n", hash, [](FileParamRecord& p) { p.EndOfDataChar = '*'; },
         "Individual name \"a*b\" holds '*' (the end-of-data mark)"},
        {"list separator with the default sets", "a,b c\n1 0\n*\n", DefaultParams(),
         [](FileParamRecord& p) { p.WriteDefaultSets = 1; },
         "Individual name \"a,b\" holds ',' (the separator of set members)"},
        {"file specification mark on the first line", "\nA<1 B\n1 0\n*\n", DefaultParams(), [](FileParamRecord&) {},
         "Individual name \"A<1\" holds '<' (a mark of the file specification line)"},
        {"remark '[' in the section title", "A B\n1 0\n*\n[Groups]\nG=A;\n*\n", DefaultParams(),
         [](FileParamRecord& p) { p.OpenRemarkChar = '['; },
         "The remark mark '[' is part of the text of the [Groups] section"},
        {"remark 'u' in the section title", "A B\n1 0\n*\n[Groups]\nG=A;\n*\n", DefaultParams(),
         [](FileParamRecord& p) { p.OpenRemarkChar = 'u'; },
         "The remark mark 'u' is part of the text of the [Groups] section"},
        {"remark 'l' in a group name", "A B\n1 0\n*\n[Groups]\nAllData/G=A;\n*\n", DefaultParams(),
         [](FileParamRecord& p) { p.OpenRemarkChar = 'l'; }, "Group name \"AllData/G\" holds 'l' (a remark mark)"},
        {"presence symbol ends the data", "A B\n1 0\n*\n", DefaultParams(),
         [](FileParamRecord& p) { p.PresenceChar = '*'; },
         "The symbol '*' of present bands is also the end-of-data mark"},
        {"absence symbol reads as presence", "A B\n1 0\n*\n", DefaultParams(),
         [](FileParamRecord& p) { p.AbsenceChar = '1'; },
         "The symbol '1' of absent bands is also the symbol of present bands"},
        {"delimiter ends the data", "A B\n1 0\n*\n", DefaultParams(), [](FileParamRecord& p) { p.Delimiters = "*"; },
         "The delimiter '*' is also the end-of-data mark"},
        {"no delimiter", "A B\n1 0\n*\n", DefaultParams(), [](FileParamRecord& p) { p.Delimiters.clear(); },
         "The layout has no delimiter"},
        {"end-of-data line before the sections lost", "A B\n1 0\n*\n[Groups]\nG=A;\n*\n", DefaultParams(),
         [](FileParamRecord& p) { p.EndOfDataChar = '\n'; }, "The end-of-data mark is a line break"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        LoaderFixture f;
        ASSERT_TRUE(LoadDataFile(f.ds, f.dir.Write("in.txt", c.file), c.load)) << f.LastError();
        FileParamRecord p = c.load;
        c.change(p);
        const std::string out = f.dir.Path("out.txt");
        EXPECT_FALSE(SaveData(f.ds, out, false, "", p));
        EXPECT_EQ(f.errors, (std::vector<std::string>{"Data not saved:\r\n" + c.message}));
        EXPECT_FALSE(std::filesystem::exists(out));
        EXPECT_TRUE(f.ds.HasData());
    }
}

// Where the layout carries a name, it is written: "a,b" without the default sets, "A<1" on a later
// line, "a*b" with another end-of-data mark.
TEST_F(DataSaverTest, NamesTheLayoutCarriesAreWrittenAndReadBack) {
    const struct {
        const char* what;
        std::string file;
        void (*change)(FileParamRecord&);
    } cases[] = {
        {"list separator in a name", "a,b c\n1 0\n*\n[Groups]\nG=c;\n*\n", [](FileParamRecord&) {}},
        {"file specification mark in a row label", "L1 L2\nA<1 10\nB> 01\n*\n",
         [](FileParamRecord& p) {
             p.IndInColumns = 0;
             p.LocHeader = 1;
             p.DelimitedData = 0;
         }},
        {"end-of-data mark of another layout", "a*b c\n1 0\n#\n", [](FileParamRecord& p) { p.EndOfDataChar = '#'; }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        FileParamRecord p = DefaultParams();
        c.change(p);
        LoaderFixture f;
        ASSERT_TRUE(LoadDataFile(f.ds, f.dir.Write("in.txt", c.file), p)) << f.LastError();
        const std::string out = f.dir.Path("out.txt");
        ASSERT_TRUE(SaveData(f.ds, out, false, kDefaultSpecLine, p)) << f.LastError();
        LoaderFixture again;
        ASSERT_TRUE(LoadDataFile(again.ds, out, p)) << again.LastError();
        ExpectSameData(f.ds, again.ds);
    }
}

TEST_F(DataSaverTest, AppendAddsToTheFile) {
    LoadSmall(ds);
    FileParamRecord p = DefaultParams();
    p.IncludeGroups = 0;
    const std::string file = dir.Write("app.txt", "before\r\n");
    ASSERT_TRUE(SaveData(ds, file, true, "", p));
    EXPECT_EQ(TempDir::Read(file).rfind("before\r\nA B C \r\n", 0), 0u);
}

}  // namespace
