// BASIC's program store against a model: long seeded sequences of edits
// typed at the machine (new and replaced lines, deletions, DELETE ranges,
// RENUM, EDIT, NEW, LOAD, a text saved and loaded or merged back, MERGE,
// with memory nearly full too), and texts saved and loaded back at every
// size up to a full memory; after every step the listing, FRE(0) and the
// stored bytes compared with what the model holds. A failure names the
// seed and the step; Z80HOME_STORE_SEEDS and Z80HOME_STORE_STEPS run more
// sequences (seeds 1 to N) and longer ones.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <random>
#include <set>

#include "core/z80home.h"
#include "tests/machine/machine_support.h"

namespace {

constexpr int kFreeAtStart = 32766;
constexpr int kKeptFree = 256;   // a line is stored only while more stays free
constexpr int kLineBuffer = 255; // the input line's characters
constexpr int kTextBuffer = 256; // a stored text with its 0
constexpr int kHighestLine = 65529;
constexpr int kListRows = 22; // rows a page of LIST may fill below FRE(0)

// A piece of a line: a keyword, literal text, or a line number that RENUM
// follows (after GOTO, GOSUB, THEN, ELSE, RESTORE, RUN and in ON's lists).
struct Piece {
    enum Kind { kText, kWord, kRef } kind;
    std::string text;  // as listed
    std::string typed; // as typed, where it differs (? for PRINT)
};
using Line = std::vector<Piece>;

Piece Text(const std::string& text) {
    return {Piece::kText, text, text};
}
Piece Word(const std::string& word) {
    return {Piece::kWord, word, word};
}
Piece Ref(int number) {
    return {Piece::kRef, std::to_string(number), std::to_string(number)};
}
Piece Space() {
    return Text(" ");
}

// The keyword tokens, read from the ROM's table: each keyword's last
// character has bit 7 set, and its token is 80H and its place.
std::map<std::string, uint8_t> Tokens(void) {
    std::map<std::string, uint8_t> tokens;
    int at = RomSymbol("KEYWORDS");
    std::string word;
    for (int token = 0x80; Peek(at) != 0; at++) {
        word += static_cast<char>(Peek(at) & 0x7F);
        if (Peek(at) & 0x80) {
            tokens[word] = static_cast<uint8_t>(token++);
            word.clear();
        }
    }
    return tokens;
}

// What LIST sets a keyword apart from: a keyword, a letter, a digit, or
// one of " $ % & ) .
bool RunsIntoAWord(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) ||
           std::string("\"$%&).").find(c) != std::string::npos;
}

bool SpaceAfter(const Piece& word) {
    return word.text != "REM" && word.text != "'" && word.text != "FN" && word.text != "TAB(" &&
           word.text != "SPC(";
}

// The line as stored once its listing is typed in again: a space wherever
// LIST puts one between a keyword and what it touches.
Line Normalised(const Line& line) {
    Line out;
    for (size_t i = 0; i < line.size(); i++) {
        const Piece& piece = line[i];
        bool word = piece.kind == Piece::kWord;
        if (word && !out.empty()) {
            const Piece& last = out.back();
            if (last.kind == Piece::kWord || RunsIntoAWord(last.text.back()))
                out.push_back(Space());
        }
        out.push_back({piece.kind, piece.text, piece.text});
        if (word && SpaceAfter(piece) && i + 1 < line.size()) {
            const Piece& next = line[i + 1];
            if (next.kind == Piece::kWord || RunsIntoAWord(next.text[0])) out.push_back(Space());
        }
    }
    return out;
}

std::string Listed(const Line& line) {
    std::string text;
    for (const Piece& piece : Normalised(line))
        text += piece.text;
    return text;
}

std::string Typed(const Line& line) {
    std::string text;
    for (const Piece& piece : line)
        text += piece.typed;
    return text;
}

// The stored text: a keyword is its token (ELSE a ':' before it).
std::vector<uint8_t> Stored(const Line& line, const std::map<std::string, uint8_t>& tokens) {
    std::vector<uint8_t> bytes;
    for (const Piece& piece : line) {
        if (piece.kind != Piece::kWord) {
            bytes.insert(bytes.end(), piece.text.begin(), piece.text.end());
            continue;
        }
        if (piece.text == "ELSE") bytes.push_back(':');
        bytes.push_back(tokens.at(piece.text));
    }
    return bytes;
}

