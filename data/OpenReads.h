#pragma once

class QSqlQueryModel;

// A list that fetches its rows as they are scrolled keeps its statement, and with it a read of the
// file, open until the last row is fetched. While such a read is open, SQLite cannot start a write on
// the same connection without failing at once, without waiting: always when another program has written
// since the read began (the read's view of the file is out of date), and also whenever another program
// holds the write lock at that moment. The lists are tracked here so that a write meeting that failure
// can finish their reads and try again.
namespace OpenReads {

// Tracks the model's reads until the model is destroyed; a model tracked twice counts once.
void track(QSqlQueryModel* model);

// Fetches the remaining rows of every tracked model. Returns whether any read was still open.
bool finishAll();

}  // namespace OpenReads
