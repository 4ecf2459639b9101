// The ROM's floating-point library against the host's binary32 arithmetic:
// each routine is called on the processor with the built image in RAM, at
// the address the assembler's symbol listing gives.
#include "z80/z80.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <map>
#include <random>
#include <sstream>
#include <string>

#include "tests/rom/number_text.h"

namespace {

constexpr int kReturn = 0xE000; // an address no routine reads: the call's end
constexpr int kLeft = 0x8000;   // the left operand
constexpr int kText = 0x9000;   // number text for FIN

uint8_t memory[65536];
bool returned;
int strayWrites; // outside the library's work area, the stack and kLeft

int Bus(int address, int data, unsigned kind) {
    address &= 0xFFFF;
    if (kind == 0) {
        memory[address] = uint8_t(data);
        bool work = address >= 0xF200 && address < 0xF300;
        bool stack = address >= 0xFF00;
        bool left = address >= kLeft && address < kLeft + 4;
        if (!work && !stack && !left) strayWrites++;
    }
    if (kind != 1) return 0xFF;
    if (address == kReturn) returned = true;
    return memory[address];
}

std::map<std::string, int> symbols;

// Loads the image and its symbols once; false when the build has none.
bool LoadRom() {
    if (!symbols.empty()) return true;
    const char* dir = std::getenv("Z80HOME_ROM_DIR");
    std::string base = std::string(dir ? dir : ".") + "/n80basic";
    std::ifstream rom(base + ".rom", std::ios::binary), sym(base + ".sym");
    if (!rom || !sym) return false;
    std::string image((std::istreambuf_iterator<char>(rom)), {});
    std::memcpy(memory, image.data(), std::min(image.size(), sizeof memory));
    std::string name, equ, value;
    while (sym >> name >> equ >> value)
        symbols[name] = int(std::strtol(value.c_str(), nullptr, 16));
    Z80Init();
    setz80memaccess(Bus);
    return true;
}

struct Result {
    bool carry;
    int a, de, hl;
};

long tstates;

Result Call(const std::string& routine, int hl = 0, int de = 0) {
    Z80Regs r;
    Z80GetRegs(&r);
    r.pc = uint16_t(symbols.at(routine));
    r.sp = 0xFFF0;
    r.hl = uint16_t(hl);
    r.de = uint16_t(de);
    r.ix = 0x1234;
    r.iy = 0x5678;
    memory[0xFFF0] = kReturn & 0xFF;
    memory[0xFFF1] = kReturn >> 8;
    Z80SetRegs(&r);
    returned = false;
    strayWrites = 0;
    long t = 0;
    while (!returned && t < 5000000)
        t += Z80Run();
    EXPECT_TRUE(returned) << routine << " never returned";
    tstates += t;
    Z80GetRegs(&r);
    EXPECT_EQ(strayWrites, 0) << routine;
    EXPECT_EQ(r.sp, 0xFFF2) << routine;
    EXPECT_EQ(r.ix, 0x1234) << routine;
    EXPECT_EQ(r.iy, 0x5678) << routine;
    return {(r.af & 1) != 0, r.af >> 8, r.de, r.hl};
}

uint32_t Bits(float f) {
    return std::bit_cast<uint32_t>(f);
}

void Put(int address, float f) {
    uint32_t b = Bits(f);
    for (int i = 0; i < 4; i++)
        memory[address + i] = uint8_t(b >> 8 * i);
}

float Get(int address) {
    uint32_t b = 0;
    for (int i = 0; i < 4; i++)
        b |= uint32_t(memory[address + i]) << 8 * i;
    return std::bit_cast<float>(b);
}

float Fac() {
    return Get(symbols.at("FAC"));
}
void SetFac(float f) {
    Put(symbols.at("FAC"), f);
}

// Random binary32 numbers with exponents in [lo, hi]; half of them with
// few mantissa bits, so exact results, cancellations and ties come up.
struct Numbers {
    std::mt19937 rng{20261208};
    float operator()(int lo, int hi) {
        int exponent = std::uniform_int_distribution<int>(lo, hi)(rng);
        uint32_t fraction = rng() & 0x7FFFFF;
        if (rng() & 1) fraction &= ~0u << (rng() % 24);
        uint32_t sign = rng() & 1 ? 0x80000000u : 0;
        return std::bit_cast<float>(sign | uint32_t(exponent + 127) << 23 | fraction);
    }
};

class Float : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!LoadRom()) GTEST_SKIP() << "no system ROM with its symbols";
    }
};

