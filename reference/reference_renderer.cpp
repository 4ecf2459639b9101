#include "reference/reference_renderer.h"

#include "bus/bus.h"
#include "state/machine_state.h"

#include <windows.h>

// The colour a palette brush reports; a brush that cannot describe itself as
// solid gives a value no pixel can have.
static COLORREF RefBrushColor(int index) {
    LOGBRUSH description;
    if (GetObjectW(machine.brushes[index], sizeof description, &description) !=
            static_cast<int>(sizeof description) ||
        description.lbStyle != BS_SOLID)
        return 0xFFFFFFFF;
    return description.lbColor;
}

static int RefFloorHalf(int value) {
    return value >= 0 ? value / 2 : -((1 - value) / 2);
}

long refFillRectCalls = 0;
long refGetPixelCalls = 0;

void RefFillCellRect(int left, int top, int right, int bottom) {
    int hScale = Get(machine.columns80) ? 100 : 200;
    int vScale = Get(machine.rows25) ? 240 : 300;
    RECT rect;
    rect.left = left * hScale / 100;
    rect.top = top * vScale / 100;
    rect.right = right * hScale / 100;
    rect.bottom = bottom * vScale / 100;
    refFillRectCalls++;
    if (machine.pageIndex < 1) {
        FillRect(machine.frameDc, &rect, machine.brushes[machine.drawColor]);
        return;
    }
    refGetPixelCalls++;
    COLORREF p = GetPixel(machine.frameDc, rect.left, rect.top);
    COLORREF o = RefBrushColor(machine.drawColor);
    COLORREF k = RefBrushColor(32 + Get(machine.bgColor));
    COLORREF t = p == k ? o : p;
    int channel[3];
    for (int i = 0; i < 3; ++i) {
        int tc = (t >> (8 * i)) & 0xFF;
        int oc = (o >> (8 * i)) & 0xFF;
        channel[i] = ((tc + RefFloorHalf(tc - oc)) % 256 + 256) % 256;
    }
    HBRUSH brush = CreateSolidBrush(RGB(channel[0], channel[1], channel[2]));
    FillRect(machine.frameDc, &rect, brush);
    DeleteObject(brush);
}

void RefPlotDot(int x, int y) {
    RefFillCellRect(x, y, x + 1, y + 1);
}

static int RefRead(int offset) {
    return BusAccess(Get(machine.dmaAddress[2]) + offset, 0, MemRead);
}

static int RefFg(int colorCode) {
    int g = Get(machine.greenDisplay) ? 128 : 0;
    if (Get(machine.monoMode)) return Get(machine.greenDisplay) ? 137 : 9;
    return g + colorCode;
}

static int RefBg(void) {
    int g = Get(machine.greenDisplay) ? 128 : 0;
    if (Get(machine.monoMode)) return Get(machine.greenDisplay) ? 168 : 40;
    return g + 32 + Get(machine.bgColor);
}

static void RefFillFrame(void) {
    RECT whole = {0, 0, 640, 480};
    refFillRectCalls++;
    FillRect(machine.frameDc, &whole, machine.brushes[machine.drawColor]);
}

