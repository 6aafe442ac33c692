#include "platform/clipboard/clipboardroute.h"
#include "platform/clipboard/picturehash.h"
#include "platform/clipboard/pipereader.h"
#include "platform/clipboard/watchedclipboardchain.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <thread>
#include <unistd.h>

namespace {

TEST(ClipboardRoute, FollowsWhatTheSessionOffers) {
    struct TCase {
        TSessionFacts Facts; // Wayland session, data-control, X display, XFixes
        TClipboardRoute Route;
        bool WindowOnX11;
    } const cases[] = {
        {{true, true, true, true}, TClipboardRoute::DataControl, true},    // KDE, sway
        {{true, true, false, false}, TClipboardRoute::DataControl, false}, // no XWayland
        {{true, false, true, true}, TClipboardRoute::X11Selection, true},  // GNOME
        {{true, false, false, false}, TClipboardRoute::None, false},       // nothing sees copies
        {{false, false, true, true}, TClipboardRoute::X11Selection, true}, // plain X11
        {{false, false, true, false}, TClipboardRoute::Toolkit, true},     // X without XFixes
        {{false, false, false, false}, TClipboardRoute::Toolkit, false},   // the toolkit says why
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.Facts.WaylandSession << c.Facts.DataControl
                                          << c.Facts.X11Display << c.Facts.XFixes);
        const TClipboardRouteChoice choice = ChooseClipboardRoute(c.Facts);
        EXPECT_EQ(choice.Route, c.Route);
        EXPECT_EQ(choice.WindowOnX11, c.WindowOnX11);
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
        // It ends at its deadline, not when the writer does: a loaded machine meets 10 s easily.
        EXPECT_LT(elapsed.elapsed(), 10000);
        if (c.Status == TPipeReadStatus::Complete) {
            EXPECT_EQ(read.Bytes, bytes);
        }
    }
}

// Reports what the test makes it report, from a thread of its own as the real ones do.
class TFakeWatcher : public ISelectionWatcher {
public:
    explicit TFakeWatcher(TReport report) : Report(std::move(report)) {}
    bool Start() override { return Started = true; }
    TReport Report;
    bool Started = false;
};

TEST(WatchedClipboardChain, AnnouncesEachReportedChangeOnceAsTheWindowMustTakeIt) {
    TFakeWatcher* watcher = nullptr;
    TWatchedClipboardChain chain([&](ISelectionWatcher::TReport report) {
        auto made = std::make_unique<TFakeWatcher>(std::move(report));
        watcher = made.get();
        return made;
    });
    // What the window sees at each notice: "-" no picture, "!" a picture whose copy fails, or
    // the picture's width and whether its fingerprint came along.
    QStringList seen;
    QObject::connect(&chain, &IClipboardChain::DrawClipboard, [&] {
        const std::optional<QImage> image = chain.CopyImage();
        seen << (!chain.HasImage() ? QStringLiteral("-")
                 : !image          ? QStringLiteral("!")
                                   : QStringLiteral("%1%2")
                                .arg(image->width())
                                .arg(chain.ImageHash() == PictureHash(*image) ? "" : "?"));
    });
    chain.SetCapturing(false); // as settings may start it
    EXPECT_EQ(chain.Join(), TViewerHandle(0));
    ASSERT_NE(watcher, nullptr);
    EXPECT_TRUE(watcher->Started);
    EXPECT_FALSE(watcher->Fetching());
    chain.SetCapturing(true);
    EXPECT_TRUE(watcher->Fetching());

    // A burst reported before the window's thread gets round to any of it: a picture, text,
    // a picture type that did not arrive, one that arrived as a null picture, a picture.
    std::thread([&] {
        const auto picture = [](int width) { return QImage(width, 1, QImage::Format_RGB32); };
        for (TSelectionChange change :
             {TSelectionChange{true, picture(3)}, TSelectionChange{},
              TSelectionChange{true, std::nullopt}, TSelectionChange{true, QImage()},
              TSelectionChange{true, picture(5)}})
            watcher->Report(WithHash(std::move(change)));
    }).join();
    QCoreApplication::processEvents();
    EXPECT_EQ(seen, (QStringList{"-", "3", "-", "!", "!", "5"}));

    // After leaving, nothing more is announced.
    const ISelectionWatcher::TReport report = watcher->Report;
    chain.Leave(0);
    report(TSelectionChange{true, QImage(7, 1, QImage::Format_RGB32)});
    QCoreApplication::processEvents();
    EXPECT_EQ(seen.size(), 6);
}

} // namespace