// The result a routine must give where the host's is r: r itself when
// normal, 0 below the normal range (or the smallest normal, where rounding
// reaches it), Overflow beyond.
void ExpectArithmetic(const char* op, float x, float y, float r, const Result& got) {
    std::ostringstream what;
    what << std::hexfloat << x << ' ' << op << ' ' << y << " = " << r;
    if (std::isinf(r)) {
        EXPECT_TRUE(got.carry && got.a == 6) << what.str();
    } else if (std::fabs(r) < 0x1p-126f) {
        EXPECT_FALSE(got.carry) << what.str();
        EXPECT_TRUE(Bits(Fac()) == 0 || std::fabs(Fac()) == 0x1p-126f)
            << what.str() << " got " << Fac();
    } else {
        EXPECT_FALSE(got.carry) << what.str();
        EXPECT_EQ(Bits(Fac()), Bits(r)) << what.str() << " got " << Fac();
    }
}

TEST_F(Float, ArithmeticIsCorrectlyRounded) {
    struct Op {
        const char* name;
        float (*host)(float, float);
    } ops[] = {{"FADD", [](float x, float y) { return x + y; }},
               {"FSUB", [](float x, float y) { return x - y; }},
               {"FMUL", [](float x, float y) { return x * y; }},
               {"FDIV", [](float x, float y) { return x / y; }}};
    Numbers number;
    for (const Op& op : ops) {
        tstates = 0;
        const int count = 6000;
        for (int i = 0; i < count; i++) {
            // Mostly close exponents; every fourth pair from the whole range.
            bool wide = i % 4 == 0;
            float x = number(wide ? -126 : -20, wide ? 127 : 20);
            float y = i % 50 == 0 ? x : number(wide ? -126 : -20, wide ? 127 : 20);
            if (i % 97 == 0) y = 0;
            Put(kLeft, x);
            SetFac(y);
            Result got = Call(op.name, kLeft);
            if (y == 0 && op.name[1] == 'D' && op.name[2] == 'I') {
                EXPECT_TRUE(got.carry && got.a == 11) << x << " / 0";
                continue;
            }
            ExpectArithmetic(op.name, x, y, op.host(x, y), got);
            if (HasFailure()) return;
        }
        std::printf("%s: %ld T-states a call on average\n", op.name, tstates / count);
    }
}

TEST_F(Float, CompareSignAndIntegerParts) {
    Numbers number;
    for (int i = 0; i < 3000; i++) {
        float x = i % 10 == 0 ? 0.0f : number(-3, 25);
        float y = i % 7 == 0 ? x : i % 11 == 0 ? 0.0f - x : number(-3, 25);
        Put(kLeft, x);
        SetFac(y);
        Result got = Call("FCMP", kLeft);
        EXPECT_EQ(int8_t(got.a), x == y ? 0 : x > y ? 1 : -1) << x << " vs " << y;
        EXPECT_EQ(Fac(), y);
        struct {
            const char* name;
            float expected;
        } unary[] = {{"FNEG", -x},
                     {"FABS", std::fabs(x)},
                     {"FSGN", float((x > 0) - (x < 0))},
                     {"FINT", std::floor(x)},
                     {"FFIX", std::trunc(x)}};
        for (auto& u : unary) {
            SetFac(x);
            EXPECT_FALSE(Call(u.name).carry);
            // Zero is always +0.
            EXPECT_EQ(Bits(Fac()), Bits(u.expected + 0.0f)) << u.name << ' ' << x;
        }
        if (HasFailure()) return;
    }
}

