// The Windows registry backend against the registry itself, and a site's settings moved
// between the registry and a text hive with the registry editor. Tests that change machine
// keys run only in a throwaway Wine prefix (scripts/windows-test marks one); the others work
// below a scratch key of the current user that they remove.

#include "FarmTestSupport.h"

#include "config/RegistryStore.h"
#include "config/WinRegistryBackend.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <tuple>
#include <windows.h>

using namespace configtest;

namespace {

const std::string kScratchKey =
    "Software\\kilnwatch-tests\\" + std::to_string(GetCurrentProcessId());

bool InScratchWinePrefix() {
    const HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    const char* marked = std::getenv("KILNWATCH_SCRATCH_WINE_PREFIX");
    return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr &&
           marked != nullptr && std::string(marked) == "1";
}

// Removes a key and everything below it in the 32-bit view, where the program keeps its keys.
void DeleteTree(HKEY root, const std::string& parent, const std::string& name) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, parent.c_str(), 0, KEY_ALL_ACCESS | KEY_WOW64_32KEY, &key) ==
        ERROR_SUCCESS) {
        RegDeleteTreeA(key, name.c_str());
        RegCloseKey(key);
    }
}

// Runs a program of the system and waits for it; its exit code, or -1 when it did not start.
int RunAndWait(std::string commandLine) {
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process)) {
        return -1;
    }
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD code = 1;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return static_cast<int>(code);
}

// The registry editor writes UTF-16; the comparison below reads it as the hive file does.
std::string Utf8(const std::string& utf16le) {
    if (utf16le.size() < 2) {
        return {};
    }
    const auto* wide = reinterpret_cast<const wchar_t*>(utf16le.data() + 2); // byte order mark
    const int length = static_cast<int>(utf16le.size() / 2 - 1);
    const int bytes = WideCharToMultiByte(CP_UTF8, 0, wide, length, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(bytes), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide, length, out.data(), bytes, nullptr, nullptr);
    return out;
}

// The 64-bit registry editor shows the program's 32-bit keys below WOW6432Node.
std::string ReplaceAll(std::string text, const std::string& from, const std::string& to) {
    for (std::size_t at = text.find(from); at != std::string::npos;
         at = text.find(from, at + to.size())) {
        text.replace(at, from.size(), to);
    }
    return text;
}
const std::string kPlainRoot = "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Vantrel";
const std::string kViewRoot = "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Wow6432Node\\Vantrel";

using FarmView = std::tuple<std::string, std::int32_t, std::uint32_t, std::int32_t,
                            std::array<std::uint8_t, kNodeBitmapBytes>>;

std::vector<FarmView> Farms(CTreeListDoc& doc) {
    std::vector<FarmView> farms;
    for (int f = 0; f < 4; ++f) {
        const FarmRecord& farm = doc.Farm(f);
        farms.emplace_back(farm.m_strPhoneNumber, farm.m_iSerialPort, farm.m_dwBitSet,
                           farm.m_nUnitCount, farm.m_byNodeIdBitmap);
    }
    return farms;
}

// The farms a document started on the backend finds, the program's end included.
std::vector<FarmView> FarmsThrough(RegistryBackend& backend) {
    FakeComPortProbe probe;
    CTreeListDoc doc;
    doc.SetRegistryBackend(&backend);
    doc.SetComPortProbe(&probe);
    doc.OnNewDocument();
    return Farms(doc);
}

class WinRegistry : public ::testing::Test {
protected:
    ~WinRegistry() override { DeleteTree(HKEY_CURRENT_USER, "Software", "kilnwatch-tests"); }
    WinRegistryBackend backend;
};

class SiteMove : public ::testing::Test {
protected:
    void SetUp() override {
        if (!InScratchWinePrefix()) {
            GTEST_SKIP() << "changes machine keys: only in a scratch Wine prefix";
        }
        DeleteTree(HKEY_LOCAL_MACHINE, "SOFTWARE", "Vantrel");
    }
    void TearDown() override { DeleteTree(HKEY_LOCAL_MACHINE, "SOFTWARE", "Vantrel"); }

