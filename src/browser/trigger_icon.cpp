#include "browser/trigger_icon.h"

#include <QColor>
#include <QHash>
#include <QPainter>
#include <QSvgRenderer>

#include <cmath>

namespace ardelle::browser {
namespace {

struct Sign {
    int bit;
    const char* icon;
    QColor colour;
};

const Sign kSigns[] = {
    {0x02, "hand-finger", QColor(0, 120, 215)},    {0x04, "bolt", QColor(220, 40, 40)},
    {0x10, "car-crash", QColor(230, 120, 0)},      {0x08, "parking", QColor(40, 140, 60)},
    {0x20, "arrow-back-up", QColor(150, 60, 190)}, {0x40, "gauge", QColor(90, 90, 90)},
};

QPixmap Tinted(const QString& name, int size, const QColor& colour) {
    static QHash<QString, QPixmap> cache;
    const QString key = name + QString::number(size) + colour.name();
    auto found = cache.find(key);
    if (found != cache.end()) {
        return *found;
    }
    QPixmap picture(size, size);
    picture.fill(Qt::transparent);
    {
        QSvgRenderer renderer(QStringLiteral(":/browser-icons/%1.svg").arg(name));
        QPainter p(&picture);
        renderer.render(&p);
        p.setCompositionMode(QPainter::CompositionMode_SourceIn);
        p.fillRect(picture.rect(), colour);
    }
    cache.insert(key, picture);
    return picture;
}

}  // namespace

QPixmap TriggerIcon(int mask, double scale) {
    const int width = static_cast<int>(std::trunc(39 * scale));
    const int height = static_cast<int>(std::trunc(26 * scale));
    const int cell = static_cast<int>(std::trunc(13 * scale));
    QPixmap canvas(width, height);
    canvas.fill(Qt::transparent);  // the white of the design is see-through
    QPainter p(&canvas);
    p.setPen(QColor(200, 200, 200));
    p.drawRect(0, 0, width - 1, height - 1);
    int slot = 0;
    for (const Sign& sign : kSigns) {
        if ((mask & sign.bit) != 0) {
            p.drawPixmap((slot % 3) * cell, (slot / 3) * cell,
                         Tinted(sign.icon, cell, sign.colour));
        }
        ++slot;
    }
    return canvas;
}

QPixmap NodeIcon(bool drive, int size) {
    return Tinted(drive ? QStringLiteral("device-sd-card") : QStringLiteral("folder"), size,
                  QColor(230, 190, 90));
}

}  // namespace ardelle::browser
