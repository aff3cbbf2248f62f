#pragma once

#include "presets/MetadataPreset.h"

#include <QObject>
#include <QStringList>

// The one shared, ordered list of presets. It is read from the presets file (falling back
// to the ten keywords the PNG standard predefines), written back when the preset editor
// closes, and announces every change of the list that preset menus must follow with
// presetsNeedUpdated().
//
// The presets file is "org.velmora.Velmora.MetadataPresets" in the per-user generic
// configuration folder (QStandardPaths::GenericConfigLocation, ~/.config on Linux).
class MetadataPresetManager : public QObject
{
    Q_OBJECT

public:
    enum class LoadResult {
        FromFile, // the file was read (possibly holding no preset at all)
        NoFile, // the file could not be read: the defaults
        Malformed, // the file is not well-formed XML: the defaults
    };

    // A store on the default presets file. The first store created becomes the shared one.
    // Nothing is loaded until loadMetaDataPresets().
    explicit MetadataPresetManager(QObject *parent = nullptr);
    // A store on a given presets file (tests, tools).
    explicit MetadataPresetManager(const QString &presetsFilePath, QObject *parent = nullptr);
    ~MetadataPresetManager() override;

    // The shared store, or nullptr when none exists.
    static MetadataPresetManager *presetManager();
    static QString applicationIdentifier();
    static QString defaultPresetsFilePath();
    // The ten default presets, in their fixed order.
    static PresetList defaultPresets();

    QString presetsFilePath() const { return m_presetsFilePath; }

    const PresetList &metadataPresets() const { return m_metadataPresets; }
    qsizetype count() const { return m_metadataPresets.size(); }
    // The preset at index, or nullptr for any index outside the list (-1 included).
    PresetPtr presetAtIndex(qsizetype index) const;
    // One title per preset, in list order: what fills a preset menu (item position = index).
    QStringList presetMenuTitles() const;

    // Replaces the list from the presets file and sorts it. An unreadable file gives the
    // defaults silently; a malformed one logs "Can't parse Metadata Presets XML" and gives
    // the defaults. Emits nothing.
    LoadResult loadMetaDataPresets();
    // Appends the ten defaults; does not clear, sort, write or emit.
    void setupDefaultPresets();
    // Writes the whole list atomically (creating the folder if needed). On failure returns
    // false, fills *error and leaves the old file in place.
    bool saveMetadataPresets(QString *error = nullptr) const;
    // Removes every preset without keyword, keeps the order, then emits presetsNeedUpdated().
    void tidyMetadataPresets();
    // The confirmed branch of "restore the defaults": the list becomes exactly the ten
    // defaults, then presetsNeedUpdated(). Nothing is written.
    void restoreDefaultPresets();
    // Sorts by display text, case-insensitively (stable).
    void sortPresets();

    // Editing, for the preset editor window. Appending and inserting emit nothing (the
    // editor sorts and announces after its delayed refresh); removing emits.
    void appendPreset(const PresetPtr &preset);
    void insertPresets(qsizetype index, const PresetList &presets);
    void removePresetsAtIndices(QList<qsizetype> indices);
    // Announces a change made to a preset in place (the end of an edit in the editor).
    void notifyPresetsChanged();

signals:
    // Every preset menu empties itself and fills again from presetMenuTitles().
    void presetsNeedUpdated();

private:
    PresetList m_metadataPresets;
    QString m_presetsFilePath;
};
