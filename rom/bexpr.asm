; BASIC expressions: operators by precedence, variables and arrays,
; strings and their collector, the functions.

P_POW     EQU 127
P_NEG     EQU 125
P_MUL     EQU 124
P_IDIV    EQU 123
P_MOD     EQU 122
P_ADD     EQU 121
P_REL     EQU 100
P_NOT     EQU 90
P_AND     EQU 70
P_OR      EQU 60
P_XOR     EQU 50
O_REL     EQU 16                ; relational: 16 + 1 (<), 2 (=), 4 (>)

; Out of memory unless the stack has room for another level. Keeps all
; but the flags.
STKCHK: PUSH HL
        LD HL,10000H - STACKLIM
        ADD HL,SP
        POP HL
        RET C
        JP OMERR

; Evaluates the expression at HL: a number in FAC (VALTYP 0) or a string
; (VALTYP 1, FAC = the address of its descriptor). The stack is looked at
; here and where a unary operator recurses; between them EVALP's own
; recursion is bounded by the operators' few precedences.
EVAL:   PUSH HL
        LD HL,10000H - STACKLIM
        ADD HL,SP
        POP HL
        JP NC,OMERR
        LD C,0
; The same, taking only operators that bind tighter than C. Returns the
; operator it stopped at as GETOP gives it, so that a caller looks at each
; operator once.
EVALP:  LD A,C
        PUSH AF
        CALL UNARY
        CALL GETOP
_loop:  POP AF
        PUSH AF
        CP E
        JP NC,_done
_skip:  INC HL
        DJNZ _skip
        LD A,D                  ; + - * / or a relation between a number
        CP 5                    ; and a simple operand, OPVAL its value: at
                                ; once
        JR C,_try
        CP O_REL
        JR C,_slow
_try:   LD A,(VALTYP)
        OR A
        JR NZ,_slow
        LD C,E
        PUSH DE
        LD A,(HL)               ; the right operand: a number or a number
        CP ' '                  ; variable the text cache knows, with no
        CALL Z,CHRGOT           ; tighter operator after it?
        PUSH HL
        LD A,L                  ; (TXCFIND)
        ADD A,A
        ADD A,A
        LD E,A
        LD D,TXCPAGE
        LD A,(DE)
        CP L
        JR NZ,_not
        INC E
        LD A,(DE)
        CP H
        JR NZ,_not
        LD A,(HL)               ; a name or a number: which?
        EX DE,HL
        INC L
        LD E,(HL)
        INC L
        LD D,(HL)               ; DE = past it
        INC H
        CP 'A'
        JR C,_num
        LD A,(HL)               ; a number variable only
        OR A
        JR NZ,_not
        DEC L
        LD A,(HL)
        DEC L
        LD L,(HL)
        LD H,A
        JR _got
_num:   DEC L                   ; the value, in the entry
        DEC L
        DEC L
_got:   LD (OPVAL),HL
        EX DE,HL
        CALL GETOP
        LD A,C
        CP E
        JR C,_not
        POP AF
        EX (SP),HL              ; the text waits, HL = the operator
        PUSH DE
        PUSH BC
        EX DE,HL
        LD HL,(OPVAL)
        CALL APPLYR
        JP C,FPERR
        POP BC
        POP DE
        POP HL
        JP _loop
_not:   POP HL
        POP DE
_slow:  LD BC,(FAC + 2)         ; the left operand waits on the stack
        PUSH BC
        LD BC,(FAC)
        PUSH BC
        LD C,E
        LD A,(VALTYP)
        LD E,A
        PUSH DE
        CALL EVALP              ; D E B: the operator after the right operand
        EX (SP),HL              ; the text waits, HL = the operator and type
        PUSH DE
        PUSH BC
        EX DE,HL
        LD HL,6
        ADD HL,SP
        CALL APPLY
        POP BC
        POP DE
        POP HL
        INC SP                  ; the left operand
        INC SP
        INC SP
        INC SP
        JP _loop
_done:  POP AF
        RET

; FAC <- FAC op D (HL), for + - * / and the relations; carry and A as
; the float routines fail.
APPLYR: LD A,D
        CP O_REL
        JR NC,_rel
        DEC A
        JR Z,_add
        DEC A
        JR Z,_sub
        DEC A
        JP Z,FMUL
        PUSH HL                 ; FAC / (HL): FAC aside, (HL) in it
        LD HL,NUMTMP
        CALL FST
        POP HL
        CALL FLD
        LD HL,NUMTMP
        JP FDIV
_sub:   CALL FSUB               ; -((HL) - FAC)
        RET C
        JP FNEG
_add:   CALL FISONE             ; counting by one
        JP NZ,FADD
        PUSH HL
        LD HL,FAC
        CALL FINC1
        POP HL
        RET Z
        JP FADD
_rel:   LD C,D
        CALL FCMP
        NEG                     ; FAC against (HL)
        LD D,C
        JP RELNUM

; The operator at HL (past spaces): D = its number, E = its precedence
; and B = its length; E = 0 if there is none. Keeps HL.
GETOP:  LD A,(HL)
        CP ' '
        CALL Z,CHRGOT
        LD B,1
        CP '*'                  ; what ends an operand most often: no
        JR C,_none              ; operator, said at once
        CP 80H
        JR NC,_word
        LD DE,1 * 256 + P_ADD
        CP '+'
        RET Z
        INC D
        CP '-'
        RET Z
        LD DE,3 * 256 + P_MUL
        CP '*'
        RET Z
        INC D
        CP '/'
        RET Z
        SUB '<'                 ; < = >: bits 1, 2, 4
        CP 3
        JR C,_rel
        LD DE,5 * 256 + P_POW
        CP '^' - '<'
        RET Z
        LD DE,6 * 256 + P_IDIV
        CP '\' - '<'
        RET Z
_none:  LD E,0
        RET
_word:  SUB T_AND               ; AND OR XOR MOD: 8 to 10, and 7
        CP 4
        JR NC,_none
        ADD A,A
        LD E,A
        LD D,0
        PUSH HL
        LD HL,OPWORDS
        ADD HL,DE
        LD D,(HL)
        INC HL
        LD E,(HL)
        POP HL
        RET
_rel:   INC A                   ; 1 2 4
        CP 3
        JR C,_r1
        INC A
_r1:    LD D,A
        INC HL                  ; two make one: <= >= <> =< => ><
        LD A,(HL)
        DEC HL
        SUB '<'
        CP 3
        JR NC,_one
        CALL _bit
        LD E,A
        AND D
        JR NZ,_none             ; << == >> are none
        LD A,E
        OR D
        LD D,A
        INC B
_one:   LD A,D
        OR O_REL
        LD D,A
        LD E,P_REL
        RET
; A = 1, 2 or 4 for A = 0, 1 or 2.
_bit:   INC A
        CP 3
        RET C
        INC A
        RET

OPWORDS:
        DB 8,P_AND, 9,P_OR, 10,P_XOR, 7,P_MOD

; FAC <- (HL) op D FAC; E = the left operand's type.
APPLY:  LD A,(VALTYP)
        CP E
        JP NZ,TMERR
        OR A
        JP NZ,STROP
        LD A,D
        CP 6
        JR NC,_other
        LD DE,_done             ; + - * / ^: the routine returns there
        PUSH DE
        DEC A
        JP Z,FADD
        DEC A
        JP Z,FSUB
        DEC A
        JP Z,FMUL
        DEC A
        JP Z,FDIV
        JP FPOW
