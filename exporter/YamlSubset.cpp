#include "exporter/YamlSubset.h"

#include <QList>

namespace {
// One line that holds a key: its indentation, the key and its value, comments taken off.
struct KeyLine
{
    int number = 0;
    qsizetype indent = 0;
    QString key;
    std::optional<QString> value; // nothing: the key alone, a mapping may follow under it
};

// Characters that begin YAML this reader does not take (flow collections, anchors, aliases, tags, block
// scalars, directives) when they begin a plain value.
constexpr QStringView kIndicators = u"[]{}&*!|>%@`";

bool IsBlank(QChar c)
{
    return c == u' ' || c == u'\t';
}

// The text before a comment (a '#' at its start or after a blank), trimmed.
QStringView WithoutComment(QStringView text)
{
    for (qsizetype i = 0; i < text.size(); ++i)
        if (text[i] == u'#' && (i == 0 || IsBlank(text[i - 1])))
            return text.first(i).trimmed();
    return text.trimmed();
}

// The escapes a double-quoted scalar may use here.
std::optional<QChar> Unescaped(QChar escape)
{
    switch (escape.unicode()) {
    case u'"':
    case u'\\':
    case u'/':
        return escape;
    case u'n':
        return u'\n';
    case u't':
        return u'\t';
    default:
        return std::nullopt;
    }
}

// Reads the single-quoted scalar at the head of text ('' stands for one quote) and moves text past it.
std::optional<QString> TakeSingleQuoted(QStringView& text, QString& why)
{
    QString value;
    for (qsizetype i = 1; i < text.size(); ++i) {
        if (text[i] != u'\'') {
            value += text[i];
        } else if (i + 1 < text.size() && text[i + 1] == u'\'') {
            value += u'\'';
            ++i;
        } else {
            text = text.sliced(i + 1);
            return value;
        }
    }
    why = QStringLiteral("a single-quoted text is not closed on its line");
    return std::nullopt;
}

// Reads the double-quoted scalar at the head of text and moves text past it.
std::optional<QString> TakeDoubleQuoted(QStringView& text, QString& why)
{
    QString value;
    for (qsizetype i = 1; i < text.size(); ++i) {
        if (text[i] == u'"') {
            text = text.sliced(i + 1);
            return value;
        }
        if (text[i] != u'\\') {
            value += text[i];
            continue;
        }
        const QChar escape = i + 1 < text.size() ? text[++i] : QChar();
        const std::optional<QChar> unescaped = Unescaped(escape);
        if (!unescaped) {
            why = QStringLiteral("\"\\%1\" is not an escape that is read here").arg(escape);
            return std::nullopt;
        }
        value += *unescaped;
    }
    why = QStringLiteral("a double-quoted text is not closed on its line");
    return std::nullopt;
}

std::optional<QString> TakeQuoted(QStringView& text, QString& why)
{
    return text.startsWith(u'\'') ? TakeSingleQuoted(text, why) : TakeDoubleQuoted(text, why);
}

bool StartsQuoted(QStringView text)
{
    return text.startsWith(u'\'') || text.startsWith(u'"');
}

// Reads the key at the head of a line and the colon after it, and moves text past the colon.
std::optional<QString> TakeKey(QStringView& text, QString& why)
{
    std::optional<QString> key;
    if (StartsQuoted(text)) {
        key = TakeQuoted(text, why);
        if (!key)
            return std::nullopt;
        text = text.trimmed();
    } else {
        qsizetype colon = 0;
        while (colon < text.size() &&
               !(text[colon] == u':' && (colon + 1 == text.size() || IsBlank(text[colon + 1]))))
            ++colon;
        key = text.first(colon).trimmed().toString();
        text = text.sliced(colon);
    }
    if (!text.startsWith(u':') || (text.size() > 1 && !IsBlank(text[1]))) {
        why = QStringLiteral("expected \"KEY: VALUE\" or \"KEY:\" with keys under it");
        return std::nullopt;
    }
    if (key->isEmpty()) {
        why = QStringLiteral("the key before the colon is missing");
        return std::nullopt;
    }
    text = text.sliced(1).trimmed();
    return key;
}

// Reads the value that follows a key, up to its comment.
std::optional<QString> TakeValue(QStringView text, QString& why)
{
    if (StartsQuoted(text)) {
        std::optional<QString> value = TakeQuoted(text, why);
        if (value && !WithoutComment(text).isEmpty()) {
            why = QStringLiteral("only a comment may follow a quoted value");
            return std::nullopt;
        }
        return value;
    }
    const QStringView plain = WithoutComment(text);
    if (kIndicators.contains(plain.front()) || plain == u"-" || plain.startsWith(u"- ")) {
        why = QStringLiteral("lists, flow collections, anchors, tags and block scalars are not read here; "
                             "quote a value that starts with \"%1\"")
                  .arg(plain.front());
        return std::nullopt;
    }
    if (plain.contains(u": ")) {
        why = QStringLiteral("a value that holds \": \" must be quoted");
        return std::nullopt;
    }
    return plain.toString();
}

class Reader
{
public:
    explicit Reader(YamlError& error) : m_error(error) {}

