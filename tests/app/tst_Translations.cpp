#include "TestSupport.h"
#include "WindowTestSupport.h"
#include "app/AppController.h"
#include "app/AppTranslations.h"
#include "app/MetadataDialogs.h"
#include "app/StartWindow.h"
#include "batch/widgets/BatchWindow.h"
#include "commentlist/widgets/CommentTableView.h"
#include "core/PNGinfo.h"
#include "core/Strings.h"
#include "core/TextMacros.h"
#include "document/PNGDoc.h"
#include "document/widgets/ChunkListWindow.h"
#include "document/widgets/DocumentWindow.h"
#include "document/widgets/RemoveMetadataDialog.h"
#include "interchange/InterchangeFile.h"
#include "presets/MetadataPresetManager.h"
#include "presets/widgets/PresetEditorWindow.h"
#include "provenance/ChunkDescription.h"
#include "templates/TemplateEditor.h"
#include "templates/widgets/TemplateEditorWindow.h"
#include "windowkit/CommentEditorPanel.h"
#include "windowkit/CommentListPane.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QFileDialog>
#include <QLineEdit>
#include <QRegularExpression>
#include <QSet>
#include <QSettings>
#include <QTranslator>
#include <QXmlStreamReader>
#include <QtTest>

using namespace TestSupport;
using namespace WindowTestSupport;

namespace {

// Wraps every text Qt's translation asks for, Qt's own included: "[[Save]]". A text shown
// without the brackets was never translated.
class PseudoTranslator : public QTranslator
{
public:
    QString translate(const char *, const char *sourceText, const char *, int) const override
    {
        return u"[["_qs + QString::fromUtf8(sourceText) + u"]]"_qs;
    }
    bool isEmpty() const override { return false; }
};

// The words of a text that no translation produced: wrapped parts (nested ones as well) are
// taken out, then the words of the user's data (allowed).
QStringList untranslatedWords(QString text, const QSet<QString> &allowed)
{
    static const QRegularExpression wrapped(
        u"\\[\\[((?!\\[\\[|\\]\\]).)*\\]\\]"_qs, QRegularExpression::DotMatchesEverythingOption);
    static const QRegularExpression nonLetters(u"[^\\p{L}]+"_qs);
    for (QString before; before != text;) {
        before = text;
        text.replace(wrapped, u" "_qs);
    }
    QStringList words;
    for (const QString &word : text.split(nonLetters, Qt::SkipEmptyParts)) {
        if (!allowed.contains(word))
            words << word;
    }
    return words;
}

// The places (%1 … %9, %n) a text fills in; %L1 is %1 in the locale's number format.
QStringList placeholders(const QString &text)
{
    static const QRegularExpression place(u"%L?([1-9n])"_qs);
    QStringList found;
    for (auto it = place.globalMatch(text); it.hasNext();)
        found << it.next().captured(1);
    found.sort();
    return found;
}

// Every window and dialog of the application, shown: a document on file with its comment
// editor, chunks and dialogs, a batch window, the editors and the start window.
QList<QWidget *> openEveryWindow(AppController &controller, const QString &file)
{
    DocumentWindow *document = controller.openFiles({ file }).first();
    QList<QWidget *> windows { document, controller.newBatchWindow(), controller.showPresetEditor(),
        controller.showTemplateEditor(), controller.showStartWindow(), new CsvOptionsDialog(document),
        new ImportMetadataDialog(document, true, false),
        new ExportMetadataDialog(document, file + u".velmx"_qs, MetadataFormat::Velmx) };
    document->pane()->table()->selectRow(0);
    document->pane()->openCommentEditor();
    windows << document->pane()->commentEditor()
            << new RemoveMetadataDialog(document->document()->removalPlan(), QFileInfo(file).fileName(), document);
    trigger(document, "chunksAction");
    windows << document->findChild<ChunkListWindow *>();
    for (QWidget *window : std::as_const(windows))
        window->show();
    return windows;
}

} // namespace

