; z80home system ROM: boots the machine and runs the system monitor.
        ORG 0000H
        DI
        XOR A
        OUT (40H),A             ; the beeper sounds from reset until cleared
_idle:  HALT
        JR _idle

        IF $ > 6000H
        .ERROR The system ROM outgrew its 24 KB
        ENDIF
        DS 6000H - $, 0FFH
