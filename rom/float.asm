; Floating-point arithmetic for BASIC.
;
; Numbers are 4 bytes, little-endian, in the binary32 layout: bit 31 sign,
; bits 30-23 exponent biased by 127, bits 22-0 fraction below a hidden 1.
; Zero is exponent 0 and is always stored as 00 00 00 00; there are no
; denormals, infinities or NaNs: a result below 2^-126 becomes 0, one whose
; rounded magnitude exceeds the largest finite value is an Overflow error.
; Number text just below 2^-126 (from 1 - 2^-16 of it) reads as 2^-126, so
; the smallest number's printed text, 1.175494E-38, reads back as it.
; + - * / and SQR round to nearest, ties to even, so they equal binary32
; hardware wherever its result is normal. EXP, LOG, SIN, COS, ATN and
; powers are within a unit in the last place of the exact result, TAN
; within two.
;
; Calling convention: FAC is the accumulator. Binary operations take the
; left operand at HL and the right one in FAC, and leave the result in FAC.
; AF, BC, DE, HL and the alternate registers are free (so an interrupt
; handler must leave the alternate registers alone); IX and IY are kept.
; A routine that fails returns carry set and A = FE_ILLEGAL, FE_OVERFLOW or
; FE_DIVZERO; success returns carry clear.
;
; Choices where BASIC leaves room: FTOINT rounds halves away from zero;
; a negative number to a power that is not whole is Illegal function call,
; 0 to a negative power Division by zero; FIN reads nine significant digits
; and ignores the rest.
;
; Internally an operand is unpacked into a 24-bit mantissa with its leading 1
; (C D E, C the top byte) and a biased exponent; results are built as a
; 32-bit mantissa C D E B (B holds the bits below the last place: the half
; bit on top, the rest sticky) that FNORM normalises, rounds and packs.
; Number text in and out goes through an extended 40-bit mantissa scaled by
; tens (FXMUL10, FXDIV10), so conversions are within a few 2^-40 of exact.

FE_ILLEGAL EQU 5                ; Illegal function call
FE_OVERFLOW EQU 6               ; Overflow
FE_DIVZERO EQU 11               ; Division by zero

FPWORK  EQU 0F200H
FAC     EQU FPWORK              ; 4: the accumulator
FPEXP   EQU FAC + 4             ; 2: biased exponent of the result being built
FPSGN   EQU FPEXP + 2           ; 1: its sign, bit 7 (the rest 0)
FPA     EQU FPSGN + 1           ; 5: an operand: mantissa low, middle, high,
FPB     EQU FPA + 5             ; 5:   exponent, sign; FDIV's quotient in FPA
FPSTK   EQU FPB + 5             ; 1: product bytes below the kept ones, ORed
FPG     EQU FPSTK + 1           ; 6: extended mantissa R, low byte first: a
                                ;    guard byte, then the 40-bit W (top bit set)
FPXE    EQU FPG + 6             ; 2: value = W * 2^FPXE
FPDE    EQU FPXE + 2            ; 2: decimal exponent (FIN and FOUT)
FPDP    EQU FPDE + 2            ; 1: FIN: non-zero once the point is read
FPPTR   EQU FPDP + 1            ; 2: FOUT: next character of the text
FPDIG   EQU FPPTR + 2           ; 7: FOUT: the seven digits
FPBUF   EQU FPDIG + 7           ; 16: FOUT: the text
FPSEED  EQU FPBUF + 16          ; 4: RND's state (0: not yet seeded)
FPU     EQU FPSEED + 4          ; 4: FSQR: four times the root so far
FPPT    EQU FPU + 4             ; 4: FPOLY's variable
FPX1    EQU FPPT + 4            ; 4: function temporaries
FPX2    EQU FPX1 + 4            ; 4
FPX3    EQU FPX2 + 4            ; 4
FPBASE  EQU FPX3 + 4            ; 4: FPOW's operands
FPY     EQU FPBASE + 4          ; 4   (FCOS: 1 - z/2)
FPJ     EQU FPY + 4             ; 2: an integer: octant, power of two, exponent
FPOCT   EQU FPJ + 2             ; 1: octant offset (FCOS), then the octant
FPTS    EQU FPOCT + 1           ; 1: sign of a function's result, bit 7
FPOFF   EQU FPTS + 1            ; 2: FATN: the angle added, 0 for none;
                                ;    FPOW: the power of two
FPZ     EQU FPOFF + 2           ; 4: FLOG2: the number squared
FPMQ    EQU FPZ + 4             ; 4: MPMUL's multiplier
FPQ     EQU FPMQ + 4            ; 15: its product
FPXD    EQU FPQ + 15            ; 4: FREDUCE: what the reduced argument lacks
FPEND   EQU FPXD + 4

        IF FPEND > FPWORK + 100H
        .ERROR The float library's variables outgrew F200-F2FF
        ENDIF

; ---------------------------------------------------------------- moves

; FAC <- the 4 bytes at HL; HL past them.
FLD:    LD E,(HL)
        INC HL
        LD D,(HL)
        INC HL
        LD (FAC),DE
        LD E,(HL)
        INC HL
        LD D,(HL)
        INC HL
        LD (FAC+2),DE
        XOR A
        RET

; The 4 bytes at HL <- FAC.
FST:    LD DE,(FAC)
        LD (HL),E
        INC HL
        LD (HL),D
        INC HL
        LD DE,(FAC+2)
        LD (HL),E
        INC HL
        LD (HL),D
        XOR A
        RET

FZERO:  LD HL,0
        LD (FAC),HL
        LD (FAC+2),HL
        XOR A
        RET

FOVER:  LD A,FE_OVERFLOW
        SCF
        RET

FILLEG: LD A,FE_ILLEGAL
        SCF
        RET

FDIVZ:  LD A,FE_DIVZERO
        SCF
        RET

; DE <- -DE (S and Z from the high byte).
FNEGDE: XOR A
        SUB E
        LD E,A
        LD A,0
        SBC A,D
        LD D,A
        RET

; Z (and A = 0) when FAC is zero; carry clear.
FTEST:  LD A,(FAC+2)
        ADD A,A
        LD A,(FAC+3)
        ADC A,A
        OR A
        RET

; Unpacks the number at HL: C D E = mantissa with its leading 1, A = biased
; exponent (Z when the number is zero, carry clear), B bit 7 = sign.
FUNPK:  LD E,(HL)
        INC HL
        LD D,(HL)
        INC HL
        LD C,(HL)
        INC HL
        LD A,(HL)
        LD B,A
        SLA C
        RLA
        SCF
        RR C
        OR A
        RET

; Normalises, rounds and packs C D E B (value C D E B / 2^31 times
; 2^(e - 127)) into FAC, with e = (FPEXP) or HL (FNORMH) and the sign in
; (FPSGN).
FNORM:  LD HL,(FPEXP)
FNORMH: LD A,C
        OR D
        OR E
        OR B
        JR Z,FZERO
_byte:  LD A,C
        OR A
        JR NZ,_bit
        LD C,D
        LD D,E
        LD E,B
        LD B,A
        LD A,L
        SUB 8
        LD L,A
        JR NC,_byte
        DEC H
        JR _byte
_bit:   JP M,_round
_shl:   SLA B
        RL E
        RL D
        RL C
        DEC HL
        JP P,_shl
_round: LD A,B
        CP 80H
        JR C,_pack
        JR NZ,_up
        BIT 0,E                 ; a tie goes to the even neighbour
        JR Z,_pack
_up:    INC E
        JR NZ,_pack
        INC D
        JR NZ,_pack
        INC C
        JR NZ,_pack
        LD C,80H
        INC HL
_pack:  LD A,H
        OR A
        JR NZ,_range
        OR L
        JR Z,FZERO
        INC A
        JR Z,FOVER
        SLA C                   ; the hidden bit makes way for the exponent's
        SRL L                   ; lowest bit
        RR C
        LD A,(FPSGN)
        OR L
        LD L,C
        LD H,A
        LD (FAC),DE
        LD (FAC+2),HL
        XOR A
        RET
_range: JP M,FZERO
        JP FOVER

; ---------------------------------------------------------------- + -

; FAC <- (HL) - FAC.
FSUB:   PUSH HL
        CALL FNEG
        POP HL
; FAC <- (HL) + FAC. The operand with the smaller exponent, Y, is shifted
; into C D E B to line up with the other, X, whose bytes are added to it
; from memory; A' keeps X's exponent, and F' a carry when the signs differ.
FADD:   LD DE,(FAC+2)
        LD A,E
        ADD A,A
        LD A,D
        ADC A,A
        JP Z,FLD                ; FAC is 0: the sum is the left operand
        LD C,A
        INC HL
        INC HL
        LD A,(HL)
        ADD A,A
        INC HL
        LD A,(HL)
        ADC A,A
        RET Z                   ; the left one is 0 (carry clear): FAC
        LD B,A
        SUB C
        JR C,_facx
        LD C,A                  ; X: the left operand, Y: FAC
        LD A,(HL)
        AND 80H
        LD (FPSGN),A
        XOR D
        RLA
        LD A,B
        EX AF,AF'
        DEC HL
        DEC HL
        DEC HL
        PUSH HL
        LD A,C
        LD C,E
        SET 7,C
        LD DE,(FAC)
        JR _align
_facx:  NEG                     ; X: FAC, Y: the left operand
        LD B,A
        LD A,D
        AND 80H
        LD (FPSGN),A
        XOR (HL)
        RLA
        LD A,C
        EX AF,AF'
        DEC HL
        LD C,(HL)
        SET 7,C
        DEC HL
        LD D,(HL)
        DEC HL
        LD E,(HL)
        LD HL,FAC
        PUSH HL
        LD A,B
_align: LD B,0                  ; Y in C D E B, A bits right of X
        CP 8
        JR C,_near
        CP 26                   ; too far below to matter but as sticky bits
        JR C,_sh8
        LD BC,0100H
        LD D,C
        LD E,C
        JR _add
