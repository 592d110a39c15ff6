#pragma once

#include <QStringList>

class Guard;
class Object;
class PartyDetails;

// Makes every text box of an open, filled document show all of its text, through the document
// engine's text frames: a box whose text overflows gets smaller text, in steps of half a point,
// down to no less than 60 % of its design size; it ends one step below the largest size that
// fits, a margin for readers whose line breaks fall slightly differently. A box whose text fits
// is not touched, so it keeps its design size exactly. A size is every script's: the Latin, the
// Asian (Chinese, Japanese, Korean) and the complex-script (Hebrew, Arabic, Thai...) text of a box
// are set together, so a long value fits whatever it is written in.
//
// Returns the fields whose values are too long to show in full: for each box that overflows even
// at the smallest size (or whose text has mixed sizes, and is not shrunk), the field of the
// longest value in it. Names as the main window shows them: "Given By", "Street Address", "City",
// "State", "Date", "Time", in that order, each once; empty when everything fits.
//
// Call it right after ReplacePlaceholders, before the document is saved, inside the same guard.
// Its statements are reported with lines 216 (the shapes), 218 (a box's text frame and whether it
// overflows), 220 (its design size), 222 (shrinking it) and 224 (naming its fields): numbers after
// the generation's last, so that every existing number keeps its meaning. A failing statement is
// reported and the pass goes on with the next box.
QStringList FitText(Guard &guard, const Object &document, const PartyDetails &details);
