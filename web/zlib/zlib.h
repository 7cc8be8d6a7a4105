// The one function of zlib that the board's files use, for the browser build
// (emscripten's zlib is downloaded at build time, which this build never
// does): the CRC-32 of states and of the ROM set's identity, with zlib's
// name and signature so that those files compile unchanged.
#pragma once

typedef unsigned long uLong;
typedef unsigned int uInt;
typedef unsigned char Bytef;

#ifdef __cplusplus
extern "C" {
#endif
// The CRC-32 (ISO-HDLC, as zlib's) of `len` bytes at `buf` continued from
// `crc`; `crc32(0, nullptr, 0)` is the starting value, 0.
uLong crc32(uLong crc, const Bytef* buf, uInt len);
#ifdef __cplusplus
}
#endif