_near:  OR A                    ; within a byte: nothing falls out of B
        JR Z,_add
        LD H,A
_nbit:  SRL C
        RR D
        RR E
        RR B
        DEC H
        JR NZ,_nbit
        JR _add
_sh8:   SUB 8                   ; whole bytes first
        JR C,_sh1
        LD H,A
        LD A,B
        OR A
        LD B,E
        JR Z,_ns
        SET 0,B
_ns:    LD E,D
        LD D,C
        LD C,0
        LD A,H
        JR _sh8
_sh1:   ADD A,8
        JR Z,_add
        LD H,A
_sh1l:  SRL C
        RR D
        RR E
        RR B
        JR NC,_nc
        SET 0,B
_nc:    DEC H
        JR NZ,_sh1l
_add:   POP HL
        EX AF,AF'
        JR C,_sub0
        EX AF,AF'
        LD A,(HL)
        ADD A,E
        LD E,A
        INC HL
        LD A,(HL)
        ADC A,D
        LD D,A
        INC HL
        LD A,(HL)
        SET 7,A
        ADC A,C
        LD C,A
        JR NC,_norm
        RR C                    ; a carry: one bit right, the exponent up
        RR D
        RR E
        RR B
        JR NC,_inc
        SET 0,B
_inc:   EX AF,AF'
        LD L,A
        LD H,0
        INC HL
        JP FNORMH
_norm:  EX AF,AF'
        LD L,A
        LD H,0
        JP FNORMH
_sub0:  EX AF,AF'
        XOR A
        SUB B
        LD B,A
        LD A,(HL)
        SBC A,E
        LD E,A
        INC HL
        LD A,(HL)
        SBC A,D
        LD D,A
        INC HL
        LD A,(HL)
        SET 7,A
        SBC A,C
        LD C,A
        JR NC,_norm
        XOR A                   ; equal exponents, Y larger: negate
        SUB E
        LD E,A
        LD A,0
        SBC A,D
        LD D,A
        LD A,0
        SBC A,C
        LD C,A
        LD A,(FPSGN)
        XOR 80H
        LD (FPSGN),A
        JR _norm

; Z if the number at HL is 1. Keeps HL.
FISONE: PUSH HL
        INC HL
        INC HL
        INC HL
        LD A,(HL)
        CP 3FH
        JR NZ,_no
        DEC HL
        LD A,(HL)
        CP 80H
        JR NZ,_no
        DEC HL
        LD A,(HL)
        DEC HL
        OR (HL)
_no:    POP HL
        RET

; FAC <- (HL) + 1 with Z where that needs no rounding nor a new exponent:
; a positive number from 2 to 2^23 whose fraction takes the unit without
; a carry out of it, counting by one. NZ, and nothing changed, otherwise.
FINC1:  LD E,(HL)
        INC HL
        LD D,(HL)
        INC HL
        LD C,(HL)
        INC HL
        LD B,(HL)
        LD A,C
        ADD A,A
        LD A,B
        ADC A,A                 ; the exponent, carry for a negative number
        JR C,_no
        SUB 128
        CP 22
        JR NC,_no
        LD HL,FUNITS            ; the unit's bit in its byte
        ADD A,L
        LD L,A
        JR NC,_nc
        INC H
_nc:    SUB FUNITS AND 0FFH
        LD L,(HL)
        CP 7
        JR C,_b2
        CP 15
        JR C,_b1
        LD A,E
        ADD A,L
        LD E,A
        LD L,1
        JR NC,_done
_b1:    LD A,D
        ADD A,L
        LD D,A
        LD L,1
        JR NC,_done
_b2:    LD A,C
        ADD A,L
        XOR C                   ; into the exponent's bit: not so
        JP M,_no
        XOR C
        LD C,A
_done:  LD (FAC),DE
        LD (FAC+2),BC
        XOR A
        RET
_no:    OR 1
        RET

; The unit's bit for the exponents 128 to 149: in the fraction's top byte,
; then the middle one, then the lowest.
FUNITS: DB 40H,20H,10H,8,4,2,1, 80H,40H,20H,10H,8,4,2,1, 80H,40H,20H,10H,8,4,2

; ---------------------------------------------------------------- * /

; Stores the unpacked FAC (C D E, A, B) in FPB as the right operand and
; unpacks the left one at HL; FPSGN gets the sign of the result.
FPAIR:  LD (FPB),DE
        LD (FPB+3),A
        LD A,C
        LD (FPB+2),A
        LD A,B
        LD (FPSGN),A
        CALL FUNPK
        RET Z
        LD H,A
        LD A,(FPSGN)
        XOR B
        AND 80H
        LD (FPSGN),A
        LD A,H
        OR A
        RET

; FAC <- (HL) * FAC. The multiplier, FAC's mantissa, goes a byte at a
; time from FPB into the product's top 24 bits in A' H L; the multiplicand
; is the left one's, in C D E.
FMUL:   LD DE,(FAC+2)
        LD A,E
        ADD A,A
        LD A,D
        ADC A,A
        RET Z                   ; FAC is 0, and so is the product
        LD C,A
        INC HL
        INC HL
        LD A,(HL)
        ADD A,A
        INC HL
        LD A,(HL)
        ADC A,A
        JP Z,FZERO
        LD B,0
        PUSH HL
        LD L,A
        LD H,B
        ADD HL,BC               ; the exponents' sum, less the bias
        LD BC,-126
        ADD HL,BC
        LD (FPEXP),HL
        POP HL
        LD A,(HL)
        XOR D
        AND 80H
        LD (FPSGN),A
        LD A,E
        OR 80H
        LD (FPB+2),A
        LD DE,(FAC)
        LD (FPB),DE
        DEC HL
        LD A,(HL)
        OR 80H
        LD C,A
        DEC HL
        LD D,(HL)
        DEC HL
        LD E,(HL)
        LD A,E                  ; fewer bits to multiply by: the operand
        OR A                    ; whose low byte is 0 (a whole number)
        JR NZ,_bytes
        LD HL,FPB
        OR (HL)
        JR Z,_bytes
        LD A,(HL)
        LD (HL),E
        LD E,A
        INC HL
        LD A,(HL)
        LD (HL),D
        LD D,A
        INC HL
        LD A,(HL)
        LD (HL),C
        LD C,A
_bytes: XOR A
        LD H,A
        LD L,A
        EX AF,AF'
        LD A,(FPB)
        CALL _byte
        LD A,B
        LD (FPSTK),A
        LD A,(FPB+1)
        CALL _byte
        LD A,(FPSTK)
        OR B
        LD (FPSTK),A
        LD A,(FPB+2)
        CALL _byte
        EX AF,AF'
        LD C,A
        LD D,H
        LD E,L
        LD A,(FPSTK)
        OR A
        JP Z,FNORM
        SET 0,B
        JP FNORM
; A' H L += C D E for each set bit of A, shifting right each time; B gets
; the bits shifted out of L.
_byte:  OR A
        JR Z,_zero
        LD B,A
        EX AF,AF'
        SRL B
        REPT 8
        JR NC,$+4
        ADD HL,DE
        ADC A,C
        RRA
        RR H
        RR L
        RR B
        ENDM
        EX AF,AF'
        RET
_zero:  LD B,L
        LD L,H
        EX AF,AF'
        LD H,A
        XOR A
        EX AF,AF'
        RET

; FAC <- (HL) / FAC.
FDIV:   PUSH HL
        LD HL,FAC
        CALL FUNPK
        POP HL
        JR NZ,_nz
        JP FDIVZ
_nz:    CALL FPAIR
        JP Z,FZERO
        PUSH DE
        LD E,A
        LD D,0
        LD HL,127
        ADD HL,DE
        LD A,(FPB+3)
        LD E,A
        OR A
        SBC HL,DE
        LD (FPEXP),HL
        POP DE
        LD HL,(FPB)             ; a power of two divides exactly
        LD A,(FPB+2)
        XOR 80H
        OR H
        OR L
        LD B,A
        JP Z,FNORM
        LD H,D                  ; remainder in A H L, divisor in C D E
        LD L,E
        LD A,C
        LD DE,(FPB)
        LD BC,(FPB+2)
        CP C
        JR NZ,_cmp
        PUSH HL
        SBC HL,DE
        POP HL
_cmp:   JR NC,_go
        ADD HL,HL               ; a smaller mantissa: one bit more of it
        RLA
        PUSH HL
        LD HL,(FPEXP)
        DEC HL
        LD (FPEXP),HL
        POP HL
_go:    CALL FDIV8
        EX AF,AF'
        LD A,B
        LD (FPA+2),A
        EX AF,AF'
        CALL FDIV8
        EX AF,AF'
        LD A,B
        LD (FPA+1),A
        EX AF,AF'
        CALL FDIV8
        EX AF,AF'
        LD A,B
        LD (FPA),A
        EX AF,AF'
        LD B,0C0H               ; twice the remainder against the divisor:
        JR C,_q                 ; above, at or below half a last place
        CP C
        JR NZ,_ne
        SBC HL,DE
        LD B,80H
        JR Z,_q
_ne:    LD B,0C0H
        JR NC,_q
        LD B,0
_q:     LD HL,(FPA)
        LD A,(FPA+2)
        CPL
        LD C,A
        LD A,H
        CPL
        LD D,A
        LD A,L
        CPL
        LD E,A
        JP FNORM

; Eight quotient bits, complemented, into B: the remainder (carry, A H L)
; against the divisor C D E, doubled after each step.
FDIV8:  EXX
        LD B,8
        EXX
_l:     JR C,_big
        SBC HL,DE
        SBC A,C
        JR NC,_next
        ADD HL,DE
        ADC A,C
        JR _next
_big:   OR A
        SBC HL,DE
        SBC A,C
        OR A
_next:  RL B
        ADD HL,HL
        RLA
        EXX
        DEC B
        EXX
        JR NZ,_l
        RET

