#pragma once

#include <QObject>

class QSocketNotifier;

/// Turns the signals that end a session (SIGTERM at shutdown, SIGHUP at
/// logout, SIGINT from a terminal) into a Qt signal on the event loop, so
/// that the program can close its window as the exit button does and save
/// its settings. The handler only writes a byte into a socket pair, which is
/// all a signal handler may safely do; a second signal, before the program
/// has ended, ends it at once as the signal's default would.
class ShutdownSignals : public QObject
{
    Q_OBJECT
public:
    /// Installs the handlers; one object per process.
    explicit ShutdownSignals(QObject *parent = nullptr);
    ~ShutdownSignals() override;

    /// False when the socket pair or a handler could not be set up (the
    /// signals then keep their default effect).
    bool isActive() const { return m_notifier != nullptr; }

signals:
    /// A session-ending signal arrived; `signalNumber` names it.
    void closeRequested(int signalNumber);

private:
    void readSignal();

    QSocketNotifier *m_notifier = nullptr;
};
