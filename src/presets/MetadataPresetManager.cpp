#include "presets/MetadataPresetManager.h"

#include "interchange/InterchangeFile.h"
#include "interchange/MetadataXml.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QStandardPaths>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>

#include <algorithm>

Q_LOGGING_CATEGORY(lcPresets, "velmora.presets")

namespace {

MetadataPresetManager *g_presetManager = nullptr;

const QString kRootElement = QStringLiteral("MetadataPresets");

// A present attribute, empty value included, as a non-null string; an absent one as null.
QString attributeValue(const QXmlStreamAttributes &attributes, const QString &name)
{
    if (!attributes.hasAttribute(name))
        return QString();
    QString value = attributes.value(name).toString();
    return value.isNull() ? QStringLiteral("") : value;
}

// Parses the whole document; false when it is not well-formed. Collects the presets of
// the root element's direct "comment" children, whatever the root is called.
bool parsePresets(const QByteArray &bytes, PresetList &presets)
{
    QXmlStreamReader reader(bytes);
    int depth = 0;
    while (!reader.atEnd()) {
        const auto token = reader.readNext();
        // Like every metadata file: no document type declaration (so no entity is ever
        // expanded) and no absurd nesting.
        if (token == QXmlStreamReader::DTD)
            return false;
        if (token == QXmlStreamReader::StartElement) {
            if (++depth > MetadataXml::MaxDepth)
                return false;
            if (depth == 2 && reader.name() == QLatin1String("comment")) {
                const auto attributes = reader.attributes();
                auto preset = std::make_shared<MetadataPreset>(attributeValue(attributes, QStringLiteral("keyword")),
                    attributeValue(attributes, QStringLiteral("text")));
                const QString shorthand = attributeValue(attributes, QStringLiteral("shorthand"));
                if (!shorthand.isNull())
                    preset->setShorthand(shorthand);
                presets.append(preset);
            }
        } else if (token == QXmlStreamReader::EndElement) {
            --depth;
        }
    }
    return !reader.hasError();
}

} // namespace

MetadataPresetManager::MetadataPresetManager(QObject *parent)
    : MetadataPresetManager(defaultPresetsFilePath(), parent)
{
}

MetadataPresetManager::MetadataPresetManager(const QString &presetsFilePath, QObject *parent)
    : QObject(parent)
    , m_presetsFilePath(presetsFilePath)
{
    if (!g_presetManager)
        g_presetManager = this;
}

MetadataPresetManager::~MetadataPresetManager()
{
    if (g_presetManager == this)
        g_presetManager = nullptr;
}

MetadataPresetManager *MetadataPresetManager::presetManager()
{
    return g_presetManager;
}

QString MetadataPresetManager::applicationIdentifier()
{
    return QStringLiteral("org.velmora.Velmora");
}

QString MetadataPresetManager::defaultPresetsFilePath()
{
    return QDir(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation))
        .filePath(applicationIdentifier() + QStringLiteral(".MetadataPresets"));
}

PresetList MetadataPresetManager::defaultPresets()
{
    // The keywords the PNG standard predefines for text chunks.
    static const struct
    {
        const char *keyword;
        const char *value;
    } kDefaults[] = {
        { "Author", "%OSUSERNAME%" },
        { "Comment", nullptr },
        { "Copyright", "%OSUSERNAME%, %DATE%" },
        { "Creation Time", "%DATETIME%" },
        { "Description", nullptr },
        { "Disclaimer", nullptr },
        { "Software", nullptr },
        { "Source", nullptr },
        { "Title", "%FILENAME%" },
        { "Warning", nullptr },
    };
    PresetList presets;
    for (const auto &d : kDefaults) {
        presets.append(MetadataPreset::presetWithKeyword(
            QString::fromLatin1(d.keyword), d.value ? QString::fromLatin1(d.value) : QString()));
    }
    return presets;
}

