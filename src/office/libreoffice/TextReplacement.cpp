#include "TextReplacement.h"

#include <com/sun/star/beans/XPropertySet.hpp>
#include <com/sun/star/container/XEnumerationAccess.hpp>
#include <com/sun/star/table/XCell.hpp>
#include <com/sun/star/text/XTextCursor.hpp>
#include <com/sun/star/text/XTextTable.hpp>

#include <algorithm>
#include <limits>

namespace {

// How much of a value the word processor lays out: more than a page holds at any readable size.
// The rest of a longer value is inserted as hidden text: the document holds the whole value, but
// no layout spends time on characters that no box can show (laying out a paragraph grows much
// faster than its length: a million characters would take minutes).
constexpr qsizetype LaidOutLength = 10000;

// An occurrence, with its place counted as the text's cursors count characters: from the start of
// its paragraph when that is given, else from the start of the text.
struct Occurrence
{
    Reference<css::text::XTextRange> paragraphStart;
    qsizetype start = 0;
    qsizetype length = 0;
    QString found;
    QString replacement;
};

bool isBreak(QChar c)
{
    return c == QLatin1Char('\n') || c == QLatin1Char('\r') || c == QChar(0x2029);
}

// The number of characters a cursor steps over in text. A word processor's cursor steps over a
// surrogate pair (an emoji, say) as one character; a drawing shape's cursor counts UTF-16 code
// units. Both step over each combining mark on its own.
qsizetype cursorLength(QStringView text, TextKind kind)
{
    if (kind == TextKind::Shape)
        return text.size();
    qsizetype length = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate())
            ++i;
        ++length;
    }
    return length;
}

// The matches in one piece of text (a paragraph, or a whole text of one paragraph), placed in
// cursor steps from the piece's start.
void appendOccurrences(QList<Occurrence> &result, const QString &piece, qsizetype pieceStart, TextKind kind,
                       const TextMatcher &matcher, const Reference<css::text::XTextRange> &paragraphStart = {})
{
    for (const FindMatch &match : matcher.matches(piece)) {
        const QStringView before = QStringView(piece).left(match.start);
        result.append({paragraphStart, pieceStart + cursorLength(before, kind), cursorLength(match.found, kind),
                       match.found, match.replacement});
    }
}

// The paragraphs of a word-processor text, with those inside its tables' cells.
void collectParagraphs(const Reference<css::text::XText> &text, QList<Reference<css::text::XTextRange>> &paragraphs)
{
    const Reference<css::container::XEnumerationAccess> access(text, UNO_QUERY_THROW);
    const Reference<css::container::XEnumeration> elements = access->createEnumeration();
    while (elements->hasMoreElements()) {
        const Any element = elements->nextElement();
        const Reference<css::text::XTextTable> table(element, UNO_QUERY);
        if (table.is()) {
            const Sequence<OUString> cells = table->getCellNames();
            for (const OUString &name : cells)
                collectParagraphs(Reference<css::text::XText>(table->getCellByName(name), UNO_QUERY_THROW), paragraphs);
            continue;
        }
        const Reference<css::text::XTextRange> paragraph(element, UNO_QUERY);
        if (paragraph.is())
            paragraphs.append(paragraph);
    }
}

// Occurrences in a word-processor text. The whole text is read in one call: most finds have
// nothing to do, and most texts (a text box's line) are one paragraph, placed from the text's
// start. A text of several paragraphs, or with tables, is walked paragraph by paragraph, which
// costs a round trip to the office for each.
QList<Occurrence> writerOccurrences(const Reference<css::text::XText> &text, const TextMatcher &matcher)
{
    const QString whole = toQString(text->getString());
    QList<Occurrence> result;
    if (std::none_of(whole.cbegin(), whole.cend(), isBreak)) {
        appendOccurrences(result, whole, 0, TextKind::Writer, matcher);
        return result;
    }
    if (matcher.matches(whole).isEmpty())
        return result;
    QList<Reference<css::text::XTextRange>> paragraphs;
    collectParagraphs(text, paragraphs);
    for (const auto &paragraph : paragraphs) {
        const QString content = toQString(paragraph->getString());
        if (!matcher.matches(content).isEmpty())
            appendOccurrences(result, content, 0, TextKind::Writer, matcher, paragraph->getStart());
    }
    return result;
}

