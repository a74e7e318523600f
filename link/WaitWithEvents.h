#pragma once
#include <QtGlobal>

// Waits the given milliseconds while window, timer and port events keep running.
// With 0 it handles the pending events once and returns.
void WaitWithEvents(quint32 milliseconds);
