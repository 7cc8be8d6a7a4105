#include "scene.h"

#include "board_io.h"
#include "maths.h"
#include "palette.h"
#include "sprite_list.h"
#include "tile_map.h"

#define STARS 32
#define BALLS 6
#define SHOTS 8
#define SPARKS 6
#define SUB 16 /* positions of stars and balls are kept in 1/16 pixel */
#define PIXELS(v) ((v) >> 4)

static struct { int16_t x, y, speed; uint8_t tile; } stars[STARS];
static struct { int16_t x, y, vx, vy; } balls[BALLS];
static struct { int16_t x, y, vx; uint8_t live; } shots[SHOTS];
static struct { int16_t x, y; uint8_t age, flips; } sparks[SPARKS];
static struct { int16_t x, y; uint8_t facing_left, paint, cooldown, boost; } ship;
static uint8_t previous_pressed, previous_keys;
static unsigned theme;
static char frame_digits[] = "000000";
static char theme_digit[] = "1";

/* The text that never changes, recorded once as sprite entries. */
#define FIXED_TEXT_ENTRIES 96
static uint16_t fixed_text[8 * FIXED_TEXT_ENTRIES];
static int fixed_text_count;

static void record_fixed_text(void) {
    sl_record(fixed_text, FIXED_TEXT_ENTRIES);
    sl_text(8, 4, "FRAME", BANK_GOLD);
    sl_text(184, 4, "THEME", BANK_GOLD);
    sl_text(40, 76, "A HOMEBREW SPRITE DEMO", BANK_TEXT);
    sl_text(8, 188, "ARROWS MOVE   ALT FIRE", BANK_GOLD);
    sl_text(8, 198, "SPACE PAINT   SHIFT BOOST", BANK_GOLD);
    sl_text(8, 208, "KEYS 1-5 CHANGE THE THEME", BANK_GOLD);
    fixed_text_count = sl_record_end();
}

static int16_t random_range(int16_t low, int16_t high) {
    return (int16_t)(low + random16() % (uint16_t)(high - low + 1));
}

void scene_init(void) {
    for (int i = 0; i < STARS; ++i) {
        const int layer = i % 3;
        stars[i].x = (int16_t)(random_range(-15, 255) * SUB);
        stars[i].y = random_range(-8, 216);
        stars[i].speed = (int16_t)(3 + layer * layer * 9);
        stars[i].tile = (uint8_t)layer;
    }
    for (int i = 0; i < BALLS; ++i) {
        balls[i].x = (int16_t)((20 + i * 36) * SUB);
        balls[i].y = (int16_t)((40 + (i % 3) * 40) * SUB);
        balls[i].vx = (int16_t)((i & 1 ? 1 : -1) * (14 + 5 * i));
        balls[i].vy = 0;
    }
    ship.x = 40;
    ship.y = 120;
    palette_set_theme(0);
    record_fixed_text();
}

int scene_boost(void) { return ship.boost; }

static void move_stars(void) {
    for (int i = 0; i < STARS; ++i) {
        stars[i].x = (int16_t)(stars[i].x - stars[i].speed);
        if (stars[i].x < -15 * SUB) {
            stars[i].x = (int16_t)(stars[i].x + 271 * SUB);
            stars[i].y = random_range(-8, 216);
        }
    }
}

/* Balls fall, bounce off the floor and the walls a little beyond the screen's
   edges, so each edge cuts through them. */
static void move_balls(void) {
    for (int i = 0; i < BALLS; ++i) {
        balls[i].vy = (int16_t)(balls[i].vy + 3);
        balls[i].x = (int16_t)(balls[i].x + balls[i].vx);
        balls[i].y = (int16_t)(balls[i].y + balls[i].vy);
        if (balls[i].x < -8 * SUB || balls[i].x > 248 * SUB) {
            balls[i].vx = (int16_t)-balls[i].vx;
            balls[i].x = (int16_t)(balls[i].x < 0 ? -8 * SUB : 248 * SUB);
        }
        if (balls[i].y > 216 * SUB) {
            balls[i].y = 216 * SUB;
            balls[i].vy = (int16_t)(-balls[i].vy + balls[i].vy / 16);
            if (balls[i].vy > -70) balls[i].vy = -110;
        }
        if (balls[i].y < -8 * SUB) {
            balls[i].y = -8 * SUB;
            balls[i].vy = (int16_t)-balls[i].vy;
        }
    }
}

