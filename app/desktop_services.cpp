#include "app/desktop_services.h"

#include <QDesktopServices>
#include <QFileDialog>

namespace corvinax {

QString QtDesktopServices::chooseDirectory(QWidget* parent, const QString& title, const QString& start)
{
    return QFileDialog::getExistingDirectory(parent, title, start);
}

QString QtDesktopServices::chooseOpenFile(QWidget* parent, const QString& title, const QString& filter,
                                          const QString& defaultSuffix, const QString& start)
{
    QFileDialog dialog(parent, title, start, filter);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDefaultSuffix(defaultSuffix);
    return dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty() ? dialog.selectedFiles().front()
                                                                                   : QString();
}

QString QtDesktopServices::chooseSaveFile(QWidget* parent, const QString& filter, const QString& defaultSuffix,
                                          const QString& suggestedName)
{
    QFileDialog dialog(parent);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setNameFilter(filter);
    dialog.setDefaultSuffix(defaultSuffix);
    dialog.selectFile(suggestedName);
    return dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty() ? dialog.selectedFiles().front()
                                                                                   : QString();
}

void QtDesktopServices::openUrl(const QUrl& address)
{
    QDesktopServices::openUrl(address);
}

}  // namespace corvinax
