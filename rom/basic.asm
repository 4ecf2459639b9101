; BASIC: the line editor, the tokeniser, program storage, LIST and the
; statement loop. The text pointer is HL throughout: it points at the
; character being looked at, CHRGET moves it on.
;
; Program text from TXTTAB: each line is a link to the next line (2), its
; number (2), the tokenised text and a 0; a link of 0 ends the program.
; Then the simple variables (VARTAB: 2-byte name, 4-byte value), the arrays
; (ARYTAB: name, size of the rest, dimension count, the dimensions, the
; 4-byte elements) up to STREND; strings grow down from MEMSIZ to FRETOP.
; A name's first byte has bit 7 set for an integer, its second for a
; string (both: a DEF FN, whose value is the text and the parameter name).
; FOR and GOSUB frames live on the processor stack.
;
; The text cache (TXC) remembers what a place in the program's text meant
; when it last ran, keyed by the place's address: a number's value, a
; jump's target line, a simple variable's address, a WHILE's WEND. Each
; place is read one way only (a number, a line number after GOTO, GOSUB,
; THEN, ELSE or ON, a name, or a WHILE's token), so its entry's kind
; follows from who asks. 64 entries, the one for address a at TXC + (a mod
; 64) * 4: the address (high byte 0: empty) and the address after the text
; it covers (spaces included; for a WHILE, after its WEND); and at the
; same place in the next page its value: a number's 4 bytes; a line's link
; (bytes 2 and 3); a simple variable's address (1 and 2) and type
; (VARTYPE, 3); an array's place from ARYTAB (1 and 2) and type with bit 7
; set (3); the WEND's line's link (1 and 2). The input line's text is never kept. Simple variables never move while they exist (a new one goes
; after them and moves all the arrays alike), arrays are only added after
; the others, and lines move only when the program changes, so one rule
; keeps the cache right: whatever changes the program, clears the
; variables or could change the text under them empties it (CLEARVARS,
; and POKE or BLOAD below STREND). Anything that changes what a name means
; (the type its first letter gives) or removes an array must empty it
; too.

TXTTAB    EQU USERLO
MEMSIZ    EQU USERHI + 1
EDITTOP   EQU MEMSIZ - 256      ; the program stays below, leaving room for a
                                ; few variables
STACKLIM  EQU 0F900H            ; below this the stack is too deep
LINEMAXB  EQU 255               ; longest input line

BUF       EQU 0F301H            ; 256: the input line, tokenised in place,
                                ; after a ':' that direct mode starts at;
                                ; RENUM's numbers may run 5 bytes past it
                                ; before its length check sees them
BVARS     EQU BUF + 261
VARTAB    EQU BVARS             ; 2
ARYTAB    EQU VARTAB + 2        ; 2
STREND    EQU ARYTAB + 2        ; 2
FRETOP    EQU STREND + 2        ; 2
CURLIN    EQU FRETOP + 2        ; 2: line running, FFFFH in direct mode
CONTPTR   EQU CURLIN + 2        ; 2: where CONT goes on, 0 = it cannot
CONTLIN   EQU CONTPTR + 2       ; 2
MAINSP    EQU CONTLIN + 2       ; 2: the stack the prompt runs on
DATPTR    EQU MAINSP + 2        ; 2: where READ goes on
DATNEED   EQU DATPTR + 2        ; 1: non-zero: look for the next DATA first
TEMPPT    EQU DATNEED + 1       ; 2: next free temporary descriptor
TEMPST    EQU TEMPPT + 2        ; 32: 8 temporary string descriptors
TEMPEND   EQU TEMPST + 32
VALTYP    EQU TEMPEND           ; 1: 0 number, 1 string (FAC = descriptor)
VARTYPE   EQU VALTYP + 1        ; 1: of the last variable found: 0 1 2
DIMFLG    EQU VARTYPE + 1       ; 1: non-zero while DIM makes arrays
MKVAR     EQU DIMFLG + 1        ; 1: non-zero: make a missing variable
OPTXT     EQU MKVAR + 1         ; 2: text pointer kept over an operation
ARYTXT    EQU OPTXT + 2         ; 2
LISTHI    EQU ARYTXT + 2        ; 2
AUTOLIN   EQU LISTHI + 2        ; 2: next AUTO line, 0 = off
AUTOSTEP  EQU AUTOLIN + 2       ; 2
INPTR     EQU AUTOSTEP + 2      ; 2: INPUT and READ data pointer
GCLIM     EQU INPTR + 2         ; 2: collector's working values
GCTOP     EQU GCLIM + 2         ; 2
GCBEST    EQU GCTOP + 2         ; 2
GCBADR    EQU GCBEST + 2        ; 2
FNSAVE    EQU GCBADR + 2        ; 2: the newest FN call's frame, 0 = none
NUMTMP    EQU FNSAVE + 2        ; 4: a number kept aside
PREFILL   EQU NUMTMP + 4        ; 1: characters already in BUF for INLINE
PLOTX     EQU PREFILL + 1       ; 2: dot kept by LINE
PLOTY     EQU PLOTX + 2         ; 2
STRL      EQU PLOTY + 2         ; 2: the left string operand's descriptor
ARYCNT    EQU STRL + 2          ; 1: subscripts given
VALBUF    EQU ARYCNT + 1        ; 41: text VAL reads
CONTMODE  EQU VALBUF + 41        ; 1: CONTPTR is a line to start, not a statement end
FNTYPE    EQU CONTMODE + 1        ; 1: the FN parameter's type
PENX      EQU FNTYPE + 1          ; 1: the light pen's last column
PENY      EQU PENX + 1            ; 1: and row
LINEON    EQU PENY + 1         ; 1: LINE's state: dots on or off
LINEX2    EQU LINEON + 1          ; 2: the end point
LINEY2    EQU LINEX2 + 2          ; 2
LINEDX    EQU LINEY2 + 2          ; 2
LINEDY    EQU LINEDX + 2          ; 2
LINESX    EQU LINEDY + 2          ; 2
LINESY    EQU LINESX + 2          ; 2
LINEERR   EQU LINESY + 2          ; 2
EDITPTR   EQU LINEERR + 2         ; 2: where OUTCH stores, 0 = the screen
RENNEW    EQU EDITPTR + 2         ; 2: RENUM's first new number
RENOLD    EQU RENNEW + 2          ; 2: its first old one
RENSTEP   EQU RENOLD + 2          ; 2
RENLINE   EQU RENSTEP + 2         ; 2: the line being rewritten
ILEN      EQU RENLINE + 2         ; 1: INLINE's line length
IPOS      EQU ILEN + 1            ; 1: and the cursor's place in it
CURPTR    EQU IPOS + 1            ; 2: the line running (its link)
RENGROW   EQU CURPTR + 2          ; 2: RENUM: bytes the lines that grow need
RENDO     EQU RENGROW + 2         ; 1: RENUM: 0 measures, 1 rewrites
PCLIMIT   EQU RENDO + 1           ; 2: PROGCHECK: the image's end
PCDELTA   EQU PCLIMIT + 2         ; 2: and what turns its addresses into links
PCLEAST   EQU PCDELTA + 2         ; 2: the least number the next line may have
USEFMT    EQU PCLEAST + 2         ; 2: PRINT USING: the format's descriptor
USEPOS    EQU USEFMT + 2          ; 1: the place in it
USESEEN   EQU USEPOS + 1          ; 1: non-zero once it has shown a field
USEFLG    EQU USESEEN + 1         ; 1: the number field's UF_ bits
USELEAD   EQU USEFLG + 1          ; 1: its places before the point
USEDEC    EQU USELEAD + 1         ; 1: and after it
USETRAIL  EQU USEDEC + 1          ; 1: its trailing sign, 0 for none
USEP      EQU USETRAIL + 1        ; 1: the place of the number's first digit
USEPP     EQU USEP + 1            ; 1: the place it prints at
USEX      EQU USEPP + 1           ; 1: the exponent printed
TRACE     EQU USEX + 1            ; 2: non-zero while TRON shows the lines
FKPTR     EQU TRACE + 2           ; 2: the function key text being typed, 0 = none
KEYTXT    EQU FKPTR + 2           ; 80: the texts of F1 to F5, 16 bytes each
TEXTLEFT  EQU KEYTXT + 80         ; 2: a program text's characters still to read
DEFTBL    EQU TEXTLEFT + 2        ; 26: the type of each letter's names
DEFANY    EQU DEFTBL + 26         ; 1: non-zero once a DEF statement set one
STMTTXT   EQU DEFANY + 1          ; 2: where the statement running starts
STMTSP    EQU STMTTXT + 2         ; 2: and the stack then
ONERRLN   EQU STMTSP + 2          ; 2: ON ERROR GOTO's line, 0 = none
INERR     EQU ONERRLN + 2         ; 1: non-zero while its handler runs
ERRNUM    EQU INERR + 1           ; 1: ERR
ERRLN     EQU ERRNUM + 1          ; 2: ERL
ERRTXT    EQU ERRLN + 2           ; 2: STMTTXT of the error, for RESUME
ERRPTR    EQU ERRTXT + 2          ; 2: and its line (the link)
RENZERO   EQU ERRPTR + 2          ; 1: RENUM: a 0 after RESUME or ERROR GOTO
ARYHDR    EQU RENZERO + 1         ; 2: ARRAY: the array last found
OPVAL     EQU ARYHDR + 2          ; 2: EVALP: where a simple operand's value lies
LINEVEC   EQU OPVAL + 2           ; 3: JP where a program line's first statement goes
STMTVEC   EQU LINEVEC + 3         ; 3: JP where every other statement goes
BVEND     EQU STMTVEC + 3
TXCPAGE   EQU 0F6H
TXC       EQU TXCPAGE * 256       ; 512: the text cache, two pages
        IF DEFTBL / 256 != (DEFTBL + 25) / 256
        .ERROR The letters' types must lie within one page
        ENDIF
        IF BVEND > TXC
        .ERROR The interpreter's variables outgrew their area
        ENDIF

