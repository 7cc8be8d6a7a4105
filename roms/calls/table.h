/* A hash table of 32-bit keys and values: chains of nodes from a fixed
   pool, and a merge sort of the nodes as one linked list. */
#ifndef CALLS_TABLE_H
#define CALLS_TABLE_H

#include <stdint.h>

#define TABLE_BUCKETS 64
#define TABLE_NODES   256

struct node {
    struct node* next;
    uint32_t key;
    uint32_t value;
};

struct table {
    struct node* buckets[TABLE_BUCKETS];
    struct node pool[TABLE_NODES];
    uint32_t used;
};

void table_clear(struct table* t);
/* Stores key -> value, replacing an old value; 0 when the pool is full. */
int table_put(struct table* t, uint32_t key, uint32_t value);
/* 1 and the value when the key is present, else 0. */
int table_get(const struct table* t, uint32_t key, uint32_t* value);

/* Every node of the table in one list, sorted by value (merge sort). */
struct node* table_sorted(struct table* t);

#endif
