// Whole-machine tests: the system ROM and character set from the build,
// booted on a machine that the test thread drives slice by slice, as
// CpuThread would, and typed at through CtlEmulator.
#pragma once

#include <cstdint>
#include <string>
#include <vector>
#include <windows.h>

// Width and height of the window the frame is presented into.
constexpr int kWindowWidth = 640;
constexpr int kWindowHeight = 400;

// Powers the machine on: the ROM images read from Z80HOME_ROM_DIR as
// RunEmu reads them, MachinePowerOn, and slices until BASIC's prompt
// shows; then MON and slices until the monitor's prompt shows. Fails the
// test if a prompt never comes.
void MachineBoot(void);
// n processor slices, each with its eight ticks.
void RunSlices(int n);
// Text of a screen row as the renderer reads it (40-column mode reads the
// even bytes); codes below 0x20 or above 0x7E read as '~'.
std::string ScreenRow(int row);
int ScreenRows(void);
// The row holding text (from the top), or -1.
int FindRow(const std::string& text);
// The row of the cursor as the CRT controller holds it.
int CursorRow(void);
// Presses and releases one host key, with the host's SHIFT held if asked.
void PressKey(int virtualKey, bool shift = false);
// Presses one key with CTRL held.
void PressCtrlKey(int virtualKey);
// Types text (letters, digits, space and the punctuation a command needs).
void TypeText(const std::string& text);
// True while the monitor waits at an empty prompt.
bool AtPrompt(void);
// Runs slices until the prompt shows, at most the number given.
bool RunUntilPrompt(int slices);
// Types a line and RETURN; returns the row it was typed on.
int TypeLine(const std::string& line);
// Types a command, runs until the prompt is back (a failure if it never
// is) and returns the row the command shows on.
int Command(const std::string& line);
// Draws a frame and returns the frame pixel at dot (x, y) of a cell.
COLORREF CellPixel(int row, int column, int x, int y);
// Draws a frame; true if any dot of the cell differs from its top-left dot.
bool CellHasInk(int row, int column);
// The window position of the centre of a cell, as lParam.
int32_t CellCentre(int row, int column);
// Reads memory through the bus.
uint8_t Peek(int address);
std::vector<uint8_t> Memory(int start, int length);
// A fresh tape file name in the temporary folder.
std::string TapePath(const char* name);
std::vector<uint8_t> ReadFile(const std::string& path);
// The record SAVE writes: leader, sync, header, data, sum; of type 1 (a
// memory block) or 2 (a BASIC program's text).
std::vector<uint8_t> Record(const std::string& name, int start, const std::vector<uint8_t>& data,
                            uint8_t type = 1);
// BASIC's program store as SAVE writes it from TXTTAB: each line's link,
// number, tokenised text and 0, then a 0 link.
struct StoredLine {
    int number;
    std::vector<uint8_t> text;
};
std::vector<uint8_t> ProgramImage(const std::vector<StoredLine>& lines);
// The value of a label or constant of the system ROM, from the symbol
// listing the build writes beside it; fails the test if there is none.
int RomSymbol(const std::string& name);
// Runs slices until the processor waits in HALT with no key queued (the
// prompts wait so for a key), at most the number given.
bool RunUntilIdle(int slices);
// BASIC: true when "Ok" stands above the cursor, which waits at the start
// of an empty row.
bool AtBasicPrompt(void);
bool RunUntilBasicPrompt(int slices);
// Powers the machine on and runs until BASIC's prompt.
void BasicBoot(void);
// Types a BASIC command, runs until "Ok" is back (a failure if it never is)
// and returns the row the command shows on.
int Basic(const std::string& line, int slices = 600);
// Types program lines (no "Ok" follows them).
void Enter(const std::vector<std::string>& lines);
// A 16-bit word of memory, low byte first.
int PeekWord(int address);
// A screen row without its trailing spaces.
std::string TrimmedRow(int row);
// BASIC: runs a command and returns the rows from the one after it up to
// the "Ok" (or the error) that ends it, trimmed.
std::vector<std::string> BasicOutput(const std::string& line, int slices = 600);
