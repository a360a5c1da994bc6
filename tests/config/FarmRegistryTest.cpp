#include "FarmTestSupport.h"

#include "config/RegistryStore.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace configtest;

namespace {

class FarmRegistry : public ::testing::Test {
protected:
    // The default layout with some farm values replaced: lines of the golden file are
    // swapped by their exact text within the given farm's key.
    void WriteDefaultHiveWith(int farmNumber, const std::string& oldLine,
                              const std::string& newLine) {
        std::string text = hiveText.empty() ? DataFile("default.reg") : hiveText;
        const std::string farmKey = "Farm 0" + std::to_string(farmNumber) + "]";
        const std::size_t from = farmNumber == 0 ? 0 : text.find(farmKey);
        const std::size_t at = text.find(oldLine + "\r\n", from);
        ASSERT_NE(at, std::string::npos) << oldLine;
        text.replace(at, oldLine.size(), newLine);
        hiveText = text;
        WriteBytes(hive, hiveText);
    }
    static std::string NodeIdsLine(const std::vector<std::uint8_t>& bitmap) {
        std::string line = "\"Node IDs\"=hex:20,00";
        for (std::uint8_t b : bitmap) {
            char item[4];
            std::snprintf(item, sizeof item, ",%02x", b);
            line += item;
        }
        return line;
    }
    std::uint32_t StoredDword(const std::string& key, const std::string& name) {
        HiveFileBackend reader(hive);
        RegistryStore store(reader);
        std::uint32_t value = 0xDEADBEEF;
        if (store.Open(kHkeyLocalMachine, key)) {
            store.GetDword(name, value);
        }
        return value;
    }

    TempDir dir;
    std::string hive = dir.File("registry.reg");
    std::string hiveText;
    const std::string kFarmZeroNodes =
        "\"Node IDs\"=hex:20,00,00,00,00,00,00,00,00,00,00,00,00,00,00,00,00,00,00,00,00,\\\r\n"
        "  00,00,00,00,00,00,00,00,00,00,00,00,00";
    const std::string kBaseKey = "SOFTWARE\\Vantrel\\WRB Explorer\\";
};

} // namespace

TEST_F(FarmRegistry, AFirstStartWritesTheDefaultLayout) {
    {
        ProgramRun run(hive, {1, 3});
        CTreeListDoc& doc = run.Start();
        const auto settings = doc.GetApplicationSettings();
        EXPECT_EQ(settings.m_dwAlarmToneFrequency, 700u);
        EXPECT_FALSE(settings.m_bAnnunciationOn);
        EXPECT_EQ(settings.m_dwDisplayBitSet, 12u);
        for (int f = 0; f < 4; ++f) {
            EXPECT_EQ(doc.Farm(f).m_strPhoneNumber, "555 5555");
            EXPECT_EQ(doc.Farm(f).m_iSerialPort, 1);
            EXPECT_EQ(doc.Farm(f).m_dwBitSet, 0u);
            EXPECT_EQ(doc.Farm(f).m_nUnitCount, 0);
        }
        EXPECT_EQ(doc.FarmToConnectOnStartup(), 0);
        std::array<std::int32_t, 4> ports{};
        doc.GetComPortAvailable(ports);
        EXPECT_EQ(ports, (std::array<std::int32_t, 4>{1, 0, 1, 0}));
        EXPECT_EQ(ReadBytes(hive), DataFile("default.reg"));
    }
    EXPECT_EQ(ReadBytes(hive), DataFile("default.reg"));
}

TEST_F(FarmRegistry, ASecondStartReadsTheLayoutBackAndWritesOnlyTheAnnunciation) {
    WriteBytes(hive, DataFile("default.reg"));
    ProgramRun run(hive);
    run.Start();
    EXPECT_TRUE(run.Registry().createdKeys.empty());
    EXPECT_TRUE(run.Registry().writtenValues.empty());
    run.End();
    EXPECT_EQ(run.Registry().writtenValues, std::vector<std::string>{"Alarm Annunciation"});
    EXPECT_EQ(ReadBytes(hive), DataFile("default.reg"));
}

