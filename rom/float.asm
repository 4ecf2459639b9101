; Number routines for the interpreter, on the 4-byte binary format (sign,
; 8-bit exponent biased by 127, 23-bit fraction with a hidden 1, low byte
; first) in the accumulator FAC. This version holds whole numbers only,
; -32768 to 32767, until the full arithmetic replaces this file; every
; routine keeps its final name, registers and error codes.

FAC       EQU 0F200H            ; 4: the accumulator
FPARG     EQU FAC + 4           ; 4: the left operand's whole value
FPBUF     EQU FPARG + 4         ; 8: FOUT's text
FPEND     EQU FPBUF + 8
        IF FPEND > 0F300H
        .ERROR The number routines outgrew their work area
        ENDIF

; FAC <- the 4 bytes at HL.
FLD:    PUSH DE
        PUSH BC
        LD DE,FAC
_copy:  LD BC,4
        LDIR
        POP BC
        POP DE
        RET

; The 4 bytes at HL <- FAC.
FST:    PUSH DE
        PUSH BC
        EX DE,HL
        LD HL,FAC
        LD BC,4
        LDIR
        EX DE,HL
        POP BC
        POP DE
        RET

; FAC <- signed DE.
FFROMINT:
        LD A,D
        OR E
        JR NZ,_nz
        LD H,A
        LD L,A
        LD (FAC),HL
        LD (FAC + 2),HL
        RET
_nz:    LD A,D
        AND 80H
        LD B,A                  ; sign
        JR Z,_pos
        XOR A
        SUB E
        LD E,A
        SBC A,A
        SUB D
        LD D,A
_pos:   EX DE,HL
        LD C,0
        LD E,150                ; exponent of a 24-bit whole number
_norm:  BIT 7,C
        JR NZ,_pack
        ADD HL,HL
        RL C
        DEC E
        JR _norm
_pack:  LD (FAC),HL
        RES 7,C
        SRL E                   ; exponent bit 0 to carry
        JR NC,_even
        SET 7,C
_even:  LD A,C
        LD (FAC + 2),A
        LD A,E
        OR B
        LD (FAC + 3),A
        OR A
        RET

; C:H:L = the magnitude of FAC rounded to a whole number, B = its sign;
; carry if it needs more than 24 bits.
FPUNPACK:
        LD HL,(FAC + 2)
        LD A,H
        AND 80H
        LD B,A
        LD A,L
        RLA
        LD A,H
        RLA                     ; A = exponent
        LD E,A
        LD HL,(FAC)
        LD A,(FAC + 2)
        OR 80H
        LD C,A
        LD A,E
        OR A
        JR Z,_zero
        SUB 150
        JR Z,_done
        CCF
        RET C                   ; 2^24 or more
        NEG
        CP 25
        JR NC,_zero
        LD E,A
        DEC E
        JR Z,_last
_shift: SRL C
        RR H
        RR L
        DEC E
        JR NZ,_shift
_last:  SRL C
        RR H
        RR L
        RET NC
        INC L
        JR NZ,_done
        INC H
        JR NZ,_done
        INC C
_done:  OR A
        RET
_zero:  LD C,0
        LD H,C
        LD L,C
        OR A
        RET

; DE <- FAC rounded; Overflow unless it fits -32768..32767.
FTOINT: CALL FPUNPACK
        JR C,_ovf
        LD A,C
        OR A
        JR NZ,_ovf
        LD A,B
        OR A
        JR Z,_pos
        EX DE,HL
        LD HL,0
        SBC HL,DE
        EX DE,HL
        RET Z
        BIT 7,D
        JR Z,_ovf
        OR A
        RET
_pos:   EX DE,HL
        BIT 7,D
        RET Z
_ovf:   LD A,6
        SCF
        RET

; DE <- FAC as an address, -65535..65535 (negative wraps).
FTOADDR:
        CALL FPUNPACK
        JR C,_bad
        LD A,C
        OR A
        JR NZ,_bad
        EX DE,HL
        LD A,B
        OR A
        RET Z
        LD HL,0
        SBC HL,DE
        EX DE,HL
        OR A
        RET
_bad:   LD A,5
        SCF
        RET

; FPARG <- the whole value at HL, DE <- FAC's; carry on overflow.
FPBOTH: PUSH HL
        CALL FTOINT
        POP HL
        RET C
        PUSH DE
        LD DE,FAC
        LD BC,4
        PUSH DE
        LDIR
        POP HL
        POP DE
        PUSH DE
        CALL FTOINT
        LD (FPARG),DE
        POP DE
        RET

FADD:   CALL FPBOTH
        RET C
        LD HL,(FPARG)
        OR A
        ADC HL,DE
        JP PE,FPOVF
        EX DE,HL
        JP FFROMINT
FPOVF:  LD A,6
        SCF
        RET

FSUB:   CALL FPBOTH
        RET C
        LD HL,(FPARG)
        OR A
        SBC HL,DE
        JP PE,FPOVF
        EX DE,HL
        JP FFROMINT

FMUL:   CALL FPBOTH
        RET C
        LD HL,(FPARG)
        LD A,H
        XOR D
        PUSH AF                 ; sign of the product
        CALL FPABSHL
        EX DE,HL
        CALL FPABSHL            ; HL, DE magnitudes
        LD B,H
        LD C,L
        LD HL,0
        LD A,16
