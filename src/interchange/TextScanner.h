#pragma once

#include <QStringView>

// A forward scanner over UTF-16 text for the two text readers of comment interchange
// (delimited text files and pasted tab-separated text). Before each scan it skips
// whitespace and line-end characters, then takes a run of characters.
//
// Whitespace is the tab and the space separators (Unicode category Zs, U+0020 and U+00A0
// among them). Line ends are U+000A to U+000D, U+0085, U+2028 and U+2029.
class TextScanner
{
public:
    explicit TextScanner(QStringView text)
        : m_text(text)
    {
    }

    static bool isWhitespace(QChar c);
    static bool isLineEnd(QChar c);
    static bool isSkipped(QChar c) { return isWhitespace(c) || isLineEnd(c); }

    // True when nothing but skipped characters remains.
    bool atEnd() const;

    // Skips, then takes the run of characters for which accept holds (possibly empty).
    template <typename Predicate> QStringView scanWhile(Predicate accept)
    {
        skip();
        const qsizetype start = m_position;
        while (m_position < m_text.size() && accept(m_text[m_position]))
            ++m_position;
        return m_text.sliced(start, m_position - start);
    }

    // Skips, then takes the run of characters up to (not including) the first one for
    // which stop holds, or up to the end (possibly empty).
    template <typename Predicate> QStringView scanUntil(Predicate stop)
    {
        return scanWhile([&stop](QChar c) { return !stop(c); });
    }

private:
    void skip();

    QStringView m_text;
    qsizetype m_position = 0;
};
