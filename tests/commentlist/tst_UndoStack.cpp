#include "commentlist/UndoStack.h"

#include <QSignalSpy>
#include <QtTest>

namespace {

// Appends a letter to a text; undo takes it off again.
class AppendLetter : public UndoCommand
{
public:
    AppendLetter(QString &text, QChar letter, UndoStack *pushDuringRedo = nullptr)
        : UndoCommand(QStringLiteral("Add ") + letter)
        , m_text(text)
        , m_letter(letter)
        , m_stack(pushDuringRedo)
    {
    }
    void redo() override
    {
        m_text.append(m_letter);
        if (m_stack)
            m_stack->push(std::make_unique<AppendLetter>(m_text, u'!'));
    }
    void undo() override
    {
        QVERIFY(m_text.endsWith(m_letter));
        m_text.chop(1);
    }

private:
    QString &m_text;
    QChar m_letter;
    UndoStack *m_stack;
};

// Runs a script of steps separated by spaces: "+a" pushes a command adding a, "u" undoes,
// "r" redoes, "s" marks the state saved (setClean), "x" unsaves it (resetClean), "(Name"
// opens a macro, ")" closes it, "clear" forgets the history.
void run(UndoStack &stack, QString &text, const QString &script)
{
    for (const QString &step : script.split(u' ', Qt::SkipEmptyParts)) {
        if (step.startsWith(u'+'))
            stack.push(std::make_unique<AppendLetter>(text, step.at(1)));
        else if (step == u"u")
            stack.undo();
        else if (step == u"r")
            stack.redo();
        else if (step == u"s")
            stack.setClean();
        else if (step == u"x")
            stack.resetClean();
        else if (step.startsWith(u'('))
            stack.beginMacro(step.mid(1));
        else if (step == u")")
            stack.endMacro();
        else if (step == u"clear")
            stack.clear();
        else
            QFAIL(qPrintable(u"unknown step "_qs + step));
    }
}

} // namespace

class tst_UndoStack : public QObject
{
    Q_OBJECT

private slots:
    void init() { QTest::failOnWarning(QRegularExpression(QStringLiteral(".*"))); }

    // Each row: a script and the state it leaves: the text, index/count of the steps, the
    // clean index, the undo and redo texts.
    void history_data()
    {
        QTest::addColumn<QString>("script");
        QTest::addColumn<QString>("state");
        const auto row = [](const char *name, const char *script, const char *state) {
            QTest::newRow(name) << QString(script) << QString(state);
        };
        row("pushes", "+a +b +c", "abc 3/3 clean:0 undo:Add c redo:");
        row("undo all", "+a +b u u", " 0/2 clean:0 undo: redo:Add a");
        row("redo all", "+a +b u u r r r", "ab 2/2 clean:0 undo:Add b redo:");
        row("a push drops what was undone", "+a +b u +c", "ac 2/2 clean:0 undo:Add c redo:");
        row("saved, edited, undone back", "+a s +b u", "a 1/2 clean:1 undo:Add a redo:Add b");
        row("saved state dropped by a push", "+a +b s u +c u r", "ac 2/2 clean:-1 undo:Add c redo:");
        row("unsaved on purpose", "+a s x", "a 1/1 clean:-1 undo:Add a redo:");
        row("macro is one step", "+a (Pair +b +c )", "abc 2/2 clean:0 undo:Pair redo:");
        row("macro undone as a whole", "+a (Pair +b +c ) u", "a 1/2 clean:0 undo:Add a redo:Pair");
        row("macro redone in order", "(Pair +b +c ) u r", "bc 1/1 clean:0 undo:Pair redo:");
        row("empty macro leaves no step", "+a (Nothing )", "a 1/1 clean:0 undo:Add a redo:");
        row("nested macros are one step", "(Outer +a (Inner +b ) +c ) u", " 0/1 clean:0 undo: redo:Outer");
        row("clear keeps the text, forgets the steps", "+a +b u clear", "a 0/0 clean:0 undo: redo:");
    }
    void history()
    {
        QFETCH(QString, script);
        UndoStack stack;
        QString text;
        run(stack, text, script);
        const auto number = [](int n) { return QString::number(n); };
        QTEST(u"%1 %2/%3 clean:%4 undo:%5 redo:%6"_qs.arg(text, number(stack.index()), number(stack.count()),
                  number(stack.cleanIndex()), stack.undoText(), stack.redoText()),
            "state");
        QCOMPARE(stack.isClean(), stack.cleanIndex() == stack.index());
        QCOMPARE(stack.canUndo(), !stack.undoText().isEmpty());
        QCOMPARE(stack.canRedo(), !stack.redoText().isEmpty());
    }

