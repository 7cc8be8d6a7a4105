#include "workload.h"

#include "table.h"
#include "vm.h"

#define FIB_ARGUMENT  12
#define FILL_ARGUMENT 100

static struct table table;
static struct vm vm;

/* key(x) = mix32(x) + 7 */
static uint32_t emit_key(void) {
    const uint32_t entry = vm_here(&vm);
    vm_emit(&vm, OP_LOAD, 0);
    vm_emit(&vm, OP_MIX, 0);
    vm_emit(&vm, OP_PUSH, 7);
    vm_emit(&vm, OP_ADD, 0);
    vm_emit(&vm, OP_RET, 0);
    return entry;
}

/* fib(n) = n < 2 ? n : fib(n - 1) + fib(n - 2) */
static uint32_t emit_fib(void) {
    const uint32_t entry = vm_here(&vm);
    vm_emit(&vm, OP_LOAD, 0);
    vm_emit(&vm, OP_PUSH, 2);
    vm_emit(&vm, OP_LT, 0);
    const uint32_t recurse = vm_emit(&vm, OP_JZ, 0);
    vm_emit(&vm, OP_LOAD, 0);
    vm_emit(&vm, OP_RET, 0);
    vm_patch(&vm, recurse, (int32_t)vm_here(&vm));
    vm_emit(&vm, OP_LOAD, 0);
    vm_emit(&vm, OP_PUSH, 1);
    vm_emit(&vm, OP_SUB, 0);
    vm_emit(&vm, OP_CALL, (int32_t)entry);
    vm_emit(&vm, OP_LOAD, 0);
    vm_emit(&vm, OP_PUSH, 2);
    vm_emit(&vm, OP_SUB, 0);
    vm_emit(&vm, OP_CALL, (int32_t)entry);
    vm_emit(&vm, OP_ADD, 0);
    vm_emit(&vm, OP_RET, 0);
    return entry;
}

/* Emits `local = local - 1` and a jump back to `loop`. */
static void emit_count_down(int32_t local, uint32_t loop) {
    vm_emit(&vm, OP_LOAD, local);
    vm_emit(&vm, OP_PUSH, 1);
    vm_emit(&vm, OP_SUB, 0);
    vm_emit(&vm, OP_STORE, local);
    vm_emit(&vm, OP_JMP, (int32_t)loop);
}

/* fill(n): for i = n down to 1, put key(i) -> i; then for i = 2n down to 1,
   acc = mix32(acc + get(key(i))) (the keys above n are absent); returns acc. */
static uint32_t emit_fill(uint32_t key) {
    const uint32_t entry = vm_here(&vm);
    vm_emit(&vm, OP_LOAD, 0); /* local 1: i */
    const uint32_t put_loop = vm_emit(&vm, OP_LOAD, 1);
    const uint32_t put_done = vm_emit(&vm, OP_JZ, 0);
    vm_emit(&vm, OP_LOAD, 1);
    vm_emit(&vm, OP_CALL, (int32_t)key);
    vm_emit(&vm, OP_LOAD, 1);
    vm_emit(&vm, OP_PUT, 0);
    emit_count_down(1, put_loop);
    vm_patch(&vm, put_done, (int32_t)vm_here(&vm));
    vm_emit(&vm, OP_LOAD, 0);
    vm_emit(&vm, OP_LOAD, 0);
    vm_emit(&vm, OP_ADD, 0);
    vm_emit(&vm, OP_STORE, 1);
    vm_emit(&vm, OP_PUSH, 0); /* local 2: acc */
    const uint32_t get_loop = vm_emit(&vm, OP_LOAD, 1);
    const uint32_t get_done = vm_emit(&vm, OP_JZ, 0);
    vm_emit(&vm, OP_LOAD, 2);
    vm_emit(&vm, OP_LOAD, 1);
    vm_emit(&vm, OP_CALL, (int32_t)key);
    vm_emit(&vm, OP_GET, 0);
    vm_emit(&vm, OP_ADD, 0);
    vm_emit(&vm, OP_MIX, 0);
    vm_emit(&vm, OP_STORE, 2);
    emit_count_down(1, get_loop);
    vm_patch(&vm, get_done, (int32_t)vm_here(&vm));
    vm_emit(&vm, OP_LOAD, 2);
    vm_emit(&vm, OP_RET, 0);
    return entry;
}

/* The sorted list: its values and keys, its length and whether it is in order. */
static uint32_t list_digest(const struct node* list, struct calls_stats* stats) {
    uint32_t count = 0;
    uint32_t in_order = 1;
    uint32_t digest = 0;
    for (const struct node* n = list; n; n = n->next) {
        if (n->next && n->next->value < n->value) in_order = 0;
        digest = mix32(digest ^ n->value ^ n->key);
        ++count;
    }
    stats->nodes = count;
    stats->in_order = in_order;
    return mix32(digest + (count << 1 | in_order));
}

uint32_t calls_workload(struct calls_stats* stats) {
    struct calls_stats local;
    if (!stats) stats = &local;
    table_clear(&table);
    vm_init(&vm, &table);
    const uint32_t key = emit_key();
    const uint32_t fib = emit_fib();
    const uint32_t fill = emit_fill(key);

    stats->fib = (uint32_t)vm_call(&vm, fib, FIB_ARGUMENT);
    uint32_t result = mix32(stats->fib ^ (uint32_t)vm_call(&vm, fill, FILL_ARGUMENT));
    result = mix32(result ^ list_digest(table_sorted(&table), stats));
    stats->calls = vm.calls;
    stats->faults = vm.faults;
    result = mix32(result ^ vm.calls);
    return mix32(result + vm.faults);
}
