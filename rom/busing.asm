; PRINT USING: the items printed through the fields of a format string.
;
; String fields: ! (the first character), & (the whole string), \ \ (as
; many characters as the field is wide, the backslashes included, padded
; with spaces). Number fields: # a digit's place, . the point, , before the
; point a place that puts commas between thousands, a leading + or a
; trailing + or - for the sign (without them a minus takes a place before
; the digits), ** places that fill with stars, $$ places that put a dollar
; sign just before the number (**$ both), ^^^^ after the digits for E+nn.
; A number is rounded half up from its seven digits; one too wide for its
; field prints whole after a %. Other characters print as they are, and _
; prints the one after it. The format starts over while items remain.

UF_PLUS    EQU 0                 ; USEFLG bits
UF_STAR    EQU 1
UF_DOLLAR  EQU 2
UF_COMMA   EQU 3
UF_POINT   EQU 4
UF_EXP     EQU 5

; PRINT USING f$;item[;item...]: HL at USING.
USING:  CALL CHRGET
        CALL EVALSTR
        LD (USEFMT),DE
        CALL SYNCHR
        DB ';'
        XOR A
        LD (USEPOS),A
        LD (USESEEN),A
_next:  CALL USELIT
        JR NZ,_field
        LD A,(USESEEN)          ; the format's end: over again, unless it
        OR A                    ; holds no field
        JP Z,FCERR
        XOR A
        LD (USEPOS),A
        JR _next
_field: LD (USESEEN),A
        CALL USEFIELD           ; Z: a number's; NZ: a string's, B wide
        PUSH AF
        PUSH BC
        CALL EVAL
        POP BC
        POP AF
        PUSH HL
        JR Z,_num
        CALL CHKSTR
        CALL USESTR
        JR _after
_num:   CALL CHKNUM
        CALL USENUM
_after: CALL USELIT             ; what the format says up to the next field
        POP HL
        CALL CHRGOT
        JP Z,CRLF
        CP ';'
        JR Z,_sep
        CP ','
        JP NZ,SNERR
_sep:   CALL CHRGET
        RET Z                   ; ; or , at the end: no new line
        JR _next

; A = the format's character C places after USEPOS, 0 (and Z) past its
; end. Keeps BC, DE, HL.
FMTCH:  PUSH HL
        PUSH DE
        LD HL,(USEFMT)
        LD A,(USEPOS)
        ADD A,C
        JR C,_end
        CP (HL)
        JR NC,_end
        LD E,A
        LD D,0
        INC HL
        LD A,(HL)
        INC HL
        LD H,(HL)
        LD L,A
        ADD HL,DE
        LD A,(HL)
        JR _done
_end:   XOR A
_done:  POP DE
        POP HL
        OR A
        RET

; Prints the format from USEPOS on up to the next field: NZ with USEPOS
; there, or Z at the format's end. Keeps HL.
USELIT: PUSH HL
        LD HL,USEPOS
_char:  LD C,0
        CALL FMTCH
        JR Z,_end
        CALL ISFIELD
        JR Z,_found
        LD A,B
        CP '_'
        JR NZ,_put
        LD C,1
        CALL FMTCH
        JR Z,_under             ; a _ that ends the format prints itself
        INC (HL)
        JR _put
_under: LD A,'_'
_put:   CALL PUTCH
        INC (HL)
        JR _char
_found: OR 1
_end:   POP HL
        RET

; Z if a field starts with A, the character at USEPOS (C = 0); else B = A.
ISFIELD:
        CP '!'
        RET Z
        CP '&'
        RET Z
        CP '#'
        RET Z
        LD B,A
        INC C
        CP '\'
        JR Z,_slash
        CALL FMTCH
        LD C,A                  ; the next character
        LD A,B
        CP '.'
        JR Z,_digit
        CP '+'
        JR Z,_plus
        CP '$'
        JR Z,_twice
        CP '*'
        RET NZ
_twice: LD A,C
        CP B
        RET
_plus:  LD A,C
        CP '.'
        RET Z
        CP '$'
        RET Z
        CP '*'
        RET Z
_digit: LD A,C
        CP '#'
        RET
_slash: CALL FMTCH              ; spaces up to a second backslash
        INC C
        CP ' '
        JR Z,_slash
        CP '\'
        RET

; Reads the field at USEPOS and moves USEPOS past it: NZ for a string's,
; B characters wide (0: the whole string); Z for a number's, in USEFLG,
; USELEAD (the places before the point), USEDEC and USETRAIL. Keeps HL.
USEFIELD:
        LD C,0
        CALL FMTCH
        LD B,1
        CP '!'
        JR Z,_str
        DEC B
        CP '&'
        JR Z,_str
        CP '\'
        JR NZ,_num
_wide:  INC C
        CALL FMTCH
        CP '\'
        JR NZ,_wide
        LD B,C
        INC B
_str:   INC C
        CALL _past
        OR 1
        RET
