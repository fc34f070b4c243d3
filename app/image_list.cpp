#include "app/image_list.h"

#include "findings/node_images.h"

#include <QDir>
#include <QHash>
#include <QPainter>

#include <vector>

// The pictures live in the window library's resources, which a static library must register.
static void registerImages()
{
    Q_INIT_RESOURCE(resources);
}

namespace corvinax {

namespace {

constexpr int kSize = 16;
constexpr int kGap = 2;

const std::vector<QPixmap>& images()
{
    static const std::vector<QPixmap> list = [] {
        registerImages();
        std::vector<QPixmap> loaded;
        const QStringList files = QDir(QStringLiteral(":/images")).entryList({QStringLiteral("*.xpm")}, QDir::Files,
                                                                             QDir::Name);
        for (const QString& file : files)
            loaded.emplace_back(QStringLiteral(":/images/") + file);
        return loaded;
    }();
    return list;
}

}  // namespace

const QPixmap& nodeImage(int index)
{
    static const QPixmap none;
    const auto& list = images();
    return index >= 0 && static_cast<std::size_t>(index) < list.size() ? list[static_cast<std::size_t>(index)] : none;
}

const QPixmap& nodeDecoration(int image, int state)
{
    static QHash<int, QPixmap> cache;
    const int key = image * 100 + state + 1;
    auto found = cache.find(key);
    if (found == cache.end()) {
        QPixmap combined(2 * kSize + kGap, kSize);
        combined.fill(Qt::transparent);
        QPainter painter(&combined);
        if (state > 0)  // -1 and 0 show no state picture
            painter.drawPixmap(0, 0, nodeImage(state));
        painter.drawPixmap(kSize + kGap, 0, nodeImage(image));
        painter.end();
        found = cache.insert(key, combined);
    }
    return *found;
}

}  // namespace corvinax
