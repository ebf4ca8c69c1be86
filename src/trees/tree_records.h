// Tree records: the node array of a dendrogram and the flat packed-node form the clustering code
// and the text writer work on.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "foundation/types.h"

// One node of a dendrogram. Parent is an index into the node array; the root holds its own.
struct Node {
    std::string Name;
    Extended Value = 0.0L;  // branch length (or height)
    std::size_t Parent = 0;
    std::vector<std::size_t> Children;
};
using ANode = std::vector<Node>;

struct Dendrogram {
    ANode Nodes;
    std::string Name;  // the tree's title
};

// Names in the packed form (and in tree text) are cut to this many characters.
inline constexpr std::size_t kTreeNameLength = 20;

// One entry of a packed tree. Entries are addressed 1-based: entry k lives at index k - 1 of
// a PackedNodes vector. Parent 0 marks the root.
struct PackedNode {
    std::size_t Id = 0;
    std::string Name;  // at most kTreeNameLength characters
    Extended Value = 0.0L;
    std::size_t Parent = 0;
    std::size_t ChildCount = 0;
    std::uint32_t Ptr = 0;
};
using PackedNodes = std::vector<PackedNode>;

// Number of nodes of a tree with n leaves: 2n - 1 (0 for no leaves).
std::size_t NodeCount(std::size_t n);

// The first kTreeNameLength characters of a name.
std::string TreeName(std::string_view name);

// Writes entry k (1-based, inside the buffer), cutting its name; reads entry k.
void PutNode(PackedNodes& nodes, std::size_t k, const PackedNode& node);
const PackedNode& GetNode(const PackedNodes& nodes, std::size_t k);

// Entry i + 1 from node i; an empty dendrogram gives an empty buffer.
void DendrogramToPacked(const Dendrogram& tree, PackedNodes& nodes);
void FreeDendrogram(Dendrogram& tree);

// Writes text and a line break to the file, appending unless rewrite is set or the file cannot
// be opened for reading. Returns 0 or the operating system's error code.
int AppendLineToFile(std::string_view text, const std::string& fileName, bool rewrite);
