#include "data/OpenReads.h"

#include <QList>
#include <QPointer>
#include <QSqlQuery>
#include <QSqlQueryModel>

namespace {

QList<QPointer<QSqlQueryModel>>& tracked() {
    static QList<QPointer<QSqlQueryModel>> models;
    return models;
}

}  // namespace

void OpenReads::track(QSqlQueryModel* model) {
    auto& models = tracked();
    models.removeIf([](const QPointer<QSqlQueryModel>& m) { return m.isNull(); });
    if (model && !models.contains(model))
        models.append(model);
}

bool OpenReads::finishAll() {
    bool finished = false;
    auto& models = tracked();
    models.removeIf([](const QPointer<QSqlQueryModel>& m) { return m.isNull(); });
    for (const QPointer<QSqlQueryModel>& model : std::as_const(models)) {
        // A list that reads each page with a statement of its own and finishes it holds no read open.
        if (model && !model->query().isActive())
            continue;
        // A model without an active query claims it can fetch more but never does: stop when a fetch
        // brings nothing.
        while (model && model->canFetchMore()) {
            const int before = model->rowCount();
            model->fetchMore();
            if (model->rowCount() == before)
                break;
            finished = true;
        }
    }
    return finished;
}
