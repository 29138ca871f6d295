#include "tools/cldj.h"

#include "data/Database.h"
#include "data/DateText.h"
#include "household/Household.h"
#include "kit/DataGrid.h"
#include "kit/Prompt.h"
#include "kit/Today.h"
#include "tools/PostalQueries.h"

#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QSignalBlocker>
#include <QSqlQueryModel>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

const QString kChooseProvince = QStringLiteral("请选择所属省份");
const QString kChooseRegion = QStringLiteral("请选择所属地区");

QLabel* label(const char* name, const QString& text, QWidget* parent) {
    auto* l = new QLabel(text, parent);
    l->setObjectName(QString::fromLatin1(name));
    return l;
}

QComboBox* comboBox(const char* name, bool editable, QWidget* parent) {
    auto* box = new QComboBox(parent);
    box->setObjectName(QString::fromLatin1(name));
    box->setEditable(editable);
    if (editable) {
        // Enter keeps the typed text as it is instead of adding it to the list.
        box->setInsertPolicy(QComboBox::NoInsert);
        box->setCompleter(nullptr);
    }
    box->setMinimumWidth(160);
    return box;
}

QToolButton* button(const char* name, const QString& text, QWidget* parent) {
    auto* b = new QToolButton(parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setText(text);
    b->setMinimumSize(64, 26);
    b->setToolButtonStyle(Qt::ToolButtonTextOnly);
    return b;
}

}  // namespace

TForm9::TForm9(Household& household, QWidget* parent)
    : QDialog(parent), household_(household), ADOQuery1_(new QSqlQueryModel(this)) {
    setObjectName(QStringLiteral("Form9"));
    setWindowTitle(QStringLiteral("邮政编号、区号速查"));
    ADOQuery1_->setObjectName(QStringLiteral("ADOQuery1"));
    resize(640, 480);
    buildLayout();
    FormCreate();

    connect(ComboBox1_, &QComboBox::editTextChanged, this, &TForm9::ComboBox1Change);
    connect(ComboBox2_, &QComboBox::editTextChanged, this, &TForm9::ComboBox2Change);
    connect(findChild<QToolButton*>(QStringLiteral("SpeedButton2")), &QToolButton::clicked, this,
            &TForm9::SpeedButton2Click);
    connect(findChild<QToolButton*>(QStringLiteral("SpeedButton9")), &QToolButton::clicked, this,
            &TForm9::SpeedButton9Click);
    connect(findChild<QToolButton*>(QStringLiteral("SpeedButton1")), &QToolButton::clicked, this,
            &TForm9::SpeedButton1Click);
    Edit1_->setFocus();
}

void TForm9::buildLayout() {
    auto* layout = new QVBoxLayout(this);

    auto* top = new QHBoxLayout;
    top->addWidget(label("Label1", QStringLiteral("详细查询时，请选择下列选项："), this));
    top->addStretch(1);
    Label4_ = label("Label4", QString(), this);
    top->addWidget(Label4_);
    layout->addLayout(top);

    auto* frame = new QGroupBox(this);
    frame->setObjectName(QStringLiteral("GroupBox1"));
    auto* choices = new QHBoxLayout(frame);
    choices->addWidget(label("Label2", QStringLiteral("所属省份（市）："), frame));
    ComboBox1_ = comboBox("ComboBox1", true, frame);
    choices->addWidget(ComboBox1_, 1);
    choices->addSpacing(12);
    choices->addWidget(label("Label3", QStringLiteral("查询地区："), frame));
    ComboBox2_ = comboBox("ComboBox2", true, frame);
    choices->addWidget(ComboBox2_, 1);
    layout->addWidget(frame);

    DBGridEh1_ = new DataGrid(this);
    DBGridEh1_->setObjectName(QStringLiteral("DBGridEh1"));
    QList<DataGrid::Column> columns;
    for (const QString& field : Postal::SearchColumns())
        columns.append({field, field, DataGrid::Format::Text, Qt::AlignHCenter, 140});
    DBGridEh1_->setColumns(columns);
    DBGridEh1_->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    DBGridEh1_->verticalHeader()->hide();
    DBGridEh1_->setSourceModel(ADOQuery1_);
    layout->addWidget(DBGridEh1_, 1);

    auto* bottom = new QHBoxLayout;
    bottom->addWidget(label("Label5", QStringLiteral("选择条件："), this));
    ComboBox3_ = comboBox("ComboBox3", false, this);
    ComboBox3_->setMinimumWidth(80);
    bottom->addWidget(ComboBox3_);
    Edit1_ = new QLineEdit(this);
    Edit1_->setObjectName(QStringLiteral("Edit1"));
    bottom->addWidget(Edit1_, 1);
    bottom->addWidget(button("SpeedButton2", QStringLiteral("查询"), this));
    bottom->addWidget(button("SpeedButton9", QStringLiteral("全部"), this));
    bottom->addWidget(button("SpeedButton1", QStringLiteral("离开"), this));
    layout->addLayout(bottom);
}

void TForm9::report(const Status& status) {
    if (!status)
        ReportError(status.error());
}

void TForm9::FormCreate() {
    Label4_->setText(QStringLiteral("查询日期：") + ShortDate(Today()));
    const QSqlDatabase db = household_.database.connection();
    report(Postal::All(*ADOQuery1_, db));

    ComboBox1_->setEditText(kChooseProvince);
    const Result<QStringList> provinces = Postal::Provinces(db);
    if (provinces)
        ComboBox1_->addItems(provinces.value());
    else
        ReportError(provinces.error());
    ComboBox1_->setEditText(kChooseProvince);
    ComboBox2_->setEditText(kChooseRegion);

    ComboBox3_->addItems(Postal::SearchColumns());
    ComboBox3_->setCurrentIndex(1);  // 地区
}

void TForm9::ComboBox1Change() {
    // The region box is refilled without counting as a change of the region.
    const QSignalBlocker quiet(ComboBox2_);
    ComboBox2_->clear();
    ComboBox2_->setEditText(QString());
    const Result<QStringList> regions =
        Postal::RegionsOf(household_.database.connection(), ComboBox1_->currentText());
    if (regions)
        ComboBox2_->addItems(regions.value());
    else
        ReportError(regions.error());
    ComboBox2_->setCurrentIndex(-1);
    ComboBox2_->setEditText(kChooseRegion);
}

void TForm9::ComboBox2Change() {
    report(Postal::OfRegion(*ADOQuery1_, household_.database.connection(), ComboBox1_->currentText(),
                            ComboBox2_->currentText()));
}

void TForm9::SpeedButton2Click() {
    report(Postal::Search(*ADOQuery1_, household_.database.connection(), ComboBox3_->currentText(),
                          Edit1_->text()));
}

void TForm9::SpeedButton9Click() {
    report(Postal::All(*ADOQuery1_, household_.database.connection()));
}

void TForm9::SpeedButton1Click() {
    close();
}
