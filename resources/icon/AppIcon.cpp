#include "resources/icon/AppIcon.h"

#include <QHash>
#include <QIconEngine>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QPolygonF>

namespace {

// The drawing is laid out on a 256 × 256 grid and scaled to the size asked for.
constexpr qreal kGrid = 256.0;
const QColor kTileTop(0x3f, 0xa3, 0x72);
const QColor kTileBottom(0x1e, 0x6b, 0x4a);
const QColor kCoin(0xf5, 0xb8, 0x2e);
const QColor kCoinRim(0xb7, 0x86, 0x0b);

void paintTile(QPainter& painter) {
    QLinearGradient gradient(0, 8, 0, 248);
    gradient.setColorAt(0, kTileTop);
    gradient.setColorAt(1, kTileBottom);
    painter.setPen(Qt::NoPen);
    painter.setBrush(gradient);
    painter.drawRoundedRect(QRectF(8, 8, 240, 240), 44, 44);
}

void paintHouse(QPainter& painter) {
    const QPolygonF house({{128, 36}, {226, 122}, {200, 122}, {200, 214}, {56, 214}, {56, 122}, {30, 122}});
    painter.setPen(QPen(Qt::white, 8, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.setBrush(Qt::white);
    painter.drawPolygon(house);
}

void paintCoin(QPainter& painter) {
    painter.setPen(QPen(kCoinRim, 7));
    painter.setBrush(kCoin);
    painter.drawEllipse(QPointF(128, 162), 46, 46);

    QPainterPath yuan;
    yuan.moveTo(108, 132);
    yuan.lineTo(128, 160);
    yuan.lineTo(148, 132);
    yuan.moveTo(128, 160);
    yuan.lineTo(128, 192);
    yuan.moveTo(110, 166);
    yuan.lineTo(146, 166);
    yuan.moveTo(110, 180);
    yuan.lineTo(146, 180);
    painter.setPen(QPen(kTileBottom, 10, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(yuan);
}

}  // namespace

QImage PaintAppIcon(int size) {
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(size / kGrid, size / kGrid);
    paintTile(painter);
    paintHouse(painter);
    paintCoin(painter);
    painter.end();
    return image;
}

namespace {

// Paints each size the first time it is asked for: a window shown where no title bar draws an icon
// never pays for it, and the start does not wait for a 256-pixel picture.
class PaintedIconEngine final : public QIconEngine {
  public:
    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override {
        painter->drawPixmap(rect, pixmap(rect.size(), mode, state));
    }
    QPixmap pixmap(const QSize& size, QIcon::Mode, QIcon::State) override {
        const int side = qMax(1, qMin(size.width(), size.height()));
        auto found = painted_.constFind(side);
        if (found == painted_.cend())
            found = painted_.insert(side, QPixmap::fromImage(PaintAppIcon(side)));
        return *found;
    }
    QList<QSize> availableSizes(QIcon::Mode, QIcon::State) override {
        QList<QSize> sizes;
        for (const int size : kAppIconSizes)
            sizes.append(QSize(size, size));
        return sizes;
    }
    QIconEngine* clone() const override { return new PaintedIconEngine(*this); }

  private:
    QHash<int, QPixmap> painted_;
};

}  // namespace

QIcon AppIcon() {
    return QIcon(new PaintedIconEngine);
}
