#include "kit/FindDialog.h"

#include "kit/Prompt.h"

#include <QAbstractItemView>
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {

const char kDialogName[] = "FindDialog";

// Keeps a grid's search until its dialog is first opened.
class FindHook final : public QObject {
  public:
    FindHook(QAbstractItemView* view, FindDialog::Search given) : QObject(view), search(std::move(given)) {
        setObjectName(QStringLiteral("findHook"));
    }
    FindDialog::Search search;
};

}  // namespace

void FindDialog::install(QAbstractItemView* view, Search search) {
    if (!search) {
        search = [view](const FindQuery& query, int from) -> Result<int> {
            return view->model() ? FindInModel(*view->model(), query, from) : -1;
        };
    }
    new FindHook(view, std::move(search));
    auto* action = new QAction(QStringLiteral("查找(&F)..."), view);
    action->setObjectName(QStringLiteral("findAction"));
    action->setShortcut(QKeySequence::Find);
    action->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    view->addAction(action);
    view->setContextMenuPolicy(Qt::ActionsContextMenu);
    connect(action, &QAction::triggered, view, [view] { open(view); });
}

FindDialog* FindDialog::open(QAbstractItemView* view) {
    auto* dialog = view->findChild<FindDialog*>(QString::fromLatin1(kDialogName), Qt::FindDirectChildrenOnly);
    if (!dialog) {
        auto* hook = view->findChild<FindHook*>(QStringLiteral("findHook"), Qt::FindDirectChildrenOnly);
        if (!hook)
            return nullptr;
        dialog = new FindDialog(view, hook->search);
    }
    dialog->refreshColumns();
    dialog->show();
    dialog->raise();
    dialog->activateWindow();
    dialog->text_->setFocus();
    dialog->text_->selectAll();
    return dialog;
}

FindDialog::FindDialog(QAbstractItemView* view, Search search)
    : QDialog(view, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      view_(view),
      search_(std::move(search)),
      text_(new QLineEdit(this)),
      column_(new QComboBox(this)),
      matchCase_(new QCheckBox(QStringLiteral("区分大小写"), this)),
      up_(new QRadioButton(QStringLiteral("向上"), this)),
      down_(new QRadioButton(QStringLiteral("向下"), this)),
      next_(new QPushButton(QStringLiteral("查找下一个"), this)) {
    setObjectName(QString::fromLatin1(kDialogName));
    setWindowTitle(QStringLiteral("查找"));
    text_->setObjectName(QStringLiteral("findText"));
    column_->setObjectName(QStringLiteral("findColumn"));
    matchCase_->setObjectName(QStringLiteral("matchCase"));
    up_->setObjectName(QStringLiteral("findUp"));
    down_->setObjectName(QStringLiteral("findDown"));
    down_->setChecked(true);
    next_->setObjectName(QStringLiteral("findNext"));
    next_->setDefault(true);
    next_->setEnabled(false);
    auto* cancel = new QPushButton(QStringLiteral("取消"), this);
    cancel->setObjectName(QStringLiteral("findCancel"));

    auto* fields = new QGridLayout;
    fields->addWidget(new QLabel(QStringLiteral("查找内容："), this), 0, 0);
    fields->addWidget(text_, 0, 1);
    fields->addWidget(new QLabel(QStringLiteral("查找范围："), this), 1, 0);
    fields->addWidget(column_, 1, 1);
    auto* direction = new QGroupBox(QStringLiteral("方向"), this);
    auto* directionLayout = new QHBoxLayout(direction);
    directionLayout->addWidget(up_);
    directionLayout->addWidget(down_);
    auto* options = new QHBoxLayout;
    options->addWidget(matchCase_);
    options->addStretch(1);
    options->addWidget(direction);
    auto* left = new QVBoxLayout;
    left->addLayout(fields);
    left->addLayout(options);
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(next_);
    buttons->addWidget(cancel);
    buttons->addStretch(1);
    auto* layout = new QHBoxLayout(this);
    layout->addLayout(left, 1);
    layout->addLayout(buttons);
    text_->setMinimumWidth(220);

    connect(text_, &QLineEdit::textChanged, this,
            [this](const QString& text) { next_->setEnabled(!text.isEmpty()); });
    connect(next_, &QPushButton::clicked, this, [this] { findNext(); });
    connect(cancel, &QPushButton::clicked, this, &QDialog::close);
}

void FindDialog::refreshColumns() {
    const int chosen = column_->currentIndex();
    column_->clear();
    column_->addItem(QStringLiteral("所有列"), -1);
    const QAbstractItemModel* model = view_->model();
    const int columns = model ? model->columnCount() : 0;
    if (columns > 1) {
        for (int c = 0; c < columns; ++c)
            column_->addItem(model->headerData(c, Qt::Horizontal).toString().simplified(), c);
    }
    column_->setCurrentIndex(chosen >= 0 && chosen < column_->count() ? chosen : 0);
}

FindQuery FindDialog::query() const {
    return {text_->text(), column_->currentData().toInt(), matchCase_->isChecked(), down_->isChecked()};
}

int FindDialog::findNext() {
    const FindQuery q = query();
    if (q.text.isEmpty())
        return -1;
    // A list that is locked while a row is added or edited keeps its row.
    if (!view_->isEnabled()) {
        Prompt::current().show(Captions::kNotice,
                               QStringLiteral("列表正在添加或修改记录，请先保存或取消后再查找。"),
                               Prompt::Buttons::Ok, Prompt::Icon::Information);
        return -1;
    }
    const QModelIndex current = view_->currentIndex();
    const Result<int> found = search_(q, current.isValid() ? current.row() : -1);
    if (!found) {
        ReportError(QStringLiteral("查找没有完成，请稍后再试。(%1)").arg(found.error()));
        return -1;
    }
    if (found.value() < 0) {
        const QString end = q.down ? QStringLiteral("已查到列表的末尾") : QStringLiteral("已查到列表的开头");
        Prompt::current().show(
            Captions::kNotice,
            QStringLiteral("%1，没有找到“%2”。请换一个查找内容，或改变查找方向后再试。").arg(end, q.text),
            Prompt::Buttons::Ok, Prompt::Icon::Information);
        return -1;
    }
    select(found.value());
    return found.value();
}

void FindDialog::select(int row) {
    QAbstractItemModel* model = view_->model();
    while (model->rowCount() <= row && model->canFetchMore({})) {
        const int before = model->rowCount();
        model->fetchMore({});
        if (model->rowCount() == before)
            break;
    }
    if (row >= model->rowCount())
        return;
    const QModelIndex current = view_->currentIndex();
    const QModelIndex target = model->index(row, current.isValid() ? current.column() : 0);
    view_->setCurrentIndex(target);
    ShowRow(view_, target);
}

void ShowRow(QAbstractItemView* view, const QModelIndex& index) {
    if (!index.isValid())
        return;
    // Rows the model has just taken in reach the scroll bar's range only at the view's next layout:
    // laid out now, a row far down the list is scrolled to instead of the end of the rows known before.
    view->doItemsLayout();
    const QRect cell = view->visualRect(index);
    const QRect shown = view->viewport()->rect();
    if (cell.top() < shown.top() || cell.bottom() > shown.bottom())
        view->scrollTo(index, QAbstractItemView::PositionAtCenter);
}
