#include "app/WorkArea.h"

#include "kit/Shape.h"

#include <QButtonGroup>
#include <QStyle>
#include <QToolButton>

namespace {

constexpr int kButtonLeft = 14;
constexpr int kButtonTop = 20;
constexpr int kButtonWidth = 104;
constexpr int kButtonHeight = 62;
constexpr int kButtonStep = 90;
constexpr int kFrameLeft = 140;
constexpr int kFrameMargin = 8;
constexpr int kHighlightMargin = 8;
constexpr int kPanelInset = 3;

const QColor kPurple(0x7a, 0x3e, 0x9d);

struct SideButton {
    const char* name;
    const char* caption;
    QStyle::StandardPixmap icon;
};

const SideButton kSideButtons[] = {
    {"SpeedButton2", "帐务信息", QStyle::SP_FileDialogInfoView},
    {"SpeedButton3", "收入管理", QStyle::SP_ArrowDown},
    {"SpeedButton4", "支出管理", QStyle::SP_ArrowUp},
    {"SpeedButton5", "银行帐务", QStyle::SP_DriveHDIcon},
    {"SpeedButton6", "提醒操作", QStyle::SP_MessageBoxInformation},
};

}  // namespace

WorkArea::WorkArea(QWidget* parent)
    : QWidget(parent),
      sideGroup_(new QButtonGroup(this)),
      frame_(new Shape(Shape::Kind::Rectangle, kPurple, Qt::SolidLine, Qt::white, this)),
      highlight_(new Shape(Shape::Kind::RoundRect, kPurple, Qt::SolidLine, Qt::white, this)),
      joint_(new Shape(Shape::Kind::Rectangle, Qt::white, Qt::DashDotLine, Qt::white, this)) {
    setObjectName(QStringLiteral("Panel1"));
    setAutoFillBackground(true);
    QPalette p = palette();
    p.setColor(QPalette::Window, QColor(0xf2, 0xee, 0xf7));
    setPalette(p);

    frame_->setObjectName(QStringLiteral("Shape1"));
    highlight_->setObjectName(QStringLiteral("Shape2"));
    joint_->setObjectName(QStringLiteral("Shape3"));

    sideGroup_->setExclusive(true);
    int top = kButtonTop;
    for (const SideButton& b : kSideButtons) {
        auto* button = new QToolButton(this);
        button->setObjectName(QString::fromLatin1(b.name));
        button->setText(QString::fromUtf8(b.caption));
        button->setIcon(style()->standardIcon(b.icon));
        button->setIconSize(QSize(28, 28));
        button->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
        button->setCheckable(true);
        button->setAutoRaise(true);
        button->setGeometry(kButtonLeft, top, kButtonWidth, kButtonHeight);
        sideGroup_->addButton(button);
        sideButtons_.append(button);
        top += kButtonStep;
    }
    sideButtons_.first()->setChecked(true);

    highlight_->setGeometry(kButtonLeft - kHighlightMargin, kButtonTop - kHighlightMargin,
                            kButtonWidth + 2 * kHighlightMargin, kButtonHeight + 2 * kHighlightMargin);
    // Stacking from the bottom: frame, highlight, the joint over both borders, then the buttons.
    frame_->lower();
    highlight_->stackUnder(sideButtons_.first());
    joint_->stackUnder(sideButtons_.first());
    layoutFrame();
}

void WorkArea::addPanel(QWidget* panel) {
    panel->setParent(this);
    panels_.append(panel);
    if (!front_)
        front_ = panel;
    layoutFrame();
    panel->show();
    if (front_)
        front_->raise();
}

void WorkArea::bringToFront(QWidget* panel) {
    if (!panels_.contains(panel))
        return;
    front_ = panel;
    panel->raise();
}

QWidget* WorkArea::frontPanel() const {
    return front_;
}

void WorkArea::moveHighlightTo(const QAbstractButton* button) {
    highlight_->move(button->x() - kHighlightMargin, button->y() - kHighlightMargin);
    joint_->move(joint_->x(), button->y() - kHighlightMargin);
}

void WorkArea::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    layoutFrame();
}

void WorkArea::layoutFrame() {
    const QRect frame(kFrameLeft, kFrameMargin, qMax(0, width() - kFrameLeft - kFrameMargin),
                      qMax(0, height() - 2 * kFrameMargin));
    frame_->setGeometry(frame);
    // The joint runs from inside the highlight to just inside the frame, hiding both borders there.
    const int jointLeft = highlight_->geometry().right() - 2;
    joint_->setGeometry(jointLeft, joint_->y() ? joint_->y() : highlight_->y(),
                        frame.left() + kPanelInset - jointLeft, highlight_->height());
    const QRect inside = frame.adjusted(kPanelInset, kPanelInset, -kPanelInset, -kPanelInset);
    for (QWidget* panel : panels_)
        panel->setGeometry(inside);
}
