#pragma once

#include "automation/Object.h"

#include <QList>
#include <QRegularExpression>
#include <QString>

// The find-and-replace rules of a "Word.Application" find object, on plain text. Both the
// office server and the test server use them, so that they find and replace alike.

// What a find object holds: its settings and the text of its Replacement.
struct FindSettings
{
    QString text;
    QString replacementText;
    bool forward = true;
    qint32 wrap = 0; // 0 stop, 1 continue, 2 ask; a replace-all never leaves its range
    bool format = false;
    bool matchCase = false;
    bool matchWholeWord = false;
    bool matchWildcards = false;    // stored; a search with it on fails as not supported
    bool matchSoundsLike = false;   // stored; the engine has no phonetic search
    bool matchAllWordForms = false; // stored; the engine has no word-form search

    // Sets the member of that name ("Text", "Forward", "MatchCase", ...). Any other name throws
    // "Object doesn't support this property or method".
    void set(const QString &member, const Variant &value);
};

// What one Execute asks for.
enum class ReplaceMode { None = 0, One = 1, All = 2 };

// Applies Execute's arguments to the settings, as Execute does (an argument given also changes
// the find object's setting). Positional order: FindText, MatchCase, MatchWholeWord,
// MatchWildcards, MatchSoundsLike, MatchAllWordForms, Forward, Wrap, Format, ReplaceWith,
// Replace; omitted arguments keep the current setting. Returns the replace mode.
ReplaceMode applyExecuteArguments(FindSettings &settings, const QList<Variant> &positional,
                                  const QList<NamedArgument> &named);

// One occurrence inside a piece of text.
struct FindMatch
{
    qsizetype start = 0;
    qsizetype length = 0;
    QString found;
    QString replacement;
};

// The compiled search of one Execute: the find text as a pattern (its special "^" codes), and the
// replacement with its codes expanded for each occurrence. A find text that is not valid, or a
// search with MatchWildcards on, throws RuntimeError with a description.
class TextMatcher
{
public:
    explicit TextMatcher(const FindSettings &settings);

    // The occurrences in text, from the start, not overlapping. A text is searched on its own:
    // nothing matches across two calls (two paragraphs).
    QList<FindMatch> matches(const QString &text) const;

    // text with the occurrences replaced (all of them, or only the first); counts them.
    QString replace(const QString &text, ReplaceMode mode, int *count = nullptr) const;

private:
    QString replacementFor(const QRegularExpressionMatch &match) const;

    QRegularExpression mExpression;
    QString mReplacement;
};

// The pattern for a find text: "^" codes are special ("^?" any character, "^#" any digit, "^$"
// any letter, "^w" white space, "^t" tab, "^^" a caret...), everything else literal.
QString patternForFindText(const QString &text);