_bit:   ADD HL,HL
        JR C,_big
        EX DE,HL
        ADD HL,HL
        EX DE,HL
        JR NC,_skip
        ADD HL,BC
        JR C,_big
_skip:  DEC A
        JR NZ,_bit
        EX DE,HL
        POP AF
        RLA                     ; carry: a negative product
        JR C,_neg
        BIT 7,D
        JP NZ,FPOVF
        JP FFROMINT
_neg:   BIT 7,D
        JR Z,_negate
        LD A,D                  ; 32768 fits only as a negative
        SUB 80H
        OR E
        JP NZ,FPOVF
_negate:
        XOR A
        SUB E
        LD E,A
        SBC A,A
        SUB D
        LD D,A
        JP FFROMINT
_big:   POP AF
        JP FPOVF

; HL <- |HL|.
FPABSHL:
        BIT 7,H
        RET Z
        XOR A
        SUB L
        LD L,A
        SBC A,A
        SUB H
        LD H,A
        RET

; Truncated quotient in this version.
FDIV:   CALL FPBOTH
        RET C
        LD A,D
        OR E
        JR NZ,_nz
        LD A,11
        SCF
        RET
_nz:    LD HL,(FPARG)
        LD A,H
        XOR D
        PUSH AF
        CALL FPABSHL
        EX DE,HL
        CALL FPABSHL
        EX DE,HL                ; HL dividend, DE divisor
        LD B,H
        LD C,L
        LD HL,0
        LD A,16
_bit:   SLA C
        RL B
        ADC HL,HL
        SBC HL,DE
        JR NC,_one
        ADD HL,DE
        JR _next
_one:   INC C
_next:  DEC A
        JR NZ,_bit
        LD D,B
        LD E,C
        POP AF
        JP P,FFROMINT
        XOR A
        SUB E
        LD E,A
        SBC A,A
        SUB D
        LD D,A
        JP FFROMINT

FPOW:   LD A,5
        SCF
        RET

; A = 0, 1 or FFH as (HL) =, >, < FAC.
FCMP:   PUSH HL
        LD HL,FAC
        LD DE,FPBUF
        LD BC,4
        LDIR
        POP HL
        CALL FPBOTH
        PUSH AF
        PUSH DE
        LD HL,FPBUF
        CALL FLD
        POP DE
        POP AF
        RET C
        LD HL,(FPARG)
        LD A,H
        XOR 80H
        LD H,A
        LD A,D
        XOR 80H
        LD D,A
        OR A
        SBC HL,DE
        LD A,0
        RET Z
        LD A,1
        RET NC
        LD A,0FFH
        OR A
        RET

FNEG:   LD A,(FAC + 3)
        OR A
        RET Z
        XOR 80H
        LD (FAC + 3),A
        OR A
        RET

FABS:   LD HL,FAC + 3
        RES 7,(HL)
        OR A
        RET

FSGN:   LD A,(FAC + 3)
        OR A
        LD DE,0
        JR Z,_set
        INC DE
        RLA
        JR NC,_set
        DEC DE
        DEC DE
_set:   JP FFROMINT

FINT:
FFIX:   OR A
        RET

FSQR:
FSIN:
FCOS:
FTAN:
FATN:
FEXP:
FLOG:   LD A,5
        SCF
        RET

FRND:   LD DE,0
        JP FFROMINT

; FAC <- the number at HL (digits only here); HL past it.
FIN:    LD DE,0
_digit: LD A,(HL)
        SUB '0'
        JR C,_end
        CP 10
        JR NC,_end
        INC HL
        PUSH HL
        LD H,D
        LD L,E
        ADD HL,HL
        ADD HL,HL
        ADD HL,DE
        ADD HL,HL
        LD E,A
        LD D,0
        ADD HL,DE
        EX DE,HL
        POP HL
        BIT 7,D
        JR Z,_digit
        LD A,6
        SCF
        RET
_end:   PUSH HL
        CALL FFROMINT
        POP HL
        RET

; HL <- the text of FAC (" 12", "-3").
FOUT:   PUSH IX
        CALL FTOINT
        LD HL,FPBUF
        LD (HL),' '
        BIT 7,D
        JR Z,_pos
        LD (HL),'-'
        XOR A
        SUB E
        LD E,A
        SBC A,A
        SUB D
        LD D,A
_pos:   INC HL
        EX DE,HL
        LD B,0
        LD A,5
        LD IX,FPPOW10
_place: PUSH AF
        LD C,(IX)
        LD A,(IX + 1)
        PUSH DE
        LD D,A
        LD E,C
        LD A,'0' - 1
_count: INC A
        OR A
        SBC HL,DE
        JR NC,_count
        ADD HL,DE
        POP DE
        INC IX
        INC IX
        LD C,A
        POP AF
        PUSH AF
        DEC A
        JR Z,_put               ; the last digit always
        LD A,C
        CP '0'
        JR NZ,_put
        INC B
        DEC B
        JR Z,_skip
_put:   LD A,C
        LD (DE),A
        INC DE
        INC B
_skip:  POP AF
        DEC A
        JR NZ,_place
        XOR A
        LD (DE),A
        LD HL,FPBUF
        POP IX
        RET
FPPOW10:
        DW 10000,1000,100,10,1