TEST_F(Float, IntegerConversions) {
    for (int n = -32768; n <= 32767; n++) {
        Call("FFROMINT", 0, n);
        ASSERT_EQ(Fac(), float(n));
    }
    // Rounding halves away from zero; addresses truncate, -32768 to 65535,
    // the negative ones wrapping.
    constexpr int kNone = 1 << 20;
    struct {
        float x;
        int integer; // kNone: Overflow
        int address; // kNone: Overflow
    } cases[] = {{0.0f, 0, 0},
                 {0.49f, 0, 0},
                 {0.5f, 1, 0},
                 {-2.5f, -3, 65534},
                 {2.5f, 3, 2},
                 {-0.7f, -1, 0},
                 {32767.49f, 32767, 32767},
                 {32767.5f, kNone, 32767},
                 {-32768.49f, -32768, 32768},
                 {-32768.5f, kNone, 32768},
                 {-32769.0f, kNone, kNone},
                 {65535.9f, kNone, 65535},
                 {-65535.9f, kNone, kNone},
                 {65536.0f, kNone, kNone},
                 {-1e10f, kNone, kNone}};
    for (auto& c : cases) {
        SetFac(c.x);
        Result got = Call("FTOINT");
        if (c.integer == kNone) {
            EXPECT_TRUE(got.carry && got.a == 6) << c.x;
        } else {
            EXPECT_FALSE(got.carry) << c.x;
            EXPECT_EQ(int16_t(got.de), c.integer) << c.x;
        }
        got = Call("FTOADDR");
        if (c.address == kNone) {
            EXPECT_TRUE(got.carry && got.a == 6) << c.x;
        } else {
            EXPECT_FALSE(got.carry) << c.x;
            EXPECT_EQ(got.de, c.address) << c.x;
        }
        EXPECT_EQ(Fac(), c.x);
    }
}

std::string Text(int address) {
    std::string s;
    while (memory[address])
        s += char(memory[address++]);
    return s;
}

std::string Fout(float x) {
    SetFac(x);
    Result got = Call("FOUT");
    EXPECT_FALSE(got.carry);
    return Text(got.hl);
}

// FIN on text; returns the value and how many characters it took.
float Fin(const std::string& text, int* used = nullptr, bool* failed = nullptr) {
    std::memcpy(memory + kText, text.c_str(), text.size() + 1);
    Result got = Call("FIN", kText);
    if (used) *used = got.hl - kText;
    if (failed)
        *failed = got.carry;
    else
        EXPECT_FALSE(got.carry) << text;
    return Fac();
}

TEST_F(Float, PrintsAsBasicDoes) {
    struct {
        float x;
        const char* text;
    } cases[] = {{0.0f, " 0"},
                 {1.0f, " 1"},
                 {-1.5f, "-1.5"},
                 {1.0f / 3, " .3333333"},
                 {2.0f / 3, " .6666667"},
                 {123456.0f, " 123456"},
                 {1234567.0f, " 1234567"},
                 {9999999.0f, " 9999999"},
                 {1e7f, " 1E+07"},
                 {12345678.0f, " 1.234568E+07"},
                 {1e10f, " 1E+10"},
                 {-2.5e12f, "-2.5E+12"},
                 {0.1f, " .1"},
                 {0.01f, " .01"},
                 {0.05f, " .05"},
                 {0.001f, " 1E-03"},
                 {1.5e-5f, " 1.5E-05"},
                 {0.0123f, " .0123"},
                 {3.14159265f, " 3.141593"},
                 {-100.25f, "-100.25"},
                 {1e-20f, " 1E-20"},
                 {3.4028235e38f, " 3.402823E+38"},
                 {0x1p-126f, " 1.175494E-38"},
                 {9999999.5f, " 1E+07"},
                 {0.99999994f, " .9999999"},
                 {5.0f, " 5"},
                 {-32768.0f, "-32768"},
                 {1000000.0f, " 1000000"},
                 {8388607.0f, " 8388607"},
                 {8388608.0f, " 8388608"}};
    for (auto& c : cases)
        EXPECT_EQ(Fout(c.x), c.text) << std::hexfloat << c.x;
}

