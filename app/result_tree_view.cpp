#include "app/result_tree_view.h"

#include "app/wide_lines.h"

#include <QKeyEvent>
#include <QMouseEvent>

namespace corvinax {

ResultTreeView::ResultTreeView(QWidget* parent) : QTreeView(parent)
{
    setHeaderHidden(true);
    setUniformRowHeights(true);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setIndentation(19);
    setIconSize(QSize(34, 16));
    showLinesWhole(*this);
    setContextMenuPolicy(Qt::CustomContextMenu);
    QPalette colours = palette();
    colours.setColor(QPalette::Inactive, QPalette::Highlight, colours.color(QPalette::Active, QPalette::Highlight));
    colours.setColor(QPalette::Inactive, QPalette::HighlightedText,
                     colours.color(QPalette::Active, QPalette::HighlightedText));
    setPalette(colours);
}

void ResultTreeView::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::RightButton) {
        event->accept();
        return;
    }
    QTreeView::mousePressEvent(event);
}

void ResultTreeView::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        Q_EMIT enterPressed();
        return;
    }
    QTreeView::keyPressEvent(event);
}

}  // namespace corvinax
