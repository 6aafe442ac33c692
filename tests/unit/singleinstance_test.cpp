#include "platform/unixsingleinstance.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>
#include <future>
#include <gtest/gtest.h>
#include <memory>

namespace {

TEST(SingleInstance, OnlyOneHolderOfTheLock) {
    QTemporaryDir dir;
    TUnixSingleInstance first(dir.path());
    TUnixSingleInstance second(dir.path());
    ASSERT_TRUE(first.AcquireLock());
    EXPECT_FALSE(second.AcquireLock());
    first.ReleaseLock();
    EXPECT_TRUE(second.AcquireLock());
}

TEST(SingleInstance, TheLockDiesWithItsHolder) {
    QTemporaryDir dir;
    {
        TUnixSingleInstance crashed(dir.path());
        ASSERT_TRUE(crashed.AcquireLock());
        // Gone without a shutdown: the lock file stays, the lock does not.
    }
    EXPECT_TRUE(QFile::exists(dir.filePath("SnapvaultMutex")));
    TUnixSingleInstance next(dir.path());
    EXPECT_TRUE(next.AcquireLock());
}

TEST(SingleInstance, CloseRequestIsAnsweredAfterTheWindowHandledIt) {
    QTemporaryDir dir;
    TUnixSingleInstance first(dir.path());
    ASSERT_TRUE(first.AcquireLock());
    int closes = 0;
    ASSERT_TRUE(first.Publish([&] { ++closes; }));

    // The requester blocks, as a terminating instance does; it runs beside the event loop.
    auto answer = std::async(std::launch::async, [&] {
        TUnixSingleInstance second(dir.path());
        return second.RequestClose();
    });
    QEventLoop loop;
    while (answer.wait_for(std::chrono::milliseconds(0)) != std::future_status::ready)
        loop.processEvents(QEventLoop::AllEvents, 20);
    EXPECT_EQ(answer.get(), ISingleInstance::TCloseResult::Closed);
    EXPECT_EQ(closes, 1);
}

TEST(SingleInstance, AnEndingInstanceLeavesTheNextOnesChannelAlone) {
    QTemporaryDir dir;
    auto ending = std::make_unique<TUnixSingleInstance>(dir.path());
    ASSERT_TRUE(ending->AcquireLock());
    ASSERT_TRUE(ending->Publish([] {}));
    ending->ReleaseLock(); // shutdown; the object itself goes a little later
    TUnixSingleInstance next(dir.path());
    ASSERT_TRUE(next.AcquireLock());
    ASSERT_TRUE(next.Publish([] {}));
    ending.reset();
    EXPECT_TRUE(QFile::exists(dir.filePath("SVXFileMap")));
}

TEST(SingleInstance, NothingToReachGivesCannotConnect) {
    QTemporaryDir dir;
    TUnixSingleInstance second(dir.path());
    EXPECT_EQ(second.RequestClose(), ISingleInstance::TCloseResult::CannotConnect);
}

TEST(SingleInstance, StaleChannelOfACrashedInstanceIsReplaced) {
    QTemporaryDir dir;
    // A socket file left by a killed instance.
    QFile stale(dir.filePath("SVXFileMap"));
    ASSERT_TRUE(stale.open(QIODevice::WriteOnly));
    stale.close();
    TUnixSingleInstance first(dir.path());
    ASSERT_TRUE(first.AcquireLock());
    EXPECT_TRUE(first.Publish([] {}));
}

} // namespace
