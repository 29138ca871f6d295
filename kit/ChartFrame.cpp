#include "kit/ChartFrame.h"

#include <QFontMetrics>
#include <QLinearGradient>
#include <QPainter>
#include <QWidget>

#include <iterator>

namespace {

const QColor kPalette[] = {QColor(0x2e, 0x8b, 0x57), QColor(0xd9, 0x4f, 0x3d), QColor(0x3a, 0x6e, 0xc8),
                           QColor(0xe0, 0x9b, 0x22), QColor(0x8e, 0x44, 0xad), QColor(0x16, 0xa0, 0x85),
                           QColor(0xc0, 0x39, 0x6b), QColor(0x7f, 0x8c, 0x2d), QColor(0x5d, 0x6d, 0x7e),
                           QColor(0xb0, 0x6a, 0x2c)};
const QColor kTop(0xfd, 0xfd, 0xff);
const QColor kBottom(0xdc, 0xe6, 0xf2);

}  // namespace

int PaintChartFrame(QPainter& painter, const QWidget& chart, const QString& title) {
    QLinearGradient background(0, 0, 0, chart.height());
    background.setColorAt(0, kTop);
    background.setColorAt(1, kBottom);
    painter.fillRect(chart.rect(), background);

    QFont titleFont = chart.font();
    titleFont.setPointSize(titleFont.pointSize() + 2);
    titleFont.setBold(true);
    painter.save();
    painter.setFont(titleFont);
    painter.setPen(QColor(0x20, 0x20, 0x20));
    const int titleHeight = QFontMetrics(titleFont).height() + 10;
    painter.drawText(QRect(0, 4, chart.width(), titleHeight), Qt::AlignHCenter | Qt::AlignTop, title);
    painter.restore();
    return titleHeight;
}

QColor ChartColour(qsizetype i) {
    return kPalette[i % qsizetype(std::size(kPalette))];
}

QColor ChartBackgroundMiddle() {
    return QColor((kTop.red() + kBottom.red()) / 2, (kTop.green() + kBottom.green()) / 2,
                  (kTop.blue() + kBottom.blue()) / 2);
}
