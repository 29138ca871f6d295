#include "kit/MessageBoxPrompt.h"

#include <QApplication>
#include <QGridLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QStyle>

namespace {

QMessageBox::Icon boxIcon(Prompt::Icon icon) {
    switch (icon) {
        case Prompt::Icon::Information:
            return QMessageBox::Information;
        case Prompt::Icon::Warning:
            return QMessageBox::Warning;
        case Prompt::Icon::Critical:
            return QMessageBox::Critical;
        case Prompt::Icon::Question:
            return QMessageBox::Question;
        case Prompt::Icon::None:
            break;
    }
    return QMessageBox::NoIcon;
}

// A box sizes itself to its whole text: a long text (hundreds of reminders due at once) would make it
// taller than the screen, its buttons out of reach. Such a text is put into a scrolling area as tall as
// the screen leaves room for; the box keeps its icon and buttons.
void fitToScreen(QMessageBox& box) {
    auto* label = box.findChild<QLabel*>(QStringLiteral("qt_msgbox_label"));
    const QScreen* screen = box.screen();
    if (!label || !box.layout() || !screen)
        return;
    const QRect available = screen->availableGeometry();
    // The title bar, the margins and the row of buttons.
    const int room = available.height() - 160;
    const int textWidth = qMin(label->sizeHint().width(), available.width() - 200);
    const int textHeight =
        label->heightForWidth(textWidth) > 0 ? label->heightForWidth(textWidth) : label->sizeHint().height();
    if (textHeight <= room)
        return;
    auto* scroll = new QScrollArea(&box);
    scroll->setObjectName(QStringLiteral("PromptScroll"));
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    delete box.layout()->replaceWidget(label, scroll);
    label->setWordWrap(true);
    scroll->setWidget(label);
    scroll->setWidgetResizable(true);
    scroll->setMinimumSize(textWidth + box.style()->pixelMetric(QStyle::PM_ScrollBarExtent) + 8, room);
}

// The button that shows the details reads 详细信息 (and 收起详细信息 while they show); it is the box's
// one button of the action role.
void nameDetailsButton(QMessageBox& box) {
    for (QAbstractButton* button : box.buttons()) {
        if (box.buttonRole(button) != QMessageBox::ActionRole)
            continue;
        const QString show = QStringLiteral("详细信息…");
        const QString hide = QStringLiteral("收起详细信息");
        button->setText(show);
        button->setMinimumWidth(button->fontMetrics().horizontalAdvance(hide) + 40);
        // Queued: runs after the box's own handler, which puts Qt's wording back.
        QObject::connect(
            button, &QAbstractButton::clicked, button,
            [button, show, hide] {
                const bool shown = button->property("detailsShown").toBool();
                button->setProperty("detailsShown", !shown);
                button->setText(shown ? show : hide);
            },
            Qt::QueuedConnection);
    }
}

}  // namespace

Prompt::Answer MessageBoxPrompt::show(const QString& caption, const QString& text, Buttons buttons,
                                      Icon icon) {
    return showWithDetails(caption, text, QString(), buttons, icon);
}

Prompt::Answer MessageBoxPrompt::showWithDetails(const QString& caption, const QString& text,
                                                 const QString& details, Buttons buttons, Icon icon) {
    QMessageBox box(boxIcon(icon), caption, text, QMessageBox::NoButton, QApplication::activeWindow());
    if (!details.isEmpty())
        box.setDetailedText(details);
    switch (buttons) {
        case Buttons::Ok:
            box.addButton(QMessageBox::Ok)->setText(QStringLiteral("确定"));
            break;
        case Buttons::YesNo:
            box.addButton(QMessageBox::Yes)->setText(QStringLiteral("是"));
            box.addButton(QMessageBox::No)->setText(QStringLiteral("否"));
            break;
        case Buttons::OkCancel:
            box.addButton(QMessageBox::Ok)->setText(QStringLiteral("确定"));
            box.addButton(QMessageBox::Cancel)->setText(QStringLiteral("取消"));
            break;
        case Buttons::YesNoCancel:
            box.addButton(QMessageBox::Yes)->setText(QStringLiteral("是"));
            box.addButton(QMessageBox::No)->setText(QStringLiteral("否"));
            box.addButton(QMessageBox::Cancel)->setText(QStringLiteral("取消"));
            box.setDefaultButton(QMessageBox::Yes);
            break;
        case Buttons::YesNoDefaultNo:
            box.addButton(QMessageBox::Yes)->setText(QStringLiteral("是"));
            box.addButton(QMessageBox::No)->setText(QStringLiteral("否"));
            box.setDefaultButton(QMessageBox::No);
            box.setEscapeButton(QMessageBox::No);
            break;
    }
    if (!details.isEmpty())
        nameDetailsButton(box);
    fitToScreen(box);
    switch (box.exec()) {
        case QMessageBox::Yes:
            return Answer::Yes;
        case QMessageBox::No:
            return Answer::No;
        case QMessageBox::Ok:
            return Answer::Ok;
        default:
            break;
    }
    // Esc or the close box: the safe answer of the box.
    if (buttons == Buttons::YesNoDefaultNo)
        return Answer::No;
    return buttons == Buttons::YesNo ? Answer::No : (buttons == Buttons::Ok ? Answer::Ok : Answer::Cancel);
}