_done:  RET NC
        JP FPERR
_other: CP O_REL
        JR C,APINT
_rel:   LD C,D
        CALL FCMP
        LD D,C
; A = FCMP's answer: FAC <- -1 if it is one the relation D allows, else 0.
RELRES: LD B,A
        XOR A
        LD (VALTYP),A
        LD A,B
; The same when VALTYP is already a number's.
RELNUM: ADD A,2                 ; 1 <, 2 =, 4 >
        CP 3
        JR C,_sh
        INC A
_sh:    AND D
        LD HL,0
        LD (FAC),HL
        JR Z,_set
        LD HL,0BF80H            ; -1
_set:   LD (FAC + 2),HL
        XOR A
        RET
; The integer operators \ MOD AND OR XOR (A).
APINT:  PUSH AF
        PUSH HL
        CALL FTOINT
        JP C,FPERR
        POP HL
        PUSH DE
        CALL FLD
        CALL FTOINT
        JP C,FPERR
        POP BC
        POP AF                  ; DE op BC
        CP 8
        JR C,_div
        JR NZ,_or
        LD A,D
        AND B
        LD D,A
        LD A,E
        AND C
        JR _res
_or:    CP 9
        JR NZ,_xor
        LD A,D
        OR B
        LD D,A
        LD A,E
        OR C
        JR _res
_xor:   LD A,D
        XOR B
        LD D,A
        LD A,E
        XOR C
_res:   LD E,A
        JP FFROMINT
_div:   PUSH AF
        LD A,B
        OR C
        LD A,E_DZ
        JP Z,FPERR
        LD A,D                  ; signs: of the quotient, of the dividend
        XOR B
        PUSH AF
        LD A,D
        OR A
        PUSH AF
        CALL ABSDE
        PUSH DE
        LD D,B
        LD E,C
        CALL ABSDE
        LD B,D
        LD C,E
        POP DE
        CALL DIV16              ; HL = DE / BC, DE = remainder
        POP AF
        JP P,_rpos
        CALL NEGDE
_rpos:  POP AF
        JP M,_qneg
        BIT 7,H                 ; a quotient of +32768: -32768 \ -1
        JR Z,_qpos
        POP AF
        CP 6
        JR NZ,_mod
        LD A,E_OV
        JP FPERR
_qneg:  EX DE,HL
        CALL NEGDE
        EX DE,HL
_qpos:  POP AF
        CP 6
_mod:   JP NZ,FFROMINT          ; MOD: the remainder
        EX DE,HL
        JP FFROMINT

CALLDE: PUSH DE
        RET

; DE <- |DE|; DE <- -DE.
ABSDE:  BIT 7,D
        RET Z
NEGDE:  XOR A
        SUB E
        LD E,A
        SBC A,A
        SUB D
        LD D,A
        RET

; HL = DE / BC, DE = the remainder, unsigned.
DIV16:  LD HL,0
        LD A,16
_bit:   SLA E
        RL D
        ADC HL,HL
        SBC HL,BC
        JR NC,_one
        ADD HL,BC
        JR _next
_one:   INC E
_next:  DEC A
        JR NZ,_bit
        EX DE,HL
        RET

; HL = HL * DE, carry if it does not fit 16 bits.
MULHD:  LD B,H
        LD C,L
        LD HL,0
        LD A,16
_bit:   ADD HL,HL
        RET C
        EX DE,HL
        ADD HL,HL
        EX DE,HL
        JR NC,_next
        ADD HL,BC
        RET C
_next:  DEC A
        JR NZ,_bit
        RET

; String operators: + joins, the relations compare. (HL) holds the left
; operand's descriptor address.
STROP:  LD A,(HL)
        INC HL
        LD H,(HL)
        LD L,A
        LD (STRL),HL
        LD A,D
        CP O_REL
        JR NC,_cmp
        DEC A
        JP NZ,TMERR
        LD DE,(FAC)             ; join
        LD A,(DE)
        ADD A,(HL)
        LD E,E_LS
        JP C,ERROR
        CALL ALLOC
        PUSH HL
        EX DE,HL
        LD HL,(STRL)
        CALL DESCDATA
        CALL COPYBC
        LD HL,(FAC)
        CALL DESCDATA
        CALL COPYBC
        POP HL
        PUSH HL
        EX DE,HL
        OR A
        SBC HL,DE
        LD A,L                  ; the joined length
        POP DE
        PUSH AF
        PUSH DE
        CALL FREEBOTH
        POP DE
        POP AF
        JP MKTEMP
_cmp:   PUSH DE
        LD HL,(STRL)
        CALL DESCDATA
        LD A,C
        LD (NUMTMP),A
        PUSH HL
        LD HL,(FAC)
        CALL DESCDATA
        LD A,C
        LD (NUMTMP + 1),A
        POP DE                  ; DE left, HL right
        LD A,(NUMTMP)
        CP C
        JR C,_min
        LD A,C
_min:   LD B,A
        INC B
_char:  DEC B
        JR Z,_len
        LD A,(DE)
        CP (HL)
        INC DE
        INC HL
        JR Z,_char
        LD A,1
        JR NC,_res
        LD A,0FFH
        JR _res
_len:   LD A,(NUMTMP + 1)
        LD B,A
        LD A,(NUMTMP)
        CP B
        LD A,0
        JR Z,_res
        LD A,1
        JR NC,_res
        LD A,0FFH
_res:   PUSH AF
        CALL FREEBOTH
        POP AF
        POP DE
        JP RELRES

; Frees the temporaries of both string operands, the right one first.
FREEBOTH:
        LD DE,(FAC)
        CALL FRETMP
        LD DE,(STRL)
        JP FRETMP

; HL = a descriptor: BC = its length, HL = its text.
DESCDATA:
        LD C,(HL)
        LD B,0
        INC HL
        LD A,(HL)
        INC HL
        LD H,(HL)
        LD L,A
        RET

; Prints the string whose descriptor is at HL.
PSTRING:
        CALL DESCDATA
        INC C
_char:  DEC C
        RET Z
        LD A,(HL)
        INC HL
        CALL PUTCH
        JR _char

; Copies BC bytes from HL to DE (none when BC is 0).
COPYBC: LD A,B
        OR C
        RET Z
        LDIR
        RET

; ---------------------------------------------------------------- operands
; One operand at HL, with its unary operators.
UNARY:  LD A,(HL)                ; a variable, the commonest, at once
        CP 'A'
        JR C,_gen
        CP 'Z' + 1
        JR C,_name
_gen:   CALL CHRGOT
        JP C,NUMBER
        CP 'A'
        JR C,_sym
        CP 'Z' + 1
        JR NC,_tok
_name:  LD A,L                  ; a simple variable met here before: its
        ADD A,A                 ; value at once (TXCFIND)
        ADD A,A
        LD E,A
        LD D,TXCPAGE
        LD A,(DE)
        CP L
        JR NZ,_var
        INC E
        LD A,(DE)
        CP H
        JR NZ,_var
        EX DE,HL
        INC L
        LD C,(HL)
        INC L
        LD B,(HL)               ; BC = past the name
        INC H
        LD A,(HL)
        OR A
        JR NZ,_typed            ; an integer, a string or an array
        DEC L
        LD D,(HL)
        DEC L
        LD E,(HL)
        EX DE,HL
        LD E,(HL)
        INC HL
        LD D,(HL)
        INC HL
        LD (FAC),DE
        LD E,(HL)
        INC HL
        LD D,(HL)
        LD (FAC + 2),DE
        XOR A
        LD (VALTYP),A
        LD H,B
        LD L,C
        RET
