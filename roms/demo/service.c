#include "service.h"

#include "board_io.h"
#include "palette.h"
#include "sprite_list.h"
#include "tile_map.h"

/* A byte as eight binary digits, bit 7 first. */
static void draw_bits(int x, int y, uint8_t value) {
    char text[9];
    for (int i = 0; i < 8; ++i) text[i] = (char)(value & (0x80 >> i) ? '1' : '0');
    text[8] = 0;
    sl_text(x, y, text, BANK_TEXT);
}

/* Labels with a lamp under each, lit while the input's bit reads 0. */
static void draw_lamps(int y, uint8_t value, const char* const* labels, const uint8_t* bits, int count, int spacing) {
    for (int i = 0; i < count; ++i) {
        const int x = 16 + i * spacing;
        sl_text(x, y, labels[i], BANK_GOLD);
        sl_absolute(x + 4, y + 10, value & bits[i] ? TILE_LAMP_OFF : TILE_LAMP_ON, BANK_LAMP, 0);
    }
}

void service_frame(const volatile struct demo_status* status) {
    static const char* const button_labels[7] = {"UP", "DN", "LT", "RT", "B1", "B2", "B3"};
    static const uint8_t button_bits[7] = {IN_UP, IN_DOWN, IN_LEFT, IN_RIGHT, IN_BUTTON1, IN_BUTTON2, IN_BUTTON3};
    static const char* const key_labels[5] = {"1", "2", "3", "4", "5"};
    static const uint8_t key_bits[5] = {IN_KEY1, IN_KEY2, IN_KEY3, IN_KEY4, IN_KEY5};
    static const char title[] = "INPUT TEST";

    const uint8_t buttons = INPUT_BYTE(0);
    const uint16_t first_word = INPUT_WORD(0);
    const uint8_t keys = INPUT_BYTE(4);
    const uint16_t sound_word = SOUND_WORD;
    const uint8_t sound_even = *(volatile uint8_t*)0x300000;
    const uint8_t sound_odd = SOUND_BYTE;

    sl_begin();
    for (int i = 0; title[i]; ++i)
        if (title[i] != ' ')
            sl_absolute(48 + i * 16, 6, TILE_BIG_FONT + (unsigned)(title[i] - FONT_FIRST_CHAR), BANK_TITLE, 0);

    sl_text(8, 30, "500000", BANK_GOLD);
    sl_hex(64, 30, buttons, 2, BANK_TEXT);
    draw_bits(96, 30, buttons);
    sl_text(176, 30, "WORD", BANK_GOLD);
    sl_hex(216, 30, first_word, 4, BANK_TEXT);
    draw_lamps(44, buttons, button_labels, button_bits, 7, 32);

    sl_text(8, 74, "500004", BANK_GOLD);
    sl_hex(64, 74, keys, 2, BANK_TEXT);
    draw_bits(96, 74, keys);
    draw_lamps(88, keys, key_labels, key_bits, 5, 32);

    sl_text(8, 118, "500001", BANK_GOLD);
    sl_hex(64, 118, INPUT_BYTE(1), 2, BANK_TEXT);
    sl_text(96, 118, INPUT_BYTE(1) == 0 ? "SERVICE MODE" : "GAME MODE", BANK_TEXT);

    sl_text(8, 136, "300000", BANK_GOLD);
    sl_text(64, 136, "WORD", BANK_GOLD);
    sl_hex(104, 136, sound_word, 4, BANK_TEXT);
    sl_text(144, 136, "BYTES", BANK_GOLD);
    sl_hex(192, 136, sound_even, 2, BANK_TEXT);
    sl_hex(216, 136, sound_odd, 2, BANK_TEXT);

    sl_text(8, 154, "VECTOR 28", BANK_GOLD);
    sl_number(88, 154, status->level4, 6, BANK_TEXT);
    sl_text(8, 164, "VECTOR 27", BANK_GOLD);
    sl_number(88, 164, status->level3, 6, BANK_TEXT);
    sl_text(8, 174, "VECTOR 26", BANK_GOLD);
    sl_number(88, 174, status->level2, 6, BANK_TEXT);

    sl_text(8, 194, "FRAME", BANK_GOLD);
    sl_number(56, 194, status->frame, 6, BANK_TEXT);
    sl_text(8, 210, "LEAVE SERVICE MODE TO PLAY", BANK_TEXT);
    sl_end();
}
