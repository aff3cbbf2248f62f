#include "presets/MetadataPreset.h"

#include "core/TextMacros.h"
#include "interchange/MetadataXml.h"

#include <QXmlStreamAttributes>
#include <QXmlStreamWriter>

MetadataPreset::MetadataPreset(const QString &keyword, const QString &value)
    : m_keyword(keyword)
    , m_value(value)
{
}

std::shared_ptr<MetadataPreset> MetadataPreset::presetWithKeyword(const QString &keyword, const QString &value)
{
    return std::make_shared<MetadataPreset>(keyword, value);
}

void MetadataPreset::setKeyword(const QString &keyword)
{
    m_keyword = PNGComment::truncatedKeyword(keyword);
}

QString MetadataPreset::displayText() const
{
    const QString text = shorthand();
    return text.isNull() ? QStringLiteral("") : text;
}

QString MetadataPreset::shorthand() const
{
    if (!m_shorthand.isNull())
        return m_shorthand;
    if (m_keyword.isEmpty())
        return QString();

    const QString &k = m_keyword;
    const QString &v = m_value;
    const qsizetype kl = k.size();
    const qsizetype vl = v.size();
    const QString dots = QStringLiteral("...");
    const QString separator = QStringLiteral(" : ");

    if (kl > MaxDerivedShorthandLength)
        return k.left(MaxDerivedShorthandLength - 3) + dots;
    if (vl == 0)
        return k;
    if (kl + vl <= 36)
        return k + separator + v;
    if (kl <= 33)
        return k + separator + v.left(34 - kl) + dots;
    // A keyword of 34 to 40 code units leaves little room for the value.
    if (vl > 15)
        return k.left(16) + dots + separator + v.left(15) + dots;
    return k.left(30) + dots + separator + v.left(1) + dots;
}

QString MetadataPreset::exportValue() const
{
    return m_value.isNull() ? QStringLiteral("") : m_value;
}

int MetadataPreset::compare(const MetadataPreset &other) const
{
    return QString::compare(shorthand(), other.shorthand(), Qt::CaseInsensitive);
}

void MetadataPreset::writeXml(QXmlStreamWriter &writer) const
{
    // A character XML cannot carry (a control character, an unpaired surrogate) is written
    // as U+FFFD, as in template files; otherwise one preset would stop every save.
    writer.writeEmptyElement(QStringLiteral("comment"));
    writer.writeAttribute(
        QStringLiteral("keyword"), m_keyword.isNull() ? QStringLiteral("") : MetadataXml::holdable(m_keyword));
    writer.writeAttribute(QStringLiteral("text"), MetadataXml::holdable(exportValue()));
    if (!m_shorthand.isNull())
        writer.writeAttribute(QStringLiteral("shorthand"), MetadataXml::holdable(m_shorthand));
}

std::shared_ptr<MetadataPreset> MetadataPreset::fromXmlAttributes(const QXmlStreamAttributes &attributes)
{
    // A present attribute, empty value included, as a non-null string; an absent one as null.
    const auto value = [&attributes](const QString &name) {
        if (!attributes.hasAttribute(name))
            return QString();
        const QString text = attributes.value(name).toString();
        return text.isNull() ? QStringLiteral("") : text;
    };
    auto preset = std::make_shared<MetadataPreset>(value(QStringLiteral("keyword")), value(QStringLiteral("text")));
    const QString shorthand = value(QStringLiteral("shorthand"));
    if (!shorthand.isNull())
        preset->setShorthand(shorthand);
    return preset;
}

QString MetadataPreset::xml() const
{
    QString out;
    QXmlStreamWriter writer(&out);
    writeXml(writer);
    // The writer closes an empty element only when something follows it.
    writer.writeCharacters(QString());
    return out;
}

CommentPtr MetadataPreset::newComment(const PNGinfo &info) const
{
    auto comment = std::make_shared<PNGComment>();
    comment->setKeyword(m_keyword);
    comment->setText(processedTextForPNG(m_value, info));
    return comment;
}

CommentPtr MetadataPreset::unprocessedComment() const
{
    auto comment = std::make_shared<PNGComment>();
    comment->setKeyword(m_keyword);
    comment->setText(m_value);
    return comment;
}

QVariantMap MetadataPreset::encode() const
{
    QVariantMap map;
    if (!m_keyword.isNull())
        map.insert(QStringLiteral("keyword"), m_keyword);
    if (!m_value.isNull())
        map.insert(QStringLiteral("text"), m_value);
    if (!m_shorthand.isNull())
        map.insert(QStringLiteral("shorthand"), m_shorthand);
    return map;
}

std::shared_ptr<MetadataPreset> MetadataPreset::decode(const QVariantMap &map)
{
    auto preset = std::make_shared<MetadataPreset>();
    const auto field = [&](const char *key) {
        const auto it = map.constFind(QLatin1String(key));
        return it == map.constEnd() ? QString() : it->toString();
    };
    preset->m_keyword = field("keyword");
    preset->m_value = field("text");
    preset->m_shorthand = field("shorthand");
    return preset;
}