E_NF      EQU 1
E_SN      EQU 2
E_RG      EQU 3
E_OD      EQU 4
E_FC      EQU 5
E_OV      EQU 6
E_OM      EQU 7
E_UL      EQU 8
E_BS      EQU 9
E_DD      EQU 10
E_DZ      EQU 11
E_ID      EQU 12
E_TM      EQU 13
E_OS      EQU 14
E_LS      EQU 15
E_ST      EQU 16
E_CN      EQU 17
E_UF      EQU 18
E_NR      EQU 19                ; the codes ERR gives, as the dialect's
E_RW      EQU 20
E_UE      EQU 21
E_LB      EQU 23
E_NP      EQU 24
E_WH      EQU 29
E_WE      EQU 30

; ---------------------------------------------------------------- start
; Power on and reset: the banner, the free bytes and the prompt. A reset
; finds the program intact when its lines lead from TXTTAB to the end that
; VARTAB names, and keeps it (its variables are cleared); anything else is
; a NEW. The function keys get their first texts again.
BCOLD:  CALL FKINIT
        LD HL,BASICBANNER
        CALL PRINT
        LD D,0
        LD HL,BANNERATTR
        CALL ATTRLIST
        LD HL,TXTTAB
        LD DE,MEMSIZ
        CALL PROGCHECK
        JR C,_new
        EX DE,HL
        LD HL,(VARTAB)
        SBC HL,DE
        JR NZ,_new
        CALL CLEARVARS
        JR _free
_new:   CALL SCRATCH
_free:  LD HL,(FRETOP)
        LD DE,(VARTAB)
        OR A
        SBC HL,DE
        CALL PDEC
        CALL PRINTI
        DB " bytes free",0DH,0
        JR BSTART

; The monitor's BASIC command: back with the program kept (one the monitor
; has loaded to TXTTAB included); memory that holds no program is a NEW one.
BASIC:  LD HL,TXTTAB
        LD DE,MEMSIZ
        CALL PROGCHECK
        JR NC,_end
        CALL SCRATCH
        JR BSTART
_end:   LD (VARTAB),HL
        CALL CLEARVARS
BSTART: LD A,1
        LD (INBASIC),A
        LD HL,STACKTOP
        LD (MAINSP),HL
        LD HL,0
        LD (CONTPTR),HL
        LD (AUTOLIN),HL
        LD (TRACE),HL
        LD (FKPTR),HL
        CALL SETHOOKS
        JP READY

BASICBANNER:
        DB " Z80HOME  BASIC 1.0          ",0B3H,0B3H,0B3H,0B3H,0B3H,0B3H,0B3H,0DH,0

; Points the statement loop's two jumps in RAM at what ON ERROR and TRON
; ask, so that a program using neither pays one jump a statement for them:
; STMTVEC at SAVESTMT while ON ERROR is set, else GOSTMT; LINEVEC at
; TRACEGO under TRON, else where STMTVEC goes. Keeps BC, DE and HL.
SETHOOKS:
        PUSH HL
        LD A,0C3H               ; JP
        LD (LINEVEC),A
        LD (STMTVEC),A
        LD HL,(ONERRLN)
        LD A,H
        OR L
        LD HL,GOSTMT
        JR Z,_plain
        LD HL,SAVESTMT
