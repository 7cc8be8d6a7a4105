/* The operand stack of the stack machine, checked on every access. */
#include "vm.h"

void vm_push(struct vm* vm, int32_t value) {
    if (vm->sp >= VM_STACK_MAX) {
        ++vm->faults;
        return;
    }
    vm->stack[vm->sp++] = value;
}

int32_t vm_pop(struct vm* vm) {
    if (vm->sp == 0) {
        ++vm->faults;
        return 0;
    }
    return vm->stack[--vm->sp];
}

uint32_t mix32(uint32_t x) {
    x ^= x << 13;
    x ^= x >> 17;
    x ^= x << 5;
    return x;
}
