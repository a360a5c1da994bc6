// The farm configuration of the document: the start-up load of the registry, the apply of one
// farm's edited values, the save at the program's end, the COM port probe and the unit
// records of the configured nodes.

#include "app/CTreeListDoc.h"

#include "app/Trace.h"
#include "config/ComPortProbe.h"
#include "config/DeviceComPortProbe.h"
#include "config/RegistryBackend.h"
#include "config/RegistryStore.h"

#include <algorithm>
#include <cstdio>

namespace {

const std::string kBaseKey = "SOFTWARE\\Vantrel\\WRB Explorer\\";
const std::string kAlarmToneFrequency = "Alarm Tone Frequency";
const std::string kAlarmAnnunciation = "Alarm Annunciation";
// Not written when missing: a site that never set it keeps its hive as it was.
const std::string kReconnectInterval = "Reconnect Interval";
const std::string kDescriptorTimeout = "Log Descriptor Timeout";
constexpr std::uint32_t kMaxReconnectSeconds = 86400; // a day: the largest wait either takes
const std::string kBitSet1 = "Bit Set 1";
const std::string kNodeIds = "Node IDs";
const std::string kPhoneNumber = "Phone Number";
const std::string kSerialPort = "Serial Port";

constexpr std::uint32_t kDefaultToneFrequency = 700;
constexpr std::uint32_t kDefaultDisplayBitSet = 12;
const std::string kDefaultPhoneNumber = "555 5555";
constexpr std::uint32_t kConnectOnStartupBit = 1;

std::string FarmKey(int farmNumber) {
    char name[24];
    std::snprintf(name, sizeof name, "Farm %02d", farmNumber);
    return kBaseKey + name;
}

std::uint8_t ConnectionTypeOf(std::uint32_t bitSet) {
    return static_cast<std::uint8_t>((bitSet & 6u) >> 1);
}

bool IsFarmIndex(int farmIndex) {
    return farmIndex >= 0 && farmIndex < kFarmCount;
}

// Opens a key of the layout, creating it first when it is missing.
void OpenOrCreate(RegistryStore& store, const std::string& key) {
    if (!store.Open(kHkeyLocalMachine, key)) {
        store.Create(kHkeyLocalMachine, key);
    }
    store.OpenAndRemember(kHkeyLocalMachine, key);
}

void ReadOrWriteDword(RegistryStore& store, const std::string& name, std::uint32_t& value,
                      std::uint32_t defaultValue) {
    if (store.ValueExists(name)) {
        store.GetDword(name, value);
    } else {
        value = defaultValue;
        store.SetDword(name, value);
    }
}

} // namespace

void CTreeListDoc::SetRegistryBackend(RegistryBackend* backend) {
    m_settings.m_registry.reset();
    m_settings.m_pRegistryBackend = backend;
}

RegistryBackend& CTreeListDoc::GetRegistryBackend() {
    if (m_settings.m_pRegistryBackend == nullptr) {
        m_settings.m_ownedRegistryBackend = MakeDefaultRegistryBackend();
        m_settings.m_pRegistryBackend = m_settings.m_ownedRegistryBackend.get();
    }
    return *m_settings.m_pRegistryBackend;
}

std::string CTreeListDoc::SettingsReadProblem() const {
    const RegistryBackend* backend = m_settings.m_pRegistryBackend;
    return backend != nullptr ? backend->ReadProblem() : std::string();
}

std::string CTreeListDoc::SettingsSaveProblem() const {
    const RegistryBackend* backend = m_settings.m_pRegistryBackend;
    return backend != nullptr ? backend->WriteProblem() : std::string();
}

RegistryStore& CTreeListDoc::Registry() {
    if (!m_settings.m_registry) {
        m_settings.m_registry = std::make_unique<RegistryStore>(GetRegistryBackend());
    }
    return *m_settings.m_registry;
}

