#pragma once

#include <QString>

// Why a document could not be saved: the error the save dialog shows. Every save failure
// of a document has the domain "Velmora" and the code 27; reason says what went wrong.
struct DocumentError
{
    static constexpr int SaveFailedCode = 27;

    QString domain = QStringLiteral("Velmora");
    int code = SaveFailedCode;
    QString reason;
};