_num:   LD DE,0                 ; D places, E flags
        LD (USEDEC),DE
        CP '+'
        JR NZ,_pre
        SET UF_PLUS,E
        INC C
_pre:   LD A,'*'
        CALL _pair
        JR NZ,_dol
        SET UF_STAR,E
        CALL FMTCH
        CP '$'
        JR NZ,_digits
        INC C
        INC D
        JR _dset
_dol:   LD A,'$'
        CALL _pair
        JR NZ,_digits
_dset:  SET UF_DOLLAR,E
_digits:
        CALL FMTCH
        INC C
        INC D
        CP '#'
        JR Z,_digits
        CP ','
        JR NZ,_point
        SET UF_COMMA,E
        JR _digits
_point: DEC C
        DEC D
        CP '.'
        JR NZ,_exp
        SET UF_POINT,E
        LD B,0
_dec:   INC C
        CALL FMTCH
        CP '#'
        JR NZ,_decs
        INC B
        JR _dec
_decs:  LD A,B
        LD (USEDEC),A
_exp:   LD B,4
        PUSH BC
_up:    CALL FMTCH
        CP '^'
        JR NZ,_noexp
        INC C
        DJNZ _up
        POP AF
        SET UF_EXP,E
        JR _sign
_noexp: POP BC
_sign:  XOR A                   ; a trailing sign, unless a leading + came
        BIT UF_PLUS,E
        JR NZ,_flags
        CALL FMTCH
        CP '-'
        JR Z,_trail
        CP '+'
        JR Z,_trail
        XOR A
        DEC C
_trail: INC C
_flags: LD (USETRAIL),A
        LD A,E
        LD (USEFLG),A
        LD A,D
        LD (USELEAD),A
        CALL _past
        XOR A
        RET
; USEPOS on by C.
_past:  LD A,(USEPOS)
        ADD A,C
        LD (USEPOS),A
        RET
; Z if A stands at places C and C + 1: then C and D on by two.
_pair:  LD B,A
        CALL FMTCH
        CP B
        RET NZ
        INC C
        CALL FMTCH
        DEC C
        CP B
        RET NZ
        INC C
        INC C
        INC D
        INC D
        CP B
        RET

; Prints the string FAC in a field B characters wide (0: its length).
USESTR: LD A,B
        PUSH AF
        LD DE,(FAC)
        CALL FRETMP
        EX DE,HL
        CALL DESCDATA
        POP AF
        OR A
        JR NZ,_wide
        LD A,C
_wide:  LD B,A
        INC B
_char:  DEC B
        RET Z
        LD A,C
        OR A
        LD A,' '
        JR Z,_put
        LD A,(HL)
        INC HL
        DEC C
_put:   CALL PUTCH
        JR _char

; Prints FAC in the number field USEFIELD read.
USENUM: LD HL,FPDIG             ; zero: its digits, and no place before
        LD B,7                  ; the point
_zero:  LD (HL),'0'
        INC HL
        DJNZ _zero
        CALL FDIGITS
        LD A,-1
        JR Z,_p
        LD A,(FPDE)
        ADD A,6
_p:     LD (USEP),A             ; the place of the first digit
        LD HL,USEFLG
        BIT UF_EXP,(HL)
        JR Z,_fixed
        ; E+nn: the digits fill the places before the point (less the
        ; dollar's and, without + or -, the sign's) and after it
        RES UF_COMMA,(HL)
        LD A,(USELEAD)
        LD B,A
        BIT UF_DOLLAR,(HL)
        JR Z,_k1
        DEC B
_k1:    BIT UF_PLUS,(HL)
        JR NZ,_k2
        LD A,(USETRAIL)
        OR A
        JR NZ,_k2
        DEC B
_k2:    BIT 7,B
        JR Z,_k3
        LD B,0
_k3:    LD A,(USEDEC)
        ADD A,B
        PUSH BC
        CALL USERND
        POP BC
        LD A,(USEP)
        SUB B
        INC A
        LD C,A
        LD A,(FPDIG)
        CP '0'
        JR NZ,_k4
        LD C,0                  ; zero: E+00
_k4:    LD A,C
        LD (USEX),A
        LD C,B                  ; as many places before the point
        DEC B
        LD A,B
        JR _common
_fixed: LD A,(USEDEC)           ; rounded to the last place shown
        LD B,A
        LD A,(USEP)
        INC A
        LD C,A
        LD A,B
        CP 46                   ; so many that all seven stay
        LD A,7
        JR NC,_round
        LD A,C
        ADD A,B
_round: CALL USERND
        LD A,(USEP)
        LD B,A                  ; the first place printed
        INC A
        JP P,_int
        XOR A
        LD B,-1
_int:   LD C,A                  ; places before the point, and commas
        BIT UF_COMMA,(HL)
        JR Z,_nocom
        OR A
        JR Z,_nocom
        DEC A
_third: SUB 3
        JR C,_nocom
        INC C
        JR _third
_nocom: LD A,(USEP)
_common:
        LD (USEPP),A            ; the place of FPDIG's first digit
        CALL USESIGN
        LD E,A
        OR A
        JR Z,_nosign
        INC C
