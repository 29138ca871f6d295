#include "kit/MessageBoxPrompt.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

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

}  // namespace

Prompt::Answer MessageBoxPrompt::show(const QString& caption, const QString& text, Buttons buttons,
                                      Icon icon) {
    QMessageBox box(boxIcon(icon), caption, text, QMessageBox::NoButton, QApplication::activeWindow());
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
