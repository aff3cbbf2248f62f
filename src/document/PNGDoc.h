#pragma once

#include "commentlist/CommentListOwner.h"
#include "core/ImageSummary.h"
#include "core/PNGComment.h"
#include "core/PNGRows.h"
#include "core/PNGWriter.h"
#include "core/PNGinfo.h"
#include "document/DocumentError.h"
#include "provenance/PrivacyFacts.h"
#include "provenance/StripPlan.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <memory>

class PreviewLoader;
class QThreadPool;
class SourceFile;

// One open PNG file: its image record, the file as read and its comments, the search filter that
// narrows the comments to the arranged list, and the modified state. Row numbers are
// positions in the arranged list (the comments whose keyword contains the search text).
//
// The comment list is edited through the operations of CommentListOwner: texts typed or
// taken from presets, templates, imports and the XML clipboard form are expanded against
// this image. The document is modified exactly when its undo history is away from the
// state last read or saved. Loading replaces all comments and forgets the history; saving
// writes all comments, including those the search filter hides.
class PNGDoc : public CommentListOwner
{
    Q_OBJECT

public:
    explicit PNGDoc(QObject *parent = nullptr);
    ~PNGDoc() override;

    // --- The file ---------------------------------------------------------------------

    // Names the document's file (made absolute); nothing is read. False for an empty path.
    bool readFromPath(const QString &path);
    QString path() const { return m_info.path; }

    // Reads path() into the record and the comments, without decoding the image: the rows
    // stay undecoded (the file's image data is written back as it is; a save that re-encodes
    // decodes them then). On success every comment
    // is replaced by the file's and the history is forgotten. On failure (false, *error the
    // reason) the comments and the history stay as they were; an image read before stays
    // too (record, rows and summary), so the document can still be saved. Without one the
    // record is zero apart from the path, the summary shows the load-failed lines and the
    // comments are those read before the damage (textBeforeDamage()).
    bool loadPNG(QString *error = nullptr);
    bool isLoaded() const { return m_loaded; }
    ImageSummary summary() const { return m_summary; }
    const PNGinfo &info() const { return m_info; }
    const PNGRows &rows() const { return m_rows; }
    // The file as read (null before a successful load), for the picture's decode: a large
    // file's image data stay in the file, read again (and refused if it changed since).
    std::shared_ptr<const SourceFile> file() const;

    // Whether the image data of the file as read is sound. The decode of the picture checks
    // it and reports here (setImageDataChecked()); startImageDataCheck() checks it when no
    // report came yet. Empty: sound (or, before a check, not known); otherwise why it is
    // damaged. A load forgets the result.
    bool isImageDataChecked() const { return m_imageDataChecked; }
    QString imageDataDamage() const { return m_imageDataDamage; }
    void setImageDataChecked(const QString &damage);
    // Decodes every row of the file as read into nothing, on a thread of checkThreadPool()
    // (the worker holds the file, not the document): imageDataCheckProgress() while it runs,
    // imageDataChecked() with the result, then imageDataCheckEnded(). A decode that fails for
    // another reason than the data (its memory, a file changed since) proves nothing: only
    // imageDataCheckEnded() comes, and the data stays unchecked. False, nothing started, when
    // the result is known or there is no image; a check already running goes on.
    // cancelImageDataCheck(), a load and the document's destruction stop it: nothing comes.
    bool startImageDataCheck();
    void cancelImageDataCheck();
    bool isCheckingImageData() const;
    static QThreadPool *checkThreadPool();

    // Direct save to path(); the modified state is left alone. False with the reason when
    // the file could not be written (it is then unchanged, as is the comment list).
    //
    // Every save writes the comments that can be written and skips the others (whyUnwritable():
    // a keyword Latin-1 cannot hold, a text holding NUL), which stay in the list;
    // skippedEntries() then names them.
    bool saveImage(QString *error = nullptr);
    // A save that re-encodes the image (writeOptions().recompress) decodes the rows first and
    // fails, writing nothing, when they cannot be decoded.
    //
    // Save to a location (the document's own or another): on success path() becomes that
    // location and the document is unmodified, unless entries were skipped (the file then
    // lacks them, so the document stays modified). On failure path() and the comments are
    // unchanged and *error holds domain "Velmora", code 27 and the reason.
    bool saveTo(const QString &path, DocumentError *error = nullptr);
    // The entries the last successful save left out, each as the reason (whyUnwritable()).
    QStringList skippedEntries() const { return m_skipped; }
    // Reads the file again; on success the document is unmodified. On failure as loadPNG:
    // the image read before, the edited comments and the modified state are kept.
    bool revert(QString *error = nullptr);

