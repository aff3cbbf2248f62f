#pragma once

#include <QList>
#include <QObject>
#include <QPointer>
#include <QStringList>

class DocumentWindow;

// The application shell, for now: opens one document window per PNG file, and the
// File ▸ Open… dialog of every window. A file that is open already has its window raised
// instead of a second window.
class AppController : public QObject
{
    Q_OBJECT

public:
    explicit AppController(QObject *parent = nullptr);
    ~AppController() override;

    // Opens (or raises) a window per path; returns the windows, in path order.
    QList<DocumentWindow *> openFiles(const QStringList &paths);
    // Asks for PNG files and opens them; false when the user chose none.
    bool openWithDialog();

    QList<DocumentWindow *> windows() const;

private:
    DocumentWindow *windowFor(const QString &path) const;

    QList<QPointer<DocumentWindow>> m_windows;
};
