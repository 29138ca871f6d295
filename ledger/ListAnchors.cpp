#include "ledger/ListAnchors.h"

#include "data/DatabaseErrors.h"

#include <QAtomicInt>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>

#include <algorithm>
#include <cstring>

namespace {

QAtomicInt readerCounter;

// The engine compares text byte by byte in its UTF-8 form; QString compares UTF-16 units, which orders
// characters beyond the basic plane differently.
int compareDetails(const QVariant& a, const QVariant& b) {
    if (a.isNull() || b.isNull())
        return a.isNull() == b.isNull() ? 0 : (a.isNull() ? -1 : 1);
    const QByteArray x = a.toString().toUtf8();
    const QByteArray y = b.toString().toUtf8();
    const int c = std::memcmp(x.constData(), y.constData(), size_t(std::min(x.size(), y.size())));
    if (c != 0)
        return c;
    return x.size() == y.size() ? 0 : (x.size() < y.size() ? -1 : 1);
}

}  // namespace

bool ListAnchors::SameDetail(const QVariant& a, const QVariant& b) {
    return compareDetails(a, b) == 0;
}

bool ListOrderBefore(const ListAnchors::Key& a, const ListAnchors::Key& b) {
    const int c = compareDetails(a.detail, b.detail);
    return c != 0 ? c < 0 : a.id < b.id;
}

Result<ListAnchors> ListAnchors::Read(const QString& file, const QString& type, const std::atomic<bool>& stop,
                                      const std::function<void()>& begun) {
    const QString name = QStringLiteral("tamberlo-anchors-%1").arg(readerCounter.fetchAndAddRelaxed(1));
    Result<ListAnchors> result = Result<ListAnchors>::failure(QString());
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(file);
        db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY;QSQLITE_BUSY_TIMEOUT=5000"));
        if (!db.open()) {
            result = Result<ListAnchors>::failure(DatabaseErrors::Describe(db.lastError()));
        } else {
            QSqlQuery query(db);
            query.setForwardOnly(true);
            query.prepare(
                QStringLiteral("SELECT mingxi,id FROM shouzhibiao WHERE leixing=:mxlx ORDER BY mingxi,id"));
            query.bindValue(QStringLiteral(":mxlx"), type);
            if (!query.exec()) {
                result = Result<ListAnchors>::failure(DatabaseErrors::Describe(query.lastError()));
            } else {
                ListAnchors read;
                int position = 0;
                bool stopped = false;
                while (query.next()) {
                    if (position == 0 && begun)
                        begun();
                    if (position % kStep == 0) {
                        if (stop.load(std::memory_order_relaxed)) {
                            stopped = true;
                            break;
                        }
                        read.anchors_.append({{query.value(0), query.value(1).toLongLong()}, position});
                    }
                    ++position;
                }
                if (query.lastError().isValid())
                    result = Result<ListAnchors>::failure(DatabaseErrors::Describe(query.lastError()));
                else if (!stopped)
                    result = std::move(read);
            }
            query.finish();
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
    return result;
}

std::optional<ListAnchors::Anchor> ListAnchors::atOrBefore(const Key& key) const {
    // The first landmark after the key; the one before it is the answer.
    const auto after =
        std::upper_bound(anchors_.cbegin(), anchors_.cend(), key,
                         [](const Key& k, const Anchor& a) { return ListOrderBefore(k, a.key); });
    if (after == anchors_.cbegin())
        return std::nullopt;
    return *(after - 1);
}

std::optional<ListAnchors::Anchor> ListAnchors::atOrBeforePosition(int position) const {
    const auto after = std::upper_bound(anchors_.cbegin(), anchors_.cend(), position,
                                        [](int p, const Anchor& a) { return p < a.position; });
    if (after == anchors_.cbegin())
        return std::nullopt;
    return *(after - 1);
}

void ListAnchors::inserted(const Key& key) {
    for (Anchor& a : anchors_) {
        if (ListOrderBefore(key, a.key))
            ++a.position;
    }
}

void ListAnchors::removed(const Key& key) {
    anchors_.removeIf(
        [&key](const Anchor& a) { return !ListOrderBefore(a.key, key) && !ListOrderBefore(key, a.key); });
    for (Anchor& a : anchors_) {
        if (ListOrderBefore(key, a.key))
            --a.position;
    }
}
