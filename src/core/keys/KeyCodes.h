#pragma once
// Key values as the layout file stores them: a virtual-key code in the low byte plus 0x2000 for
// Shift, 0x4000 for Ctrl and 0x8000 for Alt; 0 is no key. One table translates between these
// codes and Qt's keys, and one gives each code its name for menus and the layout dialog.
#include <QString>
#include <Qt>

using TShortCut = quint16;

inline constexpr TShortCut scShift = 0x2000, scCtrl = 0x4000, scAlt = 0x8000;
inline constexpr TShortCut scModifiers = scShift | scCtrl | scAlt;

// The virtual-key codes the program names.
enum : quint16 {
  vkBack = 0x08,
  vkTab = 0x09,
  vkClear = 0x0C,
  vkReturn = 0x0D,
  vkPause = 0x13,
  vkEscape = 0x1B,
  vkSpace = 0x20,
  vkPrior = 0x21,
  vkNext = 0x22,
  vkEnd = 0x23,
  vkHome = 0x24,
  vkLeft = 0x25,
  vkUp = 0x26,
  vkRight = 0x27,
  vkDown = 0x28,
  vkPrint = 0x2C,
  vkInsert = 0x2D,
  vkDelete = 0x2E,
  vkApps = 0x5D,
  vkNumpad0 = 0x60,
  vkMultiply = 0x6A,
  vkAdd = 0x6B,
  vkSubtract = 0x6D,
  vkDecimal = 0x6E,
  vkDivide = 0x6F,
  vkF1 = 0x70,
  vkF24 = 0x87,
  vkOem1 = 0xBA,
  vkOemPlus = 0xBB,
  vkOemComma = 0xBC,
  vkOemMinus = 0xBD,
  vkOemPeriod = 0xBE,
  vkOem2 = 0xBF,
  vkOem3 = 0xC0,
  vkOem4 = 0xDB,
  vkOem5 = 0xDC,
  vkOem6 = 0xDD,
  vkOem7 = 0xDE,
  vkOem102 = 0xE2,
};

inline constexpr TShortCut ShortCut(quint16 vk, TShortCut mods = 0) {
  return TShortCut((vk & 0xFF) | mods);
}

// The modifiers of the layout file (bit 0 Shift, bit 1 Alt, bit 2 Ctrl) <-> our modifier bits.
TShortCut ModifiersFromFile(quint16 fileShift);
quint16 ModifiersToFile(TShortCut mods);

// A pressed key as the platform reports it. nativeScanCode is the X11/evdev key code (0 when the
// platform gives none, e.g. in tests).
struct TKeyPress {
  int Key = 0;
  Qt::KeyboardModifiers Modifiers;
  quint32 NativeScanCode = 0;
};

// The key value of a key press; 0 when the key has no virtual-key code (a bare modifier, an
// unknown symbol). Keys of the top digit row count as their digit whatever symbol the keyboard
// layout gives them with Shift (German "Shift+7" is "/", US "&"): the native key code decides
// where there is one, otherwise the symbols of the US layout are taken back to their digits.
TShortCut ShortCutOfKeyPress(const TKeyPress &k);

// The Qt key combination of a key value (for menus and QAction); Qt::Key_unknown when there is none.
QKeyCombination QtKeyOfShortCut(TShortCut sc);

// "Shift+Ctrl+L", "F1", "PgUp"; empty for 0.
QString ShortCutToText(TShortCut sc);
// The name of a virtual-key code alone ("L", "Backspace", "Num 5"); empty when unnamed.
QString KeyName(quint16 vk);