// Bytes the line takes in the store: link, number, text and its 0.
int Size(const Line& line) {
    int size = 5;
    for (const Piece& piece : line)
        size += piece.kind == Piece::kWord ? (piece.text == "ELSE" ? 2 : 1)
                                           : static_cast<int>(piece.text.size());
    return size;
}

struct Model {
    std::map<int, Line> lines;
    std::set<int> filler; // the long remarks that fill memory

    int Free() const {
        int free = kFreeAtStart;
        for (const auto& [number, line] : lines)
            free -= Size(line);
        return free;
    }
    // Whether memory holds line `number` as `line` in place of the old one.
    bool Fits(int number, const Line& line) const {
        auto old = lines.find(number);
        return Free() + (old == lines.end() ? 0 : Size(old->second)) - Size(line) > kKeptFree;
    }
};

const char* const kErrors[] = {"?Syntax error", "?Illegal function call", "?Out of memory",
                               "?Undefined line number", "?Line buffer overflow"};

// Runs the machine until it waits for a key, then checks what the last
// command said: `error`, or none.
void ExpectOutcome(const std::string& error, const std::string& what) {
    // (A text merged into a nearly full memory moves the program for each
    // of its lines, as typing them would: minutes of the machine's time.)
    ASSERT_TRUE(RunUntilIdle(20000)) << what << ": the machine does not come back";
    int row = CursorRow();
    std::string said = row >= 2 ? ScreenRow(row - 2) : "";
    if (!error.empty()) {
        ASSERT_EQ(said.substr(0, error.size()), error) << what;
        ASSERT_EQ(ScreenRow(row - 1).substr(0, 3), "Ok ") << what;
        return;
    }
    for (const char* known : kErrors)
        ASSERT_NE(said.rfind(known, 0), 0u) << what;
}

class Sequence {
  public:
    explicit Sequence(uint32_t seed) : random_(seed), tokens_(Tokens()) {}

    int Below(int n) { return static_cast<int>(random_() % static_cast<uint32_t>(n)); }
    bool Chance(int percent) { return Below(100) < percent; }

    // A program of a few lines and long remarks, at sizes up to a full
    // memory, saved as text and loaded back, and at every other size merged
    // into itself.
    void RoundTripsAtEverySize(int sizes) {
        for (step_ = 1; step_ <= sizes && !::testing::Test::HasFatalFailure(); step_++) {
            model_.lines.clear();
            model_.filler.clear();
            for (int n = Below(8); n > 0; n--)
                model_.lines[10 * n] = MakeLine(1 + Below(Chance(20) ? 30 : 4));
            FillTo(std::max(257, kFreeAtStart - step_ * kFreeAtStart / sizes) + Below(80));
            LoadModel();
            TextRoundTrip(false);
            if (!::testing::Test::HasFatalFailure()) Check(false);
            if (step_ % 2) continue; // (each line merged moves the program)
            TextRoundTrip(true);
            if (!::testing::Test::HasFatalFailure()) Check(false);
        }
    }

    // Runs `steps` random edits, checking the machine after each.
    void Run(int steps) {
        for (step_ = 0; step_ < steps && !::testing::Test::HasFatalFailure(); step_++) {
            int kind = Below(100);
            if (step_ == steps / 2)
                Fill();
            else if (kind < 40)
                EnterLine();
            else if (kind < 47)
                DeleteByNumber();
            else if (kind < 62)
                DeleteRange();
            else if (kind < 77)
                Renumber();
            else if (kind < 94)
                Edit();
            else if (kind < 96)
                TextRoundTrip(Chance(30));
            else if (kind < 98)
                MergeText();
            else
                New();
            if (!::testing::Test::HasFatalFailure()) Check(step_ == steps - 1);
        }
    }

  private:
    std::mt19937 random_;
    std::map<std::string, uint8_t> tokens_;
    Model model_;
    int step_ = 0;
    std::string last_;

    std::string Where() const { return "step " + std::to_string(step_) + ": " + last_; }

    // Types a command or line and checks what it said.
    void Type(const std::string& line, const std::string& error) {
        last_ = line;
        TypeLine(line);
        ExpectOutcome(error, Where());
    }