    void signalsFollowTheState()
    {
        UndoStack stack;
        QString text;
        QSignalSpy clean(&stack, &UndoStack::cleanChanged), canUndo(&stack, &UndoStack::canUndoChanged),
            canRedo(&stack, &UndoStack::canRedoChanged), undoText(&stack, &UndoStack::undoTextChanged),
            redoText(&stack, &UndoStack::redoTextChanged), index(&stack, &UndoStack::indexChanged);
        // The last value each signal announced: clean, canUndo, canRedo, undoText, redoText, index.
        const auto last = [&] {
            QVariantList values;
            for (const QSignalSpy *spy : { &clean, &canUndo, &canRedo, &undoText, &redoText, &index })
                values << (spy->isEmpty() ? QVariant() : spy->last().first());
            return values;
        };

        run(stack, text, QStringLiteral("+a"));
        QCOMPARE(last(), QVariantList({ false, true, QVariant(), u"Add a"_qs, QVariant(), 1 }));
        QCOMPARE(clean.size(), 1);

        // Inside a macro nothing is announced until it closes.
        run(stack, text, QStringLiteral("(Pair +b +c"));
        QCOMPARE(index.size(), 1);
        run(stack, text, QStringLiteral(")"));
        QCOMPARE(index.size(), 2);
        QCOMPARE(last(), QVariantList({ false, true, QVariant(), u"Pair"_qs, QVariant(), 2 }));

        run(stack, text, QStringLiteral("u u"));
        QCOMPARE(last(), QVariantList({ true, false, true, QString(), u"Add a"_qs, 0 }));
        QCOMPARE(clean.size(), 2);

        // Saving where it is already clean announces nothing.
        run(stack, text, QStringLiteral("s"));
        QCOMPARE(clean.size(), 2);
        run(stack, text, QStringLiteral("r"));
        QCOMPARE(clean.last().first(), QVariant(false));
        run(stack, text, QStringLiteral("clear"));
        QCOMPARE(last(), QVariantList({ true, false, false, QString(), QString(), 0 }));
    }

    void refusedWhileAStepIsUnderWay()
    {
        UndoStack stack;
        QString text;
        run(stack, text, QStringLiteral("+a (Open +b"));
        QTest::ignoreMessage(QtWarningMsg, "Undo refused while a step is under way.");
        stack.undo();
        QTest::ignoreMessage(QtWarningMsg, "Clearing the history refused while a step is under way.");
        stack.clear();
        QCOMPARE(text, u"ab"_qs);
        run(stack, text, QStringLiteral(")"));
        QCOMPARE(stack.count(), 2);

        // A command may not push another one while it runs.
        QTest::ignoreMessage(QtWarningMsg, "A command was pushed while another one ran; it was dropped.");
        stack.push(std::make_unique<AppendLetter>(text, u'c', &stack));
        QCOMPARE(text, u"abc"_qs);
        QCOMPARE(stack.count(), 3);
        QTest::ignoreMessage(QtWarningMsg, "endMacro() without beginMacro().");
        stack.endMacro();
        QCOMPARE(stack.count(), 3);
    }
};

QTEST_GUILESS_MAIN(tst_UndoStack)
#include "tst_UndoStack.moc"