// Returns false when the frame must stop (an offset past the count).
static bool RefDrawCell(int r, int c) {
    int s = Get(machine.columns80) ? 1 : 2;
    int b = machine.pageIndex * 3000 + r * 120;
    int offset = b + c * s;
    int n = Get(machine.dmaCount[2]) & 0x3FFF;
    if (offset > n) return false;
    int k = RefRead(offset);

    int colorPos = -1, colorCode = 0, colorSemigraphic = 0, attrPos = -1, attrSemigraphic = 0;
    for (int j = 0; j <= 19; ++j) {
        int V = RefRead(b + 81 + 2 * j);
        int P = RefRead(b + 80 + 2 * j);
        if ((P & 0x7F) == 0x60) continue;
        int q = P / s;
        if (V & 8) {
            if (q <= c && q > colorPos) {
                colorPos = q;
                colorCode = V >> 5;
                colorSemigraphic = (V >> 4) & 1;
            }
        } else {
            if ((q <= c && q > attrPos) || ((V & 0x80) && attrSemigraphic == 0)) {
                machine.currentAttr = V;
                attrPos = q;
                attrSemigraphic = (V >> 7) & 1;
            }
        }
    }
    if (colorSemigraphic == 1) machine.currentAttr |= 0x80;

    int rev = (machine.currentAttr >> 2) & 1;
    int cx = Get(machine.cursorX), cy = Get(machine.cursorY);
    int cursorHere =
        cx != -1 && cy != -1 && cx == s * c && cy == r && machine.cursorBlinkPhase == 0;
    int inv = rev ^ cursorHere;

    if (cursorHere) {
        machine.drawColor = rev ? RefBg() : RefFg(colorCode);
        RefFillCellRect(8 * c, 8 * r, 8 * c + 8, 8 * r + 8);
    }
    if ((machine.currentAttr & 1) || ((machine.currentAttr & 2) && machine.attrBlinkPhase))
        return true;
    machine.drawColor = inv ? RefFg(colorCode) : RefBg();
    RefFillCellRect(8 * c, 8 * r, 8 * c + 8, 8 * r + 8);
    machine.drawColor = inv ? RefBg() : RefFg(colorCode);
    if (machine.currentAttr & 0x80) {
        for (int i = 0; i <= 7; ++i) {
            if (((k >> i) & 1) == 0) continue;
            int left = 8 * c + 4 * (i >> 2);
            int top = 8 * r + 2 * (i & 3);
            RefFillCellRect(left, top, left + 4, top + 2);
        }
    } else {
        for (int y = 0; y <= 7; ++y) {
            int pattern = (Get(machine.pcgEnabled) && k >= 128)
                              ? Get(machine.pcgRam[(k - 128) * 8 + y])
                              : machine.fontRom[k * 8 + y];
            for (int x = 0; x <= 7; ++x)
                if ((pattern >> (7 - x)) & 1) RefPlotDot(8 * c + x, 8 * r + y);
        }
    }
    if (machine.currentAttr & 0x40) RefFillCellRect(8 * c + 3, 8 * r, 8 * c + 4, 8 * r + 8);
    if (machine.currentAttr & 0x20) RefFillCellRect(8 * c, 8 * r + 6, 8 * c + 8, 8 * r + 7);
    if (machine.currentAttr & 0x10) RefFillCellRect(8 * c, 8 * r, 8 * c + 8, 8 * r + 1);
    return true;
}

static void RefDrawPages(void) {
    machine.pageIndex = 0;
    for (;;) {
        int n = Get(machine.dmaCount[2]) & 0x3FFF;
        int pages = n < 3000 ? 1 : n / 3000 + 1;
        if (machine.pageIndex >= pages) return;
        for (int r = 0; r < (Get(machine.rows25) ? 25 : 20); ++r)
            for (int c = 0; c < (Get(machine.columns80) ? 80 : 40); ++c)
                if (!RefDrawCell(r, c)) return;
        machine.pageIndex += 1;
    }
}

void RefDrawScreen(void) {
    if (Get(machine.displayOn) != 1) {
        machine.drawColor = Get(machine.greenDisplay) ? 136 : 8;
        RefFillFrame();
    } else {
        machine.drawColor = RefBg();
        RefFillFrame();
        RefDrawPages();
    }
    if (Get(machine.blinkRate) == machine.blinkCounter)
        machine.cursorBlinkPhase = !machine.cursorBlinkPhase;
    if (machine.blinkCounter >= 2 * Get(machine.blinkRate)) {
        machine.attrBlinkPhase = !machine.attrBlinkPhase;
        machine.blinkCounter = 0;
    }
    machine.blinkCounter += 1;

    RECT client = {0, 0, 0, 0};
    GetClientRect(machine.hostWindow, &client);
    if (client.right == 0 || client.bottom == 0) return;
    SetStretchBltMode(machine.windowDc, COLORONCOLOR);
    StretchBlt(machine.windowDc, 0, 0, client.right, client.bottom, machine.frameDc, 0, 0, 640, 480,
               SRCCOPY);
}
