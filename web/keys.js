// The board's key codes (keys/key_positions.h) by KeyboardEvent.code: a key's
// position, as the desktop program maps the host's keys.
"use strict";
const boardKeyCodes = (() => {
  const map = {
    Escape: 0x01, Backquote: 0x11, Minus: 0x1c, Equal: 0x1d, Backspace: 0x1e,
    BracketLeft: 0x31, BracketRight: 0x32, Backslash: 0x33, CapsLock: 0x3b,
    Semicolon: 0x45, Quote: 0x46, Enter: 0x47, ShiftLeft: 0x4b, Comma: 0x53, Period: 0x54, Slash: 0x55,
    ShiftRight: 0x56, ArrowUp: 0x57, ControlLeft: 0x5c, AltLeft: 0x5d, Space: 0x5e, AltRight: 0x5f,
    ControlRight: 0x60, ArrowLeft: 0x61, ArrowDown: 0x62, ArrowRight: 0x63,
  };
  "1234567890".split("").forEach((d, i) => { map["Digit" + d] = 0x12 + i; });
  const rows = [["QWERTYUIOP", 0x27], ["ASDFGHJKL", 0x3c], ["ZXCVBNM", 0x4c]];
  for (const [letters, first] of rows) letters.split("").forEach((l, i) => { map["Key" + l] = first + i; });
  return map;
})();

// The controller's controls, as the desktop binds them: the stick or pad and
// the three buttons (standard mapping: A, B, X).
const gamepadKeys = { up: 0x57, down: 0x62, left: 0x61, right: 0x63, buttons: [[0, 0x5d], [1, 0x5e], [2, 0x4b]] };
