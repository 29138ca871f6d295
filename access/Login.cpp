#include "access/Login.h"

#include "data/DatabaseErrors.h"
#include "data/EngineVariants.h"
#include "data/Schema.h"
#include "data/Statements.h"

#include <QSqlError>
#include <QSqlQuery>

Result<std::optional<LoginMatch>> LookUpLogin(QSqlDatabase db, const QString& id, const QString& password) {
    using Found = std::optional<LoginMatch>;
    QSqlQuery query(db);
    query.setForwardOnly(true);
    if (!query.prepare(Sql::For(db, Sql::kLogin)))
        return Result<Found>::failure(DatabaseErrors::Describe(query.lastError()));
    // An empty box is empty text, never NULL (which would match nothing).
    const auto text = [](const QString& typed) { return typed.isNull() ? QStringLiteral("") : typed; };
    query.bindValue(QStringLiteral(":yonghumingID"), text(id));
    query.bindValue(QStringLiteral(":mima"), text(password));
    if (!query.exec())
        return Result<Found>::failure(DatabaseErrors::Describe(query.lastError()));
    if (!query.next())
        return Found();
    // A null column gives empty text.
    const auto field = [&query](const char* name) {
        return query.value(QString::fromLatin1(name)).toString();
    };
    return Found(LoginMatch{field("xingming"), field("mima"), field("quangxian")});
}

QString FirstStartHint() {
    return QStringLiteral("初始用户ID：%1    密码：%2 ")
        .arg(QString::fromUtf8(InitialUser::kId), QString::fromUtf8(InitialUser::kPassword));
}
