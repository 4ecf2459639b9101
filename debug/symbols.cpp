#include "debug/symbols.h"

#include <cctype>
#include <cstdio>
#include <sstream>
#include <vector>

#include "state/machine_state.h"

static std::string SymbolsUpper(std::string text) {
    for (char& c : text)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

bool SymbolsNumber(const std::string& text, uint32_t& value) {
    std::string digits = text;
    if (digits.size() > 2 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X'))
        digits = digits.substr(2);
    else if (!digits.empty() && (digits[0] == '$' || digits[0] == '#'))
        digits = digits.substr(1);
    else if (digits.size() > 1 && (digits.back() == 'h' || digits.back() == 'H'))
        digits.pop_back();
    // Leading zeros may make a number longer than the 32 bits it holds.
    size_t first = digits.find_first_not_of('0');
    if (digits.empty() || (first != std::string::npos && digits.size() - first > 8)) return false;
    uint32_t result = 0;
    for (char c : digits) {
        if (!std::isxdigit(static_cast<unsigned char>(c))) return false;
        int digit = std::isdigit(static_cast<unsigned char>(c)) ? c - '0' : (c | 0x20) - 'a' + 10;
        result = result * 16 + static_cast<uint32_t>(digit);
    }
    value = result;
    return true;
}

bool SymbolsAdd(Symbols& symbols, const std::string& name, uint16_t value, bool address) {
    if (name.empty() || std::isdigit(static_cast<unsigned char>(name[0]))) return false;
    for (char c : name)
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '_' && c != '.' && c != '?')
            return false;
    symbols.values[SymbolsUpper(name)] = value;
    if (address) symbols.names.emplace(value, name);
    return true;
}

int SymbolsParse(Symbols& symbols, const std::string& text) {
    struct Line {
        std::string first, second, third;
    };
    std::vector<Line> lines;
    bool listing = false;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        std::istringstream words(line.substr(0, line.find(';')));
        Line l;
        words >> l.first >> l.second >> l.third;
        listing |= l.second == "label" && l.first.size() > 1 && l.first.back() == ':';
        lines.push_back(l);
    }
    int added = 0;
    for (const Line& l : lines) {
        uint32_t value;
        bool ok = false;
        if (SymbolsUpper(l.second) == "EQU") {
            ok = SymbolsNumber(l.third, value) && value <= 0xFFFF &&
                 SymbolsAdd(symbols, l.first, static_cast<uint16_t>(value),
                            value >= static_cast<uint32_t>(kBasicRomSize));
        } else if (listing && l.second == "label") {
            ok = SymbolsNumber(l.first.substr(0, l.first.size() - 1), value) && value <= 0xFFFF &&
                 SymbolsAdd(symbols, l.third, static_cast<uint16_t>(value), true);
        } else if (!listing && l.third.empty() && SymbolsNumber(l.first, value) &&
                   value <= 0xFFFF) {
            ok = SymbolsAdd(symbols, l.second, static_cast<uint16_t>(value), true);
        }
        added += ok;
    }
    return added;
}

const std::string* SymbolsName(const Symbols& symbols, uint16_t address) {
    auto found = symbols.names.find(address);
    return found == symbols.names.end() ? nullptr : &found->second;
}

std::string SymbolsNearest(const Symbols& symbols, uint16_t address) {
    auto after = symbols.names.upper_bound(address);
    if (after == symbols.names.begin()) return "";
    auto at = std::prev(after);
    int offset = address - at->first;
    if (offset >= 0x100) return "";
    if (offset == 0) return at->second;
    char text[8];
    snprintf(text, sizeof text, "+%X", offset);
    return at->second + text;
}

bool SymbolsFind(const Symbols& symbols, const std::string& name, uint16_t& value) {
    auto found = symbols.values.find(SymbolsUpper(name));
    if (found == symbols.values.end()) return false;
    value = found->second;
    return true;
}