_typed: EX DE,HL                ; HL = the name again
        JP M,_var
        LD (VARTYPE),A
        EX DE,HL
        DEC L
        LD D,(HL)
        DEC L
        LD E,(HL)
        LD H,B
        LD L,C
        JP LOADVAR
_var:   CALL PTRGET
        JP LOADVAR
_tok:   CP T_FIRSTFN
        JP NC,_func
        CP T_NOT
        JR Z,_not
        CP T_FN
        JP Z,DOFN
        CP T_INPUTS
        JP Z,U_INPUTS
        JP SNERR
_sym:   CP '-'
        JR Z,_neg
        CP '+'
        JR NZ,_nplus
        CALL CHRGET
        JP UNARY
_nplus: CP '('
        JR Z,_paren
        CP '.'
        JP Z,NUMBER
        CP '"'
        JR Z,_str
        CP '&'
        JR Z,_hex
        JP SNERR
_neg:   CALL STKCHK
        CALL CHRGET
        LD C,P_NEG
        CALL EVALP
        CALL CHKNUM
        PUSH HL
        CALL FNEG
        POP HL
        RET
_not:   CALL STKCHK
        CALL CHRGET
        LD C,P_NOT
        CALL EVALP
        CALL FACINT
        LD A,D
        CPL
        LD D,A
        LD A,E
        CPL
        LD E,A
        JP INTRES
_paren: CALL CHRGET
        CALL EVAL
        CALL SYNCHR
        DB ')'
        RET
_str:   INC HL                  ; a string in the text
        LD D,H
        LD E,L
        LD B,0
_slen:  LD A,(HL)
        OR A
        JR Z,_send
        INC HL
        CP '"'
        JR Z,_send
        INC B
        JR _slen
_send:  LD A,B
        PUSH HL
        CALL MKTEMP
        POP HL
        RET
_hex:   INC HL
        LD A,(HL)
        CALL UPCASE
        CP 'H'
        JP NZ,SNERR
        INC HL
        CALL HEXNUM
        LD A,E_OV
        JP C,FPERR
        PUSH HL
        CALL FFROMINT
        POP HL
        XOR A
        LD (VALTYP),A
        RET
_func:  SUB T_FIRSTFN
        PUSH AF
        ADD A,A
        LD E,A
        LD D,0
        PUSH HL
        LD HL,FUNCTAB
        ADD HL,DE
        LD E,(HL)
        INC HL
        LD D,(HL)
        POP HL
        CALL CHRGET
        POP AF
        CP T_NUMFN - T_FIRSTFN
        JR NC,CALLDE2
        PUSH DE                 ; a number in, a number out
        CALL PARNUM
        POP DE
        PUSH HL
        CALL CALLDE
        POP HL
        JP C,FPERR
        RET
CALLDE2:
        PUSH DE
        RET

; A number in the text at HL: FAC, HL past it; the text cache keeps the
; value of one in the program.
NUMBER: XOR A
        LD (VALTYP),A
        CALL TXCFIND            ; read here before?
        JR NZ,_fin
        EX DE,HL
        INC L
        LD C,(HL)
        INC L
        LD B,(HL)               ; past its text
        INC H
        LD D,(HL)
        DEC L
        LD E,(HL)
        DEC L
        LD (FAC + 2),DE
        LD D,(HL)
        DEC L
        LD E,(HL)
        LD (FAC),DE
        LD H,B
        LD L,C
        RET
_fin:   PUSH HL
        CALL FIN
        JP C,FPERR
        LD A,(HL)               ; a single's suffix, # as well
        CP '!'
        JR Z,_suffix
        CP '#'
        JR NZ,_plain
_suffix:
        INC HL
_plain: LD B,H
        LD C,L
        POP HL
        PUSH BC
        CALL TXCSET
        JR C,_kept
        LD DE,(FAC + 2)
        LD (HL),D
        DEC L
        LD (HL),E
        DEC L
        LD DE,(FAC)
        LD (HL),D
        DEC L
        LD (HL),E
_kept:  POP HL
        RET

; Loads the variable at DE (of VARTYPE) into FAC. Keeps HL.
LOADVAR:
        LD A,(VARTYPE)
        CP 2
        JR Z,_s
        PUSH HL
        EX DE,HL
        OR A
        JR NZ,_i
        CALL FLD
        JR _n
_i:     LD E,(HL)
        INC HL
        LD D,(HL)
        CALL FFROMINT
_n:     XOR A
        LD (VALTYP),A
        POP HL
        RET
_s:     LD (FAC),DE
        LD A,1
        LD (VALTYP),A
        RET

; Type mismatch unless the value is a number / a string.
CHKNUM: LD A,(VALTYP)
        OR A
        RET Z
        JP TMERR
CHKSTR: LD A,(VALTYP)
        OR A
        RET NZ
        JP TMERR

; "(number)" at HL.
PARNUM: CALL SYNCHR
        DB '('
        CALL EVALNUM
        CALL SYNCHR
        DB ')'
        RET

EVALNUM:
        CALL EVAL
        JR CHKNUM

; DE = FAC as an integer. Keeps HL.
FACINT: CALL CHKNUM
        PUSH HL
        CALL FTOINT
        POP HL
        JP C,FPERR
        RET

; DE = the integer expression at HL.
EVALINT:
        CALL EVAL
        JR FACINT

; A = E = the expression at HL, 0-255.
EVALBYTE:
        CALL EVALINT
        LD A,D
        OR A
        JP NZ,FCERR
        LD A,E
        RET

; DE = the address expression at HL (-32768..65535, negative wraps).
EVALADDR:
        CALL EVALNUM
        PUSH HL
        CALL FTOADDR
        POP HL
        JP C,FPERR
        RET

; ---------------------------------------------------------------- variables
ZEROVAL:
        DB 0,0,0,0

; The name at HL: B, C its first two characters (C = 0 if it has one),
; bit 7 of B set for '%', of C for '$'; VARTYPE its type; HL past it.
NAMEGET:
        CALL CHRGOT
        CALL ISLETTER
        JP C,SNERR
        LD B,A
        LD C,0
        INC HL
        LD A,(HL)
        CALL ALNUM
        JR C,_one
        LD C,A
_more:  INC HL                  ; later characters do not count
        LD A,(HL)
        CALL ALNUM
        JR NC,_more
_one:   LD A,(HL)               ; a type's suffix (! to %), # and ! both
        CP '%' + 1              ; single
        JR NC,_none
        LD D,2
        CP '$'
        JR Z,_typed
        DEC D
        CP '%'
        JR Z,_typed
        DEC D
        CP '!'
        JR Z,_typed
        CP '#'
        JR Z,_typed
_none:  LD A,(DEFANY)           ; none: single, unless DEFINT, DEFSNG or
        OR A                    ; DEFSTR gave its first letter a type
        JR NZ,_letter
        LD (VARTYPE),A
        RET