// The seven digits the host prints for x, rounded half up from its exact value.
double SevenDigits(float x) {
    char exact[80];
    std::snprintf(exact, sizeof exact, "%.40e", std::fabs(double(x)));
    std::string digits = std::string(1, exact[0]) + std::string(exact + 2, 6);
    long n = std::stol(digits) + (exact[8] >= '5');
    int exponent = std::atoi(std::strchr(exact, 'e') + 1);
    return std::copysign(double(n) * std::pow(10.0, exponent - 6), x);
}

TEST_F(Float, PrintedDigitsAndReadBack) {
    Numbers number;
    char text[40];
    for (int i = 0; i < 1500; i++) {
        float x = number(-126, 127);
        std::string printed = Fout(x);
        // Compared as decimal numbers: both have at most seven digits.
        EXPECT_FLOAT_EQ(float(std::strtod(printed.c_str(), nullptr)), float(SevenDigits(x)))
            << printed << " for " << std::hexfloat << x;
        // Nine digits identify a binary32 number; any digits read back as
        // the host reads them.
        const char* formats[] = {"%.9g", "%.7e", "%.12f", "%.3g"};
        std::snprintf(text, sizeof text, formats[i % 4], std::fabs(x));
        float expected = std::strtof(text, nullptr);
        if (std::fabs(expected) < 0x1p-126f) expected = 0;
        EXPECT_EQ(Bits(Fin(text)), Bits(expected)) << text;
        if (HasFailure()) return;
    }
}

TEST_F(Float, ReadsNumberText) {
    struct {
        const char* text;
        float value;
        int used;
        bool overflow = false;
    } cases[] = {{"0", 0.0f, 1},
                 {"123", 123.0f, 3},
                 {".5", 0.5f, 2},
                 {"1.", 1.0f, 2},
                 {"1.2.3", 1.2f, 3},
                 {"1 2 . 5 E 1:", 125.0f, 11},
                 {"12ABC", 12.0f, 2},
                 {"2E3", 2000.0f, 3},
                 {"2e+3", 2000.0f, 4},
                 {"25E-1", 2.5f, 5},
                 {"1E", 1.0f, 1},
                 {"1E+X", 1.0f, 1},
                 {"7EX", 7.0f, 1},
                 {"0.000001", 1e-6f, 8},
                 {"16777217", 16777216.0f, 8},
                 {"4294967295", 4294967295.0f, 10},
                 {"123456789012345678901234567890", 1.2345679e29f, 30},
                 {"1E-50", 0.0f, 5},
                 {"1E39", 0.0f, 4, true},
                 {"1E99999", 0.0f, 7, true},
                 {"3.4028235E38", 3.4028235e38f, 12}};
    for (auto& c : cases) {
        int used;
        bool failed;
        float value = Fin(c.text, &used, &failed);
        EXPECT_EQ(used, c.used) << c.text;
        EXPECT_EQ(failed, c.overflow) << c.text;
        if (!c.overflow) {
            EXPECT_EQ(Bits(value), Bits(c.value)) << c.text;
        }
    }
}

// Distance in units in the last place between two binary32 numbers.
long Ulps(float a, float b) {
    auto key = [](float f) {
        int32_t i = std::bit_cast<int32_t>(f);
        return i < 0 ? -(long(i) & 0x7FFFFFFF) : long(i);
    };
    return std::labs(key(a) - key(b));
}

TEST_F(Float, SquareRootIsCorrectlyRounded) {
    Numbers number;
    for (int i = 0; i < 4000; i++) {
        float x = std::fabs(number(-126, 127));
        SetFac(x);
        ASSERT_FALSE(Call("FSQR").carry);
        ASSERT_EQ(Bits(Fac()), Bits(std::sqrt(x))) << std::hexfloat << x;
    }
    SetFac(-1.0f);
    Result got = Call("FSQR");
    EXPECT_TRUE(got.carry && got.a == 5);
}

// How far a result lies from the exact value, in units of the exact value's
// last place.
double UlpsFromExact(float got, long double exact) {
    int exponent;
    std::frexp(exact, &exponent);
    return double(std::fabs(got - exact) / std::ldexp(1.0L, exponent - 24));
}

