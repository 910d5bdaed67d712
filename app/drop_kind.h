// What a drag onto the editor carries, as far as the editor is concerned:
// a script to open, something to refuse, or text for Text1 to take.
#pragma once

#include <QString>

class QMimeData;

namespace drop {

struct Kind {
    enum Action {
        OpenFile,  // exactly one file of this machine: open `path`
        Refuse,    // several files: nothing happens (their names are no text to type in)
        Text,      // anything else: Text1 inserts the text, if there is any
    };
    Action action = Text;
    QString path;
};

// A local file is one whose address is a file: URL; a link to the web is
// not a file to open, and its text is inserted like any other text.
Kind classify(const QMimeData &data);

} // namespace drop
