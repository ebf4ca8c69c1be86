#include "trees/tree_records.h"

#include <stdexcept>

#include "foundation/file_io.h"

std::size_t NodeCount(std::size_t n) { return n == 0 ? 0 : 2 * n - 1; }

std::string TreeName(std::string_view name) {
    return std::string(name.substr(0, kTreeNameLength));
}

void PutNode(PackedNodes& nodes, std::size_t k, const PackedNode& node) {
    if (k == 0 || k > nodes.size()) throw std::out_of_range("PutNode: no such entry");
    PackedNode& entry = nodes[k - 1];
    entry = node;
    if (entry.Name.size() > kTreeNameLength) entry.Name.resize(kTreeNameLength);
}

const PackedNode& GetNode(const PackedNodes& nodes, std::size_t k) {
    if (k == 0 || k > nodes.size()) throw std::out_of_range("GetNode: no such entry");
    return nodes[k - 1];
}

void DendrogramToPacked(const Dendrogram& tree, PackedNodes& nodes) {
    nodes.clear();
    nodes.resize(tree.Nodes.size());
    for (std::size_t i = 0; i < tree.Nodes.size(); ++i) {
        const Node& node = tree.Nodes[i];
        PackedNode& entry = nodes[i];
        entry.Id = i + 1;
        entry.Name = TreeName(node.Name);
        entry.Value = node.Value;
        entry.Parent = node.Parent == i ? 0 : node.Parent + 1;
        entry.ChildCount = node.Children.size();
        entry.Ptr = 0;
    }
}

void FreeDendrogram(Dendrogram& tree) {
    tree.Nodes.clear();
    tree.Name.clear();
}

int AppendLineToFile(std::string_view text, const std::string& fileName, bool rewrite) {
    if (!FileCanOpen(fileName)) rewrite = true;
    std::string line(text);
    line += "\r\n";
    return WriteTextFile(fileName, line, !rewrite);
}