TEST_F(Float, FunctionsWithinTheirUnitsInTheLastPlace) {
    // A unit from the exact value, two for TAN; ATN over each of its bands.
    struct Function {
        const char* name;
        long double (*host)(long double);
        float lo, hi; // operands uniform in [lo, hi], or with exponents from lo to hi
        bool exponents;
        double limit;
    } functions[] = {
        {"FEXP", [](long double x) { return std::exp(x); }, -87, 88, false, 1},
        {"FEXP", [](long double x) { return std::exp(x); }, -30, 3, true, 1},
        {"FLOG", [](long double x) { return std::log(std::fabs(x)); }, -126, 127, true, 1},
        {"FSIN", [](long double x) { return std::sin(x); }, -100, 100, false, 1},
        {"FSIN", [](long double x) { return std::sin(x); }, -40, 1, true, 1},
        {"FCOS", [](long double x) { return std::cos(x); }, -100, 100, false, 1},
        {"FTAN", [](long double x) { return std::tan(x); }, -100, 100, false, 2},
        {"FTAN", [](long double x) { return std::tan(x); }, -40, 1, true, 2},
        {"FATN", [](long double x) { return std::atan(x); }, -126, 127, true, 1},
        {"FATN", [](long double x) { return std::atan(x); }, -3, 3, false, 1}};
    Numbers number;
    std::uniform_real_distribution<float> uniform;
    for (const Function& f : functions) {
        tstates = 0;
        double worst = 0;
        const int count = 1500;
        for (int i = 0; i < count; i++) {
            float x = f.exponents ? number(int(f.lo), int(f.hi))
                                  : f.lo + (f.hi - f.lo) * uniform(number.rng);
            if (f.name[1] == 'L') x = std::fabs(x);
            long double exact = f.host(x);
            SetFac(x);
            ASSERT_FALSE(Call(f.name).carry) << f.name << ' ' << x;
            if (std::fabs(exact) < 0x1p-126L) {
                EXPECT_LT(std::fabs(Fac()), 0x1p-125f) << f.name << ' ' << x;
                continue;
            }
            double ulps = UlpsFromExact(Fac(), exact);
            worst = std::max(worst, ulps);
            EXPECT_LE(ulps, f.limit) << f.name << std::hexfloat << ' ' << x << " gave " << Fac()
                                     << " for " << double(exact);
        }
        std::printf("%s: at most %.2f units in the last place, %ld T-states a call\n", f.name,
                    worst, tstates / count);
    }
}

TEST_F(Float, PowersWithinTwoUnitsInTheLastPlace) {
    Numbers number;
    std::uniform_real_distribution<float> uniform;
    long worst[2] = {}, time[2] = {};
    for (int i = 0; i < 3000; i++) {
        // Whole powers of any base (-2 to 3 multiply, others take the
        // logarithm), and real powers of positive bases.
        bool whole = i % 2 == 0;
        float x = whole ? number(-3, 3) : std::fabs(number(-6, 6));
        float y = whole ? float(int(number.rng() % 21) - 10) : -12 + 24 * uniform(number.rng);
        float expected = float(std::pow(double(x), double(y)));
        Put(kLeft, x);
        SetFac(y);
        tstates = 0;
        ASSERT_FALSE(Call("FPOW", kLeft).carry) << x << '^' << y;
        time[whole] += tstates;
        long ulps = Ulps(Fac(), expected);
        worst[whole] = std::max(worst[whole], ulps);
        EXPECT_LE(ulps, 2) << std::hexfloat << x << '^' << y << " gave " << Fac() << " for "
                           << expected;
    }
    std::printf("FPOW: whole powers at most %ld units in the last place, %ld T-states a call; "
                "others %ld units, %ld T-states\n",
                worst[1], time[1] / 1500, worst[0], time[0] / 1500);
    struct {
        float x, y;
        int error; // 0, or the error code
        float value;
    } cases[] = {{0, 2, 0, 0},    {0, -1, 11, 0},  {-8, 0.5f, 5, 0}, {5, 0, 0, 1},   {-2, 3, 0, -8},
                 {-2, 5, 0, -32}, {-1, -7, 0, -1}, {-1, 9, 0, -1},   {10, 39, 6, 0}, {3, 2, 0, 9}};
    for (auto& c : cases) {
        Put(kLeft, c.x);
        SetFac(c.y);
        Result got = Call("FPOW", kLeft);
        EXPECT_EQ(got.carry ? got.a : 0, c.error) << c.x << '^' << c.y;
        if (!c.error) {
            EXPECT_EQ(Fac(), c.value) << c.x << '^' << c.y;
        }
    }
}

