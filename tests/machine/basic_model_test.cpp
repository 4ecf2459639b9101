// BASIC held to models of the dialect: random PRINT statements against the
// layout rules, random PRINT USING formats and values against its field
// rules, random programs against a small interpreter of their flow
// statements and of their errors trapped by ON ERROR, and the string
// collector against the strings a program holds. Seeded, so a failure
// repeats; typed at the machine and read from its screen, so nothing
// depends on how fast the interpreter runs.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <map>
#include <random>
#include <sstream>

#include "tests/machine/machine_support.h"
#include "tests/rom/number_text.h"

namespace {

// The screen as the console fills it: a character goes at the cursor, which
// moves to the next row after the last column; a new line at the bottom
// scrolls.
struct Screen {
    int columns, rows, x = 0, y = 0;
    std::vector<std::string> text;
    Screen(int c, int r) : columns(c), rows(r), text(r, std::string(c, ' ')) {}
    void NewLine() {
        x = 0;
        if (++y == rows) {
            text.erase(text.begin());
            text.push_back(std::string(columns, ' '));
            y = rows - 1;
        }
    }
    void Put(char c) {
        text[y][x] = c;
        if (++x == columns) NewLine();
    }
    void Put(const std::string& s) {
        for (char c : s)
            Put(c);
    }
    // What the prompt does when a command ends.
    void Ok() {
        if (x) NewLine();
        Put("Ok");
        NewLine();
    }
};

void ExpectScreen(const Screen& model, const std::string& what) {
    for (int r = 0; r < model.rows; r++)
        ASSERT_EQ(ScreenRow(r), model.text[r]) << "row " << r << " after\n" << what;
}

// A number constant as a program would write it, and its value; none whose
// printing could go either way.
struct Constant {
    std::string text;
    float value;
};

Constant RandomConstant(std::mt19937& rng) {
    for (;;) {
        std::string digits;
        int count = 1 + int(rng() % 9);
        for (int i = 0; i < count; i++)
            digits += char('0' + rng() % 10);
        std::string text;
        switch (rng() % 4) {
        case 0: // a whole number
            text = digits.substr(0, 1 + rng() % 6);
            break;
        case 1: { // a fraction
            size_t point = rng() % (digits.size() + 1);
            text = digits.substr(0, point) + "." + digits.substr(point);
            break;
        }
        default: // an exponent
            text = digits.substr(0, 1) + (digits.size() > 1 ? "." + digits.substr(1) : "") + "E" +
                   std::to_string(int(rng() % 61) - 30);
        }
        if (rng() % 3 == 0) text = "-" + text;
        float value = std::strtof(text.c_str(), nullptr);
        bool near;
        NumberText(value, &near);
        if (!near && (value == 0 || std::fabs(value) >= 0x1p-126f)) return {text, value};
    }
}

// One PRINT statement of numbers, strings, TAB and SPC joined by ';' and
// ',', and what it does to the model's screen.
std::string RandomPrint(std::mt19937& rng, Screen& model) {
    std::string line = "PRINT ";
    int items = 1 + int(rng() % 8);
    bool newLine = true;
    for (int i = 0; i < items && line.size() < 200; i++) {
        switch (rng() % 5) {
        case 0:
        case 1: {
            Constant c = RandomConstant(rng);
            line += c.text;
            model.Put(NumberText(c.value) + " ");
            break;
        }
        case 2: {
            static const char kChars[] = "ABCXYZ0123456789 .-+*=#$()";
            std::string s(rng() % 26, ' ');
            for (char& c : s)
                c = kChars[rng() % (sizeof kChars - 1)];
            line += "\"" + s + "\"";
            model.Put(s);
            break;
        }
        case 3: {
            int n = int(rng() % 100);
            line += "TAB(" + std::to_string(n) + ")";
            for (int k = model.x; k < n; k++) // spaces up to column n, once
                model.Put(' ');
            break;
        }
        default: {
            int n = int(rng() % 60);
            line += "SPC(" + std::to_string(n) + ")";
            for (int k = 0; k < n; k++)
                model.Put(' ');
        }
        }
        newLine = true;
        if (i + 1 < items || rng() % 3 == 0) {
            if (rng() % 3 == 0) { // the next 14-column zone, or the next row
                line += ",";
                int spaces = 14 - model.x % 14;
                if (model.x + spaces >= model.columns)
                    model.NewLine();
                else
                    for (int k = 0; k < spaces; k++)
                        model.Put(' ');
            } else {
                line += ";";
            }
            newLine = false;
        }
    }
    if (newLine) model.NewLine();
    return line;
}

TEST(BasicModel, PrintLaysOutAsTheDialectDoes) {
    BasicBoot();
    std::mt19937 rng(4080);
    for (int columns : {40, 80}) {
        Basic("WIDTH " + std::to_string(columns));
        int rows = ScreenRows();
        for (int i = 0; i < 120; i++) {
            Screen model(columns, rows);
            std::string line = "CLS:" + RandomPrint(rng, model);
            model.Ok();
            Basic(line);
            ExpectScreen(model, line);
            if (HasFailure()) return;
        }
    }
}

// ------------------------------------------------------------ PRINT USING

// PRINT USING's field rules, restated: a format's fields and literal text,
// and what each item prints through its field.
struct UsingModel {
    std::string format, out;
    size_t pos = 0;

