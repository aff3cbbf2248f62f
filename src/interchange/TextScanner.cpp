#include "interchange/TextScanner.h"

bool TextScanner::isWhitespace(QChar c)
{
    return c == u'\t' || c.category() == QChar::Separator_Space;
}

bool TextScanner::isLineEnd(QChar c)
{
    const char16_t u = c.unicode();
    return (u >= 0x000A && u <= 0x000D) || u == 0x0085 || u == 0x2028 || u == 0x2029;
}

bool TextScanner::atEnd() const
{
    for (qsizetype i = m_position; i < m_text.size(); ++i) {
        if (!isSkipped(m_text[i]))
            return false;
    }
    return true;
}

void TextScanner::skip()
{
    while (m_position < m_text.size() && isSkipped(m_text[m_position]))
        ++m_position;
}
