#include "prose/unify_preview.h"

#include "document/script_document.h"

#include <algorithm>

namespace prose {
namespace {

QString shown(QString text)
{
    text.replace(u'\n', u'↵');
    return text;
}

} // namespace

std::vector<Change> describeChanges(const ScriptDocument &document, const std::vector<Replacement> &replacements,
                                    qsizetype context)
{
    std::vector<Change> changes;
    changes.reserve(replacements.size());
    for (const Replacement &r : replacements) {
        const int line = document.lineAt(r.offset);
        const qsizetype start = document.lineStart(line);
        const qsizetype column = r.offset - start;
        const qsizetype length = document.lineLength(line);
        const qsizetype from = std::max<qsizetype>(0, column - context);
        const qsizetype to = std::min(length, column + r.length + context);
        const QString head = (from > 0 ? QStringLiteral(u"…") : QString()) + document.lineText(line, from, column - from);
        const QString tail = document.lineText(line, column + r.length, to - column - r.length) +
                             (to < length ? QStringLiteral(u"…") : QString());
        const QString was = document.lineText(line, column, r.length);
        changes.push_back({r, line + 1, shown(head + was + tail), shown(head + r.text + tail)});
    }
    return changes;
}

} // namespace prose
