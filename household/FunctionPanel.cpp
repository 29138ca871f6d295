#include "household/FunctionPanel.h"

#include <QLabel>
#include <QVBoxLayout>

FunctionPanel::FunctionPanel(const QString& objectName, QWidget* parent) : QFrame(parent) {
    setObjectName(objectName);
    setProperty("tag", 99);
    setAutoFillBackground(true);
    QPalette p = palette();
    p.setColor(QPalette::Window, Qt::white);
    setPalette(p);
}

FunctionPanel* HeadingPanel(const QString& objectName, const QString& heading, const QString& colour) {
    auto* panel = new FunctionPanel(objectName);
    auto* layout = new QVBoxLayout(panel);
    auto* title = new QLabel(heading, panel);
    title->setObjectName(objectName + QStringLiteral("Heading"));
    title->setAlignment(Qt::AlignHCenter);
    title->setStyleSheet(
        QStringLiteral("font-size: 22px; font-weight: bold; text-decoration: underline; color: %1;")
            .arg(colour));
    layout->addWidget(title);
    layout->addStretch(1);
    return panel;
}
