#pragma once

#include "OfficeSession.h"

#include <com/sun/star/lang/XComponent.hpp>

#include <QImage>

// Pictures of a document's first page. A picture is made at a given density and carries it as its
// resolution, so that its size in logical pixels is always the page's size at 96 dots per inch
// (816 x 1056 for a Letter page), however many device pixels it has.

// The density of a picture that is sharp at zoom 1.0 on the primary screen: 96 dots per inch
// times the screen's device pixel ratio. The screen is asked on the user-interface thread only;
// another thread gets what was read there last (96 dots per inch before that).
double screenDotsPerInch();

// Renders the first page of an open document at dotsPerInch.
QImage pictureOfModel(OfficeSession &session, const Reference<css::lang::XComponent> &model, double dotsPerInch);

// Renders the first page at the screen's density and puts the picture on the program's own
// clipboard.
void copyFirstPageToClipboard(OfficeSession &session, const Reference<css::lang::XComponent> &model);

// Opens the document saved at path (hidden, read-only, no macros, no lock file), renders its first
// page at dotsPerInch and closes it again, also when rendering fails. Any thread; the calls into
// the office are the session's.
QImage pictureOfSavedDocument(OfficeSession &session, const QString &path, double dotsPerInch);
