#pragma once

#include "presets/MetadataPreset.h"

#include <QObject>
#include <QStringList>

// The ordered list of presets the application shares. It is read from the presets file (falling back
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

    // A store on the default presets file (the application controller makes it and hands it
    // to the windows). Nothing is loaded until loadMetaDataPresets().
    explicit MetadataPresetManager(QObject *parent = nullptr);
    // A store on a given presets file (tests, tools).
    explicit MetadataPresetManager(const QString &presetsFilePath, QObject *parent = nullptr);
    ~MetadataPresetManager() override;

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
    // the defaults. Emits presetsReset() only (menus fill themselves when they are made).
    LoadResult loadMetaDataPresets();
    // Appends the ten defaults; does not clear, sort, write or emit (loading uses it).
    void setupDefaultPresets();
    // Writes the whole list atomically (creating the folder if needed). On failure returns
    // false, fills *error and leaves the old file in place.
    bool saveMetadataPresets(QString *error = nullptr) const;
    // Removes every preset without keyword, keeps the order, then emits presetsNeedUpdated().
    void tidyMetadataPresets();
    // The confirmed branch of "restore the defaults": the list becomes exactly the ten
    // defaults, then presetsNeedUpdated(). Nothing is written.
    void restoreDefaultPresets();
    // Sorts by display text, case-insensitively (stable); presetsReordered() when the
    // order changed.
    void sortPresets();

    // Editing, for the preset editor window. Each change is announced to views of the list
    // (presetsInserted, presetsRemoved, presetChanged, presetsReordered, presetsReset).
    // Appending and inserting do not emit presetsNeedUpdated() (the editor announces once
    // per command); removing does.
    void appendPreset(const PresetPtr &preset);
    void insertPresets(qsizetype index, const PresetList &presets);
    void removePresetsAtIndices(QList<qsizetype> indices);
    // Removes those of the presets that are in the list (by identity).
    void removePresets(const PresetList &presets);
    // Gives a preset of the list the fields of values. False when it is not in the list.
    bool setPresetFields(const PresetPtr &preset, const MetadataPreset &values);
    // The whole list becomes presets (undo and redo of the editor); one reset.
    void replacePresets(const PresetList &presets);
    qsizetype indexOfPreset(const PresetPtr &preset) const { return m_metadataPresets.indexOf(preset); }
    // Announces a change made to a preset in place (the end of an edit in the editor).
    void notifyPresetsChanged();

signals:
    // Every preset menu empties itself and fills again from presetMenuTitles().
    void presetsNeedUpdated();
    // For views of the list, after the change: rows inserted or removed, a preset's fields
    // changed, the same presets in a new order, or a new list.
    void presetsInserted(int first, int count);
    void presetsRemoved(int first, int count);
    void presetChanged(int row);
    void presetsReordered();
    void presetsReset();

private:
    // Removes the rows (ascending, no repeats), announcing each run of neighbours.
    void removeRows(const QList<qsizetype> &rows);

    PresetList m_metadataPresets;
    QString m_presetsFilePath;
};
