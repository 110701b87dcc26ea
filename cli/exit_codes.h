// The exit codes of the command line, as --help, the README and the man page list them.
#pragma once

enum ExitCode : int {
  kExitDone = 0,        // every result written (also: nothing found, an empty reads file)
  kExitUsage = 1,       // unknown command or option, a missing or malformed value, refused sizes
  kExitInput = 2,       // an input missing, unreadable, empty (genome) or malformed
  kExitOutput = 3,      // the result directory can't be made or written, a write failed
  kExitNoMemory = 4,    // a table could not be allocated
  kExitSignalBase = 128 // + the signal's number after SIGINT or SIGTERM
};

// The one line that every message starts with.
constexpr char kMessagePrefix[] = "vantrels: ";
