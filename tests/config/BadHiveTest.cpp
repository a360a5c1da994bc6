#include "FarmTestSupport.h"

#include "config/HiveDocument.h"
#include "config/RegistryStore.h"

#include <gtest/gtest.h>

#include <functional>
#include <ostream>
#include <random>

using namespace configtest;

namespace {

// Made on demand: the test program builds its list of tests in every run.
struct BadHive {
    std::string name;
    std::function<std::string()> bytes;
};

void PrintTo(const BadHive& hive, std::ostream* out) {
    *out << hive.name;
}

std::string Utf16Le(const std::string& ascii) {
    std::string out;
    for (char c : ascii) {
        out += c;
        out += '\0';
    }
    return out;
}

std::string Utf16Be(const std::string& ascii) {
    std::string out;
    for (char c : ascii) {
        out += '\0';
        out += c;
    }
    return out;
}

std::string RandomBytes(std::size_t count, unsigned seed, bool allowZero) {
    std::mt19937 random(seed);
    std::string bytes;
    while (bytes.size() < count) {
        const auto b = static_cast<char>(random() & 0xFF);
        if (allowZero || b != '\0') {
            bytes += b;
        }
    }
    return bytes;
}

// The golden default layout with one line inserted after the line holding `after`.
std::string DefaultWith(const std::string& after, const std::string& line) {
    std::string text = DataFile("default.reg");
    const std::size_t at = text.find("\r\n", text.find(after)) + 2;
    return text.insert(at, line + "\r\n");
}

std::vector<BadHive> BadHives() {
    const std::string key = "[" + kBase + "]";
    const std::string validText = CrLf({kHeader, "", key, "\"Bit Set 1\"=dword:00000004"});
    return {
        {"Empty", [=] { return std::string(""); }},
        {"MissingHeader",
         [=] {
             return std::string(CrLf({key, "\"Bit Set 1\"=dword:00000004"}));
         }},
        {"Regedit4",
         [=] {
             return std::string(CrLf({"REGEDIT4", "", key, "\"Bit Set 1\"=dword:00000004"}));
         }},
        {"HeaderOnlyAsAPrefix",
         [=] {
             return std::string(CrLf({kHeader + "1", key}));
         }},
        {"TruncatedHexLine",
         [=] {
             const std::string text = DataFile("default.reg");
             return text.substr(0, text.find(",\\\r\n") + 1);
         }},
        {"ContinuationAtTheEnd",
         [=] {
             return std::string(CrLf({kHeader, key, "\"Node IDs\"=hex:20,00,\\"}));
         }},
        {"UnterminatedString",
         [=] {
             return std::string(CrLf({kHeader, key, "\"Phone Number\"=\"555 5555"}));
         }},
        {"UnterminatedName",
         [=] {
             return std::string(CrLf({kHeader, key, "\"Phone Number=\"555\""}));
         }},
        {"UnterminatedKey",
         [=] {
             return std::string(CrLf({kHeader, "[" + kBase}));
         }},
        {"BadHexDigit",
         [=] {
             return std::string(CrLf({kHeader, key, "\"Node IDs\"=hex:20,0g"}));
         }},
        {"ThreeDigitHexByte",
         [=] {
             return std::string(CrLf({kHeader, key, "\"Node IDs\"=hex:200,00"}));
         }},
        {"EmptyHexItem",
         [=] {
             return std::string(CrLf({kHeader, key, "\"Node IDs\"=hex:20,,00"}));
         }},
        {"BadHexType",
         [=] {
             return std::string(CrLf({kHeader, key, "\"x\"=hex(zz):00"}));
         }},
        {"LongDword",
         [=] {
             return std::string(CrLf({kHeader, key, "\"Bit Set 1\"=dword:123456789"}));
         }},
        {"NewlineEscape",
         [=] {
             return std::string(CrLf({kHeader, key, "\"Phone Number\"=\"555\\n5555\""}));
         }},
        {"UnknownEscapeInName",
         [=] {
             return std::string(CrLf({kHeader, key, "\"Bit\\q\"=dword:00000001"}));
         }},
        {"TrailingTextAfterString",
         [=] {
             return std::string(CrLf({kHeader, key, "\"Phone Number\"=\"555\" extra"}));
         }},
        {"ValueBeforeAnyKey",
         [=] {
             return std::string(CrLf({kHeader, "\"Bit Set 1\"=dword:00000004", key}));
         }},
        {"DeletedKey",
         [=] {
             return std::string(CrLf({kHeader, key, "", "[-" + kBase + "\\Farm 01]"}));
         }},
        {"DeletedValue",
         [=] {
             return std::string(CrLf({kHeader, key, "\"Bit Set 1\"=-"}));
         }},
        {"DuplicateKey",
         [=] {
             return std::string(CrLf({kHeader, key, "[" + kBase + "\\]"}));
         }},
        {"DuplicateValue",
         [=] {
             return std::string(
                 CrLf({kHeader, key, "\"Bit Set 1\"=dword:1", "\"BIT SET 1\"=dword:2"}));
         }},
        {"GarbageLineInAValidHive",
         [=] { return std::string(DefaultWith("Farm 02]", "this line is no registry line")); }},
        {"GarbageAfterAValidHive",
         [=] { return std::string(DataFile("default.reg") + "\x01\x02garbage\r\n"); }},
        {"Utf16WithoutByteOrderMark", [=] { return std::string(Utf16Le(validText)); }},
        {"Utf16BigEndian", [=] { return std::string("\xFE\xFF" + Utf16Be(validText)); }},
        {"Utf16OddLength", [=] { return std::string("\xFF\xFE" + Utf16Le(validText) + "x"); }},
        {"Utf16UnpairedSurrogate",
         [=] {
             return std::string("\xFF\xFE" + Utf16Le(validText) + std::string("\x00\xD8", 2) +
                                Utf16Le("\r\n"));
         }},
        {"ZeroByteInUtf8",
         [=] { return std::string(DefaultWith("Farm 01]", std::string("\"x\"=\"a\0b\"", 9))); }},
        {"BinaryGarbage", [=] { return std::string(RandomBytes(4096, 7, true)); }},
        {"GarbageAfterTheHeader",
         [=] { return std::string(kHeader + "\r\n" + RandomBytes(4096, 11, false)); }},
        {"LargerThanTheLimit",
         [=] {
             return std::string(DataFile("default.reg") + ";" +
                                std::string(HiveDocument::kMaxFileBytes, 'x') + "\r\n");
         }},
    };
}

class UnparseableHive : public ::testing::TestWithParam<BadHive> {};

} // namespace

