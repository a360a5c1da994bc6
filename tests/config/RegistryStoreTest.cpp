#include "ConfigTestSupport.h"

#include "config/ByteArrayArchive.h"
#include "config/HiveFileBackend.h"
#include "config/RegistryStore.h"

#include <gtest/gtest.h>

#include <numeric>

using namespace configtest;

namespace {

const std::string kKey = "SOFTWARE\\Vantrel\\WRB Explorer\\Farm 01";

// A store over a hive in a temporary folder holding one key with the given value lines.
class RegistryStoreTest : public ::testing::Test {
protected:
    void WriteHive(const std::vector<std::string>& valueLines) {
        std::vector<std::string> lines{kHeader, "", "[HKEY_LOCAL_MACHINE\\" + kKey + "]"};
        lines.insert(lines.end(), valueLines.begin(), valueLines.end());
        WriteBytes(hive, CrLf(lines));
    }
    void OpenKey() { ASSERT_TRUE(store.Open(kHkeyLocalMachine, kKey)); }

    TempDir dir;
    std::string hive = dir.File("registry.reg");
    HiveFileBackend backend{hive};
    RegistryStore store{backend};
};

std::string HexList(const std::vector<std::uint8_t>& bytes) {
    std::string text;
    for (std::uint8_t b : bytes) {
        char item[4];
        std::snprintf(item, sizeof item, "%02x", b);
        text += (text.empty() ? "" : ",") + std::string(item);
    }
    return text;
}

} // namespace

TEST(ByteArrayArchive, CountsFrom0xFFFFUpTakeTheLongForm) {
    const std::vector<std::uint8_t> small(0xFFFE, 7);
    const auto storedSmall = ByteArrayArchive::Store(small);
    ASSERT_EQ(storedSmall.size(), 0xFFFEu + 2);
    EXPECT_EQ(storedSmall[0], 0xFE);
    EXPECT_EQ(storedSmall[1], 0xFF);

    std::vector<std::uint8_t> large(70000);
    std::iota(large.begin(), large.end(), std::uint8_t{0});
    const auto stored = ByteArrayArchive::Store(large);
    ASSERT_EQ(stored.size(), 70000u + 6);
    EXPECT_EQ((std::vector<std::uint8_t>(stored.begin(), stored.begin() + 6)),
              (std::vector<std::uint8_t>{0xFF, 0xFF, 0x70, 0x11, 0x01, 0x00}));
    EXPECT_EQ(ByteArrayArchive::Load(stored), large);
}

TEST(ByteArrayArchive, MalformedCountsNeverReadPastTheValue) {
    // Exactly sized buffers: a read past their end is caught by the sanitizer build.
    const std::vector<std::uint8_t> claimsMore{0x20, 0x00, 1, 2, 3, 4, 5};
    EXPECT_EQ(ByteArrayArchive::Load(claimsMore), (std::vector<std::uint8_t>{1, 2, 3, 4, 5}));
    const std::vector<std::uint8_t> truncatedLongCount{0xFF, 0xFF, 0x10, 0x00};
    EXPECT_TRUE(ByteArrayArchive::Load(truncatedLongCount).empty());
    const std::vector<std::uint8_t> oneByte{0x20};
    EXPECT_TRUE(ByteArrayArchive::Load(oneByte).empty());
    const std::vector<std::uint8_t> longCountClaimsMore{0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 9};
    EXPECT_EQ(ByteArrayArchive::Load(longCountClaimsMore), (std::vector<std::uint8_t>{9}));
}