static void spark_at(int16_t x, int16_t y) {
    for (int i = 0; i < SPARKS; ++i)
        if (sparks[i].age == 0) {
            sparks[i].x = x;
            sparks[i].y = y;
            sparks[i].age = 12;
            sparks[i].flips = (uint8_t)(random16() & (FLIP_X | FLIP_Y));
            return;
        }
}

static void move_ship(uint8_t pressed, uint8_t edges) {
    const int16_t step = ship.boost ? 4 : 2;
    ship.boost = (pressed & IN_BUTTON3) != 0;
    if (pressed & IN_UP) ship.y = (int16_t)(ship.y - step);
    if (pressed & IN_DOWN) ship.y = (int16_t)(ship.y + step);
    if (pressed & IN_LEFT) ship.x = (int16_t)(ship.x - step), ship.facing_left = 1;
    if (pressed & IN_RIGHT) ship.x = (int16_t)(ship.x + step), ship.facing_left = 0;
    if (ship.x < -8) ship.x = -8;
    if (ship.x > 232) ship.x = 232;
    if (ship.y < -8) ship.y = -8;
    if (ship.y > 200) ship.y = 200;
    if (edges & IN_BUTTON2) ship.paint = (uint8_t)((ship.paint + 1) % SHIP_PAINTS);

    if (ship.cooldown) --ship.cooldown;
    if ((pressed & IN_BUTTON1) && !ship.cooldown)
        for (int i = 0; i < SHOTS; ++i)
            if (!shots[i].live) {
                shots[i].live = 1;
                shots[i].vx = ship.facing_left ? -6 : 6;
                shots[i].x = (int16_t)(ship.x + (ship.facing_left ? -6 : 22));
                shots[i].y = (int16_t)(ship.y + 8);
                ship.cooldown = 6;
                break;
            }
}

static void move_shots(void) {
    for (int i = 0; i < SHOTS; ++i) {
        if (!shots[i].live) continue;
        shots[i].x = (int16_t)(shots[i].x + shots[i].vx);
        if (shots[i].x < -16 || shots[i].x > 256) {
            shots[i].live = 0;
            continue;
        }
        for (int b = 0; b < BALLS; ++b) {
            const int16_t dx = (int16_t)(shots[i].x - PIXELS(balls[b].x));
            const int16_t dy = (int16_t)(shots[i].y - PIXELS(balls[b].y));
            if (dx > -12 && dx < 12 && dy > -12 && dy < 12) {
                balls[b].vy = -90;
                balls[b].vx = (int16_t)(balls[b].vx + shots[i].vx * 4);
                if (balls[b].vx > 60) balls[b].vx = 60;
                if (balls[b].vx < -60) balls[b].vx = -60;
                spark_at(shots[i].x, shots[i].y);
                shots[i].live = 0;
                break;
            }
        }
    }
    for (int i = 0; i < SPARKS; ++i)
        if (sparks[i].age) --sparks[i].age;
}

/* ---- Drawing: back to front, since later entries cover earlier ones ---- */

static void draw_stars(void) {
    for (int i = 0; i < STARS; ++i)
        sl_absolute(PIXELS(stars[i].x), stars[i].y, TILE_STAR + stars[i].tile, BANK_STARS, 0);
}

/* The planet: one absolute entry and fifteen relative ones, 4 x 4 tiles. */
static void draw_planet(uint32_t frame) {
    const int16_t x = (int16_t)(96 + scale(cosine(frame >> 1), 168));
    const int16_t y = (int16_t)(80 + scale(sine((frame * 3) >> 2), 120));
    if (x > 255) return; /* wholly off the right edge */
    for (int row = 0; row < 4; ++row)
        for (int column = 0; column < 4; ++column) {
            const unsigned tile = TILE_PLANET + row * 4 + column;
            if (row == 0 && column == 0)
                sl_absolute(x, y, tile, BANK_PLANET, 0);
            else if (column == 0)
                sl_relative(-48, 16, tile, BANK_PLANET, 0);
            else
                sl_relative(16, 0, tile, BANK_PLANET, 0);
        }
}

