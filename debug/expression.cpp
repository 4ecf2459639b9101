#include "debug/expression.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>

#include "bus/bus.h"

namespace {

// ---- Registers by name ----

enum Register {
    RegA,
    RegF,
    RegB,
    RegC,
    RegD,
    RegE,
    RegH,
    RegL,
    RegAF,
    RegBC,
    RegDE,
    RegHL,
    RegAF2,
    RegBC2,
    RegDE2,
    RegHL2,
    RegIX,
    RegIY,
    RegIXH,
    RegIXL,
    RegIYH,
    RegIYL,
    RegSP,
    RegPC,
    RegI,
    RegR,
    RegIM,
    RegIFF1,
    RegIFF2,
    RegWZ,
    RegCount
};
const char* const kRegisterNames[RegCount] = {
    "A",   "F",   "B",   "C",   "D",   "E",   "H",  "L",    "AF",   "BC",
    "DE",  "HL",  "AF'", "BC'", "DE'", "HL'", "IX", "IY",   "IXH",  "IXL",
    "IYH", "IYL", "SP",  "PC",  "I",   "R",   "IM", "IFF1", "IFF2", "WZ"};

unsigned short* RegisterPair(Z80Regs& regs, int index) {
    switch (index) {
    case RegA:
    case RegF:
    case RegAF: return &regs.af;
    case RegB:
    case RegC:
    case RegBC: return &regs.bc;
    case RegD:
    case RegE:
    case RegDE: return &regs.de;
    case RegH:
    case RegL:
    case RegHL: return &regs.hl;
    case RegAF2: return &regs.af2;
    case RegBC2: return &regs.bc2;
    case RegDE2: return &regs.de2;
    case RegHL2: return &regs.hl2;
    case RegIX:
    case RegIXH:
    case RegIXL: return &regs.ix;
    case RegIY:
    case RegIYH:
    case RegIYL: return &regs.iy;
    case RegSP: return &regs.sp;
    case RegPC: return &regs.pc;
    case RegWZ: return &regs.wz;
    default: return nullptr;
    }
}

bool IsHighHalf(int index) {
    return index == RegA || index == RegB || index == RegD || index == RegH || index == RegIXH ||
           index == RegIYH;
}
bool IsLowHalf(int index) {
    return index == RegF || index == RegC || index == RegE || index == RegL || index == RegIXL ||
           index == RegIYL;
}

std::string Upper(std::string text) {
    for (char& c : text)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

std::string Trim(const std::string& text) {
    size_t start = text.find_first_not_of(" \t");
    if (start == std::string::npos) return "";
    return text.substr(start, text.find_last_not_of(" \t") - start + 1);
}

// ---- Parsing ----

bool IsWordChar(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '.' || c == '?' ||
           c == '$' || c == '#' || c == '\'';
}

// The operators, two characters before one; the shifts are stored as < and >.
const char* const kPunctuation[] = {"<<", ">>", "==", "!=", "<=", ">=", "&&", "(", ")",
                                    "+",  "-",  "*",  "/",  "&",  "|",  "^",  "<", ">"};

// Nesting of ( ) and the evaluation stack, bounded so that a long line can
// neither recurse deeply nor overrun the stack.
constexpr int kDeepestNesting = 16;
constexpr int kDeepestStack = 64;

struct Parser {
    std::vector<std::string> tokens;
    size_t at = 0;
    const Symbols& symbols;
    bool withHits;
    DebugExpr& out;
    std::string error;
    int nesting = 0;

    const std::string& Peek() const {
        static const std::string kEnd;
        return at < tokens.size() ? tokens[at] : kEnd;
    }

    bool Fail(const std::string& text) {
        if (error.empty()) error = text;
        return false;
    }

    bool Word(const std::string& word) {
        uint32_t number;
        uint16_t value;
        bool numeric =
            std::isdigit(static_cast<unsigned char>(word[0])) || word[0] == '$' || word[0] == '#';
        if (!numeric) {
            int index = DebugRegisterIndex(word);
            if (index >= 0) {
                out.ops.push_back({DebugExprOp::Register, 0, static_cast<uint32_t>(index)});
                return true;
            }
            std::string upper = Upper(word);
            if (withHits && (upper == "HITS" || upper == "VALUE")) {
                out.ops.push_back({upper == "HITS" ? DebugExprOp::Hits : DebugExprOp::Value, 0, 0});
                return true;
            }
            if (SymbolsFind(symbols, word, value)) {
                out.ops.push_back({DebugExprOp::Number, 0, value});
                return true;
            }
        }
        if (!SymbolsNumber(word, number)) return Fail("not a number, register or name: " + word);
        out.ops.push_back({DebugExprOp::Number, 0, number});
        return true;
    }

    bool Primary() {
        std::string token = Peek();
        if (token.empty()) return Fail("an expression ends too soon");
        ++at;
        if (token == "(") {
            if (++nesting > kDeepestNesting) return Fail("( nested too deeply");
            if (!Binary(0)) return false;
            if (Peek() != ")") return Fail("a ( without its )");
            ++at;
            --nesting;
            out.ops.push_back({DebugExprOp::Peek, 0, 0});
            return true;
        }
        if (!IsWordChar(token[0])) return Fail("unexpected " + token);
        return Word(token);
    }

    // Binding strength of a binary operator, or -1.
    static int Strength(const std::string& op) {
        static const char* const kLevels[][2] = {{"|", nullptr}, {"^", nullptr}, {"&", nullptr},
                                                 {"<<", ">>"},   {"+", "-"},     {"*", "/"}};
        for (int level = 0; level < 6; ++level)
            for (const char* name : kLevels[level])
                if (name && op == name) return level;
        return -1;
    }

    // Operators binding at least as strongly as level, left to right.
    bool Binary(int level) {
        if (level > 5) return Primary();
        if (!Binary(level + 1)) return false;
        while (Strength(Peek()) == level) {
            std::string op = Peek();
            ++at;
            if (!Binary(level + 1)) return false;
            char code = op == "<<" ? '<' : op == ">>" ? '>' : op[0];
            out.ops.push_back({DebugExprOp::Binary, code, 0});
        }
        return true;
    }
};

bool Tokenize(const std::string& text, std::vector<std::string>& tokens, std::string& error) {
    size_t i = 0;
    while (i < text.size()) {
        if (text[i] == ' ' || text[i] == '\t') {
            ++i;
            continue;
        }
        if (IsWordChar(text[i])) {
            size_t start = i;
            while (i < text.size() && IsWordChar(text[i]))
                ++i;
            tokens.push_back(text.substr(start, i - start));
            continue;
        }
        const char* found = nullptr;
        for (const char* p : kPunctuation)
            if (text.compare(i, std::strlen(p), p) == 0) {
                found = p;
                break;
            }
        if (!found) {
            error = std::string("unexpected ") + text[i];
            return false;
        }
        tokens.push_back(found);
        i += std::strlen(found);
    }
    return true;
}

const char* const kComparisons[] = {"==", "!=", "<=", ">=", "<", ">"};

// The deepest the evaluation stack gets.
int StackDepth(const DebugExpr& expr) {
    int depth = 0, deepest = 0;
    for (const DebugExprOp& op : expr.ops) {
        if (op.kind == DebugExprOp::Binary)
            --depth;
        else if (op.kind != DebugExprOp::Peek)
            ++depth;
        deepest = std::max(deepest, depth);
    }
    return deepest;
}

bool ParseTokens(std::vector<std::string> tokens, const Symbols& symbols, bool withHits,
                 DebugExpr& expr, std::string& error) {
    expr.ops.clear();
    Parser parser{std::move(tokens), 0, symbols, withHits, expr, ""};
    if (!parser.Binary(0)) {
        error = parser.error;
        return false;
    }
    if (parser.at != parser.tokens.size()) {
        error = "unexpected " + parser.Peek();
        return false;
    }
    if (StackDepth(expr) > kDeepestStack) {
        error = "too long an expression";
        return false;
    }
    return true;
}

} // namespace

bool DebugExprParse(const std::string& text, const Symbols& symbols, bool withHits, DebugExpr& expr,
                    std::string& error) {
    std::vector<std::string> tokens;
    return Tokenize(text, tokens, error) && ParseTokens(tokens, symbols, withHits, expr, error);
}

bool DebugExprEval(const DebugExpr& expr, const DebugExprContext& context, uint32_t& value,
                   std::string* why) {
    uint32_t stack[kDeepestStack];
    int depth = 0;
    for (const DebugExprOp& op : expr.ops) {
        switch (op.kind) {
        case DebugExprOp::Number: stack[depth++] = op.number; break;
        case DebugExprOp::Register:
            stack[depth++] = static_cast<uint32_t>(
                DebugRegisterValue(context.regs, static_cast<int>(op.number)));
            break;
        case DebugExprOp::Hits: stack[depth++] = context.hits; break;
        case DebugExprOp::Value: stack[depth++] = context.value; break;
        case DebugExprOp::Peek:
            if (stack[depth - 1] > 0xFFFF) {
                char text[32];
                snprintf(text, sizeof text, "(%X) lies past FFFF", stack[depth - 1]);
                if (why) *why = text;
                return false;
            }
            stack[depth - 1] = static_cast<uint32_t>(BusPeek(static_cast<int>(stack[depth - 1])));
            break;
        case DebugExprOp::Binary: {
            uint32_t right = stack[--depth];
            uint32_t& left = stack[depth - 1];
            switch (op.op) {
            case '+': left += right; break;
            case '-': left -= right; break;
            case '*': left *= right; break;
            case '/':
                if (right == 0) {
                    if (why) *why = "division by zero";
                    return false;
                }
                left /= right;
                break;
            case '&': left &= right; break;
            case '|': left |= right; break;
            case '^': left ^= right; break;
            case '<': left = right >= 32 ? 0 : left << right; break;
            default: left = right >= 32 ? 0 : left >> right; break;
            }
            break;
        }
        }
    }
    value = stack[0];
    return true;
}

bool DebugConditionParse(const std::string& text, const Symbols& symbols, DebugCondition& condition,
                         std::string& error) {
    condition = DebugCondition{};
    if (Trim(text).empty()) return true;
    std::string rest = text;
    for (;;) {
        size_t join = rest.find("&&");
        std::string term = Trim(rest.substr(0, join));
        if (term.empty()) {
            error = "&& joins two comparisons: " + Trim(text);
            return false;
        }
        std::vector<std::string> tokens;
        std::string ignored;
        size_t at = std::string::npos;
        DebugCompare compare{};
        if (Tokenize(term, tokens, ignored))
            for (size_t i = 0; i < tokens.size() && at == std::string::npos; ++i)
                for (int op = 0; op < 6; ++op)
                    if (tokens[i] == kComparisons[op]) {
                        at = i;
                        compare.op = op;
                        break;
                    }
        if (at == std::string::npos) {
            error = "a condition compares two things: " + term;
            return false;
        }
        std::vector<std::string> left(tokens.begin(), tokens.begin() + static_cast<long>(at));
        std::vector<std::string> right(tokens.begin() + static_cast<long>(at) + 1, tokens.end());
        if (!ParseTokens(left, symbols, true, compare.left, ignored) ||
            !ParseTokens(right, symbols, true, compare.right, ignored)) {
            error = "cannot read the condition " + term;
            return false;
        }
        for (const DebugExpr* side : {&compare.left, &compare.right})
            for (const DebugExprOp& op : side->ops)
                condition.usesValue |= op.kind == DebugExprOp::Value;
        condition.terms.push_back(compare);
        if (join == std::string::npos) return true;
        rest = rest.substr(join + 2);
    }
}

bool DebugConditionHolds(const DebugCondition& condition, const DebugExprContext& context) {
    for (const DebugCompare& term : condition.terms) {
        uint32_t left, right;
        if (!DebugExprEval(term.left, context, left) || !DebugExprEval(term.right, context, right))
            return false;
        bool holds = false;
        switch (term.op) {
        case 0: holds = left == right; break;
        case 1: holds = left != right; break;
        case 2: holds = left <= right; break;
        case 3: holds = left >= right; break;
        case 4: holds = left < right; break;
        default: holds = left > right; break;
        }
        if (!holds) return false;
    }
    return true;
}

int DebugRegisterIndex(const std::string& name) {
    std::string upper = Upper(name);
    for (int i = 0; i < RegCount; ++i)
        if (upper == kRegisterNames[i]) return i;
    return -1;
}

int DebugRegisterValue(const Z80Regs& regs, int index) {
    Z80Regs copy = regs;
    if (unsigned short* pair = RegisterPair(copy, index)) {
        if (IsHighHalf(index)) return *pair >> 8;
        if (IsLowHalf(index)) return *pair & 0xFF;
        return *pair;
    }
    switch (index) {
    case RegI: return regs.i;
    case RegR: return regs.r;
    case RegIM: return regs.im;
    case RegIFF1: return regs.iff1;
    default: return regs.iff2;
    }
}

uint32_t DebugRegisterLargest(int index) {
    if (IsHighHalf(index) || IsLowHalf(index) || index == RegI || index == RegR) return 0xFF;
    if (index == RegIM) return 2;
    if (index == RegIFF1 || index == RegIFF2) return 1;
    return 0xFFFF;
}

void DebugSetRegisterValue(Z80Regs& regs, int index, int value) {
    if (index == RegPC) regs.halted = 0;
    if (unsigned short* pair = RegisterPair(regs, index)) {
        if (IsHighHalf(index))
            *pair = static_cast<unsigned short>((*pair & 0x00FF) | (value & 0xFF) << 8);
        else if (IsLowHalf(index))
            *pair = static_cast<unsigned short>((*pair & 0xFF00) | (value & 0xFF));
        else
            *pair = static_cast<unsigned short>(value);
        return;
    }
    switch (index) {
    case RegI: regs.i = static_cast<unsigned char>(value); break;
    case RegR: regs.r = static_cast<unsigned char>(value); break;
    case RegIM: regs.im = static_cast<unsigned char>(value); break;
    case RegIFF1: regs.iff1 = value != 0; break;
    default: regs.iff2 = value != 0; break;
    }
}
