// Reading files of trees in the program's tree text: one parenthesised tree per line, as the tree
// commands, the tree series and the consensus writers write it. A line is reduced to its OTU names
// and its clusters (the OTUs below each group), which the consensus, the cluster matrix and
// R-support count.
//
// Blanks are not part of names (a bare "Pop 1", as older files hold it, is the OTU "Pop1"),
// except in a name or label in single quotes, which holds any character (a quote doubled) and
// loses its quotes (the program's writers quote every name with a blank); branch lengths (":" and
// a number) are read and dropped; a group may carry a label behind its ")" (a support percentage
// "75", an angle label "<75>", an R label "R2.0"); the label of the outermost group is the tree's
// title.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "foundation/reporter.h"
#include "foundation/types.h"

// One tree of a file: its text (trimmed) and the number of its line in the file, from 1.
struct TreeLine {
    std::string Text;
    std::size_t LineNumber = 0;
};
using TreeLines = std::vector<TreeLine>;

// The numbers from .. to - 1 for a range-for (clang 14 cannot build std::views::iota with the
// standard library of gcc 12, which the fuzz harnesses use).
class IndexRun {
public:
    class Iterator {
    public:
        explicit Iterator(std::size_t i) : i_(i) {}
        std::size_t operator*() const { return i_; }
        Iterator& operator++() {
            ++i_;
            return *this;
        }
        bool operator==(const Iterator&) const = default;

    private:
        std::size_t i_;
    };
    IndexRun(std::size_t from, std::size_t to) : from_(from), to_(to) {}
    Iterator begin() const { return Iterator(from_); }
    Iterator end() const { return Iterator(to_); }

private:
    std::size_t from_;
    std::size_t to_;
};

// The members of a group: the leaves First .. First + Count - 1, which stand together in the text.
struct TreeGroup {
    std::size_t First = 0;
    std::size_t Count = 0;
    IndexRun Members() const { return {First, First + Count}; }
};

// A tree line taken apart.
struct ParsedTree {
    AString Names;  // the leaves from left to right, whole, blanks removed
    // The groups in the order they close: innermost first, the outermost group last.
    std::vector<TreeGroup> Groups;
    AString GroupLabels;    // the label behind each group's ")" (empty when none)
    std::string RootLabel;  // the label of the outermost group
};

// Parses one tree line: a group "(" ... ")" or a single name, an optional label and branch length,
// and an optional ";" that ends the line. Malformed text (unbalanced parentheses, an empty name, a
// name twice, text behind the ";", a branch length that is not a number) gives false and the
// reason, and leaves tree empty.
bool ParseTreeLine(std::string_view line, ParsedTree& tree, std::string& reason);

// The trees among the lines of a tree file: each line loses blanks, tabs, CRs and NULs at both
// ends; empty lines are skipped; a line "*" ends the list.
TreeLines ReadTreeLines(const AString& fileLines);

// Reads the tree file into its tree lines. An unreadable file ("Cannot read the tree file:") and a
// file without trees ("No trees found in the tree file:") are reported, with the file's name, and
// give false.
bool ReadTreeFile(Reporter& reporter, const std::string& fileName, TreeLines& trees);

// Parses every tree line; the first malformed one is reported with the file's name, its line
// number and the reason, and gives false.
bool ParseTreeLines(Reporter& reporter, const std::string& fileName, const TreeLines& lines,
                    std::vector<ParsedTree>& trees);

// The OTU names of a tree, in the order of its text (a tree's names fix the OTU order of its set
// when it is the first). Returns their number. The first consensus method, the cluster matrix and
// R-support hold them cut to 20 characters, as the tree writer does, while the names of the tree
// lines are compared whole: a longer name is not found among them. Lines with "<...>" labels
// (never names) read the same.
std::size_t TreeOTUNames(const ParsedTree& tree, AString& names);
std::size_t TreeOTUNamesLabelled(const ParsedTree& tree, AString& names);
// The second consensus method's: whole names.
std::size_t TreeOTUNamesB(const ParsedTree& tree, AString& names);

// The tree's title: its root label, or "Tree" + the line number when it has none.
std::string TreeRootLabel(const ParsedTree& tree, std::size_t lineNumber);