void CTreeListDoc::ProcessTheRegistry() {
    KW_TRACE("CTreeListDoc::ProcessTheRegistry().................S\n");
    RegistryStore& store = Registry();
    SettingsState& s = m_settings;

    OpenOrCreate(store, kBaseKey);
    ReadOrWriteDword(store, kAlarmToneFrequency, s.m_dwAlarmToneFrequency, kDefaultToneFrequency);
    ReadOrWriteDword(store, kAlarmAnnunciation, s.m_dwAlarmAnnunciation, 0);
    s.m_bAnnunciationOn = s.m_dwAlarmAnnunciation != 0 ? 1 : 0;
    ReadOrWriteDword(store, kBitSet1, s.m_dwDisplayBitSet, kDefaultDisplayBitSet);
    std::uint32_t reconnect = 0;
    if (store.ValueExists(kReconnectInterval) && store.GetDword(kReconnectInterval, reconnect)) {
        SetReconnectSeconds(static_cast<int>(std::min(reconnect, kMaxReconnectSeconds)));
    }
    std::uint32_t descriptorTimeout = 0;
    if (store.ValueExists(kDescriptorTimeout) &&
        store.GetDword(kDescriptorTimeout, descriptorTimeout)) {
        SetDescriptorTimeoutSeconds(
            static_cast<int>(std::min(descriptorTimeout, kMaxReconnectSeconds)));
    }
    store.Close();

    for (int farmNumber = 1; farmNumber <= kFarmCount; ++farmNumber) {
        FarmRecord& farm = m_farms[static_cast<std::size_t>(farmNumber - 1)];
        OpenOrCreate(store, FarmKey(farmNumber));

        // Cleared for every farm, so a value that cannot be read never hands the previous
        // farm's nodes to this one.
        s.m_byNodeIdTransfer.assign(kNodeBitmapBytes, 0);
        farm.m_bNodeConfigured.fill(0);
        if (store.ValueExists(kNodeIds)) {
            store.GetBinary(kNodeIds, s.m_byNodeIdTransfer);
            std::copy_n(s.m_byNodeIdTransfer.begin(), kNodeBitmapBytes,
                        farm.m_byNodeIdBitmap.begin());
            for (int index = 0; index < kNodeFlagCount; ++index) {
                const std::uint8_t byte =
                    farm.m_byNodeIdBitmap[static_cast<std::size_t>(index / 8)];
                farm.m_bNodeConfigured[static_cast<std::size_t>(index)] = (byte >> (index % 8)) & 1;
            }
        } else {
            farm.m_byNodeIdBitmap.fill(0);
            store.SetBinary(kNodeIds, s.m_byNodeIdTransfer);
        }

        std::string phone = farm.m_strPhoneNumber;
        if (store.ValueExists(kPhoneNumber)) {
            store.GetString(kPhoneNumber, phone);
        } else {
            phone = kDefaultPhoneNumber;
            store.SetString(kPhoneNumber, phone);
        }
        farm.m_strPhoneNumber = phone;

        if (store.ValueExists(kBitSet1)) {
            store.GetDword(kBitSet1, farm.m_dwBitSet);
            if ((farm.m_dwBitSet & kConnectOnStartupBit) != 0 && FarmToConnectOnStartup() == 0) {
                SetFarmToConnectOnStartup(static_cast<std::uint8_t>(farmNumber));
            }
            farm.m_byConnectionType = ConnectionTypeOf(farm.m_dwBitSet);
        } else {
            store.SetDword(kBitSet1, 0);
            farm.m_dwBitSet = 0;
            farm.m_byConnectionType = CT_LOCAL;
        }

        auto serialPort = static_cast<std::uint32_t>(farm.m_iSerialPort);
        ReadOrWriteDword(store, kSerialPort, serialPort, 1);
        farm.m_iSerialPort = static_cast<std::int32_t>(serialPort);
    }
    store.Close();
    s.m_bRegistryLoaded = true;
}

