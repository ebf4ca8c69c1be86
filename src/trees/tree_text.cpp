#include "trees/tree_text.h"

#include <unordered_map>
#include <vector>

#include "foundation/number_text.h"

namespace {

std::string BranchLength(Extended value) { return ":" + ExtToStrF(value, 10, 9); }

std::string WrittenName(std::string_view name) { return NewickName(TreeName(name)); }

}  // namespace

std::string NewickName(std::string_view name) {
    // Blanks before a quote are dropped by the reader, which would then take the quote as opening.
    const std::size_t first = name.find_first_not_of(std::string_view(" \t\r\n\0", 5));
    const bool quote = (first != std::string_view::npos && name[first] == '\'') ||
                       name.find_first_of("(),:;") != std::string_view::npos;
    if (!quote) return std::string(name);
    std::string text = "'";
    for (char c : name) {
        text += c;
        if (c == '\'') text += c;
    }
    return text + "'";
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
        out += WrittenName(nodes[root].Name);
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
                out += WrittenName(nodes[child].Name);
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
    out += WrittenName(title);
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
