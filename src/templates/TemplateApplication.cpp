#include "templates/TemplateApplication.h"

#include "commentlist/CommentListOwner.h"
#include "core/Strings.h"
#include "core/TextMacros.h"
#include "templates/Template.h"

#include <QSet>

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

qsizetype applyTemplate(const Template &source, CommentListOwner &owner)
{
    // Worked out on a copy of the whole list, then handed to the owner in one change;
    // the owner expands the texts of the comments that are new to it.
    CommentList all = owner.allComments();
    QSet<const PNGComment *> visible;
    for (const auto &comment : owner.comments())
        visible.insert(comment.get());
    TemplateApplicationTarget scratch;
    scratch.visibleComments = [&] {
        CommentList shown;
        for (const auto &comment : std::as_const(all)) {
            if (visible.contains(comment.get()))
                shown.append(comment);
        }
        return shown;
    };
    scratch.removeAll = [&] { all.removeIf([&](const CommentPtr &c) { return visible.contains(c.get()); }); };
    scratch.removeComments = [&](const CommentList &doomed) { removeCommentsByIdentity(all, doomed); };
    scratch.append = [&](const CommentPtr &comment) { all.append(comment); };
    const qsizetype count = applyTemplate(source, scratch, nullptr);
    owner.replaceAll(all, Expansion::Expand, localizedString("StepApplyTemplate"));
    return count;
}
