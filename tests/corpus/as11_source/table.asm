* table.asm - table lookup: a value 0-15 from the I/O unit's In Unit is
* shown as the segment pattern of its hexadecimal digit on the LEDs.
* Bits: 0=a 1=b 2=c 3=d 4=e 5=f 6=g of a seven-segment display.

IOPEND  EQU     $6000
IOIN    EQU     $6001
IOOUT   EQU     $6003

        ORG     $0030
LAST    RMB     1               last digit looked up

        ORG     $E000
START   LDS     #$00FF
        CLRA
        BSR     SHOW
WAITIN  LDAA    IOPEND          wait for a value
        BEQ     WAITIN
        LDAA    IOIN
        BSR     SHOW
        BRA     WAITIN

* SHOW: look up the low four bits of A in SEGMENTS and write the pattern
SHOW    ANDA    #$0F
        STAA    LAST
        LDX     #SEGMENTS
        TAB
        ABX                     X = SEGMENTS + digit
        LDAA    0,X
        STAA    IOOUT
        RTS

SEGMENTS FCB    $3F,$06,$5B,$4F,$66,$6D,$7D,$07     0-7
        FCB     $7F,$6F,$77,$7C,$39,$5E,$79,$71     8-F

        ORG     $FFFE
        FDB     START
        END     START
