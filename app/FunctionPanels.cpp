#include "app/FunctionPanels.h"

#include <QFrame>
#include <QLabel>
#include <QVBoxLayout>

namespace {

QWidget* headedPanel(const char* name, const char* heading, const char* colour) {
    auto* panel = new QFrame;
    panel->setObjectName(QString::fromLatin1(name));
    // The function panels keep their own look whatever the window style.
    panel->setProperty("tag", 99);
    panel->setAutoFillBackground(true);
    QPalette p = panel->palette();
    p.setColor(QPalette::Window, Qt::white);
    panel->setPalette(p);
    auto* layout = new QVBoxLayout(panel);
    auto* title = new QLabel(QString::fromUtf8(heading), panel);
    title->setObjectName(QStringLiteral("%1Heading").arg(QString::fromLatin1(name)));
    title->setAlignment(Qt::AlignHCenter);
    title->setStyleSheet(
        QStringLiteral("font-size: 22px; font-weight: bold; text-decoration: underline; color: %1;")
            .arg(colour));
    layout->addWidget(title);
    layout->addStretch(1);
    return panel;
}

}  // namespace

QList<QWidget*> CreateFunctionPanels() {
    return {
        headedPanel("Panel2", "本月帐务信息", "#303030"),
        headedPanel("Panel3", "恭喜！又有钱入帐", "#1d8a2e"),
        headedPanel("Panel4", "花费明细登记一下吧！", "#c0282d"),
        headedPanel("Panel5", "银行帐务", "#1f4e9a"),
        headedPanel("Panel6", "提醒事件", "#7a3e9d"),
    };
}
