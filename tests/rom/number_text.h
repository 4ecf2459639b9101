// How BASIC prints a number, as a reader of the dialect states it: a
// space or '-', then the value to 7 significant digits (rounded half up,
// trailing zeros dropped), as a plain number from .01 up to 9999999 and
// otherwise as d.dddddd with E+nn or E-nn. Computed from the number's exact
// decimal expansion, so it serves as a model for the ROM's printing.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

// The seven significant digits of x (not 0), the seventh rounded half up
// from the exact decimal expansion, and the power of ten of the first; near
// says whether x lies so close to a tie between two 7-digit texts that a
// conversion a hair from exact may take either.
struct Digits {
    std::string digits;
    int exponent;
    bool near;
};

inline Digits SevenDigits(float x) {
    char exact[80];
    std::snprintf(exact, sizeof exact, "%.30e", std::fabs(double(x)));
    std::string digits = std::string(1, exact[0]) + std::string(exact + 2, 30);
    int exponent = std::atoi(std::strchr(exact, 'e') + 1);
    long rest = std::stol(digits.substr(7, 7));
    std::string kept = digits.substr(0, 7);
    if (rest >= 5000000) { // the carry runs up through the nines
        int i = 6;
        while (i >= 0 && kept[i] == '9')
            kept[i--] = '0';
        if (i < 0) {
            kept = "1000000";
            exponent++;
        } else {
            kept[i]++;
        }
    }
    return {kept, exponent, std::labs(rest - 5000000) <= 10};
}

// The text for x; near as SevenDigits says.
inline std::string NumberText(float x, bool* near = nullptr) {
    if (near) *near = false;
    if (x == 0) return " 0";
    Digits d = SevenDigits(x);
    if (near) *near = d.near;
    std::string kept = d.digits;
    int exponent = d.exponent;
    kept.erase(kept.find_last_not_of('0') + 1);
    std::string text = x < 0 ? "-" : " ";
    if (exponent >= -2 && exponent <= 6) {
        if (exponent < 0) return text + "." + std::string(-exponent - 1, '0') + kept;
        std::string whole = kept.substr(0, std::min<size_t>(kept.size(), exponent + 1));
        whole += std::string(exponent + 1 - whole.size(), '0');
        text += whole;
        if (kept.size() > size_t(exponent) + 1) text += "." + kept.substr(exponent + 1);
        return text;
    }
    text += kept.substr(0, 1);
    if (kept.size() > 1) text += "." + kept.substr(1);
    char tail[16];
    std::snprintf(tail, sizeof tail, "E%c%02d", exponent < 0 ? '-' : '+', std::abs(exponent));
    return text + tail;
}
