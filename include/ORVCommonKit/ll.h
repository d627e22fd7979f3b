/*
 * Linked lists of untyped item pointers with a current position. The list
 * never owns its items. The header is the caller's memory; ll_create_list
 * makes it usable and ll_dispose_list ends it once it is empty.
 */
#ifndef ORVCOMMONKIT_LL_H
#define ORVCOMMONKIT_LL_H

#include <ORVCommonKit/orvexport.h>

ORV_BEGIN_DECLS

typedef struct ll_element_t ll_element_t;

typedef struct ll_list_t {
    ll_element_t *head;     /* the marker element; null before creation and after disposal */
    ll_element_t *current;  /* the element at the current position */
    int count;              /* number of items; -1 until creation succeeds */
} ll_list_t;

/* Positions for adding and deleting. */
enum {
    ll_FRONT = 0,   /* the first item */
    ll_END = 1,     /* the last item */
    ll_AFTER = 2,   /* after the current item */
    ll_BEFORE = 3,  /* before the current item */
    ll_CURRENT = 4  /* the current item (deleting only) */
};

typedef int (*ll_compare_t)(const void *a, const void *b);

ORV_API void ll_init(void);
ORV_API void ll_term(void);
/* 0, or -1 when memory runs out (count stays -1). */
ORV_API int ll_create_list(ll_list_t *list);
/* Adds item (not null) at position 0..3; it becomes current. 0, or -1. */
ORV_API int ll_add_item(ll_list_t *list, int position, void *item);
/* Removes and returns the item at position 0..4, or null. */
ORV_API void *ll_delete_item(ll_list_t *list, int position);
/* Steps the current position (past the last item to the marker, null) and
 * returns its item. */
ORV_API void *ll_get_next_item(ll_list_t *list);
ORV_API void *ll_get_prev_item(ll_list_t *list);
ORV_API void *ll_get_curr_item(ll_list_t *list);
ORV_API void *ll_get_head_item(ll_list_t *list);
ORV_API void *ll_get_tail_item(ll_list_t *list);
/* Moves to the item at index (from 0) and returns it; null outside the list. */
ORV_API void *ll_get_nth_item(ll_list_t *list, int index);
ORV_API int ll_num_of_items(ll_list_t *list);
/* Sorts the items with compare (given the item pointers); returns list, or
 * null for a null list or when memory runs out. */
ORV_API ll_list_t *ll_sort(ll_list_t *list, ll_compare_t compare);
/* 0, or -1 when the list still holds items (nothing is freed). */
ORV_API int ll_dispose_list(ll_list_t *list);

ORV_END_DECLS

#endif /* ORVCOMMONKIT_LL_H */
