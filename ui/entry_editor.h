// The typed transponder entry: putting, erasing and clearing characters,
// and the built-in default entry.
#pragma once

void typeEntryCharacter(char character, bool advance);
void eraseEntryCharacter();
void clearEntry();
void loadDefaultEntry();

// Draws a band of 13 blanks, then the first `count` characters of the entry,
// centred in the entry rectangle, with the font and colours already selected.
void drawEntryText(int count);