_letter:
        PUSH HL
        LD A,B
        ADD A,0FFH AND (DEFTBL - 'A')
        LD L,A
        LD H,DEFTBL / 256
        LD D,(HL)
        POP HL
        DEC HL
_typed: INC HL
        LD A,D
        LD (VARTYPE),A
        DEC A
        JR NZ,_real
        SET 7,B
_real:  DEC A
        RET NZ
        SET 7,C
        RET

; DEFINT, DEFSNG (DEFDBL) or DEFSTR a[-b][,...]: the type of the names that
; begin with those letters and have no suffix.
S_DEFINT:
        LD C,1
        JR DEFTYPE
S_DEFSTR:
        LD C,2
        JR DEFTYPE
S_DEFSNG:
        LD C,0
DEFTYPE:
        CALL _letter
        LD D,A
        LD E,A
        CALL CHRGET
        CP '-'
        JR NZ,_set
        CALL CHRGET
        CALL _letter
        LD E,A
        CALL CHRGET
_set:   PUSH HL
        LD A,D                  ; a letter: not 0
        LD (DEFANY),A
        LD A,E
        SUB D
        JP C,SNERR
        INC A
        LD B,A
        LD A,D
        ADD A,0FFH AND (DEFTBL - 'A')
        LD L,A
        LD H,DEFTBL / 256
_fill:  LD (HL),C
        INC HL
        DJNZ _fill
        CALL TXCCLEAR           ; the names kept may mean other variables
        POP HL
        CALL CHRGOT
        CP ','
        RET NZ
        CALL CHRGET
        JR DEFTYPE
_letter:
        CALL CHRGOT
        CALL ISLETTER
        RET NC
        JP SNERR

; The simple variable named at HL, made if missing: DE = its value,
; VARTYPE its type, HL past the name. A subscript is a Syntax error (FOR
; takes only a simple variable).
SIMPLEVAR:
        LD A,1
        LD (MKVAR),A
        CALL NAMEGET
        CALL CHRGOT
        CP '('
        JP Z,SNERR
        JP VARFIND

; The variable named at HL: DE = its value's address, VARTYPE its type
; (0 number, 1 integer, 2 string); HL past the name and any subscripts.
; PTRGET gives a missing simple variable as a zero, PTRGETC makes it.
PTRGETC:
        LD C,1
        JR PTRGET1
PTRGET: LD C,0
PTRGET1:
        LD A,L                  ; a variable met here before? (TXCFIND)
        ADD A,A
        ADD A,A
        LD E,A
        LD D,TXCPAGE
        LD A,(DE)
        CP L
        JR NZ,_look
        INC E
        LD A,(DE)
        CP H
        JR NZ,_look
        EX DE,HL
        INC L
        LD E,(HL)
        INC L
        LD D,(HL)               ; past its name
        INC H
        LD A,(HL)
        DEC L
        OR A
        JP M,_hitarr
        LD (VARTYPE),A
        LD A,(HL)
        DEC L
        LD L,(HL)
        LD H,A
        EX DE,HL
        RET
_hitarr:
        LD B,(HL)               ; an array: its place from ARYTAB, its name
        DEC L                   ; from there
        LD C,(HL)
        LD HL,(ARYTAB)
        ADD HL,BC
        PUSH BC
        LD C,(HL)
        INC HL
        LD B,(HL)
        EX DE,HL
        POP DE
        JP ARRAY
_look:  LD A,C
        LD (MKVAR),A
        PUSH HL                 ; the name's place
        CALL NAMEGET
        CALL CHRGOT
        CP '('
        JR Z,_array
        CALL VARFIND
        LD A,D                  ; a missing one's zero is not kept
        CP TXTTAB / 256
        JR C,_zero
        LD B,H
        LD C,L
        POP HL
        PUSH BC
        PUSH DE
        CALL TXCSET
        POP DE
        JR C,_kept
        LD A,(VARTYPE)
        LD (HL),A
        DEC L
        LD (HL),D
        DEC L
        LD (HL),E
_kept:  POP HL
        RET
_zero:  POP BC
        RET
_array: POP DE                  ; the name's place
        PUSH HL                 ; where '(' is
        PUSH DE
        LD DE,0FFFFH
        CALL ARRAY
        POP BC
        EX (SP),HL              ; the text after it waits
        LD A,(DIMFLG)           ; DIM makes no entry
        OR A
        JR NZ,_out
        PUSH DE
        PUSH HL
        LD H,B
        LD L,C
        POP BC
        CALL TXCSET
        JR C,_none
        LD A,(VARTYPE)
        OR 80H
        LD (HL),A
        DEC L
        PUSH HL
        LD HL,(ARYHDR)
        LD DE,(ARYTAB)
        OR A
        SBC HL,DE
        EX DE,HL
        POP HL
        LD (HL),D
        DEC L
        LD (HL),E
_none:  POP DE
_out:   POP HL
        RET
; The simple variable named BC: DE = its value (ZEROVAL when it is missing
; and MKVAR is 0). Keeps HL.
VARFIND:
        PUSH HL
        LD HL,(VARTAB)
_find:  LD DE,(ARYTAB)
        OR A
        SBC HL,DE
        JR Z,_none
        ADD HL,DE
        LD A,(HL)
        INC HL
        CP B
        JR NZ,_next
        LD A,(HL)
        CP C
        JR Z,_found
_next:  LD DE,5
        ADD HL,DE
        JR _find
_found: INC HL
        EX DE,HL
        POP HL
        RET
_none:  LD A,(MKVAR)
        OR A
        LD DE,ZEROVAL
        JR NZ,_make
        POP HL
        RET
_make:  PUSH BC
        LD BC,6
        CALL ROOM
        LD HL,(STREND)          ; the arrays move up
        LD D,H
        LD E,L
        LD BC,6
        ADD HL,BC
        LD (STREND),HL
        EX DE,HL                ; HL old end, DE new end
        PUSH HL
        LD BC,(ARYTAB)
        OR A
        SBC HL,BC
        LD B,H
        LD C,L
        POP HL
        DEC HL
        DEC DE
        LD A,B
        OR C
        JR Z,_moved
        LDDR
_moved: LD HL,(ARYTAB)
        PUSH HL
        LD BC,6
        ADD HL,BC
        LD (ARYTAB),HL
        POP HL
        POP BC
        LD (HL),B
        INC HL
        LD (HL),C
        INC HL
        EX DE,HL
        XOR A
        LD H,D
        LD L,E
        LD (HL),A
        INC HL
        LD (HL),A
        INC HL
        LD (HL),A
        INC HL
        LD (HL),A
        POP HL
        RET
; DE = the text cache's entry for the text at HL, at its key's high byte:
; Z if it holds that place. Keeps BC and HL.
TXCFIND:
        LD A,L
        ADD A,A
        ADD A,A
        LD E,A
        LD D,TXCPAGE
        LD A,(DE)
        CP L
        RET NZ
        INC E
        LD A,(DE)
        CP H
        RET

; Takes the text cache's entry for the text from HL to BC: its place and
; end written, HL = its value's top byte, in the page after. Carry, and
; nothing taken, for the input line's text (or any above the program).
; Keeps BC.
TXCSET: LD A,H
        CP SCREEN / 256
        CCF
        RET C
        LD A,L
        ADD A,A
        ADD A,A
        LD E,A
        LD D,TXCPAGE
        EX DE,HL
        LD (HL),E
        INC L
        LD (HL),D
        INC L
        LD (HL),C
        INC L
        LD (HL),B
        INC H
        OR A
        RET

