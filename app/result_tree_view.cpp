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

void ResultTreeView::expandAll(const QModelIndexList& indexes)
{
    // With a layout pending, an expansion is only recorded; the layout then comes once.
    scheduleDelayedItemsLayout();
    for (const QModelIndex& index : indexes)
        expand(index);
}

void ResultTreeView::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        Q_EMIT enterPressed();
        return;
    }
    const bool menuKey = event->key() == Qt::Key_Menu ||
                         (event->key() == Qt::Key_F10 && event->modifiers() == Qt::ShiftModifier);
    if (menuKey) {
        const QRect at = visualRect(currentIndex());
        Q_EMIT customContextMenuRequested(at.isValid() ? at.center() : QPoint(0, 0));
        return;
    }
    QTreeView::keyPressEvent(event);
}

}  // namespace corvinax
