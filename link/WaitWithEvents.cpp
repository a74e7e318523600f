#include "link/WaitWithEvents.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

void WaitWithEvents(quint32 milliseconds)
{
    if (milliseconds == 0) {
        QCoreApplication::processEvents();
        return;
    }
    // A nested loop that sleeps until an event arrives, rather than spinning on the clock.
    QEventLoop loop;
    QTimer::singleShot(std::chrono::milliseconds(milliseconds), &loop, &QEventLoop::quit);
    loop.exec();
}
