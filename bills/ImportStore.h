#pragma once

#include "bills/BillReader.h"
#include "bills/ImportPlan.h"
#include "data/Result.h"
#include "ledger/EntryBook.h"

#include <QList>
#include <QSqlDatabase>
#include <QString>

class Database;
class HomeSafe;

// What the household keeps of its imports, in five tables:
//   daorujilu   one row per import: when (shijian), the file (wenjian), source (laiyuan), lines added
//               (hangshu), who (caozuoren), undone (chexiao 0/1)
//   zhangdanhao the key of every line imported (laiyuan, zhanghu, jiaoyihao, unique together), the entry
//               (shouzhi) or record (yinghan) it made or was matched to, whether it made it (chuangjian),
//               the import (daoru)
//   mingxiguize the rules: a keyword (guanjianci) of counterparty or description gives a 明细 (mingxi) to
//               lines of a direction (leixing "shouru"/"zhichu")
//   zhifufangshi a bill's payment method (fangshi) of a source (laiyuan) and the place (zhanghu) it is
//   lieyingshe  the column mappings of CSVs of no known layout, by name (mingcheng, peizhi)

// Commits the ticked lines in one transaction: the entries through the places' stored balances as a save
// moves them, the transfers as records with both places, a fee as an expense of 明细 手续费 on the paying
// place, every line's key, and the import's row. A key stored meanwhile (the same bill imported at the
// same time on another computer) skips its line instead of adding it twice. Refused, with nothing
// written, when a credit card would pass its limit or a place has been closed or removed meanwhile.
// `belowZeroAgreed` says that the user agreed to the places ending below zero that PlaceOutcomes named.
struct ImportOutcome {
    qint64 importId = 0;
    int added = 0;    // entries and transfers written
    int skipped = 0;  // lines whose key another import stored meanwhile
};
Result<ImportOutcome> CommitImport(Database& database, HomeSafe& homeSafe, const ImportPlan& plan,
                                   const QString& operatorName, bool belowZeroAgreed);

// The rules, the method places and the column mappings are kept by bills/BillRules.h.

// The list of imports and their undoing are kept by bills/ImportHistory.h.
