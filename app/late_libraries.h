// The two system calls the program makes only after its first paint: opening
// a file or page with the shell, and playing a sound from memory. Their
// libraries are loaded when first used, so that starting the program does not
// wait for them (with what they pull in, they are most of what it loads).
#pragma once
#include <windows.h>

// ShellExecuteA with the verb "open", no parameters and no directory; its
// result, as the shell's.
HINSTANCE shellOpen(HWND owner, const char* file, int show);

// sndPlaySoundA; FALSE when the sound library cannot be loaded.
BOOL playSound(const char* sound, UINT flags);
