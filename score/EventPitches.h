#pragma once
// The pitches of one onset of a voice: a single note in nearly every event, a chord's few.
// Held in place up to a few, so that a tune of thousands of events makes no allocation for each.

#include <algorithm>
#include <array>
#include <cstddef>
#include <initializer_list>
#include <stdexcept>
#include <vector>

class EventPitches {
public:
    using value_type = int;
    using iterator = int*;
    using const_iterator = const int*;

    EventPitches() = default;
    EventPitches(std::initializer_list<int> pitches)
    {
        for (const int p : pitches)
            push_back(p);
    }
    EventPitches(const EventPitches&) = default;
    EventPitches(EventPitches&&) noexcept = default;
    EventPitches& operator=(const EventPitches&) = default;
    EventPitches& operator=(EventPitches&&) noexcept = default;

    int* begin() { return onHeap ? heap.data() : held.data(); }
    int* end() { return begin() + size(); }
    const int* begin() const { return onHeap ? heap.data() : held.data(); }
    const int* end() const { return begin() + size(); }
    size_t size() const { return onHeap ? heap.size() : count; }
    bool empty() const { return size() == 0; }
    int& operator[](size_t i) { return begin()[i]; }
    int operator[](size_t i) const { return begin()[i]; }
    int at(size_t i) const
    {
        if (i >= size())
            throw std::out_of_range("EventPitches::at");
        return begin()[i];
    }
    int front() const { return *begin(); }
    int back() const { return end()[-1]; }

    void push_back(int pitch)
    {
        if (!onHeap && count < held.size()) {
            held[count++] = pitch;
            return;
        }
        if (!onHeap) {
            heap.assign(held.begin(), held.begin() + count);
            onHeap = true;
        }
        heap.push_back(pitch);
    }
    // Removes [first, last), as a vector's erase does.
    int* erase(const int* first, const int* last)
    {
        int* from = begin() + (first - begin());
        const ptrdiff_t gone = last - first;
        std::copy(last, static_cast<const int*>(end()), from);
        if (onHeap)
            heap.resize(heap.size() - static_cast<size_t>(gone));
        else
            count -= static_cast<unsigned>(gone);
        return from;
    }

    bool operator==(const EventPitches& other) const { return std::equal(begin(), end(), other.begin(), other.end()); }
    bool operator==(const std::vector<int>& other) const { return std::equal(begin(), end(), other.begin(), other.end()); }

private:
    std::array<int, 3> held{};
    unsigned count = 0; // of held
    bool onHeap = false;
    std::vector<int> heap;
};
