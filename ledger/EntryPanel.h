#pragma once

#include "data/Money.h"
#include "household/FunctionPanel.h"
#include "household/PendingEdit.h"
#include "ledger/EntryBook.h"

#include <QColor>
#include <QList>

#include <optional>

class AmountEdit;
class DataGrid;
class EntryListModel;
class QComboBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class QRadioButton;
class QTextEdit;
class QToolButton;
struct Household;

// What differs between the income panel and the expense panel: names, texts and the entry type.
struct EntryPanelConfig {
    EntryType type;
    const char* panel;
    const char* headingName;
    const char* heading;
    QColor headingColour;
    const char* grid;
    const char* detailLabel;
    const char* detailBox;
    const char* amountLabel;
    const char* amountBox;
    const char* dateBox;
    const char* picker;
    const char* registrarBox;
    const char* remarksBox;
    const char* typeBox;
    const char* addButton;
    const char* editButton;
    const char* saveButton;
    const char* deleteButton;
    const char* cancelButton;
    const char* todayChoice;
    const char* allChoice;
    const char* emptyDetailMessage;
    const char* emptyAmountMessage;

    static const EntryPanelConfig& income();   // Panel3 收入管理
    static const EntryPanelConfig& expense();  // Panel4 支出管理
};

// The income panel and the expense panel: a list of entries of one type (today's or all) beside an entry
// form bound to the list's current row, with 添加 修改 保存 删除 取消. Saving and deleting move the home
// safe. While a row is being added or edited the list, 添加 and 删除 are locked; while browsing the boxes
// are read-only, so that every change goes through the checks of 保存. 添加, 修改 and 删除 ask the
// permission gate for the panel's right each time, as the user may have changed since the panel came up.
class EntryPanel : public FunctionPanel, public PendingEdit {
    Q_OBJECT
  public:
    enum class State { Closed, Browsing, Adding, Editing };

    EntryPanel(Household& household, const EntryPanelConfig& config, QWidget* parent = nullptr);
    ~EntryPanel() override;

    // Bringing the panel up reloads today's entries and forgets the amount before an edit.
    void broughtToFront() override;

    // LoadTodayIncome / LoadTodayExpenses: lists today's entries of the panel's type. The 今天/全部
    // choice stays as it was.
    void LoadToday();
    // LoadDetailChoices: the distinct details recorded for the panel's type become the detail box's
    // choices.
    void LoadDetailChoices();

    State state() const { return state_; }
    // IncomeAmountBeforeEdit / ExpenseAmountBeforeEdit.
    Money amountBeforeEdit() const { return amountBeforeEdit_; }
    const EntryPanelConfig& config() const { return config_; }

    // A row being added or edited; saved through 保存, dropped through 取消.
    bool hasPendingEdit() const override;
    bool savePendingEdit() override;
    void discardPendingEdit() override;

  private:
    void buildForm();
    // Reads the places into the 帐户 choice (closed ones shown, not choosable) and the list's names.
    void loadPlaces();
    // Shows a place in the 帐户 choice; the home safe when it is not there.
    void selectPlace(qint64 id);
    bool placeIsOpen(qint64 id) const;
    void addClick();
    void editClick();
    // True when the row was stored.
    bool saveClick();
    void deleteClick();
    void cancelClick();
    // DataSource1StateChange / DataSource2StateChange: button states and box locks.
    void stateChange();
    // DateTimePicker3Change / DateTimePicker4Change: a day picked, also the one the button holds.
    void pickerChange(const QDate& day);
    void todayClick(bool checked);
    void allClick(bool checked);
    // The list limited to the place chosen under it, or of every place.
    void listPlaceChosen();
    // A column header clicked: the list sorted by that column (日期 newest first, then oldest first;
    // 明细 and 金额 up, then down), shown from its first row.
    void headerClicked(int section);

    // Reloads the list and selects the row with the key `selectId` (at `selectRow` when that is known,
    // else wherever it lands), or the first row.
    bool reload(ListFilter filter, std::optional<qint64> selectId = std::nullopt, int selectRow = -1);
    void showRow(int row);
    // After an edit or deletion refused because the row changed elsewhere: the list is read again and
    // shows the row as it now stands (kept listed even when it no longer matches), nothing pending.
    void showAsItNowStands(qint64 id);
    std::optional<qint64> currentId() const;
    bool hasRows() const;

    Household& household_;
    const EntryPanelConfig& config_;
    EntryBook book_;
    EntryListModel* model_;
    State state_ = State::Closed;
    ListFilter shownFilter_ = ListFilter::Today;
    // Rows saved (or refused as changed elsewhere) since the list was loaded: they stay listed until the
    // next reload.
    QList<qint64> kept_;
    // The column the list is sorted by (empty: the list's own order until a header is clicked).
    QString sortField_;
    bool sortDescending_ = false;
    EntryText shownRow_;  // the row in the boxes as the list read it: what an edit or deletion expects
    std::optional<qint64> editingId_;
    Money amountBeforeEdit_;
    qint64 homeSafeId_ = 0;
    qint64 lastPlace_ = 0;  // where this panel last saved an entry in this run

    DataGrid* grid_ = nullptr;
    QComboBox* detail_ = nullptr;
    QComboBox* place_ = nullptr;  // ComboBoxPlace
    AmountEdit* amount_ = nullptr;
    QLineEdit* date_ = nullptr;
    QDateEdit* picker_ = nullptr;
    QLineEdit* registrar_ = nullptr;
    QTextEdit* remarks_ = nullptr;
    QLineEdit* typeBox_ = nullptr;
    QToolButton* add_ = nullptr;
    QToolButton* edit_ = nullptr;
    QToolButton* save_ = nullptr;
    QToolButton* delete_ = nullptr;
    QToolButton* cancel_ = nullptr;
    QRadioButton* today_ = nullptr;
    QRadioButton* all_ = nullptr;
    QComboBox* listPlace_ = nullptr;  // ComboBoxListPlace: 全部帐户 or one place
    QLabel* listNote_ = nullptr;      // a row listed although it is on another place
};
