// The record format's values, and the login entry's text and lookup, without a window.
#include "platform/session/xdgautostart.h"
#include "settings/componentstream.h"

#include "testenvironment.h"
#include "testfiles.h"

#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

QByteArray Raw(std::initializer_list<int> bytes) {
    QByteArray raw;
    for (const int byte : bytes)
        raw.append(char(byte));
    return raw;
}

TEST(ComponentStream, IntegersTakeTheSmallestTagAndLongTextsTheLongForm) {
    const struct {
        qint32 Value;
        QByteArray Bytes;
    } integers[] = {
        {0, Raw({2, 0})},
        {127, Raw({2, 0x7F})},
        {-128, Raw({2, 0x80})},
        {128, Raw({3, 0x80, 0})},
        {161, Raw({3, 0xA1, 0})},
        {-129, Raw({3, 0x7F, 0xFF})},
        {32767, Raw({3, 0xFF, 0x7F})},
        {32768, Raw({4, 0, 0x80, 0, 0})},
        {-32769, Raw({4, 0xFF, 0x7F, 0xFF, 0xFF})},
    };
    for (const auto& c : integers) {
        TComponentWriter writer;
        writer.IntegerProperty("N", c.Value);
        EXPECT_EQ(writer.Bytes(), Raw({1, 'N'}) + c.Bytes) << c.Value;
        TComponentReader reader(writer.Bytes());
        EXPECT_EQ(reader.NextPropertyName(), "N");
        EXPECT_EQ(reader.Value().Integer(), c.Value);
    }
    for (const int length : {0, 255, 256, 70000}) {
        TComponentWriter writer;
        writer.StringProperty("T", QString(length, 'x'));
        const QByteArray& bytes = writer.Bytes();
        EXPECT_EQ(bytes.at(2), length < 256 ? 6 : 12) << length;
        TComponentReader reader(bytes);
        reader.NextPropertyName();
        const TTaggedValue value = reader.Value();
        EXPECT_EQ(value.Text().size(), length);
        EXPECT_EQ(reader.Remaining(), 0);
    }
}

TEST(ComponentStream, ReaderUnderstandsEveryTagAndRefusesWhatDoesNotFit) {
    const struct {
        QByteArray Bytes;
        TValueTag Tag;
        qsizetype Consumed; // -1: the value is refused
    } cases[] = {
        {Raw({0}), TValueTag::Null, 1},
        {Raw({1, 2, 5, 6, 1, 'a', 0}), TValueTag::List, 7},
        {Raw({5, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10}), TValueTag::Extended, 11},
        {Raw({7, 2, 'c', 'b'}), TValueTag::Ident, 4},
        {Raw({8}), TValueTag::False, 1},
        {Raw({9}), TValueTag::True, 1},
        {Raw({10, 2, 0, 0, 0, 'x', 'y'}), TValueTag::Binary, 7},
        {Raw({11, 1, 'a', 1, 'b', 0}), TValueTag::Set, 6},
        {Raw({13}), TValueTag::Nil, 1},
        {Raw({14, 1, 1, 'P', 2, 1, 0, 2, 3, 1, 0, 0}), TValueTag::Collection, 12},
        {Raw({15, 1, 2, 3, 4}), TValueTag::Single, 5},
        {Raw({16, 1, 2, 3, 4, 5, 6, 7, 8}), TValueTag::Currency, 9},
        {Raw({17, 1, 2, 3, 4, 5, 6, 7, 8}), TValueTag::Date, 9},
        {Raw({18, 2, 0, 0, 0, 'h', 0, 'i', 0}), TValueTag::WString, 9},
        {Raw({19, 1, 0, 0, 0, 0, 0, 0, 0}), TValueTag::Int64, 9},
        // Lengths beyond the data, unknown tags, lists without an end: refused, never read far.
        {Raw({12, 0xFF, 0xFF, 0xFF, 0x7F, 'x'}), TValueTag::LString, -1},
        {Raw({18, 0xFF, 0xFF, 0xFF, 0xFF}), TValueTag::WString, -1},
        {Raw({10, 0x10, 0, 0, 0}), TValueTag::Binary, -1},
        {Raw({6, 5, 'a'}), TValueTag::String, -1},
        {Raw({20}), TValueTag::Null, -1},
        {Raw({1, 2, 5}), TValueTag::List, -1},
        {QByteArray(100, char(1)), TValueTag::List, -1},
        {Raw({}), TValueTag::Null, -1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Bytes.toHex().toStdString());
        TComponentReader reader(c.Bytes);
        if (c.Consumed < 0) {
            EXPECT_THROW(reader.Value(), EComponentFormat);
            continue;
        }
        EXPECT_EQ(reader.Value().Tag, c.Tag);
        EXPECT_EQ(reader.Position(), c.Consumed);
    }
}

