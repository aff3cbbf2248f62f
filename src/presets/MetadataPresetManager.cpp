#include "presets/MetadataPresetManager.h"
#include "core/Strings.h"

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

const QString kRootElement = QStringLiteral("MetadataPresets");

// Parses the whole document; false when it is not well-formed. Collects the presets of
// the root element's direct "comment" children, whatever the root is called.
bool parsePresets(const QByteArray &bytes, PresetList &presets)
{
    QXmlStreamReader reader(bytes);
    int depth = 0;
    while (!reader.atEnd()) {
        // Like every metadata file: no document type declaration and no absurd nesting.
        if (MetadataXml::readNextSafely(reader, depth) == QXmlStreamReader::StartElement && depth == 2
            && reader.name() == QLatin1String("comment"))
            presets.append(MetadataPreset::fromXmlAttributes(MetadataXml::holdableAttributes(reader.attributes())));
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
}

MetadataPresetManager::~MetadataPresetManager() = default;

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
    for (const auto &preset : m_metadataPresets)
        titles.append(preset->displayText());
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
        emit presetsReset();
        return LoadResult::NoFile;
    }

    PresetList presets;
    if (!parsePresets(bytes, presets)) {
        qCWarning(lcPresets, "Can't parse Metadata Presets XML");
        setupDefaultPresets();
        emit presetsReset();
        return LoadResult::Malformed;
    }
    m_metadataPresets = presets;
    std::stable_sort(m_metadataPresets.begin(), m_metadataPresets.end(),
        [](const PresetPtr &a, const PresetPtr &b) { return a->compare(*b) < 0; });
    emit presetsReset();
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
        return fail(reasonText(QT_TRANSLATE_NOOP("Reason", "Could not build the presets document")));

    const QFileInfo info(m_presetsFilePath);
    if (!QDir().mkpath(info.absolutePath()))
        return fail(reasonText(QT_TRANSLATE_NOOP("Reason", "Could not create the folder %1")).arg(info.absolutePath()));
    return InterchangeFile::write(m_presetsFilePath, bytes, error);
}

void MetadataPresetManager::tidyMetadataPresets()
{
    QList<qsizetype> rows;
    for (qsizetype i = 0; i < m_metadataPresets.size(); ++i) {
        if (!m_metadataPresets[i]->isValid())
            rows.append(i);
    }
    removeRows(rows);
    emit presetsNeedUpdated();
}

void MetadataPresetManager::restoreDefaultPresets()
{
    m_metadataPresets = defaultPresets();
    emit presetsReset();
    emit presetsNeedUpdated();
}

void MetadataPresetManager::sortPresets()
{
    PresetList sorted = m_metadataPresets;
    std::stable_sort(
        sorted.begin(), sorted.end(), [](const PresetPtr &a, const PresetPtr &b) { return a->compare(*b) < 0; });
    if (sorted == m_metadataPresets)
        return;
    m_metadataPresets = sorted;
    emit presetsReordered();
}

void MetadataPresetManager::appendPreset(const PresetPtr &preset)
{
    insertPresets(m_metadataPresets.size(), { preset });
}

void MetadataPresetManager::insertPresets(qsizetype index, const PresetList &presets)
{
    index = std::clamp<qsizetype>(index, 0, m_metadataPresets.size());
    const qsizetype first = index;
    for (const auto &preset : presets) {
        if (preset)
            m_metadataPresets.insert(index++, preset);
    }
    if (index > first)
        emit presetsInserted(int(first), int(index - first));
}

void MetadataPresetManager::removeRows(const QList<qsizetype> &rows)
{
    // From the last run to the first, so the rows of the runs still to go stay valid.
    qsizetype end = rows.size();
    while (end > 0) {
        qsizetype begin = end - 1;
        while (begin > 0 && rows[begin - 1] == rows[begin] - 1)
            --begin;
        const qsizetype first = rows[begin];
        const qsizetype count = end - begin;
        m_metadataPresets.remove(first, count);
        emit presetsRemoved(int(first), int(count));
        end = begin;
    }
}

void MetadataPresetManager::removePresetsAtIndices(QList<qsizetype> indices)
{
    indices.removeIf([this](qsizetype index) { return index < 0 || index >= m_metadataPresets.size(); });
    std::sort(indices.begin(), indices.end());
    indices.erase(std::unique(indices.begin(), indices.end()), indices.end());
    removeRows(indices);
    emit presetsNeedUpdated();
}

void MetadataPresetManager::removePresets(const PresetList &presets)
{
    QList<qsizetype> indices;
    for (const auto &preset : presets) {
        const qsizetype index = preset ? m_metadataPresets.indexOf(preset) : -1;
        if (index >= 0)
            indices.append(index);
    }
    removePresetsAtIndices(indices);
}

bool MetadataPresetManager::setPresetFields(const PresetPtr &preset, const MetadataPreset &values)
{
    const qsizetype row = preset ? m_metadataPresets.indexOf(preset) : -1;
    if (row < 0)
        return false;
    if (!(*preset == values)) {
        *preset = values;
        emit presetChanged(int(row));
    }
    return true;
}

void MetadataPresetManager::replacePresets(const PresetList &presets)
{
    PresetList list;
    for (const auto &preset : presets) {
        if (preset)
            list.append(preset);
    }
    if (list == m_metadataPresets)
        return;
    m_metadataPresets = list;
    emit presetsReset();
}

void MetadataPresetManager::notifyPresetsChanged()
{
    emit presetsNeedUpdated();
}