; ---------------------------------------------------------------- compare, sign

; A <- 0 if (HL) = FAC, 1 if (HL) > FAC, FFH if (HL) < FAC (Z, and S for
; less, to match); FAC kept.
FCMP:   INC HL
        INC HL
        INC HL
        LD DE,FAC+3
        LD A,(DE)
        XOR (HL)
        JP M,_sign
        LD B,4
_byte:  LD A,(DE)
        CP (HL)
        JR NZ,_diff
        DEC HL
        DEC DE
        DJNZ _byte
        XOR A
        RET
_diff:  SBC A,A                 ; FFH: FAC the smaller in magnitude
        OR 1
        LD B,A
        LD A,(FAC+3)            ; positive: the other way round
        RLA
        SBC A,A
        CPL
        AND 0FEH
        XOR B
        RET
_sign:  LD A,(HL)
        RLA
        SBC A,A
        OR 1
        RET

FNEG:   CALL FTEST
        RET Z
        LD HL,FAC+3
        LD A,(HL)
        XOR 80H
        LD (HL),A
        RET

FABS:   LD HL,FAC+3
        RES 7,(HL)
        XOR A
        RET

; FAC <- -FAC / 2, exactly (0 below the smallest number), as a
; multiplication by -0.5 gives it.
FHALFN: LD HL,(FAC+2)
        LD A,L
        ADD A,A
        LD A,H
        ADC A,A
        RET Z
        DEC A
        JP Z,FZERO
        SRL A                   ; the exponent less one, its low bit in
        RES 7,L                 ; the fraction's top byte
        JR NC,_even
        SET 7,L
_even:  LD C,A
        LD A,H
        AND 80H
        XOR 80H
        OR C
        LD H,A
        LD (FAC+2),HL
        XOR A
        RET

; FAC <- -1, 0 or 1.
FSGN:   CALL FTEST
        RET Z
        LD A,(FAC+3)
        AND 80H
        OR 3FH
        LD HL,0
        LD (FAC),HL
        LD H,A
        LD L,80H
        LD (FAC+2),HL
        XOR A
        RET

; ---------------------------------------------------------------- integers

; FAC <- DE, 0 to 65535.
FFROMWORD:
        XOR A
        JR FFROMSIGN
; FAC <- the signed 16-bit DE.
FFROMINT:
        LD A,D
        AND 80H
FFROMSIGN:
        LD (FPSGN),A
        JR Z,_pos
        CALL FNEGDE
_pos:   LD C,D
        LD D,E
        LD E,0
        LD B,E
        LD HL,142
        JP FNORMH

; Shifts C D E right A bits (A at most 24).
FSHR:   SUB 8
        JR C,_bits
        LD E,D
        LD D,C
        LD C,0
        JR FSHR
_bits:  ADD A,8
        RET Z
_l:     SRL C
        RR D
        RR E
        DEC A
        JR NZ,_l
        RET

; DE <- FAC rounded to the nearest integer, halves away from zero; Overflow
; outside -32768..32767.
FTOINT: LD HL,FAC
        CALL FUNPK
        JR Z,_zero
        CP 126
        JR C,_zero
        CP 143
        JR NC,_over
        SUB 149                 ; keep one bit below the point
        NEG
        CALL FSHR
        EX DE,HL
        INC HL
        LD A,H
        OR L
        JR NZ,_half
        INC C
_half:  SRL C
        RR H
        RR L
        LD A,C
        OR A
        JR NZ,_over
        EX DE,HL
        BIT 7,B
        JR NZ,_neg
        BIT 7,D
        JR NZ,_over
        XOR A
        RET
_neg:   CALL FNEGDE
        JP M,_ok
        OR E
        JR NZ,_over
_ok:    XOR A
        RET
_over:  JP FOVER
_zero:  LD DE,0
        XOR A
        RET

; DE <- FAC truncated, as an address: -32768..65535, a negative one taken
; from 65536; Overflow outside.
FTOADDR:
        LD HL,FAC
        CALL FUNPK
        JR Z,_zero
        CP 127
        JR C,_zero
        CP 143
        JP NC,FOVER
        SUB 150
        NEG
        CALL FSHR
        BIT 7,B
        JR Z,_pos
        CALL FNEGDE             ; from -1 to -32768 the top bit stays set
        JP P,FOVER
_pos:   XOR A
        RET
_zero:  LD DE,0
        XOR A
        RET

; FAC <- FAC truncated towards zero.
FFIX:   CALL FTRUNC
        XOR A
        RET

; FAC <- the largest integer not above FAC.
FINT:   LD A,(FAC+3)
        LD (FPSGN),A
        CALL FTRUNC
        RET Z
        LD A,(FPSGN)
        OR A
        RET P
        LD HL,FMONE
        JP FADD

FMONE:  DB 0,0,80H,0BFH         ; -1

; Clears the fraction bits of FAC; NZ when any was set. Carry clear.
FTRUNC: LD HL,FAC
        CALL FUNPK
        RET Z
        SUB 127
        JR NC,_big
        CALL FZERO
        OR 1
        RET
_big:   SUB 23
        JR NC,_whole
        NEG
        LD B,A
        LD HL,FAC
        LD C,0
_byte:  LD A,B
        CP 8
        JR C,_bits
        LD A,(HL)
        OR C
        LD C,A
        LD (HL),0
        INC HL
        LD A,B
        SUB 8
        LD B,A
        JR _byte
_bits:  OR A
        JR Z,_done
        LD A,0FFH
_mask:  ADD A,A
        DJNZ _mask
        LD B,A
        CPL
        AND (HL)
        OR C
        LD C,A
        LD A,(HL)
        AND B
        LD (HL),A
_done:  LD A,C
        OR A
        RET
_whole: XOR A
        RET

; ---------------------------------------------------------------- extended

; R (FPG, 6 bytes) one bit left.
FXSHL:  LD HL,FPG
        LD B,6
        OR A
_l:     RL (HL)
        INC HL
        DJNZ _l
        RET

; Shifts R left until its top bit is set, counting FPXE down. R is not 0.
FXNORM: LD A,(FPG+5)
        OR A
        JR NZ,_bits
        LD HL,FPG+4
        LD DE,FPG+5
        LD BC,5
        LDDR
        LD (FPG),A
        LD HL,(FPXE)
        LD DE,-8
        ADD HL,DE
        LD (FPXE),HL
        JR FXNORM
_bits:  RET M
        CALL FXSHL
        LD HL,(FPXE)
        DEC HL
        LD (FPXE),HL
        LD A,(FPG+5)
        OR A
        JR _bits

; The extended number times ten: R/8 * 5, FPXE + 4, normalised; in
; B C D E H L, a copy of R/8 in the alternate registers.
FXMUL10:
        LD HL,(FPG)
        LD DE,(FPG+2)
        LD BC,(FPG+4)
        LD A,3
_r3:    SRL B
        RR C
        RR D
        RR E
        RR H
        RR L
        DEC A
        JR NZ,_r3
        PUSH BC
        PUSH DE
        PUSH HL
        EXX
        POP HL
        POP DE
        POP BC
        EXX
        ADD HL,HL
        RL E
        RL D
        RL C
        RL B
        ADD HL,HL
        RL E
        RL D
        RL C
        RL B
        LD A,L
        EXX
        ADD A,L
        EXX
        LD L,A
        LD A,H
        EXX
        ADC A,H
        EXX
        LD H,A
        LD A,E
        EXX
        ADC A,E
        EXX
        LD E,A
        LD A,D
        EXX
        ADC A,D
        EXX
        LD D,A
        LD A,C
        EXX
        ADC A,C
        EXX
        LD C,A
        LD A,B
        EXX
        ADC A,B
        EXX
        LD B,A
        LD A,4
        JP M,_store             ; 5/8 R has its top bit at 46 or 47
        ADD HL,HL
        RL E
        RL D
        RL C
        RL B
        DEC A
_store: LD (FPG),HL
        LD (FPG+2),DE
        LD (FPG+4),BC
        LD HL,(FPXE)
        LD E,A
        LD D,0
        ADD HL,DE
        LD (FPXE),HL
        RET

; The extended number divided by ten: R/5 a byte at a time from the top,
; FPXE - 1.
FXDIV10:
        LD HL,FPG+5
        LD C,0
        LD D,6
_byte:  LD E,(HL)
        LD B,8
_bit:   SLA E
        RL C
        LD A,C
        SUB 5
        JR C,_zero
        LD C,A
        INC E
_zero:  DJNZ _bit
        LD (HL),E
        DEC HL
        DEC D
        JR NZ,_byte
        LD HL,(FPXE)
        DEC HL
        LD (FPXE),HL
        JP FXNORM

; ---------------------------------------------------------------- text in

; Reads the unsigned number at HL (digits, a point, an exponent E or e with
; an optional sign and digits) into FAC; HL past it. Spaces are passed over
; anywhere in it, as BASIC reads a number ("1 2" is 12). Nine digits are
; kept; the result is the nearest number except within about 2^-30 of a
; last place's half.
FIN:    XOR A
        LD (FPDP),A
        LD B,A
        LD C,A
        LD D,A
        LD E,A
        LD (FPDE),BC
        DEC HL
_space: INC HL
_char:  LD A,(HL)
        CP ' '
        JR Z,_space
        CP '.'
        JR NZ,_digit
        LD A,(FPDP)
        OR A
        JR NZ,_ndone
        DEC A
        LD (FPDP),A
        INC HL
        JR _char
_digit: SUB '0'
        CP 10
        JR NC,_ndone
        INC HL
        PUSH AF
        LD A,B
        CP 19H                  ; room for another digit?
        JR NC,_full
        CALL FIN10
        POP AF
        ADD A,E
        LD E,A
        JR NC,_point
        INC D
        JR NZ,_point
        INC C
        JR NZ,_point
        INC B
_point: LD A,(FPDP)
        OR A
        JR Z,_char
        PUSH HL
        LD HL,(FPDE)
        DEC HL
        LD (FPDE),HL
        POP HL
        JR _char
