#pragma once

// What the person can do with the result tree after a run.

#include <string>

namespace corvinax {

class ResultTree;

// The tree as text: one line per node in display order, as many tabs as its level, then its text
// and CR LF. Marks and node data are not part of it.
std::string resultTreeText(const ResultTree& tree);

// Writes resultTreeText to path, replacing a file there; throws Error naming the file.
void saveResultTree(const ResultTree& tree, const std::string& path);

// Whether the amnesty may act on the node at displayIndex with this report path: never on the
// tree's first node, only for a report that exists.
bool amnestyApplies(std::size_t displayIndex, const std::string& reportPath);

// Pardons a computer: erases the change sections of its report as one replacement of the file.
// Throws ProfileWriteError, and changes nothing, when the report cannot be written.
void grantAmnesty(const std::string& reportPath);

}  // namespace corvinax
