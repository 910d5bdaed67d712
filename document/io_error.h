// Why reading or writing a file failed, as a value the caller shows or
// passes on: every file and journal operation returns one of these when it
// fails, and nothing else when it succeeds.
#pragma once

#include <QString>

#include <optional>

struct IoError {
    QString reason;  // in the user's words: the system's reason, or what went wrong
};

// Empty on success.
using IoResult = std::optional<IoError>;

// The system's own words for an errno value; safe on any thread.
QString systemError(int error);
