; The monitor: banner, prompt, line editor, command parsing and HELP.

; Attribute values.
A_SECRET  EQU 01H
A_BLINK   EQU 02H
A_REVERSE EQU 04H
A_COLOUR  EQU 08H               ; colour pair: code in bits 5-7
A_SEMI    EQU 10H               ;   and semigraphics in bit 4
A_OVER    EQU 10H               ; function pair bits
A_UNDER   EQU 20H
A_VLINE   EQU 40H
C_BLUE    EQU 1 * 20H + A_COLOUR
C_RED     EQU 2 * 20H + A_COLOUR
C_MAGENTA EQU 3 * 20H + A_COLOUR
C_GREEN   EQU 4 * 20H + A_COLOUR
C_CYAN    EQU 5 * 20H + A_COLOUR
C_YELLOW  EQU 6 * 20H + A_COLOUR
C_WHITE   EQU 7 * 20H + A_COLOUR

; Adds the attribute pairs listed at HL to row D: column, value, ...,
; ending with FFH.
ATTRLIST:
        LD A,(HL)
        CP 0FFH
        RET Z
        LD E,A
        INC HL
        LD C,(HL)
        INC HL
        CALL SETATTR
        JR ATTRLIST

BANNER: LD HL,BANNERTEXT
        CALL PRINT
        LD D,0
        LD HL,BANNERATTR
        CALL ATTRLIST
        LD HL,BANNERTEXT2
        CALL PRINT
        LD HL,USERHI - USERLO + 1
        CALL PDEC
        CALL PRINTI
        DB " bytes)",0DH,"Type HELP for the list of commands.",0
        LD A,(CURY)
        LD D,A
        LD E,0
        LD C,C_GREEN
        CALL SETATTR
        CALL CRLF
        JP CRLF

BANNERTEXT:
        DB " Z80HOME  System Monitor 1.0 ",0B3H,0B3H,0B3H,0B3H,0B3H,0B3H,0B3H,0DH,0
BANNERATTR:
        DB 0,C_CYAN, 0,A_REVERSE, 9,0, 9,C_YELLOW
        DB 29,C_BLUE, 30,C_RED, 31,C_MAGENTA, 32,C_GREEN, 33,C_CYAN, 34,C_YELLOW, 35,C_WHITE
        DB 0FFH
BANNERTEXT2:
        DB "Free memory 6000-DFFF (",0

; ---------------------------------------------------------------- command loop
MONITOR:
        EI                      ; a program run may have left them off
        LD A,(CURX)
        OR A
        CALL NZ,CRLF
        CALL PRINTI
        DB "> ",0
        CALL GETLINE
        LD (PARSEPTR),HL
        CALL GETWORD
        JR Z,MONITOR
        LD HL,COMMANDS
_find:  LD A,(HL)
        OR A
        JR Z,_unknown
        LD DE,WORDBUF
_cmp:   LD A,(DE)
        CP (HL)
        JR NZ,_next
        INC HL
        INC DE
        OR A
        JR NZ,_cmp
        LD E,(HL)               ; matched: the handler's address follows
        INC HL
        LD D,(HL)
        EX DE,HL
        LD DE,MONITOR
        PUSH DE
        JP (HL)
_next:  LD A,(HL)               ; skip the rest of this name and its address
        INC HL
        OR A
        JR NZ,_next
        INC HL
        INC HL
        JR _find
_unknown:
        CALL PRINTI
        DB "?Unknown command; type HELP",0
        JR MONITOR

; Errors abandon the command and return to the prompt.
ERRSYNTAX:
        CALL PRINTI
        DB "?Syntax error",0
        JP WARM
ERRVALUE:
        CALL PRINTI
        DB "?Bad value",0
        JP WARM
ERRBREAK:
        CALL PRINTI
        DB 0DH,"?Break",0
        JP WARM

COMMANDS:
        DB "HELP",0
        DW CMDHELP
        DB "DUMP",0
        DW CMDDUMP
        DB "SET",0
        DW CMDSET
        DB "FILL",0
        DW CMDFILL
        DB "RUN",0
        DW CMDRUN
        DB "IN",0
        DW CMDIN
        DB "OUT",0
        DW CMDOUT
        DB "CLS",0
        DW CLS
        DB "WIDTH",0
        DW CMDWIDTH
        DB "ROWS",0
        DW CMDROWS
        DB "COLOR",0
        DW CMDCOLOR
        DB "MONO",0
        DW CMDMONO
        DB "DISPLAY",0
        DW CMDDISPLAY
        DB "ATTR",0
        DW CMDATTR
        DB "TIME",0
        DW CMDTIME
        DB "BEEP",0
        DW CMDBEEP
        DB "SAVE",0
        DW CMDSAVE
        DB "LOAD",0
        DW CMDLOAD
        DB "PCG",0
        DW CMDPCG
        DB "CHARS",0
        DW CMDCHARS
        DB "PEN",0
        DW CMDPEN
        DB "DMA",0
        DW CMDDMA
        DB "BASIC",0
        DW BASIC
        DB 0