_full:  POP AF
        LD A,(FPDP)
        OR A
        JR NZ,_char
        PUSH HL
        LD HL,(FPDE)
        INC HL
        LD (FPDE),HL
        POP HL
        JR _char
_ndone: LD (FPG+2),DE
        LD (FPG+4),BC
        LD A,(HL)
        OR 20H
        CP 'e'
        JR NZ,_value
        LD D,H
        LD E,L
        INC HL
        CALL FINCH
        LD C,A
        CP '-'
        JR Z,_esign
        CP '+'
        JR NZ,_edig
_esign: INC HL
_edig:  CALL FINCH
        SUB '0'
        CP 10
        JR C,_eval
        EX DE,HL                ; no digits: the E is not part of the number
        JR _value
_eval:  LD DE,0
_enext: CALL FINCH
        SUB '0'
        CP 10
        JR NC,_eend
        INC HL
        LD B,A
        LD A,D
        CP 4                    ; far beyond any number's range: stop adding
        JR NC,_enext
        PUSH HL
        LD H,D
        LD L,E
        ADD HL,HL
        ADD HL,HL
        ADD HL,DE
        ADD HL,HL
        LD E,B
        LD D,0
        ADD HL,DE
        EX DE,HL
        POP HL
        JR _enext
_eend:  LD A,C
        CP '-'
        JR NZ,_eadd
        CALL FNEGDE
_eadd:  PUSH HL
        LD HL,(FPDE)
        ADD HL,DE
        LD (FPDE),HL
        POP HL
_value: PUSH HL
        XOR A
        LD (FPSGN),A
        LD HL,(FPG+2)
        LD BC,(FPG+4)
        LD A,B
        OR C
        OR H
        OR L
        JP Z,_zero
        LD DE,(FPDE)
        LD A,D
        OR E
        JR Z,_int
        LD A,B                  ; N below 2^24 and a power of ten up to 10^10:
        OR A                    ; both exact, one rounding in their product or
        JR NZ,_scaled           ; quotient
        LD A,D
        INC A
        CP 2
        JR NC,_scaled
        LD A,E
        BIT 7,D
        JR Z,_tens
        NEG
_tens:  CP 11
        JR NC,_scaled
        DEC A
        ADD A,A
        ADD A,A
        PUSH AF
        CALL _float
        LD HL,FPX1
        CALL FST
        POP AF
        LD E,A
        LD D,0
        LD HL,FTENS
        ADD HL,DE
        LD A,(FPDE+1)
        OR A
        JP P,_times
        CALL FLD
        LD HL,FPX1
        CALL FDIV
        POP HL
        RET
_times: CALL FMUL
        POP HL
        RET
_int:   CALL _float             ; an integer: rounded straight from 32 bits
        POP HL
        RET
_float: LD D,C
        LD C,B
        LD E,H
        LD B,L
        LD HL,158
        JP FNORMH
_scaled:
        XOR A
        LD (FPG),A
        LD (FPG+1),A
        LD HL,-8
        LD (FPXE),HL
        CALL FXNORM
_scale: LD HL,(FPDE)
        LD A,H
        OR L
        JR Z,_round
        BIT 7,H
        JR NZ,_down
        DEC HL
        LD (FPDE),HL
        CALL FXMUL10
        LD HL,(FPXE)
        LD DE,-100
        ADD HL,DE
        BIT 7,H
        JR NZ,_scale
        POP HL
        JP FOVER
_down:  INC HL
        LD (FPDE),HL
        CALL FXDIV10
        LD HL,(FPXE)
        LD DE,200
        ADD HL,DE
        BIT 7,H
        JR Z,_scale
_zero:  CALL FZERO
        POP HL
        RET
_round: LD HL,(FPG+4)
        LD C,H
        LD D,L
        LD HL,(FPG+2)
        LD E,H
        LD B,L
        LD HL,(FPG)
        LD A,H
        OR L
        JR Z,_exact
        SET 0,B
_exact: LD HL,(FPXE)
        PUSH DE
        LD DE,166
        ADD HL,DE
        POP DE
        LD A,H                  ; just below the smallest number, as near
        OR L                    ; as seven digits say it (1.175494E-38):
        JR NZ,_norm             ; that number
        LD A,C
        AND D
        INC A
        JR NZ,_norm
        INC L
        LD C,80H
        LD D,A
        LD E,A
        LD B,A
_norm:  CALL FNORMH
        POP HL
        RET

; A = the character at HL, past spaces.
FINCH:  LD A,(HL)
        CP ' '
        RET NZ
        INC HL
        JR FINCH

FTENS   DB 00H,00H,20H,41H      ; 1E1 .. 1E10, exact
        DB 00H,00H,0C8H,42H
        DB 00H,00H,7AH,44H
        DB 00H,40H,1CH,46H
        DB 00H,50H,0C3H,47H
        DB 00H,24H,74H,49H
        DB 80H,96H,18H,4BH
        DB 20H,0BCH,0BEH,4CH
        DB 28H,6BH,6EH,4EH
        DB 0F9H,02H,15H,50H

; B C D E <- B C D E * 10; HL kept.
FIN10:  PUSH HL
        SLA E
        RL D
        RL C
        RL B
        PUSH BC
        PUSH DE
        SLA E
        RL D
        RL C
        RL B
        SLA E
        RL D
        RL C
        RL B
        POP HL
        ADD HL,DE
        EX DE,HL
        POP HL
        ADC HL,BC
        LD B,H
        LD C,L
        POP HL
        RET

; ---------------------------------------------------------------- text out

; FAC as PRINT shows it, in FPBUF, zero-terminated; HL <- FPBUF. A space or
; minus sign, then up to seven significant digits (the seventh rounded, half
; up) without trailing zeros: fixed from 0.01 to below 1E7, otherwise one
; digit, the rest after a point and E+nn or E-nn.
FOUT:   LD HL,FPBUF
        LD A,(FAC+3)
        OR A
        LD (HL),' '
        JP P,_plus
        LD (HL),'-'
_plus:  INC HL
        LD (FPPTR),HL
        CALL FDIGITS
        JR NZ,_sig
        LD HL,(FPPTR)
        LD (HL),'0'
        INC HL
        LD (HL),A
        LD HL,FPBUF
        RET
_sig:   LD HL,FPDIG+6           ; B = significant digits
        LD B,7
_tz:    LD A,(HL)
        CP '0'
        JR NZ,_form
        DEC HL
        DJNZ _tz
_form:  LD DE,(FPPTR)
        LD HL,FPDIG
        LD A,(FPDE)
        ADD A,6
        LD C,A                  ; C = the power of ten of the first digit
        ADD A,2
        CP 9
        JR NC,_expo
        BIT 7,C
        JR NZ,_frac
_ip:    LD A,(HL)
        LD (DE),A
        INC HL
        INC DE
        DEC B
        DEC C
        JP P,_ip
        LD A,B
        DEC A
        JP M,_end
        LD A,'.'
        LD (DE),A
        INC DE
_fd:    LD A,(HL)
        LD (DE),A
        INC HL
        INC DE
        DJNZ _fd
        JR _end
_frac:  LD A,'.'
        LD (DE),A
        INC DE
_fz:    INC C
        JR Z,_fd
        LD A,'0'
        LD (DE),A
        INC DE
        JR _fz
_expo:  LD A,(HL)
        LD (DE),A
        INC HL
        INC DE
        DEC B
        JR Z,_e
        LD A,'.'
        LD (DE),A
        INC DE
_ed:    LD A,(HL)
        LD (DE),A
        INC HL
        INC DE
        DJNZ _ed
_e:     EX DE,HL
        LD (HL),'E'
        INC HL
        LD A,C
        LD (HL),'+'
        OR A
        JP P,_esign
        LD (HL),'-'
        NEG
_esign: INC HL
        LD (HL),'0'-1
_tens:  INC (HL)
        SUB 10
        JR NC,_tens
        ADD A,'0'+10
        INC HL
        LD (HL),A
        INC HL
        EX DE,HL
_end:   XOR A
        LD (DE),A
        LD HL,FPBUF
        RET

; FAC's seven significant digits, the last rounded half up, in FPDIG as
; characters, and the power of ten of the last one in FPDE; NZ. Z (A = 0)
; when FAC is zero, which leaves them alone.
FDIGITS:
        LD HL,FAC
        CALL FUNPK
        RET Z
        LD HL,0
        LD (FPDE),HL
        CP 127                  ; a whole number from 1 to 2^23 - 1 is N
        JR C,_real              ; itself, times ten until 10^6 or more
        CP 150
        JR NC,_real
        SUB 150
        NEG
        LD B,A
_whole: SRL C
        RR D
        RR E
        JR C,_notint
        DJNZ _whole
_x10:   LD A,C
        CP 0FH
        JR C,_mul
        JP NZ,_digits
        LD A,D
        CP 42H
        JR C,_mul
        JP NZ,_digits
        LD A,E
        CP 40H
        JP NC,_digits
_mul:   LD B,C
        LD H,D
        LD L,E
        SLA E
        RL D
        RL C
        SLA E
        RL D
        RL C
        LD A,E
        ADD A,L
        LD E,A
        LD A,D
        ADC A,H
        LD D,A
        LD A,C
        ADC A,B
        LD C,A
        SLA E
        RL D
        RL C
        LD HL,(FPDE)
        DEC HL
        LD (FPDE),HL
        JR _x10
_notint:
        LD HL,FAC
        CALL FUNPK
_real:  LD (FPG+3),DE           ; R = the mantissa on top, zeros below
        LD L,A
        LD A,C
        LD (FPG+5),A
        XOR A
        LD (FPG),A
        LD (FPG+1),A
        LD (FPG+2),A
        LD H,A
        LD DE,-166
        ADD HL,DE
        LD (FPXE),HL
