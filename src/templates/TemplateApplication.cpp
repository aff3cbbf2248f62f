#include "templates/TemplateApplication.h"

#include "core/TextMacros.h"
#include "templates/Template.h"

CommentPtr appliedComment(const PNGComment &templateComment, const PNGinfo *expandAgainst)
{
    auto comment = std::make_shared<PNGComment>();
    comment->setKeyword(templateComment.keyword());
    comment->setText(
        expandAgainst ? processedTextForPNG(templateComment.text(), *expandAgainst) : templateComment.text());
    return comment;
}

qsizetype applyTemplate(const Template &source, const TemplateApplicationTarget &target, const PNGinfo *expandAgainst)
{
    if (source.clearsCommentsWhenApplied())
        target.removeAll();

    const bool overwrite = source.overwritesDuplicatesWhenApplied();
    // A copy: the template is not touched, even when the target is the template itself.
    const CommentList templateComments = source.comments();
    CommentList appended;
    for (const auto &templateComment : templateComments) {
        const auto comment = appliedComment(*templateComment, expandAgainst);
        if (overwrite) {
            CommentList doomed = commentsWithKeyword(target.visibleComments(), comment->keyword());
            for (const auto &earlier : commentsWithKeyword(appended, comment->keyword())) {
                if (!doomed.contains(earlier))
                    doomed.append(earlier);
            }
            if (!doomed.isEmpty()) {
                target.removeComments(doomed);
                appended.removeIf([&](const CommentPtr &c) { return doomed.contains(c); });
            }
        }
        target.append(comment);
        appended.append(comment);
    }
    return templateComments.size();
}

qsizetype applyTemplate(const Template &source, CommentList &target, const PNGinfo *expandAgainst)
{
    TemplateApplicationTarget callbacks;
    callbacks.visibleComments = [&] { return target; };
    callbacks.removeAll = [&] { target.clear(); };
    callbacks.removeComments = [&](const CommentList &doomed) { removeCommentsByIdentity(target, doomed); };
    callbacks.append = [&](const CommentPtr &comment) { target.append(comment); };
    return applyTemplate(source, callbacks, expandAgainst);
}
