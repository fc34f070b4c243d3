#include "app/single_window.h"

#include <QLocalServer>
#include <QLocalSocket>
#include <QWidget>

namespace corvinax {

using namespace Qt::StringLiterals;

namespace {

constexpr int kWaitMs = 3000;

}  // namespace

// The lock and the address live in the user's own private folder: nobody else can hold the one or
// answer at the other.
SingleWindow::SingleWindow(const std::string& settingsPath)
{
    const std::string key = settingsPath + "\n(the window)";
    const std::string lockFile = privateLockFile(key);
    if (lockFile.empty())
        return;
    m_address = QString::fromStdString(lockFile + ".socket");
    m_lock.emplace(key, std::chrono::milliseconds(0));
}

bool SingleWindow::bringFirstToFront() const
{
    if (m_address.isEmpty())
        return false;
    QLocalSocket socket;
    socket.connectToServer(m_address);
    if (!socket.waitForConnected(kWaitMs))
        return false;
    socket.write("show\n");
    return socket.waitForBytesWritten(kWaitMs) && socket.waitForReadyRead(kWaitMs) && socket.readAll() == "shown\n";
}

void SingleWindow::serve(QWidget& window)
{
    if (!m_lock || !m_lock->held())
        return;
    QLocalServer::removeServer(m_address);  // left by a window that was killed: the lock is ours now
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    if (!m_server->listen(m_address))
        return;
    connect(m_server, &QLocalServer::newConnection, this, [this, &window] {
        while (QLocalSocket* socket = m_server->nextPendingConnection()) {
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            connect(socket, &QLocalSocket::readyRead, socket, [socket, &window] {
                if (!socket->readAll().startsWith("show"))
                    return;
                if (window.isMinimized())
                    window.showNormal();
                window.show();
                window.raise();
                window.activateWindow();
                socket->write("shown\n");
                socket->flush();
            });
        }
    });
}

}  // namespace corvinax