_scale: LD HL,(FPXE)            ; scale by tens into 10^6 .. 10^7
        LD DE,39
        ADD HL,DE               ; the value lies in [2^L, 2^(L+1))
        LD A,H
        OR A
        JR NZ,_small
        LD A,L
        CP 24
        JR NC,_big
        CP 23
        JR Z,_ck7
        CP 20
        JR NC,_fit
        CP 19
        JR C,_small
        LD A,(FPG+5)
        CP 0F4H
        JR C,_small
        JR NZ,_fit
        LD A,(FPG+4)
        CP 24H
        JR C,_small
        JR _fit
_ck7:   LD A,(FPG+5)
        CP 98H
        JR C,_fit
        JR NZ,_big
        LD A,(FPG+4)
        CP 96H
        JR C,_fit
        JR NZ,_big
        LD A,(FPG+3)
        CP 80H
        JR C,_fit
_big:   CALL FXDIV10
        LD HL,(FPDE)
        INC HL
        LD (FPDE),HL
        JR _scale
_small: CALL FXMUL10
        LD HL,(FPDE)
        DEC HL
        LD (FPDE),HL
        JR _scale
_fit:   LD A,30                 ; round to an integer N, half up
        SUB L
        LD HL,(FPG+4)
        LD C,H
        LD D,L
        LD HL,(FPG+2)
        LD E,H
        LD B,L
_shift: SRL C
        RR D
        RR E
        RR B
        DEC A
        JR NZ,_shift
        INC B
        JR NZ,_half
        INC E
        JR NZ,_half
        INC D
        JR NZ,_half
        INC C
_half:  SRL C
        RR D
        RR E
        RR B
        LD C,D                  ; N in C D E
        LD D,E
        LD E,B
        LD A,C
        CP 98H
        JR NZ,_digits
        LD A,D
        CP 96H
        JR NZ,_digits
        LD A,E
        CP 80H
        JR NZ,_digits
        LD C,0FH                ; 10^7 rounded up from below: 10^6, one more ten
        LD DE,4240H
        LD HL,(FPDE)
        INC HL
        LD (FPDE),HL
_digits:
        EXX
        LD HL,FPDIG
        LD B,7
        EXX
        LD HL,FPTENS
_dg:    LD B,'0'
_sub:   LD A,E
        SUB (HL)
        LD E,A
        INC HL
        LD A,D
        SBC A,(HL)
        LD D,A
        INC HL
        LD A,C
        SBC A,(HL)
        LD C,A
        DEC HL
        DEC HL
        JR C,_rest
        INC B
        JR _sub
_rest:  LD A,E
        ADD A,(HL)
        LD E,A
        INC HL
        LD A,D
        ADC A,(HL)
        LD D,A
        INC HL
        LD A,C
        ADC A,(HL)
        LD C,A
        INC HL
        LD A,B
        EXX
        LD (HL),A
        INC HL
        DEC B
        EXX
        JR NZ,_dg
        OR 1
        RET

FPTENS: DB 40H,42H,0FH          ; 10^6 .. 1, 24 bits each
        DB 0A0H,86H,01H
        DB 10H,27H,00H
        DB 0E8H,03H,00H
        DB 64H,00H,00H
        DB 0AH,00H,00H
        DB 01H,00H,00H

; ---------------------------------------------------------------- SQR RND

; FAC <- its square root, correctly rounded; Illegal function call below 0.
; The root of the mantissa times 2^25 or 2^26 (whichever halves the exponent
; exactly) is found two bits of the radicand at a time: 25 root bits, the
; last one deciding the rounding (a root never lies exactly halfway).
FSQR:   LD HL,FAC
        CALL FUNPK
        RET Z
        BIT 7,B
        JR Z,_pos
        JP FILLEG
_pos:   LD L,A
        LD H,0
        PUSH BC
        PUSH DE
        LD DE,127
        ADD HL,DE
        SRL H
        RR L
        LD (FPEXP),HL           ; (e + 127) / 2
        RRA
        EXX                     ; the radicand's bits, top first, in B'C'D'E'
        POP DE
        POP BC
        LD B,C
        LD C,D
        LD D,E
        LD E,0
        JR NC,_fed
        SRL B
        RR C
        RR D
        RR E
_fed:   EXX
        LD HL,0
        LD (FPU),HL
        LD (FPU+2),HL
        LD D,H                  ; the remainder in H L D E
        LD E,L
        LD B,25
_root:  LD C,2
_two:   EXX
        SLA E
        RL D
        RL C
        RL B
        EXX
        RL E
        RL D
        RL L
        RL H
        DEC C
        JR NZ,_two
        PUSH HL                 ; the remainder less 4 root + 1
        PUSH DE
        LD A,(FPU)
        OR 1
        LD C,A
        LD A,E
        SUB C
        LD E,A
        LD A,(FPU+1)
        LD C,A
        LD A,D
        SBC A,C
        LD D,A
        LD A,(FPU+2)
        LD C,A
        LD A,L
        SBC A,C
        LD L,A
        LD A,(FPU+3)
        LD C,A
        LD A,H
        SBC A,C
        LD H,A
        JR C,_zero
        INC SP
        INC SP
        INC SP
        INC SP
        LD C,4
        JR _next
_zero:  POP DE
        POP HL
        LD C,0
_next:  PUSH HL                 ; 4 root <- 2 (4 root) + 4 bit
        LD HL,FPU
        SLA (HL)
        INC HL
        RL (HL)
        INC HL
        RL (HL)
        INC HL
        RL (HL)
        LD A,(FPU)
        OR C
        LD (FPU),A
        POP HL
        DJNZ _root
        LD A,H
        OR L
        OR D
        OR E
        PUSH AF
        LD HL,(FPU)
        LD DE,(FPU+2)
        LD C,D
        LD D,E
        LD E,H
        LD B,L
        LD A,5                  ; the root, 25 bits, on top
_sh:    SLA B
        RL E
        RL D
        RL C
        DEC A
        JR NZ,_sh
        POP AF
        JR Z,_exact
        SET 0,B
_exact: XOR A
        LD (FPSGN),A
        JP FNORM

; FAC <- a pseudo-random number in [0, 1): the next one for FAC > 0, the
; last one again for 0, and for FAC < 0 the first of a sequence that FAC
; chooses. A 32-bit xorshift generator (shifts 13, 17, 5), the top 24 bits.
FRND:   CALL FTEST
        JR Z,_last
        LD A,(FAC+3)
        OR A
        JP P,_next
        LD HL,(FAC)
        LD (FPSEED),HL
        LD HL,(FAC+2)
        LD (FPSEED+2),HL
_next:  LD DE,(FPSEED)
        LD BC,(FPSEED+2)
        LD A,B
        OR C
        OR D
        OR E
        JR NZ,_step
        LD BC,92D6H             ; a state of 0 would stay 0
        LD DE,8CA2H
_step:  LD H,C                  ; ^= << 13
        LD L,D
        LD A,E
        CALL _shl5
        XOR D
        LD D,A
        LD A,L
        XOR C
        LD C,A
        LD A,H
        XOR B
        LD B,A
        LD H,B                  ; ^= >> 17
        LD L,C
        SRL H
        RR L
        LD A,L
        XOR E
        LD E,A
        LD A,H
        XOR D
        LD D,A
        LD H,B                  ; ^= << 5
        LD L,C
        LD A,D
        CALL _shl5
        LD A,L
        XOR C
        LD C,A
        LD A,H
        XOR B
        LD B,A
        LD H,D
        LD L,E
        XOR A
        CALL _shl5
        LD A,L
        XOR E
        LD E,A
        LD A,H
        XOR D
        LD D,A
        LD (FPSEED),DE
        LD (FPSEED+2),BC
_last:  LD HL,(FPSEED+2)
        LD C,H
        LD D,L
        LD A,(FPSEED+1)
        LD E,A
        LD B,0
        XOR A
        LD (FPSGN),A
        LD HL,126
        JP FNORMH
_shl5:  PUSH BC                 ; H L A <- H L A << 5
        LD B,5
_s5:    ADD A,A
        ADC HL,HL
        DJNZ _s5
        POP BC
        RET

; ---------------------------------------------------------------- functions
; Range reduction and polynomials after the classic single-precision
; library methods: the reductions subtract in pieces that multiply exactly,
; so the result is within a unit or two in the last place.

; Runs the steps written after its call, then returns past them: each an
; operation (FR_...) and the address it takes in HL, the last followed by 0.
; A step that fails skips the rest and returns its carry and code.
FR_LD   EQU 1
FR_ST   EQU 2
FR_ADD  EQU 3
FR_SUB  EQU 4
FR_MUL  EQU 5
FR_DIV  EQU 6
FR_POLY EQU 7
FR_CALL EQU 8                   ; the routine at the address

FDO     MACRO op, address
        DB op
        DW address
        ENDM

FRUN:   POP HL
_step:  LD A,(HL)
        INC HL
        OR A
        JR Z,_end
        LD E,(HL)
        INC HL
        LD D,(HL)
        INC HL
        PUSH HL
        ADD A,A
        ADD A,(FRUNOPS - 2) AND 0FFH
        LD L,A
        LD H,FRUNOPS / 256
        LD A,(HL)
        INC L
        LD H,(HL)
        LD L,A
        EX DE,HL
        CALL _go
        POP HL
        JR NC,_step
        LD C,A
_skip:  LD A,(HL)
        INC HL
        INC HL
        INC HL
        OR A
        JR NZ,_skip
        DEC HL
        DEC HL
        LD A,C
        SCF
_end:   JP (HL)
_go:    PUSH DE
        RET

FRUNOPS DW FLD, FST, FADD, FSUB, FMUL, FDIV, FPOLY, FCALL
        IF FRUNOPS / 256 != ($ - 1) / 256
        .ERROR FRUN's table must lie within one page
        ENDIF
FCALL:  JP (HL)

