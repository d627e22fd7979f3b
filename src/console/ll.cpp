// Linked lists: a circular doubly linked ring through a marker element whose
// item is null, with a current position.
#include <ORVCommonKit/ll.h>

#include <cstdlib>

struct ll_element_t {
    void *item;
    ll_element_t *next;
    ll_element_t *prev;
};

namespace {

// The caller's comparison while ll_sort runs (qsort takes no context).
ll_compare_t Compare_function = nullptr;

int compare_items(const void *a, const void *b) {
    return Compare_function(*static_cast<void *const *>(a), *static_cast<void *const *>(b));
}

bool usable(const ll_list_t *list) { return list && list->head && list->count >= 0; }
bool has_items(const ll_list_t *list) { return usable(list) && list->count > 0; }

}  // namespace

extern "C" {

void ll_init(void) {}
void ll_term(void) {}

int ll_create_list(ll_list_t *list) {
    if (!list) return -1;
    list->count = -1;
    auto *marker = static_cast<ll_element_t *>(std::malloc(sizeof(ll_element_t)));
    if (!marker) return -1;
    *marker = {nullptr, marker, marker};
    list->head = marker;
    list->current = marker;
    list->count = 0;
    return 0;
}

int ll_add_item(ll_list_t *list, int position, void *item) {
    if (!usable(list) || !item) return -1;
    ll_element_t *before;
    switch (position) {
    case ll_FRONT: before = list->head->next; break;
    case ll_END: before = list->head; break;
    case ll_AFTER: before = list->current->next; break;
    case ll_BEFORE: before = list->current; break;
    default: return -1;
    }
    auto *element = static_cast<ll_element_t *>(std::malloc(sizeof(ll_element_t)));
    if (!element) return -1;
    *element = {item, before, before->prev};
    before->prev->next = element;
    before->prev = element;
    list->current = element;
    ++list->count;
    return 0;
}

void *ll_delete_item(ll_list_t *list, int position) {
    if (!has_items(list)) return nullptr;
    ll_element_t *victim;
    switch (position) {
    case ll_FRONT: victim = list->head->next; break;
    case ll_END: victim = list->head->prev; break;
    case ll_AFTER: victim = list->current->next; break;
    case ll_BEFORE: victim = list->current->prev; break;
    case ll_CURRENT: victim = list->current; break;
    default: return nullptr;
    }
    if (victim == list->head) return nullptr;
    if (victim == list->current)
        list->current = victim->next == list->head ? victim->prev : victim->next;
    victim->prev->next = victim->next;
    victim->next->prev = victim->prev;
    void *item = victim->item;
    std::free(victim);
    --list->count;
    return item;
}

void *ll_get_next_item(ll_list_t *list) {
    if (!has_items(list)) return nullptr;
    list->current = list->current->next;
    return list->current->item;
}

void *ll_get_prev_item(ll_list_t *list) {
    if (!has_items(list)) return nullptr;
    list->current = list->current->prev;
    return list->current->item;
}

void *ll_get_curr_item(ll_list_t *list) { return has_items(list) ? list->current->item : nullptr; }

void *ll_get_head_item(ll_list_t *list) {
    if (!has_items(list)) return nullptr;
    list->current = list->head->next;
    return list->current->item;
}

void *ll_get_tail_item(ll_list_t *list) {
    if (!has_items(list)) return nullptr;
    list->current = list->head->prev;
    return list->current->item;
}

void *ll_get_nth_item(ll_list_t *list, int index) {
    if (!has_items(list) || index < 0 || index >= list->count) return nullptr;
    ll_element_t *element = list->head->next;
    while (index-- > 0) element = element->next;
    list->current = element;
    return element->item;
}

int ll_num_of_items(ll_list_t *list) { return list ? list->count : -1; }

ll_list_t *ll_sort(ll_list_t *list, ll_compare_t compare) {
    if (!list) return nullptr;
    if (!usable(list) || list->count < 2 || !compare) return list;
    const auto n = static_cast<std::size_t>(list->count);
    auto **items = static_cast<void **>(std::malloc(n * sizeof(void *)));
    if (!items) return nullptr;
    std::size_t i = 0;
    for (ll_element_t *e = list->head->next; e != list->head; e = e->next) items[i++] = e->item;
    Compare_function = compare;
    std::qsort(items, n, sizeof(void *), compare_items);
    Compare_function = nullptr;
    i = 0;
    for (ll_element_t *e = list->head->next; e != list->head; e = e->next) e->item = items[i++];
    std::free(items);
    return list;
}

int ll_dispose_list(ll_list_t *list) {
    if (!list) return -1;
    if (list->count > 0) return -1;
    std::free(list->head);
    list->head = nullptr;
    list->current = nullptr;
    return 0;
}

}  // extern "C"
