#include "kit/PieChart.h"

#include "kit/ChartFrame.h"

#include <QFontMetrics>
#include <QPainter>

#include <algorithm>

namespace {

constexpr int kSmallestRing = 60;
constexpr int kGap = 8;

QString shareText(int tenths) {
    return QStringLiteral("%1.%2%").arg(tenths / 10).arg(tenths % 10);
}

}  // namespace

PieChart::PieChart(const QString& title, QWidget* parent) : QWidget(parent), title_(title) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMinimumSize(120, 90);
}

void PieChart::setEmptyNote(const QString& note) {
    emptyNote_ = note;
    update();
}

void PieChart::setSlices(const QList<Slice>& slices) {
    slices_.clear();
    colours_.clear();
    shares_.clear();
    whole_ = Money();
    // Only parts above zero make a slice; a whole too large to hold leaves the chart empty.
    for (const Slice& s : slices) {
        if (s.value.units() <= 0)
            continue;
        const Result<Money> sum = whole_.plus(s.value);
        if (!sum) {
            slices_.clear();
            whole_ = Money();
            break;
        }
        whole_ = sum.value();
        slices_.append(s);
    }
    for (qsizetype i = 0; i < slices_.size(); ++i) {
        colours_.append(slices_[i].color.isValid() ? slices_[i].color : ChartColour(i));
        // value * 1000 / whole, in doubles: exact enough for a tenth of a per cent.
        shares_.append(int(double(slices_[i].value.units()) * 1000.0 / double(whole_.units()) + 0.5));
    }
    update();
}

QStringList PieChart::legend() const {
    QStringList lines;
    for (qsizetype i = 0; i < slices_.size(); ++i) {
        lines.append(QStringLiteral("%1 %2 %3")
                         .arg(slices_[i].label, slices_[i].value.formatGrouped(), shareText(shares_[i])));
    }
    return lines;
}

void PieChart::paintEvent(QPaintEvent*) {
    drawnTexts_.clear();
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const int titleHeight = PaintChartFrame(p, *this, title_);
    const QRect area = rect().adjusted(kGap, titleHeight, -kGap, -kGap);
    const QFontMetrics fm(font());
    p.setPen(QColor(0x30, 0x30, 0x30));
    if (slices_.isEmpty()) {
        p.drawText(area, Qt::AlignCenter | Qt::TextWordWrap, emptyNote_);
        drawnTexts_.append(QRectF(fm.boundingRect(area, Qt::AlignCenter | Qt::TextWordWrap, emptyNote_)));
        return;
    }

    // The legend's columns: a colour square, the name, the amount and the share; the amount is left out
    // where the widget is too narrow to hold it beside a ring.
    const int square = std::max(6, fm.height() - 6);
    int nameWidth = 0;
    int amountWidth = 0;
    int shareWidth = 0;
    for (qsizetype i = 0; i < slices_.size(); ++i) {
        nameWidth = std::max(nameWidth, fm.horizontalAdvance(slices_[i].label));
        amountWidth = std::max(amountWidth, fm.horizontalAdvance(slices_[i].value.formatGrouped()));
        shareWidth = std::max(shareWidth, fm.horizontalAdvance(shareText(shares_[i])));
    }
    // A little slack: elision measures the text a shade wider than its advance.
    nameWidth = std::min(nameWidth + 2, fm.horizontalAdvance(QStringLiteral("汉")) * 8);
    bool amounts = true;
    const auto legendWidth = [&] {
        return square + kGap + nameWidth + kGap + (amounts ? amountWidth + kGap : 0) + shareWidth;
    };
    if (area.width() - legendWidth() - kGap < kSmallestRing)
        amounts = false;
    if (area.width() - legendWidth() - kGap < kSmallestRing)
        nameWidth = std::max(0, area.width() - kGap - kSmallestRing - (square + 2 * kGap + shareWidth));
    const int lineHeight = fm.height() + 2;
    const int legendHeight = lineHeight * int(slices_.size());

    // The ring on the left, as large as the height allows; the legend beside it, both centred.
    const int diameter = std::max(10, std::min(area.height() - 4, area.width() - legendWidth() - 3 * kGap));
    const int used = diameter + 2 * kGap + legendWidth();
    const int left = area.left() + std::max(0, (area.width() - used) / 2);
    const QRectF ring(left, area.top() + (area.height() - diameter) / 2.0, diameter, diameter);
    // Slices clockwise from twelve o'clock; angles in sixteenths of a degree.
    int start = 90 * 16;
    qint64 before = 0;
    for (qsizetype i = 0; i < slices_.size(); ++i) {
        const qint64 after = before + slices_[i].value.units();
        const int end = 90 * 16 - int(double(after) / double(whole_.units()) * 360 * 16 + 0.5);
        p.setPen(QPen(Qt::white, 1));
        p.setBrush(colours_[i]);
        p.drawPie(ring, start, end - start);
        start = end;
        before = after;
    }
    // The hole, with the whole in it where it fits.
    const double hole = diameter * 0.55;
    p.setPen(Qt::NoPen);
    p.setBrush(ChartBackgroundMiddle());
    p.drawEllipse(ring.center(), hole / 2, hole / 2);
    const QString whole = whole_.formatChartMark();
    p.setPen(QColor(0x20, 0x20, 0x20));
    if (fm.horizontalAdvance(whole) + 4 <= hole && 2 * fm.height() <= hole) {
        const QRectF middle(ring.center().x() - hole / 2, ring.center().y() - fm.height(), hole,
                            2 * fm.height());
        p.drawText(middle, Qt::AlignCenter, QStringLiteral("合计\n") + whole);
        drawnTexts_.append(middle.adjusted(2, 0, -2, 0));
    }

    const int legendLeft = int(ring.right()) + 2 * kGap;
    int y = area.top() + std::max(0, (area.height() - legendHeight) / 2);
    for (qsizetype i = 0; i < slices_.size(); ++i, y += lineHeight) {
        if (y + fm.height() > area.bottom() + kGap)
            break;  // no room for more lines: the rest stay in the ring
        int x = legendLeft;
        p.setPen(Qt::NoPen);
        p.setBrush(colours_[i]);
        p.drawRect(QRectF(x, y + (fm.height() - square) / 2.0, square, square));
        x += square + kGap;
        p.setPen(QColor(0x30, 0x30, 0x30));
        const QString name = fm.elidedText(slices_[i].label, Qt::ElideRight, nameWidth);
        p.drawText(QRect(x, y, nameWidth, fm.height()), Qt::AlignLeft | Qt::AlignVCenter, name);
        drawnTexts_.append(QRectF(x, y, fm.horizontalAdvance(name), fm.height()));
        x += nameWidth + kGap;
        if (amounts) {
            const QString amount = slices_[i].value.formatGrouped();
            p.drawText(QRect(x, y, amountWidth, fm.height()), Qt::AlignRight | Qt::AlignVCenter, amount);
            drawnTexts_.append(QRectF(x + amountWidth - fm.horizontalAdvance(amount), y,
                                      fm.horizontalAdvance(amount), fm.height()));
            x += amountWidth + kGap;
        }
        const QString share = shareText(shares_[i]);
        p.drawText(QRect(x, y, shareWidth, fm.height()), Qt::AlignRight | Qt::AlignVCenter, share);
        drawnTexts_.append(QRectF(x + shareWidth - fm.horizontalAdvance(share), y,
                                  fm.horizontalAdvance(share), fm.height()));
    }
}