TEST_F(Float, RandomNumbersRepeatAndReseed) {
    SetFac(-7.0f);
    Call("FRND");
    float first = Fac();
    double sum = 0;
    for (int i = 0; i < 2000; i++) {
        SetFac(1.0f);
        Call("FRND");
        float r = Fac();
        ASSERT_TRUE(r >= 0 && r < 1) << r;
        sum += r;
        SetFac(0.0f);
        Call("FRND");
        ASSERT_EQ(Fac(), r) << "RND(0) repeats the last number";
    }
    EXPECT_NEAR(sum / 2000, 0.5, 0.03);
    SetFac(-7.0f);
    Call("FRND");
    EXPECT_EQ(Fac(), first) << "the same seed starts the same sequence";
}

// Mantissas of runs of ones and zeros: rounding carries that run through
// every byte, ties and sticky bits come up far more often than at random.
uint32_t RunsOfBits(std::mt19937& rng) {
    uint32_t bits = 0;
    int bit = 0, value = rng() & 1;
    while (bit < 23) {
        int run = 1 + int(rng() % 12);
        for (int i = 0; i < run && bit < 23; i++, bit++)
            bits |= uint32_t(value) << (22 - bit);
        value ^= 1;
    }
    return bits;
}

float Structured(std::mt19937& rng, int exponent) {
    uint32_t sign = rng() & 1 ? 0x80000000u : 0;
    return std::bit_cast<float>(sign | uint32_t(exponent + 127) << 23 | RunsOfBits(rng));
}

TEST_F(Float, CarriesAndStickyBitsInEveryOperation) {
    struct Op {
        const char* name;
        float (*host)(float, float);
    } ops[] = {{"FADD", [](float x, float y) { return x + y; }},
               {"FSUB", [](float x, float y) { return x - y; }},
               {"FMUL", [](float x, float y) { return x * y; }},
               {"FDIV", [](float x, float y) { return x / y; }}};
    std::mt19937 rng(23);
    for (const Op& op : ops) {
        for (int i = 0; i < 4000; i++) {
            // Exponents apart by 0 to 30: every alignment of the smaller
            // operand's bits, with half of the pairs of one sign.
            int e = int(rng() % 60) - 30;
            float x = Structured(rng, e);
            float y = Structured(rng, e - int(rng() % 31));
            if (i & 1) y = std::copysign(y, x);
            if (i & 2) std::swap(x, y);
            Put(kLeft, x);
            SetFac(y);
            ExpectArithmetic(op.name, x, y, op.host(x, y), Call(op.name, kLeft));
            if (HasFailure()) return;
        }
    }
}

TEST_F(Float, CountingByOneAgreesWithAddition) {
    // FINC1 adds 1 through the unit's bit of the fraction where nothing
    // needs rounding: wherever it says it has (A = 0) the sum is the
    // host's; elsewhere FAC is as it was.
    std::mt19937 rng(11);
    int done = 0;
    for (int i = 0; i < 8000; i++) {
        float x = i % 2 ? Structured(rng, int(rng() % 30) - 4)
                        : float(int(rng() % 9000000) - 100000) * (i % 4 ? 1.0f : 0.5f);
        Put(kLeft, x);
        SetFac(-7.0f);
        Result got = Call("FINC1", kLeft);
        if (got.a == 0) {
            done++;
            ASSERT_EQ(Bits(Fac()), Bits(x + 1.0f)) << std::hexfloat << x;
        } else {
            ASSERT_EQ(Fac(), -7.0f) << std::hexfloat << x;
        }
    }
    EXPECT_GT(done, 3000);
}

