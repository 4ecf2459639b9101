; Tokens: the keywords, their numbers and the statement and function
; tables, all from one list.
;
; KEYWORDLIST names each keyword once: its token's name, its text but the
; last character, that character, and for a statement or a function the
; routine that runs it. Tokens count from 80H in the list's order. The list
; is expanded twice: into the names and the keyword texts (each keyword's
; last character with bit 7 set), then into the routines' addresses, so a
; keyword's token, its text and its routine cannot fall out of step. The
; statements come first (STMTTAB: token - 80H), then the keywords that
; only other statements read, then the functions (FUNCTAB: token -
; T_FIRSTFN); the assembly stops when a line breaks that order. Where one
; keyword begins another, the longer comes first, as KEYWORD takes the
; first that matches.

KWTOKEN DEFL 80H                ; the next keyword's token
KWPASS  DEFL 0                  ; 0: names and texts, 1: routines
KWGROUP DEFL 0                  ; 0 statements, 1 others, 2 functions

KW      MACRO tok, head, last, routine
        IF KWPASS = 0
tok     EQU KWTOKEN
KWTOKEN DEFL KWTOKEN + 1
        IF NUL head
        DB last + 80H
        ELSE
        DB head, last + 80H
        ENDIF
        IF NUL routine
        IF KWGROUP != 1
        .ERROR A statement or a function needs its routine
        ENDIF
        ELSE
        IF KWGROUP = 1
        .ERROR A keyword between the statements and the functions has no routine
        ENDIF
        ENDIF
        ELSE
        IF NUL routine
        ELSE
        DW routine
        ENDIF
        ENDIF
        ENDM

; The statements end here.
KWOTHERS MACRO
        IF KWPASS = 0
NSTMT   EQU KWTOKEN - 80H
KWGROUP DEFL 1
        ENDIF
        ENDM

; The functions start here.
KWFUNCTIONS MACRO
        IF KWPASS = 0
T_FIRSTFN EQU KWTOKEN
KWGROUP DEFL 2
        ELSE
FUNCTAB EQU $
        ENDIF
        ENDM