    TempDir dir;
};

} // namespace

TEST_F(WinRegistry, TypedValuesReadBackAsTheyWereWritten) {
    RegistryStore store(backend);
    ASSERT_TRUE(store.Create(kHkeyCurrentUser, kScratchKey));
    EXPECT_TRUE(store.SetDword("Serial Port", 3));
    EXPECT_TRUE(store.SetString("Phone Number", "555 1234"));
    const std::vector<std::uint8_t> bitmap{1, 2, 3, 0xFF};
    EXPECT_TRUE(store.SetBinary("Node IDs", bitmap));
    store.Close();

    ASSERT_TRUE(store.OpenAndRemember(kHkeyCurrentUser, kScratchKey));
    std::uint32_t port = 0;
    EXPECT_TRUE(store.GetDword("Serial Port", port));
    EXPECT_EQ(port, 3u);
    EXPECT_EQ(store.LastValueType(), kRegDword);
    std::string phone;
    EXPECT_TRUE(store.GetString("Phone Number", phone));
    EXPECT_EQ(phone, "555 1234");
    EXPECT_EQ(store.LastValueType(), kRegSz);
    EXPECT_EQ(store.LastValueSize(), 9u);
    std::vector<std::uint8_t> read(4);
    EXPECT_TRUE(store.GetBinary("Node IDs", read));
    EXPECT_EQ(read, bitmap);
    EXPECT_EQ(store.LastValueSize(), 6u);
    EXPECT_FALSE(store.ValueExists("Missing"));
    EXPECT_EQ(store.LastResult(), RegStatus::kFileNotFound);
    store.Close();
    EXPECT_EQ(backend.OpenHandleCount(), 0u);
}

TEST_F(WinRegistry, TextIsUtf16InTheRegistryAndUtf8HereWithTheSizeOfWhatIsHandedOut) {
    RegKey key = kNoKey;
    ASSERT_EQ(backend.CreateKey(kHkeyCurrentUser, kScratchKey, &key), RegStatus::kSuccess);
    const std::string text = "Caf\xC3\xA9"; // five bytes, four characters
    ASSERT_EQ(backend.SetValue(key, "Name", kRegSz,
                               reinterpret_cast<const std::uint8_t*>(text.c_str()), 6),
              RegStatus::kSuccess);
    wchar_t stored[8] = {};
    DWORD size = sizeof stored;
    ASSERT_EQ(RegGetValueW(HKEY_CURRENT_USER,
                           std::wstring(kScratchKey.begin(), kScratchKey.end()).c_str(), L"Name",
                           RRF_RT_REG_SZ, nullptr, stored, &size),
              ERROR_SUCCESS);
    EXPECT_EQ(std::wstring(stored), L"Caf\u00e9");

    std::uint32_t type = 0;
    std::uint32_t needed = 0;
    EXPECT_EQ(backend.QueryValue(key, "Name", &type, nullptr, &needed), RegStatus::kSuccess);
    EXPECT_EQ(needed, 6u);
    std::uint8_t small[3] = {7, 7, 7};
    std::uint32_t capacity = sizeof small;
    EXPECT_EQ(backend.QueryValue(key, "Name", &type, small, &capacity), RegStatus::kMoreData);
    EXPECT_EQ(capacity, 6u);
    EXPECT_EQ(small[0], 7); // left alone
    // Bytes that are not UTF-8 could not come back the same: refused rather than changed.
    const std::uint8_t latin1[] = {'C', 'a', 'f', 0xE9, 0};
    EXPECT_EQ(backend.SetValue(key, "Name", kRegSz, latin1, sizeof latin1),
              RegStatus::kInvalidParameter);
    EXPECT_EQ(backend.CloseKey(key), RegStatus::kSuccess);
}

