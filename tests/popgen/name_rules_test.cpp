#include "popgen/data/name_rules.h"

#include <gtest/gtest.h>

#include <string>

#include "popgen/loader_fixture.h"

namespace {

// A character is refused only at the places where the loader reads it as something else, so the
// one rule serves the saver (its exact places) and every way a name enters the program (all of them).
TEST(NameRulesTest, ACharacterIsRefusedOnlyWhereItMeansSomething) {
    const struct {
        const char* name;
        std::uint8_t places;
        const char* role;  // nullptr: the name is carried
    } cases[] = {
        {"a=b", kNameInMatrix | kNameInSetList, nullptr},
        {"a=b", kNameOfSet, "the separator of a set name"},
        {"a,b;", kNameInMatrix | kNameOfSet, nullptr},
        {"a,b", kNameInSetList, "the separator of set members"},
        {"a}b", kNameInMatrix | kNameInSetList | kNameOfSet, nullptr},
        {"a}b", kNameEntering, "a remark mark"},
        {"a{b", kNameInSetList, "a remark mark"},
        {"a<b", kNameInMatrix, nullptr},
        {"a<b", kNameOnFirstLine, "a mark of the file specification line"},
        {"a\tb", kNameInMatrix, "a delimiter"},
        {"a\tb", kNameOfSet, "a blank, which set lists drop"},
        {"a*b", kNameInSetList | kNameOfSet, nullptr},
        {"a*b", kNameInMatrix, "the end-of-data mark"},
        {"a\rb", kNameOfSet, "a line break"},
        {"AllData/North-1.b", EnteringNamePlaces(NameKind::Group), nullptr},
        {"N1_01", EnteringNamePlaces(NameKind::Individual), nullptr},
        {"", kNameInSetList, nullptr},  // carried by its separators
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "'" << c.name << "' at " << int(c.places));
        const auto fault = FindNameFault(c.name, c.places, DefaultParams());
        ASSERT_EQ(fault.has_value(), c.role != nullptr);
        if (fault) {
            EXPECT_EQ(fault->Role, c.role);
        }
    }
    EXPECT_TRUE(FindNameFault("", kNameInMatrix, DefaultParams())->Empty);
}

// A NUL byte stands nowhere (tree files drop it); with no place given only it and line breaks are
// refused, as CheckReadNames refuses what a data file brought in.
TEST(NameRulesTest, ANulByteIsCarriedAtNoPlace) {
    const std::string nul("a\0b", 3);
    FileParamRecord p = DefaultParams();
    p.Delimiters = " \t";  // the default set holds NUL, and a delimiter is refused as one first
    for (const std::uint8_t places : {std::uint8_t{0}, kNameInMatrix, kNameInSetList, kNameOfSet, kNameEntering}) {
        SCOPED_TRACE(int(places));
        const auto fault = FindNameFault(nul, places, p);
        ASSERT_TRUE(fault.has_value());
        EXPECT_EQ(fault->Role, "a NUL byte");
    }
    for (const char* carried : {"a<b", "a=b", "a,b;", "a{b", "a b", "a*b", ""})
        EXPECT_FALSE(FindNameFault(carried, 0, DefaultParams()).has_value()) << carried;
    EXPECT_EQ(FindNameFault("a\rb", 0, DefaultParams())->Role, "a line break");

    LoaderFixture f;
    EXPECT_TRUE(CheckReadNames(f.ds, {"x<y", "a b", ""}, NameKind::Individual, DefaultParams()));
    EXPECT_FALSE(CheckReadNames(f.ds, {"ok", nul}, NameKind::Group, DefaultParams()));
    EXPECT_EQ(f.errors, std::vector<std::string>{"Name not allowed:\r\nGroup name \"a#0b\" holds #0 (a NUL byte)"});
}

TEST(NameRulesTest, EnteringNamesAreReportedWithKindNameAndCharacter) {
    LoaderFixture f;
    EXPECT_TRUE(CheckNewNames(f.ds, {"A", "B/C"}, NameKind::LocusSet, DefaultParams()));
    EXPECT_FALSE(CheckNewNames(f.ds, {"ok", "x=y"}, NameKind::Group, DefaultParams()));
    // Long names are cut, and control characters shown by their codes.
    EXPECT_FALSE(CheckNewNames(f.ds, {"\x01*" + std::string(120, 'n')}, NameKind::Locus, DefaultParams()));
    EXPECT_FALSE(CheckNewNames(f.ds, {"ok", ""}, NameKind::Individual, DefaultParams()));
    EXPECT_EQ(f.errors, (std::vector<std::string>{
                            "Name not allowed:\r\nGroup name \"x=y\" holds '=' (the separator of a set name)",
                            "Name not allowed:\r\nLocus name \"#1*" + std::string(98, 'n') +
                                "...\" holds '*' (the end-of-data mark)",
                            "Name not allowed:\r\nIndividual name 2 is empty"}));
}

}  // namespace
