#include "kiln/qt/KilnIcons.h"

#include <QPainter>
#include <QPixmap>
#include <QSvgRenderer>

#include <array>

// The resource is compiled into a static library; naming its initialiser keeps it linked in.
static void InitKilnIconResource() {
    Q_INIT_RESOURCE(kilnwatch_icons);
}

namespace {

constexpr std::array<const char*, KilnIcons::kCount> kPaths = {
    ":/kilnwatch/icons/program.svg",
    ":/kilnwatch/icons/unit-no-data.svg",
    ":/kilnwatch/icons/unit-normal.svg",
    ":/kilnwatch/icons/unit-alarm.svg",
    ":/kilnwatch/icons/unit-not-answering.svg",
};

// Pixmaps are rendered here rather than left to an icon engine plugin, so the pictures show
// even where no SVG icon plugin is installed.
QIcon Render(const QString& path) {
    QSvgRenderer renderer(path);
    QIcon icon;
    if (!renderer.isValid()) {
        return icon;
    }
    for (const int size : {16, 24, 32, 48, 64}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        renderer.render(&painter);
        painter.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

} // namespace

QString KilnIcons::ResourcePath(int index) {
    if (index < 0 || index >= kCount) {
        return {};
    }
    return QString::fromLatin1(kPaths[static_cast<std::size_t>(index)]);
}

QIcon KilnIcons::Icon(int index) {
    static const std::array<QIcon, kCount> icons = [] {
        InitKilnIconResource();
        std::array<QIcon, kCount> rendered;
        for (int i = 0; i < kCount; ++i) {
            rendered[static_cast<std::size_t>(i)] = Render(ResourcePath(i));
        }
        return rendered;
    }();
    if (index < 0 || index >= kCount) {
        return {};
    }
    return icons[static_cast<std::size_t>(index)];
}
