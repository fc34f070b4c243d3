#include "app/path_edit.h"

#include "app/desktop_services.h"

#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QToolButton>

namespace corvinax {

using namespace Qt::StringLiterals;

QString qtFileFilter(const QString& pairs)
{
    const QStringList parts = pairs.split(u'|');
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2)
        filters << parts[i] + u" ("_s + QString(parts[i + 1]).replace(u';', u' ') + u')';
    return filters.join(u";;"_s);
}

PathEdit::PathEdit(Kind kind, DesktopServices& desktop, QString initialFolder, QWidget* parent)
    : QWidget(parent), m_kind(kind), m_desktop(desktop), m_initialFolder(std::move(initialFolder)),
      m_edit(new QLineEdit(this)), m_button(new QToolButton(this))
{
    m_button->setText(u"..."_s);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(1);
    layout->addWidget(m_edit);
    layout->addWidget(m_button);
    connect(m_button, &QToolButton::clicked, this, &PathEdit::browse);
    connect(m_edit, &QLineEdit::textChanged, this, &PathEdit::textChanged);
}

void PathEdit::setFileDialog(QString title, QString filter, QString defaultSuffix)
{
    m_title = std::move(title);
    m_filter = std::move(filter);
    m_defaultSuffix = std::move(defaultSuffix);
}

QString PathEdit::text() const
{
    return m_edit->text();
}

void PathEdit::setText(const QString& text)
{
    m_edit->setText(text);
}

// The folder the dialog opens at: the field's own folder when it exists, else the initial one.
QString PathEdit::startFolder() const
{
    QString current = text().trimmed();
    if (current.size() >= 2 && current.startsWith(u'"') && current.endsWith(u'"'))
        current = current.mid(1, current.size() - 2);
    const QFileInfo info(current);
    if (m_kind == Kind::Directory && info.isDir())
        return current;
    if (m_kind == Kind::File && !current.isEmpty() && info.absoluteDir().exists())
        return info.absoluteFilePath();
    return m_initialFolder.isEmpty() ? u"/"_s : m_initialFolder;
}

// A chosen name replaces the text as it is, without quotes: every reader takes the text as a path.
void PathEdit::browse()
{
    const QString chosen = m_kind == Kind::Directory
                               ? m_desktop.chooseDirectory(this, m_title, startFolder())
                               : m_desktop.chooseOpenFile(this, m_title, qtFileFilter(m_filter), m_defaultSuffix,
                                                          startFolder());
    if (!chosen.isEmpty())
        setText(chosen);
}

}  // namespace corvinax
