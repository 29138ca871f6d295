#pragma once

#include "bills/BillReader.h"

#include <QDialog>
#include <QList>

#include <optional>

class Database;
class QComboBox;
class QLineEdit;
class QRadioButton;
class QSpinBox;
class QTableWidget;

// "对应帐单的列": for a CSV of no known layout, the first lines of the file, the line that holds the
// headers and, by header name, the columns of the date, the amount (one signed column, or an income and
// an expense column), the description, the counterparty and the transaction number. A mapping saved
// before can be picked to fill the choices. 保存 stores the mapping under its name (replacing one of the
// same name) and closes with it; a refusal (no name, no date or amount column) is shown and the dialog
// stays open.
class ColumnMappingDialog : public QDialog {
    Q_OBJECT
  public:
    ColumnMappingDialog(Database& database, const CsvSample& sample, QWidget* parent = nullptr);

    // The mapping saved by 保存; empty until then.
    const std::optional<ColumnMapping>& mapping() const { return saved_; }

  private:
    // Fills the column choices with the cells of the chosen header line, keeping what was chosen.
    void fillColumns();
    void pickSaved(int index);
    void showAmountKind();
    ColumnMapping chosen() const;
    void save();

    Database& database_;
    CsvSample sample_;
    QList<ColumnMapping> savedMappings_;
    std::optional<ColumnMapping> saved_;
    QTableWidget* lines_;
    QComboBox* savedChoice_;
    QSpinBox* headerLine_;
    QComboBox* date_;
    QRadioButton* signedAmount_;
    QRadioButton* twoColumns_;
    QComboBox* amount_;
    QComboBox* income_;
    QComboBox* expense_;
    QComboBox* description_;
    QComboBox* counterparty_;
    QComboBox* number_;
    QLineEdit* name_;
};

// Shows the dialog for the sample and gives back the mapping saved, or nothing when it was cancelled.
std::optional<ColumnMapping> AskColumnMapping(QWidget* parent, Database& database, const CsvSample& sample);
