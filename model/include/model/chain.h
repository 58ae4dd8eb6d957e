#pragma once

#include <cstdint>

// The intrusive doubly linked chain shared by every list of the scene model.
//
// An element carries `index` (1-based position), `next`, `prev`, and `first_slot` /
// `last_slot`, which point at its owner's `first_X` / `last_X` members. The owner keeps
// nothing else: a list's count is the index of its last element, 0 when it is empty.
// Invariant: walking from *first_slot along `next` meets the indices 1, 2, ... without gaps,
// and *last_slot holds the highest.
//
// The helpers are templates over the element type so that each class can declare the five
// members at its own place in its layout.

// Appends `self` to the list whose ends are *first / *last. Either slot may be null; with
// both null the element stands outside any list with index 1.
template <class T> void ChainAppend(T* self, T** first, T** last) {
    self->next = nullptr;
    self->first_slot = first;
    self->last_slot = last;
    if (first && *first == nullptr) {
        *first = self;
    }
    if (last) {
        self->prev = *last;
        *last = self;
    } else {
        self->prev = nullptr;
    }
    if (self->prev) {
        self->prev->next = self;
        self->index = self->prev->index + 1;
    } else {
        self->index = 1;
    }
}

// Unlinks `self` from its list and renumbers the elements after it. Removing the last
// element touches no other element's index, so emptying a list from its end is linear.
template <class T> void ChainRemove(T* self) {
    for (T* after = self->next; after; after = after->next) {
        --after->index;
    }
    if (self->first_slot && *self->first_slot == self) {
        *self->first_slot = self->next;
    }
    if (self->last_slot && *self->last_slot == self) {
        *self->last_slot = self->prev;
    }
    if (self->prev) {
        self->prev->next = self->next;
    }
    if (self->next) {
        self->next->prev = self->prev;
    }
    self->next = nullptr;
    self->prev = nullptr;
    self->first_slot = nullptr;
    self->last_slot = nullptr;
}

// The element after `self`; with `wrap`, the list's first element after the last one, or
// `self` itself when it stands outside any list.
template <class T> [[nodiscard]] T* ChainNext(T* self, bool wrap) {
    if (self->next || !wrap) {
        return self->next;
    }
    return self->first_slot ? *self->first_slot : self;
}

// The element before `self`; with `wrap`, the list's last element before the first one, or
// `self` itself when it stands outside any list.
template <class T> [[nodiscard]] T* ChainPrev(T* self, bool wrap) {
    if (self->prev || !wrap) {
        return self->prev;
    }
    return self->last_slot ? *self->last_slot : self;
}

// Destroys the elements of a list from the last to the first, so each removal is at the end.
template <class T> void ChainDestroyAll(T*& last) {
    while (last) {
        delete last;
    }
}

// Count of a list: the index of its last element, 0 when empty.
template <class T> [[nodiscard]] int32_t ChainCount(const T* last) {
    return last ? last->index : 0;
}
