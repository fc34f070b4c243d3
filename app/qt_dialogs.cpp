#include "app/qt_dialogs.h"

#include "app/text_codec.h"

#include <QApplication>
#include <QMessageBox>

namespace corvinax {

void QtDialogs::showMessage(const std::string& text)
{
    QMessageBox::information(m_parent, QApplication::applicationName(), fromCp1251(text));
}

bool QtDialogs::askYesNo(const std::string& text, bool)
{
    return QMessageBox::warning(m_parent, QApplication::applicationName(), fromCp1251(text),
                                QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
}

}  // namespace corvinax
