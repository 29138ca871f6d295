#pragma once

#include <QDialog>

// The about box: the product's name, version and maker, and a link to the maker's download page.
class TAboutBox : public QDialog {
    Q_OBJECT
  public:
    explicit TAboutBox(QWidget* parent = nullptr);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void OKButtonClick();
    void Label4Click();
};