PresetPtr MetadataPresetManager::presetAtIndex(qsizetype index) const
{
    if (index < 0 || index >= m_metadataPresets.size())
        return nullptr;
    return m_metadataPresets.at(index);
}

QStringList MetadataPresetManager::presetMenuTitles() const
{
    QStringList titles;
    titles.reserve(m_metadataPresets.size());
    for (const auto &preset : m_metadataPresets) {
        const QString title = preset->shorthand();
        titles.append(title.isNull() ? QStringLiteral("") : title);
    }
    return titles;
}

MetadataPresetManager::LoadResult MetadataPresetManager::loadMetaDataPresets()
{
    m_metadataPresets.clear();
    if (m_presetsFilePath.isEmpty())
        m_presetsFilePath = defaultPresetsFilePath();

    QByteArray bytes;
    if (!InterchangeFile::read(m_presetsFilePath, &bytes, nullptr)) {
        setupDefaultPresets();
        return LoadResult::NoFile;
    }

    PresetList presets;
    if (!parsePresets(bytes, presets)) {
        qCWarning(lcPresets, "Can't parse Metadata Presets XML");
        setupDefaultPresets();
        return LoadResult::Malformed;
    }
    m_metadataPresets = presets;
    sortPresets();
    return LoadResult::FromFile;
}

void MetadataPresetManager::setupDefaultPresets()
{
    m_metadataPresets.append(defaultPresets());
}

bool MetadataPresetManager::saveMetadataPresets(QString *error) const
{
    const auto fail = [&](const QString &reason) {
        if (error)
            *error = reason;
        return false;
    };

    QByteArray bytes;
    QXmlStreamWriter writer(&bytes);
    writer.setAutoFormatting(true);
    writer.writeStartDocument();
    writer.writeStartElement(kRootElement);
    for (const auto &preset : m_metadataPresets)
        preset->writeXml(writer);
    writer.writeEndElement();
    writer.writeEndDocument();
    if (writer.hasError())
        return fail(QStringLiteral("Could not build the presets document"));

    const QFileInfo info(m_presetsFilePath);
    if (!QDir().mkpath(info.absolutePath()))
        return fail(QStringLiteral("Could not create the folder %1").arg(info.absolutePath()));
    return InterchangeFile::write(m_presetsFilePath, bytes, error);
}

void MetadataPresetManager::tidyMetadataPresets()
{
    m_metadataPresets.removeIf([](const PresetPtr &preset) { return !preset->isValid(); });
    emit presetsNeedUpdated();
}

void MetadataPresetManager::restoreDefaultPresets()
{
    m_metadataPresets.clear();
    setupDefaultPresets();
    emit presetsNeedUpdated();
}

void MetadataPresetManager::sortPresets()
{
    std::stable_sort(m_metadataPresets.begin(), m_metadataPresets.end(),
        [](const PresetPtr &a, const PresetPtr &b) { return a->compare(*b) < 0; });
}

void MetadataPresetManager::appendPreset(const PresetPtr &preset)
{
    if (preset)
        m_metadataPresets.append(preset);
}

void MetadataPresetManager::insertPresets(qsizetype index, const PresetList &presets)
{
    index = std::clamp<qsizetype>(index, 0, m_metadataPresets.size());
    for (const auto &preset : presets) {
        if (preset)
            m_metadataPresets.insert(index++, preset);
    }
}

void MetadataPresetManager::removePresetsAtIndices(QList<qsizetype> indices)
{
    std::sort(indices.begin(), indices.end(), std::greater<>());
    indices.erase(std::unique(indices.begin(), indices.end()), indices.end());
    for (const qsizetype index : indices) {
        if (index >= 0 && index < m_metadataPresets.size())
            m_metadataPresets.removeAt(index);
    }
    emit presetsNeedUpdated();
}

void MetadataPresetManager::notifyPresetsChanged()
{
    emit presetsNeedUpdated();
}
