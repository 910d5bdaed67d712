// What the program remembers from one start to the next: how the script is
// shown and the scripts used last. Kept in the user's configuration folder
// ($XDG_CONFIG_HOME/scrivlet/scrivlet.conf); the authoring options and the
// window's size are not remembered. Qt Core only.
#pragma once

#include <QString>
#include <QStringList>

namespace settings {

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