    // A line number: mostly one in use or near one, at times any.
    int Number() {
        if (!model_.lines.empty() && Chance(60)) {
            auto it = model_.lines.begin();
            std::advance(it, Below(static_cast<int>(model_.lines.size())));
            return std::max(0,
                            std::min(kHighestLine, it->first + (Chance(50) ? 0 : Below(21) - 10)));
        }
        return Chance(3) ? kHighestLine - Below(2) : Below(50) * 10 + (Chance(20) ? Below(10) : 0);
    }
    // A jump target: a line there is, one there is not, or beyond the highest.
    int Target() {
        if (Chance(4)) return 65530 + Below(6);
        return Number();
    }
    // A target after ON ERROR GOTO or RESUME, where 0 is no line.
    Piece NonZeroRef() {
        int target = Target();
        return target ? Ref(target) : Text("0");
    }

    Piece Variable() {
        static const char* const kNames[] = {"Q", "Z", "K", "J", "Y"};
        return Text(kNames[Below(5)]);
    }
    std::string Literal() {
        static const char* const kTexts[] = {"hi there", "GOTO 10",  "a:b", "10 ELSE 20",
                                             "",         "print me", "X'Y"};
        return "\"" + std::string(kTexts[Below(7)]) + "\"";
    }

    void Statement(Line& line) {
        switch (Below(21)) {
        case 0:
            line.insert(line.end(),
                        {Word("PRINT"), Space(), Variable(), Text(";"), Text(Literal())});
            if (Chance(50)) line[line.size() - 5].typed = "?";
            break;
        case 1:
            line.insert(line.end(), {Word("PRINT"), Space(), Word("SIN"), Text("(1)+"), Word("LEN"),
                                     Text("(\"AB\")")});
            break;
        case 2: line.insert(line.end(), {Word("GOTO"), Space(), Ref(Target())}); break;
        case 3: line.insert(line.end(), {Word("GOSUB"), Space(), Ref(Target())}); break;
        case 4:
            line.insert(line.end(), {Word("IF"), Space(), Variable(), Text("=1"), Space(),
                                     Word("THEN"), Space(), Ref(Target())});
            if (Chance(60))
                line.insert(line.end(), {Space(), Word("ELSE"), Space(), Ref(Target())});
            break;
        case 5:
            line.insert(line.end(), {Word("IF"), Space(), Variable(), Space(), Word("THEN"),
                                     Space(), Word("PRINT"), Space(), Text("1")});
            break;
        case 6:
            line.insert(line.end(), {Word("IF"), Space(), Variable(), Space(), Word("GOTO"),
                                     Space(), Ref(Target())});
            break;
        case 7:
        case 8: {
            line.insert(line.end(), {Word("ON"), Space(), Variable(), Space(),
                                     Word(Chance(50) ? "GOTO" : "GOSUB"), Space(), Ref(Target())});
            for (int n = Chance(30) ? 40 + Below(40) : Below(12); n > 0; n--)
                line.insert(line.end(), {Text(","), Ref(Target())});
            break;
        }
        case 9: line.insert(line.end(), {Word("RESTORE"), Space(), Ref(Target())}); break;
        case 10: line.insert(line.end(), {Word("RUN"), Space(), Ref(Target())}); break;
        case 11:
            line.insert(line.end(), {Word("FOR"), Space(), Variable(), Text("=1"), Space(),
                                     Word("TO"), Space(), Text("9")});
            if (Chance(50)) line.insert(line.end(), {Space(), Word("STEP"), Space(), Text("2")});
            break;
        case 12: line.insert(line.end(), {Word("NEXT"), Space(), Variable()}); break;
        case 13:
            line.insert(line.end(),
                        {Word("DATA"), Space(), Text("1," + Literal() + ",print me,abc")});
            break;
        case 14: line.insert(line.end(), {Variable(), Text("$=" + Literal())}); break;
        // The error statements: RENUM follows ON ERROR GOTO, RESUME and
        // ERL and a relation, but the 0 of ON ERROR GOTO 0 and RESUME 0
        // names no line.
        case 15:
            line.insert(line.end(), {Word("ON"), Space(), Word("ERROR"), Space(), Word("GOTO"),
                                     Space(), NonZeroRef()});
            break;
        case 16:
            line.push_back(Word("RESUME"));
            if (Chance(30))
                line.insert(line.end(), {Space(), Word("NEXT")});
            else if (Chance(80))
                line.insert(line.end(), {Space(), NonZeroRef()});
            break;
        case 17: {
            static const char* const kRelations[] = {"=", "<>", " < ", ">="};
            line.insert(line.end(), {Word("IF"), Space(), Word("ERL"), Text(kRelations[Below(4)]),
                                     Ref(Target()), Space(), Word("THEN"), Space(), Ref(Target())});
            break;
        }
        case 18:
            line.insert(line.end(), {Word("ERROR"), Space(), Text(std::to_string(Below(30)))});
            break;
        case 19: {
            // The other new words, as a listing would hold them.
            const Line kWords[] = {
                {Word("PRINT"), Space(), Word("USING"), Text("\"##.#\";"), Variable()},
                {Word("LINE"), Space(), Word("INPUT"), Space(), Variable(), Text("$")},
                {Word("KEY"), Space(), Text("1,\"RUN\"+"), Word("CHR$"), Text("(13)")},
                {Word("TRON"), Text(":"), Word("TROFF"), Text(":"), Word("ERASE"), Space(),
                 Variable()},
                {Word("DEFINT"), Space(), Text("I-N:"), Word("DEFSTR"), Space(), Text("S")},
                {Variable(), Text("="), Word("CINT"), Text("(1.5)+"), Word("VARPTR"), Text("(Q)+"),
                 Word("CSRLIN"), Text("+"), Word("LPOS"), Text("(0)+"), Word("ERR")},
                {Variable(), Text("$="), Word("INPUT$"), Text("(2)+"), Word("OCT$"), Text("(8)")},
            };
            const Line& words = kWords[Below(7)];
            line.insert(line.end(), words.begin(), words.end());
            break;
        }
        default:
            line.insert(line.end(),
                        {Word(Chance(50) ? "REM" : "'"), Text(" goto 10 \"x\" THEN 20")});
            break;
        }
    }

