#include "TextReplacement.h"

#include <com/sun/star/container/XEnumerationAccess.hpp>
#include <com/sun/star/table/XCell.hpp>
#include <com/sun/star/text/XTextCursor.hpp>
#include <com/sun/star/text/XTextTable.hpp>

#include <QRegularExpression>

#include <limits>

namespace {

// An occurrence and where its text starts.
struct Occurrence
{
    Reference<css::text::XTextRange> start;
    FindMatch match;
};

void goRight(const Reference<css::text::XTextCursor> &cursor, qsizetype count, bool select)
{
    constexpr qsizetype step = std::numeric_limits<sal_Int16>::max();
    for (; count > 0; count -= step)
        cursor->goRight(sal_Int16(qMin(count, step)), select);
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

// Occurrences in a word-processor text: paragraph by paragraph, each counted from its start.
QList<Occurrence> writerOccurrences(const Reference<css::text::XText> &text, const TextMatcher &matcher)
{
    // The whole text in one read first (tables' cells included): most finds have nothing to do,
    // and walking the paragraphs costs a round trip to the office for each.
    if (matcher.matches(toQString(text->getString())).isEmpty())
        return {};
    QList<Reference<css::text::XTextRange>> paragraphs;
    collectParagraphs(text, paragraphs);
    QList<Occurrence> result;
    for (const auto &paragraph : paragraphs) {
        const QList<FindMatch> matches = matcher.matches(toQString(paragraph->getString()));
        if (matches.isEmpty())
            continue;
        const Reference<css::text::XTextRange> start = paragraph->getStart();
        for (const FindMatch &match : matches)
            result.append({start, match});
    }
    return result;
}

// Occurrences in a shape's text: its whole text read once and counted from the text's start
// (enumerating a shape's paragraphs again after an edit yields ranges cut to the old length).
QList<Occurrence> shapeOccurrences(const Reference<css::text::XText> &text, const TextMatcher &matcher)
{
    const QString whole = toQString(text->getString());
    static const QRegularExpression breaks(QStringLiteral("[\\n\\r\\x{2029}]"));
    QList<Occurrence> result;
    qsizetype paragraphStart = 0;
    while (paragraphStart <= whole.size()) {
        qsizetype end = whole.indexOf(breaks, paragraphStart);
        if (end < 0)
            end = whole.size();
        for (FindMatch match : matcher.matches(whole.mid(paragraphStart, end - paragraphStart))) {
            match.start += paragraphStart;
            result.append({Reference<css::text::XTextRange>(), match});
        }
        paragraphStart = end + 1;
    }
    return result;
}

void replaceOccurrence(const Reference<css::text::XText> &text, const Occurrence &occurrence)
{
    Reference<css::text::XTextCursor> cursor;
    if (occurrence.start.is()) {
        cursor = occurrence.start->getText()->createTextCursorByRange(occurrence.start);
    } else {
        cursor = text->createTextCursor();
        cursor->gotoStart(false);
    }
    goRight(cursor, occurrence.match.start, false);
    goRight(cursor, occurrence.match.length, true);
    // The cursor must cover exactly what was found: never replace other text.
    if (toQString(cursor->getString()) != occurrence.match.found)
        throw RuntimeError(QStringLiteral("The text \"%1\" could not be replaced where it was found.")
                               .arg(occurrence.match.found));
    cursor->setString(toOUString(occurrence.match.replacement));
}

} // namespace

int replaceInText(const Reference<css::text::XText> &text, TextKind kind, const TextMatcher &matcher,
                  ReplaceMode mode)
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
        replaceOccurrence(text, *it);
    return int(occurrences.size());
}
