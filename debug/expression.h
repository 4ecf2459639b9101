// The debugger's expressions, taken wherever a command wants a number, and
// the conditions of its points, which compare two expressions.
//
// A word is read, in this order, as a register's name (A, HL, AF', IXH, I,
// IFF1 ...), in a condition `hits` or `value`, a symbol's name, and last a
// hexadecimal number. A word that starts with a digit, $, # or 0x is always
// a number: 0A, 0BC and 0FAC are numbers where A, BC and FAC would be a
// register or a name. (EXPR) is the byte in memory at EXPR, as the processor
// reads it (EXPR at most FFFF). The operators, loosest first: |, ^, &,
// << >>, + -, * /; values are 32-bit and wrap around, and a division by
// zero fails.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "debug/symbols.h"
#include "z80/z80.h"

// One step of an expression in postfix order.
struct DebugExprOp {
    enum Kind : uint8_t { Number, Register, Hits, Value, Peek, Binary } kind;
    char op;         // Binary: + - * / & | ^ and '<', '>' for the shifts
    uint32_t number; // Number: the value; Register: its index
};
struct DebugExpr {
    std::vector<DebugExprOp> ops;
};

// What an expression is evaluated against: the registers, and for a point's
// condition its hit count and the byte a watched access moved.
struct DebugExprContext {
    const Z80Regs& regs;
    uint32_t hits;
    uint32_t value;
};

// Parses text; false with error when it is not one expression. A
// condition's operands (withHits) may also name hits and value.
bool DebugExprParse(const std::string& text, const Symbols& symbols, bool withHits, DebugExpr& expr,
                    std::string& error);
// False, with why when given, on a division by zero or a byte read from
// past FFFF.
bool DebugExprEval(const DebugExpr& expr, const DebugExprContext& context, uint32_t& value,
                   std::string* why = nullptr);

// A condition: comparisons (== != < <= > >=) joined by &&, all of which must
// hold.
struct DebugCompare {
    DebugExpr left, right;
    int op; // index into the comparisons
};
struct DebugCondition {
    std::vector<DebugCompare> terms;
    bool usesValue = false;
};
// Parses a condition (empty text: none, always holds); false with error.
bool DebugConditionParse(const std::string& text, const Symbols& symbols, DebugCondition& condition,
                         std::string& error);
// True when every comparison holds (an expression that cannot be evaluated
// makes its comparison fail).
bool DebugConditionHolds(const DebugCondition& condition, const DebugExprContext& context);

// Register names (A, HL, IX, SP, AF', IXH, I, R, IM, IFF1...); -1 for an
// unknown name.
int DebugRegisterIndex(const std::string& name);
int DebugRegisterValue(const Z80Regs& regs, int index);
// The largest value a register holds (FF, FFFF; IM 2, IFF1 and IFF2 1).
uint32_t DebugRegisterLargest(int index);
// Sets one register to a value it holds; a new PC also ends a HALT, so the
// processor runs from there.
void DebugSetRegisterValue(Z80Regs& regs, int index, int value);