    char At(size_t i) const { return i < format.size() ? format[i] : '\0'; }
    bool FieldAt(size_t i) const {
        char c = At(i), next = At(i + 1);
        if (c == '!' || c == '&' || c == '#') return true;
        if (c == '\\') {
            size_t j = i + 1;
            while (At(j) == ' ')
                j++;
            return At(j) == '\\';
        }
        if (c == '.') return next == '#';
        if (c == '+') return std::string("#.$*").find(next) != std::string::npos && next;
        return (c == '$' || c == '*') && next == c;
    }
    // Prints the literal text up to the next field: false at the end.
    bool Literals() {
        while (pos < format.size()) {
            if (FieldAt(pos)) return true;
            if (format[pos] == '_' && pos + 1 < format.size()) pos++;
            out += format[pos++];
        }
        return false;
    }
    struct Field {
        bool string = false, plus = false, star = false, dollar = false, comma = false,
             point = false, exp = false;
        int width = 0, lead = 0, dec = 0;
        char trail = 0;
    };
    Field Parse() {
        Field f;
        char c = At(pos);
        if (c == '!' || c == '&' || c == '\\') {
            f.string = true;
            f.width = c == '!' ? 1 : 0;
            size_t end = pos;
            if (c == '\\')
                while (At(++end) != '\\') {
                }
            if (c == '\\') f.width = int(end - pos + 1);
            pos = end + 1;
            return f;
        }
        if (c == '+') f.plus = true, pos++;
        if (At(pos) == '*' && At(pos + 1) == '*') {
            f.star = true, f.lead = 2, pos += 2;
            if (At(pos) == '$') f.dollar = true, f.lead++, pos++;
        } else if (At(pos) == '$' && At(pos + 1) == '$') {
            f.dollar = true, f.lead = 2, pos += 2;
        }
        for (; At(pos) == '#' || At(pos) == ','; pos++)
            f.lead++, f.comma |= At(pos) == ',';
        if (At(pos) == '.')
            for (f.point = true, pos++; At(pos) == '#'; pos++)
                f.dec++;
        if (format.compare(pos, 4, "^^^^") == 0) f.exp = true, pos += 4;
        if (!f.plus && (At(pos) == '+' || At(pos) == '-')) f.trail = At(pos++);
        return f;
    }
    void String(const Field& f, const std::string& s) {
        std::string shown = f.width ? s.substr(0, f.width) : s;
        out += shown + std::string(f.width ? f.width - shown.size() : 0, ' ');
    }
    void Number(const Field& f, float x) {
        // The seven digits and the place of the first; zero has none before
        // the point.
        std::string d = "0000000";
        int p = -1;
        if (x != 0) {
            Digits digits = SevenDigits(x);
            d = digits.digits;
            p = digits.exponent;
        }
        auto round = [&](int keep) { // the first `keep` digits, half up
            if (keep >= 7) return;
            bool up = keep >= 0 && d[keep] >= '5';
            for (int i = std::max(keep, 0); i < 7; i++)
                d[i] = '0';
            int i = keep - 1;
            for (; up && i >= 0; i--)
                if (++d[i] > '9')
                    d[i] = '0';
                else
                    up = false;
            if (up) d[0] = '1', p++;
        };
        bool negative = x < 0;
        bool comma = f.comma && !f.exp;
        std::string sign = f.plus ? (negative ? "-" : "+") : (negative && !f.trail ? "-" : "");
        int top, at, exponent = 0; // first place printed; place of d[0]
        int whole;                 // characters before the point
        if (f.exp) {
            int k = std::max(0, f.lead - f.dollar - (!f.plus && !f.trail));
            round(k + f.dec);
            exponent = d[0] == '0' ? 0 : p - k + 1;
            top = at = k - 1;
            whole = k;
        } else {
            round(p + 1 + f.dec);
            top = at = p;
            whole = std::max(0, p + 1);
            if (comma && whole) whole += (whole - 1) / 3;
            if (p < 0) top = -1;
        }
        int room = f.lead + f.plus - whole - int(sign.size()) - f.dollar;
        // A 0 before the point where there is room; where there is none and
        // no place after the point either, the 0 all the same, after a %.
        if (top < 0 && !f.exp && (room > 0 || (room == 0 && f.dec == 0))) top = 0, room--;
        if (room < 0)
            out += "%";
        else
            out += std::string(room, f.star ? '*' : ' ');
        out += sign + (f.dollar ? "$" : "");
        for (int place = top; place >= -f.dec; place--) {
            if (place == -1 && f.point) out += '.';
            int i = at - place;
            out += i >= 0 && i < 7 ? d[i] : '0';
            if (comma && place > 0 && place % 3 == 0) out += ',';
        }
        if (f.point && f.dec == 0) out += '.';
        if (f.exp) {
            char e[16];
            std::snprintf(e, sizeof e, "E%c%02d", exponent < 0 ? '-' : '+', std::abs(exponent));
            out += e;
        }
        if (f.trail) out += negative ? '-' : f.trail == '+' ? '+' : ' ';
    }
};

// A format of literal text and fields of every kind, now and then an odd
// one, as a program would write it.
std::string RandomFormat(std::mt19937& rng) {
    auto pick = [&](const char* const* from, int n) { return std::string(from[rng() % n]); };
    static const char* kLiterals[] = {"", "", "X=", " ", "TOTAL ", "_#", "_!", " (", ") ", "%"};
    static const char* kStarts[] = {"", "", "", "+", "**", "$$", "**$", "+$$"};
    std::string format = pick(kLiterals, 10);
    for (int fields = 1 + int(rng() % 2); fields > 0; fields--) {
        if (rng() % 4 == 0) {
            static const char* kStrings[] = {"!", "&", "\\\\", "\\ \\", "\\    \\"};
            format += pick(kStrings, 5);
        } else {
            std::string field = pick(kStarts, 8);
            for (int n = int(rng() % 6); n > 0; n--)
                field += rng() % 5 == 0 && !field.empty() && field.back() == '#' ? "," : "#";
            if (rng() % 3) {
                field += ".";
                for (int n = int(rng() % 4); n > 0; n--)
                    field += "#";
            }
            if (field.empty() || std::string(".+$*,").find(field.back()) != std::string::npos)
                field += "#";
            if (rng() % 5 == 0) field += "^^^^";
            if (rng() % 4 == 0 && field[0] != '+') field += rng() % 2 ? "-" : "+";
            format += field;
        }
        format += pick(kLiterals, 10);
    }
    return format;
}

TEST(BasicModel, PrintUsingFollowsTheFieldRules) {
    BasicBoot();
    Basic("WIDTH 80");
    // Fixed cases first, each rule by itself; then random formats and
    // values against the model.
    const char* const kCases[][2] = {
        {"PRINT USING \"##.##\";3.14159", " 3.14"},
        {"PRINT USING \"###.##\";-3.14159;12.5", " -3.14 12.50"},
        {"PRINT USING \"#,###.##\";1234.5", "1,234.50"},
        {"PRINT USING \"**##.##\";1.5", "***1.50"},
        {"PRINT USING \"$$##.##\";12.34", " $12.34"},
        {"PRINT USING \"**$##.##\";12.34", "**$12.34"},
        {"PRINT USING \"+##.##\";5;-5", " +5.00 -5.00"},
        {"PRINT USING \"##.##-\";-5;5", " 5.00- 5.00"},
        {"PRINT USING \"##.##^^^^\";234.56", " 2.35E+02"},
        {"PRINT USING \"##\";123", "%123"},
        {"PRINT USING \"#\";-.4;.4;-1", "%-00%-1"},
        {"PRINT USING \".##\";.5;1.5", ".50%1.50"},
        {"PRINT USING \"##.#\";0;.04;-.06;9.96", " 0.0 0.0-0.110.0"},
        {"PRINT USING \"!\";\"HELLO\"", "H"},
        {"PRINT USING \"&!\";\"HELLO\";\"\"", "HELLO"},
        {"PRINT USING \"\\  \\|\";\"HELLO\";\"AB\"", "HELL|AB  |"},
        {"PRINT USING \"X=## Y=##\";1;2;3", "X= 1 Y= 2X= 3 Y="},
        {"PRINT USING \"_##_\";5", "#5_"},
        {"PRINT USING \"ABC\";1", "ABC|?Illegal function call"},
        {"PRINT USING \"##\";\"A\"", "?Type mismatch"},
        {"PRINT USING \"&\";1", "?Type mismatch"},
    };
    for (const auto& c : kCases) {
        std::string shown;
        for (const std::string& row : BasicOutput(c[0]))
            shown += (shown.empty() ? "" : "|") + row;
        EXPECT_EQ(shown, c[1]) << c[0];
    }
    std::mt19937 rng(1982);
    for (int i = 0; i < 150 && !HasFailure(); i++) {
        UsingModel model;
        model.format = RandomFormat(rng);
        std::string line = "PRINT USING \"" + model.format + "\"";
        bool newLine = true;
        for (int items = 1 + int(rng() % 3); items > 0; items--) {
            while (!model.Literals())
                model.pos = 0;
            UsingModel::Field field = model.Parse();
            if (field.string) {
                std::string s(rng() % 7, 'A');
                for (char& ch : s)
                    ch = char('A' + rng() % 26);
                line += ";\"" + s + "\"";
                model.String(field, s);
            } else {
                Constant c = RandomConstant(rng);
                line += ";" + c.text;
                model.Number(field, c.value);
            }
            model.Literals();
        }
        if (rng() % 4 == 0) line += ";", newLine = false;
        if (line.size() > 200) continue;
        Screen screen(80, ScreenRows());
        screen.Put(model.out);
        if (newLine) screen.NewLine();
        screen.Ok();
        Basic("CLS:" + line);
        ExpectScreen(screen, line);
    }
}

// ------------------------------------------------------------ control flow

// A program of flow statements, each one after a PRINT of a token of its
// own, so the screen tells which statements ran in which order.
enum Kind { Trace, Goto, Gosub, Return, For, Next, If, Else, On, Count, End, While, Wend };

struct Stmt {
    Kind kind = Trace;
    char token = 0;
    int target = -1;          // GOTO, GOSUB, THEN and ELSE (-1: a statement follows)
    std::vector<int> targets; // ON
    bool gosub = false;       // ON .. GOSUB
    std::vector<int> vars;    // FOR (one), NEXT (none or more); IF's and WHILE's variable
    Constant from, to, step;
    bool hasStep = false;
    int op = 0; // IF and WHILE: 1 <, 2 =, 4 >, or two of them
};

Stmt Make(Kind kind, char token = 0) {
    Stmt s;
    s.kind = kind;
    s.token = token;
    return s;
}

const char* kVarNames[] = {"I", "J", "K", "C"};

struct Program {
    std::vector<int> numbers;
    std::vector<std::vector<Stmt>> lines;
};

std::string StmtText(const Stmt& s) {
    auto n = [](int v) { return std::to_string(v); };
    switch (s.kind) {
    case Trace: return std::string("PRINT \"") + s.token + "\";";
    case Goto: return "GOTO " + n(s.target);
    case Gosub: return "GOSUB " + n(s.target);
    case Return: return "RETURN";
    case For:
        return std::string("FOR ") + kVarNames[s.vars[0]] + "=" + s.from.text + " TO " + s.to.text +
               (s.hasStep ? " STEP " + s.step.text : "");
    case Next: {
        std::string t = "NEXT";
        for (size_t i = 0; i < s.vars.size(); i++)
            t += std::string(i ? "," : " ") + kVarNames[s.vars[i]];
        return t;
    }
    case If:
    case While: {
        static const char* ops[] = {"", "<", "=", "<=", ">", "<>", ">="};
        std::string test = kVarNames[s.vars[0]] + std::string(ops[s.op]) + s.to.text;
        if (s.kind == While) return "WHILE " + test;
        return "IF " + test + " THEN" + (s.target >= 0 ? " " + n(s.target) : "");
    }
    case Wend: return "WEND";
    case Else: return "ELSE" + (s.target >= 0 ? " " + n(s.target) : std::string());
    case On: {
        std::string t = std::string("ON C ") + (s.gosub ? "GOSUB " : "GOTO ");
        for (size_t i = 0; i < s.targets.size(); i++)
            t += (i ? "," : "") + n(s.targets[i]);
        return t;
    }
    case Count: return "C=C+1";
    case End: return "END";
    }
    return "";
}

std::vector<std::string> ProgramText(const Program& p) {
    std::vector<std::string> text;
    for (size_t l = 0; l < p.lines.size(); l++) {
        std::string line = std::to_string(p.numbers[l]);
        for (size_t i = 0; i < p.lines[l].size(); i++) {
            const Stmt& s = p.lines[l][i];
            bool follows = i > 0 &&
                           (p.lines[l][i - 1].kind == If || p.lines[l][i - 1].kind == Else) &&
                           p.lines[l][i - 1].target < 0;
            line += (i == 0 || follows || s.kind == Else ? " " : ":") + StmtText(s);
        }
        text.push_back(line);
    }
    return text;
}

// What the program does, by the dialect's rules: the tokens printed, the
// error that ended it (empty if none) and the variables at the end; false
// if it runs too long or too deep to be worth comparing.
struct Outcome {
    std::string trace, error;
    float vars[4] = {};
};

bool Interpret(const Program& p, Outcome& out) {
    struct Frame {
        bool gosub;
        int var; // a FOR's, -1 for a GOSUB or a WHILE
        float limit, step;
        int line, stmt; // where the loop's body starts, RETURN goes on, or the WHILE is
    };
    std::vector<Frame> frames;
    int line = 0, stmt = 0, steps = 0;
    auto lineOf = [&](int number) {
        auto at = std::find(p.numbers.begin(), p.numbers.end(), number);
        return at == p.numbers.end() ? -1 : int(at - p.numbers.begin());
    };
    auto fail = [&](const char* message) {
        out.error = std::string("?") + message + " in " + std::to_string(p.numbers[line]);
        return true;
    };
    // The FOR frames a NEXT or FOR looks at: those above the newest GOSUB,
    // passing WHILE frames; with var -2, the newest WHILE frame.
    auto findFor = [&](int var) {
        for (int f = int(frames.size()) - 1; f >= 0 && !frames[f].gosub; f--)
            if (var == -2 ? frames[f].var < 0
                          : frames[f].var >= 0 && (var < 0 || frames[f].var == var))
                return f;
        return -1;
    };
    auto holds = [&](const Stmt& s) { // an IF's or a WHILE's relation
        float v = out.vars[s.vars[0]], c = s.to.value;
        return (s.op & (v < c ? 1 : v == c ? 2 : 4)) != 0;
    };
    auto jump = [&](int number) {
        int to = lineOf(number);
        if (to < 0) return false;
        line = to;
        stmt = 0;
        return true;
    };
    while (line < int(p.lines.size())) {
        if (stmt >= int(p.lines[line].size())) {
            line++;
            stmt = 0;
            continue;
        }
        if (++steps > 400 || frames.size() > 40) return false;
        const Stmt& s = p.lines[line][stmt];
        switch (s.kind) {
        case Trace:
            out.trace += s.token;
            stmt++;
            break;
        case Goto:
            if (!jump(s.target)) return fail("Undefined line number");
            break;
        case Gosub:
            frames.push_back({true, -1, 0, 0, line, stmt + 1});
            if (!jump(s.target)) return fail("Undefined line number");
            break;
        case Return: {
            int f = int(frames.size()) - 1;
            while (f >= 0 && !frames[f].gosub)
                f--;
            if (f < 0) return fail("RETURN without GOSUB");
            line = frames[f].line;
            stmt = frames[f].stmt;
            frames.resize(f);
            break;
        }
        case For: {
            int var = s.vars[0];
            out.vars[var] = s.from.value;
            int f = findFor(var);
            if (f >= 0) frames.resize(f);
            frames.push_back(
                {false, var, s.to.value, s.hasStep ? s.step.value : 1.0f, line, stmt + 1});
            stmt++;
            break;
        }
        case Next: {
            size_t which = 0;
            for (;;) {
                int f = findFor(s.vars.empty() ? -1 : s.vars[which]);
                if (f < 0) return fail("NEXT without FOR");
                frames.resize(f + 1);
                Frame& loop = frames[f];
                float v = out.vars[loop.var] + loop.step;
                out.vars[loop.var] = v;
                if (loop.step >= 0 ? v <= loop.limit : v >= loop.limit) {
                    line = loop.line;
                    stmt = loop.stmt;
                    break;
                }
                frames.pop_back();
                if (++which >= s.vars.size()) {
                    stmt++;
                    break;
                }
            }
            break;
        }
        case If: {
            if (holds(s)) {
                if (s.target >= 0) {
                    if (!jump(s.target)) return fail("Undefined line number");
                } else {
                    stmt++;
                }
                break;
            }
            int e = stmt + 1;
            while (e < int(p.lines[line].size()) && p.lines[line][e].kind != Else)
                e++;
            if (e == int(p.lines[line].size())) {
                line++;
                stmt = 0;
            } else if (p.lines[line][e].target >= 0) {
                if (!jump(p.lines[line][e].target)) return fail("Undefined line number");
            } else {
                stmt = e + 1;
            }
            break;
        }
        case Else: // reached from THEN's side: the rest of the line is ELSE's
            line++;
            stmt = 0;
            break;
        case On: {
            int v = int(out.vars[3]);
            if (v > 255) return fail("Illegal function call");
            if (v >= 1 && v <= int(s.targets.size())) {
                if (s.gosub) frames.push_back({true, -1, 0, 0, line, stmt + 1});
                if (!jump(s.targets[v - 1])) return fail("Undefined line number");
            } else {
                stmt++;
            }
            break;
        }
        case Count:
            out.vars[3] += 1;
            stmt++;
            break;
        case End: return true;
        case While: {
            // Its WEND, counting those of the WHILEs between, must be there.
            int wl = line, ws = stmt, open = 0;
            for (;;) {
                if (++ws >= int(p.lines[wl].size())) {
                    if (++wl == int(p.lines.size())) return fail("WHILE without WEND");
                    ws = -1;
                    continue;
                }
                Kind k = p.lines[wl][ws].kind;
                if (k == While) open++;
                if (k == Wend && open-- == 0) break;
            }
            for (int f = int(frames.size()) - 1; f >= 0 && !frames[f].gosub; f--)
                if (frames[f].var < 0 && frames[f].line == line && frames[f].stmt == stmt) {
                    frames.resize(f);
                    break;
                }
            if (holds(s)) {
                frames.push_back({false, -1, 0, 0, line, stmt});
                stmt++;
            } else {
                line = wl;
                stmt = ws + 1;
            }
            break;
        }
        case Wend: {
            int f = findFor(-2);
            if (f < 0) return fail("WEND without WHILE");
            line = frames[f].line;
            stmt = frames[f].stmt;
            frames.resize(f);
            break;
        }
        }
    }
    return true;
}

// A program as a reader would write one: a main part whose FOR and WHILE
// loops close and whose jumps mostly go forward (into loops' bodies, out of
// them, over lines), subroutines from line 100 on that may loop, call later
// ones or return from inside a loop, and now and then a fault: a stray
// NEXT, WEND or RETURN, a line that does not exist, a main part that runs
// into the subroutines.
Program RandomProgram(std::mt19937& rng) {
    Program p;
    int mainLines = 3 + int(rng() % 6), subs = 1 + int(rng() % 3);
    for (int l = 0; l < mainLines; l++)
        p.numbers.push_back(10 * (l + 1));
    for (int l = 0; l < subs; l++)
        p.numbers.push_back(100 + 10 * l);
    auto chance = [&](int in) { return rng() % in == 0; };
    auto missing = [&](int number) { return chance(40) ? number + 5 : number; };
    auto later = [&](int l) { // a main line after l; rarely the first subroutine
        int to = chance(20) ? mainLines : l + 1 + int(rng() % (mainLines - 1 - l));
        return missing(p.numbers[to]);
    };
    auto sub = [&](int from) {
        return missing(p.numbers[mainLines + from + int(rng() % (subs - from))]);
    };
    auto constant = [&](const char* const* texts, int n) {
        std::string t = texts[rng() % n];
        return Constant{t, std::strtof(t.c_str(), nullptr)};
    };
    static const char* kStarts[] = {"1", "0", "-2", "3", ".5", "2.5", "-1"};
    static const char* kLimits[] = {"3", "1", "-3", "2.5", "0", "4", "1.3"};
    static const char* kSteps[] = {"1", "-1", "2", "-.5", ".5", ".25", "-.3", "1.5", "-2"};
    char token = 'A';
    auto trace = [&] {
        Stmt t = Make(Trace, token);
        // No 'O' before 'k': a trace never shows the prompt's "Ok".
        token = token == 'N' ? 'P' : token == 'Z' ? 'a' : token == 'z' ? '0' : char(token + 1);
        return t;
    };
    auto loop = [&](int var) {
        Stmt s = Make(For);
        s.vars = {var};
        s.from = constant(kStarts, 7);
        s.to = constant(kLimits, 7);
        s.hasStep = !chance(3);
        s.step = constant(kSteps, 9);
        return s;
    };
    // WHILE C<n or C<=n, with C=C+1 in its body; -1 among the loops open.
    auto whileLoop = [&](std::vector<Stmt>& line) {
        Stmt s = Make(While);
        s.vars = {3};
        s.op = chance(2) ? 1 : 3;
        s.to = constant(kLimits, 7);
        line.push_back(s);
        line.push_back(trace());
        line.push_back(Make(Count));
    };
    auto next = [&](std::vector<int>& open) {
        if (open.back() < 0) {
            open.pop_back();
            return Make(Wend);
        }
        Stmt s = Make(Next);
        int close = open.size() > 1 && open[open.size() - 2] >= 0 && chance(3) ? 2 : 1;
        bool named = !chance(3) || close == 2;
        for (int i = 0; i < close; i++) {
            if (named) s.vars.push_back(open.back());
            open.pop_back();
        }
        return s;
    };
    std::vector<int> open; // the main part's loops not yet closed
    for (int l = 0; l + 1 < mainLines; l++) {
        std::vector<Stmt> line;
        bool hasIf = false;
        for (int i = 1 + int(rng() % 3); i > 0; i--) {
            line.push_back(trace());
            Stmt s;
            switch (rng() % 10) {
            case 0: s = Make(Count); break;
            case 1:
                s = Make(Gosub);
                s.target = sub(0);
                break;
            case 2:
                if (open.size() < 3 && chance(2)) {
                    open.push_back(-1);
                    whileLoop(line);
                    continue;
                }
                [[fallthrough]];
            case 3:
                if (open.size() < 3) {
                    int var = int(rng() % 3);
                    if (std::find(open.begin(), open.end(), var) == open.end()) open.push_back(var);
                    s = loop(var);
                } else {
                    s = next(open);
                }
                break;
            case 4: s = open.empty() ? Make(Count) : next(open); break;
            case 5:
                s = Make(On);
                s.gosub = chance(2);
                for (int n = 1 + int(rng() % 3); n > 0; n--)
                    s.targets.push_back(s.gosub ? sub(0) : later(l));
                break;
            case 6:
                if (!hasIf) {
                    hasIf = true;
                    s = Make(If);
                    s.vars = {int(rng() % 4)};
                    s.op = 1 + int(rng() % 6);
                    s.to = constant(kLimits, 7);
                    s.target = chance(2) ? later(l) : -1;
                    break;
                }
                [[fallthrough]];
            case 7:
                if (hasIf && chance(2)) {
                    s = Make(Else);
                    s.target = chance(2) ? later(l) : -1;
                    break;
                }
                [[fallthrough]];
            case 8:
                s = Make(Goto); // forward, now and then back
                s.target = chance(8) ? p.numbers[rng() % (l + 1)] : later(l);
                break;
            default:
                s = chance(10) ? Make(chance(3) ? Wend : chance(2) ? Next : Return) : Make(Count);
            }
            line.push_back(s);
            // THEN or ELSE without a line number: a statement follows.
            if ((s.kind == If || s.kind == Else) && s.target < 0) line.push_back(trace());
        }
        p.lines.push_back(line);
    }
    std::vector<Stmt> last; // closes the loops and ends, mostly
    while (!open.empty() && !chance(6)) {
        last.push_back(trace());
        last.push_back(next(open));
    }
    last.push_back(trace());
    if (!chance(6)) last.push_back(Make(End));
    p.lines.push_back(last);
    for (int l = 0; l < subs; l++) {
        std::vector<Stmt> line = {trace()};
        switch (rng() % 4) {
        case 0: { // a loop, maybe left by RETURN
            if (chance(2)) {
                whileLoop(line);
                if (chance(3)) line.push_back(Make(Return));
                line.push_back(Make(Wend));
                break;
            }
            line.push_back(loop(int(rng() % 3)));
            line.push_back(trace());
            if (chance(3)) line.push_back(Make(Return));
            std::vector<int> inner = {line.back().vars.empty() ? line[1].vars[0] : 0};
            line.push_back(next(inner));
            break;
        }
        case 1:
            if (l + 1 < subs) {
                Stmt s = Make(Gosub);
                s.target = sub(l + 1);
                line.push_back(s);
            }
            break;
        case 2: line.push_back(Make(Count)); break;
        default: break;
        }
        line.push_back(trace());
        line.push_back(Make(Return));
        p.lines.push_back(line);
    }
    return p;
}

TEST(BasicModel, ControlFlowFollowsTheDialectsRules) {
    BasicBoot();
    Basic("WIDTH 80");
    std::mt19937 rng(1980);
    int run = 0, errors = 0;
    while (run < 120) {
        Program p = RandomProgram(rng);
        Outcome expected;
        if (!Interpret(p, expected)) continue;
        run++;
        errors += !expected.error.empty();
        Basic("NEW");
        std::vector<std::string> text = ProgramText(p);
        Enter(text);
        std::string listing;
        for (const std::string& line : text)
            listing += line + "\n";
        Screen model(80, ScreenRows());
        model.Put(expected.trace);
        if (!expected.error.empty()) {
            if (model.x) model.NewLine();
            model.Put(expected.error);
        }
        model.Ok();
        Basic("CLS:RUN", 5000);
        ExpectScreen(model, listing);
        std::string values;
        for (float v : expected.vars)
            values += NumberText(v) + " ";
        values.erase(values.find_last_not_of(' ') + 1);
        EXPECT_EQ(BasicOutput("PRINT I;J;K;C"), std::vector<std::string>{values}) << listing;
        if (HasFailure()) return;
    }
    EXPECT_GT(errors, 5); // the error paths were taken too
}

// ------------------------------------------------------------ error trapping

// A program of main lines whose statements may err, a subroutine that may,
// and an error handler at 900 that RESUMEs in one of the dialect's ways
// or does not, interpreted by the dialect's rules beside the machine.
struct TrapProgram {
    // The kinds of each main line's statements: T PRINT a letter, C C=C+1,
    // Z X=X+1/D (errs while D is 0), E ERROR 200, G GOSUB 800, O ON ERROR
    // GOTO 0.
    std::vector<std::string> lines;
    bool trapping = true;
    int action = 0; // the handler: 0 RESUME NEXT, 1 D=1:RESUME, 2 RESUME 20,
                    // 3 ERROR 5, 4 nothing, 5 ON ERROR GOTO 0, 6 D=1:RESUME 0,
                    // 7 RESUME to no line, 8 an error of its own

