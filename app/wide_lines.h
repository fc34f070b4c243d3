#pragma once

class QTreeView;

namespace corvinax {

// Lets a one-column tree follow the width of its longest line, with a horizontal scroll bar where a
// line is longer than the view: nothing is cut off with "…" (signatures, share paths, decoded
// S.M.A.R.T. names).
void showLinesWhole(QTreeView& tree);

}  // namespace corvinax
