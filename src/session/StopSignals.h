#pragma once

#include <QObject>
#include <QSocketNotifier>

// SIGINT, SIGTERM, SIGHUP (the terminal went away) and SIGPIPE (standard output was closed, as
// by `kilnmon | head`) as a Qt signal, so each ends the program in the same order. The handler
// only writes the signal's number to a pipe; the event loop reads it and emits stopRequested,
// so the shutdown runs as ordinary code. Writes to a closed output then fail quietly. On
// Windows the console's Ctrl-C (SIGINT), Ctrl-Break and close (SIGTERM) take their place.
class StopSignals : public QObject {
    Q_OBJECT

public:
    explicit StopSignals(QObject* parent = nullptr);
    ~StopSignals() override;

    // False when the pipe or the handlers could not be set up.
    bool IsValid() const { return m_bValid; }

signals:
    void stopRequested(int signalNumber);

private slots:
    void OnReadable();

private:
    QSocketNotifier* m_pNotifier = nullptr;
    bool m_bValid = false;
    bool m_bOwnsHandlers = false;
};
