/*
 * Korvex: a 68HC11 CPU core that executes one instruction per call.
 *
 * Korvex holds no memory and no peripherals. Every data byte an instruction
 * reads or writes goes to the host through the read and write callbacks,
 * synchronously, once per byte, in program order, unless the host has handed
 * Korvex its memory image for direct access (korvexSetDirectMemory). The host passes the
 * registers in and gets them back in the same variables.
 *
 * The C interface is the stable boundary of libkorvex.so: an opaque handle,
 * plain integers, function pointers with a user pointer; no allocation
 * crosses it and nothing throws. A null handle makes every call a no-op.
 */
#ifndef KORVEX_H
#define KORVEX_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#if defined(__GNUC__)
#define KORVEX_API __attribute__((visibility("default")))
#else
#define KORVEX_API
#endif

typedef struct KorvexInstance KorvexInstance;

/* The host stores the byte at address into *value. *value arrives holding
 * the low 16 bits of the address: a host that leaves it untouched makes the
 * read return the low byte of the address. Every address is sent as 16 bits
 * ($0000-$FFFF): one formed beyond $FFFF (an index plus offset, the second
 * byte of a word at $FFFF, a pull past the top of memory) or below 0 (a push
 * at SP = 0) wraps to its low 16 bits, as on the CPU's address bus. */
typedef void (*KorvexReadMemory)(void* user, int32_t address, int16_t* value);

/* The host stores value (0..255) at address. */
typedef void (*KorvexWriteMemory)(void* user, int32_t address, int16_t value);

KORVEX_API KorvexInstance* korvexCreate(void);
KORVEX_API void korvexDestroy(KorvexInstance* k);

/* A null read callback behaves like a host that never answers (reads return
 * the low byte of the address); a null write callback ignores writes. */
KORVEX_API void korvexSetCallbacks(KorvexInstance* k, KorvexReadMemory read,
                                   KorvexWriteMemory write, void* user);

/* Direct memory access, for a host whose memory is one 64 KB image. With
 * image set, data bytes of every page whose entry in viaCallbacks is zero
 * are read from and written to image[address] directly, in the same order
 * and with the same wrap at $FFFF as through the callbacks; pages whose
 * entry is nonzero still go to the callbacks, byte by byte. viaCallbacks
 * has 256 entries, one per page ($xx00-$xxFF); it is copied, so a change
 * takes effect when the host calls again. A null viaCallbacks sends no page
 * to the callbacks; a null image turns direct access off (every byte to the
 * callbacks, as before the first call). Applies to korvexStep and
 * korvexExecute alike; the instruction bytes are the host's as always. */
KORVEX_API void korvexSetDirectMemory(KorvexInstance* k, uint8_t* image, const uint8_t* viaCallbacks);

/* Executes exactly one instruction whose bytes are instr1..instr5 (only the
 * low byte of each is used). On entry the low byte of *acca, *accb, *ccr and
 * the low 16 bits of *ix, *iy, *sp are taken; on exit A, B, CCR come back as
 * 0..255 and IX, IY, SP as full integers (the host keeps their low 16 bits).
 * Any of the register pointers may be null: that register reads as 0 and is
 * not written back. */
KORVEX_API void korvexStep(KorvexInstance* k, int16_t* acca, int16_t* accb,
                           int32_t* ix, int32_t* iy, int32_t* sp, int16_t* ccr,
                           int16_t instr1, int16_t instr2, int16_t instr3,
                           int16_t instr4, int16_t instr5);

/* The registers of one korvexExecute step, in the types of the CPU's own:
 * every value stored back is already reduced to 8 or 16 bits. pc is the
 * program counter the step starts from and leaves (korvexExecute never uses
 * or changes Korvex's own). */
typedef struct KorvexRegisters {
    uint8_t a;
    uint8_t b;
    uint8_t ccr;
    uint16_t ix;
    uint16_t iy;
    uint16_t sp;
    uint16_t pc;
} KorvexRegisters;

/* Executes exactly one instruction, as korvexStep does (the same memory
 * events in the same order, the same register results), on *regs and
 * regs->pc. code points to the instruction's bytes, code[0] the opcode;
 * Korvex reads only the bytes the instruction has (at most five), never one
 * beyond it. A null k, regs or code makes the call a no-op. Meant for hosts
 * that keep their registers in a KorvexRegisters record from one step to
 * the next: nothing is copied or checked on the way in or out. */
KORVEX_API void korvexExecute(KorvexInstance* k, KorvexRegisters* regs, const uint8_t* code);

/* Korvex keeps its own program counter, used by branches and jumps and as the
 * base of the return address that JSR and BSR push. It is never initialised by
 * Korvex itself (it starts at 0); the host may set and read it. */
KORVEX_API void korvexSetPC(KorvexInstance* k, int32_t pc);
KORVEX_API int32_t korvexGetPC(const KorvexInstance* k);

/* Name and version for an About dialog: "Korvex 68HC11 Simulator\nVersion 1.0"
 * style text, static storage. */
KORVEX_API const char* korvexAboutText(void);
KORVEX_API const char* korvexVersion(void); /* "1.0" */

#ifdef __cplusplus
}
#endif

#endif /* KORVEX_H */
