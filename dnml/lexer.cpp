#include "dnml/lexer.h"

namespace dnml {
namespace {

constexpr char16_t OpenBracket = u'「';
constexpr char16_t CloseBracket = u'」';

bool isBlank(char16_t c)
{
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r' || c == 0x3000 || c == 0x00A0;
}

// Ends a word inside a tag: a name, an attribute name or a bare value.
bool endsWord(char16_t c)
{
    return isBlank(c) || c == u'>' || c == u'<' || c == u'=' || c == u'"';
}

// The index just past the "-->" that closes a comment, searching from
// `from`; -1 when the line does not close it.
qsizetype commentEnd(QStringView line, qsizetype from)
{
    const qsizetype at = line.indexOf(u"-->", from);
    return at < 0 ? -1 : at + 3;
}

// Collects the spans, or nothing at all when only the state is wanted.
struct Collect {
    std::vector<Span> *spans;
    std::size_t most = 0;
    void operator()(qsizetype start, qsizetype length, Token token) const
    {
        if (spans && length > 0 && spans->size() < most)
            spans->push_back({start, length, token});
    }
};

// The word a state inside a tag continues, and the state that goes on with it.
Token wordToken(State state)
{
    return state == State::TagName ? Token::TagName : state == State::BareValue ? Token::Value : Token::AttributeName;
}

State wordState(Token token)
{
    return token == Token::TagName ? State::TagName : token == Token::Value ? State::BareValue : State::AttributeName;
}

State lex(QStringView line, State state, bool lineEnds, Collect note)
{
    const qsizetype n = line.size();
    const char16_t *s = reinterpret_cast<const char16_t *>(line.utf16());
    qsizetype i = 0;
    bool afterEquals = false;

    // Where an earlier part of the line left off.
    switch (state) {
    case State::Comment: {
        const qsizetype end = commentEnd(line, 0);
        note(0, end < 0 ? n : end, Token::CommentContinued);
        if (end < 0)
            return State::Comment;
        i = end;
        state = State::Text;
        break;
    }
    case State::AfterEquals:
        afterEquals = true;
        state = State::Tag;
        break;
    case State::Quote: {
        const qsizetype close = line.indexOf(u'"');
        note(0, close < 0 ? n : close + 1, close < 0 ? Token::OpenValue : Token::Value);
        if (close < 0)
            return lineEnds ? State::Tag : State::Quote;
        i = close + 1;
        state = State::Tag;
        break;
    }
    case State::TagName:
    case State::AttributeName:
    case State::BareValue: {
        while (i < n && !endsWord(s[i]))
            ++i;
        note(0, i, wordToken(state));
        if (i == n && !lineEnds)
            return state;
        state = State::Tag;
        break;
    }
    case State::Text:
    case State::TagStart:
    case State::Tag:
        break;
    }
    while (i < n) {
        const char16_t c = s[i];
        if (c == u'<') {
            if (line.sliced(i).startsWith(u"<!--")) {
                const qsizetype end = commentEnd(line, i + 4);
                note(i, (end < 0 ? n : end) - i, Token::Comment);
                if (end < 0)
                    return State::Comment;
                i = end;
                state = State::Text;
                continue;
            }
            const qsizetype length = i + 1 < n && s[i + 1] == u'/' ? 2 : 1;
            note(i, length, Token::TagOpen);
            i += length;
            state = State::TagStart;
            afterEquals = false;
            continue;
        }
        if (state == State::Text) {
            if (c == OpenBracket || c == CloseBracket) {
                note(i, 1, Token::Bracket);
                ++i;
                continue;
            }
            // Prose: nothing to note up to the next tag or bracket.
            ++i;
            while (i < n && s[i] != u'<' && s[i] != OpenBracket && s[i] != CloseBracket)
                ++i;
            continue;
        }
        // Inside a tag.
        if (isBlank(c)) {
            ++i;
            continue;
        }
        if (c == u'>') {
            note(i, 1, Token::TagClose);
            ++i;
            state = State::Text;
            continue;
        }
        if (c == u'=') {
            note(i, 1, Token::Equals);
            ++i;
            afterEquals = true;
            state = State::Tag;
            continue;
        }
        if (c == u'"') {
            const qsizetype close = line.indexOf(u'"', i + 1);
            if (close < 0) {
                note(i, n - i, Token::OpenValue);
                return lineEnds ? State::Tag : State::Quote;
            }
            note(i, close + 1 - i, Token::Value);
            i = close + 1;
            afterEquals = false;
            state = State::Tag;
            continue;
        }
        const qsizetype start = i;
        while (i < n && !endsWord(s[i]))
            ++i;
        const Token token =
            state == State::TagStart ? Token::TagName : afterEquals ? Token::Value : Token::AttributeName;
        note(start, i - start, token);
        if (i == n && !lineEnds)
            return wordState(token);
        afterEquals = false;
        state = State::Tag;
    }
    return afterEquals && !lineEnds ? State::AfterEquals : state;
}

} // namespace

State lexPart(QStringView text, State state, bool lineEnds, std::vector<Span> &spans, std::size_t most)
{
    return lex(text, state, lineEnds, Collect{&spans, spans.size() + std::min(most, std::size_t(-1) - spans.size())});
}

State lexLine(QStringView line, State state, std::vector<Span> &spans, std::size_t most)
{
    return lexPart(line, state, true, spans, most);
}

State endState(QStringView line, State state, bool lineEnds)
{
    // Prose and comments are most of a script: skip through them to the
    // next "<", which is all that can change the state there.
    if (state == State::Comment) {
        const qsizetype end = commentEnd(line, 0);
        if (end < 0)
            return State::Comment;
        line = line.sliced(end);
        state = State::Text;
    }
    if (state == State::Text) {
        const qsizetype open = line.indexOf(u'<');
        if (open < 0)
            return State::Text;
        line = line.sliced(open);
    }
    return lex(line, state, lineEnds, Collect{nullptr});
}

} // namespace dnml
