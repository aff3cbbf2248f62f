#include "core/TextEntryEdit.h"
#include "core/Strings.h"

#include "core/TextMacros.h"

bool TextEntryEdit::apply(CommentList &comments, const PNGinfo &info, QString *error) const
{
    for (const auto &entry : set) {
        if (entry.first.isEmpty()) {
            if (error)
                *error = reasonText(QT_TRANSLATE_NOOP("Reason", "an entry to set has no keyword"));
            return false;
        }
    }
    if (clear)
        comments.clear();
    for (const QString &keyword : remove)
        removeCommentsWithKeyword(comments, keyword);
    for (const auto &[keyword, text] : set) {
        if (replace)
            removeCommentsWithKeyword(comments, PNGComment::truncatedKeyword(keyword));
        auto comment = std::make_shared<PNGComment>();
        comment->setKeyword(keyword);
        // An absent text is written as an empty one, as an expansion gives it.
        comment->setText(expandMacros ? processedTextForPNG(text, info) : text.isNull() ? QStringLiteral("") : text);
        comments.append(comment);
    }
    return true;
}
