* adc_read.asm - convert the analog inputs PE0-PE3 once and send their
* values over the SCI at 9600 baud (E clock 2 MHz) as hexadecimal bytes,
* "12 34 56 78" and a line end, then stop in a loop of its own.
*
* Needs the on-chip peripherals; set the channel values in the IDE's pins
* panel, or with zelk-sim --analog 0=$12 ...

REGS    EQU     $1000           on-chip register block
BAUD    EQU     $2B
SCCR1   EQU     $2C
SCCR2   EQU     $2D
SCSR    EQU     $2E
SCDR    EQU     $2F
ADCTL   EQU     $30
ADR1    EQU     $31             ADR1-ADR4: the four results
OPTION  EQU     $39
TDRE    EQU     %10000000       SCSR: transmit data register empty
TC      EQU     %01000000       SCSR: transmission complete
CCF     EQU     %10000000       ADCTL: conversions complete
ADPU    EQU     %10000000       OPTION: A/D power up
MULT    EQU     %00010000       ADCTL: four channels, PE0-PE3

        ORG     $E000
START   LDS     #$00FF
        LDX     #REGS
        LDAA    #$30            9600 baud
        STAA    BAUD,X
        CLR     SCCR1,X
        LDAA    #%00001000      TE: transmitter on
        STAA    SCCR2,X
        BSET    OPTION,X,#ADPU  power the converter up
        LDY     #50             and let it settle (over 100 us)
SETTLE  DEY
        BNE     SETTLE
        LDAA    #MULT           start one sequence on PE0-PE3
        STAA    ADCTL,X
CONV    BRCLR   ADCTL,X,#CCF,CONV

        LDY     #REGS+ADR1
        LDAB    #4
NEXT    LDAA    0,Y
        BSR     PUTHEX
        INY
        DECB
        BEQ     ENDL
        LDAA    #' '
        BSR     PUTC
        BRA     NEXT
ENDL    LDAA    #13
        BSR     PUTC
        LDAA    #10
        BSR     PUTC
FLUSH   BRCLR   SCSR,X,#TC,FLUSH  until the last character is out
DONE    BRA     DONE

* PUTHEX: send A as two hexadecimal digits (X = REGS)
PUTHEX  PSHA
        LSRA
        LSRA
        LSRA
        LSRA
        BSR     DIGIT
        PULA
        ANDA    #$0F
DIGIT   ADDA    #'0'
        CMPA    #'9'
        BLS     PUTC
        ADDA    #'A'-'9'-1
* PUTC: send A when the transmitter is free (X = REGS)
PUTC    BRCLR   SCSR,X,#TDRE,PUTC
        STAA    SCDR,X
        RTS

        ORG     $FFFE
        FDB     START
        END     START