_plain: LD (STMTVEC + 1),HL
        LD A,(TRACE)
        OR A
        JR Z,_lines
        LD HL,TRACEGO
_lines: LD (LINEVEC + 1),HL
        POP HL
        RET

; NEW: no program, no variables.
SCRATCH:
        LD HL,0
        LD (TXTTAB),HL
        LD HL,TXTTAB + 2
        LD (VARTAB),HL
        ; fall into CLEARVARS

; No variables, arrays or strings, and names single unless typed; READ
; starts over.
CLEARVARS:
        LD HL,(VARTAB)
        LD (ARYTAB),HL
        LD (STREND),HL
        LD HL,MEMSIZ
        LD (FRETOP),HL
        LD HL,TEMPST
        LD (TEMPPT),HL
        LD HL,0
        LD (DATPTR),HL
        LD (CONTPTR),HL
        LD (FNSAVE),HL
        LD (ONERRLN),HL
        CALL SETHOOKS
        LD HL,STACKTOP
        LD (MAINSP),HL
        LD A,1
        LD (DATNEED),A
        LD HL,DEFTBL            ; every letter's names single again
        LD B,27
        XOR A
_single:
        LD (HL),A
        INC HL
        DJNZ _single
        LD (DIMFLG),A
        LD (INERR),A
        ; fall into TXCCLEAR

; Empties the text cache. Keeps BC and DE.
TXCCLEAR:
        PUSH BC
        PUSH DE
        LD HL,TXC + 1
        LD DE,4
        LD B,64
        XOR A
_entry: LD (HL),A
        ADD HL,DE
        DJNZ _entry
        POP DE
        POP BC
        RET

; ---------------------------------------------------------------- errors
SNERR:  LD E,E_SN
        JR ERROR
FCERR:  LD E,E_FC
        JR ERROR
TMERR:  LD E,E_TM
        JR ERROR
OMERR:  LD E,E_OM
        JR ERROR
ULERR:  LD E,E_UL
        JR ERROR
; A number routine failed: its code is in A.
FPERR:  LD E,A
; Error E: the message, the line, and the prompt; the program and the
; variables stay (FN calls broken off give their parameters back). With
; ON ERROR GOTO the program goes on at its handler instead.
ERROR:  LD HL,(FNSAVE)
_undo:  LD A,H
        OR L
        JR Z,_undone
        PUSH DE
        CALL FNUNDO
        POP DE
        JR _undo
