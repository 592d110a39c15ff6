#pragma once

class Guard;
class Object;
class PartyDetails;

// Fills the placeholders of an open document with the party details, read from their fields at
// the moment each one is replaced. Two passes through the document engine's find and replace:
// the stories (the four text fields), then every shape's text (all six placeholders). Runs inside
// the caller's guard: each failing statement is reported with its line number (116 to 168) and
// the work goes on with the next.
void ReplacePlaceholders(Guard &guard, const Object &document, const PartyDetails &details);
