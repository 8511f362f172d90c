#include "settings.h"
#include "windowTesting.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

std::vector<uint8_t> rawValue(const std::string& path, const char* name, DWORD* type) {
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return {};
    BYTE buffer[256];
    DWORD size = sizeof buffer;
    const LONG r = RegQueryValueExA(key, name, nullptr, type, buffer, &size);
    RegCloseKey(key);
    if (r != ERROR_SUCCESS) return {};
    return std::vector<uint8_t>(buffer, buffer + size);
}

void writeRaw(const std::string& path, const char* name, DWORD type, const void* data, DWORD size) {
    HKEY key;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0,
                                             KEY_ALL_ACCESS, nullptr, &key, nullptr));
    RegSetValueExA(key, name, 0, type, static_cast<const BYTE*>(data), size);
    RegCloseKey(key);
}

struct SettingsStore : ::testing::Test {
    std::string key;
    void SetUp() override {
        key = scratchKeyPath(::testing::UnitTest::GetInstance()->current_test_info()->name());
        deleteKeyTree(key);
        setDefaultSettings();
        setDefaultColors();
    }
    void TearDown() override { deleteKeyTree(key); }
};

const std::vector<uint8_t> ExampleSettings = {0x6C, 0x03, 0, 0, 4, 0, 0, 0, 0x20, 0, 0, 0, 0};
const std::vector<uint8_t> DefaultColorBytes = {
    0x00, 0xF0, 0x00, 0x00, 0xF0, 0x00, 0x00, 0x00, 0x00, 0xF0, 0xF0, 0x00, 0x20, 0x20,
    0xFF, 0x00, 0xFF, 0xFF, 0xFF, 0x00, 0xF0, 0xF0, 0x00, 0x00, 0xC0, 0xC0, 0xC0, 0x00};

} // namespace

TEST_F(SettingsStore, FirstStartWithoutKeyKeepsTheDefaults) {
    EXPECT_FALSE(loadSettings(key.c_str()));
    EXPECT_EQ(876u, Settings.maxMoves);
    EXPECT_EQ(4u, Settings.priorityIndex);
    EXPECT_EQ(0u, Settings.updateInterval);
    EXPECT_EQ(0, Settings.flags);
    EXPECT_EQ(0x00FF2020u, SideColors.colors[3]);
    EXPECT_EQ(0x00C0C0C0u, SideColors.colors[6]);
}

TEST_F(SettingsStore, SavesTheExactBytes) {
    Settings.updateInterval = 32;
    ASSERT_TRUE(saveSettings(key.c_str()));
    DWORD type = 0;
    EXPECT_EQ(ExampleSettings, rawValue(key, "Settings", &type));
    EXPECT_EQ(DWORD(REG_BINARY), type);
    EXPECT_TRUE(rawValue(key, "Colors", &type).empty()) << "colours kept only when asked";

    Settings.flags = PreserveColors;
    ASSERT_TRUE(saveSettings(key.c_str()));
    EXPECT_EQ(DefaultColorBytes, rawValue(key, "Colors", &type));
    EXPECT_EQ(DWORD(REG_BINARY), type);
}

TEST_F(SettingsStore, RoundTripRestoresSettingsAndPreservedColours) {
    Settings = {123, 2, 512, uint8_t(ShowLabels | PreserveColors | 0x80)};
    SideColors.colors[0] = 0x00123456;
    SideColors.colors[6] = 0x00ABCDEF;
    ASSERT_TRUE(saveSettings(key.c_str()));

    setDefaultSettings();
    setDefaultColors();
    EXPECT_TRUE(loadSettings(key.c_str()));
    EXPECT_EQ(123u, Settings.maxMoves);
    EXPECT_EQ(2u, Settings.priorityIndex);
    EXPECT_EQ(512u, Settings.updateInterval);
    EXPECT_EQ(ShowLabels | PreserveColors | 0x80, Settings.flags);
    EXPECT_EQ(0x00123456u, SideColors.colors[0]);
    EXPECT_EQ(0x00ABCDEFu, SideColors.colors[6]);
}

TEST_F(SettingsStore, OldColoursAreIgnoredWhenNotPreserved) {
    Settings.flags = PreserveColors;
    SideColors.colors[1] = 0x00010203;
    ASSERT_TRUE(saveSettings(key.c_str()));
    Settings.flags = 0;
    ASSERT_TRUE(saveSettings(key.c_str()));

    setDefaultSettings();
    setDefaultColors();
    EXPECT_TRUE(loadSettings(key.c_str()));
    EXPECT_EQ(0x000000F0u, SideColors.colors[1]);
    DWORD type;
    EXPECT_EQ(28u, rawValue(key, "Colors", &type).size()) << "the old value stays in place";
}

TEST_F(SettingsStore, ValuesOfTheWrongFormChangeNothing) {
    const uint8_t twelve[12] = {1, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0};
    writeRaw(key, "Settings", REG_BINARY, twelve, sizeof twelve);
    EXPECT_FALSE(loadSettings(key.c_str()));
    EXPECT_EQ(876u, Settings.maxMoves);

    const uint8_t fourteen[14] = {1};
    writeRaw(key, "Settings", REG_BINARY, fourteen, sizeof fourteen);
    EXPECT_FALSE(loadSettings(key.c_str()));
    EXPECT_EQ(876u, Settings.maxMoves);

    writeRaw(key, "Settings", REG_SZ, ExampleSettings.data(), 13);
    EXPECT_FALSE(loadSettings(key.c_str()));
    EXPECT_EQ(0u, Settings.updateInterval);

    // Right settings, colours of the wrong size: the colours stay.
    uint8_t preserving[13];
    std::memcpy(preserving, ExampleSettings.data(), 13);
    preserving[12] = PreserveColors;
    writeRaw(key, "Settings", REG_BINARY, preserving, 13);
    writeRaw(key, "Colors", REG_BINARY, DefaultColorBytes.data(), 24);
    SideColors.colors[2] = 0x00777777;
    EXPECT_TRUE(loadSettings(key.c_str()));
    EXPECT_EQ(0x00777777u, SideColors.colors[2]);
}

TEST_F(SettingsStore, OutOfRangeValuesAreBroughtIntoRange) {
    const uint8_t wild[13] = {0x88, 0x13, 0, 0, 9, 0, 0, 0, 0x20, 0, 0, 0, 0};
    writeRaw(key, "Settings", REG_BINARY, wild, sizeof wild);
    EXPECT_TRUE(loadSettings(key.c_str()));
    EXPECT_EQ(876u, Settings.maxMoves);
    EXPECT_EQ(4u, Settings.priorityIndex);
    EXPECT_EQ(32u, Settings.updateInterval);
}
