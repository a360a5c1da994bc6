#pragma once

#include <QLocalServer>
#include <QLockFile>
#include <QObject>
#include <QString>

#include <memory>

// One running program per user. The first start holds a lock file and listens on a local
// socket; a later start finds the lock held, asks the first through the socket to restore and
// raise its window, and gives up. A lock left by a program that crashed is recognised as stale
// (its process is gone) and taken over, and so is the socket it left behind.
class SingleInstanceGuard : public QObject {
    Q_OBJECT

public:
    // name: the window class name; the guard's files are made from it and the user's id, in
    // directory (the user's runtime directory when empty).
    explicit SingleInstanceGuard(const QString& name, const QString& directory = QString(),
                                 QObject* parent = nullptr);
    ~SingleInstanceGuard() override;

    // True when this is the first instance. Otherwise the first one has been asked to show
    // itself (waiting up to timeoutMs for it to listen, as it may be starting itself).
    bool Acquire(int timeoutMs = 3000);

    QString ServerName() const { return m_strServerName; }

signals:
    // Another start asked this instance to restore and raise its window.
    void raiseRequested();

private:
    bool AskFirstToRaise(int timeoutMs);

    QString m_strServerName;
    QString m_strLockPath;
    std::unique_ptr<QLockFile> m_pLock;
    QLocalServer* m_pServer = nullptr;
};
