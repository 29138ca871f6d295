#include "ledger/ExportDialog.h"

#include "data/Database.h"
#include "data/DateText.h"
#include "household/Household.h"
#include "kit/FileChooser.h"
#include "kit/Prompt.h"
#include "kit/StyleEngine.h"
#include "ledger/CsvExport.h"

#include <QCoreApplication>
#include <QDateEdit>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QRadioButton>
#include <QStandardPaths>
#include <QVBoxLayout>

#include <limits>

namespace {

QDateEdit* dateBox(const char* name, const QDate& date, QWidget* parent) {
    auto* box = new QDateEdit(date, parent);
    box->setObjectName(QString::fromLatin1(name));
    box->setCalendarPopup(true);
    box->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
    return box;
}

}  // namespace

ExportDialog::ExportDialog(Household& household, const QDate& first, const QDate& last, QWidget* parent)
    : QDialog(parent,
              Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      household_(household) {
    setObjectName(QStringLiteral("ExportDialog"));
    setWindowTitle(QStringLiteral("导出收支明细"));

    auto* period = new QGroupBox(QStringLiteral("期间"), this);
    from_ = dateBox("exportFrom", first, period);
    to_ = dateBox("exportTo", last, period);
    auto* periodForm = new QFormLayout(period);
    periodForm->addRow(QStringLiteral("起始日期(&F)："), from_);
    periodForm->addRow(QStringLiteral("中止日期(&T)："), to_);

    auto* what = new QGroupBox(QStringLiteral("导出内容"), this);
    entries_ = new QRadioButton(QStringLiteral("收支明细(&E)"), what);
    entries_->setObjectName(QStringLiteral("exportEntries"));
    entries_->setChecked(true);
    transactions_ = new QRadioButton(QStringLiteral("存取款记录(&D)"), what);
    transactions_->setObjectName(QStringLiteral("exportTransactions"));
    auto* whatRow = new QHBoxLayout(what);
    whatRow->addWidget(entries_);
    whatRow->addWidget(transactions_);
    whatRow->addStretch();

    path_ = new QLineEdit(this);
    path_->setObjectName(QStringLiteral("exportPath"));
    path_->setPlaceholderText(QStringLiteral("要写入的 CSV 文件"));
    path_->setMinimumWidth(300);
    browse_ = new QPushButton(QStringLiteral("浏览(&B)…"), this);
    browse_->setObjectName(QStringLiteral("exportBrowse"));
    browse_->setAutoDefault(false);
    auto* fileLabel = new QLabel(QStringLiteral("文件(&N)："), this);
    fileLabel->setBuddy(path_);
    auto* fileRow = new QHBoxLayout;
    fileRow->addWidget(fileLabel);
    fileRow->addWidget(path_, 1);
    fileRow->addWidget(browse_);

    ok_ = new QPushButton(QStringLiteral("导出"), this);
    ok_->setObjectName(QStringLiteral("exportOk"));
    ok_->setDefault(true);
    cancel_ = new QPushButton(QStringLiteral("取消"), this);
    cancel_->setObjectName(QStringLiteral("exportCancel"));
    cancel_->setAutoDefault(false);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok_);
    buttons->addWidget(cancel_);

    auto* note = new QLabel(QStringLiteral("文件为 UTF-8 编码的 CSV，可用 WPS 表格或 Excel 打开。"), this);
    note->setStyleSheet(StyleEngine::toneSheet(StyleEngine::Tone::Muted));

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(period);
    layout->addWidget(what);
    layout->addLayout(fileRow);
    layout->addWidget(note);
    layout->addLayout(buttons);

    setTabOrder(from_, to_);
    setTabOrder(to_, entries_);
    setTabOrder(entries_, transactions_);
    setTabOrder(transactions_, path_);
    setTabOrder(path_, browse_);
    setTabOrder(browse_, ok_);
    setTabOrder(ok_, cancel_);

    connect(browse_, &QPushButton::clicked, this, &ExportDialog::browse);
    connect(ok_, &QPushButton::clicked, this, &ExportDialog::exportNow);
    connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);
}

