#include "WordFont.h"

#include "automation/WordConstants.h"

#include <com/sun/star/beans/PropertyState.hpp>
#include <com/sun/star/beans/XMultiPropertySet.hpp>
#include <com/sun/star/beans/XPropertySet.hpp>
#include <com/sun/star/beans/XPropertyState.hpp>
#include <com/sun/star/text/XTextCursor.hpp>

#include <cmath>

namespace {

constexpr double SmallestSize = 1;
constexpr double LargestSize = 1638;

// A cursor over the whole text.
Reference<css::text::XTextCursor> wholeText(const Reference<css::text::XText> &text)
{
    const Reference<css::text::XTextCursor> cursor = text->createTextCursor();
    cursor->gotoStart(false);
    cursor->gotoEnd(true);
    return cursor;
}

} // namespace

Variant WordFont::get(const QString &member)
{
    if (!isMember(member, u"Size"))
        unsupported();
    return session().call(QStringLiteral("read the font size"), [&] {
        const Reference<css::text::XTextCursor> cursor = wholeText(mText);
        const Reference<css::beans::XPropertyState> state(cursor, UNO_QUERY_THROW);
        if (state->getPropertyState("CharHeight") == css::beans::PropertyState_AMBIGUOUS_VALUE)
            return Variant(WordConstants::Undefined);
        float size = 0;
        Reference<css::beans::XPropertySet>(cursor, UNO_QUERY_THROW)->getPropertyValue("CharHeight") >>= size;
        return Variant(double(size));
    });
}

void WordFont::set(const QString &member, const Variant &value)
{
    if (!isMember(member, u"Size"))
        unsupported();
    const double size = std::round(value.toDouble() * 2) / 2;
    if (!(size >= SmallestSize && size <= LargestSize))
        throw RuntimeError(QStringLiteral("Value out of range"));
    session().call(QStringLiteral("set the font size"), [&] {
        // Every script's size: letters, and the Asian and complex-script characters among them.
        const OUString names[] = {"CharHeight", "CharHeightAsian", "CharHeightComplex"};
        const Any heights[] = {Any(float(size)), Any(float(size)), Any(float(size))};
        const Reference<css::beans::XMultiPropertySet> properties(wholeText(mText), UNO_QUERY_THROW);
        properties->setPropertyValues(Sequence<OUString>(names, 3), Sequence<Any>(heights, 3));
    });
    session().keeper().noteEdit();
}
