// Names the calling thread for whoever looks at the process's threads
// (Windows 10 and later; Wine passes the name on to the host's thread, where
// the tests find it). Does nothing where Windows has no such call.
#pragma once

void nameThisThread(const char* name);
