#include "batch/BatchReport.h"

#include "core/Strings.h"

BatchReport::BatchReport(const QList<BatchRun::FileResult> &results, bool cancelled)
    : m_total(int(results.size()))
    , m_cancelled(cancelled)
{
    for (const BatchRun::FileResult &result : results) {
        if (result.ok) {
            ++m_succeeded;
            m_unchanged += result.unchanged ? 1 : 0;
        } else if (result.cancelled) {
            m_notProcessed.append(result.path);
        } else {
            m_failures.append(result);
        }
    }
}

QString BatchReport::tally() const
{
    QString tally = QStringLiteral("%1 of %2 files processed").arg(m_succeeded).arg(m_total);
    if (m_unchanged > 0)
        tally += QStringLiteral(" (%1 with nothing to remove, left as they were)").arg(m_unchanged);
    return tally;
}

QString BatchReport::title() const
{
    return localizedString(m_cancelled ? "ProcessingCancelled" : "ProcessingComplete");
}

QString BatchReport::headline() const
{
    return localizedString("FilesSuccessfullyProcessed", m_succeeded);
}

QString BatchReport::summary() const
{
    QStringList lines { headline(), localizedString("BatchFilesTotal").arg(m_total) };
    if (m_unchanged > 0)
        lines << localizedString("BatchFilesUnchanged").arg(m_unchanged);
    if (!m_failures.isEmpty())
        lines << localizedString("BatchFilesFailed").arg(m_failures.size());
    if (!m_notProcessed.isEmpty())
        lines << localizedString("BatchFilesNotProcessed").arg(m_notProcessed.size());
    return lines.join(u'\n');
}

QString BatchReport::details() const
{
    QStringList sections;
    if (!m_failures.isEmpty()) {
        QStringList lines { localizedString("BatchFailedFilesHeading") };
        for (const BatchRun::FileResult &failure : m_failures)
            lines << localizedString("BatchFailedFile").arg(failure.path, shownText(failure.error));
        sections << lines.join(u'\n');
    }
    if (!m_notProcessed.isEmpty())
        sections << (QStringList { localizedString("BatchNotProcessedHeading") } + m_notProcessed).join(u'\n');
    return sections.join(QStringLiteral("\n\n"));
}

QString BatchReport::text() const
{
    const QString more = details();
    return more.isEmpty() ? summary() : summary() + QStringLiteral("\n\n") + more;
}
