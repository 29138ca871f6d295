#pragma once

#include "data/Result.h"

#include <QString>

// Puts what was written to a file, or a folder's entries (a new name, a rename), on the disk before
// the caller reports success, so that a power cut right afterwards cannot leave an empty file behind.
namespace Kopira {

Status SyncFile(const QString& path);
Status SyncFolder(const QString& folder);

}  // namespace Kopira
