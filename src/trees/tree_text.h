// Parenthesised tree text (Newick with branch lengths) from tree records.
#pragma once

#include <string>
#include <string_view>

#include "foundation/reporter.h"
#include "foundation/types.h"
#include "trees/tree_records.h"

// A name or title as tree text: in single quotes, a quote doubled, when the program's reader or
// another program's would not take it back whole bare: when it holds one of ( ) , : ; [ ] or a
// quote, a blank, a tab or another control character (below 32, or 127), or bytes that are not
// UTF-8; otherwise as it is.
std::string NewickName(std::string_view name);

// Whether a line of tree text can carry the name: it must hold no NUL, CR or LF. Reports the name
// otherwise, for the writers to refuse it.
bool TreeTextCarries(Reporter& reporter, std::string_view name);

// The names that tree text, keeping the first 20 characters of each, makes equal: a warning that
// names them and the cut they share, or "" when no two clash.
std::string CutNameClashes(const AString& names);
// Warns with CutNameClashes, when it finds any, before a tree of the names is written.
void WarnCutNameClashes(Reporter& reporter, const AString& names);

// One line of tree text for the packed tree: the root is the first entry whose Parent is 0
// (entries behind it are ignored); children are listed in descending entry order, separated
// by ", ", each followed by ":" and its length in width 10 with 9 decimals; the title (cut to
// 20 characters) and ";" close the line. No line break is added.
// An empty buffer gives an empty text. A buffer without a root, or whose parent links do not
// form a tree, and a name or title that TreeTextCarries refuses are reported and give false and
// an empty text. Names and title are quoted as NewickName does.
bool DendrogramToText(Reporter& reporter, const PackedNodes& nodes, std::string_view title, std::string& text);

// Tree text of a dendrogram, titled with its Name; empty for an empty dendrogram.
std::string TreeRecordText(Reporter& reporter, const Dendrogram& tree);
