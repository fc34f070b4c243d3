#include "app/qt_dialogs.h"

#include "app/text_codec.h"

#include <QApplication>
#include <QMessageBox>

namespace corvinax {

// Texts come from reports among others: they are shown as plain text, never as markup.
void QtDialogs::showMessage(const std::string& text)
{
    QMessageBox box(QMessageBox::Information, QApplication::applicationName(), fromCp1251(text), QMessageBox::Ok,
                    m_parent);
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

bool QtDialogs::askYesNo(const std::string& text, bool, Question kind)
{
    QMessageBox box(kind == Question::Confirmation ? QMessageBox::Question : QMessageBox::Warning,
                    QApplication::applicationName(), fromCp1251(text), QMessageBox::Yes | QMessageBox::No, m_parent);
    box.setTextFormat(Qt::PlainText);
    return box.exec() == QMessageBox::Yes;
}

}  // namespace corvinax
