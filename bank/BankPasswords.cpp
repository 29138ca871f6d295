#include "bank/BankPasswords.h"

#include "data/DatabaseErrors.h"
#include "data/Statements.h"

#include <QSqlError>
#include <QSqlQuery>

namespace {

Status fail(const QSqlQuery& query) {
    return Status::failure(DatabaseErrors::Describe(query.lastError()));
}

}  // namespace

QString BankPasswordLossNote() {
    return QStringLiteral(
        "银行密码经过加密保存，只有有存款或取款权限的用户能看到。如果所有有这些权限的用户都忘了自己的登录密码"
        "，"
        "银行密码就无法找回（其它数据不受影响）。");
}

QString NoHouseholdKeyNote() {
    return QStringLiteral(
        "您的登录还没有银行密码的钥匙：请让一位有存款或取款权限的用户管理者在“用户权限管理”里再保存一次您的资"
        "料。");
}

QString NoKeyHeldNote() {
    return QStringLiteral(
        "家里已经没有用户持有银行密码的钥匙（持有它的用户都已删除或失去了钥匙），以前保存的银行密码无法再读出"
        "。"
        "可以按“新建钥匙”为您新建一把，再重新输入各帐户的银行密码。");
}

QString StartHouseholdKeyQuestion() {
    return QStringLiteral(
        "要新建一把银行密码的钥匙吗？新建后以前保存的银行密码将永远无法读出，需要重新输入；"
        "新钥匙先只交给您，用户管理者再保存其他有存款或取款权限的用户时会交给他们。");
}

Result<QString> ReadBankPassword(QSqlDatabase db, qint64 id, const SecretKey& householdKey) {
    if (householdKey.isEmpty())
        return Result<QString>::failure(NoHouseholdKeyNote());
    QSqlQuery query(db);
    if (!query.prepare(QString::fromUtf8(Sql::kPlacePassword)))
        return fail(query);
    query.bindValue(QStringLiteral(":id"), id);
    if (!query.exec())
        return fail(query);
    if (!query.next())
        return Result<QString>::failure(
            QStringLiteral("这个帐户已不存在，可能已在另一台电脑上被删除。请关闭窗口后重新打开。"));
    const QByteArray sealed = query.value(0).toString().toLatin1();
    query.finish();
    if (sealed.isEmpty())
        return QString();
    Result<QString> opened = OpenBankPassword(householdKey, sealed);
    if (!opened)
        return Result<QString>::failure(QStringLiteral(
            "这个帐户的银行密码是用以前的钥匙加密的，或者被改动过，已无法读出。请按“修改”重新输入。"));
    return opened;
}

Status CheckPasswordSealable(const std::optional<QString>& password, const SecretKey& householdKey) {
    if (householdKey.isEmpty() && password && !password->isEmpty())
        return Status::failure(NoHouseholdKeyNote() +
                               QStringLiteral("这次改动没有保存，原来的银行密码保持不变。"));
    return Status::ok();
}

Status WriteBankPassword(QSqlDatabase db, qint64 id, const std::optional<QString>& password,
                         const SecretKey& householdKey) {
    if (Status sealable = CheckPasswordSealable(password, householdKey); !sealable || !password)
        return sealable;
    QSqlQuery query(db);
    if (!query.prepare(QString::fromUtf8(Sql::kWritePlacePassword)))
        return fail(query);
    query.bindValue(QStringLiteral(":mimami"),
                    QString::fromLatin1(SealBankPassword(householdKey, *password)));
    query.bindValue(QStringLiteral(":id"), id);
    if (!query.exec())
        return fail(query);
    return Status::ok();
}

Result<bool> HouseholdKeyHeld(QSqlDatabase db) {
    QSqlQuery query(db);
    if (!query.exec(QString::fromUtf8(Sql::kHouseholdKeyHolders)) || !query.next())
        return fail(query);
    return query.value(0).toLongLong() > 0;
}

Result<SecretKey> StartHouseholdKey(QSqlDatabase db, const UserKeyPair& keys) {
    const Result<bool> held = HouseholdKeyHeld(db);
    if (!held)
        return held.status();
    if (held.value())
        return Result<SecretKey>::failure(QStringLiteral(
            "家里还有用户持有银行密码的钥匙，不能新建。请让一位持有钥匙的用户管理者把它交给您。"));
    if (keys.publicKey.isEmpty())
        return Result<SecretKey>::failure(
            QStringLiteral("您的登录没有打开自己的钥匙，无法新建银行密码的钥匙。请退出后重新登录再试。"));
    const SecretKey key = SecretKey::random();
    if (key.isEmpty())
        return Result<SecretKey>::failure(
            QStringLiteral("无法启用加密库 libsodium，银行密码的钥匙没有新建。"));
    const QByteArray publicKey = StoredPublicKey(keys.publicKey);
    const Result<QByteArray> sealed = SealHouseholdKey(key, publicKey);
    if (!sealed)
        return sealed.status();
    QSqlQuery query(db);
    if (!query.prepare(QString::fromUtf8(Sql::kGiveOwnHouseholdKey)))
        return fail(query);
    query.bindValue(QStringLiteral(":hk"), QString::fromLatin1(sealed.value()));
    query.bindValue(QStringLiteral(":pk"), QString::fromLatin1(publicKey));
    if (!query.exec())
        return fail(query);
    if (query.numRowsAffected() != 1)
        return Result<SecretKey>::failure(QStringLiteral(
            "找不到您的用户资料（可能已在另一台电脑上被改动），银行密码的钥匙没有新建。请重新登录再试。"));
    return key;
}
