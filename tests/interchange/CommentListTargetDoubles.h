#pragma once

#include "TestSupport.h"
#include "core/PNGinfo.h"
#include "core/TextMacros.h"
#include "interchange/CommentListTarget.h"

#include <QFile>
#include <QMetaType>
#include <QStringList>
#include <QTest>

// Stand-ins for the three owners of comment lists, keeping the whole list in `all`.
// Document: a keyword filter makes interchangeComments() a view onto `all`, texts to expand
// expand against `info`. Batch, template: the whole list, texts kept as read. Misuse of the
// interface aborts the test.
class TestTarget : public CommentListTarget
{
public:
    enum Kind { Document, Batch, Template };
    explicit TestTarget(Kind kind, const QStringList &pairs = {}) // pairs: the comments it starts with
        : kind(kind)
        , all(TestSupport::commentsFrom(pairs))
    {
        info.path = QStringLiteral("/pictures/sunset.png"), info.width = 640;
    }

    bool passes(const CommentPtr &c) const
    {
        return kind != Document || filter.isEmpty() || c->keyword().contains(filter, Qt::CaseInsensitive);
    }
    CommentList interchangeComments() const override
    {
        CommentList visible;
        std::copy_if(all.cbegin(), all.cend(), std::back_inserter(visible), [this](auto &c) { return passes(c); });
        return visible;
    }
    void insertInterchangeComments(qsizetype position, const CommentList &comments, Expansion expansion) override
    {
        const CommentList visible = interchangeComments();
        if (position < 0 || position > visible.size() || comments.isEmpty())
            qFatal("insertInterchangeComments(%lld) outside 0…%lld or empty", qlonglong(position),
                qlonglong(visible.size()));
        qsizetype at = position == visible.size() ? all.size() : all.indexOf(visible[position]);
        for (const auto &c : comments) {
            if (kind == Document && expansion == Expansion::Expand)
                c->setText(processedTextForPNG(c->text(), info));
            all.insert(at++, c);
        }
    }
    void removeInterchangeComments(const CommentList &comments) override
    {
        for (const auto &c : comments)
            if (!passes(c) || !all.removeOne(c))
                qFatal("removeInterchangeComments given a comment outside the list");
    }

    Kind kind;
    PNGinfo info;
    QString filter;
    CommentList all;
};
Q_DECLARE_METATYPE(TestTarget::Kind)

// Makes path hold a bad input: "@huge" a 100 MB file, "@missing" nothing, anything else
// those bytes.
inline bool makeBadInput(const QString &path, const QByteArray &content)
{
    QFile::remove(path);
    QFile file(path);
    if (content == "@missing")
        return true;
    return file.open(QIODevice::WriteOnly)
        && (content == "@huge" ? file.resize(qint64(100) << 20) : file.write(content) == content.size());
}
