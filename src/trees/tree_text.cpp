#include "trees/tree_text.h"

#include <algorithm>
#include <unordered_map>
#include <vector>

#include "foundation/number_text.h"

namespace {

std::string BranchLength(Extended value) { return ":" + ExtToStrF(value, 10, 9); }

// Appends the name as written (cut to 20 characters and quoted); false, reported, when a line
// cannot carry it.
bool AppendName(Reporter& reporter, std::string_view name, std::string& out) {
    const std::string cut = TreeName(name);
    if (!TreeTextCarries(reporter, cut)) return false;
    out += NewickName(cut);
    return true;
}

// The length of the well-formed UTF-8 sequence at text[i] (RFC 3629: no overlong forms, no
// surrogates, nothing above U+10FFFF), or 0. Other programs refuse a whole file over one byte
// that is not UTF-8, but read such bytes in quotes.
std::size_t Utf8Length(std::string_view text, std::size_t i) {
    const auto at = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned char c = at(i);
    std::size_t length = 0;
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    if (c >= 0xC2 && c <= 0xDF) {
        length = 2;
    } else if (c >= 0xE0 && c <= 0xEF) {
        length = 3;
        if (c == 0xE0) low = 0xA0;
        if (c == 0xED) high = 0x9F;
    } else if (c >= 0xF0 && c <= 0xF4) {
        length = 4;
        if (c == 0xF0) low = 0x90;
        if (c == 0xF4) high = 0x8F;
    } else {
        return 0;
    }
    if (i + length > text.size()) return 0;
    if (at(i + 1) < low || at(i + 1) > high) return 0;
    for (std::size_t k = 2; k < length; ++k)
        if (at(i + k) < 0x80 || at(i + k) > 0xBF) return 0;
    return length;
}

bool NeedsQuotes(std::string_view name) {
    for (std::size_t i = 0; i < name.size();) {
        const auto c = static_cast<unsigned char>(name[i]);
        if (c >= 0x80) {
            const std::size_t length = Utf8Length(name, i);
            if (length == 0) return true;
            i += length;
            continue;
        }
        if (c <= ' ' || c == 127) return true;
        if (std::string_view("(),:;[]'").find(static_cast<char>(c)) != std::string_view::npos) return true;
        ++i;
    }
    return false;
}

// The name with the characters a line cannot carry written as escapes, for a message.
std::string Shown(std::string_view name) {
    std::string text;
    for (char c : name) {
        if (c == '\0') text += "\\0";
        else if (c == '\r') text += "\\r";
        else if (c == '\n') text += "\\n";
        else text += c;
    }
    return text;
}

// At most this many clashing sets are named in one warning.
constexpr std::size_t kShownClashes = 10;

}  // namespace

std::string NewickName(std::string_view name) {
    if (!NeedsQuotes(name)) return std::string(name);
    std::string text = "'";
    for (char c : name) {
        text += c;
        if (c == '\'') text += c;
    }
    return text + "'";
}

bool TreeTextCarries(Reporter& reporter, std::string_view name) {
    const std::size_t bad = name.find_first_of(std::string_view("\0\r\n", 3));
    if (bad == std::string_view::npos) return true;
    reporter.Error("Tree text cannot carry the name \"" + Shown(name) + "\": it holds " +
                   (name[bad] == '\0' ? "a NUL character." : "a line break."));
    return false;
}

