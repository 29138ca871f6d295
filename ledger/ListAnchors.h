#pragma once

#include "data/Result.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QVariant>

#include <atomic>
#include <functional>
#include <optional>

// Landmarks of a long 全部 list: the detail, key and position of every kStep-th row, in the list's order
// (entries without a detail first, then by detail as the engine compares text, then by key). The
// position of any row is then its nearest landmark's plus the rows between the two, which the index
// counts in a few thousand steps whatever the length of the list. The landmarks are read once, off the
// window's thread, and follow the changes the program itself makes (`inserted`, `removed`).
class ListAnchors {
  public:
    static constexpr int kStep = 1024;

    // A row's place in the order: its detail (null for none) and its key.
    struct Key {
        QVariant detail;
        qint64 id = 0;
    };
    struct Anchor {
        Key key;
        int position = 0;
    };

    // Reads the landmarks of the entries of `type` on a read-only connection of its own to the household
    // file, on the calling thread; gives up (failing) as soon as `stop` is set. `begun` is called once the
    // read holds its view of the file (its first row read): what is written after that, it does not see.
    static Result<ListAnchors> Read(const QString& file, const QString& type, const std::atomic<bool>& stop,
                                    const std::function<void()>& begun = {});

    // The landmark at or before `key`, or none when `key` comes before the first one.
    std::optional<Anchor> atOrBefore(const Key& key) const;
    // The last landmark at or before a position of the list.
    std::optional<Anchor> atOrBeforePosition(int position) const;

    // A row of the list came in or went; the landmarks after it move. A landmark that went is dropped.
    void inserted(const Key& key);
    void removed(const Key& key);

    const QList<Anchor>& anchors() const { return anchors_; }

    // Whether two details are the same place in the order (both none, or the same text).
    static bool SameDetail(const QVariant& a, const QVariant& b);

  private:
    QList<Anchor> anchors_;
};

// Whether `a` comes before `b` in the 全部 list's order.
bool ListOrderBefore(const ListAnchors::Key& a, const ListAnchors::Key& b);