_undone:
        LD (FNSAVE),HL
        LD A,E                  ; ERR and ERL
        LD (ERRNUM),A
        LD HL,(CURLIN)
        LD (ERRLN),HL
        LD A,(INERR)            ; ON ERROR GOTO takes a program's error
        OR A                    ; unless its handler is running
        JR NZ,_stop
        LD A,(CURPTR + 1)       ; (the direct line's "line" lies in the ROM)
        CP TXTTAB / 256
        JR C,_stop
        LD DE,(ONERRLN)
        LD A,D
        OR E
        JR Z,_stop
        CALL FNDLIN
        JR NZ,_stop
        LD A,1                  ; to the handler, the loops and GOSUBs kept,
        LD (INERR),A            ; with where RESUME goes on
        LD DE,(STMTTXT)
        LD (ERRTXT),DE
        LD DE,(CURPTR)
        LD (ERRPTR),DE
        LD SP,(STMTSP)
        XOR A
        LD (DIMFLG),A
        JP RUNLINE
_stop:  XOR A
        LD (INERR),A
        LD A,(ERRNUM)
        LD E,A
        LD SP,STACKTOP
        LD HL,STACKTOP
        LD (MAINSP),HL
        LD HL,0
        LD (CONTPTR),HL
        LD (AUTOLIN),HL
; E = 0: "Break" instead of an error.
ERRMSG: LD A,(CURX)
        OR A
        CALL NZ,CRLF
        CALL PERR
; A device routine has printed its error: the line, and back to the prompt.
BERRWARM:
        CALL INLINENO
        CALL CRLF
        LD SP,STACKTOP
        LD HL,STACKTOP
        LD (MAINSP),HL
        ; fall into READY

READY:  LD A,(CURX)
        OR A
        CALL NZ,CRLF
        CALL PRINTI
        DB "Ok",0DH,0
MAIN:   LD SP,(MAINSP)
        LD HL,(AUTOLIN)
        LD A,H
        OR L
        LD A,0
        JR Z,_edit
        EX DE,HL                ; AUTO: the number, ready to type after
        LD HL,BUF
        CALL PUTDEC
        LD (HL),' '
        INC HL
        LD A,L
        SUB BUF AND 0FFH
_edit:  LD (PREFILL),A
MAINED: LD HL,DIRNUM - 2        ; direct mode
        CALL SETLINE
        XOR A                   ; an error may have left DIM half done
        LD (DIMFLG),A
        CALL INLINE
        JR NC,_got
        LD HL,0                 ; STOP ends AUTO
        LD (AUTOLIN),HL
        JR MAIN
_got:   CALL CHRGOT
        JR C,_some
        OR A
        JR NZ,_some
        LD HL,0                 ; an empty line ends AUTO
        LD (AUTOLIN),HL
        JP MAIN
_some:  JP NC,DIRECT
        CALL LINGET             ; a numbered line
        PUSH DE
        PUSH HL
        LD HL,(AUTOLIN)
        LD A,H
        OR L
        JR Z,_noauto
        POP HL                  ; AUTO's number alone ends AUTO
        PUSH HL
        LD A,(HL)
        OR A
        JR NZ,_more
        LD (AUTOLIN),A
        LD (AUTOLIN + 1),A
        JP READY
_more:  LD HL,(AUTOLIN)
        LD BC,(AUTOSTEP)
        ADD HL,BC
        JR NC,_step
        LD HL,0
_step:  LD (AUTOLIN),HL
_noauto:
        POP HL
        POP DE
        CALL STORELINE
        JR MAIN
DIRECT: LD DE,BUF
        CALL CRUNCH
        LD HL,BUF - 1           ; at the ':' CRUNCH put before it
        JP NEWSTT

; Prints error E's message ("?Syntax error"; E = 0: "Break").
; A code with no message (ERROR 200) is an "Unprintable error".
PERR:   LD A,E
        OR A
        LD HL,BREAKTEXT
        JR Z,_print
        LD A,'?'
        CALL PUTCH
_code:  LD HL,ERRTEXT
        LD D,E
_find:  DEC D
        JR Z,_found
_skip:  LD A,(HL)
        INC HL
        OR A
        JR NZ,_skip
        LD A,(HL)
        INC A
        JR NZ,_find
_none:  LD E,E_UE
        JR _code
_found: LD A,(HL)
        OR A
        JR Z,_none
_print: JP PRINT

; The running line from its link at HL: CURPTR and CURLIN. Keeps BC, DE,
; HL. Direct mode's "line" has its number at DIRNUM.
SETLINE:
        LD (CURPTR),HL
        PUSH HL
        INC HL
        INC HL
        LD A,(HL)
        INC HL
        LD H,(HL)
        LD L,A
        LD (CURLIN),HL
        POP HL
        RET
DIRNUM: DW 0FFFFH

; Prints " in N" when a program line is running.
INLINENO:
        LD HL,(CURLIN)
        LD A,H
        AND L
        INC A
        RET Z
        CALL PRINTI
        DB " in ",0
        JP PDEC

; Writes DE in decimal at HL; HL ends past it.
PUTDEC: PUSH HL
        EX DE,HL
        LD BC,-10000
        CALL _place
        LD BC,-1000
        CALL _place
        LD BC,-100
        CALL _place
        LD BC,-10
        CALL _place
        LD A,L
        ADD A,'0'
        LD (DE),A
        POP HL                  ; leading zeros go, the last digit stays
        PUSH HL
        LD BC,0400H
_lead:  LD A,(HL)
        CP '0'
        JR NZ,_go
        INC HL
        INC C
        DJNZ _lead
_go:    POP DE
        LD A,5
        SUB C
        LD C,A
        LD B,0
        LDIR
        EX DE,HL
        RET
_place: LD A,'0' - 1
_count: INC A
        ADD HL,BC
        JR C,_count
        SBC HL,BC
        LD (DE),A
        INC DE
        RET

BREAKTEXT:
        DB "Break",0
ERRTEXT:
        DB "NEXT without FOR",0
        DB "Syntax error",0
        DB "RETURN without GOSUB",0
        DB "Out of DATA",0
        DB "Illegal function call",0
        DB "Overflow",0
        DB "Out of memory",0
        DB "Undefined line number",0
        DB "Subscript out of range",0
        DB "Redimensioned array",0
        DB "Division by zero",0
        DB "Illegal direct",0
        DB "Type mismatch",0
        DB "Out of string space",0
        DB "String too long",0
        DB "String formula too complex",0
        DB "Can't continue",0
        DB "Undefined user function",0
        DB "No RESUME",0
        DB "RESUME without error",0
        DB "Unprintable error",0
        DB 0                    ; 22: none here
        DB "Line buffer overflow",0
        DB "Not a program",0
        DB 0,0,0,0              ; 25 to 28: none here
        DB "WHILE without WEND",0
        DB "WEND without WHILE",0
        DB 0FFH

; ---------------------------------------------------------------- input line
; Reads a line into BUF (PREFILL characters are there already and shown),
; wrapping onto the next rows: printable keys insert at the cursor, LEFT and
; RIGHT move it, HOME takes it to the line's start, BS takes back the
; character before it and DEL the one under it, ESC clears, CLR clears the
; screen and shows the line again at its top, STOP abandons (carry), RETURN
; ends wherever the cursor is. Between quotes a control character typed
; with CTRL goes in too (shown as its glyph) unless it is one of those keys.
; Keys beyond LINEMAXB characters are refused with a beep, and so is the
; line when RETURN comes: an error in direct mode; in a program, NZ once
; the error is shown, for the reply to be asked for again. HL = BUF on
; return, Z.
INLINE: LD A,(PREFILL)
        LD (ILEN),A
        XOR A
        LD (PREFILL),A
        LD (IPOS),A
        LD (LINELOST),A
        CALL PRTAIL             ; show what is there already
        LD A,(ILEN)
        LD (IPOS),A
_key:   CALL FKGET
        CP K_CR
        JP Z,_done
        CP K_STOP
        JP Z,_stop
        LD HL,_key
        PUSH HL                 ; the handlers below return to _key
        CP K_BS
        JP Z,_bs
        CP K_DEL
        JP Z,_del
        CP K_LEFT
        JR Z,_left
        CP K_RIGHT
        JR Z,_right
        CP K_ESC
        JP Z,_clear
        CP K_HOME
        JP Z,_home
        CP K_CLR
        JP Z,_cls
        CP ' '
        JR NC,_code
        CP K_ESC                ; ESC and the cursor keys stay out
        RET NC
        LD C,A                  ; a control character: between quotes?
        CALL _quoted
        RET Z
        LD A,C
_code:  CP 7FH
        RET NC
        LD C,A                  ; insert C at the cursor
        LD A,(ILEN)
        CP LINEMAXB
        JR Z,_long
        CALL _room              ; B = characters from the cursor on
        JR Z,_put
        LD HL,BUF - 1           ; move them one on, the last first
        LD A,(ILEN)
        ADD A,L
        LD L,A
        JR NC,_nc
        INC H
_nc:    LD D,H
        LD E,L
        INC DE
        PUSH BC
        LD C,B
        LD B,0
        LDDR
        POP BC
_put:   CALL _at
        LD (HL),C
        LD HL,ILEN
        INC (HL)
        CALL PRTAIL             ; shows the rest, the cursor after it
        DEC A
        CALL CURBACKN           ; back to just after the new character
        LD HL,IPOS
        INC (HL)
        RET
_long:  LD (LINELOST),A         ; A = LINEMAXB: the line is refused too
        JP BEEP
_left:  LD HL,IPOS
        LD A,(HL)
        OR A
        RET Z
        DEC (HL)
        LD A,1
        JP CURBACKN
_right: CALL _room
        RET Z
        CALL _at
        LD A,(HL)
        CALL PUTRAW
        LD HL,IPOS
        INC (HL)
        RET
_bs:    LD HL,IPOS
        LD A,(HL)
        OR A
        RET Z
        DEC (HL)
        LD A,1
        CALL CURBACKN
        ; fall into _del
_del:   CALL _room
        RET Z
        DEC B                   ; the characters after it move back one
        JR Z,_cut
        CALL _at
        LD D,H
        LD E,L
        INC HL
        LD C,B
        LD B,0
        LDIR
_cut:   LD HL,ILEN
        DEC (HL)
        CALL PRTAIL
        PUSH AF
        LD A,' '                ; the old last character goes
        CALL PUTCH
        POP AF
        INC A
        JP CURBACKN
_clear: CALL _home
        LD (LINELOST),A
        LD A,(ILEN)
        OR A
        RET Z
        LD B,A
_blank: LD A,' '
        CALL PUTCH
        DJNZ _blank
        LD A,(ILEN)
        CALL CURBACKN
        XOR A
        LD (ILEN),A
        RET
; The cursor to the line's start; A = 0.
_home:  LD A,(IPOS)
        CALL CURBACKN
        XOR A
        LD (IPOS),A
        RET
_cls:   CALL CLS
        LD HL,IPOS
        LD B,(HL)
        LD (HL),0
        CALL PRTAIL             ; A = the line's length
        SUB B
        CALL CURBACKN
        LD A,B
        LD (IPOS),A
        RET
; NZ if the cursor stands between quotes. Keeps C.
_quoted:
        LD A,(IPOS)
        LD B,A
        INC B
        LD HL,BUF
        LD E,0
_q:     DEC B
        JR Z,_qend
        LD A,(HL)
        INC HL
        CP '"'
        JR NZ,_q
        INC E
        JR _q
_qend:  BIT 0,E
        RET
_stop:  CALL PRTAIL
        XOR A
        LD (BUF),A
        CALL CRLF
        LD HL,BUF
        SCF
        RET
_done:  CALL PRTAIL             ; the cursor past the whole line
        CALL _end
        LD (HL),0
        CALL CRLF
        LD HL,BUF
        LD A,(LINELOST)
        OR A
        RET Z
        LD E,E_LB
        LD HL,(CURLIN)
        LD A,H
        AND L
        INC A
        JP Z,ERROR
        CALL PERR
        CALL CRLF
        OR 1                    ; NZ: a program's reply is asked for again
        RET
; HL = BUF + the cursor's place.
_at:    LD A,(IPOS)
        JR _bufa
_end:   LD A,(ILEN)
_bufa:  LD HL,BUF
        ADD A,L
        LD L,A
        RET NC
        INC H
        RET
; B = characters from the cursor to the end; Z if none.
_room:  LD A,(IPOS)
        LD B,A
        LD A,(ILEN)
        SUB B
        LD B,A
        RET

; Prints BUF from the cursor's place to the end: A = how many. Keeps BC.
PRTAIL: PUSH BC
        LD A,(IPOS)
        LD B,A
        LD A,(ILEN)
        SUB B
        PUSH AF
        JR Z,_none
        LD B,A
        LD A,(IPOS)
        LD HL,BUF
        ADD A,L
        LD L,A
        JR NC,_char
        INC H
_char:  LD A,(HL)
        INC HL
        CALL PUTRAW
        DJNZ _char
_none:  POP AF
        POP BC
        RET

; Moves the cursor back A cells, up a row at the start of one. Keeps BC.
CURBACKN:
        OR A
        RET Z
        PUSH BC
        LD B,A
_cell:  LD A,(CURX)
        OR A
        JR NZ,_left
        LD A,(CURY)
        OR A
        JR Z,_show
        DEC A
        LD (CURY),A
        LD A,(COLS)
_left:  DEC A
        LD (CURX),A
        DJNZ _cell
_show:  POP BC
        JP SHOWCURSOR

; ---------------------------------------------------------------- text scanning
; CHRGET: on to the next character that is not a space. CHRGOT: the same
; from this one. A = the character; Z at the end of a statement (0 or ':'),
; carry for a digit.
CHRGET: INC HL
CHRGOT: LD A,(HL)
        CP ':'                  ; letters and tokens first
        RET NC
        CP ' '
        JR Z,CHRGET
        CP '0'
        JR C,_nd
        CP ':'                  ; a digit: carry, NZ
        RET
_nd:    OR A
        RET

; Syntax error unless the next character is the byte after the CALL.
SYNCHR: CALL CHRGOT
        EX (SP),HL
        CP (HL)
        INC HL
        EX (SP),HL
        JP NZ,SNERR
        JR CHRGET

; DE = the line number at HL (0-65529); HL past it.
LINGET: CALL NUMGET
        RET NC
        JP SNERR
; The same, with carry, DE = FFFFH and HL past the digits for a number
; beyond 65529.
NUMGET: LD DE,0
_digit: CALL CHRGOT
        RET NC
        PUSH HL
        SUB '0'
        LD H,D
        LD L,E
        ADD HL,HL
        JR C,_big
        ADD HL,HL
        JR C,_big
        ADD HL,DE
        JR C,_big
        ADD HL,HL
        JR C,_big
        LD E,A
        LD D,0
        ADD HL,DE
        JR C,_big
        EX DE,HL
        LD HL,65529
        SBC HL,DE
        JR C,_big
        POP HL
        INC HL
        JR _digit
_big:   POP HL
        LD DE,0FFFFH
_skip:  CALL CHRGET
        JR C,_skip
        SCF
        RET

; Upper-cases A.
UPCASE: CP 'a'
        RET C
        CP 'z' + 1
        RET NC
        SUB 20H
        RET

; Carry unless A is a letter (upper case).
ISLETTER:
        CP 'A'
        RET C
        CP 'Z' + 1
        CCF
        RET

; ---------------------------------------------------------------- tokeniser
; Tokenises the text at HL into DE (never past HL), up to its 0. Outside
; quotes letters are upper-cased and keywords become their token; after
; REM and ' to the line's end, and after DATA to the statement's end (its
; quoted items included), text stays as typed. ELSE is stored as ':' and
; its token. The machine's own words, which the dialect does not have
; (MON, ATTR, GLYPH), are keywords only where they stand alone: inside a
; name (MONTH, LEMON) they are its letters. BC = the length with the 0;
; the byte before DE becomes ':', where a statement starts.
CRUNCH: EX DE,HL
        DEC HL
        LD (HL),':'
        INC HL
        EX DE,HL
        PUSH DE
        LD C,0                  ; 0, or 1 after DATA, or 2 after REM; in a
                                ; string '"' more
