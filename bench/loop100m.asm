* loop100m.asm - a loop-heavy program for speed measurements: about 100
* million instructions in three nested loops, then BRA to itself (which ends
* a zelk-sim run). Each inner round loads, adds and stores through X, pushes
* and pulls, calls a subroutine that does 16-bit arithmetic in the direct
* page, a multiply and a bit test, and returns. sim_bench runs it with
* --max-steps 100000000, which it reaches just before its own end.

SUM     EQU     $0040           16-bit running sum
FLAGS   EQU     $0042           bit 7 tested by the subroutine
HITS    EQU     $0043           counts the rounds with bit 7 clear
ROUNDS  EQU     $0044           outer rounds left
BUF     EQU     $0050           16 bytes worked on through X

        ORG     $E000
START   LDS     #$00FF
        LDAA    #7
        STAA    ROUNDS
        CLR     FLAGS
ROUND   LDY     #54946          7 x 54946 x 260 instructions: just over 100 M
OUTER   LDX     #BUF
        LDAB    #16
INNER   LDAA    0,X
        ADDA    #3
        STAA    0,X
        INX
        PSHB
        JSR     WORK
        PULB
        DECB
        BNE     INNER
        DEY
        BNE     OUTER
        DEC     ROUNDS
        BNE     ROUND
DONE    BRA     DONE

* WORK: SUM = SUM + 1, A*B into D (discarded), HITS + 1 while FLAGS bit 7
* is clear.
WORK    LDD     SUM
        ADDD    #1
        STD     SUM
        MUL
        BRSET   FLAGS,$80,SKIP
        INC     HITS
SKIP    RTS

        ORG     $FFFE
        FDB     START
        END     START
