#include "generation/FitText.h"

#include "automation/Object.h"
#include "automation/WordConstants.h"
#include "generation/DateTimeTexts.h"
#include "generation/PartyDetails.h"
#include "shell/Guard.h"
#include "shell/RuntimeError.h"

#include <algorithm>
#include <cmath>

namespace {

// The finest step a Word 97-2003 document holds, and the steps of the margin.
constexpr double Step = 0.5;
constexpr int MarginSteps = 1;
constexpr double SmallestShare = 0.6;

// The fields in the order they are reported, and the values the replacement put in for them.
const char16_t *const FieldNames[] = {u"Given By", u"Street Address", u"City", u"State", u"Date", u"Time"};

QStringList fieldValues(const PartyDetails &details)
{
    return {details.text(0),
            details.text(2),
            details.text(1),
            details.text(3),
            PartyDateText(details.partyDate().date()),
            PartyTimeText(details.partyTime().time())};
}

bool overflows(const Object &frame)
{
    return frame.get(u"Overflowing"_qs).toBool();
}

// Shrinks the box's text to the largest size, in half points below its design size and not below
// the smallest share of it, at which it fits, less the margin. Binary search: a handful of sizes
// tried, not every one. Returns false, with the text at the smallest size, when even that
// overflows. A failure puts the design size back before it is passed on.
bool shrinkToFit(const Object &frame, const Object &font, double design)
{
    const int smallest = int(std::ceil(design * SmallestShare / Step - 1e-9));
    const int largest = int(std::ceil(design / Step - 1e-9)) - 1;
    if (largest < smallest)
        return false;
    int current = 0;
    const auto setSize = [&](int steps) {
        if (steps != current)
            font.set(u"Size"_qs, steps * Step);
        current = steps;
    };
    try {
        setSize(smallest);
        if (overflows(frame))
            return false;
        int fits = smallest;
        int overflowing = largest + 1;
        while (overflowing - fits > 1) {
            const int middle = (fits + overflowing) / 2;
            setSize(middle);
            if (overflows(frame))
                overflowing = middle;
            else
                fits = middle;
        }
        setSize(std::max(smallest, fits - MarginSteps));
        return true;
    } catch (const RuntimeError &) {
        try {
            font.set(u"Size"_qs, design);
        } catch (const RuntimeError &) {
        }
        throw;
    }
}

// The fields whose values the text holds, and of those the ones with the longest value.
QList<int> longestFieldsIn(const QString &text, const QStringList &values)
{
    QList<int> result;
    qsizetype longest = 0;
    for (int i = 0; i < values.size(); ++i) {
        const QString &value = values.at(i);
        if (value.isEmpty() || value.size() < longest || !text.contains(value))
            continue;
        if (value.size() > longest)
            result.clear();
        longest = value.size();
        result.append(i);
    }
    return result;
}

} // namespace

QStringList FitText(Guard &g, const Object &document, const PartyDetails &details)
{
    QList<int> tooLong;
    const auto shapes = g.items<Variant>(216, [&] { return document.object(u"Shapes"_qs).enumerate(); });
    for (const Variant &item : shapes) {
        Object frame;
        bool overflowing = false;
        g.run(218, [&] {
            frame = item.toObject().object(u"TextFrame"_qs);
            overflowing = frame.get(u"HasText"_qs).toBool() && overflows(frame);
        });
        if (!overflowing)
            continue;
        Object font;
        double design = 0;
        const bool measured = g.run(220, [&] {
            font = frame.object(u"TextRange"_qs).object(u"Font"_qs);
            design = font.get(u"Size"_qs).toDouble();
        });
        bool fits = false;
        if (measured && design != WordConstants::Undefined)
            g.run(222, [&] { fits = shrinkToFit(frame, font, design); });
        if (!fits)
            g.run(224, [&] {
                tooLong += longestFieldsIn(frame.object(u"TextRange"_qs).get(u"Text"_qs).toString(),
                                           fieldValues(details));
            });
    }
    std::sort(tooLong.begin(), tooLong.end());
    tooLong.erase(std::unique(tooLong.begin(), tooLong.end()), tooLong.end());
    QStringList names;
    for (const int field : std::as_const(tooLong))
        names.append(QString::fromUtf16(FieldNames[field]));
    return names;
}
