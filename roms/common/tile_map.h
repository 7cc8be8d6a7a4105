/* Tile numbers of the project's graphics, shared by the host program that
   draws the tile sheet and the 68000 programs that show the tiles. The sets
   are spread over the four graphics files (1024 tiles each). */
#ifndef TILE_MAP_H
#define TILE_MAP_H

#define FONT_FIRST_CHAR 32    /* ' ' */
#define FONT_LAST_CHAR  95    /* '_' */
#define FONT_CHARS      (FONT_LAST_CHAR - FONT_FIRST_CHAR + 1)

/* CH0 */
#define TILE_FONT       1     /* 8 x 8 characters in the top-left quarter */
#define TILE_BALL       80    /* shaded sphere, values 1-15 dark to bright */
#define TILE_STAR       81    /* three stars, small to large */
#define TILE_SHOT       84
#define TILE_LAMP_OFF   85    /* 8 x 8 lamp in the top-left quarter, values 1-7 */
#define TILE_LAMP_ON    86    /* the same lamp lit, values 8-14 */
#define TILE_SPARK      87    /* four frames of a spark, growing */
/* CH1 */
#define TILE_BIG_FONT   1024  /* 16 x 16 characters: gradient 1-14, shadow 15 */
/* CH2 */
#define TILE_PLANET     2048  /* 4 x 4 tiles, row after row */
/* CH3 */
#define TILE_SHIP       3072  /* 2 x 2 tiles: top-left, top-right, bottom-left, bottom-right */
#define TILE_DIAMOND    4095  /* the last tile of all */

#define SHEET_ROWS      256   /* 16 tiles a row: all 4096 tiles */

#endif
