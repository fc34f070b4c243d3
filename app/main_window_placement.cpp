// The window's place, size and page, kept in the [Window] section of the settings file from one
// start to the next, and the options' hints.

#include "app/main_window.h"

#include "app/text_codec.h"
#include "platform/atomic_file.h"
#include "platform/error.h"
#include "profile/profile_file.h"

#include <QGuiApplication>
#include <QScreen>
#include <QTabWidget>

namespace corvinax {

using namespace Qt::StringLiterals;

namespace {

constexpr std::string_view kWindow = "Window";

}  // namespace

// Within the screen that holds it, whatever screen it was on before.
void MainWindow::restorePlacement()
{
    ProfileFile file = openSettingsFile(m_options.settingsPath);
    const int width = file.readInteger(kWindow, "Width", 0);
    const int height = file.readInteger(kWindow, "Height", 0);
    const int page = file.readInteger(kWindow, "Page", -1);
    if (width > 0 && height > 0) {
        QRect place(file.readInteger(kWindow, "Left", x()), file.readInteger(kWindow, "Top", y()), width, height);
        const QScreen* screen = QGuiApplication::screenAt(place.center());
        if (!screen)
            screen = QGuiApplication::primaryScreen();
        if (screen) {
            const QRect available = screen->availableGeometry();
            place.setSize(place.size().boundedTo(available.size()));
            place.moveLeft(std::clamp(place.left(), available.left(), available.right() - place.width() + 1));
            place.moveTop(std::clamp(place.top(), available.top(), available.bottom() - place.height() + 1));
        }
        resize(place.size());
        move(place.topLeft());
        if (file.readFlag(kWindow, "Maximized", false))
            setWindowState(windowState() | Qt::WindowMaximized);
    }
    if (page >= 0 && page < PageControl1->count() && !m_settings.checkDirs.empty())
        PageControl1->setCurrentIndex(page);
    m_loadedPlacement = width > 0 ? placementText() : QString();
}

// The frame's place and the window's own size, as move() and resize() take them; a maximised
// window keeps the place it had before.
QRect MainWindow::normalPlace() const
{
    if (!isMaximized() || m_loadedPlacement.isEmpty())
        return QRect(pos(), size());
    const QStringList loaded = m_loadedPlacement.split(u' ');
    return QRect(loaded[0].toInt(), loaded[1].toInt(), loaded[2].toInt(), loaded[3].toInt());
}

QString MainWindow::placementText() const
{
    const QRect place = normalPlace();
    return u"%1 %2 %3 %4 %5 %6"_s.arg(place.x())
        .arg(place.y())
        .arg(place.width())
        .arg(place.height())
        .arg(isMaximized() ? 1 : 0)
        .arg(PageControl1->currentIndex());
}

// Written only when it changed, and never over a settings file that could not be read.
void MainWindow::savePlacementIfChanged()
{
    const QString now = placementText();
    if (now == m_loadedPlacement || !whyUnreadable(m_options.settingsPath).empty())
        return;
    const QRect place = normalPlace();
    ProfileFile file = openSettingsFile(m_options.settingsPath);
    try {
        ProfileUpdate update(file);
        file.writeInteger(kWindow, "Left", place.x());
        file.writeInteger(kWindow, "Top", place.y());
        file.writeInteger(kWindow, "Width", place.width());
        file.writeInteger(kWindow, "Height", place.height());
        file.writeFlag(kWindow, "Maximized", isMaximized());
        file.writeInteger(kWindow, "Page", PageControl1->currentIndex());
        update.commit();
        m_loadedPlacement = now;
    } catch (const Error&) {
        // The place of a window is not worth a box on the way out.
    }
}

}  // namespace corvinax
