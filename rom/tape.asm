; Tape: SAVE and LOAD through the cassette data port.
;
; A record on tape:
;   leader   16 bytes of 55H
;   sync     C3H 3CH
;   header   type (01H: memory block, 02H: BASIC program text), name (8
;            characters, space padded),
;            start address, length (each low byte first), and a check byte
;            that makes the header's 14 bytes sum to 0
;   data     length bytes
;   sum      16-bit sum of the data bytes, low byte first
;
; SAVE appends a record. LOAD reads the tape from where it stands, finds
; the leader and sync, and skips records of other names by their length.
; The tape reads FFH once when it is chosen and once at its end, then
; starts over; neither can be mistaken for a leader or sync byte. Between
; records LOAD counts the FFH it meets: at the second the whole tape has
; passed, and the name is not there.

LEADER    EQU 55H
LEADLEN   EQU 16
LEADMIN   EQU 4                 ; leader bytes needed before a sync
SYNC1     EQU 0C3H
SYNC2     EQU 3CH
T_MEMORY  EQU 01H
T_TEXT    EQU 02H               ; BASIC's program as text: its lines, each
                                ; ended by 0DH, then 1AH
HDRLEN    EQU 14                ; with its check byte
H_TYPE    EQU 0
H_NAME    EQU 1
H_START   EQU 9
H_LENGTH  EQU 11
H_CHECK   EQU 13
L_ANYNAME EQU 01H               ; TAPEANY bits
L_ADDRESS EQU 02H
L_PROGRAM EQU 04H               ; BASIC's LOAD: PROGPLACE says where, and a
                                ; text record will do too
L_MERGE   EQU 08H               ; BASIC's MERGE: the program stays

; Reads an optional name into TAPENAME (space padded); Z if there was none.
GETNAME:
        CALL GETWORD
        PUSH AF
        LD HL,TAPENAME
        LD B,8
_blank: LD (HL),' '
        INC HL
        DJNZ _blank
        POP AF
        RET Z
        LD HL,WORDBUF
        LD DE,TAPENAME
_copy:  LD A,(HL)
        OR A
        JR Z,_done
        LD (DE),A
        INC HL
        INC DE
        JR _copy
_done:  OR 1
        RET

; Prints the 8 characters at HL.
PNAME:  PUSH BC
        PUSH HL
        LD B,8
_char:  LD A,(HL)
        CALL PUTCH
        INC HL
        DJNZ _char
        POP HL
        POP BC
        RET

; Prints " aaaa-bbbb" for the block in TAPEHDR.
PBLOCK: CALL PSPACE
        LD HL,(TAPEHDR + H_START)
        CALL PHEX4
        LD A,'-'
        CALL PUTCH
        LD DE,(TAPEHDR + H_LENGTH)
        ADD HL,DE
        DEC HL
        JP PHEX4

; SAVE a b [name]: writes a record of memory a to b.
CMDSAVE:
        CALL NEEDHEX
        PUSH HL
        CALL NEEDHEX
        EX DE,HL
        POP HL
        CALL CHKORDER
        LD (TAPEHDR + H_START),HL
        EX DE,HL
        OR A
        SBC HL,DE
        INC HL
        LD A,H
        OR L
        JP Z,ERRVALUE           ; all 64 KB: the length does not fit
        LD (TAPEHDR + H_LENGTH),HL
        CALL GETNAME
        CALL ENDCHK
        LD A,T_MEMORY
; Writes the record of type A of TAPEHDR's block named TAPENAME (BASIC's
; SAVE too).
TAPESAVE:
        CALL TAPEHEAD
        RET NZ
        LD HL,(TAPEHDR + H_START)
        LD BC,(TAPEHDR + H_LENGTH)
_data:  LD A,(HL)
        CALL TAPEOUT
        INC HL
        DEC BC
        LD A,B
        OR C
        JR NZ,_data