; Carry unless A is a letter or digit.
ALNUM:  CP '0'
        RET C
        CP '9' + 1
        CCF
        RET NC
        JP ISLETTER

; Makes room for BC bytes between STREND and FRETOP, collecting the
; strings once if need be. Keeps BC.
ROOM:   CALL _fits
        RET NC
        PUSH BC
        CALL GC
        POP BC
        CALL _fits
        RET NC
        JP OMERR
_fits:  LD HL,(STREND)
        ADD HL,BC
        RET C
        LD DE,(FRETOP)
        EX DE,HL
        SBC HL,DE               ; carry if FRETOP < STREND + BC
        RET

; An array element: name BC, HL at its '(', DE = the array's place from
; ARYTAB when the text cache knows it, else FFFFH. With DIMFLG set the
; array is made with the subscripts as the highest indexes; otherwise a
; missing array is made with 0 to 10 in each dimension. DE = the element,
; ARYHDR = the array.
ARRAY:  PUSH DE
        PUSH BC
        LD A,(DIMFLG)           ; subscripts find arrays, DIM or not
        LD C,A
        XOR A
        LD (DIMFLG),A
        LD B,A
_sub:   PUSH BC
        CALL CHRGET
        CALL EVALINT
        POP BC
        BIT 7,D
        JP NZ,BSERR
        PUSH DE
        INC B
        CALL CHRGOT
        CP ','
        JR Z,_sub
        CP ')'
        JP NZ,SNERR
        INC HL
        LD (ARYTXT),HL
        LD A,C
        LD (DIMFLG),A
        LD A,B
        LD (ARYCNT),A
        LD IX,0
        ADD IX,SP               ; the subscripts, the last one first
        LD L,B
        LD H,0
        ADD HL,HL
        ADD HL,SP
        LD E,(HL)
        INC HL
        LD D,(HL)               ; DE = the name
        INC HL
        LD C,(HL)
        INC HL
        LD B,(HL)               ; BC = its place, if known
        LD HL,(ARYTAB)
        INC B
        JR Z,_find
        DEC B
        ADD HL,BC
        JR _found
_find:  PUSH HL
        LD BC,(STREND)
        OR A
        SBC HL,BC
        POP HL
        JR NC,_create
        LD A,(HL)
        CP E
        JR NZ,_next
        INC HL
        LD A,(HL)
        DEC HL
        CP D
        JR Z,_found
_next:  INC HL
        INC HL
        LD C,(HL)
        INC HL
        LD B,(HL)
        INC HL
        ADD HL,BC
        JR _find
_found: LD A,(DIMFLG)
        OR A
        LD E,E_DD
        JP NZ,ERROR
        PUSH HL
        LD BC,4
        ADD HL,BC
        LD A,(ARYCNT)
        CP (HL)
        JP NZ,BSERR
        POP HL
        JP _elem
_create:
        PUSH DE                 ; the name
        LD A,(ARYCNT)
        LD B,A
        LD HL,4                 ; bytes per element, times each dimension
        PUSH IX
_size:  LD E,(IX)
        LD D,(IX + 1)
        INC IX
        INC IX
        CALL _dim
        PUSH BC
        CALL MULHD
        POP BC
        JP C,OMERR
        DJNZ _size
        POP IX
        LD A,(ARYCNT)           ; and the dimension count and sizes
        LD C,A
        LD B,0
        ADD HL,BC
        ADD HL,BC
        INC HL
        JP C,OMERR
        PUSH HL                 ; size after the size field
        LD BC,4
        ADD HL,BC
        JP C,OMERR
        LD B,H
        LD C,L
        CALL ROOM
        POP BC
        POP DE
        LD HL,(STREND)
        PUSH HL
        LD (HL),E
        INC HL
        LD (HL),D
        INC HL
        LD (HL),C
        INC HL
        LD (HL),B
        INC HL
        PUSH HL
        ADD HL,BC
        LD (STREND),HL
        POP HL
        PUSH BC
        LD A,(ARYCNT)
        LD (HL),A
        INC HL
        LD B,A
        PUSH IX
_dims:  LD E,(IX)
        LD D,(IX + 1)
        INC IX
        INC IX
        CALL _dim
        LD (HL),E
        INC HL
        LD (HL),D
        INC HL
        DJNZ _dims
        POP IX
        POP BC                  ; clear the elements
        LD A,(ARYCNT)
        ADD A,A
        INC A
        LD E,A
        LD D,0
        PUSH HL
        LD H,B
        LD L,C
        OR A
        SBC HL,DE
        LD B,H
        LD C,L
        POP HL
_zero:  LD (HL),0
        INC HL
        DEC BC
        LD A,B
        OR C
        JR NZ,_zero
        POP HL                  ; the array
        LD A,(DIMFLG)
        OR A
        JR Z,_elem
        LD A,(ARYCNT)
        JR _drop
_elem:  LD (ARYHDR),HL          ; HL = the array: find the element
        LD BC,5
        ADD HL,BC
        EX DE,HL                ; DE = its dimensions
        LD HL,0
        LD A,(ARYCNT)
_index: PUSH AF
        LD A,H                  ; the index so far times this dimension
        OR L                    ; (none before the first)
        JR Z,_first
        PUSH DE
        EX DE,HL
        LD A,(HL)
        INC HL
        LD H,(HL)
        LD L,A
        EX DE,HL
        CALL MULHD
        POP DE
_first: LD C,(IX)
        LD B,(IX + 1)
        ADD HL,BC
        EX DE,HL
        LD A,C                  ; subscript < dimension?
        SUB (HL)
        INC HL
        LD A,B
        SBC A,(HL)
        INC HL
        JP NC,BSERR
        EX DE,HL
        INC IX
        INC IX
        POP AF
        DEC A
        JR NZ,_index
        ADD HL,HL
        ADD HL,HL
        ADD HL,DE
        EX DE,HL                ; DE = the element
        LD A,(ARYCNT)
_drop:  LD L,A                  ; drop the subscripts, the name and the
        LD H,0                  ; place
        ADD HL,HL
        ADD HL,SP
        LD B,2                  ; the type again: subscripts may have
        BIT 7,(HL)              ; found other variables (the name is
        JR NZ,_typed            ; pushed as BC: C first)
        INC HL
        DEC B
        BIT 7,(HL)
        JR NZ,_typed2
        DEC B
_typed2:
        DEC HL
_typed: INC HL
        INC HL
        INC HL
        INC HL
        LD SP,HL
        LD A,B
        LD (VARTYPE),A
        LD HL,(ARYTXT)
        RET
; DE = the size of the dimension whose subscript is DE.
_dim:   LD A,(DIMFLG)
        OR A
        JR NZ,_given
        LD DE,11
        RET
_given: INC DE
        RET

BSERR:  LD E,E_BS
        JP ERROR

; ---------------------------------------------------------------- strings
; HL = room for A bytes of string, below FRETOP (which moves down to it),
; after collecting the strings if need be. Keeps DE.
ALLOC:  PUSH DE
        LD E,A
        CALL _try
        JR NC,_ok
        PUSH DE
        CALL GC
        POP DE
        CALL _try
        LD E,E_OS
        JP C,ERROR
