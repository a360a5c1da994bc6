// What the program can tell the operator about its hive: why it could not be read, and that
// changes will not be saved to a hive it may not replace, which is then left exactly as it was.

#include "FarmTestSupport.h"

#include "config/HiveDocument.h"
#include "config/HiveFileBackend.h"
#include "config/RegistryStore.h"
#include "support/DocProbe.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

using namespace configtest;

namespace {

const std::string kSub = "SOFTWARE\\Vantrel\\WRB Explorer";

std::string GoodHive() {
    return CrLf({kHeader, "", "[" + kBase + "]", "\"Alarm Tone Frequency\"=dword:000003e8", ""});
}

} // namespace

TEST(HiveParseError, NamesTheLineAndTheReason) {
    HiveDocument doc;
    HiveDocument::ParseError error;
    EXPECT_FALSE(HiveDocument::Parse(
        CrLf({kHeader, "[" + kBase + "]", "\"A\"=dword:1", "\"B\"=dword:zz"}), doc, &error));
    EXPECT_EQ(error.line, 4u);
    EXPECT_EQ(error.reason, "a value that cannot be read");

    EXPECT_FALSE(HiveDocument::Parse("REGEDIT4\r\n", doc, &error));
    EXPECT_EQ(error.line, 1u);
    EXPECT_NE(error.reason.find("Windows Registry Editor Version 5.00"), std::string::npos);

    EXPECT_FALSE(HiveDocument::Parse(CrLf({kHeader, "", "\"A\"=dword:1"}), doc, &error));
    EXPECT_EQ(error.line, 3u);
    EXPECT_EQ(error.reason, "a line before the first key");

    EXPECT_FALSE(
        HiveDocument::Parse(CrLf({kHeader, "[" + kBase + "]", "[" + kBase + "]"}), doc, &error));
    EXPECT_EQ(error.line, 3u);
    EXPECT_EQ(error.reason, "the same key a second time");
}

TEST(HiveNotices, AHiveThatDoesNotParseIsNamedWithItsLineAndNeverSaved) {
    TempDir dir;
    const std::string hive = dir.File("registry.reg");
    const std::string bytes = CrLf({kHeader, "[" + kBase + "]", "garbage"});
    WriteBytes(hive, bytes);
    {
        ProgramRun run(hive);
        CTreeListDoc& doc = run.Start();
        EXPECT_EQ(doc.SettingsReadProblem(),
                  "the hive " + hive +
                      " could not be read (line 3: neither a key, a value, a comment nor blank)");
        EXPECT_FALSE(DocProbe(doc).SettingsCanBeSaved());
    }
    EXPECT_EQ(ReadBytes(hive), bytes);
}

TEST(HiveNotices, AGoodOrMissingHiveHasNothingToSay) {
    TempDir dir;
    ProgramRun missing(dir.File("registry.reg"));
    EXPECT_EQ(missing.Start().SettingsReadProblem(), "");
    EXPECT_TRUE(DocProbe(missing.Doc()).SettingsCanBeSaved());
    missing.End();
    WriteBytes(dir.File("other.reg"), GoodHive());
    ProgramRun good(dir.File("other.reg"));
    EXPECT_EQ(good.Start().SettingsReadProblem(), "");
    EXPECT_EQ(good.Doc().SettingsSaveProblem(), "");
}

TEST(HiveNotices, AReadOnlyHiveIsReadButNeverReplaced) {
    TempDir dir;
    const std::string hive = dir.File("registry.reg");
    WriteBytes(hive, GoodHive());
    ASSERT_EQ(::chmod(hive.c_str(), 0444), 0);
    {
        ProgramRun run(hive);
        CTreeListDoc& doc = run.Start();
        EXPECT_EQ(doc.GetApplicationSettings().m_dwAlarmToneFrequency, 1000u);
        EXPECT_EQ(doc.SettingsReadProblem(), "");
        EXPECT_EQ(doc.SettingsSaveProblem(), "the hive " + hive + " is read-only");

        // Writes fail as in a locked registry, for the administrator too.
        RegistryStore store(run.Hive());
        ASSERT_TRUE(store.Open(kHkeyLocalMachine, kSub));
        EXPECT_FALSE(store.SetDword("Alarm Tone Frequency", 2000));
        EXPECT_EQ(store.LastResult(), RegStatus::kAccessDenied);
        EXPECT_FALSE(store.Create(kHkeyLocalMachine, kSub + "\\New Key"));
        EXPECT_EQ(store.LastResult(), RegStatus::kAccessDenied);
    } // the document's end saves the registry
    EXPECT_EQ(ReadBytes(hive), GoodHive());
    EXPECT_FALSE(std::filesystem::exists(hive + ".tmp"));
    ::chmod(hive.c_str(), 0644);
}

TEST(HiveNotices, AHiveInAFolderWithoutWritePermissionIsNeverReplaced) {
#if defined(_WIN32)
    GTEST_SKIP() << "folder permissions are mode bits, which Windows does not have";
#else
    if (::geteuid() == 0) {
        GTEST_SKIP() << "the administrator may write to any folder";
    }
#endif
    TempDir dir;
    const std::string folder = dir.File("locked");
    std::filesystem::create_directory(folder);
    const std::string hive = folder + "/registry.reg";
    WriteBytes(hive, GoodHive());
    ASSERT_EQ(::chmod(folder.c_str(), 0555), 0);
    {
        ProgramRun run(hive);
        EXPECT_EQ(run.Start().SettingsSaveProblem(),
                  "the folder " + folder + " of the hive cannot be written");
        RegistryStore store(run.Hive());
        ASSERT_TRUE(store.Open(kHkeyLocalMachine, kSub));
        EXPECT_FALSE(store.SetDword("Alarm Tone Frequency", 2000));
        EXPECT_EQ(store.LastResult(), RegStatus::kAccessDenied);
    }
    ::chmod(folder.c_str(), 0755);
    EXPECT_EQ(ReadBytes(hive), GoodHive());
}