; Numbers are hex unless the line says decimal.
CMDHELP:
        CALL ENDCHK
        LD HL,HELPTEXT
        JP PRINT
HELPTEXT:
        DB "DUMP a [b]     show memory a to b",0DH
        DB "SET a x..      store bytes from a",0DH
        DB "FILL a b x     fill a to b with x",0DH
        DB "RUN a          call the code at a",0DH
        DB "IN p / OUT p x read / write a port",0DH
        DB "CLS            clear the screen",0DH
        DB "WIDTH 40|80    columns",0DH
        DB "ROWS 20|25     rows",0DH
        DB "COLOR f [b]    text, background 0-7",0DH
        DB "MONO ON|OFF    monochrome",0DH
        DB "DISPLAY OFF    blank until a key",0DH
        DB "ATTR           show the attributes",0DH
        DB "TIME [[m/d] h:m:s] clock",0DH
        DB "BEEP [ON|OFF]  beeper",0DH
        DB "SAVE a b name  memory to tape",0DH
        DB "LOAD [name|*] [a] tape to memory",0DH
        DB "PCG [c [x..]]  define glyph 80-FF",0DH
        DB "CHARS          show codes 80-FF",0DH
        DB "PEN            read the light pen",0DH
        DB "DMA            DMA controller state",0DH
        DB "BASIC          BASIC, program kept",0DH
        DB "Numbers in hex; WIDTH, ROWS, COLOR,",0DH
        DB "TIME in decimal.",0

; ---------------------------------------------------------------- line editor
; Edits a line at the cursor: printable keys insert, LEFT and RIGHT move,
; HOME goes to the start, BS and DEL delete, UP recalls the previous line,
; DOWN and ESC clear, STOP abandons, RETURN ends. Returns HL = the text,
; zero-terminated, and the cursor on the next line.
GETLINE:
        PUSH BC
        PUSH DE
        LD A,(COLS)
        LD B,A
        LD A,(CURX)
        INC A
        CP B
        CALL NC,NEWLINE         ; no room left on this row
        LD A,(CURX)
        LD (LINECOL),A
        LD B,A
        LD A,(COLS)
        SUB B
        DEC A                   ; keep the last column free
        LD (LINEMAX),A
        XOR A
        LD (LINELEN),A
        LD (LINEPOS),A
        LD (LINELOST),A
_key:   LD A,(LINECOL)
        LD B,A
        LD A,(LINEPOS)
        ADD A,B
        LD (CURX),A
        CALL SHOWCURSOR
        CALL GETKEY
        CP K_CR
        JP Z,_done
        CP K_STOP
        JP Z,_stop
        LD HL,_key
        PUSH HL                 ; the handlers below return to _key
        CP K_LEFT
        JR Z,_left
        CP K_RIGHT
        JR Z,_right
        CP K_HOME
        JR Z,_home
        CP K_BS
        JR Z,_bs
        CP K_DEL
        JR Z,_del
        CP K_UP
        JP Z,_recall
        CP K_DOWN
        JP Z,_clear
        CP K_ESC
        JP Z,_clear
        CP ' '
        RET C
        CP 7FH
        RET NC
        ; insert A at LINEPOS
        LD C,A
        LD A,(LINEMAX)
        LD B,A
        LD A,(LINELEN)
        CP B
        JR NC,_full
        LD HL,LINEPOS
        SUB (HL)                ; characters from the position to the end
        JR Z,_put
        PUSH BC
        LD C,A
        LD B,0
        LD HL,LINEBUF - 1
        LD A,(LINELEN)
        LD E,A
        LD D,0
        ADD HL,DE               ; last character
        LD D,H
        LD E,L
        INC DE
        LDDR
        POP BC
_put:   LD A,(LINEPOS)
        CALL _at
        LD (HL),C
        LD HL,LINELEN
        INC (HL)
        LD HL,LINEPOS
        INC (HL)
        JR _draw
