#pragma once

// What the person can do with the result tree after a run.

#include <string>

namespace corvinax {

class ResultTree;
struct AdditionalData;

// The tree as text: one line per node in display order, as many tabs as its level, then its text
// and CR LF. Marks and node data are not part of it.
std::string resultTreeText(const ResultTree& tree);

enum class TextEncoding { Cp1251, Utf8 };

// Writes resultTreeText to path, replacing a file there, in code page 1251 as every file of the
// program, or converted to UTF-8; throws Error naming the file.
void saveResultTree(const ResultTree& tree, const std::string& path, TextEncoding encoding = TextEncoding::Cp1251);

// The bytes of the node's report, reached by the name its directory listing gave; false when it
// cannot be read.
bool readNodeReport(const AdditionalData& data, std::string& bytes);

// Whether the amnesty may act on the node at displayIndex with this data: never on the tree's
// first node, only for a report that exists.
bool amnestyApplies(std::size_t displayIndex, const AdditionalData* data);

// Pardons a computer: erases the change sections of its report as one replacement of the file.
// Throws ProfileWriteError (naming the report as shown), and changes nothing, when the report
// cannot be written; a report that is a link to a file elsewhere is never written.
void grantAmnesty(const AdditionalData& data);

}  // namespace corvinax
