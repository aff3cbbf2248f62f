#pragma once

#include <QByteArray>
#include <QString>

#include <vector>

#include <sys/stat.h>

// The bytes of a file as it was read, for the save that splices it and the picture's decode:
// held in memory whole, or held in part (a large PNG file read from the disk keeps everything
// but its image data) with the rest read again from the file, which stays open for it. The
// file is then the one that was read even if another replaced it since; one changed in place
// since (another size or time of change) is refused with a reason, never read from.
//
// Immutable once made: safe to read from several threads.
class SourceFile
{
public:
    // Every byte held.
    explicit SourceFile(QByteArray whole);
    // Takes the descriptor of an open file and what fstat() said of it before it was read.
    // held holds the ranges of the file named by runs, one after the other, in file order.
    struct Run
    {
        qint64 offset = 0; // in the file
        qint64 length = 0;
    };
    SourceFile(int descriptor, const struct stat &asRead, QByteArray held, std::vector<Run> runs);
    ~SourceFile();
    SourceFile(const SourceFile &) = delete;
    SourceFile &operator=(const SourceFile &) = delete;

    qint64 size() const { return m_size; }
    bool isWhollyHeld() const { return m_fd < 0; }
    // The bytes [offset, offset + length) where they are held in one piece, else null.
    const char *held(qint64 offset, qint64 length) const;
    // Copies the bytes [offset, offset + length) into out, reading from the file what is not
    // held. False with the reason when they cannot be read or the file changed.
    bool read(qint64 offset, qint64 length, char *out, QString *error) const;
    // The open file the bytes not held come from (-1: all are held), for copies the system
    // makes; unchanged() afterwards tells whether what was copied is what was read.
    int descriptor() const { return m_fd; }
    // False with the reason when the file was changed since it was read.
    bool unchanged(QString *error) const;
    // Every byte, in memory (for the library's decode of the whole image). May throw std::bad_alloc.
    bool readAll(QByteArray *out, QString *error) const;

private:
    // The index of the last run that starts at or before offset, or -1.
    qsizetype runBefore(qint64 offset) const;

    QByteArray m_held;
    std::vector<Run> m_runs;
    std::vector<qint64> m_heldAt; // each run's start in m_held
    qint64 m_size = 0;
    int m_fd = -1;
    qint64 m_modifiedSeconds = 0;
    qint64 m_modifiedNanoseconds = 0;
};
