#pragma once

#include "OfficeSession.h"

#include <com/sun/star/lang/XComponent.hpp>

// Writes the document as PDF to path, replacing a file there: every page at the document's page
// size, every font embedded, pictures at their full resolution with lossless compression.
void storePdf(OfficeSession &session, const Reference<css::lang::XComponent> &model, const QString &path);
