#include "kit/UpgradeProgress.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QPointer>
#include <QProgressDialog>
#include <QTimer>

namespace {

constexpr int kShowAfterMs = 1000;

// Neither Esc nor the window's close button ends the wait: the upgrade goes on either way.
class UpgradeProgressDialog final : public QProgressDialog {
  public:
    using QProgressDialog::QProgressDialog;

  protected:
    void closeEvent(QCloseEvent* event) override { event->ignore(); }
    void keyPressEvent(QKeyEvent* event) override {
        if (event->key() != Qt::Key_Escape)
            QProgressDialog::keyPressEvent(event);
    }
};

}  // namespace

std::function<void()> ShowUpgradeProgress(const QString& text) {
    auto* dialog = new UpgradeProgressDialog(text, QString(), 0, 0);
    dialog->setObjectName(QStringLiteral("UpgradeProgress"));
    dialog->setWindowTitle(QStringLiteral("Tamberlo"));
    dialog->setCancelButton(nullptr);
    dialog->setWindowModality(Qt::ApplicationModal);
    dialog->setAutoClose(false);
    dialog->setAutoReset(false);
    dialog->setMinimumDuration(kShowAfterMs);
    QTimer::singleShot(kShowAfterMs, dialog, [dialog] { dialog->show(); });
    return [shown = QPointer<QProgressDialog>(dialog)] { delete shown.data(); };
}