_next:  LD A,(HL)
        OR A
        JP Z,_end
        LD B,A
        LD A,C
        CP 2
        JP Z,_copyb
        JR C,_out
        LD A,B                  ; in a string
        CP '"'
        JR NZ,_copyq
        LD A,C
        SUB B
        JR _quote
_out:   LD A,B
        CP '"'
        JR NZ,_noq
        ADD A,C
_quote: LD C,A
_copyq: JP _copyb
_noq:   LD A,C
        OR A
        LD A,B
        JR Z,_code
        CP ':'
        JR NZ,_copyq
        LD C,0
        JR _copyq
_code:  CP '?'
        JR NZ,_amp
        INC HL
        LD A,T_PRINT
        JR _token
_amp:   CP '&'                  ; &H: copied with its digits upper-cased
        JR NZ,_word
        LD (DE),A
        INC HL
        INC DE
_hex:   LD A,(HL)
        CALL UPCASE
        CP 'H'
        JR Z,_hexd
        LD B,A
        CALL HEXVAL
        LD A,B
        JR C,_next
_hexd:  LD (DE),A
        INC HL
        INC DE
        JR _hex
_word:  CALL UPCASE
        LD B,A
        CP 27H
        JR Z,_kw
        CP '0'
        JR C,_copyb
        CALL ISLETTER
        JR NC,_kw
        CP '9' + 1              ; a number: copied with its digits, point and
                                ; exponent, so E cannot start a keyword
        JR NC,_copyb