std::string CutNameClashes(const AString& names) {
    // The names of each cut, in the order the cuts first occur.
    std::vector<std::string> cuts;
    std::unordered_map<std::string, std::vector<std::size_t>> byCut;
    for (std::size_t i = 0; i < names.size(); ++i) {
        std::string cut = TreeName(names[i]);
        auto& same = byCut[cut];
        if (same.empty()) cuts.push_back(std::move(cut));
        same.push_back(i);
    }
    std::string list;
    std::size_t shown = 0;
    std::size_t clashes = 0;
    for (const std::string& cut : cuts) {
        const std::vector<std::size_t>& same = byCut[cut];
        // Names equal in whole are not the cut's doing.
        const bool cutMadeThem = std::any_of(same.begin(), same.end(), [&](std::size_t i) { return names[i] != cut; });
        if (same.size() < 2 || !cutMadeThem) continue;
        if (++clashes > kShownClashes) continue;
        std::string text;
        for (std::size_t k = 0; k < same.size(); ++k)
            text += (k == 0 ? "\"" : k + 1 == same.size() ? " and \"" : ", \"") + names[same[k]] + "\"";
        list += (shown++ == 0 ? "" : "; ") + text + " (as \"" + cut + "\")";
    }
    if (clashes == 0) return {};
    if (clashes > shown) list += "; and " + UIntToStr(clashes - shown) + " more";
    return "Tree files carry the first " + UIntToStr(kTreeNameLength) +
           " characters of a name; these names become equal: " + list + ".";
}

void WarnCutNameClashes(Reporter& reporter, const AString& names) {
    const std::string text = CutNameClashes(names);
    if (!text.empty()) reporter.Warning(text);
}

bool DendrogramToText(Reporter& reporter, const PackedNodes& nodes, std::string_view title, std::string& text) {
    text.clear();
    if (nodes.empty()) return true;

    std::size_t root = 0;  // 0-based position of the root entry
    while (root < nodes.size() && nodes[root].Parent != 0) ++root;
    if (root == nodes.size()) {
        reporter.Error("Tree text: the tree has no root node");
        return false;
    }

    // Children of each parent id, in descending entry order.
    std::unordered_map<std::size_t, std::vector<std::size_t>> children;
    for (std::size_t j = root + 1; j-- > 0;) {
        if (nodes[j].Parent != 0) children[nodes[j].Parent].push_back(j);
    }
    const auto childrenOf = [&](std::size_t entry) -> const std::vector<std::size_t>* {
        if (nodes[entry].ChildCount == 0) return nullptr;
        const auto it = children.find(nodes[entry].Id);
        return it == children.end() ? nullptr : &it->second;
    };

    // Depth-first walk with an explicit stack: trees can be as deep as they have leaves.
    struct Frame {
        std::size_t entry;
        std::size_t next;  // next child to write
    };
    std::vector<Frame> stack;
    std::vector<bool> seen(root + 1, false);
    std::string out;
    seen[root] = true;
    if (nodes[root].ChildCount == 0) {
        if (!AppendName(reporter, nodes[root].Name, out)) return false;
    } else {
        stack.push_back({root, 0});
    }
    while (!stack.empty()) {
        Frame& frame = stack.back();
        const std::vector<std::size_t>* kids = childrenOf(frame.entry);
        const std::size_t count = kids ? kids->size() : 0;
        if (frame.next < count) {
            const std::size_t child = (*kids)[frame.next++];
            if (seen[child]) {
                reporter.Error("Tree text: the parent links of the tree form a cycle");
                return false;
            }
            seen[child] = true;
            out += frame.next == 1 ? "(" : ", ";
            if (nodes[child].ChildCount == 0) {
                if (!AppendName(reporter, nodes[child].Name, out)) return false;
                out += BranchLength(nodes[child].Value);
            } else {
                stack.push_back({child, 0});
            }
            continue;
        }
        const std::size_t done = frame.entry;
        stack.pop_back();
        if (count > 0) out += ")";
        if (done != root) out += BranchLength(nodes[done].Value);
    }
    if (!AppendName(reporter, title, out)) return false;
    out += ";";
    text = std::move(out);
    return true;
}

std::string TreeRecordText(Reporter& reporter, const Dendrogram& tree) {
    PackedNodes nodes;
    DendrogramToPacked(tree, nodes);
    std::string text;
    DendrogramToText(reporter, nodes, tree.Name, text);
    return text;
}