_ok:    LD (FRETOP),HL
        POP DE
        RET
_try:   LD HL,(FRETOP)
        LD D,0
        OR A
        SBC HL,DE
        PUSH HL
        LD BC,(STREND)
        SBC HL,BC
        POP HL
        RET

; Makes a temporary descriptor for the A bytes at DE: FAC = its address,
; VALTYP = string.
MKTEMP: LD HL,(TEMPPT)
        LD BC,TEMPEND
        OR A
        SBC HL,BC
        JP Z,STERR
        ADD HL,BC
        LD (FAC),HL
        LD (HL),A
        INC HL
        LD (HL),E
        INC HL
        LD (HL),D
        INC HL
        INC HL
        LD (TEMPPT),HL
        LD A,1
        LD (VALTYP),A
        RET

; Done with the string whose descriptor is at DE: if it is the newest
; temporary its slot is free again, and if its text is the newest string
; so is that. Keeps DE and HL.
FRETMP: PUSH HL
        LD HL,(TEMPPT)
        DEC HL
        DEC HL
        DEC HL
        DEC HL
        OR A
        SBC HL,DE
        JR NZ,_keep
        LD (TEMPPT),DE
        PUSH DE
        EX DE,HL
        LD C,(HL)
        INC HL
        LD A,(HL)
        INC HL
        LD H,(HL)
        LD L,A
        LD DE,(FRETOP)
        OR A
        SBC HL,DE
        JR NZ,_out
        LD B,0
        LD HL,(FRETOP)
        ADD HL,BC
        LD (FRETOP),HL
_out:   POP DE
_keep:  POP HL
        RET

; Packs the strings in use at the top of memory: over and over, the one
; with the highest address not yet moved goes just under those that were.
GC:     LD HL,MEMSIZ
        LD (GCTOP),HL
        LD (GCLIM),HL
_pass:  LD HL,0
        LD (GCBEST),HL
        LD HL,(VARTAB)          ; simple variables
_svar:  LD DE,(ARYTAB)
        OR A
        SBC HL,DE
        ADD HL,DE
        JR Z,_arrays
        LD A,(HL)
        INC HL
        LD B,(HL)
        INC HL
        RLA
        JR C,_snext             ; integer or function
        RL B
        CALL C,_consider
_snext: LD DE,4
        ADD HL,DE
        JR _svar
_arrays:                        ; HL = ARYTAB
        LD DE,(STREND)
        OR A
        SBC HL,DE
        ADD HL,DE
        JR Z,_temps
        LD A,(HL)               ; an array's name is stored C first
        INC HL
        INC HL
        LD C,(HL)
        INC HL
        LD B,(HL)
        INC HL
        PUSH HL
        ADD HL,BC
        EX (SP),HL              ; the next array waits on the stack
        RLA
        JR NC,_anext
        LD A,(HL)
        ADD A,A
        INC A
        LD E,A
        LD D,0
        ADD HL,DE               ; the elements
_elem:  POP DE
        PUSH DE
        OR A
        SBC HL,DE
        ADD HL,DE
        JR NC,_anext
        CALL _consider
        INC HL
        INC HL
        INC HL
        INC HL
        JR _elem
_anext: POP HL
        JR _arrays
_temps: LD HL,TEMPST
_temp:  LD DE,(TEMPPT)
        OR A
        SBC HL,DE
        ADD HL,DE
        JR Z,_move
        CALL _consider
        INC HL
        INC HL
        INC HL
        INC HL
        JR _temp
_move:  LD HL,(GCBEST)
        LD A,H
        OR L
        JR NZ,_one
        LD HL,(GCTOP)
        LD (FRETOP),HL
        RET
_one:   LD (GCLIM),HL
        LD HL,(GCBADR)
        LD C,(HL)
        LD B,0
        PUSH HL
        LD HL,(GCTOP)
        OR A
        SBC HL,BC
        LD (GCTOP),HL
        EX DE,HL                ; DE = its new place
        POP HL
        INC HL
        LD (HL),E
        INC HL
        LD (HL),D
        LD HL,(GCBEST)
        ADD HL,BC               ; moving up: from the last byte down
        DEC HL
        EX DE,HL
        ADD HL,BC
        DEC HL
        EX DE,HL
        LDDR
        JP _pass
; The descriptor at HL: its text is the best yet if it lies in the string
; area below GCLIM and above the best so far. Keeps HL.
_consider:
        LD A,(HL)
        OR A
        RET Z
        PUSH HL
        INC HL
        LD E,(HL)
        INC HL
        LD D,(HL)
        LD HL,(GCLIM)
        SCF
        SBC HL,DE               ; carry if DE >= GCLIM
        JR C,_no
        LD HL,(FRETOP)
        DEC HL
        OR A
        SBC HL,DE               ; carry if DE >= FRETOP
        JR NC,_no
        LD HL,(GCBEST)
        OR A
        SBC HL,DE
        JR NC,_no
        LD (GCBEST),DE
        POP HL
        LD (GCBADR),HL
        RET
_no:    POP HL
        RET

; Makes a string result of the A bytes at HL: copied into string space.
MKSTR:  PUSH HL
        PUSH AF
        CALL ALLOC
        POP AF
        EX DE,HL
        POP HL
        PUSH DE
        LD C,A
        LD B,0
        PUSH AF
        CALL COPYBC
        POP AF
        POP DE
        JP MKTEMP

; "(string" at HL: DE = its descriptor.
PARSTR: CALL SYNCHR
        DB '('
EVALSTR:
        CALL EVAL
        CALL CHKSTR
        LD DE,(FAC)
        RET

STERR:  LD E,E_ST
        JP ERROR

; ---------------------------------------------------------------- functions
; Each is entered with HL past its token (A = the next character) and
; leaves its value in FAC and VALTYP.

; A number result from DE; keeps HL.
INTRES: PUSH HL
        CALL FFROMINT
        POP HL
        XOR A
        LD (VALTYP),A
        RET

; A number result from A (0-255).
BYTERES:
        LD E,A
        LD D,0
        JR INTRES

; LEN(s$)
U_LEN:  CALL PARSTR
        CALL SYNCHR
        DB ')'
        CALL FRETMP
        LD A,(DE)
        JR BYTERES

; ASC(s$)
U_ASC:  CALL PARSTR
        CALL SYNCHR
        DB ')'
        CALL FRETMP
        EX DE,HL
        LD A,(HL)
        OR A
        JP Z,FCERR
        INC HL
        LD A,(HL)
        INC HL
        LD H,(HL)
        LD L,A
        LD A,(HL)
        EX DE,HL
        JR BYTERES

; VAL(s$): the number its text begins with (leading spaces and a sign
; allowed), 0 if none.
U_VAL:  CALL PARSTR
        CALL SYNCHR
        DB ')'
        PUSH HL
        CALL FRETMP
        EX DE,HL
        CALL DESCDATA
        LD A,C
        CP 40
        JR C,_fits
        LD C,40
_fits:  LD DE,VALBUF
        CALL COPYBC
        XOR A
        LD (DE),A
        LD HL,VALBUF
        CALL NUMTEXT
        POP HL
        RET