TEST_F(FarmRegistry, StartUpFillsInValuesMissingFromAnExistingKey) {
    WriteBytes(hive,
               CrLf({kHeader, "", "[" + kBase + "\\Farm 02]", "\"Serial Port\"=dword:00000003"}));
    ProgramRun run(hive);
    CTreeListDoc& doc = run.Start();
    EXPECT_EQ(doc.Farm(1).m_iSerialPort, 3);
    EXPECT_EQ(doc.Farm(1).m_strPhoneNumber, "555 5555");
    EXPECT_EQ(StoredDword(kBaseKey + "Farm 02", "Bit Set 1"), 0u);
    EXPECT_EQ(StoredDword(kBaseKey + "Farm 02", "Serial Port"), 3u);
    EXPECT_EQ(StoredDword(kBaseKey, "Alarm Tone Frequency"), 700u);
}

TEST_F(FarmRegistry, NodeBitmapsBecomeConfiguredNodesAndUnitRecords) {
    std::vector<std::uint8_t> bitmap(32);
    bitmap[0] = 0x05;
    bitmap[31] = 0xFF;
    WriteDefaultHiveWith(3, kFarmZeroNodes, NodeIdsLine(bitmap));
    ProgramRun run(hive);
    CTreeListDoc& doc = run.Start();
    const FarmRecord& farm = doc.Farm(2);

    std::vector<int> configured;
    for (int index = 0; index < kNodeFlagCount; ++index) {
        if (farm.m_bNodeConfigured[static_cast<std::size_t>(index)] != 0) {
            configured.push_back(index + 1);
        }
    }
    EXPECT_EQ(configured, (std::vector<int>{1, 3, 249, 250, 251, 252, 253, 254, 255}));
    std::vector<int> units;
    for (int index = 0; index < kUnitSlotCount; ++index) {
        if (const KilnRecord* unit = farm.Unit(index)) {
            units.push_back(index + 1);
            EXPECT_EQ(unit->m_byIdentificationCode, index + 1);
            EXPECT_EQ(unit->m_iCuringMethod, 0);
        }
    }
    EXPECT_EQ(units, (std::vector<int>{1, 3, 249, 250, 251, 252, 253, 254}));
    EXPECT_EQ(farm.m_nUnitCount, 8);
    EXPECT_EQ(farm.m_iHighestConfiguredIndex, 253);
    EXPECT_EQ(farm.m_iRoundRobinIndex, 253);
    EXPECT_EQ(farm.m_iStartupScanEnd, 254);
    EXPECT_EQ(farm.m_iLastQueriedIndex, 253);
    EXPECT_EQ(std::vector<std::uint8_t>(farm.m_byNodeIdBitmap.begin(), farm.m_byNodeIdBitmap.end()),
              bitmap);
    // Only farm 3 has units: no other farm inherits its nodes.
    for (int f : {0, 1, 3}) {
        EXPECT_EQ(doc.Farm(f).m_nUnitCount, 0) << "farm index " << f;
    }
}

TEST_F(FarmRegistry, NodeListsAreSavedOnlyWhenUnitsWereAddedOrDeleted) {
    WriteBytes(hive, DataFile("default.reg"));
    {
        ProgramRun run(hive);
        run.Start();
        run.End();
        EXPECT_EQ(std::count(run.Registry().writtenValues.begin(),
                             run.Registry().writtenValues.end(), "Node IDs"),
                  0);
    }
    {
        ProgramRun run(hive);
        CTreeListDoc& doc = run.Start();
        doc.Farm(1).m_byNodeIdBitmap[0] = 0x05;
        doc.Farm(1).m_byNodeIdBitmap[31] = 0x7F;
        doc.SetNodeListsChanged();
        run.End();
        EXPECT_EQ(std::count(run.Registry().writtenValues.begin(),
                             run.Registry().writtenValues.end(), "Node IDs"),
                  4);
    }
    ProgramRun next(hive);
    CTreeListDoc& doc = next.Start();
    EXPECT_EQ(doc.Farm(1).m_nUnitCount, 2 + 6);
    EXPECT_NE(doc.Farm(1).Unit(253), nullptr);
    EXPECT_EQ(doc.Farm(0).m_nUnitCount, 0);
    HiveFileBackend reader(hive);
    RegistryStore store(reader);
    ASSERT_TRUE(store.Open(kHkeyLocalMachine, kBaseKey + "Farm 02"));
    std::uint8_t raw[40] = {};
    std::uint32_t size = sizeof raw;
    ASSERT_EQ(reader.QueryValue(store.HeldKey(), "Node IDs", nullptr, raw, &size), 0);
    ASSERT_EQ(size, 34u);
    EXPECT_EQ(raw[0], 0x20);
    EXPECT_EQ(raw[1], 0x00);
    EXPECT_EQ(raw[2], 0x05);
    EXPECT_EQ(raw[33], 0x7F);
}

