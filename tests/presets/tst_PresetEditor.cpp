#include "interchange/PasteboardFormats.h"
#include "presets/MetadataPresetManager.h"
#include "presets/PresetEditor.h"

#include <QMimeData>
#include <QTemporaryDir>
#include <QtTest>

#include "TestSupport.h"

namespace {

using Field = PresetEditor::Field;

const QStringList kDefaultTitles = { "Author : %OSUSERNAME%", "Comment", "Copyright : %OSUSERNAME%, %DATE%",
    "Creation Time : %DATETIME%", "Description", "Disclaimer", "Software", "Source", "Title : %FILENAME%", "Warning" };

QStringList keywords(const MetadataPresetManager &store)
{
    QStringList result;
    for (const auto &preset : store.metadataPresets())
        result << (preset->keyword().isNull() ? QStringLiteral("∅") : preset->keyword());
    return result;
}

QStringList fields(const PresetEditor &editor)
{
    return { editor.fieldText(Field::Keyword), editor.fieldText(Field::Value), editor.fieldText(Field::Shorthand) };
}

QMimeData *textMime(const QString &text)
{
    auto *mime = new QMimeData;
    mime->setData(NSTabularTextPboardType, text.toUtf8());
    return mime;
}

} // namespace

class tst_PresetEditor : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        m_store = std::make_unique<MetadataPresetManager>(m_dir->filePath(QStringLiteral("presets")));
        QCOMPARE(m_store->loadMetaDataPresets(), MetadataPresetManager::LoadResult::NoFile);
        m_editor = std::make_unique<PresetEditor>(m_store.get());
    }
    void cleanup()
    {
        m_editor.reset();
        m_store.reset();
    }

    void selectionStep_data()
    {
        QTest::addColumn<QList<int>>("rows");
        QTest::addColumn<int>("current");
        QTest::addColumn<QString>("expected"); // the current preset's keyword; empty: none

        QTest::newRow("one row") << QList<int> { 2 } << -1 << "Copyright";
        QTest::newRow("the row named current") << QList<int> { 1, 4 } << 1 << "Comment";
        QTest::newRow("else the highest") << QList<int> { 4, 1 } << 7 << "Description";
        QTest::newRow("past the end") << QList<int> { 10 } << 10 << "";
        QTest::newRow("negative") << QList<int> { -1 } << -1 << "";
    }
    void selectionStep()
    {
        QFETCH(QList<int>, rows);
        QFETCH(int, current);
        QFETCH(QString, expected);

        m_editor->setSelection({ 2 });
        m_editor->setSelection(rows, current);
        // No preset: the fields are disabled and keep what they showed.
        const PresetPtr preset = m_editor->currentPreset();
        QCOMPARE(preset ? preset->keyword() : QString(), expected);
        QCOMPARE(m_editor->fieldsEnabled(), bool(preset));
        QCOMPARE(m_editor->fieldText(Field::Keyword), preset ? expected : u"Copyright"_qs);
        QList<int> sorted = preset ? rows : QList<int>();
        std::sort(sorted.begin(), sorted.end());
        QCOMPARE(m_editor->selectedRows(), sorted);
    }

    void sortedEditStaysSelected()
    {
        // Author (row 0) becomes Zed and is sorted to the end: it stays the selected and the
        // current preset, so Delete removes Zed and nothing else.
        m_editor->setSelection({ 0 });
        const PresetPtr author = m_editor->currentPreset();
        QSignalSpy menus(m_store.get(), &MetadataPresetManager::presetsNeedUpdated);
        m_editor->endEditing(Field::Keyword, QStringLiteral("Zed"));
        QCOMPARE(menus.count(), 1);
        QCOMPARE(keywords(*m_store).last(), u"Zed"_qs);
        QCOMPARE(m_editor->currentPreset(), author);
        QCOMPARE(m_editor->selectedRows(), QList<int> { 9 });
        QCOMPARE(m_editor->currentRow(), 9);
        QCOMPARE(m_editor->fieldText(Field::Shorthand), u"Zed : %OSUSERNAME%"_qs);

        QVERIFY(m_editor->deleteSelection());
        QCOMPARE(m_store->presetMenuTitles(), kDefaultTitles.mid(1));
        // As a table keeps its row: nothing is past the end, so nothing is selected now.
        QCOMPARE(m_editor->currentPreset(), nullptr);
        QVERIFY(!m_editor->deleteSelection());
        QCOMPARE(m_store->count(), 9);
    }

    void endEditing_data()
    {
        QTest::addColumn<int>("field");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("preset"); // keyword, value, stored display text (∅: none)
        QTest::addColumn<QStringList>("shown"); // the three fields afterwards
        QTest::addColumn<int>("steps");

        // Row 2 of the defaults: Copyright, "%OSUSERNAME%, %DATE%".
        const QString value = QStringLiteral("%OSUSERNAME%, %DATE%"), shown = u"Copyright : "_qs + value;
        const auto row = [&](const char *name, Field field, const QString &text, const QStringList &preset,
                             const QString &shorthand, int steps) {
            QTest::newRow(name) << int(field) << text << preset << QStringList { preset[0], preset[1], shorthand }
                                << steps;
        };
        row("keyword: new display text", Field::Keyword, u"Rights"_qs, { "Rights", value, "∅" },
            u"Rights : %OSUSERNAME%, %DATE%"_qs, 1);
        row("emptied keyword: the display text field keeps its text", Field::Keyword, u""_qs, { "", value, "∅" }, shown,
            1);
        row("value: new display text", Field::Value, u"me"_qs, { "Copyright", "me", "∅" }, u"Copyright : me"_qs, 1);
        row("display text stored as typed", Field::Shorthand, u"(c)"_qs, { "Copyright", value, "(c)" }, u"(c)"_qs, 1);
        row("unchanged keyword: no step", Field::Keyword, u"Copyright"_qs, { "Copyright", value, "∅" }, shown, 0);
    }
    void endEditing()
    {
        QFETCH(int, field);
        QFETCH(QString, text);
        QFETCH(QStringList, preset);
        QFETCH(int, steps);

        m_editor->setSelection({ 2 });
        const PresetPtr edited = m_editor->currentPreset();
        m_editor->endEditing(Field(field), text);
        QCOMPARE(m_editor->currentPreset(), edited);
        const QString stored = edited->hasStoredShorthand() ? edited->storedShorthand() : u"∅"_qs;
        QCOMPARE(QStringList({ edited->keyword(), edited->value(), stored }), preset);
        QTEST(fields(*m_editor), "shown");
        QCOMPARE(m_editor->undoStack()->count(), steps);
        // The menus show the edit (the sort after it is sortedEditStaysSelected's).
        QCOMPARE(m_store->presetMenuTitles().indexOf(edited->shorthand()), m_editor->currentRow());

        // Without a current preset an edit is ignored.
        m_editor->setSelection({});
        m_editor->endEditing(Field(field), QStringLiteral("ignored"));
        QCOMPARE(m_editor->undoStack()->count(), steps);
    }

    void newPresetWaitsAtTheEndAndIsTidied()
    {
        QSignalSpy menus(m_store.get(), &MetadataPresetManager::presetsNeedUpdated);
        m_editor->setSelection({ 3 });
        m_editor->newPreset();
        QCOMPARE(menus.count(), 1);
        QCOMPARE(m_store->count(), 11);
        QCOMPARE(m_editor->currentRow(), 10);
        QVERIFY(m_editor->fieldsEnabled());
        QCOMPARE(fields(*m_editor), QStringList({ "", "", "" }));

        // Closing drops it: a preset without keyword is never written.
        QString error;
        QVERIFY2(m_editor->finishEditing(&error), qPrintable(error));
        QCOMPARE(m_store->presetMenuTitles(), kDefaultTitles);
        QCOMPARE(m_editor->currentPreset(), nullptr);
        QCOMPARE(TestSupport::readFile(m_store->presetsFilePath()).count("<comment "), 10);
        QVERIFY(!m_editor->undoStack()->canUndo());

        // Once it has a keyword it is sorted into place and kept.
        m_editor->newPreset();
        m_editor->endEditing(Field::Keyword, QStringLiteral("Artist"));
        QCOMPARE(keywords(*m_store).mid(0, 2), QStringList({ "Artist", "Author" }));
        QCOMPARE(m_editor->currentRow(), 0);
    }

    void pasteIsSortedATenthLater_data()
    {
        QTest::addColumn<QByteArray>("type");
        QTest::addColumn<QByteArray>("data");
        QTest::addColumn<QStringList>("inserted"); // display texts in paste order
        QTest::newRow("two lines of tabular text")
            << QByteArray(NSTabularTextPboardType.data()) << QByteArray("Zeta\tz\nAlpha\tone\ttwo")
            << QStringList { "Zeta : z", "Alpha : one\ttwo" };
        QTest::newRow("XML with a stored display text")
            << QByteArray(PasteboardMetadataXML.data())
            << QByteArray("<PasteboardMetadataXML><comment keyword=\"Zeta\" text=\"z\" shorthand=\"\"/>"
                          "<other keyword=\"Alpha\"/></PasteboardMetadataXML>")
            << QStringList { "", "Alpha" };
        QTest::newRow("XML that does not parse")
            << QByteArray(PasteboardMetadataXML.data()) << QByteArray("<PasteboardMetadataXML><comm") << QStringList();
    }
    void pasteIsSortedATenthLater()
    {
        QFETCH(QByteArray, type);
        QFETCH(QByteArray, data);
        QFETCH(QStringList, inserted);

        m_editor->setSelection({ 2 });
        QMimeData mime;
        mime.setData(QString::fromLatin1(type), data);
        if (inserted.isEmpty())
            QTest::ignoreMessage(QtWarningMsg, QRegularExpression("^Pasted metadata XML not read"));
        QSignalSpy menus(m_store.get(), &MetadataPresetManager::presetsNeedUpdated);
        QVERIFY(m_editor->paste(&mime));
        QVERIFY(m_editor->refreshPending());
        QStringList expected = kDefaultTitles;
        for (int i = 0; i < inserted.size(); ++i)
            expected.insert(2 + i, inserted[i]);
        // Inserted at the selected row, in paste order, selected, and announced at once.
        QCOMPARE(m_store->presetMenuTitles(), expected);
        QCOMPARE(menus.count(), inserted.isEmpty() ? 0 : 1);
        const PresetList pasted = inserted.isEmpty() ? PresetList() : m_store->metadataPresets().mid(2, 2);
        if (!inserted.isEmpty()) {
            QCOMPARE(m_editor->selectedRows(), QList<int>({ 2, 3 }));
            QCOMPARE(m_editor->currentPreset(), pasted.last());
        }

        QTRY_VERIFY_WITH_TIMEOUT(!m_editor->refreshPending(), 1000);
        std::stable_sort(expected.begin(), expected.end(),
            [](const QString &a, const QString &b) { return a.compare(b, Qt::CaseInsensitive) < 0; });
        QCOMPARE(m_store->presetMenuTitles(), expected);
        QCOMPARE(menus.count(), inserted.isEmpty() ? 1 : 2);
        // The pasted presets are still the selected ones where the sort put them.
        for (const auto &preset : pasted)
            QVERIFY(m_editor->selectedPresets().contains(preset));
        QCOMPARE(m_editor->selectedRows().size(), pasted.isEmpty() ? 1 : 2);
    }

    void copyForms()
    {
        m_store->presetAtIndex(2)->setShorthand(QStringLiteral("(c) & <me>"));
        QMimeData mime;
        QVERIFY(!m_editor->copy(&mime)); // nothing selected
        QVERIFY(mime.formats().isEmpty());
        // Nor is there anything to paste.
        QTest::ignoreMessage(QtWarningMsg, "No compatible paste types found.");
        QVERIFY(!m_editor->paste(&mime));

        m_editor->setSelection({ 2, 1 });
        QVERIFY(m_editor->copy(&mime));
        QCOMPARE(mime.data(PasteboardMetadataXML),
            QByteArray("<PasteboardMetadataXML><comment keyword=\"Comment\" text=\"\"/>"
                       "<comment keyword=\"Copyright\" text=\"%OSUSERNAME%, %DATE%\" shorthand=\"(c) &amp; "
                       "&lt;me&gt;\"/></PasteboardMetadataXML>"));
        QCOMPARE(mime.data(NSTabularTextPboardType), QByteArray("Comment\t\nCopyright\t%OSUSERNAME%, %DATE%"));
    }

    void cutRemovesExactlyWhatItCopied()
    {
        m_editor->setSelection({ 3, 1 }, 3);
        QMimeData mime;
        QVERIFY(m_editor->cut(&mime));
        QCOMPARE(mime.data(NSTabularTextPboardType), QByteArray("Comment\t\nCreation Time\t%DATETIME%"));
        QCOMPARE(
            m_store->presetMenuTitles(), kDefaultTitles.mid(0, 1) + kDefaultTitles.mid(2, 1) + kDefaultTitles.mid(4));
        // The preset that moved up into the first cut row is selected.
        QCOMPARE(m_editor->currentPreset()->keyword(), u"Copyright"_qs);
        QCOMPARE(m_editor->undoStack()->undoText(), u"Cut"_qs);
        m_editor->undo();
        QCOMPARE(m_store->presetMenuTitles(), kDefaultTitles);
        QCOMPARE(m_editor->selectedRows(), QList<int>({ 1, 3 }));
        QCOMPARE(m_editor->currentRow(), 3);
    }

    void dragWithinTheTable()
    {
        const PresetPtr warning = m_store->presetAtIndex(9);
        std::unique_ptr<QMimeData> drag(new QMimeData);
        QVERIFY(!m_editor->beginDrag({}, drag.get()));
        QVERIFY(m_editor->beginDrag({ 9 }, drag.get()));

        // Below the last row: an equal copy at the end, the original gone.
        QVERIFY(m_editor->acceptDrop(drag.get(), 10, true));
        QCOMPARE(m_store->presetMenuTitles(), kDefaultTitles);
        QVERIFY(!m_store->metadataPresets().contains(warning));
        QCOMPARE(m_editor->selectedRows(), QList<int> { 9 });

        // A drop that brings nothing keeps the dragged presets.
        const PresetPtr title = m_store->presetAtIndex(8);
        QVERIFY(m_editor->beginDrag({ 8 }, drag.get()));
        QMimeData broken;
        broken.setData(PasteboardMetadataXML, "<PasteboardMetadataXML");
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("^Pasted metadata XML not read"));
        QVERIFY(m_editor->acceptDrop(&broken, 0, true));
        QVERIFY(m_store->metadataPresets().contains(title));
        QTest::ignoreMessage(QtWarningMsg, "No compatible paste types found.");
        QVERIFY(!m_editor->acceptDrop(std::make_unique<QMimeData>().get(), 0, true));
        QCOMPARE(m_store->count(), 10);

        // From another window: presets are added, none removed.
        std::unique_ptr<QMimeData> comments(new QMimeData);
        writeComments(TestSupport::commentsFrom({ "Lens=50 mm" }), comments.get());
        QVERIFY(m_editor->beginDrag({ 0 }, drag.get()));
        QVERIFY(m_editor->acceptDrop(comments.get(), 0, false));
        QCOMPARE(m_store->count(), 11);
        QCOMPARE(m_store->presetAtIndex(0)->shorthand(), u"Lens : 50 mm"_qs);
        QTRY_VERIFY_WITH_TIMEOUT(!m_editor->refreshPending(), 1000);
        QCOMPARE(keywords(*m_store).indexOf(u"Lens"_qs), 6);
    }

    void undoAndRedo()
    {
        m_editor->setSelection({ 0 });
        m_editor->endEditing(Field::Value, QStringLiteral("Ann"));
        m_editor->newPreset();
        m_editor->setSelection({ 4 });
        QVERIFY(m_editor->deleteSelection());
        std::unique_ptr<QMimeData> mime(textMime(QStringLiteral("Zulu\tlast")));
        m_editor->setSelection({});
        QVERIFY(m_editor->paste(mime.get()));
        m_editor->refresh();
        const QStringList done = m_store->presetMenuTitles();
        QCOMPARE(done.first(), u""_qs); // the new preset, sorted by its empty display text
        QVERIFY(done.contains(u"Zulu : last"_qs));
        QCOMPARE(m_editor->undoStack()->count(), 4);

        QSignalSpy menus(m_store.get(), &MetadataPresetManager::presetsNeedUpdated);
        for (const char *step : { "Paste", "Delete", "New Preset", "Edit Value" }) {
            QCOMPARE(m_editor->undoStack()->undoText(), QString::fromLatin1(step));
            m_editor->undo();
        }
        QCOMPARE(m_store->presetMenuTitles(), kDefaultTitles);
        QCOMPARE(m_editor->fieldText(Field::Value), u"%OSUSERNAME%"_qs);
        QCOMPARE(menus.count(), 4);

        // Redo runs every step again, the paste's later sort included.
        for (int i = 0; i < 4; ++i)
            m_editor->redo();
        QVERIFY(m_editor->refreshPending());
        QTRY_VERIFY_WITH_TIMEOUT(!m_editor->refreshPending(), 1000);
        QCOMPARE(m_store->presetMenuTitles(), done);
    }

    void restoreDefaults()
    {
        for (int i = 0; i < 10; ++i)
            m_store->appendPreset(MetadataPreset::presetWithKeyword(QStringLiteral("Extra %1").arg(i), QString()));
        m_editor->setSelection({ 15 });
        m_editor->restoreDefaults();
        QCOMPARE(m_store->presetMenuTitles(), kDefaultTitles);
        QCOMPARE(m_editor->currentPreset(), nullptr);
        m_editor->undo();
        QCOMPARE(m_store->count(), 20);
        QCOMPARE(m_editor->currentPreset()->keyword(), u"Extra 5"_qs);
    }

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<MetadataPresetManager> m_store;
    std::unique_ptr<PresetEditor> m_editor;
};

QTEST_GUILESS_MAIN(tst_PresetEditor)
#include "tst_PresetEditor.moc"
