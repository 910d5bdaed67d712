// What the program remembers from one start to the next: how the script is
// shown and the scripts used last. Kept in the user's configuration folder
// ($XDG_CONFIG_HOME/scrivlet/scrivlet.conf); the authoring options and the
// window's size are not remembered. Qt Core only.
#pragma once

#include "document/io_error.h"

#include <QString>
#include <QStringList>
#include <QVariant>

#include <memory>

class QSettings;

namespace settings {

// Where the settings are kept.
QString filePath();
// The largest settings file read: it holds a few options and ten names.
inline constexpr qint64 largestFile = qint64(1) << 20;

// The settings file, as every part of the program reads and writes it. It
// is read only when it is a regular file (or a link to one) of at most
// `largestFile` bytes, looked at without waiting, as a script is opened: a
// named pipe there would hold the program up before its window shows, and
// a link to /dev/zero would fill the memory. Anything else is refused: its
// values are the defaults, and what is set lasts in memory until the
// program ends, so that the file is never written over.
class Stored
{
public:
    Stored();
    ~Stored();
    Stored(const Stored &) = delete;
    Stored &operator=(const Stored &) = delete;

    QVariant value(const QString &key, const QVariant &fallback = {}) const;
    void setValue(const QString &key, const QVariant &value);

private:
    std::unique_ptr<QSettings> m_file;  // none: the file was refused
};

// Why the settings file was refused when it was last looked at, with its
// path; none when it was read or is not there. Safe on any thread.
IoResult refusal();

// How Text1 shows the script.
struct View {
    bool wrap = false;         // long lines wrap at the window's width
    bool lineNumbers = false;  // a gutter of line numbers
    int fontSize = 12;         // points
    bool blanks = false;       // blanks, line ends and full-width letters marked
    friend bool operator==(const View &, const View &) = default;
};
inline constexpr int smallestFont = 6;
inline constexpr int largestFont = 48;

View loadView();
void saveView(const View &view);

// The height the author last gave a panel under Text1 (by its object
// name), in pixels; 0 when none was given.
int panelHeight(const QString &panel);
void savePanelHeight(const QString &panel, int height);

// The scripts opened or saved last, newest first, at most ten, each once.
class RecentFiles
{
public:
    static constexpr int most = 10;

    // The list as the last run left it.
    static RecentFiles load();
    void save() const;

    const QStringList &paths() const { return m_paths; }
    // Puts `path` (absolute) first.
    void add(const QString &path);
    void remove(const QString &path);

private:
    QStringList m_paths;
};

} // namespace settings
