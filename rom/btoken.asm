; Tokens: the keywords, their numbers and the statement and function
; tables.

T_END     EQU 080H
T_FOR     EQU 081H
T_NEXT    EQU 082H
T_DATA    EQU 083H
T_INPUT   EQU 084H
T_DIM     EQU 085H
T_READ    EQU 086H
T_LET     EQU 087H
T_GOTO    EQU 088H
T_RUN     EQU 089H
T_IF      EQU 08AH
T_RESTORE EQU 08BH
T_GOSUB   EQU 08CH
T_RETURN  EQU 08DH
T_REM     EQU 08EH
T_STOP    EQU 08FH
T_ON      EQU 090H
T_PRINT   EQU 091H
T_LIST    EQU 092H
T_CLEAR   EQU 093H
T_NEW     EQU 094H
T_CONT    EQU 095H
T_POKE    EQU 096H
T_OUT     EQU 097H
T_WAIT    EQU 098H
T_CALL    EQU 099H
T_DEF     EQU 09AH
T_SWAP    EQU 09BH
T_RANDOMIZE EQU 09CH
T_CLS     EQU 09DH
T_LOCATE  EQU 09EH
T_COLOR   EQU 09FH
T_WIDTH   EQU 0A0H
T_BEEP    EQU 0A1H
T_SOUND   EQU 0A2H
T_PSET    EQU 0A3H
T_PRESET  EQU 0A4H
T_LINE    EQU 0A5H
T_SAVE    EQU 0A6H
T_LOAD    EQU 0A7H
T_BSAVE   EQU 0A8H
T_BLOAD   EQU 0A9H
T_MON     EQU 0AAH
T_DELETE  EQU 0ABH
T_RENUM   EQU 0ACH
T_AUTO    EQU 0ADH
T_APOS    EQU 0AEH
T_ATTR    EQU 0AFH
T_GLYPH   EQU 0B0H
T_EDIT    EQU 0B1H
T_ELSE    EQU 0B2H
T_TAB     EQU 0B3H
T_TO      EQU 0B4H
T_FN      EQU 0B5H
T_SPC     EQU 0B6H
T_THEN    EQU 0B7H
T_NOT     EQU 0B8H
T_STEP    EQU 0B9H
T_AND     EQU 0BAH
T_OR      EQU 0BBH
T_XOR     EQU 0BCH
T_MOD     EQU 0BDH
T_SGN     EQU 0BEH
T_INT     EQU 0BFH
T_ABS     EQU 0C0H
T_SQR     EQU 0C1H
T_LOG     EQU 0C2H
T_EXP     EQU 0C3H
T_COS     EQU 0C4H
T_SIN     EQU 0C5H
T_TAN     EQU 0C6H
T_ATN     EQU 0C7H
T_RND     EQU 0C8H
T_FIX     EQU 0C9H
T_USR     EQU 0CAH
T_FRE     EQU 0CBH
T_INP     EQU 0CCH
T_POS     EQU 0CDH
T_PEEK    EQU 0CEH
T_LEN     EQU 0CFH
T_STRS    EQU 0D0H
T_VAL     EQU 0D1H
T_ASC     EQU 0D2H
T_CHRS    EQU 0D3H
T_HEXS    EQU 0D4H
T_SPACES  EQU 0D5H
T_PEN     EQU 0D6H
T_INKEYS  EQU 0D7H
T_TIMES   EQU 0D8H
T_POINT   EQU 0D9H
T_LEFTS   EQU 0DAH
T_RIGHTS  EQU 0DBH
T_MIDS    EQU 0DCH
T_INSTR   EQU 0DDH
T_STRINGS EQU 0DEH
NSTMT     EQU 50
T_FIRSTFN EQU T_SGN
T_NUMFN   EQU T_USR              ; SGN..FIX: a number in, a number out