_left:  LD HL,LINEPOS
        LD A,(HL)
        OR A
        RET Z
        DEC (HL)
        RET
_full:  LD A,1                  ; the row is full: the key is refused and
        LD (LINELOST),A         ; so is the line, when RETURN comes
        JP BEEP
_right: LD HL,LINEPOS
        LD A,(LINELEN)
        CP (HL)
        RET Z
        INC (HL)
        RET
_home:  XOR A
        LD (LINEPOS),A
        RET
_bs:    LD HL,LINEPOS
        LD A,(HL)
        OR A
        RET Z
        DEC (HL)
        ; fall into _del
_del:   LD A,(LINELEN)
        LD HL,LINEPOS
        SUB (HL)                ; characters from the position to the end
        RET Z
        DEC A
        JR Z,_cut
        LD C,A
        LD B,0
        LD A,(HL)
        CALL _at
        LD D,H
        LD E,L
        INC HL
        LDIR
_cut:   LD HL,LINELEN
        DEC (HL)
        JR _draw
_recall:
        LD HL,HISTBUF
        LD DE,LINEBUF
        LD BC,81
        LDIR
        LD A,(LINEMAX)
        LD B,A
        LD A,(HISTLEN)
        CP B                    ; recalled in a narrower mode: cut it
        JR C,_fits
        LD A,B
_fits:  LD (LINELEN),A
        LD (LINEPOS),A
        JR _draw
_clear: XOR A
        LD (LINELEN),A
        LD (LINEPOS),A
        ; fall into _draw
        ; shows the line from LINECOL, blanks to LINEMAX
_draw:  LD A,(CURY)
        LD D,A
        LD A,(LINECOL)
        LD E,A
        CALL CELLADDR
        LD A,(STEP)
        LD E,A
        LD D,0
        LD BC,LINEBUF
        LD A,(LINEMAX)
_cell:  PUSH AF
        LD A,(LINELEN)
        ADD A,LINEBUF AND 0FFH
        CP C                    ; past the line's end? (LINEBUF is in one page)
        LD A,' '
        JR Z,_blank
        JR C,_blank
        LD A,(BC)
        INC BC
_blank: LD (HL),A
        ADD HL,DE
        POP AF
        DEC A
        JR NZ,_cell
        RET
        ; HL = LINEBUF + A
_at:    LD HL,LINEBUF
        ADD A,L
        LD L,A
        RET NC
        INC H
        RET
_stop:  XOR A
        LD (LINELEN),A
        CALL _draw
_done:  LD A,(LINELOST)
        OR A
        JR Z,_whole
        XOR A
        LD (LINELEN),A
        LD (LINEBUF),A
        CALL NEWLINE
        CALL PRINTI
        DB "?Line too long for the row",0
        JR _done2
_whole: LD A,(LINELEN)
        LD E,A
        LD D,0
        LD HL,LINEBUF
        ADD HL,DE
        LD (HL),0
        OR A
        JR Z,_noted
        LD (HISTLEN),A
        LD HL,LINEBUF
        LD DE,HISTBUF
        LD BC,81
        LDIR
_noted: CALL NEWLINE
_done2: LD HL,LINEBUF
        POP DE
        POP BC
        RET

; ---------------------------------------------------------------- parsing
; The parser reads the line at PARSEPTR.

; A = the next character that is not a space or comma, HL -> it.
SKIPSP: LD HL,(PARSEPTR)
_skip:  LD A,(HL)
        CP ' '
        JR Z,_more
        CP ','
        JR NZ,_at
_more:  INC HL
        JR _skip
_at:    LD (PARSEPTR),HL
        RET

; A upper-cased.
UPPER:  CP 'a'
        RET C
        CP 'z' + 1
        RET NC
        SUB 20H
        RET

; Reads the next word into WORDBUF (upper case, zero-terminated, at most 8
; characters; a longer word reads as "?"). Z if the line has ended.
GETWORD:
        PUSH BC
        PUSH DE
        CALL SKIPSP
        OR A
        JR Z,_end
        LD DE,WORDBUF
        LD B,8
_char:  LD A,(HL)
        OR A
        JR Z,_term
        CP ' '
        JR Z,_term
        CP ','
        JR Z,_term
        INC HL
        CALL UPPER
        LD (DE),A
        INC DE
        DJNZ _char
        LD A,(HL)               ; a ninth character?
        OR A
        JR Z,_term
        CP ' '
        JR Z,_term
        CP ','
        JR Z,_term
        LD DE,WORDBUF
        LD A,'?'
        LD (DE),A
        INC DE
