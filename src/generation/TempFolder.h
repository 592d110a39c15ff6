#pragma once

#include <QString>

// Where the generation's work files go ("template.dot", the filled documents, "temp.bmp").
//
// The temporary folder is the value of TEMP (or temp) when that is set and not empty. Otherwise it
// is a private folder of the user's inside the system temporary folder, created with mode 0700 and
// checked to be a real folder owned by the user: fixed file names in a shared folder such as /tmp
// would let another user plant or redirect our work files. When another user has taken that name
// first (a folder of theirs, or a link), a folder nobody else can take is used instead:
// "mistlefold" in the user's runtime folder (XDG_RUNTIME_DIR) when that is the user's alone, else
// one made under a fresh name ("mistlefold-<uid>-XXXXXX", by mkdtemp) for the rest of the run.
//
// Inside it each running program keeps its work files in a work folder of its own,
// "mistlefold-run-XXXXXX" (made by mkdtemp, mode 0700), so that two programs never touch each
// other's files. The folder holds a lock file (".lock") that the program keeps locked while it
// runs; the kernel releases the lock when the program dies, however it dies, and the next program
// to start removes the folder with whatever the dead one left in it.
namespace TempFolder {

// The temporary folder. Throws RuntimeError when no private folder can be made.
QString base();

// This program's work folder, made on first use (and made again when it has gone). Throws
// RuntimeError when it cannot be made.
QString path();

// path() + "/" + name.
QString file(const QString &name);

// Removes the work folders of programs that are no longer running, with everything in them, from
// the temporary folder and, when TEMP is not set, from each private folder an earlier run may have
// used; private folders left empty go as well. A folder whose program runs (its lock is held), a
// folder still being made, anything that is not a real folder of the user's and anything not
// named like a work folder are left alone; links are removed as links, never followed.
void sweepLeftovers();

// Removes this program's work folder with everything still in it, and then the private folder it
// was made in when that is empty. Runs as a clean-up hook when the program ends; the work
// folder's first use adds the hook.
void removeWorkFolder();

} // namespace TempFolder