    PNGWriteOptions writeOptions() const { return m_writeOptions; }
    void setWriteOptions(const PNGWriteOptions &options) { m_writeOptions = options; }

    bool isModified() const { return !undoStack()->isClean(); }
    // false: the current state counts as saved; true: no state does any more.
    void setModified(bool modified);

    // --- Removing metadata ------------------------------------------------------------

    // What Remove Metadata offers: every text entry and every removable chunk of the file as
    // read that is still to be written, chosen as the default rules say (StripRules: content
    // credentials not chosen), with descriptions.
    StripPlan removalPlan() const;
    // Removes the chosen items of a plan in one step of the undo history: the chosen entries
    // leave the list, the chosen chunks are left out of every save from now on. False,
    // nothing changed, when nothing chosen is still there.
    bool removeMetadata(const StripPlan &plan);
    // The chunks of the file as read that a save leaves out (indices into its chunk list).
    QList<qsizetype> leftOutChunks() const { return m_leftOutChunks; }
    // What the document would give away if saved now.
    PrivacyFacts privacyFacts() const;

    // --- Search filter ----------------------------------------------------------------

    QString searchText() const { return m_searchText; }
    // The text as typed; the filter is that text without leading and trailing tabs and
    // space separators. An empty filter shows every comment.
    void setSearchText(const QString &text);
    static QString trimmedSearchText(const QString &text);
    bool isFiltered() const override { return !m_filter.isEmpty(); }
    // Whether a comment passes a (trimmed) filter: its keyword contains the filter, or with
    // inTexts its text does, ignoring case. A comment without keyword passes only the empty
    // filter.
    static bool passesFilter(const PNGComment &comment, const QString &filter, bool inTexts = false);
    // Whether the filter looks in the texts too (Search in Texts); off at first.
    bool searchesInTexts() const { return m_searchInTexts; }
    void setSearchInTexts(bool on);

    // --- Expansion policy: texts expand against this image. ---------------------------
    const PNGinfo *expansionInfo() const override { return &m_info; }

signals:
    void searchTextChanged(const QString &text);
    void searchInTextsChanged(bool on);
    void modifiedChanged(bool modified);
    void pathChanged(const QString &path);
    // The summary lines changed (after every load, failed or not).
    void summaryChanged();
    void loaded();
    void loadFailed(const QString &reason);
    // The image data was checked (setImageDataChecked(), startImageDataCheck()).
    void imageDataChecked(const QString &damage);
    void imageDataCheckProgress(int percent);
    void imageDataCheckEnded();
    void saved();
    // The chunks left out changed (a removal, its undo or redo, a load).
    void leftOutChunksChanged();

protected:
    bool isArranged(const PNGComment &comment) const override
    {
        return passesFilter(comment, m_filter, m_searchInTexts);
    }
    // A comment that enters the list is never hidden: a filter that would hide it goes.
    void revealComments(const CommentList &entering) override;

private:
    class LeaveOutEdit;

    bool write(const QString &path, QString *error);
    void setLeftOutChunks(const QList<qsizetype> &chunks);

    PNGinfo m_info;
    PNGRows m_rows;
    QString m_searchText;
    QString m_filter;
    bool m_searchInTexts = false;
    ImageSummary m_summary;
    PNGWriteOptions m_writeOptions;
    QStringList m_skipped;
    bool m_loaded = false;
    bool m_imageDataChecked = false;
    QString m_imageDataDamage;
    PreviewLoader *m_imageCheck = nullptr;
    QList<qsizetype> m_leftOutChunks;
};