_num:   LD (DE),A
        INC HL
        INC DE
        LD A,(HL)
        CP '.'
        JR Z,_num
        CALL UPCASE
        CP 'E'
        JR NZ,_ndig
        INC HL                  ; an exponent only before a sign or a digit:
        LD A,(HL)               ; 20ELSE is 20 and ELSE
        DEC HL
        CP '-'
        JR Z,_exp
        CP '+'
        JR Z,_exp
        SUB '0'
        CP 10
        JP NC,_next
_exp:   LD A,'E'
        LD (DE),A
        INC HL
        INC DE
        LD A,(HL)
        CP '-'
        JR Z,_num
        CP '+'
        JR Z,_num
_ndig:  CP '0'
        JP C,_next
        CP '9' + 1
        JR C,_num
        JP _next
_kw:    CALL CRUNCHKW
        JR NC,_token
        JP Z,_next
_copyb: LD A,B                  ; no keyword: the letter itself
_copy:  LD (DE),A
        INC HL
        INC DE
        JP _next
_token: CP T_ELSE
        JR NZ,_plain
        LD B,A
        LD A,':'
        LD (DE),A
        INC DE
        LD A,B
_plain: LD (DE),A
        INC DE
        CP T_REM
        JR Z,_rem
        CP T_APOS
        JR Z,_rem
        CP T_DATA
        JP NZ,_next
        LD C,1
        JP _next
_rem:   LD C,2
        JP _next
_end:   LD (DE),A
        INC DE
        EX DE,HL
        POP DE
        OR A
        SBC HL,DE
        LD B,H
        LD C,L
        RET

; KEYWORD for CRUNCH, which writes at DE: the machine's own words (MON,
; ATTR, GLYPH) are keywords only where they stand alone; beside a letter or
; digit, before or after, they are a name's letters, copied to DE with HL
; past them: carry and Z. No keyword: carry and NZ. Keeps B; C stays 0.
CRUNCHKW:
        PUSH HL
        CALL KEYWORD
        JR C,_none
        CP T_MON
        JR Z,_own
        CP T_ATTR
        JR Z,_own
        CP T_GLYPH
        JR NZ,_token
_own:   PUSH AF
        LD A,(HL)
        CALL UPCASE
        CALL ALNUM
        JR NC,_name
        DEC DE
        LD A,(DE)
        INC DE
        CALL ALNUM
        JR NC,_name
        POP AF
_token: EX (SP),HL              ; the word's start goes
        POP HL
        OR A
        RET
_name:  POP AF
        LD A,L                  ; its letters, up to where the word ended
        POP HL
        LD C,A
_letter:
        LD A,(HL)
        CALL UPCASE
        LD (DE),A
        INC HL
        INC DE
        LD A,L
        CP C
        JR NZ,_letter
        LD C,0
        XOR A
        SCF
        RET
_none:  POP HL
        OR 1
        SCF
        RET

; Matches a keyword at HL: A = its token and HL past it, or carry and HL
; kept. Keeps BC and DE.
KEYWORD:
        PUSH BC
        PUSH DE
        LD DE,KEYWORDS
        LD C,80H
_word:  LD A,(DE)
        OR A
        SCF
        JR Z,_done
        PUSH HL
_char:  LD A,(HL)
        CALL UPCASE
        LD B,A
        LD A,(DE)
        AND 7FH
        CP B
        JR NZ,_miss
        LD A,(DE)
        INC DE
        INC HL
        RLA
        JR NC,_char
        POP AF                  ; matched
        LD A,C
        OR A
        JR _done
_miss:  POP HL
_skip:  LD A,(DE)
        INC DE
        RLA
        JR NC,_skip
        INC C
        JR _word
_done:  POP DE
        POP BC
        RET

; ---------------------------------------------------------------- program lines
; Finds line DE: HL = that line (Z) or the first one after it (NZ, maybe the
; end of the program). Keeps DE. FNDFROM starts at line HL.
FNDLIN: LD HL,TXTTAB
FNDFROM:
_line:  LD C,(HL)
        INC HL
        LD B,(HL)
        LD A,B
        OR C
        JR Z,_end
        INC HL
        LD A,(HL)
        INC HL
        PUSH HL
        LD H,(HL)
        LD L,A                  ; HL = its number
        OR A
        SBC HL,DE
        POP HL
        JR NC,_here
        LD H,B
        LD L,C
        JR _line
_here:  DEC HL
        DEC HL
        DEC HL
        RET
_end:   DEC HL
        OR 1
        RET

; Stores line DE, the text at HL in BUF after its number, tokenised.
STORELINE:
        PUSH DE
        LD DE,BUF
        CALL CRUNCH             ; BC = tokenised length
        POP DE
        JP EDITLINE

; Stores line DE with the BC bytes of tokenised text in BUF, or deletes it
; when the text is empty. The room is looked at before anything moves, so
; ?Out of memory leaves the program as it was.
EDITLINE:
        LD (NUMTMP),DE
        LD (NUMTMP + 2),BC
        CALL FNDLIN
        LD (OPTXT),HL
        PUSH AF                 ; Z: the line is there, to go first
        LD DE,0                 ; DE = its size
        JR NZ,_size
        LD E,(HL)
        INC HL
        LD D,(HL)
        DEC HL
        EX DE,HL
        OR A
        SBC HL,DE
        EX DE,HL
_size:  LD A,(BUF)
        OR A
        JR Z,_room              ; a number alone needs no room
        LD HL,(VARTAB)
        SBC HL,DE
        LD BC,(NUMTMP + 2)
        ADD HL,BC
        LD BC,4
        ADD HL,BC
        LD BC,EDITTOP
        SBC HL,BC
        JP NC,OMERR
_room:  POP AF
        LD HL,(OPTXT)
        JR NZ,_insert
        LD E,(HL)               ; remove the old line
        INC HL
        LD D,(HL)               ; DE = the next line
        LD HL,(VARTAB)
        OR A
        SBC HL,DE
        LD B,H
        LD C,L
        LD HL,(OPTXT)
        EX DE,HL
        LDIR
        LD (VARTAB),DE
