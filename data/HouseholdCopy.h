#pragma once

#include "data/Result.h"

#include <QSqlDatabase>

// Copies every row of a household from one database to another, engine to engine: a server household
// into a household file (a backup readable anywhere) or a household file onto a server (a restore, or a
// family moving its books onto the server). The target's rows are replaced, keys included, and on the
// server the key numbering continues after the highest key copied. Both must be Tamberlo households of
// the same schema version. Runs inside the caller's transaction on the target.
Status CopyHouseholdRows(QSqlDatabase from, QSqlDatabase to);