TEST_F(WinRegistry, UnknownAndClosedHandlesAreRefused) {
    RegKey key = kNoKey;
    EXPECT_EQ(backend.OpenKey(12345, "x", &key), RegStatus::kInvalidHandle);
    EXPECT_EQ(key, kNoKey);
    ASSERT_EQ(backend.CreateKey(kHkeyCurrentUser, kScratchKey, &key), RegStatus::kSuccess);
    EXPECT_EQ(backend.CloseKey(key), RegStatus::kSuccess);
    EXPECT_EQ(backend.CloseKey(key), RegStatus::kInvalidHandle);
    std::uint32_t value = 1;
    EXPECT_EQ(backend.SetValue(key, "v", kRegDword, reinterpret_cast<std::uint8_t*>(&value), 4),
              RegStatus::kInvalidHandle);
    EXPECT_EQ(backend.CloseKey(kHkeyLocalMachine), RegStatus::kSuccess);
    EXPECT_EQ(backend.OpenKey(kHkeyCurrentUser, std::string("a\0b", 3), &key),
              RegStatus::kInvalidParameter);
}

TEST_F(SiteMove, TheProgramsKeysAreInThe32BitViewWhereEarlierReleasesKeptThem) {
    WinRegistryBackend backend;
    FarmsThrough(backend);
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Wow6432Node\\Vantrel\\WRB Explorer", 0,
                            KEY_READ | KEY_WOW64_64KEY, &key),
              ERROR_SUCCESS);
    RegCloseKey(key);
}

TEST_F(SiteMove, FarmsWrittenToTheRegistryAreTheFarmsOfItsExportAsATextHive) {
    WinRegistryBackend backend;
    FarmsThrough(backend); // the first start writes the default layout
    {
        RegistryStore store(backend);
        ASSERT_TRUE(store.Open(kHkeyLocalMachine, "SOFTWARE\\Vantrel\\WRB Explorer\\Farm 03"));
        store.SetString("Phone Number", "555 0199");
        store.SetDword("Serial Port", 2);
        std::vector<std::uint8_t> bitmap(32);
        bitmap[0] = 0x06;
        store.SetBinary("Node IDs", bitmap);
    }
    const std::vector<FarmView> inRegistry = FarmsThrough(backend);
    ASSERT_EQ(std::get<0>(inRegistry[2]), "555 0199");

    const std::string exported = dir.File("export.reg");
    ASSERT_EQ(RunAndWait("regedit.exe /e \"" + exported +
                         "\" \"HKEY_LOCAL_MACHINE\\SOFTWARE\\Wow6432Node\\Vantrel\""),
              0);
    const std::string hive = dir.File("registry.reg");
    WriteBytes(hive, ReplaceAll(Utf8(ReadBytes(exported)), kViewRoot, kPlainRoot));
    HiveFileBackend text(hive);
    EXPECT_EQ(FarmsThrough(text), inRegistry);
}

TEST_F(SiteMove, FarmsOfATextHiveImportedWithTheRegistryEditorAreTheFarmsTheRegistryGives) {
    std::string layout = DataFile("default.reg");
    const std::size_t farm = layout.find("Farm 04]");
    ASSERT_NE(farm, std::string::npos);
    const std::size_t phone = layout.find("\"Phone Number\"=\"555 5555\"", farm);
    ASSERT_NE(phone, std::string::npos);
    layout.replace(phone, 26, "\"Phone Number\"=\"0044 1632 960\"");
    const std::string hive = dir.File("registry.reg");
    WriteBytes(hive, layout);
    HiveFileBackend text(hive);
    const std::vector<FarmView> inHive = FarmsThrough(text);
    ASSERT_EQ(std::get<0>(inHive[3]), "0044 1632 960");

    const std::string import = dir.File("import.reg");
    WriteBytes(import, ReplaceAll(ReadBytes(hive), kPlainRoot, kViewRoot));
    ASSERT_EQ(RunAndWait("regedit.exe /s \"" + import + "\""), 0);
    WinRegistryBackend backend;
    EXPECT_EQ(FarmsThrough(backend), inHive);
}