_insert:
        LD A,(BUF)
        OR A
        JR Z,_fix               ; a number alone deletes
        LD HL,(NUMTMP + 2)
        LD BC,4
        ADD HL,BC
        LD B,H
        LD C,L                  ; room the line takes
        LD HL,(VARTAB)
        ADD HL,BC
        PUSH HL
        LD HL,(VARTAB)
        PUSH HL
        LD BC,(OPTXT)
        OR A
        SBC HL,BC
        LD B,H
        LD C,L                  ; bytes from the place to VARTAB
        POP HL
        POP DE
        LD (VARTAB),DE
        DEC HL
        DEC DE
        LDDR
        LD HL,(OPTXT)
        LD (HL),1               ; any link but 0 until RELINK
        INC HL
        INC HL
        LD DE,(NUMTMP)
        LD (HL),E
        INC HL
        LD (HL),D
        INC HL
        EX DE,HL
        LD HL,BUF
        LD BC,(NUMTMP + 2)
        LDIR
_fix:   LD HL,(OPTXT)           ; the lines before the place keep their links
        CALL RELINKFROM
        JP CLEARVARS

; Sets every line's link from the zero ending its text; RELINKFROM from
; the line at HL on.
RELINK: LD HL,TXTTAB
RELINKFROM:
_line:  LD A,(HL)
        INC HL
        OR (HL)
        RET Z
        PUSH HL
        INC HL
        INC HL
        INC HL
        XOR A
_find:  CP (HL)
        INC HL
        JR NZ,_find
        EX DE,HL
        POP HL
        LD (HL),D
        DEC HL
        LD (HL),E
        EX DE,HL
        JR _line

; Checks a program image at HL, made to run from TXTTAB, that must end
; before DE: every link leads to the byte after its line's 0, the numbers
; rise, and a 0 link ends it. Carry if it is no program; else HL is past
; its end.
PROGCHECK:
        LD (PCLIMIT),DE
        EX DE,HL
        LD HL,TXTTAB
        OR A
        SBC HL,DE
        LD (PCDELTA),HL
        EX DE,HL
        LD BC,0
        LD (PCLEAST),BC
_line:  CALL _left
        RET C
        LD E,(HL)
        INC HL
        LD D,(HL)
        INC HL
        LD A,D
        OR E
        JR Z,_left              ; the end, which must lie inside too
        PUSH DE                 ; the link
        LD E,(HL)
        INC HL
        LD D,(HL)
        INC HL
        PUSH HL
        LD HL,(PCLEAST)
        EX DE,HL
        OR A
        SBC HL,DE
        ADD HL,DE               ; carry, as SBC borrowed: a lower number
        INC HL
        LD (PCLEAST),HL
        POP HL
        JR C,_bad
        CALL _left
        JR C,_bad
        LD A,B
        OR C
        JR Z,_bad
        XOR A
        CPIR
        JR NZ,_bad              ; no 0 before the end
        POP DE
        PUSH HL
        LD BC,(PCDELTA)
        ADD HL,BC
        OR A
        SBC HL,DE
        POP HL
        JR Z,_line
        SCF
        RET
_bad:   POP DE
        SCF
        RET
; BC = the bytes from HL to the end; carry if HL is past it.
_left:  PUSH HL
        PUSH DE
        EX DE,HL
        LD HL,(PCLIMIT)
        OR A
        SBC HL,DE
        LD B,H
        LD C,L
        POP DE
        POP HL
        RET

; ---------------------------------------------------------------- LIST
; Reads "[from][-[to]]" at HL: DE = from, LISTHI = to.
RANGE:  LD DE,0
        CALL CHRGOT
        JR NC,_nofrom
        CALL LINGET
        LD (LISTHI),DE
        CALL CHRGOT
        CP '-'
        RET NZ
        JR _to
_nofrom:
        CP '-'
        LD BC,0FFFFH
        LD (LISTHI),BC
        RET NZ
_to:    PUSH DE
        CALL CHRGET
        LD DE,0FFFFH
        CALL C,LINGET
        LD (LISTHI),DE
        POP DE
        RET

S_LIST: CALL RANGE
        PUSH HL
        CALL FNDLIN
_line:  LD E,(HL)
        INC HL
        LD D,(HL)
        LD A,D
        OR E
        JR Z,_end
        PUSH DE
        INC HL
        LD E,(HL)
        INC HL
        LD D,(HL)
        INC HL
        PUSH HL
        LD HL,(LISTHI)
        OR A
        SBC HL,DE
        POP HL
        JR C,_done
        CALL BREAKNOW
        JR NZ,_break
        DEC HL
        DEC HL
        CALL LISTLINE
        CALL CRLF
        POP HL
        JR _line
_done:  POP HL
_end:   POP HL
        JP CHRGOT
_break: LD E,0                  ; "Break" (in N, when a program lists)
        JP ERRMSG

; Prints the tokenised text at HL up to its 0; HL past it. A keyword is set
; apart by a space from a keyword, name, number or string it would touch
; (nothing is added after REM, ', FN, TAB( and SPC(), so that the listing
; reads well and reads back the same.
LISTTEXT:
        LD C,0                  ; non-zero in a string or a remark
        LD E,' '                ; the byte listed last
_char:  LD A,(HL)
        INC HL
        OR A
        RET Z
        LD B,A
        LD A,C
        OR A
        LD A,B
        JR NZ,_raw
        CP '"'
        JR NZ,_tok
        LD C,A
        JR _put
_tok:   CP ':'
        JR NZ,_kw
        LD A,(HL)
        CP T_ELSE               ; the ':' stored before ELSE
        LD A,B
        JR Z,_char
_kw:    OR A
        JP P,_put
        LD A,E
        CALL _sep
        LD A,B
        CP T_REM
        JR Z,_rem
        CP T_APOS
        JR NZ,_word
_rem:   LD C,1
_word:  CALL PKEYWORD
        LD E,B
        LD A,C
        OR A
        JR NZ,_char
        LD A,B
        CP T_FN
        JR Z,_char
        CP T_TAB
        JR Z,_char
        CP T_SPC
        JR Z,_char
        LD A,(HL)
        CALL _sep
        JR _char
_raw:   CP '"'
        JR NZ,_put
        DEC C
        INC C
        JP M,_put
        LD A,C
        CP '"'
        LD A,B
        JR NZ,_put
        LD C,0
_put:   LD E,A
        CALL OUTCH
        JR _char
; A space, when A would run into a keyword beside it: A is a keyword, a
; letter, a digit or one of " $ % & ) .
_sep:   OR A
        JP M,_space
        CALL UPCASE
        CALL ISLETTER
        JR NC,_space
        CP '0'
        JR C,_punct
        CP '9' + 1
        RET NC
_space: LD A,' '
        LD E,A
        JP OUTCH
_punct: CP '"'
        JR Z,_space
        CP '.'
        JR Z,_space
        CP ')'
        JR Z,_space
        CP '$'
        RET C
        CP '&' + 1
        JR C,_space
        RET

; Prints the keyword of token A. Keeps BC, HL.
PKEYWORD:
        PUSH HL
        PUSH BC
        LD HL,KEYWORDS
        SUB 80H
        JR Z,_print
        LD B,A
_skip:  LD A,(HL)
        INC HL
        RLA
        JR NC,_skip
        DJNZ _skip
_print: LD A,(HL)
        INC HL
        LD B,A
        AND 7FH
        CALL OUTCH
        BIT 7,B
        JR Z,_print
        POP BC
        POP HL
        RET

; Prints A, or with EDITPTR set stores it there instead (EDIT's text: one
; that does not fit the input line is an error); EDITPTR 01xxH counts it in
; TAPEHDR's length, 02xxH writes it to the tape (SAVE's text).
OUTCH:  PUSH HL
        LD HL,(EDITPTR)
        DEC H
        JR Z,_count
        DEC H
        JR Z,_tape
        INC H
        INC H
        JR Z,_print
        PUSH AF
        LD A,L                  ; a full input line takes no more
        CP (BUF + LINEMAXB) AND 0FFH
        JR Z,_full
        POP AF
        LD (HL),A
        INC HL
        LD (EDITPTR),HL
        POP HL
        RET