_nosign:
        LD A,(USELEAD)          ; the room before the point
        BIT UF_DOLLAR,(HL)
        JR Z,_nodol
        INC C
_nodol: BIT UF_PLUS,(HL)
        JR Z,_room
        INC A
_room:  SUB C
        JR C,_over
        BIT UF_EXP,(HL)
        JR NZ,_fill
        OR A
        JR NZ,_lead0
        LD A,(USEDEC)           ; no room, and no place for a digit after
        OR A                    ; the point or before it: its 0 after a %
        LD A,0
        JR NZ,_fill
        INC B
        JR Z,_over
        DEC B
        JR _fill
_lead0:                         ; a 0 before the point where there is room
        INC B
        JR NZ,_fill0
        DEC A
        JR _fill
_fill0: DEC B
_fill:  LD C,A
_pad:   LD A,C
        OR A
        JR Z,_front
        LD A,' '
        BIT UF_STAR,(HL)
        JR Z,_space
        LD A,'*'
_space: CALL PUTCH
        DEC C
        JR _pad
_over:  LD A,'%'
        CALL PUTCH
_front: LD A,E
        OR A
        CALL NZ,PUTCH
        LD A,'$'
        BIT UF_DOLLAR,(HL)
        CALL NZ,PUTCH
        CALL USEDIG
        BIT UF_EXP,(HL)
        JR Z,USETAIL
        LD A,'E'
        CALL PUTCH
        LD A,(USEX)
        LD B,'+'
        OR A
        JP P,_epos
        NEG
        LD B,'-'
_epos:  LD C,A
        LD A,B
        CALL PUTCH
        LD A,C
        CALL PDEC2
; The trailing sign USETRAIL asks for: + or -, or - or a space.
USETAIL:
        LD A,(USETRAIL)
        OR A
        RET Z
        LD B,A
        LD A,(FAC+3)
        OR A
        LD A,'-'
        JP M,PUTCH
        LD A,B
        CP '+'
        JR Z,_put
        LD A,' '
_put:   JP PUTCH

; A = the sign printed before the number (0: none). Keeps HL.
USESIGN:
        LD A,(FAC+3)
        OR A
        LD D,'-'
        JP M,_neg
        LD D,'+'
_neg:   LD A,(USEFLG)
        BIT UF_PLUS,A
        LD A,D
        RET NZ                  ; + given: + or -
        LD A,(USETRAIL)
        OR A
        LD A,0
        RET NZ                  ; it goes after the number
        LD A,D
        CP '-'
        RET Z
        XOR A
        RET

; Keeps the A (signed) first digits of FPDIG, rounded half up; a carry out
; of the first makes it 1 and USEP one more. Keeps HL.
USERND: PUSH HL
        LD HL,FPDIG
        LD E,A
        OR A
        JP M,_none
        CP 7
        JR NC,_done
        LD D,0
        ADD HL,DE
        LD A,(HL)
        CP '5'
        JR _cut
_none:  LD E,0
        SCF
_cut:   PUSH AF                 ; carry: what goes is below a half
        LD A,7
        SUB E
        LD B,A
        PUSH HL
_clear: LD (HL),'0'
        INC HL
        DJNZ _clear
        POP HL
        POP AF
        JR C,_done
_carry: LD A,E
        OR A
        JR Z,_top
        DEC E
        DEC HL
        INC (HL)
        LD A,(HL)
        CP '9' + 1
        JR C,_done
        LD (HL),'0'
        JR _carry
_top:   LD A,'1'
        LD (FPDIG),A
        LD HL,USEP
        INC (HL)
_done:  POP HL
        RET

; Prints the places from B down to -USEDEC: place p's digit is that of
; FPDIG at USEPP - p ('0' beyond its seven), with a comma after places 3,
; 6, ... (UF_COMMA) and the point before place -1 (UF_POINT). Keeps HL.
USEDIG: LD A,(USEDEC)
        NEG
        DEC A
        CP B
        JR Z,_end
        LD A,B
        INC A
        JR NZ,_digit
        BIT UF_POINT,(HL)
        LD A,'.'
        CALL NZ,PUTCH
_digit: PUSH HL
        LD A,(USEPP)
        SUB B
        CP 7
        LD E,A
        LD A,'0'
        JR NC,_put
        LD D,0
        LD HL,FPDIG
        ADD HL,DE
        LD A,(HL)
_put:   POP HL
        CALL PUTCH
        BIT UF_COMMA,(HL)
        JR Z,_next
        LD A,B
        DEC A
        JP M,_next
        INC A
_three: SUB 3
        JR C,_next
        JR NZ,_three
        LD A,','
        CALL PUTCH
_next:  DEC B
        JR USEDIG
_end:   LD A,(USEDEC)           ; a point with no place after it
        OR A
        RET NZ
        BIT UF_POINT,(HL)
        RET Z
        LD A,'.'
        JP PUTCH
