// Key positions: SDL scancodes are USB HID keyboard usage ids (an outside
// numbering), mapped to the BeOS key codes that the board and menus use.
#include <gtest/gtest.h>

#include "scancode_map.h"

namespace {
struct Key {
    int hidUsage;
    int beosCode;
    const char* name;
};

// HID usage ids from the USB HID usage tables, keyboard page.
constexpr Key kKeys[] = {
    {82, 0x57, "Up"},          {81, 0x62, "Down"},       {80, 0x61, "Left"},
    {79, 0x63, "Right"},       {226, 0x5D, "Left Alt"},  {44, 0x5E, "Space"},
    {225, 0x4B, "Left Shift"}, {30, 0x12, "1"},          {31, 0x13, "2"},
    {32, 0x14, "3"},           {33, 0x15, "4"},          {34, 0x16, "5"},
    {20, 0x27, "Q"},           {26, 0x28, "W"},          {4, 0x3C, "A"},
    {29, 0x4C, "Z"},           {51, 0x45, "Semicolon"},  {22, 0x3D, "S"},
    {7, 0x3E, "D"},            {5, 0x50, "B"},           {6, 0x4E, "C"},
    {8, 0x29, "E"},            {9, 0x3F, "F"},           {10, 0x40, "G"},
    {11, 0x41, "H"},           {12, 0x2E, "I"},          {13, 0x42, "J"},
    {14, 0x43, "K"},           {15, 0x44, "L"},          {17, 0x51, "N"},
    {18, 0x2F, "O"},           {19, 0x30, "P"},          {21, 0x2A, "R"},
    {23, 0x2B, "T"},           {24, 0x2D, "U"},          {25, 0x4F, "V"},
    {27, 0x4D, "X"},           {28, 0x2C, "Y"},          {224, 0x5C, "Left Ctrl"},
    {230, 0x5F, "Right Alt"},  {228, 0x60, "Right Ctrl"}, {229, 0x56, "Right Shift"},
    {40, 0x47, "Enter"},       {41, 0x01, "Escape"},
};
}  // namespace

TEST(Scancodes, KeysOfTheBoardAndTheMenusMapToTheirCodes) {
    for (const Key& key : kKeys) EXPECT_EQ(beos_key_for_scancode(key.hidUsage), key.beosCode) << key.name;
}

TEST(Scancodes, EveryCodeBelongsToOneKeyAndUnknownKeysHaveNone) {
    int owner[128];
    for (int& o : owner) o = -1;
    for (int scancode = 0; scancode < 512; ++scancode) {
        const int code = beos_key_for_scancode(scancode);
        if (code < 0) continue;
        ASSERT_GT(code, 0);
        ASSERT_LT(code, 128);
        EXPECT_EQ(owner[code], -1) << "code " << code << " for scancodes " << owner[code] << " and " << scancode;
        owner[code] = scancode;
    }
    EXPECT_EQ(beos_key_for_scancode(0), -1);
    EXPECT_EQ(beos_key_for_scancode(-3), -1);
    EXPECT_EQ(beos_key_for_scancode(100000), -1);
}
