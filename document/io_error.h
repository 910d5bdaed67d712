// Why reading or writing a file failed, as a value the caller shows or
// passes on: every file and journal operation returns one of these when it
// fails, and nothing else when it succeeds. It holds what happened, never
// the words for it: the window words it (document/io_wording.h).
#pragma once

#include <QString>

#include <optional>

struct IoError {
    // What was being done to the file or folder (io_wording.cpp words them
    // in this order).
    enum class Operation : quint8 {
        Read,
        Write,
        Create,
        Remove,
        Inspect,     // looking at a folder before using it
        MakeFolder,
        Lock,        // taking the lock file beside it
        Finish,      // syncing what was written to disk
    };
    // What stood in the way.
    enum class Trouble : quint8 {
        System,        // the system refused: `code`, or `systemText`; neither when it gave no reason
        NotAFile,      // a folder, a pipe, a device…: `mode` has its type
        NotAFolder,    // `mode` has its type
        TooLarge,      // `size` bytes (-1: unknown) against `limit`
        ShortWrite,    // only `position` of `size` bytes were taken, and no reason given
        NotOwned,      // a folder of another user's
        OpenToOthers,  // a folder others may enter: `mode` has its permissions
        InUse,         // another window holds it
        Damaged,       // its bytes are not what the program wrote
    };

    Operation operation = Operation::Read;
    Trouble trouble = Trouble::System;
    // The file or folder concerned, when the caller cannot name it: empty
    // for the file the caller asked to read or write itself.
    QString path;
    int code = 0;         // errno, 0 for none
    QString systemText;   // the file device's own reason, where it gave no errno
    unsigned mode = 0;    // st_mode bits, as `trouble` says
    qint64 size = -1;
    qint64 limit = -1;
    qint64 position = -1;  // the byte where reading or writing stopped, -1 if not known

    static IoError of(Operation operation, Trouble trouble, QString path = {})
    {
        IoError error;
        error.operation = operation;
        error.trouble = trouble;
        error.path = std::move(path);
        return error;
    }
    // Refused by the system with errno `code` (0: no reason given).
    static IoError system(Operation operation, int code, QString path = {})
    {
        IoError error = of(operation, Trouble::System, std::move(path));
        error.code = code;
        return error;
    }
};

// Empty on success.
using IoResult = std::optional<IoError>;