_full:  LD HL,0                 ; EDIT never stores a cut line
        LD (EDITPTR),HL
        LD E,E_LB
        JP ERROR
_print: POP HL                  ; a control character shows as its glyph
        JP PUTRAW
_count: LD HL,(TAPEHDR + H_LENGTH)
        INC HL
        LD (TAPEHDR + H_LENGTH),HL
        LD A,H                  ; a text longer than a record holds
        OR L
        POP HL
        RET NZ
        LD H,A
        LD L,A
        LD (EDITPTR),HL
        LD E,E_OV
        JP ERROR
_tape:  POP HL
        JP TAPEOUT

; The program's listing through OUTCH, each line ended by a carriage
; return, then 1AH, the text's end.
LISTALL:
        LD HL,TXTTAB
_line:  LD A,(HL)
        INC HL
        OR (HL)
        LD A,1AH
        JP Z,OUTCH
        INC HL
        CALL LISTLINE
        LD A,0DH
        CALL OUTCH
        JR _line

; Lists the line whose number is at HL through OUTCH: the number, a space
; and the text; HL past the text's 0.
LISTLINE:
        LD E,(HL)
        INC HL
        LD D,(HL)
        INC HL
        PUSH HL
        LD HL,VALBUF
        CALL PUTDEC
        LD (HL),' '
        INC HL
        LD (HL),0
        LD HL,VALBUF
_num:   LD A,(HL)
        OR A
        JR Z,_text
        CALL OUTCH
        INC HL
        JR _num
_text:  POP HL
        JP LISTTEXT

; ---------------------------------------------------------------- statement loop
; HL at the end of a statement: on to the next one, or the next line.
NEWSTT: LD BC,(KHEAD)            ; a key waiting (KTAIL follows KHEAD): STOP?
        LD A,C
        CP B
        JR Z,_nokey
        CALL BREAKNOW
        JP NZ,BREAK
_nokey: LD A,(HL)
        CP ':'
        JP Z,STMTVEC
        OR A
        JP NZ,SNERR
        LD A,(CURPTR + 1)       ; the direct line has ended (its "line"
        CP TXTTAB / 256         ; lies in the ROM)
        JP C,READY
        INC HL
        JR RUNGO                ; (keys just looked at)
RUNLINE:                        ; HL at a line's link
        LD BC,(KHEAD)           ; STOP between lines: CONT starts this one
        LD A,C
        CP B
        JR Z,RUNGO
        CALL BREAKNOW
        JR Z,RUNGO
        LD A,1
        LD (CONTMODE),A
        JR BREAK2
RUNGO:  LD (CURPTR),HL
        LD A,(HL)
        INC HL
        OR (HL)
        JP Z,PRGEND
        INC HL
        LD E,(HL)
        INC HL
        LD D,(HL)
        LD (CURLIN),DE
        JP LINEVEC
; Under TRON: the line's number (DE), then on as any statement.
TRACEGO:
        CALL TRACELINE
        JP STMTVEC
; While ON ERROR is set: where the statement starts and the stack then, for
; the handler and RESUME.
SAVESTMT:
        LD (STMTTXT),HL
        LD (STMTSP),SP
GOSTMT: CALL CHRGET
        LD DE,NEWSTT
        PUSH DE
; Runs the statement at HL (A = its first character).
EXEC:   LD DE,TEMPST
        LD (TEMPPT),DE
        RET Z
        SUB 80H
        JP C,S_LET
        CP NSTMT
        JR NC,_other
        ADD A,A
        ADD A,STMTTAB AND 0FFH
        LD E,A
        ADC A,STMTTAB / 256
        SUB E
        LD D,A
        EX DE,HL
        LD A,(HL)
        INC HL
        LD H,(HL)
        LD L,A
        EX DE,HL
        PUSH DE
        JP CHRGET
_other: CP T_TIMES - 80H
        JP Z,S_TIMESET
        CP T_MIDS - 80H
        JP Z,S_MIDSET
        CP T_ELSE - 80H
        JP Z,S_REM
        JP SNERR

; TRON: "[n]" for line DE as it starts. Keeps HL.
TRACELINE:
        PUSH HL
        LD A,'['
        CALL PUTCH
        EX DE,HL
        CALL PDEC
        LD A,']'
        CALL PUTCH
        POP HL
        RET

; Breaks off the program at HL, the end of a statement: "Break in N", and
; CONT may go on.
BREAK:  XOR A
        LD (CONTMODE),A
BREAK2: PUSH HL
        LD A,(CURX)
        OR A
        CALL NZ,CRLF
        CALL PRINTI
        DB "Break",0
        CALL INLINENO
        CALL CRLF
        POP HL
; Back to the prompt with FOR and GOSUB kept under it, for CONT. Reached
; by a jump from the statement loop, with only the frames on the stack.
HALTED: LD (CONTPTR),HL
        LD HL,(CURLIN)
        LD (CONTLIN),HL
        LD A,H
        AND L
        INC A
        JR Z,ENDPRG
        LD HL,0
        ADD HL,SP
        LD (MAINSP),HL
        JP READY

; The program's end: a running error handler must have RESUMEd first.
PRGEND: LD A,(INERR)
        OR A
        JR Z,ENDPRG
        LD E,E_NR
        JP ERROR

ENDPRG: LD HL,0
        LD (CONTPTR),HL
        LD HL,STACKTOP
        LD (MAINSP),HL
        JP READY
