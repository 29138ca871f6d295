#pragma once

#include <QDialog>
#include <QString>

class QLabel;
class QLineEdit;

// Asks for a backup's passphrase, the typed text masked. For a new one it is typed twice, and the dialog
// says that a lost passphrase cannot be got round; for an encrypted backup it is typed once.
class PassphraseDialog : public QDialog {
    Q_OBJECT
  public:
    enum class Mode { NewPassphrase, OpenBackup };
    // `what` says what the passphrase is for (a backup's file name, the automatic backups).
    PassphraseDialog(Mode mode, const QString& what, QWidget* parent = nullptr);

    QString passphrase() const;

    void accept() override;

  private:
    Mode mode_;
    QLineEdit* passphrase_;
    QLineEdit* again_ = nullptr;
    QLabel* problem_;
};
