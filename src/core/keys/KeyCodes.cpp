#include "core/keys/KeyCodes.h"

#include <QHash>
#include <array>

namespace {
// Virtual-key code <-> Qt key, for keys whose code is not simply their character (letters and
// digits are). Several Qt keys can give one code (the shifted symbol of a key); the first row of a
// code is the one used the other way round.
struct TKeyRow {
  quint16 Vk;
  Qt::Key Key;
  const char *Name;
};
const TKeyRow KeyRows[] = {
    {vkBack, Qt::Key_Backspace, "Backspace"},
    {vkTab, Qt::Key_Tab, "Tab"},
    {vkTab, Qt::Key_Backtab, nullptr},
    {vkClear, Qt::Key_Clear, "Clear"},
    {vkReturn, Qt::Key_Return, "Enter"},
    {vkReturn, Qt::Key_Enter, nullptr},
    {vkPause, Qt::Key_Pause, "Pause"},
    {vkEscape, Qt::Key_Escape, "Esc"},
    {vkSpace, Qt::Key_Space, "Space"},
    {vkPrior, Qt::Key_PageUp, "PgUp"},
    {vkNext, Qt::Key_PageDown, "PgDn"},
    {vkEnd, Qt::Key_End, "End"},
    {vkHome, Qt::Key_Home, "Home"},
    {vkLeft, Qt::Key_Left, "Left"},
    {vkUp, Qt::Key_Up, "Up"},
    {vkRight, Qt::Key_Right, "Right"},
    {vkDown, Qt::Key_Down, "Down"},
    {vkPrint, Qt::Key_Print, "Print"},
    {vkInsert, Qt::Key_Insert, "Ins"},
    {vkDelete, Qt::Key_Delete, "Del"},
    {vkApps, Qt::Key_Menu, "Menu"},
    {vkOem1, Qt::Key_Semicolon, ";"},
    {vkOem1, Qt::Key_Colon, nullptr},
    {vkOemPlus, Qt::Key_Equal, "="},
    {vkOemPlus, Qt::Key_Plus, nullptr},
    {vkOemComma, Qt::Key_Comma, ","},
    {vkOemComma, Qt::Key_Less, nullptr},
    {vkOemMinus, Qt::Key_Minus, "-"},
    {vkOemMinus, Qt::Key_Underscore, nullptr},
    {vkOemPeriod, Qt::Key_Period, "."},
    {vkOemPeriod, Qt::Key_Greater, nullptr},
    {vkOem2, Qt::Key_Slash, "/"},
    {vkOem2, Qt::Key_Question, nullptr},
    {vkOem3, Qt::Key_QuoteLeft, "`"},
    {vkOem3, Qt::Key_AsciiTilde, nullptr},
    {vkOem4, Qt::Key_BracketLeft, "["},
    {vkOem4, Qt::Key_BraceLeft, nullptr},
    {vkOem5, Qt::Key_Backslash, "\\"},
    {vkOem5, Qt::Key_Bar, nullptr},
    {vkOem6, Qt::Key_BracketRight, "]"},
    {vkOem6, Qt::Key_BraceRight, nullptr},
    {vkOem7, Qt::Key_Apostrophe, "'"},
    {vkOem7, Qt::Key_QuoteDbl, nullptr},
    // The symbols of the US layout's digit row with Shift, for platforms without key codes.
    {'1', Qt::Key_Exclam, nullptr},
    {'2', Qt::Key_At, nullptr},
    {'3', Qt::Key_NumberSign, nullptr},
    {'4', Qt::Key_Dollar, nullptr},
    {'5', Qt::Key_Percent, nullptr},
    {'6', Qt::Key_AsciiCircum, nullptr},
    {'7', Qt::Key_Ampersand, nullptr},
    {'8', Qt::Key_Asterisk, nullptr},
    {'9', Qt::Key_ParenLeft, nullptr},
    {'0', Qt::Key_ParenRight, nullptr},
};

// The keypad with Num Lock on.
const TKeyRow KeypadRows[] = {
    {vkMultiply, Qt::Key_Asterisk, "Num *"}, {vkAdd, Qt::Key_Plus, "Num +"},
    {vkSubtract, Qt::Key_Minus, "Num -"},    {vkDecimal, Qt::Key_Period, "Num ."},
    {vkDecimal, Qt::Key_Comma, nullptr},     {vkDivide, Qt::Key_Slash, "Num /"},
    {vkReturn, Qt::Key_Enter, nullptr},
};

const QHash<int, quint16> &QtToVk() {
  static const QHash<int, quint16> map = [] {
    QHash<int, quint16> m;
    for (const TKeyRow &r : KeyRows)
      m.insert(r.Key, r.Vk);
    return m;
  }();
  return map;
}

// X11 / evdev key codes of the top digit row: 10 is "1" ... 18 is "9", 19 is "0".
quint16 DigitOfNativeCode(quint32 code) {
  if (code >= 10 && code <= 18)
    return quint16('1' + (code - 10));
  if (code == 19)
    return '0';
  return 0;
}
} // namespace

