#include "support/PtyPair.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>

#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

PtyPair::PtyPair()
{
    char name[256] = {};
    termios raw{};
    cfmakeraw(&raw);
    if (openpty(&m_master, &m_slave, name, &raw, nullptr) != 0) {
        m_master = m_slave = -1;
        return;
    }
    fcntl(m_master, F_SETFL, fcntl(m_master, F_GETFL) | O_NONBLOCK);
    m_slavePath = QString::fromLocal8Bit(name);
}

PtyPair::~PtyPair()
{
    if (m_master >= 0)
        ::close(m_master);
    if (m_slave >= 0)
        ::close(m_slave);
}

QByteArray PtyPair::readAvailable(int timeoutMs, int minBytes)
{
    QElapsedTimer clock;
    clock.start();
    for (;;) {
        char buf[4096];
        for (;;) {
            const ssize_t n = ::read(m_master, buf, sizeof buf);
            if (n <= 0)
                break;
            m_pending.append(buf, n);
        }
        if (m_pending.size() >= minBytes || clock.elapsed() >= timeoutMs)
            break;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        pollfd p{m_master, POLLIN, 0};
        ::poll(&p, 1, 5);
    }
    QByteArray out;
    out.swap(m_pending);
    return out;
}

QByteArray PtyPair::readLine(int timeoutMs)
{
    QElapsedTimer clock;
    clock.start();
    for (;;) {
        const qsizetype nl = m_pending.indexOf('\n');
        if (nl >= 0) {
            const QByteArray line = m_pending.left(nl + 1);
            m_pending.remove(0, nl + 1);
            return line;
        }
        const int left = timeoutMs - int(clock.elapsed());
        if (left <= 0)
            return {};
        const qsizetype had = m_pending.size();
        // readAvailable hands back everything pending; keep it queued here.
        m_pending = readAvailable(left, int(had) + 1);
        if (m_pending.size() == had)
            return {};
    }
}

void PtyPair::write(const QByteArray& bytes)
{
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(m_master, bytes.constData() + done, bytes.size() - done);
        if (n < 0) {
            if (errno == EAGAIN) {
                QThread::msleep(1);
                continue;
            }
            return;
        }
        done += n;
    }
}
