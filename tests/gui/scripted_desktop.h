#pragma once

#include "app/desktop_services.h"

#include <QStringList>
#include <QUrl>

namespace corvinax::test {

// Answers the pickers with what the test put in beforehand, and keeps the addresses it was asked
// to open.
class ScriptedDesktop final : public DesktopServices {
public:
    QString chooseDirectory(QWidget*, const QString& title, const QString& start) override
    {
        asked << title + u'@' + start;
        return nextAnswer();
    }
    QString chooseOpenFile(QWidget*, const QString& title, const QString&, const QString& defaultSuffix,
                           const QString& start) override
    {
        asked << title + u'@' + start;
        suffixes << defaultSuffix;
        return nextAnswer();
    }
    QString chooseSaveFile(QWidget*, const QString& filter, const QString& defaultSuffix,
                           const QString& suggestedName) override
    {
        asked << QStringLiteral("save.") + defaultSuffix + u'|' + filter + u'|' + suggestedName;
        return nextAnswer();
    }
    void openUrl(const QUrl& address) override { opened << address; }

    QStringList answers;
    QStringList asked;
    QStringList suffixes;  // of the open-file pickers, in order
    QList<QUrl> opened;

private:
    QString nextAnswer() { return answers.isEmpty() ? QString() : answers.takeFirst(); }
};

}  // namespace corvinax::test
