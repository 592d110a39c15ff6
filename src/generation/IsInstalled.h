#pragma once

#include <QString>

// Checks at start-up that the document engine can run, without waiting for it: when that can be
// told at once (the engine is missing, or cannot run here), shows the advice message and returns
// false (the caller then ends the program). Otherwise the engine starts in the background and the
// check returns true at once; when that start fails later, the advice is shown then and the
// program ends, also when a click is waiting for the engine (the advice comes before anything
// that click would report). Never reports a failure of its own.
bool CheckWordInstalled();

// The advice shown when the engine cannot be started, with the cause in one line when it is
// known (cause may be empty), and the numbered points of the engine's description (the automation
// layer's, for "Word.Application").
QString EngineAdvice(const QString &cause);