TEST_F(RegistryStoreTest, StoresA32ByteArrayAs34BytesBeginningWithItsCount) {
    WriteHive({});
    OpenKey();
    std::vector<std::uint8_t> bitmap(32);
    bitmap[0] = 0x05;
    bitmap[31] = 0xFF;
    ASSERT_TRUE(store.SetBinary("Node IDs", bitmap));
    EXPECT_EQ(store.LastValueType(), kRegBinary);
    EXPECT_EQ(store.LastValueSize(), 34u);

    std::uint8_t raw[64] = {};
    std::uint32_t type = 0;
    std::uint32_t size = sizeof raw;
    ASSERT_EQ(backend.QueryValue(store.HeldKey(), "Node IDs", &type, raw, &size), 0);
    EXPECT_EQ(type, kRegBinary);
    ASSERT_EQ(size, 34u);
    EXPECT_EQ(raw[0], 0x20);
    EXPECT_EQ(raw[1], 0x00);
    EXPECT_EQ(raw[2], 0x05);
    EXPECT_EQ(raw[33], 0xFF);

    std::vector<std::uint8_t> back(32, 0xAA);
    ASSERT_TRUE(store.GetBinary("node ids", back));
    EXPECT_EQ(back, bitmap);
}

TEST_F(RegistryStoreTest, ReadingAnArrayKeepsItsSize) {
    std::vector<std::uint8_t> forty(40);
    std::iota(forty.begin(), forty.end(), std::uint8_t{1});
    const std::vector<std::uint8_t> ten(forty.begin(), forty.begin() + 10);
    WriteHive({"\"Forty\"=hex:28,00," + HexList(forty), "\"Ten\"=hex:0a,00," + HexList(ten),
               "\"Short\"=hex:20,00,01,02,03,04,05"});
    OpenKey();

    std::vector<std::uint8_t> array(32, 0xAA);
    ASSERT_TRUE(store.GetBinary("Forty", array));
    EXPECT_EQ(array, std::vector<std::uint8_t>(forty.begin(), forty.begin() + 32));
    EXPECT_EQ(store.LastValueSize(), 42u);

    array.assign(32, 0xAA);
    ASSERT_TRUE(store.GetBinary("Ten", array));
    std::vector<std::uint8_t> expected(ten);
    expected.resize(32, 0);
    EXPECT_EQ(array, expected);

    // Count 32, but only five bytes stored: those five, then zeros.
    array.assign(32, 0xAA);
    ASSERT_TRUE(store.GetBinary("Short", array));
    expected.assign({1, 2, 3, 4, 5});
    expected.resize(32, 0);
    EXPECT_EQ(array, expected);
}

TEST_F(RegistryStoreTest, BinaryReadsFailAbove4096BytesAndSkipOtherTypes) {
    std::vector<std::uint8_t> big(4097, 0x11);
    WriteHive({"\"Big\"=hex:" + HexList(big),
               "\"Exact\"=hex:fe,0f," + HexList(std::vector<std::uint8_t>(4094, 1)),
               "\"Number\"=dword:00000005"});
    OpenKey();

    std::vector<std::uint8_t> array(32, 0xAA);
    EXPECT_FALSE(store.GetBinary("Big", array));
    EXPECT_EQ(store.LastResult(), RegStatus::kMoreData);
    EXPECT_EQ(store.LastValueSize(), 4097u);
    EXPECT_EQ(array, std::vector<std::uint8_t>(32, 0xAA));

    EXPECT_TRUE(store.GetBinary("Exact", array));
    EXPECT_EQ(array, std::vector<std::uint8_t>(32, 1));

    array.assign(32, 0xAA);
    EXPECT_TRUE(store.GetBinary("Number", array));
    EXPECT_EQ(store.LastValueType(), kRegDword);
    EXPECT_EQ(array, std::vector<std::uint8_t>(32, 0xAA));
}