; FAC <- the number in the text at HL (spaces, a sign, digits), 0 if there
; is none; HL past it.
NUMTEXT:
        LD A,(HL)
        CP ' '
        JR NZ,_sign
        INC HL
        JR NUMTEXT
_sign:  CP '-'
        PUSH AF
        JR Z,_skip
        CP '+'
        JR NZ,_fin
_skip:  INC HL
_fin:   LD A,(HL)
        CP '&'
        JR NZ,_dec
        INC HL
        LD A,(HL)
        CALL UPCASE
        CP 'H'
        JR NZ,_dec
        DEC HL
        CALL UNARY
        JR _done
_dec:   CALL FIN
        JP C,FPERR
_done:  XOR A
        LD (VALTYP),A
        POP AF
        RET NZ
        PUSH HL
        CALL FNEG
        POP HL
        RET

; STR$(x)
U_STRS: CALL PARNUM
        PUSH HL
        CALL FOUT
        PUSH HL
        LD B,0
_len:   LD A,(HL)
        OR A
        JR Z,_end
        INC HL
        INC B
        JR _len
_end:   POP HL
        LD A,B
        CALL MKSTR
        POP HL
        RET

; CHR$(n)
U_CHRS: CALL PARBYTE
        PUSH HL
        LD HL,NUMTMP
        LD (HL),A
        LD A,1
        CALL MKSTR
        POP HL
        RET

; HEX$(n), OCT$(n): n's digits in base 16 or 8, no leading zeros.
U_HEXS: LD BC,0F04H             ; a digit's mask and bits
        JR RADIX
U_OCTS: LD BC,0703H
RADIX:  PUSH BC
        CALL SYNCHR
        DB '('
        CALL EVALADDR
        CALL SYNCHR
        DB ')'
        POP BC
        PUSH HL
        LD HL,VALBUF + 6        ; the digits from the last one back
_digit: LD A,E
        AND B
        ADD A,'0'
        CP '9' + 1
        JR C,_put
        ADD A,7
_put:   DEC HL
        LD (HL),A
        PUSH BC
_shift: SRL D
        RR E
        DEC C
        JR NZ,_shift
        POP BC
        LD A,D
        OR E
        JR NZ,_digit
        LD A,0FFH AND (VALBUF + 6)
        SUB L
        CALL MKSTR
        POP HL
        RET
        IF (VALBUF + 6) / 256 != VALBUF / 256
        .ERROR RADIX's digits must lie within one page
        ENDIF

; LEFT$(s$,n), RIGHT$(s$,n), MID$(s$,p[,n])
U_LEFTS:
        CALL STRN
        LD C,0                  ; from the start
        JR SUBSTR
U_RIGHTS:
        CALL STRN
        LD A,(DE)               ; from length - n
        SUB B
        LD C,A
        JR NC,SUBSTR
        LD C,0
        JR SUBSTR
U_MIDS: CALL PARSTR
        PUSH DE
        CALL SYNCHR
        DB ','
        CALL EVALBYTE
        OR A
        JP Z,FCERR
        DEC A
        PUSH AF
        LD B,255
        CALL CHRGOT
        CP ','
        JR NZ,_all
        CALL CHRGET
        CALL EVALBYTE
        LD B,A
_all:   CALL SYNCHR
        DB ')'
        POP AF
        LD C,A
        POP DE
; The B characters of the string at DE from C on (fewer where it ends).
SUBSTR: PUSH HL
        LD A,(DE)
        SUB C
        JR NC,_some
        XOR A
_some:  CP B
        JR NC,_len
        LD B,A
_len:   LD A,B
        PUSH BC
        CALL ALLOC              ; the descriptor at DE stays valid
        POP BC
        PUSH HL
        PUSH BC
        EX DE,HL
        PUSH DE
        CALL DESCDATA
        POP DE
        EX (SP),HL              ; HL = B and C, the text waits
        LD A,L
        EX (SP),HL
        LD C,A
        LD B,0
        ADD HL,BC
        POP BC
        POP DE
        PUSH DE
        PUSH BC
        LD C,B
        LD B,0
        CALL COPYBC
        POP BC
        POP DE                  ; the new text
        PUSH BC
        PUSH DE
        LD DE,(FAC)
        LD HL,(TEMPPT)          ; the argument's temporary, if newest
        DEC HL
        DEC HL
        DEC HL
        DEC HL
        OR A
        SBC HL,DE
        JR NZ,_keep
        LD (TEMPPT),DE
_keep:  POP DE
        POP BC
        LD A,B
        CALL MKTEMP
        POP HL
        RET
; "(s$,n)": DE = the descriptor, B = n.
STRN:   CALL PARSTR
        PUSH DE
        CALL SYNCHR
        DB ','
        CALL EVALBYTE
        PUSH AF
        CALL SYNCHR
        DB ')'
        POP AF
        LD B,A
        POP DE
        LD (FAC),DE
        RET

; STRING$(n, c or s$), SPACE$(n)
U_STRINGS:
        CALL SYNCHR
        DB '('
        CALL EVALBYTE
        PUSH AF
        CALL SYNCHR
        DB ','
        CALL EVAL
        LD A,(VALTYP)
        OR A
        JR Z,_code
        LD DE,(FAC)
        CALL FRETMP
        EX DE,HL
        CALL DESCDATA
        LD A,C
        OR A
        JP Z,FCERR
        LD A,(HL)
        EX DE,HL
        JR _got
_code:  CALL FACINT
        LD A,D
        OR A
        JP NZ,FCERR
        LD A,E
_got:   LD C,A
        CALL SYNCHR
        DB ')'
        POP AF
        JR REPEAT
U_SPACES:
        CALL PARBYTE
        LD C,' '
; A string of A times the character C.
REPEAT: PUSH HL
        PUSH AF
        PUSH BC
        CALL ALLOC
        POP BC
        POP AF
        PUSH HL
        LD B,A
        INC B
_fill:  DEC B
        JR Z,_done
        LD (HL),C
        INC HL
        JR _fill
_done:  POP DE
        CALL MKTEMP
        POP HL
        RET

; PEEK(a), INP(p), FRE(x), POS(x), LPOS(x), USR(a)
U_PEEK: CALL SYNCHR
        DB '('
        CALL EVALADDR
        CALL SYNCHR
        DB ')'
        LD A,(DE)
        JP BYTERES
U_INP:  CALL PARBYTE
        LD C,A
        IN A,(C)
        JP BYTERES
U_FRE:  CALL SYNCHR
        DB '('
        CALL EVAL
        LD A,(VALTYP)
        OR A
        JR Z,_num
        LD DE,(FAC)
        CALL FRETMP
        PUSH HL
        CALL GC
        POP HL
_num:   CALL SYNCHR
        DB ')'
        PUSH HL
        LD HL,(FRETOP)
        LD DE,(STREND)
        OR A
        SBC HL,DE
        EX DE,HL
        POP HL
        JP INTRES
U_LPOS: XOR A                   ; no printer: always at its start
        JR POSX
U_POS:  LD A,(CURX)
POSX:   PUSH AF
        CALL SYNCHR
        DB '('
        CALL EVAL
        CALL SYNCHR
        DB ')'
        POP AF
        JP BYTERES
; ERR, ERL: the last error's code and line (65535: in direct mode).
U_ERR:  LD A,(ERRNUM)
        JP BYTERES
