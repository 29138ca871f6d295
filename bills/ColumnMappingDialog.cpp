#include "bills/ColumnMappingDialog.h"

#include "bills/BillRules.h"
#include "data/Database.h"
#include "kit/Prompt.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace {

// The first item of a column that may stay unmapped.
const QString kUnused = QStringLiteral("（不用）");

// The line most likely to hold the headers: the first one with as many cells as the widest line.
int likelyHeaderLine(const CsvSample& sample) {
    qsizetype widest = 0;
    for (const QStringList& cells : sample.lines)
        widest = std::max(widest, cells.size());
    for (qsizetype i = 0; i < sample.lines.size(); ++i) {
        if (sample.lines[i].size() == widest)
            return static_cast<int>(i) + 1;
    }
    return 1;
}

// The header name chosen in a box; a box still at its first item maps nothing.
QString chosenColumn(const QComboBox* box) {
    return box->currentIndex() > 0 ? box->currentText() : QString();
}

// Chooses the header name in the box, adding it when the sample's header line does not hold it.
void chooseColumn(QComboBox* box, const QString& header) {
    if (header.isEmpty()) {
        box->setCurrentIndex(0);
        return;
    }
    int index = box->findText(header);
    if (index < 0) {
        box->addItem(header);
        index = box->count() - 1;
    }
    box->setCurrentIndex(index);
}

}  // namespace

ColumnMappingDialog::ColumnMappingDialog(Database& database, const CsvSample& sample, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint | Qt::WindowMaximizeButtonHint),
      database_(database),
      sample_(sample) {
    setObjectName(QStringLiteral("ColumnMappingDialog"));
    setWindowTitle(QStringLiteral("对应帐单的列"));
    resize(780, 700);

    auto* heading = new QLabel(
        QStringLiteral("这个文件不是已知的帐单格式。请指出表头在第几行，以及日期、金额等各在哪一列；"
                       "双击一行可把它设为表头。保存后，下次导入同样的文件可以直接选用。"),
        this);
    heading->setWordWrap(true);

    qsizetype widest = 0;
    for (const QStringList& cells : sample_.lines)
        widest = std::max(widest, cells.size());
    lines_ = new QTableWidget(static_cast<int>(sample_.lines.size()), static_cast<int>(widest), this);
    lines_->setObjectName(QStringLiteral("mappingLines"));
    lines_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lines_->setSelectionBehavior(QAbstractItemView::SelectRows);
    lines_->setSelectionMode(QAbstractItemView::SingleSelection);
    lines_->setWordWrap(false);
    for (int row = 0; row < sample_.lines.size(); ++row) {
        for (int column = 0; column < sample_.lines[row].size(); ++column)
            lines_->setItem(row, column, new QTableWidgetItem(sample_.lines[row][column]));
    }
    lines_->resizeColumnsToContents();
    // A long preamble line (a bank's name and the period) would otherwise push the columns out of view.
    for (int column = 0; column < lines_->columnCount(); ++column)
        lines_->setColumnWidth(column, std::min(lines_->columnWidth(column), 180));

    savedChoice_ = new QComboBox(this);
    savedChoice_->setObjectName(QStringLiteral("mappingSaved"));
    savedChoice_->addItem(QStringLiteral("（新建）"));
    if (const Result<QList<ColumnMapping>> read = ReadMappings(database_.connection())) {
        savedMappings_ = read.value();
        for (const ColumnMapping& m : savedMappings_)
            savedChoice_->addItem(m.name);
    }
    savedChoice_->setEnabled(!savedMappings_.isEmpty());

    headerLine_ = new QSpinBox(this);
    headerLine_->setObjectName(QStringLiteral("mappingHeaderLine"));
    headerLine_->setRange(1, std::max(1, static_cast<int>(sample_.lines.size())));
    headerLine_->setPrefix(QStringLiteral("第 "));
    headerLine_->setSuffix(QStringLiteral(" 行"));

    auto combo = [this](const char* name) {
        auto* box = new QComboBox(this);
        box->setObjectName(QString::fromLatin1(name));
        box->setMinimumContentsLength(12);
        return box;
    };
    date_ = combo("mappingDate");
    amount_ = combo("mappingAmount");
    income_ = combo("mappingIncome");
    expense_ = combo("mappingExpense");
    description_ = combo("mappingDescription");
    counterparty_ = combo("mappingCounterparty");
    number_ = combo("mappingNumber");
    signedAmount_ = new QRadioButton(QStringLiteral("一列金额（负数为支出）"), this);
    signedAmount_->setObjectName(QStringLiteral("mappingSigned"));
    twoColumns_ = new QRadioButton(QStringLiteral("收入、支出各一列"), this);
    twoColumns_->setObjectName(QStringLiteral("mappingTwoColumns"));
    signedAmount_->setChecked(true);
    auto* amountKind = new QHBoxLayout;
    amountKind->addWidget(signedAmount_);
    amountKind->addWidget(twoColumns_);
    amountKind->addStretch(1);

    name_ = new QLineEdit(this);
    name_->setObjectName(QStringLiteral("mappingName"));
    name_->setPlaceholderText(QStringLiteral("例如：农商银行对帐单"));

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("已保存的对应："), savedChoice_);
    form->addRow(QStringLiteral("表头所在行："), headerLine_);
    form->addRow(QStringLiteral("日期列："), date_);
    form->addRow(QStringLiteral("金额："), amountKind);
    form->addRow(QStringLiteral("金额列："), amount_);
    form->addRow(QStringLiteral("收入列："), income_);
    form->addRow(QStringLiteral("支出列："), expense_);
    form->addRow(QStringLiteral("说明列："), description_);
    form->addRow(QStringLiteral("交易对方列："), counterparty_);
    form->addRow(QStringLiteral("交易号列："), number_);
    form->addRow(QStringLiteral("保存为："), name_);

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* save = buttons->addButton(QStringLiteral("保存"), QDialogButtonBox::AcceptRole);
    save->setObjectName(QStringLiteral("mappingSave"));
    QPushButton* cancel = buttons->addButton(QStringLiteral("取消"), QDialogButtonBox::RejectRole);
    cancel->setObjectName(QStringLiteral("mappingCancel"));

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(heading);
    layout->addWidget(lines_, 1);
    layout->addLayout(form);
    layout->addWidget(buttons);

    connect(headerLine_, &QSpinBox::valueChanged, this, [this](int line) {
        lines_->selectRow(line - 1);
        fillColumns();
    });
    connect(lines_, &QTableWidget::cellDoubleClicked, this,
            [this](int row, int) { headerLine_->setValue(row + 1); });
    connect(savedChoice_, &QComboBox::currentIndexChanged, this, &ColumnMappingDialog::pickSaved);
    connect(signedAmount_, &QRadioButton::toggled, this, &ColumnMappingDialog::showAmountKind);
    connect(save, &QPushButton::clicked, this, &ColumnMappingDialog::save);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    const int likely = likelyHeaderLine(sample_);
    headerLine_->setValue(likely);
    lines_->selectRow(likely - 1);
    fillColumns();
    showAmountKind();
}

