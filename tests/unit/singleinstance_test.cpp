#include "childprocess.h"
#include "platform/session/unixsingleinstance.h"
#include "testfiles.h"
#include "waituntil.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <QTimer>
#include <chrono>
#include <cstdio>
#include <functional>
#include <future>
#include <gtest/gtest.h>
#include <memory>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

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

// Run only as the process the test below starts and kills: takes the lock and waits.
TEST(SingleInstance, DISABLED_HoldTheLockUntilKilled) {
    TUnixSingleInstance holder(qEnvironmentVariable("SVX_LOCK_FOLDER"));
    ASSERT_TRUE(holder.AcquireLock());
    std::puts("locked");
    std::fflush(stdout);
    std::this_thread::sleep_for(std::chrono::minutes(5));
}

TEST(SingleInstance, TheLockDiesWithItsHolder) {
    QTemporaryDir dir;
    TChildProcess holder;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("SVX_LOCK_FOLDER", dir.path());
    ASSERT_TRUE(holder.Start(QCoreApplication::applicationFilePath(),
                             {"--gtest_also_run_disabled_tests",
                              "--gtest_filter=SingleInstance.DISABLED_HoldTheLockUntilKilled"},
                             environment));
    // Generous: the machine may be busy.
    QByteArray said;
    while (!said.contains("locked") && holder.ReadMore(said, 60000)) {
    }
    ASSERT_TRUE(said.contains("locked")) << said.toStdString();
    TUnixSingleInstance next(dir.path());
    ASSERT_FALSE(next.AcquireLock());
    // Gone without a shutdown: the lock file stays, the lock does not.
    holder.Kill();
    EXPECT_TRUE(QFile::exists(dir.filePath("SnapvaultMutex")));
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
    ASSERT_TRUE(RunUntil([&] {
        return answer.wait_for(std::chrono::milliseconds(0)) == std::future_status::ready;
    }));
    EXPECT_EQ(answer.get(), ISingleInstance::TCloseResult::Closed);
    EXPECT_EQ(closes, 1);
}

TEST(SingleInstance, ALineThatIsNoCloseRequestClosesNothing) {
    QTemporaryDir dir;
    TUnixSingleInstance first(dir.path());
    ASSERT_TRUE(first.AcquireLock());
    int closes = 0;
    ASSERT_TRUE(first.Publish([&] { ++closes; }));
    QLocalSocket stranger;
    stranger.connectToServer(first.ServerPath());
    stranger.write("close please\n");
    // The instance hangs up on it.
    EXPECT_TRUE(RunUntil([&] { return stranger.state() == QLocalSocket::UnconnectedState; }));
    EXPECT_EQ(closes, 0);
}

TEST(SingleInstance, AChannelThatHangsUpOrAnswersOtherwiseIsNoAnswer) {
    QTemporaryDir dir;
    for (const QByteArray& reply : {QByteArray(), QByteArray("not closed\n")}) {
        QLocalServer listener;
        QLocalServer::removeServer(dir.filePath("SVXFileMap"));
        ASSERT_TRUE(listener.listen(dir.filePath("SVXFileMap")));
        QObject::connect(&listener, &QLocalServer::newConnection, &listener, [&] {
            QLocalSocket* socket = listener.nextPendingConnection();
            QObject::connect(socket, &QLocalSocket::readyRead, socket, [socket, reply] {
                if (!socket->canReadLine())
                    return;
                socket->readLine();
                socket->write(reply);
                socket->disconnectFromServer();
            });
        });
        auto answer = std::async(std::launch::async, [&] {
            TUnixSingleInstance second(dir.path());
            return second.RequestClose();
        });
        ASSERT_TRUE(RunUntil([&] {
            return answer.wait_for(std::chrono::milliseconds(0)) == std::future_status::ready;
        }));
        EXPECT_EQ(answer.get(), ISingleInstance::TCloseResult::NoAnswer) << reply.toStdString();
    }
}

