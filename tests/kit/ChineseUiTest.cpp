// Run by ctest with LANG=C and LC_ALL=C: the program's widgets speak Chinese on a system that does not.
#include "kit/ChineseUi.h"

#include <gtest/gtest.h>

#include <QAbstractItemModel>
#include <QApplication>
#include <QCalendarWidget>
#include <QDateEdit>
#include <QFont>
#include <QMessageBox>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <QToolButton>

namespace {

class ChineseUi : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        // Only meaningful on a system that is not Chinese itself.
        ASSERT_NE(QLocale::system().language(), QLocale::Chinese) << QLocale::system().name().toStdString();
        InstallChineseQtTranslations(*qobject_cast<QApplication*>(QCoreApplication::instance()));
    }
};

TEST_F(ChineseUi, CalendarNamesMonthsAndWeekdaysInChineseAndStartsOnMonday) {
    // A date field's pop-up, opened the way a user opens it.
    QDateEdit edit(QDate(2026, 12, 9));
    edit.setCalendarPopup(true);
    edit.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&edit));
    QTest::mouseClick(&edit, Qt::LeftButton, {}, QPoint(edit.width() - 6, edit.height() / 2));
    QCalendarWidget* calendar = edit.calendarWidget();
    ASSERT_NE(calendar, nullptr);
    ASSERT_TRUE(QTest::qWaitFor([&] { return calendar->isVisible(); }));
    EXPECT_EQ(calendar->locale().name(), QStringLiteral("zh_CN"));
    EXPECT_EQ(calendar->firstDayOfWeek(), Qt::Monday);

    auto* month = calendar->findChild<QToolButton*>(QStringLiteral("qt_calendar_monthbutton"));
    ASSERT_NE(month, nullptr);
    EXPECT_EQ(month->text(), QStringLiteral("十二月"));
    calendar->setCurrentPage(2027, 1);
    EXPECT_EQ(month->text(), QStringLiteral("一月"));

    // The first row holds the day names (the column left of them the week numbers): Monday first,
    // Sunday last, named in Chinese.
    auto* view = calendar->findChild<QTableView*>(QStringLiteral("qt_calendar_calendarview"));
    ASSERT_NE(view, nullptr);
    QAbstractItemModel* model = view->model();
    QStringList header;
    for (int column = 0; column < model->columnCount(); ++column) {
        const QString name = model->data(model->index(0, column)).toString();
        if (!name.isEmpty())
            header << name;
    }
    ASSERT_EQ(header.size(), 7);
    EXPECT_EQ(header.first(), QStringLiteral("周一"));
    EXPECT_EQ(header.last(), QStringLiteral("周日"));

    // A calendar on its own, outside any date field, as well.
    QCalendarWidget plain;
    plain.show();
    EXPECT_EQ(plain.firstDayOfWeek(), Qt::Monday);
    EXPECT_EQ(plain.locale().standaloneMonthName(3), QStringLiteral("三月"));
}

TEST_F(ChineseUi, StandardButtonsAndDatesReadInChinese) {
    QMessageBox box;
    box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel | QMessageBox::Yes | QMessageBox::No);
    EXPECT_EQ(box.button(QMessageBox::Ok)->text().remove(QLatin1Char('&')), QStringLiteral("确定"));
    EXPECT_EQ(box.button(QMessageBox::Cancel)->text().remove(QLatin1Char('&')), QStringLiteral("取消"));
    EXPECT_TRUE(box.button(QMessageBox::Yes)->text().startsWith(QStringLiteral("是")));
    EXPECT_TRUE(box.button(QMessageBox::No)->text().startsWith(QStringLiteral("否")));
    EXPECT_EQ(QLocale().toString(QDate(2026, 12, 9), QStringLiteral("MMMM dddd")),
              QStringLiteral("十二月 星期三"));
}

TEST_F(ChineseUi, FontsFallBackToFacesForEmojiAndRareCharacters) {
    const QStringList families = QApplication::font().families();
    for (const char* face : {"WenQuanYi Micro Hei", "Noto Color Emoji", "HanaMinB"})
        EXPECT_TRUE(families.contains(QString::fromLatin1(face))) << face;
    // A style that names the Chinese font alone still reaches the emoji and Extension B faces.
    const QStringList behind = QFont::substitutes(QStringLiteral("WenQuanYi Micro Hei"));
    EXPECT_TRUE(behind.contains(QStringLiteral("Noto Color Emoji"), Qt::CaseInsensitive));
    EXPECT_TRUE(behind.contains(QStringLiteral("HanaMinB"), Qt::CaseInsensitive));
    EXPECT_FALSE(behind.contains(QStringLiteral("WenQuanYi Micro Hei"), Qt::CaseInsensitive));
}

}  // namespace
