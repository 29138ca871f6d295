#pragma once

#include "data/Result.h"

#include <QString>

// Reading a backup's passphrase on the command line: from the terminal without echo, or from a file
// descriptor a script opened (--passphrase-fd N). Never from an argument, which any user of the
// computer can read in the process list.
namespace Kopira {

// Asks on the terminal (/dev/tty, not standard input) with the prompt, the typed text not shown. Fails
// when there is no terminal.
Result<QString> ReadPassphraseFromTerminal(const QString& prompt);

// The first line read from the descriptor (the line end dropped); the descriptor is closed afterwards.
Result<QString> ReadPassphraseFromDescriptor(int fd);

}  // namespace Kopira
