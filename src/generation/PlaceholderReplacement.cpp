#include "generation/PlaceholderReplacement.h"

#include "automation/Object.h"
#include "generation/DateTimeTexts.h"
#include "generation/PartyDetails.h"
#include "shell/Guard.h"

namespace {

const QString DatePlaceholder = QStringLiteral("[Date]");
const QString TimePlaceholder = QStringLiteral("[Time]");
constexpr qint16 ReplaceAll = 2;
constexpr qint32 WrapContinue = 1;
constexpr int OmittedFindOptions = 8; // match case ... format: whatever the find object holds

// One replacement inside a shape's text, through a fresh chain of objects, with Execute's
// eleven positional arguments.
void ReplaceInShape(const Object &shape, const QString &placeholder, const QString &value)
{
    QList<Variant> arguments{placeholder};
    for (int i = 0; i < OmittedFindOptions; ++i)
        arguments.append(Variant::missing());
    arguments << value << ReplaceAll;
    shape.object(u"TextFrame"_qs).object(u"TextRange"_qs).object(u"Find"_qs).call(u"Execute"_qs, arguments);
}

} // namespace

void ReplacePlaceholders(Guard &g, const Object &document, const PartyDetails &details)
{
    // Story pass: each text field in turn [116], in every story [118].
    for (int i = 0; i < PartyDetails::TextFieldCount; ++i) {
        const auto stories = g.items<Variant>(118, [&] { return document.object(u"StoryRanges"_qs).enumerate(); });
        for (const Variant &item : stories) {
            Object story;
            g.run(120, [&] { story = item.toObject(); });
            g.run(122, [&] { story.object(u"Find"_qs).call(u"ClearFormatting"_qs); });
            g.run(124, [&] { story.object(u"Find"_qs).object(u"Replacement"_qs).call(u"ClearFormatting"_qs); });
            Object find;
            g.run(126, [&] { find = story.object(u"Find"_qs); });
            g.run(128, [&] { find.set(u"Text"_qs, details.tag(i)); });
            g.run(130, [&] { find.object(u"Replacement"_qs).set(u"Text"_qs, details.text(i)); });
            g.run(132, [&] { find.set(u"Forward"_qs, true); });
            g.run(134, [&] { find.set(u"Wrap"_qs, WrapContinue); });
            g.run(136, [&] { find.set(u"Format"_qs, false); });
            g.run(138, [&] { find.set(u"MatchCase"_qs, false); });
            g.run(140, [&] { find.set(u"MatchWholeWord"_qs, false); });
            g.run(142, [&] { find.set(u"MatchWildcards"_qs, false); });
            g.run(144, [&] { find.set(u"MatchSoundsLike"_qs, false); });
            g.run(146, [&] { find.set(u"MatchAllWordForms"_qs, false); });
            g.run(148, [&] { find.call(u"Execute"_qs, {}, {{u"Replace"_qs, ReplaceAll}}); });
        } // [150] next story
    }     // [152] next field

    // Shape pass: every shape [154] that holds text [156] gets all six placeholders replaced.
    const auto shapes = g.items<Variant>(154, [&] { return document.object(u"Shapes"_qs).enumerate(); });
    for (const Variant &item : shapes) {
        // A failing test counts as true; a null answer converts to false.
        if (!g.test(156, [&] { return item.toObject().object(u"TextFrame"_qs).get(u"HasText"_qs).toBool(); }))
            continue;
        for (int i = 0; i < PartyDetails::TextFieldCount; ++i)                                     // [158]
            g.run(160, [&] { ReplaceInShape(item.toObject(), details.tag(i), details.text(i)); }); // [162]
        g.run(164,
              [&] { ReplaceInShape(item.toObject(), DatePlaceholder, PartyDateText(details.partyDate().date())); });
        g.run(166,
              [&] { ReplaceInShape(item.toObject(), TimePlaceholder, PartyTimeText(details.partyTime().time())); });
    } // [168] next shape
}