TEST_P(UnparseableHive, RunsOnDefaultsAndKeepsTheFileAsItWas) {
    TempDir dir;
    const std::string hive = dir.File("registry.reg");
    const std::string bytes = GetParam().bytes();
    WriteBytes(hive, bytes);
    {
        ProgramRun run(hive, {2});
        CTreeListDoc& doc = run.Start();
        const auto settings = doc.GetApplicationSettings();
        EXPECT_EQ(settings.m_dwAlarmToneFrequency, 700u);
        EXPECT_FALSE(settings.m_bAnnunciationOn);
        EXPECT_EQ(settings.m_dwDisplayBitSet, 12u);
        EXPECT_EQ(doc.FarmToConnectOnStartup(), 0);
        for (int f = 0; f < 4; ++f) {
            EXPECT_EQ(doc.Farm(f).m_strPhoneNumber, "555 5555");
            EXPECT_EQ(doc.Farm(f).m_iSerialPort, 1);
            EXPECT_EQ(doc.Farm(f).m_nUnitCount, 0);
        }
        EXPECT_FALSE(doc.PutFarmParameters(doc.GetFarmParameters(0)));

        RegistryStore store(run.Hive());
        EXPECT_FALSE(store.Create(kHkeyLocalMachine, "SOFTWARE\\Vantrel\\WRB Explorer"));
        EXPECT_EQ(store.LastResult(), RegStatus::kBadDb);
    }
    EXPECT_TRUE(ReadBytes(hive) == bytes) << "the hive was changed";
    EXPECT_FALSE(std::filesystem::exists(hive + ".tmp"));
}

INSTANTIATE_TEST_SUITE_P(HiveFile, UnparseableHive, ::testing::ValuesIn(BadHives()),
                         [](const ::testing::TestParamInfo<BadHive>& info) {
                             return info.param.name;
                         });

TEST(DamagedHive, ValuesTooLargeToReadLeaveTheirFarmOnDefaultsAndTheFileAlone) {
    TempDir dir;
    const std::string hive = dir.File("registry.reg");
    std::string bigNodes = "\"Node IDs\"=hex:86,13";
    for (int i = 0; i < 4998; ++i) {
        bigNodes += ",ff";
    }
    std::string text = DataFile("default.reg");
    const std::string zeroNodes =
        "\"Node IDs\"=hex:20,00,00,00,00,00,00,00,00,00,00,00,00,00,00,00,00,00,00,00,00,\\\r\n"
        "  00,00,00,00,00,00,00,00,00,00,00,00,00";
    text.replace(text.find(zeroNodes, text.find("Farm 02]")), zeroNodes.size(), bigNodes);
    const std::string phone = "\"Phone Number\"=\"555 5555\"";
    text.replace(text.find(phone, text.find("Farm 03]")), phone.size(),
                 "\"Phone Number\"=\"" + std::string(250, '7') + "\"");
    WriteBytes(hive, text);
    {
        ProgramRun run(hive);
        CTreeListDoc& doc = run.Start();
        EXPECT_EQ(doc.Farm(1).m_nUnitCount, 0);
        EXPECT_EQ(doc.Farm(2).m_strPhoneNumber, "");
        EXPECT_EQ(doc.Farm(3).m_strPhoneNumber, "555 5555");
        EXPECT_TRUE(run.Registry().writtenValues.empty());
    }
    EXPECT_TRUE(ReadBytes(hive) == text);
}

TEST(DamagedHive, NeverCrashesOnDamagedFilesAndRewritesWhatItAccepts) {
    const std::string golden = DataFile("default.reg");
    std::mt19937 random(2024);
    int accepted = 0;
    for (int round = 0; round < 400; ++round) {
        std::string damaged = golden;
        const int changes = 1 + static_cast<int>(random() % 3);
        for (int c = 0; c < changes; ++c) {
            const std::size_t at = random() % damaged.size();
            switch (random() % 3) {
            case 0:
                damaged[at] = static_cast<char>(random() & 0xFF);
                break;
            case 1:
                damaged.erase(at, 1 + random() % 8);
                break;
            default:
                damaged.insert(at, 1, "\\\"[]=,:\r\n@;-"[random() % 12]);
                break;
            }
        }
        HiveDocument doc;
        if (!HiveDocument::Parse(damaged, doc)) {
            continue;
        }
        ++accepted;
        const std::string written = doc.Serialize();
        HiveDocument reread;
        ASSERT_TRUE(HiveDocument::Parse(written, reread)) << damaged;
        EXPECT_EQ(reread.Serialize(), written);
    }
    EXPECT_GT(accepted, 0);
}
