#include "platform/session/programinfo.h"

#include <gtest/gtest.h>

TEST(ProgramPaths, FollowTheLayoutTheExecutableLiesIn) {
    struct TCase {
        const char* Name;
        QString ExecutableFolder;
        bool HelpBeside;
        bool Writable;
        QString ConfigHome;
        QString Folder;
        QString SettingsFile;
    };
    const TCase cases[] = {
        {"build tree", "/src/build", true, true, "/home/u/.config", "/src/build/",
         "/src/build/SVX.dat"},
        {"read-only portable copy", "/media/stick/", true, false, "/home/u/.config",
         "/media/stick/", "/home/u/.config/Snapvault/SVX.dat"},
        {"installed", "/usr/bin", false, true, "/home/u/.config/", "/usr/share/snapvault/",
         "/home/u/.config/Snapvault/SVX.dat"},
        {"installed under a prefix", "/opt/sv/bin/", false, false, "/cfg",
         "/opt/sv/share/snapvault/", "/cfg/Snapvault/SVX.dat"},
    };
    for (const TCase& c : cases) {
        const TProgramPaths paths =
            ProgramPathsFor(c.ExecutableFolder, c.HelpBeside, c.Writable, c.ConfigHome);
        EXPECT_EQ(paths.Folder, c.Folder) << c.Name;
        EXPECT_EQ(paths.SettingsFile, c.SettingsFile) << c.Name;
    }
}
