#include "core/TextMacros.h"

#include "core/PNGinfo.h"

#include <QFileInfo>
#include <QTimeZone>

#include <pwd.h>
#include <unistd.h>

namespace {

std::function<QDateTime()> &clockFunction()
{
    static std::function<QDateTime()> clock;
    return clock;
}

QDateTime now()
{
    const auto &clock = clockFunction();
    return clock ? clock() : QDateTime::currentDateTime();
}

QString colourTypeName(int colourType)
{
    switch (colourType) {
    case 0:
        return QStringLiteral("Greyscale");
    case 2:
        return QStringLiteral("RGB");
    case 3:
        return QStringLiteral("Palette");
    case 4:
        return QStringLiteral("Greyscale + Alpha");
    case 6:
        return QStringLiteral("RGBA");
    default:
        return QStringLiteral("?");
    }
}

QString dateTimeDescription(const QDateTime &moment)
{
    const int offset = moment.offsetFromUtc();
    const int minutes = std::abs(offset) / 60;
    return moment.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss ")) + (offset < 0 ? u'-' : u'+')
        + QStringLiteral("%1%2").arg(minutes / 60, 2, 10, QLatin1Char('0')).arg(minutes % 60, 2, 10, QLatin1Char('0'));
}

QString fileNameWithoutExtension(const QString &path)
{
    const QString name = QFileInfo(path).fileName();
    const qsizetype dot = name.lastIndexOf(u'.');
    return dot > 0 ? name.left(dot) : name;
}

QString macroValue(int index, const PNGinfo &info)
{
    switch (index) {
    case 0:
        return now().date().toString(QStringLiteral("yyyy-MM-dd"));
    case 1:
        return dateTimeDescription(now());
    case 2:
        return fileNameWithoutExtension(info.path);
    case 3:
        return fullUserName();
    case 4:
        return QString::number(info.height);
    case 5:
        return QString::number(info.width);
    case 6:
        return colourTypeName(info.colourType);
    case 7:
        return QString::number(info.bit_depth);
    case 8:
        return info.interlace_method == 1 ? QStringLiteral("Adam7") : QStringLiteral("None");
    case 9:
        if (info.profileName.isNull())
            return QStringLiteral("None");
        return QString::fromUtf8(info.profileName);
    }
    return QString();
}

} // namespace

const QStringList &macroNames()
{
    static const QStringList names = {
        QStringLiteral("%DATE%"),
        QStringLiteral("%DATETIME%"),
        QStringLiteral("%FILENAME%"),
        QStringLiteral("%OSUSERNAME%"),
        QStringLiteral("%HEIGHT%"),
        QStringLiteral("%WIDTH%"),
        QStringLiteral("%COLOURTYPE%"),
        QStringLiteral("%BITDEPTH%"),
        QStringLiteral("%INTERLACE%"),
        QStringLiteral("%COLOURPROFILE%"),
    };
    return names;
}

QString processedTextForPNG(const QString &text, const PNGinfo &info)
{
    if (text.isEmpty())
        return QStringLiteral("");
    QString result = text;
    const QStringList &names = macroNames();
    for (int m = 0; m < names.size(); ++m) {
        const QString &name = names.at(m);
        qsizetype from = 0;
        while ((from = result.indexOf(name, from)) >= 0) {
            const QString value = macroValue(m, info);
            result.replace(from, name.size(), value);
            from += value.size();
        }
    }
    return result;
}

QString fullUserName()
{
    static const QString name = [] {
        QString result;
        struct passwd pwd;
        struct passwd *found = nullptr;
        char buffer[4096];
        if (getpwuid_r(getuid(), &pwd, buffer, sizeof buffer, &found) == 0 && found) {
            // The real name is the first comma-separated field of the account's comment.
            result = QString::fromUtf8(pwd.pw_gecos).section(u',', 0, 0).trimmed();
            if (result.isEmpty())
                result = QString::fromUtf8(pwd.pw_name);
        }
        if (result.isEmpty())
            result = qEnvironmentVariable("USER");
        return result;
    }();
    return name;
}

void setMacroClock(std::function<QDateTime()> clock)
{
    clockFunction() = std::move(clock);
}
