#pragma once
// The progress bar of a whole-screen send: at most `maximum` visible steps
// however long the text is.

// Characters per bar step for a text of `length` characters: 1 when the bar
// has more steps than the text has characters, otherwise length / maximum.
int progressStep(int length, int maximum);

// The bar's position after the `sent`-th character, kept within the bar's
// range (a bar refuses a value outside it instead of pinning it).
int progressPosition(int sent, int step, int minimum, int maximum);
