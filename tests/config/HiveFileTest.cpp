#include "ConfigTestSupport.h"

#include "config/HiveDocument.h"
#include "config/HiveFileBackend.h"
#include "config/RegistryStore.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

using namespace configtest;

namespace {

const std::string kSub = "SOFTWARE\\Vantrel\\WRB Explorer";

class HiveFile : public ::testing::Test {
protected:
    TempDir dir;
    std::string hive = dir.File("registry.reg");
    HiveFileBackend backend{hive};
    RegistryStore store{backend};
};

} // namespace

TEST_F(HiveFile, KeepsEverythingItDoesNotChangeWhenItRewrites) {
    // LF line ends, comments, other keys, unknown types and odd spacing: all of it stays,
    // in its order; only the changed value's line is new.
    const std::string before = kHeader +
                               "\n"
                               "; settings carried over from the old PC\n"
                               "\n"
                               "[HKEY_CURRENT_USER\\Software\\Other]\n"
                               "\"Keep\"=hex(0):\n"
                               "\n"
                               "[" +
                               kBase +
                               "]\n"
                               "\"Alarm Tone Frequency\" = dword:2BC\n"
                               "; the tone above was set by the service engineer\n"
                               "\"Bit Set 1\"=dword:0000000c\n"
                               "\"Multi\"=hex(7):61,00,00,\\\n"
                               "    00,00,00\n"
                               "\n"
                               "[" +
                               kBase +
                               "\\Farm 01]\n"
                               "\"Phone Number\"=\"555 5555\"\n";
    WriteBytes(hive, before);
    ASSERT_TRUE(store.Open(kHkeyLocalMachine, kSub));
    std::uint32_t frequency = 0;
    ASSERT_TRUE(store.GetDword("Alarm Tone Frequency", frequency));
    EXPECT_EQ(frequency, 700u);
    ASSERT_TRUE(store.SetDword("Bit Set 1", 4));
    ASSERT_TRUE(store.SetDword("Alarm Annunciation", 1));

    EXPECT_EQ(ReadBytes(hive), CrLf({kHeader, "; settings carried over from the old PC", "",
                                     "[HKEY_CURRENT_USER\\Software\\Other]", "\"Keep\"=hex(0):", "",
                                     "[" + kBase + "]", "\"Alarm Tone Frequency\" = dword:2BC",
                                     "; the tone above was set by the service engineer",
                                     "\"Bit Set 1\"=dword:00000004", "\"Multi\"=hex(7):61,00,00,\\",
                                     "    00,00,00", "\"Alarm Annunciation\"=dword:00000001", "",
                                     "[" + kBase + "\\Farm 01]", "\"Phone Number\"=\"555 5555\""}));
}

TEST_F(HiveFile, ReadsARegistryEditorExportAndWritesItBackAsUtf8) {
    WriteBytes(hive, DataFile("windows-export.reg"));
    ASSERT_TRUE(store.Open(kHkeyLocalMachine, kSub));
    std::string text;
    ASSERT_TRUE(store.GetString("", text));
    EXPECT_EQ(text, "Explorador de WRB \xe2\x80\x93 se\xc3\xb1"
                    "al");
    ASSERT_TRUE(store.GetString("Install Path", text));
    EXPECT_EQ(text, "C:\\Program Files\\WRB \"Explorer\"");
    std::vector<std::uint8_t> raw(14);
    std::uint32_t type = 0;
    std::uint32_t size = 14;
    ASSERT_EQ(backend.QueryValue(store.HeldKey(), "Expand", &type, raw.data(), &size), 0);
    EXPECT_EQ(type, kRegExpandSz);
    EXPECT_EQ(raw, (std::vector<std::uint8_t>{0x25, 0, 0x50, 0, 0x41, 0, 0x54, 0, 0x48, 0, 0x25, 0,
                                              0, 0}));

    ASSERT_TRUE(store.SetDword("Alarm Annunciation", 0));
    EXPECT_EQ(ReadBytes(hive), DataFile("windows-export-after-exit.reg"));
}