    std::vector<std::string> Text() const {
        std::vector<std::string> text;
        if (trapping) text.push_back("10 ON ERROR GOTO 900");
        char token = 'a';
        for (size_t l = 0; l < lines.size(); l++) {
            std::string line = std::to_string(20 + 10 * l) + " ";
            for (size_t i = 0; i < lines[l].size(); i++) {
                static const std::map<char, std::string> kText = {{'C', "C=C+1"},
                                                                  {'Z', "X=X+1/D"},
                                                                  {'E', "ERROR 200"},
                                                                  {'G', "GOSUB 800"},
                                                                  {'O', "ON ERROR GOTO 0"}};
                line +=
                    (i ? ":" : "") + (lines[l][i] == 'T' ? std::string("PRINT \"") + token++ + "\";"
                                                         : kText.at(lines[l][i]));
            }
            text.push_back(line);
        }
        static const char* const kActions[] = {
            "910 RESUME NEXT",     "910 D=1:RESUME",   "910 RESUME 20",  "910 ERROR 5", "",
            "910 ON ERROR GOTO 0", "910 D=1:RESUME 0", "910 RESUME 999", "910 X=X+1/D"};
        text.insert(text.end(), {"790 END", "800 PRINT \"s\";:X=X+1/D:RETURN",
                                 "900 PRINT \"<\";ERR;ERL;\">\";"});
        if (action != 4) text.push_back(kActions[action]);
        return text;
    }