TEST_F(FarmRegistry, TheFirstFarmWithConnectOnStartUpIsConnectedAtStart) {
    WriteDefaultHiveWith(2, "\"Bit Set 1\"=dword:00000000", "\"Bit Set 1\"=dword:00000005");
    WriteDefaultHiveWith(3, "\"Bit Set 1\"=dword:00000000", "\"Bit Set 1\"=dword:00000003");
    ProgramRun run(hive);
    CTreeListDoc& doc = run.Start();
    EXPECT_EQ(doc.FarmToConnectOnStartup(), 2);
    EXPECT_EQ(doc.Farm(1).m_byConnectionType, CT_REMOTE_MODEM);
    EXPECT_EQ(doc.Farm(2).m_byConnectionType, CT_LOCAL_MODEM);
}

TEST_F(FarmRegistry, ApplyingConnectOnStartUpTakesItFromTheFarmThatHadIt) {
    WriteDefaultHiveWith(2, "\"Bit Set 1\"=dword:00000000", "\"Bit Set 1\"=dword:0000010d");
    ProgramRun run(hive);
    CTreeListDoc& doc = run.Start();
    ASSERT_EQ(doc.FarmToConnectOnStartup(), 2);

    FarmParameters p = doc.GetFarmParameters(3);
    p.m_dwBitSet = 0x03;
    p.m_strPhoneNumber = "0800 1234";
    p.m_iSerialPort = 4;
    EXPECT_TRUE(doc.PutFarmParameters(p));

    EXPECT_EQ(doc.Farm(1).m_dwBitSet, 0x10Cu);
    EXPECT_EQ(StoredDword(kBaseKey + "Farm 02", "Bit Set 1"), 0x10Cu);
    EXPECT_EQ(doc.Farm(3).m_dwBitSet, 0x03u);
    EXPECT_EQ(doc.Farm(3).m_byConnectionType, CT_LOCAL_MODEM);
    EXPECT_EQ(doc.Farm(3).m_strPhoneNumber, "0800 1234");
    EXPECT_EQ(doc.Farm(3).m_iSerialPort, 4);
    EXPECT_EQ(StoredDword(kBaseKey + "Farm 04", "Bit Set 1"), 0x03u);
    EXPECT_EQ(StoredDword(kBaseKey + "Farm 04", "Serial Port"), 4u);
    EXPECT_EQ(doc.FarmToConnectOnStartup(), 2); // takes effect at the next start
}

TEST_F(FarmRegistry, ApplyFailsWithoutRecreatingWhatWasDeletedFromOutside) {
    WriteBytes(hive, DataFile("default.reg"));
    ProgramRun run(hive);
    CTreeListDoc& doc = run.Start();

    // Farm 03's key and Farm 01's "Serial Port" are removed while the program runs.
    std::string text = DataFile("default.reg");
    const std::size_t farm3 = text.find("[" + kBase + "\\Farm 03]");
    const std::size_t farm4 = text.find("[" + kBase + "\\Farm 04]");
    text.erase(farm3, farm4 - farm3);
    const std::string serial = "\"Serial Port\"=dword:00000001\r\n";
    text.erase(text.find(serial, text.find("Farm 01]")), serial.size());
    WriteBytes(hive, text);

    FarmParameters p = doc.GetFarmParameters(2);
    p.m_strPhoneNumber = "123";
    EXPECT_FALSE(doc.PutFarmParameters(p));
    EXPECT_EQ(ReadBytes(hive), text);
    EXPECT_EQ(doc.Farm(2).m_strPhoneNumber, "555 5555");

    p = doc.GetFarmParameters(0);
    p.m_strPhoneNumber = "456";
    p.m_iSerialPort = 2;
    EXPECT_FALSE(doc.PutFarmParameters(p));
    EXPECT_EQ(doc.Farm(0).m_strPhoneNumber, "456"); // the values that exist are written
    EXPECT_EQ(doc.Farm(0).m_iSerialPort, 1);
    HiveFileBackend reader(hive);
    RegistryStore store(reader);
    ASSERT_TRUE(store.Open(kHkeyLocalMachine, kBaseKey + "Farm 01"));
    EXPECT_FALSE(store.ValueExists("Serial Port"));

    p.m_iFarmIndex = 4;
    EXPECT_FALSE(doc.PutFarmParameters(p));
}