// The session's runtime folder (taken only as it is), the folder under a shared /tmp, and its
// fallback: what is there already decides, and a folder that is not private is never handed out.
TEST(RuntimeFolder, OnlyAFolderOfOursClosedToOthersIsTaken) {
    using TPrepare = std::function<bool(const QString& path, const QString& elsewhere)>;
    const TPrepare nothing = [](const QString&, const QString&) { return true; };
    const auto folderWithMode = [](mode_t mode) -> TPrepare {
        return [mode](const QString& path, const QString&) {
            return mkdir(QFile::encodeName(path).constData(), mode) == 0 &&
                   chmod(QFile::encodeName(path).constData(), mode) == 0;
        };
    };
    const TPrepare openToOthers = folderWithMode(0777);
    const TPrepare link = [](const QString& path, const QString& elsewhere) {
        return QDir().mkpath(elsewhere) && QDir().mkpath(QFileInfo(path).path()) &&
               QFile::link(elsewhere, path);
    };
    const TPrepare file = [](const QString& path, const QString&) {
        return QDir().mkpath(QFileInfo(path).path()) && Touch(path);
    };
    const TPrepare othersFolder = [](const QString& path, const QString&) {
        // Only a privileged test run can give a folder away.
        return QDir().mkpath(path) &&
               (getuid() != 0 || chown(QFile::encodeName(path).constData(), 65534, 65534) == 0);
    };
    const TPrepare closed = folderWithMode(0700);
    enum TChosen { Preferred, Fallback, None, Runtime };
    const TChosen notOurs = getuid() != 0 ? Preferred : Fallback;
    const struct {
        const char* Name;
        TPrepare Preferred;
        TPrepare Fallback;
        TChosen Chosen;
        TPrepare Runtime = [](const QString&, const QString&) { return true; };
        const char* RuntimeWritten = ""; // after the session's folder's path
    } cases[] = {
        {"nothing there", nothing, nothing, Preferred},
        {"ours, open to others", openToOthers, nothing, Preferred},
        {"a link to a folder of ours", link, nothing, Fallback},
        {"a file", file, nothing, Fallback},
        {"another user's", othersFolder, nothing, notOurs},
        {"a file, and a link as the fallback", file, link, None},
        {"a link, and a file as the fallback", link, file, None},
        {"another user's, and theirs as the fallback", othersFolder, othersFolder,
         getuid() != 0 ? Preferred : None},
        {"the session's, ours and closed", nothing, nothing, Runtime, closed},
        {"the session's, open to others", nothing, nothing, Preferred, openToOthers},
        {"the session's, open to its group", nothing, nothing, Preferred, folderWithMode(0770)},
        {"the session's, a link to a closed folder, written with a trailing slash", nothing,
         nothing, Preferred,
         [&](const QString& path, const QString& elsewhere) {
             return closed(elsewhere, {}) && link(path, elsewhere);
         },
         "/"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        QTemporaryDir dir;
        const QString preferred = dir.filePath("tmp-snapvault");
        const QString fallback = dir.filePath("home/.cache/snapvault");
        ASSERT_TRUE(c.Preferred(preferred, dir.filePath("elsewhere")));
        ASSERT_TRUE(c.Fallback(fallback, dir.filePath("elsewhere2")));
        const QString runtime = dir.filePath("run-user");
        ASSERT_TRUE(c.Runtime(runtime, dir.filePath("elsewhere3")));
        const QString chosen = RuntimeFolder(runtime + c.RuntimeWritten, preferred, fallback);
        EXPECT_EQ(chosen, c.Chosen == Preferred  ? preferred
                          : c.Chosen == Fallback ? fallback
                          : c.Chosen == Runtime  ? runtime
                                                 : QString());
        if (c.Chosen == None)
            continue;
        struct stat info {};
        ASSERT_EQ(lstat(QFile::encodeName(chosen).constData(), &info), 0);
        EXPECT_TRUE(S_ISDIR(info.st_mode));
        EXPECT_EQ(info.st_mode & 0777, 0700u);
        EXPECT_EQ(info.st_uid, getuid());
    }
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
    ASSERT_TRUE(WriteAll(dir.filePath("SVXFileMap"), {}));
    TUnixSingleInstance first(dir.path());
    ASSERT_TRUE(first.AcquireLock());
    EXPECT_TRUE(first.Publish([] {}));
}

} // namespace
