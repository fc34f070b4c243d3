#include "app/wide_lines.h"

#include <QHeaderView>
#include <QTreeView>

namespace corvinax {

void showLinesWhole(QTreeView& tree)
{
    tree.setTextElideMode(Qt::ElideNone);
    tree.setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    QHeaderView* header = tree.header();
    header->setStretchLastSection(false);
    header->setSectionResizeMode(QHeaderView::ResizeToContents);
}

}  // namespace corvinax