TEST_F(Float, HalvingAndNegatingAgreesWithMultiplication) {
    // FHALFN stands for a multiplication by -0.5 in LOG and COS: exact, and
    // 0 below the smallest number.
    std::mt19937 rng(12);
    for (int i = 0; i < 4000; i++) {
        float x = i % 8 ? Structured(rng, int(rng() % 254) - 126) : 0.0f;
        SetFac(x);
        ASSERT_FALSE(Call("FHALFN").carry);
        float expected = -x / 2;
        if (std::fabs(expected) < 0x1p-126f) expected = 0;
        ASSERT_EQ(Bits(Fac()), Bits(expected)) << std::hexfloat << x;
    }
}

TEST_F(Float, PrintsSevenDigitsWhateverTheCarries) {
    std::mt19937 rng(1048575);
    int checked = 0;
    for (int i = 0; i < 6000; i++) {
        // Half from the whole range, half where the text is plain.
        float x = Structured(rng, i & 1 ? int(rng() % 254) - 126 : int(rng() % 32) - 8);
        if (i % 7 == 0) x = std::nextafter(std::round(x), 0.0f) + 0.5f;
        bool near;
        std::string expected = NumberText(x, &near);
        if (near) continue;
        checked++;
        ASSERT_EQ(Fout(x), expected) << std::hexfloat << x;
    }
    EXPECT_GT(checked, 5800);
    EXPECT_EQ(Fout(1048575.5f), " 1048576");
    EXPECT_EQ(Fout(16777215.0f), " 1.677722E+07");
}

// The number range: 2^-126 to the largest binary32 number. Text below it
// reads as 0 and above it is an Overflow; every number prints as text that
// reads back inside the range.
TEST_F(Float, TheRangeEndsAgreeInTextAndArithmetic) {
    const float ends[] = {0x1p-126f, 0x1.000002p-126f, 0x1.fffffep-126f, 0x1.fffffep127f, 0x1p127f};
    for (float x : ends) {
        std::string text = Fout(x).substr(1);
        float back = Fin(text);
        EXPECT_NE(back, 0.0f) << text;
        EXPECT_LE(Ulps(back, x), 8) << text;
    }
    EXPECT_EQ(Fout(0x1p-126f), " 1.175494E-38");
    EXPECT_EQ(Fin("1.175494E-38"), 0x1p-126f);
    EXPECT_EQ(Fin("1E-38"), 0.0f);
    EXPECT_EQ(Fin("1.1754942E-38"), 0x1p-126f);
    EXPECT_EQ(Fin("1.17546E-38"), 0.0f);
    bool failed;
    Fin("3.402824E38", nullptr, &failed);
    EXPECT_TRUE(failed);
    // Halving the smallest number underflows to 0; doubling the largest
    // overflows.
    Put(kLeft, 0x1p-126f);
    SetFac(2.0f);
    Result got = Call("FDIV", kLeft);
    EXPECT_FALSE(got.carry);
    EXPECT_EQ(Fac(), 0.0f);
    Put(kLeft, 0x1.fffffep127f);
    SetFac(2.0f);
    got = Call("FMUL", kLeft);
    EXPECT_TRUE(got.carry && got.a == 6);
}

// |x| 4/pi, the octant (mod 8) and 64 bits after the point, from 4/pi to
// 256 bits (enough for any binary32 x), then the reduced argument
// (|x| 4/pi - j) pi/4 for the even octant j at or just above it.
struct Reduction {
    int octant;
    long double r;
};

