#include "common/SingleInstance.h"
#include "support/QtPrinters.h"

#include <QDir>
#include <QTemporaryDir>

#include <csignal>
#include <sys/wait.h>

#include <gtest/gtest.h>

#include <unistd.h>

using namespace rq;

namespace {

// Runs `body` in a child process and returns its exit code (or -signal).
int inChild(const std::function<int()> &body)
{
    const pid_t pid = fork();
    if (pid == 0)
        _exit(body());
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -WTERMSIG(status);
}

}  // namespace

TEST(SingleInstance, SecondProcessIsRefusedWhileTheFirstRuns)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("RANQUILL.lock"));
    SingleInstance first(path);
    ASSERT_TRUE(first.tryAcquire());
    EXPECT_EQ(inChild([&] { return SingleInstance(path).tryAcquire() ? 0 : 3; }), 3);
    first.release();
    EXPECT_EQ(inChild([&] { return SingleInstance(path).tryAcquire() ? 0 : 3; }), 0);
}

TEST(SingleInstance, LockOfACrashedProcessDoesNotBlock)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("RANQUILL.lock"));
    const int crashed = inChild([&] {
        SingleInstance lock(path);
        if (!lock.tryAcquire())
            return 1;
        ::raise(SIGKILL);
        return 0;
    });
    EXPECT_EQ(crashed, -SIGKILL);
    SingleInstance next(path);
    EXPECT_TRUE(next.tryAcquire());
}

TEST(SingleInstance, ALockThatCannotBeTakenSaysWhyInsteadOfClaimingACopyRuns)
{
    QTemporaryDir dir;
    // The lock file's path is taken by a directory.
    const QString path = dir.filePath(QStringLiteral("RANQUILL.lock"));
    ASSERT_TRUE(QDir().mkpath(path));
    SingleInstance lock(path);
    EXPECT_EQ(lock.acquire(), SingleInstance::Result::Failed);
    EXPECT_TRUE(lock.failure().contains(path)) << lock.failure().toStdString();
    EXPECT_FALSE(lock.failure().contains(QStringLiteral("bereits")));
}