class tst_Translations : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(m_home.isValid());
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_home.filePath(QStringLiteral("config"))));
        qputenv("XDG_DATA_HOME", QFile::encodeName(m_home.filePath(QStringLiteral("data"))));
        m_png = m_home.filePath(QStringLiteral("zqx.png"));
        QVERIFY(writeFile(m_png, simplePng(4, 4, { tEXt("Qkey", "Qvalue") })));
    }
    void cleanup()
    {
        Prompts::setHandler({});
        AppTranslations::install(QLocale::c());
    }

    // With every translation wrapped, every text of every window, menu and dialog is wrapped
    // but the user's own data (file names, entries, presets, macro names).
    void everyVisibleTextIsTranslated()
    {
        AppTranslations::install(QLocale::c());
        PseudoTranslator pseudo;
        QCoreApplication::installTranslator(&pseudo);
        PromptAnswers answers;
        answers.answer = false;
        answers.byKind[Prompts::Kind::SaveChanges] = int(Prompts::SaveChoice::Cancel); // the window stays
        AppController controller;
        QSettings().clear();
        const QList<QWidget *> windows = openEveryWindow(controller, m_png);
        auto *document = qobject_cast<DocumentWindow *>(windows[0]);
        qobject_cast<BatchWindow *>(windows[1])->processor()->addFiles({ m_png });
        trigger(windows[3], "newTemplateAction");
        trigger(windows[1], "removeMetadataAction");
        // Questions and messages, answered by the handler.
        trigger(document, "aboutAction");
        document->document()->addText(QStringLiteral("Qvalue"), QStringLiteral("Qkey"));
        trigger(document, "revertAction");
        trigger(windows[2], "restoreDefaultsAction");
        document->close();

        QSet<QString> allowed { u"zqx"_qs, u"png"_qs, u"velmx"_qs, u"Qkey"_qs, u"Qvalue"_qs };
        const QStringList mine = controller.stores().presets->presetMenuTitles()
            + controller.stores().templates->templateMenuTitles() + macroNames() + QStringList { m_home.path() };
        for (const QString &word : untranslatedWords(mine.join(u' '), {}))
            allowed << word;

        QStringList found;
        const auto check = [&](const QString &where, const QString &text) {
            if (!untranslatedWords(text, allowed).isEmpty())
                found << where + u": "_qs + text;
        };
        for (QWidget *window : QApplication::topLevelWidgets()) {
            if (!window->isVisible())
                continue;
            const QString kind = QString::fromLatin1(window->metaObject()->className());
            check(kind, window->windowTitle());
            QList<QWidget *> widgets = window->findChildren<QWidget *>();
            for (QWidget *w : std::as_const(widgets)) {
                if (!w->isVisibleTo(window))
                    continue;
                // A file dialog's folder and typed name are the user's.
                if (qobject_cast<QFileDialog *>(w->window())
                    && (w->objectName() == u"lookInCombo"_qs || w->objectName() == u"fileNameEdit"_qs))
                    continue;
                const QString where
                    = kind + u'/' + QString::fromLatin1(w->metaObject()->className()) + u'/' + w->objectName();
                // A label's or a button's text, a field's (the user's data, allowed) and its placeholder.
                for (const char *property : { "toolTip", "statusTip", "whatsThis", "text", "placeholderText" })
                    check(where, w->property(property).toString());
                if (QAccessibleInterface *face = QAccessible::queryAccessibleInterface(w)) {
                    check(where, face->text(QAccessible::Name));
                    check(where, face->text(QAccessible::Description));
                }
                if (auto *combo = qobject_cast<QComboBox *>(w); combo && !qobject_cast<QFileDialog *>(w->window())) {
                    for (int i = 0; i < combo->count(); ++i)
                        check(where, combo->itemText(i));
                }
                if (auto *view = qobject_cast<QAbstractItemView *>(w); view && view->model()) {
                    for (int column = 0; column < view->model()->columnCount(); ++column)
                        check(where, view->model()->headerData(column, Qt::Horizontal).toString());
                }
            }
            QList<QAction *> actions = window->findChildren<QAction *>();
            if (auto *main = qobject_cast<QMainWindow *>(window))
                actions += menuItems(main->menuBar());
            for (QAction *action : std::as_const(actions)) {
                for (const QString &text : { action->text(), action->toolTip(), action->statusTip() })
                    check(kind + u"/action/"_qs + action->objectName(), text);
            }
        }
        QVERIFY(answers.asked.size() >= 3);
        for (const Prompts::Request &request : std::as_const(answers.asked)) {
            for (const QString &text : QStringList { request.text, request.detail, request.report } + request.filters)
                check(u"prompt"_qs, text);
        }
        QCoreApplication::removeTranslator(&pseudo);
        found.removeDuplicates();
        QVERIFY2(found.isEmpty(), qPrintable(u"not translated:\n"_qs + found.join(u'\n')));
    }

    // Every entry of the catalogues is translated, keeps the places its English fills in and,
    // where the English has a mnemonic, has one too; every text of the table is in it under
    // its context.
    void cataloguesAreComplete_data()
    {
        QTest::addColumn<QString>("language");
        QTest::newRow("German") << u"de"_qs;
        QTest::newRow("English plurals") << u"en"_qs;
    }
    void cataloguesAreComplete()
    {
        QFETCH(QString, language);
        QFile file(QStringLiteral(VELMORA_TEST_DATA "/../../translations/velmora_%1.ts").arg(language));
        QVERIFY2(file.open(QIODevice::ReadOnly), qPrintable(file.fileName()));
        QXmlStreamReader xml(&file);
        QStringList faults;
        QString context, source, translation;
        QStringList forms;
        int messages = 0;
        bool plural = false;
        while (!xml.atEnd()) {
            xml.readNext();
            if (xml.isStartElement() && xml.name() == u"name"_qs) {
                context = xml.readElementText();
            } else if (xml.isStartElement() && xml.name() == u"message"_qs) {
                plural = xml.attributes().value(u"numerus"_qs) == u"yes"_qs;
                forms.clear();
                translation.clear();
                ++messages;
            } else if (xml.isStartElement() && xml.name() == u"source"_qs) {
                source = xml.readElementText();
            } else if (xml.isStartElement() && xml.name() == u"translation"_qs) {
                if (!xml.attributes().value(u"type"_qs).isEmpty())
                    faults << context + u": "_qs + source + u" is "_qs + xml.attributes().value(u"type"_qs).toString();
                if (!plural)
                    forms << xml.readElementText();
            } else if (xml.isStartElement() && xml.name() == u"numerusform"_qs) {
                forms << xml.readElementText();
            } else if (xml.isEndElement() && xml.name() == u"message"_qs) {
                if (forms.isEmpty() || forms.contains(QString()))
                    faults << context + u": "_qs + source + u" is not translated"_qs;
                for (const QString &form : std::as_const(forms)) {
                    if (placeholders(form) != placeholders(source))
                        faults << context + u": "_qs + form + u" does not fill in what "_qs + source + u" does"_qs;
                    if (mnemonic(form).isNull() != mnemonic(source).isNull())
                        faults << context + u": "_qs + form + u" and "_qs + source + u" differ in their mnemonic"_qs;
                }
            }
        }
        QVERIFY2(!xml.hasError(), qPrintable(xml.errorString()));
        QVERIFY(messages > 0);
        QVERIFY2(faults.isEmpty(), qPrintable(faults.join(u'\n')));

        if (language != u"de"_qs)
            return;
        QTranslator german;
        QVERIFY(german.load(QStringLiteral(":/i18n/velmora_de.qm")));
        QStringList missing;
        for (const StringTableEntry &entry : stringTable()) {
            if (german.translate(entry.context, entry.text, entry.comment, entry.plural ? 2 : -1).isEmpty())
                missing << QString::fromLatin1(entry.context) + u'/' + QString::fromLatin1(entry.key);
        }
        QVERIFY2(missing.isEmpty(), qPrintable(missing.join(u", ")));
    }

    // The locale chooses the language, Qt's dialogs and the texts made below the windows (a
    // reason within a reason, a chunk's summary) included; every window can be worked from the
    // keyboard and a screen reader in it (one place per Alt+letter). Values written into files
    // stay English.
    void languageFollowsTheLocale_data()
    {
        QTest::addColumn<QString>("locale");
        // The menus File, Edit and Help, Qt's Cancel, a plural, the two made texts.
        QTest::addColumn<QStringList>("shown");
        const QStringList english { "File", "Edit", "Help", "Cancel", "1 file was successfully processed.",
            "Can't read “%1”: the file does not exist", "4×4, 8-bit RGB, not interlaced" };
        QTest::newRow("C") << u"C"_qs << english;
        QTest::newRow("German") << u"de_DE"_qs
                                << QStringList { "Datei", "Bearbeiten", "Hilfe", "Abbrechen",
                                       "1 Datei wurde erfolgreich bearbeitet.",
                                       "„%1“ kann nicht gelesen werden: die Datei existiert nicht",
                                       "4×4, 8 Bit RGB, ohne Zeilensprung" };
        // No catalogue of Velmora's: English throughout, Qt's dialogs too.
        QTest::newRow("French") << u"fr_FR"_qs << english;
    }
    void languageFollowsTheLocale()
    {
        QFETCH(QString, locale);
        QFETCH(QStringList, shown);
        AppTranslations::install(QLocale(locale));
        const QString missing = m_home.filePath(u"missing.velmx"_qs);
        QByteArray contents;
        QString unreadable;
        QVERIFY(!InterchangeFile::read(missing, &contents, &unreadable));
        PNGinfo info;
        info.interlace_method = 0;
        QCOMPARE(processedTextForPNG(u"%INTERLACE%"_qs, info), u"None"_qs);

        PromptAnswers answers;
        AppController controller;
        const QList<QWidget *> windows = openEveryWindow(controller, m_png);
        const QStringList titles = menuTitles(qobject_cast<QMainWindow *>(windows[0]));
        shown[5] = shown[5].arg(missing);
        QCOMPARE(QStringList({ titles.first(), titles.at(1), titles.last(),
                     QCoreApplication::translate("QPlatformTheme", "Cancel"),
                     localizedString("FilesSuccessfullyProcessed", 1), shownText(unreadable),
                     shownText(ChunkDescription::ofFile(readFile(m_png)).first().summary) }),
            shown);
        QStringList faults;
        for (QWidget *window : windows)
            faults += reachFaults(window);
        QVERIFY2(faults.isEmpty(), qPrintable(faults.join(u'\n')));
    }

private:
    QTemporaryDir m_home;
    QString m_png;
};

QTEST_MAIN(tst_Translations)
#include "tst_Translations.moc"
