// Parenthesised tree text (Newick with branch lengths) from tree records.
#pragma once

#include <string>
#include <string_view>

#include "foundation/reporter.h"
#include "trees/tree_records.h"

// A name or title as tree text: in single quotes, a quote doubled, when it holds one of ( ) , : ;
// or begins with a quote after any blanks (the reader would take it apart); otherwise as it is.
std::string NewickName(std::string_view name);

// One line of tree text for the packed tree: the root is the first entry whose Parent is 0
// (entries behind it are ignored); children are listed in descending entry order, separated
// by ", ", each followed by ":" and its length in width 10 with 9 decimals; the title (cut to
// 20 characters) and ";" close the line. No line break is added.
// An empty buffer gives an empty text. A buffer without a root, or whose parent links do not
// form a tree, is reported and gives false and an empty text. Names and title are quoted as
// NewickName does.
bool DendrogramToText(Reporter& reporter, const PackedNodes& nodes, std::string_view title, std::string& text);

// Tree text of a dendrogram, titled with its Name; empty for an empty dendrogram.
std::string TreeRecordText(Reporter& reporter, const Dendrogram& tree);
