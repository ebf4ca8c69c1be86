#include "trees/tree_reading.h"

#include <unordered_map>
#include <utility>

#include "foundation/file_io.h"
#include "foundation/number_text.h"
#include "foundation/strict_number.h"
#include "trees/tree_records.h"

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\0'; }

// Characters that end a name, a label or a branch length.
bool IsSeparator(char c) { return c == '(' || c == ')' || c == ',' || c == ';' || c == ':'; }

std::string Shown(char c) {
    if (static_cast<unsigned char>(c) < 32) return "character " + UIntToStr(static_cast<unsigned char>(c));
    return std::string("'") + c + "'";
}

// Walks the text once with an explicit stack of open groups, so that deeply nested text cannot
// exhaust the call stack.
class TreeParser {
public:
    TreeParser(std::string text, ParsedTree& tree) : s_(std::move(text)), tree_(tree) {}

    bool Parse(std::string& reason) {
        if (s_.empty()) return Fail("the line holds no tree", reason);
        bool expectElement = true;
        while (true) {
            if (expectElement) {
                if (pos_ >= s_.size()) return Fail("the text ends where a name or \"(\" is expected", reason);
                if (s_[pos_] == '(') {
                    ++pos_;
                    open_.push_back(tree_.Names.size());
                    continue;
                }
                if (!ReadLeaf(reason)) return false;
                expectElement = false;
                continue;
            }
            if (pos_ >= s_.size() || s_[pos_] == ';') {
                if (!open_.empty()) return Fail("a \"(\" is not closed", reason);
                if (pos_ < s_.size() && pos_ + 1 != s_.size()) return Fail("text follows the \";\"", reason);
                return true;
            }
            const char c = s_[pos_];
            if (c == ',') {
                if (open_.empty()) return Fail("a \",\" stands outside the parentheses", reason);
                ++pos_;
                expectElement = true;
                continue;
            }
            if (c == ')') {
                if (open_.empty()) return Fail("a \")\" has no \"(\"", reason);
                ++pos_;
                if (!CloseGroup(reason)) return false;
                continue;
            }
            return Fail("unexpected " + Shown(c) + " at position " + UIntToStr(pos_ + 1), reason);
        }
    }

private:
    bool Fail(const std::string& why, std::string& reason) {
        reason = why;
        tree_ = ParsedTree{};
        return false;
    }

    // A name or label in single quotes, a quote doubled inside: taken whole, separators and all.
    bool ReadQuoted(std::string& text, std::string& reason) {
        const std::size_t start = pos_++;
        text.clear();
        while (true) {
            if (pos_ >= s_.size())
                return Fail("the quote at position " + UIntToStr(start + 1) + " is not closed", reason);
            const char c = s_[pos_++];
            if (c != '\'') {
                text.push_back(c);
            } else if (pos_ < s_.size() && s_[pos_] == '\'') {
                text.push_back(c);
                ++pos_;
            } else {
                return true;
            }
        }
    }

    bool ReadLeaf(std::string& reason) {
        const std::size_t start = pos_;
        std::string name;
        if (s_[pos_] == '\'') {
            if (!ReadQuoted(name, reason)) return false;
        } else {
            while (pos_ < s_.size() && !IsSeparator(s_[pos_])) ++pos_;
            name = s_.substr(start, pos_ - start);
        }
        if (name.empty()) return Fail("a name is missing at position " + UIntToStr(start + 1), reason);
        if (!seen_.emplace(name, tree_.Names.size()).second) return Fail("the name " + name + " occurs twice", reason);
        tree_.Names.push_back(std::move(name));
        return ReadLength(reason);
    }

    bool CloseGroup(std::string& reason) {
        const std::size_t first = open_.back();
        open_.pop_back();
        if (first == tree_.Names.size()) return Fail("a group \"()\" is empty", reason);
        std::string label;
        if (!ReadLabel(label, reason) || !ReadLength(reason)) return false;
        if (open_.empty()) tree_.RootLabel = label;
        tree_.Groups.push_back({first, tree_.Names.size() - first});
        tree_.GroupLabels.push_back(std::move(label));
        return true;
    }