    // A program line: statements, typed as listed or without the spaces
    // that only set keywords apart. A remark ends the line.
    Line MakeLine(int statements) {
        Line line;
        for (int i = 0; i < statements; i++) {
            if (i > 0) line.push_back(Text(":"));
            Statement(line);
            const std::string& first = line.back().text;
            if (first.rfind(" goto", 0) == 0) break;
        }
        if (Chance(30)) {
            // Keywords in small letters too: the tokeniser takes either case.
            bool small = Chance(50);
            Line compact;
            for (Piece piece : line) {
                if (piece.kind == Piece::kText && piece.text == " ") continue;
                if (small && piece.kind == Piece::kWord)
                    for (char& c : piece.typed)
                        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
                compact.push_back(piece);
            }
            line = compact;
        }
        return line;
    }

    void EnterLine() {
        int number = Number();
        Line line = MakeLine(1 + Below(Chance(10) ? 30 : 4));
        std::string typed = std::to_string(number) + " " + Typed(line);
        if (typed.size() > kLineBuffer) return Type(typed, "?Line buffer overflow");
        if (!model_.Fits(number, line)) return Type(typed, "?Out of memory");
        Type(typed, "");
        model_.lines[number] = line;
        model_.filler.erase(number);
    }

    void DeleteByNumber() {
        int number = Number();
        Type(std::to_string(number), "");
        model_.lines.erase(number);
        model_.filler.erase(number);
    }

    // DELETE in every shape: a, a-b, -b, a-, -, and bare.
    void DeleteRange() {
        int a = Number(), b = Number();
        int shape = Below(7);
        std::string command = "DELETE";
        int from = 0, to = 65535;
        if (shape == 0) {
            command += " " + std::to_string(a);
            from = to = a;
        } else if (shape <= 2) {
            command += " " + std::to_string(a) + "-" + std::to_string(b);
            from = a;
            to = b;
        } else if (shape == 3) {
            command += " -" + std::to_string(b);
            to = b;
        } else if (shape == 4) {
            command += " " + std::to_string(a) + "-";
            from = a;
        } else if (shape == 5) {
            command += " -";
        }
        auto first = model_.lines.lower_bound(from);
        bool none = first == model_.lines.end() || first->first > to;
        if (shape == 6 || from > to || none) return Type(command, "?Illegal function call");
        Type(command, "");
        while (first != model_.lines.end() && first->first <= to) {
            model_.filler.erase(first->first);
            first = model_.lines.erase(first);
        }
    }

