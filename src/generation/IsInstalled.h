#pragma once

// Checks at start-up that the document engine can be started: starts one instance and quits it.
// When it cannot be started, shows the advice message and returns false (the caller then ends the
// program). Never reports a failure of its own.
bool CheckWordInstalled();

// The advice shown when the engine cannot be started.
extern const char16_t EngineAdvice[];
