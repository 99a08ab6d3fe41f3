* stack.asm - a subroutine that takes its arguments on the stack
*
* SUMSQ computes a*a + b*b for two bytes pushed by the caller and returns
* the 16-bit result in D. The caller removes its arguments afterwards.
* Stack frame inside SUMSQ after TSX (X = SP + 1):
*   0,X  saved Y high     1,X  saved Y low
*   2,X  return high      3,X  return low
*   4,X  b                5,X  a

RESULT  EQU     $0040

        ORG     $E000
START   LDS     #$00FF
        LDAA    #12             a
        PSHA
        LDAA    #5              b
        PSHA
        JSR     SUMSQ           D = 144 + 25 = 169
        INS                     drop the two arguments
        INS
        STD     RESULT
DONE    BRA     DONE

SUMSQ   PSHY                    keep Y for the caller
        TSX
        LDAA    5,X             a
        TAB
        MUL                     D = a * a
        XGDY                    Y = a * a
        LDAA    4,X             b
        TAB
        MUL                     D = b * b
        PSHY                    add Y through the stack
        TSX
        ADDD    0,X
        PULY                    drop the temporary
        PULY                    restore the caller's Y
        RTS

        ORG     $FFFE
        FDB     START
        END     START