KEYWORDLIST MACRO
        KW T_END,      "EN",      'D', S_END
        KW T_FOR,      "FO",      'R', S_FOR
        KW T_NEXT,     "NEX",     'T', S_NEXT
        KW T_DATA,     "DAT",     'A', S_DATA
        ; INPUT$ is a function, here to come before INPUT
        KW T_INPUTS,   "INPUT",   '$', SNERR
        KW T_INPUT,    "INPU",    'T', S_INPUT
        KW T_DIM,      "DI",      'M', S_DIM
        KW T_READ,     "REA",     'D', S_READ
        KW T_LET,      "LE",      'T', S_LET
        KW T_GOTO,     "GOT",     'O', S_GOTO
        KW T_RUN,      "RU",      'N', S_RUN
        KW T_IF,       "I",       'F', S_IF
        KW T_RESTORE,  "RESTOR",  'E', S_RESTORE
        KW T_GOSUB,    "GOSU",    'B', S_GOSUB
        KW T_RETURN,   "RETUR",   'N', S_RETURN
        KW T_REM,      "RE",      'M', S_REM
        KW T_STOP,     "STO",     'P', S_STOP
        KW T_ON,       "O",       'N', S_ON
        KW T_PRINT,    "PRIN",    'T', S_PRINT
        KW T_LIST,     "LIS",     'T', S_LIST
        KW T_CLEAR,    "CLEA",    'R', S_CLEAR
        KW T_NEW,      "NE",      'W', S_NEW
        KW T_CONT,     "CON",     'T', S_CONT
        KW T_POKE,     "POK",     'E', S_POKE
        KW T_OUT,      "OU",      'T', S_OUT
        KW T_WAIT,     "WAI",     'T', S_WAIT
        KW T_CALL,     "CAL",     'L', S_CALL
        KW T_DEFINT,   "DEFIN",   'T', S_DEFINT
        KW T_DEFSNG,   "DEFSN",   'G', S_DEFSNG
        KW T_DEFDBL,   "DEFDB",   'L', S_DEFSNG
        KW T_DEFSTR,   "DEFST",   'R', S_DEFSTR
        KW T_DEF,      "DE",      'F', S_DEF
        KW T_SWAP,     "SWA",     'P', S_SWAP
        KW T_RANDOMIZE,"RANDOMIZ",'E', S_RANDOMIZE
        KW T_CLS,      "CL",      'S', S_CLS
        KW T_LOCATE,   "LOCAT",   'E', S_LOCATE
        KW T_COLOR,    "COLO",    'R', S_COLOR
        KW T_WIDTH,    "WIDT",    'H', S_WIDTH
        KW T_BEEP,     "BEE",     'P', S_BEEP
        KW T_SOUND,    "SOUN",    'D', S_SOUND
        KW T_PSET,     "PSE",     'T', S_PSET
        KW T_PRESET,   "PRESE",   'T', S_PRESET
        KW T_LINE,     "LIN",     'E', S_LINE
        KW T_SAVE,     "SAV",     'E', S_SAVE
        KW T_LOAD,     "LOA",     'D', S_LOAD
        KW T_BSAVE,    "BSAV",    'E', S_BSAVE
        KW T_BLOAD,    "BLOA",    'D', S_BLOAD
        KW T_MON,      "MO",      'N', S_MON
        KW T_DELETE,   "DELET",   'E', S_DELETE
        KW T_RENUM,    "RENU",    'M', S_RENUM
        KW T_AUTO,     "AUT",     'O', S_AUTO
        KW T_APOS,     ,          27H, S_APOS
        KW T_ATTR,     "ATT",     'R', S_ATTR
        KW T_GLYPH,    "GLYP",    'H', S_GLYPH
        KW T_EDIT,     "EDI",     'T', S_EDIT
        KW T_TRON,     "TRO",     'N', S_TRON
        KW T_TROFF,    "TROF",    'F', S_TROFF
        KW T_ERASE,    "ERAS",    'E', S_ERASE
        KW T_KEY,      "KE",      'Y', S_KEY
        KW T_MERGE,    "MERG",    'E', S_MERGE
        KW T_ERROR,    "ERRO",    'R', S_ERROR
        KW T_RESUME,   "RESUM",   'E', S_RESUME
        KW T_WHILE,    "WHIL",    'E', S_WHILE
        KW T_WEND,     "WEN",     'D', S_WEND
        KWOTHERS
        KW T_ELSE,     "ELS",     'E'
        KW T_TAB,      "TAB",     '('
        KW T_TO,       "T",       'O'
        KW T_FN,       "F",       'N'
        KW T_SPC,      "SPC",     '('
        KW T_THEN,     "THE",     'N'
        KW T_NOT,      "NO",      'T'
        KW T_STEP,     "STE",     'P'
        KW T_AND,      "AN",      'D'
        KW T_OR,       "O",       'R'
        KW T_XOR,      "XO",      'R'
        KW T_MOD,      "MO",      'D'
        KW T_USING,    "USIN",    'G'
        KWFUNCTIONS
        KW T_SGN,      "SG",      'N', FSGN
        KW T_INT,      "IN",      'T', FINT
        KW T_ABS,      "AB",      'S', FABS
        KW T_SQR,      "SQ",      'R', FSQR
        KW T_LOG,      "LO",      'G', FLOG
        KW T_EXP,      "EX",      'P', FEXP
        KW T_COS,      "CO",      'S', FCOS
        KW T_SIN,      "SI",      'N', FSIN
        KW T_TAN,      "TA",      'N', FTAN
        KW T_ATN,      "AT",      'N', FATN
        KW T_RND,      "RN",      'D', FRND
        KW T_FIX,      "FI",      'X', FFIX
        KW T_CINT,     "CIN",     'T', U_CINT
        KW T_CSNG,     "CSN",     'G', U_CSNG
        KW T_USR,      "US",      'R', U_USR
        KW T_FRE,      "FR",      'E', U_FRE
        KW T_INP,      "IN",      'P', U_INP
        KW T_POS,      "PO",      'S', U_POS
        KW T_PEEK,     "PEE",     'K', U_PEEK
        KW T_LEN,      "LE",      'N', U_LEN
        KW T_STRS,     "STR",     '$', U_STRS
        KW T_VAL,      "VA",      'L', U_VAL
        KW T_ASC,      "AS",      'C', U_ASC
        KW T_CHRS,     "CHR",     '$', U_CHRS
        KW T_HEXS,     "HEX",     '$', U_HEXS
        KW T_SPACES,   "SPACE",   '$', U_SPACES
        KW T_PEN,      "PE",      'N', U_PEN
        KW T_INKEYS,   "INKEY",   '$', U_INKEYS
        KW T_TIMES,    "TIME",    '$', U_TIMES
        KW T_POINT,    "POIN",    'T', U_POINT
        KW T_LEFTS,    "LEFT",    '$', U_LEFTS
        KW T_RIGHTS,   "RIGHT",   '$', U_RIGHTS
        KW T_MIDS,     "MID",     '$', U_MIDS
        KW T_INSTR,    "INST",    'R', U_INSTR
        KW T_STRINGS,  "STRING",  '$', U_STRINGS
        KW T_OCTS,     "OCT",     '$', U_OCTS
        KW T_VARPTR,   "VARPT",   'R', U_VARPTR
        KW T_LPOS,     "LPO",     'S', U_LPOS
        KW T_CSRLIN,   "CSRLI",   'N', U_CSRLIN
        KW T_ERR,      "ER",      'R', U_ERR
        KW T_ERL,      "ER",      'L', U_ERL
        ENDM

KEYWORDS:
        KEYWORDLIST
        DB 0
T_NUMFN   EQU T_USR             ; SGN..CSNG: a number in, a number out
KWPASS  DEFL 1
STMTTAB:
        KEYWORDLIST