TEST_F(HiveFile, ComparesKeyAndValueNamesWithoutRegardToCase) {
    WriteBytes(hive, CrLf({kHeader, "", "[hkey_local_machine\\software\\VANTREL\\wrb explorer]",
                           "\"alarm TONE frequency\"=dword:00000320"}));
    ASSERT_TRUE(store.Open(kHkeyLocalMachine, kSub));
    std::uint32_t frequency = 0;
    ASSERT_TRUE(store.GetDword("Alarm Tone Frequency", frequency));
    EXPECT_EQ(frequency, 800u);
    ASSERT_TRUE(store.SetDword("ALARM TONE FREQUENCY", 900));
    EXPECT_EQ(ReadBytes(hive),
              CrLf({kHeader, "", "[hkey_local_machine\\software\\VANTREL\\wrb explorer]",
                    "\"alarm TONE frequency\"=dword:00000384"}));
}

TEST_F(HiveFile, WritesTextThatReadsBackByteForByte) {
    ASSERT_TRUE(store.Create(kHkeyLocalMachine, kSub));
    const std::vector<std::string> texts{"C:\\dir\\\"x\"", "Nu\xc3\xb1oa \xf1\xff", "two\r\nlines",
                                         "", std::string("zero\0inside", 11)};
    for (std::size_t i = 0; i < texts.size(); ++i) {
        ASSERT_TRUE(store.SetString("Text " + std::to_string(i), texts[i]));
    }
    HiveFileBackend later(hive);
    RegistryStore reader(later);
    ASSERT_TRUE(reader.Open(kHkeyLocalMachine, kSub));
    for (std::size_t i = 0; i < texts.size(); ++i) {
        std::vector<std::uint8_t> raw(64);
        std::uint32_t size = 64;
        ASSERT_EQ(later.QueryValue(reader.HeldKey(), "Text " + std::to_string(i), nullptr,
                                   raw.data(), &size),
                  0);
        raw.resize(size);
        std::vector<std::uint8_t> expected(texts[i].begin(), texts[i].end());
        expected.push_back(0);
        EXPECT_EQ(raw, expected) << "text " << i;
    }
    const std::string file = ReadBytes(hive);
    EXPECT_NE(file.find("\"Text 0\"=\"C:\\\\dir\\\\\\\"x\\\"\"\r\n"), std::string::npos);
    EXPECT_NE(file.find("\"Text 2\"=hex(1):74,77,6f,0d,0a,6c,69,6e,65,73,00\r\n"),
              std::string::npos);
}

TEST_F(HiveFile, SeesEditsMadeWhileTheProgramRunsAtTheNextOpen) {
    ASSERT_TRUE(store.Create(kHkeyLocalMachine, kSub));
    ASSERT_TRUE(store.SetDword("Bit Set 1", 12));

    // Another program (or the operator with an editor) changes the file.
    HiveFileBackend other(hive);
    RegistryStore otherStore(other);
    ASSERT_TRUE(otherStore.Open(kHkeyLocalMachine, kSub));
    ASSERT_TRUE(otherStore.SetDword("Bit Set 1", 8));
    ASSERT_TRUE(otherStore.SetDword("Added Elsewhere", 1));

    ASSERT_TRUE(store.Open(kHkeyLocalMachine, kSub));
    std::uint32_t value = 0;
    ASSERT_TRUE(store.GetDword("Bit Set 1", value));
    EXPECT_EQ(value, 8u);
    // Our next write keeps what the other program added.
    ASSERT_TRUE(store.SetDword("Alarm Annunciation", 0));
    ASSERT_TRUE(otherStore.Open(kHkeyLocalMachine, kSub));
    EXPECT_TRUE(otherStore.ValueExists("Added Elsewhere"));
    EXPECT_TRUE(otherStore.ValueExists("Alarm Annunciation"));
}

TEST_F(HiveFile, WritesNothingWhenAValueDoesNotChange) {
    const std::string before =
        CrLf({kHeader, "", "[" + kBase + "]", "\"Alarm Annunciation\"=dword:0"});
    WriteBytes(hive, before);
    ASSERT_TRUE(store.Open(kHkeyLocalMachine, kSub));
    struct stat info {};
    ASSERT_EQ(::stat(hive.c_str(), &info), 0);
    const ino_t inode = info.st_ino;

    ASSERT_TRUE(store.SetDword("Alarm Annunciation", 0));
    ASSERT_EQ(::stat(hive.c_str(), &info), 0);
    EXPECT_EQ(info.st_ino, inode);
    EXPECT_EQ(ReadBytes(hive), before);
}

