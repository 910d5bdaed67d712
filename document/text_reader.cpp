#include "document/text_reader.h"

#include "document/script_document.h"

namespace {

// A slice of the text read at a go: a few milliseconds.
constexpr int slice = 1 << 17;

} // namespace

TextReader::TextReader(const ScriptDocument &document, Edits edits)
    : m_document(document)
    , m_edits(edits)
{
    m_editedConnection = QObject::connect(&document, &ScriptDocument::edited,
                                          [this](qsizetype offset, qsizetype removed, qsizetype) {
                                              edited(offset, removed);
                                          });
    m_replacedConnection = QObject::connect(&document, &ScriptDocument::replacedWhole, [this] { m_read = 0; });
}

TextReader::~TextReader()
{
    QObject::disconnect(m_editedConnection);
    QObject::disconnect(m_replacedConnection);
}

void TextReader::edited(qsizetype offset, qsizetype removed)
{
    if (m_edits == Edits::ReadAgain || offset > m_read || m_read == 0) {
        m_read = std::min(m_read, offset);
        return;
    }
    // The copy holds the text before m_read as it is now; what lies beyond
    // is copied later as it will be then.
    m_text.truncate(m_read);
    if (offset + removed <= m_read)
        m_text.replace(offset, removed, m_document.editedText());
    else
        m_text = m_text.first(offset) + m_document.editedText();
    m_read = m_text.size();
}

bool TextReader::complete() const
{
    return m_read == m_text.size() && m_read == m_document.length();
}

const QString &TextReader::whole()
{
    // Read at once, the document's own copy of the whole text is quicker
    // than reading the rest a slice at a time.
    if (!complete()) {
        m_text = m_document.text();
        m_read = m_text.size();
    }
    return m_text;
}

bool TextReader::read(QDeadlineTimer deadline)
{
    // The copy is cut back to what is still the document's only now, not at
    // the edit: a copy shared with a worker is not copied at every keystroke.
    m_text.truncate(m_read);
    const qsizetype length = m_document.length();
    // A copy started afresh takes room for the whole text at once: growing
    // it a slice at a time would copy all that was read so far, again and
    // again, each time within one slice.
    if (m_read == 0 && m_text.capacity() < length)
        m_text.reserve(length);
    while (m_read < length) {
        const int from = m_document.toPosition(m_read);
        const int to = std::min(from + slice, m_document.positions());
        const QString piece = m_document.scriptText(from, to - from);
        if (piece.isEmpty()) {
            whole();  // never expected; rather than wait for ever
            return true;
        }
        m_text += piece;
        m_read = m_text.size();
        if (deadline.hasExpired())
            return m_read == length;
    }
    return true;
}

void TextReader::release()
{
    m_text = QString();
    m_read = 0;
}
