#include "app/MenuLayout.h"
#include "app/mainForm.h"
#include "household/IniFile.h"
#include "kit/StyleEngine.h"
#include "support/Contrast.h"
#include "support/ScriptedPrompt.h"
#include "support/TempHome.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QFile>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QScrollBar>
#include <QSet>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

QList<int> checkedStyles(const TForm1& form) {
    QList<int> checked;
    const QList<QAction*> items = StyleItems(&form);
    for (int i = 0; i < items.size(); ++i) {
        if (items[i]->isChecked())
            checked.append(i);
    }
    return checked;
}

void choose(TForm1& form, const char* item) {
    form.findChild<QAction*>(QString::fromLatin1(item))->trigger();
}

int storedStyle(const TempHome& home) {
    return IniFile(home.iniPath()).readInteger(QStringLiteral("ysxuanze"), QStringLiteral("yangshi"), -100);
}

TEST(WindowStyles, FirstStartChoiceIsAppliedWrittenMarkedAndRestored) {
    TempHome home;
    ScriptedPrompt prompt;
    {
        TForm1 form(home.path());
        StyleEngine* engine = form.styleEngine();
        // The items keep their numbers as captions and name their looks.
        const QAction* n71 = form.findChild<QAction*>(QStringLiteral("N71"));
        EXPECT_EQ(n71->text(), QStringLiteral("样式七"));
        EXPECT_EQ(n71->toolTip(), QStringLiteral("午夜蓝"));
        ASSERT_NE(engine, nullptr);
        EXPECT_TRUE(engine->isActive());
        EXPECT_EQ(engine->loadedStyle(), 2);
        EXPECT_EQ(checkedStyles(form), QList<int>({2}));
        EXPECT_EQ(qApp->styleSheet(), StyleEngine::sheetFor(2));

        choose(form, "N71");  // 样式七
        EXPECT_EQ(engine->loadedStyle(), 6);
        EXPECT_EQ(qApp->styleSheet(), StyleEngine::sheetFor(6));
        EXPECT_EQ(checkedStyles(form), QList<int>({6}));
        EXPECT_EQ(storedStyle(home), 6);

        // Choosing the style already checked applies and writes it again.
        choose(form, "N71");
        EXPECT_EQ(checkedStyles(form), QList<int>({6}));
        EXPECT_EQ(storedStyle(home), 6);
    }
    EXPECT_TRUE(qApp->styleSheet().isEmpty());  // the style leaves with the main window
    TForm1 again(home.path());
    EXPECT_EQ(again.styleEngine()->loadedStyle(), 6);
    EXPECT_EQ(checkedStyles(again), QList<int>({6}));
    EXPECT_TRUE(prompt.boxes().isEmpty());
}

TEST(WindowStyles, NumbersOutsideTheStoreKeepTheBuiltInStyleAndTextGivesStyleThree) {
    ScriptedPrompt prompt;
    for (const char* value : {"8", "-1", "99999"}) {
        TempHome home;
        home.writeIni(QByteArray("[ysxuanze]\nyangshi=") + value + "\n");
        TForm1 form(home.path());
        EXPECT_EQ(form.styleEngine()->loadedStyle(), StyleEngine::kBuiltInStyle) << value;
        EXPECT_TRUE(form.styleEngine()->isActive());
        EXPECT_TRUE(checkedStyles(form).isEmpty()) << value;
        choose(form, "N110");
        EXPECT_EQ(checkedStyles(form), QList<int>({0}));
        EXPECT_EQ(form.styleEngine()->loadedStyle(), 0);
    }
    TempHome home;
    home.writeIni("[ysxuanze]\nyangshi=abc\n");
    TForm1 form(home.path());
    EXPECT_EQ(form.styleEngine()->loadedStyle(), 2);
    EXPECT_EQ(checkedStyles(form), QList<int>({2}));
}

