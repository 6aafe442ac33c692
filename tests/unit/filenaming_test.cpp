#include "capture/filenaming.h"
#include "platform/files/fileprobe.h"
#include "testfiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

class FileNaming : public ::testing::Test {
protected:
    // The name the search gives with the usual settings, changed by `adjust`.
    template <typename Adjust> TNameResult Search(Adjust adjust) {
        TNameSearch search;
        search.Directory = Dir.path() + '/';
        search.BaseName = QStringLiteral("SVX");
        search.Extension = QStringLiteral(".jpg");
        search.Digits = 4;
        search.Automatic = true;
        search.Taken = [](const QString& path) { return FileProbe(path); };
        search.Widen = [this](int digits) { Widened.push_back(digits); };
        adjust(search);
        return SearchFileName(search);
    }
    TNameResult Search() {
        return Search([](TNameSearch&) {});
    }

    QTemporaryDir Dir;
    std::vector<int> Widened;
};

TEST_F(FileNaming, AutomaticModeFillsTheFirstGap) {
    EXPECT_EQ(Search().FileName, "SVX0001.jpg");
    ASSERT_TRUE(Touch(Dir.filePath("SVX0001.jpg")));
    ASSERT_TRUE(Touch(Dir.filePath("SVX0003.jpg")));
    EXPECT_EQ(Search().FileName, "SVX0002.jpg");
    // Another format's file does not take a number.
    ASSERT_TRUE(Touch(Dir.filePath("SVX0002.bmp")));
    EXPECT_EQ(Search().FileName, "SVX0002.jpg");
    // Nor does a wider name with a leading zero: no number of this width is written so.
    ASSERT_TRUE(Touch(Dir.filePath("SVX00002.jpg")));
    EXPECT_EQ(Search().FileName, "SVX0002.jpg");
    // What other programs add or delete between two searches decides the next.
    ASSERT_TRUE(Touch(Dir.filePath("SVX0002.jpg")));
    EXPECT_EQ(Search().FileName, "SVX0004.jpg");
    ASSERT_TRUE(QFile::remove(Dir.filePath("SVX0003.jpg")));
    EXPECT_EQ(Search().FileName, "SVX0003.jpg");
}

TEST_F(FileNaming, StartValues) {
    auto from = [this](const QString& start) {
        return Search([&](TNameSearch& s) {
                   s.Automatic = false;
                   s.StartText = start;
               })
            .FileName;
    };
    EXPECT_EQ(from("0000"), "SVX0000.jpg");
    EXPECT_EQ(from("    "), "SVX0000.jpg"); // a blank field counts from 0
    EXPECT_EQ(from(""), "SVX0000.jpg");
    ASSERT_TRUE(Touch(Dir.filePath("SVX0500.jpg")));
    EXPECT_EQ(from("0500"), "SVX0501.jpg");
    EXPECT_EQ(from("05__"), "SVX0005.jpg"); // reading stops at the first non-digit
}

TEST_F(FileNaming, RunningSavesOffsetTheNumber) {
    EXPECT_EQ(Search([](TNameSearch& s) { s.RunningSaves = 1; }).FileName, "SVX0002.jpg");
    // The offset applies to every candidate, also past a gap.
    ASSERT_TRUE(Touch(Dir.filePath("SVX0002.jpg")));
    EXPECT_EQ(Search([](TNameSearch& s) { s.RunningSaves = 1; }).FileName, "SVX0003.jpg");
}

TEST_F(FileNaming, NamesOfRunningSavesAreTaken) {
    const QString reserved = Dir.path() + "/SVX0001.jpg";
    const auto result = Search([&](TNameSearch& s) {
        s.Taken = [&](const QString& path) { return path == reserved || FileProbe(path); };
    });
    EXPECT_EQ(result.FileName, "SVX0002.jpg");
}

TEST_F(FileNaming, FullWidthWidensByOneDigitAndSkipsTenToTheN) {
    for (int i = 1; i <= 9; ++i)
        ASSERT_TRUE(Touch(Dir.filePath(QStringLiteral("SVX%1.jpg").arg(i))));
    // SVX10.jpg is never used, whether it is free or taken.
    for (const bool tenTaken : {false, true}) {
        if (tenTaken) {
            ASSERT_TRUE(Touch(Dir.filePath("SVX10.jpg")));
        }
        Widened.clear();
        const auto result = Search([](TNameSearch& s) { s.Digits = 1; });
        EXPECT_EQ(result.FileName, "SVX11.jpg") << tenTaken;
        EXPECT_EQ(result.Digits, 2) << tenTaken;
        EXPECT_EQ(Widened, std::vector<int>{2}) << tenTaken;
    }
}

