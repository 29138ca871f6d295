#pragma once

// The fixed statements of the program, one named constant each. Parameters are bound by name; no
// statement is ever built by joining user text.
namespace Sql {

// Distinct details recorded for an entry type (:mxlx): the rows of "select DISTINCT mingxi from
// shouzhibiao WHERE leixing=:mxlx", in the same order (a missing detail first, then ascending), found by
// one step through the index (leixing, mingxi) per detail instead of a walk over every entry of the type.
inline constexpr char kDistinctDetails[] =
    "WITH RECURSIVE d(mingxi) AS (SELECT (SELECT min(mingxi) FROM shouzhibiao WHERE leixing=:mxlx) "
    "UNION ALL SELECT (SELECT min(mingxi) FROM shouzhibiao WHERE leixing=:mxlx AND mingxi>d.mingxi) FROM d "
    "WHERE d.mingxi IS NOT NULL) "
    "SELECT NULL AS mingxi WHERE EXISTS (SELECT 1 FROM shouzhibiao WHERE leixing=:mxlx AND mingxi IS NULL) "
    "UNION ALL SELECT mingxi FROM d WHERE mingxi IS NOT NULL";
// Today's income entries (:mxlx "shouru", :srriqi today's date as text).
inline constexpr char kTodayIncome[] =
    "SELECT * from shouzhibiao WHERE (leixing=:mxlx) and (shururiqi=:srriqi)";
// Today's expense entries (:mxlx "zhichu", :zcriqi today's date as text).
inline constexpr char kTodayExpenses[] =
    "SELECT * from shouzhibiao WHERE (leixing=:mxlx) and (shururiqi=:zcriqi)";
// Every entry of a type (:mxlx).
inline constexpr char kAllOfType[] = "SELECT * from shouzhibiao WHERE leixing=:mxlx";
// The same lists, also keeping the rows saved since the list was loaded (:kept, a JSON array of ids),
// listed after the others even when they no longer match.
inline constexpr char kTodayIncomeKeeping[] =
    "SELECT * from shouzhibiao WHERE (leixing=:mxlx) and (shururiqi=:srriqi) UNION ALL SELECT * from "
    "shouzhibiao WHERE id IN (SELECT value FROM json_each(:kept)) and not ((leixing=:mxlx) and "
    "(shururiqi=:srriqi))";
inline constexpr char kTodayExpensesKeeping[] =
    "SELECT * from shouzhibiao WHERE (leixing=:mxlx) and (shururiqi=:zcriqi) UNION ALL SELECT * from "
    "shouzhibiao WHERE id IN (SELECT value FROM json_each(:kept)) and not ((leixing=:mxlx) and "
    "(shururiqi=:zcriqi))";
inline constexpr char kAllOfTypeKeeping[] =
    "SELECT * from shouzhibiao WHERE leixing=:mxlx UNION ALL SELECT * from shouzhibiao WHERE id IN "
    "(SELECT value FROM json_each(:kept)) and not (leixing=:mxlx)";
// An entry added, changed or deleted by its hidden key.
inline constexpr char kInsertEntry[] =
    "INSERT INTO shouzhibiao (leixing,mingxi,feiyong,shururiqi,dengjiren,beizhu,zhanghu) VALUES "
    "(:leixing,:mingxi,:feiyong,:shururiqi,:dengjiren,:beizhu,:zhanghu)";
inline constexpr char kUpdateEntry[] =
    "UPDATE shouzhibiao SET leixing=:leixing,mingxi=:mingxi,feiyong=:feiyong,shururiqi=:shururiqi,"
    "dengjiren=:dengjiren,beizhu=:beizhu,zhanghu=:zhanghu WHERE id=:id";
inline constexpr char kDeleteEntry[] = "DELETE FROM shouzhibiao WHERE id=:id";
// An entry as stored, every field the lists show, by its hidden key.
inline constexpr char kStoredEntry[] =
    "SELECT leixing,mingxi,feiyong,shururiqi,dengjiren,beizhu,zhanghu FROM shouzhibiao WHERE id=:id";
// Income and expense totals over a period, both ends included (:qishi, :jishu). Each sum comes in two
// halves, the upper and the lower 32 bits of the amounts, so that the engine's sum never overflows
// however large the stored amounts; the program adds the halves exactly.
inline constexpr char kPeriodTotals[] =
    "SELECT leixing,SUM(feiyong>>32) AS zonge,SUM(feiyong&4294967295) AS zonge_low from shouzhibiao WHERE "
    "shururiqi BETWEEN :qishi AND :jishu GROUP BY leixing";
// The same totals where the entries hold no type but the two: naming the types lets the engine read each
// type's days in order from the index (leixing, shururiqi, ...), already grouped, instead of sorting
// every entry of the period by type.
inline constexpr char kPeriodTotalsOfTwoTypes[] =
    "SELECT leixing,SUM(feiyong>>32) AS zonge,SUM(feiyong&4294967295) AS zonge_low from shouzhibiao WHERE "
    "leixing IN ('shouru','zhichu') AND shururiqi BETWEEN :qishi AND :jishu GROUP BY leixing";
// The same two forms limited to the entries of one place (:zhanghu).
inline constexpr char kPlacePeriodTotals[] =
    "SELECT leixing,SUM(feiyong>>32) AS zonge,SUM(feiyong&4294967295) AS zonge_low from shouzhibiao WHERE "
    "zhanghu=:zhanghu AND shururiqi BETWEEN :qishi AND :jishu GROUP BY leixing";
inline constexpr char kPlacePeriodTotalsOfTwoTypes[] =
    "SELECT leixing,SUM(feiyong>>32) AS zonge,SUM(feiyong&4294967295) AS zonge_low from shouzhibiao WHERE "
    "zhanghu=:zhanghu AND leixing IN ('shouru','zhichu') AND shururiqi BETWEEN :qishi AND :jishu GROUP BY "
    "leixing";
// Whether any entry has a type other than the two (1 or 0), looked up on the type's index.
inline constexpr char kOtherTypesExist[] =
    "SELECT count(*) FROM (SELECT 1 FROM shouzhibiao WHERE leixing<'shouru' OR (leixing>'shouru' AND "
    "leixing<'zhichu') OR leixing>'zhichu' LIMIT 1) AS others";
// Totals per detail of one type over a period (:qishi, :jishu, :mxlx), in two halves as above.
inline constexpr char kDetailTotals[] =
    "SELECT mingxi,SUM(feiyong>>32) AS mxzonge,SUM(feiyong&4294967295) AS mxzonge_low from shouzhibiao WHERE "
    "(shururiqi BETWEEN :qishi AND :jishu) and (leixing=:mxlx) GROUP BY mingxi";
// The same limited to the entries of one place (:zhanghu).
inline constexpr char kPlaceDetailTotals[] =
    "SELECT mingxi,SUM(feiyong>>32) AS mxzonge,SUM(feiyong&4294967295) AS mxzonge_low from shouzhibiao WHERE "
    "zhanghu=:zhanghu AND (shururiqi BETWEEN :qishi AND :jishu) and (leixing=:mxlx) GROUP BY mingxi";
// The home safe's balance (:jtbxg "家庭保险柜").
inline constexpr char kReadBalance[] = "select jine from zhangwubiao where mingcheng=:jtbxg";
// A place's new balance by name (:jingestr the balance in ten-thousandths, :jtbxg the name).
inline constexpr char kWriteBalance[] = "UPDATE zhangwubiao SET jine =:jingestr where mingcheng=:jtbxg";
// Every money place: its name and balance.
inline constexpr char kAllPlaces[] = "select mingcheng,jine from zhangwubiao";
// Every place with what its balance means: kind, balance, credit limit and closed mark, in key order.
inline constexpr char kPlaceFigures[] =
    "select mingcheng,leibie,jine,edu,guanbi from zhangwubiao order by id";
// The bank panel's list: every place with its kind in words, a closed one marked.
inline constexpr char kPlacesOfPanel[] =
    "select *,case leibie when 'xianjin' then '现金' when 'dianziqianbao' then '电子钱包' when 'xinyongka' "
    "then '信用卡' else '银行卡' end || case when guanbi=1 then '（已关闭）' else '' end as leibiemingcheng "
    "from zhangwubiao";
// One place as a money move reads it (:id), and its new balance (:jine, :id).
inline constexpr char kStoredPlace[] =
    "select mingcheng,leibie,edu,guanbi,jine from zhangwubiao where id=:id";
inline constexpr char kWritePlaceBalance[] = "update zhangwubiao set jine=:jine where id=:id";
// Every place as the choices name it.
inline constexpr char kPlaceChoices[] = "select id,mingcheng,leibie,guanbi from zhangwubiao order by id";
// Whether a place (:mingcheng) is closed.
inline constexpr char kPlaceClosedByName[] = "select guanbi from zhangwubiao where mingcheng=:mingcheng";
// The key of a place by its name (:mingcheng).
inline constexpr char kPlaceId[] = "select id from zhangwubiao where mingcheng=:mingcheng";
// One deposit or withdrawal appended to the records (:mingcheng, :jine in ten-thousandths, :leixing,
// :riqi, :caozuoren).
inline constexpr char kInsertTransaction[] =
    "insert into yinghanbiao (mingcheng, jine, leixing, riqi, caozuoren) values (:mingcheng, :jine, "
    ":leixing, "
    ":riqi, :caozuoren)";
// One transfer appended to the records: the receiving place (:mingcheng) and the paying one
// (:zhuanchu) by name, :jine and the fee :shouxufei in ten-thousandths, :leixing "zhuanzhang", :riqi,
// :caozuoren.
inline constexpr char kInsertTransfer[] =
    "insert into yinghanbiao (mingcheng, zhuanchu, jine, shouxufei, leixing, riqi, caozuoren) values "
    "(:mingcheng, :zhuanchu, :jine, :shouxufei, :leixing, :riqi, :caozuoren)";
// Every deposit, withdrawal and transfer in the order they were made.
inline constexpr char kAllTransactions[] = "select * from yinghanbiao order by id";
// The same sorted by a column of the records window (%1: riqi, jine, mingcheng, zhuanchu, shouxufei or
// caozuoren, never a typed text), then by the order they were made, both going the same way (%2).
inline constexpr char kSortedTransactions[] = "select * from yinghanbiao order by %1 %2, id %2";
// How many records there are, of every kind.
inline constexpr char kCountTransactions[] = "select count(*) from yinghanbiao";
// The bank information window's writes. A new place starts with the column's default balance 0; the
// name of a place is changed only through kUpdatePlace. The bank password is kept encrypted in mimami
// (:mimami, "bp1$…"), written only by kInsertPlace and kWritePlacePassword; the plain column mima is
// always written empty.
inline constexpr char kInsertPlace[] =
    "insert into zhangwubiao (mingcheng, yonghuming, zhanghao, mima, mimami, leibie, edu) values "
    "(:mingcheng, :yonghuming, :zhanghao, '', :mimami, :leibie, :edu)";
inline constexpr char kUpdatePlace[] =
    "update zhangwubiao set mingcheng=:mingcheng, yonghuming=:yonghuming, zhanghao=:zhanghao, mima='', "
    "leibie=:leibie, edu=:edu where id=:id";
inline constexpr char kWritePlacePassword[] = "update zhangwubiao set mima='', mimami=:mimami where id=:id";
// The encrypted bank password of one place (:id).
inline constexpr char kPlacePassword[] = "select mimami from zhangwubiao where id=:id";
// How many users hold the household key of the bank passwords; the new household key of the user with
// the public key :pk ("pk1$…"), sealed to that key (:hk).
inline constexpr char kHouseholdKeyHolders[] =
    "select count(*) from quanxiangbiao where jiayao is not null and jiayao<>''";
inline constexpr char kGiveOwnHouseholdKey[] = "update quanxiangbiao set jiayao=:hk where gongyao=:pk";
// A place's name and closed mark (:id); how many other places (:id) carry a name (:mingcheng).
inline constexpr char kPlaceState[] = "select mingcheng,guanbi from zhangwubiao where id=:id";
inline constexpr char kOtherPlacesNamed[] =
    "select count(*) from zhangwubiao where mingcheng=:mingcheng and id<>:id";
// A place closed or opened again (:guanbi 1 or 0, :id).
inline constexpr char kClosePlace[] = "update zhangwubiao set guanbi=:guanbi where id=:id";
// A renamed place's records, as the place that moved the money (:old, :new) and as a transfer's payer.
inline constexpr char kRenameInRecords[] = "update yinghanbiao set mingcheng=:new where mingcheng=:old";
inline constexpr char kRenamePayerInRecords[] = "update yinghanbiao set zhuanchu=:new where zhuanchu=:old";
// Whether any entry, entry in the bin or record names a place (:id): 1 or 0.
inline constexpr char kPlaceHistory[] =
    "select count(*) from zhangwubiao p where p.id=:id and (exists (select 1 from shouzhibiao where "
    "zhanghu=p.id) or exists (select 1 from huishouzhan where zhanghu=p.id) or exists (select 1 from "
    "yinghanbiao where mingcheng=p.mingcheng or zhuanchu=p.mingcheng))";
// The bank information window's list: every place with its kind and state in words, and a credit card's
// limit (none for the other kinds). The password column only marks that one is stored (●●●●●●).
inline constexpr char kPlacesOfWindow[] =
    "select id,mingcheng,yonghuming,zhanghao,case when mimami is not null and mimami<>'' then '●●●●●●' "
    "else '' end as mima,jine,leibie,case when leibie='xinyongka' then edu end as "
    "edu,guanbi,case leibie when 'xianjin' then "
    "'现金' when 'dianziqianbao' then '电子钱包' when 'xinyongka' then '信用卡' else '银行卡' end as "
    "leibiemingcheng,case when guanbi=1 then '已关闭' else '' end as zhuangtai from zhangwubiao order by id";
inline constexpr char kUpdatePlaceDetails[] =
    "update zhangwubiao set yonghuming=:yonghuming, zhanghao=:zhanghao, mima='' where id=:id";
// Never removes the home safe (:jtbxg "家庭保险柜").
inline constexpr char kDeletePlace[] = "delete from zhangwubiao where id=:id and mingcheng<>:jtbxg";
// The name of one place by its key.
inline constexpr char kPlaceName[] = "select mingcheng from zhangwubiao where id=:id";
// The login: the rows of an ID (:yonghumingID as typed, compared without letter case), in the table's
// order; the password typed is checked against each row's hash here, never sent to the database.
inline constexpr char kLogin[] =
    "select id,xingming,quangxian,mimasanlie,gongyao,siyao,jiayao from quanxiangbiao where "
    "yonghuID=:yonghumingID order by id";
// A user's new password by name: its hash (:mmia) and the user's keys sealed under it (:gongyao, :siyao,
// :jiayao the household key sealed to that public key, or null), :yhmm the name.
inline constexpr char kChangePassword[] =
    "update quanxiangbiao set mima='',mimasanlie=:mmia,gongyao=:gongyao,siyao=:siyao,jiayao=:jiayao "
    "where xingming=:yhmm";
// A user's own keys made at the login when the row has none yet (:id the row).
inline constexpr char kStoreUserKeys[] =
    "update quanxiangbiao set gongyao=:gongyao,siyao=:siyao where id=:id";
// The postal and area-code rows. The hidden key column is left out so that "distinct" means what it says.
inline constexpr char kAllPostal[] = "select distinct 省份,地区,区号,邮编 from yzbh";
inline constexpr char kProvinces[] = "select distinct 省份 from yzbh";
inline constexpr char kRegionsOfProvince[] = "select distinct 地区 from yzbh where 省份=:dq";
inline constexpr char kPostalOfRegion[] =
    "select distinct 省份,地区,区号,邮编 from yzbh where 省份=:dq1 and 地区=:dq2";
// The search of one column for a text: "%1" is replaced by a column name from kPostalColumns only, and the
// pattern "%text%" is bound to :pattern.
inline constexpr char kPostalSearch[] =
    "select distinct 省份,地区,区号,邮编 from yzbh where %1 like :pattern";
inline constexpr const char* kPostalColumns[] = {"省份", "地区", "区号", "邮编"};

// Reminder events in the table's own order, a new event, and the deletion of one by its key.
inline constexpr char kAllReminders[] = "select id,riqi,fanwei,neirong from tixing order by id";
// The same list read a page at a time: how many events there are, :n events from position :skip, and
// :n events after the one with the key :id.
inline constexpr char kCountReminders[] = "select count(*) from tixing";
inline constexpr char kRemindersFrom[] =
    "select id,riqi,fanwei,neirong from tixing order by id limit :n offset :skip";
inline constexpr char kRemindersAfter[] =
    "select id,riqi,fanwei,neirong from tixing where id>:id order by id limit :n";
inline constexpr char kAddReminder[] =
    "insert into tixing (riqi,fanwei,neirong) values (:riqi,:fanwei,:neirong)";
inline constexpr char kDeleteReminder[] = "delete from tixing where id=:id";

// The users in the table's own order, a new user, the change of one by its key, its deletion, and the
// number of other users (:id) that carry a name (:xingming).
// A user's password is never read back: only whether it is set, the public key and the sealed household
// key (to keep or to give when the rights change).
inline constexpr char kAllUsers[] =
    "select id,yonghuID,xingming,quangxian,mimasanlie,gongyao,jiayao from quanxiangbiao order by id";
inline constexpr char kAddUser[] =
    "insert into quanxiangbiao (yonghuID,xingming,mima,quangxian,mimasanlie,gongyao,siyao,jiayao) values "
    "(:yonghuID,:xingming,'',:quangxian,:mimasanlie,:gongyao,:siyao,:jiayao)";
// The row without its password (a save that leaves the password as it was)...
inline constexpr char kUpdateUser[] =
    "update quanxiangbiao set yonghuID=:yonghuID,xingming=:xingming,quangxian=:quangxian,jiayao=:jiayao "
    "where id=:id";
// ...and with a new one.
inline constexpr char kUpdateUserPassword[] =
    "update quanxiangbiao set yonghuID=:yonghuID,xingming=:xingming,mima='',quangxian=:quangxian,"
    "mimasanlie=:mimasanlie,gongyao=:gongyao,siyao=:siyao,jiayao=:jiayao where id=:id";
inline constexpr char kDeleteUser[] = "delete from quanxiangbiao where id=:id";
inline constexpr char kOtherUsersNamed[] =
    "select count(*) from quanxiangbiao where xingming=:xingming and id<>:id";
// The number of other users (:id) that log in with an ID (:yonghuID), compared as the login compares it.
inline constexpr char kOtherUsersWithId[] =
    "select count(*) from quanxiangbiao where yonghuID=:yonghuID and id<>:id";

// The bin of deleted entries. An entry is kept (:id the entry, :shanchuren who deleted it,
// :shanchushijian when) by copying its row before it is deleted.
inline constexpr char kKeepInBin[] =
    "INSERT INTO huishouzhan "
    "(leixing,mingxi,feiyong,shururiqi,dengjiren,beizhu,shanchuren,shanchushijian,zhanghu) SELECT "
    "leixing,mingxi,feiyong,shururiqi,dengjiren,beizhu,:shanchuren,:shanchushijian,zhanghu FROM shouzhibiao "
    "WHERE id=:id";
// The bin, newest first.
inline constexpr char kBinEntries[] =
    "SELECT id,leixing,mingxi,feiyong,shururiqi,dengjiren,beizhu,shanchuren,shanchushijian,zhanghu FROM "
    "huishouzhan ORDER BY shanchushijian DESC, id DESC";
inline constexpr char kDeleteFromBin[] = "DELETE FROM huishouzhan WHERE id=:id";
// The newest deletion time the bin holds.
inline constexpr char kNewestDeletion[] = "SELECT max(shanchushijian) FROM huishouzhan";
// Entries deleted before a moment (:qishi, "yyyy-MM-dd" or "yyyy-MM-dd HH:mm:ss") leave the bin.
inline constexpr char kExpireBin[] = "DELETE FROM huishouzhan WHERE shanchushijian < :qishi";
// Income (:mxlx "shouru") and everything else per day of a period (:qishi, :jishu), read from the
// covering index (shururiqi, feiyong, leixing) alone and grouped in its order, without a sort; the year's
// trend adds the days up into months.
inline constexpr char kDayTotals[] =
    "SELECT shururiqi,SUM(CASE WHEN leixing=:mxlx THEN feiyong ELSE 0 END) AS shouru,SUM(CASE WHEN "
    "leixing=:mxlx THEN 0 ELSE feiyong END) AS zhichu FROM shouzhibiao WHERE shururiqi BETWEEN :qishi AND "
    ":jishu GROUP BY shururiqi";
// The entries of a period for export, by date and then in the order they were made.
inline constexpr char kEntriesOfPeriod[] =
    "SELECT s.leixing,s.mingxi,s.feiyong,p.mingcheng AS zhanghuming,s.shururiqi,s.dengjiren,s.beizhu FROM "
    "shouzhibiao s LEFT JOIN zhangwubiao p ON p.id=s.zhanghu WHERE s.shururiqi BETWEEN :qishi AND :jishu "
    "ORDER BY s.shururiqi,s.id";
// The deposits, withdrawals and transfers of a period for export, by date and then in the order they
// were made.
inline constexpr char kTransactionsOfPeriod[] =
    "SELECT leixing,mingcheng,jine,riqi,caozuoren,zhuanchu,shouxufei FROM yinghanbiao WHERE riqi BETWEEN "
    ":qishi AND :jishu ORDER BY riqi,id";

}  // namespace Sql

// Coded values stored in the tables.
namespace Codes {
inline constexpr char kIncome[] = "shouru";
inline constexpr char kExpense[] = "zhichu";
inline constexpr char kDeposit[] = "cunkuan";
inline constexpr char kWithdrawal[] = "qukuan";
// A transfer between two places (yinghanbiao: mingcheng receives, zhuanchu pays).
inline constexpr char kTransfer[] = "zhuanzhang";
inline constexpr char kHomeSafe[] = "家庭保险柜";
// The kinds of place (zhangwubiao.leibie): the home safe's cash, bank cards, e-wallets, credit cards.
inline constexpr char kCash[] = "xianjin";
inline constexpr char kBankCard[] = "yinhangka";
inline constexpr char kWallet[] = "dianziqianbao";
inline constexpr char kCreditCard[] = "xinyongka";
inline constexpr char kOnce[] = "当天";
inline constexpr char kDaily[] = "每天";
inline constexpr char kMonthly[] = "每月";
}  // namespace Codes