; FAC <- P(FPPT), the polynomial at HL: its degree, then the coefficients
; from the highest power down.
FPOLY:  LD B,(HL)
        INC HL
        PUSH BC
        CALL FLD
        POP BC
_term:  PUSH BC
        PUSH HL
        LD HL,FPPT
        CALL FMUL
        POP HL
        PUSH HL
        CALL FADD
        POP HL
        LD BC,4
        ADD HL,BC
        POP BC
        DJNZ _term
        RET

; FAC <- e^FAC; Overflow above about 88.7, 0 below about -87.3.
FEXP:   LD HL,FEXPHI
        CALL FCMP
        DEC A
        JP NZ,FOVER
        LD HL,FEXPLO
        CALL FCMP
        DEC A
        JP Z,FZERO
        CALL FRUN
        FDO FR_ST,FPX1
        FDO FR_MUL,FLOG2E       ; n = floor(x log2 e + 1/2)
        FDO FR_ADD,FHALF
        FDO FR_CALL,FINT
        DB 0
        CALL FTOINT
        LD (FPJ),DE
        CALL FRUN
        FDO FR_ST,FPX2
        FDO FR_MUL,FEXPC1       ; g = x - n ln 2, ln 2 in two pieces
        FDO FR_SUB,FPX1
        FDO FR_ST,FPX1
        FDO FR_LD,FPX2
        FDO FR_MUL,FEXPC2
        FDO FR_SUB,FPX1
        FDO FR_ST,FPX1
        FDO FR_ST,FPPT
        FDO FR_MUL,FPX1
        FDO FR_ST,FPX2
        FDO FR_POLY,FEXPP       ; 1 + g + g^2 P(g)
        FDO FR_MUL,FPX2
        FDO FR_ADD,FPX1
        FDO FR_ADD,FONE
        DB 0
        LD HL,(FPJ)             ; times 2^n

; FAC <- FAC * 2^HL.
FSCALE: PUSH HL
        LD HL,FAC
        CALL FUNPK
        POP HL
        RET Z
        PUSH DE
        LD E,A
        LD D,0
        ADD HL,DE
        POP DE
        LD A,B
        AND 80H
        LD (FPSGN),A
        LD B,0
        JP FNORMH

; FAC <- ln FAC; Illegal function call for 0 and below.
FLOG:   CALL FTEST
        JR Z,_bad
        LD A,(FAC+3)
        OR A
        JP P,_pos
_bad:   JP FILLEG
_pos:   LD A,(FAC+2)            ; x = m 2^e, m in [1/2, 1)
        ADD A,A
        LD A,(FAC+3)
        ADC A,A
        LD L,A
        LD H,0
        LD DE,-126
        ADD HL,DE
        LD (FPJ),HL
        LD HL,FAC+2
        RES 7,(HL)
        INC HL
        LD (HL),3FH
        LD HL,FSQRTH
        CALL FCMP
        DEC A
        JR NZ,_ge
        LD HL,(FPJ)             ; below the square root of 1/2: 2m, e - 1
        DEC HL
        LD (FPJ),HL
        LD HL,FAC+2
        SET 7,(HL)
_ge:    CALL FRUN
        FDO FR_ADD,FMONE
        FDO FR_ST,FPPT          ; x = m - 1
        FDO FR_MUL,FPPT
        FDO FR_ST,FPX2          ; z = x^2
        FDO FR_POLY,FLOGP
        FDO FR_MUL,FPPT
        FDO FR_MUL,FPX2
        FDO FR_ST,FPX3          ; y = x z P(x)
        DB 0
        LD DE,(FPJ)
        CALL FFROMINT
        CALL FRUN
        FDO FR_ST,FPX1
        FDO FR_MUL,FEXPC2       ; y + e ln 2 (low piece) - z/2 + x + e ln 2
        FDO FR_ADD,FPX3
        FDO FR_ST,FPX3
        FDO FR_LD,FPX2
        FDO FR_CALL,FHALFN
        FDO FR_ADD,FPX3
        FDO FR_ADD,FPPT
        FDO FR_ST,FPX3
        FDO FR_LD,FPX1
        FDO FR_MUL,FEXPC1
        DB 0
        LD HL,FPX3
        JP FADD


; Reduces FAC for the circular functions: FPTS <- its sign, FPJ <- the even
; octant j nearest |x| 4/pi (j - 1 <= |x| 4/pi < j + 1), FAC and FPX1 <-
; |x| - j pi/4, and FPXD <- what that number lacks of the exact one (to
; 2^-8 of its last place). Beyond pi/4 the reduction is exact: x's mantissa
; times a window of 4/pi's bits, 88 of them from where x's exponent puts
; the binary point, gives |x| 4/pi mod 8 with 80 bits after the point, the
; last 23 of them uncertain (no binary32 number comes within 2^-30 of a
; multiple of pi/2), and the rest times pi/4 to 32 bits is rounded once.
FREDUCE:
        LD A,(FAC+3)
        AND 80H
        LD (FPTS),A
        CALL FABS
        LD HL,0
        LD (FPJ),HL
        LD (FPXD),HL
        LD (FPXD + 2),HL
        LD HL,FPI4HI            ; below pi/4: x itself
        CALL FCMP
        DEC A
        JP Z,_done
        LD HL,FAC
        CALL FUNPK
        LD B,A                  ; E, the biased exponent
        LD (FPMQ + 1),DE        ; the multiplier: the mantissa, then as
        LD A,C                  ; many zeros as bring its exponent to 7
        LD (FPMQ + 3),A         ; modulo 8
        XOR A
        LD (FPMQ),A
        LD A,B
        ADD A,3
        AND 7
        ADD A,24
        LD C,A                  ; bits: 24 + (E + 3) mod 8
        LD A,B
        SUB C
        SUB 5                   ; 8 u + 128: the window starts u bytes
        RRCA                    ; into 4/pi's bits
        RRCA
        RRCA
        CPL
        ADD A,28 + 2            ; 13 - u
        LD E,A
        LD D,0
        LD HL,FOPIBITS
        ADD HL,DE
        LD A,C
        LD B,11
        CALL MPMUL              ; FPQ: 8 bits of |x| 4/pi above the point,
        LD A,(FPQ + 10)         ; 80 below
        AND 7
        LD C,0
        BIT 0,A
        JR Z,_even
        LD HL,FPQ               ; the octant above: the rest is negative
        LD B,10
        SCF
_neg:   LD A,(HL)
        CPL
        ADC A,C
        LD (HL),A
        INC HL
        DJNZ _neg
        LD A,(FPQ + 10)
        AND 7
        INC A
        LD C,80H
_even:  LD (FPJ),A
        LD A,C
        LD (FPSGN),A
        LD DE,126               ; normalise the rest: its top 32 bits
_norm:  LD HL,FPQ + 9
        BIT 7,(HL)
        JR NZ,_top
        LD HL,FPQ
        LD B,10
        OR A
_shl:   RL (HL)
        INC HL
        DJNZ _shl
        DEC DE
        JR _norm
_top:   PUSH DE
        LD HL,FPQ + 6
        LD DE,FPMQ
        LD BC,4
        LDIR
        LD HL,FPI4BITS          ; times pi/4
        LD A,32
        LD B,4
        CALL MPMUL
        LD HL,(FPQ)             ; the lowest bytes are sticky
        LD A,H
        OR L
        LD HL,(FPQ + 2)
        OR H
        OR L
        LD HL,(FPQ + 4)
        LD DE,(FPQ + 6)
        LD C,D
        LD D,E
        LD E,H
        LD B,L
        JR Z,_pack
        SET 0,B
_pack:  POP HL
        BIT 7,C                 ; the top bit set: B holds what rounding drops
        JR NZ,_round
        SLA B
        RL E
        RL D
        RL C
        DEC HL
_round: PUSH HL
        PUSH DE
        PUSH BC
        CALL FNORMH
        LD HL,FPX1
        CALL FST
        POP BC
        POP DE
        POP HL
        LD A,(FAC)              ; rounded up: x is past the exact number by
        XOR E                   ; 256 - B of C D E B's last places, else
        LD A,B                  ; short of it by B
        JR Z,_down
        NEG
        LD C,A
        LD A,(FPSGN)
        XOR 80H
        LD (FPSGN),A
        LD A,C
_down:  LD C,A
        LD DE,-24
        ADD HL,DE
        XOR A
        LD D,A
        LD E,A
        LD B,A
        CALL FNORMH
        LD HL,FPXD
        CALL FST
        LD HL,FPX1
        JP FLD
_done:  LD HL,FPX1
        JP FST

; FPQ (B + 4 bytes) <- the B bytes at HL times the top A bits of FPMQ (a
; 32-bit number), all little-endian. The multiplier Q, in D E' and D E,
; is added into a 32-bit sum (H L' and H L) for each bit of the
; multiplicand from the lowest, the sum shifting right a bit a time into
; the product's bytes (B, as the multiplicand's byte shifts out of it).
MPMUL:  PUSH IY
        LD IY,FPQ
        PUSH HL
        EX AF,AF'
        LD A,B                  ; A' = the multiplicand's bytes
        EX AF,AF'
        LD HL,(FPMQ)
        LD DE,(FPMQ + 2)
        SUB 32
        JR Z,_q
_top:   SRL D                   ; Q = FPMQ >> (32 - A)
        RR E
        RR H
        RR L
        INC A
        JR NZ,_top
_q:     PUSH DE
        EX DE,HL
        EXX
        POP DE
        POP BC                  ; B C' = the multiplicand
        LD HL,0
        EXX
        LD HL,0
_byte:  EXX
        LD A,(BC)
        INC BC
        EXX
        LD B,A
        SRL B                   ; B: the bits still to come below, the
        REPT 8                  ; product's bits above
        JR NC,$ + 7
        ADD HL,DE
        EXX
        ADC HL,DE
        EXX
        EXX
        RR H
        RR L
        EXX
        RR H
        RR L
        RR B
        ENDM
        LD (IY),B
        INC IY
        EX AF,AF'
        DEC A
        JR Z,_sum
        EX AF,AF'
        JP _byte
