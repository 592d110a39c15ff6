#pragma once

class OfficeSession;

// Brings a freshly started office up to the speed of its later work: the first document an office
// makes, saves as Word 97-2003, opens again and pictures loads its word-processing, filter and
// picture code and its fonts, which would otherwise slow the user's first invitation. Run while
// the office is being started, before anything else uses it. Any thread; leaves no file behind.
void warmUp(OfficeSession &session);
