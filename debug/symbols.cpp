#include "debug/symbols.h"

#include <cctype>
#include <fstream>
#include <sstream>

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
    if (digits.empty() || digits.size() > 8) return false;
    uint32_t result = 0;
    for (char c : digits) {
        if (!std::isxdigit(static_cast<unsigned char>(c))) return false;
        int digit = std::isdigit(static_cast<unsigned char>(c)) ? c - '0' : (c | 0x20) - 'a' + 10;
        result = result * 16 + static_cast<uint32_t>(digit);
    }
    value = result;
    return true;
}

bool SymbolsAdd(Symbols& symbols, const std::string& name, uint16_t value) {
    if (name.empty() || std::isdigit(static_cast<unsigned char>(name[0]))) return false;
    for (char c : name)
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '_' && c != '.' && c != '?')
            return false;
    symbols.values[SymbolsUpper(name)] = value;
    symbols.names.emplace(value, name);
    ++symbols.nameCounts[value];
    return true;
}

int SymbolsLoad(Symbols& symbols, const std::string& path) {
    std::ifstream file(path);
    if (!file) return -1;
    int added = 0;
    std::string line;
    while (std::getline(file, line)) {
        std::istringstream words(line.substr(0, line.find(';')));
        std::string first, second, third;
        words >> first >> second >> third;
        uint32_t value;
        bool ok = false;
        if (SymbolsUpper(second) == "EQU") {
            ok = SymbolsNumber(third, value) && value <= 0xFFFF &&
                 SymbolsAdd(symbols, first, static_cast<uint16_t>(value));
        } else if (third.empty() && SymbolsNumber(first, value) && value <= 0xFFFF) {
            ok = SymbolsAdd(symbols, second, static_cast<uint16_t>(value));
        }
        added += ok;
    }
    return added;
}

const std::string* SymbolsName(const Symbols& symbols, uint16_t address, bool code) {
    auto found = symbols.names.find(address);
    if (found == symbols.names.end()) return nullptr;
    if (address < 0x100 && (!code || symbols.nameCounts.at(address) > 1)) return nullptr;
    return &found->second;
}

bool SymbolsValue(const Symbols& symbols, const std::string& text, uint16_t& value) {
    auto found = symbols.values.find(SymbolsUpper(text));
    if (found != symbols.values.end()) {
        value = found->second;
        return true;
    }
    uint32_t number;
    if (!SymbolsNumber(text, number) || number > 0xFFFF) return false;
    value = static_cast<uint16_t>(number);
    return true;
}