; Ends the record with its sum and says what was saved.
TAPEEND:
        LD HL,(TAPESUM)
        LD A,L
        OUT (P_TAPE),A
        LD A,H
        OUT (P_TAPE),A
        CALL PRINTI
        DB "Saved ",0
        LD HL,TAPENAME
        CALL PNAME
        JP PBLOCK

; Writes the leader and the header of a record of type A named TAPENAME,
; of TAPEHDR's block, and starts its sum: Z. NZ, and a message, when no
; tape is chosen.
TAPEHEAD:
        LD (TAPEHDR + H_TYPE),A
        IN A,(P_TAPEST)
        OR A
        JR NZ,_tape
        CALL PRINTI
        DB "?No tape chosen",0
        OR 1
        RET
_tape:  LD HL,TAPENAME
        LD DE,TAPEHDR + H_NAME
        LD BC,8
        LDIR
        LD HL,TAPEHDR           ; check byte
        LD B,HDRLEN - 1
        XOR A
_sum:   ADD A,(HL)
        INC HL
        DJNZ _sum
        NEG
        LD (HL),A
        LD B,LEADLEN
_lead:  LD A,LEADER
        OUT (P_TAPE),A
        DJNZ _lead
        LD A,SYNC1
        OUT (P_TAPE),A
        LD A,SYNC2
        OUT (P_TAPE),A
        LD HL,TAPEHDR
        LD B,HDRLEN
_hdr:   LD A,(HL)
        OUT (P_TAPE),A
        INC HL
        DJNZ _hdr
        LD H,B
        LD L,B
        LD (TAPESUM),HL
        XOR A
        RET

; Writes A as a data byte of the record, adding it to its sum. Keeps BC,
; DE, HL.
TAPEOUT:
        OUT (P_TAPE),A
; Adds A to the record's sum. Keeps BC, DE, HL.
TAPEADD:
        PUSH HL
        LD HL,(TAPESUM)
        ADD A,L
        LD L,A
        JR NC,_nc
        INC H
_nc:    LD (TAPESUM),HL
        POP HL
        RET

; LOAD [name|*] [a]: loads the first record of that name (any name without
; one, or with *), to a or where it was saved from. STOP or ESC breaks off.
CMDLOAD:
        CALL GETNAME
        LD C,L_ANYNAME
        JR Z,_addr
        LD HL,TAPENAME
        LD A,(HL)
        CP '*'
        JR NZ,_named
        INC HL
        LD A,(HL)
        CP ' '
        JR Z,_addr
_named: LD C,0
_addr:  CALL GETHEX
        JR C,_noaddr
        LD (TAPEDEST),HL
        SET 1,C
_noaddr:
        LD A,C
        LD (TAPEANY),A
        CALL ENDCHK
; Loads the record TAPEANY and TAPENAME ask for (to TAPEDEST if TAPEANY
; says so); Z once it has loaded.
TAPELOAD:
        CALL TAPESEEK
; Loads the data of the memory record TAPESEEK found, as TAPELOAD does.
TAPEREAD:
        LD A,(TAPEANY)
        AND L_ADDRESS
        JR Z,_where
        LD HL,(TAPEDEST)
        LD (TAPEHDR + H_START),HL
_where: LD HL,(TAPEHDR + H_START)   ; must end below the work area
        LD DE,(TAPEHDR + H_LENGTH)
        LD A,D
        OR E
        JR Z,_nofit             ; (a length of 0 would be all 64 KB)
        ADD HL,DE
        JR C,_nofit
        LD DE,WORK + 1
        SBC HL,DE
        JR NC,_nofit
        CALL TAPESHOW
        LD HL,(TAPEHDR + H_START)
        LD BC,(TAPEHDR + H_LENGTH)
        LD A,(TAPEANY)
        AND L_PROGRAM
        CALL NZ,PROGPLACE
