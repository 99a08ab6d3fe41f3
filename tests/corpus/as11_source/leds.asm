* leds.asm - running light on the eight LEDs of the I/O unit
*
* The I/O unit sits at $6000-$6003:
*   $6000  data pending: 1 after a value was entered in the In Unit
*   $6001  input data (reading it clears $6000)
*   $6002  data ready: 1 after the program wrote $6003
*   $6003  output data: shown as text and on the eight LEDs
*
* One LED runs from right to left. Entering a value in the In Unit sets a
* new pattern, which then rotates instead.

IOPEND  EQU     $6000           data pending flag
IOIN    EQU     $6001           input data register
IOOUT   EQU     $6003           output data register (LEDs)
DELAY   EQU     200             inner delay loop count (keep it small in the simulator)

        ORG     $0010           variables above the monitor's save area $0000-$0008
PATTERN RMB     1               current LED pattern

        ORG     $E000
START   LDS     #$00FF          stack at the top of internal RAM
        LDAA    #%00000001
        STAA    PATTERN

LOOP    LDAA    PATTERN
        STAA    IOOUT           show the pattern
        BSR     WAIT
        TST     IOPEND          a new value entered?
        BEQ     NEXT
        LDAA    IOIN            take it (this clears the pending flag)
        BNE     STORE           an all-off pattern would show nothing
        LDAA    #1
STORE   STAA    PATTERN
        BRA     LOOP
NEXT    LDAA    PATTERN
        ROLA                    rotate left through carry ...
        ADCA    #0              ... and bring the top bit round to bit 0
        STAA    PATTERN
        BRA     LOOP

* WAIT: a short delay; keeps A
WAIT    LDX     #DELAY
WAIT1   DEX
        BNE     WAIT1
        RTS

        ORG     $FFFE
        FDB     START           reset vector
        END     START
