/* A small stack machine: bytecode functions of one argument with locals on
   an operand stack, and a hash table reached through two instructions. Each
   instruction is a C function called through a table, and CALL runs the
   callee by a recursive call of the interpreter, as a compiled interpreter
   of a scripting language would. */
#ifndef CALLS_VM_H
#define CALLS_VM_H

#include <stdint.h>

#include "table.h"

enum vm_op {
    OP_HALT,  /* ends the interpreter's loop (bytecode never reaches it) */
    OP_PUSH,  /* push arg */
    OP_LOAD,  /* push local arg */
    OP_STORE, /* pop into local arg */
    OP_ADD,   /* pop b, pop a, push a + b */
    OP_SUB,   /* pop b, pop a, push a - b */
    OP_LT,    /* pop b, pop a, push a < b (signed) */
    OP_JZ,    /* pop x, jump to arg when x is 0 */
    OP_JMP,   /* jump to arg */
    OP_CALL,  /* pop x, call the function at arg with x as its local 0, push its result */
    OP_RET,   /* pop the result, drop the frame, return to the caller */
    OP_MIX,   /* pop x, push mix32(x) */
    OP_PUT,   /* pop value, pop key, store key -> value in the table */
    OP_GET,   /* pop key, push its value in the table (0 when absent) */
    OP_COUNT
};

struct vm_insn {
    uint16_t op;
    int16_t arg;
};

#define VM_CODE_MAX  128
#define VM_STACK_MAX 96

struct vm {
    struct vm_insn code[VM_CODE_MAX];
    uint32_t code_size;
    int32_t stack[VM_STACK_MAX];
    uint32_t sp;      /* first free slot */
    uint32_t base;    /* local 0 of the running function */
    uint32_t pc;      /* next instruction */
    uint32_t calls;   /* bytecode calls made */
    uint32_t faults;  /* stack overflows or underflows, bad jumps (0 in a good run) */
    struct table* table;
};

void vm_init(struct vm* vm, struct table* table);

/* Assembling: appends an instruction and returns its index; patches the
   argument of the instruction at `at`. */
uint32_t vm_emit(struct vm* vm, enum vm_op op, int32_t arg);
void vm_patch(struct vm* vm, uint32_t at, int32_t arg);
uint32_t vm_here(const struct vm* vm);

/* Calls the bytecode function at `entry` with `argument` and returns its result. */
int32_t vm_call(struct vm* vm, uint32_t entry, int32_t argument);

/* The operand stack (vm_stack.c). */
void vm_push(struct vm* vm, int32_t value);
int32_t vm_pop(struct vm* vm);

uint32_t mix32(uint32_t x);

#endif
