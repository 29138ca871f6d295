#include "tools/abord.h"

#include "tools/Launcher.h"
#include "tools/Launchers.h"

#include "data/Version.h"
#include "kit/StyleEngine.h"

#include <QEvent>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

// The program's picture: a gold coin with the yuan sign.
QPixmap coinPicture() {
    QPixmap picture(64, 64);
    picture.fill(Qt::transparent);
    QPainter p(&picture);
    p.setRenderHint(QPainter::Antialiasing);
    QRadialGradient gold(QPointF(24, 22), 40);
    gold.setColorAt(0, QColor(0xff, 0xe8, 0x8a));
    gold.setColorAt(1, QColor(0xc9, 0x8a, 0x10));
    p.setBrush(gold);
    p.setPen(QPen(QColor(0x8a, 0x5a, 0x00), 2));
    p.drawEllipse(QRectF(4, 4, 56, 56));
    p.setPen(QColor(0x7a, 0x4a, 0x00));
    QFont font = p.font();
    font.setPixelSize(30);
    font.setBold(true);
    p.setFont(font);
    p.drawText(QRectF(4, 4, 56, 56), Qt::AlignCenter, QStringLiteral("¥"));
    return picture;
}

QLabel* label(const char* name, const QString& text, QWidget* parent) {
    auto* l = new QLabel(text, parent);
    l->setObjectName(QString::fromLatin1(name));
    return l;
}

}  // namespace

TAboutBox::TAboutBox(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("AboutBox"));
    setWindowTitle(QStringLiteral("关于······"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);

    auto* panel = new QFrame(this);
    panel->setObjectName(QStringLiteral("Panel1"));
    panel->setFrameShape(QFrame::StyledPanel);
    panel->setFrameShadow(QFrame::Sunken);
    auto* grid = new QGridLayout(panel);
    grid->setContentsMargins(14, 14, 14, 14);
    grid->setHorizontalSpacing(16);

    QLabel* picture = label("ProgramIcon", QString(), panel);
    picture->setPixmap(coinPicture());
    picture->setAlignment(Qt::AlignTop | Qt::AlignLeft);
    grid->addWidget(picture, 0, 0, 3, 1);

    QLabel* product = label("ProductName", QStringLiteral("Tamberlo"), panel);
    product->setStyleSheet(StyleEngine::toneSheet(StyleEngine::Tone::Heading) +
                           QStringLiteral(" font-size: 20px; font-weight: bold;"));
    grid->addWidget(product, 0, 1);
    grid->addWidget(label("Version", QStringLiteral("版本 ") + QLatin1String(kTamberloVersion), panel), 1, 1);
    grid->addWidget(label("Copyright", QStringLiteral("Quorvane"), panel), 2, 1);

    QLabel* link = label("Label4", QStringLiteral("作者其他软件下载中心！欢迎您的光临！"), panel);
    link->setStyleSheet(StyleEngine::toneSheet(StyleEngine::Tone::Heading) +
                        QStringLiteral(" text-decoration: underline;"));
    link->setCursor(Qt::PointingHandCursor);
    link->installEventFilter(this);
    grid->addWidget(link, 3, 0, 1, 2, Qt::AlignHCenter);
    grid->setRowMinimumHeight(3, 40);

    auto* ok = new QPushButton(QStringLiteral("确定"), this);
    ok->setObjectName(QStringLiteral("OKButton"));
    ok->setDefault(true);
    ok->setMinimumWidth(80);
    connect(ok, &QPushButton::clicked, this, &TAboutBox::OKButtonClick);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(panel);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(ok);
    buttons->addStretch(1);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

bool TAboutBox::eventFilter(QObject* watched, QEvent* event) {
    if (watched->objectName() == QStringLiteral("Label4") && event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        Label4Click();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void TAboutBox::OKButtonClick() {
    accept();
}

void TAboutBox::Label4Click() {
    OpenOrTell(Launch::kDownloadPage, QStringLiteral("下载中心"));
}
