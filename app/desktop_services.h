#pragma once

// The desktop's own dialogs and handlers that the window uses: folder and file pickers, and
// opening an address. The window goes through this so that tests can answer in their place.

#include <QString>
#include <QUrl>

class QWidget;

namespace corvinax {

class DesktopServices {
public:
    virtual ~DesktopServices() = default;
    // Each gives an empty text when the person cancels.
    virtual QString chooseDirectory(QWidget* parent, const QString& title, const QString& start) = 0;
    virtual QString chooseOpenFile(QWidget* parent, const QString& title, const QString& filter,
                                   const QString& defaultSuffix, const QString& start) = 0;
    // filter in the form of Qt's file dialogs; suggestedName is offered in the name field.
    virtual QString chooseSaveFile(QWidget* parent, const QString& filter, const QString& defaultSuffix,
                                   const QString& suggestedName) = 0;
    virtual void openUrl(const QUrl& address) = 0;
};

class QtDesktopServices final : public DesktopServices {
public:
    QString chooseDirectory(QWidget* parent, const QString& title, const QString& start) override;
    QString chooseOpenFile(QWidget* parent, const QString& title, const QString& filter, const QString& defaultSuffix,
                           const QString& start) override;
    QString chooseSaveFile(QWidget* parent, const QString& filter, const QString& defaultSuffix,
                           const QString& suggestedName) override;
    void openUrl(const QUrl& address) override;
};

}  // namespace corvinax
