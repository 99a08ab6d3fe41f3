* delay.asm - nested delay loops timed in E-clock cycles
*
* DELAYMS waits about A milliseconds at an E clock of 2 MHz: the inner loop
* takes 6 cycles per pass (DEX 3 + BNE 3), so 333 passes are 1998 cycles,
* close to 1 ms. The main program counts the seconds in SECONDS and shows
* them on the I/O unit's LEDs at $6003.

IOOUT   EQU     $6003
MSLOOP  EQU     333             inner passes per millisecond at 2 MHz

        ORG     $0020
SECONDS RMB     1
TICKS   RMB     1

        ORG     $E000
START   LDS     #$00FF
        CLR     SECONDS
MAIN    LDAB    #4              4 x 250 ms = 1 s
        STAB    TICKS
QUART   LDAA    #250
        JSR     DELAYMS
        DEC     TICKS
        BNE     QUART
        INC     SECONDS
        LDAA    SECONDS
        STAA    IOOUT
        BRA     MAIN

* DELAYMS: wait A milliseconds (A = 0 returns at once). Keeps B and Y.
DELAYMS TSTA
        BEQ     DLDONE
DLOUTER LDX     #MSLOOP
DLINNER DEX
        BNE     DLINNER
        DECA
        BNE     DLOUTER
DLDONE  RTS

        ORG     $FFFE
        FDB     START
        END     START
