#include "popgen/data/data_loader.h"

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "foundation/text_file.h"
#include "popgen/data/data_import.h"
#include "popgen/loader_fixture.h"

namespace {

class DataLoaderTest : public ::testing::Test, public LoaderFixture {};

std::size_t CountCells(const TDSLayer& layer, std::uint8_t code) {
    std::size_t n = 0;
    for (std::uint8_t c : layer.Matrix) n += c == code ? 1 : 0;
    return n;
}

TEST_F(DataLoaderTest, ExampleFileLoadsWithItsGroupsAndLocusSets) {
    ASSERT_TRUE(LoadDataFile(ds, ExamplePath("fingerprints.txt"), DefaultParams())) << LastError();
    EXPECT_EQ(ds.ErrorCount(), 0u);
    const TDSLayer& base = ds.Layers[0];
    EXPECT_EQ(base.NInd, 40u);
    EXPECT_EQ(base.NLoci, 120u);
    EXPECT_EQ(base.IndNames.front(), "N1_01");
    EXPECT_EQ(base.IndNames.back(), "S2_10");
    EXPECT_EQ(base.LocNames.front(), "Locus1");
    EXPECT_EQ(base.LocNames.back(), "Locus120");
    EXPECT_GT(CountCells(base, kMissing), 0u);
    EXPECT_EQ(CountCells(base, kMissing) + CountCells(base, kPresent) + CountCells(base, kAbsent), base.NCells);

    ASSERT_EQ(ds.Groups.size(), 7u);
    EXPECT_EQ(ds.Groups[0].Name, "AllData");
    EXPECT_EQ(ds.Groups[2].Name, "AllData/North/N1");
    EXPECT_EQ(ds.Groups[2].Count, 10u);
    EXPECT_EQ(ds.Groups[2].Mask[0], 1);
    EXPECT_EQ(ds.Groups[2].Mask[10], 0);
    ASSERT_EQ(ds.LocusSets.size(), 3u);
    EXPECT_EQ(ds.LocusSets[2].Name, "PrimerB");
    EXPECT_EQ(ds.LocusSets[2].Mask[59], 0);
    EXPECT_EQ(ds.LocusSets[2].Mask[60], 1);

    // The working copy is current and holds the whole data.
    EXPECT_EQ(ds.CurLayer, 1);
    EXPECT_TRUE(ds.HasData());
    EXPECT_EQ(ds.Layers[1].Matrix, base.Matrix);
    EXPECT_EQ(ds.DataFileName, ExamplePath("fingerprints.txt"));
    EXPECT_FALSE(ds.InputText);
    EXPECT_FALSE(ds.DataText);
    EXPECT_TRUE(ds.Select(2, 1));
    EXPECT_EQ(ds.GetCurrLayer().NInd, 10u);
    EXPECT_EQ(ds.GetCurrLayer().NLoci, 60u);
}

// One matrix (individuals A, B, C; loci L1..L4) written in every layout the loader reads.
struct LayoutCase {
    const char* what;
    std::uint8_t indInColumns, indHeader, locHeader, delimited;
    const char* delimiters;
    const char* body;
    bool namedInd, namedLoci;
};

TEST_F(DataLoaderTest, EveryLayoutGivesTheSameLocusMajorMatrix) {
    const std::vector<std::string> expected = {"1091", "0110", "9001"};
    const LayoutCase cases[] = {
        {"ind in columns, header", 1, 1, 0, 1, " ", "A B C\n1 0 ?\n0 1 0\n? 1 0\n1 0 1\n", true, false},
        {"ind in columns, header and labels", 1, 1, 1, 1, " ", "A B C\nL1 1 0 ?\nL2 0 1 0\nL3 ? 1 0\nL4 1 0 1\n",
         true, true},
        {"ind in columns, bare undelimited", 1, 0, 0, 0, " ", "10?\n010\n?10\n101\n", false, false},
        {"ind in rows, labels and header", 0, 1, 1, 1, " ", "L1 L2 L3 L4\nA 1 0 ? 1\nB 0 1 1 0\nC ? 0 0 1\n",
         true, true},
        {"ind in rows, labels, undelimited", 0, 1, 0, 0, " ", "A 10?1\nB 0110\nC ?001\n", true, false},
        {"ind in rows, tabs and runs of blanks", 0, 1, 0, 1, " \t", "A\t1  0 ? 1\nB 0\t1 1 0 \nC ? 0 0 1\n", true,
         false},
        {"ind in rows, comma delimited with trailing commas", 0, 1, 1, 1, ",", "L1,L2,L3,L4,\nA,1,0,?,1,\nB,0,1,1,0,\nC,?,0,0,1,\n",
         true, true},
    };
    for (const LayoutCase& c : cases) {
        SCOPED_TRACE(c.what);
        FileParamRecord p = DefaultParams();
        p.IndInColumns = c.indInColumns;
        p.IndHeader = c.indHeader;
        p.LocHeader = c.locHeader;
        p.DelimitedData = c.delimited;
        p.Delimiters = c.delimiters;
        TPopGenDataSet fresh;
        fresh.OnError([this](const std::string& msg) { errors.push_back(msg); });
        ASSERT_TRUE(LoadDataFile(fresh, dir.Write("m.txt", c.body), p)) << LastError();
        const TDSLayer& l = fresh.Layers[0];
        EXPECT_EQ(RowsOf(l), expected);
        EXPECT_EQ(l.IndNames, (c.namedInd ? AString{"A", "B", "C"} : AString{"OTU1", "OTU2", "OTU3"}));
        EXPECT_EQ(l.LocNames,
                  (c.namedLoci ? AString{"L1", "L2", "L3", "L4"} : AString{"Locus1", "Locus2", "Locus3", "Locus4"}));
    }
}

TEST_F(DataLoaderTest, SpecLineIsCutBeforeTheEndOfDataSearch) {
    const std::string file = dir.Write("s.txt", kDefaultSpecLine + "A B\r\n1 0\r\n0 ?\r\n*\r\n");
    ASSERT_TRUE(LoadDataFile(ds, file, DefaultParams())) << LastError();
    EXPECT_EQ(RowsOf(ds.Layers[0]), (std::vector<std::string>{"10", "09"}));

    // Without the pre-parse the '*' of the file specification line ends the data at line 0.
    TPopGenDataSet raw;
    raw.OnError([this](const std::string& msg) { errors.push_back(msg); });
    raw.SetTextDelimiters(false, '<', '>');
    EXPECT_FALSE(LoadDataFile(raw, file, DefaultParams()));
    EXPECT_GT(raw.ErrorCount(), 0u);
}

TEST_F(DataLoaderTest, EndOfDataInsideARemarkEndsTheBlockThere) {
    const std::string file = dir.Write("r.txt", "A B\n1 0\n0 1 {the * here}\n1 1\n*\n");
    ASSERT_TRUE(LoadDataFile(ds, file, DefaultParams())) << LastError();
    EXPECT_EQ(RowsOf(ds.Layers[0]), (std::vector<std::string>{"1", "0"}));
    // Remarks elsewhere are removed, also across lines.
    LoaderFixture other;
    const std::string f2 = other.dir.Write("r2.txt", "A {x y} B\n1 {?} 0\n{a remark\nover two lines}0 1\n*\n");
    ASSERT_TRUE(LoadDataFile(other.ds, f2, DefaultParams())) << other.LastError();
    EXPECT_EQ(RowsOf(other.ds.Layers[0]), (std::vector<std::string>{"10", "01"}));
}

TEST_F(DataLoaderTest, LineBreaksOfEveryKindLoadAlike) {
    const std::string body = "A B|1 0|0 ?|*|[groups]|g=A;|*|";
    std::vector<std::vector<std::string>> results;
    for (const std::string& br : {std::string("\r\n"), std::string("\n"), std::string("\r")}) {
        std::string text;
        for (char c : body) text += c == '|' ? br : std::string(1, c);
        LoaderFixture f;
        f.ds.IncludeGroups = 1;
        ASSERT_TRUE(LoadDataFile(f.ds, f.dir.Write("b.txt", text), DefaultParams())) << f.LastError();
        ASSERT_EQ(f.ds.Groups.size(), 2u);
        results.push_back(RowsOf(f.ds.Layers[0]));
    }
    EXPECT_EQ(results[0], results[1]);
    EXPECT_EQ(results[0], results[2]);
}

TEST_F(DataLoaderTest, SectionTitlesIgnoreCaseButMembersDoNot) {
    const std::string file = dir.Write("g.txt", "Ab cd\n1 0\n*\n[GROUPS]\ng1 = Ab;\n*\n[locussets]\nP=Locus1;\n*\n");
    ASSERT_TRUE(LoadDataFile(ds, file, DefaultParams())) << LastError();
    ASSERT_EQ(ds.Groups.size(), 2u);
    EXPECT_EQ(ds.Groups[1].Name, "g1");
    EXPECT_EQ(ds.Groups[1].Mask, (AByte{1, 0}));
    ASSERT_EQ(ds.LocusSets.size(), 2u);

    LoaderFixture f;
    const std::string bad = f.dir.Write("g2.txt", "Ab cd\n1 0\n*\n[Groups]\ng1=ab;\n*\n");
    EXPECT_FALSE(LoadDataFile(f.ds, bad, DefaultParams()));
    EXPECT_EQ(f.LastError(), "Group Filter could not be read. Individual not found:\r\nab\r\n\r\nOperation aborted.");
}

// Only a definition that ends its (empty) member list with ';' makes an empty set; a bare "name="
// defines nothing, as before.
TEST_F(DataLoaderTest, EmptyMemberListNeedsItsSemicolon) {
    const std::string file =
        dir.Write("e.txt", "A B\n1 0\n*\n[Groups]\nG1= ;\nG2=\nG3 =;\n*\n[LocusSets]\nL1=\t;\nL2 =  \n*\n");
    ASSERT_TRUE(LoadDataFile(ds, file, DefaultParams())) << LastError();
    std::vector<std::string> groups, locusSets;
    for (const TdsFilterRec& g : ds.Groups) groups.push_back(g.Name);
    for (const TdsFilterRec& l : ds.LocusSets) locusSets.push_back(l.Name);
    EXPECT_EQ(groups, (std::vector<std::string>{"AllData", "G1", "G3"}));
    EXPECT_EQ(locusSets, (std::vector<std::string>{"AllLoci", "L1"}));
    EXPECT_EQ(ds.Groups[2].Mask, AByte(2, 0));
}

TEST_F(DataLoaderTest, SectionsWithoutClosingLineEndAtTheNextTitle) {
    const std::string file = dir.Write("t.txt", "A B\n1 0\n*\n[Groups]\ng=A,B;\n[LocusSets]\np=Locus1;\n");
    ASSERT_TRUE(LoadDataFile(ds, file, DefaultParams())) << LastError();
    EXPECT_EQ(ds.Groups.size(), 2u);
    EXPECT_EQ(ds.LocusSets.size(), 2u);
}

TEST_F(DataLoaderTest, SectionsAreSkippedWhenNotIncluded) {
    ds.IncludeGroups = 0;
    const std::string file = dir.Write("n.txt", "A B\n1 0\n*\n[Groups]\ng=Nobody;\n*\n");
    ASSERT_TRUE(LoadDataFile(ds, file, DefaultParams())) << LastError();
    EXPECT_EQ(ds.Groups.size(), 1u);
}

TEST_F(DataLoaderTest, DuplicateNamesAreListedAndCutAt100Characters) {
    std::string header, row;
    for (int i = 0; i < 30; ++i) {
        const std::string n = "Individual" + std::to_string(i);
        header += n + " " + n + " ";
        row += "1 0 ";
    }
    EXPECT_FALSE(LoadDataFile(ds, dir.Write("d.txt", header + "\n" + row + "\n*\n"), DefaultParams()));
    const std::string msg = LastError();
    ASSERT_EQ(msg.rfind("Individual names are not unique:\r\n\r\nIndividual0, Individual1, ", 0), 0u) << msg;
    EXPECT_EQ(msg.size(), std::string("Individual names are not unique:\r\n\r\n").size() + 100 + 3);
    EXPECT_EQ(msg.substr(msg.size() - 3), "...");
    EXPECT_TRUE(IsCleared());

    LoaderFixture f;
    EXPECT_FALSE(LoadDataFile(f.ds, f.dir.Write("l.txt", "A B\nX 1 0\nX 0 1\n*\n"), [] {
        FileParamRecord p = DefaultParams();
        p.LocHeader = 1;
        return p;
    }()));
    EXPECT_EQ(f.LastError(), "Locus names are not unique:\r\n\r\nX");
}

// Malformed input: every case ends in a message, with the data set cleared.
struct BadInput {
    const char* what;
    std::string bytes;
    const char* message;  // the start of the last report
};

std::string Garbage(std::size_t n, unsigned seed) {
    std::mt19937 rng(seed);
    std::string s(n, '\0');
    for (char& c : s) c = static_cast<char>(rng() & 0xFF);
    return s;
}

TEST_F(DataLoaderTest, MalformedFilesAreRefusedAndLeaveTheDataSetCleared) {
    const BadInput cases[] = {
        {"empty file", "", "Loading data failed: No data"},
        {"header only", "A B C\n*\n", "Loading data failed: No data"},
        {"binary garbage", Garbage(4096, 1), "Loading data failed"},
        {"truncated row", "A B C\n1 0 1\n1 0\n*\n", "Loading data failed (2): Unexpected data line length\r\n10"},
        {"row too long", "A B C\n1 0 1\n1 0 1 1\n*\n", "Loading data failed (2): Unexpected data line length\r\n1011"},
        {"no end-of-data line before [Groups]", "A B\n1 0\n[Groups]\ng=A;\n",
         "Loading data failed (2): Unexpected data line length"},
        {"unknown character", "A B\n1 x\n*\n", "Loading data failed (3): Unknown data character: x"},
        {"control character", std::string("A B\n1 \x01\n*\n"), "Loading data failed (3): Unknown data character: #1"},
        {"unknown group member", "A B\n1 0\n*\n[Groups]\ng=A,Z;\n*\n",
         "Group Filter could not be read. Individual not found:\r\nZ\r\n\r\nOperation aborted."},
        {"unknown locus", "A B\n1 0\n*\n[LocusSets]\np=Locus2;\n*\n",
         "Locus Filter could not be read. Locus not found:\r\nLocus2\r\n\r\nOperation aborted."},
        {"ten megabytes of one line", std::string(10 << 20, '1'), "Loading data failed: No data"},
        {"ten megabytes of garbage in one line", [] {
             std::string s = Garbage(10 << 20, 2);
             for (char& c : s)
                 if (c == '\n' || c == '\r' || c == '*') c = 'x';
             return s;
         }(),
         "Loading data failed"},
        {"remark not closed", "A B\n1 0\n{lost rows follow\n0 1\n1 1\n*\n",
         "Loading data failed: Remark not closed in the data block"},
        {"remark not closed in a section", "A B\n1 0\n*\n[Groups]\n{x\ng=A;\n*\n",
         "Loading data failed: Remark not closed in [Groups]"},
    };
    for (const BadInput& c : cases) {
        SCOPED_TRACE(c.what);
        LoaderFixture f;
        EXPECT_FALSE(LoadDataFile(f.ds, f.dir.Write("bad.txt", c.bytes), DefaultParams()));
        EXPECT_GT(f.ds.ErrorCount(), 0u);
        EXPECT_EQ(f.LastError().rfind(c.message, 0), 0u) << f.LastError().substr(0, 300);
        EXPECT_TRUE(f.IsCleared());
    }
}

// Tree files drop NUL bytes, so two names that differ only by one would meet as one label there:
// a name holding one is refused wherever names come in, and the data set is left cleared.
TEST_F(DataLoaderTest, NamesHoldingANulByteAreRefusedOnEveryRoad) {
    using namespace std::string_literals;
    FileParamRecord p = DefaultParams();
    p.Delimiters = " \t";  // the default set holds NUL: names would be cut there
    FileParamRecord labelled = p;
    labelled.LocHeader = 1;
    const struct {
        const char* what;
        std::function<bool(TPopGenDataSet&, const TempDir&)> load;
        std::string message;
    } cases[] = {
        {"individual in the header",
         [&](TPopGenDataSet& d, const TempDir& t) { return LoadDataFile(d, t.Write("n.txt", "A B\0x\n1 0\n*\n"s), p); },
         "Individual name \"B#0x\" holds #0 (a NUL byte)"},
        {"locus as a row label",
         [&](TPopGenDataSet& d, const TempDir& t) {
             return LoadDataFile(d, t.Write("n.txt", "A B\nL1 1 0\nL\0 0 1\n*\n"s), labelled);
         },
         "Locus name \"L#0\" holds #0 (a NUL byte)"},
        {"group",
         [&](TPopGenDataSet& d, const TempDir& t) {
             return LoadDataFile(d, t.Write("n.txt", "A B\n1 0\n*\n[Groups]\nG\0=A;\n*\n"s), p);
         },
         "Group name \"G#0\" holds #0 (a NUL byte)"},
        {"locus set, with the default delimiters",
         [&](TPopGenDataSet& d, const TempDir& t) {
             return LoadDataFile(d, t.Write("n.txt", "A B\n1 0\n*\n[LocusSets]\nP\0Q=Locus1;\n*\n"s), DefaultParams());
         },
         "Locus set name \"P#0Q\" holds #0 (a NUL byte)"},
        {"group member",
         [&](TPopGenDataSet& d, const TempDir& t) {
             return LoadDataFile(d, t.Write("n.txt", "A B\n1 0\n*\n[Groups]\nG=A,B\0;\n*\n"s), p);
         },
         "Individual name \"B#0\" holds #0 (a NUL byte)"},
        {"clipboard", [&](TPopGenDataSet& d, const TempDir&) { return LoadDataFromText(d, "A\0 B\n1 0\n"s, p); },
         "Individual name \"A#0\" holds #0 (a NUL byte)"},
        {"count data",
         [&](TPopGenDataSet& d, const TempDir& t) {
             return ImportCountData(d, t.Write("n.tsv", "\tI1\tI2\nL\0\t3\t0\n"s), 1, 2, "NA", p);
         },
         "Locus name \"L#0\" holds #0 (a NUL byte)"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        LoaderFixture f;
        EXPECT_FALSE(c.load(f.ds, f.dir));
        EXPECT_EQ(f.errors, std::vector<std::string>{"Name not allowed:\r\n" + c.message});
        EXPECT_TRUE(f.IsCleared());
    }
    // Without the NUL byte each loads.
    EXPECT_TRUE(LoadDataFile(ds, dir.Write("ok.txt", "A Bx\n1 0\n*\n[Groups]\nG=A,Bx;\n*\n"), p)) << LastError();
}

TEST_F(DataLoaderTest, BothBadSetSectionsAreReported) {
    LoaderFixture f;
    const std::string file = f.dir.Write("bad.txt", "A B\n1 0\n*\n[Groups]\ng=A,Z;\n*\n[LocusSets]\np=Locus9;\n*\n");
    EXPECT_FALSE(LoadDataFile(f.ds, file, DefaultParams()));
    EXPECT_EQ(f.errors, (std::vector<std::string>{
                            "Group Filter could not be read. Individual not found:\r\nZ\r\n\r\nOperation aborted.",
                            "Locus Filter could not be read. Locus not found:\r\nLocus9\r\n\r\nOperation aborted."}));
    EXPECT_TRUE(f.IsCleared());
}

// Damaged copies of a valid file (bytes changed, cut or repeated at random places, fixed seed):
// each either loads completely or is refused with the data set cleared.
TEST_F(DataLoaderTest, DamagedFilesLoadWhollyOrNotAtAll) {
    const std::string valid = "A B C\r\n1 0 ?\r\n{remark} 0 1 0\r\n? 1 0\r\n*\r\n[Groups]\r\nAllData/G=A,C;\r\n*\r\n"
                              "[LocusSets]\r\nP=Locus1,Locus3;\r\n*\r\n";
    const std::string alphabet = "10? {}*[]=,;\r\nABCGLP";
    std::mt19937 rng(20261209);
    for (int round = 0; round < 300; ++round) {
        std::string bytes = valid;
        const int edits = 1 + static_cast<int>(rng() % 4);
        for (int e = 0; e < edits && !bytes.empty(); ++e) {
            const std::size_t at = rng() % bytes.size();
            switch (rng() % 3) {
                case 0: bytes[at] = alphabet[rng() % alphabet.size()]; break;
                case 1: bytes.erase(at, 1 + rng() % 8); break;
                default: bytes.insert(at, bytes.substr(at, 1 + rng() % 8)); break;
            }
        }
        SCOPED_TRACE(bytes);
        LoaderFixture f;
        const bool ok = LoadDataFile(f.ds, f.dir.Write("x.txt", bytes), DefaultParams());
        EXPECT_EQ(ok, f.ds.ErrorCount() == 0);
        EXPECT_FALSE(f.ds.InputText);
        EXPECT_FALSE(f.ds.DataText);
        if (ok) {
            EXPECT_TRUE(f.ds.HasData());
            ASSERT_FALSE(f.ds.Groups.empty());
            EXPECT_EQ(f.ds.Groups[0].Name, "AllData");
            EXPECT_EQ(f.ds.Layers[1].Matrix, f.ds.Layers[0].Matrix);
        } else {
            EXPECT_TRUE(f.IsCleared());
        }
    }
}

// A file with several faults reports the first kind in the order labels, line lengths,
// characters, whichever line comes first.
TEST_F(DataLoaderTest, SeveralFaultsReportTheFirstKind) {
    FileParamRecord labelled = DefaultParams();
    labelled.LocHeader = 1;
    const struct {
        const char* body;
        const char* message;
    } cases[] = {
        {"A B\nL1 1 x\nL2 0 1\nL3 1\n*\n", "Loading data failed (2): Unexpected data line length\r\n1"},
        {"A B\nL1 1 x\nL2 0 1 1\nL3\n*\n", "Loading data failed (1): Error parsing lines"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.body);
        LoaderFixture f;
        EXPECT_FALSE(LoadDataFile(f.ds, f.dir.Write("f.txt", c.body), labelled));
        EXPECT_EQ(f.errors, std::vector<std::string>{c.message});
    }
}

TEST_F(DataLoaderTest, ManyCopiesOfOneNameAreRefusedAtOnce) {
    std::string header, row;
    for (int i = 0; i < 20000; ++i) {
        header += "- ";
        row += "1 ";
    }
    std::string list;
    for (int i = 0; i < 40; ++i) list += i == 0 ? "-" : ", -";
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(LoadDataFile(ds, dir.Write("d.txt", header + "\n" + row + "\n*\n"), DefaultParams()));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
    EXPECT_EQ(errors, std::vector<std::string>{"Individual names are not unique:\r\n\r\n" + list.substr(0, 100) + "..."});
    EXPECT_TRUE(IsCleared());
}

TEST_F(DataLoaderTest, LabelAndUndelimitedFailuresAreReported) {
    FileParamRecord undelimited = DefaultParams();
    undelimited.IndInColumns = 0;
    undelimited.DelimitedData = 0;
    undelimited.IndHeader = 1;
    const struct {
        const char* body;
        const char* message;
    } cases[] = {
        {"A10\nB01\n", "Loading data failed: No data"},  // after "Cannot interpret input"
        {"A 10\nB01\n", "Loading data failed (1): Error parsing lines"},
    };
    for (const auto& c : cases) {
        LoaderFixture f;
        EXPECT_FALSE(LoadDataFile(f.ds, f.dir.Write("u.txt", c.body), undelimited));
        EXPECT_EQ(f.LastError(), c.message);
        EXPECT_TRUE(f.IsCleared());
    }
    LoaderFixture f;
    LoadDataFile(f.ds, f.dir.Write("u.txt", "A10\n"), undelimited);
    EXPECT_EQ(f.errors.front(), "Loading data failed: Cannot interpret input");
}

TEST_F(DataLoaderTest, MissingFileIsReported) {
    const std::string name = dir.Path("nothing.txt");
    EXPECT_FALSE(LoadDataFile(ds, name, DefaultParams()));
    EXPECT_EQ(LastError(), "File not found:\r\n" + name);
    EXPECT_FALSE(OpenInputFile(ds, dir.Root().string()));  // a folder is no input file
    EXPECT_TRUE(IsCleared());
}

TEST_F(DataLoaderTest, ParserWithoutTextReportsIt) {
    EXPECT_FALSE(LoadDataTF(ds, DefaultParams()));
    EXPECT_EQ(LastError(), "LoadDataTF serious error: tf is nil");
}

TEST_F(DataLoaderTest, ClipboardTextLoadsTheSameWithEveryLineBreak) {
    FileParamRecord p = DefaultParams();
    p.IncludeGroups = 0;
    ASSERT_TRUE(LoadDataFromText(ds, "A B C\r\n1 0 ?\r\n0 1 1\r\n*\r\n", p)) << LastError();
    const std::vector<std::string> crlf = RowsOf(ds.Layers[0]);
    EXPECT_EQ(ds.CurLayer, 1);
    EXPECT_EQ(ds.Groups.size(), 1u);
    for (const char* text : {"A B C\n1 0 ?\n0 1 1\n*\n", "A B C\r1 0 ?\r0 1 1\r*", "A B C\n1 0 ?\r\n0 1 1"}) {
        LoaderFixture f;
        ASSERT_TRUE(LoadDataFromText(f.ds, text, p)) << f.LastError();
        EXPECT_EQ(RowsOf(f.ds.Layers[0]), crlf);
    }
    LoaderFixture f;
    EXPECT_FALSE(LoadDataFromText(f.ds, "A B\n1 0 1\n", p));
    EXPECT_TRUE(f.IsCleared());
}

}  // namespace
