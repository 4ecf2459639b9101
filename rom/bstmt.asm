; BASIC statements. Each is entered with HL past its keyword (A = the next
; character, flags as CHRGET leaves them) and returns with HL at the end
; of the statement; the ones that change the flow of the program drop
; their return and go on at NEWSTT themselves.

F_FOR     EQU 'F'               ; frame marks
F_GOSUB   EQU 'G'
F_WHILE   EQU 'W'
FORSIZE   EQU 16                ; mark, variable, type, step, limit, line
                                ; (its link), text
GOSUBSIZE EQU 6                 ; mark, line (its link), text, spare
WHILESIZE EQU 6                 ; mark, line (its link), the statement's
                                ; start, spare

; ---------------------------------------------------------------- LET
; The variable's address is kept over the expression: nothing an
; expression does makes a simple variable (VARPTR refuses a missing one, an
; FN's parameter is made by its DEF), and a new array goes after the
; others, so no array element moves under it.
S_LET:  CALL PTRGETC
        PUSH DE
        LD A,(VARTYPE)
        PUSH AF
        LD A,(HL)               ; (a name found leaves HL past its spaces)
        CP '='
        CALL NZ,CHRGOT
        CP '='
        JP NZ,SNERR
        INC HL
        CALL EVAL
        POP AF
        POP DE
; Stores FAC (VALTYP) in the variable at DE of type A. Keeps HL.
ASSIGN: OR A
        JR NZ,_typed
        LD A,(VALTYP)
        OR A
        JP NZ,TMERR
        PUSH HL
        LD HL,(FAC)
        EX DE,HL
        LD (HL),E
        INC HL
        LD (HL),D
        INC HL
        LD DE,(FAC + 2)
        LD (HL),E
        INC HL
        LD (HL),D
        POP HL
        RET
_typed: PUSH HL
        CP 2
        JR Z,_str
        LD A,(VALTYP)
        OR A
        JP NZ,TMERR
        PUSH DE
        CALL FTOINT
        JP C,FPERR
        POP HL
        LD (HL),E
        INC HL
        LD (HL),D
        POP HL
        RET
_str:   LD A,(VALTYP)
        OR A
        JP Z,TMERR
        LD HL,(FAC)             ; the source descriptor
        LD A,(HL)
        OR A
        JR Z,_empty
        LD BC,TEMPST            ; a temporary whose text is the newest
        PUSH HL                 ; string: taken over as it is
        OR A
        SBC HL,BC
        POP HL
        JR C,_copy
        PUSH HL
        LD BC,TEMPEND
        OR A
        SBC HL,BC
        POP HL
        JR NC,_copy
        PUSH HL
        INC HL
        LD C,(HL)
        INC HL
        LD B,(HL)
        LD HL,(FRETOP)
        OR A
        SBC HL,BC
        POP HL
        JR NZ,_copy
        LD BC,3
        LDIR
        LD DE,(FAC)
        CALL FRETMP0
        POP HL
        RET
_copy:  PUSH DE
        CALL ALLOC
        EX DE,HL                ; DE = the copy
        LD HL,(FAC)
        CALL DESCDATA
        PUSH DE
        PUSH BC
        CALL COPYBC
        POP BC
        POP DE
        POP HL                  ; the variable
        LD (HL),C
        INC HL
        LD (HL),E
        INC HL
        LD (HL),D
        LD DE,(FAC)
        CALL FRETMP0
        POP HL
        RET
_empty: EX DE,HL
        LD (HL),A
        LD DE,(FAC)
        CALL FRETMP0
        POP HL
        RET
; Frees the temporary slot at DE if it is the newest (its text stays).
FRETMP0:
        LD HL,(TEMPPT)
        DEC HL
        DEC HL
        DEC HL
        DEC HL
        OR A
        SBC HL,DE
        RET NZ
        LD (TEMPPT),DE
        RET

; ---------------------------------------------------------------- PRINT
S_PRINT:
        JR Z,_crlf
_item:  CP T_USING
        JP Z,USING
        CP ';'
        JR Z,_semi
        CP ','
        JR Z,_comma
        CP T_TAB
        JR Z,_tab
        CP T_SPC
        JR Z,_spc
        CALL EVAL
        PUSH HL
        LD A,(VALTYP)
        OR A
        JR NZ,_str
        CALL FOUT
        CALL PRINT
        CALL PSPACE
        POP HL
        JR _after
_str:   LD DE,(FAC)
        CALL FRETMP
        EX DE,HL
        CALL PSTRING
        POP HL
_after: CALL CHRGOT
        JR NZ,_item
_crlf:  JP CRLF
_semi:  CALL CHRGET
        RET Z
        JR _item
_comma: LD A,(CURX)             ; to the next 14-column zone
_zone:  SUB 14
        JR NC,_zone
        NEG
        LD B,A
        LD A,(COLS)
        LD C,A
        LD A,(CURX)
        ADD A,B
        CP C
        JR C,_pad
        CALL CRLF
        JR _semi
_pad:   CALL PSPACE
        DJNZ _pad
        JR _semi
_tab:   CALL CHRGET
        CALL EVALBYTE
        CALL SYNCHR             ; keeps E, the column
        DB ')'
        LD A,(CURX)
        SUB E
        JR NC,_after
        NEG
        LD B,A
        JR _spaces
_spc:   CALL CHRGET
        CALL EVALBYTE
        CALL SYNCHR
        DB ')'
        LD A,E
        OR A
        JR Z,_after
        LD B,A
_spaces:
        CALL PSPACE
        DJNZ _spaces
        JR _after

; ---------------------------------------------------------------- flow
S_GOTO: CALL LINETO
GOTOLINE:
        POP BC                  ; the statement loop's return
        EX DE,HL
        JP RUNLINE

S_GOSUB:
        CALL LINETO
        PUSH DE
        CALL SKIPSTMT
        POP DE
; Pushes a GOSUB frame returning to HL, then goes to the line at DE.
GOSUBTO:
        POP BC                  ; the statement loop's return
        CALL STKCHK
        PUSH HL
        LD HL,2 - GOSUBSIZE
        ADD HL,SP
        POP BC                  ; the text
        LD SP,HL
        LD (HL),F_GOSUB
        INC HL
        PUSH DE
        LD DE,(CURPTR)
        LD (HL),E
        INC HL
        LD (HL),D
        INC HL
        LD (HL),C
        INC HL
        LD (HL),B
        POP HL
        JP RUNLINE

; The line whose number is at HL, a jump's target: DE = its link, HL past
; the number; Undefined line number when there is none. The text cache
; keeps the line of a jump in the program.
LINETO: LD A,L                  ; (TXCFIND)
        ADD A,A
        ADD A,A
        LD E,A
        LD D,TXCPAGE
        LD A,(DE)
        CP L
        JR NZ,_find
        INC E
        LD A,(DE)
        CP H
        JR NZ,_find
        EX DE,HL
        INC L
        LD C,(HL)
        INC L
        LD B,(HL)
        INC H
        LD D,(HL)
        DEC L
        LD E,(HL)
        LD H,B
        LD L,C
        RET
_find:  PUSH HL
        CALL LINGET
        PUSH HL
        CALL FNDTARGET
        JP NZ,ULERR
        EX DE,HL
        POP BC
        POP HL
        PUSH BC
        PUSH DE
        CALL TXCSET
        POP DE
        JR C,_kept
        LD (HL),D
        DEC L
        LD (HL),E
_kept:  POP HL
        RET

S_RETURN:
        POP BC
        LD DE,0                 ; the newest frame of any kind
_look:  LD HL,0
        ADD HL,SP
_frame: LD A,H
        OR L
        JR Z,_none
        LD A,(HL)
        CP F_GOSUB
        JR Z,_found
        LD BC,FORSIZE
        CP F_FOR
        JR Z,_pass
        LD C,WHILESIZE
        CP F_WHILE
        JR NZ,_none
_pass:  ADD HL,BC
        JR _frame
_none:  LD E,E_RG
        JP ERROR
_found: INC HL
        LD E,(HL)
        INC HL
        LD D,(HL)
        INC HL
        EX DE,HL
        CALL SETLINE
        EX DE,HL
        LD E,(HL)
        INC HL
        LD D,(HL)
        INC HL
        INC HL
        LD SP,HL
        EX DE,HL
        JP NEWSTT

; Finds the target line DE of a jump as FNDLIN does, from the running line
; when the target lies after it.
FNDTARGET:
        LD HL,(CURLIN)
        LD A,H
        AND L
        INC A
        JP Z,FNDLIN             ; direct mode
        SCF
        SBC HL,DE
        JP NC,FNDLIN            ; at or before the running line
        LD HL,(CURPTR)
        JP FNDFROM

; Moves HL to the end of the statement (':' or 0 outside quotes).
SKIPSTMT:
        LD C,0
_char:  LD A,(HL)
        OR A
        RET Z
        CP '"'
        JR NZ,_nq
        LD A,C
        XOR 1
        LD C,A
        JR _next
_nq:    CP ':'
        JR NZ,_next
        BIT 0,C
        RET Z
_next:  INC HL
        JR _char

; Moves HL to the line's end.
S_REM:
S_APOS:
_eol:   LD A,(HL)
        OR A
        RET Z
        INC HL
        JR _eol

S_DATA: JR SKIPSTMT

S_IF:   CALL EVAL
        LD A,(VALTYP)
        OR A
        JP NZ,TMERR
        LD A,(HL)               ; (EVAL stops at the operator after it)
        CP T_THEN
        JR Z,_then
        CP T_GOTO
        JP NZ,SNERR
_then:  LD A,(FAC + 2)          ; false: FAC is 0
        ADD A,A
        LD A,(FAC + 3)
        ADC A,A
        JR Z,_false
        CALL CHRGET
        JP C,S_GOTO             ; THEN 100
        JP EXEC
_false: LD A,(HL)               ; ELSE in this line?
        OR A
        RET Z
        CP '"'
        JR Z,_quote
        INC HL
        CP T_ELSE
        JR NZ,_false
        DEC HL
        JR _then2
_quote: INC HL
        LD A,(HL)
        OR A
        RET Z
        CP '"'
        JR NZ,_quote
        INC HL
        JR _false
_then2: CALL CHRGET
        JP C,S_GOTO
        JP EXEC

; Z if FAC is zero (its exponent is).
FACZERO:
        LD A,(FAC + 2)
        ADD A,A
        LD A,(FAC + 3)
        ADC A,A
        RET

S_END:  POP BC
        XOR A
        LD (CONTMODE),A
        JP HALTED

S_STOP: POP BC
        JP BREAK

; ON n GOTO|GOSUB l1,l2,...
S_ON:   CP T_ERROR
        JR Z,ONERROR
        CALL EVALBYTE
        PUSH AF
        CALL CHRGOT
        LD B,A
        CP T_GOTO
        JR Z,_ok
        CP T_GOSUB
        JP NZ,SNERR
_ok:    POP AF
        LD C,A
        PUSH BC
        CALL CHRGET
_pick:  DEC C
        JR Z,_this
        CALL LINGET
        CALL CHRGOT
        CP ','
        JR NZ,_out              ; fewer lines: on to the next statement
        CALL CHRGET
        JR _pick
_out:   POP BC
        JP SKIPSTMT
_this:  CALL LINETO
        POP BC
        LD A,B
        CP T_GOTO
        JR Z,_goto
        PUSH DE
        CALL SKIPSTMT
        POP DE
        JP GOSUBTO
_goto:  POP BC
        EX DE,HL
        JP RUNLINE

; ON ERROR GOTO n: an error in the program goes on at line n (0: stops
; the program, and in the handler stops it with the error being handled).
ONERROR:
        CALL CHRGET
        CALL SYNCHR
        DB T_GOTO
        CALL LINGET
        LD (ONERRLN),DE
        CALL SETHOOKS
        LD A,D
        OR E
        RET NZ
        LD A,(INERR)
        OR A
        RET Z
        LD HL,(ERRLN)           ; the error's own line, as if untrapped
        LD (CURLIN),HL
        LD A,(ERRNUM)
        LD E,A
        JP ERROR

; ERROR n: error n, as if it had happened (1-255).
S_ERROR:
        CALL EVALBYTE
        OR A
        JP Z,FCERR
        LD E,A
        JP ERROR

; RESUME [0]: the statement that erred again; RESUME NEXT: the one after
; it; RESUME n: line n. Only in an error's handler, which it ends once it
; has found where to go on: a line that is not there is the handler's
; error, which stops the program.
S_RESUME:
        LD B,A
        LD A,(INERR)
        OR A
        LD E,E_RW
        JP Z,ERROR
        LD A,B
        CP T_NEXT
        JR Z,_next
        CALL CHRGOT
        JR Z,_same
        PUSH HL
        CALL LINGET
        LD A,D
        OR E
        POP HL
        JR Z,_same
        CALL LINETO
        XOR A
        LD (INERR),A
        JP GOTOLINE
_same:  CALL _back
        JP STMTVEC
_next:  CALL _back
        INC HL
        CALL SKIPSTMT
        JP NEWSTT
; The erring statement's line, HL at its start, the handler over; the
; statement loop's return dropped.
_back:  POP DE
        POP BC
        PUSH DE
        XOR A
        LD (INERR),A
        LD HL,(ERRPTR)
        CALL SETLINE
        LD HL,(ERRTXT)
        RET

; ---------------------------------------------------------------- FOR / NEXT
; FOR v = a TO b [STEP c]: the frame holds the variable, its type, the
; step, the limit and where the loop's body starts.
S_FOR:  CALL SIMPLEVAR
        LD A,(VARTYPE)
        CP 2
        JP Z,TMERR
        PUSH DE
        PUSH AF
        CALL SYNCHR
        DB '='
        CALL EVALNUM
        POP AF
        POP DE
        PUSH DE
        PUSH AF
        CALL ASSIGN
        CALL SYNCHR
        DB T_TO
        CALL EVALNUM
        LD BC,(FAC + 2)         ; the limit
        PUSH BC
        LD BC,(FAC)
        PUSH BC
        LD DE,1
        PUSH HL
        CALL FFROMINT
        POP HL
        CALL CHRGOT
        CP T_STEP
        JR NZ,_nostep
        CALL CHRGET
        CALL EVALNUM
_nostep:
        CALL CHRGOT
        JP NZ,SNERR
        ; stack: limit (4), type, variable, the statement loop's return
        POP BC
        LD (NUMTMP),BC
        POP BC
        LD (NUMTMP + 2),BC
        POP AF
        POP DE
        POP BC
        PUSH HL
        PUSH AF
        PUSH DE
        CALL FINDFOR            ; the same variable's loop goes
        LD B,0
        JR NZ,_nf
        INC B
_nf:    POP DE
        POP AF
        POP HL
        DEC B
        JR NZ,_new
        LD BC,FORSIZE
        ADD IX,BC
        LD SP,IX
_new:   PUSH HL
        LD HL,2 - FORSIZE
        ADD HL,SP
        POP BC                  ; the text
        LD SP,HL
        CALL STKCHK
        PUSH HL
        POP IX
        LD (IX),F_FOR
        LD (IX + 1),E
        LD (IX + 2),D
        LD (IX + 3),A
        PUSH BC
        LD DE,4
        ADD HL,DE
        EX DE,HL
        LD HL,FAC               ; the step
        LD BC,4
        LDIR
        LD HL,NUMTMP            ; the limit
        LD C,4
        LDIR
        EX DE,HL
        LD DE,(CURPTR)
        LD (HL),E
        INC HL
        LD (HL),D
        INC HL
        POP BC
        LD (HL),C
        INC HL
        LD (HL),B
        LD H,B
        LD L,C
        JP NEWSTT

; IX = the FOR frame of the variable at DE (any, if DE is 0) among the
; frames above the newest GOSUB: Z if found. Called with the statement
; loop's return dropped and three words pushed.
FINDFOR:
        LD IX,8
        ADD IX,SP
_frame: PUSH IX
        POP HL
        LD A,H
        OR L
        JR Z,_none
        LD A,(IX)
        CP F_FOR
        JR NZ,_while
        LD A,D
        OR E
        RET Z
        LD A,(IX + 1)
        CP E
        JR NZ,_next
        LD A,(IX + 2)
        CP D
        RET Z
_next:  LD BC,FORSIZE
        ADD IX,BC
        JR _frame
_while: CP F_WHILE              ; WHILE loops inside it are passed
        JR NZ,_none
        LD BC,WHILESIZE
        ADD IX,BC
        JR _frame
_none:  OR 1
        RET

S_NEXT: POP BC
_var:   LD DE,0
        CALL CHRGOT
        JR Z,_any
        CALL PTRGETC
_any:   LD (OPTXT),HL
        LD HL,0                 ; the FOR frame of the variable DE (any for
        ADD HL,SP               ; 0) above the newest GOSUB
_frame: LD A,H
        OR L
        JR Z,_none
        LD A,(HL)
        CP F_FOR
        JR NZ,_while
        LD A,D
        OR E
        JR Z,_this
        INC HL
        LD A,(HL)
        INC HL
        CP E
        JR NZ,_other
        LD A,(HL)
        CP D
        JR Z,_this2
_other: LD BC,FORSIZE - 2
        ADD HL,BC
        JR _frame
_while: CP F_WHILE              ; WHILE loops inside it end here
        JR NZ,_none
        LD BC,WHILESIZE
        ADD HL,BC
        JR _frame
_none:  LD E,E_NF
        JP ERROR
_this2: DEC HL
        DEC HL
_this:  LD SP,HL                ; inner loops end here
        INC HL
        LD E,(HL)
        INC HL
        LD D,(HL)               ; DE = the variable
        INC HL
        LD A,(HL)
        INC HL                  ; HL = the step
        PUSH DE
        PUSH HL
        OR A
        JR NZ,_typed
        CALL FISONE             ; a number counting by one
        JR NZ,_add
        EX DE,HL
        CALL FINC1
        JR Z,_one
_add:   POP HL
        POP DE
        PUSH DE
        PUSH HL
        EX DE,HL                ; FAC <- the variable
        CALL FLD
        POP HL
        PUSH HL
        CALL FADD               ; FAC <- step + variable
        JP C,FPERR
_one:   POP BC
        POP HL
        CALL FST
        JR _cmp
_typed: LD (VARTYPE),A          ; an integer: as LET does
        CALL LOADVAR
        POP HL
        PUSH HL
        CALL FADD
        JP C,FPERR
        POP BC
        POP DE
        LD A,(VARTYPE)
        CALL ASSIGN
_cmp:   LD HL,8                 ; the limit against the variable
        ADD HL,SP
        CALL FCMP
        LD B,A
        LD HL,7
        ADD HL,SP
        LD A,(HL)               ; step's sign
        RLA
        LD A,B
        JR NC,_up
        NEG                     ; counting down: the other way round
_up:    INC A
        JR Z,_done              ; limit < variable: finished
        LD HL,12
        ADD HL,SP
        LD E,(HL)
        INC HL
        LD D,(HL)
        INC HL
        LD A,(HL)
        INC HL
        LD H,(HL)
        LD L,A
        EX DE,HL
        CALL SETLINE
        EX DE,HL
        JP NEWSTT
_done:  LD HL,FORSIZE
        ADD HL,SP
        LD SP,HL
        LD HL,(OPTXT)
        CALL CHRGOT
        CP ','
        JP NZ,NEWSTT
        CALL CHRGET
        JP _var

; ---------------------------------------------------------------- WHILE / WEND
; WHILE c: the statements up to the matching WEND run while c is not 0;
; its frame holds its line and where it starts, for WEND to go back to it.
; A false c goes on after the matching WEND (WHILEs and WENDs between
; nest), which must be there whatever c is. A jump back to a WHILE whose
; loop was left drops its old frame, and the loops inside it, as FOR does.
S_WHILE:
        LD D,H
        LD E,L
_tok:   DEC DE
        LD A,(DE)
        CP T_WHILE
        JR NZ,_tok
        DEC DE                  ; DE: where the statement starts
        POP BC                  ; the statement loop's return
        PUSH HL
        LD HL,2
        ADD HL,SP
_look:  LD A,H                  ; this WHILE's frame above the newest GOSUB?
        OR L
        JR Z,_eval
        LD A,(HL)
        LD BC,FORSIZE
        CP F_FOR
        JR Z,_pass
        CP F_WHILE
        JR NZ,_eval
        LD C,WHILESIZE
        PUSH HL
        INC HL
        INC HL
        INC HL
        LD A,(HL)
        INC HL
        LD H,(HL)
        LD L,A
        SBC HL,DE               ; (carry clear from CP)
        POP HL
        JR NZ,_pass
        ADD HL,BC
        POP BC
        LD SP,HL
        PUSH BC
        JR _eval
_pass:  ADD HL,BC
        JR _look
_eval:  PUSH DE
        EX DE,HL
        INC HL
        CALL WENDOF
        POP BC
        EX (SP),HL              ; the place after the WEND waits, and its
        PUSH DE                 ; line
        PUSH BC
        CALL EVALNUM
        POP DE
        CALL FACZERO
        JR Z,_skip
        POP BC
        POP BC
        CALL STKCHK
        PUSH HL
        LD HL,2 - WHILESIZE
        ADD HL,SP
        POP BC                  ; the text
        LD SP,HL
        LD (HL),F_WHILE
        INC HL
        LD A,(CURPTR)
        LD (HL),A
        INC HL
        LD A,(CURPTR + 1)
        LD (HL),A
        INC HL
        LD (HL),E
        INC HL
        LD (HL),D
        LD H,B
        LD L,C
        JP NEWSTT
_skip:  POP HL                  ; on after the WEND, in its line
        CALL SETLINE
        POP HL
        CALL CHRGOT
        JP NEWSTT

; The WEND that matches the WHILE whose token is at HL: HL past it, DE its
; line's link. Looked for once, line by line, then kept in the text cache
; under the token's place; WHILE without WEND if there is none.
WENDOF: PUSH HL
        CALL TXCFIND
        JR NZ,_scan
        POP BC
        EX DE,HL
        INC L
        LD E,(HL)
        INC L
        LD D,(HL)
        INC H
        DEC L
        LD A,(HL)
        DEC L
        LD L,(HL)
        LD H,A
        EX DE,HL
        RET
_scan:  INC HL
        LD DE,(CURPTR)
        LD BC,0100H             ; B: WHILEs open, C: in quotes
_char:  LD A,(HL)
        INC HL
        OR A
        JR Z,_eol
        CP '"'
        JR Z,_quote
        BIT 0,C
        JR NZ,_char
        CP T_WHILE
        JR Z,_open
        CP T_WEND
        JR NZ,_char
        DJNZ _char
        EX (SP),HL              ; kept under the token: the place after
        POP BC                  ; the WEND, and its line
        PUSH BC
        PUSH DE
        CALL TXCSET
        POP DE
        JR C,_out
        DEC L
        LD (HL),D
        DEC L
        LD (HL),E
_out:   POP HL
        RET
_open:  INC B
        JR _char
_quote: INC C
        JR _char
_eol:   LD C,0                  ; quotes end with the line
        LD A,D                  ; the direct line has no other lines
        CP TXTTAB / 256
        JR C,_none
        LD D,H
        LD E,L
        LD A,(HL)
        INC HL
        OR (HL)
        JR Z,_none
        INC HL
        INC HL
        INC HL
        JR _char
_none:  LD E,E_WH
        JP ERROR

; WEND: back to the newest WHILE, to look at its c again; the FOR loops
; inside it end here.
S_WEND: POP BC                  ; the statement loop's return
        LD HL,0
        ADD HL,SP
_frame: LD A,H
        OR L
        JR Z,_none
        LD A,(HL)
        LD BC,FORSIZE
        CP F_FOR
        JR Z,_pass
        CP F_WHILE
        JR Z,_found
_none:  LD E,E_WE
        JP ERROR
_pass:  ADD HL,BC
        JR _frame
_found: INC HL
        LD E,(HL)
        INC HL
        LD D,(HL)
        INC HL
        LD C,(HL)
        INC HL
        LD B,(HL)
        INC HL
        INC HL
        LD SP,HL                ; it goes: the WHILE makes it again
        EX DE,HL
        CALL SETLINE
        LD H,B
        LD L,C
        JP STMTVEC

; ---------------------------------------------------------------- DATA, READ, INPUT
S_RESTORE:
        LD DE,0
        JR Z,_set
        CALL LINGET
        PUSH HL
        CALL FNDLIN
        JP NZ,ULERR
        LD DE,4
        ADD HL,DE
        EX DE,HL
        POP HL
_set:   LD (DATPTR),DE
        LD A,1
        LD (DATNEED),A
        RET

S_READ: CALL PTRGETC
        PUSH HL
        PUSH DE
        LD A,(VARTYPE)
        PUSH AF
        LD HL,(DATPTR)
        LD A,(DATNEED)
        OR A
        CALL NZ,FINDDATA
        POP AF
        PUSH AF
        CALL DATUM
        JR C,DATAERR
        LD A,(HL)
        SUB ','                 ; not at a ',': look further next time
        LD (DATNEED),A
        JR NZ,_end
        INC HL
_end:   LD (DATPTR),HL
        POP AF
        POP DE
        CALL ASSIGN
        POP HL
        CALL CHRGOT
        CP ','
        RET NZ
        CALL CHRGET
        JR S_READ

; A DATA item at HL that is not a number: a Syntax error in the DATA's
; line, which ERL gives too (RESUME still goes back to the READ).
DATAERR:
        EX DE,HL
        LD HL,TXTTAB
_line:  LD C,(HL)               ; the line before the first one past HL
        INC HL
        LD B,(HL)
        INC HL
        LD A,E
        SUB C
        LD A,D
        SBC A,B
        JR C,_found
        LD H,B
        LD L,C
        JR _line
_found: LD A,(HL)
        INC HL
        LD H,(HL)
        LD L,A
        LD (CURLIN),HL
        JP SNERR

; HL = the next DATA item after HL, which is in a line's text, or 0 for
; the start of the program (or a line's start when DATNEED is from
; RESTORE n, at its link).
FINDDATA:
        LD A,H
        OR L
        JR NZ,_text
        LD HL,TXTTAB
        JR _line
_text:  LD A,(HL)
        CP T_DATA
        JR Z,_found
        OR A
        JR Z,_eol
        CP '"'
        JR Z,_quote
        INC HL
        JR _text
_quote: INC HL
        LD A,(HL)
        OR A
        JR Z,_eol
        CP '"'
        JR NZ,_quote
        INC HL
        JR _text
_eol:   INC HL
_line:  LD A,(HL)
        INC HL
        OR (HL)
        LD E,E_OD
        JP Z,ERROR
        INC HL
        INC HL
        INC HL
        JR _text
_found: INC HL
        RET

; Reads one item at HL (a DATA list or an INPUT line) for a variable of
; type A: FAC and VALTYP; HL at the ',' or end after it. Carry if the text
; is not a number where one is wanted.
DATUM:  LD B,A
_sp:    LD A,(HL)
        CP ' '
        JR NZ,_first
        INC HL
        JR _sp
_first: LD A,B
        CP 2
        JR NZ,_num
        LD A,(HL)
        CP '"'
        JR NZ,_plain
        INC HL
        LD D,H
        LD E,L
        LD B,0
_q:     LD A,(HL)
        OR A
        JR Z,_qend
        INC HL
        CP '"'
        JR Z,_qend
        INC B
        JR _q
_qend:  PUSH HL
        LD A,B
        CALL MKTEMP
        POP HL
        JR _sep
_plain: LD D,H
        LD E,L
        LD B,0
_p:     LD A,(HL)
        OR A
        JR Z,_pend
        CP ','
        JR Z,_pend
        CP ':'
        JR Z,_pend
        INC HL
        INC B
        JR _p
_pend:  PUSH HL
        LD A,B
        CALL MKTEMP
        POP HL
        OR A
        RET
_num:   CALL NUMTEXT
_sep:   LD A,(HL)               ; spaces, then a separator
        CP ' '
        JR NZ,_chk
        INC HL
        JR _sep
_chk:   OR A
        RET Z
        CP ','
        RET Z
        CP ':'
        RET Z
        SCF
        RET

; INPUT ["prompt";] v[,v...]
S_INPUT:
        CALL INPROMPT
        PUSH HL                 ; the variables' text stays on the stack
_ask:   XOR A
        CALL INREAD
        POP HL
        PUSH HL
_var:   CALL PTRGETC
        PUSH HL
        PUSH DE
        LD A,(VARTYPE)
        PUSH AF
        LD HL,(INPTR)
        CALL DATUM
        JR C,_redo
        LD (INPTR),HL
        POP AF
        POP DE
        CALL ASSIGN
        POP HL
        CALL CHRGOT
        CP ','
        JR NZ,_done
        CALL CHRGET
        PUSH HL
        LD HL,(INPTR)
        LD A,(HL)
        CP ','
        JR NZ,_ask2
        INC HL
        LD (INPTR),HL
        POP HL
        JR _var
_ask2:  LD A,1                  ; more variables than values: ask on
        CALL INREAD
        POP HL
        JR _var
_done:  POP DE
        PUSH HL
        LD HL,(INPTR)
        LD A,(HL)
        POP HL
        OR A
        RET Z
        CALL PRINTI
        DB "?Extra ignored",0DH,0
        RET
_redo:  POP AF
        POP DE
        POP HL
        CALL PRINTI
        DB "?Redo from start",0DH,0
        JP _ask

; LINE INPUT ["prompt";] v$: the whole line typed, as it stands.
LINEINPUT:
        CALL CHRGET
        CALL INPROMPT
        CALL PTRGETC
        LD A,(VARTYPE)
        CP 2
        JP NZ,TMERR
        PUSH HL
        PUSH DE
        LD A,2
        CALL INREAD
        LD D,H
        LD E,L
        LD A,(ILEN)
        CALL MKTEMP
        POP DE
        LD A,2
        CALL ASSIGN
        POP HL
        RET

; The optional "prompt"; (or ,) of INPUT and LINE INPUT at HL: STRL = its
; descriptor, 0 for none. Illegal direct in direct mode, whose line the
; reply would overwrite.
INPROMPT:
        CALL NODIRECT
        LD DE,0
        CALL CHRGOT
        CP '"'
        JR NZ,_none
        CALL UNARY
        CALL CHRGOT
        CP ';'
        JR Z,_semi
        CALL SYNCHR
        DB ','
        DEC HL
_semi:  INC HL
        LD DE,(FAC)
_none:  LD (STRL),DE
        RET

; Prints the prompt STRL. Keeps HL.
PROMPT: PUSH HL
        LD HL,(STRL)
        LD A,H
        OR L
        CALL NZ,PSTRING
        POP HL
        RET

; Reads a reply into INPTR (HL = BUF) after a prompt: A = 0, STRL's and
; "? "; 1, "?? "; 2, STRL's alone. A reply too long for the line is asked
; for again, prompt and all; STOP breaks off the program.
INREAD: PUSH AF
        DEC A
        CALL NZ,PROMPT
        POP AF
        PUSH AF
        LD HL,_ask
        OR A
        JR Z,_show
        DEC A
        JR NZ,_read
        DEC HL
_show:  CALL PRINT
_read:  CALL INLINE
        JR C,_stop
        JR NZ,_again
        POP AF
        LD (INPTR),HL
        RET
_again: POP AF
        JR INREAD
_stop:  LD E,0                  ; STOP: "Break in N", no CONT
        JP ERRMSG
        DB "?"                  ; "?? " for the values still wanted
_ask:   DB "? ",0

; ---------------------------------------------------------------- memory
S_DIM:  LD A,1
        LD (DIMFLG),A
        CALL PTRGET
        XOR A
        LD (DIMFLG),A
        CALL CHRGOT
        CP ','
        RET NZ
        CALL CHRGET
        JR S_DIM

S_RUN:  JR Z,_start
        CALL LINGET
        PUSH DE
        CALL CLEARVARS
        POP DE
        POP BC
        LD SP,STACKTOP
        CALL FNDLIN
        JP NZ,ULERR
        JP RUNLINE
_start: CALL CLEARVARS
        POP BC
        LD SP,STACKTOP
        LD HL,TXTTAB
        JP RUNLINE

S_NEW:  CALL SCRATCH
        LD (TRACE),A            ; A = 0: TROFF too
        CALL SETHOOKS
        POP BC
        LD SP,STACKTOP
        LD HL,0FFFFH
        LD (CURLIN),HL
        JP READY

S_CLEAR:
        CALL SKIPSTMT
        PUSH HL
        CALL CLEARVARS
        POP HL
        POP BC
        LD SP,STACKTOP
        JP NEWSTT

S_CONT: LD HL,(CONTPTR)
        LD A,H
        OR L
        LD E,E_CN
        JP Z,ERROR
        LD SP,(MAINSP)
        LD DE,TXTTAB            ; direct commands may have run other lines
        LD (CURPTR),DE
        LD DE,(CONTLIN)
        LD (CURLIN),DE
        LD DE,0
        LD (CONTPTR),DE
        LD A,(CONTMODE)
        OR A
        JP NZ,RUNLINE
        JP NEWSTT

; TRON, TROFF: each line's number in brackets as it starts, or not.
S_TRON: LD A,1
        DB 0FEH                 ; CP n: the XOR A is its operand
S_TROFF:
        XOR A
        LD (TRACE),A
        JP SETHOOKS

; ERASE a[,b...]: the arrays go and their memory is free again; one that
; was never made is an Illegal function call.
S_ERASE:
        CALL NAMEGET
        PUSH HL
        LD HL,(ARYTAB)
_find:  PUSH HL
        LD DE,(STREND)
        OR A
        SBC HL,DE
        JP NC,FCERR
        POP DE                  ; the array
        LD H,D
        LD L,E
        LD A,(HL)               ; its name, C first
        INC HL
        CP C
        JR NZ,_diff
        LD A,(HL)
        CP B
_diff:  PUSH AF
        INC HL
        PUSH BC
        LD C,(HL)
        INC HL
        LD B,(HL)
        INC HL
        ADD HL,BC               ; the next one
        POP BC
        POP AF
        JR NZ,_find
        PUSH HL                 ; those after it move down in its place
        EX DE,HL
        PUSH HL
        LD HL,(STREND)
        OR A
        SBC HL,DE
        LD B,H
        LD C,L
        POP DE
        POP HL
        CALL COPYBC
        LD (STREND),DE
        CALL TXCCLEAR           ; the arrays after it have other places
        POP HL
        CALL CHRGOT
        CP ','
        RET NZ
        CALL CHRGET
        JR S_ERASE

S_SWAP: PUSH HL
        CALL PTRGETC
        LD A,(VARTYPE)
        PUSH AF
        CALL SYNCHR
        DB ','
        CALL PTRGETC
        POP AF
        LD B,A
        LD A,(VARTYPE)
        CP B
        JP NZ,TMERR
        EX (SP),HL              ; the first may have moved: find it again
        PUSH DE
        CALL PTRGETC
        POP BC
        LD H,B
        LD L,C
        LD B,4
_swap:  LD A,(DE)
        LD C,(HL)
        LD (HL),A
        LD A,C
        LD (DE),A
        INC HL
        INC DE
        DJNZ _swap
        POP HL
        RET

; ---------------------------------------------------------------- machine
S_POKE: CALL EVALADDR
        PUSH DE
        CALL SYNCHR
        DB ','
        CALL EVALBYTE
        POP DE
        LD (DE),A
; Empties the text cache if the program or its variables may have changed
; below DE.
TXCBELOW:
        PUSH HL
        LD HL,(STREND)
        SCF
        SBC HL,DE
        CALL NC,TXCCLEAR
        POP HL
        RET

S_OUT:  CALL EVALBYTE
        PUSH AF
        CALL SYNCHR
        DB ','
        CALL EVALBYTE
        POP BC
        LD C,B
        OUT (C),A
        RET

; WAIT p,and[,xor]: until (IN p XOR xor) AND and is not 0.
S_WAIT: CALL EVALBYTE
        PUSH AF
        CALL SYNCHR
        DB ','
        CALL EVALBYTE
        PUSH AF
        LD E,0
        CALL CHRGOT
        CP ','
        JR NZ,_go
        CALL CHRGET
        CALL EVALBYTE
_go:    POP AF
        LD D,A
        POP AF
        LD C,A
_loop:  CALL BREAKNOW
        JR NZ,_brk
        IN A,(C)
        XOR E
        AND D
        JR Z,_loop
        RET
_brk:   POP BC                  ; STOP: a break after the statement
        JP BREAK

; CALL a: the machine code at a; a RET comes back.
S_CALL: CALL EVALADDR
        PUSH HL
        LD HL,_back
        PUSH HL
        PUSH DE
        RET
_back:  POP HL
        RET

S_CLS:  PUSH HL
        CALL CLS
        POP HL
        RET

; LOCATE x,y: the cursor to column x, row y.
S_LOCATE:
        CALL EVALBYTE
        PUSH AF
        CALL SYNCHR
        DB ','
        CALL EVALBYTE
        LD B,A
        LD A,(ROWS)
        DEC A
        CP B
        JP C,FCERR
        POP AF
        LD C,A
        LD A,(COLS)
        DEC A
        CP C
        JP C,FCERR
        LD A,C
        LD (CURX),A
        LD A,B
        LD (CURY),A
        PUSH HL
        CALL SHOWCURSOR
        POP HL
        RET

; MON: the monitor, from a clear screen; its BASIC command comes back. A
; command: a program never leaves BASIC by it (Illegal direct).
S_MON:  CALL ONLYDIRECT
        XOR A
        LD (INBASIC),A
        CALL CLS
        CALL BANNER
        JP WARM

S_BEEP: CALL BEEP
S_BEEP_WAIT:
        CALL WAITTICK
        LD A,(BEEPTIME)
        OR A
        JR NZ,S_BEEP_WAIT
        RET

; AUTO [start[,step]]
S_AUTO: LD DE,10
        JR Z,_set
        CALL LINGET
        PUSH DE
        LD DE,10
        CALL CHRGOT
        CP ','
        JR NZ,_one
        CALL CHRGET
        CALL LINGET
_one:   LD (AUTOSTEP),DE
        POP DE
        JR _start
_set:   LD (AUTOSTEP),DE
_start: LD A,D
        OR E
        JP Z,FCERR
        LD (AUTOLIN),DE
        POP BC
        JP MAIN

; DELETE a[-[b]] | -b: the lines from a to b, then the prompt (in a
; program too, whose text moves under it). Bare, reversed or with nothing
; to delete it is an error and the program stays.
S_DELETE:
        JP Z,FCERR
        CALL RANGE
        CALL CHRGOT
        JP NZ,SNERR
        LD HL,(LISTHI)
        OR A
        SBC HL,DE
        JP C,FCERR
        CALL FNDLIN             ; the first line to go
        PUSH HL
        LD DE,(LISTHI)
        INC DE
        LD A,D
        OR E
        JR NZ,_to
        DEC DE
_to:    CALL FNDLIN             ; the first to stay
        POP DE
        PUSH HL
        OR A
        SBC HL,DE
        JP Z,FCERR
        LD HL,(VARTAB)
        POP BC
        PUSH BC
        SBC HL,BC
        LD B,H
        LD C,L
        POP HL
        LDIR
        LD (VARTAB),DE
        CALL RELINK
        CALL CLEARVARS
        JP READY

; DEF FNname(p)=expression: kept as the expression's text and p's name.
S_DEF:  CALL NODIRECT
        CALL SYNCHR
        DB T_FN
        CALL FNNAME
        PUSH BC
        CALL SYNCHR
        DB '('
        CALL NAMEGET
        BIT 7,C
        JP NZ,TMERR
        PUSH BC
        CALL SYNCHR
        DB ')'
        CALL CHRGOT
        CP '='
        JP NZ,SNERR
        INC HL
        POP DE
        POP BC
        PUSH HL
        PUSH DE
        LD A,1
        LD (MKVAR),A
        CALL VARFIND
        POP BC
        POP HL
        EX DE,HL
        LD (HL),E
        INC HL
        LD (HL),D
        INC HL
        LD (HL),B
        INC HL
        LD (HL),C
        EX DE,HL
        CALL VARFIND            ; the parameter exists from now on, so that
        JP SKIPSTMT             ; no FN call moves the arrays under a pointer

; Illegal direct in direct mode.
NODIRECT:
        LD A,(CURLIN)
        LD B,A
        LD A,(CURLIN + 1)
        AND B
        INC A
        RET NZ
        LD E,E_ID
        JP ERROR

; RANDOMIZE [n]: a new sequence, from n or from the tick count.
S_RANDOMIZE:
        JR Z,_ticks
        CALL EVALNUM
        JR _seed
_ticks: PUSH HL
        LD DE,(TICKS)
        RES 7,D
        CALL FFROMINT
        POP HL
_seed:  PUSH HL
        CALL FABS               ; a negative argument seeds
        CALL FNEG
        LD A,(FAC + 3)
        OR A
        JR NZ,_neg
        LD DE,-1
        CALL FFROMINT
_neg:   CALL FRND
        POP HL
        RET

; EDIT n: line n, listed into the input line to change and enter again; a
; program stops there.
S_EDIT: CALL LINGET
        CALL FNDLIN
        JP NZ,ULERR
        LD DE,BUF
        LD (EDITPTR),DE
        INC HL
        INC HL
        CALL LISTLINE
        LD HL,(EDITPTR)
        LD DE,0
        LD (EDITPTR),DE
        DEC DE                  ; direct mode from here on
        LD (CURLIN),DE
        LD A,L
        SUB BUF AND 0FFH
        LD (PREFILL),A
        LD SP,(MAINSP)
        JP MAINED

; RENUM [new[,old[,step]]]: lines from old on (0: all) are numbered from
; new (10) in steps (10), and GOTO, GOSUB, THEN, ELSE, RESTORE, RUN,
; RESUME and ERL follow them. A numbering that would pass 65529 or reach below old's
; predecessor is refused.
S_RENUM:
        CALL ONLYDIRECT
        LD DE,10
        LD (RENNEW),DE
        LD (RENSTEP),DE
        LD DE,0
        LD (RENOLD),DE
        CALL CHRGOT
        JR NC,_old
        CALL LINGET
        LD (RENNEW),DE
_old:   CALL CHRGOT
        CP ','
        JR NZ,_go
        CALL CHRGET
        JR NC,_step
        CALL LINGET
        LD (RENOLD),DE
_step:  CALL CHRGOT
        CP ','
        JR NZ,_go
        CALL CHRGET
        CALL LINGET
        LD (RENSTEP),DE
_go:    CALL CHRGOT
        JP NZ,SNERR
        LD A,(RENSTEP)
        LD B,A
        LD A,(RENSTEP + 1)
        OR B
        JP Z,FCERR
        ; the last new number must fit, and the first must lie above the
        ; line before old
        LD DE,(RENOLD)
        CALL FNDLIN
        PUSH HL
        CALL RENCOUNT           ; BC = lines from there on
        POP HL
        LD A,B
        OR C
        JP Z,READY
        PUSH HL
        LD HL,(RENSTEP)
        DEC BC
        LD D,B
        LD E,C
        CALL MULHD
        JP C,FCERR
        LD DE,(RENNEW)
        ADD HL,DE
        JP C,FCERR
        EX DE,HL
        LD HL,65529
        OR A
        SBC HL,DE
        JP C,FCERR
        POP DE                  ; the first renumbered line
        LD HL,TXTTAB            ; is a line before it at or above new?
_prev:  PUSH HL
        OR A
        SBC HL,DE
        POP HL
        JR Z,_refs
        INC HL
        INC HL
        LD C,(HL)
        INC HL
        LD B,(HL)
        DEC HL
        DEC HL
        DEC HL
        PUSH HL
        LD HL,(RENNEW)
        SCF
        SBC HL,BC
        POP HL
        JP C,FCERR
        LD A,(HL)
        INC HL
        LD H,(HL)
        LD L,A
        JR _prev
        ; references, line by line: first only measured (every new text
        ; must fit the line buffer, and memory the lines that grow), so
        ; that a refusal comes before anything changes; then rewritten
_refs:  XOR A
        LD H,A
        LD L,A
        LD (RENGROW),HL
_pass:  LD (RENDO),A
        LD HL,TXTTAB
_line:  LD A,(HL)
        INC HL
        OR (HL)
        JR Z,_passed
        DEC HL
        LD (RENLINE),HL
        CALL RENLINETEXT        ; BUF = the text with new numbers, C if changed
        JR NC,_next
        LD A,(RENDO)
        OR A
        JR Z,_grow
        LD HL,(RENLINE)
        INC HL
        INC HL
        LD E,(HL)
        INC HL
        LD D,(HL)
        CALL EDITLINE
        JR _next                ; the same place now holds the new line
_grow:  LD HL,(RENLINE)
        LD E,(HL)
        INC HL
        LD D,(HL)
        LD HL,(RENLINE)
        EX DE,HL
        OR A
        SBC HL,DE               ; the old size
        EX DE,HL
        LD HL,4
        ADD HL,BC               ; the new
        SBC HL,DE
        JR C,_next
        LD DE,(RENGROW)
        ADD HL,DE
        LD (RENGROW),HL
_next:  LD HL,(RENLINE)
        LD A,(HL)
        INC HL
        LD H,(HL)
        LD L,A
        JR _line
_passed:
        LD A,(RENDO)
        OR A
        JR NZ,_nums
        LD HL,(VARTAB)
        LD DE,(RENGROW)
        ADD HL,DE
        JP C,OMERR
        LD DE,EDITTOP
        SBC HL,DE
        JP NC,OMERR
        INC A
        JR _pass
        ; then the line numbers themselves
_nums:  LD DE,(RENOLD)
        CALL FNDLIN
        LD DE,(RENNEW)
_renum: LD A,(HL)
        INC HL
        OR (HL)
        JP Z,READY
        INC HL
        LD (HL),E
        INC HL
        LD (HL),D
        DEC HL
        DEC HL
        DEC HL
        LD A,(HL)
        INC HL
        LD H,(HL)
        LD L,A
        PUSH HL
        LD HL,(RENSTEP)
        ADD HL,DE
        EX DE,HL
        POP HL
        JR _renum

; Only in direct mode (RENUM rewrites the program under a running one).
ONLYDIRECT:
        LD A,(CURLIN)
        LD B,A
        LD A,(CURLIN + 1)
        AND B
        INC A
        RET Z
        LD E,E_ID
        JP ERROR

; BC = the lines from HL to the end.
RENCOUNT:
        LD BC,0
_line:  LD A,(HL)
        INC HL
        OR (HL)
        RET Z
        INC BC
        DEC HL
        LD A,(HL)
        INC HL
        LD H,(HL)
        LD L,A
        JR _line

; DE = the new number of line DE, unchanged below RENOLD or if there is
; no such line.
RENMAP: PUSH HL
        PUSH BC
        PUSH DE
        LD HL,(RENOLD)
        EX DE,HL
        OR A
        SBC HL,DE
        JR C,_same
        POP DE
        PUSH DE
        CALL FNDLIN
        JR NZ,_same
        PUSH HL                 ; count the lines from RENOLD up to it
        LD DE,(RENOLD)
        CALL FNDLIN
        POP DE
        LD BC,0
_count: PUSH HL
        OR A
        SBC HL,DE
        POP HL
        JR Z,_found
        INC BC
        LD A,(HL)
        INC HL
        LD H,(HL)
        LD L,A
        JR _count
_found: LD HL,(RENSTEP)
        LD D,B
        LD E,C
        CALL MULHD
        LD DE,(RENNEW)
        ADD HL,DE
        EX DE,HL
        POP HL
        POP BC
        POP HL
        RET
_same:  POP DE
        POP BC
        POP HL
        RET

; Copies the text of line RENLINE into BUF with each line number after
; GOTO, GOSUB, THEN, ELSE, RESTORE, RUN, RESUME and ERL and a relation
; (and the lists of ON) mapped, as those statements read it; a number that
; maps to no other stays as typed, and so does the 0 of ON ERROR GOTO 0 and
; RESUME 0.
; BC = its length with the 0, carry if any number changed. A text too long
; for the line buffer is an error.
RENLINETEXT:
        LD HL,(RENLINE)
        INC HL
        INC HL
        INC HL
        INC HL
        LD DE,BUF
        XOR A
        LD (NUMTMP),A           ; changed
        LD (RENZERO),A
        LD C,0                  ; in quotes / a remark
_char:  CALL _fit
        LD A,(HL)
        LD (DE),A
        INC HL
        INC DE
        OR A
        JP Z,_end
        BIT 0,C
        JR NZ,_inq
        CP '"'
        JR Z,_quote
        CP T_REM
        JR Z,_rem
        CP T_APOS
        JR Z,_rem
        CP T_GOTO
        JR Z,_ref
        CP T_GOSUB
        JR Z,_ref
        CP T_THEN
        JR Z,_ref
        CP T_ELSE
        JR Z,_ref
        CP T_RESTORE
        JR Z,_ref
        CP T_RUN
        JR Z,_ref
        CP T_ERL
        JR Z,_ref
        CP T_RESUME
        JR Z,_resume
        CP T_ERROR
        JR Z,_error
        CP ':'
        JR NZ,_char
        XOR A
        JR _zero
_error: LD A,1                  ; ON ERROR GOTO 0 and RESUME 0 name no line
_zero:  LD (RENZERO),A
        JR _char
_resume:
        LD A,1
        LD (RENZERO),A
        JR _ref
_inq:   CP '"'
        JR NZ,_char
        BIT 1,C
        JR NZ,_char
_quote: LD A,C
        XOR 1
        LD C,A
        JR _char
_rem:   LD C,3
        JR _char
_ref:   CALL _fit
        LD A,(HL)               ; spaces (and after ERL a relation), then a
        CP ' '                  ; number?
        JR Z,_skip
        CP '<'
        JR C,_digit
        CP '>' + 1
        JR NC,_digit
_skip:  LD (DE),A
        INC HL
        INC DE
        JR _ref
_digit: CP '0'
        JP C,_char
        CP '9' + 1
        JP NC,_char
        PUSH BC
        PUSH DE                 ; where it goes
        PUSH HL                 ; its text
        CALL NUMGET             ; DE = the number (FFFFH: none), HL past it
_back:  DEC HL                  ; the spaces after it are copied as text
        LD A,(HL)
        CP ' '
        JR Z,_back
        INC HL
        LD B,H
        LD C,L                  ; BC = past its digits
        PUSH DE
        LD A,D
        OR E
        JR NZ,_map
        LD A,(RENZERO)
        OR A
        JR NZ,_kept
_map:   CALL RENMAP
_kept:  POP HL
        OR A
        SBC HL,DE
        POP HL
        EX (SP),HL              ; HL = where it goes, the text kept
        JR Z,_same
        PUSH BC
        CALL PUTDEC             ; the new digits (at most 5 past the check)
        POP BC
        EX DE,HL
        POP HL
        LD H,B
        LD L,C
        LD A,1
        LD (NUMTMP),A
        JR _list
_same:  EX DE,HL
        POP HL
_copy:  CALL _fit
        LD A,(HL)
        LD (DE),A
        INC HL
        INC DE
        LD A,L
        CP C
        JR NZ,_copy
_list:  POP BC
        LD A,(HL)               ; ON's list: ,number
        CP ','
        JP NZ,_char
        LD (DE),A
        INC HL
        INC DE
        JR _ref
_end:   EX DE,HL
        LD DE,BUF
        OR A
        SBC HL,DE
        LD B,H
        LD C,L
        LD A,(NUMTMP)
        RRCA                    ; carry: changed
        RET
; Line buffer overflow once DE, where the next byte goes, has passed the
; buffer.
_fit:   PUSH HL
        LD HL,-(BUF + 256)
        ADD HL,DE
        POP HL
        RET NC
        LD E,E_LB
        JP ERROR

; MID$(v$,p[,n])=s$: the characters of v$ from p on become s$'s, as many as
; both have (and n allows); v$ keeps its length.
S_MIDSET:
        CALL CHRGET
        CALL SYNCHR
        DB '('
        CALL PTRGETC
        LD A,(VARTYPE)
        CP 2
        JP NZ,TMERR
        PUSH DE
        CALL SYNCHR
        DB ','
        CALL EVALBYTE
        OR A
        JP Z,FCERR
        PUSH AF
        LD A,255
        PUSH AF
        CALL CHRGOT
        CP ','
        JR NZ,_all
        POP AF
        CALL CHRGET
        CALL EVALBYTE
        PUSH AF
_all:   CALL SYNCHR
        DB ')'
        CALL SYNCHR
        DB '='
        CALL EVALSTR
        POP BC                  ; B = n
        POP AF                  ; A = p
        EX (SP),HL              ; HL = the variable, the text waits
        PUSH DE
        DEC A
        LD C,A
        LD A,(HL)               ; room from p to v$'s end
        SUB C
        JP Z,FCERR
        JP C,FCERR
        CP B
        JR NC,_n
        LD B,A
_n:     LD A,(DE)
        CP B
        JR NC,_s
        LD B,A
_s:     INC HL
        LD E,(HL)
        INC HL
        LD D,(HL)
        EX DE,HL
        LD A,B
        LD B,0
        ADD HL,BC
        EX DE,HL                ; DE = v$'s text from p
        POP HL
        PUSH HL
        INC HL
        LD C,(HL)
        INC HL
        LD H,(HL)
        LD L,C
        LD C,A
        LD B,0
        CALL COPYBC
        POP DE
        CALL FRETMP
        POP HL
        RET