    // What the program prints, and C, D and X at its end; false if it
    // runs too long to be worth comparing.
    bool Run(std::string& out, float vars[3]) const {
        struct Place {
            int line, stmt; // line -1: the subroutine
        };
        std::vector<Place> gosubs;
        Place at{0, 0};
        bool on = trapping;
        float c = 0, d = 0, x = 0;
        std::map<std::pair<int, int>, char> tokens;
        char token = 'a';
        for (int l = 0; l < int(lines.size()); l++)
            for (int i = 0; i < int(lines[l].size()); i++)
                if (lines[l][i] == 'T') tokens[{l, i}] = token++;
        auto stop = [&](int code, int line) {
            static const std::map<int, std::string> kMessages = {{5, "Illegal function call"},
                                                                 {8, "Undefined line number"},
                                                                 {11, "Division by zero"},
                                                                 {19, "No RESUME"},
                                                                 {200, "Unprintable error"}};
            if (!out.empty() && out.back() != '\n') out += "\n";
            out += "?" + kMessages.at(code) + " in " + std::to_string(line);
        };
        // An error at `at`: true if the program goes on.
        auto fail = [&](int code) {
            int line = at.line < 0 ? 800 : 20 + 10 * at.line;
            if (!on) return stop(code, line), false;
            out += "<" + NumberText(float(code)) + " " + NumberText(float(line)) + " >";
            switch (action) {
            case 0: at.stmt++; return true;
            case 1:
            case 6: d = 1; return true;
            case 2: at = {0, 0}; return true;
            case 3: return stop(5, 910), false;
            case 4: return stop(19, 900), false;
            case 5: return stop(code, line), false;
            case 7: return stop(8, 910), false;
            default: return stop(11, 910), false; // D is 0 in every handler run
            }
        };
        for (int steps = 0; steps < 300; steps++) {
            vars[0] = c, vars[1] = d, vars[2] = x;
            if (at.line >= int(lines.size())) return true; // 790 END
            if (at.line >= 0 && at.stmt >= int(lines[at.line].size())) {
                at = {at.line + 1, 0};
                continue;
            }
            char kind = at.line < 0 ? "PZR"[at.stmt] : lines[at.line][at.stmt];
            switch (kind) {
            case 'P': out += "s", at.stmt++; break;
            case 'R':
                at = gosubs.back();
                gosubs.pop_back();
                break;
            case 'T': out += tokens[{at.line, at.stmt}], at.stmt++; break;
            case 'C': c++, at.stmt++; break;
            case 'Z':
                if (d != 0)
                    x += 1 / d, at.stmt++;
                else if (!fail(11))
                    return true;
                break;
            case 'E':
                if (!fail(200)) return true;
                break;
            case 'G':
                if (gosubs.size() > 20) return false;
                gosubs.push_back({at.line, at.stmt + 1});
                at = {-1, 0};
                break;
            default: on = false, at.stmt++;
            }
        }
        return false;
    }
};

using Rows = std::vector<std::string>;

TEST(BasicModel, ErrorsTrappedAsTheDialectDoes) {
    BasicBoot();
    Basic("WIDTH 80");
    std::mt19937 rng(1986);
    int compared = 0, stopped = 0;
    while (compared < 60 && !HasFailure()) {
        TrapProgram p;
        p.trapping = rng() % 8 != 0;
        p.action = int(rng() % 9);
        for (int l = 3 + int(rng() % 4); l > 0; l--) {
            std::string line;
            for (int n = 1 + int(rng() % 3); n > 0; n--)
                line += "TTTCCZZEGO"[rng() % (rng() % 6 ? 9 : 10)];
            p.lines.push_back(line);
        }
        std::string expected;
        float vars[3] = {};
        if (!p.Run(expected, vars)) continue;
        compared++;
        stopped += expected.find('?') != std::string::npos;
        Basic("NEW");
        std::vector<std::string> text = p.Text();
        Enter(text);
        std::string listing;
        for (const std::string& line : text)
            listing += line + "\n";
        Screen screen(80, ScreenRows());
        screen.Put(expected.substr(0, expected.find('\n')));
        if (expected.find('\n') != std::string::npos) {
            screen.NewLine();
            screen.Put(expected.substr(expected.find('\n') + 1));
        }
        screen.Ok();
        Basic("CLS:RUN", 5000);
        for (int r = 0; r < screen.rows; r++)
            ASSERT_EQ(ScreenRow(r), screen.text[r]) << "row " << r << "\n" << listing;
        // Trapped or not, the variables are as the program left them.
        EXPECT_EQ(BasicOutput("PRINT C;D;X"),
                  Rows{NumberText(vars[0]) + " " + NumberText(vars[1]) + " " + NumberText(vars[2])})
            << listing;
    }
    EXPECT_GT(stopped, 10);
    EXPECT_LT(stopped, 50);
    // RESUME outside a handler, ERROR with no message, ERL beyond 32767.
    EXPECT_EQ(BasicOutput("RESUME"), Rows{"?RESUME without error"});
    EXPECT_EQ(BasicOutput("ERROR 200"), Rows{"?Unprintable error"});
    EXPECT_EQ(BasicOutput("ERROR 0"), Rows{"?Illegal function call"});
    Basic("NEW");
    Enter({"10 ON ERROR GOTO 40000", "20 ERROR 23", "30 END", "40000 PRINT ERR;ERL:RESUME NEXT"});
    EXPECT_EQ(BasicOutput("RUN"), Rows{" 23  20"});
    Enter({"20 GOTO 50000", "50000 X=1/0"});
    EXPECT_EQ(BasicOutput("RUN"), Rows{" 11  50000"});
    // RENUM follows ON ERROR GOTO, RESUME and ERL with a relation, but not
    // the 0 of ON ERROR GOTO 0 and RESUME 0, which names no line even when
    // there is a line 0.
    Basic("NEW");
    Enter({"0 REM ZERO", "10 ON ERROR GOTO 30:ON ERROR GOTO 0",
           "20 IF ERL=30 THEN RESUME 30 ELSE IF ERL <> 0 THEN RESUME 0",
           "30 RESUME NEXT:ERROR 30:GOTO 0"});
    Basic("RENUM 100");
    EXPECT_EQ(BasicOutput("LIST"),
              (Rows{"100 REM ZERO", "110 ON ERROR GOTO 130:ON ERROR GOTO 0",
                    "120 IF ERL=130 THEN RESUME 130 ELSE IF ERL <> 100 THEN RESUME 0",
                    "130 RESUME NEXT:ERROR 30:GOTO 100"}));
}

// ------------------------------------------------------------ strings

// String expressions over the live strings, evaluated as the dialect does,
// each with its text: joins, LEFT$, RIGHT$, MID$, STRING$, CHR$ and
// constants, nested so that temporaries are alive while space is found.
struct StringModel {
    std::mt19937 rng{1023};
    std::map<std::string, std::string> live; // "A$" or "S$(3)" -> value

