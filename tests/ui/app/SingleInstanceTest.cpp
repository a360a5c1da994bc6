#include "app/qt/SingleInstanceGuard.h"

#include <QDir>
#include <QFile>
#include <QHostInfo>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <gtest/gtest.h>

TEST(SingleInstance, SecondStartAsksTheFirstToRaiseAndGivesUp) {
    QTemporaryDir folder;
    SingleInstanceGuard first(QStringLiteral("Test Class"), folder.path());
    ASSERT_TRUE(first.Acquire());
    QSignalSpy raised(&first, &SingleInstanceGuard::raiseRequested);

    SingleInstanceGuard second(QStringLiteral("Test Class"), folder.path());
    EXPECT_FALSE(second.Acquire(2000));
    EXPECT_TRUE(raised.wait(2000));
}

TEST(SingleInstance, LockAndSocketLeftByACrashDoNotStopTheNextStart) {
    QTemporaryDir folder;
    SingleInstanceGuard guard(QStringLiteral("Crash Class"), folder.path());
    const QString socketPath = guard.ServerName();
    QString lockPath = socketPath;
    lockPath.replace(QStringLiteral(".socket"), QStringLiteral(".lock"));
    // A lock naming a process that is gone, and a socket file nobody listens on.
    QFile lock(lockPath);
    ASSERT_TRUE(lock.open(QIODevice::WriteOnly));
    lock.write("2147483600\nkilnwatch\n" + QHostInfo::localHostName().toUtf8() + "\n");
    lock.close();
    QFile socket(socketPath);
    ASSERT_TRUE(socket.open(QIODevice::WriteOnly));
    socket.close();

    EXPECT_TRUE(guard.Acquire(500));
}

TEST(SingleInstance, GuardsOfOtherNamesDoNotMeet) {
    QTemporaryDir folder;
    SingleInstanceGuard a(QStringLiteral("A Class"), folder.path());
    SingleInstanceGuard b(QStringLiteral("B Class"), folder.path());
    EXPECT_TRUE(a.Acquire());
    EXPECT_TRUE(b.Acquire());
}