TEST_F(HiveFile, CreatesItsFolderAndKeepsTheFileModeOnRewrite) {
    const std::string nested = dir.File("config/kilnwatch/registry.reg");
    HiveFileBackend fresh(nested);
    RegistryStore freshStore(fresh);
    ASSERT_TRUE(freshStore.Create(kHkeyLocalMachine, kSub));
    EXPECT_EQ(ReadBytes(nested), CrLf({kHeader, "", "[" + kBase + "]", ""}));
#if defined(_WIN32)
    GTEST_SKIP() << "Windows files have no mode bits to keep";
#endif

    ASSERT_EQ(::chmod(nested.c_str(), 0640), 0);
    ASSERT_TRUE(freshStore.SetDword("Bit Set 1", 12));
    struct stat info {};
    ASSERT_EQ(::stat(nested.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0640u);
    EXPECT_FALSE(std::filesystem::exists(nested + ".tmp"));
}

TEST_F(HiveFile, AKeyDeletedFromOutsideIsNotWrittenAgain) {
    ASSERT_TRUE(store.Create(kHkeyLocalMachine, kSub + "\\Farm 03"));
    WriteBytes(hive, CrLf({kHeader, "", "[" + kBase + "]"}));
    EXPECT_FALSE(store.SetDword("Serial Port", 2));
    EXPECT_EQ(store.LastResult(), RegStatus::kKeyDeleted);
    EXPECT_EQ(ReadBytes(hive), CrLf({kHeader, "", "[" + kBase + "]"}));
}

TEST(HiveFileLocation, WithoutAPathEveryOperationFailsAndNothingIsCreated) {
    TempDir dir;
    const auto cwd = std::filesystem::current_path();
    std::filesystem::current_path(dir.Path());
    HiveFileBackend nowhere("");
    RegistryStore store(nowhere);
    EXPECT_FALSE(store.Create(kHkeyLocalMachine, kSub));
    EXPECT_EQ(store.LastResult(), RegStatus::kPathNotFound);
    EXPECT_FALSE(store.SetDword("x", 1));
    std::filesystem::current_path(cwd);
    EXPECT_TRUE(std::filesystem::is_empty(dir.Path()));
}

TEST(HiveDocument, WrapsAHexValueWhereTheRegistryEditorDoes) {
    // "Nod"=hex: is 10 characters, so after 22 bytes of "xx," the first line is exactly 76
    // long: the editor breaks it there, and every further line after 25 bytes (2 + 75).
    HiveDocument::Value value{"Nod", 3, std::vector<std::uint8_t>(60, 0xAB)};
    const std::string text = HiveDocument::FormatValue(value);
    const std::size_t firstBreak = text.find('\\');
    ASSERT_NE(firstBreak, std::string::npos);
    EXPECT_EQ(firstBreak, 76u);
    EXPECT_EQ(text.substr(0, 10), "\"Nod\"=hex:");
    const std::size_t secondLine = text.find('\n', firstBreak) + 1;
    const std::size_t secondBreak = text.find('\\', secondLine);
    ASSERT_NE(secondBreak, std::string::npos);
    EXPECT_EQ(secondBreak - secondLine, 77u);
    EXPECT_EQ(text.substr(secondLine, 4), "  ab");

    // One byte fewer on the first line leaves it at 73: no break until the 76th column.
    HiveDocument::Value shorter{"No", 3, std::vector<std::uint8_t>(60, 0xAB)};
    EXPECT_EQ(HiveDocument::FormatValue(shorter).find('\\'), 78u);
}

TEST(HiveDocument, ParsesLongLinesAndLargeValuesWithinTheSizeLimit) {
    // One value of 3 MB on a single line, the way no editor would wrap it.
    std::string line = "\"Huge\"=hex:";
    const std::size_t count = 1'000'000;
    line.reserve(count * 3 + 16);
    for (std::size_t i = 0; i < count; ++i) {
        line += i + 1 < count ? "ab," : "ab";
    }
    HiveDocument doc;
    ASSERT_TRUE(HiveDocument::Parse(CrLf({kHeader, "[" + kBase + "]", line}), doc));
    const HiveDocument::Value* value = doc.FindValue(kBase, "huge");
    ASSERT_NE(value, nullptr);
    EXPECT_EQ(value->data.size(), count);
    EXPECT_EQ(value->data.back(), 0xAB);
}
