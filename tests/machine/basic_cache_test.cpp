// BASIC's text cache: what a place in the program meant when it last ran
// (a number's value, a jump's line, a variable's place) must follow every
// change to the program, to its variables and to the memory under them.
// A seeded session of edits, runs, direct statements, CLEAR, DIM, ERASE,
// DEFINT, DEFSNG and POKE, each run checked against a model of what the
// program prints; statements that make a variable in the same breath as
// they assign an array element (SWAP, READ) or refuse to (VARPTR of a
// variable not made) show that no element moves under its assignment.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "core/z80home.h"
#include "tests/machine/machine_support.h"
#include "tests/rom/number_text.h"

namespace {

using Rows = std::vector<std::string>;

// The statements of the session's programs: whole numbers only, so the
// model computes exactly what the machine does.
struct Stmt {
    enum Kind { Set, Add, Store, Load, Print, Jump, If, Swap, Read, Ref, Show } kind;
    int v = 0, w = 0;    // variables A to D, and for the last four N0 to N4
    int c = 0;           // a constant, or an array's index
    int array = 0;       // X or Y
    int target = 0;      // a line number
    bool single = false; // Set: the constant, Print: w, written with a !
};

const char kVars[] = "ABCD";
const char kArrays[] = "XY";

std::string Text(const Stmt& s) {
    std::string v(1, kVars[s.v]), w(1, kVars[s.w]);
    std::string element = std::string(1, kArrays[s.array]) + "(" + std::to_string(s.c) + ")";
    switch (s.kind) {
    case Stmt::Set: return v + "=" + std::to_string(s.c) + (s.single ? "!" : "");
    case Stmt::Add: return v + "=" + w + (s.c < 0 ? "-" : "+") + std::to_string(std::abs(s.c));
    case Stmt::Store: return element + "=" + v;
    case Stmt::Load: return v + "=" + element;
    case Stmt::Print: return "PRINT " + v + ";" + w + (s.single ? "!" : "");
    case Stmt::Jump: return "GOTO " + std::to_string(s.target);
    case Stmt::If:
        return "IF " + v + "<" + std::to_string(s.c) + " THEN " + std::to_string(s.target);
    case Stmt::Swap: return "SWAP " + element + ",N" + std::to_string(s.w);
    case Stmt::Read: return "RESTORE 900:READ " + element + ",N" + std::to_string(s.w);
    case Stmt::Ref: return element + "=" + v + "+0*VARPTR(N" + std::to_string(s.w) + ")";
    case Stmt::Show: return "PRINT N" + std::to_string(s.w) + ";" + element;
    }
    return "";
}

struct Model {
    std::map<int, Stmt> lines;
    std::map<std::string, float> vars;         // "A", or "A%" for an integer
    std::set<char> integer;                    // letters DEFINT has typed
    std::map<char, std::vector<float>> arrays; // made by first use, 0 to 10
    std::set<int> dimmed;                      // Z0, Z1, ... made by DIM