TEST_F(RegistryStoreTest, StringReadsStopAt200BytesAndKeepEveryByte) {
    WriteHive({"\"Long\"=\"" + std::string(200, 'x') + "\"",
               "\"Fits\"=\"" + std::string(199, 'y') + "\"",
               "\"Accents\"=\"Nu\xc3\xb1oa \xf1 22\""});
    OpenKey();

    std::string text = "unchanged";
    EXPECT_FALSE(store.GetString("Long", text));
    EXPECT_EQ(store.LastResult(), RegStatus::kMoreData);
    EXPECT_EQ(text, "unchanged");

    EXPECT_TRUE(store.GetString("Fits", text));
    EXPECT_EQ(text, std::string(199, 'y'));
    EXPECT_EQ(store.LastValueSize(), 200u);

    EXPECT_TRUE(store.GetString("Accents", text));
    EXPECT_EQ(text, "Nu\xc3\xb1oa \xf1 22");

    ASSERT_TRUE(store.SetString("Written", "a\xf1z"));
    EXPECT_EQ(store.LastValueSize(), 4u);
    EXPECT_EQ(store.LastValueType(), kRegSz);
    EXPECT_TRUE(store.GetString("Written", text));
    EXPECT_EQ(text, "a\xf1z");
}

TEST_F(RegistryStoreTest, ValuesOfAnotherTypeAreReadAsTheirRawBytes) {
    WriteHive({"\"ShortText\"=\"1\"", "\"LongText\"=\"1000\"", "\"Number\"=dword:00353535",
               "\"Eight\"=hex(b):01,00,00,00,00,00,00,00"});
    OpenKey();

    std::uint32_t value = 77;
    EXPECT_TRUE(store.GetDword("ShortText", value));
    EXPECT_EQ(value, 0x31u); // '1' and the terminating zero, the rest 0
    EXPECT_EQ(store.LastValueType(), kRegSz);
    EXPECT_EQ(store.LastValueSize(), 2u);

    value = 77;
    EXPECT_FALSE(store.GetDword("LongText", value));
    EXPECT_FALSE(store.GetDword("Eight", value));
    EXPECT_EQ(store.LastResult(), RegStatus::kMoreData);
    EXPECT_EQ(value, 77u);

    std::string text;
    EXPECT_TRUE(store.GetString("Number", text));
    EXPECT_EQ(text, "555");
}

TEST_F(RegistryStoreTest, MissingKeysAndValuesReportTheRegistryStatus) {
    WriteHive({"\"Present\"=dword:00000001"});
    EXPECT_FALSE(store.Open(kHkeyLocalMachine, "SOFTWARE\\Nowhere"));
    EXPECT_EQ(store.LastResult(), RegStatus::kFileNotFound);
    EXPECT_EQ(store.HeldKey(), kNoKey);

    ASSERT_TRUE(store.OpenAndRemember(kHkeyLocalMachine, kKey));
    EXPECT_EQ(store.KeyPath(), kKey);
    std::uint32_t value = 0;
    ASSERT_TRUE(store.GetDword("Present", value));
    EXPECT_EQ(store.LastValueType(), kRegDword);
    EXPECT_FALSE(store.ValueExists("Absent"));
    EXPECT_EQ(store.LastResult(), RegStatus::kFileNotFound);
    EXPECT_EQ(store.LastValueType(), 0u);
    EXPECT_EQ(store.LastValueSize(), 0u);
    EXPECT_TRUE(store.ValueExists("PRESENT"));

    store.Close();
    store.Close();
    EXPECT_FALSE(store.GetDword("Present", value));
    EXPECT_EQ(store.LastResult(), RegStatus::kInvalidHandle);
    EXPECT_FALSE(store.SetDword("Present", 2));
}

TEST_F(RegistryStoreTest, CreatedKeysOutliveTheProgram) {
    ASSERT_TRUE(store.Create(kHkeyLocalMachine, kKey + "\\"));
    ASSERT_TRUE(store.SetDword("Serial Port", 3));
    store.Close();

    // A later run of the program (a fresh backend over the same file) finds key and value.
    HiveFileBackend later(hive);
    RegistryStore reader(later);
    ASSERT_TRUE(reader.Open(kHkeyLocalMachine, kKey));
    std::uint32_t port = 0;
    EXPECT_TRUE(reader.GetDword("Serial Port", port));
    EXPECT_EQ(port, 3u);
    EXPECT_TRUE(reader.Open(kHkeyLocalMachine, "software\\vantrel"));
}
