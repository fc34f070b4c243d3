#include "app/qt_dialogs.h"

#include "app/text_codec.h"

#include <QApplication>
#include <QFontMetrics>
#include <QGridLayout>
#include <QMessageBox>
#include <QSpacerItem>

namespace corvinax {

using namespace Qt::StringLiterals;

namespace {

// A closing "?" or "!" stays on the line of the word before it.
QString shownText(const std::string& text)
{
    QString shown = fromCp1251(text);
    shown.replace(u" ?"_s, u"\u00A0?"_s).replace(u" !"_s, u"\u00A0!"_s);
    return shown;
}

// Wide enough for its title: a box with a short text would cut the title to "...".
void fitTitle(QMessageBox& box)
{
    const int titleWidth = QFontMetrics(QApplication::font("QWorkspaceTitleBar")).horizontalAdvance(box.windowTitle());
    if (auto* grid = qobject_cast<QGridLayout*>(box.layout()))
        grid->addItem(new QSpacerItem(titleWidth + 160, 0, QSizePolicy::Minimum, QSizePolicy::Minimum), grid->rowCount(),
                      0, 1, grid->columnCount());
}

}  // namespace

// Texts come from reports among others: they are shown as plain text, never as markup.
void QtDialogs::showMessage(const std::string& text)
{
    QMessageBox box(QMessageBox::Information, QApplication::applicationName(), shownText(text), QMessageBox::Ok,
                    m_parent);
    box.setTextFormat(Qt::PlainText);
    fitTitle(box);
    box.exec();
}

bool QtDialogs::askYesNo(const std::string& text, bool, Question kind)
{
    const bool confirmation = kind == Question::Confirmation;
    QMessageBox box(confirmation ? QMessageBox::Question : QMessageBox::Warning, QApplication::applicationName(),
                    shownText(text), QMessageBox::Yes | QMessageBox::No, m_parent);
    box.setTextFormat(Qt::PlainText);
    box.setDefaultButton(confirmation ? QMessageBox::No : QMessageBox::Yes);
    box.setEscapeButton(QMessageBox::No);
    fitTitle(box);
    return box.exec() == QMessageBox::Yes;
}

Dialogs::Answer QtDialogs::askYesNoCancel(const std::string& text)
{
    QMessageBox box(QMessageBox::Question, QApplication::applicationName(), shownText(text),
                    QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, m_parent);
    box.setTextFormat(Qt::PlainText);
    box.setDefaultButton(QMessageBox::Yes);
    box.setEscapeButton(QMessageBox::Cancel);
    fitTitle(box);
    switch (box.exec()) {
    case QMessageBox::Yes: return Answer::Yes;
    case QMessageBox::No: return Answer::No;
    default: return Answer::Cancel;
    }
}

}  // namespace corvinax
