#include "platform/clipboardroute.h"
#include "platform/pipereader.h"
#include "platform/watchedclipboardchain.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <thread>
#include <unistd.h>

namespace {

TEST(ClipboardRoute, FollowsWhatTheSessionOffers) {
    struct TCase {
        TSessionFacts Facts; // Wayland session, data-control, X display
        TClipboardRoute Route;
        bool ToolkitOnX11;
    } const cases[] = {
        {{true, true, true}, TClipboardRoute::DataControl, false},    // KDE, sway with XWayland
        {{true, true, false}, TClipboardRoute::DataControl, false},   // no XWayland
        {{true, false, true}, TClipboardRoute::X11Selection, true},   // GNOME
        {{true, false, false}, TClipboardRoute::None, false},         // nothing sees copies
        {{false, false, true}, TClipboardRoute::X11Selection, false}, // plain X11
        {{false, false, false}, TClipboardRoute::X11Selection, false},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(::testing::Message()
                     << c.Facts.WaylandSession << c.Facts.DataControl << c.Facts.X11Display);
        const TClipboardRouteChoice choice = ChooseClipboardRoute(c.Facts);
        EXPECT_EQ(choice.Route, c.Route);
        EXPECT_EQ(choice.ToolkitOnX11, c.ToolkitOnX11);
    }
}

struct TPipe {
    int Ends[2] = {-1, -1};
    TPipe() { EXPECT_EQ(pipe2(Ends, O_CLOEXEC), 0); }
    ~TPipe() {
        for (int end : Ends)
            if (end >= 0)
                close(end);
    }
    void Write(const QByteArray& bytes) {
        EXPECT_EQ(write(Ends[1], bytes.constData(), size_t(bytes.size())), bytes.size());
    }
    void CloseWriter() {
        close(Ends[1]);
        Ends[1] = -1;
    }
};

TEST(PipeReader, EndsOnCloseCapOrDeadlineWhateverTheWriterDoes) {
    constexpr int TimeoutMs = 200;
    constexpr qint64 Cap = 1000;
    struct TCase {
        const char* Name;
        qint64 Size;
        bool Closed;
        bool Stop;
        TPipeReadStatus Status;
    } const cases[] = {
        {"exactly the cap", Cap, true, false, TPipeReadStatus::Complete},
        {"over the cap, never closed", Cap + 1, false, false, TPipeReadStatus::TooLarge},
        {"stops halfway, never closes", 10, false, false, TPipeReadStatus::TimedOut},
        {"stop asked for", 0, false, true, TPipeReadStatus::Stopped},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        TPipe data;
        TPipe stop;
        const QByteArray bytes(c.Size, 'x');
        data.Write(bytes);
        if (c.Closed)
            data.CloseWriter();
        if (c.Stop)
            stop.Write("!");
        QElapsedTimer elapsed;
        elapsed.start();
        const TPipeRead read = ReadPipeWithin(data.Ends[0], stop.Ends[0], TimeoutMs, Cap);
        EXPECT_EQ(read.Status, c.Status);
        EXPECT_LT(elapsed.elapsed(), TimeoutMs + 500);
        if (c.Status == TPipeReadStatus::Complete) {
            EXPECT_EQ(read.Bytes, bytes);
        }
    }
}

// Reports what the test makes it report, from a thread of its own as the real one does.
class TFakeWatcher : public ISelectionWatcher {
public:
    explicit TFakeWatcher(TReport report) : Report(std::move(report)) {}
    void Start() override { Started = true; }
    TReport Report;
    bool Started = false;
};

TEST(WatchedClipboardChain, AnnouncesEachReportedChangeOnceWithItsOwnPicture) {
    TFakeWatcher* watcher = nullptr;
    TWatchedClipboardChain chain([&](ISelectionWatcher::TReport report) {
        auto made = std::make_unique<TFakeWatcher>(std::move(report));
        watcher = made.get();
        return made;
    });
    // What the window would see at each notice: whether a picture is offered, and its width.
    QList<int> seen;
    QObject::connect(&chain, &IClipboardChain::DrawClipboard, [&] {
        const std::optional<QImage> image = chain.CopyImage();
        seen.append(chain.HasImage() && image ? image->width() : 0);
    });

    EXPECT_EQ(chain.Join(), TViewerHandle(0));
    ASSERT_NE(watcher, nullptr);
    EXPECT_TRUE(watcher->Started);
    EXPECT_EQ(seen, QList<int>{0});

    // A burst reported before the window's thread gets round to any of it.
    std::thread([&] {
        for (int width : {3, 0, 5}) {
            TSelectionChange change;
            if (width > 0)
                change.Image = QImage(width, 1, QImage::Format_RGB32);
            watcher->Report(std::move(change));
        }
    }).join();
    QCoreApplication::processEvents();
    EXPECT_EQ(seen, (QList<int>{0, 3, 0, 5}));

    // After leaving, nothing more is announced.
    const ISelectionWatcher::TReport report = watcher->Report;
    chain.Leave(0);
    report(TSelectionChange{QImage(7, 1, QImage::Format_RGB32)});
    QCoreApplication::processEvents();
    EXPECT_EQ(seen.size(), 4);
}

} // namespace
