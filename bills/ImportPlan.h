#pragma once

#include "bills/Bill.h"
#include "data/Money.h"
#include "data/Result.h"
#include "ledger/EntryBook.h"

#include <QHash>
#include <QList>
#include <QSqlDatabase>
#include <QString>

// What an import will do with each line of a bill, decided against the household before anything is
// written, and shown in the preview (导入预览) for the user to change.

enum class PlanAction {
    Add,              // 新增: an income or expense entry on its place
    AlreadyImported,  // 已导入: its key is stored already, or the same purchase came from another bill
    MaybeDuplicate,   // 可能重复: a typed entry of the same place, direction and amount within 3 days
    Transfer,    // 转帐: money moving between two of the household's places, neither income nor expense
    NotCounted,  // 不计: closed or failed, one of a full refund's pair, 不计收支 without two places
    Unreadable,  // the line could not be read (BillRow::problem); never imported
};

// The action's word in the preview's 处理 column ("新增", "已导入", "可能重复", "转帐", "不计", "无法读取").
QString ActionName(PlanAction action);

struct PlanRow {
    BillRow bill;
    PlanAction action = PlanAction::Add;
    QString reason;  // why, in Chinese: "交易关闭，不计入", "与 2026-12-03 手工记的支出 ￥28.16 可能是同一笔"
    // Whether it is written when the import is committed. Add and Transfer start ticked, MaybeDuplicate
    // unticked; the others cannot be ticked.
    bool ticked = true;
    EntryType type = EntryType::Expense;  // for Add and MaybeDuplicate
    qint64 place = 0;  // the entry's place; a transfer's paying place. 0: not known yet (method unmapped)
    qint64 otherPlace = 0;  // a transfer's receiving place; 0 when not known
    QString detail;  // 明细: from a rule, else 其他支出 / 其他收入; "手续费" for a fee's own entry
    bool detailFromRule = false;
    // The key stored for the line, unique per source and place: the bill's number, or for a line without
    // one a stable key made from its day, amount, description and balance (and its rank among identical
    // lines of the same file, so that two equal coffees on one day stay two).
    QString key;
    qint64 matchedEntry = 0;  // the entry an AlreadyImported (other source) or MaybeDuplicate line matches
};

// A place's figures in the preview: how the ticked lines change it and where it ends.
struct PlaceOutcome {
    qint64 place = 0;
    QString name;
    QString kind;  // Codes::kCash ...
    Money change;
    Money before;
    Money after;
    bool belowZero = false;        // a place other than a credit card that ends below zero: asked first
    bool pastCreditLimit = false;  // a credit card that would owe more than its limit: refused at commit
};

struct ImportPlan {
    Bill bill;
    QList<PlanRow> rows;
    // Payment methods of the bill (BillRow::method, or Bill::account for a statement) that have no place
    // yet: the window asks for each once and stores the choice (SaveMethodPlace), then plans again.
    QStringList unmappedMethods;
};

// Decides every line: reads the stored method→place choices, the rules, the stored keys and the entries
// near the bill's days. Reads only; a read that fails fails the plan.
Result<ImportPlan> PlanImport(QSqlDatabase db, const Bill& bill);

// The figures of every place the ticked lines touch, as they would stand after the import.
Result<QList<PlaceOutcome>> PlaceOutcomes(QSqlDatabase db, const ImportPlan& plan);

// The user's changes in the preview, applied to the plan in memory:
// one line's 明细 or place, or every line of the same counterparty (and direction) at once.
void SetDetail(ImportPlan& plan, int row, const QString& detail, bool sameCounterparty);
void SetPlace(ImportPlan& plan, int row, qint64 place, bool sameCounterparty);