; ---------------------------------------------------------------- keywords
; Each keyword's last character has bit 7 set; its token is 80H and its
; place in the list. Where one keyword begins another, the longer comes
; first. The statements come first, in the order of STMTTAB; the functions
; last, in the order of FUNCTAB.
KEYWORDS:
        DB 'E','N','D' + 80H
        DB 'F','O','R' + 80H
        DB 'N','E','X','T' + 80H
        DB 'D','A','T','A' + 80H
        DB 'I','N','P','U','T' + 80H
        DB 'D','I','M' + 80H
        DB 'R','E','A','D' + 80H
        DB 'L','E','T' + 80H
        DB 'G','O','T','O' + 80H
        DB 'R','U','N' + 80H
        DB 'I','F' + 80H
        DB 'R','E','S','T','O','R','E' + 80H
        DB 'G','O','S','U','B' + 80H
        DB 'R','E','T','U','R','N' + 80H
        DB 'R','E','M' + 80H
        DB 'S','T','O','P' + 80H
        DB 'O','N' + 80H
        DB 'P','R','I','N','T' + 80H
        DB 'L','I','S','T' + 80H
        DB 'C','L','E','A','R' + 80H
        DB 'N','E','W' + 80H
        DB 'C','O','N','T' + 80H
        DB 'P','O','K','E' + 80H
        DB 'O','U','T' + 80H
        DB 'W','A','I','T' + 80H
        DB 'C','A','L','L' + 80H
        DB 'D','E','F' + 80H
        DB 'S','W','A','P' + 80H
        DB 'R','A','N','D','O','M','I','Z','E' + 80H
        DB 'C','L','S' + 80H
        DB 'L','O','C','A','T','E' + 80H
        DB 'C','O','L','O','R' + 80H
        DB 'W','I','D','T','H' + 80H
        DB 'B','E','E','P' + 80H
        DB 'S','O','U','N','D' + 80H
        DB 'P','S','E','T' + 80H
        DB 'P','R','E','S','E','T' + 80H
        DB 'L','I','N','E' + 80H
        DB 'S','A','V','E' + 80H
        DB 'L','O','A','D' + 80H
        DB 'B','S','A','V','E' + 80H
        DB 'B','L','O','A','D' + 80H
        DB 'M','O','N' + 80H
        DB 'D','E','L','E','T','E' + 80H
        DB 'R','E','N','U','M' + 80H
        DB 'A','U','T','O' + 80H
        DB 27H + 80H
        DB 'A','T','T','R' + 80H
        DB 'G','L','Y','P','H' + 80H
        DB 'E','D','I','T' + 80H
        DB 'E','L','S','E' + 80H
        DB 'T','A','B','(' + 80H
        DB 'T','O' + 80H
        DB 'F','N' + 80H
        DB 'S','P','C','(' + 80H
        DB 'T','H','E','N' + 80H
        DB 'N','O','T' + 80H
        DB 'S','T','E','P' + 80H
        DB 'A','N','D' + 80H
        DB 'O','R' + 80H
        DB 'X','O','R' + 80H
        DB 'M','O','D' + 80H
        DB 'S','G','N' + 80H
        DB 'I','N','T' + 80H
        DB 'A','B','S' + 80H
        DB 'S','Q','R' + 80H
        DB 'L','O','G' + 80H
        DB 'E','X','P' + 80H
        DB 'C','O','S' + 80H
        DB 'S','I','N' + 80H
        DB 'T','A','N' + 80H
        DB 'A','T','N' + 80H
        DB 'R','N','D' + 80H
        DB 'F','I','X' + 80H
        DB 'U','S','R' + 80H
        DB 'F','R','E' + 80H
        DB 'I','N','P' + 80H
        DB 'P','O','S' + 80H
        DB 'P','E','E','K' + 80H
        DB 'L','E','N' + 80H
        DB 'S','T','R','$' + 80H
        DB 'V','A','L' + 80H
        DB 'A','S','C' + 80H
        DB 'C','H','R','$' + 80H
        DB 'H','E','X','$' + 80H
        DB 'S','P','A','C','E','$' + 80H
        DB 'P','E','N' + 80H
        DB 'I','N','K','E','Y','$' + 80H
        DB 'T','I','M','E','$' + 80H
        DB 'P','O','I','N','T' + 80H
        DB 'L','E','F','T','$' + 80H
        DB 'R','I','G','H','T','$' + 80H
        DB 'M','I','D','$' + 80H
        DB 'I','N','S','T','R' + 80H
        DB 'S','T','R','I','N','G','$' + 80H
        DB 0

STMTTAB:
        DW S_END
        DW S_FOR
        DW S_NEXT
        DW S_DATA
        DW S_INPUT
        DW S_DIM
        DW S_READ
        DW S_LET
        DW S_GOTO
        DW S_RUN
        DW S_IF
        DW S_RESTORE
        DW S_GOSUB
        DW S_RETURN
        DW S_REM
        DW S_STOP
        DW S_ON
        DW S_PRINT
        DW S_LIST
        DW S_CLEAR
        DW S_NEW
        DW S_CONT
        DW S_POKE
        DW S_OUT
        DW S_WAIT
        DW S_CALL
        DW S_DEF
        DW S_SWAP
        DW S_RANDOMIZE
        DW S_CLS
        DW S_LOCATE
        DW S_COLOR
        DW S_WIDTH
        DW S_BEEP
        DW S_SOUND
        DW S_PSET
        DW S_PRESET
        DW S_LINE
        DW S_SAVE
        DW S_LOAD
        DW S_BSAVE
        DW S_BLOAD
        DW S_MON
        DW S_DELETE
        DW S_RENUM
        DW S_AUTO
        DW S_APOS
        DW S_ATTR
        DW S_GLYPH
        DW S_EDIT
FUNCTAB:
        DW FSGN
        DW FINT
        DW FABS
        DW FSQR
        DW FLOG
        DW FEXP
        DW FCOS
        DW FSIN
        DW FTAN
        DW FATN
        DW FRND
        DW FFIX
        DW U_USR
        DW U_FRE
        DW U_INP
        DW U_POS
        DW U_PEEK
        DW U_LEN
        DW U_STRS
        DW U_VAL
        DW U_ASC
        DW U_CHRS
        DW U_HEXS
        DW U_SPACES
        DW U_PEN
        DW U_INKEYS
        DW U_TIMES
        DW U_POINT
        DW U_LEFTS
        DW U_RIGHTS
        DW U_MIDS
        DW U_INSTR
        DW U_STRINGS
