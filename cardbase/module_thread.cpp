#include "cardbase/module_thread.h"

#include "cardbase/com_server.h"
#include "cardbase/sent_messages.h"

bool endModuleThread(HANDLE thread, volatile LONG* stopping, HANDLE wake, DWORD timeoutMs, ThreadWait wait)
{
    InterlockedExchange(stopping, 1);
    SetEvent(wake);
    const bool ended = wait == ThreadWait::HandlingSentMessages
                           ? waitHandlingSentMessages(thread, timeoutMs)
                           : WaitForSingleObject(thread, timeoutMs) == WAIT_OBJECT_0;
    if (ended) return true;
    // The thread runs code of this module for as long as whatever holds it up does.
    cardObjectCreated();
    return false;
}