TEST_F(FileNaming, WildcardsAndFoldersCountAsTaken) {
    ASSERT_TRUE(QDir(Dir.path()).mkdir("SVX0001.jpg"));
    EXPECT_EQ(Search().FileName, "SVX0002.jpg");
    ASSERT_TRUE(Touch(Dir.filePath("SVA0002.jpg")));
    EXPECT_EQ(Search([](TNameSearch& s) { s.BaseName = "SV?"; }).FileName, "SV?0003.jpg");
    EXPECT_EQ(Search([](TNameSearch& s) { s.BaseName = "S*"; }).FileName, "S*0003.jpg");
    // A dangling link is an entry of that name as well.
    ASSERT_TRUE(QFile::link(Dir.filePath("gone"), Dir.filePath("SVY0001.jpg")));
    EXPECT_EQ(Search([](TNameSearch& s) { s.BaseName = "SVY"; }).FileName, "SVY0002.jpg");
    // Letter case counts as the probe counts it: a folder that folds case (FAT) takes the number.
    ASSERT_TRUE(Touch(Dir.filePath("svx0002.JPG")));
    const bool folds = FileProbe(Dir.filePath("SVX0002.jpg"));
    EXPECT_EQ(Search().FileName, folds ? "SVX0003.jpg" : "SVX0002.jpg");
    const auto caseBlind = [](const QString& path) {
        const QFileInfo info(path);
        return QDir(info.path()).entryList().contains(info.fileName(), Qt::CaseInsensitive);
    };
    EXPECT_EQ(Search([&](TNameSearch& s) { s.Taken = caseBlind; }).FileName, "SVX0003.jpg");
}

TEST(NamingHelpers, RunningSavesReserveTheirNames) {
    const QStringList running{"/out/SV0001.jpg", "/other/SV0002.jpg"};
    EXPECT_TRUE(TakenByRunningSave("/out/SV0001.jpg", running));
    EXPECT_FALSE(TakenByRunningSave("/out/SV0002.jpg", running)); // another folder's save
    EXPECT_TRUE(TakenByRunningSave("/out/SV?001.jpg", running));  // wildcards as on disk
    EXPECT_FALSE(TakenByRunningSave("/out/SV0001.png", running));
    EXPECT_FALSE(TakenByRunningSave("/out/SV0001.jpg", {}));
}

TEST(NamingHelpers, NumberFormatsAndStartField) {
    EXPECT_EQ(NumberFormat(4), "%.4d");
    EXPECT_EQ(FormatNumber(42, 4), "0042");
    EXPECT_EQ(FormatNumber(123456, 4), "123456");
    EXPECT_EQ(FormatNumber(0, 1), "0");
    EXPECT_EQ(ReadStartValue("  17x3"), 17);
    EXPECT_EQ(ReadStartValue("x17"), 0);
    // Lowering the width cuts a number that no longer fits; raising pads it.
    EXPECT_EQ(RewriteStartField("12345", 4), "1234");
    EXPECT_EQ(RewriteStartField("10000", 4), "1000");
    EXPECT_EQ(RewriteStartField("00042", 4), "0042");
    EXPECT_EQ(RewriteStartField("0042", 5), "00042");
    EXPECT_EQ(RewriteStartField("    ", 4), "0000");
    EXPECT_EQ(DigitEditMask(3), "999;_");
}

TEST(NamingHelpers, ExtensionsAndDirectories) {
    EXPECT_EQ(ExtensionFor(true, true), ".bmp");
    EXPECT_EQ(ExtensionFor(false, true), ".jpg");
    EXPECT_EQ(ExtensionFor(false, false), ".png");
    EXPECT_EQ(DirectoryPart("/tmp"), "/tmp/");
    EXPECT_EQ(DirectoryPart("/tmp/"), "/tmp/");
    EXPECT_THROW(DirectoryPart(""), ENamingError);
}

TEST(Wildcards, MatchLikeADirectorySearch) {
    EXPECT_TRUE(WildcardMatch("SV?1.jpg", "SVX1.jpg"));
    EXPECT_FALSE(WildcardMatch("SV?1.jpg", "SV1.jpg"));
    EXPECT_TRUE(WildcardMatch("*", "anything"));
    EXPECT_TRUE(WildcardMatch("a*b*c", "a12b34c"));
    EXPECT_FALSE(WildcardMatch("a*b*c", "a12b34"));
    EXPECT_FALSE(WildcardMatch("[ab].jpg", "a.jpg")); // brackets are literal
    EXPECT_TRUE(WildcardMatch("[ab].jpg", "[ab].jpg"));
    EXPECT_FALSE(WildcardMatch("svx1.jpg", "SVX1.jpg"));
}

} // namespace
