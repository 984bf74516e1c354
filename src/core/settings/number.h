#pragma once
// Numbers as the settings file and the options dialog's text boxes hold them.

#include <QString>
#include <QStringView>
#include <cstdint>

namespace pelmora {

struct SettingNumber {
    // The number rounded half to even; when it lies outside the 16-bit range,
    // the nearest limit.
    int16_t value = 0;
    bool inRange = true;
};

// Reads the numeric beginning of text: blanks, tabs and line feeds anywhere
// are ignored, then the longest prefix of the form [sign] digits [. digits]
// [E|e [sign] digits] is taken; none gives 0.
SettingNumber ParseSettingNumber(QStringView text);

// Rounds half to even (2.5 -> 2, 3.5 -> 4, -2.5 -> -2).
double RoundHalfEven(double value);

// Decimal with a sign position: " 25", " 0", "-3".
QString FormatSettingNumber(int value);

}  // namespace pelmora