_sum:   LD (IY),L               ; the sum: the top four bytes
        LD (IY + 1),H
        EXX
        LD (IY + 2),L
        LD (IY + 3),H
        EXX
        POP IY
        RET

FSIN:   LD C,0
        JR FSINCOS
FCOS:   LD C,2                  ; cos x = sin(x + pi/2): two octants on
FSINCOS:
        PUSH BC
        CALL FREDUCE
        POP BC
        LD A,C
        OR A
        JR Z,_sin
        XOR A
        LD (FPTS),A
_sin:   LD A,(FPJ)
        ADD A,C
        AND 7
        CP 4
        JR C,_half
        SUB 4
        LD HL,FPTS
        LD B,A
        LD A,(HL)
        XOR 80H
        LD (HL),A
        LD A,B
_half:  LD (FPOCT),A
        CALL FRUN               ; (FAC is x)
        FDO FR_MUL,FPX1
        FDO FR_ST,FPX2
        FDO FR_ST,FPPT
        DB 0
        LD A,(FPOCT)
        OR A
        JR Z,_sinp
        CALL FRUN               ; cos(x + d) = w + ((1 - w) - z/2 - x d +
        FDO FR_CALL,FHALFN      ; z^2 P(z)) for w = 1 - z/2 rounded, whose
        FDO FR_ST,FPX3          ; rounding is so taken back
        FDO FR_ADD,FONE
        FDO FR_ST,FPY
        FDO FR_ADD,FMONE
        FDO FR_SUB,FPX3
        FDO FR_ST,FPX3
        FDO FR_LD,FPX1
        FDO FR_MUL,FPXD
        FDO FR_SUB,FPX3
        FDO FR_ST,FPX3
        FDO FR_POLY,FCOSP
        FDO FR_MUL,FPX2
        FDO FR_MUL,FPX2
        FDO FR_ADD,FPX3
        FDO FR_ADD,FPY
        DB 0
        JR FSIGNED
_sinp:  CALL FRUN               ; sin(x + d) = x + (x z P(z) + d)
        FDO FR_POLY,FSINP
        FDO FR_MUL,FPX2
        FDO FR_MUL,FPX1
        FDO FR_ADD,FPXD
        FDO FR_ADD,FPX1
        DB 0
; FAC <- -FAC when FPTS says so.
FSIGNED:
        LD A,(FPTS)
        OR A
        RET P
        JP FNEG

FTAN:   CALL FREDUCE
        CALL FRUN
        FDO FR_MUL,FPX1
        FDO FR_ST,FPX2
        FDO FR_ST,FPPT
        FDO FR_POLY,FTANP       ; tan(x + d) = x + s, s = x z P(z) + (1 +
        FDO FR_MUL,FPX2         ; t^2) d for t = x + x z P(z)
        FDO FR_MUL,FPX1
        FDO FR_ST,FPX3
        FDO FR_ADD,FPX1
        FDO FR_ST,FPPT
        FDO FR_MUL,FPPT
        FDO FR_ADD,FONE
        FDO FR_MUL,FPXD
        FDO FR_ADD,FPX3
        DB 0
        LD A,(FPJ)
        AND 2
        LD HL,FPX1
        JR NZ,_cot
        CALL FADD
        JR FSIGNED
_cot:   CALL FRUN               ; the odd quarter turns: -1 / (x + s) =
        FDO FR_ST,FPX3          ; r + r^2 e for r = -1 / h, h = x + s
        FDO FR_ADD,FPX1         ; rounded and e what h lacks, so that h's
        FDO FR_ST,FPX2          ; rounding is taken back
        FDO FR_SUB,FPX1
        FDO FR_ADD,FPX3
        FDO FR_ST,FPX3
        FDO FR_LD,FPX2
        FDO FR_DIV,FMONE
        FDO FR_ST,FPX2
        FDO FR_MUL,FPX2
        FDO FR_MUL,FPX3
        FDO FR_ADD,FPX2
        DB 0
        RET C
        JR FSIGNED

; atan x for |x| above tan pi/8 is a + atan u, where the band |x| lies in
; gives a, and u = (b - |x|) / (1 + b |x|) for b = tan a (1/|x| in the
; last band), which stays small where atan x is: u is computed within about
; a unit of its last place, and its error stays well below the result's.
FATN:   LD A,(FAC+3)
        AND 80H
        LD (FPTS),A
        CALL FABS
        LD HL,0
        LD (FPOFF),HL
        LD HL,FTAN18
        CALL FCMP
        INC A
        JR NZ,_poly             ; up to tan pi/8: atan x at once
        LD HL,FPX1
        CALL FST
        LD HL,FATNBANDS
        LD B,3
_band:  PUSH BC
        PUSH HL
        CALL FCMP               ; |x| up to the band's top?
        POP HL
        POP BC
        INC A
        JR NZ,_in
        LD DE,10
        ADD HL,DE
        DJNZ _band
        LD HL,FONE              ; above them all: pi/2 - atan(1/x)
        CALL FDIV
        LD HL,FPI2HI
        JR _part
_in:    LD DE,4
        ADD HL,DE
        PUSH HL                 ; b
        CALL FSUB
        LD HL,FPX2
        CALL FST                ; b - x, exact in its band
        LD HL,FPX1
        CALL FLD
        POP HL
        PUSH HL
        CALL FMUL
        LD HL,FONE
        CALL FADD
        LD HL,FPX2
        CALL FDIV
        POP HL
        INC HL
        INC HL
        INC HL
        INC HL
        LD A,(HL)
        INC HL
        LD H,(HL)
        LD L,A
_part:  LD (FPOFF),HL
_poly:  CALL FRUN
        FDO FR_ST,FPX1
        FDO FR_MUL,FPX1
        FDO FR_ST,FPX2
        FDO FR_ST,FPPT
        FDO FR_POLY,FATNP       ; atan x = x + x z P(z)
        FDO FR_MUL,FPX2
        FDO FR_MUL,FPX1
        DB 0
        LD HL,(FPOFF)
        LD A,H
        OR L
        JR NZ,_angle
        LD HL,FPX1
        CALL FADD
        JP FSIGNED
_angle: LD HL,(FPOFF)           ; the angle's high piece + (its low piece
        LD DE,4                 ; - u z P(u^2) - u): one rounding of a sum
        ADD HL,DE               ; of u's size, then the last
        CALL FSUB
        LD HL,FPX1
        CALL FSUB
        LD HL,(FPOFF)
        CALL FSUB
        JP FSIGNED

; FAC <- (HL) ^ FAC. Whole powers from -2 to 3 multiply (x^2 is correctly
; rounded); others are 2^(y log2 x) with log2 x to 32 bits after the point
; and y log2 x split in exact products, within a unit in the last place.
; A negative base takes whole powers only (else Illegal function call);
; 0 to a negative power is Division by zero.
FPOW:   LD DE,FPBASE
        LD BC,4
        LDIR
        LD HL,(FAC)             ; x^2, the commonest, at once
        LD A,H
        OR L
        JR NZ,_any
        LD HL,(FAC+2)
        LD DE,4000H
        SBC HL,DE
        JR NZ,_any
        LD HL,FPBASE
        CALL FLD
        LD HL,FPBASE
        JP FMUL
_any:
        LD HL,FPY
        CALL FST
        CALL FTEST
        LD HL,FONE
        JP Z,FLD
        LD HL,FPBASE
        CALL FLD
        CALL FTEST
        JR NZ,_nz
        LD A,(FPY+3)
        OR A
        RET P
        JP FDIVZ
_nz:    XOR A
        LD (FPOCT),A            ; the sign of the result
        LD HL,FPY
        CALL FLD
        CALL FTOINT
        JR C,_real
        PUSH DE
        CALL FFROMINT
        LD HL,FPY
        CALL FCMP
        POP DE
        OR A
        JR NZ,_real
        LD HL,2                 ; -2 to 3 multiply, within a unit
        ADD HL,DE
        LD A,H
        OR A
        JR NZ,_large
        LD A,L
        CP 6
        JP C,_whole
_large: LD HL,FPBASE+3          ; others take |x|, negative for odd powers of
        LD A,E                  ; a negative x
        RRA
        JR NC,_even
        LD A,(HL)
        AND 80H
        LD (FPOCT),A
_even:  RES 7,(HL)
_real:  LD HL,FPBASE            ; L = log2 x = e + F, F from the mantissa
        CALL FUNPK
        BIT 7,B
        JR Z,_plus
        JP FILLEG
_plus:  LD L,A
        LD H,0
        PUSH DE
        LD DE,-127
        ADD HL,DE
        POP DE
        LD (FPG+4),HL
        LD A,C
        LD (FPZ+3),A
        LD (FPZ+1),DE
        XOR A
        LD (FPZ),A
        CALL FLOG2
        EXX
        LD (FPG),HL
        LD (FPG+2),DE
        EXX
        LD A,(FPG+5)            ; R = L 2^32: its sign and magnitude
        AND 80H
        LD (FPTS),A
        JR Z,_mag
        LD HL,FPG
        LD B,6
_neg:   LD A,0
        SBC A,(HL)
        LD (HL),A
        INC HL
        DJNZ _neg
_mag:   LD HL,FPG
        LD B,6
        XOR A
_or:    OR (HL)
        INC HL
        DJNZ _or
        LD HL,FONE              ; 1 to any power
        JR NZ,_log
        CALL FLD
        JP _sign
