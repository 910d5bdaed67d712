#include "document/io_error.h"

#include <cstring>

QString systemError(int error)
{
    // The GNU strerror_r returns its text rather than filling the buffer in
    // every case; strerror itself may share one buffer between threads.
    char buffer[256];
    return QString::fromLocal8Bit(strerror_r(error, buffer, sizeof buffer));
}
