; Memory and port commands: DUMP, SET, FILL, RUN, IN, OUT.

; DUMP a [b]: hex and text of a to b; without b, eight lines. STOP or ESC
; breaks off.
CMDDUMP:
        CALL NEEDHEX
        PUSH HL
        CALL GETHEX
        JR NC,_end
        CALL PERLINE
        ADD A,A
        ADD A,A
        ADD A,A
        DEC A
        POP HL
        PUSH HL
        LD E,A
        LD D,0
        ADD HL,DE
        JR NC,_end
        LD HL,0FFFFH
_end:   CALL ENDCHK
        EX DE,HL                ; DE = last address
        POP HL
        CALL CHKORDER
_line:  CALL BREAKCHK
        JP NZ,ERRBREAK
        CALL PHEX4
        CALL PRINTI
        DB ": ",0
        CALL PERLINE
        LD B,A
        PUSH HL
_hex:   LD A,(HL)
        CALL PHEX2
        CALL PSPACE
        INC HL
        DJNZ _hex
        POP HL
        CALL PERLINE
        LD B,A
_text:  LD A,(HL)
        CP ' '
        JR C,_dot
        CP 7FH
        JR C,_show
_dot:   LD A,'.'
_show:  CALL PUTCH
        INC HL
        DJNZ _text
        CALL CRLF
        ; done once this line reached DE, or ran past FFFF
        LD A,H
        OR L
        RET Z
        DEC HL
        LD A,D
        CP H
        JR NZ,_cmp
        LD A,E
        CP L
_cmp:   INC HL
        RET C                   ; DE < last address shown
        RET Z
        JR _line

; A = bytes per DUMP line: 16 in 80 columns, 8 in 40.
PERLINE:
        LD A,(COLS)
        CP 80
        LD A,16
        RET Z
        LD A,8
        RET

; Bad value unless HL <= DE.
CHKORDER:
        PUSH HL
        PUSH DE
        EX DE,HL
        OR A
        SBC HL,DE
        POP DE
        POP HL
        RET NC
        JP ERRVALUE

; SET a x..: stores the bytes from a on.
CMDSET: CALL NEEDHEX
        EX DE,HL
        CALL NEEDBYTE
_store: LD (DE),A
        INC DE
        CALL GETHEX
        JP C,ENDCHK
        LD A,H
        OR A
        JP NZ,ERRVALUE
        LD A,L
        JR _store

; FILL a b x: stores x from a to b.
CMDFILL:
        CALL NEEDHEX
        PUSH HL
        CALL NEEDHEX
        EX DE,HL
        CALL NEEDBYTE
        LD C,A
        CALL ENDCHK
        POP HL
        CALL CHKORDER
_fill:  LD (HL),C
        LD A,H
        CP D
        JR NZ,_next
        LD A,L
        CP E
        RET Z
_next:  INC HL
        JR _fill

; RUN a: calls a; a RET comes back to the prompt.
CMDRUN: CALL NEEDHEX
        CALL ENDCHK
        JP (HL)

; IN p: shows the byte read from port p.
CMDIN:  CALL NEEDBYTE
        LD C,A
        CALL ENDCHK
        IN A,(C)
        JP PHEX2

; OUT p x: writes x to port p.
CMDOUT: CALL NEEDBYTE
        LD C,A
        CALL NEEDBYTE
        LD B,A
        CALL ENDCHK
        LD A,B
        OUT (C),A
        RET