    // RENUM [new[,old[,step]]], its arguments in every shape.
    void Renumber() {
        std::optional<int> newStart, oldStart, step;
        if (Chance(50)) oldStart = Number();
        if (Chance(50)) step = Chance(95) ? 1 + Below(20) : 0;
        if (Chance(70)) {
            // Mostly numbers that fit between the line before and 65529,
            // long ones often, which make the targets longer.
            auto from = model_.lines.lower_bound(oldStart.value_or(0));
            int low = from == model_.lines.begin() ? 0 : std::prev(from)->first + 1;
            long room =
                kHighestLine - static_cast<long>(step.value_or(10)) *
                                   std::max<long>(0, std::distance(from, model_.lines.end()) - 1);
            if (Chance(80) && room > low)
                newStart =
                    static_cast<int>(Chance(50) ? std::max<long>(low, room - Below(100))
                                                : low + Below(static_cast<int>(room - low) + 1));
            else
                newStart = 1 + Below(kHighestLine);
        }
        std::string command = "RENUM";
        if (newStart || oldStart || step)
            command += " " + (newStart ? std::to_string(*newStart) : "");
        if (oldStart || step) command += "," + (oldStart ? std::to_string(*oldStart) : "");
        if (step) command += "," + std::to_string(*step);
        int first = newStart.value_or(10), from = oldStart.value_or(0), by = step.value_or(10);
        if (by == 0) return Type(command, "?Illegal function call");
        // The new numbers of the lines from `from` on.
        std::map<int, int> map;
        long next = first;
        for (auto it = model_.lines.lower_bound(from); it != model_.lines.end(); it++, next += by)
            map[it->first] = static_cast<int>(next);
        if (map.empty()) return Type(command, "");
        if (next - by > kHighestLine) return Type(command, "?Illegal function call");
        for (auto it = model_.lines.begin(); it != model_.lines.end() && it->first < from; it++)
            if (it->first >= first) return Type(command, "?Illegal function call");
        std::map<int, Line> lines;
        int grow = 0;
        for (auto& [number, line] : model_.lines) {
            Line renumbered = line;
            for (Piece& piece : renumbered) {
                if (piece.kind != Piece::kRef) continue;
                long target = std::stol(piece.text);
                auto to = map.find(static_cast<int>(target));
                if (target <= kHighestLine && to != map.end())
                    piece.text = piece.typed = std::to_string(to->second);
            }
            if (Size(renumbered) - 4 > kTextBuffer) return Type(command, "?Line buffer overflow");
            grow += std::max(0, Size(renumbered) - Size(line));
            lines[map.count(number) ? map[number] : number] = renumbered;
        }
        if (model_.Free() - grow <= kKeptFree) return Type(command, "?Out of memory");
        Type(command, "");
        std::set<int> filler;
        for (int number : model_.filler)
            filler.insert(map.count(number) ? map[number] : number);
        model_.lines = lines;
        model_.filler = filler;
    }

    // EDIT n, then RETURN as it stands, a new number in place of n's, a
    // statement more at the end, or ESC.
    void Edit() {
        int number = Number();
        auto found = model_.lines.find(number);
        std::string command = "EDIT " + std::to_string(number);
        if (found == model_.lines.end()) return Type(command, "?Undefined line number");
        Line line = Normalised(found->second);
        std::string shown = std::to_string(number) + " " + Listed(found->second);
        if (shown.size() > kLineBuffer) return Type(command, "?Line buffer overflow");
        last_ = command;
        TypeLine(command);
        ASSERT_TRUE(RunUntilIdle(100)) << Where();
        int how = Below(4);
        int target = number;
        std::string error;
        if (how == 0) {
            PressKey(VK_ESCAPE);
            PressKey(VK_RETURN);
            return ExpectOutcome("", Where() + " ESC");
        }
        if (how == 1) {
            target = Number();
            PressKey(VK_HOME);
            for (size_t i = 0; i < std::to_string(number).size(); i++)
                PressKey(VK_DELETE);
            TypeText(std::to_string(target));
            shown = std::to_string(target) + shown.substr(std::to_string(number).size());
        } else if (how == 2) {
            Line more;
            Statement(more);
            // After a remark it is more of the remark.
            bool remark = std::any_of(line.begin(), line.end(), [](const Piece& piece) {
                return piece.kind == Piece::kWord && (piece.text == "REM" || piece.text == "'");
            });
            if (remark) {
                line.push_back(Text(":" + Typed(more)));
            } else {
                line.push_back(Text(":"));
                line.insert(line.end(), more.begin(), more.end());
            }
            TypeText(":" + Typed(more));
            shown += ":" + Typed(more);
        }
        last_ += " then " + shown;
        if (shown.size() > kLineBuffer)
            error = "?Line buffer overflow";
        else if (!model_.Fits(target, line))
            error = "?Out of memory";
        PressKey(VK_RETURN);
        ExpectOutcome(error, Where());
        if (error.empty()) {
            model_.lines[target] = line;
            model_.filler.erase(target);
        }
    }