    std::string Name(int which) {
        return which < 5 ? std::string(1, char('A' + which)) + "$"
                         : "S$(" + std::to_string(which - 5) + ")";
    }
    std::string Expression(int depth, std::string& value) {
        switch (rng() % (depth ? 7 : 3)) {
        case 0: {
            value.assign(rng() % 9, ' ');
            for (char& c : value)
                c = char('A' + rng() % 26);
            return "\"" + value + "\"";
        }
        case 1: {
            std::string name = Name(int(rng() % 11));
            value = live[name];
            return name;
        }
        case 2: {
            int n = int(rng() % 30), c = 65 + int(rng() % 26);
            value.assign(n, char(c));
            return "STRING$(" + std::to_string(n) + "," + std::to_string(c) + ")";
        }
        case 3: {
            std::string a, b;
            std::string text = Expression(depth - 1, a) + "+" + Expression(depth - 1, b);
            value = a + b;
            return text;
        }
        case 4: {
            std::string a;
            std::string text = Expression(depth - 1, a);
            size_t n = rng() % 12;
            value = a.substr(0, n);
            return "LEFT$(" + text + "," + std::to_string(n) + ")";
        }
        case 5: {
            std::string a;
            std::string text = Expression(depth - 1, a);
            size_t n = rng() % 12;
            value = a.substr(a.size() - std::min(n, a.size()));
            return "RIGHT$(" + text + "," + std::to_string(n) + ")";
        }
        default: {
            std::string a;
            std::string text = Expression(depth - 1, a);
            size_t p = 1 + rng() % 10, n = rng() % 12;
            value = p > a.size() ? "" : a.substr(p - 1, n);
            return "MID$(" + text + "," + std::to_string(p) + "," + std::to_string(n) + ")";
        }
        }
    }
};

// Every live string, as the variables' and the array's descriptors give
// it, equals the model's, and the texts lie apart in the string space.
void ExpectStrings(const StringModel& model, const std::string& after) {
    std::map<std::string, std::pair<int, int>> found; // name -> length, text
    int vartab = PeekWord(RomSymbol("VARTAB")), arytab = PeekWord(RomSymbol("ARYTAB"));
    for (int v = vartab; v < arytab; v += 6)
        if (Peek(v + 1) & 0x80 && !(Peek(v) & 0x80))
            found[std::string(1, char(Peek(v))) + "$"] = {Peek(v + 2), PeekWord(v + 3)};
    int strend = PeekWord(RomSymbol("STREND"));
    for (int a = arytab; a < strend; a += 4 + PeekWord(a + 2))
        if (Peek(a) == 0x80 && Peek(a + 1) == 'S')
            for (int i = 0, e = a + 7; i < PeekWord(a + 5); i++, e += 4)
                found["S$(" + std::to_string(i) + ")"] = {Peek(e), PeekWord(e + 1)};
    int fretop = PeekWord(RomSymbol("FRETOP")), memsiz = RomSymbol("MEMSIZ");
    std::vector<std::pair<int, int>> spans;
    for (const auto& [name, value] : model.live) {
        auto [length, text] = found[name];
        std::string shown;
        for (int i = 0; i < length; i++)
            shown += char(Peek(text + i));
        ASSERT_EQ(shown, value) << name << " after " << after;
        if (!length) continue;
        ASSERT_TRUE(text >= fretop && text + length <= memsiz) << name << " after " << after;
        spans.push_back({text, text + length});
    }
    std::sort(spans.begin(), spans.end());
    for (size_t i = 1; i < spans.size(); i++)
        ASSERT_LE(spans[i - 1].second, spans[i].first) << "two strings share bytes after " << after;
}

TEST(BasicModel, CollectorKeepsEveryLiveString) {
    BasicBoot();
    StringModel model;
    // All the strings exist first; an array takes all but 260 bytes, which
    // the live strings nearly fill, so the collector runs every few
    // statements and finds little to free: a string it loses track of is
    // soon written over. A statement that finds no room changes nothing.
    Basic("A$=\"\":B$=A$:C$=A$:D$=A$:E$=A$:DIM S$(5)");
    for (int i = 0; i < 11; i++)
        model.live[model.Name(i)] = "";
    Basic("DIM X((FRE(0)-260)/4)");
    int collections = 0, full = 0;
    for (int step = 0; step < 600; step++) {
        std::string value, statement;
        int target = int(model.rng() % 11);
        while (statement.empty() || value.size() < 8 || value.size() > 30 || statement.size() > 200)
            statement = model.Name(target) + "=" + model.Expression(3, value);
        int fretop = PeekWord(RomSymbol("FRETOP"));
        std::vector<std::string> shown = BasicOutput(statement);
        collections += PeekWord(RomSymbol("FRETOP")) > fretop;
        if (shown == std::vector<std::string>{"?Out of string space"})
            full++;
        else
            model.live[model.Name(target)] = value;
        ExpectStrings(model, statement);
        if (HasFailure()) return;
    }
    EXPECT_GT(collections, 25); // seen as space given back over a statement
    EXPECT_LT(full, 100);
    std::printf("%d statements found the string space full\n", full);
}

} // namespace
