#pragma once

#include "Uno.h"

#include <com/sun/star/uno/XInterface.hpp>

// Whether the text of a text frame or drawing shape needs more height than the box has. The
// office draws a fixed-size box's text only as far as the box reaches, and has no flag for
// "cut off"; so the box is measured by letting it grow with its text for a moment: its height as
// then laid out, against its own. The box is left exactly as it was. A box that grows with its
// text by itself, or cannot hold text, never overflows.
bool textOverflows(const Reference<css::uno::XInterface> &shape);
