* muldiv.asm - multiply and divide
*   MUL   8 x 8 -> 16 (A * B -> D)
*   IDIV  16 / 16 integer division (D / X -> X quotient, D remainder)
*   FDIV  16 / 16 fractional division (D / X -> X = fraction, D remainder)
* and a 16 x 16 -> 32 bit multiply built from four MULs.

        ORG     $0050
PRODUCT RMB     2               MUL result
QUOT    RMB     2               IDIV quotient
REM     RMB     2               IDIV remainder
FRAC    RMB     2               FDIV fraction
M1      RMB     2               16-bit factors
M2      RMB     2
M32     RMB     4               32-bit product, high byte first

        ORG     $C000
START   LDS     #$00FF
        LDAA    #200
        LDAB    #123
        MUL                     D = 24600
        STD     PRODUCT

        LDD     #50000
        LDX     #7
        IDIV                    X = 7142, D = 6
        STX     QUOT
        STD     REM

        LDD     #1
        LDX     #3
        FDIV                    X = $5555 (1/3), D = 1
        STX     FRAC

        LDD     #$1234
        STD     M1
        LDD     #$5678
        STD     M2
        BSR     MUL16           M32 = $06260060
DONE    BRA     DONE

* MUL16: M32 = M1 * M2 (unsigned). Partial products of the bytes:
*   M1L*M2L at bytes 3..2, M1H*M2L and M1L*M2H at 2..1, M1H*M2H at 1..0
MUL16   LDAA    M1+1
        LDAB    M2+1
        MUL
        STD     M32+2
        LDAA    M1
        LDAB    M2
        MUL
        STD     M32
        LDAA    M1
        LDAB    M2+1
        MUL
        ADDD    M32+1
        STD     M32+1
        LDAA    M32
        ADCA    #0
        STAA    M32
        LDAA    M1+1
        LDAB    M2
        MUL
        ADDD    M32+1
        STD     M32+1
        LDAA    M32
        ADCA    #0
        STAA    M32
        RTS

        ORG     $FFFE
        FDB     START
        END     START
