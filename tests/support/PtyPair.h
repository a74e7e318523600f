#pragma once
#include <QByteArray>
#include <QString>

// A pseudo-terminal whose master end a test holds, playing the instrument byte for
// byte, while the program opens the slave end through the real serial port code.
class PtyPair {
public:
    PtyPair();
    ~PtyPair();
    PtyPair(const PtyPair&) = delete;
    PtyPair& operator=(const PtyPair&) = delete;

    bool isValid() const { return m_master >= 0; }
    QString slavePath() const { return m_slavePath; }

    // Everything the program wrote so far, waiting up to timeoutMs for at least
    // minBytes; events keep running while it waits.
    QByteArray readAvailable(int timeoutMs = 0, int minBytes = 1);
    // Reads until one whole line (with its line feed) is there, or the time is up.
    QByteArray readLine(int timeoutMs = 3000);
    void write(const QByteArray& bytes);

private:
    int m_master = -1;
    int m_slave = -1; // kept open so the master never sees a hang-up between opens
    QString m_slavePath;
    QByteArray m_pending;
};