TEST_F(FarmRegistry, AnnunciationIsStoredAsOffAfterEveryExit) {
    WriteDefaultHiveWith(0, "\"Alarm Annunciation\"=dword:00000000",
                         "\"Alarm Annunciation\"=dword:00000001");
    {
        ProgramRun run(hive);
        EXPECT_TRUE(run.Start().GetApplicationSettings().m_bAnnunciationOn);
    }
    EXPECT_EQ(StoredDword(kBaseKey, "Alarm Annunciation"), 0u);
    EXPECT_EQ(ReadBytes(hive), DataFile("default.reg"));

    // Also when the base key vanished while the program ran.
    ProgramRun run(hive);
    run.Start();
    WriteBytes(hive, CrLf({kHeader}));
    run.End();
    EXPECT_EQ(StoredDword(kBaseKey, "Alarm Annunciation"), 0u);
}

TEST_F(FarmRegistry, TheExitSaveRunsOnceAndOnlyAfterALoad) {
    WriteBytes(hive, DataFile("default.reg"));
    ProgramRun run(hive);
    CTreeListDoc& doc = run.Start();
    doc.SetNodeListsChanged();
    doc.SaveTheRegistry();
    const std::size_t writes = run.Registry().writtenValues.size();
    EXPECT_EQ(writes, 5u);
    run.End();
    EXPECT_EQ(run.Registry().writtenValues.size(), writes);

    ProgramRun neverStarted(dir.File("other.reg"));
    neverStarted.End();
    EXPECT_TRUE(neverStarted.Registry().writtenValues.empty());
    EXPECT_FALSE(std::filesystem::exists(dir.File("other.reg")));
}

TEST_F(FarmRegistry, ValuesOfTheWrongTypeAreReadAsTheStoreReadsThem) {
    WriteDefaultHiveWith(0, "\"Alarm Tone Frequency\"=dword:000002bc",
                         "\"Alarm Tone Frequency\"=\"1000\"");
    WriteDefaultHiveWith(1, "\"Serial Port\"=dword:00000001", "\"Serial Port\"=\"3\"");
    WriteDefaultHiveWith(1, "\"Phone Number\"=\"555 5555\"", "\"Phone Number\"=dword:00323131");
    WriteDefaultHiveWith(2, kFarmZeroNodes, "\"Node IDs\"=dword:ffffffff");
    std::vector<std::uint8_t> farm1(32, 0);
    farm1[0] = 1;
    WriteDefaultHiveWith(1, kFarmZeroNodes, NodeIdsLine(farm1));

    ProgramRun run(hive);
    CTreeListDoc& doc = run.Start();
    EXPECT_EQ(doc.GetApplicationSettings().m_dwAlarmToneFrequency, 700u); // 5 bytes: no read
    EXPECT_EQ(doc.Farm(0).m_iSerialPort, 0x33);                           // "3" and its zero
    EXPECT_EQ(doc.Farm(0).m_strPhoneNumber, "112");
    EXPECT_EQ(doc.Farm(0).m_nUnitCount, 1);
    EXPECT_EQ(doc.Farm(1).m_nUnitCount, 0); // a dword is no node list
    run.End();
    EXPECT_EQ(ReadBytes(hive), hiveText);
}
