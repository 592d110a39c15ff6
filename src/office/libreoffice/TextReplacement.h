#pragma once

#include "Uno.h"
#include "WordDocument.h"

#include "office/WordFind.h"

// Finds the matcher's occurrences inside one text and replaces them (all, the first, or none:
// just counting). Each occurrence is replaced through a text cursor over exactly its characters,
// so the replacement keeps the formatting of the text it replaces. Occurrences never span two
// paragraphs. Returns how many were found.
//
// Replacements are inserted literally (emoji, combining marks, right-to-left text), except for the
// characters a .doc cannot hold as text, which are dropped one by one: control characters other
// than tab, line feed and carriage return (the word processor refuses a whole insertion holding
// one), and halves of surrogate pairs without their other half. In a word-processor text, a
// replacement's characters beyond the first ten thousand (more than any box shows) are hidden, so
// that a value of any length is held whole without being laid out.
int replaceInText(const Reference<css::text::XText> &text, TextKind kind, const TextMatcher &matcher, ReplaceMode mode);