_long:  LD A,(HL)               ; skip the rest of the word
        OR A
        JR Z,_term
        CP ' '
        JR Z,_term
        INC HL
        JR _long
_term:  XOR A
        LD (DE),A
        LD (PARSEPTR),HL
        INC A                   ; NZ
_end:   POP DE
        POP BC
        RET

; Z if the line holds nothing more. Keeps HL.
ATEND:  PUSH HL
        CALL SKIPSP
        POP HL
        OR A
        RET

; Syntax error unless the line holds nothing more.
ENDCHK: CALL ATEND
        RET Z
        JP ERRSYNTAX

; Reads a hex number into HL (up to four digits). Carry set, and nothing
; read, when the next item is not a number.
GETHEX: PUSH BC
        PUSH DE
        CALL SKIPSP
        CALL HEXNUM
        JP C,ERRVALUE
        SUB 1
        JR C,_none
        CALL SEPCHK
        LD (PARSEPTR),HL
        EX DE,HL
        OR A
_none:  POP DE
        POP BC
        RET

; Like GETHEX, but the number is required.
NEEDHEX:
        CALL GETHEX
        RET NC
        JP ERRSYNTAX

; Like NEEDHEX, for a byte.
NEEDBYTE:
        CALL NEEDHEX
        LD A,H
        OR A
        JP NZ,ERRVALUE
        LD A,L
        RET

; Reads the hex digits at HL into DE (monitor numbers and BASIC's &H):
; HL past them, A = how many there were (carry clear), or carry at a fifth.
; Changes B.
HEXNUM: LD DE,0
        LD B,5
_digit: LD A,(HL)
        CALL HEXVAL
        JR C,_end
        DEC B
        SCF
        RET Z
        EX DE,HL
        ADD HL,HL
        ADD HL,HL
        ADD HL,HL
        ADD HL,HL
        OR L
        LD L,A
        EX DE,HL
        INC HL
        JR _digit
_end:   LD A,5
        SUB B
        RET

; A = the value of hex digit A; carry if it is none.
HEXVAL: CALL UPPER
        SUB '0'
        RET C
        CP 10
        CCF
        RET NC
        SUB 'A' - '0'
        RET C
        CP 6
        CCF
        RET C
        ADD A,10
        RET

; A number must end at a space, a comma or the end of the line.
SEPCHK: LD A,(HL)
        OR A
        RET Z
        CP ' '
        RET Z
        CP ','
        RET Z
        JP ERRSYNTAX

; Reads a decimal number (0-255) into A; carry if none is there. It stops
; at the first character that is not a digit.
GETDEC: PUSH BC
        PUSH HL
        CALL SKIPSP
        LD A,(HL)
        SUB '0'
        JR C,_none
        CP 10
        CCF
        JR C,_none
        LD C,0
_digit: LD A,(HL)
        SUB '0'
        JR C,_end
        CP 10
        JR NC,_end
        LD B,A
        LD A,C
        CP 26
        JP NC,ERRVALUE
        ADD A,A                 ; C * 10 + digit
        ADD A,A
        ADD A,C
        ADD A,A
        ADD A,B
        JP C,ERRVALUE
        LD C,A
        INC HL
        JR _digit
_end:   LD (PARSEPTR),HL
        LD A,C
        OR A
_none:  POP HL
        POP BC
        RET

; Like GETDEC, but the number is required.
NEEDDEC:
        CALL GETDEC
        RET NC
        JP ERRSYNTAX

; Expects the character A next on the line (after spaces).
EXPECT: PUSH BC
        LD B,A
        CALL SKIPSP
        CP B
        POP BC
        JP NZ,ERRSYNTAX
        INC HL
        LD (PARSEPTR),HL
        RET

; Reads ON or OFF: NZ for ON, Z for OFF.
ONOFF:  CALL GETWORD
        JP Z,ERRSYNTAX
        CALL ENDCHK
        LD HL,WORDBUF
        LD A,(HL)
        CP 'O'
        JP NZ,ERRSYNTAX
        INC HL
        LD A,(HL)
        CP 'N'
        JR Z,_on
        CP 'F'
        JP NZ,ERRSYNTAX
        INC HL
        LD A,(HL)
        CP 'F'
        JP NZ,ERRSYNTAX
        INC HL
        LD A,(HL)
        OR A
        JP NZ,ERRSYNTAX
        RET
_on:    INC HL
        LD A,(HL)
        OR A
        JP NZ,ERRSYNTAX
        INC A
        RET
