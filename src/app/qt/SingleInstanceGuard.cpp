#include "app/qt/SingleInstanceGuard.h"

#include <QByteArray>
#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QDir>
#include <QLocalSocket>
#include <QStandardPaths>
#include <QThread>

#if defined(Q_OS_UNIX)
#include <unistd.h>
#endif

namespace {

const QByteArray kRaiseRequest = "raise\n";

QString UserId() {
#if defined(Q_OS_UNIX)
    return QString::number(::getuid());
#else
    return qEnvironmentVariable("USERNAME");
#endif
}

} // namespace

SingleInstanceGuard::SingleInstanceGuard(const QString& name, const QString& directory,
                                         QObject* parent)
    : QObject(parent) {
    QString folder = directory;
    if (folder.isEmpty()) {
        folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    }
    if (folder.isEmpty()) {
        folder = QDir::tempPath();
    }
    // The class name has blanks and may be long; a hash keeps the socket path short and plain.
    const QByteArray hash = QCryptographicHash::hash((name + QLatin1Char('/') + UserId()).toUtf8(),
                                                     QCryptographicHash::Sha1)
                                .toHex()
                                .left(16);
    const QString base = QStringLiteral("kilnwatch-%1-%2").arg(UserId(), QString::fromLatin1(hash));
    m_strServerName = QDir(folder).filePath(base + QStringLiteral(".socket"));
    m_strLockPath = QDir(folder).filePath(base + QStringLiteral(".lock"));
}

SingleInstanceGuard::~SingleInstanceGuard() {
    if (m_pServer != nullptr) {
        m_pServer->close();
    }
}

bool SingleInstanceGuard::Acquire(int timeoutMs) {
    m_pLock = std::make_unique<QLockFile>(m_strLockPath);
    // A program that holds the lock never lets it go stale; a lock whose process is gone is
    // taken over at once.
    m_pLock->setStaleLockTime(0);
    if (!m_pLock->tryLock(0)) {
        if (m_pLock->error() == QLockFile::LockFailedError) {
            m_pLock.reset();
            AskFirstToRaise(timeoutMs);
            return false;
        }
        // The lock file cannot be made at all (no writable folder): run without a guard
        // rather than not at all.
        m_pLock.reset();
        return true;
    }
    // Whatever socket is there was left by a program that is gone.
    QLocalServer::removeServer(m_strServerName);
    m_pServer = new QLocalServer(this);
    m_pServer->setSocketOptions(QLocalServer::UserAccessOption);
    if (!m_pServer->listen(m_strServerName)) {
        return true;
    }
    connect(m_pServer, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* socket = m_pServer->nextPendingConnection()) {
            connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
                if (socket->readAll().contains(kRaiseRequest)) {
                    emit raiseRequested();
                }
                socket->disconnectFromServer();
            });
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        }
    });
    return true;
}

bool SingleInstanceGuard::AskFirstToRaise(int timeoutMs) {
    const QDeadlineTimer deadline(timeoutMs);
    while (true) {
        QLocalSocket socket;
        socket.connectToServer(m_strServerName);
        if (socket.waitForConnected(200)) {
            socket.write(kRaiseRequest);
            const bool sent = socket.waitForBytesWritten(1000);
            socket.disconnectFromServer();
            return sent;
        }
        if (deadline.hasExpired()) {
            return false;
        }
        QThread::msleep(100);
    }
}