    std::optional<YamlNode> Document(const QString& text)
    {
        QStringView body = text;
        if (body.startsWith(QChar(0xFEFF))) // a byte order mark, as some editors write
            body = body.sliced(1);
        const QList<QStringView> lines = body.split(u'\n');
        for (qsizetype i = 0; i < lines.size(); ++i) {
            const QStringView content = lines[i].trimmed();
            if (content.isEmpty() || content.startsWith(u'#'))
                continue;
            std::optional<KeyLine> line = ReadLine(static_cast<int>(i + 1), lines[i]);
            if (!line)
                return std::nullopt;
            m_lines.push_back(std::move(*line));
        }
        std::size_t at = 0;
        std::optional<YamlNode> document = Mapping(at, m_lines.empty() ? 0 : m_lines.front().indent);
        if (document && at < m_lines.size())
            return Fail(m_lines[at].number,
                        QStringLiteral("this line does not line up with the keys above it"));
        return document;
    }

private:
    std::optional<KeyLine> ReadLine(int number, QStringView text)
    {
        KeyLine line;
        line.number = number;
        while (text[line.indent] == u' ')
            ++line.indent;
        if (text[line.indent] == u'\t')
            return Fail(number, QStringLiteral("a tab cannot indent a line; use spaces"));
        QStringView rest = text.sliced(line.indent).trimmed();
        if (rest == u"-" || rest.startsWith(u"- "))
            return Fail(number, QStringLiteral("lists are not read here"));
        QString why;
        const std::optional<QString> key = TakeKey(rest, why);
        if (!key)
            return Fail(number, why);
        line.key = *key;
        if (!rest.isEmpty() && !rest.startsWith(u'#')) {
            line.value = TakeValue(rest, why);
            if (!line.value)
                return Fail(number, why);
        }
        return line;
    }

    // The keys at this indentation from line at on, each with its value.
    std::optional<YamlNode> Mapping(std::size_t& at, qsizetype indent)
    {
        YamlNode node;
        node.isMapping = true;
        while (at < m_lines.size() && m_lines[at].indent == indent) {
            const KeyLine& line = m_lines[at++];
            for (const auto& [key, earlier] : node.entries)
                if (key == line.key)
                    return Fail(
                        line.number,
                        QStringLiteral("\"%1\" is given twice, first on line %2").arg(key).arg(earlier.line));
            std::optional<YamlNode> value = Value(line, at);
            if (!value)
                return std::nullopt;
            node.entries.emplace_back(line.key, std::move(*value));
        }
        return node;
    }

    // A key's value: the scalar on its line, or the keys indented under it.
    std::optional<YamlNode> Value(const KeyLine& line, std::size_t& at)
    {
        YamlNode value;
        if (line.value) {
            value.scalar = *line.value;
        } else if (at < m_lines.size() && m_lines[at].indent > line.indent) {
            std::optional<YamlNode> nested = Mapping(at, m_lines[at].indent);
            if (!nested)
                return std::nullopt;
            value = std::move(*nested);
        }
        value.line = line.number;
        if (at < m_lines.size() && m_lines[at].indent > line.indent)
            return Fail(m_lines[at].number,
                        QStringLiteral("this line does not line up with the keys above it"));
        return value;
    }

    std::nullopt_t Fail(int line, const QString& why)
    {
        m_error = {line, why};
        return std::nullopt;
    }

    YamlError& m_error;
    std::vector<KeyLine> m_lines;
};
} // namespace

std::optional<YamlNode> ParseYamlSubset(const QString& text, YamlError& error)
{
    return Reader(error).Document(text);
}
