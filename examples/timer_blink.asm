* timer_blink.asm - blink the eight LEDs of the I/O unit from the timer:
* the output compare 2 interrupt comes every 10 ms (E clock 2 MHz) and
* inverts the LEDs; the compare also toggles pin PA6 by itself. After
* eight blinks the program stops in a loop of its own.
*
* Needs the on-chip peripherals (Options: "Simulate on-chip peripherals").

REGS    EQU     $1000           on-chip register block
TCNT    EQU     $0E             free-running counter
TOC2    EQU     $18             output compare 2
TCTL1   EQU     $20             compare pin actions
TMSK1   EQU     $22             compare interrupt enables
TFLG1   EQU     $23             compare flags (write 1 to clear)
OC2F    EQU     %01000000
PERIOD  EQU     20000           10 ms in E cycles
IOOUT   EQU     $6003           I/O unit output (LEDs)

        ORG     $0010           variables above the register save area
LEDS    RMB     1               LED pattern
COUNT   RMB     1               blinks still to come

        ORG     $E000
START   LDS     #$00FF
        LDX     #REGS
        CLR     LEDS
        LDAA    #8
        STAA    COUNT
        LDAA    #%01000000      OM2:OL2 = 01: toggle PA6 at each compare
        STAA    TCTL1,X
        LDD     TCNT,X          first compare one period from now
        ADDD    #PERIOD
        STD     TOC2,X
        LDAA    #OC2F
        STAA    TFLG1,X         clear an old flag
        STAA    TMSK1,X         enable the OC2 interrupt
        CLI
WAIT    WAI                     sleep until the next interrupt
        TST     COUNT
        BNE     WAIT
        SEI
DONE    BRA     DONE

* OC2 interrupt: next compare, clear the flag, invert the LEDs.
OC2ISR  LDX     #REGS
        LDD     TOC2,X
        ADDD    #PERIOD
        STD     TOC2,X
        LDAA    #OC2F
        STAA    TFLG1,X
        COM     LEDS
        LDAA    LEDS
        STAA    IOOUT
        DEC     COUNT
        RTI

        ORG     $FFE6           OC2 vector
        FDB     OC2ISR
        ORG     $FFFE
        FDB     START
        END     START