TEST(WindowStyles, UnwritableSettingsFileIsReportedAndTheStyleStaysInForce) {
    TempHome home;
    home.writeIni("[ysxuanze]\nyangshi=1\n");
    QFile::setPermissions(home.iniPath(), QFileDevice::ReadOwner);
    ScriptedPrompt prompt;
    TForm1 form(home.path());
    choose(form, "N81");  // 样式八
    ASSERT_EQ(prompt.boxes().size(), 1);
    EXPECT_TRUE(prompt.boxes().first().text.contains(home.iniPath()));
    EXPECT_EQ(form.styleEngine()->loadedStyle(), 7);
    EXPECT_EQ(qApp->styleSheet(), StyleEngine::sheetFor(7));
    EXPECT_EQ(checkedStyles(form), QList<int>({7}));
    QFile::setPermissions(home.iniPath(), QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    EXPECT_EQ(storedStyle(home), 1);  // not remembered
}

TEST(WindowStyles, TaggedPanelsAndGridsKeepTheirLookButTheControlsOnThemFollowTheStyle) {
    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    auto* panel = new QWidget(&window);  // a function panel
    panel->setProperty("tag", 99);
    auto* panelLayout = new QVBoxLayout(panel);
    auto* button = new QPushButton(QStringLiteral("保存"), panel);
    auto* edit = new QLineEdit(QStringLiteral("123.50"), panel);
    auto* group = new QGroupBox(QStringLiteral("查看"), panel);
    auto* choice = new QRadioButton(QStringLiteral("本月"), group);
    (new QVBoxLayout(group))->addWidget(choice);
    auto* label = new QLabel(QStringLiteral("收入金额："), panel);
    auto* grid = new QTableWidget(30, 2, panel);  // a data grid on the panel
    grid->setProperty("tag", 99);
    for (QWidget* w : std::initializer_list<QWidget*>{button, edit, group, label, grid})
        panelLayout->addWidget(w);
    auto* outer = new QPushButton(QStringLiteral("保存"), &window);
    layout->addWidget(panel);
    layout->addWidget(outer);
    window.resize(400, 600);
    window.show();
    const auto look = [](QWidget* w) { return w->grab().toImage(); };
    const QImage buttonBefore = look(button), editBefore = look(edit), groupBefore = look(group);
    const QImage choiceBefore = look(choice), labelBefore = look(label), gridBefore = look(grid);
    const QImage outerBefore = look(outer);

    StyleEngine engine;
    engine.loadStyle(6);
    engine.activate();
    EXPECT_TRUE(StyleEngine::isSpared(panel));
    EXPECT_TRUE(StyleEngine::isSpared(grid));
    EXPECT_TRUE(StyleEngine::isSpared(grid->verticalScrollBar()));
    EXPECT_TRUE(StyleEngine::isSpared(label));
    EXPECT_FALSE(StyleEngine::isSpared(button));
    EXPECT_NE(look(outer), outerBefore);
    EXPECT_NE(look(button), buttonBefore);
    EXPECT_NE(look(edit), editBefore);
    EXPECT_NE(look(group), groupBefore);
    EXPECT_NE(look(choice), choiceBefore);
    EXPECT_EQ(look(label), labelBefore);
    EXPECT_EQ(look(grid), gridBefore);
    // In a dark style the texts on the light panel stay dark enough to read.
    engine.loadStyle(6);
    EXPECT_LT(choice->palette().color(QPalette::WindowText).lightness(), 100);

    // A control created later, or moved onto a tagged panel, follows the same rule; a window opened
    // from a tagged control is styled as a window of its own.
    auto* late = new QPushButton(QStringLiteral("保存"), panel);
    late->resize(button->size());
    late->show();
    EXPECT_FALSE(StyleEngine::isSpared(late));
    auto* lateLabel = new QLabel(QStringLiteral("元"), &window);
    EXPECT_FALSE(StyleEngine::isSpared(lateLabel));
    lateLabel->setParent(panel);
    EXPECT_TRUE(StyleEngine::isSpared(lateLabel));
    QDialog dialog(grid);
    auto* inDialog = new QLabel(QStringLiteral("查找内容："), &dialog);
    EXPECT_FALSE(StyleEngine::isSpared(inDialog));
    engine.deactivate();
    EXPECT_TRUE(qApp->styleSheet().isEmpty());
}

TEST(WindowStyles, EightDistinctSheetsScopedAwayFromTaggedControls) {
    QSet<QString> sheets;
    for (int n = 0; n < StyleEngine::kStyleCount; ++n) {
        const QString sheet = StyleEngine::storedSheet(n);
        EXPECT_GT(sheet.size(), 1000) << n;
        sheets.insert(sheet);
    }
    EXPECT_EQ(sheets.size(), 8);
    EXPECT_EQ(StyleEngine::styleName(1), QStringLiteral("石墨灰"));
    EXPECT_EQ(StyleEngine::styleName(4), QStringLiteral("经典银"));
    EXPECT_EQ(StyleEngine::styleName(6), QStringLiteral("午夜蓝"));
    EXPECT_TRUE(StyleEngine::storedSheet(8).isEmpty());
    StyleEngine engine;
    EXPECT_EQ(engine.loadedStyle(), StyleEngine::kBuiltInStyle);
    EXPECT_FALSE(engine.isActive());
    EXPECT_FALSE(engine.loadStyle(8));
    EXPECT_FALSE(engine.loadStyle(-1));
    EXPECT_EQ(engine.loadedStyle(), StyleEngine::kBuiltInStyle);

    EXPECT_EQ(
        StyleEngine::scopedSheet(
            QStringLiteral("/* x */ QMenuBar::item:selected, QToolBar QToolButton { color: red; }")),
        QStringLiteral(
            "QMenuBar[skinned=\"1\"]::item:selected, QToolBar QToolButton[skinned=\"1\"] { color: red; }\n"));
}

// Every text colour a style sets, and every tone the windows take from the engine, reads on what it
// stands on: 4.5:1 at least. A rule's text stands on the rule's own background (each stop of a gradient)
// or, where the rule gives none, on the window's background; selected text on the selection colour.
// Disabled texts are not held to it.
TEST(WindowStyles, EveryTextReadsOnItsBackgroundInEveryStyle) {
    static const QRegularExpression rule(QStringLiteral("([^{}]+)\\{([^}]*)\\}"));
    static const QRegularExpression hex(QStringLiteral("#[0-9a-fA-F]{6}"));
    const auto value = [](const QString& declarations, const QString& property) {
        const QRegularExpression re(QStringLiteral("(?:^|;)\\s*") + property +
                                    QStringLiteral("\\s*:\\s*([^;]+)"));
        return re.match(declarations).captured(1).trimmed();
    };
    const auto colours = [](const QString& text) {
        QList<QColor> found;
        for (auto it = hex.globalMatch(text); it.hasNext();)
            found.append(QColor(it.next().captured(0)));
        return found;
    };
    const auto expectReadable = [](const QColor& text, const QColor& background, const QString& what) {
        EXPECT_GE(ContrastRatio(text, background), kReadableContrast)
            << what.toStdString() << ": " << text.name().toStdString() << " on "
            << background.name().toStdString() << " is " << ContrastRatio(text, background) << ":1";
    };
    using Tone = StyleEngine::Tone;
    const QList<QPair<Tone, const char*>> tones = {{Tone::Heading, "heading"},
                                                   {Tone::Income, "income"},
                                                   {Tone::Expense, "expense"},
                                                   {Tone::Muted, "muted"}};

    for (int n = 0; n < StyleEngine::kStyleCount; ++n) {
        const QColor window = StyleEngine::windowBackground(n);
        ASSERT_TRUE(window.isValid()) << n;
        const QString sheet = StyleEngine::storedSheet(n).remove(QRegularExpression(
            QStringLiteral("/\\*.*?\\*/"), QRegularExpression::DotMatchesEverythingOption));
        int pairs = 0;
        for (auto it = rule.globalMatch(sheet); it.hasNext();) {
            const QRegularExpressionMatch m = it.next();
            const QString selector = m.captured(1).simplified();
            const QString declarations = m.captured(2);
            const QString where = QStringLiteral("style %1, %2").arg(n + 1).arg(selector);
            if (selector.contains(QStringLiteral(":disabled")))
                continue;
            const QList<QColor> text = colours(value(declarations, QStringLiteral("color")));
            if (!text.isEmpty()) {
                QList<QColor> under = colours(value(declarations, QStringLiteral("background")));
                if (under.isEmpty())
                    under = {window};
                for (const QColor& b : under)
                    expectReadable(text.first(), b, where);
                ++pairs;
            }
            const QList<QColor> selected = colours(value(declarations, QStringLiteral("selection-color")));
            const QList<QColor> selection =
                colours(value(declarations, QStringLiteral("selection-background-color")));
            if (!selected.isEmpty() && !selection.isEmpty()) {
                expectReadable(selected.first(), selection.first(), where + QStringLiteral(" (selected)"));
                ++pairs;
            }
        }
        EXPECT_GT(pairs, 20) << n;
        for (const auto& [tone, name] : tones) {
            expectReadable(StyleEngine::toneOf(tone, n), window,
                           QStringLiteral("style %1, %2 tone").arg(n + 1).arg(QLatin1String(name)));
        }
    }
    for (const auto& [tone, name] : tones) {
        expectReadable(StyleEngine::toneOf(tone, StyleEngine::kOwnBackground), Qt::white,
                       QStringLiteral("%1 tone on a panel").arg(QLatin1String(name)));
    }
}

}  // namespace