bool CTreeListDoc::PutFarmParameters(const FarmParameters& p) {
    KW_TRACE("CTreeListDoc::PutFarmParameters()..................S\n");
    if (!IsFarmIndex(p.m_iFarmIndex)) {
        return false;
    }
    RegistryStore& store = Registry();
    FarmRecord& farm = m_farms[static_cast<std::size_t>(p.m_iFarmIndex)];
    bool result = true;

    if (!store.Open(kHkeyLocalMachine, FarmKey(p.m_iFarmIndex + 1))) {
        return false;
    }
    if (store.ValueExists(kPhoneNumber)) {
        store.SetString(kPhoneNumber, p.m_strPhoneNumber);
        farm.m_strPhoneNumber = p.m_strPhoneNumber;
    } else {
        result = false;
    }

    int farmLosingStartup = -1;
    if (store.ValueExists(kBitSet1)) {
        store.SetDword(kBitSet1, p.m_dwBitSet);
        farm.m_dwBitSet = p.m_dwBitSet;
        farm.m_byConnectionType = ConnectionTypeOf(p.m_dwBitSet);
        if ((p.m_dwBitSet & kConnectOnStartupBit) != 0) {
            for (int other = 0; other < kFarmCount; ++other) {
                FarmRecord& otherFarm = m_farms[static_cast<std::size_t>(other)];
                if (other != p.m_iFarmIndex && (otherFarm.m_dwBitSet & kConnectOnStartupBit) != 0) {
                    otherFarm.m_dwBitSet &= ~kConnectOnStartupBit;
                    farmLosingStartup = other;
                    break;
                }
            }
        }
    } else {
        result = false;
    }

    if (store.ValueExists(kSerialPort)) {
        store.SetDword(kSerialPort, static_cast<std::uint32_t>(p.m_iSerialPort));
        farm.m_iSerialPort = p.m_iSerialPort;
    } else {
        result = false;
    }
    store.Close();

    if (farmLosingStartup >= 0) {
        if (store.Open(kHkeyLocalMachine, FarmKey(farmLosingStartup + 1)) &&
            store.ValueExists(kBitSet1)) {
            store.SetDword(kBitSet1,
                           m_farms[static_cast<std::size_t>(farmLosingStartup)].m_dwBitSet);
        } else {
            result = false;
        }
        store.Close();
    }
    return result;
}

void CTreeListDoc::SaveTheRegistry() {
    SettingsState& s = m_settings;
    if (!s.m_bRegistryLoaded || s.m_bRegistrySaved) {
        return;
    }
    s.m_bRegistrySaved = true;
    RegistryStore& store = Registry();

    // Annunciation is only ever on for the one start after it was set in the registry.
    s.m_dwAlarmAnnunciation = 0;
    s.m_bAnnunciationOn = 0;
    OpenOrCreate(store, kBaseKey);
    store.SetDword(kAlarmAnnunciation, 0);
    store.Close();

    if (s.m_bNodeListsChanged == 0) {
        return;
    }
    for (int farmNumber = 1; farmNumber <= kFarmCount; ++farmNumber) {
        OpenOrCreate(store, FarmKey(farmNumber));
        if (store.HeldKey() != kNoKey) {
            const FarmRecord& farm = m_farms[static_cast<std::size_t>(farmNumber - 1)];
            s.m_byNodeIdTransfer.assign(farm.m_byNodeIdBitmap.begin(), farm.m_byNodeIdBitmap.end());
            store.SetBinary(kNodeIds, s.m_byNodeIdTransfer);
        }
        store.Close();
    }
}

void CTreeListDoc::ProbeComPorts() {
    if (m_settings.m_pComPortProbe == nullptr) {
        m_settings.m_ownedComPortProbe = std::make_unique<DeviceComPortProbe>();
        m_settings.m_pComPortProbe = m_settings.m_ownedComPortProbe.get();
    }
    for (int port = 1; port <= 4; ++port) {
        m_settings.m_bComPortAvailable[static_cast<std::size_t>(port - 1)] =
            m_settings.m_pComPortProbe->IsPortAvailable(port) ? 1 : 0;
    }
}

void CTreeListDoc::GetComPortAvailable(std::span<std::int32_t, 4> flags) const {
    std::copy(m_settings.m_bComPortAvailable.begin(), m_settings.m_bComPortAvailable.end(),
              flags.begin());
}

CTreeListDoc::ApplicationSettings CTreeListDoc::GetApplicationSettings() const {
    return {m_settings.m_dwAlarmToneFrequency, m_settings.m_bAnnunciationOn != 0,
            m_settings.m_dwDisplayBitSet};
}

FarmParameters CTreeListDoc::GetFarmParameters(int farmIndex) const {
    FarmParameters p;
    p.m_iFarmIndex = farmIndex;
    if (!IsFarmIndex(farmIndex)) {
        return p;
    }
    const FarmRecord& farm = m_farms[static_cast<std::size_t>(farmIndex)];
    p.m_bFarmSelectable = farm.m_bFarmSelectable;
    p.m_bFarmIsConnected = farm.m_bFarmIsConnected;
    p.m_strPhoneNumber = farm.m_strPhoneNumber;
    p.m_dwBitSet = farm.m_dwBitSet;
    p.m_iSerialPort = farm.m_iSerialPort;
    return p;
}
