* sci_echo.asm - echo every character received on the serial port (SCI)
* at 9600 baud (8 MHz crystal); lower-case letters come back in upper case.

REGS    EQU     $1000           on-chip register block
BAUD    EQU     REGS+$2B
SCCR1   EQU     REGS+$2C
SCCR2   EQU     REGS+$2D
SCSR    EQU     REGS+$2E
SCDR    EQU     REGS+$2F
TDRE    EQU     %10000000       SCSR: transmit data register empty
RDRF    EQU     %00100000       SCSR: receive data register full

        ORG     $E000
START   LDS     #$00FF
        LDX     #REGS
        LDAA    #$30            9600 baud at E = 2 MHz
        STAA    BAUD-REGS,X
        CLR     SCCR1-REGS,X    8 data bits
        LDAA    #%00001100      TE and RE on, no interrupts
        STAA    SCCR2-REGS,X
        LDY     #HELLO
        BSR     PUTS

ECHO    BRCLR   SCSR-REGS,X RDRF ECHO   wait for a character
        LDAA    SCDR-REGS,X
        CMPA    #'a'
        BLO     SEND
        CMPA    #'z'
        BHI     SEND
        SUBA    #'a'-'A'        to upper case
SEND    BSR     PUTC
        BRA     ECHO

* PUTC: send A when the transmitter is free (X = REGS)
PUTC    BRCLR   SCSR-REGS,X,#TDRE,PUTC
        STAA    SCDR-REGS,X
        RTS

* PUTS: send the zero-terminated text at Y
PUTS    LDAA    0,Y
        BEQ     PUTSEND
        BSR     PUTC
        INY
        BRA     PUTS
PUTSEND RTS

HELLO   FCC     "HC11 echo ready"
        FCB     13,10,0

        ORG     $FFFE
        FDB     START
        END     START
