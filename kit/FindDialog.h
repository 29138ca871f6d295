#pragma once

#include "kit/GridSearch.h"

#include <QDialog>

#include <functional>

class QAbstractItemView;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;
class QModelIndex;
class QRadioButton;

// Brings a row of a grid into view, in the middle of the rows shown, unless it is wholly in view
// already; also where the model has only just taken it in.
void ShowRow(QAbstractItemView* view, const QModelIndex& index);

// The data grid's find dialog: a text, one column or all of them, match case, up or down. 查找下一个
// selects the next row that shows the text and says so when there is none. It stays open beside the
// grid until it is closed, and asks the grid's own search, so a list read lazily is searched where its
// rows are kept instead of in the grid.
class FindDialog : public QDialog {
    Q_OBJECT
  public:
    // The row of the next match (see FindQuery), -1 for none, or why the search failed.
    using Search = std::function<Result<int>(const FindQuery& query, int from)>;

    // Gives the grid Ctrl+F and the context-menu item "查找..." that open its find dialog. Without a
    // search of its own the grid's model is looked through.
    static void install(QAbstractItemView* view, Search search = {});
    // The grid's find dialog, created and shown on the first call.
    static FindDialog* open(QAbstractItemView* view);

    // 查找下一个. Returns the row selected, or -1.
    int findNext();

  private:
    FindDialog(QAbstractItemView* view, Search search);
    FindQuery query() const;
    void select(int row);
    void refreshColumns();

    QAbstractItemView* view_;
    Search search_;
    QLineEdit* text_;
    QComboBox* column_;
    QCheckBox* matchCase_;
    QRadioButton* up_;
    QRadioButton* down_;
    QPushButton* next_;
};