void ColumnMappingDialog::fillColumns() {
    const int line = headerLine_->value() - 1;
    QStringList headers;
    if (line >= 0 && line < sample_.lines.size()) {
        for (const QString& cell : sample_.lines[line]) {
            if (!cell.trimmed().isEmpty())
                headers.append(cell.trimmed());
        }
    }
    for (QComboBox* box : {date_, amount_, income_, expense_, description_, counterparty_, number_}) {
        const QString before = chosenColumn(box);
        const QSignalBlocker quiet(box);
        box->clear();
        // The date and the amount must be mapped; the rest may stay unused.
        const bool required = box == date_ || box == amount_ || box == income_ || box == expense_;
        box->addItem(required ? QStringLiteral("（请选择）") : kUnused);
        box->addItems(headers);
        const int kept = before.isEmpty() ? -1 : box->findText(before);
        box->setCurrentIndex(std::max(kept, 0));
    }
    // A column named like a date is the likely date column.
    if (date_->currentIndex() == 0) {
        for (int i = 1; i < date_->count(); ++i) {
            if (date_->itemText(i).contains(QStringLiteral("日期")) ||
                date_->itemText(i).contains(QStringLiteral("时间"))) {
                date_->setCurrentIndex(i);
                break;
            }
        }
    }
}

void ColumnMappingDialog::pickSaved(int index) {
    if (index <= 0 || index > savedMappings_.size())
        return;
    const ColumnMapping& m = savedMappings_[index - 1];
    if (m.headerLine > 0)
        headerLine_->setValue(std::min(m.headerLine, headerLine_->maximum()));
    fillColumns();
    chooseColumn(date_, m.date);
    const bool twoColumns = m.amount.isEmpty();
    twoColumns_->setChecked(twoColumns);
    signedAmount_->setChecked(!twoColumns);
    chooseColumn(amount_, m.amount);
    chooseColumn(income_, m.income);
    chooseColumn(expense_, m.expense);
    chooseColumn(description_, m.description);
    chooseColumn(counterparty_, m.counterparty);
    chooseColumn(number_, m.number);
    name_->setText(m.name);
}

void ColumnMappingDialog::showAmountKind() {
    const bool single = signedAmount_->isChecked();
    amount_->setEnabled(single);
    income_->setEnabled(!single);
    expense_->setEnabled(!single);
}

ColumnMapping ColumnMappingDialog::chosen() const {
    // The required columns are checked by SaveMapping.
    const auto column = chosenColumn;
    ColumnMapping m;
    m.name = name_->text().trimmed();
    m.headerLine = headerLine_->value();
    m.date = column(date_);
    if (signedAmount_->isChecked()) {
        m.amount = column(amount_);
    } else {
        m.income = column(income_);
        m.expense = column(expense_);
    }
    m.description = column(description_);
    m.counterparty = column(counterparty_);
    m.number = column(number_);
    return m;
}

void ColumnMappingDialog::save() {
    const ColumnMapping m = chosen();
    const Status stored = SaveMapping(database_, m);
    if (!stored) {
        Prompt::current().show(Captions::kNotice, stored.error(), Prompt::Buttons::Ok, Prompt::Icon::Warning);
        return;
    }
    saved_ = m;
    accept();
}

std::optional<ColumnMapping> AskColumnMapping(QWidget* parent, Database& database, const CsvSample& sample) {
    ColumnMappingDialog dialog(database, sample, parent);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.mapping();
}
