/* The stack machine's interpreter: one function per instruction, reached
   through a table of function pointers. */
#include "vm.h"

#define VM_DEPTH_MAX 24 /* nested bytecode calls */

static uint32_t depth;

void vm_init(struct vm* vm, struct table* table) {
    vm->code_size = 0;
    vm->sp = 0;
    vm->base = 0;
    vm->pc = 0;
    vm->calls = 0;
    vm->faults = 0;
    vm->table = table;
}

uint32_t vm_emit(struct vm* vm, enum vm_op op, int32_t arg) {
    if (vm->code_size >= VM_CODE_MAX) {
        ++vm->faults;
        return VM_CODE_MAX - 1;
    }
    vm->code[vm->code_size].op = (uint16_t)op;
    vm->code[vm->code_size].arg = (int16_t)arg;
    return vm->code_size++;
}

void vm_patch(struct vm* vm, uint32_t at, int32_t arg) {
    if (at < vm->code_size) vm->code[at].arg = (int16_t)arg;
}

uint32_t vm_here(const struct vm* vm) { return vm->code_size; }

/* The slot of local n of the running function, or null (a fault). */
static int32_t* local(struct vm* vm, int32_t n) {
    const uint32_t slot = vm->base + (uint32_t)n;
    if (n < 0 || slot >= vm->sp) {
        ++vm->faults;
        return 0;
    }
    return &vm->stack[slot];
}

/* Each returns non-zero when the interpreter's loop must end. */
static int op_halt(struct vm* vm, int32_t arg) {
    (void)vm;
    (void)arg;
    return 1;
}
static int op_push(struct vm* vm, int32_t arg) {
    vm_push(vm, arg);
    return 0;
}
static int op_load(struct vm* vm, int32_t arg) {
    const int32_t* slot = local(vm, arg);
    vm_push(vm, slot ? *slot : 0);
    return 0;
}
static int op_store(struct vm* vm, int32_t arg) {
    const int32_t value = vm_pop(vm);
    int32_t* slot = local(vm, arg);
    if (slot) *slot = value;
    return 0;
}
static int op_add(struct vm* vm, int32_t arg) {
    (void)arg;
    const int32_t b = vm_pop(vm);
    const int32_t a = vm_pop(vm);
    vm_push(vm, (int32_t)((uint32_t)a + (uint32_t)b));
    return 0;
}
static int op_sub(struct vm* vm, int32_t arg) {
    (void)arg;
    const int32_t b = vm_pop(vm);
    const int32_t a = vm_pop(vm);
    vm_push(vm, (int32_t)((uint32_t)a - (uint32_t)b));
    return 0;
}
static int op_lt(struct vm* vm, int32_t arg) {
    (void)arg;
    const int32_t b = vm_pop(vm);
    const int32_t a = vm_pop(vm);
    vm_push(vm, a < b);
    return 0;
}
static int op_jz(struct vm* vm, int32_t arg) {
    if (vm_pop(vm) == 0) vm->pc = (uint32_t)arg;
    return 0;
}
static int op_jmp(struct vm* vm, int32_t arg) {
    vm->pc = (uint32_t)arg;
    return 0;
}
static int op_call(struct vm* vm, int32_t arg) {
    const int32_t x = vm_pop(vm);
    vm_push(vm, vm_call(vm, (uint32_t)arg, x));
    return 0;
}
static int op_ret(struct vm* vm, int32_t arg) {
    (void)arg;
    const int32_t result = vm_pop(vm);
    vm->sp = vm->base;
    vm_push(vm, result);
    return 1;
}
static int op_mix(struct vm* vm, int32_t arg) {
    (void)arg;
    vm_push(vm, (int32_t)mix32((uint32_t)vm_pop(vm)));
    return 0;
}
static int op_put(struct vm* vm, int32_t arg) {
    (void)arg;
    const int32_t value = vm_pop(vm);
    const int32_t key = vm_pop(vm);
    if (!table_put(vm->table, (uint32_t)key, (uint32_t)value)) ++vm->faults;
    return 0;
}
static int op_get(struct vm* vm, int32_t arg) {
    (void)arg;
    uint32_t value = 0;
    table_get(vm->table, (uint32_t)vm_pop(vm), &value);
    vm_push(vm, (int32_t)value);
    return 0;
}

typedef int (*vm_handler)(struct vm* vm, int32_t arg);

static const vm_handler handlers[OP_COUNT] = {
    op_halt, op_push, op_load, op_store, op_add, op_sub, op_lt,  op_jz,
    op_jmp,  op_call, op_ret,  op_mix,   op_put, op_get,
};

static void run(struct vm* vm) {
    for (;;) {
        if (vm->pc >= vm->code_size) {
            ++vm->faults;
            return;
        }
        const struct vm_insn insn = vm->code[vm->pc++];
        if (insn.op >= OP_COUNT || handlers[insn.op](vm, insn.arg)) return;
    }
}

int32_t vm_call(struct vm* vm, uint32_t entry, int32_t argument) {
    if (depth >= VM_DEPTH_MAX) {
        ++vm->faults;
        return 0;
    }
    ++depth;
    ++vm->calls;
    const uint32_t saved_base = vm->base;
    const uint32_t saved_pc = vm->pc;
    vm->base = vm->sp;
    vm_push(vm, argument);
    vm->pc = entry;
    run(vm);
    const int32_t result = vm_pop(vm);
    vm->base = saved_base;
    vm->pc = saved_pc;
    --depth;
    return result;
}
