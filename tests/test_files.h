// Small helpers the tests share: files' bytes, and texts shown so that a
// failure tells CR from LF and the invisible characters apart.
#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

inline QByteArray readFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

// True when the file now holds exactly `bytes`.
inline bool writeFile(const QString &path, QByteArrayView bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes.data(), bytes.size()) == bytes.size();
}

// ASCII as it is, everything else as <hhhh>.
inline QString readable(const QString &s)
{
    QString out;
    for (QChar c : s)
        out += c.unicode() < 0x20 || c.unicode() > 0x7E
                   ? QStringLiteral("<%1>").arg(c.unicode(), 4, 16, QLatin1Char('0'))
                   : QString(c);
    return out;
}
