#include "interchange/ImportedComments.h"

#include "interchange/CommentListTarget.h"

#include <QSet>

#include <algorithm>

void appendImportedComments(CommentListTarget &target, const CommentList &imported, bool replace)
{
    CommentList added = cloneComments(imported);

    if (replace) {
        // Applying "remove equal keywords, then append" comment by comment leaves the
        // existing comments without any imported keyword, followed by the imported ones
        // that no later imported comment replaces. Done in one removal and one insertion.
        QSet<QString> keywords;
        CommentList kept;
        for (auto it = added.crbegin(); it != added.crend(); ++it) {
            const QString keyword = (*it)->keyword();
            if (keyword.isNull()) {
                kept.append(*it);
            } else if (!keywords.contains(keyword)) {
                keywords.insert(keyword);
                kept.append(*it);
            }
        }
        std::reverse(kept.begin(), kept.end());
        added = kept;

        CommentList replaced;
        for (const auto &comment : target.interchangeComments()) {
            if (!comment->keyword().isNull() && keywords.contains(comment->keyword()))
                replaced.append(comment);
        }
        if (!replaced.isEmpty())
            target.removeInterchangeComments(replaced);
    }

    if (!added.isEmpty())
        target.insertInterchangeComments(target.interchangeComments().size(), added, Expansion::Expand);
}
