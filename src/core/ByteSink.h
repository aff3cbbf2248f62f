#pragma once

#include <QByteArray>
#include <QString>

class SourceFile;

// Where a writer's bytes go: a file written beside its target (AtomicFileWriter) or memory
// (MemorySink), so that one splice serves a save and a pipe alike.
//
// Error contract: write() and copyFrom() return false once anything failed; errorString()
// then says why. cancel() drops what was written (a file is removed).
class ByteSink
{
public:
    virtual ~ByteSink() = default;
    virtual bool write(const char *data, qint64 length) = 0;
    // Writes length bytes of the file as read from offset: read through memory here; a file
    // sink has the system copy them where it can.
    virtual bool copyFrom(const SourceFile &file, qint64 offset, qint64 length);
    virtual QString errorString() const = 0;
    virtual void cancel() { }

protected:
    // Records why a copy failed (errorString() then says it).
    virtual void setErrorString(const QString &reason) = 0;
};

// A sink that collects the bytes in memory.
class MemorySink : public ByteSink
{
public:
    // Room for expected bytes is taken at once (the size of the file the splice reads from).
    explicit MemorySink(qint64 expected = 0) { m_bytes.reserve(qsizetype(expected)); }
    bool write(const char *data, qint64 length) override;
    QString errorString() const override { return m_error; }
    void cancel() override { m_bytes.clear(); }
    const QByteArray &bytes() const { return m_bytes; }

protected:
    void setErrorString(const QString &reason) override { m_error = reason; }

private:
    QByteArray m_bytes;
    QString m_error;
};