static void draw_balls(void) {
    for (int i = 0; i < BALLS; ++i)
        sl_absolute(PIXELS(balls[i].x), PIXELS(balls[i].y), TILE_BALL, BANK_BALL + i % BALL_COLOURS, 0);
}

static void draw_shots_and_sparks(void) {
    for (int i = 0; i < SHOTS; ++i)
        if (shots[i].live) sl_absolute(shots[i].x, shots[i].y, TILE_SHOT, BANK_SHOT, shots[i].vx < 0 ? FLIP_X : 0);
    for (int i = 0; i < SPARKS; ++i)
        if (sparks[i].age)
            sl_absolute(sparks[i].x, sparks[i].y, TILE_SPARK + (11 - sparks[i].age) / 3, BANK_SHOT, sparks[i].flips);
}

/* The ship: 2 x 2 tiles chained; facing left mirrors each tile and swaps
   the columns. */
static void draw_ship(void) {
    const unsigned flips = ship.facing_left ? FLIP_X : 0;
    const unsigned swap = ship.facing_left ? 1 : 0;
    const unsigned bank = BANK_SHIP + ship.paint;
    sl_absolute(ship.x, ship.y, TILE_SHIP + (0 ^ swap), bank, flips);
    sl_relative(16, 0, TILE_SHIP + (1 ^ swap), bank, flips);
    sl_relative(-16, 16, TILE_SHIP + (2 ^ swap), bank, flips);
    sl_relative(16, 0, TILE_SHIP + (3 ^ swap), bank, flips);
}

/* The title on a wave, then its reflection upside down and dimmed. */
static void draw_title(uint32_t frame) {
    static const char title[] = "BEVOREL";
    const int count = sizeof title - 1;
    int16_t heights[sizeof title - 1];
    for (int i = 0; i < count; ++i) heights[i] = (int16_t)(26 + scale(sine(frame * 3 + i * 22), 7));
    for (int pass = 0; pass < 2; ++pass) {
        int16_t previous = 0;
        for (int i = 0; i < count; ++i) {
            const int16_t y = pass ? (int16_t)(86 - heights[i]) : heights[i];
            const unsigned tile = TILE_BIG_FONT + (unsigned)(title[i] - FONT_FIRST_CHAR);
            const unsigned bank = pass ? BANK_MIRROR : BANK_TITLE;
            const unsigned flips = pass ? FLIP_Y : 0;
            if (i == 0)
                sl_absolute(58, y, tile, bank, flips);
            else
                sl_relative(20, y - previous, tile, bank, flips);
            previous = y;
        }
    }
}

static void draw_text(void) {
    sl_copy(fixed_text, fixed_text_count);
    sl_text(56, 4, frame_digits, BANK_TEXT);
    sl_text(232, 4, theme_digit, BANK_TEXT);
}

void scene_frame(uint8_t buttons, uint8_t keys, uint32_t frame) {
    const uint8_t pressed = (uint8_t)~buttons & 0x7F;
    const uint8_t edges = pressed & (uint8_t)~previous_pressed;
    const uint8_t keys_down = (uint8_t)~keys & (IN_KEY1 | IN_KEY2 | IN_KEY3 | IN_KEY4 | IN_KEY5);
    const uint8_t key_edges = keys_down & (uint8_t)~previous_keys;
    previous_pressed = pressed;
    previous_keys = keys_down;

    static const uint8_t key_bits[THEMES] = {IN_KEY1, IN_KEY2, IN_KEY3, IN_KEY4, IN_KEY5};
    for (unsigned k = 0; k < THEMES; ++k)
        if (key_edges & key_bits[k]) {
            theme = k;
            theme_digit[0] = (char)('1' + k);
            palette_set_theme(k);
        }

    decimal_increment(frame_digits, 6);
    move_stars();
    move_balls();
    move_ship(pressed, edges);
    move_shots();

    sl_begin();
    draw_stars();
    draw_planet(frame);
    draw_balls();
    draw_shots_and_sparks();
    draw_ship();
    draw_title(frame);
    draw_text();
    sl_end();
}