_log:
        LD HL,-24
        LD (FPXE),HL
        CALL FXNORM
        LD A,(FPG+5)            ; L's top 12 bits, then the rest
        LD C,A
        LD A,(FPG+4)
        AND 0F0H
        LD D,A
        LD E,0
        LD B,E
        LD HL,166
        CALL _part
        LD HL,FPX1
        CALL FST
        LD A,(FPG+4)
        AND 0FH
        LD C,A
        LD HL,(FPG+2)
        LD D,H
        LD E,L
        LD A,(FPG+1)
        LD B,A
        LD HL,158
        CALL _part
        CALL FRUN
        FDO FR_ST,FPX2
        FDO FR_LD,FPY           ; y's top 12 bits: their products are exact
        DB 0
        XOR A
        LD (FAC),A
        LD A,(FAC+1)
        AND 0F0H
        LD (FAC+1),A
        CALL FRUN
        FDO FR_ST,FPX3
        FDO FR_MUL,FPX1
        FDO FR_ST,FPBASE        ; A = y_hi L_hi
        FDO FR_LD,FPX3
        FDO FR_SUB,FPY
        FDO FR_MUL,FPX1
        FDO FR_ST,FPX3          ; B = y_lo L_hi
        FDO FR_LD,FPY
        FDO FR_MUL,FPX2         ; C = y L_lo
        FDO FR_ADD,FPX3
        FDO FR_ST,FPX3
        FDO FR_LD,FPBASE        ; y L = n + f, n whole: 2^f 2^n
        FDO FR_ADD,FHALF
        FDO FR_CALL,FINT
        DB 0
        CALL FTOINT
        JR C,_far
        LD (FPOFF),DE
        CALL FRUN
        FDO FR_SUB,FPBASE
        FDO FR_ADD,FPX3
        FDO FR_MUL,FLN2
        FDO FR_CALL,FEXP
        DB 0
        RET C
        LD HL,(FPOFF)
        CALL FSCALE
        RET C
_sign:  LD A,(FPOCT)
        LD (FPTS),A
        JP FSIGNED
_far:   LD A,(FAC+3)
        OR A
        JP M,FZERO
        JP FOVER
_part:  PUSH DE                 ; C D E B times 2^(FPXE + HL - 166) to FAC
        LD DE,(FPXE)
        ADD HL,DE
        POP DE
        LD A,(FPTS)
        LD (FPSGN),A
        JP FNORMH
_whole: LD A,D
        LD (FPTS),A
        OR A
        JP P,_npos
        CALL FNEGDE
_npos:  LD (FPJ),DE
        CALL FRUN
        FDO FR_LD,FPBASE
        FDO FR_ST,FPX2
        FDO FR_LD,FONE
        FDO FR_ST,FPX1
        DB 0
_bit:   LD HL,(FPJ)             ; r <- r b for each bit of n, b <- b^2
        SRL H
        RR L
        LD (FPJ),HL
        JR NC,_sq
        CALL FRUN
        FDO FR_LD,FPX2
        FDO FR_MUL,FPX1
        DB 0
        RET C
        LD HL,FPX1
        CALL FST
_sq:    LD HL,(FPJ)
        LD A,H
        OR L
        JR Z,_done
        CALL FRUN
        FDO FR_LD,FPX2
        FDO FR_MUL,FPX2
        DB 0
        RET C
        LD HL,FPX2
        CALL FST
        JR _bit
_done:  LD HL,FPX1
        CALL FLD
        LD A,(FPTS)
        OR A
        RET P
        LD HL,FONE
        JP FDIV

; log2 of FPZ (1 <= z < 2, 31 bits after the point) into D'E'H'L', 32 bits
; after the point: squaring z gives the next bit (z^2 >= 2, then halved).
FLOG2:  EXX
        LD B,32
        EXX
_sq:    LD HL,0                 ; z^2 in H L D E C
        LD D,H
        LD E,L
        LD C,L
        LD A,(FPZ)
        CALL _byte
        LD A,(FPZ+1)
        CALL _byte
        LD A,(FPZ+2)
        CALL _byte
        LD A,(FPZ+3)
        CALL _byte
        BIT 7,H
        SCF
        JR NZ,_bit
        SLA C
        RL E
        RL D
        RL L
        RL H
_bit:   LD (FPZ),DE
        LD (FPZ+2),HL
        EXX
        RL L
        RL H
        RL E
        RL D
        DEC B
        EXX
        JR NZ,_sq
        RET
_byte:  LD B,A                  ; z times the bits of A, a byte of z
        SCF
        RR B
_b:     JR NC,_s
        LD A,(FPZ)
        ADD A,E
        LD E,A
        LD A,(FPZ+1)
        ADC A,D
        LD D,A
        LD A,(FPZ+2)
        ADC A,L
        LD L,A
        LD A,(FPZ+3)
        ADC A,H
        LD H,A
_s:     RR H
        RR L
        RR D
        RR E
        RR C
        SRL B
        JR NZ,_b
        RET

FONE    DB 00H,00H,80H,3FH      ; 1
FLN2    DB 18H,72H,31H,3FH      ; ln 2
FHALF   DB 00H,00H,00H,3FH      ; 0.5
FLOG2E  DB 3BH,0AAH,0B8H,3FH    ; 1.44269502
FEXPC1  DB 00H,80H,31H,3FH      ; 0.693359375, ln 2 less
FEXPC2  DB 83H,80H,5EH,0B9H     ;   -2.12194442E-4
FEXPHI  DB 9AH,99H,0B1H,42H     ; 88.8
FEXPLO  DB 00H,00H,0D0H,0C2H    ; -104
FSQRTH  DB 0F3H,04H,35H,3FH     ; 0.707106769
FOPIBITS                        ; 4/pi's first 192 bits, the lowest first,
        DB 41H,90H,43H,3CH,99H,95H,62H,0DBH ; then 32 zero bits
        DB 0C0H,0DDH,34H,0F5H,0D1H,57H,27H,0FCH
        DB 29H,15H,44H,4EH,6EH,83H,0F9H,0A2H
        DB 0,0,0,0
FPI4BITS DB 0A2H,0DAH,0FH,0C9H  ; pi/4 times 2^32
FTAN18  DB 0CDH,13H,0D4H,3EH    ; tan pi/8
FATNBANDS                       ; |x| up to, b, a (two pieces)
        DB 00H,00H,30H,3FH      ; 0.6875
        DB 00H,00H,00H,3FH      ; 0.5
        DW FATN05
        DB 00H,00H,98H,3FH      ; 1.1875
        DW 0,3F80H              ; 1
        DW FPI4HI
        DB 00H,00H,1CH,40H      ; 2.4375
        DB 00H,00H,0C0H,3FH     ; 1.5
        DW FATN15
FATN05  DB 38H,63H,0EDH,3EH     ; atan 0.5 = 0.463647604
        DB 6AH,37H,0ACH,31H     ;   + 5.01215869E-9
FATN15  DB 5FH,98H,7BH,3FH      ; atan 1.5 = 0.982793748
        DB 96H,0E0H,0D7H,0B2H   ;   - 2.51314241E-8
FPI2HI  DB 0DBH,0FH,0C9H,3FH    ; pi/2 = 1.57079637
        DB 2EH,0BDH,3BH,0B3H    ;   - 4.37113883E-8
FPI4HI  DB 0DBH,0FH,49H,3FH     ; pi/4 = 0.785398185
        DB 2EH,0BDH,0BBH,0B2H   ;   - 2.18556941E-8
FEXPP   DB 5                    ; e^g = 1 + g + g^2 P(g)
        DB 67H,69H,50H,39H      ; 1.98756912E-4
        DB 0CEH,43H,0B7H,3AH    ; 1.39819994E-3
        DB 08H,89H,08H,3CH      ; 8.33345205E-3
        DB 0C1H,0A9H,2AH,3DH    ; 4.16657962E-2
        DB 0AAH,0AAH,2AH,3EH    ; 0.166666657
        DB 00H,00H,00H,3FH      ; 0.5
FLOGP   DB 7                    ; ln(1+x) = x - x^2/2 + x^3 P(x)
        DB 66H,5AH,9CH,0BDH     ; -7.63442963E-2
        DB 0A3H,0ADH,02H,3EH    ; 0.127615497
        DB 0A9H,0C2H,06H,0BEH   ; -0.131601945
        DB 11H,6DH,11H,3EH      ; 0.142017618
        DB 22H,39H,2AH,0BEH     ; -0.166233569
        DB 04H,0D0H,4CH,3EH     ; 0.200012267
        DB 14H,01H,80H,0BEH     ; -0.250008225
        DB 0AAH,0AAH,0AAH,3EH   ; 0.333333313
FCOSP   DB 2                    ; cos x = 1 - z/2 + z^2 P(z), z = x^2
        DB 0CEH,0F5H,0CCH,37H   ; 2.44331568E-5
        DB 1AH,06H,0B6H,0BAH    ; -1.38873165E-3
        DB 0A5H,0AAH,2AH,3DH    ; 4.16666456E-2
FSINP   DB 2                    ; sin x = x + x z P(z)
        DB 0F9H,0A1H,4CH,0B9H   ; -1.95152956E-4
        DB 9EH,83H,08H,3CH      ; 8.33216123E-3
        DB 0A3H,0AAH,2AH,0BEH   ; -0.166666552
FTANP   DB 6                    ; tan x = x + x z P(z)
        DB 72H,0A1H,90H,3BH     ; 4.41377703E-3
        DB 97H,84H,23H,37H      ; 9.74642808E-6
        DB 01H,9FH,32H,3CH      ; 1.09021673E-2
        DB 15H,1FH,0AEH,3CH     ; 2.12550554E-2
        DB 0CFH,73H,5DH,3DH     ; 5.40655218E-2
        DB 0A3H,86H,08H,3EH     ; 0.133326098
        DB 0B1H,0AAH,0AAH,3EH   ; 0.333333522
FATNP   DB 4                    ; atan x = x + x z P(z)
        DB 8DH,2DH,79H,0BDH     ; -6.08344562E-2
        DB 8CH,01H,0D9H,3DH     ; 0.105959982
        DB 65H,0DBH,11H,0BEH    ; -0.142438486
        DB 0D7H,0C8H,4CH,3EH    ; 0.199984893
        DB 0A5H,0AAH,0AAH,0BEH  ; -0.333333164