Reduction Reduce(float x) {
    static const uint32_t kFourOverPi[8] = {0xA2F9836E, 0x4E441529, 0xFC2757D1, 0xF534DDC0,
                                            0xDB629599, 0x3C439041, 0xFE5163AB, 0xDEBBC561};
    uint32_t bits = std::bit_cast<uint32_t>(std::fabs(x));
    uint64_t mantissa = (bits & 0x7FFFFF) | 0x800000;
    int k = int(bits >> 23) - 150; // |x| = mantissa 2^k
    uint32_t product[9] = {};      // mantissa times 4/pi 2^255, lowest limb first
    uint64_t carry = 0;
    for (int i = 0; i < 8; i++) {
        uint64_t p = mantissa * kFourOverPi[7 - i] + carry;
        product[i] = uint32_t(p);
        carry = p >> 32;
    }
    product[8] = uint32_t(carry);
    auto bit = [&](int n) { return n < 0 || n >= 288 ? 0 : int(product[n / 32] >> n % 32 & 1); };
    int point = 255 - k; // the bit of weight 1
    int octant = bit(point) | bit(point + 1) << 1 | bit(point + 2) << 2;
    uint64_t fraction = 0;
    for (int n = point - 1; n >= point - 64; n--)
        fraction = fraction << 1 | uint64_t(bit(n));
    long double f = std::ldexp((long double)fraction, -64);
    if (octant & 1) {
        octant = (octant + 1) & 7;
        f -= 1;
    }
    return {octant, f * 0.785398163397448309615660845819875721L};
}

TEST_F(Float, CircularArgumentsReduceExactly) {
    std::mt19937 rng(8);
    long worst = 0;
    for (int i = 0; i < 3000; i++) {
        float x = Structured(rng, int(rng() % 128));
        if (i % 3 == 0)
            x = std::bit_cast<float>(0x3F490FDBu + uint32_t(rng() % (0x7F800000u - 0x3F490FDBu)));
        if (i == 0) x = 0x1.f37c8ap+96f; // the one nearest a multiple of pi/2
        if (std::isinf(x) || std::isnan(x)) continue;
        SetFac(x);
        ASSERT_FALSE(Call("FREDUCE").carry);
        Reduction exact = Reduce(x);
        EXPECT_EQ(memory[symbols.at("FPJ")] & 7, exact.octant) << std::hexfloat << x;
        long ulps = Ulps(Get(symbols.at("FPX1")), float(exact.r));
        worst = std::max(worst, ulps);
        ASSERT_LE(ulps, 1) << std::hexfloat << x << " reduced to " << Get(symbols.at("FPX1"))
                           << " for " << float(exact.r);
    }
    std::printf("FREDUCE: within %ld units in the last place of the reduced argument\n", worst);
}

// SIN, COS and TAN against the host's long double library over ranges up
// to 1E30: the largest and mean error in units in the last place.
TEST_F(Float, CircularFunctionsUpTo1E30) {
    struct Function {
        const char* name;
        long double (*host)(long double);
        double limit;
    } functions[] = {{"FSIN", [](long double x) { return std::sin(x); }, 1},
                     {"FCOS", [](long double x) { return std::cos(x); }, 1},
                     {"FTAN", [](long double x) { return std::tan(x); }, 2}};
    const float ranges[][2] = {{0, 0.785398f}, {0.785398f, 6.283185f}, {6.283185f, 1e3f},
                               {1e3f, 1e7f},   {1e7f, 1e15f},          {1e15f, 1e30f}};
    std::mt19937 rng(30);
    std::printf("function  range                   max ulps  mean ulps  T-states\n");
    for (const Function& f : functions) {
        for (const auto& range : ranges) {
            double worst = 0, sum = 0;
            const int count = 300;
            tstates = 0;
            for (int i = 0; i < count; i++) {
                // Uniform in the logarithm, either sign.
                double u = std::uniform_real_distribution<double>(0, 1)(rng);
                double lo = std::max(double(range[0]), 1e-6);
                float x = float(lo * std::pow(double(range[1]) / lo, u));
                if (rng() & 1) x = -x;
                SetFac(x);
                ASSERT_FALSE(Call(f.name).carry) << f.name << ' ' << x;
                double ulps = UlpsFromExact(Fac(), f.host(x));
                worst = std::max(worst, ulps);
                sum += ulps;
            }
            std::printf("%-8s  %-10g to %-10g  %8.2f  %9.3f  %8ld\n", f.name + 1, range[0],
                        range[1], worst, sum / count, tstates / count);
            EXPECT_LE(worst, f.limit) << f.name << " from " << range[0] << " to " << range[1];
        }
    }
}

} // namespace
