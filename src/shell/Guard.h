#pragma once

#include <QList>
#include <QString>

#include <functional>

// The catch-all guard of a guarded procedure. The procedure is written as numbered statements run
// through one Guard: a statement that fails shows one "Application Error" report naming the
// procedure and the statement's line number, and the procedure carries on with the next statement.
// Once the program has ended (Program::EndProgram), no statement runs and nothing is reported.
class Guard
{
public:
    // window and procedure as the report names them, for example "Form2" and "RedrawImage".
    Guard(const QString &window, const QString &procedure);

    // Runs one statement. Returns false when it failed (and was reported).
    bool run(int line, const std::function<void()> &statement);

    // The test of a conditional block: a test that fails is reported and counts as true, so the
    // block runs as if the test had succeeded. Once the program has ended it is false.
    bool test(int line, const std::function<bool()> &condition);

    // The stepping statement of a counted loop: returns false when it failed, and the caller then
    // leaves the loop.
    bool step(int line, const std::function<void()> &statement) { return run(line, statement); }

    // The head of a For Each loop: the items to loop over, or none when the head failed (reported
    // once; the loop then does not run).
    template <typename T>
    QList<T> items(int line, const std::function<QList<T>()> &head)
    {
        QList<T> result;
        run(line, [&] { result = head(); });
        return result;
    }

    // Reports a failure of the given line directly, for a failure noticed without an exception.
    void report(int line, const QString &description) const;

    // The report's text, exactly as shown.
    static QString reportText(const QString &description, const QString &location, int line);

private:
    QString mLocation;
};
