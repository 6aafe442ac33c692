#include "platform/files/atomicfile.h"
#include "platform/files/newfile.h"
#include "testfiles.h"

#include <QDir>
#include <QFile>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <dlfcn.h>
#include <functional>
#include <sys/resource.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

// Every umask() of the process comes through here. A mask opened up to 0 stays open a while, so
// that a file created by another thread meanwhile shows it: a race that would otherwise strike
// once in a hundred thousand writes strikes at once.
extern "C" mode_t umask(mode_t mask) {
    using TUmask = mode_t (*)(mode_t);
    static const auto real = reinterpret_cast<TUmask>(dlsym(RTLD_NEXT, "umask"));
    const mode_t previous = real(mask);
    if (mask == 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return previous;
}

namespace {

mode_t ModeOf(const QString& path) {
    struct stat info {};
    return ::lstat(QFile::encodeName(path).constData(), &info) == 0 ? info.st_mode : 0;
}

// Sets the user's mask for one test.
class TUserMask {
public:
    explicit TUserMask(mode_t mask) : FPrevious(::umask(mask)) {}
    ~TUserMask() { ::umask(FPrevious); }
    TUserMask(const TUserMask&) = delete;
    TUserMask& operator=(const TUserMask&) = delete;

private:
    mode_t FPrevious;
};

// The names in `folder` other than `keep`: a failed write leaves nothing of its own behind.
QStringList Leftovers(const QDir& folder, const QStringList& keep) {
    QStringList names =
        folder.entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot | QDir::System);
    for (const QString& name : keep)
        names.removeAll(name);
    return names;
}

TEST(AtomicFile, ReplacesTheTargetWholeOrNotAtAll) {
    const TUserMask mask(022);
    const QByteArray bytes(64 * 1024, 'n');
    const struct {
        const char* Name;
        std::function<bool(const QDir& folder)> Prepare;
        bool Succeeds;
        QByteArray TargetAfter; // the file at the target afterwards
        mode_t Mode = 0644;
        std::string Remains = ""; // besides the target and the link's target
    } cases[] = {
        {"nothing there", [](const QDir&) { return true; }, true, bytes},
        {"an older file",
         [](const QDir& folder) { return WriteAll(folder.filePath("SVX.dat"), "old"); }, true,
         bytes},
        {"an older file closed to others stays so",
         [](const QDir& folder) {
             return Touch(folder.filePath("SVX.dat")) &&
                    QFile::setPermissions(folder.filePath("SVX.dat"), QFile::ReadOwner);
         },
         true, bytes, 0400},
        {"a dead writer's temporary and an earlier version's go, links and others' files stay",
         [](const QDir& folder) { // no process has the largest number
             const QByteArray others = QFile::encodeName(folder.filePath(".SVX.dat.zzzzzzzzzz"));
             return Touch(folder.filePath(".SVX.dat.2147483647.x")) &&
                    Touch(folder.filePath(".SVX.dat.1.y")) &&
                    Touch(folder.filePath(".SVX.dat.3w5e11264sgsf")) &&
                    Touch(folder.filePath(".SVX.dat.bak")) &&
                    WriteAll(folder.filePath("other"), "other") &&
                    QFile::link(folder.filePath("other"), folder.filePath(".SVX.dat.0000000000")) &&
                    // Only a privileged test run can give a file away.
                    (getuid() != 0 ||
                     (Touch(others) && chown(others.constData(), 65534, 65534) == 0));
         },
         true, bytes, 0644,
         getuid() != 0 ? ".SVX.dat.0000000000 .SVX.dat.1.y .SVX.dat.bak"
                       : ".SVX.dat.0000000000 .SVX.dat.1.y .SVX.dat.bak .SVX.dat.zzzzzzzzzz"},
        {"a link: replaced, its target untouched",
         [](const QDir& folder) {
             return WriteAll(folder.filePath("other"), "other") &&
                    QFile::link(folder.filePath("other"), folder.filePath("SVX.dat"));
         },
         true, bytes},
        {"a folder in the way: the rename fails",
         [](const QDir& folder) { return folder.mkpath("SVX.dat/inside"); },
         false,
         {}},
        {"the file cannot grow: the write fails",
         [](const QDir& folder) {
             rlimit limit{};
             getrlimit(RLIMIT_FSIZE, &limit);
             limit.rlim_cur = 4096;
             return WriteAll(folder.filePath("SVX.dat"), "old") &&
                    setrlimit(RLIMIT_FSIZE, &limit) == 0;
         },
         false, "old"},
    };
    rlimit unlimited{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &unlimited), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN); // EFBIG instead of the signal
    const auto restore = qScopeGuard([&] {
        setrlimit(RLIMIT_FSIZE, &unlimited);
        std::signal(SIGXFSZ, oldHandler);
    });
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        QTemporaryDir dir;
        const QDir folder(dir.path());
        ASSERT_TRUE(c.Prepare(folder));
        const QString failure = WriteFileAtomically(folder.filePath("SVX.dat"), bytes);
        setrlimit(RLIMIT_FSIZE, &unlimited);
        EXPECT_EQ(failure.isEmpty(), c.Succeeds) << failure.toStdString();
        EXPECT_EQ(ReadAll(folder.filePath("SVX.dat")), c.TargetAfter);
        if (c.Succeeds) {
            EXPECT_EQ(ModeOf(folder.filePath("SVX.dat")), S_IFREG | c.Mode);
        }
        if (QFile::exists(folder.filePath("other"))) {
            EXPECT_EQ(ReadAll(folder.filePath("other")), "other");
        }
        EXPECT_EQ(Leftovers(folder, {"SVX.dat", "other"}).join(' ').toStdString(), c.Remains);
    }
}

// Files that other threads create while settings are written get the user's mask, every one.
TEST(AtomicFile, OtherThreadsKeepTheUsersMask) {
    const TUserMask mask(022);
    QTemporaryDir dir;
    const QDir folder(dir.path());
    std::atomic<bool> writing = true;
    std::thread writer([&] {
        for (int i = 0; i < 200; ++i)
            EXPECT_EQ(WriteFileAtomically(folder.filePath("SVX.dat"), "settings"), QString());
        writing = false;
    });
    int created = 0;
    QStringList exposed;
    while (writing || created == 0) {
        const QString name = folder.filePath(QStringLiteral("SV%1.bmp").arg(created++));
        TFileIdentity identity;
        const int fd = CreateNewFile(name, identity);
        ASSERT_GE(fd, 0);
        ::close(fd);
        if (ModeOf(name) != (S_IFREG | 0644u))
            exposed << name;
    }
    writer.join();
    EXPECT_TRUE(exposed.isEmpty())
        << exposed.size() << " of " << created << " files open to others, "
        << exposed.first().toStdString() << " the first";
}

} // namespace