QString ExportDialog::suggestedPath() const {
    QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (folder.isEmpty() || !QFileInfo(folder).isDir())
        folder = QDir::homePath();
    const QString kind = entries_->isChecked() ? QStringLiteral("收支明细") : QStringLiteral("存取款记录");
    return QDir(folder).filePath(
        QStringLiteral("%1_%2_%3.csv").arg(kind, ShortDate(from_->date()), ShortDate(to_->date())));
}

void ExportDialog::browse() {
    const QString start = path_->text().trimmed().isEmpty() ? suggestedPath() : path_->text().trimmed();
    const QString chosen = FileChooser::chooseSaveFile(this, QStringLiteral("导出到文件"), start,
                                                       QStringLiteral("CSV 文件 (*.csv);;所有文件 (*)"));
    if (!chosen.isEmpty())
        path_->setText(chosen);
}

void ExportDialog::exportNow() {
    // The rows go out only to a user who may manage them: entries of each type under its own right,
    // the deposits and withdrawals under either bank right. Without any, the gate refuses at once.
    const ExportKind kind = entries_->isChecked() ? ExportKind::Entries : ExportKind::Transactions;
    const ExportAllowance allowance = ExportAllowance::Of(household_.holdsRight);
    if (!allowance.allowsAny(kind)) {
        (void)PermissionGateAny(household_, ExportRights(kind));
        return;
    }
    if (from_->date() > to_->date()) {
        Prompt::current().show(Captions::kNotice, QStringLiteral("起始日期晚于中止日期，请重新选择期间。"),
                               Prompt::Buttons::Ok, Prompt::Icon::Warning);
        from_->setFocus();
        return;
    }
    if (path_->text().trimmed().isEmpty())
        browse();
    const QString path = path_->text().trimmed();
    if (path.isEmpty())
        return;
    const QFileInfo target(path);
    if (target.isDir()) {
        Prompt::current().show(Captions::kNotice,
                               QStringLiteral("%1 是一个文件夹，请输入或选择一个文件名。").arg(path),
                               Prompt::Buttons::Ok, Prompt::Icon::Warning);
        path_->setFocus();
        return;
    }
    if (target.exists() &&
        Prompt::current().show(Captions::kNotice,
                               QStringLiteral("文件 %1 已存在。要用导出的记录替换它吗？").arg(path),
                               Prompt::Buttons::YesNo, Prompt::Icon::Question) != Prompt::Answer::Yes) {
        path_->setFocus();
        return;
    }
    // A long export shows its progress past 0.3 s and can be stopped; the window keeps painting, as
    // the rows are written in parts with the events run between them. The connection belongs to this
    // thread, so the writing stays on it.
    QProgressDialog progress(QStringLiteral("正在导出记录……"), QStringLiteral("取消"), 0, 0, this);
    progress.setObjectName(QStringLiteral("exportProgress"));
    progress.setWindowTitle(Captions::kApplication);
    progress.setWindowModality(Qt::WindowModal);
    progress.setAutoClose(false);
    progress.setAutoReset(false);
    // Shown here once the export has taken 0.3 s, never by the dialog's own timer.
    progress.setMinimumDuration(std::numeric_limits<int>::max());
    QElapsedTimer started;
    started.start();
    bool stopped = false;
    const auto carryOn = [&](int rows) {
        if (progress.isVisible()) {
            progress.setLabelText(QStringLiteral("正在导出记录……已写 %1 条").arg(rows));
        } else if (started.elapsed() > 300) {
            progress.show();
        }
        QCoreApplication::processEvents();
        stopped = progress.wasCanceled();
        return !stopped;
    };
    const Result<int> written = ExportToCsv(household_.database.connection(), kind, from_->date(),
                                            to_->date(), path, allowance, carryOn);
    progress.hide();
    if (!written) {
        if (stopped)
            Prompt::current().show(Captions::kApplication, written.error(), Prompt::Buttons::Ok,
                                   Prompt::Icon::Information);
        else
            ReportError(written.error());
        return;
    }
    Prompt::current().show(Captions::kApplication,
                           QStringLiteral("已导出 %1 条记录到 %2。").arg(written.value()).arg(path),
                           Prompt::Buttons::Ok, Prompt::Icon::Information);
    accept();
}