TShortCut ModifiersFromFile(quint16 fileShift) {
  return TShortCut((fileShift & 1 ? scShift : 0) | (fileShift & 2 ? scAlt : 0) |
                   (fileShift & 4 ? scCtrl : 0));
}

quint16 ModifiersToFile(TShortCut mods) {
  return quint16((mods & scShift ? 1 : 0) | (mods & scAlt ? 2 : 0) | (mods & scCtrl ? 4 : 0));
}

TShortCut ShortCutOfKeyPress(const TKeyPress &k) {
  const Qt::KeyboardModifiers m = k.Modifiers;
  const TShortCut mods =
      TShortCut((m & Qt::ShiftModifier ? scShift : 0) | (m & Qt::ControlModifier ? scCtrl : 0) |
                (m & Qt::AltModifier ? scAlt : 0));
  const int key = k.Key;
  quint16 vk = 0;
  if (const quint16 digit = DigitOfNativeCode(k.NativeScanCode); digit && !(m & Qt::KeypadModifier)) {
    vk = digit;
  } else if (m & Qt::KeypadModifier) {
    if (key >= Qt::Key_0 && key <= Qt::Key_9)
      vk = quint16(vkNumpad0 + (key - Qt::Key_0));
    else
      for (const TKeyRow &r : KeypadRows)
        if (r.Key == key) {
          vk = r.Vk;
          break;
        }
    if (!vk) // the keypad's arrows and Home/End without Num Lock
      vk = QtToVk().value(key, 0);
  } else if ((key >= Qt::Key_A && key <= Qt::Key_Z) || (key >= Qt::Key_0 && key <= Qt::Key_9)) {
    vk = quint16(key);
  } else if (key >= Qt::Key_F1 && key <= Qt::Key_F24) {
    vk = quint16(vkF1 + (key - Qt::Key_F1));
  } else {
    vk = QtToVk().value(key, 0);
  }
  return vk ? ShortCut(vk, mods) : 0;
}

QKeyCombination QtKeyOfShortCut(TShortCut sc) {
  const quint16 vk = sc & 0xFF;
  Qt::Key key = Qt::Key_unknown;
  Qt::KeyboardModifiers mods;
  if ((vk >= 'A' && vk <= 'Z') || (vk >= '0' && vk <= '9'))
    key = Qt::Key(vk);
  else if (vk >= vkF1 && vk <= vkF24)
    key = Qt::Key(Qt::Key_F1 + (vk - vkF1));
  else if (vk >= vkNumpad0 && vk <= vkNumpad0 + 9) {
    key = Qt::Key(Qt::Key_0 + (vk - vkNumpad0));
    mods |= Qt::KeypadModifier;
  } else {
    for (const TKeyRow &r : KeypadRows)
      if (r.Vk == vk && r.Name) {
        key = r.Key;
        mods |= Qt::KeypadModifier;
      }
    for (const TKeyRow &r : KeyRows)
      if (r.Vk == vk && r.Name) {
        key = r.Key;
        break;
      }
  }
  if (!vk || key == Qt::Key_unknown)
    return QKeyCombination(Qt::Key_unknown);
  if (sc & scShift)
    mods |= Qt::ShiftModifier;
  if (sc & scCtrl)
    mods |= Qt::ControlModifier;
  if (sc & scAlt)
    mods |= Qt::AltModifier;
  return QKeyCombination(mods, key);
}

QString KeyName(quint16 vk) {
  vk &= 0xFF;
  if ((vk >= 'A' && vk <= 'Z') || (vk >= '0' && vk <= '9'))
    return QString(QChar(vk));
  if (vk >= vkF1 && vk <= vkF24)
    return QStringLiteral("F%1").arg(vk - vkF1 + 1);
  if (vk >= vkNumpad0 && vk <= vkNumpad0 + 9)
    return QStringLiteral("Num %1").arg(vk - vkNumpad0);
  for (const TKeyRow &r : KeypadRows)
    if (r.Vk == vk && r.Name)
      return QString::fromLatin1(r.Name);
  for (const TKeyRow &r : KeyRows)
    if (r.Vk == vk && r.Name)
      return QString::fromLatin1(r.Name);
  if (vk == vkOem102)
    return QStringLiteral("<");
  return {};
}

QString ShortCutToText(TShortCut sc) {
  const QString name = KeyName(sc & 0xFF);
  if (name.isEmpty())
    return {};
  QString s;
  if (sc & scShift)
    s += QLatin1String("Shift+");
  if (sc & scCtrl)
    s += QLatin1String("Ctrl+");
  if (sc & scAlt)
    s += QLatin1String("Alt+");
  return s + name;
}