    // A text's line: its number, its text as it reaches the input line,
    // and the line it is stored as.
    struct TextLine {
        int number;
        std::string typed;
        Line stored;
    };

    // LOAD or MERGE of a text, its lines stored one by one as typed: LOAD
    // first clears the program, once the first line proves sound; a line
    // too long for the input line, or one that does not fit, stops it with
    // the lines before it stored.
    void StoreText(const std::vector<TextLine>& text, const std::string& command, bool load) {
        std::set<int> filler = model_.filler;
        std::string error;
        for (size_t i = 0; i < text.size() && error.empty(); i++) {
            const TextLine& line = text[i];
            if (line.typed.size() > kLineBuffer) {
                error = "?Line buffer overflow";
            } else {
                if (load && i == 0) model_.lines.clear();
                if (!model_.Fits(line.number, line.stored)) {
                    error = "?Out of memory";
                } else {
                    model_.lines[line.number] = line.stored;
                    if (!filler.count(line.number)) model_.filler.erase(line.number);
                }
            }
        }
        if (load && text.empty()) model_.lines.clear();
        std::erase_if(model_.filler, [&](int n) { return !model_.lines.count(n); });
        Type(command, error);
    }

    // SAVE "T",A, then LOAD "T" or MERGE "T": the program comes back as its
    // listing typed in, as far as it fits.
    void TextRoundTrip(bool merge) {
        std::vector<TextLine> text;
        for (const auto& [number, line] : model_.lines)
            text.push_back({number, std::to_string(number) + " " + Listed(line), Normalised(line)});
        std::string tape = TapePath("text");
        SetCMTFile(tape.c_str());
        Type("SAVE \"T\",A", "");
        SetCMTFile(tape.c_str());
        StoreText(text, merge ? "MERGE \"T\"" : "LOAD \"T\"", !merge);
        std::filesystem::remove(tape);
    }

