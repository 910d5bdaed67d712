// The words the author reads for a failed file operation. Only the faces
// (windows, panels, dialogs, the notices of a capability) call these; the
// code that reads and writes files reports an IoError and never words it.
#pragma once

#include "document/io_error.h"

// The sentence for `error`: with its path, what could not be done to it
// and why ("「…」に書けません（…）。"); without one, only why, for a
// message that names the file in its own words. Safe on any thread.
QString wording(const IoError &error);

// `path` cut for a line of a dialog, which must wrap within the screen: a
// path longer than `most` characters keeps its start and its end (where
// the file's name stands) with "…" between them, never cutting a
// surrogate pair; a shorter one is returned whole.
QString shortenedPath(QStringView path, qsizetype most = 64);
// The sentence for `error` (see wording()) with its path so shortened.
QString shortWording(const IoError &error);
