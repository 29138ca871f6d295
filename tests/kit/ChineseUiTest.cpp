// Run by ctest with LANG=C and LC_ALL=C: the program's widgets speak Chinese on a system that does not.
#include "kit/ChineseUi.h"
#include "kit/MessageBoxPrompt.h"
#include "kit/StyleEngine.h"
#include "reminders/Reminders.h"
#include "support/ModalDriver.h"

#include <gtest/gtest.h>

#include <QAbstractItemModel>
#include <QApplication>
#include <QCalendarWidget>
#include <QDateEdit>
#include <QFont>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QScopeGuard>
#include <QScreen>
#include <QStyle>
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

// A notice of 370 reminders due at once stays on the screen with its 确定 in reach, the whole text
// scrolling inside it; a box with the engine's lines keeps them behind its 详细信息 button.
TEST_F(ChineseUi, ALongNoticeStaysOnTheScreenAndTheEngineLinesWaitBehindDetails) {
    MessageBoxPrompt prompt;
    QStringList due;
    for (int i = 1; i <= 370; ++i)
        due << QStringLiteral("第 %1 件要办的事").arg(i);
    const QString notice = NoticeText(due);
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    bool seen = false;
    WhenModal([&](QWidget* window) {
        seen = true;
        auto* box = qobject_cast<QMessageBox*>(window);
        ASSERT_NE(box, nullptr);
        EXPECT_LE(box->frameGeometry().height(), screen.height());
        QAbstractButton* ok = box->buttons().value(0);
        ASSERT_NE(ok, nullptr);
        EXPECT_EQ(ok->text(), QStringLiteral("确定"));
        EXPECT_TRUE(screen.contains(QRect(ok->mapToGlobal(QPoint(0, 0)), ok->size())));
        EXPECT_EQ(box->findChild<QLabel*>(QStringLiteral("qt_msgbox_label"))->text(), notice);
        ok->click();
    });
    prompt.show(QStringLiteral("Quorvane提示"), notice, Prompt::Buttons::Ok, Prompt::Icon::Warning);
    EXPECT_TRUE(seen);

    const QString lines =
        QStringLiteral("*** in database main ***\nPage 13: btreeInitPage() returns error code 11");
    seen = false;
    WhenModal([&](QWidget* window) {
        seen = true;
        auto* box = qobject_cast<QMessageBox*>(window);
        ASSERT_NE(box, nullptr);
        QAbstractButton* details = nullptr;
        for (QAbstractButton* button : box->buttons()) {
            if (box->buttonRole(button) == QMessageBox::ActionRole)
                details = button;
        }
        ASSERT_NE(details, nullptr);
        EXPECT_EQ(details->text(), QStringLiteral("详细信息…"));
        EXPECT_EQ(box->text(), QStringLiteral("文件已损坏。"));
        EXPECT_EQ(box->detailedText(), lines);
        details->click();
        QCoreApplication::processEvents();
        EXPECT_EQ(details->text(), QStringLiteral("收起详细信息"));
        box->button(QMessageBox::No)->click();
    });
    EXPECT_EQ(prompt.showWithDetails(QStringLiteral("Tamberlo"), QStringLiteral("文件已损坏。"), lines,
                                     Prompt::Buttons::YesNo, Prompt::Icon::Critical),
              Prompt::Answer::No);
    EXPECT_TRUE(seen);
}

// The pop-up of a date box shows November 2026 whole: its sixth week (30 November) inside the view, the
// month's name clear of the drop-down arrow beside it.
TEST_F(ChineseUi, TheCalendarPopUpShowsSixWholeWeeksAndItsMonthName) {
    // Drawn in the program's first window style, as the user sees it.
    const QString sheet = StyleEngine::sheetFor(0);
    ASSERT_FALSE(sheet.isEmpty());
    qApp->setStyleSheet(sheet);
    const auto plain = qScopeGuard([] { qApp->setStyleSheet(QString()); });
    QDateEdit edit(QDate(2026, 11, 15));
    edit.setCalendarPopup(true);
    edit.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&edit));
    QTest::mouseClick(&edit, Qt::LeftButton, {}, QPoint(edit.width() - 6, edit.height() / 2));
    QCalendarWidget* calendar = edit.calendarWidget();
    ASSERT_TRUE(QTest::qWaitFor([&] { return calendar->isVisible(); }));
    auto* view = calendar->findChild<QTableView*>(QStringLiteral("qt_calendar_calendarview"));
    ASSERT_NE(view, nullptr);
    QAbstractItemModel* model = view->model();
    const int lastWeek = model->rowCount() - 1;
    QModelIndex thirtieth;
    for (int column = 0; column < model->columnCount(); ++column) {
        if (model->data(model->index(lastWeek, column)).toString() == QStringLiteral("30"))
            thirtieth = model->index(lastWeek, column);
    }
    ASSERT_TRUE(thirtieth.isValid());
    EXPECT_TRUE(view->viewport()->rect().contains(view->visualRect(thirtieth)))
        << view->visualRect(thirtieth).bottom() << " > " << view->viewport()->rect().bottom();

    auto* month = calendar->findChild<QToolButton*>(QStringLiteral("qt_calendar_monthbutton"));
    ASSERT_NE(month, nullptr);
    EXPECT_EQ(month->text(), QStringLiteral("十一月"));
    const int arrow = month->style()->pixelMetric(QStyle::PM_MenuButtonIndicator, nullptr, month);
    EXPECT_GE(month->width() - month->fontMetrics().horizontalAdvance(QStringLiteral("十二月")), 2 * arrow);
}
}  // namespace
