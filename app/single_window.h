#pragma once

// One window per settings file: two windows on one file would ask the same questions over each
// other and split the findings of their runs between them. A second start brings the first
// window to the front and ends.

#include "platform/private_lock.h"

#include <QObject>
#include <QString>

#include <cerrno>

#include <optional>
#include <string>

class QLocalServer;
class QWidget;

namespace corvinax {

class SingleWindow final : public QObject {
    Q_OBJECT

public:
    explicit SingleWindow(const std::string& settingsPath);

    // Whether another window holds its settings file. Where no private lock can be had at all,
    // the window opens without the check.
    bool anotherWindow() const { return m_lock && !m_lock->held() && m_lock->error() == EWOULDBLOCK; }
    // Asks the first window to come to the front; false when it could not be reached.
    bool bringFirstToFront() const;
    // From now on, a later start brings window to the front.
    void serve(QWidget& window);

private:
    std::optional<PrivateLock> m_lock;
    QString m_address;
    QLocalServer* m_server = nullptr;
};

}  // namespace corvinax
