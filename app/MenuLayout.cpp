#include "app/MenuLayout.h"
#include "kit/StyleEngine.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>

namespace {

struct Item {
    const char* name;
    const char* caption;  // nullptr: a separator
};

struct Menu {
    const char* name;
    const char* caption;
    QList<Item> items;
};

const char* const kStyleItemNames[] = {"N110", "N210", "N39", "N56", "N57", "N61", "N71", "N81"};
const char* const kStyleCaptions[] = {"样式一", "样式二", "样式三", "样式四",
                                      "样式五", "样式六", "样式七", "样式八"};

const QList<Menu>& menus() {
    static const QList<Menu> kMenus = {
        {"N1",
         "【收支系统】",
         {{"N26", "收入管理"},
          {"N27", nullptr},
          {"N28", "支出管理"},
          {"N29", nullptr},
          {"N30", "帐务信息"},
          {"N44", nullptr},
          {"N45", "导出收支明细…"},
          {"N48", "导入帐单…"},
          {"N49", "导入记录…"},
          {"N50", "明细规则…"},
          {"N58", "预算…"},
          {"N59", "定期收支…"},
          {"N46", "回收站"},
          {"N47", "收支趋势"}}},
        {"N25",
         "【银行帐务】",
         {{"N31", "银行存款"},
          {"N32", nullptr},
          {"N33", "银行支取"},
          {"N36", nullptr},
          {"N37", "存取记录"},
          {"N42", nullptr},
          {"N43", "银行信息"}}},
        {"N2", "【提醒系统】", {{"N38", "提醒事件管理"}, {"N40", nullptr}, {"N41", "刷新提醒事件"}}},
        {"N51",
         "【常用工具】",
         {{"N52", "计算器"}, {"N53", "记事本"}, {"N54", nullptr}, {"N55", "邮政编码"}}},
        {"N3",
         "【系统维护】",
         {{"N16", "备份数据库"},
          {"N17", "恢复数据库"},
          {"N18", nullptr},
          {"N19", "用户权限管理"},
          {"N20", "修改用户密码"},
          {"N34", nullptr},
          {"N35", "窗口样式选择"},
          {"N21", nullptr},
          {"N22", "状态栏"},
          {"N23", "工具栏"}}},
        {"N4",
         "【帮助文档】",
         {{"N10", "帮助文档"},
          {"N11", nullptr},
          {"N12", "技术支持"},
          {"N13", "Quorvane"},
          {"N14", nullptr},
          {"N15", "关于······"}}},
        {"N5", "【退出系统】", {{"N6", "系统挂起"}, {"N7", nullptr}, {"N8", "更换用户"}, {"N9", "退出系统"}}},
    };
    return kMenus;
}

void addStyleSubmenu(QMenu* parent, QAction* item) {
    auto* submenu = new QMenu(parent);
    submenu->setObjectName(QStringLiteral("N35Menu"));
    item->setMenu(submenu);
    // The captions are the numbers; each item names its look when the pointer rests on it.
    submenu->setToolTipsVisible(true);
    for (int i = 0; i < 8; ++i) {
        auto* style = submenu->addAction(QString::fromUtf8(kStyleCaptions[i]));
        style->setToolTip(StyleEngine::styleName(i));
        style->setObjectName(QString::fromLatin1(kStyleItemNames[i]));
        style->setCheckable(true);
        style->setData(i);
    }
}

// Shown checked; choosing them changes nothing.
void makeAlwaysChecked(QAction* item) {
    item->setCheckable(true);
    item->setChecked(true);
    QObject::connect(item, &QAction::toggled, item, [item](bool) { item->setChecked(true); });
}

}  // namespace

void BuildMainMenu(QMenuBar* menuBar) {
    menuBar->setObjectName(QStringLiteral("MainMenu1"));
    for (const Menu& m : menus()) {
        QMenu* menu = menuBar->addMenu(QString::fromUtf8(m.caption));
        menu->setObjectName(QString::fromLatin1(m.name));
        for (const Item& it : m.items) {
            QAction* action =
                it.caption ? menu->addAction(QString::fromUtf8(it.caption)) : menu->addSeparator();
            action->setObjectName(QString::fromLatin1(it.name));
            const QString name = action->objectName();
            if (name == QStringLiteral("N35"))
                addStyleSubmenu(menu, action);
            if (name == QStringLiteral("N22") || name == QStringLiteral("N23"))
                makeAlwaysChecked(action);
        }
    }
}

QList<QAction*> StyleItems(const QWidget* window) {
    QList<QAction*> items;
    for (const char* name : kStyleItemNames)
        items.append(window->findChild<QAction*>(QString::fromLatin1(name)));
    return items;
}
