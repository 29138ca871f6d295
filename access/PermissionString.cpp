#include "access/PermissionString.h"

QStringList PermissionItems() {
    return {QStringLiteral("备份数据库"), QStringLiteral("恢复数据库"), QStringLiteral("用户权限管理"),
            QStringLiteral("收入管理"),   QStringLiteral("支出管理"),   QStringLiteral("存款"),
            QStringLiteral("取款")};
}

QString BuildPermissionString(const QList<bool>& ticks) {
    QString rights(kPermissionCount, QLatin1Char('0'));
    for (int i = 0; i < kPermissionCount && i < ticks.size(); ++i) {
        if (ticks[i])
            rights[i] = QLatin1Char('1');
    }
    return rights;
}

void ApplyPermissionString(const QString& rights, QList<bool>& ticks) {
    const qsizetype reach = qMin(rights.size(), ticks.size());
    for (qsizetype i = 0; i < reach && i < kPermissionCount; ++i) {
        if (rights[i] == QLatin1Char('1'))
            ticks[i] = true;
        else if (rights[i] == QLatin1Char('0'))
            ticks[i] = false;
    }
}