    // MERGE of a text made on the host: its lines are stored as if typed,
    // whether a line ends with a carriage return, a line feed or both, and
    // a control code outside quotes is dropped as typing drops it.
    void MergeText() {
        std::string record;
        std::vector<TextLine> text;
        for (int n = 1 + Below(4); n > 0; n--) {
            int number = Number();
            Line line = MakeLine(1 + Below(3));
            std::string typed = std::to_string(number) + " " + Typed(line);
            record += std::to_string(number) + (Chance(20) ? " \x02" : " ") + Typed(line) +
                      (Chance(30)   ? "\r\n"
                       : Chance(50) ? "\n"
                                    : "\r");
            text.push_back({number, typed, line});
        }
        record += "\x1A";
        std::vector<uint8_t> bytes =
            Record("M", 0, std::vector<uint8_t>(record.begin(), record.end()), 2);
        std::string tape = TapePath("merge");
        std::ofstream(tape, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()),
                   static_cast<std::streamsize>(bytes.size()));
        SetCMTFile(tape.c_str());
        StoreText(text, "MERGE \"M\"", false);
        std::filesystem::remove(tape);
    }

    void New() {
        Type("NEW", "");
        model_.lines.clear();
        model_.filler.clear();
    }

    // Long remarks after the program, until `free` bytes or a few more are
    // left.
    void FillTo(int free) {
        int top = model_.lines.empty() ? 0 : model_.lines.rbegin()->first;
        int want = model_.Free() - free;
        for (int number = top + 1; want > 6 && number <= kHighestLine; number++) {
            int length = std::min(240, want - 6);
            model_.lines[number] = {Word("REM"), Text(std::string(length, '-'))};
            model_.filler.insert(number);
            want -= length + 6;
        }
    }

    // The model's program, put in memory by a LOAD of its stored image.
    void LoadModel() {
        std::vector<StoredLine> stored;
        for (const auto& [number, line] : model_.lines)
            stored.push_back({number, Stored(line, tokens_)});
        std::vector<uint8_t> record = Record("FILL", RomSymbol("TXTTAB"), ProgramImage(stored));
        std::string tape = TapePath("store");
        std::ofstream(tape, std::ios::binary)
            .write(reinterpret_cast<const char*>(record.data()),
                   static_cast<std::streamsize>(record.size()));
        SetCMTFile(tape.c_str());
        last_ = "LOAD";
        TypeLine("LOAD");
        ASSERT_TRUE(RunUntilIdle(3000)) << Where();
        ASSERT_EQ(ScreenRow(CursorRow() - 2).substr(0, 6), "Loaded") << Where();
        std::filesystem::remove(tape);
    }

    // LOAD of the program with long remarks after it, which leave between
    // 257 and 342 bytes free.
    void Fill() {
        FillTo(257 + Below(80));
        LoadModel();
    }

    // The listing, a page at a time below FRE(0), and the stored bytes; the
    // long remarks are listed only when `all`.
    void Check(bool all) {
        std::vector<StoredLine> stored;
        for (const auto& [number, line] : model_.lines)
            stored.push_back({number, Stored(line, tokens_)});
        std::vector<uint8_t> image = ProgramImage(stored);
        ASSERT_EQ(Memory(RomSymbol("TXTTAB"), static_cast<int>(image.size())), image) << Where();
        std::vector<std::pair<int, std::string>> shown;
        for (const auto& [number, line] : model_.lines)
            if (all || !model_.filler.count(number))
                shown.push_back({number, std::to_string(number) + " " + Listed(line)});
        size_t at = 0;
        do {
            // A page: lines next to each other in the program, as many as fit.
            std::vector<std::string> rows;
            size_t end = at;
            int lastNumber = -1;
            while (end < shown.size()) {
                auto next = model_.lines.upper_bound(lastNumber);
                if (end > at && next->first != shown[end].first) break;
                size_t more = shown[end].second.size() / 80 + 1;
                if (rows.size() + more > kListRows) break;
                for (size_t r = 0; r < more; r++) {
                    std::string row =
                        shown[end].second.substr(std::min(r * 80, shown[end].second.size()), 80);
                    rows.push_back(row + std::string(80 - row.size(), ' '));
                }
                lastNumber = shown[end].first;
                end++;
            }
            last_ = "CLS:? FRE(0)";
            if (end > at)
                last_ += ":LIST " + std::to_string(shown[at].first) + "-" +
                         std::to_string(shown[end - 1].first);
            else if (model_.lines.empty())
                last_ += ":LIST";
            TypeLine(last_);
            ASSERT_TRUE(RunUntilIdle(400)) << Where();
            ASSERT_EQ(ScreenRow(0).substr(0, 6),
                      " " + std::to_string(model_.Free()) +
                          std::string(5 - std::to_string(model_.Free()).size(), ' '))
                << Where();
            for (size_t r = 0; r < rows.size(); r++)
                ASSERT_EQ(ScreenRow(1 + static_cast<int>(r)), rows[r]) << Where() << " row " << r;
            ASSERT_EQ(ScreenRow(1 + static_cast<int>(rows.size())).substr(0, 3), "Ok ") << Where();
            at = end;
        } while (at < shown.size());
    }
};

int FromEnvironment(const char* name, int otherwise) {
    const char* value = std::getenv(name);
    return value ? std::atoi(value) : otherwise;
}

TEST(ProgramStore, TextsLoadAndMergeBackAtEverySizeUpToAFullMemory) {
    BasicBoot();
    Sequence(7).RoundTripsAtEverySize(6);
}

TEST(ProgramStore, EditsTypedAtTheMachineKeepItEqualToTheModel) {
    int seeds = FromEnvironment("Z80HOME_STORE_SEEDS", 3);
    for (uint32_t seed = 1; seed <= static_cast<uint32_t>(seeds); seed++) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        BasicBoot();
        Sequence(seed).Run(FromEnvironment("Z80HOME_STORE_STEPS", 70));
        if (HasFatalFailure()) return;
    }
}

} // namespace