    void Clear() {
        vars.clear();
        integer.clear();
        arrays.clear();
        dimmed.clear();
    }
    // The variable a name without a suffix means now.
    float& Var(int v) {
        char letter = kVars[v];
        return vars[std::string(1, letter) + (integer.count(letter) ? "%" : "")];
    }
    float& Element(const Stmt& s) {
        std::vector<float>& a = arrays[kArrays[s.array]];
        a.resize(11);
        return a[s.c];
    }
    // What running from line `from` prints.
    Rows Run(int from) {
        Rows out;
        auto line = lines.find(from);
        while (line != lines.end()) {
            const Stmt& s = line->second;
            std::string n = "N" + std::to_string(s.w);
            int jump = -1;
            switch (s.kind) {
            case Stmt::Set: Var(s.v) = float(s.c); break;
            case Stmt::Add: Var(s.v) = Var(s.w) + float(s.c); break;
            case Stmt::Store: Element(s) = Var(s.v); break;
            case Stmt::Load: Var(s.v) = Element(s); break;
            case Stmt::Print:
                out.push_back(NumberText(Var(s.v)) + " " +
                              NumberText(s.single ? vars[std::string(1, kVars[s.w])] : Var(s.w)));
                break;
            case Stmt::Jump: jump = s.target; break;
            case Stmt::If:
                if (Var(s.v) < float(s.c)) jump = s.target;
                break;
            case Stmt::Swap: std::swap(Element(s), vars[n]); break;
            case Stmt::Read:
                Element(s) = 7; // 900 DATA 7,8
                vars[n] = 8;
                break;
            case Stmt::Ref:
                if (!vars.count(n)) {
                    out.push_back("?Illegal function call in " + std::to_string(line->first));
                    return out;
                }
                Element(s) = Var(s.v);
                break;
            case Stmt::Show:
                out.push_back(NumberText(vars.count(n) ? vars[n] : 0) + " " +
                              NumberText(Element(s)));
                break;
            }
            if (jump < 0) {
                ++line;
                continue;
            }
            int from = line->first;
            line = lines.find(jump);
            if (line == lines.end()) {
                out.push_back("?Undefined line number in " + std::to_string(from));
                break;
            }
        }
        return out;
    }
};

// A statement for line `number`, its jumps forward to a line of the program
// (or, rarely, to none).
Stmt RandomStmt(std::mt19937& rng, const Model& model, int number) {
    Stmt s;
    s.kind = Stmt::Kind(rng() % 11);
    s.v = int(rng() % 4);
    s.w = int(rng() % 4);
    s.array = int(rng() % 2);
    s.c = s.kind == Stmt::Store || s.kind == Stmt::Load || s.kind >= Stmt::Swap
              ? int(rng() % 11)
              : int(rng() % 30) - 9;
    if (s.kind == Stmt::Ref) s.w = int(rng() % 5);     // N4: never made
    if (s.kind == Stmt::Set) s.c = std::abs(s.c) % 10; // one digit, which POKE may change
    s.single = rng() % 2 == 0;
    std::vector<int> later;
    for (const auto& [n, line] : model.lines)
        if (n > number) later.push_back(n);
    if (s.kind == Stmt::Jump || s.kind == Stmt::If) {
        if (later.empty()) return RandomStmt(rng, model, number);
        s.target = rng() % 25 == 0 ? later.back() + 1 : later[rng() % later.size()];
    }
    return s;
}

void EnterLine(int number, const Stmt& s) {
    Enter({std::to_string(number) + " " + Text(s)});
}

// The address of line `number`'s text in the program store.
int LineText(int number) {
    int line = RomSymbol("TXTTAB");
    while (PeekWord(line) != 0 && PeekWord(line + 2) != number)
        line = PeekWord(line);
    EXPECT_NE(PeekWord(line), 0) << "no line " << number;
    return line + 4;
}

TEST(BasicCache, RunsSeeEveryEditNewVariableClearAndPoke) {
    BasicBoot();
    Basic("WIDTH 80");
    std::mt19937 rng(2613);
    Model model;
    for (int n = 10; n <= 80; n += 10)
        model.lines[n] = RandomStmt(rng, model, n);
    Basic("NEW");
    for (const auto& [n, s] : model.lines)
        EnterLine(n, s);
    Enter({"900 DATA 7,8"});
    std::string session;
    int runs = 0;
    for (int step = 0; step < 500; step++) {
        std::string what;
        Rows expected, got; // direct statements print nothing
        switch (rng() % 10) {
        case 0: { // a line changed, added or removed: the text moves
            int number = 10 * (1 + int(rng() % 10)) + (rng() % 3 == 0 ? 5 : 0);
            if (model.lines.size() > 3 && model.lines.count(number) && rng() % 3 == 0) {
                model.lines.erase(number);
                what = std::to_string(number);
                Enter({what});
            } else {
                model.lines[number] = RandomStmt(rng, model, number);
                what = std::to_string(number) + " " + Text(model.lines[number]);
                EnterLine(number, model.lines[number]);
            }
            model.Clear(); // an edit clears the variables
            break;
        }
        case 1: { // variables made in another order, before a run that keeps them
            std::string order = "ABCD";
            std::shuffle(order.begin(), order.end(), rng);
            what = rng() % 2 ? "CLEAR:" : "";
            if (!what.empty()) model.Clear();
            for (int i = 0; i < 2; i++) {
                int value = int(rng() % 50);
                what += std::string(i ? ":" : "") + order[i] + "=" + std::to_string(value);
                model.Var(int(std::string("ABCD").find(order[i]))) = float(value);
            }
            got = BasicOutput(what);
            break;
        }
        case 2: { // a new array after the others
            int k = 0;
            while (model.dimmed.count(k))
                k++;
            if (k > 9) break;
            model.dimmed.insert(k);
            what = "DIM Z" + std::to_string(k) + "(" + std::to_string(rng() % 20) + ")";
            got = BasicOutput(what);
            break;
        }
        case 3: { // a digit of the program changed under it
            std::vector<int> sets;
            for (const auto& [n, s] : model.lines)
                if (s.kind == Stmt::Set) sets.push_back(n);
            if (sets.empty()) break;
            int number = sets[rng() % sets.size()];
            int digit = int(rng() % 10);
            model.lines[number].c = digit;
            int address = LineText(number) + 2; // past "V="
            what = "POKE " + std::to_string(address) + "," + std::to_string('0' + digit);
            got = BasicOutput(what);
            break;
        }
        case 4: { // names without a suffix given another type: other variables
            int from = int(rng() % 4), to = from + int(rng() % (4 - from));
            bool integer = rng() % 2;
            what = std::string(integer ? "DEFINT " : "DEFSNG ") + kVars[from] + "-" + kVars[to];
            for (int v = from; v <= to; v++)
                if (integer)
                    model.integer.insert(kVars[v]);
                else
                    model.integer.erase(kVars[v]);
            got = BasicOutput(what);
            break;
        }
        case 5: { // an array taken away: those after it move down
            std::vector<std::string> names;
            for (const auto& [name, a] : model.arrays)
                names.push_back(std::string(1, name));
            for (int k : model.dimmed)
                names.push_back("Z" + std::to_string(k));
            if (names.empty()) break;
            std::string name = names[rng() % names.size()];
            if (name[0] == 'Z')
                model.dimmed.erase(std::stoi(name.substr(1)));
            else
                model.arrays.erase(name[0]);
            what = "ERASE " + name;
            got = BasicOutput(what);
            break;
        }
        case 6: // the whole program from the start
            model.Clear();
            expected = model.Run(model.lines.begin()->first);
            what = "RUN";
            got = BasicOutput(what, 1000);
            runs++;
            break;
        default: { // from its first line, with the variables as they are
            int first = model.lines.begin()->first;
            expected = model.Run(first);
            what = "GOTO " + std::to_string(first);
            got = BasicOutput(what, 1000);
            runs++;
        }
        }
        session += what + "\n";
        ASSERT_EQ(got, expected) << "after\n" << session;
    }
    EXPECT_GT(runs, 150);
}

// A random expression over variables and numbers with the dialect's
// operators: parentheses, unary minus and NOT, arithmetic, relations and
// logic, mixed so that precedence decides.
std::string RandomExpression(std::mt19937& rng, int depth) {
    static const char* kOperands[] = {"A", "B", "C", "D%", "1", "2", "3", ".5", "2.5", "10", "1E3"};
    static const char* kOperators[] = {"+", "-", "*",  "/",  "^",  "\\",    " MOD ", "<",
                                       ">", "=", "<=", ">=", "<>", " AND ", " OR "};
    std::string e;
    int terms = 1 + int(rng() % 4);
    for (int t = 0; t < terms; t++) {
        if (t) e += kOperators[rng() % 15];
        switch (depth > 0 ? rng() % 6 : 0) {
        case 0:
        case 1:
        case 2: e += kOperands[rng() % 11]; break;
        case 3: e += "(" + RandomExpression(rng, depth - 1) + ")"; break;
        case 4: e += "-" + std::string(kOperands[rng() % 11]); break;
        default: e += "NOT " + std::string(kOperands[rng() % 4]);
        }
    }
    return e;
}

TEST(BasicCache, ALineGivesTheSameValuesEveryTimeItRuns) {
    // The first time a line runs it reads every number and name; after
    // that the text cache gives them, and simple operands go straight to
    // their operator. Each value is printed by three runs of the line in a
    // loop and once more typed directly, where nothing is kept.
    BasicBoot();
    Basic("WIDTH 80");
    std::mt19937 rng(1979);
    int compared = 0;
    for (int i = 0; i < 300; i++) {
        std::string expression = RandomExpression(rng, 2);
        std::string values =
            "A=" + std::to_string(int(rng() % 19) - 9) + ".25:B=" + std::to_string(1 + rng() % 9) +
            ":C=-" + std::to_string(rng() % 5) + ":D%=" + std::to_string(int(rng() % 7) - 3);
        Rows direct = BasicOutput(values + ":PRINT " + expression);
        if (direct.size() != 1 || direct[0].find('?') != std::string::npos) continue;
        Basic("NEW");
        Enter({"10 " + values, "20 FOR I=1 TO 3", "30 X=" + expression, "40 PRINT X;", "50 NEXT I",
               "60 PRINT"});
        std::string v = direct[0];
        compared++;
        ASSERT_EQ(BasicOutput("RUN"), Rows{v + " " + v + " " + v})
            << expression << " with " << values;
    }
    EXPECT_GT(compared, 150);
}

TEST(BasicCache, BloadOverTheProgramIsSeenByTheNextRun) {
    BasicBoot();
    std::string tape = TapePath("cache");
    SetCMTFile(tape.c_str());
    Basic("NEW");
    Enter({"10 A=7:PRINT A"});
    int digit = LineText(10) + 2;
    Basic("BSAVE \"DIGIT\"," + std::to_string(digit) + ",1");
    Basic("POKE " + std::to_string(digit) + ",49");
    EXPECT_EQ(BasicOutput("RUN"), Rows{" 1"});
    SetCMTFile(tape.c_str()); // from the start again
    Basic("BLOAD \"DIGIT\"");
    EXPECT_EQ(BasicOutput("GOTO 10"), Rows{" 7"});
    std::filesystem::remove(tape);
}

} // namespace