TEST(AutoStartEntry, ExecQuotesThePathByTheDesktopEntryRules) {
    const struct {
        const char* Path;
        const char* Exec;
        const char* TryExec;
    } cases[] = {
        {"/usr/bin/snapvault", R"(Exec="/usr/bin/snapvault")", "TryExec=/usr/bin/snapvault"},
        {"/opt/My Tools/snapvault", R"(Exec="/opt/My Tools/snapvault")",
         "TryExec=/opt/My Tools/snapvault"},
        {R"(/a"b$c`d\e%f/sv)", R"(Exec="/a\\"b\\$c\\`d\\\\e%%f/sv")",
         R"(TryExec=/a"b$c`d\\e%f/sv)"},
    };
    for (const auto& c : cases) {
        const QStringList lines = AutoStartEntryText(c.Path).split('\n');
        EXPECT_EQ(lines.first(), "[Desktop Entry]");
        EXPECT_TRUE(lines.contains(c.Exec)) << lines.join('\n').toStdString();
        EXPECT_TRUE(lines.contains(c.TryExec)) << lines.join('\n').toStdString();
        EXPECT_TRUE(lines.contains("Type=Application"));
    }
}

TEST(AutoStartEntry, EntryAndInstallationFollowTheXdgFolders) {
    QTemporaryDir home;
    const QString config = home.filePath("config");
    const QString system = home.filePath("system");
    const TScopedSetting configHome("XDG_CONFIG_HOME", config.toLocal8Bit());
    const TScopedSetting configDirs(
        "XDG_CONFIG_DIRS", ("relative:" + home.filePath("none") + ":" + system).toLocal8Bit());
    TXdgAutoStart autoStart;

    EXPECT_EQ(autoStart.SetEntry(true, "/x/snapvault"), "");
    const QString entry = config + "/autostart/SVX.desktop";
    EXPECT_EQ(ReadAll(entry), AutoStartEntryText("/x/snapvault").toUtf8());
    EXPECT_EQ(autoStart.SetEntry(false, "/x/snapvault"), "");
    EXPECT_FALSE(QFile::exists(entry));
    EXPECT_EQ(autoStart.SetEntry(false, "/x/snapvault"), "") << "a missing entry is no error";
    // A file where the folder should be: told, not hidden.
    QDir(config + "/autostart").removeRecursively();
    ASSERT_TRUE(Touch(config + "/autostart"));
    EXPECT_NE(autoStart.SetEntry(true, "/x/snapvault"), "");

    EXPECT_FALSE(autoStart.InstallationPresent("1.0"));
    QDir().mkpath(system + "/Fennmoor/Snapvault/1.0");
    EXPECT_TRUE(autoStart.InstallationPresent("1.0"));
    EXPECT_FALSE(autoStart.InstallationPresent("1.1"));
    EXPECT_FALSE(autoStart.InstallationPresent(""));
    QDir().mkpath(config + "/Fennmoor/Snapvault/1.1");
    EXPECT_TRUE(autoStart.InstallationPresent("1.1"));
}

} // namespace