_data:  CALL TAPEBYTE
        LD (HL),A
        INC HL
        DEC BC
        LD A,B
        OR C
        JR NZ,_data
        JR TAPECHECK
_nofit: CALL PRINTI
        DB "?Does not fit below F000",0
        OR 1
        RET

; Reads the record's sum and checks the data read against it: Z and
; "Loaded", or NZ and "?Checksum error".
TAPECHECK:
        LD HL,(TAPESUM)
        CALL TAPEIN
        CP L
        JR NZ,_bad
        CALL TAPEIN
        CP H
        JR NZ,_bad
        CALL PRINTI
        DB "Loaded",0
        XOR A
        RET
_bad:   CALL PRINTI
        DB "?Checksum error",0
        OR 1
        RET

; "Loading", the record's name and its block.
TAPESHOW:
        CALL PRINTI
        DB "Loading ",0
        LD HL,TAPEHDR + H_NAME
        CALL PNAME
        CALL PBLOCK
        JP CRLF

; A = the record's next data byte, added to its sum. Keeps BC, DE, HL.
TAPEBYTE:
        CALL TAPEIN
        PUSH AF
        CALL TAPEADD
        POP AF
        RET

; Finds the record TAPEANY and TAPENAME ask for: its header in TAPEHDR,
; the tape at its data, its sum begun.
TAPESEEK:
        CALL PRINTI
        DB "Searching",0DH,0
        XOR A
        LD (TAPEFF),A
_seek:  CALL FINDSYNC
        LD HL,TAPEHDR
        LD B,HDRLEN
        LD C,0
_hdr:   CALL TAPEIN
        LD (HL),A
        ADD A,C
        LD C,A
        INC HL
        DJNZ _hdr
        LD A,C
        OR A
        JR NZ,_seek             ; a damaged header: look for the next
        LD A,(TAPEHDR + H_TYPE)
        CP T_MEMORY
        JR Z,_type
        CP T_TEXT
        JR NZ,_skip
        LD A,(TAPEANY)
        AND L_PROGRAM
        JR Z,_skip
_type:  LD A,(TAPEANY)
        AND L_ANYNAME
        JR NZ,_found
        LD HL,TAPENAME
        LD DE,TAPEHDR + H_NAME
        LD B,8
_name:  LD A,(DE)
        CP (HL)
        JR NZ,_other
        INC HL
        INC DE
        DJNZ _name
        JR _found
_other: CALL PRINTI
        DB "Skipping ",0
        LD HL,TAPEHDR + H_NAME
        CALL PNAME
        CALL CRLF
_skip:  LD BC,(TAPEHDR + H_LENGTH)
        INC BC                  ; and the sum
        INC BC
_pass:  CALL TAPEIN
        DEC BC
        LD A,B
        OR C
        JR NZ,_pass
        JR _seek
_found: LD HL,0
        LD (TAPESUM),HL
        RET

; Reads the tape until a leader and sync have passed. Gives up at the
; second FFH (the tape has gone round) or on STOP or ESC.
FINDSYNC:
        LD C,0                  ; leader bytes in a row
_byte:  CALL TAPEIN
_look:  CP 0FFH
        JR Z,_ff
        CP LEADER
        JR NZ,_sync
        INC C
        JR NZ,_byte
        DEC C                   ; stays at 255
        JR _byte
_sync:  CP SYNC1
        JR NZ,FINDSYNC
        LD A,C
        CP LEADMIN
        JR C,FINDSYNC
        CALL TAPEIN
        CP SYNC2
        RET Z
        LD C,0
        JR _look
_ff:    LD HL,TAPEFF
        INC (HL)
        LD A,(HL)
        CP 2
        JR C,FINDSYNC
        CALL PRINTI
        DB "?Not found",0
        JP WARM

; A = the next tape byte; STOP or ESC abandons the command.
TAPEIN: CALL BREAKCHK
        JP NZ,ERRBREAK
        IN A,(P_TAPE)
        RET