U_ERL:  PUSH HL
        LD DE,(ERRLN)
        CALL FFROMWORD
        POP HL
        XOR A
        LD (VALTYP),A
        RET
; CSRLIN: the cursor's row.
U_CSRLIN:
        LD A,(CURY)
        JP BYTERES
; VARPTR(v): where the variable's value lies (a string's descriptor),
; negative above 32767 as PEEK and POKE take it. A simple variable that
; does not exist is an Illegal function call: no expression makes one, so
; none moves the arrays under an element that a statement holds.
U_VARPTR:
        CALL SYNCHR
        DB '('
        CALL PTRGET
        LD A,D                  ; ZEROVAL, in the ROM: there is none
        CP TXTTAB / 256
        JP C,FCERR
        CALL SYNCHR
        DB ')'
        JP INTRES
; CINT(x): x rounded to an integer; CSNG(x): x.
U_CINT: CALL FTOINT
        RET C
        JP FFROMINT
U_CSNG: XOR A
        RET
; USR(a): calls the machine code at a; its HL comes back as the value.
U_USR:  CALL SYNCHR
        DB '('
        CALL EVALADDR
        CALL SYNCHR
        DB ')'
        PUSH HL
        LD HL,_back
        PUSH HL
        PUSH DE
        RET
_back:  EX DE,HL
        POP HL
        JP INTRES

; "(n)" with n 0-255 in A.
PARBYTE:
        CALL SYNCHR
        DB '('
        CALL EVALBYTE
        PUSH AF
        CALL SYNCHR
        DB ')'
        POP AF
        RET

; INPUT$(n): the next n keys typed, not shown; STOP breaks off the program.
U_INPUTS:
        CALL CHRGET
        CALL PARBYTE
        PUSH HL
        PUSH AF
        CALL ALLOC
        POP AF
        PUSH HL
        PUSH AF
        LD B,A
        INC B
_key:   DEC B
        JR Z,_done
        CALL FKGET
        CP K_STOP
        JR Z,_stop
        LD (HL),A
        INC HL
        JR _key
_done:  POP AF
        POP DE
        CALL MKTEMP
        POP HL
        RET
_stop:  LD E,0
        JP ERRMSG

; INKEY$: the key waiting, or an empty string.
U_INKEYS:
        PUSH HL
        CALL FKCHK
        LD HL,NUMTMP
        LD (HL),A
        LD A,0
        JR Z,_none
        INC A
_none:  CALL MKSTR
        POP HL
        RET

; INSTR([start,]s$,t$): where t$ first occurs in s$ from start, 0 if not.
U_INSTR:
        CALL SYNCHR
        DB '('
        CALL EVAL
        LD A,1
        PUSH AF
        LD A,(VALTYP)
        OR A
        JR NZ,_str
        POP AF
        CALL FACINT
        LD A,D
        OR A
        JP NZ,FCERR
        OR E
        JP Z,FCERR
        PUSH AF
        CALL SYNCHR
        DB ','
        CALL EVALSTR
_str:   LD DE,(FAC)
        PUSH DE
        CALL SYNCHR
        DB ','
        CALL EVALSTR
        CALL SYNCHR
        DB ')'
        POP DE
        LD (STRL),DE
        POP AF
        PUSH HL
        DEC A
        LD (NUMTMP + 2),A       ; the offset tried first
        LD HL,(FAC)
        CALL DESCDATA
        LD A,C
        LD (NUMTMP + 1),A       ; t$ length
        LD (ARYTXT),HL          ; t$ text
        LD HL,(STRL)
        CALL DESCDATA
        LD A,C
        LD (NUMTMP),A           ; s$ length
        LD A,(NUMTMP + 2)
        LD E,A
        LD D,0
        ADD HL,DE               ; s$ text from the offset, which must lie
        LD A,(NUMTMP)           ; within s$
        SUB E
        JR C,_miss
        JR Z,_miss
_try:   LD A,(NUMTMP + 1)       ; room for t$ left?
        LD B,A
        LD A,(NUMTMP)
        SUB E
        JR C,_miss
        CP B
        JR C,_miss
        PUSH HL
        LD DE,(ARYTXT)
        INC B
_cmp:   DEC B
        JR Z,_hit
        LD A,(DE)
        CP (HL)
        INC DE
        INC HL
        JR Z,_cmp
        POP HL
        INC HL
        LD A,(NUMTMP + 2)
        INC A
        LD (NUMTMP + 2),A
        LD E,A
        JR _try
_hit:   POP HL
        LD A,(NUMTMP + 2)
        INC A
        JR _res
_miss:  XOR A
_res:   PUSH AF
        CALL FREEBOTH
        POP AF
        POP HL
        JP BYTERES

; FN name(x): the DEF FN expression with its parameter set to x, which
; gets its own value back afterwards.
DOFN:   INC HL
        CALL FNNAME
        XOR A
        LD (MKVAR),A
        CALL VARFIND
        LD A,D                  ; ZEROVAL: never defined
        CP ZEROVAL / 256
        JR NZ,_def
        LD A,E
        CP ZEROVAL AND 0FFH
        LD E,E_UF
        JP Z,ERROR
_def:   PUSH HL
        EX DE,HL
        LD E,(HL)
        INC HL
        LD D,(HL)               ; the expression
        INC HL
        LD B,(HL)
        INC HL
        LD C,(HL)               ; the parameter's name
        POP HL
        PUSH DE
        PUSH BC
        CALL SYNCHR
        DB '('
        CALL EVALNUM
        CALL SYNCHR
        DB ')'
        POP BC
        POP DE
        PUSH HL                 ; the text after FN name(x)
        PUSH DE                 ; the expression
        XOR A
        BIT 7,B
        JR Z,_real
        INC A
_real:  LD (FNTYPE),A
        LD A,1
        LD (MKVAR),A
        CALL VARFIND            ; DE = the parameter
        EX DE,HL
        LD C,(HL)
        INC HL
        LD B,(HL)
        INC HL
        LD E,(HL)
        INC HL
        LD D,(HL)
        DEC HL
        DEC HL
        DEC HL
        PUSH DE                 ; its old value
        PUSH BC
        PUSH HL
        EX DE,HL
        LD HL,(FNSAVE)          ; linked to the call this one is inside, so
        PUSH HL                 ; that an error puts the value back
        LD (FNSAVE),SP
        LD A,(FNTYPE)
        CALL ASSIGN
        LD HL,8
        ADD HL,SP
        LD A,(HL)
        INC HL
        LD H,(HL)
        LD L,A
        CALL EVALNUM
        LD HL,0
        ADD HL,SP
        CALL FNUNDO
        LD (FNSAVE),HL
        POP HL
        POP HL
        POP HL
        POP HL
        POP HL
        POP HL
        RET

; Gives the parameter of the FN call whose frame is at HL (the link to the
; call it is inside, the parameter, its old value) its value back: HL =
; the link.
FNUNDO: LD E,(HL)
        INC HL
        LD D,(HL)
        INC HL
        PUSH DE
        LD E,(HL)
        INC HL
        LD D,(HL)
        INC HL
        LD BC,4
        LDIR
        POP HL
        RET

; The name of a function at HL, in BC, marked as one.
FNNAME: CALL NAMEGET
        SET 7,B
        SET 7,C
        RET
