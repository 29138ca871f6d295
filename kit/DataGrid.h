#pragma once

#include "kit/GridSearch.h"

#include <QColor>
#include <QIdentityProxyModel>
#include <QList>
#include <QTableView>

class QLabel;
class QSqlQueryModel;

// A read-only data grid over the rows of a query: titled columns bound to fields by name, display
// formats ("￥0.00" for money held as ten-thousandths, plain text otherwise), whole-row selection and an
// optional footer row with a static text and the sum of one money column. A money column is never
// narrower than the widest amount it may have to show. Rows are fetched lazily as
// the grid scrolls, so a list of a million entries opens as fast as one of ten.
class DataGrid : public QTableView {
    Q_OBJECT
  public:
    enum class Format { Text, Money };
    struct Column {
        QString title;
        QString field;
        Format format = Format::Text;
        Qt::Alignment alignment = Qt::AlignLeft;
        int width = 100;
        QColor color = {};  // the text's colour, invalid for the grid's own
        bool bold = false;
    };

    // The widest amount a money column shows whole: the largest one amount may be, negative.
    static const QString kWidestMoneyText;

    explicit DataGrid(QWidget* parent = nullptr);

    void setColumns(const QList<Column>& columns);
    const QList<Column>& columns() const { return columns_; }
    // The rows to show; the grid does not own the model. Columns are found by field name.
    void setSourceModel(QSqlQueryModel* model);
    QSqlQueryModel* sourceModel() const { return source_; }

    // The row of the source model that is current, or -1. A row made current is brought into view.
    int currentRow() const;
    void setCurrentRow(int row);
    // The value of a field in a row of the source model.
    QVariant value(int row, const QString& field) const;
    // The text a cell shows ("￥12.50" for a money column).
    QString cellText(int row, int column) const;

    // The next row that shows a text (the grid's find dialog, Ctrl+F). A list that reads its rows a page
    // at a time searches them itself; another list still being read is searched through its own
    // statement in the database, not by reading its rows into the grid.
    Result<int> find(const FindQuery& query, int from);

    // The footer row under the grid: a static text under one column and the sum of a money column
    // under another. Switched on and off as a whole.
    void setFooter(int textColumn, const QString& text, int sumColumn);
    void setFooterVisible(bool visible);
    bool isFooterVisible() const;
    QString footerText() const;
    QString footerSum() const;
    // Computes the footer's sum again from every row of the source model.
    void refreshFooter();

  Q_SIGNALS:
    void currentRowChanged(int row);

  protected:
    void changeEvent(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void updateGeometries() override;

  private:
    class ColumnModel;
    void layoutFooter();
    void applyColumnWidths();

    QList<Column> columns_;
    QSqlQueryModel* source_ = nullptr;
    ColumnModel* view_;
    QWidget* footer_;
    QLabel* footerTextLabel_;
    QLabel* footerSumLabel_;
    int footerTextColumn_ = -1;
    int footerSumColumn_ = -1;
    bool footerOn_ = false;
};
