; Keyboard: the tick interrupt scans the ten matrix rows, turns a newly held
; key into a character code and queues it; a key held on repeats. While the
; queue is (nearly) full only STOP's row is read, so the other keys stay
; held in the matrix until there is room and none is lost; the keys of
; STOP's own row take the places kept for them.
;
; Key codes besides printable ASCII:
K_STOP    EQU 03H               ; STOP (END on the host)
K_BS      EQU 08H
K_HOME    EQU 0BH
K_CLR     EQU 0CH               ; SHIFT+HOME
K_CR      EQU 0DH
K_ESC     EQU 1BH
K_RIGHT   EQU 1CH
K_LEFT    EQU 1DH               ; SHIFT+RIGHT: how the host's left arrow arrives
K_UP      EQU 1EH
K_DOWN    EQU 1FH               ; SHIFT+UP: how the host's down arrow arrives
K_DEL     EQU 7FH
K_F1      EQU 81H               ; F1-F5: 81H-85H (F1 is the host's TAB too)

KEYROWS   EQU 10
MODMASK   EQU 0F0H              ; row 8: GRPH, KANA, SHIFT, CTRL give no key
MOD_SHIFT EQU 40H
MOD_CTRL  EQU 80H
RPTDELAY  EQU 250               ; ticks before a held key repeats (0.5 s)
RPTRATE   EQU 25                ; ticks between repeats
KEYWARM   EQU 16                ; scans at every tick after a key is let go
KEYSPARE  EQU 4                 ; queue places kept for STOP's row

; Scans the matrix (from the tick interrupt). A key that went down since the
; last scan is queued; if none did, the key held longest repeats. Changes
; every register.
KSCAN:  LD A,(KHEAD)
        LD HL,KTAIL
        SUB (HL)
        AND 0FH
        CP 15 - KEYSPARE
        JP NC,_full
        LD A,(KEYIDLE)          ; nothing held at the last scan, the common
        OR A                    ; case: a glance at every row first
        JR Z,_scan
        IN A,(P_KEYROW0)
        LD D,A
        IN A,(P_KEYROW0 + 1)
        AND D
        LD D,A
        IN A,(P_KEYROW0 + 2)
        AND D
        LD D,A
        IN A,(P_KEYROW0 + 3)
        AND D
        LD D,A
        IN A,(P_KEYROW0 + 4)
        AND D
        LD D,A
        IN A,(P_KEYROW0 + 5)
        AND D
        LD D,A
        IN A,(P_KEYROW0 + 6)
        AND D
        LD D,A
        IN A,(P_KEYROW0 + 7)
        AND D
        LD D,A
        IN A,(P_KEYROW0 + 8)
        AND D
        LD D,A
        IN A,(P_KEYROW0 + 9)
        AND D
        INC A
        JR NZ,_scan
        LD HL,KEYHOT            ; still nothing: a tick nearer the slow pace
        CP (HL)
        RET Z
        DEC (HL)
        RET
_scan:  LD HL,KEYNEW
        LD C,P_KEYROW0
        LD B,KEYROWS
        LD D,0                  ; D: every row's keys together
_read:  IN A,(C)
        CPL
        LD (HL),A
        OR D
        LD D,A
        INC HL
        INC C
        DJNZ _read
        OR A                    ; nothing held at all, the common case:
        JR NZ,_held             ; forget them all and stop repeating, once
        LD HL,KEYIDLE
        CP (HL)
        RET NZ
        INC (HL)
        LD (KEYMODS),A
        LD HL,KEYOLD
        LD B,KEYROWS
_none:  LD (HL),A
        INC HL
        DJNZ _none
        DEC A
        LD (RPTPOS),A
        RET
_held:  XOR A
        LD (KEYIDLE),A
        LD A,KEYWARM
        LD (KEYHOT),A
        LD HL,KEYNEW + 8
        LD A,(HL)
        LD (KEYMODS),A
        AND NOT MODMASK
        LD (HL),A
        ; forget released keys, then look for one that is newly held
_look:  LD HL,KEYNEW
        LD DE,KEYOLD
        LD B,KEYROWS
_forget:
        LD A,(DE)
        AND (HL)
        LD (DE),A
        INC HL
        INC DE
        DJNZ _forget
        LD HL,KEYNEW
        LD DE,KEYOLD
        LD C,0
_find:  LD A,(DE)
        CPL
        AND (HL)
        JR NZ,_new
        INC HL
        INC DE
        INC C
        LD A,C
        CP KEYROWS
        JR NZ,_find
        ; nothing new: repeat the held key
        LD A,(RPTPOS)
        CP 0FFH
        RET Z
        CALL KEYHELD
        JR Z,_norpt
        LD HL,RPTCNT
        DEC (HL)
        RET NZ
        LD (HL),RPTRATE
        LD A,(RPTPOS)
        JR KEYPUT
_norpt: LD A,0FFH
        LD (RPTPOS),A
        RET
        ; (nearly) full: STOP's row alone is read, so that the keys of the
        ; other rows stay in the matrix until there is room; that row's other
        ; keys (SPACE, TAB, ESC, F1-F5), which its reads let go by, take the
        ; places kept for them, and STOP the newest key's place at worst
_full:  LD HL,KEYOLD
        LD DE,KEYNEW
        LD BC,KEYROWS - 1
        LDIR                    ; the other rows as last seen
        IN A,(P_KEYROW0 + 9)
        CPL
        LD (DE),A
        LD A,0FFH               ; no repeat: its key may be gone
        LD (RPTPOS),A
        JR _look
        ; A = the new keys of row C, DE -> that row's old state
_new:   LD B,0
        LD L,1
_bit:   RRCA
        JR C,_got
        INC B
        SLA L
        JR _bit
_got:   LD A,(DE)               ; only this key counts as seen; other new keys
        OR L                    ; of the same scan come at the next one
        LD (DE),A
        LD A,C
        ADD A,A
        ADD A,A
        ADD A,A
        OR B
        LD (RPTPOS),A
        LD HL,RPTCNT
        LD (HL),RPTDELAY
        ; fall into KEYPUT

; Queues the code of matrix position A (row * 8 + bit) as SHIFT and CTRL
; make it. Full queue: the key is dropped, but STOP takes the newest key's
; place, so a busy program can always be stopped.
KEYPUT: LD E,A
        LD D,0
        LD HL,KEYTAB
        LD A,(KEYMODS)
        AND MOD_SHIFT
        JR Z,_plain
        LD HL,KEYTABS
_plain: ADD HL,DE
        LD A,(HL)
        OR A
        RET Z
        LD C,A
        LD A,(KEYMODS)
        AND MOD_CTRL
        LD A,C
        JR Z,_queue
        CP 40H                  ; CTRL with @, letters, [ \ ] ^ _ gives 00-1F
        JR C,_queue
        CP 80H
        JR NC,_queue
        AND 1FH
_queue: LD C,A
        LD HL,KHEAD
        LD A,(HL)
        INC A
        AND 0FH
        LD HL,KTAIL
        CP (HL)
        JR Z,_whole
        LD HL,KHEAD
        LD E,(HL)
        LD (HL),A
        LD D,0
        LD HL,KBUF
        ADD HL,DE
        LD (HL),C
        RET
_whole: LD A,C
        CP K_STOP
        RET NZ
        LD A,(KHEAD)
        DEC A
        AND 0FH
        LD E,A
        LD D,0
        LD HL,KBUF
        ADD HL,DE
        LD (HL),C
        RET

; Z if matrix position A is not held in KEYNEW.
KEYHELD:
        LD C,A
        RRCA
        RRCA
        RRCA
        AND 1FH                 ; row
        LD E,A
        LD D,0
        LD HL,KEYNEW
        ADD HL,DE
        LD A,C
        AND 7
        INC A
        LD B,A                  ; bit number + 1
        LD A,(HL)
_shift: DEC B
        JR Z,_bit0
        RRCA
        JR _shift
_bit0:  AND 1
        RET

; NZ and the key in A if one is queued (taken from the queue); Z if none.
KEYCHK: PUSH HL
        PUSH DE
        LD HL,KTAIL
        LD A,(KHEAD)
        CP (HL)
        JR Z,_none
        LD E,(HL)
        LD A,E
        INC A
        AND 0FH
        LD (HL),A
        LD D,0
        LD HL,KBUF
        ADD HL,DE
        LD A,(HL)
        OR A                    ; codes are never 0, so NZ
_none:  POP DE
        POP HL
        RET

; Waits for a key; its code in A.
GETKEY: CALL KEYCHK
        RET NZ
        CALL WAITTICK           ; until the next scan
        JR GETKEY

; Empties the key queue.
KEYFLUSH:
        CALL KEYCHK
        JR NZ,KEYFLUSH
        RET

; NZ if STOP or ESC waits in the queue (it is then emptied); other keys
; stay queued, typed ahead for the next line. For long output.
BREAKCHK:
        PUSH BC
        LD C,K_ESC
        JR BREAKANY
; The same for STOP alone (BASIC: a program may want ESC).
BREAKNOW:
        PUSH BC
        LD C,K_STOP
BREAKANY:
        LD A,(KHEAD)
        LD B,A
        LD A,(KTAIL)
        CP B
        JR Z,_none
        PUSH DE
        PUSH HL
_look:  LD E,A
        LD D,0
        LD HL,KBUF
        ADD HL,DE
        LD A,(HL)
        CP K_STOP
        JR Z,_brk
        CP C
        JR Z,_brk
        LD A,E
        INC A
        AND 0FH
        CP B
        JR NZ,_look
        POP HL
        POP DE
_none:  POP BC
        XOR A
        RET
_brk:   CALL KEYFLUSH
        POP HL
        POP DE
        POP BC
        OR 1
        RET

; Codes by matrix position, row by row (bit 0 first), then with SHIFT.
KEYTAB: DB '0','1','2','3','4','5','6','7'                  ; row 0: keypad
        DB '8','9','*','+','/','-',K_DEL,K_CR               ; row 1
        DB '`','A','B','C','D','E','F','G'                  ; row 2
        DB 'H','I','J','K','L','M','N','O'                  ; row 3
        DB 'P','Q','R','S','T','U','V','W'                  ; row 4
        DB 'X','Y','Z','[','\',']',27H,'-'                 ; row 5
        DB '0','1','2','3','4','5','6','7'                  ; row 6
        DB '8','9',';','=',',','.','/','\'                 ; row 7
        DB K_HOME,K_UP,K_RIGHT,K_BS,0,0,0,0                 ; row 8
        DB K_STOP,K_F1,K_F1+1,K_F1+2,K_F1+3,K_F1+4,' ',K_ESC ; row 9
KEYTABS:
        DB '0','1','2','3','4','5','6','7'
        DB '8','9','*','+','/','-',K_DEL,K_CR
        DB '~','a','b','c','d','e','f','g'
        DB 'h','i','j','k','l','m','n','o'
        DB 'p','q','r','s','t','u','v','w'
        DB 'x','y','z','{','|','}','"','_'
        DB ')','!','@','#','$','%','^','&'
        DB '*','(',':','+','<','>','?','|'
        DB K_CLR,K_DOWN,K_LEFT,K_BS,0,0,0,0
        DB K_STOP,K_F1,K_F1+1,K_F1+2,K_F1+3,K_F1+4,' ',K_ESC