    // A label: characters up to a separator, where "<...>" is taken whole (it may hold any
    // character but ">").
    bool ReadLabel(std::string& label, std::string& reason) {
        if (pos_ < s_.size() && s_[pos_] == '\'') return ReadQuoted(label, reason);
        const std::size_t start = pos_;
        while (pos_ < s_.size()) {
            if (s_[pos_] == '<') {
                const std::size_t close = s_.find('>', pos_);
                if (close == std::string::npos) return Fail("a \"<\" label is not closed", reason);
                pos_ = close + 1;
            } else if (IsSeparator(s_[pos_])) {
                break;
            } else {
                ++pos_;
            }
        }
        label = s_.substr(start, pos_ - start);
        return true;
    }

    bool ReadLength(std::string& reason) {
        if (pos_ >= s_.size() || s_[pos_] != ':') return true;
        const std::size_t start = ++pos_;
        while (pos_ < s_.size() && !IsSeparator(s_[pos_])) ++pos_;
        Extended value = 0.0L;
        if (!StrictToExtended(std::string_view(s_).substr(start, pos_ - start), value))
            return Fail("the branch length at position " + UIntToStr(start + 1) + " is not a number", reason);
        return true;
    }

    std::string s_;
    ParsedTree& tree_;
    std::size_t pos_ = 0;
    std::vector<std::size_t> open_;  // the first leaf of each open group
    std::unordered_map<std::string, std::size_t> seen_;
};

// Blanks are dropped except inside quotes; a quote opens a name or label only where one begins.
std::string WithoutBlanks(std::string_view line) {
    std::string text;
    text.reserve(line.size());
    bool quoted = false;
    for (std::size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (quoted) {
            text.push_back(c);
            if (c != '\'') continue;
            if (i + 1 < line.size() && line[i + 1] == '\'') text.push_back(line[++i]);
            else quoted = false;
            continue;
        }
        if (IsBlank(c)) continue;
        if (c == '\'' && (text.empty() || IsSeparator(text.back()))) quoted = true;
        text.push_back(c);
    }
    return text;
}

}  // namespace

bool ParseTreeLine(std::string_view line, ParsedTree& tree, std::string& reason) {
    tree = ParsedTree{};
    reason.clear();
    TreeParser parser(WithoutBlanks(line), tree);
    return parser.Parse(reason);
}

TreeLines ReadTreeLines(const AString& fileLines) {
    TreeLines trees;
    for (std::size_t i = 0; i < fileLines.size(); ++i) {
        std::string_view line = fileLines[i];
        while (!line.empty() && IsBlank(line.front())) line.remove_prefix(1);
        while (!line.empty() && IsBlank(line.back())) line.remove_suffix(1);
        if (line == "*") break;
        if (line.empty()) continue;
        trees.push_back({std::string(line), i + 1});
    }
    return trees;
}

bool ReadTreeFile(Reporter& reporter, const std::string& fileName, TreeLines& trees) {
    trees.clear();
    AString lines;
    if (const int rc = ReadTextLines(fileName, lines); rc != 0) {
        reporter.Error("Cannot read the tree file:\r\n" + fileName + "\r\n" + FileErrorText(rc));
        return false;
    }
    trees = ReadTreeLines(lines);
    if (trees.empty()) {
        reporter.Error("No trees found in the tree file:\r\n" + fileName);
        return false;
    }
    return true;
}

bool ParseTreeLines(Reporter& reporter, const std::string& fileName, const TreeLines& lines,
                    std::vector<ParsedTree>& trees) {
    trees.clear();
    std::vector<ParsedTree> parsed(lines.size());
    for (std::size_t t = 0; t < lines.size(); ++t) {
        std::string reason;
        if (!ParseTreeLine(lines[t].Text, parsed[t], reason)) {
            reporter.Error("The tree file " + fileName + " holds no valid tree in line " +
                           UIntToStr(lines[t].LineNumber) + ": " + reason + ".");
            return false;
        }
    }
    trees = std::move(parsed);
    return true;
}

std::size_t TreeOTUNames(const ParsedTree& tree, AString& names) {
    names.clear();
    names.reserve(tree.Names.size());
    for (const std::string& name : tree.Names) names.push_back(TreeName(name));
    return names.size();
}

std::size_t TreeOTUNamesLabelled(const ParsedTree& tree, AString& names) { return TreeOTUNames(tree, names); }

std::size_t TreeOTUNamesB(const ParsedTree& tree, AString& names) {
    names = tree.Names;
    return names.size();
}

std::string TreeRootLabel(const ParsedTree& tree, std::size_t lineNumber) {
    return tree.RootLabel.empty() ? "Tree" + UIntToStr(lineNumber) : tree.RootLabel;
}