// Occurrences in a shape's text: its whole text read once and counted from the text's start
// (enumerating a shape's paragraphs again after an edit yields ranges cut to the old length).
QList<Occurrence> shapeOccurrences(const Reference<css::text::XText> &text, const TextMatcher &matcher)
{
    const QString whole = toQString(text->getString());
    QList<Occurrence> result;
    qsizetype paragraphStart = 0;
    while (paragraphStart <= whole.size()) {
        const auto end = std::find_if(whole.cbegin() + paragraphStart, whole.cend(), isBreak) - whole.cbegin();
        appendOccurrences(result, whole.mid(paragraphStart, end - paragraphStart), paragraphStart, TextKind::Shape,
                          matcher);
        paragraphStart = end + 1;
    }
    return result;
}

// text without what a .doc cannot hold as text: control characters other than tab, line feed
// and carriage return, and halves of surrogate pairs without their other half.
QString storableText(const QString &text)
{
    QString result;
    result.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            result += c;
            result += text[++i];
        } else if (!c.isSurrogate()
                   && (c.unicode() >= 0x20 || c == QLatin1Char('\t') || c == QLatin1Char('\n')
                       || c == QLatin1Char('\r'))) {
            result += c;
        }
    }
    return result;
}

void goRight(const Reference<css::text::XTextCursor> &cursor, qsizetype count, bool select)
{
    constexpr qsizetype step = std::numeric_limits<sal_Int16>::max();
    for (; count > 0; count -= step)
        cursor->goRight(sal_Int16(qMin(count, step)), select);
}

// Puts text in the place of what the cursor covers. In a word-processor text, what lies beyond
// LaidOutLength goes in hidden, in one insertion that takes on the hidden attribute (a drawing
// shape's text has no hidden text: it takes the whole text).
void insertReplacement(const Reference<css::text::XTextCursor> &cursor, TextKind kind, const QString &text)
{
    qsizetype laidOut = text.size();
    if (kind == TextKind::Writer && laidOut > LaidOutLength) {
        laidOut = LaidOutLength;
        if (text[laidOut - 1].isHighSurrogate()) // a pair stays together
            --laidOut;
    }
    cursor->setString(toOUString(text.left(laidOut)));
    if (laidOut == text.size())
        return;
    cursor->collapseToEnd();
    Reference<css::beans::XPropertySet>(cursor, UNO_QUERY_THROW)->setPropertyValue("CharHidden", Any(true));
    cursor->setString(toOUString(text.mid(laidOut)));
}

void replaceOccurrence(const Reference<css::text::XText> &text, TextKind kind, const Occurrence &occurrence)
{
    Reference<css::text::XTextCursor> cursor;
    if (occurrence.paragraphStart.is()) {
        cursor = occurrence.paragraphStart->getText()->createTextCursorByRange(occurrence.paragraphStart);
    } else {
        cursor = text->createTextCursor();
        // A word processor's new cursor stands at the text's start; a shape's spans its text.
        if (kind == TextKind::Shape)
            cursor->gotoStart(false);
    }
    goRight(cursor, occurrence.start, false);
    goRight(cursor, occurrence.length, true);
    // The cursor must cover exactly what was found: never replace other text.
    if (toQString(cursor->getString()) != occurrence.found)
        throw RuntimeError(
            QStringLiteral("The text \"%1\" could not be replaced where it was found.").arg(occurrence.found));
    insertReplacement(cursor, kind, storableText(occurrence.replacement));
}

} // namespace

int replaceInText(const Reference<css::text::XText> &text, TextKind kind, const TextMatcher &matcher, ReplaceMode mode)
{
    QList<Occurrence> occurrences = kind == TextKind::Writer ? writerOccurrences(text, matcher)
                                                             : shapeOccurrences(text, matcher);
    if (mode == ReplaceMode::None)
        return int(occurrences.size());
    if (mode == ReplaceMode::One && occurrences.size() > 1)
        occurrences.resize(1);
    // From the last occurrence to the first, so that each edit leaves the positions of the ones
    // still to do unchanged.
    for (auto it = occurrences.crbegin(); it != occurrences.crend(); ++it)
        replaceOccurrence(text, kind, *it);
    return int(occurrences.size());
}
