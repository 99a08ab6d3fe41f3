* sci_irq.asm - interrupt-driven serial echo (SCI at 9600 baud, 8 MHz
* crystal): the main program only waits (WAI); the SCI's receive interrupt
* takes each character and sends it back, lower-case letters in upper case.

REGS    EQU     $1000           on-chip register block
BAUD    EQU     REGS+$2B
SCCR1   EQU     REGS+$2C
SCCR2   EQU     REGS+$2D
SCSR    EQU     REGS+$2E
SCDR    EQU     REGS+$2F
TDRE    EQU     %10000000       SCSR: transmit data register empty
RDRF    EQU     %00100000       SCSR: receive data register full
TERE    EQU     %00001100       SCCR2: transmitter and receiver on
RIE     EQU     %00100000       SCCR2: receive interrupt enable

        ORG     $0010
COUNT   RMB     1               characters echoed so far

        ORG     $E000
START   LDS     #$00FF
        LDX     #REGS
        LDAA    #$30            9600 baud at E = 2 MHz
        STAA    BAUD-REGS,X
        CLR     SCCR1-REGS,X    8 data bits
        LDAA    #TERE           no interrupts while the greeting goes out
        STAA    SCCR2-REGS,X
        CLR     COUNT
        LDY     #HELLO
        BSR     PUTS
        LDAA    #TERE+RIE       now every received character interrupts
        STAA    SCCR2-REGS,X
        CLI
IDLE    WAI                     sleep until the next character
        BRA     IDLE

* The SCI interrupt: SCSR read, then SCDR read clears RDRF.
SCIINT  LDX     #REGS
        BRCLR   SCSR-REGS,X RDRF SCIEND   not a received character
        LDAA    SCDR-REGS,X
        CMPA    #'a'
        BLO     SCISEND
        CMPA    #'z'
        BHI     SCISEND
        SUBA    #'a'-'A'        to upper case
SCISEND BSR     PUTC
        INC     COUNT
SCIEND  RTI

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

HELLO   FCC     "HC11 interrupt echo ready"
        FCB     13,10,0

        ORG     $FFD6
        FDB     SCIINT          SCI vector

        ORG     $FFFE
        FDB     START
        END     START
