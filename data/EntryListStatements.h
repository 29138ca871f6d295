#pragma once

// The statements of the entry lists read a page at a time. Each list has a fixed order that an index
// gives without sorting, so that any row is reached from its neighbour's key in a few steps, and the
// position of a row is the number of rows before it in that order:
// - 全部, every entry of a type (:mxlx), in the order of the details, then of entry (index leixing,
//   mingxi); entries without a detail come first;
// - 今天, the entries of a type (:mxlx) and a day (:riqi), in the order of entry (index leixing,
//   shururiqi).
// Rows saved since the list was loaded and no longer matching it (:kept, a JSON array of keys) follow
// the list, in the order of entry.
// A list limited to one place (:zhanghu) runs the same statements with their condition of the list,
// kListCondition, read as kPlaceListCondition: 全部 then walks the index (zhanghu, leixing, mingxi) in
// the same order, 今天 the day's few rows of (leixing, shururiqi).
namespace ListSql {

inline constexpr char kListCondition[] = "leixing=:mxlx";
inline constexpr char kPlaceListCondition[] = "leixing=:mxlx AND zhanghu=:zhanghu";

// The shape of a row of every list, read without reading a row.
inline constexpr char kShape[] = "SELECT * FROM shouzhibiao WHERE 1=0";

// One entry by its key, with whether it belongs to the list (inlist).
inline constexpr char kAllEntry[] = "SELECT *,(leixing=:mxlx) AS inlist FROM shouzhibiao WHERE id=:id";
inline constexpr char kDayEntry[] =
    "SELECT *,(leixing=:mxlx AND shururiqi=:riqi) AS inlist FROM shouzhibiao WHERE id=:id";

// :n rows from position :skip (a walk over the index up to there, used only where no neighbour is read).
inline constexpr char kAllFrom[] =
    "SELECT * FROM shouzhibiao WHERE leixing=:mxlx ORDER BY mingxi,id LIMIT :n OFFSET :skip";
inline constexpr char kDayFrom[] =
    "SELECT * FROM shouzhibiao WHERE leixing=:mxlx AND shururiqi=:riqi ORDER BY id LIMIT :n OFFSET :skip";

// :n rows after the row with the detail :key and the key :id, in the list's order.
inline constexpr char kAllAfter[] =
    "SELECT * FROM shouzhibiao WHERE leixing=:mxlx AND (mingxi,id)>(:key,:id) ORDER BY mingxi,id LIMIT :n";
inline constexpr char kDayAfter[] =
    "SELECT * FROM shouzhibiao WHERE leixing=:mxlx AND shururiqi=:riqi AND id>:id ORDER BY id LIMIT :n";

// The same for 全部 in two short ranges of the index: the rows of the same detail after the row, then the
// rows of the later details. (Compared as a pair, the engine would walk the detail's rows before the row.)
inline constexpr char kAllAfterInDetail[] =
    "SELECT * FROM shouzhibiao WHERE leixing=:mxlx AND mingxi=:key AND id>:id ORDER BY id LIMIT :n";
inline constexpr char kAllAfterDetail[] =
    "SELECT * FROM shouzhibiao WHERE leixing=:mxlx AND mingxi>:key ORDER BY mingxi,id LIMIT :n";

// :n rows before that row, nearest first (rows without a detail are not reached this way).
inline constexpr char kAllBefore[] =
    "SELECT * FROM shouzhibiao WHERE leixing=:mxlx AND (mingxi,id)<(:key,:id) ORDER BY mingxi DESC,id DESC "
    "LIMIT :n";
inline constexpr char kAllBeforeInDetail[] =
    "SELECT * FROM shouzhibiao WHERE leixing=:mxlx AND mingxi=:key AND id<:id ORDER BY id DESC LIMIT :n";
inline constexpr char kAllBeforeDetail[] =
    "SELECT * FROM shouzhibiao WHERE leixing=:mxlx AND mingxi<:key ORDER BY mingxi DESC,id DESC LIMIT :n";
inline constexpr char kDayBefore[] =
    "SELECT * FROM shouzhibiao WHERE leixing=:mxlx AND shururiqi=:riqi AND id<:id ORDER BY id DESC LIMIT :n";

// How many rows come before the row (:key its detail, :id its key), counted on the index alone.
inline constexpr char kAllCountBefore[] =
    "SELECT (SELECT count(*) FROM shouzhibiao WHERE leixing=:mxlx AND mingxi IS NULL AND (:key IS NOT NULL "
    "OR "
    "id<:id))+(SELECT count(*) FROM shouzhibiao WHERE leixing=:mxlx AND (mingxi,id)<(:key,:id))";
inline constexpr char kDayCountBefore[] =
    "SELECT count(*) FROM shouzhibiao WHERE leixing=:mxlx AND shururiqi=:riqi AND id<:id";
// How many rows of 全部 lie from a landmark (:akey its detail, :aid its key) up to the row before (:key,
// :id), the landmark a few thousand rows at most before the row: each part is one short range of the
// index. When both have the same detail (or both none):
inline constexpr char kAllCountFromAnchorSameDetail[] =
    "SELECT count(*) FROM shouzhibiao WHERE leixing=:mxlx AND mingxi IS :key AND id>=:aid AND id<:id";
// When the landmark's detail comes before the row's:
inline constexpr char kAllCountFromAnchor[] =
    "SELECT (SELECT count(*) FROM shouzhibiao WHERE leixing=:mxlx AND mingxi=:akey AND id>=:aid)+"
    "(SELECT count(*) FROM shouzhibiao WHERE leixing=:mxlx AND mingxi>:akey AND mingxi<:key)+"
    "(SELECT count(*) FROM shouzhibiao WHERE leixing=:mxlx AND mingxi=:key AND id<:id)";
// When the landmark has no detail and the row has one:
inline constexpr char kAllCountFromBlankAnchor[] =
    "SELECT (SELECT count(*) FROM shouzhibiao WHERE leixing=:mxlx AND mingxi IS NULL AND id>=:aid)+"
    "(SELECT count(*) FROM shouzhibiao WHERE leixing=:mxlx AND mingxi IS NOT NULL AND mingxi<:key)+"
    "(SELECT count(*) FROM shouzhibiao WHERE leixing=:mxlx AND mingxi=:key AND id<:id)";
// Whether anything has written to the household since: this connection's row changes and the count of
// other connections' commits.
inline constexpr char kChangesMark[] = "SELECT total_changes()";
inline constexpr char kOthersMark[] = "PRAGMA data_version";

// How many rows of 全部 come after a row with a detail.
inline constexpr char kAllCountAfter[] =
    "SELECT count(*) FROM shouzhibiao WHERE leixing=:mxlx AND (mingxi,id)>(:key,:id)";

// How many rows the list holds. For 全部 the whole table less the other types: the engine counts a
// whole table from its pages, so that only the rows of the other types are walked.
inline constexpr char kAllCount[] =
    "SELECT (SELECT count(*) FROM shouzhibiao)-(SELECT count(*) FROM shouzhibiao WHERE leixing<:mxlx)-"
    "(SELECT count(*) FROM shouzhibiao WHERE leixing>:mxlx)";
// How many rows 全部 of one place holds, counted on its index.
inline constexpr char kAllCountOnIndex[] = "SELECT count(*) FROM shouzhibiao WHERE leixing=:mxlx";
inline constexpr char kDayCount[] =
    "SELECT count(*) FROM shouzhibiao WHERE leixing=:mxlx AND shururiqi=:riqi";
// Whether 全部 holds more than :n rows, without walking further than that.
inline constexpr char kAllHoldsMore[] =
    "SELECT count(*) FROM (SELECT 1 FROM shouzhibiao WHERE leixing=:mxlx LIMIT :n)";

// The find of the grid: the key of the first row of the list after the row (:key its detail, :id its
// key), or before it, that shows the text; %1 is the condition that a row shows it, over the columns
// the grid shows, with its own parameters, tested first as it rules out most rows. With :whole 1 the
// whole list is looked through, from its start going down, from its end going up. 全部 is looked through in
// the table's stored order, with only the matching rows sorted: a text found in few rows or none is answered
// in one pass over the table instead of a walk of the index that reads each row of the list from its own
// place.
inline constexpr char kAllFindAfter[] =
    "SELECT id FROM shouzhibiao NOT INDEXED WHERE leixing=:mxlx AND %1 AND (:whole=1 OR CASE WHEN :key IS "
    "NULL THEN mingxi IS NOT NULL OR id>:id ELSE mingxi>:key OR (mingxi=:key AND id>:id) END) ORDER BY "
    "mingxi,id LIMIT 1";
inline constexpr char kAllFindBefore[] =
    "SELECT id FROM shouzhibiao NOT INDEXED WHERE leixing=:mxlx AND %1 AND (:whole=1 OR CASE WHEN :key IS "
    "NULL THEN mingxi IS NULL AND id<:id ELSE mingxi IS NULL OR mingxi<:key OR (mingxi=:key AND id<:id) END) "
    "ORDER BY mingxi DESC,id DESC LIMIT 1";
// 今天 holds one day's entries: they are walked on its index.
inline constexpr char kDayFindAfter[] =
    "SELECT id FROM shouzhibiao WHERE leixing=:mxlx AND shururiqi=:riqi AND (:whole=1 OR id>:id) AND %1 "
    "ORDER BY id LIMIT 1";
inline constexpr char kDayFindBefore[] =
    "SELECT id FROM shouzhibiao WHERE leixing=:mxlx AND shururiqi=:riqi AND (:whole=1 OR id<:id) AND %1 "
    "ORDER BY id DESC LIMIT 1";

// The rows saved since loading that no longer match the list.
inline constexpr char kAllKept[] =
    "SELECT * FROM shouzhibiao WHERE id IN (SELECT value FROM json_each(:kept)) AND NOT (leixing=:mxlx) "
    "ORDER BY id";
inline constexpr char kDayKept[] =
    "SELECT * FROM shouzhibiao WHERE id IN (SELECT value FROM json_each(:kept)) AND NOT (leixing=:mxlx AND "
    "shururiqi=:riqi) ORDER BY id";

// A list sorted by one of its columns (a header clicked): the same rows, in the order of the column
// (%2, one of shururiqi, mingxi, feiyong, never a typed text) and then of the key, both going the
// same way (%4: ASC or DESC), so that an index (leixing, column) with the key after it gives the order
// read backwards or forwards without sorting. %1 is the list's condition (the type, the day of 今天,
// the place), %3 the comparison that goes on in the order read ("<" or ">"), %5 the key as the
// engine compares it with the column, %9 the column as the order names it: for 今天 on the file
// "+column", so that the engine reads the day's few rows from the day's index and sorts them rather than
// walk the whole type in the column's order looking for the day. A missing value comes first going up and
// last going down; rows are read from a missing value's neighbour by position. :n rows from position :skip.
inline constexpr char kSortedFrom[] =
    "SELECT * FROM shouzhibiao WHERE %1 ORDER BY %9 %4,id %4 LIMIT :n OFFSET :skip";
// :n rows after the row with the value :key and the key :id: first those of the same value, then the
// others (two short ranges of the index).
inline constexpr char kSortedNextInValue[] =
    "SELECT * FROM shouzhibiao WHERE %1 AND %2=%5 AND id%3:id ORDER BY id %4 LIMIT :n";
inline constexpr char kSortedNextValue[] =
    "SELECT * FROM shouzhibiao WHERE %1 AND %2%3%5 ORDER BY %9 %4,id %4 LIMIT :n";
// How many rows come after the row (:key its value, :id its key) in the order read, which is read
// against the list's order to count the rows before it; %6 is 1 when missing values come first in the
// order read. For a row with a value, and for one without:
inline constexpr char kSortedCountAfter[] =
    "SELECT (SELECT count(*) FROM shouzhibiao WHERE %1 AND %2%3%5)+(SELECT count(*) FROM shouzhibiao WHERE "
    "%1 AND %2=%5 AND id%3:id)+(SELECT count(*) FROM shouzhibiao WHERE %1 AND %2 IS NULL AND %6=0)";
inline constexpr char kSortedCountAfterMissing[] =
    "SELECT (SELECT count(*) FROM shouzhibiao WHERE %1 AND %2 IS NULL AND id%3:id)+(SELECT count(*) FROM "
    "shouzhibiao WHERE %1 AND %2 IS NOT NULL AND %6=1)";
// The grid's find in a sorted list: the key of the first row after the row (:key, :id) in the order
// read that shows the text (%7, with its own parameters); with :whole 1 from the start of that order.
// %8 is the table as read: 全部 is looked through in the stored order with only the matching rows
// sorted, as its unsorted find does.
inline constexpr char kSortedFind[] =
    "SELECT id FROM %8 WHERE %1 AND %7 AND (:whole=1 OR CASE WHEN %5 IS NULL THEN (%2 IS NULL AND "
    "id%3:id) OR (%2 IS NOT NULL AND %6=1) ELSE %2%3%5 OR (%2=%5 AND id%3:id) OR (%2 IS NULL AND %6=0) END) "
    "ORDER BY %9 %4,id %4 LIMIT 1";

}  // namespace ListSql
