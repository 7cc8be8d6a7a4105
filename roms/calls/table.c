#include "table.h"

static uint32_t bucket_of(uint32_t key) { return (key ^ key >> 6 ^ key >> 12) % TABLE_BUCKETS; }

void table_clear(struct table* t) {
    for (uint32_t i = 0; i < TABLE_BUCKETS; ++i) t->buckets[i] = 0;
    t->used = 0;
}

static struct node* find(const struct table* t, uint32_t key) {
    for (struct node* n = t->buckets[bucket_of(key)]; n; n = n->next)
        if (n->key == key) return n;
    return 0;
}

int table_put(struct table* t, uint32_t key, uint32_t value) {
    struct node* n = find(t, key);
    if (!n) {
        if (t->used == TABLE_NODES) return 0;
        n = &t->pool[t->used++];
        const uint32_t b = bucket_of(key);
        n->key = key;
        n->next = t->buckets[b];
        t->buckets[b] = n;
    }
    n->value = value;
    return 1;
}

int table_get(const struct table* t, uint32_t key, uint32_t* value) {
    const struct node* n = find(t, key);
    if (!n) return 0;
    *value = n->value;
    return 1;
}

static struct node* merge(struct node* a, struct node* b) {
    struct node head;
    struct node* tail = &head;
    while (a && b) {
        if (a->value <= b->value) {
            tail->next = a;
            a = a->next;
        } else {
            tail->next = b;
            b = b->next;
        }
        tail = tail->next;
    }
    tail->next = a ? a : b;
    return head.next;
}

static struct node* sort(struct node* list) {
    if (!list || !list->next) return list;
    /* Split in halves: the slow pointer stops at the middle. */
    struct node* slow = list;
    for (struct node* fast = list->next; fast && fast->next; fast = fast->next->next) slow = slow->next;
    struct node* second = slow->next;
    slow->next = 0;
    return merge(sort(list), sort(second));
}

struct node* table_sorted(struct table* t) {
    struct node* list = 0;
    for (uint32_t i = 0; i < TABLE_BUCKETS; ++i) {
        while (t->buckets[i]) {
            struct node* n = t->buckets[i];
            t->buckets[i] = n->next;
            n->next = list;
            list = n;
        }
    }
    return sort(list);
}
